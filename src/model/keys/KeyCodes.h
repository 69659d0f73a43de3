// Virtual-key codes and modifier bits. Keys are stored as Windows virtual-key
// numbers in US-position form (the code the US layout gives for the physical
// key) in every file, record and device description; the numbers are the file
// format and stay numbers here. Beside the standard codes the program uses a
// few private ones (media keys, extra keys of international layouts, mouse
// buttons, Fn).
#pragma once

#include <cstdint>

struct KeyInfo;

// ---- standard codes the program names ---------------------------------------

constexpr uint8_t kVkBack = 8;
constexpr uint8_t kVkTab = 9;
constexpr uint8_t kVkReturn = 13;
constexpr uint8_t kVkShift = 16;     // generic Shift; stored as left Shift
constexpr uint8_t kVkControl = 17;   // generic Ctrl; stored as left Ctrl
constexpr uint8_t kVkMenu = 18;      // generic Alt; stored as left Alt
constexpr uint8_t kVkPause = 19;
constexpr uint8_t kVkCapital = 20;
constexpr uint8_t kVkEscape = 27;
constexpr uint8_t kVkSpace = 32;
constexpr uint8_t kVkLWin = 91;
constexpr uint8_t kVkRWin = 92;
constexpr uint8_t kVkApps = 93;
constexpr uint8_t kVkF1 = 112;
constexpr uint8_t kVkLShift = 160;
constexpr uint8_t kVkRShift = 161;
constexpr uint8_t kVkLControl = 162;
constexpr uint8_t kVkRControl = 163;
constexpr uint8_t kVkLMenu = 164;
constexpr uint8_t kVkRMenu = 165;

// ---- private codes -------------------------------------------------------------

constexpr uint8_t kVkMediaSelect = 136;
constexpr uint8_t kVkPlayPause = 137;
constexpr uint8_t kVkMediaStop = 138;
constexpr uint8_t kVkPrevTrack = 139;
constexpr uint8_t kVkNextTrack = 140;
constexpr uint8_t kVkVolumeUp = 141;
constexpr uint8_t kVkVolumeDown = 142;
constexpr uint8_t kVkMute = 143;
constexpr uint8_t kVkScreenBrightUp = 151;
constexpr uint8_t kVkScreenBrightDown = 152;
constexpr uint8_t kVkCalculator = 153;
constexpr uint8_t kVkMyComputer = 154;
// Extra keys of international layouts, named after their key words.
constexpr uint8_t kVkK56 = 193;
constexpr uint8_t kVkK107 = 194;
constexpr uint8_t kVkK14 = 195;
constexpr uint8_t kVkK133 = 215;
constexpr uint8_t kVkCustom = 216;   // hardware code: the keyboard description's VkCustom
constexpr uint8_t kVkK132 = 218;
constexpr uint8_t kVkK45 = 226;      // the extra key next to left Shift
constexpr uint8_t kVkK131 = 235;
// Mouse buttons, as keys to fire and as macro actions.
constexpr uint8_t kVkMsLeft = 240;
constexpr uint8_t kVkMsRight = 241;
constexpr uint8_t kVkMsMiddle = 242;
constexpr uint8_t kVkMsForward = 243;
constexpr uint8_t kVkMsBack = 244;
constexpr uint8_t kVkMsTilt1 = 245;
constexpr uint8_t kVkMsTilt2 = 246;
constexpr uint8_t kVkFn = 250;
constexpr uint8_t kVkFn2 = 251;
constexpr uint8_t kVkNumEnter = 253;

constexpr bool IsMouseVk(uint32_t vk) { return vk >= kVkMsLeft && vk <= kVkMsTilt2; }

// The consumer value (FunId.h kCc*) of a media key code, 0 for any other code.
// A key record holding one of these is shown and sent as that consumer function.
constexpr uint32_t MediaVkToConsumer(uint32_t vk)
{
    if (vk >= kVkMediaSelect && vk <= kVkMute) return vk - kVkMediaSelect + 33;  // 33..40 in the same order
    if (vk == kVkCalculator) return 49;
    if (vk == kVkMyComputer) return 50;
    return 0;
}

// ---- modifier bits (as in a USB keyboard report) -------------------------------

constexpr uint8_t kModLCtrl = 0x01;
constexpr uint8_t kModLShift = 0x02;
constexpr uint8_t kModLAlt = 0x04;
constexpr uint8_t kModLWin = 0x08;
constexpr uint8_t kModRCtrl = 0x10;
constexpr uint8_t kModRShift = 0x20;
constexpr uint8_t kModRAlt = 0x40;
constexpr uint8_t kModRWin = 0x80;
constexpr uint8_t kModCtrl = kModLCtrl | kModRCtrl;
constexpr uint8_t kModShift = kModLShift | kModRShift;
constexpr uint8_t kModAlt = kModLAlt | kModRAlt;
constexpr uint8_t kModWin = kModLWin | kModRWin;

// True for the modifier keys: generic Shift, Ctrl, Alt, both Win keys and the
// six sided Shift, Ctrl and Alt codes.
constexpr bool IsModifierVk(uint32_t vk)
{
    return vk == kVkShift || vk == kVkControl || vk == kVkMenu || vk == kVkLWin || vk == kVkRWin ||
           (vk >= kVkLShift && vk <= kVkRMenu);
}

// The modifier bit of a modifier key (generic codes count as the left key); 0
// for any other code.
constexpr uint8_t ModifierBitOfVk(uint32_t vk)
{
    switch (vk) {
    case kVkControl:
    case kVkLControl: return kModLCtrl;
    case kVkShift:
    case kVkLShift: return kModLShift;
    case kVkMenu:
    case kVkLMenu: return kModLAlt;
    case kVkLWin: return kModLWin;
    case kVkRControl: return kModRCtrl;
    case kVkRShift: return kModRShift;
    case kVkRMenu: return kModRAlt;
    case kVkRWin: return kModRWin;
    default: return 0;
    }
}

// The sided key code of one modifier bit (0x01 -> 162 ... 0x80 -> 92); 0 when
// the argument is not exactly one bit.
constexpr uint8_t VkOfModifierBit(uint8_t byBit)
{
    switch (byBit) {
    case kModLCtrl: return kVkLControl;
    case kModLShift: return kVkLShift;
    case kModLAlt: return kVkLMenu;
    case kModLWin: return kVkLWin;
    case kModRCtrl: return kVkRControl;
    case kModRShift: return kVkRShift;
    case kModRAlt: return kVkRMenu;
    case kModRWin: return kVkRWin;
    default: return 0;
    }
}

// byModVk of a record whose function is this one modifier key: the left
// Shift, Ctrl and Alt are kept as the generic 16, 17, 18; the other modifier
// keys as themselves; 0 for a code that is no modifier.
constexpr uint8_t LoneModifierVk(uint32_t vk)
{
    switch (vk) {
    case kVkLShift: return kVkShift;
    case kVkLControl: return kVkControl;
    case kVkLMenu: return kVkMenu;
    default: return IsModifierVk(vk) ? uint8_t(vk) : 0;
    }
}

// The four key bytes of a FUN_KEY record.
struct KeyCombo {
    uint8_t byModifier = 0;
    uint8_t byKey1 = 0;
    uint8_t byKey2 = 0;
    uint8_t byModVk = 0;
};

// Forms the key bytes from modifiers and up to two keys as a description or a
// capture gives them. A modifier key given as a key becomes its modifier bit;
// when the result is one lone modifier key (no other modifier, no key) byModVk
// names it (LoneModifierVk). Keys move forward so byKey1 is 0 only when both are.
constexpr KeyCombo MakeKeyCombo(uint8_t byModifier, uint8_t byKey1, uint8_t byKey2)
{
    KeyCombo c;
    c.byModifier = byModifier;
    int nModKeys = 0;
    uint8_t byModKey = 0;
    const uint8_t keys[2] = {byKey1, byKey2};
    for (const uint8_t vk : keys) {
        if (vk == 0) continue;
        if (const uint8_t bit = ModifierBitOfVk(vk)) {
            c.byModifier |= bit;
            byModKey = vk;
            ++nModKeys;
        } else {
            (c.byKey1 == 0 ? c.byKey1 : c.byKey2) = vk;
        }
    }
    if (byModifier == 0 && nModKeys == 1 && c.byKey1 == 0) c.byModVk = LoneModifierVk(byModKey);
    return c;
}

// The one virtual key a FUN_KEY record stands for: byKey1 when no modifier bit
// is set and byKey1 is non-zero; otherwise the key of the first modifier bit
// set, in the order left Ctrl, right Ctrl, left Shift, right Shift, left Alt,
// right Alt, left Win, right Win; 0 when nothing is set or the record is not
// FUN_KEY.
uint8_t GetSingleVk(const KeyInfo& key);
