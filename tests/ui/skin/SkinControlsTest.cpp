// Making controls from a skin folder: what is created, what is refused and the
// messages that say why; giving existing controls the images of another skin.
#include <gtest/gtest.h>

#include "SkinTestSupport.h"
#include "TestSupport.h"
#include "core/Options.h"
#include "ui/skin/ComboBtn.h"
#include "ui/skin/PngSliderBar.h"
#include "ui/skin/SkinControls.h"

using namespace skintest;
namespace fs = std::filesystem;

namespace {

constexpr QRgb kNr = 0xFF2040A0, kOv = 0xFF40A020, kDn = 0xFFA02040;

// An application folder whose chosen skin folder is "skins" (no skins listed).
class SkinControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_szAppDir = m_dir.Path();
        gVar.nSkinsNum = 0;
        gVar.bHighDpiScreen = false;
        fs::create_directories(m_dir / "skins");
        m_page.resize(400, 300);
        m_page.show();
    }
    void Put(const char* pszName, const QImage& img)
    {
        ASSERT_TRUE(img.save(QString::fromStdString((m_dir / "skins" / pszName).string()), "PNG"));
    }
    void PutButtonSet(const char* pszStem, QSize szOv = QSize(30, 16))
    {
        Put((std::string(pszStem) + "_nr.png").c_str(), Solid(30, 16, kNr));
        Put((std::string(pszStem) + "_ov.png").c_str(), Solid(szOv.width(), szOv.height(), kOv));
        Put((std::string(pszStem) + "_dn.png").c_str(), Solid(30, 16, kDn));
    }

    CGlobalsGuard m_guard;
    test::CTempDir m_dir;
    CRecordingPrompt m_prompt;
    QWidget m_page;
};

}  // namespace

TEST_F(SkinControlsTest, ButtonFromNamesTakesImageSizeThemeColoursAndBackground)
{
    PutButtonSet("check");
    // The colours come from the theme handed over, whatever the options hold.
    gVar.clrBtnTxtNr = 0x0A0B0C;
    skin::SkinTheme theme;
    theme.clrBtnTextNr = QColor(0x03, 0x02, 0x01);
    theme.clrBtnTextOv = QColor(0x06, 0x05, 0x04);
    theme.clrBtnTextDn = QColor(0x09, 0x08, 0x07);
    theme.font.setPixelSize(21);
    QImage back = Solid(400, 300, 0xFF000000);
    CPngBtn* pBtn = CreateSkinButton(&m_page, back, "check_nr.png", "check_ov.png", "check_dn.png", true,
                                     QPoint(40, 50), &m_prompt, theme);
    ASSERT_NE(pBtn, nullptr);
    EXPECT_TRUE(m_prompt.Entries().empty());
    EXPECT_EQ(pBtn->geometry(), QRect(40, 50, 30, 16));
    EXPECT_TRUE(pBtn->isVisible());
    EXPECT_TRUE(pBtn->isCheckable());
    EXPECT_EQ(pBtn->TextColor(0), 0x010203u);
    EXPECT_EQ(pBtn->TextColor(2), 0x070809u);
    EXPECT_EQ(pBtn->font().pixelSize(), 21);
    EXPECT_EQ(PixelAt(pBtn, 15, 8), kNr);
    pBtn->setChecked(true);
    EXPECT_EQ(PixelAt(pBtn, 15, 8), kDn);
}

TEST_F(SkinControlsTest, ButtonWithCaptionAndRectangleCanBeASubclass)
{
    PutButtonSet("combo");
    auto* pCombo = CreateSkinButton<CComboBtn>(&m_page, QImage(), "combo_nr.png", "combo_ov.png", "combo_dn.png",
                                               "Mode", false, QRect(10, 20, 120, 24), &m_prompt);
    ASSERT_NE(pCombo, nullptr);
    EXPECT_EQ(pCombo->geometry(), QRect(10, 20, 120, 24));
    EXPECT_EQ(pCombo->text(), "Mode");
    EXPECT_EQ(pCombo->Value(), -1);
    // Full paths work as well as names.
    const QString strNr = QString::fromStdString((m_dir / "skins" / "combo_nr.png").string());
    EXPECT_NE(CreateSkinButton(&m_page, QImage(), strNr, strNr, strNr, false, QPoint(0, 0), &m_prompt), nullptr);
    EXPECT_TRUE(m_prompt.Entries().empty());
}

TEST_F(SkinControlsTest, SizeMismatchIsReportedOnceAndTheButtonStillMade)
{
    PutButtonSet("reset", QSize(31, 16));
    CPngBtn* pBtn = CreateSkinButton(&m_page, QImage(), "reset_nr.png", "reset_ov.png", "reset_dn.png", false,
                                     QPoint(0, 0), &m_prompt);
    EXPECT_NE(pBtn, nullptr);
    ASSERT_EQ(m_prompt.Entries().size(), 1u);
    EXPECT_EQ(m_prompt.Entries()[0].text, u"The size of reset_nr.png is not equal");
    EXPECT_EQ(m_prompt.Entries()[0].caption, u"");
}

TEST_F(SkinControlsTest, MissingPressedImageIsReportedAndNoButtonMade)
{
    PutButtonSet("add");
    fs::remove(m_dir / "skins" / "add_dn.png");
    const int nChildren = int(m_page.children().size());
    CPngBtn* pBtn = CreateSkinButton(&m_page, QImage(), "add_nr.png", "add_ov.png", "add_dn.png", false,
                                     QPoint(0, 0), &m_prompt);
    EXPECT_EQ(pBtn, nullptr);
    EXPECT_EQ(int(m_page.children().size()), nChildren);
    ASSERT_EQ(m_prompt.Entries().size(), 1u);
    EXPECT_EQ(m_prompt.Entries()[0].text, u"The size of add_nr.png is not equal");
}

TEST_F(SkinControlsTest, SliderNeedsAThumbAndATrack)
{
    Put("bar.png", Solid(200, 6, 0xFF303030));
    CPngSliderBar* pBar = CreateSkinSlider(&m_page, QImage(), "bar.png", "bar_ov.png", 0, 4, QRect(10, 10, 200, 10), QImage(), QImage(), &m_prompt);
    EXPECT_EQ(pBar, nullptr);
    ASSERT_EQ(m_prompt.Entries().size(), 1u);
    EXPECT_EQ(m_prompt.Entries()[0].text, u"Slider img is null");
    EXPECT_EQ(m_prompt.Entries()[0].caption, u"Error");

    m_prompt.Clear();
    pBar = CreateSkinSlider(&m_page, Solid(10, 10, 0xFFFFFFFF), "nobar.png", "", 0, 4, QRect(10, 10, 200, 10),
                            QImage(), QImage(), &m_prompt);
    EXPECT_EQ(pBar, nullptr);
    ASSERT_EQ(m_prompt.Entries().size(), 1u);
    const std::u16string strText = m_prompt.Entries()[0].text;
    EXPECT_EQ(strText.rfind(u"File not exist: ", 0), 0u);
    EXPECT_NE(strText.find(u"nobar.png"), std::u16string::npos);
    EXPECT_EQ(m_prompt.Entries()[0].caption, u"Error");
}

TEST_F(SkinControlsTest, SliderGetsRangeScaleAndLiveReports)
{
    Put("bar.png", Solid(200, 10, 0xFF303030));
    CPngSliderBar* pBar = CreateSkinSlider(&m_page, Solid(10, 10, 0xFFFFFFFF), "bar.png", "bar_ov.png", 0, 4,
                                           QRect(10, 10, 200, 10), Solid(400, 300, 0xFF000000),
                                           Solid(3, 3, 0xFFFF0000), &m_prompt);
    ASSERT_NE(pBar, nullptr);
    EXPECT_TRUE(m_prompt.Entries().empty());
    EXPECT_TRUE(pBar->isVisible());
    EXPECT_EQ(pBar->minimum(), 0);
    EXPECT_EQ(pBar->maximum(), 4);
    EXPECT_EQ(pBar->SelectedValue(), 0);
    EXPECT_EQ(pBar->ScalePos(), (std::vector<int>{5, 52, 100, 147, 195}));
    EXPECT_EQ(pBar->Thumb()->x(), 0);
    EXPECT_TRUE(pBar->LiveNotify());
    EXPECT_FALSE(pBar->HasFill());  // "bar_ov.png" is not in this skin
}

TEST_F(SkinControlsTest, ReloadingGivesButtonsTheNewSkinAndKeepsWhatCannotLoad)
{
    PutButtonSet("sw");
    PutButtonSet("cow");
    CPngBtn* pSw = CreateSkinButton(&m_page, QImage(), "sw_nr.png", "sw_ov.png", "sw_dn.png", false, QPoint(0, 0),
                                    &m_prompt);
    CPngBtn* pCow = CreateSkinButton(&m_page, QImage(), "cow_nr.png", "cow_ov.png", "cow_dn.png", false,
                                     QPoint(50, 0), &m_prompt);
    ASSERT_TRUE(pSw && pCow);
    // The next skin: new normal images, no hover image for "sw", nothing for "cow".
    Put("sw_nr.png", Solid(30, 16, 0xFF111111));
    fs::remove(m_dir / "skins" / "sw_ov.png");
    fs::remove(m_dir / "skins" / "cow_nr.png");
    QImage back = Solid(400, 300, 0xFF000000);
    const SkinButtonImages list[] = {
        {pSw, "sw_nr.png", "sw_ov.png", "sw_dn.png"},
        {nullptr, "x_nr.png", "x_ov.png", "x_dn.png"},
        {pCow, "cow_nr.png", "cow_ov.png", "cow_dn.png"},
    };
    SetButtonImages(&m_page, back, list);
    EXPECT_EQ(pSw->Image(CPngBtn::kImgNr).pixel(0, 0) | 0, 0xFF111111u);
    EXPECT_EQ(pSw->Image(CPngBtn::kImgOv).pixel(0, 0) | 0, 0xFF111111u);  // fell back to the normal image
    EXPECT_EQ(pSw->Image(CPngBtn::kImgDn).pixel(0, 0) | 0, kDn);
    EXPECT_EQ(pCow->Image(CPngBtn::kImgNr).pixel(0, 0) | 0, kNr);         // kept
    EXPECT_TRUE(m_prompt.Entries().empty());
}

TEST_F(SkinControlsTest, SliderImagesComeFromTheChosenSkin)
{
    Put("bar.png", Solid(200, 10, 0xFF303030));
    CPngSliderBar* pBar = CreateSkinSlider(&m_page, Solid(10, 10, 0xFFFFFFFF), "bar.png", "", 0, 4,
                                           QRect(10, 10, 200, 10), QImage(), QImage(), &m_prompt);
    ASSERT_NE(pBar, nullptr);
    // Without "bar.png" in the skin nothing changes.
    fs::remove(m_dir / "skins" / "bar.png");
    SetSliderImages(&m_page, QImage(), pBar, nullptr);
    EXPECT_EQ(pBar->TrackImage().pixel(100, 5) | 0, 0xFF303030u);
    Put("bar.png", Solid(200, 10, 0xFF505050));
    Put("bar_ov.png", Solid(200, 10, 0xFF00FF00));
    Put("slider2.png", Solid(12, 10, 0xFFFF00FF));
    SetSliderImages(&m_page, QImage(), pBar, nullptr);
    EXPECT_EQ(pBar->TrackImage().pixel(100, 5) | 0, 0xFF505050u);
    EXPECT_TRUE(pBar->HasFill());
    EXPECT_EQ(pBar->Thumb()->width(), 12);
}
