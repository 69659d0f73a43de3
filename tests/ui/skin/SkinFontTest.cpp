// The interface font: heights and weights by screen width, the default face
// made real, and the font file an installation may ship.
#include <gtest/gtest.h>

#include <QFont>
#include <QFontDatabase>
#include <algorithm>

#include "TestSupport.h"
#include "core/Gvar.h"
#include "ui/skin/SkinFont.h"
#include "ui/skin/SkinTestSupport.h"

namespace fs = std::filesystem;

namespace {

QString Q(const fs::path& path) { return QString::fromStdU16String(path.generic_u16string()); }

void SetFace(std::u16string_view face)
{
    std::fill(std::begin(gVar.szFontName), std::end(gVar.szFontName), u'\0');
    std::copy(face.begin(), face.end(), gVar.szFontName);
}

// A TrueType file of the system to stand in for an installation's own font:
// one of another family than the default face, so that using it shows.
fs::path SomeTrueTypeFile()
{
    for (const char* pszRoot : {"/usr/share/fonts", "/usr/local/share/fonts"}) {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(pszRoot, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec)) {
            if (it->path().extension() != ".ttf") continue;
            const int nId = QFontDatabase::addApplicationFont(Q(it->path()));
            const QStringList families = QFontDatabase::applicationFontFamilies(nId);
            QFontDatabase::removeApplicationFont(nId);
            if (!families.isEmpty() && families.first() != skin::InstalledSansFamily()) return it->path();
        }
    }
    return {};
}

class SkinFontTest : public ::testing::Test {
protected:
    void SetUp() override { SetFace(u""); }
    skintest::CGlobalsGuard m_guard;
};

TEST_F(SkinFontTest, HeightAndWeightFollowTheScreenWidth)
{
    gVar.FontSize[0] = 16;
    gVar.FontSize[1] = 0;  // takes its default
    gVar.FontSize[2] = 30;
    struct Case {
        int nWidth, nHeight;
        QFont::Weight weight;
    };
    const Case cases[] = {{1920, 16, QFont::DemiBold}, {2499, 16, QFont::DemiBold}, {2500, 20, QFont::DemiBold},
                          {3499, 20, QFont::DemiBold}, {3500, 30, QFont::Bold}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nWidth);
        EXPECT_EQ(skin::FontHeightForScreenWidth(c.nWidth), c.nHeight);
        EXPECT_EQ(skin::FontWeightForScreenWidth(c.nWidth), c.weight);
        const QFont font = skin::MakeInterfaceFont(c.nWidth);
        EXPECT_EQ(font.pixelSize(), c.nHeight);
        EXPECT_EQ(font.weight(), c.weight);
    }
}

TEST_F(SkinFontTest, TheDefaultFaceBecomesAnInstalledOne)
{
    for (std::u16string_view face : {u"", u"MS Shell Dlg", u"ms shell dlg 2"}) {
        SetFace(face);
        const QString strFamily = skin::InterfaceFamily();
        EXPECT_TRUE(QFontDatabase::hasFamily(strFamily)) << strFamily.toStdString();
        EXPECT_EQ(strFamily, skin::InstalledSansFamily());
    }
    // Controls that ask for the default face by name get the same face.
    SetFace(u"");
    skin::InstallFontSubstitutes();
    // (Qt keeps substitutes in lower case.)
    for (const char* pszFace : {"MS Shell Dlg", "MS Shell Dlg 2"}) {
        const QString strSubstitute = QFont::substitute(QLatin1String(pszFace));
        EXPECT_EQ(strSubstitute.compare(skin::InterfaceFamily(), Qt::CaseInsensitive), 0) << strSubstitute.toStdString();
    }
    // A configured face is kept as written.
    SetFace(u"Some Face");
    EXPECT_EQ(skin::InterfaceFamily(), QStringLiteral("Some Face"));
}

TEST_F(SkinFontTest, TheShippedFontIsUsedWhileRegisteredAndReleasedAfterwards)
{
    const fs::path ttf = SomeTrueTypeFile();
    if (ttf.empty()) GTEST_SKIP() << "no TrueType file on this system";
    struct Case {
        const char* pszWhere;
        fs::path rel;
    };
    const Case cases[] = {{"application folder", "AppFont.TTF"}, {"skins folder", fs::path("skins") / "appfont.ttf"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhere);
        test::CTempDir dir;
        fs::create_directories((dir.Path() / c.rel).parent_path());
        fs::copy_file(ttf, dir.Path() / c.rel);
        {
            skin::CAppFont font;
            ASSERT_TRUE(font.Load(Q(dir.Path())));
            EXPECT_TRUE(font.IsLoaded());
            EXPECT_EQ(font.FilePath(), Q(dir.Path() / c.rel));
            EXPECT_FALSE(font.Family().isEmpty());
            // The default face means "no preference": the shipped font is it.
            EXPECT_NE(font.Family(), skin::InstalledSansFamily());
            EXPECT_EQ(skin::InterfaceFamily(), font.Family());
        }
        EXPECT_EQ(skin::InterfaceFamily(), skin::InstalledSansFamily());
    }
}

TEST_F(SkinFontTest, NoUsableFontFileLeavesTheInstalledFace)
{
    test::CTempDir empty;
    skin::CAppFont font;
    EXPECT_FALSE(font.Load(Q(empty.Path())));
    test::CTempDir junk;
    test::WriteBytes(junk / "appfont.ttf", "this is not a font");
    EXPECT_FALSE(font.Load(Q(junk.Path())));
    EXPECT_FALSE(font.IsLoaded());
    EXPECT_EQ(skin::InterfaceFamily(), skin::InstalledSansFamily());
}

}  // namespace
