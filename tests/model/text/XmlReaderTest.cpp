#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/Utf.h"
#include "text/XmlReader.h"

namespace {

std::string U8(std::u16string_view s) { return U16ToUtf8(s); }
std::u16string U16(std::string_view s) { return Utf8ToU16(s); }

// Goes down from the root along "a/b/c"; false when a step is missing.
bool Navigate(CXmlReader& r, std::string_view path)
{
    r.ResetPosition();
    bool bFirst = true;
    while (!path.empty()) {
        const size_t n = path.find('/');
        const std::string_view step = path.substr(0, n);
        path = n == std::string_view::npos ? std::string_view() : path.substr(n + 1);
        if (!bFirst) r.EnterElement();
        bFirst = false;
        if (!r.FindChild(U16(step))) return false;
    }
    return true;
}

// The names of the root's children in order, joined with commas.
std::string RootChildren(CXmlReader& r)
{
    std::string s;
    r.ResetPosition();
    while (r.FindChild()) s += (s.empty() ? "" : ",") + U8(r.GetChildName());
    return s;
}

struct Case {
    std::string doc;
    bool bWellFormed;
    const char* pszProblem;        // the parse part of the result text; "" when there is none
    const char* pszPath = nullptr;  // child to read, from the root
    const char* pszText = "";
    const char* pszAttr = nullptr;
    const char* pszAttrValue = "";
    const char* pszRootChildren = nullptr;
};

TEST(XmlReader, DocumentsIndexTextsAttributesAndProblems)
{
    const Case cases[] = {
        // Text content.
        {"<r><a>one<b/>two</a></r>", true, "", "a", ""},  // has a child element: no text
        {"<r><a>x &lt; y<![CDATA[<raw> & ]]><!-- c --><?pi x?>z</a></r>", true, "", "a", "x < y<raw> & z"},
        {"<r><a>&bogus;&#65;&#x42;&amp x</a></r>", true, "", "a", "&bogus;AB&amp x"},
        {"<r><a>&#x110000;&#xD800;&#0;&#99999999;&#x1F600;&#X41;</a></r>", true, "", "a",
         "&#x110000;&#xD800;&#0;&#99999999;\xF0\x9F\x98\x80" "A"},
        {"<r><a>&nbsp;&euro;&Eacute;&eacute;&copy;&apos;&quot;&thetasym;&abcdefghij;&\xC3\xA9;&#;&#x;&#1a;</a></r>",
         true, "", "a",
         "\xC2\xA0\xE2\x82\xAC\xC3\x89\xC3\xA9\xC2\xA9'\"\xCF\x91&abcdefghij;&\xC3\xA9;&#;&#x;&#1a;"},
        {"<r><a>  x\n\ty </a></r>", true, "", "a", "  x\n\ty "},
        {"<r><a/></r>", true, "", "a", ""},
        {"<r><a></a></r>", true, "", "a", ""},
        {"<r><a>1 < 2</a></r>", false, "Incorrect tag name character at offset 8", "a", "1 < 2"},
        // Whole-name matching: "config" is not "configX".
        {"<r><configX>no</configX><config>yes</config></r>", true, "", "config", "yes"},
        // Attributes: either quote, blanks around '=', unquoted and bare names, references.
        {"<r><a  k = \"v1\" q='it\"s' n=bare flag e=\"&lt;&#x20AC;\"/></r>", true, "", "a", "", "k", "v1"},
        {"<r><a  k = \"v1\" q='it\"s' n=bare flag/></r>", true, "", "a", "", "q", "it\"s"},
        {"<r><a  k = \"v1\" n=bare flag/></r>", true, "", "a", "", "n", "bare"},
        {"<r><a e=\"&lt;&#x20AC;\"/></r>", true, "", "a", "", "e", "<\xE2\x82\xAC"},
        {"<r><a t=\"x>y\">v</a></r>", true, "", "a", "v", "t", "x>y"},
        {"<r><a k=\"1\"/></r>", true, "", "a", "", "missing", ""},
        // Prolog, doctype with an internal subset, nodes outside the root.
        {"<?xml version=\"1.0\"?>\n<!-- c -->\n<!DOCTYPE r [<!ENTITY e \"a>b\">]>\n<r><a>t</a></r>\n", true, "", "a",
         "t"},
        // In the internal subset, quotes, ']' and '>' count only inside declarations.
        {"<!DOCTYPE r [<!-- the author doesn't -->]><r><a>t</a></r>", true, "", "a", "t"},
        {"<!DOCTYPE r [<?pi it's ?>]><r><a>t</a></r>", true, "", "a", "t"},
        {"<!DOCTYPE r [<!-- ] > -->]><r><a>t</a></r>", true, "", "a", "t"},
        {"<!DOCTYPE r [<?pi ]> ?>]><r><a>t</a></r>", true, "", "a", "t"},
        {"<!DOCTYPE r [<!ENTITY x SYSTEM \"a]b>c.dtd\">]><r><a>t</a></r>", true, "", "a", "t"},
        {"<!DOCTYPE r SYSTEM 'x]>y.dtd' [<!-- it's -->]><r><a>t</a></r>", true, "", "a", "t"},
        {"<!DOCTYPE r [<!ATTLIST a b CDATA \"it's\">]><r><a>t</a></r>", true, "", "a", "t"},
        {"<!DOCTYPE r [<!-- doesn't ", false, "Doctype at offset 0 unterminated"},
        {"<!DOCTYPE r [<?pi ", false, "Doctype at offset 0 unterminated"},
        // Recovery: an unended element keeps its place; its children follow it.
        {"<r><a><b>t</a></r>", false, "End tag 'a' at offset 11 does not match start tag 'b' at offset 6", "a/b",
         "", nullptr, "", "a"},
        {"<r><a><c/><d/></r>", false, "End tag 'r' at offset 15 does not match start tag 'a' at offset 3", "a", "",
         nullptr, "", "a,c,d"},
        {"<r><a><x/><b><y/>t</r>", false, "End tag 'r' at offset 19 does not match start tag 'b' at offset 10", "y",
         "", nullptr, "", "a,x,b,y"},
        {"<r><a>", false, "Element 'a' at offset 3 not ended"},
        {"<r></x></r>", false, "No start tag for end tag 'x' at offset 3", nullptr, "", nullptr, "", ""},
        // Document level.
        {"", false, "Empty document"},
        {" \r\n\t", false, "No root element"},
        {"<?xml version=\"1.0\"?><!-- only -->", false, "No root element"},
        {"<a/><b/>", false, "Root element has sibling"},
        // Unterminated nodes and incorrect markup.
        {"<r><a>x</r", false, "Element end tag at offset 7 unterminated"},
        {"<r><a b='>", false, "Element tag at offset 3 unterminated"},
        {"<r><!-- x", false, "Comment at offset 3 unterminated"},
        {"<r><![CDATA[x]]", false, "CDATA Section at offset 3 unterminated"},
        {"<r><?pi x?", false, "Processing instruction at offset 3 unterminated"},
        {"<!DOCTYPE r [ <!ENTITY x 'y'> ", false, "Doctype at offset 0 unterminated"},
        {"<r><", false, "tag at offset 3 unterminated"},
        {"<r><!x></r>", false, "Incorrect ! tag at offset 3"},
        {"<r><!-x></r>", false, "Incorrect comment tag at offset 3"},
        {"<r><![x[</r>", false, "Incorrect tag at offset 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.doc);
        CXmlReader r;
        ASSERT_TRUE(r.LoadBytes(c.doc));
        const std::string strLoad = U8(r.GetResultText());
        EXPECT_EQ(r.SetDocument(), c.bWellFormed);
        EXPECT_EQ(r.IsWellFormed(), c.bWellFormed);
        EXPECT_EQ(U8(r.GetResultText()), *c.pszProblem ? strLoad + " " + c.pszProblem : strLoad);
        if (c.pszPath) {
            ASSERT_TRUE(Navigate(r, c.pszPath));
            EXPECT_EQ(U8(r.GetChildText()), c.pszText);
            if (c.pszAttr) {
                EXPECT_EQ(U8(r.GetChildAttribute(U16(c.pszAttr))), c.pszAttrValue);
            }
        }
        if (c.pszRootChildren) EXPECT_EQ(RootChildren(r), c.pszRootChildren);
    }
}

TEST(XmlReader, AttributesInOrderWithDecodedValues)
{
    CXmlReader r;
    r.LoadBytes("<r><dev id=\"7\" name='M &amp; K' ver = 1.2/></r>");
    ASSERT_TRUE(r.SetDocument());
    ASSERT_TRUE(r.FindChild(u"dev"));
    const std::vector<std::pair<std::u16string, std::u16string>> expected = {
        {u"id", u"7"}, {u"name", u"M & K"}, {u"ver", u"1.2"}};
    EXPECT_EQ(r.GetChildAttributes(), expected);
    EXPECT_EQ(r.GetChildName(), u"dev");
}

TEST(XmlReader, NavigationKeepsThreePositions)
{
    CXmlReader r;
    r.LoadBytes("<root><cfg><k>1</k><k>2</k><j>3</j></cfg><cfg><k>4</k></cfg></root>");
    ASSERT_TRUE(r.SetDocument());

    // No current child or element yet: nothing to read.
    EXPECT_EQ(r.GetChildText(), u"");
    EXPECT_EQ(r.GetChildAttribute(u"x"), u"");

    // FindChild from the reset position selects the root first.
    ASSERT_TRUE(r.FindChild(u"cfg"));
    r.EnterElement();
    ASSERT_TRUE(r.FindChild(u"k"));
    EXPECT_EQ(r.GetChildText(), u"1");
    ASSERT_TRUE(r.FindChild(u"k"));  // continues after the current child
    EXPECT_EQ(r.GetChildText(), u"2");
    EXPECT_FALSE(r.FindChild(u"k"));  // a failed search keeps the position
    EXPECT_EQ(r.GetChildText(), u"2");
    ASSERT_TRUE(r.FindChild(u"j"));
    EXPECT_EQ(r.GetChildText(), u"3");

    // FindElement walks the siblings of the current element (the first cfg).
    ASSERT_TRUE(r.FindElement(u"cfg"));
    EXPECT_EQ(r.GetChildText(), u"");  // the child position was cleared
    ASSERT_TRUE(r.FindChild());
    EXPECT_EQ(r.GetChildText(), u"4");
    EXPECT_FALSE(r.FindElement(u"cfg"));

    // Up again, and a walk from the top with FindElement at document level.
    r.LeaveElement();
    EXPECT_EQ(r.GetChildName(), u"cfg");
    r.ResetPosition();
    ASSERT_TRUE(r.FindElement(u"root"));
    EXPECT_FALSE(r.FindElement(u"root"));
    r.ResetPosition();
    EXPECT_FALSE(r.FindElement(u"cfg"));  // only the root is at document level

    // EnterElement with no current child leaves no current element; FindChild
    // then takes the first child of the current parent as its element.
    r.ResetPosition();
    ASSERT_TRUE(r.FindElement());
    r.EnterElement();
    EXPECT_EQ(r.GetChildName(), u"");
    ASSERT_TRUE(r.FindChild(u"k"));
    EXPECT_EQ(r.GetChildText(), u"1");
}

TEST(XmlReader, NewReaderIsAnEmptyDocument)
{
    CXmlReader r;
    EXPECT_FALSE(r.IsWellFormed());
    EXPECT_EQ(r.GetResultText(), u"Empty document");
    EXPECT_FALSE(r.FindChild());
    EXPECT_FALSE(r.FindElement());
}

// The same characters in five encodings load to the same text.
TEST(XmlReader, EncodingsLoadToTheSameText)
{
    const std::u16string text = u"<r><a k=\"\u00E9\">Gr\u00FC\u00DFe \u20AC</a></r>";
    auto utf16 = [&](bool bBigEndian) {
        std::string s = bBigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (char16_t c : text) {
            const char hi = char(c >> 8), lo = char(c & 0xFF);
            s += bBigEndian ? hi : lo;
            s += bBigEndian ? lo : hi;
        }
        return s;
    };
    struct Enc { std::string bytes; const char* pszResult; const char* pszPath = "a"; };
    const Enc encs[] = {
        {utf16(false), "UTF-16LE BOM + length 27"},
        {utf16(true), "UTF-16BE BOM + length 27 endian swap"},
        {"\xEF\xBB\xBF" + U8(text), "UTF-8 BOM + length 32 to 27 wide chars"},
        {U8(text), "UTF-8 length 32 to 27 wide chars"},
        {"\n" + U8(text), "UTF-8 length 33 (used UTF-8 detection) to 28 wide chars"},
        {"<?xml version=\"1.0\" encoding=\"Windows-1252\"?><r><a k=\"\xE9\">Gr\xFC\xDF" "e \x80</a></r>",
         "Windows-1252 length 72 to 72 wide chars"},
        {"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"
         "</head><body><r><a k=\"\xE9\">Gr\xFC\xDF" "e \x80</a></r></body></html>",
         nullptr, "body/r/a"},
        {"\n<r><a k=\"\xE9\">Gr\xFC\xDF" "e \x80</a></r>", "ANSI length 28 (used UTF-8 detection) to 28 wide chars"},
        {std::string("<r\0>\0<a k=\"\xC3\xA9\">Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC</a></r>", 34),
         "UTF-8 length 34 (2 nulls removed) to 27 wide chars"},
    };
    for (const Enc& e : encs) {
        SCOPED_TRACE(e.bytes);
        CXmlReader r;
        ASSERT_TRUE(r.LoadBytes(e.bytes));
        if (e.pszResult) {
            EXPECT_EQ(U8(r.GetResultText()), e.pszResult);
        }
        r.SetDocument();
        ASSERT_TRUE(Navigate(r, e.pszPath)) << U8(r.GetResultText());
        EXPECT_EQ(r.GetChildText(), u"Gr\u00FC\u00DFe \u20AC");
        EXPECT_EQ(r.GetChildAttribute(u"k"), u"\u00E9");
    }
}

TEST(XmlReader, LoadResultSaysHowTheBytesWereRead)
{
    struct Case { std::string bytes; const char* pszResult; };
    const Case cases[] = {
        // Continuation-like bytes that are not UTF-8: read as Windows-1252.
        {"\n<r>\xAB\xE9\xBB</r>", "ANSI length 11 (used UTF-8 detection) to 11 wide chars"},
        // Legible as 8-bit text, so the file is not in UTF-16 whatever it says.
        {"<?xml version=\"1.0\" encoding=\"UTF-16\"?><r>\xC3\xA9</r>",
         "UTF-8 (declared UTF-16 ignored) length 48 to 47 wide chars"},
        // A name nobody knows: read as Windows-1252, and said so.
        {"<?xml version=\"1.0\" encoding=\"x-none\"?><r>\xE9</r>",
         "x-none length 47 (charset not known, read as windows-1252) to 47 wide chars"},
        // A UTF-16 file whose last byte is missing.
        {std::string("\xFF\xFE<\0r\0/\0>\0\n", 11), "UTF-16LE BOM + length 4 (odd last byte ignored)"},
        {"\xFF\xFE", "UTF-16LE BOM + 0 length"},
    };
    for (const Case& c : cases) {
        CXmlReader r;
        ASSERT_TRUE(r.LoadBytes(c.bytes));
        EXPECT_EQ(U8(r.GetResultText()), c.pszResult);
    }
    CXmlReader r;
    r.LoadBytes(cases[0].bytes);
    r.SetDocument();
    r.FindElement();
    r.LeaveElement();  // the root as the current child
    EXPECT_EQ(r.GetChildName(), u"r");
    EXPECT_EQ(r.GetChildText(), u"\u00AB\u00E9\u00BB");
}

TEST(XmlReader, UnknownCharsetsGoToTheHook)
{
    std::string strAsked;
    SetCharsetHook([&](std::string_view name, std::string_view bytes, std::u16string& out) {
        strAsked = std::string(name);
        if (name != "x-upper") return false;
        for (char c : bytes) out += char16_t(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        return true;
    });
    CXmlReader r;
    ASSERT_TRUE(r.LoadBytes("<?xml version='1.0' encoding='x-upper'?><r><a>hello</a></r>"));
    EXPECT_EQ(strAsked, "x-upper");
    r.SetDocument();
    EXPECT_TRUE(Navigate(r, "A"));
    EXPECT_EQ(r.GetChildText(), u"HELLO");

    ASSERT_TRUE(r.LoadBytes("<?xml version='1.0' encoding='x-other'?><r>\x80</r>"));
    EXPECT_EQ(strAsked, "x-other");
    EXPECT_NE(U8(r.GetResultText()).find("charset not known"), std::string::npos);
    SetCharsetHook(nullptr);
}

TEST(XmlReader, ZeroLengthFileIsAnEmptyDocument)
{
    CXmlReader r;
    ASSERT_TRUE(r.LoadBytes(""));
    EXPECT_FALSE(r.SetDocument());
    const std::string s = U8(r.GetResultText());
    EXPECT_NE(s.find("0 length "), std::string::npos) << s;
    EXPECT_TRUE(s.ends_with("Empty document")) << s;
}

TEST(XmlReader, LoadsFilesAndReportsMissingOnes)
{
    test::CTempDir dir;
    test::WriteBytes(dir / "t.xml", std::string("\xFF\xFE<\0r\0>\0\xAC\x20<\0/\0r\0>\0", 18));
    CXmlReader r;
    ASSERT_TRUE(r.LoadFile(dir / "t.xml"));
    EXPECT_TRUE(r.SetDocument());
    EXPECT_EQ(U8(r.GetResultText()), "UTF-16LE BOM + length 8");
    EXPECT_EQ(DumpXmlTree(r), "r \xE2\x82\xAC\nresult: UTF-16LE BOM + length 8; well-formed: yes\n");

    EXPECT_FALSE(r.LoadFile(dir / "missing.xml"));
    EXPECT_EQ(U8(r.GetResultText()), "No such file or directory");
    EXPECT_FALSE(r.SetDocument());
    EXPECT_EQ(U8(r.GetResultText()), "No such file or directory Empty document");

    EXPECT_FALSE(r.LoadFile(dir.Path()));  // a folder, or a pipe or a device, is never opened for reading
    EXPECT_EQ(U8(r.GetResultText()), "not a regular file (a pipe, a device or a folder)");

    // Too large to be any file of ours: refused before it is read.
    std::filesystem::resize_file(dir / "t.xml", CXmlReader::kMaxFileBytes + 1);
    EXPECT_FALSE(r.LoadFile(dir / "t.xml"));
    EXPECT_EQ(U8(r.GetResultText()), "File too large: 16777217 bytes (limit 16777216)");
    EXPECT_FALSE(r.LoadBytes(std::string(CXmlReader::kMaxFileBytes + 1, ' ')));
}

// A failed load must not leave the old index pointing into the now empty text.
TEST(XmlReader, FailedReloadClearsTheIndex)
{
    test::CTempDir dir;
    test::WriteBytes(dir / "text.xml", "<text><config><tc_ok>OK</tc_ok></config></text>");
    CXmlReader r;
    ASSERT_TRUE(r.LoadFile(dir / "text.xml"));
    ASSERT_TRUE(r.SetDocument());
    ASSERT_TRUE(Navigate(r, "config/tc_ok"));
    EXPECT_EQ(r.GetChildText(), u"OK");

    EXPECT_FALSE(r.LoadFile(dir / "other" / "text.xml"));  // no SetDocument after the failure
    EXPECT_FALSE(r.IsWellFormed());
    EXPECT_EQ(r.GetChildText(), u"");
    EXPECT_EQ(r.GetChildName(), u"");
    EXPECT_FALSE(Navigate(r, "config/tc_ok"));
    EXPECT_EQ(r.GetChildText(), u"");
    EXPECT_EQ(DumpXmlTree(r), "result: No such file or directory; well-formed: no\n");

    // The same after a successful load of other bytes, before indexing them.
    ASSERT_TRUE(r.LoadFile(dir / "text.xml"));
    ASSERT_TRUE(r.SetDocument());
    ASSERT_TRUE(r.LoadBytes("<x/>"));
    EXPECT_FALSE(Navigate(r, "config"));
}

// End tags may carry any amount of white space before their '>'.
TEST(XmlReader, LongEndTagKeepsTheText)
{
    const std::string doc = "<r><a>text</a" + std::string(1996, ' ') + "></r>";
    CXmlReader r;
    r.LoadBytes(doc);
    ASSERT_TRUE(r.SetDocument()) << U8(r.GetResultText());
    ASSERT_TRUE(Navigate(r, "a"));
    EXPECT_EQ(r.GetChildText(), u"text");
    EXPECT_TRUE(r.FindElement() == false);
}

// Deep nesting is indexed without recursion, and lifting the children of
// unended elements stays linear: each element is moved once.
TEST(XmlReader, DeepUnendedNestingIsLinear)
{
    constexpr size_t kDepth = 200000;
    std::string doc;
    for (size_t i = 0; i < kDepth; ++i) doc += "<a>";
    CXmlReader r;
    r.LoadBytes(doc);
    EXPECT_FALSE(r.SetDocument());
    EXPECT_TRUE(U8(r.GetResultText()).ends_with("Element 'a' at offset 599997 not ended"));
    size_t n = 0;
    r.ResetPosition();
    while (r.FindElement(u"a")) ++n;
    EXPECT_EQ(n, kDepth);  // all at document level now

    std::string closed = doc;
    for (size_t i = 0; i < kDepth; ++i) closed += "</a>";
    r.LoadBytes(closed);
    EXPECT_TRUE(r.SetDocument());
    size_t nDepth = 0;
    r.ResetPosition();
    r.FindElement();
    while (r.FindChild(u"a")) { r.EnterElement(); ++nDepth; }
    EXPECT_EQ(nDepth, kDepth - 1);
}

// A large internal subset of comments, instructions and declarations is read in
// one pass (each comment is skipped whole, never searched again).
TEST(XmlReader, LargeDoctypeSubsetIsReadInOnePass)
{
    constexpr size_t kNodes = 100000;
    std::string doc = "<!DOCTYPE r [";
    for (size_t i = 0; i < kNodes; ++i) doc += "<!-- it's ] > --><?p 'x ?><!ENTITY e \"a'>b\">";
    doc += "]><r><a>t</a></r>";
    CXmlReader r;
    ASSERT_TRUE(r.LoadBytes(doc));
    EXPECT_TRUE(r.SetDocument()) << U8(r.GetResultText());
    ASSERT_TRUE(Navigate(r, "a"));
    EXPECT_EQ(U8(r.GetChildText()), "t");
}

TEST(XmlReader, DumpShowsOneLinePerElement)
{
    CXmlReader r;
    r.LoadBytes("<?xml version=\"1.0\"?>\n<r v=\"1\">\n <a k=\"x &quot;y&quot;\">line1\r\nline2</a>\n <b/>\n"
                " <c><d>t</d></c>\n</r>\n");
    r.SetDocument();
    EXPECT_EQ(DumpXmlTree(r),
              "r v=\"1\"\n"
              "  a k=\"x \\\"y\\\"\" line1\\r\\nline2\n"
              "  b\n"
              "  c\n"
              "    d t\n"
              "result: UTF-8 length 101 to 101 wide chars; well-formed: yes\n");

    r.LoadBytes("<a/><b>x");
    r.SetDocument();
    EXPECT_EQ(DumpXmlTree(r),
              "a\n"
              "b\n"
              "result: UTF-8 length 8 to 8 wide chars Element 'b' at offset 4 not ended; well-formed: no\n");
}

}  // namespace
