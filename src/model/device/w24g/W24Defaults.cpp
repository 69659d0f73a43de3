// CDev24G: the defaults a new or reset profile gets. They are the mouse
// families' (DPI levels of the current sensor, lighting, lift-off, pointer,
// rate and debounce); only the mode a profile keeps differs. User-interface thread.
#include "device/mouse/MouseDefaults.h"
#include "device/w24g/Dev24G.h"

void CDev24G::FillDefault(ProfileRecord& pro)
{
    const int32_t nKeepMode = pro.Ms.ProMirex.nMode;
    mouse::FillDefault(pro);
    // Kind 5 mice keep the profile on the connection the user had chosen.
    if ((FwType() & 0x0F) == 5 && nKeepMode >= 0 && nKeepMode < kMsModeNum) pro.Ms.ProMirex.nMode = nKeepMode;
}
