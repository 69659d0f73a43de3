// The notice: shown at its start opacity, held, faded out step by step and
// hidden; started again by every new notice; shaped by the picture's key colour.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QTest>
#include <cmath>

#include "MsgTestSupport.h"
#include "ui/skin/NotifyDlg.h"

using namespace msgtest;

namespace {

class NotifyDlgTest : public SkinnedTest {
protected:
    // The opacity the window has, in the 0..255 steps the notice uses.
    static int Applied(const QWidget& w) { return int(std::lround(w.windowOpacity() * 255.0)); }
};

}  // namespace

TEST_F(NotifyDlgTest, HoldsThenFadesInNineteenStepsAndHides)
{
    QWidget main;
    main.setGeometry(200, 100, 1000, 760);
    main.show();
    CNotifyDlg dlg(&main);
    ASSERT_TRUE(dlg.Init());
    EXPECT_EQ(dlg.size(), QSize(360, 220));
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_TRUE(dlg.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(dlg.windowFlags() & Qt::WindowDoesNotAcceptFocus);

    dlg.ShowNotify(QStringLiteral("DPI-2"), QStringLiteral("1600"), QString(), QStringLiteral("1000 Hz"));
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.geometry().center(), main.geometry().center());
    EXPECT_EQ(Applied(dlg), 200);
    EXPECT_TRUE(dlg.IsHolding());
    EXPECT_FALSE(dlg.IsFading());

    dlg.OnHoldEnd();
    EXPECT_FALSE(dlg.IsHolding());
    EXPECT_TRUE(dlg.IsFading());
    std::vector<int> steps;
    while (dlg.isVisible() && steps.size() < 40) {
        dlg.OnFadeStep();
        steps.push_back(Applied(dlg));
    }
    ASSERT_EQ(steps.size(), 19u);
    EXPECT_EQ(steps.front(), 200);
    EXPECT_EQ(steps.back(), 20);
    for (size_t i = 1; i < steps.size(); ++i) EXPECT_EQ(steps[i - 1] - steps[i], 10) << i;
    EXPECT_FALSE(dlg.IsFading());
}

TEST_F(NotifyDlgTest, ANewNoticeDuringTheFadeStartsOver)
{
    CNotifyDlg dlg;
    ASSERT_TRUE(dlg.Init());
    dlg.ShowNotify(QStringLiteral("DPI-1"), QStringLiteral("800"));
    dlg.OnHoldEnd();
    for (int i = 0; i < 8; ++i) dlg.OnFadeStep();
    EXPECT_EQ(dlg.Opacity(), 120);
    dlg.ShowNotify(QStringLiteral("DPI-3"), QStringLiteral("3200"));
    EXPECT_EQ(dlg.Opacity(), 200);
    EXPECT_EQ(Applied(dlg), 200);
    EXPECT_TRUE(dlg.IsHolding());
    EXPECT_FALSE(dlg.IsFading());
    EXPECT_EQ(dlg.Line(1), QStringLiteral("3200"));
}

TEST_F(NotifyDlgTest, ItsOwnTimersCloseIt)
{
    CNotifyDlg dlg;
    dlg.SetPosition(QPoint(50, 60));
    dlg.ShowNotify(QStringLiteral("DPI-1"), QStringLiteral("800"));  // loads its picture itself
    EXPECT_EQ(dlg.pos(), QPoint(50, 60));
    EXPECT_TRUE(dlg.isVisible());
    // 400 ms held and 19 steps of 20 ms: gone well within two seconds.
    QTRY_VERIFY_WITH_TIMEOUT(!dlg.isVisible(), 2000);
    EXPECT_LE(dlg.Opacity(), CNotifyDlg::kFadeStep);
}

TEST_F(NotifyDlgTest, LinesGoInThreeOrFourRowsInTheTextColour)
{
    CNotifyDlg dlg;
    ASSERT_TRUE(dlg.Init());
    dlg.ShowNotify(QStringLiteral("DPI-2"), QStringLiteral("1600"), QString(), QStringLiteral("1000 Hz"));
    const int h = dlg.height();
    EXPECT_EQ(dlg.LineRect(0), QRect(0, 0, dlg.width(), h / 3));
    EXPECT_TRUE(dlg.LineRect(2).isEmpty());
    EXPECT_EQ(dlg.LineRect(3).top(), 2 * (h / 3));
    // The text colour 0xC09D00 (R 0, G 0x9D, B 0xC0) in the first and last rows.
    const QImage img = dlg.grab().toImage().convertToFormat(QImage::Format_RGB32);
    auto textPixels = [&img](const QRect& rc) {
        int n = 0;
        for (int y = rc.top(); y <= rc.bottom(); ++y)
            for (int x = rc.left(); x <= rc.right(); ++x) n += img.pixel(x, y) == qRgb(0x00, 0x9D, 0xC0);
        return n;
    };
    EXPECT_GT(textPixels(dlg.LineRect(0)), 20);
    EXPECT_GT(textPixels(dlg.LineRect(3)), 20);

    dlg.ShowNotify(QStringLiteral("DPI-3"), QStringLiteral("X 3200"), QStringLiteral("Y 1600"),
                   QStringLiteral("500 Hz"));
    EXPECT_EQ(dlg.LineRect(2), QRect(0, 2 * (h / 4), dlg.width(), h / 4));
    EXPECT_EQ(dlg.LineRect(3).top(), 3 * (h / 4));
    // Lines are kept to 259 characters.
    dlg.ShowNotify(QString(300, QLatin1Char('x')), QString());
    EXPECT_EQ(dlg.Line(0).size(), 259);
}

TEST_F(NotifyDlgTest, TheShapeLeavesOutTheKeyColourAndKeysAreSwallowed)
{
    CNotifyDlg dlg;
    ASSERT_TRUE(dlg.Init());
    const QRegion shape = dlg.mask();
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));
    EXPECT_FALSE(shape.contains(QPoint(dlg.width() - 1, dlg.height() - 1)));
    EXPECT_TRUE(shape.contains(QPoint(dlg.width() / 2, dlg.height() / 2)));

    dlg.ShowNotify(QStringLiteral("a"), QStringLiteral("b"));
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    press.ignore();
    QApplication::sendEvent(&dlg, &press);
    EXPECT_TRUE(press.isAccepted());
    EXPECT_TRUE(dlg.isVisible());
}
