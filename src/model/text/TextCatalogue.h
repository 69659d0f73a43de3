// The text catalogue: every user-visible text of the program, read from the
// chosen language's text.xml into one process-wide table. Pages read the table
// directly; a reload (start-up, language change) replaces every text in place,
// so the next repaint or re-caption shows the new language.
//
// Field names are the catalogue's key names (case-sensitive: tc_PL, tc_Varo_led).
// A numbered family is an array whose element i holds key <family><i+1>; read it
// with the 1-based number the key carries: gText.tc_msg(13) is tc_msg13.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// One numbered family of texts. Numbers start at 1, as in the key names; a
// number outside 1..N gives the empty text instead of reading out of bounds.
template <size_t N>
struct CTextFamily {
    static constexpr size_t kCount = N;
    std::array<std::u16string, N> items;  // items[i] is key number i + 1

    const std::u16string& operator()(int nNumber) const
    {
        static const std::u16string s_strEmpty;
        return nNumber >= 1 && size_t(nNumber) <= N ? items[size_t(nNumber - 1)] : s_strEmpty;
    }
};

struct CTextTable {
    // Program, tray menu, main window.
    std::u16string tc_title, tc_config, tc_exit, tc_version, tc_web, tc_facebook, tc_twitter;
    std::u16string tc_restore, tc_ok, tc_cancel, tc_apply, tc_proname, tc_tips2, tc_tipfordevcfg;
    std::u16string tc_nodevupdate, tc_moving, tc_lod;
    // Macro editor, recorder and picker. There is no tc_macro_msg2.
    std::u16string tc_macro, tc_macro_stop, tc_macro_start, tc_macro_list, tc_macro_key_list;
    std::u16string tc_macro_auto, tc_macro_loop, tc_macro_loop1, tc_macro_loop2, tc_macro_loop3;
    std::u16string tc_macro_msg1, tc_macro_msg3, tc_macro_msg4, tc_macro_msg5, tc_macro_msg6;
    std::u16string tc_macro_msg7, tc_macro_msg8, tc_macro_msg9, tc_macro_msg10, tc_macro_msg11;
    std::u16string tc_macro_msg12, tc_macro_msg13, tc_macro_msg14, tc_macro_msg15, tc_macro_msg16;
    std::u16string tc_macro_msg17, tc_macro_msg18, tc_macro_msg19, tc_macro_msg20, tc_macro_msg21;
    std::u16string tc_macro_msg22, tc_macro_msg23, tc_macro_msg24, tc_macro_msg25, tc_macro_msg26;
    std::u16string tc_macro_msg27, tc_macro_msg28, tc_macro_msg29, tc_macro_msg30, tc_macro_msg31;
    std::u16string tc_macro_msg32, tc_macro_msg33, tc_macro_msg34, tc_macro_msg35, tc_macro_msg36;
    // Key and button functions.
    std::u16string tc_click, tc_menu, tc_middle, tc_forward, tc_back, tc_scrollup, tc_scrolldown;
    std::u16string tc_dclick, tc_mac_def, tc_key_off, tc_combokey, tc_media, tc_snipe, tc_reportsw;
    std::u16string tc_three, tc_rgb, tc_rgbsw, tc_stroke, tc_mdsw, tc_titlt1, tc_titlt2, tc_dpi;
    std::u16string tc_dpiadd, tc_dpisub, tc_dpiloop, tc_customkey, tc_hz, tc_keysnipe, tc_keysnipe2;
    std::u16string tc_fire, tc_fire1, tc_fire2, tc_fire3, tc_PL, tc_stop, tc_pre_media, tc_next_media;
    std::u16string tc_vol_up, tc_vol_dw, tc_mute, tc_kbmedia_stop, tc_kbmedia_search, tc_kbmedia_mail;
    std::u16string tc_kbmedia_main, tc_kbmedia_explore, tc_kbmedia_cal, tc_kbmedia_refresh;
    std::u16string tc_kbmedia_favor, tc_kbmedia_msel, tc_kbmedia_briup, tc_kbmedia_bridn;
    std::u16string tc_kb_briup, tc_kb_bridn;
    // Lighting page labels, system options, support link.
    std::u16string tc_brightness, tc_speed, tc_direct;
    std::u16string tc_sys_str1, tc_sys_str2, tc_sys_str3, tc_sys_str4, tc_sys_str5;
    std::u16string tc_support_url;

    CTextFamily<9> tc_power;
    CTextFamily<4> tc_vkb;
    CTextFamily<20> tc_chiji;
    CTextFamily<30> tc_msg;
    CTextFamily<21> tc_ms;
    CTextFamily<12> tc_kb;
    CTextFamily<15> tc_ms_led;
    CTextFamily<15> tc_ms2_led;
    CTextFamily<10> tc_ms3_led;
    CTextFamily<25> tc_kb_led;
    CTextFamily<25> tc_Varo_led;
    CTextFamily<15> tc_pad_led;
    CTextFamily<10> tc_game_mode;
    CTextFamily<3> tc_lodval;
    CTextFamily<12> tc_adv_str;
    CTextFamily<20> tc_bullet;
    CTextFamily<4> tc_hw;
    CTextFamily<4> tc_ex;
    CTextFamily<20> tc_spr;
    CTextFamily<10> tc_music;
    CTextFamily<10> tc_music_mode;
};

// The process-wide table. Written only by LoadTextCatalogue (user-interface
// thread, before the main window exists and on a language change); read-only
// between loads.
extern CTextTable gText;
// Read-only view of the same table, for code that only shows texts.
inline const CTextTable& TextCatalogue() { return gText; }

struct CatalogueLoad {
    bool bRead = false;        // the file was read and indexed
    bool bWellFormed = false;  // a document with errors still gives what it indexed
    bool bTitle = false;       // the program's title (tc_title) is in it
    std::string strWhy;        // why it was not read, or what is wrong with the document
    // Good enough for a window.
    bool Usable() const { return bRead && bTitle; }
};

// (Re)loads the whole table from the file at path. Every text is overwritten:
// a key missing from the file becomes empty, and a file that cannot be read
// leaves every text empty. Afterwards an empty tc_lod reads "LOD" and an empty
// tc_hz reads "Hz". Nothing is shown to the user; the log notes a failure, and
// the result says what happened so that the caller can.
CatalogueLoad LoadTextCatalogue(const std::filesystem::path& path);

// The text of key under the first element named section below the root of the
// last loaded catalogue, or, when that element lacks it, under the first
// section element nested in it, and so on inward. Empty when not found.
std::u16string LookupText(std::string_view section, std::string_view key);

// The field for a key name as written in text.xml ("tc_title", "tc_msg13"), or
// null when the program knows no such key. Names are case-sensitive.
const std::u16string* FindText(std::string_view key);

// Every key the program reads, in loading order (families expanded:
// tc_power1 .. tc_power9, ...).
std::vector<std::string> AllTextKeys();
