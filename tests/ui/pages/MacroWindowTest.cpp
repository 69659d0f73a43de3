// The macro page inside the main window: while the recorder runs the window
// keeps the page, with the message that says why.
#include <gtest/gtest.h>

#include "text/TextCatalogue.h"
#include "ui/mainwnd/MainWindowRig.h"
#include "ui/pages/macro/MacroDlg.h"

using namespace mainwnd_test;

TEST(MacroWindow, RecordingKeepsTheMacroPage)
{
    // The macro list is the program's; the tests after this one start without macros.
    struct ListGuard {
        ~ListGuard() { g_MacroList.Clear(); }
    } guard;
    CMainWindowRig r(DemoCfg({}));
    ASSERT_TRUE(r.bStarted && r.bInitialised);
    CZorvikDlg& w = *r.wnd;
    ASSERT_TRUE(w.ShowPage(5));
    ASSERT_EQ(w.CurrentPageId(), PageId::Macro);
    auto* pPage = qobject_cast<CMacroDlg*>(w.CurrentPageWidget());
    ASSERT_NE(pPage, nullptr);

    r.prompt.QueueText(u"Rec");
    pPage->RunCommand(CMacroDlg::kCmdNew);
    ASSERT_NE(pPage->CurrentMacro(), nullptr);
    pPage->ToggleRecording();
    ASSERT_TRUE(pPage->Recording());
    r.prompt.Clear();
    EXPECT_FALSE(w.ShowPage(1));
    EXPECT_EQ(w.CurrentPageId(), PageId::Macro);
    ASSERT_EQ(r.prompt.Entries().size(), 1u);
    EXPECT_EQ(r.prompt.Entries()[0].text, gText.tc_macro_msg17);

    pPage->ToggleRecording();
    EXPECT_TRUE(w.ShowPage(1));
    EXPECT_NE(w.CurrentPageId(), PageId::Macro);
    // The new macro is in the folder and in the list the key pages offer.
    EXPECT_TRUE(std::filesystem::exists(r.UserDir() / "Mac" / "Rec.mcf"));
    EXPECT_EQ(g_MacroList.Count(), 1);
}
