// The steps of a bullet macro as the bullet page lists them, and the generator
// of new bullets. A bullet is a MacroRecord whose entries are read as steps:
// code byte, flag byte, a 16-bit state word and the pause after the step. In
// the list every non-zero pause is an item of its own after its step.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "keys/MacroRecord.h"

enum class BulletStepKind : uint8_t { Move = 0, Pause = 1, Click = 2, Press = 3, Release = 4 };

// One item of the step list. The value: a movement X | Y << 8 (signed bytes),
// a pause in ms, a timed click code | duration << 16, a press or release the code.
struct BulletItem {
    BulletStepKind kind = BulletStepKind::Pause;
    uint32_t dwValue = 0;
    bool operator==(const BulletItem&) const = default;
};

constexpr int kBulletEntryMax = 170;       // entries shown and written (the record has 171)
constexpr int kBulletWeightMax = 168;      // no step is added once the weight reaches it
constexpr int kBulletShotMax = 56;         // shots of a generated bullet with a click per shot
constexpr int kBulletShotMaxSingle = 85;   // ... with a single click at the start
constexpr int kBulletMoveMax = 127;        // X and Y of a movement, either sign
constexpr uint32_t kBulletTimeMax = 65535; // pause or click duration in ms
constexpr uint16_t kBulletPressFlag = 0x100;  // code word of a press or release step
constexpr uint32_t kBulletFireCode = kMacroCodeLButton;

constexpr uint32_t BulletMoveValue(int x, int y) { return uint32_t(uint8_t(x)) | uint32_t(uint8_t(y)) << 8; }
constexpr int BulletMoveX(uint32_t v) { return int(int8_t(uint8_t(v))); }
constexpr int BulletMoveY(uint32_t v) { return int(int8_t(uint8_t(v >> 8))); }
constexpr uint32_t BulletClickValue(uint8_t byCode, uint16_t wMs) { return uint32_t(byCode) | uint32_t(wMs) << 16; }
constexpr uint8_t BulletClickCode(uint32_t v) { return uint8_t(v); }
constexpr uint16_t BulletClickMs(uint32_t v) { return uint16_t(v >> 16); }

constexpr BulletItem BulletMove(int x, int y) { return {BulletStepKind::Move, BulletMoveValue(x, y)}; }
constexpr BulletItem BulletPause(uint32_t ms) { return {BulletStepKind::Pause, ms}; }
constexpr BulletItem BulletClick(uint8_t byCode, uint16_t wMs) { return {BulletStepKind::Click, BulletClickValue(byCode, wMs)}; }
constexpr BulletItem BulletPress(uint8_t byCode) { return {BulletStepKind::Press, byCode}; }
constexpr BulletItem BulletRelease(uint8_t byCode) { return {BulletStepKind::Release, byCode}; }

// The kind of a stored entry: code byte 252 is a movement whatever its flag
// byte; otherwise a non-zero flag byte is a press (state non-zero) or a
// release, and flag byte 0 a timed click.
BulletStepKind BulletEntryKind(const MacroAction& a);

// The step list of a record: entries up to the end entry or kBulletEntryMax,
// each followed by a pause item when its delay is not 0.
std::vector<BulletItem> ReadBulletItems(const MacroRecord& rec);

// Runs of consecutive pauses become one pause of their sum.
void MergeBulletPauses(std::vector<BulletItem>& items);
// The entries of the record replaced by the items (after MergeBulletPauses):
// each step takes the pause that follows it as its delay; a pause with no
// step before it is left out; at most kBulletEntryMax entries, the rest zero.
void WriteBulletItems(std::span<const BulletItem> items, MacroRecord& rec);

// A movement counts 2, a timed click 1, everything else 0.
int BulletWeight(std::span<const BulletItem> items);

// The items a code of the insert menu adds (without the ones that need a
// question first: key, pause and movement have their own functions below).
// 0xF0: a timed click of the left button for 20 ms; 0xF1..0xF4: press, pause
// 50 ms, release of 241..244; 0xF5/0xF6: a timed click of 245/246 for 1 ms.
std::vector<BulletItem> BulletItemsForCode(uint8_t byMenuCode);
std::vector<BulletItem> BulletKeyItems(uint8_t byVk);  // press, pause 50 ms, release
// The items of one shot: click of the fire code 20 ms, pause 10, movement 0/10, pause 20.
std::vector<BulletItem> BulletShotItems(uint8_t byFireCode);

// The virtual key of a captured key with only modifiers pressed: the first
// modifier bit set in the order 0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80
// (162, 160, 164, 91, 163, 161, 165, 92); 0 for none.
uint8_t BulletModifierKey(uint8_t byModifiers);

// The text of an item in the step list (catalogue texts and key names).
std::u16string BulletItemText(const BulletItem& item, uint32_t dwFireCode);
// Its icon: "flag.png", "mac_delay.png", "fire.png", "mac_keydn.png", "mac_keyup.png".
const char* BulletItemIcon(BulletStepKind kind);

// A value typed into a value field of the selected step: a decimal number
// with an optional leading minus. False (the field shows "0" and the value is
// 0) for no number, X or Y outside -127..127, and a time outside 0..65535.
bool ParseBulletField(std::u16string_view text, bool bMovement, int& nValue);

// The one check of a bullet record read from a file, before it joins the
// list: a name that ends within its field, repeat mode 0..2, a loop count of
// at least 1, a fire code that is a button or key (240 otherwise), movements
// within -127..127, and zero bytes after the last entry and in the reserved
// fields. True when something had to be brought into range.
bool RepairBulletRecord(MacroRecord& rec);

// What the new-bullet window hands over.
struct BulletGenInput {
    int nShots = 5;
    std::u16string strName = u"Bullet";
    int nClickMs = 20;
    int nIntervalMs = 20;
    int nStepY = 10;
    bool bSingleClick = false;
};
int BulletShotLimit(bool bSingleClick);
// The values as the window takes them on OK: click duration and interval of 0
// or less become 10, a downward step below 0 becomes 10 and above 127 is 127
// (a movement holds no more), times above 65535 are 65535, and the shot count
// is capped for the final state of the single-click box, so that every
// generated bullet fits the mouse's buffer.
BulletGenInput NormaliseBulletInput(BulletGenInput in);
// A new bullet: magic, identifier, fire code 240, repeat mode 0, loop count 1,
// the name (39 characters at most), then per shot a timed click (the first
// shot only with single click, duration 0 then) with pause 10 and a movement
// of Y with the interval as pause; at most kBulletEntryMax entries.
MacroRecord BuildBulletRecord(const BulletGenInput& in, uint32_t id);
