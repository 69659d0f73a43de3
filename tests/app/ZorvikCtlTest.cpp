// zorvikctl's profile, key and macro commands as a user runs them, on the demo
// installation and on the fixture configurations of every device family.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "TestSupport.h"
#include "core/ProfileStore.h"
#include "core/Utf.h"
#include "keys/FunId.h"
#include "core/TimeOfDay.h"
#include "keys/MacroFile.h"
#include "keys/MacroId.h"
#include "keys/MacroList.h"

namespace fs = std::filesystem;

namespace {

struct CtlResult { int nExit; std::string strOut, strErr; };

class ZorvikCtlTest : public ::testing::Test {
protected:
    // An application folder holding the given cfg.ini and the shipped languages.
    fs::path MakeAppDir(const fs::path& cfg)
    {
        const fs::path app = m_home / "app";
        fs::create_directories(app);
        fs::copy_file(cfg, app / "cfg.ini", fs::copy_options::overwrite_existing);
        fs::copy(test::SourceDir() / "data" / "text", app / "text",
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        return app;
    }
    CtlResult Run(const fs::path& appDir, const QStringList& args, const QByteArray& input = {})
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", QString::fromStdString(m_home.Path().string()));
        env.insert("XDG_DATA_HOME", QString::fromStdString((m_home / "data").string()));
        p.setProcessEnvironment(env);
        QStringList all = {"--app-dir", QString::fromStdString(appDir.string()), "--user-dir",
                           QString::fromStdString(UserDir().string())};
        all += args;
        p.start(QString::fromStdString((test::AppDir() / "zorvikctl").string()), all);
        p.write(input);
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(20000));
        return {p.exitCode(), p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
    }
    fs::path UserDir() const { return m_home / "user"; }
    // Stores two profiles, the second current, its first mouse key set to a middle click.
    void StoreProfiles()
    {
        CProList list;
        for (const auto& [id, name] : {std::pair{0x00112233u, u"Work"}, std::pair{0x00445566u, u"Game night"}}) {
            auto p = std::make_unique<ProfileRecord>();
            p->dwMagic = kProfileMagic;
            p->nID = id;
            CopyToFixed(p->szName, name);
            list.Add(std::move(p));
        }
        list.At(1)->Ms.Mode[0].Key[0][0].FunID = MakeFunID(FUN_MOUSE, kMsMiddle);
        int nSaved = 0;
        fs::create_directories(UserDir());
        test::WriteBytes(UserDir() / "pro.dct", EncodeProDct(list, nSaved));
        test::WriteBytes(UserDir() / "curid.dct", std::string("\x66\x55\x44\x00", 4));
        ASSERT_EQ(nSaved, 2);
    }

    test::CTempDir m_home;
};

TEST_F(ZorvikCtlTest, ProfilesListsIdNameAndCurrentMark)
{
    const fs::path app = MakeAppDir(test::SourceDir() / "data" / "cfg.ini");
    const CtlResult none = Run(app, {"profiles"});
    EXPECT_EQ(none.nExit, 0);
    EXPECT_NE(none.strOut.find("no stored profiles"), std::string::npos) << none.strOut;

    StoreProfiles();
    const CtlResult r = Run(app, {"profiles"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(r.strOut, "  0x00112233  Work\n* 0x00445566  Game night\n");
}

TEST_F(ZorvikCtlTest, KeysShowTheCurrentProfilesMouseKeysByName)
{
    const fs::path app = MakeAppDir(test::SourceDir() / "data" / "cfg.ini");
    const CtlResult def = Run(app, {"keys"});
    ASSERT_EQ(def.nExit, 0) << def.strErr;
    EXPECT_NE(def.strOut.find("default layout, mouse mode 1\nK1   0x01000011  Left Click\n"), std::string::npos)
        << def.strOut;

    StoreProfiles();
    const CtlResult mine = Run(app, {"keys", "1"});
    ASSERT_EQ(mine.nExit, 0) << mine.strErr;
    EXPECT_NE(mine.strOut.find("profile Game night, mouse mode 1\nK1   0x01000012  Middle Click\n"), std::string::npos)
        << mine.strOut;
    EXPECT_EQ(Run(app, {"keys", "4"}).nExit, 2);
}

// Every command that reads the profiles says what is wrong with a damaged
// pro.dct in the same words, and none hangs on a pipe in place of a file.
TEST_F(ZorvikCtlTest, DamagedProfilesAreReportedAlikeByEveryCommand)
{
    const fs::path app = MakeAppDir(test::SourceDir() / "data" / "cfg.ini");
    fs::create_directories(UserDir());
    test::WriteBytes(UserDir() / "pro.dct", std::string(kProDctSize, '\0'));  // zeros left by a power cut
    const std::string strWant = "Warning: The profile file pro.dct is damaged (it holds no valid profile).";
    for (const char* pszCmd : {"profiles", "keys"}) {
        SCOPED_TRACE(pszCmd);
        const CtlResult r = Run(app, {pszCmd});
        EXPECT_NE(r.strErr.find(strWant), std::string::npos) << r.strErr;
    }
    EXPECT_EQ(test::ReadBytes(UserDir() / "pro.dct"), std::string(kProDctSize, '\0'));  // listing changes nothing

    fs::remove(UserDir() / "pro.dct");
    ASSERT_EQ(::mkfifo((UserDir() / "pro.dct").c_str(), 0600), 0);
    fs::remove(app / "text" / "en" / "text.xml");
    ASSERT_EQ(::mkfifo((app / "text" / "en" / "text.xml").c_str(), 0600), 0);
    for (const char* pszCmd : {"profiles", "keys"}) {
        SCOPED_TRACE(pszCmd);
        const CtlResult r = Run(app, {pszCmd});  // returns: Run waits at most 20 s
        EXPECT_NE(r.strErr.find("not a regular file"), std::string::npos) << r.strErr;
    }
    const CtlResult shown = Run(app, {"macro", "show", QString::fromStdString((UserDir() / "pro.dct").string())});
    EXPECT_EQ(shown.nExit, 1);
    EXPECT_NE(shown.strErr.find("not a regular file"), std::string::npos) << shown.strErr;
}

TEST_F(ZorvikCtlTest, KeysWorkOnEveryFamilysConfiguration)
{
    struct Case { const char* pszFixture; int nExit; const char* pszHead; };
    const Case cases[] = {
        {"wireless4.ini", 0, "mouse mode 1\nK1 "}, {"wireless5.ini", 0, "mouse mode 1\nK1 "},
        {"mouse-only.ini", 0, "mouse mode 1\nK1 "}, {"kb20.ini", 0, "keyboard\nK1 "},
        {"kb21.ini", 0, "keyboard\nK1 "}, {"kb23.ini", 0, "keyboard\nK1 "}, {"kb24.ini", 0, "keyboard\nK1 "},
        {"keyboard-only.ini", 0, "keyboard\nK1 "}, {"pad-only.ini", 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszFixture);
        const fs::path app = MakeAppDir(test::FixtureDir() / "cfg" / c.pszFixture);
        const CtlResult r = Run(app, {"keys"});
        EXPECT_EQ(r.nExit, c.nExit) << r.strErr;
        EXPECT_NE(r.strOut.find(c.pszHead), std::string::npos) << r.strOut;
        EXPECT_EQ(r.strOut.find("(unknown function)"), std::string::npos) << r.strOut;
        // The configuration itself loads without a message.
        EXPECT_EQ(r.strErr.find("Error:"), std::string::npos) << r.strErr;
    }
}

TEST_F(ZorvikCtlTest, MacroShowOutputMakesTheSameFileAgain)
{
    const fs::path app = MakeAppDir(test::SourceDir() / "data" / "cfg.ini");
    const fs::path first = m_home / "copy.mcf", second = m_home / "other" / "again.mcf";
    fs::create_directories(second.parent_path());
    const CtlResult made = Run(app, {"macro", "new", "Copy", QString::fromStdString(first.string())},
                               "down LCtrl 20ms\ndown C 30ms\nup C 10ms\nup LCtrl\n");
    ASSERT_EQ(made.nExit, 0) << made.strErr;
    const CtlResult shown = Run(app, {"macro", "show", QString::fromStdString(first.string())});
    ASSERT_EQ(shown.nExit, 0) << shown.strErr;
    EXPECT_NE(shown.strOut.find("name \"Copy\"\n"), std::string::npos) << shown.strOut;
    EXPECT_NE(shown.strOut.find("down LCtrl 20ms\ndown C 30ms\nup C 10ms\nup LCtrl\n"), std::string::npos);

    const CtlResult again = Run(app, {"macro", "new", "Copy", QString::fromStdString(second.string())},
                                QByteArray::fromStdString(shown.strOut));
    ASSERT_EQ(again.nExit, 0) << again.strErr;
    EXPECT_EQ(test::ReadBytes(first), test::ReadBytes(second));

    // An existing file is never replaced.
    EXPECT_EQ(Run(app, {"macro", "new", "Copy", QString::fromStdString(first.string()), "up A"}).nExit, 1);

    // Beside the first file its identifier is taken: the copy gets a new one and says so.
    const fs::path third = m_home / "third.mcf";
    const CtlResult beside = Run(app, {"macro", "new", "Copy", QString::fromStdString(third.string())},
                                 QByteArray::fromStdString(shown.strOut));
    ASSERT_EQ(beside.nExit, 0) << beside.strErr;
    EXPECT_NE(beside.strErr.find("is taken; the macro gets"), std::string::npos) << beside.strErr;
    EXPECT_NE(ReadMacroFile(third).rec.MacroID & 0xFFFFFF, ReadMacroFile(first).rec.MacroID & 0xFFFFFF);
}

// Macros made one after the other by a script land within the same second:
// each must still get an identifier no other macro of its folder has, or a key
// bound to one would play another. The folder is filled with macros holding
// every identifier the clock gives in the coming seconds, so each new one has
// to step past them.
TEST_F(ZorvikCtlTest, MacrosMadeInALoopGetDistinctIdentifiers)
{
    const fs::path app = MakeAppDir(test::SourceDir() / "data" / "cfg.ini");
    const fs::path mac = UserDir() / "Mac";
    fs::create_directories(mac);
    const fs::path seed = m_home / "seed.mcf";
    ASSERT_EQ(Run(app, {"macro", "new", "seed", QString::fromStdString(seed.string()), "down A 5ms", "up A"}).nExit, 0);
    MacroRecord rec = ReadMacroFile(seed).rec;
    std::set<uint32_t> taken;
    const TimeOfDay now = SystemTimeOfDay();
    // Seven seconds of identifiers: 1792 macros, below the 2000 a list holds,
    // so every one of them is read before a new one is stamped.
    constexpr unsigned kSeconds = 7;
    static_assert(kSeconds * 256 < kMacroListMax);
    for (unsigned s = 0; s < kSeconds; ++s) {
        const unsigned nSecs = now.nHour * 3600 + now.nMinute * 60 + now.nSecond + s;
        const TimeOfDay t{(nSecs / 3600) % 24, (nSecs / 60) % 60, nSecs % 60, 0};
        for (unsigned ms = 0; ms < 256; ++ms) {
            rec.MacroID = MacroIdFromTime({t.nHour, t.nMinute, t.nSecond, ms});
            if (rec.MacroID == 0) continue;
            taken.insert(rec.MacroID);
            std::string strErr;
            ASSERT_TRUE(save_macro_to_file_mcb(mac / ("taken" + std::to_string(taken.size()) + ".mcf"), rec, false, strErr))
                << strErr;
        }
    }
    std::set<uint32_t> made;
    for (int i = 0; i < 3; ++i) {
        const fs::path file = mac / ("m" + std::to_string(i) + ".mcf");
        const CtlResult r = Run(app, {"macro", "new", QString("m%1").arg(i), QString::fromStdString(file.string()), "down A 5ms", "up A"});
        ASSERT_EQ(r.nExit, 0) << i << ": " << r.strErr;
        const MacroFileRead read = ReadMacroFile(file);
        ASSERT_TRUE(read.bOpened);
        const uint32_t id = read.rec.MacroID & 0xFFFFFF;
        EXPECT_NE(id, 0u);
        EXPECT_EQ(taken.count(id), 0u) << std::hex << id;
        EXPECT_TRUE(made.insert(id).second) << std::hex << id;
    }
}

TEST_F(ZorvikCtlTest, MacroErrorsNameTheLineOfTheInput)
{
    const fs::path app = MakeAppDir(test::SourceDir() / "data" / "cfg.ini");
    const fs::path file = m_home / "bad.mcf";
    const CtlResult r = Run(app, {"macro", "new", "Bad", QString::fromStdString(file.string()), "down A 5ms", "jump"});
    EXPECT_EQ(r.nExit, 1);
    EXPECT_NE(r.strErr.find("line 2: unknown action \"jump\""), std::string::npos) << r.strErr;
    EXPECT_FALSE(fs::exists(file));

    const CtlResult shown = Run(app, {"macro", "show", QString::fromStdString((m_home / "missing.mcf").string())});
    EXPECT_EQ(shown.nExit, 1);
    EXPECT_FALSE(shown.strErr.empty());
    EXPECT_EQ(Run(app, {"macro", "frob"}).nExit, 2);
}

TEST_F(ZorvikCtlTest, WatchReportsWhichWatcherRunsAndRefusesBadDurations)
{
    const fs::path app = MakeAppDir(test::SourceDir() / "data" / "cfg.ini");
    const CtlResult r = Run(app, {"watch", "1"});
    EXPECT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_EQ(r.strOut.rfind("watching hidraw nodes (", 0), 0u) << r.strOut;
    EXPECT_EQ(Run(app, {"watch", "0"}).nExit, 2);
    EXPECT_EQ(Run(app, {"watch"}).nExit, 2);
}

}  // namespace

// A profile and the macro its key plays go from one user folder to another
// through a .bkm file; importing it a second time is refused by its name.
TEST_F(ZorvikCtlTest, ExportThenImportCarriesTheProfileAndItsMacro)
{
    const fs::path app = MakeAppDir(test::SourceDir() / "data" / "cfg.ini");
    StoreProfiles();
    fs::create_directories(UserDir() / "Mac");
    const CtlResult made = Run(app, {"macro", "new", "Burst", QString::fromStdString((UserDir() / "Mac" / "Burst.mcf").string())},
                               "down A 10ms\nup A\n");
    ASSERT_EQ(made.nExit, 0) << made.strErr;
    const MacroFileRead macro = ReadMacroFile(UserDir() / "Mac" / "Burst.mcf");
    ASSERT_TRUE(macro.bOpened);
    // Bind the current profile's first mouse key to it.
    CProList list;
    ASSERT_EQ(DecodeProDct(test::ReadBytes(UserDir() / "pro.dct"), list).nLoaded, 2);
    list.At(1)->Ms.Mode[0].Key[0][0].FunID = MakeFunID(FUN_MACRO, 0);
    list.At(1)->Ms.Mode[0].Key[0][0].MacroID = macro.rec.MacroID;
    int nSaved = 0;
    test::WriteBytes(UserDir() / "pro.dct", EncodeProDct(list, nSaved));

    const fs::path bkm = m_home / "Shared.bkm", kyg = m_home / "layout.kyg";
    const CtlResult ex = Run(app, {"export", QString::fromStdString(bkm.string())});
    ASSERT_EQ(ex.nExit, 0) << ex.strErr;
    EXPECT_EQ(fs::file_size(bkm), 83996u);
    const CtlResult exKeys = Run(app, {"export-keys", QString::fromStdString(kyg.string())});
    ASSERT_EQ(exKeys.nExit, 0) << exKeys.strErr;
    EXPECT_EQ(fs::file_size(kyg), 27748u);

    fs::rename(UserDir(), m_home / "old-user");
    const CtlResult im = Run(app, {"import", QString::fromStdString(bkm.string())});
    ASSERT_EQ(im.nExit, 0) << im.strErr;
    EXPECT_NE(im.strOut.find("profile Shared imported with 1 macros"), std::string::npos) << im.strOut;
    // This installation has no macro groups: the macro lands in the macro folder itself.
    EXPECT_TRUE(fs::exists(UserDir() / "Mac" / "Burst.mcf"));
    const CtlResult listed = Run(app, {"profiles"});
    EXPECT_NE(listed.strOut.find("*"), std::string::npos);
    EXPECT_NE(listed.strOut.find("Shared"), std::string::npos) << listed.strOut;
    const CtlResult keys = Run(app, {"keys", "1"});
    EXPECT_NE(keys.strOut.find("profile Shared, mouse mode 1\nK1   0x05000000  Macro - Burst"), std::string::npos)
        << keys.strOut << keys.strErr;

    const CtlResult again = Run(app, {"import", QString::fromStdString(bkm.string())});
    EXPECT_EQ(again.nExit, 1);
    EXPECT_NE(again.strErr.find("already exists"), std::string::npos) << again.strErr;

    // The key layout into a third user folder: its macro goes to OrgMac and
    // the current profile's first key plays it.
    fs::rename(UserDir(), m_home / "second-user");
    StoreProfiles();
    const CtlResult imKeys = Run(app, {"import-keys", QString::fromStdString(kyg.string())});
    ASSERT_EQ(imKeys.nExit, 0) << imKeys.strErr;
    EXPECT_TRUE(fs::exists(UserDir() / "OrgMac" / "Burst.mcf"));
    EXPECT_EQ(test::ReadBytes(UserDir() / "keycfg.kyg").size(), 27748u);
    const CtlResult keys2 = Run(app, {"keys", "1"});
    EXPECT_NE(keys2.strOut.find("profile Game night, mouse mode 1\nK1   0x05000000  Macro - Burst"), std::string::npos)
        << keys2.strOut << keys2.strErr;
}
