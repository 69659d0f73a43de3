// Macro and bullet-macro files one at a time: where they live, which names may
// become file names, reading, and writing (always enciphered, always atomic).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "keys/MacroCodec.h"
#include "keys/MacroList.h"

// "Mac" or "Mac<Mid>" (Mid > 0) in the user folder; bullets "BMac" / "BMac<Mid>".
std::filesystem::path MacroFolder(const std::filesystem::path& userDir, int nMid);
std::filesystem::path BulletFolder(const std::filesystem::path& userDir, int nMid);
std::filesystem::path FolderOf(MacroKind kind, const std::filesystem::path& userDir, int nMid);
// Macros and bullets taken from key-configuration imports.
std::filesystem::path OrgMacFolder(const std::filesystem::path& userDir);
// ".mcf" or ".mcb".
const char* MacroFileExt(MacroKind kind);
// True for a name whose last extension begins with "mcf" ("mcb" for bullets),
// lower case: "x.mcf" and "x.mcfz" yes, "x.MCF" no.
bool HasMacroFileExt(const std::filesystem::path& file, MacroKind kind);

// ---- names as path components ----------------------------------------------------

constexpr int kMacroFolderDepthMax = 20;

// Case-insensitive comparison of names (Latin, Greek and Cyrillic letters), as
// the Windows file system compares them; names must stay distinct there too.
bool SameNameIgnoringCase(std::u16string_view a, std::u16string_view b);

// True when the name can be one file or folder name inside a macro folder as it
// stands: 1..39 characters, no separator, colon or other character Windows
// refuses, no control character, not starting with "." or "$" (the folder scan
// skips such names) and not ending in a dot or a space.
bool IsSafeMacroName(std::u16string_view name);
// The name made safe: refused characters become "_", a leading "." or "$"
// becomes "_", trailing dots and spaces go, 39 characters at most; an empty
// result becomes "Macro_<id>" ("Bullet_<id>") with six hex digits. Names from
// file contents (exports, key configurations) pass through here before they
// become paths, so no such name reaches outside its folder.
std::u16string SafeMacroName(std::u16string_view name, uint32_t id, MacroKind kind);

// The file name ("<name>.mcf") and display name of a path (the file name
// without its last extension, 39 characters at most).
std::filesystem::path MacroFileName(std::u16string_view name, MacroKind kind);
std::u16string MacroDisplayName(const std::filesystem::path& file);

// folder / group / ... / name.ext; empty when a component is not a safe name or
// there are more than kMacroFolderDepthMax groups.
std::filesystem::path MacroFilePath(const std::filesystem::path& folder, const std::vector<std::u16string>& groups,
                                    std::u16string_view name, MacroKind kind);

// The entry of the folder whose name equals fileName ignoring case; empty for none.
std::filesystem::path FindInFolderIgnoringCase(const std::filesystem::path& folder,
                                               const std::filesystem::path& fileName);

// ---- reading and writing -------------------------------------------------------

struct MacroFileRead {
    bool bOpened = false;     // false: the file could not be opened (nErrno says why)
    int nErrno = 0;
    std::string strWhy;       // why it could not be opened or read, for messages
    size_t nBytes = 0;        // bytes read, at most 1480
    MacroRecord rec{};        // decoded; check IsMacroRecord
    MacroFileForm form = MacroFileForm::Tea;
};
// Reads up to 1480 bytes (a shorter file counts as zero-padded) and decodes them.
MacroFileRead ReadMacroFile(const std::filesystem::path& file);

// Creates every missing folder of the path. Logs "MakeSureFolderExist: create
// dir %s, err=0x%x" on failure.
bool MakeSureFolderExist(const std::filesystem::path& dir, std::string& strErr);

// Writes a copy of the record with both change flags cleared, enciphered, as
// exactly 1480 bytes, atomically. bLock marks the written copy locked; a record
// that is already locked stays locked either way. The folder must exist.
bool save_macro_to_file_mcb(const std::filesystem::path& file, const MacroRecord& rec, bool bLock,
                            std::string& strErr);

// Writes the record to its file when a change flag is set, creating missing
// folders, and clears the flags only when the whole file was written; on
// failure the flags stay set (the change is written again on the next flush)
// and strErr says why. True when nothing needed writing.
bool FlushDirtyMacro(const std::filesystem::path& file, MacroRecord& rec, std::string& strErr);

// A new, empty macro: magic, identifier, auto delay 1 (bullets: fire code 240),
// repeat mode 0, loop count 1, the name, both change flags set.
MacroRecord MakeNewMacroRecord(std::u16string_view name, uint32_t id, MacroKind kind);
