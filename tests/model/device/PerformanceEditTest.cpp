// The performance pages' rules: rate areas, apply flags, battery read-out.
#include <gtest/gtest.h>

#include "device/mouse/PerformanceEdit.h"

namespace {

using namespace mouse;

TEST(PerformanceEdit, RateAreasAndApplyFlags)
{
    EXPECT_EQ(RateOfArea(3), 0x1000);
    EXPECT_EQ(RateOfArea(4), 0);
    EXPECT_EQ(AreaOfRate(0x250), 1);
    EXPECT_EQ(AreaOfRate(1000), -1) << "decimal 1000 is not a stored rate";
    EXPECT_EQ(ApplyFlagOf(SysControl::Rate), 0x02u);
    EXPECT_EQ(ApplyFlagOf(SysControl::LiftOff), 0x20u);
    EXPECT_EQ(ApplyFlagOf(SysControl::Debounce), 0x40u);
    EXPECT_EQ(ApplyFlagOf(SysControl::Precision), 0x08u);
    EXPECT_EQ(ApplyFlagOf(SysControl::MotionSync), 0x02u);
}

TEST(PerformanceEdit, BatteryReadOutAndChargingAnimation)
{
    const struct {
        int nLevel;
        bool bUsb;
        int nValue;
        bool bPowerFw;
        int nExpLevel, nExpState, nExpValue;
    } cases[] = {
        {3, false, 3900, false, 3, 0, 3900}, {1, true, 4100, false, 0, 1, 0},
        {3, true, 4100, false, 1, 1, 0},     {3, true, 4100, true, 3, 1, 4100},
    };
    for (const auto& c : cases) {
        const PowerView v = PowerViewOf(c.nLevel, c.bUsb, c.nValue, c.bPowerFw);
        EXPECT_EQ(v.nLevel, c.nExpLevel);
        EXPECT_EQ(v.nState, c.nExpState);
        EXPECT_EQ(v.nValue, c.nExpValue);
    }

    CBatteryState b(false);
    EXPECT_TRUE(b.SetPowerStatus(1, 0)) << "charging from empty starts the animation";
    EXPECT_FALSE(b.SetPowerStatus(1, 0)) << "once";
    EXPECT_EQ(b.Shown(), 10);
    EXPECT_FALSE(b.SetPowerStatus(1, 1));
    EXPECT_EQ(b.Shown(), 100);
    EXPECT_FALSE(b.Animating());
    EXPECT_TRUE(b.SetPowerStatus(1, 0)) << "and again after it stopped";
    b.SetPowerStatus(0, 2);
    EXPECT_EQ(b.Shown(), 2);
    EXPECT_FALSE(b.Animating());

    CBatteryState fw(true);
    EXPECT_FALSE(fw.SetPowerStatus(1, 0));
    EXPECT_EQ(fw.Shown(), 0);
}

}  // namespace
