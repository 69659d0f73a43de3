// The colour picker panel: the wheel, the swatches, the bars and the typed
// values report the colour the user chose; colours set by the program are
// shown without a report. Screenshots of both skins at scale 1 and 1.5.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <cmath>

#include "TestSupport.h"
#include "core/Gvar.h"
#include "core/Ini.h"
#include "core/IPrompt.h"
#include "core/Options.h"
#include "lighting/ColorMath.h"
#include "ui/lighting/ColorPicker.h"
#include "ui/skin/MSliderBar.h"
#include "ui/skin/SkinTestSupport.h"

namespace {

class ColorPickerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_szAppDir = test::AppDir();
        CRecordingPrompt prompt;
        LoadLangAndSkins(CIniFile::Load(test::AppDir() / "cfg.ini"), CIniFile(), prompt);
        UseSkin(0, 1.0);
        for (int i = 0; i < 8; ++i) gVar.clrPick[i] = MakeColor(uint8_t(10 * i), uint8_t(200 - i), uint8_t(i));
        gVar.nRGBBarDrop = 1;
    }
    void UseSkin(int nSkin, float fScale)
    {
        gVar.nSkinsIndex = nSkin;
        gVar.bHighDpiScreen = fScale != 1.0f;
        g_fScale = fScale;
        skin::SetTheme(skin::ThemeFromOptions());
        skin::ClearImageCache();
    }
    static void Click(QWidget* w, QPoint pt)
    {
        skintest::Mouse(w, QEvent::MouseButtonPress, pt, Qt::LeftButton, Qt::LeftButton);
        skintest::Mouse(w, QEvent::MouseButtonRelease, pt, Qt::LeftButton, Qt::NoButton);
    }
    static QColor Reported(const QSignalSpy& spy) { return spy.last().at(0).value<QColor>(); }

    skintest::CGlobalsGuard m_guard;
};

TEST_F(ColorPickerTest, StartsWithItsColourAndSetColorReportsNothing)
{
    CColorPicker picker;
    EXPECT_EQ(picker.color(), QColor(4, 199, 255));
    QSignalSpy spy(&picker, &CColorPicker::colorChanged);
    picker.setColor(QColor(10, 128, 0));
    EXPECT_EQ(spy.count(), 0);
    EXPECT_EQ(picker.bar(1)->SelectedValue(), 128);
    EXPECT_EQ(picker.field(0)->text(), "10");
    EXPECT_EQ(skintest::PixelAt(&picker, picker.currentRect().center().x(), picker.currentRect().center().y()),
              0xFF0A8000u);
}

TEST_F(ColorPickerTest, ClickOnTheWheelGivesTheColourUnderIt)
{
    CColorPicker picker;
    picker.show();
    QSignalSpy spy(&picker, &CColorPicker::colorChanged);
    const QRect w = picker.wheelRect();
    struct Case {
        QPoint pt;
        QColor want;
    } cases[] = {
        {QPoint(w.right() - 3, w.center().y()), QColor(255, 0, 0)},  // the rim on the right: red
        {w.center(), QColor(255, 255, 255)},                          // the middle: white
    };
    for (const Case& c : cases) {
        Click(&picker, c.pt);
        ASSERT_GE(spy.count(), 1);
        const QColor got = Reported(spy);
        // The pixel the wheel image shows there, and the colour reported, agree.
        const QRgb shown = skintest::PixelAt(&picker, c.pt.x(), c.pt.y());
        EXPECT_NEAR(got.red(), qRed(shown), 24);
        EXPECT_NEAR(got.green(), qGreen(shown), 24);
        EXPECT_NEAR(got.blue(), qBlue(shown), 24);
        EXPECT_NEAR(got.red(), c.want.red(), 24);
        EXPECT_NEAR(got.green(), c.want.green(), 24);
        EXPECT_NEAR(got.blue(), c.want.blue(), 24);
        EXPECT_EQ(picker.field(2)->text().toInt(), got.blue());
        EXPECT_EQ(picker.bar(0)->SelectedValue(), got.red());
    }
    const int before = spy.count();
    Click(&picker, QPoint(w.left() + 1, w.top() + 1));  // the corner of the square, off the disc
    EXPECT_EQ(spy.count(), before);
}

TEST_F(ColorPickerTest, SwatchesInFullAndCompactForm)
{
    CColorPicker picker;
    picker.show();
    QSignalSpy spy(&picker, &CColorPicker::colorChanged);
    Click(&picker, picker.swatchRect(5).center());
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(Reported(spy), QColor(50, 195, 5));
    picker.setFull(false);
    EXPECT_FALSE(picker.bar(0)->isVisible());
    EXPECT_TRUE(picker.swatchRect(7).isNull());  // seven swatches only
    Click(&picker, picker.swatchRect(6).center());
    ASSERT_EQ(spy.count(), 2);
    EXPECT_EQ(Reported(spy), QColor(60, 194, 6));
}

TEST_F(ColorPickerTest, TypedValuesAreCorrectedAboveTheTopAndEmptyCountsAsZero)
{
    CColorPicker picker;
    picker.show();
    picker.setColor(QColor(0, 20, 30));
    QSignalSpy spy(&picker, &CColorPicker::colorChanged);
    QLineEdit* blue = picker.field(2);
    blue->setFocus();
    blue->selectAll();
    QTest::keyClicks(blue, "300");
    EXPECT_EQ(blue->text(), "255");
    EXPECT_EQ(blue->cursorPosition(), 3);
    ASSERT_GE(spy.count(), 1);
    EXPECT_EQ(Reported(spy), QColor(0, 20, 255));
    EXPECT_EQ(picker.bar(2)->SelectedValue(), 255);

    QLineEdit* red = picker.field(0);
    red->setText("77");
    red->selectAll();
    QTest::keyClick(red, Qt::Key_Backspace);
    EXPECT_EQ(red->text(), "");
    EXPECT_EQ(Reported(spy), QColor(0, 20, 255));
    QTest::keyClicks(red, "x");  // refused by the field: nothing changes
    EXPECT_EQ(red->text(), "");
}

TEST_F(ColorPickerTest, ReleasingABarReportsTheColourAndBarsCanBeLocked)
{
    CColorPicker picker;
    picker.show();
    picker.setColor(QColor(10, 0, 0));
    QSignalSpy spy(&picker, &CColorPicker::colorChanged);
    CMSliderBar* green = picker.bar(1);
    const std::vector<int>& pos = green->Positions();
    ASSERT_EQ(pos.size(), 256u);
    const QPoint from(pos[0] + green->ThumbWidth() / 2, green->height() / 2);
    const QPoint to(pos[128] + green->ThumbWidth() / 2, green->height() / 2);
    skintest::Mouse(green, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    skintest::Mouse(green, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(picker.field(1)->text(), "128");  // the field follows the drag
    skintest::Mouse(green, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(Reported(spy), QColor(10, 128, 0));

    picker.setBarsDraggable(false);
    EXPECT_TRUE(green->testAttribute(Qt::WA_TransparentForMouseEvents));
    picker.field(1)->setText("");
    QTest::keyClicks(picker.field(1), "40");
    EXPECT_EQ(green->SelectedValue(), 40);  // the bar still follows the fields
}

TEST_F(ColorPickerTest, Screenshots)
{
    const std::filesystem::path out = test::AppDir().parent_path() / "screenshots";
    std::filesystem::create_directories(out);
    for (int nSkin : {0, 1}) {
        for (float fScale : {1.0f, 1.5f}) {
            UseSkin(nSkin, fScale);
            CColorPicker picker;
            picker.setColor(QColor(255, 64, 160));
            const QImage img = picker.grab().toImage();
            EXPECT_GT(img.width(), 400 * fScale);
            const QString name = QString("colorpicker-%1-%2.png").arg(nSkin ? "light" : "dark").arg(fScale == 1.0f ? "1.0" : "1.5");
            EXPECT_TRUE(img.save(QString::fromStdString((out / name.toStdString()).string())));
        }
    }
}

}  // namespace
