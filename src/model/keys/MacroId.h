// Macro identifiers: 24-bit time stamps, ((hour mod 16) << 20) | (minute << 14)
// | (second << 8) | (millisecond & 0xFF), stamped on every macro and bullet
// macro that is created, imported, exported or copied as new.
#pragma once

#include <cstdint>

#include "core/TimeOfDay.h"
#include "keys/MacroList.h"

constexpr uint32_t MacroIdFromTime(const TimeOfDay& t) { return StampIdFromTime(t); }

// A new identifier from the clock, never 0 and used by no record of either
// list (compared by the low 24 bits): a stamp that is taken is moved on by one.
// Both lists are searched because keys of the two kinds share the identifier
// space in exports and in the device buffers.
uint32_t NewMacroId(const TimeOfDayClock& clock, const CMacroList& macros, const CMacroList& bullets);
// The same against g_MacroList and g_BulletList.
uint32_t NewMacroId(const TimeOfDayClock& clock);
