#include "device/mouse/PerformanceEdit.h"

namespace mouse {

namespace {
constexpr int32_t kRates[] = {0x125, 0x250, 0x500, 0x1000};
}

int32_t RateOfArea(int nArea) { return nArea >= 0 && nArea < 4 ? kRates[nArea] : 0; }

int AreaOfRate(int32_t nRate)
{
    for (int i = 0; i < 4; ++i)
        if (kRates[i] == nRate) return i;
    return -1;
}

uint32_t ApplyFlagOf(SysControl c)
{
    switch (c) {
    case SysControl::Rate:
    case SysControl::NoSleep:
    case SysControl::LedOffWhenMoving:
    case SysControl::MotionSync:
        return 0x02;
    case SysControl::LiftOff:
        return 0x20;
    case SysControl::Debounce:
        return 0x40;
    default:
        return 0x08;  // the operating system's pointer settings
    }
}

PowerView PowerViewOf(int nLevel, bool bUsb, int nValue, bool bPowerFw)
{
    if (!bUsb) return {nLevel, 0, nValue};
    if (!bPowerFw) return {nLevel != 1 ? 1 : 0, 1, 0};
    return {nLevel, 1, nValue};
}

bool CBatteryState::SetPowerStatus(int nState, int nLevel)
{
    switch (nState) {
    case 0:
        m_nShown = nLevel;
        m_bAnimating = false;
        return false;
    case 1:
        if (m_bPowerFw) {
            m_nShown = nLevel;
            return false;
        }
        if (nLevel != 0) {
            m_nShown = 100;
            m_bAnimating = false;
            return false;
        }
        m_nShown = 10;
        if (m_bAnimating) return false;
        m_bAnimating = true;
        return true;
    case 2:
        m_bAnimating = false;
        return false;
    default:
        return false;
    }
}

}  // namespace mouse
