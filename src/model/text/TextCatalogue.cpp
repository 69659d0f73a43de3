#include "text/TextCatalogue.h"

#include <unordered_map>

#include "core/Log.h"
#include "core/Utf.h"
#include "text/XmlReader.h"

CTextTable gText;

namespace {

// One entry of the key list: a single key (a span of one text) or a numbered
// family (its whole array; key i+1 is element i).
struct TextField {
    const char* pszName;
    bool bFamily;
    std::span<std::u16string> (*fields)(CTextTable&);
};

#define ZV_TEXT(key) \
    TextField { #key, false, [](CTextTable& t) { return std::span<std::u16string>(&t.key, 1); } }
#define ZV_TEXTS(key) \
    TextField { #key, true, [](CTextTable& t) { return std::span<std::u16string>(t.key.items); } }

// Loading order: the single keys, then the families with a few single keys
// between them, as the catalogue has always been read.
const TextField kFields[] = {
    ZV_TEXT(tc_title), ZV_TEXT(tc_config), ZV_TEXT(tc_exit), ZV_TEXT(tc_version), ZV_TEXT(tc_web),
    ZV_TEXT(tc_facebook), ZV_TEXT(tc_twitter), ZV_TEXT(tc_restore), ZV_TEXT(tc_ok), ZV_TEXT(tc_cancel),
    ZV_TEXT(tc_apply), ZV_TEXT(tc_proname), ZV_TEXT(tc_tips2), ZV_TEXT(tc_tipfordevcfg),
    ZV_TEXT(tc_nodevupdate), ZV_TEXT(tc_moving), ZV_TEXT(tc_lod),
    ZV_TEXT(tc_macro), ZV_TEXT(tc_macro_stop), ZV_TEXT(tc_macro_start), ZV_TEXT(tc_macro_list),
    ZV_TEXT(tc_macro_key_list), ZV_TEXT(tc_macro_auto), ZV_TEXT(tc_macro_loop), ZV_TEXT(tc_macro_loop1),
    ZV_TEXT(tc_macro_loop2), ZV_TEXT(tc_macro_loop3), ZV_TEXT(tc_macro_msg1), ZV_TEXT(tc_macro_msg3),
    ZV_TEXT(tc_macro_msg4), ZV_TEXT(tc_macro_msg5), ZV_TEXT(tc_macro_msg6), ZV_TEXT(tc_macro_msg7),
    ZV_TEXT(tc_macro_msg8), ZV_TEXT(tc_macro_msg9), ZV_TEXT(tc_macro_msg10), ZV_TEXT(tc_macro_msg11),
    ZV_TEXT(tc_macro_msg12), ZV_TEXT(tc_macro_msg13), ZV_TEXT(tc_macro_msg14), ZV_TEXT(tc_macro_msg15),
    ZV_TEXT(tc_macro_msg16), ZV_TEXT(tc_macro_msg17), ZV_TEXT(tc_macro_msg18), ZV_TEXT(tc_macro_msg19),
    ZV_TEXT(tc_macro_msg20), ZV_TEXT(tc_macro_msg21), ZV_TEXT(tc_macro_msg22), ZV_TEXT(tc_macro_msg23),
    ZV_TEXT(tc_macro_msg24), ZV_TEXT(tc_macro_msg25), ZV_TEXT(tc_macro_msg26), ZV_TEXT(tc_macro_msg27),
    ZV_TEXT(tc_macro_msg28), ZV_TEXT(tc_macro_msg29), ZV_TEXT(tc_macro_msg30), ZV_TEXT(tc_macro_msg31),
    ZV_TEXT(tc_macro_msg32), ZV_TEXT(tc_macro_msg33), ZV_TEXT(tc_macro_msg34), ZV_TEXT(tc_macro_msg35),
    ZV_TEXT(tc_macro_msg36),
    ZV_TEXT(tc_click), ZV_TEXT(tc_menu), ZV_TEXT(tc_middle), ZV_TEXT(tc_forward), ZV_TEXT(tc_back),
    ZV_TEXT(tc_scrollup), ZV_TEXT(tc_scrolldown), ZV_TEXT(tc_dclick), ZV_TEXT(tc_mac_def),
    ZV_TEXT(tc_key_off), ZV_TEXT(tc_combokey), ZV_TEXT(tc_media), ZV_TEXT(tc_snipe), ZV_TEXT(tc_reportsw),
    ZV_TEXT(tc_three), ZV_TEXT(tc_rgb), ZV_TEXT(tc_rgbsw), ZV_TEXT(tc_stroke), ZV_TEXT(tc_mdsw),
    ZV_TEXT(tc_titlt1), ZV_TEXT(tc_titlt2), ZV_TEXT(tc_dpi), ZV_TEXT(tc_dpiadd), ZV_TEXT(tc_dpisub),
    ZV_TEXT(tc_dpiloop), ZV_TEXT(tc_customkey), ZV_TEXT(tc_hz), ZV_TEXT(tc_keysnipe), ZV_TEXT(tc_keysnipe2),
    ZV_TEXT(tc_fire), ZV_TEXT(tc_fire1), ZV_TEXT(tc_fire2), ZV_TEXT(tc_fire3), ZV_TEXT(tc_PL),
    ZV_TEXT(tc_stop), ZV_TEXT(tc_pre_media), ZV_TEXT(tc_next_media), ZV_TEXT(tc_vol_up), ZV_TEXT(tc_vol_dw),
    ZV_TEXT(tc_mute), ZV_TEXT(tc_kbmedia_stop), ZV_TEXT(tc_kbmedia_search), ZV_TEXT(tc_kbmedia_mail),
    ZV_TEXT(tc_kbmedia_main), ZV_TEXT(tc_kbmedia_explore), ZV_TEXT(tc_kbmedia_cal),
    ZV_TEXT(tc_kbmedia_refresh), ZV_TEXT(tc_kbmedia_favor), ZV_TEXT(tc_kbmedia_msel),
    ZV_TEXT(tc_kbmedia_briup), ZV_TEXT(tc_kbmedia_bridn), ZV_TEXT(tc_kb_briup), ZV_TEXT(tc_kb_bridn),
    ZV_TEXTS(tc_power), ZV_TEXTS(tc_chiji), ZV_TEXTS(tc_msg), ZV_TEXTS(tc_ms), ZV_TEXTS(tc_kb),
    ZV_TEXTS(tc_ms_led), ZV_TEXTS(tc_ms2_led), ZV_TEXTS(tc_ms3_led), ZV_TEXTS(tc_kb_led),
    ZV_TEXTS(tc_pad_led), ZV_TEXTS(tc_game_mode), ZV_TEXTS(tc_adv_str), ZV_TEXTS(tc_bullet),
    ZV_TEXTS(tc_hw),
    ZV_TEXT(tc_brightness), ZV_TEXT(tc_speed), ZV_TEXT(tc_direct), ZV_TEXT(tc_sys_str1),
    ZV_TEXT(tc_sys_str2), ZV_TEXT(tc_sys_str3), ZV_TEXT(tc_sys_str4), ZV_TEXT(tc_sys_str5),
    ZV_TEXTS(tc_ex), ZV_TEXTS(tc_lodval), ZV_TEXTS(tc_Varo_led),
    ZV_TEXT(tc_support_url),
    ZV_TEXTS(tc_spr), ZV_TEXTS(tc_music), ZV_TEXTS(tc_music_mode), ZV_TEXTS(tc_vkb),
};

#undef ZV_TEXT
#undef ZV_TEXTS

// The catalogue document, kept for the whole run and reused by every load.
CXmlReader& CatalogueDoc()
{
    static CXmlReader s_doc;
    return s_doc;
}

// The key name of element i of a field: the name itself for a single key,
// the name followed by i + 1 for a family.
std::string KeyName(const TextField& f, size_t i)
{
    return f.bFamily ? std::string(f.pszName) + std::to_string(i + 1) : std::string(f.pszName);
}

// Names are ASCII; a byte-wise widening keeps them exactly as written.
std::u16string Widen(std::string_view s) { return {s.begin(), s.end()}; }

// Elements nested deeper than this are not a catalogue; the bound only keeps a
// look-up finite whatever the document holds.
constexpr int kMaxSectionDepth = 4096;

// Every key the program reads, as the document spells it.
const std::unordered_map<std::u16string, bool>& KnownKeys()
{
    static const std::unordered_map<std::u16string, bool> s_keys = [] {
        std::unordered_map<std::u16string, bool> keys;
        for (const std::string& key : AllTextKeys()) keys.emplace(Widen(key), true);
        return keys;
    }();
    return s_keys;
}

// The texts LookupText would give for every known key, in one walk over the
// document: the section chain is followed inward once, and at each level the
// first child of a name counts; a level deeper only supplies what the levels
// above it lack. Linear in the document, whatever the number of keys.
std::unordered_map<std::u16string, std::u16string> IndexSection(CXmlReader& doc, std::u16string_view section)
{
    std::unordered_map<std::u16string, std::u16string> found;
    const auto& known = KnownKeys();
    doc.ResetPosition();
    for (int nDepth = 0; nDepth < kMaxSectionDepth; ++nDepth) {
        if (!doc.FindChild(section)) break;
        doc.EnterElement();
        while (doc.FindChild()) {
            const std::u16string strName = doc.GetChildName();
            if (known.count(strName) && !found.count(strName)) found.emplace(strName, doc.GetChildText());
        }
        // Back to the start of this section's children: the next round looks
        // for the first nested section.
        doc.LeaveElement();
        doc.EnterElement();
    }
    return found;
}

}  // namespace

std::u16string LookupText(std::string_view section, std::string_view key)
{
    CXmlReader& doc = CatalogueDoc();
    const std::u16string strSection = Widen(section), strKey = Widen(key);
    doc.ResetPosition();
    // With no current element the first FindChild selects the root and finds its
    // first section child; every further round searches the section found last
    // for a nested section of the same name.
    for (int nDepth = 0; nDepth < kMaxSectionDepth; ++nDepth) {
        if (!doc.FindChild(strSection)) return {};
        doc.EnterElement();
        if (doc.FindChild(strKey)) return doc.GetChildText();
    }
    return {};
}

CatalogueLoad LoadTextCatalogue(const std::filesystem::path& path)
{
    CatalogueLoad result;
    CXmlReader& doc = CatalogueDoc();
    const bool bLoaded = doc.LoadFile(path);
    result.bRead = bLoaded;
    if (bLoaded) {
        result.bWellFormed = doc.SetDocument();  // a document with errors still gives what it indexed
        if (!result.bWellFormed) {
            result.strWhy = U16ToUtf8(doc.GetResultText());
            LogPrintf("LoadTextCatalogue: %s: %s", path.string().c_str(), result.strWhy.c_str());
        }
    } else {
        result.strWhy = U16ToUtf8(doc.GetResultText());
        LogPrintf("LoadTextCatalogue: cannot read %s: %s", path.string().c_str(), result.strWhy.c_str());
    }
    // Without a document nothing is looked up at all, so a failed reload can
    // never reach positions of the previous document.
    const std::unordered_map<std::u16string, std::u16string> found =
        bLoaded ? IndexSection(doc, u"config") : std::unordered_map<std::u16string, std::u16string>();
    for (const TextField& f : kFields) {
        const std::span<std::u16string> texts = f.fields(gText);
        for (size_t i = 0; i < texts.size(); ++i) {
            const auto it = found.find(Widen(KeyName(f, i)));
            texts[i] = it != found.end() ? it->second : std::u16string();
        }
    }
    if (gText.tc_lod.empty()) gText.tc_lod = u"LOD";
    if (gText.tc_hz.empty()) gText.tc_hz = u"Hz";
    result.bTitle = !gText.tc_title.empty();
    if (bLoaded && !result.bTitle) LogPrintf("LoadTextCatalogue: %s has no tc_title", path.string().c_str());
    return result;
}

const std::u16string* FindText(std::string_view key)
{
    // Every field the program knows, by its key name; built once, the fields
    // themselves stay where they are in gText.
    static const std::unordered_map<std::string, std::u16string*> s_fields = [] {
        std::unordered_map<std::string, std::u16string*> fields;
        for (const TextField& f : kFields) {
            const std::span<std::u16string> texts = f.fields(gText);
            for (size_t i = 0; i < texts.size(); ++i) fields.emplace(KeyName(f, i), &texts[i]);  // first field wins
        }
        return fields;
    }();
    const auto it = s_fields.find(std::string(key));
    return it != s_fields.end() ? it->second : nullptr;
}

std::vector<std::string> AllTextKeys()
{
    std::vector<std::string> keys;
    for (const TextField& f : kFields) {
        const size_t nCount = f.fields(gText).size();
        for (size_t i = 0; i < nCount; ++i) keys.push_back(KeyName(f, i));
    }
    return keys;
}
