// A mouse's own reports as the program takes them: mode, level, notice lines,
// rate, and the reports that are dropped.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "core/Utf.h"
#include "device/mouse/MouseNotice.h"
#include "text/TextCatalogue.h"

namespace {

std::unique_ptr<ProfileRecord> Profile()
{
    auto p = std::make_unique<ProfileRecord>();
    for (int m = 0; m < kMsModeNum; ++m)
        for (int i = 0; i < kMsDpiLevelNum; ++i) {
            p->Ms.Mode[m].Dpi[i].nDpiX = 400 * (i + 1) + m;
            p->Ms.Mode[m].Dpi[i].nDpiY = 400 * (i + 1) + 50;
        }
    return p;
}

std::string Lines(const MouseNotice& n)
{
    std::string s;
    for (const auto& l : n.lines) s += U16ToUtf8(l) + "|";
    return s;
}

TEST(MouseNotice, ReceiverFamilyReports)
{
    auto pro = Profile();
    MouseNoticeOptions opt;
    opt.bReceiverFamily = true;
    opt.bShowUsbRate = true;
    opt.nDM = 5;
    opt.nSensor = 0x3360;

    // 0x11 0x02 0x03 as the family decodes it: receiver, rate code 2, level 3.
    DeviceEvent e;
    e.nLink = 1;
    e.nMode = 1;
    e.nRateCode = 2;
    e.nLevel = 2;
    MouseNotice n = InterpretMouseEvent(e, *pro, opt);
    EXPECT_TRUE(n.bShow);
    EXPECT_EQ(n.nNewMode, 1);
    EXPECT_EQ(Lines(n), "DPI-3|1201||250 Hz|");
    EXPECT_EQ(n.nCurDpiLevel, (std::array<int, 3>{-1, 2, -1}));
    EXPECT_EQ(n.nSelectLevel, 2);
    EXPECT_EQ(n.nRateHz, 250);

    opt.bShowXY = true;
    opt.bSingleMode = true;
    e.nMode = 0;
    n = InterpretMouseEvent(e, *pro, opt);
    EXPECT_EQ(n.nNewMode, -1) << "the profile is in mode 0 already";
    EXPECT_EQ(Lines(n), "DPI-3|X 1200|Y 1250|250 Hz|");
    EXPECT_EQ(n.nCurDpiLevel, (std::array<int, 3>{2, 2, -1}));

    e.nRateCode = 7;  // no such rate: logged, no notice, no page told
    n = InterpretMouseEvent(e, *pro, opt);
    EXPECT_FALSE(n.bShow);
    EXPECT_EQ(n.strLog, "Wrong rate value");
    EXPECT_EQ(n.nSelectLevel, -1);
    EXPECT_EQ(n.nRateHz, -1);

    e.nRateCode = 1;
    e.nLevel = 5;  // beyond the sensor's five levels
    n = InterpretMouseEvent(e, *pro, opt);
    EXPECT_FALSE(n.bShow);
    EXPECT_EQ(n.strLog, "nCurDpiLevel = 5");
    EXPECT_EQ(n.nCurDpiLevel, (std::array<int, 3>{-1, -1, -1}));
}

TEST(MouseNotice, WiredReportsCountEnabledLevels)
{
    LoadTextCatalogue(test::SourceDir() / "data/text/en/text.xml");  // the mode names
    auto pro = Profile();
    pro->Ms.ProMirex.nMode = 1;
    pro->Ms.Mode[2].Dpi[0].bDisabled = 1;
    MouseNoticeOptions opt;
    opt.nDM = 4;
    opt.bPop = true;
    opt.bPopByte1 = true;

    const struct {
        const char* what;
        int nMode, nOrdinal, nExtra;
        bool bBullets;
        std::string lines;
        int nLevel, nNewMode, nPerformance;
    } cases[] = {
        {"second enabled level of mode 3 skips the disabled first", 2, 2, 0, false, "DPI-3|1202||Mode 3|", 2, 2, -1},
        {"same mode as the profile", 1, 1, 0, false, "DPI-1|401||Mode 2|", 0, -1, -1},
        {"bullet mouse mode names", 0, 4, 9, true, "DPI-4|1600||Normal Mode|", 3, 0, 9},
        {"no mode in the report: the profile's", -1, 2, 0, false, "DPI-2|801|||", 1, -1, -1},
    };
    for (const auto& c : cases) {
        DeviceEvent e;
        e.nMode = c.nMode;
        e.nLevelOrdinal = c.nOrdinal;
        e.nExtra = c.nExtra;
        opt.bBullets = c.bBullets;
        const MouseNotice n = InterpretMouseEvent(e, *pro, opt);
        EXPECT_TRUE(n.bShow) << c.what;
        EXPECT_EQ(Lines(n), c.lines) << c.what;
        EXPECT_EQ(n.nSelectLevel, c.nLevel) << c.what;
        EXPECT_EQ(n.nNewMode, c.nNewMode) << c.what;
        EXPECT_EQ(n.nPerformance, c.nPerformance) << c.what;
    }

    // The fourth enabled level of mode 3 does not exist among its four.
    DeviceEvent e;
    e.nMode = 2;
    e.nLevelOrdinal = 4;
    MouseNotice n = InterpretMouseEvent(e, *pro, opt);
    EXPECT_FALSE(n.bHandled);
    EXPECT_FALSE(n.bShow);
    // Without Pop the level is still taken over, silently.
    opt.bPop = false;
    e.nLevelOrdinal = 1;
    n = InterpretMouseEvent(e, *pro, opt);
    EXPECT_TRUE(n.bHandled);
    EXPECT_FALSE(n.bShow);
    EXPECT_EQ(n.nCurDpiLevel, (std::array<int, 3>{-1, -1, 1}));
}

}  // namespace
