#include "text/XmlReader.h"

#include <algorithm>
#include <string>
#include <unordered_map>

#include "core/Utf.h"
#include "text/XmlScan.h"

namespace {

void AppendAscii(std::u16string& out, std::string_view s)
{
    for (char c : s) out += char16_t(static_cast<unsigned char>(c));
}

void AppendNumber(std::u16string& out, size_t n) { AppendAscii(out, std::to_string(n)); }

// Tree dumps indent at most this deep; deeper lines name their level instead, so
// that a deeply nested file does not make the dump grow with the square of its size.
constexpr size_t kMaxDumpIndent = 64;

}  // namespace

// The parts of the reader that work on its index directly.
class CXmlReaderImpl {
public:
    using Element = CXmlReader::Element;

    static const Element* At(const CXmlReader& r, uint32_t i)
    {
        return i != 0 && i < r.m_elems.size() ? &r.m_elems[i] : nullptr;
    }

    // The start tag of an element as a view into the document.
    static std::u16string_view StartTag(const CXmlReader& r, uint32_t i)
    {
        const Element* e = At(r, i);
        if (!e) return {};
        const std::u16string_view doc = r.m_strDoc;
        if (e->nStart > doc.size()) return {};
        return doc.substr(e->nStart, e->nStartTagLen);
    }

    static std::u16string_view Name(const CXmlReader& r, uint32_t i) { return XmlTagName(StartTag(r, i)); }

    static bool Matches(const CXmlReader& r, uint32_t i, std::u16string_view name)
    {
        return name.empty() || Name(r, i) == name;
    }

    static std::u16string Text(const CXmlReader& r, uint32_t i)
    {
        const Element* e = At(r, i);
        if (!e || (e->nFlags & (CXmlReader::kElemEmpty | CXmlReader::kElemNotEnded)) || e->iFirstChild) return {};
        const std::u16string_view doc = r.m_strDoc;
        const size_t b = size_t(e->nStart) + e->nStartTagLen;
        const size_t nEnd = size_t(e->nStart) + e->nLength;
        if (nEnd > doc.size() || nEnd < b || e->nEndTagLen > nEnd - b) return {};
        const size_t c = nEnd - e->nEndTagLen;
        std::u16string out;
        const std::u16string_view content = doc.substr(b, c - b);
        if (content.find(u'<') == std::u16string_view::npos) {
            AppendXmlDecoded(out, content);
            return out;
        }
        // Mixed with markup: text and CDATA in order; comments and instructions drop out.
        const std::u16string_view bounded = doc.substr(0, c);
        for (size_t pos = b; pos < c;) {
            const XmlNode node = NextXmlNode(bounded, pos);
            const std::u16string_view s = bounded.substr(node.nStart, node.nEnd - node.nStart);
            if (node.kind == XmlNodeKind::Text || node.kind == XmlNodeKind::StrayLt) AppendXmlDecoded(out, s);
            else if (node.kind == XmlNodeKind::CData) out += XmlCDataContent(s);
            pos = node.nEnd > pos ? node.nEnd : pos + 1;
        }
        return out;
    }

    static std::vector<std::pair<std::u16string, std::u16string>> Attributes(const CXmlReader& r, uint32_t i)
    {
        std::vector<std::pair<std::u16string, std::u16string>> out;
        CXmlAttributeCursor cursor(XmlTagAttributeText(StartTag(r, i)));
        XmlAttribute a;
        while (cursor.Next(a)) {
            std::u16string value;
            AppendXmlDecoded(value, a.value);
            out.emplace_back(std::u16string(a.name), std::move(value));
        }
        return out;
    }

    static std::u16string Attribute(const CXmlReader& r, uint32_t i, std::u16string_view name)
    {
        CXmlAttributeCursor cursor(XmlTagAttributeText(StartTag(r, i)));
        XmlAttribute a;
        while (cursor.Next(a)) {
            if (a.name != name) continue;
            std::u16string value;
            AppendXmlDecoded(value, a.value);
            return value;
        }
        return {};
    }

    static uint32_t FirstChild(const CXmlReader& r, uint32_t i)
    {
        return i < r.m_elems.size() ? r.m_elems[i].iFirstChild : 0;
    }
    static uint32_t Next(const CXmlReader& r, uint32_t i) { return i < r.m_elems.size() ? r.m_elems[i].iNext : 0; }
    static uint32_t Parent(const CXmlReader& r, uint32_t i)
    {
        return i < r.m_elems.size() ? r.m_elems[i].iParent : 0;
    }

    static uint32_t FindSibling(const CXmlReader& r, uint32_t i, std::u16string_view name)
    {
        for (; i != 0; i = Next(r, i))
            if (Matches(r, i, name)) return i;
        return 0;
    }

    static void Index(CXmlReader& r);

private:
    class CIndexer;
};

// Builds the element index of a document in one pass over its nodes, with a
// heap stack of open elements (no recursion, so any depth is fine).
class CXmlReaderImpl::CIndexer {
public:
    CIndexer(std::u16string_view doc, std::vector<Element>& elems, std::u16string& strProblem, bool& bError)
        : m_doc(doc), m_elems(elems), m_strProblem(strProblem), m_bError(bError)
    {
    }

    void Run()
    {
        for (size_t pos = 0; pos < m_doc.size();) {
            const XmlNode node = NextXmlNode(m_doc, pos);
            switch (node.kind) {
            case XmlNodeKind::StartTag:
            case XmlNodeKind::EmptyTag: OnStartTag(node); break;
            case XmlNodeKind::EndTag: OnEndTag(node); break;
            case XmlNodeKind::StrayLt: {
                std::u16string s = u"Incorrect ";
                AppendAscii(s, node.pszProblem);
                AppendAscii(s, " at offset ");
                AppendNumber(s, node.nStart);
                Problem(std::move(s));
                break;
            }
            case XmlNodeKind::Unterminated: {
                std::u16string s;
                AppendAscii(s, node.pszProblem);
                AppendAscii(s, " at offset ");
                AppendNumber(s, node.nStart);
                AppendAscii(s, " unterminated");
                Problem(std::move(s));
                break;
            }
            default: break;
            }
            pos = node.nEnd > pos ? node.nEnd : pos + 1;
        }
        if (!m_open.empty()) {
            const Open& top = m_open.back();
            std::u16string s = u"Element '";
            s += top.name;
            AppendAscii(s, "' at offset ");
            AppendNumber(s, m_elems[top.i].nStart);
            AppendAscii(s, " not ended");
            Problem(std::move(s));
            Unend(0, 0);
            m_open.clear();
        }
    }

private:
    struct Open {
        uint32_t i;
        std::u16string_view name;
    };

    void Problem(std::u16string s)
    {
        m_bError = true;
        if (m_strProblem.empty()) m_strProblem = std::move(s);
    }

    uint32_t Parent() const { return m_open.empty() ? 0 : m_open.back().i; }

    void OnStartTag(const XmlNode& node)
    {
        const uint32_t iParent = Parent();
        const auto i = uint32_t(m_elems.size());
        Element e;
        e.nStart = uint32_t(node.nStart);
        e.nStartTagLen = uint32_t(node.nEnd - node.nStart);
        e.nLength = e.nStartTagLen;
        e.iParent = iParent;
        Element& parent = m_elems[iParent];
        if (parent.iFirstChild == 0) {
            parent.iFirstChild = i;
            e.nFlags |= CXmlReader::kElemFirstChild;
            e.iPrev = i;  // the first child's previous link names the last child
        } else {
            Element& first = m_elems[parent.iFirstChild];
            const uint32_t iLast = first.iPrev;
            first.iPrev = i;
            m_elems[iLast].iNext = i;
            e.iPrev = iLast;
        }
        const std::u16string_view name = XmlTagName(m_doc.substr(node.nStart, node.nEnd - node.nStart));
        if (node.kind == XmlNodeKind::EmptyTag) e.nFlags |= CXmlReader::kElemEmpty;
        m_elems.push_back(e);
        if (node.kind == XmlNodeKind::StartTag) {
            m_open.push_back({i, name});
            ++m_nOpenByName[name];
        }
    }

    void OnEndTag(const XmlNode& node)
    {
        const std::u16string_view name = XmlTagName(m_doc.substr(node.nStart, node.nEnd - node.nStart));
        const auto it = m_nOpenByName.find(name);
        if (it == m_nOpenByName.end()) {
            std::u16string s = u"No start tag for end tag '";
            s += name;
            AppendAscii(s, "' at offset ");
            AppendNumber(s, node.nStart);
            Problem(std::move(s));
            return;
        }
        // Some open element has this name, so the walk below stops; the elements it
        // passes are closed here, which keeps the work linear over the whole document.
        size_t k = m_open.size() - 1;
        while (m_open[k].name != name) --k;
        if (k + 1 < m_open.size()) {
            const Open& top = m_open.back();
            std::u16string s = u"End tag '";
            s += name;
            AppendAscii(s, "' at offset ");
            AppendNumber(s, node.nStart + 1);
            AppendAscii(s, " does not match start tag '");
            s += top.name;
            AppendAscii(s, "' at offset ");
            AppendNumber(s, m_elems[top.i].nStart);
            Problem(std::move(s));
            Unend(k + 1, m_open[k].i);
        }
        Element& e = m_elems[m_open[k].i];
        e.nLength = uint32_t(node.nEnd - e.nStart);
        e.nEndTagLen = uint32_t(node.nEnd - node.nStart);
        while (m_open.size() > k) {
            const auto found = m_nOpenByName.find(m_open.back().name);
            if (found != m_nOpenByName.end() && --found->second == 0) m_nOpenByName.erase(found);
            m_open.pop_back();
        }
    }

    // Marks the open elements from stack level lo upward as not ended and lifts
    // their children, in document order, to follow them under iNewParent (the
    // element below lo, or the document). Each of those elements is the last
    // child of the one below it, so the new sibling run is simply: the element at
    // lo, then the children of each marked element in turn. Every element is moved
    // once, however deep the unended nesting.
    void Unend(size_t lo, uint32_t iNewParent)
    {
        std::vector<uint32_t> run{m_open[lo].i};
        for (size_t k = lo; k < m_open.size(); ++k) {
            Element& e = m_elems[m_open[k].i];
            for (uint32_t c = e.iFirstChild; c != 0; c = m_elems[c].iNext) run.push_back(c);
            e.iFirstChild = 0;
            e.nFlags |= CXmlReader::kElemNotEnded;
            e.nLength = e.nStartTagLen;
            e.nEndTagLen = 0;
        }
        for (size_t t = 1; t < run.size(); ++t) {
            Element& e = m_elems[run[t]];
            e.iParent = iNewParent;
            e.nFlags &= ~CXmlReader::kElemFirstChild;
            e.iPrev = run[t - 1];
            m_elems[run[t - 1]].iNext = run[t];
        }
        m_elems[run.back()].iNext = 0;
        m_elems[m_elems[iNewParent].iFirstChild].iPrev = run.back();
    }

    std::u16string_view m_doc;
    std::vector<Element>& m_elems;
    std::u16string& m_strProblem;
    bool& m_bError;
    std::vector<Open> m_open;
    std::unordered_map<std::u16string_view, uint32_t> m_nOpenByName;
};

void CXmlReaderImpl::Index(CXmlReader& r)
{
    r.m_elems.assign(1, CXmlReader::Element{});
    r.m_elems.reserve(r.m_strDoc.size() / 64 + 8);
    r.m_nDocFlags &= ~CXmlReader::kDocError;
    r.m_strParseResult.clear();
    bool bError = false;
    CIndexer indexer(r.m_strDoc, r.m_elems, r.m_strParseResult, bError);
    indexer.Run();
    if (bError) r.m_nDocFlags |= CXmlReader::kDocError;

    const uint32_t iRoot = r.m_elems[0].iFirstChild;
    const bool bSibling = iRoot != 0 && r.m_elems[iRoot].iNext != 0;
    if (r.m_strParseResult.empty()) {
        if (r.m_strDoc.empty()) r.m_strParseResult = u"Empty document";
        else if (iRoot == 0) r.m_strParseResult = u"No root element";
        else if (bSibling) r.m_strParseResult = u"Root element has sibling";
    }
    r.m_bWellFormed = iRoot != 0 && !bSibling && !bError;
}

CXmlReader::CXmlReader() { SetDocument(); }

void CXmlReader::Clear()
{
    m_strDoc.clear();
    m_elems.assign(1, Element{});
    m_nDocFlags = 0;
    ResetPosition();
    m_bWellFormed = false;
    m_strLoadResult.clear();
    m_strParseResult.clear();
}

bool CXmlReader::SetDocument()
{
    CXmlReaderImpl::Index(*this);
    ResetPosition();
    return m_bWellFormed;
}

void CXmlReader::ResetPosition()
{
    m_iParent = m_iElem = m_iChild = 0;
    m_bElementKind = false;
}

bool CXmlReader::FindElement(std::u16string_view name)
{
    const uint32_t iFrom = m_iElem ? CXmlReaderImpl::Next(*this, m_iElem) : CXmlReaderImpl::FirstChild(*this, m_iParent);
    const uint32_t i = CXmlReaderImpl::FindSibling(*this, iFrom, name);
    if (i == 0) return false;
    m_iElem = i;
    m_iParent = CXmlReaderImpl::Parent(*this, i);
    m_iChild = 0;
    m_bElementKind = true;
    return true;
}

bool CXmlReader::FindChild(std::u16string_view name)
{
    if (m_iElem == 0 && !FindElement()) return false;
    const uint32_t iFrom = m_iChild ? CXmlReaderImpl::Next(*this, m_iChild) : CXmlReaderImpl::FirstChild(*this, m_iElem);
    const uint32_t i = CXmlReaderImpl::FindSibling(*this, iFrom, name);
    if (i == 0) return false;
    m_iChild = i;
    m_iElem = CXmlReaderImpl::Parent(*this, i);
    m_iParent = CXmlReaderImpl::Parent(*this, m_iElem);
    m_bElementKind = m_iElem != 0;
    return true;
}

void CXmlReader::EnterElement()
{
    if (m_iElem == 0 || !m_bElementKind) return;
    m_iParent = m_iElem;
    m_iElem = m_iChild;
    m_iChild = 0;
    m_bElementKind = m_iElem != 0;
}

void CXmlReader::LeaveElement()
{
    if (m_iElem == 0) return;
    m_iChild = m_iElem;
    m_iElem = m_iParent;
    m_iParent = m_iElem ? CXmlReaderImpl::Parent(*this, m_iElem) : 0;
    m_bElementKind = m_iElem != 0;
}

std::u16string CXmlReader::GetChildText() const { return CXmlReaderImpl::Text(*this, m_iChild); }

std::u16string CXmlReader::GetChildAttribute(std::u16string_view name) const
{
    if (m_iChild == 0 || !m_bElementKind) return {};
    return CXmlReaderImpl::Attribute(*this, m_iChild, name);
}

std::u16string CXmlReader::GetChildName() const { return std::u16string(CXmlReaderImpl::Name(*this, m_iChild)); }

std::vector<std::pair<std::u16string, std::u16string>> CXmlReader::GetChildAttributes() const
{
    if (m_iChild == 0 || !m_bElementKind) return {};
    return CXmlReaderImpl::Attributes(*this, m_iChild);
}

std::u16string CXmlReader::GetResultText() const
{
    std::u16string s = m_strLoadResult;
    while (!s.empty() && s.back() == u' ') s.pop_back();
    if (!m_strParseResult.empty()) {
        if (!s.empty()) s += u' ';
        s += m_strParseResult;
    }
    return s;
}

namespace {

// One element stays one line: line breaks are shown as \n and \r.
void AppendEscaped(std::string& out, std::u16string_view text, bool bQuoted)
{
    for (char c : U16ToUtf8(text)) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '"' && bQuoted) out += "\\\"";
        else out += c;
    }
}

}  // namespace

std::string DumpXmlTree(CXmlReader& reader)
{
    std::string out;
    size_t nDepth = 0;
    uint32_t i = CXmlReaderImpl::FirstChild(reader, 0);
    while (i != 0) {
        out.append(2 * std::min(nDepth, kMaxDumpIndent), ' ');
        if (nDepth > kMaxDumpIndent) out += "(level " + std::to_string(nDepth) + ") ";
        out += U16ToUtf8(CXmlReaderImpl::Name(reader, i));
        for (const auto& [name, value] : CXmlReaderImpl::Attributes(reader, i)) {
            out += ' ';
            out += U16ToUtf8(name);
            out += "=\"";
            AppendEscaped(out, value, true);
            out += '"';
        }
        const std::u16string text = CXmlReaderImpl::Text(reader, i);
        if (!text.empty()) {
            out += ' ';
            AppendEscaped(out, text, false);
        }
        out += '\n';
        if (const uint32_t c = CXmlReaderImpl::FirstChild(reader, i)) {
            i = c;
            ++nDepth;
            continue;
        }
        while (i != 0 && CXmlReaderImpl::Next(reader, i) == 0) {
            i = CXmlReaderImpl::Parent(reader, i);
            --nDepth;
        }
        if (i != 0) i = CXmlReaderImpl::Next(reader, i);
    }
    out += "result: " + U16ToUtf8(reader.GetResultText());
    out += "; well-formed: ";
    out += reader.IsWellFormed() ? "yes" : "no";
    out += '\n';
    return out;
}
