// zorvikctl's device commands (list, apply, reset, emu-state) as a user runs
// them with --emulate: every command a process of its own, the virtual
// devices' on-board state carried from one process to the next through the
// user folder, the journal written where --journal says.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/ProfileStore.h"
#include "keys/FunId.h"
#include "keys/MacroFile.h"

namespace fs = std::filesystem;

namespace {

struct CtlResult { int nExit; std::string strOut, strErr; };

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool HasLineStarting(const std::vector<std::string>& lines, const std::string& head)
{
    for (const auto& l : lines)
        if (l.rfind(head, 0) == 0) return true;
    return false;
}

// The block of one mode in the wired mouse's state ("mode 1:" up to the next mode).
std::string ModeBlock(const std::string& state, int nMode)
{
    const std::string head = "mode " + std::to_string(nMode) + ":\n";
    const size_t at = state.find(head);
    if (at == std::string::npos) return {};
    const size_t end = state.find("\nmode ", at + head.size());
    return state.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

// The keyboard slot whose default function is the key vk, in a stored profile.
int KbSlotOf(const ProfileRecord& pro, uint8_t vk)
{
    for (int i = 0; i < kKbKeyNum; ++i)
        if (FunClass(pro.Kb.Key[i].FunID) == FUN_KEY && pro.Kb.Key[i].byKey1 == vk && pro.Kb.Key[i].byModifier == 0)
            return i;
    return -1;
}

class ZorvikCtlDeviceTest : public ::testing::Test {
protected:
    fs::path MakeAppDir(const fs::path& cfg)
    {
        const fs::path app = m_home / "app";
        fs::create_directories(app);
        fs::copy_file(cfg, app / "cfg.ini", fs::copy_options::overwrite_existing);
        fs::copy(test::SourceDir() / "data" / "text", app / "text",
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        return app;
    }
    fs::path DemoApp() { return MakeAppDir(test::SourceDir() / "data" / "cfg.ini"); }
    CtlResult Run(const fs::path& appDir, const QStringList& args)
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
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(60000));
        return {p.exitCode(), p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
    }
    fs::path UserDir() const { return m_home / "user"; }
    QString Q(const fs::path& p) const { return QString::fromStdString(p.string()); }

    // Changes the stored current profile (made by an earlier run).
    template <typename Fn>
    void EditCurrentProfile(Fn&& fn)
    {
        StoredProfiles stored = ListStoredProfiles(UserDir());
        ASSERT_TRUE(stored.pCurrent) << "no stored profile";
        ProfileRecord* p = stored.records.Find(stored.pCurrent->nID);
        ASSERT_NE(p, nullptr);
        fn(*p);
        int nSaved = 0;
        test::WriteBytes(UserDir() / "pro.dct", EncodeProDct(stored.records, nSaved));
    }

    test::CTempDir m_home;
};

TEST_F(ZorvikCtlDeviceTest, ApplyWritesTheProfileAndTheNextProcessFindsItOnTheDevice)
{
    const fs::path app = DemoApp();
    // A fresh virtual mouse has never been given a debounce time.
    const CtlResult fresh = Run(app, {"--emulate", "emu-state"});
    ASSERT_EQ(fresh.nExit, 0) << fresh.strErr;
    EXPECT_NE(fresh.strOut.find("debounce: not set"), std::string::npos) << fresh.strOut;

    const fs::path journal = m_home / "j.txt";
    const CtlResult applied = Run(app, {"--emulate", "apply", "--journal", Q(journal)});
    ASSERT_EQ(applied.nExit, 0) << applied.strErr;
    EXPECT_EQ(applied.strErr.find("protocol rule broken"), std::string::npos) << applied.strErr;
    EXPECT_TRUE(fs::exists(UserDir() / "pro.dct")) << "the default profiles are stored";

    // Every part of the full apply: the general block of the current mode
    // (read, then written), the key matrix of each mode, lift-off, debounce.
    const std::vector<std::string> lines = SplitLines(test::ReadBytes(journal));
    for (const char* head : {"setf cmd 05 11 ", "getf data 04 11 ", "setf data 04 11 00 7b ", "setf data 04 12 00 50 ",
                             "setf data 04 22 00 50 ", "setf data 04 32 00 50 ", "setf cmd 05 1b ", "setf cmd 05 1a "})
        EXPECT_TRUE(HasLineStarting(lines, head)) << head << "\n" << test::ReadBytes(journal);
    for (const auto& l : lines) {
        const bool bOp = l.rfind("setf ", 0) == 0 || l.rfind("getf ", 0) == 0;
        EXPECT_TRUE(bOp) << l;
    }

    // The profile's DPI levels of mode 1, three of the six switched off, reach the mouse.
    EditCurrentProfile([](ProfileRecord& pro) {
        for (int i = 3; i < kMsDpiLevelNum; ++i) pro.Ms.Mode[0].Dpi[i].bDisabled = 1;
    });
    ASSERT_EQ(Run(app, {"--emulate", "apply"}).nExit, 0);
    const CtlResult state = Run(app, {"--emulate", "emu-state"});
    ASSERT_EQ(state.nExit, 0) << state.strErr;
    EXPECT_NE(ModeBlock(state.strOut, 1).find("DPI levels: 3 enabled"), std::string::npos) << state.strOut;
    EXPECT_NE(ModeBlock(state.strOut, 1).find("level 1: code 02"), std::string::npos) << state.strOut;
    EXPECT_EQ(state.strOut.find("debounce: not set"), std::string::npos) << state.strOut;
    EXPECT_TRUE(fs::exists(UserDir() / "emu" / "mirex.state"));
}

TEST_F(ZorvikCtlDeviceTest, ResetWritesTheDefaultsToEveryModeAndToTheProfile)
{
    const fs::path app = DemoApp();
    ASSERT_EQ(Run(app, {"--emulate", "apply"}).nExit, 0);
    EditCurrentProfile([](ProfileRecord& pro) {
        for (int m = 0; m < kMsModeNum; ++m)
            for (int i = 2; i < kMsDpiLevelNum; ++i) pro.Ms.Mode[m].Dpi[i].bDisabled = 1;
    });
    ASSERT_EQ(Run(app, {"--emulate", "apply"}).nExit, 0);
    ASSERT_NE(Run(app, {"--emulate", "emu-state"}).strOut.find("DPI levels: 2 enabled"), std::string::npos);

    const fs::path journal = m_home / "reset.txt";
    const CtlResult reset = Run(app, {"--emulate", "reset", "--journal", Q(journal)});
    ASSERT_EQ(reset.nExit, 0) << reset.strErr;
    const std::vector<std::string> lines = SplitLines(test::ReadBytes(journal));
    for (const char* head : {"setf data 04 11 00 7b ", "setf data 04 21 00 7b ", "setf data 04 31 00 7b "})
        EXPECT_TRUE(HasLineStarting(lines, head)) << head;

    const CtlResult state = Run(app, {"--emulate", "emu-state"});
    for (int m = 1; m <= 3; ++m)
        EXPECT_NE(ModeBlock(state.strOut, m).find("DPI levels: 6 enabled"), std::string::npos) << m << state.strOut;
    const StoredProfiles stored = ListStoredProfiles(UserDir());
    ASSERT_TRUE(stored.pCurrent);
    EXPECT_EQ(stored.pCurrent->Ms.Mode[0].Dpi[2].bDisabled, 0) << "the stored profile holds the defaults";
}

TEST_F(ZorvikCtlDeviceTest, FlagsLimitTheApplyToTheAskedParts)
{
    const fs::path app = DemoApp();
    const fs::path journal = m_home / "j.txt";
    const CtlResult r = Run(app, {"--emulate", "--journal", Q(journal), "apply", "--flags", "0x40"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    const std::vector<std::string> lines = SplitLines(test::ReadBytes(journal));
    EXPECT_TRUE(HasLineStarting(lines, "setf cmd 05 1a ")) << test::ReadBytes(journal);
    EXPECT_FALSE(HasLineStarting(lines, "setf data ")) << test::ReadBytes(journal);
    EXPECT_FALSE(HasLineStarting(lines, "setf cmd 05 1b ")) << test::ReadBytes(journal);
}

TEST_F(ZorvikCtlDeviceTest, FaultsMakeTheCommandFailWithAReason)
{
    const fs::path app = DemoApp();
    struct Case { const char* pszFault; int nExit; const char* pszReason; };
    const Case cases[] = {
        {"fail=100", 1, "writing to the wired mouse failed"},
        {"unplug-after=3", 1, "writing to the wired mouse failed"},
        {"garbage", 1, "writing to the wired mouse failed"},
        {"refuse-open", 1, "may not open it"},
        // One stalled transfer is retried: the apply still succeeds.
        {"fail=1", 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszFault);
        const CtlResult r = Run(app, {"--emulate", "--emu-fault", c.pszFault, "apply"});
        EXPECT_EQ(r.nExit, c.nExit) << r.strErr;
        EXPECT_NE(r.strErr.find(c.pszReason), std::string::npos) << r.strErr;
    }
}

TEST_F(ZorvikCtlDeviceTest, ListShowsTheVirtualInterfacesOfEveryConfiguredDevice)
{
    const CtlResult r = Run(DemoApp(), {"--emulate", "list"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    const std::vector<std::string> lines = SplitLines(r.strOut);
    ASSERT_EQ(lines.size(), 9u) << r.strOut;
    EXPECT_EQ(lines[0], "258a:1007  usage ff00/0001  id 5  in 0 out 0 feature 6  emu:mirex/cmd  wired mouse");
    EXPECT_EQ(lines[1], "258a:1007  usage ff00/0001  id 4  in 0 out 0 feature 520  emu:mirex/data  wired mouse");
    EXPECT_NE(lines[3].find("usage 0001/0002"), std::string::npos) << lines[3];
    // The demo's keyboard: command, data and music interfaces, and its consumer keys.
    EXPECT_EQ(lines[4], "258a:0c45  usage ff00/0001  id 5  in 0 out 0 feature 6  emu:kb22/cmd  keyboard");
    EXPECT_EQ(lines[5], "258a:0c45  usage ff00/0001  id 6  in 0 out 0 feature 1032  emu:kb22/data  keyboard");
    EXPECT_NE(lines[6].find("feature 382  emu:kb22/music"), std::string::npos) << lines[6];
    EXPECT_NE(lines[7].find("usage 000c/0001"), std::string::npos) << lines[7];
    EXPECT_EQ(lines[8], "258a:0d21  usage ff00/0001  id 48  in 0 out 0 feature 27  emu:pad/general  mouse pad");
}

TEST_F(ZorvikCtlDeviceTest, ThePadOnlyInstallationAppliesToTheVirtualPad)
{
    const fs::path app = MakeAppDir(test::FixtureDir() / "cfg" / "pad-only.ini");
    const CtlResult list = Run(app, {"--emulate", "list"});
    ASSERT_EQ(list.nExit, 0) << list.strErr;
    EXPECT_EQ(list.strOut, "258a:0d21  usage ff00/0001  id 48  in 0 out 0 feature 27  emu:pad/general  mouse pad\n");

    const fs::path journal = m_home / "pad.txt";
    const CtlResult applied = Run(app, {"--emulate", "apply", "--journal", Q(journal)});
    ASSERT_EQ(applied.nExit, 0) << applied.strErr;
    EXPECT_EQ(applied.strErr, "");  // nothing left unwritten, no rule broken
    EXPECT_NE(applied.strOut.find("profile written to the mouse pad: "), std::string::npos) << applied.strOut;
    // Discovery reads the pad's block; the apply reads it again and writes it
    // with the description's default lighting (effect record 1, speed 3, all
    // seven colours), the pad's own first two bytes as they came.
    const std::string factory =
        "getf general 30 a1 02 01 42 00 ff 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00";
    EXPECT_EQ(SplitLines(test::ReadBytes(journal)),
              (std::vector<std::string>{
                  factory, factory,
                  "setf general 30 a1 02 02 43 00 ff 00 00 00 00 ff 00 ff 00 80 00 ff fa c6 03 fa 03 6a ff ff ff"}));
    const CtlResult state = Run(app, {"--emulate", "emu-state"});
    ASSERT_EQ(state.nExit, 0) << state.strErr;
    EXPECT_NE(state.strOut.find("== pad ==\nmouse pad pad: 258a:0d21"), std::string::npos) << state.strOut;
    EXPECT_NE(state.strOut.find("lighting: effect 2, speed 3, brightness 100 % (code 4)\n"), std::string::npos)
        << state.strOut;
    EXPECT_NE(state.strOut.find("  colour 7: ff ff ff\n"), std::string::npos) << state.strOut;

    // A changed profile is on the pad after the next apply; reset brings the defaults back.
    EditCurrentProfile([](ProfileRecord& pro) {
        pro.Pad.nLedMode = 0;
        pro.Pad.Mode[0].nDirect = 6;
        pro.Pad.Mode[0].nColorMask = 0x04;
    });
    ASSERT_EQ(Run(app, {"--emulate", "apply"}).nExit, 0);
    const std::string changed = Run(app, {"--emulate", "emu-state"}).strOut;
    EXPECT_NE(changed.find("lighting: effect 1, speed 2, brightness 100 % (code 4)\n  direction: first\n"
                           "  colour 1: 00 ff 00\n"),
              std::string::npos)
        << changed;
    ASSERT_EQ(Run(app, {"--emulate", "reset"}).nExit, 0);
    EXPECT_NE(Run(app, {"--emulate", "emu-state"}).strOut.find("lighting: effect 2, speed 3"), std::string::npos);

    struct Case { const char* pszFault; int nExit; const char* pszReason; };
    const Case cases[] = {
        {"fail=3", 1, "writing to the mouse pad failed"},
        {"unplug-after=1", 1, "writing to the mouse pad failed"},
        {"refuse-open", 1, "the mouse pad is there but this user may not open it"},
        {"fail=1", 0, ""},  // retried
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszFault);
        const CtlResult r = Run(app, {"--emulate", "--emu-fault", c.pszFault, "apply"});
        EXPECT_EQ(r.nExit, c.nExit) << r.strErr;
        EXPECT_NE(r.strErr.find(c.pszReason), std::string::npos) << r.strErr;
        EXPECT_EQ(r.strErr.find("protocol rule broken"), std::string::npos) << r.strErr;
    }
    // None of them left anything half-written on the pad.
    EXPECT_NE(Run(app, {"--emulate", "emu-state"}).strOut.find("lighting: effect 2, speed 3"), std::string::npos);
}

TEST_F(ZorvikCtlDeviceTest, BadUsageExitsTwo)
{
    const fs::path app = DemoApp();
    const QStringList cases[] = {
        {"--emulate", "--emu-fault", "melt", "apply"},
        {"--emulate", "--emu-fault", "fail=x", "apply"},
        {"--journal", "j.txt", "list"},
        {"--emulate", "apply", "--flags", "0"},
        {"--emulate", "apply", "--flags", "zz"},
        {"emu-state"},
        {"--emulate", "reset", "now"},
    };
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        EXPECT_EQ(Run(app, args).nExit, 2);
    }
    EXPECT_FALSE(fs::exists(UserDir() / "pro.dct")) << "bad usage touches nothing";
}

TEST_F(ZorvikCtlDeviceTest, AnUnreadableStateFileIsKeptAsideAndTheDeviceStartsFresh)
{
    const fs::path app = DemoApp();
    fs::create_directories(UserDir() / "emu");
    test::WriteBytes(UserDir() / "emu" / "mirex.state", "this is not a mouse\n");
    const CtlResult r = Run(app, {"--emulate", "emu-state"});
    ASSERT_EQ(r.nExit, 0) << r.strErr;
    EXPECT_NE(r.strErr.find("mirex.state.bad"), std::string::npos) << r.strErr;
    EXPECT_EQ(test::ReadBytes(UserDir() / "emu" / "mirex.state.bad"), "this is not a mouse\n");
    EXPECT_NE(r.strOut.find("debounce: not set"), std::string::npos) << r.strOut;
}

TEST_F(ZorvikCtlDeviceTest, TheWirelessFamilyAppliesThroughItsReceiver)
{
    for (const char* pszFixture : {"wireless4.ini", "wireless5.ini"}) {
        SCOPED_TRACE(pszFixture);
        fs::remove_all(UserDir());
        const fs::path app = MakeAppDir(test::FixtureDir() / "cfg" / pszFixture);
        const CtlResult list = Run(app, {"--emulate", "list"});
        EXPECT_NE(list.strOut.find("wireless mouse (receiver)"), std::string::npos) << list.strOut;

        const fs::path journal = m_home / "w.txt";
        const CtlResult applied = Run(app, {"--emulate", "apply", "--journal", Q(journal)});
        ASSERT_EQ(applied.nExit, 0) << applied.strErr;
        // The receiver's profile (2) gets the general block.
        EXPECT_NE(test::ReadBytes(journal).find("setf data"), std::string::npos) << test::ReadBytes(journal);
        EXPECT_EQ(Run(app, {"--emulate", "reset"}).nExit, 0);
        const CtlResult off = Run(app, {"--emulate", "--emu-fault", "mouse-off", "apply"});
        EXPECT_EQ(off.nExit, 1);
        EXPECT_FALSE(off.strErr.empty());
    }
}

// Two identical type-24 keyboards: each found, paired with its own input
// interface and written on its own; the commands say which one is which.
TEST_F(ZorvikCtlDeviceTest, TwoIdenticalKeyboardsAreListedWrittenAndDumpedEachByName)
{
    const fs::path app = MakeAppDir(test::FixtureDir() / "cfg" / "kb24.ini");
    struct CountGuard {
        CountGuard() { setenv("ZORVIK_EMU_KB24_COUNT", "2", 1); }
        ~CountGuard() { unsetenv("ZORVIK_EMU_KB24_COUNT"); }
    } guard;
    const CtlResult list = Run(app, {"--emulate", "list"});
    EXPECT_EQ(list.nExit, 0) << list.strErr;
    EXPECT_NE(list.strOut.find("keyboard 1: command emu:kb24/cmd, input emu:kb24/notify"), std::string::npos)
        << list.strOut;
    EXPECT_NE(list.strOut.find("keyboard 2: command emu:kb24-2/cmd, input emu:kb24-2/notify"), std::string::npos)
        << list.strOut;

    const fs::path journal = m_home / "kb.txt";
    const CtlResult applied = Run(app, {"--emulate", "apply", "--journal", Q(journal)});
    ASSERT_EQ(applied.nExit, 0) << applied.strErr;
    EXPECT_NE(applied.strOut.find("profile written to the keyboard 1: "), std::string::npos) << applied.strOut;
    EXPECT_NE(applied.strOut.find("profile written to the keyboard 2: "), std::string::npos) << applied.strOut;
    EXPECT_EQ(applied.strOut.find("keyboard 3"), std::string::npos) << applied.strOut;
    EXPECT_EQ(applied.strErr, "");
    // Every transfer is one 520-byte report 6 on a command interface, or
    // the probe's answer read from an input interface.
    int nProbeAnswers = 0;
    for (const std::string& l : SplitLines(test::ReadBytes(journal))) {
        if (l == "read notify 09 aa c7 00") {
            ++nProbeAnswers;
            continue;
        }
        EXPECT_TRUE(l.rfind("setf cmd 06 ", 0) == 0 || l.rfind("getf cmd 06 ", 0) == 0) << l;
        EXPECT_EQ(l.size(), std::string("setf cmd ").size() + 520 * 3 - 1) << l;
    }
    EXPECT_EQ(nProbeAnswers, 2);

    // The per-key colour mode with a changed key: both keyboards show it, each in its own state.
    EditCurrentProfile([](ProfileRecord& p) {
        p.Kb.nLedMode = 13;
        p.Kb.Key[59].FunID = 0x04000028;  // the key A plays mute
    });
    const CtlResult again = Run(app, {"--emulate", "apply"});
    ASSERT_EQ(again.nExit, 0) << again.strErr;
    const CtlResult state = Run(app, {"--emulate", "emu-state"});
    ASSERT_EQ(state.nExit, 0) << state.strErr;
    const size_t at1 = state.strOut.find("== kb24 =="), at2 = state.strOut.find("== kb24-2 ==");
    ASSERT_NE(at1, std::string::npos) << state.strOut;
    ASSERT_NE(at2, std::string::npos) << state.strOut;
    for (const std::string& part : {state.strOut.substr(at1, at2 - at1), state.strOut.substr(at2)}) {
        EXPECT_NE(part.find("consumer 00e2"), std::string::npos) << part;
        EXPECT_NE(part.find("per-key colours, group 1"), std::string::npos) << part;
        EXPECT_NE(part.find("lighting: per-key colours on"), std::string::npos) << part;
    }
    EXPECT_TRUE(fs::exists(UserDir() / "emu" / "kb24-2.state"));

    // Reset writes the defaults to both.
    const CtlResult reset = Run(app, {"--emulate", "reset"});
    EXPECT_EQ(reset.nExit, 0) << reset.strErr;
    EXPECT_NE(reset.strOut.find("defaults written to the keyboard 2"), std::string::npos) << reset.strOut;
}

// The type-21 keyboard: list, apply, reset and emu-state through the tool, the
// state kept between runs, and the fault switches.
TEST_F(ZorvikCtlDeviceTest, Kb21ApplyThenEmuStateShowsTheProfileOnTheKeyboard)
{
    const fs::path app = MakeAppDir(test::FixtureDir() / "cfg" / "kb21.ini");
    const CtlResult list = Run(app, {"--emulate", "list"});
    ASSERT_EQ(list.nExit, 0) << list.strErr;
    EXPECT_NE(list.strOut.find("keyboard"), std::string::npos) << list.strOut;

    const fs::path journal = m_home / "kb21.journal";
    const CtlResult applied = Run(app, {"--emulate", "--journal", Q(journal), "apply"});
    ASSERT_EQ(applied.nExit, 0) << applied.strErr;
    EXPECT_EQ(applied.strErr.find("not supported"), std::string::npos) << applied.strErr;
    const std::vector<std::string> lines = SplitLines(test::ReadBytes(journal));
    EXPECT_TRUE(HasLineStarting(lines, "getf led 0a ")) << test::ReadBytes(journal);
    EXPECT_TRUE(HasLineStarting(lines, "setf color 0b 09 ")) << test::ReadBytes(journal);
    EXPECT_TRUE(HasLineStarting(lines, "setf matrix 09 ")) << test::ReadBytes(journal);
    EXPECT_TRUE(fs::exists(UserDir() / "emu" / "kb21.state"));

    // The next process finds the keys, the lighting and the group's colours on the keyboard.
    const CtlResult state = Run(app, {"--emulate", "emu-state"});
    ASSERT_EQ(state.nExit, 0) << state.strErr;
    EXPECT_NE(state.strOut.find("keyboard kb21: 258a:0b21"), std::string::npos) << state.strOut;
    EXPECT_NE(state.strOut.find("\n  A          A\n"), std::string::npos) << state.strOut;
    EXPECT_NE(state.strOut.find("per-key colours, group byte 9"), std::string::npos) << state.strOut;
    EXPECT_NE(state.strOut.find("lighting: mode "), std::string::npos) << state.strOut;

    EXPECT_EQ(Run(app, {"--emulate", "apply", "--flags", "2"}).nExit, 0);
    EXPECT_EQ(Run(app, {"--emulate", "reset"}).nExit, 0);
    const CtlResult failed = Run(app, {"--emulate", "--emu-fault", "fail=3", "apply"});
    EXPECT_EQ(failed.nExit, 1);
    EXPECT_FALSE(failed.strErr.empty());
    const CtlResult refused = Run(app, {"--emulate", "--emu-fault", "refuse-open", "apply"});
    EXPECT_EQ(refused.nExit, 1);
}

}  // namespace

TEST_F(ZorvikCtlDeviceTest, KeyboardApplyThenEmuStateShowsTheProfileOnTheKeyboard)
{
    struct Case { const char* fixture; const char* state; const char* cfgWrite; };
    for (const Case c : {Case{"keyboard-only.ini", "kb22.state", "setf data 06 03 b6 "},
                         Case{"kb23.ini", "kb23.state", "setf data 06 03 ba "}}) {
        SCOPED_TRACE(c.fixture);
        const fs::path app = MakeAppDir(test::FixtureDir() / "cfg" / c.fixture);
        const fs::path journal = m_home / "kb.journal";
        const CtlResult applied = Run(app, {"--emulate", "--journal", Q(journal), "apply"});
        ASSERT_EQ(applied.nExit, 0) << applied.strErr;
        EXPECT_NE(applied.strOut.find("profile written to the keyboard"), std::string::npos) << applied.strOut;
        EXPECT_EQ(applied.strErr.find("not supported"), std::string::npos) << applied.strErr;
        const std::vector<std::string> lines = SplitLines(test::ReadBytes(journal));
        EXPECT_TRUE(HasLineStarting(lines, "setf data 06 04 d4 00 40 ")) << test::ReadBytes(journal);
        EXPECT_TRUE(HasLineStarting(lines, c.cfgWrite)) << test::ReadBytes(journal);
        EXPECT_TRUE(fs::exists(UserDir() / "emu" / c.state));

        // The next process finds the keys and the lighting on the keyboard.
        const CtlResult state = Run(app, {"--emulate", "emu-state"});
        ASSERT_EQ(state.nExit, 0) << state.strErr;
        EXPECT_NE(state.strOut.find("configuration in use: 0, wired"), std::string::npos) << state.strOut;
        EXPECT_NE(state.strOut.find("\n  A          A\n"), std::string::npos) << state.strOut;
        EXPECT_NE(state.strOut.find("per-key colours, group 1"), std::string::npos) << state.strOut;
        fs::remove_all(UserDir());
    }
}

TEST_F(ZorvikCtlDeviceTest, Kb20ApplyThenEmuStateShowsTheProfileOnTheKeyboard)
{
    const fs::path app = MakeAppDir(test::FixtureDir() / "cfg" / "kb20.ini");
    const fs::path journal = m_home / "kb20.journal";
    const CtlResult first = Run(app, {"--emulate", "--journal", Q(journal), "apply"});
    ASSERT_EQ(first.nExit, 0) << first.strErr;
    EXPECT_NE(first.strOut.find("profile written to the keyboard"), std::string::npos) << first.strOut;
    EXPECT_EQ(first.strErr.find("not supported"), std::string::npos) << first.strErr;
    const std::vector<std::string> lines = SplitLines(test::ReadBytes(journal));
    EXPECT_TRUE(HasLineStarting(lines, "setf data 06 04 c8 00 40 ")) << test::ReadBytes(journal);  // the key block
    EXPECT_TRUE(HasLineStarting(lines, "setf data 06 03 00 00 00 ")) << test::ReadBytes(journal);  // the configuration
    EXPECT_TRUE(fs::exists(UserDir() / "emu" / "kb20.state"));

    // The stored profile now sends Z from A and shows its key colours (mode 13,
    // the family's per-key colour mode), A in blue-green-red 33 22 11.
    EditCurrentProfile([](ProfileRecord& pro) {
        const int nA = KbSlotOf(pro, 'A');
        ASSERT_GE(nA, 0);
        pro.Kb.Key[nA].byKey1 = 'Z';
        pro.Kb.nLedMode = 13;
        pro.Kb.nCurGameGroup = 0;
        pro.Kb.clrGameKey[0][nA] = 0x00332211;
    });
    const CtlResult applied = Run(app, {"--emulate", "apply"});
    ASSERT_EQ(applied.nExit, 0) << applied.strErr;

    // The next process finds the keys, the lighting and the per-key colours on the keyboard.
    const CtlResult state = Run(app, {"--emulate", "emu-state"});
    ASSERT_EQ(state.nExit, 0) << state.strErr;
    EXPECT_NE(state.strOut.find("Selk keyboard kb20: 258a:0b23"), std::string::npos) << state.strOut;
    EXPECT_NE(state.strOut.find("\n  A          Z\n"), std::string::npos) << state.strOut;
    EXPECT_NE(state.strOut.find("\n  B          B\n"), std::string::npos) << state.strOut;
    EXPECT_NE(state.strOut.find("lighting: mode byte 14, per-key colours on, group byte 32"), std::string::npos)
        << state.strOut;
    EXPECT_NE(state.strOut.find("per-key colours, group 1 (red green blue):"), std::string::npos) << state.strOut;
    EXPECT_NE(state.strOut.find("  A         112233"), std::string::npos) << state.strOut;
    EXPECT_EQ(state.strOut.find("per-key colours: none"), std::string::npos) << state.strOut;
}

// A macro made with "macro new" in the user's macro folder and played by a
// key of the stored profile reaches the virtual keyboard with the apply.
TEST_F(ZorvikCtlDeviceTest, AMacroOfTheProfileIsPlayedByTheVirtualKeyboard)
{
    struct Case { const char* fixture; const char* key; const char* macro; };
    const Case cases[] = {
        {"kb20.ini", "\n  B          macro buffer 1, repeat mode 01\n",
         "macros:\n  buffer 1: repeat 1; press A, 10 ms; release A, 20 ms;\n"},
        {"keyboard-only.ini", "\n  B          macro buffer 1, repeat mode 01\n", "press A, 10 ms"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixture);
        const fs::path app = MakeAppDir(test::FixtureDir() / "cfg" / c.fixture);
        ASSERT_EQ(Run(app, {"--emulate", "apply"}).nExit, 0);  // makes the stored profile
        const fs::path file = UserDir() / "Mac" / "Burst.mcf";
        fs::create_directories(file.parent_path());
        const CtlResult made = Run(app, {"macro", "new", "Burst", Q(file), "down A 10ms", "up A 20ms"});
        ASSERT_EQ(made.nExit, 0) << made.strErr;
        const MacroFileRead macro = ReadMacroFile(file);
        ASSERT_TRUE(macro.bOpened);
        EditCurrentProfile([&](ProfileRecord& pro) {
            const int nB = KbSlotOf(pro, 'B');
            ASSERT_GE(nB, 0);
            pro.Kb.Key[nB].FunID = MakeFunID(FUN_MACRO, 0);
            pro.Kb.Key[nB].MacroID = macro.rec.MacroID;
        });
        const CtlResult applied = Run(app, {"--emulate", "apply"});
        ASSERT_EQ(applied.nExit, 0) << applied.strErr;
        const CtlResult state = Run(app, {"--emulate", "emu-state"});
        ASSERT_EQ(state.nExit, 0) << state.strErr;
        EXPECT_NE(state.strOut.find(c.key), std::string::npos) << state.strOut;
        EXPECT_NE(state.strOut.find(c.macro), std::string::npos) << state.strOut;
        fs::remove_all(UserDir());
    }
}
