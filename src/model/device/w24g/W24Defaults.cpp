// CDev24G: the defaults a new or reset profile gets. They are the wired
// family's (DPI levels of the current sensor, lighting, lift-off, pointer,
// rate and debounce); only the mode a profile keeps differs. User-interface thread.
#include "device/w24g/Dev24G.h"

void CDev24G::FillDefault(ProfileRecord& pro)
{
    const int32_t nKeepMode = pro.Ms.ProMirex.nMode;
    m_wired.FillDefault(pro);
    // Kind 5 mice keep the profile on the connection the user had chosen.
    if ((FwType() & 0x0F) == 5 && nKeepMode >= 0 && nKeepMode < kMsModeNum) pro.Ms.ProMirex.nMode = nKeepMode;
    // The layout may have changed (a key configuration was imported).
    CopyKeyLayout();
}

void CDev24G::SetDefaultDpi(ProfileRecord& pro, const SensorCfg* pSensor, int nModeMask)
{
    m_wired.SetDefaultDpi(pro, pSensor, nModeMask);
}

void CDev24G::SetDefaultLed(ProfileRecord& pro, int nModeMask) { m_wired.SetDefaultLed(pro, nModeMask); }

void CDev24G::SetDefaultLod(ProfileRecord& pro, int nModeMask) { m_wired.SetDefaultLod(pro, nModeMask); }

void CDev24G::SetDefaultSys(ProfileRecord& pro, int nModeMask) { m_wired.SetDefaultSys(pro, nModeMask); }
