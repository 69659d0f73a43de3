// The program's own read-only XML reader. It decodes a file of any common
// encoding into UTF-16, indexes the elements without copying their text, and is
// lenient: a malformed document is indexed as far as it goes, the first problem
// is kept in the result text, and the caller decides whether that is acceptable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/Charset.h"  // CharsetHook, SetCharsetHook

class CXmlReader {
public:
    CXmlReader();

    // Replaces the document text with the decoded file; the index and positions are
    // cleared too, so a failed load never leaves an index into the old text.
    bool LoadFile(const std::filesystem::path& path);
    // The same from bytes already in memory (tests, downloads).
    bool LoadBytes(std::string_view bytes);
    // Indexes the document text; true only when it is well-formed.
    bool SetDocument();

    void ResetPosition();
    bool FindElement(std::u16string_view name = {});
    bool FindChild(std::u16string_view name = {});
    void EnterElement();
    std::u16string GetChildText() const;
    std::u16string GetChildAttribute(std::u16string_view name) const;
    std::u16string GetResultText() const;

    // For tools that show the whole tree: the current child's tag name and its
    // attributes in order, values decoded.
    std::u16string GetChildName() const;
    std::vector<std::pair<std::u16string, std::u16string>> GetChildAttributes() const;
    bool IsWellFormed() const { return m_bWellFormed; }

    // The inverse of EnterElement, for walking the whole tree: the current element
    // becomes the current child and its parent the current element.
    void LeaveElement();

    // Files larger than this are refused: the reader holds the whole text and
    // its index in memory, and no file the program reads comes near it.
    static constexpr size_t kMaxFileBytes = 16u << 20;

private:
    // Document flags.
    static constexpr uint32_t kDocError = 0x01;  // a problem was found while indexing
    static constexpr uint32_t kDocUtf8Bom = 0x10, kDocUtf16LE = 0x20, kDocUtf16BE = 0x40;
    // Element flags.
    static constexpr uint32_t kElemEmpty = 0x01;     // <name/>
    static constexpr uint32_t kElemNotEnded = 0x02;  // no end tag found; its children were lifted to siblings
    static constexpr uint32_t kElemFirstChild = 0x04;

    struct Element {
        uint32_t nStart = 0;       // offset of '<' of the start tag
        uint32_t nLength = 0;      // up to and including the end tag's '>'
        uint32_t nStartTagLen = 0;
        uint32_t nEndTagLen = 0;
        uint32_t nFlags = 0;       // kElem*
        uint32_t iParent = 0, iFirstChild = 0, iNext = 0, iPrev = 0;
    };
    friend class CXmlReaderImpl;

    void Clear();

    std::u16string m_strDoc;
    std::vector<Element> m_elems;  // [0] stands for the document itself
    uint32_t m_nDocFlags = 0;      // kDoc*
    uint32_t m_iParent = 0, m_iElem = 0, m_iChild = 0;
    bool m_bElementKind = false;
    bool m_bWellFormed = false;
    std::u16string m_strLoadResult, m_strParseResult;
};

// The element tree as the reader indexes it, one line per element indented two
// spaces per level: name attr="value" ..., then the text content when it has any;
// a last line with the result text and whether the document is well-formed.
std::string DumpXmlTree(CXmlReader& reader);
