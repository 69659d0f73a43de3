#include "update/UpdateDesc.h"

#include "core/Utf.h"
#include "text/XmlReader.h"

std::optional<uint32_t> ParseUpdateHex(std::u16string_view text)
{
    if (text.empty() || text.size() > 8) return std::nullopt;
    uint32_t nValue = 0;
    for (const char16_t c : text) {
        uint32_t nDigit;
        if (c >= u'0' && c <= u'9') nDigit = uint32_t(c - u'0');
        else if (c >= u'a' && c <= u'f') nDigit = uint32_t(c - u'a' + 10);
        else if (c >= u'A' && c <= u'F') nDigit = uint32_t(c - u'A' + 10);
        else return std::nullopt;
        nValue = nValue << 4 | nDigit;
    }
    return nValue;
}

std::string ApplyWwwRule(std::string_view url)
{
    if (url.substr(0, 3) == "www") return "http://" + std::string(url);
    return std::string(url);
}

namespace {

using Attributes = std::vector<std::pair<std::u16string, std::u16string>>;

const std::u16string* FindAttr(const Attributes& attrs, std::u16string_view name)
{
    for (const auto& [key, value] : attrs)
        if (key == name) return &value;
    return nullptr;
}

UpdateHex HexAttr(const Attributes& attrs, std::u16string_view name)
{
    const std::u16string* pValue = FindAttr(attrs, name);
    if (!pValue) return {};
    const std::optional<uint32_t> n = ParseUpdateHex(*pValue);
    return n ? UpdateHex{*n, true} : UpdateHex{0, false};
}

std::string UrlAttr(const Attributes& attrs, std::u16string_view name)
{
    const std::u16string* pValue = FindAttr(attrs, name);
    return pValue ? ApplyWwwRule(U16ToUtf8(*pValue)) : std::string();
}

}  // namespace

bool ReadUpdateDesc(CXmlReader& reader, UpdateDesc& out)
{
    out.entries.clear();
    if (!reader.IsWellFormed()) return false;
    reader.ResetPosition();
    if (!reader.FindElement()) return false;
    while (reader.FindChild(u"dev")) {
        const Attributes attrs = reader.GetChildAttributes();
        UpdateEntry e;
        e.vid = HexAttr(attrs, u"vid");
        e.pid = HexAttr(attrs, u"pid");
        e.drvver = HexAttr(attrs, u"drvver");
        e.fwver = HexAttr(attrs, u"fwver");
        e.strDriver = UrlAttr(attrs, u"driver");
        e.strFw = UrlAttr(attrs, u"fw");
        out.entries.push_back(std::move(e));
    }
    return true;
}

bool ReadUpdateDescBytes(std::string_view bytes, UpdateDesc& out)
{
    out.entries.clear();
    CXmlReader reader;
    if (!reader.LoadBytes(bytes) || !reader.SetDocument()) return false;
    return ReadUpdateDesc(reader, out);
}
