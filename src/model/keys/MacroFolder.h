// The macro folders as a whole: scanning them into the lists, importing,
// exporting, copying, renaming and deleting macro and bullet-macro files and
// groups (sub-folders). Every function here works on real paths; the pages keep
// the path of each tree item and never rebuild it from a display name.
//
// Messages for the user come back in the result (strMessage); the caller shows
// them. Nothing is added to a list unless its file was written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/TimeOfDay.h"
#include "keys/MacroFile.h"

// What the operations need besides their arguments.
struct MacroContext {
    CMacroList* pMacros = &g_MacroList;
    CMacroList* pBullets = &g_BulletList;
    TimeOfDayClock clock;          // empty: the system clock
    int32_t nMid = 0;              // [OPT] Mid: owner number of new files
    int32_t nMacroHasMsKey = 0;    // [OPT] MacroHasMsKey: mouse codes a macro may hold

    CMacroList& List(MacroKind kind) const { return kind == MacroKind::Bullet ? *pBullets : *pMacros; }
    // A new identifier unique in both lists.
    uint32_t NewId() const;
};

struct MacroScanOptions {
    bool bAddToList = true;
    bool bNewIds = false;          // stamp every loaded record anew (and mark it changed)
    bool bNameFromFile = false;    // a stored name that differs (ignoring case) becomes the file's
    bool bGroups = false;          // [OPT] MacroDir: sub-folders are groups
    bool bSaveRenumbered = true;   // a file whose identifier was repeated is written with its new one
    // When set: a file that opens but is not a macro file (no magic after
    // decoding) is moved aside to "<name>.bad" (".bad2", ... when taken) and
    // its new path added here, instead of being skipped where it is.
    std::vector<std::filesystem::path>* pKeptAside = nullptr;
};

// Moves a damaged file out of the scan's way, beside itself: "x.mcf" becomes
// "x.mcf.bad" (or the first free "x.mcf.badN"). The new path; empty when the
// move failed (then the file stays where it was).
std::filesystem::path KeepMacroFileAside(const std::filesystem::path& file);

struct MacroScanItem {
    bool bGroup = false;
    int nDepth = 0;                // 0 at the top of the scanned folder
    std::u16string strName;        // display name (file name without the last extension)
    std::filesystem::path path;    // the file, or the group's folder
    std::filesystem::path pathIcon;  // groups: folder/name/name.png
    MacroRecord* pRecord = nullptr;  // macros added to the list
    MacroRecord record{};          // macros: the record as loaded
};
using MacroScanVisitor = std::function<void(const MacroScanItem&)>;

// Loads every macro file (".mcf*"; bullets ".mcb*") below the folder in name
// order, skipping names that start with "." or "$", links to folders, and
// folders deeper than kMacroFolderDepthMax. A file that cannot be read, has no
// magic after decoding, or (macros) holds a mouse code MacroHasMsKey does not
// allow is dropped silently. A record whose identifier is 0 or already taken in
// either list gets a new one and (bSaveRenumbered) is written back with it, so
// every key finds exactly one record and the first file of an identifier keeps
// it. A missing folder is an empty one; false when a folder cannot be
// listed (the scan stops there).
bool ScanMacroFolder(const std::filesystem::path& folder, MacroKind kind, const MacroScanOptions& opt,
                     const MacroContext& ctx, const MacroScanVisitor& visit = {});

struct MacroOpResult {
    bool bOk = false;
    std::u16string strMessage;     // for the user when !bOk (or a note when bOk)
    MacroRecord* pRecord = nullptr;
    std::filesystem::path path;    // the file or folder written or renamed
    int nSkipped = 0;              // folder imports: files not taken
};

// Puts a record into the folder as a new file named after the record and into
// the list: refuses a full list, an unsafe name ("Invalid name.") and a name
// that exists there (ignoring case, tc_macro_msg8); the file is written first,
// and the record joins the list only when that worked.
MacroOpResult AddMacroFile(const std::filesystem::path& folder, const MacroRecord& rec, MacroKind kind,
                           const MacroContext& ctx);

// A new empty macro (or bullet) of that name in the folder.
MacroOpResult NewMacroFile(const std::filesystem::path& folder, std::u16string_view name, MacroKind kind,
                           const MacroContext& ctx);

// Imports one file picked by the user into the folder (its title becomes the
// name), with the checks and messages of a macro import; bullets accept short
// files and locked ones and are not checked against MacroHasMsKey.
MacroOpResult ImportMacroFile(const std::filesystem::path& src, const std::filesystem::path& folder,
                              MacroKind kind, const MacroContext& ctx);

// Writes a copy with a new identifier and, when Mid is set, Mid as owner, so the
// file imports as a new macro. bLock marks the file locked.
bool ExportMacro(const MacroRecord& rec, const std::filesystem::path& dest, bool bLock, const MacroContext& ctx,
                 std::string& strErr);

enum class CopyOutcome { Copied, Skipped, Failed };
// Copies one file of a macro folder tree: a macro file is decoded, checked for
// the magic, given Mid as owner (bSetOwner) or skipped when it belongs to
// another owner, and written enciphered (locked with bLock); a group icon
// (".png") is copied byte for byte; anything else is skipped. An existing
// destination is never overwritten (skipped). Missing folders are created.
CopyOutcome MyCopyFile(const std::filesystem::path& dest, const std::filesystem::path& src, bool bLock,
                       bool bSetOwner, MacroKind kind, const MacroContext& ctx, std::string& strErr);

// Copies a picked folder as a new group (named after the folder) into the
// target folder, then loads its macros with new identifiers and names from the
// files into the list and writes them.
MacroOpResult ImportFolderAsGroup(const std::filesystem::path& srcDir, const std::filesystem::path& folder,
                                  MacroKind kind, const MacroContext& ctx);
// Copies the files of a picked folder tree into the target folder (owner set to
// Mid, locked with bLock), then loads the new files into the list with new
// identifiers and writes them. Names that exist are skipped, not overwritten.
MacroOpResult ImportFolderContent(const std::filesystem::path& srcDir, const std::filesystem::path& folder,
                                  MacroKind kind, bool bLock, const MacroContext& ctx);

// Renames a macro file: the record takes the name, is written to its old file,
// then the file is moved to "<new name><ext>" beside it.
MacroOpResult RenameMacroFile(const std::filesystem::path& file, std::u16string_view newName, MacroRecord& rec,
                              MacroKind kind);
// Renames a group folder and its icon (a group without an icon is fine).
MacroOpResult RenameMacroGroup(const std::filesystem::path& dir, std::u16string_view newName);
// Deletes a macro file, or a group folder with everything in it (links are
// removed, never followed). A path that is already gone counts as success.
MacroOpResult DeleteMacroPath(const std::filesystem::path& path);
