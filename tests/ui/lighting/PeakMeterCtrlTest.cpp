// The peak meter control: levels in, bars out, in the zone colours or the bar
// image; nothing drawn while inactive; levels fed from another thread redraw.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <thread>

#include "ui/lighting/PeakMeterCtrl.h"

namespace {

constexpr QRgb kBk = 0xFF141414, kGreen = 0xFF00FF00, kYellow = 0xFFFFFF00, kRed = 0xFFFF0000, kBlue = 0xFF0000FF;

struct CPaintCounter : QObject {
    bool eventFilter(QObject*, QEvent* e) override
    {
        n += e->type() == QEvent::Paint;
        return false;
    }
    int n = 0;
};

class PeakMeterCtrlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_page.resize(200, 200);
        m_page.show();
        m_pMeter = new CPeakMeterCtrl(4, &m_page, QRect(10, 10, 40, 100));  // bars 10 px wide, one of them a gap
        m_pMeter->show();
        m_pMeter->SetThresholds(40, 80);
        m_pMeter->SetAverage(1);
    }
    QRgb At(int x, int y)
    {
        QCoreApplication::processEvents();
        return m_pMeter->grab().toImage().convertToFormat(QImage::Format_ARGB32).pixel(x, y) | 0;
    }

    QWidget m_page;
    CPeakMeterCtrl* m_pMeter = nullptr;
};

TEST_F(PeakMeterCtrlTest, BarsRiseToTheirLevelsInTheZoneColours)
{
    m_pMeter->SetActive(true);
    const int levels[] = {0, 30, 70, 100};
    m_pMeter->SetBandLevels(levels, 4);
    struct Px { int x, y; QRgb clr; } want[] = {
        {2, 99, kBk},                                   // level 0: nothing
        {12, 99, kGreen}, {12, 70, kGreen}, {12, 69, kBk},  // 30: 30 rows of green
        {19, 99, kBk},                                  // the gap between bars
        {22, 99, kGreen}, {22, 60, kGreen}, {22, 59, kYellow}, {22, 30, kYellow}, {22, 29, kBk},
        {38, 99, kGreen}, {38, 59, kYellow}, {38, 20, kYellow}, {38, 19, kRed}, {38, 0, kRed},
    };
    for (const Px& p : want) EXPECT_EQ(At(p.x, p.y), p.clr) << p.x << "," << p.y;
}

TEST_F(PeakMeterCtrlTest, InactiveShowsOnlyTheBackgroundAndGainIsCappedAtTheTop)
{
    const int levels[] = {100, 100, 100, 70};
    m_pMeter->SetBandLevels(levels, 4);
    EXPECT_EQ(At(2, 99), kBk);  // not active: no bars
    m_pMeter->SetActive(true);
    m_pMeter->SetGain(2.0f);
    m_pMeter->SetBandLevels(levels, 4);
    EXPECT_EQ(At(32, 0), kRed);  // 140 drawn as a full bar
    m_pMeter->SetActive(false);
    EXPECT_EQ(At(32, 99), kBk);
}

TEST_F(PeakMeterCtrlTest, ABarImageFillsTheLitPartAndOtherThreadsRedraw)
{
    QImage bar(40, 100, QImage::Format_ARGB32);
    bar.fill(QColor::fromRgba(kBlue));
    m_pMeter->SetImages(bar, QImage());
    m_pMeter->SetActive(true);
    EXPECT_EQ(At(12, 99), kBk);
    CPaintCounter paints;
    m_pMeter->installEventFilter(&paints);
    std::thread([this] {
        const int levels[] = {0, 50, 0, 0};
        m_pMeter->SetBandLevels(levels, 4);
    }).join();
    EXPECT_TRUE(QTest::qWaitFor([&] { return paints.n > 0; }, 2000));  // the window thread repainted
    EXPECT_EQ(At(12, 99), kBlue);
    EXPECT_EQ(At(12, 50), kBlue);
    EXPECT_EQ(At(12, 49), kBk);
}

}  // namespace
