// The skinned buttons as a user meets them: hover, press, disable, check, and
// what each state draws; captions, stretching, navigation buttons.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "SkinTestSupport.h"
#include "ui/skin/NaviBtn.h"
#include "ui/skin/PngBtn.h"

using namespace skintest;

namespace {

constexpr QRgb kNr = 0xFF2040A0, kOv = 0xFF40A020, kDn = 0xFFA02040, kBack = 0xFF101010;

class PngBtnTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_page.resize(300, 200);
        m_page.show();
        m_pBtn = new CPngBtn(&m_page);
        m_pBtn->SetImages(Solid(40, 20, kNr), Solid(40, 20, kOv), Solid(40, 20, kDn));
        m_pBtn->setGeometry(10, 10, 40, 20);
        m_pBtn->show();
    }
    QRgb Shown() { return PixelAt(m_pBtn, 20, 10); }

    CGlobalsGuard m_guard;
    QWidget m_page;
    CPngBtn* m_pBtn = nullptr;
};

}  // namespace

TEST(ButtonLook, StateTable)
{
    enum { Nr = CPngBtn::kImgNr, Ov = CPngBtn::kImgOv, Dn = CPngBtn::kImgDn, Off = CPngBtn::kImgOff };
    struct Case { bool bCheck, bChecked, bEnabled, bHover, bDown; ButtonLook look; };
    const Case cases[] = {
        // check mode
        {true, true, true, true, true, {Dn, 2}},
        {true, true, false, false, false, {Off, 0}},   // checked and disabled: disabled image, normal colour
        {true, false, true, true, true, {Ov, 1}},      // a press alone does not show the pressed image
        {true, false, true, false, true, {Nr, 0}},
        {true, false, false, false, false, {Off, 0}},
        {true, false, true, false, false, {Nr, 0}},
        // push mode
        {false, true, false, false, false, {Dn, 2}},
        {false, false, true, true, true, {Dn, 2}},
        {false, false, true, true, false, {Ov, 1}},
        {false, false, false, false, false, {Off, 0}},
        {false, false, true, false, false, {Nr, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SelectButtonLook(c.bCheck, c.bChecked, c.bEnabled, c.bHover, c.bDown), c.look)
            << c.bCheck << c.bChecked << c.bEnabled << c.bHover << c.bDown;
}

TEST_F(PngBtnTest, DrawsTheImageOfEachState)
{
    EXPECT_EQ(Shown(), kNr);
    Enter(m_pBtn);
    EXPECT_TRUE(m_pBtn->IsHover());
    EXPECT_EQ(Shown(), kOv);
    QTest::mousePress(m_pBtn, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(Shown(), kDn);
    QSignalSpy clicked(m_pBtn, &QAbstractButton::clicked);
    QTest::mouseRelease(m_pBtn, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(Shown(), kOv);
    Leave(m_pBtn);
    EXPECT_EQ(Shown(), kNr);
    // Disabled: the disabled image is the normal one.
    m_pBtn->setEnabled(false);
    EXPECT_EQ(Shown(), kNr);
    // A push-mode button set checked by its owner shows the pressed image.
    m_pBtn->setEnabled(true);
    m_pBtn->setCheckable(true);
    m_pBtn->setChecked(true);
    EXPECT_EQ(Shown(), kDn);
}

TEST_F(PngBtnTest, CheckableButtonShowsQtsCheckedState)
{
    m_pBtn->setCheckable(true);
    QSignalSpy clicked(m_pBtn, &QAbstractButton::clicked);
    QSignalSpy toggled(m_pBtn, &QAbstractButton::toggled);
    Enter(m_pBtn);
    QTest::mousePress(m_pBtn, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(Shown(), kOv);  // pressing shows hover, not pressed
    QTest::mouseRelease(m_pBtn, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicked.count(), 1);
    ASSERT_EQ(toggled.count(), 1);
    EXPECT_TRUE(toggled[0][0].toBool());
    EXPECT_TRUE(m_pBtn->isChecked());
    EXPECT_EQ(Shown(), kDn);
    m_pBtn->setEnabled(false);
    EXPECT_EQ(Shown(), kNr);  // checked and disabled: the disabled image
    EXPECT_EQ(m_pBtn->CurrentLook().nTextColor, 0);
    m_pBtn->setEnabled(true);
    m_pBtn->setChecked(false);  // the owner's change is shown too
    Leave(m_pBtn);
    EXPECT_EQ(Shown(), kNr);
}

TEST_F(PngBtnTest, RadioButtonsOfOneParentAreExclusive)
{
    auto* pOther = new CPngBtn(&m_page);
    pOther->setGeometry(100, 10, 40, 20);
    pOther->SetImages(Solid(40, 20, kNr), Solid(40, 20, kOv), Solid(40, 20, kDn));
    for (CPngBtn* p : {m_pBtn, pOther}) {
        p->setCheckable(true);
        p->setAutoExclusive(true);
    }
    QTest::mouseClick(m_pBtn, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(m_pBtn->isChecked());
    QTest::mouseClick(pOther, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(pOther->isChecked());
    EXPECT_FALSE(m_pBtn->isChecked());
    EXPECT_EQ(pOther->CurrentLook().nImage, int(CPngBtn::kImgDn));
}

TEST_F(PngBtnTest, DisabledButtonIgnoresClicksAndLosesHover)
{
    QSignalSpy clicked(m_pBtn, &QAbstractButton::clicked);
    Enter(m_pBtn);
    m_pBtn->setEnabled(false);
    EXPECT_FALSE(m_pBtn->IsHover());
    QTest::mouseClick(m_pBtn, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicked.count(), 0);
}

TEST_F(PngBtnTest, SpaceClicksAButtonThatHasKeyboardFocus)
{
    QSignalSpy clicked(m_pBtn, &QAbstractButton::clicked);
    EXPECT_EQ(m_pBtn->focusPolicy(), Qt::TabFocus);
    m_pBtn->setFocus(Qt::TabFocusReason);
    QTest::keyClick(m_pBtn, Qt::Key_Space);
    EXPECT_EQ(clicked.count(), 1);
}

TEST_F(PngBtnTest, BackgroundShowsThroughTransparentImages)
{
    QImage page = Solid(300, 200, kBack);
    page.setPixel(10 + 20, 10 + 10, 0xFFFFFFFF);  // the page pixel under the button's (20, 10)
    m_pBtn->SetImages(Solid(40, 20, 0x00000000), Solid(40, 20, 0x00000000), Solid(40, 20, 0x00000000));
    m_pBtn->SetBackground(page, m_pBtn->geometry());
    EXPECT_EQ(PixelAt(m_pBtn, 20, 10), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(m_pBtn, 5, 5), kBack);
}

TEST_F(PngBtnTest, ImagesOfWidthZeroAreNotDrawnAndSourceRectIsCut)
{
    QImage sheet = Solid(80, 20, kNr);
    for (int y = 0; y < 20; ++y)
        for (int x = 40; x < 80; ++x) sheet.setPixel(x, y, kDn);
    const QRect rcRight(40, 0, 40, 20);
    m_pBtn->SetImages(sheet, QImage(), sheet, &rcRight);
    EXPECT_EQ(m_pBtn->Image(CPngBtn::kImgNr).size(), QSize(40, 20));
    EXPECT_EQ(Shown(), kDn);  // the right half of the sheet
    EXPECT_TRUE(m_pBtn->Image(CPngBtn::kImgOv).isNull());
    EXPECT_EQ(m_pBtn->Image(CPngBtn::kImgOff), m_pBtn->Image(CPngBtn::kImgNr));
}

TEST_F(PngBtnTest, CaptionIsCentredWithoutMarginAndIndentedWithOne)
{
    m_pBtn->setGeometry(10, 10, 200, 30);
    m_pBtn->SetImages(Solid(200, 30, kBack), Solid(200, 30, kBack), Solid(200, 30, kBack));
    m_pBtn->SetTextColors(0xFFFFFF, 0xFFFFFF, 0xFFFFFF);
    m_pBtn->setText("Apply");
    auto [nL, nR] = InkColumns(m_pBtn->grab().toImage(), kBack);
    ASSERT_GE(nL, 0);
    EXPECT_NEAR((nL + nR) / 2.0, 100.0, 3.0);
    m_pBtn->SetTextMargin(10);
    std::tie(nL, nR) = InkColumns(m_pBtn->grab().toImage(), kBack);
    EXPECT_GE(nL, 10);
    EXPECT_LE(nL, 13);
    // A caption too long for the button ends in an ellipsis inside it.
    m_pBtn->setText(QString(80, QChar('W')));
    std::tie(nL, nR) = InkColumns(m_pBtn->grab().toImage(), kBack);
    EXPECT_LT(nR, 200);
}

TEST_F(PngBtnTest, CaptionTakesTheStateColour)
{
    m_pBtn->setGeometry(10, 10, 120, 30);
    m_pBtn->SetImages(Solid(120, 30, kBack), Solid(120, 30, kBack), Solid(120, 30, kBack));
    m_pBtn->SetTextColors(0x0000FF, 0x00FF00, 0xFF0000);  // red, green, blue
    m_pBtn->setText("MMMM");
    auto hasColour = [&](QRgb clr) {
        const QImage img = m_pBtn->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if ((img.pixel(x, y) & 0xFFFFFF) == clr) return true;
        return false;
    };
    EXPECT_TRUE(hasColour(0xFF0000));
    Enter(m_pBtn);
    EXPECT_TRUE(hasColour(0x00FF00));
    EXPECT_FALSE(hasColour(0xFF0000));
    QTest::mousePress(m_pBtn, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(hasColour(0x0000FF));
    QTest::mouseRelease(m_pBtn, Qt::LeftButton, {}, QPoint(5, 5));
}

TEST_F(PngBtnTest, StretchFillsTheClientPlusOnePixelElseDrawsAtOwnSize)
{
    m_pBtn->SetImages(Solid(100, 30, kNr), Solid(100, 30, kNr), Solid(100, 30, kNr));
    m_pBtn->setGeometry(10, 10, 140, 42);
    m_pBtn->SetStretch(false);
    const QImage plain = m_pBtn->grab().toImage();
    EXPECT_EQ(plain.pixel(99, 29) | 0, kNr);
    EXPECT_NE(plain.pixel(120, 35) | 0, kNr);
    m_pBtn->SetStretch(true);
    const QImage stretched = m_pBtn->grab().toImage();
    EXPECT_EQ(stretched.pixel(139, 41) | 0, kNr);
    EXPECT_EQ(stretched.pixel(120, 35) | 0, kNr);
}

TEST_F(PngBtnTest, IconIsDrawnAtItsPositionAndScale)
{
    ASSERT_TRUE(m_pBtn->SetIcon(Solid(4, 4, 0xFFFFFFFF), 2, -1));  // centred vertically: y = 8
    EXPECT_EQ(Shown(), kNr);
    EXPECT_EQ(PixelAt(m_pBtn, 3, 9), 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(m_pBtn, 3, 6), kNr);
    m_pBtn->setText("x");
    m_pBtn->SetTextMargin(10);
    m_pBtn->SetScale(1.5f);  // icon at (3, 12), 6 x 6; margin 15
    EXPECT_EQ(m_pBtn->Margin(), 15);
    EXPECT_EQ(PixelAt(m_pBtn, 8, 17), 0xFFFFFFFFu);
    EXPECT_FALSE(m_pBtn->SetIcon(QImage(), 0, 0));
}

TEST_F(PngBtnTest, CaptionIsQtsTextApartFromTheTooltip)
{
    m_pBtn->setText("Reset");
    m_pBtn->setToolTip("Other");
    EXPECT_EQ(m_pBtn->toolTip(), "Other");
    EXPECT_EQ(m_pBtn->text(), "Reset");
    // What the button draws is its text(): a changed text changes the picture.
    m_pBtn->SetTextColors(0xFFFFFF, 0xFFFFFF, 0xFFFFFF);
    const QImage before = m_pBtn->grab().toImage();
    m_pBtn->setText(QString());
    EXPECT_NE(m_pBtn->grab().toImage(), before);
}

TEST_F(PngBtnTest, FrameDebugDrawsAFrameOfItsColour)
{
    m_pBtn->SetFrameDebug(true);
    // 0xFF000A is R | G<<8 | B<<16: blue with a little red.
    EXPECT_EQ(PixelAt(m_pBtn, 0, 0) & 0xFFFFFF, 0x0A00FFu);
    EXPECT_EQ(qBlue(PixelAt(m_pBtn, 39, 19)), 0xFF);
    EXPECT_EQ(Shown(), kNr);
}

TEST_F(PngBtnTest, NaviButtonDrawsPictureOnTopAndCaptionBelowInTheNormalColour)
{
    auto* pNavi = new CNaviBtn(&m_page);
    pNavi->SetImages(Solid(20, 20, kNr), Solid(20, 20, kOv), Solid(20, 20, kDn));
    pNavi->setGeometry(0, 50, 60, 60);
    pNavi->SetTextColors(0xFFFFFF, 0x00FF00, 0x0000FF);
    pNavi->setText("Mouse");
    pNavi->show();
    EXPECT_EQ(pNavi->PictureRect(pNavi->Image(CPngBtn::kImgNr)), QRect(20, 0, 20, 20));
    EXPECT_EQ(PixelAt(pNavi, 30, 10), kNr);
    pNavi->SetScale(1.5f);  // the picture is drawn 30 x 30, centred
    EXPECT_EQ(pNavi->PictureRect(pNavi->Image(CPngBtn::kImgNr)), QRect(15, 0, 30, 30));
    EXPECT_EQ(PixelAt(pNavi, 16, 29), kNr);
    EXPECT_EQ(pNavi->CaptionRect(), QRect(0, 33, 60, 27));
    Enter(pNavi);
    const QImage img = pNavi->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(img.pixel(30, 10) | 0, kOv);
    bool bGreen = false, bWhite = false;
    for (int y = 33; y < 60; ++y)
        for (int x = 0; x < 60; ++x) {
            bGreen |= (img.pixel(x, y) & 0xFFFFFF) == 0x00FF00;
            bWhite |= (img.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
        }
    EXPECT_TRUE(bWhite);   // hovered, but the caption keeps the normal colour
    EXPECT_FALSE(bGreen);
}
