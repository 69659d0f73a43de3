// The emulator's rig: the virtual devices of the configured families, their
// state kept in a folder between runs, the fault switches and the end of a run.
#include <gtest/gtest.h>

#include <memory>

#include "TestSupport.h"
#include "core/Gvar.h"
#include "emu/EmuRig.h"
#include "emu/VirtualClock.h"

namespace fs = std::filesystem;

namespace {

std::unique_ptr<GlobalVar> Config(int32_t nMsFw)
{
    auto gv = std::make_unique<GlobalVar>();
    gv->nMsFw = nMsFw;
    gv->Ms.nVID = 0x258A;
    gv->Ms.nPID[0] = 0x1007;
    gv->Ms.nPID2[0] = 0x1008;
    gv->Ms.nMsSensor = 0x3360;
    return gv;
}

class EmuRig : public ::testing::Test {
protected:
    // A rig on the configuration, its state kept in m_dir.
    std::unique_ptr<CEmuRig> Make(int32_t nMsFw)
    {
        auto rig = std::make_unique<CEmuRig>(m_clock);
        m_notes.clear();
        rig->AddConfigured(*Config(nMsFw), m_dir.Path(), m_notes);
        return rig;
    }
    // Sends a command report to the wired mouse.
    static bool Command(CEmuRig& rig, std::vector<uint8_t> r)
    {
        auto h = rig.Backend().Open("emu:mirex/cmd");
        return h && h->SetFeature(r);
    }

    test::CTempDir m_dir;
    CVirtualClock m_clock;
    std::vector<std::string> m_notes;
};

}  // namespace

TEST_F(EmuRig, MakesTheDevicesOfTheConfiguredFamilies)
{
    const struct {
        int32_t nMsFw;
        std::vector<std::string> devices;
    } cases[] = {
        {0, {}},
        {0x01, {"mirex"}},
        {0x04, {"w24g-receiver", "w24g-cable"}},
        {0x15, {"w24g-receiver", "w24g-cable"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.nMsFw);
        const auto rig = Make(c.nMsFw);
        std::vector<std::string> names;
        for (const auto& d : rig->Backend().Devices()) names.push_back(d->Name());
        EXPECT_EQ(names, c.devices);
        EXPECT_TRUE(m_notes.empty());
    }
}

TEST_F(EmuRig, KeepsTheStateBetweenRuns)
{
    {
        const auto rig = Make(0x01);
        ASSERT_TRUE(Command(*rig, {5, 0x1A, 3, 0, 0, 0}));  // debounce 3
        ASSERT_TRUE(rig->Finish({}, m_notes)) << (m_notes.empty() ? "" : m_notes[0]);
    }
    EXPECT_TRUE(fs::exists(m_dir / "mirex.state"));
    const auto rig = Make(0x01);
    EXPECT_TRUE(m_notes.empty());
    const std::string text = rig->Describe();
    EXPECT_EQ(text.rfind("== mirex ==\nwired mouse mirex:", 0), 0u) << text;
    EXPECT_NE(text.find("debounce: 3"), std::string::npos) << text;
}

// One state for the wireless mouse, reached through either link.
TEST_F(EmuRig, TheWirelessMouseHasOneStateFile)
{
    const auto rig = Make(0x05);
    ASSERT_TRUE(rig->Finish({}, m_notes));
    EXPECT_TRUE(fs::exists(m_dir / "w24g.state"));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir.Path()), fs::directory_iterator()), 1);
}

TEST_F(EmuRig, AnUnreadableStateIsKeptAsideAndTheDeviceStartsFresh)
{
    test::WriteBytes(m_dir / "mirex.state", "zorvik-emu-state mirex 1\nmode 9\n");
    const auto rig = Make(0x01);
    ASSERT_EQ(m_notes.size(), 1u);
    EXPECT_NE(m_notes[0].find("line 2: mode 9 does not exist"), std::string::npos) << m_notes[0];
    EXPECT_NE(m_notes[0].find("kept as mirex.state.bad, the device starts fresh"), std::string::npos) << m_notes[0];
    EXPECT_EQ(test::ReadBytes(m_dir / "mirex.state.bad"), "zorvik-emu-state mirex 1\nmode 9\n");
    EXPECT_NE(rig->Describe().find("debounce: not set"), std::string::npos);
    // The fresh state is stored in its place.
    ASSERT_TRUE(rig->Finish({}, m_notes));
    EXPECT_EQ(test::ReadBytes(m_dir / "mirex.state").rfind("zorvik-emu-state mirex 1\nmode 1\n", 0), 0u);
}

TEST_F(EmuRig, AStateThatCannotBeKeptAsideIsLeftAloneAndNotOverwritten)
{
    fs::create_directories(m_dir / "mirex.state");  // a folder where the file should be
    const auto rig = Make(0x01);
    ASSERT_EQ(m_notes.size(), 1u);
    EXPECT_NE(m_notes[0].find("nor kept aside"), std::string::npos) << m_notes[0];
    EXPECT_NE(m_notes[0].find("left as it is and not updated"), std::string::npos) << m_notes[0];
    m_notes.clear();
    EXPECT_TRUE(rig->Finish({}, m_notes));
    EXPECT_TRUE(fs::is_directory(m_dir / "mirex.state"));
}

TEST_F(EmuRig, FinishWritesTheJournalAndReportsBrokenRules)
{
    const auto rig = Make(0x01);
    ASSERT_TRUE(Command(*rig, {5, 0x77, 0, 0, 0, 0}));
    EXPECT_FALSE(rig->Finish(m_dir / "journal.txt", m_notes));
    EXPECT_EQ(m_notes, std::vector<std::string>{"protocol rule broken: mirex: unknown command 77"});
    EXPECT_EQ(test::ReadBytes(m_dir / "journal.txt"), "setf cmd 05 77 00 00 00 00\n");

    m_notes.clear();
    EXPECT_FALSE(rig->Finish(m_dir / "no" / "such" / "folder" / "journal.txt", m_notes));
    ASSERT_FALSE(m_notes.empty());
    EXPECT_EQ(m_notes[0].rfind("the journal could not be written: ", 0), 0u) << m_notes[0];
}

TEST_F(EmuRig, FaultSwitches)
{
    const struct {
        const char* pszText;
        bool bValid;
        EmuFault::Kind kind;
        int n;
    } parse[] = {
        {"fail=3", true, EmuFault::Kind::Fail, 3},
        {"unplug-after=0", true, EmuFault::Kind::UnplugAfter, 0},
        {"refuse-open", true, EmuFault::Kind::RefuseOpen, 0},
        {"garbage", true, EmuFault::Kind::Garbage, 0},
        {"mouse-off", true, EmuFault::Kind::MouseOff, 0},
        {"fail=-1", false, EmuFault::Kind::None, 0},
        {"fail=", false, EmuFault::Kind::None, 0},
        {"garbage=2", false, EmuFault::Kind::None, 0},
        {"melt", false, EmuFault::Kind::None, 0},
    };
    for (const auto& p : parse) {
        SCOPED_TRACE(p.pszText);
        EmuFault f;
        EXPECT_EQ(ParseEmuFault(p.pszText, f), p.bValid);
        EXPECT_EQ(f.kind, p.kind);
        EXPECT_EQ(f.n, p.n);
    }

    auto rig = Make(0x01);
    EmuFault f;
    ASSERT_TRUE(ParseEmuFault("refuse-open", f));
    rig->ArmOpenFaults(f);
    rig->ArmTransferFaults(f);  // not a transfer fault: nothing more
    EXPECT_FALSE(rig->Backend().Open("emu:mirex/cmd"));

    rig = Make(0x01);
    ASSERT_TRUE(ParseEmuFault("fail=1", f));
    rig->ArmOpenFaults(f);      // not an open fault
    auto h = rig->Backend().Open("emu:mirex/cmd");
    ASSERT_TRUE(h);
    rig->ArmTransferFaults(f);
    const std::vector<uint8_t> debounce{5, 0x1A, 3, 0, 0, 0};
    EXPECT_FALSE(h->SetFeature(debounce));
    EXPECT_TRUE(h->SetFeature(debounce));
}
