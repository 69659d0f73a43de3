// The stored profiles: pro.dct (12 slots of one profile record each) and
// curid.dct (the identifier of the current profile), both in the per-user
// folder, and the start-up policy that turns them into the profile list.
//
// Safety rules kept here: files are replaced atomically; a failed write is
// returned with its reason, never shown as done; a damaged pro.dct gives up
// every whole record that can be saved, is kept as pro.dct.bad, and the user is
// told; a missing or stale curid.dct never costs a profile.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/IPrompt.h"
#include "core/ProList.h"
#include "core/TimeOfDay.h"

constexpr int kProfileSlotNum = 12;
constexpr size_t kProDctSize = kProfileSlotNum * sizeof(ProfileRecord);  // 652752
constexpr size_t kCurIdSize = 4;
static_assert(kProDctSize == 652752);

// ---- pro.dct as bytes ---------------------------------------------------------------

struct ProDctDecode {
    int nLoaded = 0;        // records appended to the list
    bool bWrongSize = false;
    int nBadSlots = 0;      // slots neither used nor all zero (or past the 12th)
    int nRenumbered = 0;    // records whose identifier repeated an earlier one's
    // Anything that makes the file worth keeping aside. The program never stores
    // a pro.dct without a profile, so one with no valid record (all zero after a
    // power cut, say) is damaged too.
    bool Damaged() const { return bWrongSize || nBadSlots > 0 || nLoaded == 0; }
};

// A slot is used when its magic is kProfileMagic and its identifier non-zero.
bool IsUsedProfileSlot(const ProfileRecord& rec);

// Appends the used slots of the file's bytes to the list, in slot order. A file
// of the wrong size still gives up every whole record at a slot boundary that
// is used; at most 12 are taken. A later record that repeats an identifier gets
// the next free one, so the current-profile mark names one profile only.
ProDctDecode DecodeProDct(std::string_view bytes, CProList& list);

struct FileRead;
// What is wrong with a pro.dct that could not be read or is damaged, for the
// user; every reader of the file says it the same way.
std::u16string ProDctProblemText(const FileRead& read, const ProDctDecode& dec);

// The file image: the first 12 entries with a non-zero identifier, in list
// order, the rest zero. nSaved says how many were taken.
std::string EncodeProDct(const CProList& list, int& nSaved);

// ---- the files -----------------------------------------------------------------------

struct ProfileDefaults {
    // Every configured device's FillDefault on a cleared record with its magic
    // and identifier set. Empty: the record stays cleared.
    std::function<void(ProfileRecord&)> fill;
};

class CProfileStore {
public:
    CProfileStore(std::filesystem::path userDir, IPrompt& prompt, TimeOfDayClock clock = {});

    std::filesystem::path ProDctPath() const { return m_userDir / "pro.dct"; }
    std::filesystem::path CurIdPath() const { return m_userDir / "curid.dct"; }

    // Empties the list and loads pro.dct into it; the number loaded. A missing
    // file loads nothing, silently. A damaged file loads what can be saved, is
    // kept aside and the user is told; if it cannot be kept aside it is never
    // overwritten by this store (SaveProfiles refuses).
    int LoadProfiles(CProList& list);
    // Writes the list to pro.dct. With no entry to store the file is left as it
    // is (true). False, with the reason, when the file could not be written or
    // when the list held more profiles than the 12 slots (the first 12 are written).
    bool SaveProfiles(const CProList& list, std::string& strErr);

    // The stored current identifier; 0 when the file is missing or not 4 bytes
    // (a damaged one is kept aside, with a message).
    uint32_t ReadCurrentId();
    // Writes the profile's identifier; nothing for null (true).
    bool WriteCurrentId(const ProfileRecord* pProfile, std::string& strErr);

    // A new profile record: cleared, magic, an identifier no entry of the list
    // has (from the clock), the defaults, the name (19 characters at most).
    std::unique_ptr<ProfileRecord> NewProfile(std::u16string_view name, const CProList& list,
                                              const ProfileDefaults& defaults) const;

    // What the last LoadProfiles found.
    const ProDctDecode& LastLoad() const { return m_lastLoad; }
    // Moves pro.dct to pro.dct.bad before defaults replace it. When that fails
    // the file is held: SaveProfiles refuses to overwrite it.
    bool KeepProDctAside(std::string& strErr);
    bool ProDctHeld() const { return m_bHoldProDct; }

private:
    void TellDamaged(const std::filesystem::path& file, const std::u16string& what, bool bKept, const std::string& strErr);

    std::filesystem::path m_userDir;
    IPrompt& m_prompt;
    TimeOfDayClock m_clock;
    bool m_bHoldProDct = false;
    ProDctDecode m_lastLoad;
};

// The start-up policy of the main window.
struct ProfileStartup {
    int nProfileNum = 1;             // profiles to create when none is stored (clamped to 1..12)
    std::u16string strNameWord;      // profile names are "<word> <n>"
    int nKbAssignedKeys = -1;        // keys a fresh profile's keyboard table assigns; -1: no keyboard
    ProfileDefaults defaults;
};

// Number of records of the table with a function (first word non-zero).
int CountAssignedKeys(const KeyInfo* pKeys, int nCount);

// Loads pro.dct and curid.dct into the list and returns the current profile:
// the one curid.dct names, else the first. When the keyboard layout of the
// stored profiles differs from nKbAssignedKeys, or nothing could be loaded,
// the list is rebuilt from defaults (the old file kept aside, the user told).
// Whatever was rebuilt, recovered or renumbered is stored at once; a failure to
// store is shown to the user. Null only when no profile could be made.
ProfileRecord* LoadOrCreateProfiles(CProfileStore& store, CProList& list, const ProfileStartup& startup,
                                    IPrompt& prompt);

// ---- reading without changing anything (command-line listing) ----------------------

struct StoredProfile {
    uint32_t nID = 0;
    std::u16string strName;
    bool bCurrent = false;
};
struct StoredProfiles {
    bool bFound = false;            // pro.dct exists
    std::string strProblem;         // what is wrong with the files, empty when nothing
    std::vector<StoredProfile> profiles;
    CProList records;                       // the records themselves, in the same order
    const ProfileRecord* pCurrent = nullptr;  // in records; null when there is none
};
// The profiles of a user folder as the program would load them; never moves or
// writes a file.
StoredProfiles ListStoredProfiles(const std::filesystem::path& userDir);
