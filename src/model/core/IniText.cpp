#include "core/IniText.h"

#include <algorithm>

#include "core/FileAccess.h"
#include "core/Ini.h"
#include "core/Utf.h"

namespace fs = std::filesystem;

namespace ini {

namespace {

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

bool HasLoneSurrogate(std::u16string_view s)
{
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] >= 0xD800 && s[i] <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) ++i;
        else if (s[i] >= 0xD800 && s[i] <= 0xDFFF) return true;
    }
    return false;
}

}  // namespace

Encoding DetectEncoding(std::string_view bytes)
{
    if (StartsWith(bytes, "\xFF\xFE")) return Encoding::Utf16LE;
    if (StartsWith(bytes, "\xFE\xFF")) return Encoding::Utf16BE;
    if (StartsWith(bytes, "\xEF\xBB\xBF")) return Encoding::Utf8Bom;
    return IsValidUtf8(bytes) ? Encoding::Utf8 : Encoding::Cp1252;
}

const char* EncodingName(Encoding enc)
{
    switch (enc) {
    case Encoding::Utf8: return "UTF-8";
    case Encoding::Utf8Bom: return "UTF-8 BOM";
    case Encoding::Utf16LE: return "UTF-16LE";
    case Encoding::Utf16BE: return "UTF-16BE";
    case Encoding::Cp1252: return "windows-1252";
    }
    return "";
}

size_t BomSize(Encoding enc)
{
    switch (enc) {
    case Encoding::Utf8Bom: return 3;
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: return 2;
    default: return 0;
    }
}

std::u16string Utf16Units(std::string_view bytes, Encoding enc)
{
    bytes.remove_prefix(std::min(bytes.size(), BomSize(enc)));
    const bool bBig = enc == Encoding::Utf16BE;
    std::u16string units(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        const auto b0 = static_cast<unsigned char>(bytes[2 * i]);
        const auto b1 = static_cast<unsigned char>(bytes[2 * i + 1]);
        units[i] = bBig ? char16_t(b0 << 8 | b1) : char16_t(b1 << 8 | b0);
    }
    return units;
}

std::string Utf16Bytes(std::u16string_view units, Encoding enc)
{
    const bool bBig = enc == Encoding::Utf16BE;
    std::string out = bBig ? "\xFE\xFF" : "\xFF\xFE";
    out.reserve(2 + units.size() * 2);
    for (const char16_t u : units) {
        const char hi = char(u >> 8), lo = char(u & 0xFF);
        out += bBig ? hi : lo;
        out += bBig ? lo : hi;
    }
    return out;
}

std::string DecodeToUtf8(std::string_view bytes, Encoding enc, bool& bRepaired)
{
    bRepaired = false;
    switch (enc) {
    case Encoding::Utf16LE:
    case Encoding::Utf16BE: {
        const std::u16string units = Utf16Units(bytes, enc);
        bRepaired = HasLoneSurrogate(units);
        return U16ToUtf8(units);
    }
    case Encoding::Utf8Bom: {
        const std::string_view rest = bytes.substr(3);
        if (IsValidUtf8(rest)) return std::string(rest);
        bRepaired = true;  // the BOM says UTF-8: keep it so, and mark the bad bytes
        return U16ToUtf8(Utf8ToU16(rest));
    }
    case Encoding::Cp1252: return U16ToUtf8(Cp1252ToU16(bytes));
    case Encoding::Utf8: break;
    }
    return std::string(bytes);
}

ReadResult ReadFileCapped(const fs::path& path, std::string& bytes, std::string& strErr)
{
    // A folder, a pipe or a device in place of a settings file is refused (a pipe would block).
    const FileRead read = ReadRegularFile(path, kIniMaxBytes, bytes);
    if (read.status == ReadStatus::Missing) return ReadResult::Missing;
    if (!read.Ok()) { strErr = read.Reason(); return ReadResult::Failed; }
    if (read.bMore) { strErr = "larger than 8 MiB"; bytes.clear(); return ReadResult::Failed; }
    return ReadResult::Ok;
}

}  // namespace ini
