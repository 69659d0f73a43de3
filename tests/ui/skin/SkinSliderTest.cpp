// Both skinned sliders are Qt sliders with one interface: the same keys, the
// same Qt signals, and moving()/released() carrying the value a position
// stands for. Each case runs on the image slider and on the drawn one.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <memory>

#include "SkinTestSupport.h"
#include "ui/skin/MSliderBar.h"
#include "ui/skin/PngSliderBar.h"

using namespace skintest;

namespace {

// Five positions over 200 pixels; the drawn slider's positions stand for 100..1600.
struct Made {
    CSkinSlider* pSlider;
    std::vector<int> values;  // what positions 0..4 stand for
    std::function<void(int nFrom, int nTo)> drag;  // presses at position nFrom's centre, releases at nTo's
};

const int kCentres[] = {5, 52, 100, 147, 195};

Made MakePng(QWidget* pPage)
{
    auto* pBar = new CPngSliderBar(pPage);
    pBar->setGeometry(0, 0, 200, 10);
    pBar->SetImages(Solid(200, 10, 0xFF303030), QImage(), Solid(10, 10, 0xFFFFFFFF), QImage());
    pBar->setRange(0, 4);
    pBar->ComputeScale();
    pBar->SetLiveNotify(true);
    pBar->show();
    CPngSlider* pThumb = pBar->Thumb();
    return {pBar, {0, 1, 2, 3, 4}, [pBar, pThumb](int nFrom, int nTo) {
                pBar->SelectValue(nFrom);
                QTest::mousePress(pThumb, Qt::LeftButton, {}, QPoint(5, 5));
                QTest::mouseMove(pThumb, QPoint(kCentres[nTo] - pThumb->x(), 5));
                QTest::mouseRelease(pThumb, Qt::LeftButton, {}, QPoint(kCentres[nTo] - pThumb->x(), 5));
            }};
}

Made MakeDrawn(QWidget* pPage)
{
    auto* pBar = new CMSliderBar(pPage, QRect(0, 0, 200, 20), Solid(10, 10, 0xFFFFFFFF));
    const int values[] = {100, 200, 400, 800, 1600};
    pBar->SetValues(values);
    pBar->SetLiveNotify(true);
    pBar->show();
    return {pBar, {100, 200, 400, 800, 1600}, [pBar](int nFrom, int nTo) {
                pBar->setValue(nFrom);
                QTest::mousePress(pBar, Qt::LeftButton, {}, QPoint(kCentres[nFrom], 10));
                QTest::mouseMove(pBar, QPoint(kCentres[nTo], 10));
                QTest::mouseRelease(pBar, Qt::LeftButton, {}, QPoint(kCentres[nTo], 10));
            }};
}

class SkinSliderTest : public ::testing::TestWithParam<Made (*)(QWidget*)> {
protected:
    void SetUp() override
    {
        m_page.resize(260, 60);
        m_page.show();
        m_made = GetParam()(&m_page);
    }
    CGlobalsGuard m_guard;
    QWidget m_page;
    Made m_made;
};

}  // namespace

TEST_P(SkinSliderTest, KeysMoveByQtsStepsAndReportTheChosenValue)
{
    CSkinSlider* p = m_made.pSlider;
    EXPECT_EQ(p->minimum(), 0);
    EXPECT_EQ(p->maximum(), 4);
    EXPECT_EQ(p->pageStep(), 1);
    QSignalSpy released(p, &CSkinSlider::released);
    QSignalSpy changed(p, &QAbstractSlider::valueChanged);
    p->setFocus(Qt::TabFocusReason);
    QTest::keyClick(p, Qt::Key_Right);
    QTest::keyClick(p, Qt::Key_End);
    QTest::keyClick(p, Qt::Key_End);  // no change: nothing reported
    QTest::keyClick(p, Qt::Key_Left);
    EXPECT_EQ(p->value(), 3);
    EXPECT_EQ(p->SelectedValue(), m_made.values[3]);
    ASSERT_EQ(released.count(), 3);
    EXPECT_EQ(released[0][0].toInt(), m_made.values[1]);
    EXPECT_EQ(released[1][0].toInt(), m_made.values[4]);
    EXPECT_EQ(released[2][0].toInt(), m_made.values[3]);
    EXPECT_EQ(changed.count(), 3);
    Wheel(p, -240);
    EXPECT_EQ(p->value(), 1);
    EXPECT_EQ(released.last()[0].toInt(), m_made.values[1]);
}

TEST_P(SkinSliderTest, ADragUsesQtsSliderSignalsAndReportsOnlyAChange)
{
    CSkinSlider* p = m_made.pSlider;
    QSignalSpy pressed(p, &QAbstractSlider::sliderPressed);
    QSignalSpy moved(p, &QAbstractSlider::sliderMoved);
    QSignalSpy releasedQt(p, &QAbstractSlider::sliderReleased);
    QSignalSpy moving(p, &CSkinSlider::moving);
    QSignalSpy released(p, &CSkinSlider::released);
    m_made.drag(0, 3);
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_EQ(releasedQt.count(), 1);
    ASSERT_GE(moved.count(), 1);
    EXPECT_EQ(moved.last()[0].toInt(), 3);
    ASSERT_GE(moving.count(), 1);
    EXPECT_EQ(moving.last()[0].toInt(), m_made.values[3]);
    ASSERT_EQ(released.count(), 1);
    EXPECT_EQ(released[0][0].toInt(), m_made.values[3]);
    EXPECT_EQ(p->value(), 3);
    EXPECT_FALSE(p->isSliderDown());
    m_made.drag(3, 3);  // back where it began: no report
    EXPECT_EQ(released.count(), 1);
}

TEST_P(SkinSliderTest, AValueSetByTheProgramIsNotReportedAsTheUsers)
{
    CSkinSlider* p = m_made.pSlider;
    QSignalSpy released(p, &CSkinSlider::released);
    QSignalSpy moving(p, &CSkinSlider::moving);
    EXPECT_TRUE(p->SelectValue(m_made.values[2]));
    EXPECT_EQ(p->value(), 2);
    p->setValue(4);
    EXPECT_EQ(p->SelectedValue(), m_made.values[4]);
    EXPECT_EQ(released.count(), 0);
    EXPECT_EQ(moving.count(), 0);
}

INSTANTIATE_TEST_SUITE_P(BothSliders, SkinSliderTest, ::testing::Values(&MakePng, &MakeDrawn),
                         [](const auto& info) { return info.index == 0 ? std::string("Image") : std::string("Drawn"); });
