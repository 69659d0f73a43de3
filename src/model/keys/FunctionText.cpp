#include "keys/FunctionText.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "core/Gvar.h"
#include "core/SensorTables.h"
#include "core/Utf.h"
#include "keys/FunId.h"
#include "keys/KeyCodes.h"
#include "keys/KeyNames.h"
#include "keys/MacroList.h"
#include "text/TextCatalogue.h"

namespace {

constexpr size_t kGunTextMax = 49;

// Cuts to at most n code units without leaving half a surrogate pair.
void CutTo(std::u16string& str, size_t n)
{
    if (str.size() <= n) return;
    if (n > 0 && str[n - 1] >= 0xD800 && str[n - 1] <= 0xDBFF) --n;
    str.resize(n);
}

std::u16string Joined(std::u16string_view a, std::u16string_view sep, std::u16string_view b)
{
    std::u16string str(a);
    str += sep;
    str += b;
    return str;
}

std::u16string MouseText(uint32_t v, const CTextTable& t)
{
    switch (v) {
    case kMsLeft: return t.tc_click;
    case kMsMiddle: return t.tc_middle;
    case kMsRight: return t.tc_menu;
    case kMsForward: return t.tc_forward;
    case kMsBack: return t.tc_back;
    case kMsDoubleClick: return t.tc_dclick;
    case kMsThree: return t.tc_three;
    case kMsWheelUp: return t.tc_scrollup;
    case kMsWheelDown: return t.tc_scrolldown;
    default: return {};
    }
}

std::u16string ConsumerText(uint32_t v, const CTextTable& t)
{
    switch (v) {
    case kCcMediaSelect: return t.tc_kbmedia_msel;
    case kCcPlayPause: return t.tc_PL;
    case kCcStop: return t.tc_stop;
    case kCcPrevTrack: return t.tc_pre_media;
    case kCcNextTrack: return t.tc_next_media;
    case kCcVolumeUp: return t.tc_vol_up;
    case kCcVolumeDown: return t.tc_vol_dw;
    case kCcMute: return t.tc_mute;
    case kCcBrightnessUp: return t.tc_kbmedia_briup;
    case kCcBrightnessDown: return t.tc_kbmedia_bridn;
    case kCcMail: return t.tc_kbmedia_mail;
    case kCcCalculator: return t.tc_kbmedia_cal;
    case kCcMyComputer: return t.tc_kbmedia_explore;
    case kCcSearch: return t.tc_kbmedia_search;
    case kCcBrowserHome: return t.tc_kbmedia_main;
    case kCcBrowserBack: return t.tc_back;
    case kCcBrowserForward: return t.tc_forward;
    case kCcBrowserStop: return t.tc_kbmedia_stop;
    case kCcBrowserRefresh: return t.tc_kbmedia_refresh;
    case kCcFavourites: return t.tc_kbmedia_favor;
    default: return {};
    }
}

// Name of the key a fire key fires: the mouse buttons by their texts, any
// other code by its key name.
std::u16string FiredKeyName(uint8_t vk, const CTextTable& t, int nKbType)
{
    switch (vk) {
    case kVkMsLeft: return t.tc_click;
    case kVkMsRight: return t.tc_menu;
    case kVkMsMiddle: return t.tc_middle;
    case kVkMsForward: return t.tc_forward;
    case kVkMsBack: return t.tc_back;
    case kVkMsTilt1: return t.tc_titlt1;
    case kVkMsTilt2: return t.tc_titlt2;
    default: return GetKeyName(vk, nKbType);
    }
}

std::u16string GunPresetText(uint32_t dwParam, const CTextTable& t)
{
    const GunPresetParam p = UnpackGunPreset(dwParam);
    std::u16string strScope;
    switch (p.nScope) {
    case 0: strScope = t.tc_chiji(15); break;
    case 1: strScope = u"4X"; break;
    case 2: strScope = t.tc_chiji(6); break;
    default: break;
    }
    CutTo(strScope, kGunTextMax);
    std::u16string str = t.tc_chiji(14);
    str += u' ';
    str += GunName(p.nGun);
    str += u" + ";
    str += strScope;
    CutTo(str, kGunTextMax);
    return str;
}

// "0x080000B4": the label of a function the catalogue has no text for.
std::u16string CodeLabel(uint32_t dwFunID)
{
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string str = u"0x";
    for (int shift = 28; shift >= 0; shift -= 4) str += kHex[(dwFunID >> shift) & 0xF];
    return str;
}

std::u16string SpecialText(const KeyInfo& key, uint32_t v, const CFunctionTextSources& src, const CTextTable& t)
{
    switch (v) {
    case kSpKeyOff: return t.tc_key_off;
    case kSpShift: return u"Shift";
    case kSpSnipe: {
        // Step number from 1; 0 (or a step the sensor lacks) shows the value 0.
        const int32_t nDpi = key.dwParam >= 1 && src.dpiOfStep ? src.dpiOfStep(key.dwParam - 1) : 0;
        return Joined(t.tc_snipe, u" - ", Utf8ToU16(std::to_string(nDpi)));
    }
    case kSpLightOnOff: return t.tc_rgb;
    case kSpDpiUp: return t.tc_dpiadd;
    case kSpDpiDown: return t.tc_dpisub;
    case kSpDpiCycle: return t.tc_dpiloop;
    case kSpModeSwitch: return t.tc_mdsw;
    case kSpReportRateSwitch: return t.tc_reportsw;
    case kSpCustomKey: return t.tc_customkey;
    case kSpLightModeSwitch: return t.tc_rgbsw;
    case kSpKeySnipe: return t.tc_keysnipe;
    case kSpMsg16: return t.tc_msg(16);
    case kSpMsg17: return t.tc_msg(17);
    case kSpSpeedUp: return t.tc_speed + u" +";
    case kSpSpeedDown: return t.tc_speed + u" -";
    // These two have no text key of their own (the catalogue's tc_msg20 is a
    // message about profile names), so they show their code.
    case kSpB4:
    case kSpB7: return CodeLabel(key.FunID);
    case kSpKbBrightUp: return !t.tc_kb_briup.empty() ? t.tc_kb_briup : t.tc_brightness + u" +";
    case kSpKbBrightDown: return !t.tc_kb_bridn.empty() ? t.tc_kb_bridn : t.tc_brightness + u" -";
    case kSpGunPreset: return GunPresetText(key.dwParam, t);
    case kSpGunSwitch: return t.tc_chiji(3);
    case kSpReportRateUp: return t.tc_reportsw + u" +";
    case kSpReportRateDown: return t.tc_reportsw + u" -";
    default: return {};
    }
}

bool Find(const MacroNameLookup& find, uint32_t dwMacroID, std::u16string& strName)
{
    return find && find(dwMacroID, strName);
}

bool NameOf(const MacroRecord* pRec, std::u16string& strName)
{
    if (!pRec) return false;
    strName = FixedView(pRec->szName);
    return true;
}

CFunctionTextSources ProcessSources()
{
    CFunctionTextSources src;
    src.findMacro = [](uint32_t id, std::u16string& strName) { return NameOf(GetMacroById(id), strName); };
    src.findBullet = [](uint32_t id, std::u16string& strName) { return NameOf(GetBulletById(id), strName); };
    src.dpiOfStep = [](uint32_t nStep) {
        return nStep <= uint32_t(INT32_MAX) ? DpiByIndex(gVar.Ms.nMsSensor, int32_t(nStep)) : 0;
    };
    src.nKbType = gVar.nKbType;
    return src;
}

}  // namespace

std::u16string GetFunctionText(const KeyInfo& key, const CFunctionTextSources& src)
{
    const CTextTable& t = TextCatalogue();
    const auto [byClass, v] = SplitFunID(key.FunID);
    std::u16string strName;
    switch (byClass) {
    case FUN_MACRO:
        return Find(src.findMacro, key.MacroID, strName) ? Joined(t.tc_mac_def, u" - ", strName) : std::u16string();
    case FUN_BULLET:
        return Find(src.findBullet, key.MacroID, strName) ? Joined(t.tc_bullet(14), u" - ", strName)
                                                          : std::u16string();
    case FUN_KEY: {
        if (key.byModifier == 0 && key.byKey1 == kVkFn) return u"Fn";
        if (const uint32_t cc = MediaVkToConsumer(key.byKey1)) return ConsumerText(cc, t);
        return GetComboText(key.byModifier, key.byKey1, key.byKey2, src.nKbType);
    }
    default: break;
    }
    // The fire key is recognised by its value in whatever class it sits.
    if (v == kSpFire)
        return Joined(t.tc_fire, u" - ", FiredKeyName(UnpackFireKey(key.dwParam).byKey, t, src.nKbType));
    switch (byClass) {
    case FUN_MOUSE: return MouseText(v, t);
    case FUN_APP:
    case FUN_MEDIA: return ConsumerText(v, t);
    case FUN_SPECIAL: return SpecialText(key, v, src, t);
    case FUN_HW: return v < kHwIndexCount ? t.tc_hw(int(v) + 1) : std::u16string();
    case FUN_EXKEY: return v < 4 ? t.tc_ex(int(v) + 1) : std::u16string();  // 4 and 5 have no text
    default: return {};
    }
}

std::u16string GetFunctionText(const KeyInfo& key) { return GetFunctionText(key, ProcessSources()); }

bool IsFunctionValid(const KeyInfo& key, const CFunctionTextSources& src)
{
    if (!IsKnownFunID(key.FunID)) return false;
    std::u16string strName;
    switch (FunClass(key.FunID)) {
    case FUN_KEY: return key.byModifier != 0 || key.byKey1 != 0 || key.byKey2 != 0;
    case FUN_MACRO: return Find(src.findMacro, key.MacroID, strName);
    case FUN_BULLET: return Find(src.findBullet, key.MacroID, strName);
    default: return true;
    }
}

bool IsFunctionValid(const KeyInfo& key) { return IsFunctionValid(key, ProcessSources()); }

std::u16string_view GunName(uint32_t nGun)
{
    static constexpr std::u16string_view kGuns[kGunCount] = {u"M4",     u"AKM",     u"M16", u"UMP9",
                                                             u"SCAR-L", u"TOMPSON", u"UZI"};
    return nGun < uint32_t(kGunCount) ? kGuns[nGun] : std::u16string_view();
}
