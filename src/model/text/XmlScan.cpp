#include "text/XmlScan.h"

#include "core/Utf.h"
#include "text/XmlEntities.h"

namespace {

bool IsNameStart(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u':' || c == u'_' || c >= u'{';
}

XmlNode Make(XmlNodeKind kind, size_t nStart, size_t nEnd, const char* pszProblem = nullptr)
{
    return XmlNode{kind, nStart, nEnd, pszProblem};
}

// A node that closes with a fixed marker, searched from `from`.
XmlNode Closed(std::u16string_view text, size_t pos, size_t from, std::u16string_view marker, XmlNodeKind kind,
               const char* pszKind)
{
    const size_t q = from <= text.size() ? text.find(marker, from) : std::u16string_view::npos;
    if (q == std::u16string_view::npos) return Make(XmlNodeKind::Unterminated, pos, text.size(), pszKind);
    return Make(kind, pos, q + marker.size());
}

XmlNode StartTag(std::u16string_view text, size_t pos)
{
    char16_t quote = 0;
    for (size_t q = pos + 1; q < text.size(); ++q) {
        const char16_t c = text[q];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            const bool bEmpty = text[q - 1] == u'/';  // q - 1 > pos: the name's first character is not '/'
            return Make(bEmpty ? XmlNodeKind::EmptyTag : XmlNodeKind::StartTag, pos, q + 1);
        }
    }
    return Make(XmlNodeKind::Unterminated, pos, text.size(), "Element tag");
}

// The document type ends at the '>' outside quotes and outside its bracketed
// internal subset. In the subset, quotes count only inside markup declarations
// (<!ENTITY ...>): comments and processing instructions are skipped whole, so an
// apostrophe, a ']' or a '>' in them ends nothing. Every character is looked at
// once.
XmlNode Doctype(std::u16string_view text, size_t pos)
{
    const size_t n = text.size();
    const XmlNode unterminated = Make(XmlNodeKind::Unterminated, pos, n, "Doctype");
    char16_t quote = 0;
    bool bSubset = false, bDeclaration = false;
    for (size_t q = pos + 2; q < n; ++q) {
        const char16_t c = text[q];
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (!bSubset) {
            if (c == u'"' || c == u'\'') quote = c;
            else if (c == u'[') bSubset = true;
            else if (c == u'>') return Make(XmlNodeKind::Doctype, pos, q + 1);
            continue;
        }
        if (bDeclaration) {
            if (c == u'"' || c == u'\'') quote = c;
            else if (c == u'>') bDeclaration = false;
            continue;
        }
        if (c == u']') {
            bSubset = false;
        } else if (c == u'<' && text.substr(q, 4) == u"<!--") {
            const size_t e = text.find(u"-->", q + 4);
            if (e == std::u16string_view::npos) return unterminated;
            q = e + 2;
        } else if (c == u'<' && text.substr(q, 2) == u"<?") {
            const size_t e = text.find(u"?>", q + 2);
            if (e == std::u16string_view::npos) return unterminated;
            q = e + 1;
        } else if (c == u'<' && text.substr(q, 2) == u"<!") {
            bDeclaration = true;
            ++q;
        }
    }
    return unterminated;
}

XmlNode Markup(std::u16string_view text, size_t pos)
{
    const size_t n = text.size();
    if (pos + 2 >= n) return Make(XmlNodeKind::Unterminated, pos, n, "tag");
    switch (text[pos + 2]) {
    case u'-':
        if (pos + 3 >= n) return Make(XmlNodeKind::Unterminated, pos, n, "Comment");
        if (text[pos + 3] != u'-') return Make(XmlNodeKind::StrayLt, pos, pos + 1, "comment tag");
        return Closed(text, pos, pos + 4, u"-->", XmlNodeKind::Comment, "Comment");
    case u'[':
        if (pos + 3 >= n) return Make(XmlNodeKind::Unterminated, pos, n, "tag");
        if (text[pos + 3] != u'C') return Make(XmlNodeKind::StrayLt, pos, pos + 1, "tag");
        return Closed(text, pos, pos + 4, u"]]>", XmlNodeKind::CData, "CDATA Section");
    case u'D':
        return Doctype(text, pos);
    case u'E':
    case u'A':
    case u'N':
        return Closed(text, pos, pos + 3, u">", XmlNodeKind::Declaration, "tag");
    default:
        return Make(XmlNodeKind::StrayLt, pos, pos + 1, "! tag");
    }
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

int HexValue(char16_t c)
{
    if (IsDigit(c)) return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// The code point a reference name (between '&' and ';') stands for, or 0 when
// it is to be kept as written.
char32_t ReferenceCodePoint(std::u16string_view name)
{
    if (name.empty() || name[0] != u'#') return LookupXmlEntity(name);
    const bool bHex = name.size() > 1 && (name[1] == u'x' || name[1] == u'X');
    const std::u16string_view digits = name.substr(bHex ? 2 : 1);
    if (digits.empty()) return 0;
    uint32_t cp = 0;  // at most eight digits: no overflow
    for (char16_t c : digits) {
        const int v = bHex ? HexValue(c) : IsDigit(c) ? c - u'0' : -1;
        if (v < 0) return 0;
        cp = cp * (bHex ? 16 : 10) + uint32_t(v);
    }
    // Values that are no character at all stay in the text as written, like 0.
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return cp;
}

constexpr size_t kMaxReferenceName = 9;

}  // namespace

XmlNode NextXmlNode(std::u16string_view text, size_t pos)
{
    const size_t n = text.size();
    if (pos >= n) return Make(XmlNodeKind::Text, n, n);
    if (text[pos] != u'<') {
        const size_t q = text.find(u'<', pos);
        return Make(XmlNodeKind::Text, pos, q == std::u16string_view::npos ? n : q);
    }
    if (pos + 1 >= n) return Make(XmlNodeKind::Unterminated, pos, n, "tag");
    const char16_t c = text[pos + 1];
    if (IsNameStart(c)) return StartTag(text, pos);
    if (c == u'/') return Closed(text, pos, pos + 2, u">", XmlNodeKind::EndTag, "Element end tag");
    if (c == u'?') return Closed(text, pos, pos + 2, u"?>", XmlNodeKind::Pi, "Processing instruction");
    if (c == u'!') return Markup(text, pos);
    return Make(XmlNodeKind::StrayLt, pos, pos + 1, "tag name character");
}

std::u16string_view XmlTagName(std::u16string_view tag)
{
    size_t b = 1;
    if (b < tag.size() && (tag[b] == u'/' || tag[b] == u'?')) ++b;
    size_t e = b;
    while (e < tag.size() && !IsXmlSpace(tag[e]) && tag[e] != u'/' && tag[e] != u'>' && tag[e] != u'?') ++e;
    return tag.substr(b < tag.size() ? b : tag.size(), e - b);
}

std::u16string_view XmlTagAttributeText(std::u16string_view tag)
{
    const std::u16string_view name = XmlTagName(tag);
    size_t b = size_t(name.data() - tag.data()) + name.size();
    size_t e = tag.size();
    if (e > b && tag[e - 1] == u'>') --e;
    if (e > b && (tag[e - 1] == u'/' || tag[e - 1] == u'?')) --e;
    return tag.substr(b, e - b);
}

std::u16string_view XmlCDataContent(std::u16string_view node)
{
    constexpr std::u16string_view kOpen = u"<![CDATA[";
    const size_t nClose = node.size() >= 3 ? node.size() - 3 : 0;
    size_t b = node.substr(0, kOpen.size()) == kOpen ? kOpen.size() : 4;  // a lax "<![C..." still counts
    if (b > nClose) b = nClose;
    return node.substr(b, nClose - b);
}

bool CXmlAttributeCursor::Next(XmlAttribute& attr)
{
    const std::u16string_view s = m_text;
    const size_t n = s.size();
    size_t& p = m_nPos;
    while (p < n) {
        const char16_t c = s[p];
        if (IsXmlSpace(c) || c == u'/' || c == u'>' || c == u'?' || c == u'=') { ++p; continue; }
        if (c == u'"' || c == u'\'') {  // a value without a name: skip it whole
            const size_t q = s.find(c, p + 1);
            p = q == std::u16string_view::npos ? n : q + 1;
            continue;
        }
        const size_t nName = p;
        while (p < n && !IsXmlSpace(s[p]) && s[p] != u'=' && s[p] != u'/' && s[p] != u'>' && s[p] != u'"' &&
               s[p] != u'\'')
            ++p;
        attr.name = s.substr(nName, p - nName);
        attr.value = {};
        size_t q = p;
        while (q < n && IsXmlSpace(s[q])) ++q;
        if (q >= n || s[q] != u'=') return true;  // a name alone
        ++q;
        while (q < n && IsXmlSpace(s[q])) ++q;
        if (q < n && (s[q] == u'"' || s[q] == u'\'')) {
            const size_t e = s.find(s[q], q + 1);
            const size_t nEnd = e == std::u16string_view::npos ? n : e;
            attr.value = s.substr(q + 1, nEnd - q - 1);
            p = nEnd < n ? nEnd + 1 : n;
        } else {
            const size_t b = q;
            while (q < n && !IsXmlSpace(s[q]) && s[q] != u'>') ++q;
            attr.value = s.substr(b, q - b);
            p = q;
        }
        return true;
    }
    return false;
}

void AppendXmlDecoded(std::u16string& out, std::u16string_view raw)
{
    out.reserve(out.size() + raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        const char16_t c = raw[i];
        if (c != u'&') { out += c; continue; }
        size_t j = i + 1;
        while (j < raw.size() && j - i - 1 <= kMaxReferenceName && raw[j] != u';' && raw[j] < 0x80) ++j;
        const size_t nName = j - i - 1;
        if (j >= raw.size() || raw[j] != u';' || nName > kMaxReferenceName) { out += c; continue; }
        const char32_t cp = ReferenceCodePoint(raw.substr(i + 1, nName));
        if (cp == 0) { out += c; continue; }
        AppendCodePoint(out, cp);
        i = j;
    }
}

bool EqualsIgnoreAsciiCase(std::u16string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i];
        char16_t y = static_cast<unsigned char>(b[i]);
        if (x >= u'A' && x <= u'Z') x = char16_t(x - u'A' + u'a');
        if (y >= u'A' && y <= u'Z') y = char16_t(y - u'A' + u'a');
        if (x != y) return false;
    }
    return true;
}
