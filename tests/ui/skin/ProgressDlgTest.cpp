// The apply progress window: positions posted from a worker thread move the
// bar, the worker's end closes the window with its result, and nothing the
// worker posts after the window has gone does harm.
#include <gtest/gtest.h>

#include <QTest>
#include <atomic>
#include <thread>

#include "MsgTestSupport.h"
#include "ui/QtText.h"
#include "ui/skin/PngBtn.h"
#include "ui/skin/ProgressDlg.h"
#include "ui/skin/SkinTheme.h"

using namespace msgtest;

namespace {

class ProgressDlgTest : public SkinnedTest {};

// The fill picture's pixel at the middle of the bar's height, x pixels into the bar.
QRgb BarPixel(CProgressDlg& dlg, int x) { return dlg.grab().toImage().pixel(45 + x, 112); }

}  // namespace

TEST_F(ProgressDlgTest, TheApplyLook)
{
    CProgressDlg dlg(nullptr);
    dlg.PrepareApply();
    EXPECT_EQ(dlg.windowTitle(), ToQString(gText.tc_msg(12)));
    EXPECT_EQ(dlg.size(), QSize(530, 150));
    EXPECT_EQ(dlg.Min(), 0);
    EXPECT_EQ(dlg.Max(), 100);
    EXPECT_EQ(dlg.Pos(), 0);
    EXPECT_EQ(dlg.Text(), ToQString(gText.tc_msg(12)));
    ASSERT_NE(dlg.CloseButton(), nullptr);
    EXPECT_EQ(dlg.FillWidth(), 0);
}

// The progress picture is shared by every skin: a light skin's dark text
// would vanish on it, so the text takes a colour that reads there.
TEST_F(ProgressDlgTest, TheTextReadsOnTheSharedPictureWhateverTheSkinsTextColour)
{
    struct ThemeGuard {
        skin::SkinTheme saved = skin::Theme();
        ~ThemeGuard() { skin::SetTheme(saved); }
    } guard;
    for (const QColor& clrText : {QColor(0x1c, 0x22, 0x2a), QColor(0xc8, 0xcd, 0xd4)}) {
        skin::SkinTheme theme = skin::Theme();
        theme.clrText = clrText;
        skin::SetTheme(theme);
        CProgressDlg dlg(nullptr);
        dlg.PrepareApply();
        const QImage img = dlg.grab().toImage().convertToFormat(QImage::Format_ARGB32);
        const QColor back = QColor::fromRgb(img.pixel(300, 10));  // under the text, right of it
        EXPECT_GE(skin::ContrastRatio(dlg.TextColor(), back), 4.5) << clrText.name().toStdString();
    }
}

TEST_F(ProgressDlgTest, PositionsMoveTheBarAndOutOfRangeGoesToTheStart)
{
    CProgressDlg dlg(nullptr);
    dlg.PrepareApply();
    dlg.show();
    const QRgb empty = BarPixel(dlg, 300);
    struct Case {
        int nPost, nPos, nFill;
    };
    // The bar is 441 pixels: (pos - min) x 441 / (max - min).
    const Case cases[] = {{20, 20, 88}, {50, 50, 220}, {100, 100, 441}, {150, 0, 0}, {-5, 0, 0}, {73, 73, 321}};
    for (const Case& c : cases) {
        dlg.OnSetPos(c.nPost);
        EXPECT_EQ(dlg.Pos(), c.nPos) << c.nPost;
        EXPECT_EQ(dlg.FillWidth(), c.nFill) << c.nPost;
    }
    dlg.OnSetPos(50);
    EXPECT_NE(BarPixel(dlg, 100), empty);  // filled left of the position
    EXPECT_EQ(BarPixel(dlg, 300), empty);  // empty right of it
    dlg.OnSetPos(100);
    EXPECT_NE(BarPixel(dlg, 300), empty);

    // A range of one value, or none, draws no fill rather than dividing by zero.
    dlg.SetRange(5, 5);
    dlg.OnSetPos(5);
    EXPECT_EQ(dlg.FillWidth(), 0);
}

TEST_F(ProgressDlgTest, FollowsAWorkerThreadAndClosesWithItsResult)
{
    for (const bool bSuccess : {true, false}) {
        CProgressDlg dlg(nullptr);
        dlg.PrepareApply();
        std::shared_ptr<CProgressFeed> pFeed = dlg.Feed();
        std::atomic<bool> bGo = false;
        std::vector<int> seen;
        QObject::connect(pFeed.get(), &CProgressFeed::posted, &dlg, [&dlg, &seen](int) { seen.push_back(dlg.Pos()); },
                         Qt::QueuedConnection);
        std::thread worker([pFeed, &bGo, bSuccess] {
            while (!bGo) std::this_thread::yield();
            IMsgTarget& target = *pFeed;
            for (int n : {20, 40, 60, 80, 100}) target.Post(kMsgApplyProgress, uintptr_t(n), 0);
            target.Post(1234, 7, 0);  // not for this window
            pFeed->PostEnd(bSuccess);
        });
        WhenModal([&bGo](QWidget*) { bGo = true; });
        const int nResult = dlg.exec();
        worker.join();
        EXPECT_EQ(nResult, bSuccess ? CProgressDlg::kIdOk : CProgressDlg::kIdFailed);
        EXPECT_EQ(dlg.Pos(), 100);
        EXPECT_EQ(seen, (std::vector<int>{20, 40, 60, 80, 100}));
    }
}

TEST_F(ProgressDlgTest, AJobThatEndsBeforeTheWindowRunsStillEndsIt)
{
    CProgressDlg dlg(nullptr);
    dlg.PrepareApply();
    std::thread([pFeed = dlg.Feed()] {
        pFeed->PostPos(100);
        pFeed->PostEnd(true);
    }).join();
    QApplication::processEvents();  // the end arrives before exec()
    EXPECT_EQ(dlg.exec(), CProgressDlg::kIdOk);
    EXPECT_EQ(dlg.Pos(), 100);

    // Or it arrives once the window runs.
    CProgressDlg dlg2(nullptr);
    dlg2.PrepareApply();
    dlg2.Feed()->PostEnd(false);
    EXPECT_EQ(dlg2.exec(), CProgressDlg::kIdFailed);
}

TEST_F(ProgressDlgTest, KeysDoNotCloseItTheCloseButtonCancels)
{
    CProgressDlg dlg(nullptr);
    dlg.PrepareApply();
    WhenModal([](QWidget* w) {
        for (auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape, Qt::Key_Space}) QTest::keyClick(w, key);
        EXPECT_TRUE(w->isVisible());
        QTest::mouseClick(static_cast<CProgressDlg*>(w)->CloseButton(), Qt::LeftButton);
    });
    EXPECT_EQ(dlg.exec(), CProgressDlg::kIdCancel);
}

TEST_F(ProgressDlgTest, PostsAfterTheWindowHasGoneAreDropped)
{
    std::shared_ptr<CProgressFeed> pFeed;
    {
        CProgressDlg dlg(nullptr);
        dlg.PrepareApply();
        pFeed = dlg.Feed();
        pFeed->PostPos(30);
    }
    std::thread([pFeed] {
        pFeed->PostPos(60);
        pFeed->PostEnd(true);
    }).join();
    QApplication::processEvents();
    // The window's connections went with it: nothing is left that would reach it.
    EXPECT_FALSE(QObject::disconnect(pFeed.get(), &CProgressFeed::posted, nullptr, nullptr));
    EXPECT_FALSE(QObject::disconnect(pFeed.get(), &CProgressFeed::ended, nullptr, nullptr));
    pFeed.reset();  // the last owner: the feed goes too
    QApplication::processEvents();
}

TEST_F(ProgressDlgTest, MissingPicturesAreReportedAndTheWindowDoesNotRun)
{
    CRecordingPrompt prompt;
    skin::SetPrompt(&prompt);
    CProgressDlg dlg(nullptr);
    dlg.SetImages(skin::LoadCommon(QStringLiteral("progress_nr.png")), QImage());
    EXPECT_EQ(dlg.exec(), CProgressDlg::kIdCancel);
    ASSERT_EQ(prompt.Entries().size(), 1u);
    EXPECT_EQ(prompt.Entries()[0].text, u"ProgressDlg skin loss");
}
