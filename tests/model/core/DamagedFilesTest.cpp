// Every stored file the program reads, replaced by what a crash, a power cut, a
// careless copy or a hostile user leaves: a pipe, an empty file, junk, zeros of
// the full size, a cut-off file, or the right content in the wrong byte order.
// For each: nothing hangs, the user is told, the files the program keeps aside
// are kept aside, and the program still starts with texts in its window.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <future>
#include <random>
#include <string>

#include "TestSupport.h"
#include "core/AtomicFile.h"
#include "core/FileAccess.h"
#include "core/Gvar.h"
#include "core/KeyCfg.h"
#include "core/Log.h"
#include "core/ProfileStore.h"
#include "core/Startup.h"
#include "core/Utf.h"
#include "keys/MacroCodec.h"
#include "keys/MacroFile.h"
#include "keys/MacroText.h"
#include "platform/PosixFiles.h"
#include "text/TextCatalogue.h"

namespace fs = std::filesystem;

namespace {

enum class Damage { Fifo, Empty, Junk, Zeros, Truncated, WrongOrder };

const char* Name(Damage d)
{
    switch (d) {
    case Damage::Fifo: return "a pipe";
    case Damage::Empty: return "empty";
    case Damage::Junk: return "junk";
    case Damage::Zeros: return "zeros of the full size";
    case Damage::Truncated: return "cut off";
    case Damage::WrongOrder: return "wrong byte order";
    }
    return "?";
}

constexpr Damage kAllDamage[] = {Damage::Fifo,  Damage::Empty,     Damage::Junk,
                                 Damage::Zeros, Damage::Truncated, Damage::WrongOrder};

// Puts the damaged form of good at path.
void Plant(const fs::path& path, const std::string& good, Damage d)
{
    fs::remove(path);
    std::string bytes;
    switch (d) {
    case Damage::Fifo: ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); return;
    case Damage::Empty: break;
    case Damage::Junk: {
        std::mt19937 rng(11);
        bytes.resize(std::clamp<size_t>(good.size(), 64, 3000));
        for (char& c : bytes) c = char(rng());
        break;
    }
    case Damage::Zeros: bytes.assign(good.size(), '\0'); break;
    case Damage::Truncated: bytes = good.substr(0, good.size() / 2 + 1); break;
    case Damage::WrongOrder:
        // Text files: UTF-16 in big-endian order without a byte-order mark; binary
        // files: every pair of bytes swapped.
        for (size_t i = 0; i + 1 < good.size(); i += 2) bytes += std::string{good[i + 1], good[i]};
        if (good.size() < 8 || good.find('\0') == std::string::npos) {
            bytes.clear();
            for (char c : good) bytes += std::string{'\0', c};
        }
        break;
    }
    test::WriteBytes(path, bytes);
}

// Runs fn; a call that blocks on the pipe is freed after a while by opening the
// pipe's other end, so that a regression fails instead of hanging the suite.
bool FinishesWithin(const std::function<void()>& fn, const fs::path& fifo)
{
    std::future<void> done = std::async(std::launch::async, fn);
    if (done.wait_for(std::chrono::seconds(10)) == std::future_status::ready) {
        done.get();
        return true;
    }
    const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0) ::close(fd);
    done.get();
    return false;
}

std::string Messages(const CRecordingPrompt& prompt)
{
    std::string s;
    for (const auto& e : prompt.Entries()) s += U16ToUtf8(e.caption) + ": " + U16ToUtf8(e.text) + "\n";
    return s;
}

class DamagedFilesTest : public ::testing::Test {
protected:
    void SetUp() override { Install(); }
    void TearDown() override { LogStop(); }
    // A fresh shipped installation and an empty user folder.
    void Install()
    {
        m_pDir = std::make_unique<test::CTempDir>();
        fs::create_directories(AppDir());
        fs::copy_file(test::SourceDir() / "data" / "cfg.ini", AppDir() / "cfg.ini");
        fs::copy(test::SourceDir() / "data" / "text", AppDir() / "text", fs::copy_options::recursive);
        fs::create_directories(UserDir());
        m_folders.appDir = AppDir();
        m_folders.userDirOverride = UserDir();
        m_prompt.Clear();
    }
    fs::path AppDir() const { return m_pDir->Path() / "app"; }
    fs::path UserDir() const { return m_pDir->Path() / "user"; }
    bool Start() { return RunStartupDataSteps(m_folders, m_prompt); }

    std::unique_ptr<test::CTempDir> m_pDir;
    StartupFolders m_folders;
    CRecordingPrompt m_prompt;
};

// The files start-up reads: the program comes up, says what is wrong in one
// message, keeps keycfg.kyg aside, and its window has a title from a catalogue.
TEST_F(DamagedFilesTest, StartUpFiles)
{
    const std::string cfg = test::ReadBytes(AppDir() / "cfg.ini");
    const std::string text = test::ReadBytes(AppDir() / "text" / "en" / "text.xml");
    auto kyg = std::make_unique<KeyCfgFile>();
    kyg->dwMagic = kKeyCfgMagic;
    const std::string keycfg = EncodeKeyCfg(*kyg);
    const std::string lang = "[OPT]\nLangIndex=0\nSkinsIndex=0\n";

    struct Row {
        const char* pszFile;
        bool bUserDir;
        const std::string& good;
        bool bKeptAside;
        bool bTellsAlways;  // lang.ini only holds two indexes: only a file that cannot be read is worth a word
    };
    const Row rows[] = {
        {"cfg.ini", false, cfg, false, true},
        {"text/en/text.xml", false, text, false, true},
        {"keycfg.kyg", true, keycfg, true, true},
        {"lang.ini", true, lang, false, false},
    };
    for (const Row& row : rows) {
        for (const Damage d : kAllDamage) {
            SCOPED_TRACE(std::string(row.pszFile) + " " + Name(d));
            Install();
            const fs::path path = (row.bUserDir ? UserDir() : AppDir()) / row.pszFile;
            Plant(path, row.good, d);
            bool bStarted = false;
            ASSERT_TRUE(FinishesWithin([&] { bStarted = Start(); }, path));
            LogStop();
            EXPECT_TRUE(bStarted);
            EXPECT_LE(m_prompt.Entries().size(), 1u) << Messages(m_prompt);  // one window at most
            // Still usable: the first half of cfg.ini holds all of [OPT]; UTF-16 is recognised by its first characters.
            const bool bUsable = (d == Damage::Truncated && row.pszFile == std::string("cfg.ini")) ||
                                 (d == Damage::WrongOrder && row.pszFile == std::string("text/en/text.xml"));
            if ((row.bTellsAlways && !bUsable) || d == Damage::Fifo) EXPECT_EQ(m_prompt.Entries().size(), 1u);
            if (d == Damage::Fifo)
                EXPECT_NE(Messages(m_prompt).find("not a regular file"), std::string::npos) << Messages(m_prompt);
            EXPECT_FALSE(gText.tc_title.empty()) << Messages(m_prompt);
            if (row.bKeptAside) EXPECT_TRUE(fs::exists(fs::symlink_status(path.string() + ".bad")));
        }
    }
}

// pro.dct and curid.dct at the main window's start-up: every damaged form is
// told, kept aside, and fresh profiles (or the first profile) take its place.
TEST_F(DamagedFilesTest, ProfileFiles)
{
    auto rec = std::make_unique<ProfileRecord>();
    rec->dwMagic = kProfileMagic;
    rec->nID = 0x01020304;
    CopyToFixed(rec->szName, u"Mine");
    CProList one;
    one.Add(std::move(rec));
    int nSaved = 0;
    const std::string proDct = EncodeProDct(one, nSaved);
    const std::string curId("\x04\x03\x02\x01", 4);

    for (const bool bCurId : {false, true}) {
        for (const Damage d : kAllDamage) {
            const fs::path path = UserDir() / (bCurId ? "curid.dct" : "pro.dct");
            SCOPED_TRACE(path.filename().string() + " " + Name(d));
            fs::remove_all(UserDir());
            fs::create_directories(UserDir());
            test::WriteBytes(UserDir() / "pro.dct", proDct);
            test::WriteBytes(UserDir() / "curid.dct", curId);
            Plant(path, bCurId ? curId : proDct, d);
            CRecordingPrompt prompt;
            CProList list;
            ProfileRecord* pCurrent = nullptr;
            ASSERT_TRUE(FinishesWithin(
                [&] {
                    CProfileStore store(UserDir(), prompt);
                    ProfileStartup startup;
                    startup.nProfileNum = 2;
                    pCurrent = LoadOrCreateProfiles(store, list, startup, prompt);
                },
                path));
            ASSERT_NE(pCurrent, nullptr);
            ASSERT_EQ(prompt.Entries().size(), 1u) << Messages(prompt);
            EXPECT_NE(Messages(prompt).find(".bad"), std::string::npos) << Messages(prompt);
            EXPECT_TRUE(fs::exists(fs::symlink_status(path.string() + ".bad")));
            // What the program stored instead reads back cleanly.
            EXPECT_TRUE(fs::is_regular_file(UserDir() / "pro.dct"));
            EXPECT_EQ(ListStoredProfiles(UserDir()).strProblem, "");
            if (bCurId) EXPECT_EQ(pCurrent->nID, 0x01020304u);  // the profiles themselves are untouched
        }
    }
}

// A pipe in place of pro.dct is refused (and kept aside by start-up) without
// hanging the listing of the command-line tool either.
TEST_F(DamagedFilesTest, ListingAPipeSaysSo)
{
    const fs::path path = UserDir() / "pro.dct";
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    StoredProfiles listed;
    ASSERT_TRUE(FinishesWithin([&] { listed = ListStoredProfiles(UserDir()); }, path));
    EXPECT_TRUE(listed.bFound);
    EXPECT_NE(listed.strProblem.find("not a regular file"), std::string::npos) << listed.strProblem;
    EXPECT_TRUE(listed.profiles.empty());
}

// Macro files are read when listed and shown: a damaged one is refused with a
// reason, never taken for a macro, and never blocks.
TEST_F(DamagedFilesTest, MacroFile)
{
    MacroRecord rec = MakeNewMacroRecord(u"Spray", 0x77, MacroKind::Macro);
    const MacroFileBytes enc = EncodeMacroFile(rec);
    const std::string good(reinterpret_cast<const char*>(enc.data()), enc.size());
    const fs::path path = UserDir() / "Spray.mcf";
    test::WriteBytes(path, good);
    std::string strText, strErr;
    ASSERT_TRUE(MacroFileToText(path, MacroKind::Macro, strText, strErr)) << strErr;

    for (const Damage d : kAllDamage) {
        SCOPED_TRACE(Name(d));
        Plant(path, good, d);
        bool bOk = true;
        strErr.clear();
        ASSERT_TRUE(FinishesWithin([&] { bOk = MacroFileToText(path, MacroKind::Macro, strText, strErr); }, path));
        if (d == Damage::Truncated) continue;  // a shorter file reads as if padded with zeros: its header is intact
        EXPECT_FALSE(bOk);
        EXPECT_FALSE(strErr.empty());
        if (d == Damage::Fifo) EXPECT_NE(strErr.find("not a regular file"), std::string::npos) << strErr;
    }
}

// Without the platform hook the model still refuses a pipe it can see by name.
TEST(FileAccess, FallbackRefusesAPipeByName)
{
    test::CTempDir dir;
    ASSERT_EQ(::mkfifo((dir / "p").c_str(), 0600), 0);
    test::WriteBytes(dir / "f", "abc");
    SetFileHooks({});
    std::string bytes;
    const FileRead pipe = ReadRegularFile(dir / "p", 10, bytes);
    const FileRead file = ReadRegularFile(dir / "f", 2, bytes);
    const FileRead missing = ReadRegularFile(dir / "none", 10, bytes);
    InstallPosixFileHooks();
    EXPECT_EQ(pipe.status, ReadStatus::NotRegular);
    EXPECT_EQ(file.status, ReadStatus::Ok);
    EXPECT_EQ(bytes, "");  // the last read cleared it
    EXPECT_TRUE(file.bMore);
    EXPECT_EQ(missing.status, ReadStatus::Missing);
}

// With the hook: the type is checked on the opened file; a file of exactly
// nMax bytes has nothing more; a folder and a device are refused too.
TEST(FileAccess, HookReadsOnlyRegularFiles)
{
    test::CTempDir dir;
    test::WriteBytes(dir / "f", "abc");
    std::string bytes;
    FileRead r = ReadRegularFile(dir / "f", 3, bytes);
    EXPECT_TRUE(r.Ok());
    EXPECT_FALSE(r.bMore);
    EXPECT_EQ(bytes, "abc");
    EXPECT_EQ(ReadRegularFile(dir.Path(), 3, bytes).status, ReadStatus::NotRegular);
    EXPECT_EQ(ReadRegularFile("/dev/null", 3, bytes).status, ReadStatus::NotRegular);
    EXPECT_EQ(ReadRegularFile(dir / "none" / "f", 3, bytes).status, ReadStatus::Missing);
    fs::create_symlink(dir / "f", dir / "link");
    EXPECT_TRUE(ReadRegularFile(dir / "link", 8, bytes).Ok());  // a link to a file is that file
    EXPECT_EQ(bytes, "abc");
}

}  // namespace
