#include "core/MouseDescReader.h"

#include <algorithm>

#include "core/IniValues.h"
#include "core/Log.h"
#include "core/Utf.h"

void CMsReader::Record(std::string_view key)
{
    if (m_pKeysRead) m_pKeysRead->emplace_back(m_section, std::string(key));
}

std::optional<std::string> CMsReader::Value(std::string_view key)
{
    Record(key);
    std::optional<std::string> raw = m_cfg.Raw(m_section, key);
    if (raw && raw->empty()) raw.reset();
    return raw;
}

int32_t CMsReader::Int(std::string_view key, int32_t def)
{
    const std::optional<std::string> v = Value(key);
    if (!v) return def;
    const std::vector<int32_t> n = ParseNumberList(*v, 10, 1);
    // The integer rule of the INI layer (0x for hexadecimal, text after the
    // digits ignored); a value with no digits at all reads as 0.
    if (n.empty() && ParseNumberList(*v, 16, 1).empty()) Note(key, "not a plain number, read as far as it goes", *v);
    return ParseIniInt(*v);
}

std::optional<std::vector<int32_t>> CMsReader::List(std::string_view key, int nRadix, size_t nCapacity)
{
    const std::optional<std::string> v = Value(key);
    if (!v) return std::nullopt;
    return ParseNumberList(*v, nRadix, nCapacity);
}

int CMsReader::Bytes(std::string_view key, int nRadix, std::span<uint8_t> dst)
{
    std::fill(dst.begin(), dst.end(), uint8_t{0});
    const std::optional<std::vector<int32_t>> list = List(key, nRadix, dst.size());
    if (!list) return -1;
    int n = 0;
    for (const int32_t v : *list) {
        if (v < 0 || v > 255) {
            Note(key, "item is not a byte; the list ends before it", std::to_string(v));
            break;
        }
        dst[size_t(n++)] = uint8_t(v);
    }
    return n;
}

ZPoint CMsReader::Point(std::string_view key, ZPoint def)
{
    const std::optional<std::string> v = Value(key);
    ZPoint pt = def;
    if (v && !ParsePoint(*v, pt)) {
        Error(key, "Wrong POINT num", *v);
        pt = def;
    }
    return pt;
}

ZRect CMsReader::Rect(std::string_view key, ZRect def)
{
    const std::optional<std::string> v = Value(key);
    ZRect rc = def;
    if (v && !ParseRect(*v, rc)) {
        Error(key, "Wrong rect num", *v);
        rc = def;
    }
    return rc;
}

ZColor CMsReader::Color(std::string_view key, ZColor def)
{
    const std::optional<std::string> v = Value(key);
    ZColor clr = def;
    if (v && !ParseColor(*v, clr)) {
        Note(key, "not a colour, default used", *v);
        clr = def;
    }
    return clr;
}

void CMsReader::Colors(std::string_view key, std::span<const ZColor> def, std::span<ZColor> dst)
{
    const std::optional<std::string> v = Value(key);
    std::vector<ZColor> list;
    if (v) {
        list = ParseColorList(*v, dst.size());
        if (list.empty()) Note(key, "no colour in the list, defaults used", *v);
    }
    if (list.empty()) list.assign(def.begin(), def.end());
    for (size_t i = 0; i < dst.size(); ++i) dst[i] = i < list.size() ? list[i] : 0;
}

void CMsReader::Show(std::string_view key, std::string_view text, std::string_view value,
                     std::u16string_view caption)
{
    Note(key, text, value);
    m_prompt.ShowSettingMessage(Utf8ToU16(text), caption, "[" + m_section + "] " + std::string(key));
}

void CMsReader::Warning(std::string_view key, std::string_view text, std::string_view value)
{
    Show(key, text, value, u"Warning");
}

void CMsReader::Error(std::string_view key, std::string_view text, std::string_view value)
{
    Show(key, text, value, u"Error");
}

void CMsReader::Note(std::string_view key, std::string_view text, std::string_view value)
{
    LogPrintf("[%s] %.*s: %.*s (value \"%.*s\")", m_section.c_str(), int(key.size()), key.data(), int(text.size()),
              text.data(), int(value.size()), value.data());
}

ZColor ColorOf(int32_t r, int32_t g, int32_t b)
{
    auto c = [](int32_t v) { return uint8_t(std::clamp<int32_t>(v, 0, 255)); };
    return MakeColor(c(r), c(g), c(b));
}
