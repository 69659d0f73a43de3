// What a lighting page shows and edits, without the page: the modes a device
// offers (names from the catalogue, masked ones left out, indexes kept), the
// controls a mode shows (from the description's option records), the value
// lists of its sliders, and the mode's values in the profile record, read and
// written through one uniform view so that one page serves the keyboards,
// the mouse and the pad.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/ProfileRecord.h"
#include "core/Types.h"

struct CTextTable;

// The lighting designs; the page is chosen by the device's firmware code.
enum class LedDesign { None, Keyboard, Mouse, Pad };
LedDesign KeyboardLedDesign(int32_t nKbFw);
LedDesign MouseLedDesign(int32_t nMsFw);

struct LedModeItem {
    int nIndex = 0;             // the mode's number in the profile and the option records
    std::u16string strName;     // at most 39 characters
};

// The modes of the list: mode i is named by the catalogue's i-th name of the
// design until the first empty name; a mode whose bit is set in the mask is
// counted but not offered. nCounted: the modes named.
std::vector<LedModeItem> LedModeList(LedDesign d, const CTextTable& text, int32_t nLedMask, int32_t nKbFw,
                                     int& nCounted);

// The controls a mode shows and the values its sliders offer.
struct LedControls {
    bool bSpeed = false, bBright = false, bDirect = false, bFlag = false;
    int nColors = 0;                 // colour buttons shown
    bool bAddRemove = false;         // the mouse adds and removes colours (1..nColors)
    bool bGame = false;              // the keyboard's per-key colour mode: no value controls
    std::vector<int> speedValues;    // the values the speed slider offers, in order
    std::vector<int> brightValues;
};
// From the installation's descriptions (gVar); a mode outside the design's records shows nothing.
LedControls LedControlsOf(LedDesign d, int nMode);

// A mode's values as the page shows them.
struct LedValues {
    int nSpeed = 0;                  // a value of speedValues
    int nBright = 0;                 // a value of brightValues
    int nDirect = 0;                 // 0 none, 1 the first direction, 2 the second
    bool bFlag = false;              // the colourful / check box
    std::vector<ZColor> colours;     // every colour button of the mode (R | G<<8 | B<<16)
    int nSelected = 0;               // the colour button last chosen
    int nColorCount = 0;             // the mouse's colours in use
    bool operator==(const LedValues&) const = default;
};

// The number of modes a design's profile part holds.
int LedModeCount(LedDesign d);
int CurrentLedMode(LedDesign d, const ProfileRecord& pro);
// False (nothing changes) for a mode outside the design's records.
bool SetCurrentLedMode(LedDesign d, ProfileRecord& pro, int nMode);
LedValues ReadLedValues(LedDesign d, const ProfileRecord& pro, int nMode);
// Writes the values; false for a mode outside the records. Values a slider
// cannot take are left as they were.
bool WriteLedValues(LedDesign d, ProfileRecord& pro, int nMode, const LedValues& v);

// The apply flags of a lighting change (every family writes its lighting with 2).
constexpr uint32_t kLedApplyFlags = 2;
// The per-key colours of the current group: one key changed (4), or many
// keys or the group itself (with the lighting, which names the group).
constexpr uint32_t kGameKeyApplyFlags = 4;
constexpr uint32_t kGameGroupApplyFlags = kLedApplyFlags | kGameKeyApplyFlags;

// The keyboard's per-key colour groups, from the installation's description (gVar.Kb).
// The groups the user picks from (at least 1, at most the profile's groups).
int GameGroupCount();
// The group list is shown (two groups or more, and the description asks for it).
bool GameGroupListShown();
// The user may paint the keys of group g: g lies in the description's custom range (both ends included).
bool GameGroupEditable(int g);
// A key slot may take a per-key colour: it is a used key with a light and not
// one the description keeps out of painting.
bool GameKeyPaintable(int nSlot);
// The group the profile names, a stored value outside the groups read as 0.
int CurrentGameGroup(const ProfileRecord& pro);
