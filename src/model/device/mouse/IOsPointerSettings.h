// The operating system's pointer settings that a mouse profile carries per
// mode (double-click time, wheel lines, acceleration, speed, trails). Setting
// them is the desktop's business: the platform layer implements this where it
// can, and says so where it cannot; tests record the calls.
#pragma once

#include "core/ProfileRecord.h"

class IOsPointerSettings {
public:
    virtual ~IOsPointerSettings() = default;
    // Applies the values that differ from the system's; false when the desktop
    // does not let them be set.
    virtual bool Apply(const MsSysSettings& sys) = 0;
};
