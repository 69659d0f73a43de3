// The skin image layer: where images are looked up, state images and their
// checks, backgrounds, the interface scale, text fitting, lighting masks, and
// the skins the build draws.
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QPainter>
#include <QWidget>
#include <map>
#include <string>

#include "TestSupport.h"
#include "core/Gvar.h"
#include "core/Ini.h"
#include "core/IPrompt.h"
#include "core/Options.h"
#include "core/Utf.h"
#include "ui/QtText.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/SkinManifest.h"
#include "ui/skin/SkinTestSupport.h"

namespace fs = std::filesystem;

namespace {

QString Q(const fs::path& path) { return QString::fromStdU16String(path.generic_u16string()); }

void WriteImage(const fs::path& path, QSize size, QRgb argb = 0xFF336699)
{
    fs::create_directories(path.parent_path());
    QImage img(size, QImage::Format_ARGB32);
    img.fill(QColor::fromRgba(argb));
    ASSERT_TRUE(img.save(Q(path), "PNG")) << path;
}

void SetSkins(const std::vector<const char16_t*>& folders, int nIndex)
{
    gVar.nSkinsNum = 0;
    for (const char16_t* pszFolder : folders) {
        LangSkinEntry& e = gVar.Skins[gVar.nSkinsNum++];
        std::fill(std::begin(e.szDir), std::end(e.szDir), u'\0');
        std::char_traits<char16_t>::copy(e.szDir, pszFolder, std::char_traits<char16_t>::length(pszFolder));
    }
    gVar.nSkinsIndex = nIndex;
}

std::vector<std::string> Texts(const CRecordingPrompt& prompt)
{
    std::vector<std::string> texts;
    for (const auto& e : prompt.Entries()) texts.push_back(U16ToUtf8(e.text) + "|" + U16ToUtf8(e.caption));
    return texts;
}

class SkinImagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_szAppDir = m_dir.Path();
        SetSkins({}, 0);
        gVar.bHighDpiScreen = false;
    }
    fs::path Skins() const { return m_dir / "skins"; }

    skintest::CGlobalsGuard m_guard;
    test::CTempDir m_dir;
    CRecordingPrompt m_prompt;
};

// ---- folders and names ------------------------------------------------------------

TEST_F(SkinImagesTest, FoldersFollowTheSkinListAndFallBackToTheSharedFolder)
{
    WriteImage(Skins() / "check_nr.png", {17, 17});
    WriteImage(Skins() / "dark" / "check_nr.png", {18, 18});
    WriteImage(Skins() / "light" / "check_nr.png", {19, 19});
    WriteImage(Skins() / "mouse" / "mouse_nr.png", {30, 40});
    WriteImage(Skins() / "dark" / "mouse" / "number1.png", {18, 18});

    struct Case {
        const char* pszWhat;
        std::vector<const char16_t*> skins;
        int nIndex;
        int nChosenWidth;  // which check_nr.png the chosen folder gives
    };
    const Case cases[] = {
        {"no skin listed: the shared folder", {}, 0, 17},
        {"first skin", {u"skins\\dark", u"skins\\light"}, 0, 18},
        {"second skin", {u"skins\\dark", u"skins\\light"}, 1, 19},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        SetSkins(c.skins, c.nIndex);
        EXPECT_EQ(skin::LoadChosen("check_nr.png").width(), c.nChosenWidth);
        EXPECT_EQ(skin::LoadCommon("check_nr.png").width(), 17);
        EXPECT_EQ(skin::LoadMouse("mouse_nr.png").size(), QSize(30, 40));
        EXPECT_EQ(skin::MousePath("mouse_nr.png"), Q(Skins() / "mouse" / "mouse_nr.png"));
    }
    // A name with a sub-folder, written with a backslash, inside the chosen skin.
    SetSkins({u"skins\\dark"}, 0);
    EXPECT_EQ(skin::ChosenPath("mouse\\number1.png"), Q(Skins() / "dark" / "mouse" / "number1.png"));
    // A full path is used as it is; a missing name loads nothing.
    EXPECT_EQ(skin::LoadChosen(Q(Skins() / "light" / "check_nr.png")).width(), 19);
    EXPECT_TRUE(skin::LoadChosen("missing.png").isNull());
    EXPECT_TRUE(skin::ChosenPath("missing.png").isEmpty());
}

TEST_F(SkinImagesTest, NamesAreFoundInAnyLetterCaseButNeverOutsideTheFolder)
{
    WriteImage(Skins() / "check_nr.png", {1, 1});
    WriteImage(Skins() / "Button_ov.png", {1, 1});
    WriteImage(Skins() / "Mouse" / "Number1.png", {1, 1});
    WriteImage(Skins() / "same.png", {1, 1});
    WriteImage(Skins() / "SAME.png", {1, 1});
    WriteImage(m_dir / "outside.png", {1, 1});
    const QString strFolder = Q(Skins());

    const std::map<QString, QString> cases = {
        {"Check_nr.png", "check_nr.png"},
        {"button_ov.png", "Button_ov.png"},
        {"mouse\\number1.png", "Mouse/Number1.png"},
        {"mouse/NUMBER1.PNG", "Mouse/Number1.png"},
        {"SAME.png", "SAME.png"},  // the exact spelling wins over another one
        {"same.png", "same.png"},
        {"missing.png", ""},
        {"../outside.png", ""},
        {"mouse/../../outside.png", ""},
        {Q(m_dir / "outside.png"), ""},
        {"mouse", ""},  // a folder is not an image
        {"", ""},
    };
    for (const auto& [strName, strExpected] : cases) {
        SCOPED_TRACE(strName.toStdString());
        const QString strFound = skin::FindCaseInsensitive(strFolder, strName);
        EXPECT_EQ(strFound, strExpected.isEmpty() ? QString() : strFolder + "/" + strExpected);
    }
    EXPECT_TRUE(skin::FindCaseInsensitive(Q(m_dir / "nowhere"), "check_nr.png").isEmpty());
}

// ---- state images ---------------------------------------------------------------------

TEST_F(SkinImagesTest, StateImagesReportASizeMismatchOnceAndFallBackToTheNormalImage)
{
    WriteImage(Skins() / "ok_nr.png", {17, 17}, 0xFF112233);
    WriteImage(Skins() / "ok_ov.png", {17, 17}, 0xFF445566);
    WriteImage(Skins() / "ok_dn.png", {17, 17}, 0xFF778899);
    WriteImage(Skins() / "wide_ov.png", {18, 17});
    WriteImage(Skins() / "tall_dn.png", {17, 18});

    struct Case {
        const char *pszNr, *pszOv, *pszDn;
        bool bAllLoaded;
        std::vector<std::string> messages;
        QRgb ov, dn;  // the colours the hover and pressed images end up with
    };
    const std::string kSize = "The size of ok_nr.png is not equal|";
    const Case cases[] = {
        {"ok_nr.png", "ok_ov.png", "ok_dn.png", true, {}, 0xFF445566, 0xFF778899},
        // No pressed image of its own: the hover image is passed twice.
        {"ok_nr.png", "ok_ov.png", "ok_ov.png", true, {}, 0xFF445566, 0xFF445566},
        // A hover image 1 pixel wider: reported, and the button still gets made.
        {"ok_nr.png", "wide_ov.png", "ok_dn.png", true, {kSize}, 0xFF336699, 0xFF778899},
        // A missing pressed image counts as size 0: reported, and not all loaded.
        {"ok_nr.png", "ok_ov.png", "no_dn.png", false, {kSize}, 0xFF445566, 0xFF112233},
        // Two faults, one message.
        {"ok_nr.png", "wide_ov.png", "tall_dn.png", true, {kSize}, 0xFF336699, 0xFF336699},
        {"ok_nr.png", "no_ov.png", "no_dn.png", false, {kSize}, 0xFF112233, 0xFF112233},
        // Nothing loads: all sizes equal (0), so no message, but not all loaded.
        {"no_nr.png", "no_ov.png", "no_dn.png", false, {}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pszOv) + " " + c.pszDn);
        m_prompt.Clear();
        bool bAllLoaded = !c.bAllLoaded;
        const skin::StateImages images = skin::LoadStateImages(c.pszNr, c.pszOv, c.pszDn, &m_prompt, bAllLoaded);
        EXPECT_EQ(bAllLoaded, c.bAllLoaded);
        EXPECT_EQ(Texts(m_prompt), c.messages);
        EXPECT_EQ(images.ov.isNull() ? 0u : images.ov.pixel(0, 0), c.ov);
        EXPECT_EQ(images.dn.isNull() ? 0u : images.dn.pixel(0, 0), c.dn);
    }
}

// ---- backgrounds ---------------------------------------------------------------------------

TEST_F(SkinImagesTest, CutBackgroundCopiesThePieceAndLaysTheTintOverIt)
{
    QImage page(100, 50, QImage::Format_ARGB32);
    page.fill(QColor(200, 0, 0));
    for (int y = 0; y < 50; ++y)
        for (int x = 50; x < 100; ++x) page.setPixel(x, y, qRgb(0, 0, 200));

    const QImage cut = skin::CutBackground(page, QRect(40, 10, 20, 20));
    ASSERT_EQ(cut.size(), QSize(20, 20));
    EXPECT_EQ(cut.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(cut.pixel(9, 5), qRgb(200, 0, 0));
    EXPECT_EQ(cut.pixel(10, 5), qRgb(0, 0, 200));

    const QColor tint(0, 0, 0);
    const QImage dark = skin::CutBackground(page, QRect(40, 10, 20, 20), &tint, 128);
    const QColor left = dark.pixelColor(0, 0), right = dark.pixelColor(19, 19);
    EXPECT_NEAR(left.red(), 100, 1);
    EXPECT_EQ(left.blue(), 0);
    EXPECT_NEAR(right.blue(), 100, 1);
    EXPECT_EQ(right.alpha(), 255);
    const QColor white(255, 255, 255);
    EXPECT_EQ(skin::CutBackground(page, QRect(0, 0, 2, 2), &white, 255).pixel(1, 1), qRgb(255, 255, 255));
    EXPECT_EQ(skin::CutBackground(page, QRect(0, 0, 2, 2), &white, 0).pixel(1, 1), qRgb(200, 0, 0));

    // The part beyond the page stays transparent; an empty rectangle gives nothing.
    const QImage edge = skin::CutBackground(page, QRect(90, 40, 20, 20));
    EXPECT_EQ(edge.pixel(5, 5), qRgb(0, 0, 200));
    EXPECT_EQ(qAlpha(edge.pixel(15, 15)), 0);
    EXPECT_TRUE(skin::CutBackground(page, QRect(10, 10, 0, 5)).isNull());
}

TEST_F(SkinImagesTest, ComposeImageDrawsTheOverlayOverItsPieceOfBackground)
{
    QImage page(60, 40, QImage::Format_ARGB32);
    page.fill(QColor(0, 0, 200));
    QImage overlay(10, 10, QImage::Format_ARGB32);
    overlay.fill(QColor(255, 0, 0, 128));
    const QImage composed = skin::ComposeImage(page, QRect(10, 10, 30, 20), overlay, QRect(5, 5, 10, 10));
    ASSERT_EQ(composed.size(), QSize(30, 20));
    EXPECT_EQ(composed.pixel(0, 0), qRgb(0, 0, 200));
    const QColor mixed = composed.pixelColor(8, 8);
    EXPECT_NEAR(mixed.red(), 128, 2);
    EXPECT_NEAR(mixed.blue(), 100, 2);
    EXPECT_EQ(composed.pixel(15, 15), qRgb(0, 0, 200));
}

// ---- interface scale --------------------------------------------------------------------------

TEST_F(SkinImagesTest, ScaleFollowsTheScreenWidth)
{
    const std::pair<int, double> cases[] = {{800, 1.0}, {2499, 1.0}, {2500, 1.4}, {2600, 1.4}, {2799, 1.4},
                                            {2800, 1.5}, {3499, 1.5}, {3500, 1.9}, {7680, 1.9}};
    for (const auto& [nWidth, fScale] : cases) EXPECT_DOUBLE_EQ(skin::ScaleForScreenWidth(nWidth), fScale) << nWidth;
}

TEST_F(SkinImagesTest, ImagesAndControlsScaleOnlyWhileScalingIsOn)
{
    QImage img(100, 30, QImage::Format_ARGB32);
    img.fill(Qt::red);
    // The factor stored at start-up (1.4) counts only once scaling is switched on.
    g_fScale = 1.4f;
    gVar.bHighDpiScreen = false;
    EXPECT_DOUBLE_EQ(skin::InterfaceScale(), 1.0);
    EXPECT_EQ(skin::ScaleImage(img).size(), QSize(100, 30));

    struct Case {
        double fScale;
        QSize source, scaled;
    };
    const Case cases[] = {{1.4, {100, 30}, {140, 42}}, {1.5, {17, 17}, {25, 25}}, {1.9, {100, 30}, {190, 57}},
                          {1.9, {1063, 800}, {2019, 1520}}, {1.4, {1, 1}, {1, 1}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fScale);
        skin::SetInterfaceScale(c.fScale);
        EXPECT_TRUE(gVar.bHighDpiScreen);
        EXPECT_DOUBLE_EQ(skin::InterfaceScale(), c.fScale);
        QImage src(c.source, QImage::Format_ARGB32);
        src.fill(Qt::green);
        const QImage scaled = skin::ScaleImage(src);
        EXPECT_EQ(scaled.size(), c.scaled);
        EXPECT_EQ(scaled.pixel(scaled.width() - 1, scaled.height() - 1), qRgb(0, 255, 0));
    }
    // Nearest neighbour: a one-pixel stripe stays hard-edged.
    skin::SetInterfaceScale(1.5);
    QImage stripes(4, 1, QImage::Format_ARGB32);
    for (int x = 0; x < 4; ++x) stripes.setPixel(x, 0, x % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    const QImage wide = skin::ScaleImage(stripes);
    for (int x = 0; x < wide.width(); ++x) EXPECT_TRUE(wide.pixel(x, 0) == qRgb(0, 0, 0) || wide.pixel(x, 0) == qRgb(255, 255, 255));

    QWidget parent;
    parent.resize(400, 300);
    QWidget child(&parent);
    child.setGeometry(10, 20, 30, 40);
    skin::ScaleWindow(&child);
    EXPECT_EQ(child.geometry(), QRect(15, 30, 45, 60));
    skin::SetInterfaceScale(1.0);
    EXPECT_FALSE(gVar.bHighDpiScreen);
    skin::ScaleWindow(&child);
    EXPECT_EQ(child.geometry(), QRect(15, 30, 45, 60));
}

TEST_F(SkinImagesTest, CenterOnParentCentresAChildInItsParent)
{
    QWidget parent;
    parent.resize(400, 300);
    QWidget child(&parent);
    skin::CenterOnParent(&child, 100, 50);
    EXPECT_EQ(child.geometry(), QRect(150, 125, 100, 50));
}

// ---- text -------------------------------------------------------------------------------------

// The bounding box of the dark pixels of a white image.
QRect Ink(const QImage& img)
{
    QRect rc;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qGray(img.pixel(x, y)) < 128) rc = rc.united(QRect(x, y, 1, 1));
    return rc;
}

class DrawTextFitTest : public SkinImagesTest {
protected:
    QRect Draw(const QString& strText, const QRect& rc, QRect& rcUsed)
    {
        QImage img(300, 200, QImage::Format_ARGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(14);
        p.setFont(font);
        p.setPen(Qt::black);
        rcUsed = skin::DrawTextFit(p, strText, rc);
        p.end();
        return Ink(img);
    }
};

TEST_F(DrawTextFitTest, TextThatFitsIsCentredOnOneLine)
{
    const QRect rc(20, 40, 200, 40);
    QRect rcUsed;
    const QRect ink = Draw(QStringLiteral("Apply now"), rc, rcUsed);
    EXPECT_EQ(rcUsed, rc);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.center().x(), rc.center().x(), 2);
    EXPECT_NEAR(ink.center().y(), rc.center().y(), 3);
    EXPECT_LT(ink.height(), 20);  // one line
}

TEST_F(DrawTextFitTest, TooWideTextWrapsAndStaysCentredOnTheRectangle)
{
    struct Case {
        const char* pszWhat;
        QRect rc;
    };
    const Case cases[] = {
        {"a low rectangle grows", QRect(100, 90, 90, 16)},
        {"a high rectangle shrinks", QRect(100, 10, 90, 180)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        QRect rcUsed;
        const QRect ink = Draw(QStringLiteral("alpha beta gamma delta"), c.rc, rcUsed);
        EXPECT_EQ(rcUsed.left(), c.rc.left());
        EXPECT_EQ(rcUsed.width(), c.rc.width());
        EXPECT_NEAR(rcUsed.center().y(), c.rc.center().y(), 1);
        EXPECT_GE(rcUsed.height(), 2 * 14);  // at least two lines
        EXPECT_LT(rcUsed.height(), 100);
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_GE(ink.left(), c.rc.left());
        EXPECT_LE(ink.right(), c.rc.right());
        EXPECT_GT(ink.height(), 20);  // several lines
        EXPECT_NEAR(ink.center().y(), c.rc.center().y(), 4);
        EXPECT_NEAR(ink.center().x(), c.rc.center().x(), 6);
    }
}

// ---- masks --------------------------------------------------------------------------------------

TEST_F(SkinImagesTest, MaskKeepsTheAlphaOfEveryPixelRowByRow)
{
    QImage mask(3, 2, QImage::Format_ARGB32);
    const uint8_t alphas[] = {0, 1, 128, 200, 254, 255};
    for (int i = 0; i < 6; ++i) mask.setPixel(i % 3, i / 3, qRgba(255, 255, 255, alphas[i]));
    const fs::path path = Skins() / "ms_mk.skn";  // a PNG whatever its name says
    fs::create_directories(path.parent_path());
    ASSERT_TRUE(mask.save(Q(path), "PNG"));

    QSize size;
    EXPECT_EQ(skin::LoadMask(Q(path), size), std::vector<uint8_t>(std::begin(alphas), std::end(alphas)));
    EXPECT_EQ(size, QSize(3, 2));
    std::vector<uint8_t> alpha;
    EXPECT_EQ(skin::LoadMaskFor(Q(path), QSize(3, 2), alpha), skin::MaskLoad::Ok);
    EXPECT_EQ(alpha.size(), 6u);
    EXPECT_EQ(skin::LoadMaskFor(Q(path), QSize(4, 2), alpha), skin::MaskLoad::WrongSize);
    EXPECT_TRUE(alpha.empty());
    EXPECT_EQ(skin::LoadMaskFor(Q(Skins() / "none.skn"), QSize(3, 2), alpha), skin::MaskLoad::Missing);
    EXPECT_EQ(skin::LoadMaskFor(QString(), QSize(3, 2), alpha), skin::MaskLoad::Missing);

    // Without an alpha channel every pixel would light: refused.
    QImage opaque(3, 2, QImage::Format_RGB32);
    opaque.fill(Qt::white);
    ASSERT_TRUE(opaque.save(Q(Skins() / "opaque.skn"), "PNG"));
    EXPECT_EQ(skin::LoadMaskFor(Q(Skins() / "opaque.skn"), QSize(3, 2), alpha), skin::MaskLoad::Missing);
    test::WriteBytes(Skins() / "junk.skn", "not a picture");
    EXPECT_TRUE(skin::LoadMask(Q(Skins() / "junk.skn"), size).empty());
    EXPECT_FALSE(size.isValid());
}

TEST_F(SkinImagesTest, MaskStrengthBlendsTheLedColourOverThePicture)
{
    const QRgb picture = qRgb(100, 60, 20), led = qRgb(255, 0, 128);
    EXPECT_EQ(skin::BlendMaskPixel(picture, led, 0), picture);
    EXPECT_EQ(skin::BlendMaskPixel(picture, led, 255), led);
    // a = 128: 128/255 of the LED, 127/255 of the picture, whole numbers.
    EXPECT_EQ(skin::BlendMaskPixel(picture, led, 128), qRgb(177, 29, 74));
    EXPECT_EQ(qAlpha(skin::BlendMaskPixel(qRgba(10, 10, 10, 0), led, 255)), 0);

    QImage img(3, 1, QImage::Format_ARGB32);
    img.fill(QColor(100, 60, 20));
    const QImage lit = skin::ApplyMask(img, {0, 255, 128}, led);
    EXPECT_EQ(lit.pixel(0, 0), picture);
    EXPECT_EQ(lit.pixel(1, 0), led);
    EXPECT_EQ(lit.pixel(2, 0), qRgb(177, 29, 74));
    // A mask of another size leaves the picture as it is.
    EXPECT_EQ(skin::ApplyMask(img, {255, 255}, led).pixel(1, 0), picture);
}

// ---- the skins the build draws --------------------------------------------------------------------

fs::path FolderOf(skin::SkinFolder folder)
{
    switch (folder) {
    case skin::SkinFolder::Chosen: return GetSkinDir();
    case skin::SkinFolder::Common: return g_szAppDir / "skins";
    case skin::SkinFolder::Mouse: return g_szAppDir / "skins" / "mouse";
    }
    return {};
}

TEST_F(SkinImagesTest, EverySkinTheOptionsListHoldsEveryImageAtItsSize)
{
    g_szAppDir = test::AppDir();
    CRecordingPrompt prompt;
    LoadLangAndSkins(CIniFile::Load(test::AppDir() / "cfg.ini"), CIniFile(), prompt);
    ASSERT_GE(gVar.nSkinsNum, 2) << "cfg.ini lists the dark and the light skin";
    for (int nSkin = 0; nSkin < gVar.nSkinsNum; ++nSkin) {
        gVar.nSkinsIndex = nSkin;
        SCOPED_TRACE(GetSkinDir().string());
        std::map<std::string, QSize> stateSizes;
        for (const skin::SkinImageEntry& entry : skin::RequiredImages()) {
            const QString strName = QString::fromLatin1(entry.pszName);
            const fs::path folder = FolderOf(entry.folder);
            SCOPED_TRACE(entry.pszName);
            const QString strPath = skin::FindCaseInsensitive(Q(folder), strName);
            ASSERT_FALSE(strPath.isEmpty()) << "missing in " << folder;
            const QImage img = entry.folder == skin::SkinFolder::Chosen   ? skin::LoadChosen(strName)
                               : entry.folder == skin::SkinFolder::Common ? skin::LoadCommon(strName)
                                                                         : skin::LoadMouse(strName);
            ASSERT_FALSE(img.isNull());
            if (!entry.AnySize()) {
                EXPECT_EQ(img.size(), entry.Size());
            }
            const QString strStem = skin::StateStem(strName);
            if (strStem.isEmpty()) continue;
            const auto [it, bNew] = stateSizes.try_emplace(folder.string() + "|" + strStem.toStdString(), img.size());
            EXPECT_EQ(it->second, img.size()) << "state images of one control differ in size";
        }
    }
    // Every mask has its picture's size and lights some of it.
    for (const skin::MaskPair& pair : skin::MaskPairs()) {
        SCOPED_TRACE(pair.pszMask);
        const QImage picture = pair.pictureFolder == skin::SkinFolder::Mouse ? skin::LoadMouse(pair.pszPicture)
                                                                             : skin::LoadCommon(pair.pszPicture);
        std::vector<uint8_t> alpha;
        ASSERT_EQ(skin::LoadMaskFor(skin::FindCaseInsensitive(Q(FolderOf(pair.maskFolder)), pair.pszMask), picture.size(), alpha),
                  skin::MaskLoad::Ok);
        EXPECT_GT(std::count_if(alpha.begin(), alpha.end(), [](uint8_t a) { return a == 255; }), 100);
        EXPECT_GT(std::count(alpha.begin(), alpha.end(), uint8_t{0}), std::ptrdiff_t(alpha.size() / 2));
    }
    // The two skins differ: the light one is not a copy of the dark one.
    gVar.nSkinsIndex = 0;
    const QImage dark = skin::LoadChosen("main_nr.png");
    gVar.nSkinsIndex = 1;
    EXPECT_NE(dark, skin::LoadChosen("main_nr.png"));
}

TEST_F(SkinImagesTest, TheNoticeShapeColourOnlySurroundsTheNotice)
{
    // The notice window keeps every pixel but R 0x20, G 0x20, B 0x22: the
    // corners must be that colour and the text area must not.
    g_szAppDir = test::AppDir();
    for (const char16_t* pszSkin : {u"skins\\dark", u"skins\\light"}) {
        SetSkins({pszSkin}, 0);
        const QImage notice = skin::LoadChosen("notify.png").convertToFormat(QImage::Format_RGB32);
        ASSERT_FALSE(notice.isNull());
        EXPECT_EQ(notice.pixel(0, 0), qRgb(0x20, 0x20, 0x22));
        EXPECT_EQ(notice.pixel(notice.width() - 1, notice.height() - 1), qRgb(0x20, 0x20, 0x22));
        int nKey = 0;
        for (int y = 20; y < notice.height() - 20; ++y)
            for (int x = 20; x < notice.width() - 20; ++x) nKey += notice.pixel(x, y) == qRgb(0x20, 0x20, 0x22);
        EXPECT_EQ(nKey, 0);
    }
}

TEST_F(SkinImagesTest, TheBrokenSkinSetTripsEveryCheck)
{
    // The generator's faulty set: what the pages' tests build on.
    g_szAppDir = test::AppDir().parent_path() / "skin-broken";
    ASSERT_TRUE(fs::is_directory(g_szAppDir / "skins")) << g_szAppDir;
    bool bAllLoaded = false;
    skin::LoadStateImages("check_nr.png", "check_ov.png", "check_dn.png", &m_prompt, bAllLoaded);
    EXPECT_TRUE(bAllLoaded);
    EXPECT_EQ(Texts(m_prompt), std::vector<std::string>{"The size of check_nr.png is not equal|"});
    m_prompt.Clear();
    skin::LoadStateImages("lightleft_nr.png", "lightleft_nr.png", "lightleft_dn.png", &m_prompt, bAllLoaded);
    EXPECT_FALSE(bAllLoaded);
    EXPECT_EQ(Texts(m_prompt), std::vector<std::string>{"The size of lightleft_nr.png is not equal|"});

    const QImage mouse = skin::LoadMouse("mouse_nr.png");
    ASSERT_FALSE(mouse.isNull());
    std::vector<uint8_t> alpha;
    EXPECT_EQ(skin::LoadMaskFor(skin::CommonPath("ms_mk.skn"), mouse.size(), alpha), skin::MaskLoad::WrongSize);

    EXPECT_FALSE(skin::ChosenPath("msg_nr.png").isEmpty());
    EXPECT_TRUE(skin::LoadChosen("msg_nr.png").isNull());
}

}  // namespace
