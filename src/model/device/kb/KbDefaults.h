// The keyboard block of a new profile, shared by every keyboard family: the
// default key table, and the lighting defaults from the description (each
// mode's speed, brightness, direction and colours from LEDParam, the default
// mode, the colour groups with the keys GaoshouKey%d names). What differs
// between families is the policy below.
#pragma once

#include "core/ProfileRecord.h"
#include "device/kb/KbDescSnap.h"

namespace kb {

struct KbLightingPolicy {
    // Sleep time, second LED option and default group from the description.
    bool bDeviceExtras = false;
    // A group key takes the colour numbered by GaoshouKeyColor%d (else clrGaoshou).
    bool bKeyColourNumbers = false;
    // Speed and brightness kept from 1 (LEDParam's nibbles plus one).
    bool bSpeedBrightFromOne = false;
    // DefLed names the default mode and its speed, brightness, direction and
    // colourful switch (when its first four numbers are not all 0).
    bool bDefLed = false;
};

// The colours a mode starts with: red, then blue, green, yellow, magenta, cyan, white.
extern const ZColor kDefaultModeColours[7];
// The colour of a GaoshouKeyColor number 1..8 (red, green, blue, magenta,
// cyan, yellow, white, orange); 0 for another number.
ZColor KeyColourOfNumber(int n);

// The default key table into the block's keys.
void FillKeyDefaults(KbSettings& s, const KbDescSnap& d);
// The lighting part of the block.
void FillLightingDefaults(KbSettings& s, const KbDescSnap& d, const KbLightingPolicy& policy);
// The whole block: cleared, then keys and lighting.
void FillKbDefault(KbSettings& s, const KbDescSnap& d, const KbLightingPolicy& policy);

// The default key slot whose function is the key vk (a modifier key by its
// modifier bit, any other key by its first key); -1 for none.
int SlotOfVk(const KbDescSnap& d, uint8_t vk);

}  // namespace kb
