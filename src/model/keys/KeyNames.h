// Names of virtual-key codes and texts of key combinations, as the key pages,
// the macro editor and the key capture window show them.
#pragma once

#include <cstdint>
#include <string>

// The name of a virtual-key code (only its low byte counts), after the display
// remap of nKbType: a fixed name for the keys that have one, the catalogue's
// texts for the mouse buttons 240..244, otherwise the character the key gives
// on a US keyboard without modifiers (letters as capitals). Empty for 255 and
// for codes that give no character.
std::u16string GetKeyName(uint32_t vk, int nKbType);
// The same with gVar.nKbType.
std::u16string GetKeyName(uint32_t vk);

// Compact combination text: "Ctrl", "Alt", "Shift", "Win" for the modifiers
// present on either side, then the names of key 1 and key 2 when non-zero.
// " + " goes before each item when the text so far is not empty, so Ctrl with
// a nameless key reads "Ctrl + " and a nameless first key adds nothing.
std::u16string GetComboText(uint8_t byModifier, uint8_t byKey1, uint8_t byKey2, int nKbType);
std::u16string GetComboText(uint8_t byModifier, uint8_t byKey1, uint8_t byKey2);

// Detailed combination text with sided modifiers: "L-Ctrl", "L-Alt", "L-Shift",
// "L-Win", "R-Ctrl", "R-Alt", "R-Shift", "R-Win", then the keys.
std::u16string GetComboTextLR(uint8_t byModifier, uint8_t byKey1, uint8_t byKey2, int nKbType);
std::u16string GetComboTextLR(uint8_t byModifier, uint8_t byKey1, uint8_t byKey2);
