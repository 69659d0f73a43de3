// The DPI levels of a mode as the DPI page edits them.
#include <gtest/gtest.h>

#include "core/SensorTables.h"
#include "device/mouse/DpiLevels.h"

namespace {

using mouse::CDpiLevels;
using mouse::DpiAxis;

struct Fixture {
    SensorCfg sensor{};
    MsModeSettings mode{};
    explicit Fixture(int32_t nSensor = 0x3360, int nDM = 6)
    {
        InitSensorTables();
        sensor.nSensor = nSensor;
        sensor.nDM = nDM;
        mode.nDpiNum = nDM;
        for (int i = 0; i < kMsDpiLevelNum; ++i) mode.Dpi[i].nDpiX = mode.Dpi[i].nDpiY = 400 * (i + 1);
    }
};

TEST(DpiLevels, CountEnablesAContiguousRun)
{
    Fixture f;
    CDpiLevels d(f.mode, &f.sensor, false, 3);
    ASSERT_TRUE(d.Usable());
    EXPECT_EQ(d.Levels(), 6);
    EXPECT_EQ(d.Selected(), 3) << "the level the mouse reported";
    EXPECT_TRUE(d.SetCount(4));
    EXPECT_EQ(f.mode.nDpiNum, 4);
    for (int i = 0; i < kMsDpiLevelNum; ++i) EXPECT_EQ(f.mode.Dpi[i].bDisabled, i < 4 ? 0 : 1) << i;
    EXPECT_EQ(d.Selected(), 0);
    EXPECT_FALSE(d.SetCount(0));
    EXPECT_FALSE(d.SetCount(7));
    EXPECT_FALSE(d.Select(4)) << "a hidden level is never selected";
}

TEST(DpiLevels, AReleasedSliderStoresExactlyTheStep)
{
    Fixture f;
    CDpiLevels d(f.mode, &f.sensor, false, -1);
    ASSERT_GT(d.Steps(), 10);
    ASSERT_TRUE(d.Select(2));
    const int nStep = 7;
    EXPECT_EQ(d.Moving(DpiAxis::X, nStep), d.StepValue(nStep));
    EXPECT_EQ(f.mode.Dpi[2].nDpiX, 1200) << "moving stores nothing";
    EXPECT_TRUE(d.Release(DpiAxis::X, nStep));
    EXPECT_EQ(f.mode.Dpi[2].nDpiX, d.StepValue(nStep));
    EXPECT_EQ(f.mode.Dpi[2].nDpiY, d.StepValue(nStep)) << "X and Y move together without the toggle";
    EXPECT_EQ(d.StepOfSelected(DpiAxis::X), nStep);
    EXPECT_FALSE(d.XYShown()) << "ShowXY off";
    EXPECT_FALSE(d.ToggleXY());
}

TEST(DpiLevels, XAndYApartOnlyOnTheSensorsThatHaveBoth)
{
    Fixture f;
    CDpiLevels d(f.mode, &f.sensor, true, -1);
    ASSERT_TRUE(d.XYShown());
    ASSERT_TRUE(d.ToggleXY());
    ASSERT_TRUE(d.XYSeparate());
    d.Select(1);
    d.Release(DpiAxis::Y, 3);
    EXPECT_EQ(f.mode.Dpi[1].nDpiX, 800);
    EXPECT_EQ(f.mode.Dpi[1].nDpiY, d.StepValue(3));
    EXPECT_EQ(d.StepOfSelected(DpiAxis::Y), 3);
    ASSERT_TRUE(d.ToggleXY());
    for (const MsDpiLevel& lv : f.mode.Dpi) EXPECT_EQ(lv.nDpiY, lv.nDpiX);

    Fixture other(0x3389);
    EXPECT_FALSE(CDpiLevels(other.mode, &other.sensor, true, -1).XYShown());
}

TEST(DpiLevels, ValuesFromElsewhereAreBroughtIntoRange)
{
    Fixture f;
    f.mode.nDpiNum = 40;            // a damaged or foreign profile
    f.mode.Dpi[0].nDpiX = 1234567;  // no step has it
    CDpiLevels d(f.mode, &f.sensor, false, 9);
    EXPECT_EQ(f.mode.nDpiNum, 6);
    EXPECT_EQ(d.Selected(), 0) << "a reported level past the count is not selected";
    EXPECT_EQ(d.StepOfSelected(DpiAxis::X), d.Steps() - 1) << "the nearest step";
    EXPECT_TRUE(d.SetColour(MakeColor(1, 2, 3)));
    EXPECT_EQ(f.mode.Dpi[0].clr, MakeColor(1, 2, 3));

    MsModeSettings untouched{};
    CDpiLevels none(untouched, nullptr, true, 0);
    EXPECT_FALSE(none.Usable());
    EXPECT_FALSE(none.Release(DpiAxis::X, 0));
    EXPECT_FALSE(none.SetCount(1));
}

}  // namespace
