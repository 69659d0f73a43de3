// MacroRecord: one macro or bullet macro, 1480 bytes. It is the content of a
// .mcf or .mcb file before enciphering, and it travels inside keycfg.kyg and
// profile exports, so the layout is a file format: little-endian, fields back
// to back, every offset fixed. Files written by the Windows build load here.
//
// A bullet macro uses the same record; the field at offset 12 then holds the
// fire code instead of the auto-delay switch, and each action entry is read as
// a bullet step (code byte, flag byte, state word, delay).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

static_assert(std::endian::native == std::endian::little, "macro files are little-endian and read by copying bytes");

constexpr uint32_t MACRO_MAGIC = 0xFAFB88A0;
constexpr uint8_t MACRO_LOCK = 0xC7;          // byte 102 of a locked record
constexpr uint32_t kMacroActionsChanged = 0x80000000;   // change flag: actions
constexpr uint32_t kMacroSettingsChanged = 0x40000000;  // change flag: name or settings
constexpr uint32_t kMacroChangeFlags = kMacroActionsChanged | kMacroSettingsChanged;
constexpr int kMacroActionNum = 171;
constexpr int kMacroNameLen = 40;             // characters, terminating zero included
constexpr int kMacroNameMax = kMacroNameLen - 1;
constexpr size_t kMacroRecordSize = 1480;

// Action codes of a macro.
constexpr uint8_t kMacroCodeLButton = 240;  // 240..244: left, right, middle, forward, back
constexpr uint8_t kMacroCodeBack = 244;
constexpr uint8_t kMacroCodeWheelUp = 245;
constexpr uint8_t kMacroCodeWheelDown = 246;
constexpr uint8_t kMacroCodeMoveUp = 247;    // 247/248 one axis, 249/250 the other
constexpr uint8_t kMacroCodeMoveDown = 248;
constexpr uint8_t kMacroCodeMoveLeft = 249;
constexpr uint8_t kMacroCodeMoveRight = 250;
constexpr uint8_t kMacroCodeMouseAction = 251;
constexpr uint8_t kBulletCodeMove = 252;     // a bullet step with this code byte is a movement

// One action of a macro (or one step of a bullet), 8 bytes. The delay is a
// 32-bit value at offset 4 that the record places at offset 106 + 8n, which is
// not a multiple of 4, so it is kept as two 16-bit halves.
struct MacroAction {
    uint8_t byCode;     // key, button or mouse action; bullets: the code byte
    uint8_t byParam;    // steps or amount for codes 245..250; bullets: the flag byte
    uint16_t wState;    // non-zero = press; bullets: duration, packed X/Y or press state
    uint16_t wDelay[2]; // delay after the action in ms, low half first

    constexpr uint32_t Delay() const { return uint32_t(wDelay[0]) | uint32_t(wDelay[1]) << 16; }
    constexpr void SetDelay(uint32_t ms) { wDelay[0] = uint16_t(ms); wDelay[1] = uint16_t(ms >> 16); }
    constexpr uint16_t CodeWord() const { return uint16_t(byCode | byParam << 8); }
    // A macro's list ends at the first entry whose code word and delay are both 0.
    constexpr bool EndsMacro() const { return CodeWord() == 0 && Delay() == 0; }
    // A bullet's list ends at the first entry whose code byte and delay are both 0.
    constexpr bool EndsBullet() const { return byCode == 0 && Delay() == 0; }
};

struct MacroRecord {
    uint32_t dwMagic;        // MACRO_MAGIC
    uint32_t MacroID;        // 24-bit time stamp, see MacroId.h
    uint32_t dwFlags;        // kMacroActionsChanged | kMacroSettingsChanged; cleared in every file
    union {
        uint32_t nAutoDelay; // macro: 1 = record delays, 50 ms between inserted press and release
        uint32_t nFireCode;  // bullet: button code of the fire click (240)
    };
    uint32_t nRepeatMode;    // 0 loop count, 1 until any key, 2 while held
    char16_t szName[kMacroNameLen];
    uint8_t bySlot;          // device macro slot given at apply time; kind (5/12) inside exports
    uint8_t byOwner;         // the Mid option the macro was made for; 0 = any
    uint8_t byLock;          // MACRO_LOCK = locked
    uint8_t byReserved103;
    uint16_t wLoopCount;     // 1..device maximum
    MacroAction Action[kMacroActionNum];
    uint8_t byReserved1474[6];
};

static_assert(std::is_trivially_copyable_v<MacroRecord> && std::is_standard_layout_v<MacroRecord>);
static_assert(sizeof(MacroAction) == 8);
static_assert(offsetof(MacroAction, byCode) == 0);
static_assert(offsetof(MacroAction, byParam) == 1);
static_assert(offsetof(MacroAction, wState) == 2);
static_assert(offsetof(MacroAction, wDelay) == 4);

static_assert(sizeof(MacroRecord) == kMacroRecordSize);
static_assert(offsetof(MacroRecord, dwMagic) == 0);
static_assert(offsetof(MacroRecord, MacroID) == 4);
static_assert(offsetof(MacroRecord, dwFlags) == 8);
static_assert(offsetof(MacroRecord, nAutoDelay) == 12);
static_assert(offsetof(MacroRecord, nFireCode) == 12);
static_assert(offsetof(MacroRecord, nRepeatMode) == 16);
static_assert(offsetof(MacroRecord, szName) == 20);
static_assert(offsetof(MacroRecord, bySlot) == 100);
static_assert(offsetof(MacroRecord, byOwner) == 101);
static_assert(offsetof(MacroRecord, byLock) == 102);
static_assert(offsetof(MacroRecord, byReserved103) == 103);
static_assert(offsetof(MacroRecord, wLoopCount) == 104);
static_assert(offsetof(MacroRecord, Action) == 106);
static_assert(offsetof(MacroRecord, byReserved1474) == 1474);

// Number of entries before the end entry (at most 171).
int MacroActionCount(const MacroRecord& rec);
int BulletStepCount(const MacroRecord& rec);
