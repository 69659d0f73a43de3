// Conversions between the text forms the program meets: UTF-8 (log lines, INI
// values, command line), UTF-16 (records, catalogue, XML document) and
// Windows-1252 (the 8-bit code page of files written on Windows).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Invalid sequences become U+FFFD; never throws.
std::u16string Utf8ToU16(std::string_view s);
// Unpaired surrogates become U+FFFD.
std::string U16ToUtf8(std::u16string_view s);
// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates).
bool IsValidUtf8(std::string_view s);
// Each byte mapped through the Windows-1252 table (undefined bytes map to the same code point).
std::u16string Cp1252ToU16(std::string_view s);
// Appends a code point as UTF-16 (surrogate pair above U+FFFF); invalid code points become U+FFFD.
void AppendCodePoint(std::u16string& out, char32_t cp);

// Copies text into a fixed record field of N characters, cut to N-1 and zero-terminated.
template <size_t N>
void CopyToFixed(char16_t (&dst)[N], std::u16string_view src)
{
    const size_t n = src.size() < N - 1 ? src.size() : N - 1;
    for (size_t i = 0; i < n; ++i) dst[i] = src[i];
    for (size_t i = n; i < N; ++i) dst[i] = 0;
}
// The text of a fixed record field up to its first zero.
template <size_t N>
std::u16string_view FixedView(const char16_t (&src)[N])
{
    size_t n = 0;
    while (n < N && src[n]) ++n;
    return {src, n};
}
