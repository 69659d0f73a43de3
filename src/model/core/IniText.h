// The bytes of an INI file: reading them with a size cap, telling their
// encoding and turning them into text. Shared by the INI reader and writer.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace ini {

enum class Encoding { Utf8, Utf8Bom, Utf16LE, Utf16BE, Cp1252 };

// UTF-16 with a BOM (either order), UTF-8 with a BOM, UTF-8 when the bytes are
// valid UTF-8, Windows-1252 otherwise.
Encoding DetectEncoding(std::string_view bytes);
const char* EncodingName(Encoding enc);
// Length of the byte-order mark the encoding starts with (0, 2 or 3).
size_t BomSize(Encoding enc);

// The whole text as UTF-8, without a BOM. bRepaired tells that invalid
// sequences (a UTF-8 file with a BOM but bad bytes, unpaired UTF-16
// surrogates) were replaced by U+FFFD. A trailing odd byte of UTF-16 is dropped.
std::string DecodeToUtf8(std::string_view bytes, Encoding enc, bool& bRepaired);
// UTF-16 units after the BOM, in memory order; an odd last byte is dropped.
std::u16string Utf16Units(std::string_view bytes, Encoding enc);
// BOM followed by the units in the encoding's byte order.
std::string Utf16Bytes(std::u16string_view units, Encoding enc);

enum class ReadResult { Ok, Missing, Failed };
// The file's bytes; Failed with a reason for a file that is not a regular file,
// cannot be read or is larger than kIniMaxBytes.
ReadResult ReadFileCapped(const std::filesystem::path& path, std::string& bytes, std::string& strErr);

}  // namespace ini
