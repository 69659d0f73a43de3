// Loading: bytes of a file to the UTF-16 document text of CXmlReader.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iterator>
#include <string>
#include <system_error>

#include "core/FileAccess.h"
#include "core/Utf.h"
#include "text/Charset.h"
#include "text/XmlReader.h"
#include "text/XmlScan.h"

namespace {

// Only this much of an unmarked file is searched for a declared encoding.
constexpr size_t kDeclarationWindow = 1024;
constexpr size_t kMaxCharsetName = 64;

void AppendAscii(std::u16string& out, std::string_view s)
{
    for (char c : s) out += char16_t(static_cast<unsigned char>(c));
}

void AppendNumber(std::u16string& out, size_t n) { AppendAscii(out, std::to_string(n)); }

std::string ToAsciiName(std::u16string_view name)
{
    std::string out;
    for (char16_t c : name) {
        if (c >= 0x80 || out.size() >= kMaxCharsetName) return {};  // no real charset name looks like this
        out += char(c);
    }
    return out;
}

std::string Trim(std::string s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) s.pop_back();
    size_t b = 0;
    while (b < s.size() && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r' || s[b] == '\n')) ++b;
    return s.substr(b);
}

// "text/html; charset=windows-1252" -> "windows-1252"
std::string CharsetFromContentType(std::u16string_view content)
{
    for (size_t i = 0; i + 7 <= content.size(); ++i) {
        if (!EqualsIgnoreAsciiCase(content.substr(i, 7), "charset")) continue;
        size_t p = i + 7;
        while (p < content.size() && IsXmlSpace(content[p])) ++p;
        if (p >= content.size() || content[p] != u'=') continue;
        ++p;
        while (p < content.size() && IsXmlSpace(content[p])) ++p;
        size_t e = p;
        while (e < content.size() && !IsXmlSpace(content[e]) && content[e] != u';' && content[e] != u'"' &&
               content[e] != u'\'')
            ++e;
        return ToAsciiName(content.substr(p, e - p));
    }
    return {};
}

std::string CharsetFromMeta(std::u16string_view attrText)
{
    bool bContentType = false;
    std::u16string_view content;
    CXmlAttributeCursor cursor(attrText);
    XmlAttribute a;
    while (cursor.Next(a)) {
        if (EqualsIgnoreAsciiCase(a.name, "charset")) return ToAsciiName(a.value);
        if (EqualsIgnoreAsciiCase(a.name, "http-equiv")) bContentType = EqualsIgnoreAsciiCase(a.value, "content-type");
        if (EqualsIgnoreAsciiCase(a.name, "content")) content = a.value;
    }
    return bContentType ? CharsetFromContentType(content) : std::string();
}

// The encoding a file declares in its first bytes: the XML declaration, or in an
// HTML file a meta element of its head. Empty when none is declared.
std::string FindDeclaredEncoding(std::string_view head)
{
    const std::u16string text = Utf8ToU16(head);
    const std::u16string_view view = text;
    bool bHtml = false;
    for (size_t pos = 0; pos < view.size();) {
        const XmlNode node = NextXmlNode(view, pos);
        const std::u16string_view tag = view.substr(node.nStart, node.nEnd - node.nStart);
        switch (node.kind) {
        case XmlNodeKind::Pi:
            if (node.nStart == 0 && EqualsIgnoreAsciiCase(XmlTagName(tag), "xml")) {
                CXmlAttributeCursor cursor(XmlTagAttributeText(tag));
                XmlAttribute a;
                while (cursor.Next(a))
                    if (EqualsIgnoreAsciiCase(a.name, "encoding")) return ToAsciiName(a.value);
            }
            break;
        case XmlNodeKind::StartTag:
        case XmlNodeKind::EmptyTag: {
            const std::u16string_view name = XmlTagName(tag);
            if (!bHtml) {
                if (!EqualsIgnoreAsciiCase(name, "html")) return {};
                bHtml = true;
            } else if (EqualsIgnoreAsciiCase(name, "meta")) {
                std::string charset = CharsetFromMeta(XmlTagAttributeText(tag));
                if (!charset.empty()) return charset;
            }
            break;
        }
        case XmlNodeKind::EndTag:
            if (bHtml && EqualsIgnoreAsciiCase(XmlTagName(tag), "head")) return {};
            break;
        case XmlNodeKind::Unterminated:
            return {};
        default:
            break;
        }
        pos = node.nEnd;
    }
    return {};
}

// Only well-formed UTF-8 counts as UTF-8. Checking lead and continuation bits
// alone would take Windows-1252 text such as "\xAB\xE9\xBB" (guillemets around an
// e-acute) for UTF-8 and turn it into replacement characters.
bool LooksLikeUtf8(std::string_view s) { return IsValidUtf8(s); }

}  // namespace

bool CXmlReader::LoadFile(const std::filesystem::path& path)
{
    Clear();
    std::string bytes;
    const FileRead read = ReadRegularFile(path, kMaxFileBytes, bytes);
    if (!read.Ok()) {
        const std::string strMsg = read.status == ReadStatus::Missing
                                       ? std::error_code(ENOENT, std::generic_category()).message()
                                       : read.Reason();
        AppendAscii(m_strLoadResult, strMsg.substr(0, strMsg.find('\n')));
        return false;
    }
    if (read.bMore) {
        std::error_code ec;
        const auto nSize = std::filesystem::file_size(path, ec);
        m_strLoadResult = u"File too large: ";
        AppendNumber(m_strLoadResult, ec ? kMaxFileBytes + 1 : size_t(nSize));
        AppendAscii(m_strLoadResult, " bytes (limit " + std::to_string(kMaxFileBytes) + ")");
        return false;
    }
    return LoadBytes(bytes);
}

bool CXmlReader::LoadBytes(std::string_view bytes)
{
    Clear();
    if (bytes.size() > kMaxFileBytes) {
        m_strLoadResult = u"File too large: ";
        AppendNumber(m_strLoadResult, bytes.size());
        AppendAscii(m_strLoadResult, " bytes (limit " + std::to_string(kMaxFileBytes) + ")");
        return false;
    }
    std::string strEncoding;
    size_t nSkip = 0;
    bool bWide = false, bBigEndian = false;
    auto startsWith = [&](std::string_view mark) { return bytes.substr(0, mark.size()) == mark; };
    if (startsWith("\xEF\xBB\xBF")) {
        strEncoding = "UTF-8", nSkip = 3, m_nDocFlags |= kDocUtf8Bom;
    } else if (startsWith("\xFF\xFE")) {
        strEncoding = "UTF-16LE", nSkip = 2, bWide = true, m_nDocFlags |= kDocUtf16LE;
    } else if (startsWith("\xFE\xFF")) {
        strEncoding = "UTF-16BE", nSkip = 2, bWide = true, bBigEndian = true, m_nDocFlags |= kDocUtf16BE;
    }
    const bool bBom = nSkip != 0;
    std::u16string strNotes;  // the pieces after the encoding name
    if (!bBom) {
        strEncoding = Trim(FindDeclaredEncoding(bytes.substr(0, kDeclarationWindow)));
        // The declaration was legible as 8-bit text, so a wide charset named there
        // cannot be what the file is in.
        if (IsWideCharset(LookupCharset(strEncoding))) {
            AppendAscii(strNotes, "(declared " + strEncoding + " ignored) ");
            strEncoding.clear();
        }
        if (strEncoding.empty() && !bytes.empty() && bytes[0] == '<') strEncoding = "UTF-8";
    }
    const std::string_view data = bytes.substr(nSkip);
    if (data.empty()) {
        AppendAscii(strNotes, "0 length ");
    } else if (bWide) {
        const size_t nUnits = data.size() / 2;
        size_t nNulls = 0;
        m_strDoc.reserve(nUnits);
        for (size_t i = 0; i + 1 < data.size(); i += 2) {
            const auto b0 = static_cast<unsigned char>(data[i]);
            const auto b1 = static_cast<unsigned char>(data[i + 1]);
            const char16_t c = bBigEndian ? char16_t((b0 << 8) | b1) : char16_t((b1 << 8) | b0);
            if (c == 0) ++nNulls;
            else m_strDoc += c;
        }
        AppendAscii(strNotes, "length " + std::to_string(nUnits) + " ");
        if (nNulls) AppendAscii(strNotes, "(" + std::to_string(nNulls) + " nulls removed) ");
        if (bBigEndian) AppendAscii(strNotes, "endian swap ");
        if (data.size() % 2) AppendAscii(strNotes, "(odd last byte ignored) ");
    } else {
        std::string text;
        text.reserve(data.size());
        std::copy_if(data.begin(), data.end(), std::back_inserter(text), [](char c) { return c != 0; });
        AppendAscii(strNotes, "length " + std::to_string(data.size()) + " ");
        if (text.size() != data.size())
            AppendAscii(strNotes, "(" + std::to_string(data.size() - text.size()) + " nulls removed) ");
        if (strEncoding.empty()) {
            if (LooksLikeUtf8(text)) strEncoding = "UTF-8";
            AppendAscii(strNotes, "(used UTF-8 detection) ");
        }
        if (!DecodeCharset(strEncoding, text, m_strDoc))
            AppendAscii(strNotes, "(charset not known, read as windows-1252) ");
        AppendAscii(strNotes, "to " + std::to_string(m_strDoc.size()) + " wide chars ");
    }
    // The index keeps 32-bit offsets. The file cap keeps every built-in decoder far
    // below that; this guards against a charset hook that inflates its output.
    if (m_strDoc.size() > 2 * kMaxFileBytes) {
        Clear();
        m_strLoadResult = u"Decoded text too large";
        return false;
    }
    AppendAscii(m_strLoadResult, strEncoding.empty() ? "ANSI" : strEncoding);
    AppendAscii(m_strLoadResult, bBom ? " BOM + " : " ");
    m_strLoadResult += strNotes;
    return true;
}
