// Which devices of a profile play a macro: a key of the mouse (any mode, any
// key set) or of the keyboard (its keys, their Fn layer, the direct keys)
// whose function is the macro. A changed macro must reach those devices.
#pragma once

#include <cstdint>

#include "core/ProfileRecord.h"

struct MacroUsers {
    bool bMouse = false;
    bool bKeyboard = false;
    bool Any() const { return bMouse || bKeyboard; }
};

// Compared by the low 24 bits of the identifier; 0 names no macro.
MacroUsers WhoPlaysMacro(const ProfileRecord& pro, uint32_t nMacroId);
