// The drawn slider over a list of values: clicks, drags, keys, what it reports
// and draws, and its guards.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "SkinTestSupport.h"
#include "ui/skin/MSliderBar.h"

using namespace skintest;

namespace {

constexpr QRgb kThumb = 0xFFFFFFFF;

// Five values on a 200-pixel track with a 10-pixel thumb: positions 5, 52, 100, 147, 195.
class MSliderBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_page.resize(260, 60);
        m_page.show();
        m_pBar = new CMSliderBar(&m_page, QRect(10, 10, 200, 20), Solid(10, 10, kThumb));
        m_pBar->SetPrompt(&m_prompt);
        m_pBar->SetColors(0x0000FF, 0x00FF00);  // red track, green fill
        m_pBar->SetBackFill(0x101010);
        m_pBar->show();
        const int values[] = {100, 200, 400, 800, 1600};
        ASSERT_TRUE(m_pBar->SetValues(values));
    }
    void Press(int x) { QTest::mousePress(m_pBar, Qt::LeftButton, {}, QPoint(x, 10)); }
    void Move(int x) { QTest::mouseMove(m_pBar, QPoint(x, 10)); }
    void Release(int x) { QTest::mouseRelease(m_pBar, Qt::LeftButton, {}, QPoint(x, 10)); }

    CGlobalsGuard m_guard;
    CRecordingPrompt m_prompt;
    QWidget m_page;
    CMSliderBar* m_pBar = nullptr;
};

}  // namespace

TEST_F(MSliderBarTest, PositionsSpreadOverTheTrack)
{
    EXPECT_EQ(m_pBar->Track(), QRect(0, 8, 200, 3));
    EXPECT_EQ(m_pBar->Positions(), (std::vector<int>{5, 52, 100, 147, 195}));
    EXPECT_EQ(m_pBar->SelectedValue(), 100);
    EXPECT_EQ(m_pBar->ThumbX(), 5);
    EXPECT_TRUE(m_pBar->SelectValue(800));
    EXPECT_EQ(m_pBar->value(), 3);  // Qt's value is the position in the list
    EXPECT_EQ(m_pBar->ThumbX(), 147);
    EXPECT_FALSE(m_pBar->SelectValue(300));
    EXPECT_EQ(m_pBar->SelectedValue(), 800);
}

TEST_F(MSliderBarTest, ClickWithoutMovingTakesTheNearestValueTiesGoLow)
{
    m_pBar->SelectValue(1600);
    QSignalSpy released(m_pBar, &CMSliderBar::released);
    QSignalSpy moving(m_pBar, &CMSliderBar::moving);
    Press(76);    // between 52 and 100: the lower index
    Release(76);
    ASSERT_EQ(released.count(), 1);
    EXPECT_EQ(released[0][0].toInt(), 200);
    EXPECT_EQ(released[0].size(), 1);  // the value alone
    EXPECT_EQ(m_pBar->ThumbX(), 52);
    EXPECT_EQ(moving.count(), 0);
    Press(60);    // the same value again: nothing
    Release(60);
    EXPECT_EQ(released.count(), 1);
}

TEST_F(MSliderBarTest, DragReportsEachNewValueAndTheReleaseOnlyAChange)
{
    QSignalSpy released(m_pBar, &CMSliderBar::released);
    QSignalSpy moving(m_pBar, &CMSliderBar::moving);
    Press(8);      // grabbed 3 pixels right of the thumb centre
    Move(40);      // thumb at 37
    EXPECT_EQ(m_pBar->ThumbX(), 37);
    ASSERT_EQ(moving.count(), 1);
    EXPECT_EQ(moving[0][0].toInt(), 200);
    Move(500);     // held inside the track
    EXPECT_EQ(m_pBar->ThumbX(), 195);
    Move(-500);
    EXPECT_EQ(m_pBar->ThumbX(), 5);
    ASSERT_EQ(moving.count(), 3);
    EXPECT_EQ(moving[1][0].toInt(), 1600);
    EXPECT_EQ(moving[2][0].toInt(), 100);
    EXPECT_EQ(released.count(), 0);
    Move(153);     // thumb at 150
    Release(153);
    ASSERT_EQ(released.count(), 1);
    EXPECT_EQ(released[0][0].toInt(), 800);
    EXPECT_EQ(m_pBar->ThumbX(), 147);
    // Live reports can be switched off.
    m_pBar->SetLiveNotify(false);
    Press(147);
    Move(20);
    Release(20);
    EXPECT_EQ(moving.count(), 4);
    EXPECT_EQ(released.count(), 2);
}

TEST_F(MSliderBarTest, KeysAndWheelStepThroughTheValues)
{
    QSignalSpy released(m_pBar, &CMSliderBar::released);
    m_pBar->setFocus(Qt::TabFocusReason);
    QTest::keyClick(m_pBar, Qt::Key_Right);
    EXPECT_EQ(m_pBar->SelectedValue(), 200);
    QTest::keyClick(m_pBar, Qt::Key_End);
    EXPECT_EQ(m_pBar->SelectedValue(), 1600);
    QTest::keyClick(m_pBar, Qt::Key_Up);
    EXPECT_EQ(m_pBar->SelectedValue(), 1600);
    QTest::keyClick(m_pBar, Qt::Key_Home);
    EXPECT_EQ(m_pBar->SelectedValue(), 100);
    EXPECT_EQ(released.count(), 3);
    Wheel(m_pBar, 240);
    EXPECT_EQ(m_pBar->SelectedValue(), 400);
    EXPECT_EQ(m_pBar->ThumbX(), 100);
    EXPECT_EQ(released.count(), 4);
}

TEST_F(MSliderBarTest, RangeListsAndGuards)
{
    m_pBar->SetValueRange(1, 1);
    EXPECT_EQ(m_pBar->Positions(), std::vector<int>{5});
    m_pBar->SetValueRange(-3, 3);
    EXPECT_EQ(m_pBar->Values(), (std::vector<int>{-3, -2, -1, 0, 1, 2, 3}));
    const std::vector<int> tooMany(601, 7);
    EXPECT_FALSE(m_pBar->SetValues(tooMany));
    EXPECT_EQ(m_pBar->Values().size(), 7u);
    EXPECT_TRUE(m_prompt.Entries().empty());
    // Pressed without values: a message, and nothing moves.
    EXPECT_TRUE(m_pBar->SetValues({}));
    QSignalSpy released(m_pBar, &CMSliderBar::released);
    Press(50);
    Move(80);
    Release(80);
    ASSERT_EQ(m_prompt.Entries().size(), 1u);
    EXPECT_EQ(m_prompt.Entries()[0].text, u"m_nItemNum<=0");
    EXPECT_EQ(released.count(), 0);
    EXPECT_EQ(m_pBar->SelectedValue(), 0);
}

TEST_F(MSliderBarTest, ScaleAppliesOnce)
{
    m_pBar->SelectValue(800);
    m_pBar->SetScale(1.5f);
    EXPECT_EQ(m_pBar->geometry(), QRect(15, 15, 300, 30));
    EXPECT_EQ(m_pBar->Track(), QRect(0, 12, 300, 4));
    EXPECT_EQ(m_pBar->ThumbWidth(), 15);
    EXPECT_EQ(m_pBar->Positions().front(), 7);
    EXPECT_EQ(m_pBar->Positions().back(), 292);
    EXPECT_EQ(m_pBar->SelectedValue(), 800);
    EXPECT_EQ(m_pBar->ThumbX(), m_pBar->Positions()[3]);
    m_pBar->SetScale(1.5f);
    EXPECT_EQ(m_pBar->geometry(), QRect(15, 15, 300, 30));
}

TEST_F(MSliderBarTest, DrawsFillLeftOfTheThumbAndTrackRightOfIt)
{
    m_pBar->SelectValue(400);  // thumb centre 100
    QImage img = m_pBar->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(img.pixel(50, 9) | 0, 0xFF00FF00u);
    EXPECT_EQ(img.pixel(150, 9) | 0, 0xFFFF0000u);
    EXPECT_EQ(img.pixel(100, 2) | 0, kThumb);
    EXPECT_EQ(img.pixel(150, 2) | 0, 0xFF101010u);
    // No fill colour: the track colour runs under the thumb too.
    m_pBar->SetColors(0x0000FF, 0);
    img = m_pBar->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(img.pixel(50, 9) | 0, 0xFFFF0000u);
    // A page background piece replaces the plain fill.
    QImage page = Solid(300, 100, 0xFF445566);
    m_pBar->SetBackground(page, m_pBar->geometry());
    img = m_pBar->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(img.pixel(150, 2) | 0, 0xFF445566u);
}
