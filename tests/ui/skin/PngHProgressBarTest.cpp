// The progress bar: how much fill it shows, out-of-range positions, dragging.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "SkinTestSupport.h"
#include "ui/skin/PngHProgressBar.h"

using namespace skintest;

namespace {

constexpr QRgb kBack = 0xFF202020, kFill = 0xFF20C020;

class PngHProgressBarTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_page.resize(400, 100);
        m_page.show();
        m_pBar = new CPngHProgressBar(&m_page, Solid(320, 30, kBack), Solid(320, 30, kFill), QRect(20, 20, 300, 20));
        m_pBar->show();
    }
    QImage Shot() { return m_pBar->grab().toImage().convertToFormat(QImage::Format_ARGB32); }

    CGlobalsGuard m_guard;
    QWidget m_page;
    CPngHProgressBar* m_pBar = nullptr;
};

}  // namespace

TEST_F(PngHProgressBarTest, FillGrowsWithThePosition)
{
    EXPECT_EQ(m_pBar->Min(), 1);
    EXPECT_EQ(m_pBar->Max(), 100);
    EXPECT_EQ(m_pBar->Pos(), 0);
    EXPECT_EQ(m_pBar->FillWidth(), 0);
    EXPECT_EQ(Shot().pixel(0, 10) | 0, kBack);
    m_pBar->SetPos(50);
    EXPECT_EQ(m_pBar->FillWidth(), 148);
    QImage img = Shot();
    EXPECT_EQ(img.pixel(0, 10) | 0, kFill);
    EXPECT_EQ(img.pixel(147, 19) | 0, kFill);
    EXPECT_EQ(img.pixel(148, 10) | 0, kBack);
    m_pBar->SetPos(100);
    EXPECT_EQ(Shot().pixel(299, 10) | 0, kFill);
    // Outside the range: the minimum, so nothing is filled.
    m_pBar->SetPos(101);
    EXPECT_EQ(m_pBar->Pos(), 1);
    EXPECT_EQ(Shot().pixel(0, 10) | 0, kBack);
}

TEST_F(PngHProgressBarTest, DraggingSetsThePositionAndReportsTheEnd)
{
    QSignalSpy ended(m_pBar, &CPngHProgressBar::dragEnded);
    QTest::mousePress(m_pBar, Qt::LeftButton, {}, QPoint(30, 10));
    QTest::mouseMove(m_pBar, QPoint(150, 10));
    EXPECT_EQ(m_pBar->Pos(), 50);
    QTest::mouseMove(m_pBar, QPoint(900, 10));
    EXPECT_EQ(m_pBar->Pos(), 100);
    EXPECT_EQ(ended.count(), 0);
    QTest::mouseRelease(m_pBar, Qt::LeftButton, {}, QPoint(150, 10));
    ASSERT_EQ(ended.count(), 1);
    EXPECT_EQ(ended[0][0].toInt(), 51);
    EXPECT_EQ(ended[0].size(), 1);  // the position alone
    EXPECT_EQ(m_pBar->Pos(), 51);
    EXPECT_FALSE(m_pBar->IsDragging());
}

TEST_F(PngHProgressBarTest, ABarThatOnlyShowsProgressIgnoresThePointer)
{
    m_pBar->SetDraggable(false);
    m_pBar->SetPos(20);
    QSignalSpy ended(m_pBar, &CPngHProgressBar::dragEnded);
    QTest::mousePress(m_pBar, Qt::LeftButton, {}, QPoint(30, 10));
    QTest::mouseMove(m_pBar, QPoint(250, 10));
    QTest::mouseRelease(m_pBar, Qt::LeftButton, {}, QPoint(250, 10));
    EXPECT_EQ(ended.count(), 0);
    EXPECT_EQ(m_pBar->Pos(), 20);
}

TEST_F(PngHProgressBarTest, HidingTheBarEndsADragWithoutAReport)
{
    QSignalSpy ended(m_pBar, &CPngHProgressBar::dragEnded);
    QTest::mousePress(m_pBar, Qt::LeftButton, {}, QPoint(30, 10));
    ASSERT_TRUE(m_pBar->IsDragging());
    m_pBar->hide();
    EXPECT_FALSE(m_pBar->IsDragging());
    EXPECT_EQ(ended.count(), 0);
}
