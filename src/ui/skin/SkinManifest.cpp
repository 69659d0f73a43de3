#include "ui/skin/SkinManifest.h"

#include <array>

namespace skin {

namespace {

constexpr SkinFolder C = SkinFolder::Chosen;
constexpr SkinFolder K = SkinFolder::Common;
constexpr SkinFolder M = SkinFolder::Mouse;

// Sizes: the main window is 1063 x 800 with the pages in (0, 95)-(1063, 767);
// key rows are 205 x 24; pop-up menu items 204 x 22; check and radio boxes
// 17 x 17; the level cells 57 wide; the message window fits its fixed button
// and prompt positions; the colour ring and wheel fit left of the bars at x 150.
constexpr SkinImageEntry kImages[] = {
    // Main window.
    {C, "main_nr.png", 1063, 800},
    {C, "btn_tip.png", 10, 10},
    {C, "proico.png", 16, 16},
    {C, "min_nr.png", 20, 20},
    {C, "min_ov.png", 20, 20},
    {C, "exit_nr.png", 20, 20},
    {C, "exit_ov.png", 20, 20},
    {C, "opt_nr.png", 20, 20},  // the options window's button
    {C, "opt_ov.png", 20, 20},
    {C, "light_nr.png", 65, 36},
    {C, "light_dn.png", 65, 36},
    {C, "DPI_nr.png", 65, 36},
    {C, "DPI_dn.png", 65, 36},
    {C, "setting_nr.png", 65, 36},
    {C, "setting_dn.png", 65, 36},
    {C, "mac_nr.png", 65, 36},
    {C, "mac_dn.png", 65, 36},
    {C, "trajectory_nr.png", 65, 36},
    {C, "trajectory_dn.png", 65, 36},
    {C, "LOD_nr.png", 65, 36},
    {C, "LOD_dn.png", 65, 36},
    {C, "navi_support_nr.png", 65, 36},
    {C, "navi_support_dn.png", 65, 36},
    {C, "navi_music_nr.png", 65, 36},
    {C, "navi_music_dn.png", 65, 36},
    {C, "dev_ms_nr.png", 60, 48},
    {C, "dev_ms_dn.png", 60, 48},
    {C, "dev_kb_nr.png", 60, 48},
    {C, "dev_kb_dn.png", 60, 48},
    {C, "dev_pad_nr.png", 60, 48},
    {C, "dev_pad_dn.png", 60, 48},
    {C, "add_nr.png", 24, 24},
    {C, "add_ov.png", 24, 24},
    {C, "del_nr.png", 24, 24},
    {C, "del_ov.png", 24, 24},
    {C, "edit_nr.png", 24, 24},
    {C, "edit_ov.png", 24, 24},
    {C, "radio_nr.png", 17, 17},
    {C, "radio_ov.png", 17, 17},
    {C, "radio_dn.png", 17, 17},

    // Lighting pages.
    {C, "combo2_nr.png", 160, 24},
    {C, "combo2_ov.png", 160, 24},
    {C, "Ledmenu_nr.png", 180, 26},
    {C, "Ledmenu_ov.png", 180, 26},
    {C, "keymenu_nr.png", 205, 24},
    {C, "keymenu_ov.png", 205, 24},
    {C, "check_nr.png", 17, 17},
    {C, "check_ov.png", 17, 17},
    {C, "check_dn.png", 17, 17},
    {C, "reset_nr.png", 24, 24},
    {C, "reset_ov.png", 24, 24},
    {C, "lightleft_nr.png", 24, 24},
    {C, "lightleft_dn.png", 24, 24},
    {C, "lightright_nr.png", 24, 24},
    {C, "lightright_dn.png", 24, 24},
    {C, "lightup_nr.png", 24, 24},
    {C, "lightup_dn.png", 24, 24},
    {C, "lightdown_nr.png", 24, 24},
    {C, "lightdown_dn.png", 24, 24},
    {C, "sub_nr.png", 24, 24},
    {C, "sub_ov.png", 24, 24},
    {C, "cow_nr.png", 24, 24},
    {C, "cow_dn.png", 24, 24},
    {C, "acow_nr.png", 24, 24},
    {C, "acow_dn.png", 24, 24},
    {C, "bar.png", 410, 13},
    {C, "bar_ov.png", 410, 13},
    {C, "bar-ov.png", 410, 13},  // the battery and lift-off pages spell it with a hyphen
    {C, "rgb_bar.png", 270, 13},
    {C, "slider.png", 10, 13},
    {C, "slider2.png", 10, 13},
    {C, "bar_dot.png", 3, 3},
    {C, "ColorRing.png", 130, 130},
    {C, "Colorwheel.png", 108, 108},
    {C, "rgbslider.png", 11, 8},

    // Music page.
    {C, "sw_nr.png", 40, 20},
    {C, "sw_dn.png", 40, 20},

    // Colour editors, message, query, notice and progress windows.
    {C, "btn_nr.png", 90, 30},
    {C, "btn_ov.png", 90, 30},
    {C, "msg_nr.png", 464, 220},
    {C, "button_nr.png", 124, 22},
    {C, "button_ov.png", 124, 22},
    {C, "Button_nr.png", 124, 22},
    {C, "Button_ov.png", 124, 22},
    {C, "supbtn_nr.png", 190, 24},  // the support page's check buttons, wide enough for their captions
    {C, "supbtn_ov.png", 190, 24},
    {C, "Check_nr.png", 17, 17},
    {C, "Check_dn.png", 17, 17},
    {C, "notify.png", 360, 220},

    // Mouse settings pages.
    {C, "dpigrid_nr.png", 57, 23},
    {C, "dpigrid_dn.png", 57, 23},
    {C, "DpiGridXY_nr.png", 57, 36},
    {C, "DpiGridXY_dn.png", 57, 36},
    {C, "levels_nr.png", 80, 24},
    {C, "levels_ov.png", 80, 24},
    {C, "125HZ.png", 56, 30},
    {C, "250HZ.png", 56, 30},
    {C, "500HZ.png", 56, 30},
    {C, "1000HZ.png", 56, 30},
    {C, "sw_on.png", 40, 20},
    {C, "sw_off.png", 40, 20},
    {C, "BatteryEmpty.png", 48, 24},
    {C, "BatteryFull.png", 48, 24},
    {C, "Charging.png", 48, 24},
    {C, "height_nr.png", 64, 40},

    // Key and macro pages.
    {C, "vkb_nr.png", 40, 24},
    {C, "vkb_dn.png", 40, 24},
    {C, "macro_nr.png", 1063, 672},
    {C, "mac_add_nr.png", 24, 24},
    {C, "mac_del_nr.png", 24, 24},
    {C, "mac_edit_nr.png", 24, 24},
    {C, "mac_rec_nr.png", 24, 24},
    {C, "mac_delay.png", 16, 16},
    {C, "mac_keydn.png", 16, 16},
    {C, "mac_keyup.png", 16, 16},
    {C, "MV_N.png", 16, 16},
    {C, "SR_N.png", 16, 16},
    {C, "open.png", 12, 12},
    {C, "close.png", 12, 12},
    {C, "flag.png", 16, 16},
    {C, "fire.png", 16, 16},
    {C, "firekeylogo.png", 48, 48},
    {C, "logo.png", 320, 150},  // the support page's: its ink follows the skin
    {C, "chiji_nr.png", 720, 580},
    {C, "chiji_ov.png", 720, 580},
    {C, "pickfundlg.png", 460, 300},
    // The key page's number marks, looked up below the chosen skin.
    {C, "mouse/number1.png", 18, 18},
    {C, "mouse/number2.png", 18, 18},
    {C, "mouse/number3.png", 18, 18},
    {C, "mouse/number4.png", 18, 18},
    {C, "mouse/number5.png", 18, 18},
    {C, "mouse/number6.png", 18, 18},
    {C, "mouse/number7.png", 18, 18},
    {C, "mouse/number8.png", 18, 18},
    {C, "mouse/number9.png", 18, 18},
    {C, "mouse/number10.png", 18, 18},
    {C, "mouse/number11.png", 18, 18},
    {C, "mouse/number12.png", 18, 18},
    {C, "mouse/number13.png", 18, 18},
    {C, "mouse/number14.png", 18, 18},
    {C, "mouse/number15.png", 18, 18},
    {C, "mouse/number16.png", 18, 18},
    {C, "mouse/number17.png", 18, 18},
    {C, "mouse/number18.png", 18, 18},
    {C, "mouse/number19.png", 18, 18},
    {C, "mouse/number20.png", 18, 18},
    {C, "mouse/number21.png", 18, 18},

    // Options and support pages.
    {C, "button3_nr.png", 92, 26},
    {C, "button3_ov.png", 92, 26},
    {C, "combo_nr.png", 115, 20},
    {C, "combo_ov.png", 115, 20},
    {C, "dot_nr.png", 28, 22},
    {C, "dot_ov.png", 28, 22},
    {C, "support_nr.png", 1063, 672},

    // Shared by every skin.
    {K, "keyimg.png", 0, 0},
    {K, "audio_bar.png", 16, 120},
    {K, "slider.png", 10, 13},
    {K, "menu_nr.png", 204, 22},
    {K, "menu_ov.png", 204, 22},
    {K, "menusub_nr.png", 204, 22},
    {K, "menusub_ov.png", 204, 22},
    {K, "appico.png", 128, 128},  // the program's icon (window, tray, desktop menu)
    {K, "bar.png", 300, 12},
    {K, "bar_ov.png", 300, 12},
    {K, "pad_nr.png", 520, 340},
    {K, "ms_mk.skn", 320, 410},
    {K, "pd_mk.skn", 520, 340},
    {K, "main_nr.png", 1063, 800},
    {K, "msg_nr.png", 530, 200},  // the preset colour editor's background
    {K, "progress_nr.png", 530, 150},
    {K, "progress_ov.png", 530, 150},
    // The bullet page takes its images from the shared folder.
    {K, "macro_nr.png", 1063, 672},
    {K, "mac_add_nr.png", 24, 24},
    {K, "mac_del_nr.png", 24, 24},
    {K, "radio_nr.png", 17, 17},
    {K, "radio_ov.png", 17, 17},
    {K, "radio_dn.png", 17, 17},
    {K, "open.png", 12, 12},
    {K, "close.png", 12, 12},
    {K, "flag.png", 16, 16},
    {K, "fire.png", 16, 16},
    {K, "mac_delay.png", 16, 16},
    {K, "mac_keydn.png", 16, 16},
    {K, "mac_keyup.png", 16, 16},

    // Mouse pictures.
    {M, "mouse_nr.png", 320, 410},
    {M, "mouse_dn.png", 320, 410},
    {M, "mouse2_nr.png", 320, 410},
    {M, "mouse3_nr.png", 320, 410},
    {M, "number1.png", 18, 18},
    {M, "number2.png", 18, 18},
    {M, "number3.png", 18, 18},
    {M, "number4.png", 18, 18},
    {M, "number5.png", 18, 18},
    {M, "number6.png", 18, 18},
    {M, "number7.png", 18, 18},
    {M, "number8.png", 18, 18},
    {M, "number9.png", 18, 18},
    {M, "number10.png", 18, 18},
    {M, "number11.png", 18, 18},
    {M, "number12.png", 18, 18},
    {M, "number13.png", 18, 18},
    {M, "number14.png", 18, 18},
    {M, "number15.png", 18, 18},
    {M, "number16.png", 18, 18},
    {M, "number17.png", 18, 18},
    {M, "number18.png", 18, 18},
    {M, "number19.png", 18, 18},
    {M, "number20.png", 18, 18},
    {M, "number21.png", 18, 18},
};

constexpr MaskPair kMasks[] = {
    {K, "ms_mk.skn", M, "mouse_nr.png"},
    {K, "pd_mk.skn", K, "pad_nr.png"},
};

}  // namespace

std::span<const SkinImageEntry> RequiredImages() { return kImages; }

std::span<const MaskPair> MaskPairs() { return kMasks; }

QString StateStem(const QString& strName)
{
    const QString strLower = strName.toLower();
    for (const char* pszSuffix : {"_nr.png", "_ov.png", "_dn.png"}) {
        if (strLower.endsWith(QLatin1String(pszSuffix)) && strLower.size() > 7) return strLower.chopped(7);
    }
    return {};
}

}  // namespace skin
