// ProfileRecord: one user profile, 54396 bytes, stored byte for byte in pro.dct
// and in profile exports. The Windows build writes the same bytes, so every
// field below sits at a fixed offset (checked at compile time) and is
// little-endian. All multi-byte fields fall on their natural alignment, so no
// packing is needed. Reserved areas are zero in new records and must survive a
// load and save unchanged.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "keys/KeyInfo.h"
#include "core/Types.h"

static_assert(std::endian::native == std::endian::little,
              "profile files are little-endian and are read by copying bytes");

// Marks a used profile record at byte 4.
constexpr uint32_t kProfileMagic = 0xFCFB7798;

// ---- keyboard ----------------------------------------------------------------

// Lighting values of one keyboard mode.
struct KbLedMode {
    int32_t nSpeed;      // the speed value, not the slider position
    int32_t nBright;     // brightness value
    int32_t nDirect;     // 1 = first direction, 2 = second
    int32_t bColorful;
    ZColor clr[7];
    int32_t nUnused11;
    int32_t nClrIndex;   // colour button last selected
    int32_t nUnused13;
};
static_assert(sizeof(KbLedMode) == 56);

constexpr int kKbKeyNum = 132;
constexpr int kKbLedModeNum = 24;
constexpr int kKbGameGroupNum = 15;
constexpr int kKbDirectKeyNum = 7;

struct KbSettings {
    int32_t nReserved[2];                       // the first is set to 0 by the key defaults
    KeyInfo Key[kKbKeyNum];                     // one per key slot, in default-table order
    int32_t nLedMode;                           // index of the lighting mode
    KbLedMode Led[kKbLedModeNum];
    uint16_t wReserved;
    uint16_t nSleepTime;                        // 255 = never
    uint16_t nLedOption2;
    uint16_t nCurGameGroup;                     // current per-key colour group, 0..14
    uint8_t byGameGroupUsed[16];                // 1 when the colour group is in use
    ZColor clrGameKey[kKbGameGroupNum][kKbKeyNum];  // per group, one colour per key slot
    KeyInfo DirectKey[kKbDirectKeyNum];         // direct keys of the RGB family, else zero
};

// ---- mouse -------------------------------------------------------------------

// Operating-system pointer settings kept per mode.
struct MsSysSettings {
    int32_t nWheelLines;      // scroll lines per notch, -1 = one screen (default 3)
    int32_t nDblClickTime;    // ms (default 550)
    int32_t nPointerSpeed;    // 1..20 (default 10)
    int32_t bEnhancePrecision;  // default 1
    int32_t nPointerTrails;   // 0 = off
};

struct MsDpiLevel {
    int32_t nDpiX;
    int32_t nDpiY;
    ZColor clr;
    int32_t bDisabled;
};

// Lighting values of one mouse effect.
struct MsLedMode {
    int32_t nSpeed;        // position in the speed list
    int32_t nBright;       // position in the brightness list
    int32_t nDirect;       // 3 = first direction, 4 = second
    int32_t bFlag;         // check box
    ZColor clr[10];
    int32_t nColorMask;    // bit i: colour button i in use
    int32_t nUnused15;
    union {
        int32_t nColorCount;  // standard page: colours in use
        int32_t nPacked;      // signature page: sub-mode and two slider values, one byte each
    };
};
static_assert(sizeof(MsLedMode) == 68);

constexpr int kMsLedModeNum = 14;

struct MsLedSettings {
    int32_t nLedMode;               // current effect (two-zone pages: one byte per zone)
    MsLedMode Mode[kMsLedModeNum];
    uint8_t byReserved[48];
};
static_assert(sizeof(MsLedSettings) == 1004);

constexpr int kMsModeNum = 3;
constexpr int kMsKeySetNum = 5;
constexpr int kMsKeyNum = 21;
constexpr int kMsDpiLevelNum = 10;

struct MsModeSettings {
    int32_t nReserved0;
    int32_t nRate;        // report rate, hertz written with hexadecimal digits (0x125 ... 0x1000)
    int32_t nKeySet;      // active key table
    KeyInfo Key[kMsKeySetNum][kMsKeyNum];
    MsSysSettings Sys;
    MsDpiLevel Dpi[kMsDpiLevelNum];
    int32_t bXYSeparate;
    int32_t nDpiNum;      // levels in use
    int32_t nReserved9440;
    MsLedSettings Led;
    uint8_t nGunOption;   // gun preset option, used in the second mode block only
    uint8_t byReserved10449[4];
    uint8_t nLod;         // lift-off index
    uint8_t byReserved10454[42];
};

struct MsProMirex {
    int32_t nMode;        // current mode, 0..2
};

struct MsSettings {
    MsProMirex ProMirex;
    int32_t nSensor;            // sensor the settings were made for
    uint16_t bNoSleep;
    uint16_t nDebounce;         // index into the description's debounce table
    int32_t bLedOffWhenMoving;
    int32_t nReserved16;
    MsModeSettings Mode[kMsModeNum];
};

// ---- pad ---------------------------------------------------------------------

struct PadLedMode {
    int32_t nSpeed;       // low 4 bits sent
    int32_t nBright;      // 0x20, 0x50, 0x70 or 0x100
    int32_t nDirect;      // 6 = first direction, 5 = second
    int32_t bFlag;
    ZColor clr[7];
    int32_t nColorMask;   // bit i: colour i in use
    int32_t nUnused[2];
};
static_assert(sizeof(PadLedMode) == 56);

constexpr int kPadLedModeNum = 11;

struct PadSettings {
    int32_t nLedMode;     // 0..10
    PadLedMode Mode[kPadLedModeNum];
};

// ---- the record --------------------------------------------------------------

struct ProfileRecord {
    uint32_t dwReserved0;
    uint32_t dwMagic;            // kProfileMagic in a used record
    uint32_t nID;                // non-zero in a used record
    char16_t szSound[260];       // sound file played when the window opens; empty: none
    char16_t szName[20];
    uint8_t byReserved572[44];
    KbSettings Kb;
    MsSettings Ms;
    PadSettings Pad;
    uint8_t byReserved54276[120];
};

static_assert(std::is_trivially_copyable_v<ProfileRecord> && std::is_standard_layout_v<ProfileRecord>);

static_assert(sizeof(ProfileRecord) == 54396);
static_assert(offsetof(ProfileRecord, dwReserved0) == 0);
static_assert(offsetof(ProfileRecord, dwMagic) == 4);
static_assert(offsetof(ProfileRecord, nID) == 8);
static_assert(offsetof(ProfileRecord, szSound) == 12);
static_assert(offsetof(ProfileRecord, szName) == 532);
static_assert(offsetof(ProfileRecord, byReserved572) == 572);
static_assert(offsetof(ProfileRecord, Kb) == 616);
static_assert(offsetof(ProfileRecord, Ms) == 22148);
static_assert(offsetof(ProfileRecord, Pad) == 53656);
static_assert(offsetof(ProfileRecord, byReserved54276) == 54276);

// Keyboard block: documented offsets are from the start of the record.
static_assert(sizeof(KbSettings) == 21532);
static_assert(616 + offsetof(KbSettings, nReserved) == 616);
static_assert(616 + offsetof(KbSettings, Key) == 624);
static_assert(616 + offsetof(KbSettings, nLedMode) == 12240);
static_assert(616 + offsetof(KbSettings, Led) == 12244);
static_assert(616 + offsetof(KbSettings, wReserved) == 13588);
static_assert(616 + offsetof(KbSettings, nSleepTime) == 13590);
static_assert(616 + offsetof(KbSettings, nLedOption2) == 13592);
static_assert(616 + offsetof(KbSettings, nCurGameGroup) == 13594);
static_assert(616 + offsetof(KbSettings, byGameGroupUsed) == 13596);
static_assert(616 + offsetof(KbSettings, clrGameKey) == 13612);
static_assert(616 + offsetof(KbSettings, DirectKey) == 21532);

// Mouse block: offsets from its start.
static_assert(sizeof(MsSettings) == 31508);
static_assert(offsetof(MsSettings, ProMirex) == 0);
static_assert(offsetof(MsSettings, nSensor) == 4);
static_assert(offsetof(MsSettings, bNoSleep) == 8);
static_assert(offsetof(MsSettings, nDebounce) == 10);
static_assert(offsetof(MsSettings, bLedOffWhenMoving) == 12);
static_assert(offsetof(MsSettings, nReserved16) == 16);
static_assert(offsetof(MsSettings, Mode) == 20);

// Mode block: offsets from its start.
static_assert(sizeof(MsModeSettings) == 10496);
static_assert(offsetof(MsModeSettings, nReserved0) == 0);
static_assert(offsetof(MsModeSettings, nRate) == 4);
static_assert(offsetof(MsModeSettings, nKeySet) == 8);
static_assert(offsetof(MsModeSettings, Key) == 12);
static_assert(offsetof(MsModeSettings, Sys) == 9252);
static_assert(sizeof(MsSysSettings) == 20);
static_assert(offsetof(MsModeSettings, Dpi) == 9272);
static_assert(sizeof(MsDpiLevel) == 16);
static_assert(offsetof(MsModeSettings, bXYSeparate) == 9432);
static_assert(offsetof(MsModeSettings, nDpiNum) == 9436);
static_assert(offsetof(MsModeSettings, nReserved9440) == 9440);
static_assert(offsetof(MsModeSettings, Led) == 9444);
static_assert(offsetof(MsModeSettings, nGunOption) == 10448);
static_assert(offsetof(MsModeSettings, byReserved10449) == 10449);
static_assert(offsetof(MsModeSettings, nLod) == 10453);
static_assert(offsetof(MsModeSettings, byReserved10454) == 10454);

// Mouse LED block: offsets from its start.
static_assert(offsetof(MsLedSettings, nLedMode) == 0);
static_assert(offsetof(MsLedSettings, Mode) == 4);
static_assert(offsetof(MsLedSettings, byReserved) == 956);
static_assert(offsetof(MsLedMode, clr) == 16);
static_assert(offsetof(MsLedMode, nColorMask) == 56);
static_assert(offsetof(MsLedMode, nColorCount) == 64);

// Pad block: documented offsets are from the start of the record.
static_assert(sizeof(PadSettings) == 620);
static_assert(53656 + offsetof(PadSettings, nLedMode) == 53656);
static_assert(53656 + offsetof(PadSettings, Mode) == 53660);
static_assert(offsetof(PadLedMode, clr) == 16);
static_assert(offsetof(PadLedMode, nColorMask) == 44);
