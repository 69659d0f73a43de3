// The INI layer under cfg.ini and lang.ini: a file is parsed once into memory
// and answers reads the way the options code expects of profile strings.
//  - section and key names compare ASCII case-insensitively;
//  - a missing file, section or key, or an empty value, gives the caller's default;
//  - the value is the text after the first '=', trimmed of blanks; a value wholly
//    enclosed in matching quotes loses them; no inline comments;
//  - lines whose first non-blank character is ';' are comments;
//  - the first section of a name and the first key of a name in it win;
//  - UTF-16LE/BE with BOM, UTF-8 with or without BOM, and Windows-1252 when the
//    bytes are not valid UTF-8; values are returned as UTF-8.
// The object is a snapshot: after a write, load the file again to see the change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Larger files are treated as unreadable (logged): no settings file comes near it.
constexpr size_t kIniMaxBytes = size_t(8) << 20;

class CIniFile {
public:
    CIniFile() = default;
    // A file that does not exist or cannot be read gives an empty object (Exists() false).
    static CIniFile Load(const std::filesystem::path& path);
    static CIniFile FromBytes(std::string_view bytes);

    bool Exists() const { return m_bExists; }
    // Why Load could not read an existing file ("not a regular file ..."); empty otherwise.
    const std::string& LoadProblem() const { return m_strProblem; }
    // "UTF-8", "UTF-8 BOM", "UTF-16LE", "UTF-16BE" or "windows-1252".
    const std::string& Encoding() const { return m_strEncoding; }

    // The value as stored (trimmed, quotes removed), or nothing when the section or key is missing.
    std::optional<std::string> Raw(std::string_view section, std::string_view key) const;
    // The value cut to nCapacity-1 UTF-16 characters (nCapacity counts the terminator);
    // the default when missing or empty.
    std::string GetString(std::string_view section, std::string_view key, std::string_view def,
                          size_t nCapacity) const;
    // Blanks, optional sign, 0x prefix for hexadecimal, digits up to the first non-digit;
    // no digits gives 0; the default when missing or empty; low 32 bits kept.
    int32_t GetInt(std::string_view section, std::string_view key, int32_t def) const;

    // Every key line of every section a read can reach, in file order (the later
    // sections of a repeated name are never read and are left out; repeated keys
    // are included, though only the first is read). For checks of shipped files.
    void VisitValues(const std::function<void(std::string_view section, std::string_view key,
                                              std::string_view value)>& fn) const;

private:
    static CIniFile Parse(std::string_view bytes, const std::string& strWhere);
    const std::string* Find(std::string_view section, std::string_view key) const;

    struct Entry { std::string key, value; };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
        std::unordered_map<std::string, size_t> index;  // folded key -> first entry of that name
    };
    std::vector<Section> m_sections;
    std::unordered_map<std::string, size_t> m_index;  // folded name -> first section of that name
    std::string m_strEncoding;
    bool m_bExists = false;
    std::string m_strProblem;
};

// UTF-8 text cut to fit a buffer of nCapacity UTF-16 characters, terminator
// included: at most nCapacity-1 units, never half a surrogate pair.
std::string CutToCapacity(std::string_view utf8, size_t nCapacity);

// The integer rule of GetInt applied to one text.
int32_t ParseIniInt(std::string_view text);

// Writes section/key=value into the file, keeping every other line, order and
// comment; creates the file or the section when missing; keeps UTF-16 files
// UTF-16. The file is re-read first and replaced atomically. False with a reason
// in strErr when the file cannot be written.
//  - the first matching key of the first matching section is replaced in place,
//    keeping its line ending; a new key goes after the section's last key line;
//    a new section goes at the end; lines are written as key=value in the line
//    ending the file already uses (LF in a new file);
//  - UTF-16 and UTF-8 files keep their encoding and BOM; a Windows-1252 file keeps
//    its bytes for an ASCII edit and becomes UTF-8 otherwise, so nothing changes meaning;
//  - names or values with line breaks, NUL or invalid UTF-8, empty or blank-edged
//    names, ']' in a section name, '=' in a key or a key starting with ';' or '['
//    are refused: they would not read back as written;
//  - a value is read back trimmed and without enclosing quotes, like any other;
//  - the folder must exist; a folder or other non-file in place of the file fails.
bool WriteIniString(const std::filesystem::path& path, std::string_view section, std::string_view key,
                    std::string_view value, std::string& strErr);
bool WriteIniInt(const std::filesystem::path& path, std::string_view section, std::string_view key,
                 int32_t value, std::string& strErr);
// The same edit on the bytes of a file, in memory: out is the file to write.
// False with the reason for a name or value that cannot be written or a result
// over 8 MiB. pConverted, when given, tells that a Windows-1252 file became UTF-8.
bool EditIniBytes(std::string bytes, std::string_view section, std::string_view key, std::string_view value,
                  std::string& out, std::string& strErr, bool* pConverted = nullptr);
