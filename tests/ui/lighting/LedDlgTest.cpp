// The lighting page in the main window on the emulator: what the user picks
// reaches the virtual pad and keyboard at once with ApplyNow, and only with
// the Apply button without it.
#include <gtest/gtest.h>

#include "../mainwnd/MainWindowRig.h"
#include "device/pad/PadReports.h"
#include "emu/pad/EmuPad.h"
#include "emu/varorgb/EmuVaroRgb.h"
#include "ui/lighting/LedDlg.h"
#include "ui/pages/DeviceSettingDlg.h"

using namespace mainwnd_test;

namespace {

CLedDlg* LedOf(CZorvikDlg& w, DevKind kind)
{
    w.SwitchDevice(kind);
    auto* pPage = dynamic_cast<CDeviceSettingDlg*>(w.CurrentPageWidget());
    return pPage ? pPage->Led() : nullptr;
}

// The block the pad should hold for the profile's current lighting.
pad::PadBlock Expected(const pad::PadBlock& held)
{
    pad::PadBlock b = held;
    pad::PutLighting(b, pFile->Pad.nLedMode, pFile->Pad.Mode[pFile->Pad.nLedMode]);
    return b;
}

}  // namespace

TEST(LedDlg, ThePadTakesEachChoiceAtOnceWithApplyNow)
{
    CMainWindowRig r(DemoCfg({"ApplyNow=1"}));
    ASSERT_TRUE(r.bInitialised);
    auto padDev = std::dynamic_pointer_cast<CEmuPad>(r.Device("pad"));
    ASSERT_TRUE(padDev);
    CLedDlg* pLed = LedOf(*r.wnd, DevKind::Pad);
    ASSERT_NE(pLed, nullptr);
    ASSERT_GE(pLed->Modes().size(), 3u);

    ASSERT_TRUE(pLed->ChooseMode(2));
    pLed->ChooseSpeed(4);
    pLed->ChooseBrightness(0x50);
    pLed->ChooseDirection(2);
    pLed->SelectColourButton(1);
    pLed->ChooseColour(0x123456);
    r.Settle();
    EXPECT_EQ(pFile->Pad.nLedMode, 2);
    EXPECT_EQ(pFile->Pad.Mode[2].nSpeed & 0x0F, 4);
    EXPECT_EQ(pFile->Pad.Mode[2].nBright, 0x50);
    EXPECT_EQ(pFile->Pad.Mode[2].clr[1], 0x123456u);
    const pad::PadBlock held = padDev->GetState().block;
    EXPECT_EQ(held, Expected(held));
    EXPECT_TRUE(r.rig.Backend().Violations().empty());
    EXPECT_TRUE(r.prompt.Entries().empty());
}

TEST(LedDlg, WithoutApplyNowTheKeyboardWaitsForApply)
{
    CMainWindowRig r(DemoCfg({"ApplyNow=0"}));
    ASSERT_TRUE(r.bInitialised);
    auto kb = std::dynamic_pointer_cast<CEmuVaroRgb>(r.Device("kb"));
    ASSERT_TRUE(kb);
    CLedDlg* pLed = LedOf(*r.wnd, DevKind::Keyboard);
    ASSERT_NE(pLed, nullptr);
    // A mode with a speed slider and a colour, other than the current one.
    int nMode = -1;
    for (const LedModeItem& m : pLed->Modes()) {
        const LedControls c = LedControlsOf(LedDesign::Keyboard, m.nIndex);
        if (m.nIndex != pFile->Kb.nLedMode && c.bSpeed && c.nColors > 0 && !c.bGame) {
            nMode = m.nIndex;
            break;
        }
    }
    ASSERT_GE(nMode, 0);
    const auto before = kb->GetState().pages;
    ASSERT_TRUE(pLed->ChooseMode(nMode));
    pLed->ChooseColour(0x0000FF);
    r.Settle();
    EXPECT_EQ(kb->GetState().pages, before);  // nothing written yet
    EXPECT_EQ(r.wnd->Profiles().PartialApplies(), 0);
    ASSERT_TRUE(r.wnd->Apply());
    r.Settle();
    EXPECT_NE(kb->GetState().pages, before);
    EXPECT_EQ(pFile->Kb.nLedMode, nMode);
    EXPECT_EQ(pFile->Kb.Led[nMode].clr[0], 0x0000FFu);
}

TEST(LedDlg, AModeShowsOnlyItsControlsAndTheProfileSwitchReloadsThePage)
{
    CMainWindowRig r(DemoCfg({}));
    ASSERT_TRUE(r.bInitialised);
    CLedDlg* pLed = LedOf(*r.wnd, DevKind::Keyboard);
    ASSERT_NE(pLed, nullptr);
    for (const LedModeItem& m : pLed->Modes()) {
        ASSERT_TRUE(pLed->ChooseMode(m.nIndex));
        const LedControls c = LedControlsOf(LedDesign::Keyboard, m.nIndex);
        EXPECT_EQ(pLed->VisibleColourButtons(), c.nColors) << m.nIndex;
        EXPECT_EQ(!pLed->findChild<QWidget*>(QStringLiteral("led-speed"))->isHidden(), c.bSpeed) << m.nIndex;
    }
    const int nFirst = pFile->Kb.nLedMode;
    ASSERT_TRUE(r.wnd->SwitchProfile(g_ProList.At(1)->nID));
    pFile->Kb.nLedMode = 0;
    ASSERT_TRUE(r.wnd->SwitchProfile(g_ProList.At(0)->nID));
    EXPECT_EQ(pLed->Mode(), nFirst);
}
