// How one line of an INI file is understood. The reader and the writer both use
// this, so that the writer edits exactly the key a later read will find. It works
// on UTF-8 or Windows-1252 bytes and on UTF-16 units alike: every character that
// matters here ('[', ']', '=', ';', blanks, CR, LF) is ASCII.
#pragma once

#include <cstddef>
#include <string_view>

namespace ini {

enum class LineKind { Blank, Comment, Section, Key, Other };

template <class Ch>
struct Line {
    LineKind kind = LineKind::Blank;
    std::basic_string_view<Ch> name;   // section or key name, trimmed
    std::basic_string_view<Ch> value;  // text after the first '=', trimmed
};

template <class Ch>
constexpr bool IsBlank(Ch c) { return c == Ch(' ') || c == Ch('\t'); }

template <class Ch>
std::basic_string_view<Ch> Trim(std::basic_string_view<Ch> s)
{
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// One line without its line ending.
template <class Ch>
Line<Ch> Classify(std::basic_string_view<Ch> text)
{
    Line<Ch> line;
    const std::basic_string_view<Ch> s = Trim(text);
    if (s.empty()) return line;
    if (s.front() == Ch(';')) { line.kind = LineKind::Comment; return line; }
    if (s.front() == Ch('[')) {
        // "[ name ]": text after ']' is ignored; a missing ']' ends the name at the line's end.
        const size_t nClose = s.find(Ch(']'));
        line.kind = LineKind::Section;
        line.name = Trim(s.substr(1, nClose == s.npos ? s.npos : nClose - 1));
        return line;
    }
    const size_t nEq = s.find(Ch('='));
    if (nEq == s.npos) { line.kind = LineKind::Other; return line; }
    line.kind = LineKind::Key;
    line.name = Trim(s.substr(0, nEq));
    line.value = Trim(s.substr(nEq + 1));
    return line;
}

// A line's place in the text: [begin, end) is its content, [end, next) its line ending
// (CRLF, LF or a lone CR; empty on a last line without one).
struct LineSpan { size_t begin, end, next; };

// Calls fn(LineSpan) for every line; a text ending in a line ending has no empty last line.
template <class Ch, class Fn>
void ForEachLine(std::basic_string_view<Ch> text, Fn&& fn)
{
    size_t i = 0;
    while (i < text.size()) {
        size_t e = i;
        while (e < text.size() && text[e] != Ch('\r') && text[e] != Ch('\n')) ++e;
        size_t next = e;
        if (next < text.size()) {
            if (text[next] == Ch('\r') && next + 1 < text.size() && text[next + 1] == Ch('\n')) next += 2;
            else ++next;
        }
        if (!fn(LineSpan{i, e, next})) return;
        i = next;
    }
}

template <class Ch>
constexpr Ch FoldAscii(Ch c) { return c >= Ch('A') && c <= Ch('Z') ? Ch(c - Ch('A') + Ch('a')) : c; }

// Names compare ASCII case-insensitively; other characters must match exactly.
template <class Ch>
bool SameName(std::basic_string_view<Ch> a, std::basic_string_view<Ch> b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

}  // namespace ini
