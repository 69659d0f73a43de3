// Writing one key of an INI file: the file is edited as text in its own
// encoding, so that every other line keeps its bytes, and then replaced
// atomically.
#include <string>

#include "core/AtomicFile.h"
#include "core/Ini.h"
#include "core/IniLine.h"
#include "core/IniText.h"
#include "core/Log.h"
#include "core/Utf.h"

namespace fs = std::filesystem;

namespace {

template <class Ch>
using Str = std::basic_string<Ch>;
template <class Ch>
using View = std::basic_string_view<Ch>;

// The line ending the file already uses (its first one); LF for a file without any.
template <class Ch>
Str<Ch> FirstLineEnding(View<Ch> text)
{
    Str<Ch> eol;
    ini::ForEachLine(text, [&](const ini::LineSpan& sp) {
        if (sp.next == sp.end) return true;
        eol.assign(text.substr(sp.end, sp.next - sp.end));
        return false;
    });
    if (eol.empty()) eol = Str<Ch>(1, Ch('\n'));
    return eol;
}

// Sets section/key=value in the text. The key is looked up the way the reader
// does: in the first section of that name, the first key of that name, names
// compared after decoding them to UTF-8 as the reader decodes the file
// (decode(name) -> std::string). section, key and value are given twice: in the
// text's own form for writing, and section and key in UTF-8 for matching.
template <class Ch, class Decode>
Str<Ch> SetKey(Str<Ch> text, View<Ch> section, View<Ch> key, View<Ch> value, std::string_view sectionUtf8,
               std::string_view keyUtf8, Decode&& decode)
{
    const Str<Ch> eol = FirstLineEnding<Ch>(text);
    Str<Ch> keyLine(key);
    keyLine += Ch('=');
    keyLine += value;
    auto same = [&](View<Ch> name, std::string_view want) {
        return ini::SameName(std::string_view(decode(name)), want);
    };

    bool bInSection = false, bFound = false;
    ini::LineSpan after{}, found{};  // the line a new key goes after; the line of the key
    const View<Ch> all(text);
    ini::ForEachLine(all, [&](const ini::LineSpan& sp) {
        const ini::Line<Ch> line = ini::Classify(all.substr(sp.begin, sp.end - sp.begin));
        if (!bInSection) {
            if (line.kind == ini::LineKind::Section && same(line.name, sectionUtf8)) {
                bInSection = true;
                after = sp;
            }
            return true;
        }
        if (line.kind == ini::LineKind::Section) return false;  // end of the section
        if (line.kind != ini::LineKind::Key) return true;
        if (same(line.name, keyUtf8)) {
            bFound = true;
            found = sp;
            return false;
        }
        after = sp;
        return true;
    });

    if (bFound) {
        text.replace(found.begin, found.end - found.begin, keyLine);  // the line keeps its ending
    } else if (bInSection) {
        if (after.next == after.end) text.insert(after.end, eol + keyLine + eol);  // last line had no ending
        else text.insert(after.next, keyLine + eol);
    } else {
        if (!text.empty() && text.back() != Ch('\n') && text.back() != Ch('\r')) text += eol;
        text += Ch('[');
        text += section;
        text += Ch(']');
        text += eol + keyLine + eol;
    }
    return text;
}

// Byte text (UTF-8, or Windows-1252 when bCp1252), decoding names as the reader does.
std::string SetKeyBytes(std::string text, std::string_view section, std::string_view key, std::string_view value,
                        bool bCp1252)
{
    return SetKey<char>(std::move(text), section, key, value, section, key, [bCp1252](std::string_view name) {
        if (bCp1252) return U16ToUtf8(Cp1252ToU16(name));
        return IsValidUtf8(name) ? std::string(name) : U16ToUtf8(Utf8ToU16(name));  // bad bytes read as U+FFFD
    });
}

bool HasLineBreakOrNul(std::string_view s) { return s.find_first_of(std::string_view("\r\n\0", 3)) != s.npos; }

bool IsAscii(std::string_view s)
{
    for (const char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Names and values that would read back as something else, or break the file's
// lines, are refused rather than written.
bool CheckInput(std::string_view section, std::string_view key, std::string_view value, std::string& strErr)
{
    auto bad = [&](const char* what, std::string_view s) {
        strErr = std::string("invalid INI ") + what + " \"" + std::string(s) + "\"";
        return false;
    };
    auto clean = [](std::string_view s) { return IsValidUtf8(s) && !HasLineBreakOrNul(s); };
    if (!clean(section) || section.empty() || ini::Trim(section) != section || section.find(']') != section.npos)
        return bad("section name", section);
    if (!clean(key) || key.empty() || ini::Trim(key) != key || key.find('=') != key.npos || key.front() == ';' ||
        key.front() == '[')
        return bad("key name", key);
    if (!clean(value)) return bad("value", value);
    return true;
}

}  // namespace

bool EditIniBytes(std::string bytes, std::string_view section, std::string_view key, std::string_view value,
                  std::string& out, std::string& strErr, bool* pConverted)
{
    out.clear();
    if (pConverted) *pConverted = false;
    if (!CheckInput(section, key, value, strErr)) return false;
    const ini::Encoding enc = bytes.empty() ? ini::Encoding::Utf8 : ini::DetectEncoding(bytes);
    switch (enc) {
    case ini::Encoding::Utf16LE:
    case ini::Encoding::Utf16BE: {
        const std::u16string s = Utf8ToU16(section), k = Utf8ToU16(key), v = Utf8ToU16(value);
        out = ini::Utf16Bytes(SetKey<char16_t>(ini::Utf16Units(bytes, enc), s, k, v, section, key,
                                               [](std::u16string_view name) { return U16ToUtf8(name); }),
                              enc);
        break;
    }
    case ini::Encoding::Utf8Bom:
        out = "\xEF\xBB\xBF" + SetKeyBytes(bytes.substr(3), section, key, value, false);
        break;
    case ini::Encoding::Cp1252:
        // ASCII is the same in both, so an ASCII edit keeps the other bytes as they are;
        // unless it removed the only bytes that were not UTF-8: the file would then read
        // as UTF-8 and its other lines would change meaning.
        if (IsAscii(section) && IsAscii(key) && IsAscii(value)) out = SetKeyBytes(bytes, section, key, value, true);
        if (out.empty() || IsValidUtf8(out)) {
            // The whole file becomes UTF-8, so that the old lines and the new value
            // read back as they were meant.
            if (pConverted) *pConverted = true;
            out = SetKeyBytes(U16ToUtf8(Cp1252ToU16(bytes)), section, key, value, false);
        }
        break;
    case ini::Encoding::Utf8:
        out = SetKeyBytes(std::move(bytes), section, key, value, false);
        break;
    }
    if (out.size() > kIniMaxBytes) {
        out.clear();
        strErr = "the file would grow larger than 8 MiB";
        return false;
    }
    return true;
}

bool WriteIniString(const fs::path& path, std::string_view section, std::string_view key, std::string_view value,
                    std::string& strErr)
{
    if (!CheckInput(section, key, value, strErr)) return false;

    // Always edit what is on disk now, never an older copy held in memory.
    std::string bytes, strWhy;
    if (ini::ReadFileCapped(path, bytes, strWhy) == ini::ReadResult::Failed) {
        strErr = "cannot read " + path.string() + ": " + strWhy;
        return false;
    }
    std::string out;
    bool bConverted = false;
    if (!EditIniBytes(std::move(bytes), section, key, value, out, strErr, &bConverted)) {
        strErr = path.string() + ": " + strErr;
        return false;
    }
    if (bConverted) LogPrintf("INI %s: rewritten from Windows-1252 to UTF-8", path.string().c_str());
    return WriteFileAtomic(path, out, strErr);
}

bool WriteIniInt(const fs::path& path, std::string_view section, std::string_view key, int32_t value,
                 std::string& strErr)
{
    return WriteIniString(path, section, key, std::to_string(value), strErr);
}
