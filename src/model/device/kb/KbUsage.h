// The keyboards' tables of USB HID usages: a virtual key to its keyboard-page
// usage (keys, combinations and macro actions of every keyboard family), and a
// key function to its consumer-page usage (classes 3 and 4, and the media keys
// kept as keys). Each family then puts the usage into its own code layout.
#pragma once

#include <cstdint>

#include "keys/KeyInfo.h"

namespace kb {

// The keyboard-page usage of a virtual key; 0 for a key the keyboards do not know.
uint8_t KbVkToHid(uint8_t vk);

// The keyboard-page usage of a modifier key (generic codes as the left key):
// 0xE0 left Ctrl ... 0xE7 right Win; 0 for any other key.
uint8_t ModifierUsage(uint8_t vk);

// The consumer-page usage of a key function: classes 3 and 4 by their value,
// class 2 when its first key is a media key (136..143, 153, 154); 0 otherwise.
uint16_t KbConsumerUsage(const KeyInfo& key);

// A consumer usage in the layout the keyboards share: byte 0 the family's
// kind, byte 1 zero, bytes 2 and 3 the usage, high byte first.
constexpr uint32_t ConsumerCode(uint16_t wUsage, uint8_t byKind)
{
    return uint32_t(byKind) | uint32_t(wUsage >> 8) << 16 | uint32_t(wUsage & 0xFF) << 24;
}

}  // namespace kb
