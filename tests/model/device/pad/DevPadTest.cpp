// CDevPad against the virtual pad of the pad-only installation: discovery and
// its refusals, whole applies as journals, what the pad holds afterwards, and
// every fault ending in its log line with nothing half-written.
#include <gtest/gtest.h>

#include <cerrno>

#include "model/device/pad/PadTestSupport.h"

using namespace padtest;

namespace {

class PadDevice : public PadFixture {};

std::string Zeros(int n)
{
    std::string s;
    for (int i = 0; i < n; ++i) s += " 00";
    return s;
}

// The factory block of the virtual pad, and the block of the installation's
// default profile: effect record 1 (effect 2) at speed 3, full brightness,
// all seven colours.
const std::string kFactory = "30 a1 02 01 42 00 ff" + Zeros(20);
const std::string kDefault =
    "30 a1 02 02 43 00 ff 00 00 00 00 ff 00 ff 00 80 00 ff fa c6 03 fa 03 6a ff ff ff";

}  // namespace

TEST_F(PadDevice, FindsThePadAndReadsItsBlock)
{
    ASSERT_EQ(m_dev->FindHIDDevice(), 1);
    EXPECT_TRUE(m_dev->IsConnected());
    EXPECT_FALSE(m_dev->IsListening());  // the pad says nothing of its own
    EXPECT_EQ(m_dev->GetPID(), 0x0D21);
    EXPECT_EQ(m_dev->FwVersion(), 0x0102);
    EXPECT_EQ(Journal(), (std::vector<std::string>{"getf general " + kFactory}));
    EXPECT_TRUE(Logged("CDrvPad  FindDev: looking for VID_258a&PID_0d21"));
    EXPECT_TRUE(m_backend->Violations().empty());
    m_dev->ClearHandle();
    EXPECT_FALSE(m_dev->IsConnected());
    EXPECT_TRUE(Logged("CDrvPad::ClearHandle"));
}

TEST_F(PadDevice, DiscoveryRefusals)
{
    struct Row {
        const char* pszName;
        std::function<void(EmuPadConfig&)> cfg;       // the pad that is attached
        std::function<void(CEmuPad&)> fault;
        bool bDenied;
        const char* pszLog;                           // logged, or null
    };
    const Row rows[] = {
        {"another product", [](EmuPadConfig& c) { c.nPID = 0x0D22; }, nullptr, false, nullptr},
        {"another vendor", [](EmuPadConfig& c) { c.nVID = 0x1234; }, nullptr, false, nullptr},
        {"a 27-byte interface on another usage page", [](EmuPadConfig& c) { c.nUsagePage = 0xFF01; }, nullptr,
         false, nullptr},
        {"unplugged", nullptr, [](CEmuPad& p) { p.Unplug(); }, false, nullptr},
        {"no permission", nullptr, [](CEmuPad& p) { p.RefuseOpen(true); }, true,
         "CDrvPad  FindDev: the pad's interface cannot be opened"},
        {"the block cannot be read", nullptr, [](CEmuPad& p) { p.FailNext(3); }, false,
         "FindDev: Get general data error, err=0x20"},
    };
    for (const Row& r : rows) {
        EmuPadConfig cfg = PadConfigFor(gVar.Pad.nVID, gVar.Pad.nPID);
        if (r.cfg) r.cfg(cfg);
        Build(cfg);
        if (r.fault) r.fault(*m_pad);
        ClearLog();
        EXPECT_EQ(m_dev->FindHIDDevice(), 0) << r.pszName;
        EXPECT_FALSE(m_dev->IsConnected()) << r.pszName;  // nothing left open
        EXPECT_EQ(m_dev->FoundButDenied(), r.bDenied) << r.pszName;
        if (r.pszLog) {
            EXPECT_TRUE(Logged(r.pszLog)) << r.pszName;
        }
        for (const std::string& l : Journal()) EXPECT_NE(l.rfind("setf", 0), 0u) << r.pszName << ": " << l;
        EXPECT_TRUE(m_backend->Violations().empty()) << r.pszName;
    }
}

// A description without both identifiers would take any vendor interface of
// the pad's length for the pad: nothing is searched, nothing opened.
TEST_F(PadDevice, DescriptionWithoutIdentifiersFindsNothing)
{
    for (const auto& [nVID, nPID] : {std::pair{0, 0x0D21}, std::pair{0x258A, 0}, std::pair{0, 0}}) {
        gVar.Pad.nVID = uint16_t(nVID);
        gVar.Pad.nPID = uint16_t(nPID);
        Build(PadConfigFor(nVID, nPID));  // a device that would match exactly
        ClearLog();
        EXPECT_EQ(m_dev->FindHIDDevice(), 0);
        EXPECT_FALSE(m_dev->IsConnected());
        EXPECT_TRUE(Journal().empty());
        EXPECT_TRUE(Logged("CDrvPad  FindDev: the pad description has no VID or PID"));
    }
}

// Whatever the job's flags, a job reads the block and writes it back with the
// profile's lighting; the pad's own first two bytes go back as they came.
TEST_F(PadDevice, EveryFlagGroupWritesTheWholeBlock)
{
    const uint32_t flags[] = {kApplyFullKbPad, kApplyKeys, kApplyGeneral, kApplyLed, kApplyLed | kApplyKeys};
    for (const uint32_t nFlags : flags) {
        SCOPED_TRACE(nFlags);
        Build(PadConfigFor(gVar.Pad.nVID, gVar.Pad.nPID));
        Connect();
        ClearProgress();
        EXPECT_EQ(Apply(NewProfile(), nFlags), 1);
        EXPECT_EQ(Journal(), (std::vector<std::string>{"getf general " + kFactory, "setf general " + kDefault}));
        EXPECT_EQ(Progress(), (std::vector<intptr_t>{20, 80, 100}));
        EXPECT_EQ(Sleeps(), (std::vector<IClock::Duration>{20ms, 500ms}));
        EXPECT_EQ("30 " + PadReport(), kDefault);
        EXPECT_TRUE(m_backend->Violations().empty());
        EXPECT_TRUE(Logged("Apply_PAD_STD"));
    }
}

// What the pad holds after an apply, read from the pad's side, is what the
// profile asked for: its current effect, speed, brightness, direction or
// colour count, and the colours in use.
TEST_F(PadDevice, ThePadHoldsWhatTheProfileAskedFor)
{
    struct Case {
        const char* pszName;
        std::function<void(PadSettings&)> edit;
        std::vector<std::string> lines;  // expected in the pad's description
    };
    const Case cases[] = {
        {"effect record 0, first direction",
         [](PadSettings& p) {
             p.nLedMode = 0;
             p.Mode[0].nSpeed = 5;
             p.Mode[0].nBright = 0x20;
             p.Mode[0].nDirect = 6;
             p.Mode[0].nColorMask = 0x02;
             p.Mode[0].clr[1] = MakeColor(0x12, 0x34, 0x56);
         },
         {"lighting: effect 1, speed 5, brightness 20 % (code 1)\n  direction: first\n  colour 1: 12 34 56\n"}},
        {"effect record 3 counts its colours",
         [](PadSettings& p) {
             p.nLedMode = 3;
             p.Mode[3].nSpeed = 1;
             p.Mode[3].nBright = 0x70;
             p.Mode[3].nColorMask = 0x41;
             p.Mode[3].clr[0] = MakeColor(1, 2, 3);
             p.Mode[3].clr[6] = MakeColor(7, 8, 9);
         },
         {"lighting: effect 4, speed 1, brightness 70 % (code 3)\n  colours in use: 2\n  colour 1: 01 02 03\n"
          "  colour 2: 07 08 09\n"}},
        {"effect record 10 is effect 0",
         [](PadSettings& p) {
             p.nLedMode = 10;
             p.Mode[10].nBright = 0x50;
             p.Mode[10].nColorMask = 0;
         },
         {"lighting: effect 0, speed 2, brightness 50 % (code 2)\n  colours: none\n"}},
        {"effect record 2, second direction",
         [](PadSettings& p) {
             p.nLedMode = 2;
             p.Mode[2].nDirect = 5;
             p.Mode[2].nColorMask = 0x01;
         },
         {"lighting: effect 3, speed 2, brightness 100 % (code 4)\n  direction: second\n  colour 1: ff 00 00\n"}},
    };
    for (const Case& c : cases) {
        Build(PadConfigFor(gVar.Pad.nVID, gVar.Pad.nPID));
        Connect();
        ProfileRecord pro = NewProfile();
        c.edit(pro.Pad);
        EXPECT_EQ(Apply(pro, kApplyFullKbPad), 1) << c.pszName;
        const std::string state = m_pad->DescribeState();
        for (const std::string& l : c.lines) EXPECT_NE(state.find(l), std::string::npos) << c.pszName << "\n" << state;
        EXPECT_TRUE(m_backend->Violations().empty()) << c.pszName;
    }
}

// An effect index from a damaged or foreign profile never picks a record
// outside the profile's eleven: effect record 0 is written instead.
TEST_F(PadDevice, ProfileEffectOutsideTheRecordsWritesEffectZero)
{
    for (const int nLedMode : {11, -1, 0x7FFFFFFF}) {
        Build(PadConfigFor(gVar.Pad.nVID, gVar.Pad.nPID));
        Connect();
        ProfileRecord pro = NewProfile();
        pro.Pad.nLedMode = nLedMode;
        EXPECT_EQ(Apply(pro, kApplyFullKbPad), 1) << nLedMode;
        EXPECT_EQ(m_pad->GetState().block[2], 1) << nLedMode;
        EXPECT_TRUE(Logged("Apply_PAD_STD: profile effect " + std::to_string(nLedMode) + " does not exist"))
            << nLedMode;
    }
}

TEST_F(PadDevice, FaultsEndTheJobWithNothingHalfWritten)
{
    struct Row {
        const char* pszName;
        bool bGoWithNoDev;
        std::function<void(PadFixture&)> fault;   // after the pad was found
        int nResult;
        bool bWritten;                            // a set reached the pad
        const char* pszLog;
    };
    const Row rows[] = {
        {"the read fails", false, [](PadFixture& f) { f.m_pad->FailNext(3); }, 0, false,
         "Get general data error, err=0x20"},
        // Going on without the pad's block would write its own bytes as zeros.
        {"the read fails, GoWithNoDev", true, [](PadFixture& f) { f.m_pad->FailNext(3); }, 0, false,
         "General(Save): not written, the pad's block was not read"},
        {"the write fails", false,
         [](PadFixture& f) {
             f.m_clock.m_onSleep = [&f](IClock::Duration d) {
                 if (d == 20ms) f.m_pad->FailNext(3);
             };
         },
         0, false, "Set general data error, err=0x20"},
        {"unplugged between read and write", false, [](PadFixture& f) { f.m_pad->UnplugAfter(1); }, 0, false,
         "Set general data error, err=0x13"},
        {"unplugged before the job", false, [](PadFixture& f) { f.m_pad->Unplug(); }, 0, false,
         "Get general data error, err=0x13"},
    };
    for (const Row& r : rows) {
        Build(PadConfigFor(gVar.Pad.nVID, gVar.Pad.nPID));
        gVar.nGoWithNoDev = r.bGoWithNoDev;
        Connect();
        ClearProgress();
        r.fault(*this);
        const CEmuPad::State before = m_pad->GetState();
        EXPECT_EQ(Apply(NewProfile(), kApplyFullKbPad), r.nResult) << r.pszName;
        m_clock.m_onSleep = nullptr;
        EXPECT_EQ(m_pad->Writes(), r.bWritten ? 1 : 0) << r.pszName;
        EXPECT_EQ(m_pad->GetState().block, before.block) << r.pszName;
        EXPECT_TRUE(Logged(r.pszLog)) << r.pszName;
        // Without GoWithNoDev the job ends at the failure; with it, it runs to its end and still fails.
        EXPECT_EQ(Progress().back(), r.bGoWithNoDev ? 100 : 20) << r.pszName;
        EXPECT_TRUE(m_backend->Violations().empty()) << r.pszName;
        gVar.nGoWithNoDev = 0;
    }
}

TEST_F(PadDevice, JobsThatWriteNothing)
{
    struct Row {
        const char* pszName;
        bool bConnect;
        bool bGoWithNoDev;
        int nFwType;
        uint32_t nID;
        int nResult;
    };
    const Row rows[] = {
        {"no pad", false, false, 40, 0x123456, 0},
        {"no pad, GoWithNoDev (demo without a device)", false, true, 40, 0x123456, 1},
        {"an unused profile record", true, false, 40, 0, 0},
        {"a pad of another firmware type", true, false, 41, 0x123456, 0},
    };
    for (const Row& r : rows) {
        gVar.nGoWithNoDev = r.bGoWithNoDev;
        Build(PadConfigFor(gVar.Pad.nVID, gVar.Pad.nPID));
        m_dev = std::make_unique<CDevPad>(*m_backend, m_clock, m_notices, r.nFwType);
        if (r.bConnect) Connect();
        m_backend->Journal()->Clear();
        ProfileRecord pro = NewProfile();
        pro.nID = r.nID;
        EXPECT_EQ(Apply(pro, kApplyFullKbPad), r.nResult) << r.pszName;
        EXPECT_TRUE(Journal().empty()) << r.pszName;
        EXPECT_EQ(m_pad->Writes(), 0) << r.pszName;
        gVar.nGoWithNoDev = 0;
    }
}
