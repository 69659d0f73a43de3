// Decoding of 8-bit and multi-byte text into UTF-16 by charset name, as files
// name their encoding (XML declarations, HTML meta tags). The common charsets
// are decoded here; any other name goes to a hook the platform layer installs.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// Converts text in a named charset to UTF-16. The model decodes UTF-8,
// UTF-16, UTF-32, US-ASCII, ISO-8859-1 and Windows-1252 itself; other names go
// to this hook when one is installed (the platform layer installs iconv).
// Returns false when the charset is unknown.
using CharsetHook = std::function<bool(std::string_view charset, std::string_view bytes, std::u16string& out)>;
// Installs the hook for the whole process (an empty hook removes it). Safe to
// call while other threads decode.
void SetCharsetHook(CharsetHook hook);

enum class CharsetKind { Unknown, Utf8, Utf16LE, Utf16BE, Utf32LE, Utf32BE, Ascii, Latin1, Cp1252 };

// The decoder built in for a charset name (ASCII case ignored, the common
// aliases included), or Unknown.
CharsetKind LookupCharset(std::string_view name);
// True for the charsets whose characters are 16 or 32 bits wide.
inline bool IsWideCharset(CharsetKind kind)
{
    return kind == CharsetKind::Utf16LE || kind == CharsetKind::Utf16BE || kind == CharsetKind::Utf32LE ||
           kind == CharsetKind::Utf32BE;
}

// Decodes bytes in the named charset. An empty name means Windows-1252, the
// 8-bit code page this program reads files of unknown encoding in. A name that
// neither the built-in table nor the hook knows is read as Windows-1252 too, and
// the call returns false so that the caller can say so. Bytes that are invalid
// in their charset become U+FFFD; nothing throws.
bool DecodeCharset(std::string_view name, std::string_view bytes, std::u16string& out);
