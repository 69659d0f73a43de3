#include "keys/KeyWords.h"

#include <string>

#include "core/IPrompt.h"
#include "core/Log.h"
#include "core/Utf.h"

namespace {

// The longest word of the list ("mycomputer") must fit, or it could never match.
constexpr size_t kWordMax = 10;

struct KeyWord {
    std::string_view word;
    uint8_t vk;
};

constexpr KeyWord kWords[] = {
    {"esc", 27},        {"tab", 9},           {"caps", 20},     {"back", 8},       {"enter", 13},
    {"space", 32},      {"[", 219},           {"]", 221},       {"|", 220},        {"~", 192},
    {"-", 189},         {"=", 187},           {";", 186},       {"'", 222},        {"<", 188},
    {">", 190},         {"?", 191},           {"shift", 160},   {"ctrl", 162},     {"win", 91},
    {"alt", 164},       {"rshift", 161},      {"rctrl", 163},   {"rwin", 92},      {"ralt", 165},
    {"left", 37},       {"right", 39},        {"up", 38},       {"down", 40},      {"fn", 250},
    {"fn2", 251},       {"app", 93},          {"ins", 45},      {"del", 46},       {"home", 36},
    {"end", 35},        {"pgup", 33},         {"pgdn", 34},     {"print", 44},     {"scroll", 145},
    {"pause", 19},      {"numlock", 144},     {"numenter", 253}, {"num0", 96},     {"num1", 97},
    {"num2", 98},       {"num3", 99},         {"num4", 100},    {"num5", 101},     {"num6", 102},
    {"num7", 103},      {"num8", 104},        {"num9", 105},    {"num-", 109},     {"num+", 107},
    {"num*", 106},      {"num/", 111},        {"num.", 110},    {"k45", 226},      {"k56", 193},
    {"k107", 194},      {"k14", 195},         {"k131", 235},    {"k132", 218},     {"k133", 215},
    {"player", 136},    {"playpause", 137},   {"stop", 138},    {"prev", 139},     {"next", 140},
    {"vol+", 141},      {"vol-", 142},        {"mute", 143},    {"cal", 153},      {"mycomputer", 154},
    {"screen+", 151},   {"screen-", 152},     {"kcustom", 216},
};

constexpr char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

uint8_t KeyWordToVk(std::string_view word)
{
    const std::string_view w = word.substr(0, kWordMax);
    if (w.size() == 1) {
        const char c = Lower(w[0]);
        if (c >= 'a' && c <= 'z') return uint8_t(c - 'a' + 'A');
        if (IsDigit(c)) return uint8_t(c);
    } else if ((w.size() == 2 || w.size() == 3) && Lower(w[0]) == 'f') {
        if (EqualNoCase(w, "f10")) return 121;
        if (EqualNoCase(w, "f11")) return 122;
        if (EqualNoCase(w, "f12")) return 123;
        // F1..F9. A third character that is a digit makes a key this list
        // does not have (F13 and up), not F1 with something after it.
        if (w[1] >= '1' && w[1] <= '9' && (w.size() == 2 || !IsDigit(w[2]))) return uint8_t(112 + (w[1] - '1'));
    }
    for (const KeyWord& k : kWords)
        if (EqualNoCase(w, k.word)) return k.vk;
    return 0;
}

uint8_t text_to_vk(const std::filesystem::path& file, std::string_view line, std::string_view word,
                   IPrompt* pPrompt)
{
    const uint8_t vk = KeyWordToVk(word);
    if (vk) return vk;
    const std::string strFile = file.string();  // native bytes; shown through the lenient UTF-8 decoder
    std::string strMsg = "text_to_vk: wrong string=";
    strMsg.append(word).append(", pszALL=").append(line).append(", file=").append(strFile);
    LogPrintf("%s", strMsg.c_str());
    if (pPrompt) pPrompt->ShowMessage(Utf8ToU16(strMsg), u"Warning");
    return 0;
}
