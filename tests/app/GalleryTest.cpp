// `zorvik --gallery DIR` as a user runs it: every control state and every
// message window as PNG files, for both skins at both interface scales.
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <cmath>
#include <filesystem>
#include <map>

#include "TestSupport.h"

namespace fs = std::filesystem;

namespace {

// The pictures of one skin at one scale, with the unscaled size of the
// windows (0 x 0: a control, any plausible size).
struct Expected {
    const char* pszName;
    int w, h;
};
constexpr Expected kExpected[] = {
    {"button-normal", 0, 0},     {"button-hover", 0, 0},    {"button-pressed", 0, 0}, {"button-disabled", 0, 0},
    {"msgbutton-normal", 0, 0},  {"msgbutton-hover", 0, 0}, {"msgbutton-pressed", 0, 0},
    {"msgbutton-disabled", 0, 0}, {"check-normal", 0, 0},   {"check-hover", 0, 0},    {"check-checked", 0, 0},
    {"check-disabled", 0, 0},    {"radio-normal", 0, 0},    {"radio-hover", 0, 0},    {"radio-checked", 0, 0},
    {"radio-disabled", 0, 0},    {"navi-normal", 0, 0},     {"navi-hover", 0, 0},     {"navi-checked", 0, 0},
    {"navi-disabled", 0, 0},     {"combo-closed", 0, 0},    {"combo-hover", 0, 0},    {"combo-open", 0, 0},
    {"combo-disabled", 0, 0},    {"tree", 0, 0},            {"slider-low", 0, 0},     {"slider-mid", 0, 0},
    {"slider-high", 0, 0},       {"slider-disabled", 0, 0}, {"mslider-low", 0, 0},    {"mslider-mid", 0, 0},
    {"mslider-high", 0, 0},      {"hprogress-low", 0, 0},   {"hprogress-mid", 0, 0},  {"hprogress-high", 0, 0},
    {"msg-message", 464, 220},   {"msg-long", 464, 220},    {"msg-question", 464, 220}, {"msg-text", 464, 220},
    {"msg-number", 464, 220},    {"msg-key", 464, 220},     {"msg-key-typed", 464, 220},
    {"query-one", 464, 220},     {"query-two", 464, 220},   {"notify", 360, 220},     {"notify-four", 360, 220},
    {"progress-0", 530, 150},    {"progress-50", 530, 150}, {"progress-100", 530, 150},
};

class GalleryTest : public ::testing::Test {
protected:
    QProcessEnvironment Env() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", QString::fromStdString(m_home.Path().string()));
        env.insert("XDG_DATA_HOME", QString::fromStdString((m_home / "data").string()));
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString((m_home / "run").string()));
        env.insert("XDG_CONFIG_HOME", QString::fromStdString((m_home / "config").string()));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        return env;
    }
    void SetUp() override
    {
        fs::create_directories(m_home / "run");
        fs::permissions(m_home / "run", fs::perms::owner_all, fs::perm_options::replace);
    }
    struct Result {
        int nExit;
        std::string strErr;
    };
    Result RunGallery(const fs::path& dir)
    {
        QProcess p;
        p.setProcessEnvironment(Env());
        p.start(QString::fromStdString((test::AppDir() / "zorvik").string()),
                {"--gallery", QString::fromStdString(dir.string())});
        EXPECT_TRUE(p.waitForFinished(180000));
        return {p.exitCode(), p.readAllStandardError().toStdString()};
    }
    static QImage Load(const fs::path& path) { return QImage(QString::fromStdString(path.string())); }

    test::CTempDir m_home;
};

}  // namespace

TEST_F(GalleryTest, DrawsEveryControlAndWindowForBothSkinsAndScales)
{
    const fs::path out = m_home / "gallery";
    const Result r = RunGallery(out);
    ASSERT_EQ(r.nExit, 0) << r.strErr;

    std::map<std::string, QImage> images;  // "<set>/<name>"
    for (const char* pszSkin : {"dark", "light"}) {
        // The interface scales 1.0 and 1.5, and a 200 % screen: every picture twice the pixels.
        for (const auto& [fScale, pszSet] : {std::pair{1.0, "-1.0"}, std::pair{1.5, "-1.5"}, std::pair{2.0, "-2.0"}}) {
            const std::string strSet = std::string(pszSkin) + pszSet;
            SCOPED_TRACE(strSet);
            for (const Expected& e : kExpected) {
                const fs::path file = out / strSet / (std::string(e.pszName) + ".png");
                ASSERT_TRUE(fs::is_regular_file(file)) << file;
                EXPECT_GT(fs::file_size(file), 100u) << file;
                const QImage img = Load(file);
                ASSERT_FALSE(img.isNull()) << file;
                if (e.w > 0) {
                    const QSize expected(int(std::floor(e.w * fScale)), int(std::floor(e.h * fScale)));
                    EXPECT_EQ(img.size(), expected) << e.pszName;
                } else {
                    EXPECT_GE(img.width(), 20) << e.pszName;
                    EXPECT_GE(img.height(), 20) << e.pszName;
                    EXPECT_LE(img.width(), 1200 * fScale) << e.pszName;
                    EXPECT_LE(img.height(), 800 * fScale) << e.pszName;
                }
                images[strSet + "/" + e.pszName] = img.convertToFormat(QImage::Format_ARGB32);
            }
            const QImage sheet = Load(out / strSet / "sheet.png");
            ASSERT_FALSE(sheet.isNull());
            EXPECT_GT(sheet.height(), 500);

            // The states really differ, and the positions of a bar show.
            const std::string s = strSet + "/";
            for (const auto& [a, b] : {std::pair{"button-normal", "button-hover"}, {"button-hover", "button-pressed"},
                                       {"check-normal", "check-checked"}, {"radio-normal", "radio-checked"},
                                       {"navi-normal", "navi-checked"}, {"slider-low", "slider-high"},
                                       {"mslider-low", "mslider-high"}, {"hprogress-low", "hprogress-high"},
                                       {"progress-0", "progress-50"}, {"progress-50", "progress-100"},
                                       {"msg-message", "msg-question"}})
                EXPECT_NE(images[s + a], images[s + b]) << a << " / " << b;
            EXPECT_GT(images[s + "combo-open"].height(), images[s + "combo-closed"].height() * 3);
        }
    }
    // The large-screen pictures are the normal ones at one and a half times the size.
    for (const char* pszName : {"button-normal", "check-normal", "slider-mid", "tree"}) {
        const QSize one = images[std::string("dark-1.0/") + pszName].size();
        const QSize big = images[std::string("dark-1.5/") + pszName].size();
        EXPECT_NEAR(big.width(), one.width() * 1.5, 2.0) << pszName;
        EXPECT_NEAR(big.height(), one.height() * 1.5, 2.0) << pszName;
    }
    // The 200 % pictures hold twice the pixels of the 100 % ones, and finer
    // detail than the 100 % ones enlarged: a picture scaled up from 100 % has
    // every pixel repeated in pairs, a sharp one does not.
    for (const char* pszName : {"button-normal", "check-checked", "msg-message", "tree"}) {
        const QImage& one = images[std::string("dark-1.0/") + pszName];
        const QImage& two = images[std::string("dark-2.0/") + pszName];
        EXPECT_EQ(two.size(), one.size() * 2) << pszName;
        EXPECT_NE(two, one.scaled(one.size() * 2)) << pszName;
        int nOddEdges = 0;
        for (int y = 0; y < two.height(); ++y)
            for (int x = 0; x + 1 < two.width(); x += 2)
                if (two.pixel(x, y) != two.pixel(x + 1, y)) ++nOddEdges;
        EXPECT_GT(nOddEdges, 20) << pszName;
    }
    // The two skins look different.
    EXPECT_NE(images["dark-1.0/msg-message"], images["light-1.0/msg-message"]);
    EXPECT_NE(images["dark-1.0/button-normal"], images["light-1.0/button-normal"]);
}

TEST_F(GalleryTest, AFolderThatCannotBeMadeFailsWithAReason)
{
    test::WriteBytes(m_home / "blocker", "a file, not a folder");
    const Result r = RunGallery(m_home / "blocker" / "gallery");
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.strErr.find("cannot make the folder"), std::string::npos) << r.strErr;
}
