// FunID: the 32-bit key function code of a KeyInfo record. The class is the top
// byte, the value the low 24 bits. Every value below is stored in profiles,
// exports and device descriptions, so none of them may change.
//
// Everything here is a pure constexpr function of its arguments: readers of
// files and device modules call them on untrusted values, so every input has a
// defined result (false, 0 or "unknown") and nothing indexes out of a table.
#pragma once

#include <cstdint>

// ---- classes -----------------------------------------------------------------

constexpr uint8_t FUN_NONE = 0;      // the slot has no function
constexpr uint8_t FUN_MOUSE = 1;     // mouse button function, value kMs*
constexpr uint8_t FUN_KEY = 2;       // key or combination in byModifier/byKey1/byKey2/byModVk
constexpr uint8_t FUN_APP = 3;       // consumer-control function, read exactly like FUN_MEDIA
constexpr uint8_t FUN_MEDIA = 4;     // consumer-control function, value kCc*
constexpr uint8_t FUN_MACRO = 5;     // macro named by MacroID
constexpr uint8_t FUN_SPECIAL = 8;   // device special function, value kSp*
constexpr uint8_t FUN_HW = 9;        // hardware function index 0..3, dwParam = hardware code
constexpr uint8_t FUN_MENU = 10;     // menu token that opens a dialog first; never stored
constexpr uint8_t FUN_EXKEY = 11;    // extra key index 0..5, dwParam = its ExKey value
constexpr uint8_t FUN_BULLET = 12;   // bullet macro named by MacroID

constexpr uint32_t kFunValueMask = 0xFFFFFF;

constexpr uint32_t MakeFunID(uint8_t byClass, uint32_t dwValue)
{
    return uint32_t(byClass) << 24 | (dwValue & kFunValueMask);
}
constexpr uint8_t FunClass(uint32_t dwFunID) { return uint8_t(dwFunID >> 24); }
constexpr uint32_t FunValue(uint32_t dwFunID) { return dwFunID & kFunValueMask; }

struct FunParts {
    uint8_t byClass;
    uint32_t dwValue;
};
constexpr FunParts SplitFunID(uint32_t dwFunID) { return {FunClass(dwFunID), FunValue(dwFunID)}; }

// Classes 3 and 4 carry the same values and every reader treats them alike.
constexpr bool IsConsumerClass(uint8_t byClass) { return byClass == FUN_APP || byClass == FUN_MEDIA; }
// Classes whose function is a record of a macro list, found by MacroID.
constexpr bool IsMacroClass(uint8_t byClass) { return byClass == FUN_MACRO || byClass == FUN_BULLET; }

// ---- class 1: mouse buttons ----------------------------------------------------

constexpr uint32_t kMsLeft = 0x11;
constexpr uint32_t kMsMiddle = 0x12;
constexpr uint32_t kMsRight = 0x13;
constexpr uint32_t kMsForward = 0x14;
constexpr uint32_t kMsBack = 0x15;
constexpr uint32_t kMsDoubleClick = 0x16;
constexpr uint32_t kMsThree = 0x17;       // the function the catalogue names tc_three
constexpr uint32_t kMsWheelUp = 0x18;
constexpr uint32_t kMsWheelDown = 0x19;

constexpr bool IsMouseValue(uint32_t dwValue) { return dwValue >= kMsLeft && dwValue <= kMsWheelDown; }

// ---- class 2: keys -----------------------------------------------------------
// The value has no meaning to readers; writers use these to remember where the
// record came from.

constexpr uint32_t kKeyPlain = 0xA0;      // captured without a modifier, or from a keyboard description
constexpr uint32_t kKeyCombo = 0xA1;      // captured with a modifier, or from a mouse description

// ---- classes 3 and 4: consumer control ----------------------------------------

constexpr uint32_t kCcMediaSelect = 33;
constexpr uint32_t kCcPlayPause = 34;
constexpr uint32_t kCcStop = 35;
constexpr uint32_t kCcPrevTrack = 36;
constexpr uint32_t kCcNextTrack = 37;
constexpr uint32_t kCcVolumeUp = 38;
constexpr uint32_t kCcVolumeDown = 39;
constexpr uint32_t kCcMute = 40;
constexpr uint32_t kCcBrightnessUp = 41;
constexpr uint32_t kCcBrightnessDown = 42;
// 43..47 name no function.
constexpr uint32_t kCcMail = 48;
constexpr uint32_t kCcCalculator = 49;
constexpr uint32_t kCcMyComputer = 50;
constexpr uint32_t kCcSearch = 51;
constexpr uint32_t kCcBrowserHome = 52;
constexpr uint32_t kCcBrowserBack = 53;
constexpr uint32_t kCcBrowserForward = 54;
constexpr uint32_t kCcBrowserStop = 55;
constexpr uint32_t kCcBrowserRefresh = 56;
constexpr uint32_t kCcFavourites = 57;

// The USB HID consumer-page usage of a consumer value; 0 for a value that names
// no function.
constexpr uint16_t ConsumerUsage(uint32_t dwValue)
{
    switch (dwValue) {
    case kCcMediaSelect: return 0x183;
    case kCcPlayPause: return 0x0CD;
    case kCcStop: return 0x0B7;
    case kCcPrevTrack: return 0x0B6;
    case kCcNextTrack: return 0x0B5;
    case kCcVolumeUp: return 0x0E9;
    case kCcVolumeDown: return 0x0EA;
    case kCcMute: return 0x0E2;
    case kCcBrightnessUp: return 0x06F;
    case kCcBrightnessDown: return 0x070;
    case kCcMail: return 0x18A;
    case kCcCalculator: return 0x192;
    case kCcMyComputer: return 0x194;
    case kCcSearch: return 0x221;
    case kCcBrowserHome: return 0x223;
    case kCcBrowserBack: return 0x224;
    case kCcBrowserForward: return 0x225;
    case kCcBrowserStop: return 0x226;
    case kCcBrowserRefresh: return 0x227;
    case kCcFavourites: return 0x22A;
    default: return 0;
    }
}
constexpr bool IsConsumerValue(uint32_t dwValue) { return ConsumerUsage(dwValue) != 0; }

// ---- class 8: special functions -----------------------------------------------

constexpr uint32_t kSpKeyOff = 0xA2;           // the key does nothing
constexpr uint32_t kSpShift = 0xA3;            // Shift function
constexpr uint32_t kSpFire = 0xA4;             // fire key, dwParam = PackFireKey
constexpr uint32_t kSpSnipe = 0xA6;            // hold the DPI at a step, dwParam = step number from 1
constexpr uint32_t kSpLightOnOff = 0xA7;
constexpr uint32_t kSpDpiUp = 0xA8;
constexpr uint32_t kSpDpiDown = 0xA9;
constexpr uint32_t kSpDpiCycle = 0xAA;
constexpr uint32_t kSpModeSwitch = 0xAB;
constexpr uint32_t kSpReportRateSwitch = 0xAC;
constexpr uint32_t kSpCustomKey = 0xAD;        // dwParam = the description's custom value
constexpr uint32_t kSpLightModeSwitch = 0xAE;
constexpr uint32_t kSpKeySnipe = 0xAF;         // dwParam = colour R | G<<8 | B<<16
constexpr uint32_t kSpMsg16 = 0xB0;            // named by tc_msg16
constexpr uint32_t kSpMsg17 = 0xB1;            // named by tc_msg17
constexpr uint32_t kSpSpeedUp = 0xB2;
constexpr uint32_t kSpSpeedDown = 0xB3;
constexpr uint32_t kSpB4 = 0xB4;               // device function without a text of its own
constexpr uint32_t kSpKbBrightUp = 0xB5;
constexpr uint32_t kSpKbBrightDown = 0xB6;
constexpr uint32_t kSpB7 = 0xB7;               // device function without a text of its own
constexpr uint32_t kSpGunPreset = 0xC0;        // dwParam = PackGunPreset, dwColor = preset colour
constexpr uint32_t kSpGunSwitch = 0xC2;        // named by tc_chiji3
constexpr uint32_t kSpReportRateUp = 0xD0;
constexpr uint32_t kSpReportRateDown = 0xD1;

constexpr bool IsSpecialValue(uint32_t dwValue)
{
    // 0xA2..0xB7 without 0xA5, and four more above.
    return (dwValue >= kSpKeyOff && dwValue <= kSpB7 && dwValue != 0xA5) || dwValue == kSpGunPreset ||
           dwValue == kSpGunSwitch || dwValue == kSpReportRateUp || dwValue == kSpReportRateDown;
}

// ---- classes 9, 10, 11 -------------------------------------------------------

constexpr uint32_t kHwIndexCount = 4;      // FUN_HW values 0..3
constexpr uint32_t kExKeyIndexCount = 6;   // FUN_EXKEY values 0..5 (ExKey1..ExKey6)
constexpr uint32_t kMenuGunPreset = 0xC0;  // FUN_MENU: opens the gun preset page
constexpr uint32_t kMenuGunSwitch = 0xC2;  // FUN_MENU: becomes FUN_SPECIAL kSpGunSwitch

// ---- whole codes the pages and modules compare against ---------------------------

constexpr uint32_t kFunLeftClick = MakeFunID(FUN_MOUSE, kMsLeft);           // 0x01000011
constexpr uint32_t kFunKeyPlain = MakeFunID(FUN_KEY, kKeyPlain);            // 0x020000A0
constexpr uint32_t kFunKeyCombo = MakeFunID(FUN_KEY, kKeyCombo);            // 0x020000A1
constexpr uint32_t kFunMacro = MakeFunID(FUN_MACRO, 0);                     // 0x05000000
constexpr uint32_t kFunBullet = MakeFunID(FUN_BULLET, 0);                   // 0x0C000000
constexpr uint32_t kFunKeyOff = MakeFunID(FUN_SPECIAL, kSpKeyOff);          // 0x080000A2
constexpr uint32_t kFunFire = MakeFunID(FUN_SPECIAL, kSpFire);              // 0x080000A4
constexpr uint32_t kFunSnipe = MakeFunID(FUN_SPECIAL, kSpSnipe);            // 0x080000A6
constexpr uint32_t kFunModeSwitch = MakeFunID(FUN_SPECIAL, kSpModeSwitch);  // 0x080000AB
constexpr uint32_t kFunCustomKey = MakeFunID(FUN_SPECIAL, kSpCustomKey);    // 0x080000AD
constexpr uint32_t kFunKeySnipe = MakeFunID(FUN_SPECIAL, kSpKeySnipe);      // 0x080000AF
constexpr uint32_t kFunGunPreset = MakeFunID(FUN_SPECIAL, kSpGunPreset);    // 0x080000C0
constexpr uint32_t kFunGunSwitch = MakeFunID(FUN_SPECIAL, kSpGunSwitch);    // 0x080000C2
constexpr uint32_t kFunMenuGunPreset = MakeFunID(FUN_MENU, kMenuGunPreset); // 0x0A0000C0
constexpr uint32_t kFunMenuGunSwitch = MakeFunID(FUN_MENU, kMenuGunSwitch); // 0x0A0000C2

// True when the class and value name a function this program knows, as far as
// the code alone tells: FUN_KEY needs its key bytes and the macro classes their
// macro list as well (IsFunctionValid in FunctionText.h checks those). Class 0
// (no function) and FUN_MENU (never stored) are false.
constexpr bool IsKnownFunID(uint32_t dwFunID)
{
    const uint32_t v = FunValue(dwFunID);
    switch (FunClass(dwFunID)) {
    case FUN_MOUSE: return IsMouseValue(v);
    case FUN_KEY: return true;
    case FUN_APP:
    case FUN_MEDIA: return IsConsumerValue(v);
    case FUN_MACRO:
    case FUN_BULLET: return true;
    case FUN_SPECIAL: return IsSpecialValue(v);
    case FUN_HW: return v < kHwIndexCount;
    case FUN_EXKEY: return v < kExKeyIndexCount;
    default: return false;
    }
}

// ---- packed parameters -------------------------------------------------------

// Fire key (FUN_SPECIAL kSpFire): byte 0 the value labelled tc_fire1 (0..255),
// byte 1 the value labelled tc_fire2 (5..255), byte 2 the key to fire (a
// virtual-key code, or 240..246 for a mouse button), byte 3 zero.
struct FireKeyParam {
    uint8_t byFire1;
    uint8_t byFire2;
    uint8_t byKey;
};
constexpr uint32_t PackFireKey(const FireKeyParam& p)
{
    return uint32_t(p.byFire1) | uint32_t(p.byFire2) << 8 | uint32_t(p.byKey) << 16;
}
constexpr FireKeyParam UnpackFireKey(uint32_t dwParam)
{
    return {uint8_t(dwParam), uint8_t(dwParam >> 8), uint8_t(dwParam >> 16)};
}

// Gun preset (FUN_SPECIAL kSpGunPreset, and FUN_BULLET set by the gun preset
// page): bits 0-3 gun, bits 4-7 scope, bits 8-15 zero, bits 16-23 compensation,
// bits 24-31 shooting speed.
constexpr int kGunCount = 7;     // guns 0..6
constexpr int kScopeCount = 3;   // scopes 0..2
struct GunPresetParam {
    uint8_t nGun;       // 0..15 fit; 0..6 have names
    uint8_t nScope;     // 0..15 fit; 0..2 have texts
    uint8_t byCompensation;
    uint8_t bySpeed;
};
constexpr uint32_t PackGunPreset(const GunPresetParam& p)
{
    return uint32_t(p.nGun & 0x0F) | uint32_t(p.nScope & 0x0F) << 4 | uint32_t(p.byCompensation) << 16 |
           uint32_t(p.bySpeed) << 24;
}
constexpr GunPresetParam UnpackGunPreset(uint32_t dwParam)
{
    return {uint8_t(dwParam & 0x0F), uint8_t(dwParam >> 4 & 0x0F), uint8_t(dwParam >> 16), uint8_t(dwParam >> 24)};
}
