// The defaults a new or reset profile gets for a mouse (both families), from
// the mouse description, the mouse key layout and the current sensor.
// User-interface thread: they read gVar.
#pragma once

#include "core/Gvar.h"
#include "core/ProfileRecord.h"

namespace mouse {

// Every mouse setting of the profile; the profile's mode is kept where the
// description shows modes only as names.
void FillDefault(ProfileRecord& pro);
// Defaults of the sensor, the lighting, the lift-off distance and the system
// settings into the modes selected by nModeMask (bit m = mode m).
void SetDefaultDpi(ProfileRecord& pro, const SensorCfg* pSensor, int nModeMask);
void SetDefaultLed(ProfileRecord& pro, int nModeMask);
void SetDefaultLod(ProfileRecord& pro, int nModeMask);
void SetDefaultSys(ProfileRecord& pro, int nModeMask);
// The key table nTable of mode nMode inside the profile; null when there is none.
KeyInfo* GetKeyTable(ProfileRecord& pro, int nMode, int nTable);

}  // namespace mouse
