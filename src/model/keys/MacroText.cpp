// Printing the text form of macros and bullets (MacroText.h), its key words,
// and the file helpers of the command-line tool.
#include "keys/MacroText.h"

#include <cstring>

#include "core/Utf.h"
#include "keys/MacroFile.h"
#include "keys/MacroTextWords.h"

using namespace macrotext;

namespace {

struct KeyWord { uint8_t code; const char* psz; };

// One word per code; the first entry of a code is the one printed.
constexpr KeyWord kKeyWords[] = {
    {8, "Backspace"}, {9, "Tab"}, {12, "Clear"}, {13, "Enter"}, {16, "Shift"}, {17, "Ctrl"}, {18, "Alt"},
    {19, "Pause"}, {20, "CapsLock"}, {27, "Esc"}, {32, "Space"}, {33, "PageUp"}, {34, "PageDown"}, {35, "End"},
    {36, "Home"}, {37, "Left"}, {38, "Up"}, {39, "Right"}, {40, "Down"}, {41, "Select"}, {42, "Print"},
    {43, "Execute"}, {44, "PrintScreen"}, {45, "Insert"}, {46, "Delete"}, {47, "Help"},
    {91, "LWin"}, {92, "RWin"}, {93, "App"}, {95, "Sleep"},
    {106, "Num*"}, {107, "Num+"}, {108, "NumSep"}, {109, "Num-"}, {110, "Num."}, {111, "Num/"},
    {136, "MediaSelect"}, {137, "PlayPause"}, {138, "MediaStop"}, {139, "PrevTrack"}, {140, "NextTrack"},
    {141, "VolumeUp"}, {142, "VolumeDown"}, {143, "Mute"}, {144, "NumLock"}, {145, "ScrollLock"},
    {151, "BrightnessUp"}, {152, "BrightnessDown"}, {153, "Calculator"}, {154, "MyComputer"},
    {160, "LShift"}, {161, "RShift"}, {162, "LCtrl"}, {163, "RCtrl"}, {164, "LAlt"}, {165, "RAlt"},
    {186, ";"}, {187, "="}, {188, ","}, {189, "-"}, {190, "."}, {191, "/"}, {192, "`"},
    {193, "k56"}, {194, "k107"}, {195, "k14"}, {215, "k133"}, {216, "CustomKey"}, {218, "k132"},
    {219, "["}, {220, "\\"}, {221, "]"}, {222, "'"}, {226, "k45"}, {235, "k131"},
    {240, "LButton"}, {241, "RButton"}, {242, "MButton"}, {243, "FwdButton"}, {244, "BackButton"},
    {245, "WheelUp"}, {246, "WheelDown"}, {250, "Fn"}, {251, "Fn2"}, {253, "NumEnter"},
};

// ---- the name as a quoted string ----------------------------------------------------

std::string QuoteName(std::u16string_view name)
{
    std::string out = "\"";
    for (size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF) {
            out += U16ToUtf8(name.substr(i, 2));
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            out += Printf("\\u%04X", unsigned(c));  // a lone surrogate is kept as it is
        } else if (c == u'"' || c == u'\\') {
            out += '\\';
            out += char(c);
        } else if (c == u'\n') out += "\\n";
        else if (c == u'\t') out += "\\t";
        else if (c < 0x20 || c == 0x7F) out += Printf("\\x%02X", unsigned(c));
        else out += U16ToUtf8(name.substr(i, 1));
    }
    return out + "\"";
}

// ---- printing ----------------------------------------------------------------------

std::string DelaySuffix(uint32_t ms) { return ms ? Printf(" %ums", unsigned(ms)) : std::string(); }

std::string MacroActionLine(const MacroAction& a)
{
    std::string line;
    bool bStateMeansPress = false;  // down/up lines say the state themselves
    bool bParamShown = false;
    const uint8_t c = a.byCode;
    if (c == 0) line = "wait";
    else if (c == kMacroCodeWheelUp || c == kMacroCodeWheelDown) {
        line = Printf("wheel %s %u", c == kMacroCodeWheelUp ? "up" : "down", unsigned(a.byParam));
        bParamShown = true;
    } else if (c >= kMacroCodeMoveUp && c <= kMacroCodeMoveRight) {
        line = Printf("move %s %u", kMoveWords[c - kMacroCodeMoveUp], unsigned(a.byParam));
        bParamShown = true;
    } else if (c == kMacroCodeMouseAction) line = "mouse-action";
    else {
        line = (a.wState ? "down " : "up ") + MacroTextKeyName(c);
        bStateMeansPress = true;
    }
    line += DelaySuffix(a.Delay());
    if (bStateMeansPress ? a.wState > 1 : a.wState != 0) line += Printf(" state=%u", unsigned(a.wState));
    if (!bParamShown && a.byParam) line += Printf(" param=%u", unsigned(a.byParam));
    return line;
}

std::string BulletStepLine(const MacroAction& a)
{
    std::string line;
    bool bStateImplied = true;   // the line says the state itself
    bool bFlagDefault = false;   // the flag byte is the one the line's verb implies
    if (a.byCode == kBulletCodeMove) {
        line = Printf("move %d,%d", int(int8_t(a.wState & 0xFF)), int(int8_t(a.wState >> 8)));
        bFlagDefault = a.byParam == 0;
    } else if (a.byParam != 0) {
        line = (a.wState ? "down " : "up ") + MacroTextKeyName(a.byCode);
        bStateImplied = a.wState <= 1;
        bFlagDefault = a.byParam == 1;
    } else if (a.byCode == 0) {
        line = "wait";
        bStateImplied = a.wState == 0;
        bFlagDefault = true;
    } else {
        line = "click " + MacroTextKeyName(a.byCode) + Printf(" for %ums", unsigned(a.wState));
        bFlagDefault = true;
    }
    line += DelaySuffix(a.Delay());
    if (!bStateImplied) line += Printf(" state=%u", unsigned(a.wState));
    if (!bFlagDefault) line += Printf(" flag=%u", unsigned(a.byParam));
    return line;
}
}  // namespace

std::string MacroTextKeyName(uint8_t code)
{
    if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')) return std::string(1, char(code));
    if (code >= 96 && code <= 105) return "Num" + std::to_string(code - 96);
    if (code >= 112 && code <= 135) return "F" + std::to_string(code - 111);
    for (const KeyWord& k : kKeyWords)
        if (k.code == code) return k.psz;
    return "vk" + std::to_string(code);
}

bool ParseMacroTextKeyName(std::string_view w, uint8_t& code)
{
    if (w.size() == 1 && ((w[0] >= '0' && w[0] <= '9') || (w[0] >= 'A' && w[0] <= 'Z') || (w[0] >= 'a' && w[0] <= 'z'))) {
        code = uint8_t(w[0] >= 'a' ? w[0] - 32 : w[0]);
        return true;
    }
    unsigned n = 0;
    if (w.size() > 3 && EqualsNoCase(w.substr(0, 3), "num") && ParseNumber(w.substr(3), n) && n <= 9 && w.size() == 4) {
        code = uint8_t(96 + n);
        return true;
    }
    if (w.size() >= 2 && (w[0] == 'F' || w[0] == 'f') && w[1] != '0' && ParseNumber(w.substr(1), n) && n >= 1 && n <= 24) {
        code = uint8_t(111 + n);
        return true;
    }
    for (const KeyWord& k : kKeyWords) {
        if (EqualsNoCase(w, k.psz)) {
            code = k.code;
            return true;
        }
    }
    if (w.size() > 2 && EqualsNoCase(w.substr(0, 2), "vk") && ParseNumber(w.substr(2), n) && n <= 255) {
        code = uint8_t(n);
        return true;
    }
    return false;
}

MacroRecord CanonicalMacroRecord(const MacroRecord& rec, MacroKind kind)
{
    MacroRecord out = rec;
    const size_t nName = FixedView(rec.szName).size();
    for (size_t i = nName; i < size_t(kMacroNameLen); ++i) out.szName[i] = 0;
    const int n = kind == MacroKind::Bullet ? BulletStepCount(rec) : MacroActionCount(rec);
    for (int i = n; i < kMacroActionNum; ++i) out.Action[i] = MacroAction{};
    return out;
}

std::string MacroToText(const MacroRecord& rec, MacroKind kind)
{
    const bool bBullet = kind == MacroKind::Bullet;
    std::string s;
    s += bBullet ? "kind bullet\n" : "kind macro\n";
    s += "name " + QuoteName(FixedView(rec.szName)) + "\n";
    s += Printf("id 0x%06X\n", unsigned(rec.MacroID));
    s += rec.nRepeatMode < 3 ? Printf("repeat %s\n", kRepeatWords[rec.nRepeatMode]) : Printf("repeat %u\n", unsigned(rec.nRepeatMode));
    s += Printf("loops %u\n", unsigned(rec.wLoopCount));
    if (bBullet) s += "fire " + (rec.nFireCode <= 255 ? MacroTextKeyName(uint8_t(rec.nFireCode)) : std::to_string(rec.nFireCode)) + "\n";
    else s += Printf("auto-delay %u\n", unsigned(rec.nAutoDelay));
    s += Printf("owner %u\n", unsigned(rec.byOwner));
    s += rec.byLock == MACRO_LOCK ? "lock yes\n" : rec.byLock == 0 ? "lock no\n" : Printf("lock %u\n", unsigned(rec.byLock));
    if (rec.bySlot) s += Printf("slot %u\n", unsigned(rec.bySlot));
    if (rec.dwFlags) s += Printf("flags 0x%08X\n", unsigned(rec.dwFlags));
    bool bReserved = rec.byReserved103 != 0;
    for (uint8_t b : rec.byReserved1474) bReserved = bReserved || b != 0;
    if (bReserved) {
        s += Printf("reserved %02X", unsigned(rec.byReserved103));
        for (uint8_t b : rec.byReserved1474) s += Printf("%02X", unsigned(b));
        s += "\n";
    }
    const int n = bBullet ? BulletStepCount(rec) : MacroActionCount(rec);
    for (int i = 0; i < n; ++i) s += (bBullet ? BulletStepLine(rec.Action[i]) : MacroActionLine(rec.Action[i])) + "\n";
    return s;
}

MacroKind MacroKindOfFile(const std::filesystem::path& file)
{
    return HasMacroFileExt(file, MacroKind::Bullet) ? MacroKind::Bullet : MacroKind::Macro;
}

bool MacroFileToText(const std::filesystem::path& file, MacroKind kind, std::string& text, std::string& strErr)
{
    const MacroFileRead read = ReadMacroFile(file);
    if (!read.bOpened || read.nErrno != 0) {
        strErr = "cannot read " + file.string() + ": " + (read.strWhy.empty() ? std::strerror(read.nErrno) : read.strWhy);
        return false;
    }
    if (!IsMacroRecord(read.rec)) {
        strErr = file.string() + " is not a valid macro file";
        return false;
    }
    text = MacroToText(read.rec, kind);
    return true;
}

bool WriteMacroFileFromText(std::string_view text, const std::filesystem::path& file, MacroKind kind,
                            const MacroContext& ctx, std::vector<MacroTextError>& errors, std::string& strErr,
                            std::string* pstrNote)
{
    MacroRecord rec{};
    if (!ParseMacroText(text, kind, rec, errors)) {
        strErr = "the text has errors";
        return false;
    }
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(file, ec))) {
        strErr = file.string() + " exists; it is not replaced";
        return false;
    }
    if ((rec.MacroID & 0xFFFFFF) == 0 || ctx.pMacros->FindById(rec.MacroID) || ctx.pBullets->FindById(rec.MacroID)) {
        const uint32_t idOld = rec.MacroID;
        rec.MacroID = ctx.NewId();
        if (pstrNote && idOld != 0)
            *pstrNote = Printf("identifier 0x%06X is taken; the macro gets 0x%06X", unsigned(idOld), unsigned(rec.MacroID));
    }
    if (rec.szName[0] == 0) CopyToFixed(rec.szName, MacroDisplayName(file));
    return save_macro_to_file_mcb(file, rec, false, strErr);
}
