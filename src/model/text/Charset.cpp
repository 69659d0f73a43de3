#include "text/Charset.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <mutex>

#include "core/HookSlot.h"
#include "core/Utf.h"

namespace {

constexpr char16_t kReplacement = 0xFFFD;

CHookSlot<CharsetHook>& Slot()
{
    static CHookSlot<CharsetHook> slot;
    return slot;
}

struct CharsetName {
    std::string_view name;  // lower case
    CharsetKind kind;
};

// The names files use for the charsets decoded here. "unicode" and "utf-16" are
// little-endian as on the system the program's files come from; "unicodefffe"
// is that system's name for big-endian UTF-16.
constexpr std::array kNames = std::to_array<CharsetName>({
    {"utf-8", CharsetKind::Utf8},
    {"utf8", CharsetKind::Utf8},
    {"unicode-1-1-utf-8", CharsetKind::Utf8},
    {"unicode-2-0-utf-8", CharsetKind::Utf8},
    {"x-unicode20utf8", CharsetKind::Utf8},
    {"utf-16", CharsetKind::Utf16LE},
    {"utf16", CharsetKind::Utf16LE},
    {"utf-16le", CharsetKind::Utf16LE},
    {"utf16le", CharsetKind::Utf16LE},
    {"unicode", CharsetKind::Utf16LE},
    {"ucs-2", CharsetKind::Utf16LE},
    {"iso-10646-ucs-2", CharsetKind::Utf16LE},
    {"utf-16be", CharsetKind::Utf16BE},
    {"utf16be", CharsetKind::Utf16BE},
    {"unicodefffe", CharsetKind::Utf16BE},
    {"us-ascii", CharsetKind::Ascii},
    {"ascii", CharsetKind::Ascii},
    {"us", CharsetKind::Ascii},
    {"ansi_x3.4-1968", CharsetKind::Ascii},
    {"ansi_x3.4-1986", CharsetKind::Ascii},
    {"iso646-us", CharsetKind::Ascii},
    {"iso_646.irv:1991", CharsetKind::Ascii},
    {"iso-ir-6", CharsetKind::Ascii},
    {"cp367", CharsetKind::Ascii},
    {"ibm367", CharsetKind::Ascii},
    {"csascii", CharsetKind::Ascii},
    {"iso-8859-1", CharsetKind::Latin1},
    {"iso8859-1", CharsetKind::Latin1},
    {"iso_8859-1", CharsetKind::Latin1},
    {"iso_8859-1:1987", CharsetKind::Latin1},
    {"latin1", CharsetKind::Latin1},
    {"l1", CharsetKind::Latin1},
    {"iso-ir-100", CharsetKind::Latin1},
    {"cp819", CharsetKind::Latin1},
    {"ibm819", CharsetKind::Latin1},
    {"csisolatin1", CharsetKind::Latin1},
    {"windows-1252", CharsetKind::Cp1252},
    {"cp1252", CharsetKind::Cp1252},
    {"x-ansi", CharsetKind::Cp1252},
    {"ansi", CharsetKind::Cp1252},
});

char ToLowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool EqualsIgnoreCase(std::string_view a, std::string_view lower)
{
    if (a.size() != lower.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (ToLowerAscii(a[i]) != lower[i]) return false;
    return true;
}

bool StartsWithIgnoreCase(std::string_view a, std::string_view lower)
{
    return a.size() >= lower.size() && EqualsIgnoreCase(a.substr(0, lower.size()), lower);
}

std::u16string DecodeUtf16(std::string_view bytes, bool bBigEndian)
{
    std::u16string out;
    out.reserve(bytes.size() / 2 + 1);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto b0 = static_cast<unsigned char>(bytes[i]);
        const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
        out += bBigEndian ? char16_t((b0 << 8) | b1) : char16_t((b1 << 8) | b0);
    }
    if (bytes.size() % 2) out += kReplacement;  // a byte cut off at the end
    return out;
}

std::u16string DecodeUtf32(std::string_view bytes, bool bBigEndian)
{
    std::u16string out;
    out.reserve(bytes.size() / 4 + 1);
    for (size_t i = 0; i + 3 < bytes.size(); i += 4) {
        uint32_t cp = 0;
        for (size_t k = 0; k < 4; ++k) {
            const auto b = static_cast<unsigned char>(bytes[i + (bBigEndian ? k : 3 - k)]);
            cp = (cp << 8) | b;
        }
        AppendCodePoint(out, char32_t(cp));  // invalid code points become U+FFFD
    }
    if (bytes.size() % 4) out += kReplacement;
    return out;
}

std::u16string DecodeSingleByte(std::string_view bytes, char32_t cpMax)
{
    std::u16string out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += b <= cpMax ? char16_t(b) : kReplacement;
    }
    return out;
}

bool CallHook(std::string_view name, std::string_view bytes, std::u16string& out)
{
    const CharsetHook hook = Slot().Get();
    if (!hook) return false;
    out.clear();
    try {
        if (hook(name, bytes, out)) return true;
    } catch (...) {
        // A hook that throws is treated like one that does not know the name.
    }
    out.clear();
    return false;
}

}  // namespace

void SetCharsetHook(CharsetHook hook)
{
    Slot().Set(std::move(hook));
}

CharsetKind LookupCharset(std::string_view name)
{
    for (const auto& entry : kNames)
        if (EqualsIgnoreCase(name, entry.name)) return entry.kind;
    // Every UTF-32 variant name is UTF-32; without an order it is little-endian.
    for (std::string_view prefix : {"utf-32", "utf32", "ucs-4"}) {
        if (!StartsWithIgnoreCase(name, prefix)) continue;
        return EqualsIgnoreCase(name.substr(prefix.size()), "be") ? CharsetKind::Utf32BE : CharsetKind::Utf32LE;
    }
    return CharsetKind::Unknown;
}

bool DecodeCharset(std::string_view name, std::string_view bytes, std::u16string& out)
{
    switch (name.empty() ? CharsetKind::Cp1252 : LookupCharset(name)) {
    case CharsetKind::Utf8: out = Utf8ToU16(bytes); return true;
    case CharsetKind::Utf16LE: out = DecodeUtf16(bytes, false); return true;
    case CharsetKind::Utf16BE: out = DecodeUtf16(bytes, true); return true;
    case CharsetKind::Utf32LE: out = DecodeUtf32(bytes, false); return true;
    case CharsetKind::Utf32BE: out = DecodeUtf32(bytes, true); return true;
    case CharsetKind::Ascii: out = DecodeSingleByte(bytes, 0x7F); return true;
    case CharsetKind::Latin1: out = DecodeSingleByte(bytes, 0xFF); return true;
    case CharsetKind::Cp1252: out = Cp1252ToU16(bytes); return true;
    case CharsetKind::Unknown: break;
    }
    if (CallHook(name, bytes, out)) return true;
    out = Cp1252ToU16(bytes);
    return false;
}
