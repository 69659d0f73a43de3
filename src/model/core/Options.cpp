#include "core/Options.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/Gvar.h"
#include "core/KeyCfg.h"
#include "core/IniValues.h"
#include "core/KeyboardDesc.h"
#include "core/MouseDesc.h"
#include "core/PadDesc.h"
#include "core/Utf.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kOpt = "OPT";
constexpr std::u16string_view kCaptionError = u"Error";
// Used when appdir is empty or is not a plain folder name, so that the user's
// files never land in the shared data root or outside it.
constexpr std::u16string_view kAppdirFallback = u"Zorvik";
// Skins%d and Lang%d values are searched for their comma within this many characters.
constexpr size_t kListValueCapacity = 260;

// ---- messages ------------------------------------------------------------------

// Shows a configuration message and logs it with where it came from.
void Report(IPrompt& prompt, std::string_view where, std::string_view key, std::string_view text,
            std::string_view value = {})
{
    LogPrintf("[%.*s] %.*s: %.*s (value \"%.*s\")", int(where.size()), where.data(), int(key.size()), key.data(),
              int(text.size()), text.data(), int(value.size()), value.data());
    prompt.ShowSettingMessage(Utf8ToU16(text), kCaptionError, "[" + std::string(where) + "] " + std::string(key));
}

// Logged only: values the program corrects without bothering the user.
void Note(std::string_view where, std::string_view key, std::string_view text, std::string_view value = {})
{
    LogPrintf("[%.*s] %.*s: %.*s (value \"%.*s\")", int(where.size()), where.data(), int(key.size()), key.data(),
              int(text.size()), text.data(), int(value.size()), value.data());
}

void CopyToSpan(std::span<char16_t> dst, std::u16string_view src)
{
    if (dst.empty()) return;
    const size_t n = src.size() < dst.size() - 1 ? src.size() : dst.size() - 1;
    for (size_t i = 0; i < dst.size(); ++i) dst[i] = i < n ? src[i] : u'\0';
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsBlank16(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view Trim16(std::u16string_view s)
{
    while (!s.empty() && IsBlank16(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank16(s.back())) s.remove_suffix(1);
    return s;
}

// True when the integer reader finds at least one digit (otherwise it gives 0).
bool HasIntDigits(std::string_view s)
{
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X'))
        return i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 2]));
    return i < s.size() && s[i] >= '0' && s[i] <= '9';
}

// ---- the option table --------------------------------------------------------

enum class OptKind { Int, Word, String, Color, ColorList, ByteList, Point, Rect };

struct OptDefault {
    int32_t n = 0;
    ZColor clr = 0;
    ZPoint pt{};
    ZRect rc{};
    std::string_view str{};
    std::span<const ZColor> clrs{};
    std::span<const uint8_t> bytes{};
};

using OptField = std::variant<int32_t*, uint16_t*, ZColor*, ZPoint*, ZRect*, std::span<char16_t>,
                              std::span<ZColor>, std::span<uint8_t>>;

struct OptEntry {
    std::string_view key;
    OptKind kind;
    OptDefault def;
    OptField field;
    // Integers outside this range are brought into it (logged); byte-list items
    // outside it take their default.
    int32_t nMin = INT32_MIN;
    int32_t nMax = INT32_MAX;
    // Defaults that depend on a value read earlier.
    OptDefault (*pfnDefault)(const GlobalVar&) = nullptr;
    // Checks that need more than the value's syntax.
    void (*pfnCheck)(GlobalVar&, IPrompt&) = nullptr;

    OptEntry& Range(int32_t lo, int32_t hi) { nMin = lo; nMax = hi; return *this; }
    OptEntry& DefaultFrom(OptDefault (*pfn)(const GlobalVar&)) { pfnDefault = pfn; return *this; }
    OptEntry& Check(void (*pfn)(GlobalVar&, IPrompt&)) { pfnCheck = pfn; return *this; }
};

OptEntry Int(std::string_view key, int32_t def, int32_t& field)
{
    return {key, OptKind::Int, {.n = def}, &field};
}
OptEntry Word(std::string_view key, int32_t def, uint16_t& field)
{
    return {key, OptKind::Word, {.n = def}, &field};
}
template <size_t N>
OptEntry Str(std::string_view key, std::string_view def, char16_t (&field)[N])
{
    return {key, OptKind::String, {.str = def}, std::span<char16_t>(field)};
}
OptEntry Color(std::string_view key, ZColor def, ZColor& field)
{
    return {key, OptKind::Color, {.clr = def}, &field};
}
template <size_t N>
OptEntry ColorList(std::string_view key, const std::array<ZColor, N>& def, ZColor (&field)[N])
{
    return {key, OptKind::ColorList, {.clrs = def}, std::span<ZColor>(field)};
}
template <size_t N>
OptEntry ByteList(std::string_view key, const std::array<uint8_t, N>& def, uint8_t (&field)[N])
{
    return OptEntry{key, OptKind::ByteList, {.bytes = def}, std::span<uint8_t>(field)}.Range(0, 255);
}
OptEntry Point(std::string_view key, ZPoint def, ZPoint& field)
{
    return {key, OptKind::Point, {.pt = def}, &field};
}
OptEntry Rect(std::string_view key, ZRect def, ZRect& field)
{
    return {key, OptKind::Rect, {.rc = def}, &field};
}

constexpr ZColor kGrey200 = MakeColor(200, 200, 200);
constexpr ZColor kWhite = MakeColor(255, 255, 255);
constexpr ZColor kBlueDn = MakeColor(67, 156, 200);

constexpr std::array<uint8_t, 3> kDefFontSize = {14, 20, 24};
constexpr std::array<ZColor, 8> kDefPick = {
    MakeColor(255, 0, 0),   MakeColor(255, 255, 0), MakeColor(0, 255, 0),     MakeColor(0, 0, 255),
    MakeColor(0, 255, 255), MakeColor(255, 0, 255), MakeColor(255, 255, 255), MakeColor(255, 128, 0)};

// The key list sits right of the macro list and spans its height.
OptDefault KeyListDefault(const GlobalVar& g)
{
    return {.rc = {552, g.rcMacroList.top, 792, g.rcMacroList.bottom}};
}
OptDefault MacroOptXDefault(const GlobalVar& g)
{
    return {.n = g.rcKeyList.right + 20};
}

// A plain folder name: not empty, not "." or "..", no separator of either system.
bool IsPlainFolderName(std::u16string_view s)
{
    if (s.empty() || s == u"." || s == u"..") return false;
    return s.find_first_of(u"/\\") == std::u16string_view::npos;
}

}  // namespace

std::u16string UserFolderName(const CIniFile& cfg)
{
    const std::u16string dir = Utf8ToU16(cfg.GetString(kOpt, "appdir", "", 30));
    return IsPlainFolderName(dir) ? dir : std::u16string(kAppdirFallback);
}

namespace {

void CheckAppdir(GlobalVar& g, IPrompt& prompt)
{
    const std::u16string_view dir = FixedView(g.szAppdir);
    if (dir.empty()) {
        Report(prompt, kOpt, "appdir", "APPDATA=NULL");
    } else if (!IsPlainFolderName(dir)) {
        Note(kOpt, "appdir", "not a plain folder name; the default folder name is used", U16ToUtf8(dir));
    } else {
        return;
    }
    CopyToFixed(g.szAppdir, kAppdirFallback);
}

// Section OPT in reading order. Debug is read on its own before these, because
// it goes to the log's settings rather than to gVar; the first kEarlyOptNum
// entries are read before the log starts.
constexpr size_t kEarlyOptNum = 3;

std::vector<OptEntry> OptTable(GlobalVar& g)
{
    return {
        Str("Title", "", g.szTitle),
        Str("UpateUrl", "", g.szUpateUrl),
        Int("Ver", 0, g.nVer),
        // -- the log is running from here on --
        Int("Suwnd", 0, g.nSuwnd),
        Int("BtnTips", 0, g.nBtnTips),
        Int("ApplyNow", 0, g.nApplyNow),
        Str("FontName", "MS Shell Dlg", g.szFontName),
        Str("appdir", "", g.szAppdir).Check(CheckAppdir),
        Int("TrayIcon", 2, g.nTrayIcon),
        Int("GoWithNoDev", 0, g.nGoWithNoDev),
        Int("FrameDebug", 0, g.nFrameDebug),
        Int("ExitOnPlugOut", 1, g.nExitOnPlugOut),
        Int("ComboRec", 1, g.nComboRec),
        // The profile store holds 12 records, and at least one must exist.
        Int("ProfileNum", 3, g.nProfileNum).Range(1, 12),
        Int("ViewKeyNum", 0, g.nViewKeyNum),
        Int("KbType", 0, g.nKbType),
        ByteList("FontSize", kDefFontSize, g.FontSize),
        Int("MsFw", 0, g.nMsFw),
        Int("KbFw", 0, g.nKbFw),
        Int("PadFw", 0, g.nPadFw),
        Int("SubMsFw", 0, g.nSubMsFw),
        Int("PopWndTrans", 255, g.nPopWndTrans).Range(0, 255),
        Color("ClrPopWndBkg", MakeColor(6, 6, 7), g.clrPopWndBkg),
        Int("MenuAlign", 0, g.nMenuAlign),
        Int("ProfileGpY", 580, g.nProfileGpY),
        Int("RGBBarDrop", 1, g.nRGBBarDrop),
        Int("ShowSupport", 0, g.nShowSupport),
        Int("ShowMusic", 1, g.nShowMusic),
        Point("ptKeyMsDlg", {790, 35}, g.ptKeyMsDlg),
        Point("ptMsMarkDlg", {290, 54}, g.ptMsMarkDlg),
        Point("ptMinBtn", {991, 8}, g.ptMinBtn),
        Point("ptDpiDlg", {743, 41}, g.ptDpiDlg),
        Point("ptResetBtn", {813, 769}, g.ptResetBtn),
        Point("ptViewBtn", {0, 0}, g.ptViewBtn),
        Rect("rcNavi", {540, 22, 605, 77}, g.rcNavi),
        Int("NaviSpc", 10, g.nNaviSpc),
        Rect("rcSubDlg", {0, 95, 1063, 767}, g.rcSubDlg),
        Rect("rcHomePageBtn", {0, 0, 0, 0}, g.rcHomePageBtn),
        Rect("rcWeb", {400, 773, 630, 793}, g.rcWeb),
        Rect("rcWebFacebook", {0, 0, 0, 0}, g.rcWebFacebook),
        Rect("rcWebTwitter", {0, 0, 0, 0}, g.rcWebTwitter),
        Rect("rcDevStatusBtn", {0, 0, 0, 0}, g.rcDevStatusBtn),
        Color("Txt_clr", kGrey200, g.clrTxt),
        Color("Btn_txt_clr_nr", kGrey200, g.clrBtnTxtNr),
        Color("Btn_txt_clr_ov", kWhite, g.clrBtnTxtOv),
        Color("Btn_txt_clr_dn", kBlueDn, g.clrBtnTxtDn),
        Color("Menu_txt_clr_nr", kGrey200, g.clrMenuTxtNr),
        Color("Menu_txt_clr_ov", kWhite, g.clrMenuTxtOv),
        Color("Menu_txt_clr_dn", kBlueDn, g.clrMenuTxtDn),
        Color("LstBox_txt_clr_nr", kGrey200, g.clrLstBoxTxtNr),
        Color("LstBox_txt_clr_dn", 0, g.clrLstBoxTxtDn),
        Color("LstBox_bkg_clr", 0, g.clrLstBoxBkg),
        Color("LstBox_item_clr", 0, g.clrLstBoxItem),
        Color("clrMask", 0, g.clrMask),
        Color("clrBarNr", MakeColor(98, 98, 98), g.clrBarNr),
        Color("clrBarOv", MakeColor(4, 199, 255), g.clrBarOv),
        ColorList("clrPick", kDefPick, g.clrPick),
        Int("MinDelay", 10, g.nMinDelay),
        Int("MacroDir", 0, g.nMacroDir),
        Int("MacroHasMsKey", 0, g.nMacroHasMsKey),
        Word("ListTrans", 0, g.nListTrans),
        Int("MacOperBtn", 0, g.nMacOperBtn),
        Rect("rcMacroList", {313, 80, 551, 557}, g.rcMacroList),
        Rect("rcKeyList", {}, g.rcKeyList).DefaultFrom(KeyListDefault),
        Int("Macro_Opt_X", 0, g.nMacro_Opt_X).DefaultFrom(MacroOptXDefault),
        Int("ShowMovingItem", 1, g.nShowMovingItem),
        Int("AutoSaveMacro", 1, g.nAutoSaveMacro),
        Int("ShowLoopUntilAnyKey", 0, g.nShowLoopUntilAnyKey),
        Int("MacProtocol", 0, g.nMacProtocol),
        Int("Mid", 0, g.nMid),
    };
}

int32_t Clamp(int32_t v, int32_t lo, int32_t hi) { return v < lo ? lo : v > hi ? hi : v; }

// Reads one entry into its field: the one place where values from the file are
// checked. Missing and empty values take the default without a word.
void ReadOpt(const CIniFile& cfg, const OptEntry& e, GlobalVar& g, IPrompt& prompt)
{
    const OptDefault def = e.pfnDefault ? e.pfnDefault(g) : e.def;
    const std::optional<std::string> raw = cfg.Raw(kOpt, e.key);
    const bool bSet = raw && !raw->empty();
    const std::string_view value = bSet ? std::string_view(*raw) : std::string_view();

    switch (e.kind) {
    case OptKind::Int: {
        int32_t v = def.n;
        if (bSet) {
            v = ParseIniInt(value);
            if (!HasIntDigits(value)) Note(kOpt, e.key, "not a number, 0 used", value);
        }
        const int32_t vClamped = Clamp(v, e.nMin, e.nMax);
        if (vClamped != v) Note(kOpt, e.key, "out of range, brought into range", value);
        *std::get<int32_t*>(e.field) = vClamped;
        break;
    }
    case OptKind::Word:
        // Only the low 16 bits are kept, as the field is a word.
        *std::get<uint16_t*>(e.field) = uint16_t(uint32_t(bSet ? ParseIniInt(value) : def.n) & 0xFFFF);
        break;
    case OptKind::String: {
        const std::span<char16_t> dst = std::get<std::span<char16_t>>(e.field);
        CopyToSpan(dst, Utf8ToU16(cfg.GetString(kOpt, e.key, def.str, dst.size())));
        break;
    }
    case OptKind::Color: {
        ZColor clr = def.clr;
        if (bSet && !ParseColor(value, clr)) {
            Note(kOpt, e.key, "not a colour, default used", value);
            clr = def.clr;
        }
        *std::get<ZColor*>(e.field) = clr;
        break;
    }
    case OptKind::ColorList: {
        const std::span<ZColor> dst = std::get<std::span<ZColor>>(e.field);
        std::vector<ZColor> list;
        if (bSet) {
            list = ParseColorList(value, dst.size());
            if (list.empty()) Note(kOpt, e.key, "no colour in the list, defaults used", value);
        }
        if (list.empty()) list.assign(def.clrs.begin(), def.clrs.end());
        for (size_t i = 0; i < dst.size(); ++i) dst[i] = i < list.size() ? list[i] : 0;
        break;
    }
    case OptKind::ByteList: {
        // Used as far as it parses; a 0 item, a missing item or one that is not
        // a byte takes its default.
        const std::span<uint8_t> dst = std::get<std::span<uint8_t>>(e.field);
        const std::vector<int32_t> nums = bSet ? ParseNumberList(value, 10, dst.size()) : std::vector<int32_t>();
        for (size_t i = 0; i < dst.size(); ++i) {
            const uint8_t byDef = i < def.bytes.size() ? def.bytes[i] : 0;
            if (i >= nums.size() || nums[i] == 0) { dst[i] = byDef; continue; }
            if (nums[i] < e.nMin || nums[i] > e.nMax) {
                Note(kOpt, e.key, "item out of range, default used", value);
                dst[i] = byDef;
                continue;
            }
            dst[i] = uint8_t(nums[i]);
        }
        break;
    }
    case OptKind::Point: {
        ZPoint pt = def.pt;
        if (bSet && !ParsePoint(value, pt)) {
            Report(prompt, kOpt, e.key, "Wrong POINT num", value);
            pt = def.pt;
        }
        *std::get<ZPoint*>(e.field) = pt;
        break;
    }
    case OptKind::Rect: {
        ZRect rc = def.rc;
        if (bSet && !ParseRect(value, rc)) {
            Report(prompt, kOpt, e.key, "Wrong rect num", value);
            rc = def.rc;
        }
        *std::get<ZRect*>(e.field) = rc;
        break;
    }
    }
    if (e.pfnCheck) e.pfnCheck(g, prompt);
}

// ---- macro limits ------------------------------------------------------------

constexpr HwParam kHwMouseAndKeyboard{1, 128, 64, 255, 25627, 32};
constexpr HwParam kHwMouse{1, 506, 20, 255, 4095, 168};
constexpr HwParam kHwKeyboard20{1, 128, 32, 65535, 65280, 60};  // also 22 and 23
constexpr HwParam kHwKeyboard21{1, 192, 10, 255, 20470, 64};
constexpr HwParam kHwKeyboard24{1, 65535, 65535, 255, 4095, 65535};
constexpr HwParam kHwNeither{1, 128, 0, 65535, 0, 0};

bool IsKnownKbFw(int32_t n) { return n >= 20 && n <= 24; }

HwParam HwParamFor(int32_t nMsFw, int32_t nKbFw)
{
    // A keyboard type the program has no module for makes no keyboard.
    const bool bKb = IsKnownKbFw(nKbFw);
    if (nMsFw != 0) return bKb ? kHwMouseAndKeyboard : kHwMouse;
    if (!bKb) return kHwNeither;
    if (nKbFw == 21) return kHwKeyboard21;
    if (nKbFw == 24) return kHwKeyboard24;
    return kHwKeyboard20;
}

// ---- language and skin lists ---------------------------------------------------

// Folder values are written Windows-style; a backslash is a folder separator.
std::string NormaliseFolder(std::u16string_view dir)
{
    std::string s = U16ToUtf8(dir);
    for (char& c : s)
        if (c == '\\') c = '/';
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

// A folder that stays inside the application folder: relative, no "..", no
// drive or stream name.
bool IsSafeFolder(std::u16string_view dir)
{
    const std::string s = NormaliseFolder(dir);
    if (s.empty() || s.front() == '/' || s.find(':') != std::string::npos) return false;
    size_t nStart = 0;
    while (nStart <= s.size()) {
        const size_t nEnd = std::min(s.find('/', nStart), s.size());
        if (s.compare(nStart, nEnd - nStart, "..") == 0 && nEnd - nStart == 2) return false;
        nStart = nEnd + 1;
    }
    return true;
}

// Reads "<prefix>1", "<prefix>2", … until an empty value, an invalid one (shown,
// and it ends the list) or the tenth entry. A value is "display name,folder".
int32_t ReadNameFolderList(const CIniFile& cfg, std::string_view prefix, LangSkinEntry (&list)[kLangSkinMax],
                           IPrompt& prompt)
{
    int32_t nNum = 0;
    for (int n = 1; n <= kLangSkinMax; ++n) {
        const std::string key = std::string(prefix) + std::to_string(n);
        const std::string value = cfg.GetString(kOpt, key, "", kListValueCapacity);
        if (value.empty()) break;
        const std::u16string text = Utf8ToU16(value);
        const std::u16string_view view = text;
        const size_t nComma = view.find(u',');
        const bool bComma = nComma != std::u16string_view::npos;
        const std::u16string_view name = bComma ? Trim16(view.substr(0, nComma)) : std::u16string_view();
        std::u16string_view dir = bComma ? Trim16(view.substr(nComma + 1)) : std::u16string_view();
        // Names and folders keep what fits their field; the folder is checked as kept.
        dir = dir.substr(0, std::size(list[0].szDir) - 1);
        if (dir.empty() || !IsSafeFolder(dir)) {
            Report(prompt, kOpt, key, key + " is invalidate", value);
            break;
        }
        CopyToFixed(list[nNum].szName, name);
        CopyToFixed(list[nNum].szDir, dir);
        ++nNum;
    }
    return nNum;
}

fs::path ChosenFolder(const LangSkinEntry (&list)[kLangSkinMax], int32_t nNum, int32_t nIndex,
                      const fs::path& fallback)
{
    if (nNum <= 0) return fallback;
    const LangSkinEntry& entry = list[nIndex >= 0 && nIndex < nNum && nIndex < kLangSkinMax ? nIndex : 0];
    const std::u16string_view dir = FixedView(entry.szDir);
    if (!IsSafeFolder(dir)) return fallback;
    return g_szAppDir / fs::path(NormaliseFolder(dir));
}

}  // namespace

bool DataInit(const CIniFile& cfg, IPrompt& prompt, LogConfig logCfg)
{
    ClearGvar();
    GlobalVar& g = gVar;
    const std::vector<OptEntry> table = OptTable(g);

    const int32_t nDebug = cfg.GetInt(kOpt, "Debug", 0);
    for (size_t i = 0; i < kEarlyOptNum; ++i) ReadOpt(cfg, table[i], g, prompt);
    logCfg.nDebug = nDebug > 0 ? unsigned(nDebug) : 0u;
    LogStart(logCfg);
    if (!cfg.Exists()) LogPrintf("[OPT] cfg.ini not found: every option takes its default");

    for (size_t i = kEarlyOptNum; i < table.size(); ++i) ReadOpt(cfg, table[i], g, prompt);

    g.bMultiDev = (g.nMsFw != 0) + (g.nKbFw != 0) + (g.nPadFw != 0) > 1;

    if (g.nMacProtocol != 1 && g.nMacProtocol != 2)
        Report(prompt, kOpt, "MacProtocol", "Macro Protocol is unknown", std::to_string(g.nMacProtocol));

    // The device descriptions, each when its family is configured.
    if (g.nMsFw != 0) LoadMouseDescription(cfg, prompt);
    if (g.nKbFw != 0) LoadKeyboardDescription(cfg, prompt);
    if (g.nPadFw != 0) LoadPadDescription(cfg, prompt);

    return true;
}

bool PostInit(IPrompt& prompt)
{
    // The mouse key layout, before the keyboard steps: from keycfg.kyg in the
    // user folder when it holds one, else from the current sensor's default keys.
    if (gVar.nMsFw != 0) {
        const bool bKeyCfg = !g_szUserDir.empty() && ReadKeyCfg(g_szUserDir, g_KeyCfg, prompt) == KeyCfgState::Ok;
        BuildMouseKeyLayout(bKeyCfg ? &g_KeyCfg : nullptr, prompt);
    }
    if (gVar.nKbFw != 0) {
        // The keyboard's Fn layer (section FN of cfg.ini in the application
        // folder), before the check below.
        BuildFnTable(prompt);
        if (!IsKnownKbFw(gVar.nKbFw))
            Report(prompt, kOpt, "KbFw", "Wrong KbFw Value", std::to_string(gVar.nKbFw));
    }
    hwParam = HwParamFor(gVar.nMsFw, gVar.nKbFw);
    LogPrintf("hwParam: DelayMin=%d, BufferSize=%d, BufferNum=%d, LoopMax=%d, DelayMax=%d, MaxAction=%d",
              hwParam.nDelayMin, hwParam.nMacroBufferSize, hwParam.nMacroBufferNum, hwParam.nLoopMax,
              hwParam.nDelayMax, hwParam.nMaxAction);
    return true;
}

void LoadLangAndSkins(const CIniFile& cfg, const CIniFile& langIni, IPrompt& prompt)
{
    constexpr std::string_view kLangIni = "lang.ini OPT";
    GlobalVar& g = gVar;

    // A bad skin entry ends the skin list only: the languages do not depend on it.
    g.nSkinsNum = ReadNameFolderList(cfg, "Skins", g.Skins, prompt);
    int32_t nSkin = langIni.GetInt(kOpt, "SkinsIndex", 0);
    if (g.nSkinsNum > 0 && (nSkin < 0 || nSkin >= g.nSkinsNum)) {
        // lang.ini is the user's file; an index it holds must never pick a slot
        // outside the list.
        Report(prompt, kLangIni, "SkinsIndex", "SkinsIndex is invalidate", std::to_string(nSkin));
        nSkin = 0;
    } else if (g.nSkinsNum == 0 && nSkin != 0) {
        Note(kLangIni, "SkinsIndex", "no skin is listed, 0 used", std::to_string(nSkin));
        nSkin = 0;
    }
    g.nSkinsIndex = nSkin;

    g.nLangNum = ReadNameFolderList(cfg, "Lang", g.Lang, prompt);
    int32_t nLang = langIni.GetInt(kOpt, "LangIndex", 0);
    if (nLang < 0 || nLang >= (g.nLangNum > 0 ? g.nLangNum : 1)) {
        Note(kLangIni, "LangIndex", "out of range, 0 used", std::to_string(nLang));
        nLang = 0;
    }
    g.nLangIndex = nLang;
    LogPrintf("LoadLangAndSkins: %d skins (index %d), %d languages (index %d)", g.nSkinsNum, g.nSkinsIndex,
              g.nLangNum, g.nLangIndex);
}

std::vector<std::string_view> OptKeys()
{
    std::vector<std::string_view> keys{"Debug"};
    for (const OptEntry& e : OptTable(gVar)) keys.push_back(e.key);  // takes field addresses only
    return keys;
}

fs::path GetSkinDir()
{
    return ChosenFolder(gVar.Skins, gVar.nSkinsNum, gVar.nSkinsIndex, g_szAppDir / "skins");
}

fs::path CataloguePath()
{
    const fs::path fallback = g_szAppDir;
    return ChosenFolder(gVar.Lang, gVar.nLangNum, gVar.nLangIndex, fallback) / "text.xml";
}

std::vector<fs::path> CatalogueCandidates()
{
    std::vector<fs::path> paths{CataloguePath()};
    auto add = [&](const fs::path& p) {
        if (std::find(paths.begin(), paths.end(), p) == paths.end()) paths.push_back(p);
    };
    for (int32_t i = 0; i < gVar.nLangNum && i < kLangSkinMax; ++i)
        add(ChosenFolder(gVar.Lang, gVar.nLangNum, i, g_szAppDir) / "text.xml");
    add(g_szAppDir / "text.xml");
    // Last, the language folders shipped beside the program, for a cfg.ini whose list is lost.
    std::vector<fs::path> shipped;
    std::error_code ec;
    for (fs::directory_iterator it(g_szAppDir / "text", ec), end; !ec && it != end; it.increment(ec))
        if (it->is_directory(ec)) shipped.push_back(it->path() / "text.xml");
    std::sort(shipped.begin(), shipped.end());
    for (const fs::path& p : shipped) add(p);
    return paths;
}
