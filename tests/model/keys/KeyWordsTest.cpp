// Key words of the effect files.
#include <gtest/gtest.h>

#include <string>

#include "core/IPrompt.h"
#include "core/Utf.h"
#include "keys/KeyWords.h"

namespace {

TEST(KeyWords, WordsToCodes)
{
    const std::pair<const char*, uint8_t> rows[] = {
        {"A", 65},         {"z", 90},          {"f", 70},          {"0", 48},          {"9", 57},          {"F5", 116},
        {"f1", 112},       {"F9", 120},        {"f10", 121},       {"F11", 122},       {"f12", 123},
        {"f1x", 112},      {"NUM+", 107},      {"num0", 96},       {"Num9", 105},      {"num.", 110},
        {"esc", 27},       {"ESC", 27},        {"back", 8},        {"caps", 20},       {"[", 219},
        {"]", 221},        {"|", 220},         {"~", 192},         {"-", 189},         {"=", 187},
        {";", 186},        {"'", 222},         {"<", 188},         {">", 190},         {"?", 191},
        {"shift", 160},    {"rshift", 161},    {"ctrl", 162},      {"rctrl", 163},     {"alt", 164},
        {"ralt", 165},     {"win", 91},        {"rwin", 92},       {"fn", 250},        {"FN2", 251},
        {"app", 93},       {"pgup", 33},       {"pgdn", 34},       {"numenter", 253},  {"k45", 226},
        {"k56", 193},      {"k107", 194},      {"k14", 195},       {"k131", 235},      {"k132", 218},
        {"k133", 215},     {"player", 136},    {"playpause", 137}, {"stop", 138},      {"prev", 139},
        {"next", 140},     {"vol+", 141},      {"vol-", 142},      {"mute", 143},      {"cal", 153},
        {"mycomputer", 154}, {"MyComputer", 154}, {"screen+", 151}, {"screen-", 152},  {"kcustom", 216},
        // Only the first 10 characters count.
        {"mycomputerX", 154},
        // Not key words.
        {"f13", 0},        {"f19", 0},         {"f0", 0},          {"", 0},
        {"#", 0},          {"num", 0},         {"escape", 0},      {" esc", 0},        {"playpauseX", 0},
        {"\xC3\xA4", 0},   {"k4", 0},
    };
    for (const auto& [word, vk] : rows) EXPECT_EQ(KeyWordToVk(word), vk) << "'" << word << "'";
}

TEST(KeyWords, UnknownWordIsReportedOnce)
{
    CRecordingPrompt prompt;
    EXPECT_EQ(text_to_vk("units/wave.txt", "f13,a,b", "f13", &prompt), 0);
    ASSERT_EQ(prompt.Entries().size(), 1u);
    EXPECT_EQ(U16ToUtf8(prompt.Entries()[0].text), "text_to_vk: wrong string=f13, pszALL=f13,a,b, file=units/wave.txt");
    EXPECT_EQ(U16ToUtf8(prompt.Entries()[0].caption), "Warning");

    EXPECT_EQ(text_to_vk("units/wave.txt", "f13,a,b", "a", &prompt), 65);
    EXPECT_EQ(prompt.Entries().size(), 1u);  // known words are not reported
    // Without a prompt the word is only logged.
    EXPECT_EQ(text_to_vk("units/wave.txt", "x", "nokey", nullptr), 0);
}

}  // namespace
