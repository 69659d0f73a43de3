// The display text of a key function: what a key button, a key list or the
// command-line tool shows for one KeyInfo. Texts come from the text catalogue
// (gText), so they follow the language; the names of macros and bullet macros
// come from their lists, and the snipe text from the DPI steps of the current
// sensor. All of it belongs to the user-interface thread, like gText.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "keys/KeyInfo.h"

// Name of the macro (or bullet macro) with this identifier; false when the list
// holds none. Identifiers compare by their low 24 bits.
using MacroNameLookup = std::function<bool(uint32_t dwMacroID, std::u16string& strName)>;

// Where the function texts look things up. An empty lookup finds nothing.
struct CFunctionTextSources {
    MacroNameLookup findMacro;    // FUN_MACRO
    MacroNameLookup findBullet;   // FUN_BULLET
    // DPI value of the current sensor's step at a 0-based position; 0 when the
    // position is outside the sensor's step list.
    std::function<int32_t(uint32_t nStep)> dpiOfStep;
    int nKbType = 0;              // layout remap for key names
};

// The text of a key function; empty for no function, an unknown class or
// value, and a macro reference its list does not hold.
std::u16string GetFunctionText(const KeyInfo& key, const CFunctionTextSources& src);
// The same with the process-wide sources: g_MacroList and g_BulletList, the
// DPI steps of the sensor gVar.Ms.nMsSensor and gVar.nKbType.
std::u16string GetFunctionText(const KeyInfo& key);

// True when the record holds a function the program can show and send: a known
// class and value (IsKnownFunID), a FUN_KEY with a modifier or a key, a macro or
// bullet macro its list holds. Unlike an empty text this does not depend on the
// language: functions without a text of their own (extra keys 4 and 5, texts a
// catalogue lacks) are valid.
bool IsFunctionValid(const KeyInfo& key, const CFunctionTextSources& src);
bool IsFunctionValid(const KeyInfo& key);

// Name of gun 0..6 of a gun preset ("M4", "AKM", ...); empty for others.
std::u16string_view GunName(uint32_t nGun);
