// Readable forms of what the virtual keyboards with the block transport hold,
// shared by their dumps: keyboard-page usages, modifier bits, and the
// 128-byte device macro (repeat count, then two- or six-byte actions).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct KeyInfo;

// "A", "1", "F5", "LCtrl", "Enter", "button f0", else "usage 5c".
std::string EmuKbUsageName(uint8_t byUsage);
// "LCtrl+RShift+" for the modifier bits.
std::string EmuKbModifiers(uint8_t byBits);
// "repeat 2", then one line an action: "press A, 50 ms".
std::vector<std::string> EmuKbDescribeMacro128(std::span<const uint8_t> buffer);
// The name a dump gives the key at index nIndex of the configured key table:
// the name of the key it sends, else "K" and its 1-based index.
std::string EmuKbKeyName(const KeyInfo& k, int nIndex);
