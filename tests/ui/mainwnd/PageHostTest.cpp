// The main window as the host of pages: a page is made the first time one of
// its targets is shown and then kept, targets of one group share a page, and
// every page hears of profile switches, language changes, the Apply button,
// modal windows and the device's own reports; its edits are saved and, with
// ApplyNow, written at once.
#include <gtest/gtest.h>

#include <QEvent>

#include "MainWindowRig.h"
#include "emu/mirex/EmuMirex.h"

using namespace mainwnd_test;

namespace {

struct ProbeLog {
    int nMade = 0, nReload = 0, nRetext = 0, nCollect = 0, nBusyOn = 0, nBusyOff = 0, nEvents = 0;
    std::vector<PageId> views;
};
ProbeLog g_log;

class CProbePage : public CPage {
public:
    using CPage::CPage;
    void ShowView(PageId id) override { g_log.views.push_back(id); }
    void Reload() override { ++g_log.nReload; }
    void Retext() override { ++g_log.nRetext; }
    void Collect() override { ++g_log.nCollect; }
    void DeviceEvent(const ::DeviceEvent&) override { ++g_log.nEvents; }
    void SetBusy(bool b) override
    {
        CPage::SetBusy(b);
        ++(b ? g_log.nBusyOn : g_log.nBusyOff);
    }
    CProfileEditor::Result Edit(uint32_t nFlags) { return Edited(nFlags); }
};

template <DevKind K>
CPage* MakeProbe(const PageContext& ctx, QWidget* pParent)
{
    ++g_log.nMade;
    return new CProbePage(ctx, K, pParent);
}

constexpr PageEntry kProbePages[] = {
    {PageId::MouseLighting, "mouse", DevKind::Mouse, &MakeProbe<DevKind::Mouse>},
    {PageId::MouseDpi, "mouse", DevKind::Mouse, &MakeProbe<DevKind::Mouse>},
    {PageId::MouseSettings, "mouse", DevKind::Mouse, &MakeProbe<DevKind::Mouse>},
    {PageId::Macro, "macro", DevKind::None, &MakeProbe<DevKind::None>},
    {PageId::KbLighting, "keyboard", DevKind::Keyboard, &MakeProbe<DevKind::Keyboard>},
    {PageId::KbKeys, "keyboard", DevKind::Keyboard, &MakeProbe<DevKind::Keyboard>},
    {PageId::PadSettings, "pad", DevKind::Pad, &MakeProbe<DevKind::Pad>},
};

}  // namespace

TEST(PageHost, PagesAreMadeOnceAndHearOfEverythingTheWindowDoes)
{
    g_log = {};
    CMainWindowRig r(DemoCfg({"ApplyNow=0"}), {}, kProbePages);
    ASSERT_TRUE(r.bInitialised);
    CZorvikDlg& w = *r.wnd;
    ASSERT_EQ(w.CurrentDevice(), DevKind::Mouse);
    // Start-up showed the keyboard until the mouse was found: two pages so far.
    EXPECT_EQ(g_log.nMade, 2);
    EXPECT_EQ(g_log.views.back(), PageId::MouseLighting);
    g_log.views.clear();
    ASSERT_TRUE(w.ShowPage(2));
    ASSERT_TRUE(w.ShowPage(3));
    EXPECT_EQ(g_log.nMade, 2);  // the mouse's targets share the page
    EXPECT_EQ(g_log.views, (std::vector<PageId>{PageId::MouseDpi, PageId::MouseSettings}));
    ASSERT_TRUE(w.ShowPage(5));
    EXPECT_EQ(g_log.nMade, 3);
    EXPECT_EQ(w.CurrentPageId(), PageId::Macro);
    // A page the table lacks is not shown, and the shown one stays.
    EXPECT_FALSE(w.ShowPage(4));
    EXPECT_EQ(w.CurrentPageId(), PageId::Macro);

    // The shared macro page follows a device switch.
    int nReload = g_log.nReload;
    w.SwitchDevice(DevKind::Keyboard);
    EXPECT_EQ(g_log.nReload, nReload + 1);
    w.SwitchDevice(DevKind::Mouse);

    nReload = g_log.nReload;
    ASSERT_TRUE(w.SwitchProfile(g_ProList.At(1)->nID));
    EXPECT_EQ(g_log.nReload, nReload + 3);  // every page made so far

    const int nRetext = g_log.nRetext;
    QEvent language(QEvent::LanguageChange);
    QCoreApplication::sendEvent(&w, &language);
    EXPECT_EQ(g_log.nRetext, nRetext + 3);

    ASSERT_TRUE(w.Apply());
    EXPECT_EQ(g_log.nCollect, 3);
    EXPECT_EQ(g_log.nBusyOn, 3);
    EXPECT_EQ(g_log.nBusyOff, 3);

    auto mouse = std::dynamic_pointer_cast<CEmuMirex>(r.Device("mirex"));
    ASSERT_TRUE(mouse);
    mouse->PressDpiButton();
    EXPECT_TRUE(Pump([] { return g_log.nEvents == 1; }));  // the mouse page only

    // The page's edit: saved; written at once only with ApplyNow.
    auto* pPage = w.findChild<CProbePage*>(QStringLiteral("page-mouse"));
    ASSERT_NE(pPage, nullptr);
    EXPECT_EQ(pPage->Edit(r.hub->FullApply(0)), CProfileEditor::Result::Saved);
    w.Profiles().SetApplyNow(true);
    EXPECT_EQ(pPage->Edit(r.hub->FullApply(0)), CProfileEditor::Result::Applying);
    r.Settle();
    EXPECT_EQ(w.Profiles().PartialApplies(), 1);
}
