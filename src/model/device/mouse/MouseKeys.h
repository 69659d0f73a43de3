// The key operations both mouse families offer the same way: the mouse's code
// for a key function, the buffer of a macro, a key table of the profile.
// User-interface thread: the code of a macro key looks in the program's lists.
#pragma once

#include <cstdint>
#include <span>

#include "core/Gvar.h"
#include "core/ProfileRecord.h"
#include "device/mouse/MouseDefaults.h"
#include "device/mouse/MouseDevice.h"
#include "device/mouse/MouseMacro.h"

namespace mouse {

class CMouseKeys {
public:
    // The mouse's code for a key function; 0xFFFFFFFF for one it does not have.
    uint32_t keyinfo_to_hardware_code(const KeyInfo& key) const { return HardwareCode(key, gVar.Ms.nMsSensor); }
    int StMacro_To_HdMacro(const MacroRecord& macro, std::span<uint8_t> buf) const
    {
        return int(MacroToHd(macro, buf));
    }
    KeyInfo* GetKeyTable(ProfileRecord& pro, int nMode, int nTable) const
    {
        return mouse::GetKeyTable(pro, nMode, nTable);
    }
};

}  // namespace mouse
