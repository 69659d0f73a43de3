// The action list of the macro editor and what may be done to it. The page
// shows one line per item: a press or release of a key or button, a delay, a
// pointer movement or a wheel step. Items come from a record (one per action,
// plus a delay item after an action that has one) and go back into it when
// the macro is saved. Every operation here is a function of the list and the
// selection, so the page only shows what comes back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Gvar.h"
#include "keys/MacroRecord.h"

enum class MacroItemKind : uint8_t { Release = 0, Press = 1, Delay = 2, Move = 3, Wheel = 4 };

struct MacroItem {
    MacroItemKind kind = MacroItemKind::Press;
    // Press/release: the key or button code; delay: milliseconds; movement and
    // wheel: the code word (code | amount << 8).
    uint32_t nValue = 0;
    // Movement and wheel: the state word the record holds (1 for new ones).
    uint16_t wState = 1;

    bool IsAction() const { return kind != MacroItemKind::Delay; }
    bool operator==(const MacroItem&) const = default;
};
using MacroItems = std::vector<MacroItem>;

constexpr MacroItem PressItem(uint8_t code) { return {MacroItemKind::Press, code, 1}; }
constexpr MacroItem ReleaseItem(uint8_t code) { return {MacroItemKind::Release, code, 0}; }
constexpr MacroItem DelayItem(uint32_t ms) { return {MacroItemKind::Delay, ms, 0}; }

// What the devices of this installation can hold of one macro.
struct MacroLimits {
    int nDelayMin = 1;
    int nDelayMax = 4095;
    int nLoopMax = 255;
    // Action entries (delays fold into the action before them): the record's
    // 171, or fewer when a mouse plays macros from a buffer of fixed size.
    int nMaxEntries = kMacroActionNum;
    // Keyboards that count a macro in bytes: the family (20..23) and its buffer
    // size; 0 for none.
    int nKbFw = 0;
    int nKbBufferSize = 0;
    // The mouse codes (240..246) a macro may hold: [OPT] MacroHasMsKey.
    int nMacroHasMsKey = 0x7F;
};

// The limits of the configured families: a mouse plays at most the events of
// its buffer, a keyboard of family 20..23 counts bytes, and a longest delay of
// 0 (an installation without a macro device) means no device limit.
MacroLimits MacroLimitsFor(const HwParam& hw, int32_t nMsFw, int32_t nKbFw, int32_t nMacroHasMsKey);
MacroLimits InstalledMacroLimits();

// ---- record <-> items ----------------------------------------------------------------

// One item per action and a delay item after each action with a delay; stops
// early when the keyboard buffer would overflow.
MacroItems ItemsFromRecord(const MacroRecord& rec, const MacroLimits& lim);

// The list as it is saved: leading delays and releases go (the release of the
// key that started the recording; presses, movements and wheel steps stay),
// and each run of delays becomes one delay, their sum held at the longest
// delay.
MacroItems NormaliseItems(const MacroItems& items, const MacroLimits& lim);

// The actions of the record from the list (normalised first): each action
// with the delay item after it as its delay, the rest of the entries zero.
// Entries beyond the record's 171 are left out (the editor never makes them).
// A press or release of code 0 is left out and logged "Capture keycode=0".
void ItemsToRecord(const MacroItems& items, const MacroLimits& lim, MacroRecord& rec);

// ---- limits ---------------------------------------------------------------------------

// Action entries the list makes (delays are not entries).
int MacroEntryCount(const MacroItems& items);
// Bytes the list takes in the keyboard's buffer, counted on the saved form:
// family 20, 22, 23: 4 + 2 per press or release + 4 per delay above 127 ms;
// family 21: 3 per press or release. 0 when the keyboard does not count bytes.
int KbMacroBytes(const MacroItems& items, const MacroLimits& lim);
// True when the list fits what the devices hold.
bool MacroFits(const MacroItems& items, const MacroLimits& lim);
// tc_macro_msg36, or "The number of key has reached its maximum." without it.
std::u16string MacroFullText();

// ---- editing ------------------------------------------------------------------------------

// A selection: indexes into the list, in any order.
using MacroSelection = std::vector<int>;

struct MacroEditResult {
    bool bOk = false;
    std::u16string strMessage;   // why not, when !bOk
    MacroItems items;            // the list after the change (unchanged when !bOk)
    MacroSelection selection;    // what is selected afterwards
};

// Inserts after the last selected item (at the end with none selected) and
// selects what was inserted; refused with MacroFullText() when the list would
// no longer fit.
MacroEditResult InsertItems(const MacroItems& items, const MacroSelection& sel, const MacroItems& add,
                            const MacroLimits& lim);
// A key or mouse button (240..244): press, "50 ms" when bAutoDelay, release.
MacroItems KeyStroke(uint8_t code, bool bAutoDelay);
// A delay of at least the shortest delay and at most the longest.
MacroItem DelayOf(int64_t ms, const MacroLimits& lim);
// A plain wheel step (245 up, 246 down, no amount).
MacroItem WheelStep(uint8_t code);
// A wheel step (245, 246) or movement (247..250) with an amount of 0..127;
// false for another code or amount ("Invalid value. 0~127").
bool AmountItem(uint8_t code, int nAmount, MacroItem& out, std::u16string& strMessage);

// New delay for every selected delay item (held to the limits); the other
// selected items are left alone. Refused when no delay is selected.
MacroEditResult EditDelays(const MacroItems& items, const MacroSelection& sel, int64_t ms, const MacroLimits& lim);
// New code word for a selected movement or wheel item.
MacroEditResult EditAmount(const MacroItems& items, int nIndex, uint8_t code, int nAmount);
// Moves the selected items one place up or down as a block each; items at the
// edge stay. The selection follows them.
MacroEditResult MoveItems(const MacroItems& items, const MacroSelection& sel, int nStep);
// Removes the selected items; the item after the last one removed is selected.
MacroEditResult DeleteItems(const MacroItems& items, const MacroSelection& sel);

// ---- texts, names, counts -----------------------------------------------------------------

// The line of the list: key name, button text, "%d ms", "%s %d" for amounts.
std::u16string MacroItemText(const MacroItem& item, int nKbType);

// A name for a macro or group: refused with "Invalid name." when empty or
// holding one of / \ ? + = - * & % ! #; cut at its last "."; what is left
// must still be a file name the macro folder can hold.
bool CheckMacroName(std::u16string_view name, std::u16string& out, std::u16string& strMessage);

// The loop count field as the user types: empty stays empty, 0 becomes 1, a
// value above the highest becomes the highest; anything else unchanged.
std::u16string LoopCountFieldText(std::u16string_view text, int nLoopMax);
