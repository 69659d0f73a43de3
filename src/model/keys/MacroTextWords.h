// Words and small parsers shared by the printing and the reading of the macro
// text form. Internal to MacroText*.cpp.
#pragma once

#include <charconv>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace macrotext {

constexpr const char* kRepeatWords[] = {"count", "until-key", "while-held"};
constexpr const char* kMoveWords[] = {"up", "down", "left", "right"};  // codes 247..250

inline bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const char ca = a[i] >= 'A' && a[i] <= 'Z' ? char(a[i] + 32) : a[i];
        const char cb = b[i] >= 'A' && b[i] <= 'Z' ? char(b[i] + 32) : b[i];
        if (ca != cb) return false;
    }
    return true;
}

template <class T>
inline bool ParseNumber(std::string_view s, T& v)
{
    int nBase = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        s.remove_prefix(2);
        nBase = 16;
    }
    if (s.empty() || s[0] == '+') return false;
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, nBase);
    return ec == std::errc() && p == s.data() + s.size();
}

std::string Printf(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));
inline std::string Printf(const char* pszFormat, ...)
{
    char buf[256];
    va_list args;
    va_start(args, pszFormat);
    std::vsnprintf(buf, sizeof buf, pszFormat, args);
    va_end(args);
    return buf;
}

inline int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace macrotext
