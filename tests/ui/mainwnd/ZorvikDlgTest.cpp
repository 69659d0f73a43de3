// The main window end to end on the emulator: devices found and switched,
// pages made when first shown, apply reaching the virtual device, unplug and
// re-plug, a device's own report shown, the profile list surviving a restart,
// export and import, and the exit paths.
#include <gtest/gtest.h>

#include <QTest>
#include <cstring>

#include "MainWindowRig.h"
#include "core/ProfileRecord.h"
#include "emu/mirex/EmuMirex.h"
#include "keys/FunId.h"
#include "keys/GunPreset.h"
#include "emu/w24g/EmuReceiver.h"
#include "text/TextCatalogue.h"
#include "ui/pages/PageTable.h"
#include "ui/skin/PngBtn.h"

using namespace mainwnd_test;
using test::CTempDir;
using test::WriteBytes;
using test::ReadBytes;
using test::FixtureDir;

namespace {

QWidget* Child(QWidget* pParent, const char* pszName) { return pParent->findChild<QWidget*>(QString::fromLatin1(pszName)); }

void Click(QWidget* pParent, const char* pszName)
{
    QWidget* p = Child(pParent, pszName);
    ASSERT_NE(p, nullptr) << pszName;
    ASSERT_FALSE(p->isHidden()) << pszName;
    QTest::mouseClick(p, Qt::LeftButton, {}, p->rect().center());
}

// The names of the profiles the window lists.
QStringList Names(CMainWindowRig& r) { return r.wnd->ProfileNames(); }

}  // namespace

TEST(ZorvikDlg, FindsTheDevicesAndSwitchesBetweenThem)
{
    CMainWindowRig r(DemoCfg({}));
    ASSERT_TRUE(r.bStarted && r.bInitialised);
    CZorvikDlg& w = *r.wnd;
    // The mouse comes first when it is there, even when the keyboard was found before it.
    EXPECT_EQ(w.CurrentDevice(), DevKind::Mouse);
    EXPECT_EQ(w.SelectorsShown(), (std::vector<DevKind>{DevKind::Mouse, DevKind::Keyboard, DevKind::Pad}));
    EXPECT_EQ(w.CurrentPageId(), PageId::MouseLighting);
    EXPECT_EQ(w.StatusText(), QString::fromStdU16String(gText.tc_msg(14)));

    Click(&w, "device-dev_kb");
    EXPECT_EQ(w.CurrentDevice(), DevKind::Keyboard);
    EXPECT_EQ(w.CurrentPageId(), PageId::KbLighting);
    EXPECT_TRUE(Child(&w, "navi-7-keys") && !Child(&w, "navi-7-keys")->isHidden());
    EXPECT_TRUE(Child(&w, "navi-2")->isHidden());  // the DPI page is the mouse's
    Click(&w, "navi-7-keys");
    EXPECT_EQ(w.CurrentPageId(), PageId::KbKeys);
    // The keyboard's two targets share one page object.
    EXPECT_EQ(w.findChildren<CPage*>(QStringLiteral("page-keyboard")).size(), 1);

    Click(&w, "device-dev_pad");
    EXPECT_EQ(w.CurrentPageId(), PageId::PadSettings);
    EXPECT_FALSE(w.ShowPage(2));  // the pad has no DPI page
    Click(&w, "navi-5");
    EXPECT_EQ(w.CurrentPageId(), PageId::Macro);
    EXPECT_FALSE(Child(&w, "profiles")->isHidden());
    EXPECT_TRUE(r.prompt.Entries().empty());
}

TEST(ZorvikDlg, AKeyboardAloneShowsNoSelectors)
{
    CMainWindowRig r(DemoCfg({"MsFw=0", "PadFw=0"}));
    ASSERT_TRUE(r.bInitialised);
    EXPECT_EQ(r.wnd->CurrentDevice(), DevKind::Keyboard);
    EXPECT_TRUE(r.wnd->SelectorsShown().empty());
    for (const char* psz : {"device-dev_ms", "device-dev_kb", "device-dev_pad"})
        EXPECT_TRUE(Child(r.wnd.get(), psz)->isHidden()) << psz;
}

TEST(ZorvikDlg, ApplyWritesTheChangedProfileToTheShownDevice)
{
    CMainWindowRig r(DemoCfg({}));
    ASSERT_TRUE(r.bInitialised);
    auto mouse = std::dynamic_pointer_cast<CEmuMirex>(r.Device("mirex"));
    ASSERT_TRUE(mouse);
    for (MsModeSettings& m : pFile->Ms.Mode) m.nRate = 0x125;  // rate code 1
    ASSERT_NE(mouse->GetState().block[0][2] & 0x0F, 1);
    Click(r.wnd.get(), "apply");
    r.Settle();
    EXPECT_EQ(mouse->GetState().block[0][2] & 0x0F, 1);
    EXPECT_TRUE(r.prompt.Entries().empty());
    EXPECT_TRUE(r.rig.Backend().Violations().empty());
    // The profile was stored with it.
    EXPECT_TRUE(std::filesystem::exists(r.UserDir() / "pro.dct"));
}

// With the gun preset option on, a gun preset in the second mode without the
// preset switch on another button is refused before anything is written.
TEST(ZorvikDlg, AGunPresetWithoutItsSwitchIsNotApplied)
{
    CMainWindowRig r(DemoCfg({"MsFw=17"}));
    ASSERT_TRUE(r.bInitialised);
    r.wnd->SwitchDevice(DevKind::Mouse);
    SetGunOption(*pFile, true);
    MsModeSettings& mode = pFile->Ms.Mode[1];  // gun presets live in the second mode
    KeyInfo* keys = mode.Key[std::clamp<int>(mode.nKeySet, 0, kMsKeySetNum - 1)];
    keys[3].FunID = kFunGunPreset;
    const size_t nBefore = r.rig.Backend().Journal()->Size();
    EXPECT_FALSE(r.wnd->Apply());
    ASSERT_FALSE(r.prompt.Entries().empty());
    EXPECT_EQ(r.prompt.Entries().back().text, gText.tc_chiji(7));
    r.Settle();
    EXPECT_EQ(r.rig.Backend().Journal()->Size(), nBefore);  // nothing was sent
    // With the switch on another button it goes through.
    keys[4].FunID = kFunGunSwitch;
    r.prompt.Clear();
    EXPECT_TRUE(r.wnd->Apply());
    r.Settle();
    EXPECT_GT(r.rig.Backend().Journal()->Size(), nBefore);
}

TEST(ZorvikDlg, ApplyWithTheDeviceGoneIsRefused)
{
    CMainWindowRig r(DemoCfg({}));
    ASSERT_TRUE(r.bInitialised);
    r.wnd->SwitchDevice(DevKind::Pad);
    r.Device("pad")->Unplug();
    r.Settle();
    ASSERT_TRUE(Pump([&] { return !r.wnd->IsOpen(DevKind::Pad); }));
    r.wnd->SwitchDevice(DevKind::Pad);  // Suwnd: a configured device is still offered
    EXPECT_FALSE(r.wnd->Apply());
    ASSERT_FALSE(r.prompt.Entries().empty());
    EXPECT_EQ(r.prompt.Entries().back().text, gText.tc_msg(13));
}

TEST(ZorvikDlg, UnplugShowsAnotherDeviceAndReplugBringsItBack)
{
    CMainWindowRig r(DemoCfg({"Suwnd=0"}));
    ASSERT_TRUE(r.bInitialised);
    CZorvikDlg& w = *r.wnd;
    ASSERT_EQ(w.CurrentDevice(), DevKind::Mouse);
    r.Device("mirex")->Unplug();
    r.Settle();
    ASSERT_TRUE(Pump([&] { return w.CurrentDevice() == DevKind::Keyboard; }));
    EXPECT_EQ(w.SelectorsShown(), (std::vector<DevKind>{DevKind::Keyboard, DevKind::Pad}));
    r.Device("mirex")->Plug();
    r.Settle();
    ASSERT_TRUE(Pump([&] { return w.IsOpen(DevKind::Mouse); }));
    EXPECT_EQ(w.SelectorsShown(), (std::vector<DevKind>{DevKind::Mouse, DevKind::Keyboard, DevKind::Pad}));
    // The user's choice stays: the keyboard remains shown.
    EXPECT_EQ(w.CurrentDevice(), DevKind::Keyboard);
}

TEST(ZorvikDlg, TheLastDevicePulledEndsTheProgramWhenAsked)
{
    CMainWindowRig r(DemoCfg({"KbFw=0", "PadFw=0", "Suwnd=0", "ExitOnPlugOut=1"}));
    ASSERT_TRUE(r.bInitialised);
    bool bExit = false;
    QObject::connect(r.wnd.get(), &CZorvikDlg::exitRequested, [&] { bExit = true; });
    r.Device("mirex")->Unplug();
    r.Settle();
    EXPECT_TRUE(Pump([&] { return bExit; }));
}

TEST(ZorvikDlg, TheDpiButtonOfTheMouseIsShownAsANotice)
{
    CMainWindowRig r(DemoCfg({"Pop=1"}));
    ASSERT_TRUE(r.bInitialised);
    auto mouse = std::dynamic_pointer_cast<CEmuMirex>(r.Device("mirex"));
    ASSERT_TRUE(mouse);
    bool bShown = false;
    QObject::connect(r.wnd.get(), &CZorvikDlg::deviceEventShown, [&] { bShown = true; });
    const int nBefore = g_nCurDpiLevel[0];
    mouse->PressDpiButton();
    ASSERT_TRUE(Pump([&] { return bShown; }));
    const QStringList lines = r.wnd->LastNotice();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("DPI-"))) << lines[0].toStdString();
    EXPECT_NE(g_nCurDpiLevel[0], nBefore);
    EXPECT_EQ(lines[0], QStringLiteral("DPI-%1").arg(g_nCurDpiLevel[0] + 1));
}

TEST(ZorvikDlg, ProfilesAddRenameDeleteAndSwitchSurviveARestart)
{
    CTempDir user;
    uint32_t nCurrent = 0;
    {
        CMainWindowRig r(DemoCfg({"ProfileNum=2"}), user.Path());
        ASSERT_TRUE(r.bInitialised);
        EXPECT_EQ(Names(r), (QStringList{QStringLiteral("Profile 1"), QStringLiteral("Profile 2")}));
        r.prompt.QueueText(u"Game");
        ASSERT_TRUE(r.wnd->AddProfile());
        r.prompt.QueueText(u"game");  // another letter case is the same name
        EXPECT_FALSE(r.wnd->AddProfile());
        EXPECT_EQ(r.prompt.Entries().back().text, gText.tc_msg(20));
        r.prompt.QueueText(std::nullopt);  // cancelled
        EXPECT_FALSE(r.wnd->AddProfile());
        r.prompt.QueueText(u"Shooter");
        ASSERT_TRUE(r.wnd->RenameProfile());
        ASSERT_TRUE(r.wnd->SwitchProfile(g_ProList.At(1)->nID));
        r.prompt.QueueAnswer(true);
        ASSERT_TRUE(r.wnd->DeleteProfile());
        EXPECT_EQ(Names(r), (QStringList{QStringLiteral("Profile 1"), QStringLiteral("Shooter")}));
        ASSERT_TRUE(r.wnd->SwitchProfile(g_ProList.At(1)->nID));
        nCurrent = pFile->nID;
    }
    CMainWindowRig again(DemoCfg({"ProfileNum=2"}), user.Path());
    ASSERT_TRUE(again.bInitialised);
    EXPECT_EQ(Names(again), (QStringList{QStringLiteral("Profile 1"), QStringLiteral("Shooter")}));
    ASSERT_NE(pFile, nullptr);
    EXPECT_EQ(pFile->nID, nCurrent);
}

TEST(ZorvikDlg, TheLastProfileIsNeverDeleted)
{
    CMainWindowRig r(DemoCfg({"ProfileNum=1"}));
    ASSERT_TRUE(r.bInitialised);
    EXPECT_FALSE(r.wnd->DeleteProfile());
    EXPECT_EQ(g_ProList.Count(), 1);
    EXPECT_EQ(r.prompt.Entries().back().text, u"The last profile cannot be deleted.");
}

TEST(ZorvikDlg, ExportThenImportMakesANewProfile)
{
    CTempDir dir;
    CMainWindowRig r(DemoCfg({}));
    ASSERT_TRUE(r.bInitialised);
    pFile->Ms.Mode[0].nRate = 0x250;
    r.files.strSave = QString::fromStdString((dir.Path() / "Travel.bkm").string());
    ASSERT_TRUE(r.wnd->ExportProfile());
    ASSERT_TRUE(std::filesystem::exists(dir.Path() / "Travel.bkm"));
    const int nBefore = g_ProList.Count();
    r.files.strOpen = r.files.strSave;
    ASSERT_TRUE(r.wnd->ImportProfile());
    EXPECT_EQ(g_ProList.Count(), nBefore + 1);
    EXPECT_EQ(r.wnd->ProfileNames().back(), QStringLiteral("Travel"));
    EXPECT_EQ(pFile->Ms.Mode[0].nRate, 0x250);
    // The same file again: the name is taken now.
    EXPECT_FALSE(r.wnd->ImportProfile());
    EXPECT_EQ(g_ProList.Count(), nBefore + 1);

    // A damaged file is refused with nothing added.
    WriteBytes(dir.Path() / "Broken.bkm", "not a profile");
    r.files.strOpen = QString::fromStdString((dir.Path() / "Broken.bkm").string());
    EXPECT_FALSE(r.wnd->ImportProfile());
    EXPECT_EQ(g_ProList.Count(), nBefore + 1);
}

TEST(ZorvikDlg, ExitStoresTheProfilesAndWithoutATrayTheExitButtonMinimises)
{
    CMainWindowRig r(DemoCfg({"TrayIcon=3"}));
    ASSERT_TRUE(r.bInitialised);
    EXPECT_FALSE(r.wnd->HasTray());  // no tray on this platform (and none in an unattended run)
    r.wnd->show();
    r.wnd->OnExitButton();
    EXPECT_TRUE(r.wnd->isMinimized() || r.wnd->windowState().testFlag(Qt::WindowMinimized));
    bool bExit = false;
    QObject::connect(r.wnd.get(), &CZorvikDlg::exitRequested, [&] { bExit = true; });
    std::filesystem::remove(r.UserDir() / "pro.dct");
    r.wnd->ExitProgram();
    EXPECT_TRUE(bExit);
    EXPECT_TRUE(std::filesystem::exists(r.UserDir() / "pro.dct"));
}

TEST(ZorvikDlg, ADeviceThatCannotBeOpenedNamesTheUdevRuleOnce)
{
    CMainWindowRig r(DemoCfg({}));
    ASSERT_TRUE(r.bInitialised);
    std::shared_ptr<CEmuDevice> pad = r.Device("pad");
    pad->Unplug();
    r.Settle();
    pad->RefuseOpen(true);
    pad->Plug();
    r.Settle();
    ASSERT_TRUE(Pump([&] { return !r.prompt.Entries().empty(); }));
    EXPECT_NE(r.prompt.Entries().back().text.find(u"70-zorvik.rules"), std::u16string::npos);
    r.wnd->SwitchDevice(DevKind::Pad);
    EXPECT_TRUE(r.wnd->StatusText().contains(QStringLiteral("udev rule")));
    // Looked for again: not said twice.
    r.hub->FindLater();
    r.Settle();
    EXPECT_EQ(r.prompt.Entries().size(), 1u);
}

TEST(ZorvikDlg, TheWirelessMouseShowsItsLinkAndBatteryAsTheyChange)
{
    CMainWindowRig r(ReadBytes(FixtureDir() / "cfg" / "wireless5.ini"));
    ASSERT_TRUE(r.bInitialised);
    ASSERT_EQ(r.wnd->CurrentDevice(), DevKind::Mouse);
    auto link = std::dynamic_pointer_cast<CEmuW24Link>(r.Device("receiver"));
    ASSERT_TRUE(link);
    EXPECT_TRUE(r.wnd->StatusText().contains(QStringLiteral("receiver"))) << r.wnd->StatusText().toStdString();
    ASSERT_TRUE(link->Mouse()->SetBattery(35, 3650));
    // What the window's 15-second check asks for.
    r.hub->ReadLinkLater(r.wnd->FamilyOf(DevKind::Mouse));
    r.Settle();
    EXPECT_TRUE(Pump([&] { return r.wnd->StatusText().contains(QStringLiteral("35%")); }))
        << r.wnd->StatusText().toStdString();
}

TEST(ZorvikDlg, ResetAnsweredNoChangesNothingAndYesWritesTheDefaults)
{
    CMainWindowRig r(DemoCfg({}));
    ASSERT_TRUE(r.bInitialised);
    auto mouse = std::dynamic_pointer_cast<CEmuMirex>(r.Device("mirex"));
    ASSERT_TRUE(mouse);
    for (MsModeSettings& m : pFile->Ms.Mode) m.nRate = 0x125;
    ASSERT_TRUE(r.wnd->Apply());
    r.Settle();
    ASSERT_EQ(mouse->GetState().block[0][2] & 0x0F, 1);
    const ProfileRecord before = *pFile;

    r.prompt.QueueAnswer(false);
    EXPECT_FALSE(r.wnd->Reset());
    EXPECT_EQ(std::memcmp(&before, pFile, sizeof before), 0);
    EXPECT_EQ(mouse->GetState().block[0][2] & 0x0F, 1);

    r.prompt.QueueAnswer(true);
    EXPECT_TRUE(r.wnd->Reset());
    r.Settle();
    EXPECT_NE(pFile->Ms.Mode[0].nRate, 0x125);
    EXPECT_NE(mouse->GetState().block[0][2] & 0x0F, 1);
    EXPECT_EQ(r.prompt.Entries().back().text, gText.tc_msg(7));
}
