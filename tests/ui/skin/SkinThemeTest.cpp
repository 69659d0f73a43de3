// The theme: contrast arithmetic, a skin's own colours read from its
// "skin.ini", and both generated skins checked for readable text on the very
// pixels the text is drawn on.
#include <gtest/gtest.h>

#include <QFile>
#include <QImageReader>

#include "SkinTestSupport.h"
#include "TestSupport.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/SkinTheme.h"

using namespace skintest;

namespace {

QString AppSkin(const char* pszSkin, const char* pszFile)
{
    return QString::fromStdString((std::filesystem::path(ZV_APP_DIR) / "skins" / pszSkin / pszFile).string());
}

QColor PixelOf(const char* pszSkin, const char* pszFile, QPoint pt)
{
    QImageReader reader(AppSkin(pszSkin, pszFile));
    const QImage img = reader.read().convertToFormat(QImage::Format_ARGB32);
    EXPECT_FALSE(img.isNull()) << pszFile;
    return img.isNull() ? QColor() : QColor::fromRgb(img.pixel(pt));
}

}  // namespace

TEST(SkinTheme, ContrastRatioFollowsTheWcagFormula)
{
    struct Case {
        QColor a, b;
        double fExpected;
    };
    const Case cases[] = {
        {Qt::black, Qt::white, 21.0},
        {Qt::white, Qt::black, 21.0},               // order does not matter
        {QColor(0x77, 0x77, 0x77), Qt::white, 4.48},  // the well-known grey just under 4.5
        {QColor(0x76, 0x76, 0x76), Qt::white, 4.54},
        {QColor(0x40, 0x80, 0xc0), QColor(0x40, 0x80, 0xc0), 1.0},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(skin::ContrastRatio(c.a, c.b), c.fExpected, 0.01) << c.a.name().toStdString() << " on "
                                                                      << c.b.name().toStdString();
}

TEST(SkinTheme, SkinIniReplacesTheColoursItNamesAndSkipsBadOnes)
{
    test::CTempDir dir;
    const QString strIni = QString::fromStdString((dir / "skin.ini").string());
    QFile file(strIni);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Colors]\nText=10,20,30\nWarning=not a colour\nFieldBack=255,255,255\n");
    file.close();
    skin::SkinTheme theme;
    const QColor warningBefore = theme.clrWarning;
    const QColor buttonBefore = theme.clrBtnTextNr;
    skin::ReadSkinColors(strIni, theme);
    EXPECT_EQ(theme.clrText, QColor(10, 20, 30));
    EXPECT_EQ(theme.clrFieldBack, QColor(255, 255, 255));
    EXPECT_EQ(theme.clrWarning, warningBefore);   // not a colour: kept
    EXPECT_EQ(theme.clrBtnTextNr, buttonBefore);  // not named: kept
    // A skin without the file keeps every colour.
    skin::SkinTheme other;
    skin::ReadSkinColors(QString::fromStdString((dir / "none.ini").string()), other);
    EXPECT_EQ(other.clrText, skin::SkinTheme().clrText);
}

// Every text the program draws on a skin's surfaces, against the pixels under
// it in the generated images: at least 4.5:1 in both skins.
TEST(SkinTheme, EveryTextOfBothSkinsHasEnoughContrastWithItsSurface)
{
    for (const char* pszSkin : {"dark", "light"}) {
        SCOPED_TRACE(pszSkin);
        skin::SkinTheme theme;
        skin::ReadSkinColors(AppSkin(pszSkin, "skin.ini"), theme);
        // The message window's body (between title strip and footer) and its footer.
        const QColor body = PixelOf(pszSkin, "msg_nr.png", QPoint(232, 110));
        const QColor title = PixelOf(pszSkin, "msg_nr.png", QPoint(232, 20));
        const QColor footer = PixelOf(pszSkin, "msg_nr.png", QPoint(20, 200));
        struct Pair {
            const char* pszWhat;
            QColor text, back;
        };
        const Pair pairs[] = {
            {"text on the message body", theme.clrText, body},
            {"text on a plain window", theme.clrText, theme.clrWindow},
            {"text on the title strip", theme.clrText, title},
            {"warning on the message body", theme.clrWarning, body},
            {"warning on the footer", theme.clrWarning, footer},
            {"button text", theme.clrBtnTextNr, PixelOf(pszSkin, "button_nr.png", QPoint(62, 11))},
            {"button text, hover", theme.clrBtnTextOv, PixelOf(pszSkin, "button_ov.png", QPoint(62, 11))},
            // The skinned windows' buttons show their hover picture while pressed.
            {"button text, pressed", theme.clrBtnTextDn, PixelOf(pszSkin, "button_ov.png", QPoint(62, 11))},
            {"navigation caption on the page", theme.clrBtnTextNr, PixelOf(pszSkin, "main_nr.png", QPoint(600, 300))},
            {"edit field text", theme.clrFieldText, theme.clrFieldBack},
            {"selected text", QColor(Qt::white), theme.clrSelection},
            {"list text", theme.clrMenuTextNr, theme.clrListBack},
            {"list text under the pointer", theme.clrMenuTextOv, theme.clrListItem},
        };
        for (const Pair& pair : pairs)
            EXPECT_GE(skin::ContrastRatio(pair.text, pair.back), 4.5)
                << pair.pszWhat << ": " << pair.text.name().toStdString() << " on " << pair.back.name().toStdString();
    }
}

TEST(SkinTheme, TheLightSkinIsLightWithDarkText)
{
    skin::SkinTheme theme;
    skin::ReadSkinColors(AppSkin("light", "skin.ini"), theme);
    const QColor body = PixelOf("light", "msg_nr.png", QPoint(232, 110));
    const QColor page = PixelOf("light", "main_nr.png", QPoint(600, 300));
    EXPECT_GT(body.lightnessF(), 0.85) << body.name().toStdString();
    EXPECT_GT(page.lightnessF(), 0.85) << page.name().toStdString();
    EXPECT_LT(theme.clrText.lightnessF(), 0.3);
    EXPECT_LT(theme.clrBtnTextNr.lightnessF(), 0.3);
    EXPECT_GT(theme.clrFieldBack.lightnessF(), 0.85);
    // The dark skin stays dark with light text.
    skin::SkinTheme dark;
    skin::ReadSkinColors(AppSkin("dark", "skin.ini"), dark);
    EXPECT_LT(PixelOf("dark", "msg_nr.png", QPoint(232, 110)).lightnessF(), 0.2);
    EXPECT_GT(dark.clrText.lightnessF(), 0.7);
}

TEST(SkinTheme, ThemeFromOptionsTakesTheChosenSkinsColours)
{
    CGlobalsGuard guard;
    g_szAppDir = ZV_APP_DIR;
    gVar.nSkinsNum = 2;
    const char16_t* dirs[] = {u"skins\\dark", u"skins\\light"};
    for (int i = 0; i < 2; ++i) std::char_traits<char16_t>::copy(gVar.Skins[i].szDir, dirs[i], std::char_traits<char16_t>::length(dirs[i]) + 1);
    gVar.clrTxt = 0xC8C8C8;  // the installation's light grey
    gVar.nSkinsIndex = 1;
    const skin::SkinTheme light = skin::ThemeFromOptions();
    EXPECT_TRUE(light.strSkinDir.endsWith(QLatin1String("skins/light"))) << light.strSkinDir.toStdString();
    EXPECT_LT(light.clrText.lightnessF(), 0.3);  // the skin's own dark text wins
    gVar.nSkinsIndex = 0;
    EXPECT_GT(skin::ThemeFromOptions().clrText.lightnessF(), 0.7);
}
