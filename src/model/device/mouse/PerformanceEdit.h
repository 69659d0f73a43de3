// The mouse performance pages without the pages: the report-rate areas, what
// each control of the system page asks the device to write, the battery
// read-out handed to the battery page, and the battery page's charging state.
#pragma once

#include <cstdint>
#include <string>

namespace mouse {

// Report-rate areas 0..3 (125, 250, 500, 1000 Hz) and the stored value of
// each (the rate written with hexadecimal digits, 0x125 ... 0x1000).
int32_t RateOfArea(int nArea);          // 0 for an area that does not exist
int AreaOfRate(int32_t nRate);          // -1 for a value no area has

// The controls of the system page that reach the device.
enum class SysControl { PointerSpeed, WheelLines, OneScreen, DoubleClick, Precision, Trails, Rate, LiftOff, Debounce,
                        NoSleep, LedOffWhenMoving, MotionSync };
// The apply flag a change of the control asks for.
uint32_t ApplyFlagOf(SysControl c);

// The battery read-out as the battery page takes it: level, state (0 on
// battery, 1 charging) and the third value of the mouse's power query.
struct PowerView {
    int nLevel = 0;
    int nState = 0;
    int nValue = 0;
};
// With the cable, mice without battery firmware report only full or not.
PowerView PowerViewOf(int nLevel, bool bUsb, int nValue, bool bPowerFw);

// The battery page's state: the percentage shown and the charging animation.
class CBatteryState {
public:
    explicit CBatteryState(bool bPowerFw) : m_bPowerFw(bPowerFw) {}
    // State 0 on battery, 1 charging, 2 stop the animation. True when the
    // animation timer must be started now (it is never started twice).
    bool SetPowerStatus(int nState, int nLevel);
    int Shown() const { return m_nShown; }
    bool Animating() const { return m_bAnimating; }

private:
    bool m_bPowerFw;
    int m_nShown = 0;
    bool m_bAnimating = false;
};

}  // namespace mouse
