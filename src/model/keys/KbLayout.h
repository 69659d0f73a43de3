// Keyboard-layout remaps. Key codes are stored in US-position form; on a
// keyboard whose layout the [OPT] option KbType names, the key at a US position
// is labelled differently and a key press reports the code of its label. These
// two maps convert between the two forms: the display map gives the code whose
// name is printed on the key at a stored position, the capture map gives the
// stored position of a received code.
//
// KbType 0 is no remap; 1 swaps Y and Z and moves the punctuation keys as a
// QWERTZ layout does; 2 is the AZERTY arrangement; 3 moves the punctuation keys
// like 1 without swapping Y and Z. Any other KbType is treated as 0. Codes a
// table does not list map to themselves.
#pragma once

#include <cstdint>

constexpr int kKbTypeCount = 4;

uint8_t RemapForDisplay(uint8_t vk, int nKbType);
uint8_t RemapFromCapture(uint8_t vk, int nKbType);

// The same with gVar.nKbType.
uint8_t RemapForDisplay(uint8_t vk);
uint8_t RemapFromCapture(uint8_t vk);
