// Profile exports (.bkm) and key-layout exports (.kyg): one file that carries
// a profile, or the mouse key layout, together with the macros and bullet
// macros its keys play, so it can be loaded on another computer.
//
// .bkm: the 54396-byte profile record, then 20 slots of 1480 bytes, each an
// enciphered macro record (as in a macro file) or zero. .kyg: the layout of
// keycfg.kyg (magic, 15 macro slots, three modes of 21 key records). Inside
// both, byte 100 of a record holds its kind (5 macro, 12 bullet).
//
// Building the bytes is pure; the import functions read the file, check all of
// it before anything is written, and write macro files atomically. Messages for
// the user come back in the result; only the question whether an existing
// macro file may be replaced goes through the prompt.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/KeyCfg.h"
#include "core/ProList.h"
#include "core/TimeOfDay.h"
#include "keys/MacroList.h"

class IPrompt;

constexpr size_t kProfileExportSize = 83996;
constexpr int kProfileExportMacros = 20;
constexpr int kKeyCfgExportMacros = 15;
constexpr uint8_t kExportKindMacro = 5;
constexpr uint8_t kExportKindBullet = 12;

// What the operations look at besides their arguments.
struct ProfileExportEnv {
    std::filesystem::path userDir;
    int32_t nMid = 0;                 // [OPT] Mid: owner number of this installation's macros
    bool bMouse = false;              // a mouse is configured
    bool bKeyboard = false;           // a keyboard is configured
    bool bGroups = false;             // [OPT] MacroDir: sub-folders of the macro folders are groups
    CMacroList* pMacros = &g_MacroList;
    CMacroList* pBullets = &g_BulletList;
    TimeOfDayClock clock;             // empty: the system clock
    // The default record of a key slot, for keys whose macro did not come in:
    // the mouse key layout of the mode, the keyboard's default key table.
    std::function<KeyInfo(int nMode, int nKey)> mouseDefault;
    std::function<KeyInfo(int nSlot)> keyboardDefault;
};

struct ExportBuild {
    std::string bytes;
    int nMacros = 0;                  // records stored
    int nLeftOut = 0;                 // referenced records that did not fit
};

// The .bkm image: the profile, then the records its keys refer to, each once,
// in key order (mouse modes 0..2, key sets 0..4, 21 keys each, when a mouse is
// configured; then the 132 keyboard slots, macros only), at most 20.
ExportBuild BuildProfileExport(const ProfileRecord& pro, const ProfileExportEnv& env);

// The .kyg image: key set 0 of each mouse mode and, for every key that plays a
// macro or bullet found in the lists, a copy with a new identifier that the
// key in the file names (a record used by three keys is stored three times),
// at most 15.
ExportBuild BuildKeyCfgExport(const ProfileRecord& pro, const ProfileExportEnv& env);

struct ExportResult {
    bool bOk = false;
    std::u16string strMessage;        // for the user when !bOk
    int nLeftOut = 0;
};
// Writes the image atomically; "Create profile failed." / "Create keycfg failed."
ExportResult ExportProfile(const std::filesystem::path& file, const ProfileRecord& pro, const ProfileExportEnv& env);
ExportResult ExportKeyCfg(const std::filesystem::path& file, const ProfileRecord& pro, const ProfileExportEnv& env);

struct ProfileImportResult {
    bool bOk = false;
    std::u16string strMessage;        // why it stopped; when bOk, notes (macros kept, names changed) or empty
    ProfileRecord* pProfile = nullptr;  // the new entry of the list
    bool bKeysChanged = false;        // a key was rewired or fell back to its default
    std::vector<std::filesystem::path> written;  // macro files written
};

// Reads a .bkm as a new profile named after the file's title (19 characters at
// most) and appends it to the list; the caller stores the list and makes it
// current. Refused before anything is written: a name the list has (ignoring
// case), a full list, a file that cannot be read, of the wrong length, without
// the profile magic or identifier, or holding a macro of another owner. Each
// macro gets a new identifier no record of the lists has and is written to
// <macro folder>/<profile name>/<name>.mcf (bullets: the bullet folder, .mcb)
// where sub-folders are groups, else into the macro folder itself (a folder
// that is not a group is never read back, so its macros would be lost);
// when that file exists the user is asked whether to replace it: no keeps the
// file, and the keys that played the record take their defaults.
ProfileImportResult ImportProfile(const std::filesystem::path& file, CProList& list, IPrompt& prompt,
                                  const ProfileExportEnv& env);

struct KeyCfgImportResult {
    bool bOk = false;
    std::u16string strMessage;
    int nMacros = 0;                  // records written to the OrgMac folder
    std::vector<std::filesystem::path> written;
};

// Reads a .kyg: its macros go to the OrgMac folder and the lists (a record whose
// identifier a list has replaces that entry; a name another macro's file has
// gets a number), the file becomes the user's keycfg.kyg and cfg, relayout()
// rebuilds the mouse key layout from cfg, and the current profile's mouse keys
// (every key set of every mode) take the new layout through env.mouseDefault;
// its other mouse settings stay as they are. Refused before anything is
// written: "Open keycfg failed", "Read keycfg failed.", "This is not a valid keycfg".
KeyCfgImportResult ImportKeyCfg(const std::filesystem::path& file, KeyCfgFile& cfg, ProfileRecord* pCurrent,
                                const ProfileExportEnv& env, const std::function<void()>& relayout);

// The environment of this installation: the user folder, Mid, the configured
// devices, the program's macro lists, the mouse key layout and the keyboard's
// default keys.
ProfileExportEnv InstalledExportEnv();
