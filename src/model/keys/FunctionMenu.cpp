#include "keys/FunctionMenu.h"

#include <algorithm>

#include "core/Gvar.h"
#include "core/Utf.h"
#include "keys/FunId.h"
#include "text/TextCatalogue.h"

bool IsMenuHeader(const std::vector<MenuItem>& items, size_t i)
{
    return std::any_of(items.begin(), items.end(), [&](const MenuItem& m) { return m.nParent == int(i); });
}

std::vector<size_t> MenuChildren(const std::vector<MenuItem>& items, int nParent)
{
    std::vector<size_t> v;
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].nParent == nParent) v.push_back(i);
    return v;
}

MouseMenuOptions MouseMenuOptions::FromGvar(bool bProfile, int nMode)
{
    MouseMenuOptions o;
    o.bProfile = bProfile;
    o.nMsFw = gVar.nMsFw;
    o.nMode = nMode;
    o.bShowPUBGMenu = gVar.Ms.nShowPUBGMenu != 0;
    o.bShowReportSw = gVar.Ms.nShowReportSw != 0;
    o.bRgbSW = gVar.Ms.nRgbSW != 0;
    o.bShowKeySnip = gVar.Ms.nShowKeySnip != 0;
    o.nShowEx = uint32_t(gVar.Ms.nShowEx);
    std::copy(std::begin(gVar.Ms.nSnipMenu), std::end(gVar.Ms.nSnipMenu), o.snipMenu.begin());
    o.nGunKeyParam = gVar.Ms.nGunKeyParam;
    for (const auto& mode : g_MsKeyLayout)
        for (const KeyInfo& k : mode) o.layoutCodes.push_back(k.FunID);
    if (pSensorCfg) std::copy(std::begin(pSensorCfg->Dpi), std::end(pSensorCfg->Dpi), o.sensorDpi.begin());
    return o;
}

std::vector<MenuItem> BuildMouseFunctionMenu(const MouseMenuOptions& opt)
{
    const auto text = [&](const char* key) {
        if (opt.text) return opt.text(key);
        const std::u16string* p = FindText(key);
        return p ? *p : std::u16string();
    };
    std::vector<MenuItem> items;
    const auto add = [&](int nParent, uint32_t dwCode, std::u16string s) {
        if (s.size() > kMenuTextMax) s.resize(kMenuTextMax);
        items.push_back({nParent, dwCode, std::move(s)});
        return int(items.size() - 1);
    };
    // An entry that appears only when its text is not empty.
    const auto addIfText = [&](int nParent, uint32_t dwCode, const char* key) {
        if (std::u16string s = text(key); !s.empty()) add(nParent, dwCode, std::move(s));
    };
    const auto inLayout = [&](uint32_t dwCode) {
        return std::find(opt.layoutCodes.begin(), opt.layoutCodes.end(), dwCode) != opt.layoutCodes.end();
    };

    add(kMenuTop, kFunLeftClick, text("tc_click"));
    add(kMenuTop, MakeFunID(FUN_MOUSE, 0x13), text("tc_menu"));
    add(kMenuTop, MakeFunID(FUN_MOUSE, 0x12), text("tc_middle"));
    add(kMenuTop, MakeFunID(FUN_MOUSE, 0x14), text("tc_forward"));
    add(kMenuTop, MakeFunID(FUN_MOUSE, 0x15), text("tc_back"));
    add(kMenuTop, MakeFunID(FUN_MOUSE, 0x18), text("tc_scrollup"));
    add(kMenuTop, MakeFunID(FUN_MOUSE, 0x19), text("tc_scrolldown"));
    addIfText(kMenuTop, MakeFunID(FUN_MOUSE, 0x17), "tc_three");
    if (opt.bProfile && (opt.nMsFw & 0xFF) > 15 && opt.nMode == 1 && opt.bShowPUBGMenu) {
        add(kMenuTop, kFunMenuGunPreset, text("tc_chiji1"));
        add(kMenuTop, kFunMenuGunSwitch, text("tc_chiji3"));
    }
    addIfText(kMenuTop, kFunFire, "tc_fire");
    add(kMenuTop, kFunKeyCombo, text("tc_combokey"));
    if (inLayout(MakeFunID(FUN_SPECIAL, 0xA7))) addIfText(kMenuTop, MakeFunID(FUN_SPECIAL, 0xA7), "tc_rgb");
    if (opt.bShowReportSw && inLayout(MakeFunID(FUN_SPECIAL, 0xAC)))
        add(kMenuTop, MakeFunID(FUN_SPECIAL, 0xAC), text("tc_reportsw"));
    if (opt.bRgbSW && inLayout(MakeFunID(FUN_SPECIAL, 0xAE))) add(kMenuTop, MakeFunID(FUN_SPECIAL, 0xAE), text("tc_rgbsw"));
    add(kMenuTop, kFunMacro, text("tc_mac_def"));
    if (opt.nGunKeyParam != 0) addIfText(kMenuTop, kFunCustomKey, "tc_customkey");
    add(kMenuTop, kFunKeyOff, text("tc_key_off"));
    if (opt.bShowKeySnip) add(kMenuTop, kFunKeySnipe, text("tc_keysnipe"));
    if (opt.nMode >= 0 && opt.nMode < 3 && (opt.nShowEx >> (8 * opt.nMode) & 0xFF) != 0) {
        static const char* const kEx[] = {"tc_ex1", "tc_ex2", "tc_ex3", "tc_ex4"};
        for (uint32_t i = 0; i < 4; ++i) {
            std::u16string s = text(kEx[i]);
            if (s.empty()) break;
            add(kMenuTop, MakeFunID(FUN_EXKEY, i), std::move(s));
        }
    }
    const int nDpi = add(kMenuTop, MakeFunID(FUN_SPECIAL, 0), text("tc_dpi"));
    const int nMedia = add(kMenuTop, MakeFunID(FUN_MEDIA, 0), text("tc_media"));
    const int nSnipe = opt.snipMenu[0] != 0 ? add(kMenuTop, kFunSnipe, text("tc_snipe")) : -1;

    static const struct { uint32_t dwCode; const char* key; bool bIfText; } kMedia[] = {
        {0x04000021, "tc_kbmedia_msel", false}, {0x04000022, "tc_PL", false},
        {0x04000025, "tc_next_media", false},   {0x04000024, "tc_pre_media", false},
        {0x04000023, "tc_stop", false},         {0x04000028, "tc_mute", false},
        {0x04000026, "tc_vol_up", false},       {0x04000027, "tc_vol_dw", false},
        {0x03000030, "tc_kbmedia_mail", true},  {0x03000031, "tc_kbmedia_cal", true},
        {0x03000032, "tc_kbmedia_explore", true}, {0x03000034, "tc_kbmedia_main", true},
    };
    for (const auto& m : kMedia) {
        if (m.bIfText)
            addIfText(nMedia, m.dwCode, m.key);
        else
            add(nMedia, m.dwCode, text(m.key));
    }
    add(nDpi, MakeFunID(FUN_SPECIAL, 0xA8), text("tc_dpiadd"));
    add(nDpi, MakeFunID(FUN_SPECIAL, 0xA9), text("tc_dpisub"));
    add(nDpi, MakeFunID(FUN_SPECIAL, 0xAA), text("tc_dpiloop"));
    if (nSnipe >= 0) {
        const int nCount = std::min<int>(opt.snipMenu[1], int(opt.snipMenu.size()) - 2);
        for (int i = 0; i < nCount; ++i) {
            const uint8_t byLevel = opt.snipMenu[size_t(2 + i)];
            // A level the sensor does not have is left out rather than shown as 0.
            if (byLevel >= opt.sensorDpi.size() || opt.sensorDpi[byLevel] <= 0) continue;
            add(nSnipe, kFunSnipe + (uint32_t(byLevel) << 8), Utf8ToU16(std::to_string(opt.sensorDpi[byLevel])));
        }
    }
    return items;
}
