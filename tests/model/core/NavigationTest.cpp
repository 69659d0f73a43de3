// The main window's decisions as tables: buttons and pages per device, the
// device shown at start and after an unplug, the exit button, the scale.
#include <gtest/gtest.h>

#include "core/Navigation.h"

namespace {

using B = NavButton;

NavOptions All()
{
    NavOptions o;
    o.bMouse = o.bKeyboard = o.bPad = true;
    o.nMsFw = 0x12;  // wired, with bullets
    o.nKbFw = 22;
    return o;
}

TEST(Navigation, ButtonsFollowTheDeviceAndItsOptions)
{
    const struct {
        const char* what;
        DevKind dev;
        NavOptions opt;
        std::vector<B> expect;
    } cases[] = {
        {"mouse with bullets", DevKind::Mouse, All(), {B::Lighting, B::Dpi, B::Settings, B::Macro, B::Bullet}},
        {"mouse without lighting or bullets, with lift-off page", DevKind::Mouse,
         [] { NavOptions o = All(); o.bShowLed = false; o.nMsFw = 0x02; o.bShowLod = true; return o; }(),
         {B::Dpi, B::Settings, B::Macro, B::LiftOff}},
        {"keyboard", DevKind::Keyboard, All(), {B::KbKeys, B::Lighting, B::Macro}},
        {"keyboard with support and music it reported", DevKind::Keyboard,
         [] { NavOptions o = All(); o.bShowSupport = o.bShowMusic = o.bMusicSupport = true; return o; }(),
         {B::KbKeys, B::Lighting, B::Macro, B::Support, B::Music}},
        {"music asked for but not reported", DevKind::Keyboard,
         [] { NavOptions o = All(); o.bShowMusic = true; return o; }(), {B::KbKeys, B::Lighting, B::Macro}},
        {"a family without music frames", DevKind::Keyboard,
         [] { NavOptions o = All(); o.nKbFw = 21; o.bShowMusic = o.bMusicSupport = true; return o; }(),
         {B::KbKeys, B::Lighting, B::Macro}},
        {"pad", DevKind::Pad, All(), {B::Lighting, B::Macro}},
        {"nothing", DevKind::None, All(), {}},
    };
    for (const auto& c : cases) EXPECT_EQ(NavigationOf(c.dev, c.opt), c.expect) << c.what;
}

TEST(Navigation, PagesExistOnlyWhereTheDeviceHasTheButton)
{
    NavOptions o = All();
    o.bShowSupport = o.bShowMusic = o.bMusicSupport = true;
    const struct {
        DevKind dev;
        int n;
        PageId expect;
    } cases[] = {
        {DevKind::Mouse, 1, PageId::MouseLighting}, {DevKind::Mouse, 2, PageId::MouseDpi},
        {DevKind::Mouse, 3, PageId::MouseSettings}, {DevKind::Mouse, 4, PageId::None},
        {DevKind::Mouse, 5, PageId::Macro},         {DevKind::Mouse, 6, PageId::Bullet},
        {DevKind::Mouse, 7, PageId::None},          {DevKind::Keyboard, 1, PageId::KbLighting},
        {DevKind::Keyboard, 2, PageId::None},       {DevKind::Keyboard, 5, PageId::Macro},
        {DevKind::Keyboard, 7, PageId::KbKeys},     {DevKind::Keyboard, 8, PageId::Support},
        {DevKind::Keyboard, 9, PageId::Music},      {DevKind::Pad, 1, PageId::PadSettings},
        {DevKind::Pad, 5, PageId::Macro},           {DevKind::Pad, 6, PageId::None},
    };
    for (const auto& c : cases) EXPECT_EQ(PageFor(c.dev, c.n, o), c.expect) << int(c.dev) << " page " << c.n;

    EXPECT_EQ(FirstPageOf(DevKind::Keyboard, o), 1);
    o.bShowLed = false;
    EXPECT_EQ(PageFor(DevKind::Mouse, 1, o), PageId::None);
    EXPECT_EQ(FirstPageOf(DevKind::Mouse, o), 2) << "a mouse without lighting opens on its DPI page";
    EXPECT_FALSE(ShowsProfiles(8));
    EXPECT_FALSE(ShowsProfiles(9));
    EXPECT_TRUE(ShowsProfiles(5));
}

TEST(Navigation, DeviceShownAtStartAndAfterAnUnplug)
{
    const NavOptions all = All();
    NavOptions kbOnly;
    kbOnly.bKeyboard = true;
    NavOptions padOnly;
    padOnly.bPad = true;
    const struct {
        const char* what;
        NavOptions opt;
        DevOpen open;
        DevKind expect;
    } start[] = {
        {"mouse open", all, {true, true, true}, DevKind::Mouse},
        {"keyboard open", all, {false, true, true}, DevKind::Keyboard},
        {"only the pad open", all, {false, false, true}, DevKind::Pad},
        {"none open: the keyboard", all, {}, DevKind::Keyboard},
        {"keyboard-only installation", kbOnly, {}, DevKind::Keyboard},
        {"pad-only installation, unplugged", padOnly, {}, DevKind::Pad},
    };
    for (const auto& c : start) EXPECT_EQ(FirstDevice(c.opt, c.open), c.expect) << c.what;

    const struct {
        const char* what;
        DevKind shown;
        DevOpen open;
        DevKind expect;
    } removal[] = {
        {"shown device still open", DevKind::Keyboard, {true, true, false}, DevKind::Keyboard},
        {"mouse gone, keyboard and pad left", DevKind::Mouse, {false, true, true}, DevKind::Keyboard},
        {"only the pad left", DevKind::Keyboard, {false, false, true}, DevKind::Pad},
        {"nothing left: the view stays", DevKind::Mouse, {}, DevKind::Mouse},
    };
    for (const auto& c : removal) EXPECT_EQ(ViewAfterRemoval(c.shown, c.open), c.expect) << c.what;
}

TEST(Navigation, SelectorsOnlyWithSeveralFamilies)
{
    NavOptions o = All();
    EXPECT_EQ(SelectorsShown(o, {true, false, true}), (std::vector<DevKind>{DevKind::Mouse, DevKind::Pad}));
    o.bSuwnd = true;
    EXPECT_EQ(SelectorsShown(o, {}), (std::vector<DevKind>{DevKind::Mouse, DevKind::Keyboard, DevKind::Pad}));
    NavOptions one;
    one.bKeyboard = true;
    one.bSuwnd = true;
    EXPECT_TRUE(SelectorsShown(one, {false, true, false}).empty());
}

TEST(Navigation, ExitButton)
{
    const struct {
        bool bSupport;
        int nClose, nTray;
        bool bTrayVisible;
        ExitAction expect;
    } cases[] = {
        {true, 0, 1, true, ExitAction::Quit},       {true, 1, 0, true, ExitAction::HideToTray},
        {false, 1, 0, true, ExitAction::Quit},      {false, 0, 1, true, ExitAction::HideToTray},
        {false, 0, 3, true, ExitAction::HideToTray}, {false, 0, 2, true, ExitAction::Quit},
        {false, 0, 1, false, ExitAction::Minimise}, {true, 1, 0, false, ExitAction::Minimise},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExitButtonAction(c.bSupport, c.nClose, c.nTray, c.bTrayVisible), c.expect)
            << c.bSupport << c.nClose << c.nTray << c.bTrayVisible;
}

TEST(Navigation, ScaleByScreenWidth)
{
    const struct {
        int nWidth;
        double dScale;
        int nFont, nWeight;
    } cases[] = {{1920, 1.0, 0, 600}, {2499, 1.0, 0, 600}, {2500, 1.4, 1, 600}, {2799, 1.4, 1, 600},
                 {2800, 1.5, 1, 600}, {3499, 1.5, 1, 600}, {3500, 1.9, 2, 700}};
    for (const auto& c : cases) {
        const UiScale s = ScaleForScreen(c.nWidth);
        EXPECT_DOUBLE_EQ(s.dScale, c.dScale) << c.nWidth;
        EXPECT_EQ(s.nFontIndex, c.nFont) << c.nWidth;
        EXPECT_EQ(s.nWeight, c.nWeight) << c.nWidth;
        EXPECT_EQ(s.bHighDpi, c.nWidth >= 2500) << c.nWidth;
    }
}

}  // namespace
