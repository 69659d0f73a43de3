// The image cache: one decode per file, interface scale and device pixel
// ratio; the generated larger drawings chosen and sized exactly; images that
// carry their pixel ratio, so controls drawn on a 200 % screen are sharp.
#include <gtest/gtest.h>

#include <QPainter>
#include <QThread>

#include "SkinTestSupport.h"
#include "TestSupport.h"
#include "ui/skin/PngBtn.h"
#include "ui/skin/SkinControls.h"
#include "ui/skin/SkinImages.h"

using namespace skintest;

namespace {

constexpr QRgb kPlain = 0xFFFF0000, kOneAndHalf = 0xFF00FF00, kDouble = 0xFF0000FF;

class SkinImageCacheTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_szAppDir = m_dir.Path();
        gVar.nSkinsNum = 0;  // the chosen folder is "skins" itself
        std::filesystem::create_directories(m_dir / "skins");
    }
    QString Path(const char* pszName) const { return QString::fromStdString((m_dir / "skins" / pszName).string()); }
    void Put(const char* pszName, const QImage& img) { ASSERT_TRUE(img.save(Path(pszName), "PNG")); }

    CGlobalsGuard m_guard;
    test::CTempDir m_dir;
};

QRgb Centre(const QImage& img)
{
    return img.convertToFormat(QImage::Format_ARGB32).pixel(img.width() / 2, img.height() / 2) | 0;
}

}  // namespace

TEST(SkinImageNames, ScaledFileNames)
{
    EXPECT_EQ(skin::ScaledFileName("button_nr.png", 1.0), "button_nr.png");
    EXPECT_EQ(skin::ScaledFileName("button_nr.png", 1.5), "button_nr@1.5x.png");
    EXPECT_EQ(skin::ScaledFileName("button_nr.png", 2.0), "button_nr@2x.png");
    EXPECT_EQ(skin::ScaledFileName("mouse/number1.png", 2.0), "mouse/number1@2x.png");
    EXPECT_EQ(skin::ScaledFileName("ms_mk", 2.0), "ms_mk@2x");
}

// Which file makes the image, its pixel size and its pixel ratio, by interface scale and screen.
TEST_F(SkinImageCacheTest, PicksTheBestDrawingAndSizesItExactly)
{
    Put("a.png", Solid(10, 6, kPlain));
    Put("a@1.5x.png", Solid(15, 9, kOneAndHalf));
    Put("a@2x.png", Solid(20, 12, kDouble));
    struct Case {
        double fScale, fRatio;
        QSize pixels;
        QRgb clrFrom;
        QSize logical;
    };
    const Case cases[] = {
        {1.0, 1.0, {10, 6}, kPlain, {10, 6}},
        {1.0, 2.0, {20, 12}, kDouble, {10, 6}},      // 200 % screen: twice the pixels, same size
        {1.5, 1.0, {15, 9}, kOneAndHalf, {15, 9}},   // interface scale 1.5
        {1.0, 1.5, {15, 9}, kOneAndHalf, {10, 6}},   // 150 % screen
        {1.4, 1.0, {14, 8}, kOneAndHalf, {14, 8}},   // the smallest drawing at least as large
        {1.5, 2.0, {30, 18}, kDouble, {15, 9}},      // beyond every drawing: the largest, enlarged
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fScale << " x " << c.fRatio);
        const QImage img = skin::LoadImageFile(Path("a.png"), c.fScale, c.fRatio);
        EXPECT_EQ(img.size(), c.pixels);
        EXPECT_DOUBLE_EQ(img.devicePixelRatio(), c.fRatio);
        EXPECT_EQ(Centre(img), c.clrFrom);
        EXPECT_EQ(skin::LogicalSize(img), c.logical);
    }
    // Without larger drawings the plain file is enlarged smoothly.
    Put("b.png", Solid(10, 6, kPlain));
    const QImage b = skin::LoadImageFile(Path("b.png"), 1.0, 2.0);
    EXPECT_EQ(b.size(), QSize(20, 12));
    EXPECT_EQ(Centre(b), kPlain);
}

TEST_F(SkinImageCacheTest, OneDecodePerFileScaleAndRatioUntilTheFileChanges)
{
    Put("a.png", Solid(10, 6, kPlain));
    const QImage first = skin::LoadImageFile(Path("a.png"), 1.0, 1.0);
    const int nCount = skin::ImageCacheCount();
    EXPECT_EQ(nCount, 1);
    const QImage again = skin::LoadImageFile(Path("a.png"), 1.0, 1.0);
    EXPECT_EQ(again.cacheKey(), first.cacheKey());  // the same shared pixels
    EXPECT_EQ(skin::ImageCacheCount(), nCount);
    // Another scale is another entry (it also keeps the plain one it was made from).
    skin::LoadImageFile(Path("a.png"), 2.0, 1.0);
    EXPECT_EQ(skin::ImageCacheCount(), 2);
    skin::LoadImageFile(Path("a.png"), 1.0, 2.0);
    EXPECT_EQ(skin::ImageCacheCount(), 3);
    // The chosen-folder look-up goes through the same cache.
    EXPECT_EQ(skin::LoadChosen("A.PNG").cacheKey(), first.cacheKey());
    // A file replaced on disk (another size) is read again.
    QThread::msleep(20);
    Put("a.png", Solid(12, 7, kDouble));
    const QImage changed = skin::LoadImageFile(Path("a.png"), 1.0, 1.0);
    EXPECT_EQ(changed.size(), QSize(12, 7));
    EXPECT_EQ(Centre(changed), kDouble);
    skin::ClearImageCache();
    EXPECT_EQ(skin::ImageCacheCount(), 0);
    EXPECT_TRUE(skin::LoadImageFile(Path("missing.png"), 1.0, 1.0).isNull());
    EXPECT_EQ(skin::ImageCacheCount(), 0);
}

TEST_F(SkinImageCacheTest, CutBackgroundCountsInLogicalPixelsAndKeepsTheRatio)
{
    QImage page(40, 20, QImage::Format_ARGB32_Premultiplied);
    page.fill(QColor::fromRgba(kPlain));
    QPainter(&page).fillRect(QRect(20, 0, 20, 20), QColor::fromRgba(kDouble));
    page.setDevicePixelRatio(2.0);  // 20 x 10 logical
    const QImage cut = skin::CutBackground(page, QRect(5, 0, 10, 10));
    EXPECT_EQ(cut.size(), QSize(20, 20));
    EXPECT_DOUBLE_EQ(cut.devicePixelRatio(), 2.0);
    const QImage argb = cut.convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(argb.pixel(2, 10) | 0, kPlain);    // logical x 6: still the left half
    EXPECT_EQ(argb.pixel(18, 10) | 0, kDouble);  // logical x 14: the right half
}

// A button on a 200 % screen: laid out at the logical size and drawn with the
// finer picture's own pixels, not the plain one enlarged.
TEST_F(SkinImageCacheTest, ButtonOnA200PercentScreenDrawsTheFinePicture)
{
    Put("s_nr.png", Solid(10, 10, 0xFF808080));
    QImage fine(20, 20, QImage::Format_ARGB32);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) fine.setPixel(x, y, x % 2 ? 0xFFFFFFFF : 0xFF000000);  // one-pixel stripes
    Put("s_nr@2x.png", fine);
    skin::SkinTheme theme = skin::Theme();
    theme.fPixelRatio = 2.0;
    skin::SetTheme(theme);
    QWidget page;
    page.resize(100, 50);
    CPngBtn* pBtn = CreateSkinButton(&page, QImage(), "s_nr.png", "s_nr.png", "s_nr.png", false, QPoint(5, 5), nullptr,
                                     theme);
    ASSERT_NE(pBtn, nullptr);
    EXPECT_EQ(pBtn->geometry(), QRect(5, 5, 10, 10));
    QImage shot(20, 20, QImage::Format_ARGB32);
    shot.setDevicePixelRatio(2.0);
    shot.fill(Qt::transparent);
    pBtn->render(&shot);
    const QImage argb = shot.convertToFormat(QImage::Format_ARGB32);
    for (int x = 4; x < 8; ++x) EXPECT_EQ(argb.pixel(x, 10) | 0, x % 2 ? 0xFFFFFFFFu : 0xFF000000u) << x;
}

// The generated skins hold each control drawing at every scale, exactly sized.
TEST(GeneratedSkins, HoldTheLargerDrawings)
{
    for (const char* pszSkin : {"dark", "light"}) {
        const std::filesystem::path dir = std::filesystem::path(ZV_APP_DIR) / "skins" / pszSkin;
        for (const char* pszName : {"button_nr", "msg_nr", "check_dn", "main_nr"}) {
            const QImage plain(QString::fromStdString((dir / (std::string(pszName) + ".png")).string()));
            ASSERT_FALSE(plain.isNull()) << pszName;
            for (const auto& [pszSuffix, fScale] : {std::pair{"@1.5x", 1.5}, std::pair{"@2x", 2.0}}) {
                const QImage big(QString::fromStdString((dir / (std::string(pszName) + pszSuffix + ".png")).string()));
                EXPECT_EQ(big.size(), QSize(int(std::lround(plain.width() * fScale)), int(std::lround(plain.height() * fScale))))
                    << pszSkin << "/" << pszName << pszSuffix;
            }
        }
    }
}
