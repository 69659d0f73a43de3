// What the profile list offers the user: add, rename, delete, switch, and
// storing the list. Each operation checks everything before it changes the
// list; a refusal comes back as the message to show, and nothing changed.
// The list and the current profile belong to the user-interface thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/ProList.h"
#include "core/ProfileStore.h"

struct ProfileOpResult {
    bool bOk = false;
    std::u16string strMessage;          // for the user when !bOk
    ProfileRecord* pProfile = nullptr;  // the profile added, renamed, or current after a delete
};

// The name as a profile keeps it: surrounding spaces gone, 19 characters at most.
std::u16string ProfileNameOf(std::u16string_view typed);

// True when another profile than pExcept has the name (ignoring case).
bool ProfileNameTaken(const CProList& list, std::u16string_view name, const ProfileRecord* pExcept = nullptr);

// A new profile with the device defaults, appended. Refused: a full list
// ("The number of profile has reached it's maximum"), an empty name, a name
// another profile has (tc_msg20).
ProfileOpResult AddProfile(CProList& list, const CProfileStore& store, std::u16string_view typed,
                           const ProfileDefaults& defaults);

// The profile takes the name; refused like AddProfile's names.
ProfileOpResult RenameProfile(CProList& list, ProfileRecord& pro, std::u16string_view typed);

// Removes the profile; the first remaining one becomes current (pProfile).
// The last profile is never deleted.
ProfileOpResult DeleteProfile(CProList& list, ProfileRecord& pro);

// The mode a profile takes when it becomes current: a mouse that works through
// its receiver uses mode 1 and on its cable mode 0; a wired mouse keeps the
// mode the device reported (g_nCurMode, 1-based) when it is one of its modes;
// a single-mode mouse always 0. -1: leave the profile's mode as it is.
struct MouseModeState {
    bool bMouseOpen = false;
    bool bWirelessKind = false;         // a family with a receiver
    bool bThroughReceiver = false;      // it reported working through the receiver
    bool bSingleMode = false;           // [MOUSE] SingleMode
    int nReportedMode = 0;              // the mode the mouse reported, 1..3, 0 for none
};
int ModeForCurrentProfile(const MouseModeState& s);

// Makes the profile with the identifier current: pCurrent points at it and its
// mouse mode follows the device. Null (and pCurrent unchanged) for an unknown id.
ProfileRecord* SetAsCurProfile(CProList& list, uint32_t id, ProfileRecord*& pCurrent, const MouseModeState& mouse);

// Writes pro.dct and curid.dct; false with the reason when either failed.
bool StoreProfiles(CProfileStore& store, const CProList& list, const ProfileRecord* pCurrent, std::string& strErr);
