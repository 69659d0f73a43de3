// The image slider as a user drags, clicks, types and scrolls it: values,
// thumb positions, the filled track and what it reports.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "SkinTestSupport.h"
#include "ui/QtText.h"
#include "ui/skin/PngSliderBar.h"

using namespace skintest;

namespace {

constexpr QRgb kTrack = 0xFF303030, kFill = 0xFF00A0FF, kThumb = 0xFFFFFFFF, kMark = 0xFFFF0000;

// Range 0..4 on a 200-pixel bar with a 10-pixel thumb: positions 5, 52, 100, 147, 195.
class PngSliderBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_page.resize(260, 60);
        m_page.show();
        m_pBar = new CPngSliderBar(&m_page);
        m_pBar->setGeometry(10, 10, 200, 10);
        m_pBar->SetPrompt(&m_prompt);
        m_pBar->SetImages(Solid(200, 10, kTrack), Solid(200, 10, kFill), Solid(10, 10, kThumb), QImage());
        m_pBar->setRange(0, 4);
        m_pBar->SetLiveNotify(true);
        m_pBar->ComputeScale();
        m_pBar->SelectValue(0);
        m_pBar->show();
        m_pThumb = m_pBar->Thumb();
    }
    // The pointer, pressed on the thumb's centre, moves to x on the bar.
    void Press() { QTest::mousePress(m_pThumb, Qt::LeftButton, {}, QPoint(5, 5)); }
    void MoveTo(int x) { QTest::mouseMove(m_pThumb, QPoint(x - m_pThumb->x(), 5)); }
    void Release() { QTest::mouseRelease(m_pThumb, Qt::LeftButton, {}, QPoint(5, 5)); }

    CGlobalsGuard m_guard;
    CRecordingPrompt m_prompt;
    QWidget m_page;
    CPngSliderBar* m_pBar = nullptr;
    CPngSlider* m_pThumb = nullptr;
};

}  // namespace

TEST_F(PngSliderBarTest, ValuesSitAtTheirScalePositions)
{
    EXPECT_EQ(m_pBar->ScalePos(), (std::vector<int>{5, 52, 100, 147, 195}));
    EXPECT_TRUE(m_prompt.Entries().empty());
    m_pBar->SelectValue(3);
    EXPECT_EQ(m_pBar->SelectedValue(), 3);
    EXPECT_EQ(m_pThumb->x(), 142);
    EXPECT_EQ(m_pBar->PosOf(3), 148);
    EXPECT_EQ(m_pBar->FillLen(), 148);
    EXPECT_EQ(m_pBar->PosOf(5), -1);
    EXPECT_FALSE(m_pBar->SelectValue(9));  // outside the range: the low end
    EXPECT_EQ(m_pBar->SelectedValue(), 0);
    EXPECT_EQ(m_pThumb->x(), 0);
    // A value set by the program reports none of the user's signals; Qt's valueChanged does go out.
    QSignalSpy released(m_pBar, &CPngSliderBar::released);
    QSignalSpy changed(m_pBar, &QAbstractSlider::valueChanged);
    EXPECT_TRUE(m_pBar->SelectValue(2));
    EXPECT_EQ(released.count(), 0);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toInt(), 2);
}

TEST_F(PngSliderBarTest, DragStaysInsideTheBarAndOnlyTheReleaseReportsAChange)
{
    QSignalSpy moving(m_pBar, &CPngSliderBar::moving);
    QSignalSpy released(m_pBar, &CPngSliderBar::released);
    Press();
    MoveTo(-100);
    EXPECT_EQ(m_pThumb->x(), 0);
    // The first value of a drag is reported even when it is 0.
    ASSERT_EQ(moving.count(), 1);
    EXPECT_EQ(moving[0][0].toInt(), 0);
    EXPECT_EQ(moving[0].size(), 1);  // the value alone
    MoveTo(120);
    EXPECT_EQ(m_pThumb->x(), 115);
    EXPECT_EQ(m_pBar->FillLen(), 115);   // the fill follows the thumb's edge while dragging
    MoveTo(121);                         // same value: nothing new
    MoveTo(500);
    EXPECT_EQ(m_pThumb->x(), 190);
    ASSERT_EQ(moving.count(), 3);
    EXPECT_EQ(moving[1][0].toInt(), 2);
    EXPECT_EQ(moving[2][0].toInt(), 4);
    EXPECT_EQ(released.count(), 0);
    Release();
    ASSERT_EQ(released.count(), 1);
    EXPECT_EQ(released[0][0].toInt(), 4);
    EXPECT_EQ(m_pBar->SelectedValue(), 4);
    EXPECT_EQ(m_pThumb->x(), 190);
    EXPECT_EQ(m_pBar->FillLen(), 196);   // snapped: the value's centre + 1

    // A drag that ends on the value it started from reports no change.
    Press();
    MoveTo(60);
    MoveTo(195);
    Release();
    EXPECT_EQ(released.count(), 1);
    EXPECT_EQ(moving.count(), 5);
}

TEST_F(PngSliderBarTest, ReleaseExactlyBetweenTwoPositionsTakesTheHigherValue)
{
    QSignalSpy released(m_pBar, &CPngSliderBar::released);
    Press();
    MoveTo(76);  // 52 and 100 are both 24 away
    Release();
    ASSERT_EQ(released.count(), 1);
    EXPECT_EQ(released[0][0].toInt(), 2);
    EXPECT_EQ(m_pThumb->x(), 95);
}

TEST_F(PngSliderBarTest, ClickOnTheTrackMovesThereAndReportsOnlyAChange)
{
    QSignalSpy released(m_pBar, &CPngSliderBar::released);
    QTest::mouseClick(m_pBar, Qt::LeftButton, {}, QPoint(150, 5));
    ASSERT_EQ(released.count(), 1);
    EXPECT_EQ(released[0][0].toInt(), 3);
    EXPECT_EQ(m_pThumb->x(), 142);
    EXPECT_EQ(m_pBar->FillLen(), 148);
    QTest::mouseClick(m_pBar, Qt::LeftButton, {}, QPoint(160, 5));  // still value 3
    EXPECT_EQ(released.count(), 1);
    QTest::mouseClick(m_pBar, Qt::RightButton, {}, QPoint(10, 5));  // other buttons do nothing
    EXPECT_EQ(m_pBar->SelectedValue(), 3);
}

TEST_F(PngSliderBarTest, KeysAndWheelStepTheValue)
{
    QSignalSpy released(m_pBar, &CPngSliderBar::released);
    m_pBar->setFocus(Qt::TabFocusReason);
    struct Step { int nKey; int nExpected; };
    const Step steps[] = {
        {Qt::Key_Right, 1}, {Qt::Key_Up, 2}, {Qt::Key_Left, 1}, {Qt::Key_End, 4},
        {Qt::Key_Right, 4}, {Qt::Key_PageDown, 3}, {Qt::Key_Home, 0}, {Qt::Key_Down, 0}, {Qt::Key_PageUp, 1},
    };
    int nReports = 0;
    int nBefore = 0;
    for (const Step& s : steps) {
        QTest::keyClick(m_pBar, Qt::Key(s.nKey));
        EXPECT_EQ(m_pBar->SelectedValue(), s.nExpected) << s.nKey;
        if (s.nExpected != nBefore) ++nReports;
        nBefore = s.nExpected;
        EXPECT_EQ(released.count(), nReports) << s.nKey;
    }
    Wheel(m_pBar, 120);
    EXPECT_EQ(m_pBar->SelectedValue(), 2);
    Wheel(m_pBar, 60);   // half a notch: not yet
    EXPECT_EQ(m_pBar->SelectedValue(), 2);
    Wheel(m_pBar, 60);
    EXPECT_EQ(m_pBar->SelectedValue(), 3);
    Wheel(m_pBar, -600);
    EXPECT_EQ(m_pBar->SelectedValue(), 0);
    EXPECT_EQ(released.back()[0].toInt(), 0);
}

TEST_F(PngSliderBarTest, MisfitScalePositionsAreReportedButUsed)
{
    const std::vector<int> three{10, 100, 190};
    m_pBar->SetScalePos(three);
    ASSERT_EQ(m_prompt.Entries().size(), 1u);
    EXPECT_EQ(m_prompt.Entries()[0].text, u"CPngSlider::SetScalePos  dwScale and Range unmatch!");
    EXPECT_EQ(m_prompt.Entries()[0].caption, u"Warning");
    EXPECT_EQ(m_pBar->ScalePos(), three);
    // Values past the given positions fall back to even spacing and stay usable.
    m_pBar->SelectValue(4);
    EXPECT_EQ(m_pBar->PosOf(4), 201);
    // More values than the bar has pixels for.
    m_prompt.Clear();
    m_pBar->setRange(0, 300);
    m_pBar->setGeometry(10, 10, 8, 10);
    m_pBar->ComputeScale();
    ASSERT_FALSE(m_prompt.Entries().empty());
    EXPECT_EQ(m_prompt.Entries()[0].text, u"Scale num too much");
}

TEST_F(PngSliderBarTest, DrawsTrackFillMarksAndThumb)
{
    m_pBar->SetMarkImage(Solid(3, 3, kMark));
    m_pBar->SelectValue(2);  // thumb 95..104, fill up to 101
    QImage img = m_page.grab(QRect(10, 10, 200, 10)).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(img.pixel(30, 1) | 0, kFill);
    EXPECT_EQ(img.pixel(94, 1) | 0, kFill);
    EXPECT_EQ(img.pixel(100, 1) | 0, kThumb);
    EXPECT_EQ(img.pixel(120, 1) | 0, kTrack);
    // Marks centred on each position at half the height - 1.
    EXPECT_EQ(img.pixel(147, 4) | 0, kMark);
    EXPECT_EQ(img.pixel(195, 5) | 0, kMark);
    EXPECT_EQ(img.pixel(147, 8) | 0, kTrack);
    // Without a fill image nothing is filled.
    m_pBar->SetImages(Solid(200, 10, kTrack), QImage(), QImage(), QImage());
    EXPECT_FALSE(m_pBar->HasFill());
    img = m_page.grab(QRect(10, 10, 200, 10)).toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(img.pixel(30, 1) | 0, kTrack);
    EXPECT_EQ(img.pixel(100, 1) | 0, kThumb);  // the old thumb is kept
}

TEST_F(PngSliderBarTest, TrackIsComposedOverThePageBackgroundAtItsOffset)
{
    m_pBar->SetTrackOffset(QPoint(0, 4));
    m_pBar->SetImages(Solid(200, 2, kTrack), QImage(), QImage(), Solid(200, 10, 0xFF112233));
    const QImage& track = m_pBar->TrackImage();
    ASSERT_EQ(track.size(), QSize(200, 10));
    EXPECT_EQ(track.pixel(150, 0) | 0, 0xFF112233u);
    EXPECT_EQ(track.pixel(150, 4) | 0, kTrack);
    EXPECT_EQ(track.pixel(150, 7) | 0, 0xFF112233u);
}
