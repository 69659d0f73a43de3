// The gun presets of a mouse button: a device-side recoil function given by a
// gun, a scope, a compensation value, a shooting speed and a colour, or a
// bullet macro instead. The preset window edits one record per gun; the key
// record it makes is a gun preset (0x080000C0) or a bullet key (class 12).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/ProfileRecord.h"
#include "keys/FunId.h"
#include "keys/KeyInfo.h"

struct GunPreset {
    int nGun = 0;          // 0..6
    int nScope = 0;        // 0..2
    int nValue = 1;        // compensation 1..127
    int nSpeed = 25;       // shooting speed 1..255
    uint32_t dwColor = 0;  // R | G<<8 | B<<16
    uint32_t dwBullet = 0; // MacroID of a bullet, 0 in preset mode
    bool operator==(const GunPreset&) const = default;
};

constexpr int kGunValueCount = kGunCount * kScopeCount;  // the [MS] GunValue list
constexpr int kGunValueMax = 127;
constexpr int kGunSpeedMax = 255;
constexpr int kGunDefaultSpeed = 25;
constexpr int kGunEmptyField = 10;  // what an empty value or speed field counts as

// The compensation value the description gives a gun with a scope.
int GunScopeValue(const uint8_t (&gunValue)[kGunValueCount], int nGun, int nScope);
// Scope 1 (4x) exists for guns 0, 1, 2 and 4 only.
constexpr bool GunHasScope(int nGun, int nScope) { return nScope != 1 || !(nGun == 3 || nGun == 5 || nGun == 6); }

// One record per gun as the window starts: scope 0 with its value, speed 25 and the gun's colour.
std::array<GunPreset, kGunCount> DefaultGunPresets(const uint8_t (&gunValue)[kGunValueCount]);

// The preset a key holds, when it is a gun preset or a bullet key; bBullet says which.
bool GunPresetOfKey(const KeyInfo& key, GunPreset& preset, bool& bBullet);
// The key record the window ends with: class 12 with the bullet in bullet
// mode, else the gun preset; dwParam packs gun, scope, value and speed.
KeyInfo GunPresetKeyRecord(const GunPreset& preset, bool bBullet);

// A value or speed field as the user types into it: an empty field is left
// alone, 0 or no number becomes "1", above nMax becomes nMax.
std::u16string FixGunField(std::u16string_view text, int nMax);
// The number of a field on OK (its low byte); an empty field counts as 10.
int GunFieldValue(std::u16string_view text);

// The profile-wide preset option (second mode block).
uint8_t GunOption(const ProfileRecord& pro);
void SetGunOption(ProfileRecord& pro, bool bOn);

// The check of the apply step: passes with the option off; with it on, the
// active key set of the second mode needs a gun preset switch (0x080000C2)
// when it holds a gun preset (0x080000C0). False for no profile.
bool CheckGunOption(const ProfileRecord* pro);
