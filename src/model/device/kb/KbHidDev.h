// The base of the keyboard families whose interfaces are chosen by rules and
// opened together: what they do alike once every interface is open.
#pragma once

#include <span>

#include "device/HidDev.h"
#include "device/InterfacePick.h"

class CKbHidDev : public CHidDev {
protected:
    using CHidDev::CHidDev;

    // Puts the opened interfaces h in place of whatever was open (through the
    // family's ClearHandle), takes the product and version from the
    // interface info that identifies the keyboard, and keeps the finding
    // (a keyboard has no mouse state). Returns 1, discovery's "found".
    int InstallFound(std::span<const HidInterfaceRule> rules, HandleSet& h, const HidDevInfo& info);
};
