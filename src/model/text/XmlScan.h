// The lexical layer of the XML reader: splitting a document into nodes, tag
// names, attributes and character references. Everything works on views into
// the UTF-16 document text; nothing here allocates except the decoded output.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

enum class XmlNodeKind {
    Text,         // up to the next '<'
    StartTag,     // <name ...>
    EmptyTag,     // <name .../>
    EndTag,       // </name>
    Pi,           // <? ... ?>
    Comment,      // <!-- ... -->
    CData,        // <![CDATA[ ... ]]>
    Doctype,      // <!DOCTYPE ... [ ... ]>
    Declaration,  // <!ELEMENT ...>, <!ATTLIST ...>, <!ENTITY ...>, <!NOTATION ...>
    StrayLt,      // a '<' that starts no node; it counts as a text character
    Unterminated  // a node that runs into the end of the text
};

struct XmlNode {
    XmlNodeKind kind = XmlNodeKind::Text;
    size_t nStart = 0, nEnd = 0;       // [nStart, nEnd) in the text
    const char* pszProblem = nullptr;  // StrayLt, Unterminated: what was being read
};

// The node that starts at pos (pos < text.size()). Never reads past the view,
// so a caller bounds the scan by passing a shorter view.
XmlNode NextXmlNode(std::u16string_view text, size_t pos);

inline bool IsXmlSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

// The name of a start or end tag, or of a processing instruction, that begins
// at the '<' of tag: it ends at white space, '/', '>' or (for instructions) '?'.
std::u16string_view XmlTagName(std::u16string_view tag);
// The part of a start tag or instruction after its name and before its closing
// '>', '/>' or '?>': where the attributes are.
std::u16string_view XmlTagAttributeText(std::u16string_view tag);
// The content of a CDATA node without its brackets.
std::u16string_view XmlCDataContent(std::u16string_view node);

struct XmlAttribute {
    std::u16string_view name, value;  // value still raw (references not decoded)
};

// Walks the attributes of a tag's attribute text: name, optional white space,
// '=', optional white space, a value in either quote character (or unquoted up to
// white space). A name without '=' has an empty value. Stray characters are skipped.
class CXmlAttributeCursor {
public:
    explicit CXmlAttributeCursor(std::u16string_view text) : m_text(text) {}
    bool Next(XmlAttribute& attr);

private:
    std::u16string_view m_text;
    size_t m_nPos = 0;
};

// Appends raw text with its character references decoded: &#65; &#x42; and the
// named references. A reference that is malformed, unknown, longer than nine
// characters, or that names code point 0, a surrogate or a value above U+10FFFF
// is kept as written.
void AppendXmlDecoded(std::u16string& out, std::u16string_view raw);

bool EqualsIgnoreAsciiCase(std::u16string_view a, std::string_view b);
