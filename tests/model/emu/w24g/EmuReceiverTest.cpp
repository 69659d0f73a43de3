// The virtual wireless mouse seen from the wire: what it answers, what it
// keeps, which host mistakes it records, what it does with the mouse off, what
// it reports on its own, and its state as text.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "TestSupport.h"
#include "emu/EmuBackend.h"
#include "emu/EmuHex.h"
#include "emu/VirtualClock.h"
#include "emu/w24g/EmuReceiver.h"
#include "emu/w24g/EmuW24Mouse.h"

using namespace std::chrono_literals;

namespace {

EmuW24Config Config(int nKind = 5)
{
    EmuW24Config cfg;
    cfg.nKind = nKind;
    cfg.dpiCodes = {3, 7, 15, 31, 63, 189};
    cfg.byCurrentLevel = 3;
    cfg.levelColours = {{0xFF, 0, 0}, {0, 0xFF, 0}};
    return cfg;
}

std::vector<uint8_t> Cmd(uint8_t c, uint8_t p1 = 0)
{
    return {5, c, p1, 0, 0, 0, 0, 0};
}

std::vector<uint8_t> Record(uint8_t byId, uint8_t byKind, uint8_t b1, uint8_t b2)
{
    std::vector<uint8_t> r(520, 0);
    r[0] = byId;
    r[1] = byKind;
    r[2] = b1;
    r[3] = b2;
    return r;
}

std::vector<uint8_t> BlockRecord(uint8_t byKind = 0x21)
{
    std::vector<uint8_t> r = Record(8, byKind, 0, 0x92);
    r[8] = 0x64;
    r[9] = 0x3F;  // a sensor code the host has no say in
    r[10] = 0x02;
    r[11] = 0x24;
    r[8 + 144] = 0xA5;
    return r;
}

class EmuReceiver : public ::testing::Test {
public:  // the case tables below act through the fixture
    void SetUp() override { Make(Config()); }

    void Make(const EmuW24Config& cfg)
    {
        m_backend = std::make_unique<CEmuBackend>();
        m_rig = MakeW24Rig(cfg, m_clock, *m_backend);
        m_cmd = m_backend->Open("emu:w24g-receiver/cmd");
        m_data = m_backend->Open("emu:w24g-receiver/data");
        ASSERT_TRUE(m_cmd && m_data);
    }

    // A command and its answer on the interface that carries it.
    std::vector<uint8_t> Ask(uint8_t c, bool bData)
    {
        EXPECT_TRUE(m_cmd->SetFeature(Cmd(c)));
        m_clock.Sleep(30ms);
        std::vector<uint8_t> buf(bData ? 520 : 8, 0);
        buf[0] = bData ? m_rig.receiver->Interfaces()[1].nReportId : 5;
        EXPECT_TRUE((bData ? m_data : m_cmd)->GetFeature(buf));
        return buf;
    }

    std::vector<std::string> Violations() const { return m_backend->Violations(); }

    CVirtualClock m_clock;
    std::unique_ptr<CEmuBackend> m_backend;
    EmuW24Rig m_rig;
    std::unique_ptr<IHidHandle> m_cmd, m_data;
};

std::string Hex(std::span<const uint8_t> b, size_t nFrom, size_t nLen) { return EmuHex(b.subspan(nFrom, nLen)); }

}  // namespace

TEST_F(EmuReceiver, TwoLinksWithTheirProductIds)
{
    Make([] {
        EmuW24Config c = Config(4);
        c.bCableConnected = true;
        return c;
    }());
    const std::vector<HidDevInfo> list = m_backend->Enumerate();
    ASSERT_EQ(list.size(), 8u);  // three vendor interfaces and a pointer on each link
    EXPECT_EQ(list[1].szPath, "emu:w24g-receiver/data");
    EXPECT_EQ(list[1].nPID, 0x1022);
    EXPECT_EQ(list[1].nReportId, 6);
    EXPECT_EQ(list[1].nFeatureLen, 520);
    EXPECT_EQ(list[0].nFeatureLen, 8);
    EXPECT_EQ(list[2].nInputLen, 8);
    EXPECT_EQ(list[3].nUsagePage, 1);
    EXPECT_EQ(list[4].nPID, 0x1021);
    m_rig.mouse->PullCable();
    EXPECT_EQ(m_backend->Enumerate().size(), 4u);
}

TEST_F(EmuReceiver, AnswersBlocksLiftOffLinkAndBattery)
{
    m_rig.mouse->SetLiftOffLevel(1, 2);
    std::vector<uint8_t> a = Ask(0x21, true);
    EXPECT_EQ(Hex(a, 0, 16), "08 21 00 92 00 00 00 00 64 14 04 36 c0 03 00 07");
    EXPECT_EQ(a[8 + 37], 0xFF);   // level 1 red
    EXPECT_EQ(a[8 + 144], 0xA5);
    a = Ask(0x51, true);
    EXPECT_EQ(Hex(a, 0, 10), "08 51 00 00 00 00 00 00 00 30");
    a = Ask(0x80, false);
    EXPECT_EQ(Hex(a, 0, 8), "05 01 01 00 00 00 00 00");
    m_rig.mouse->SetBattery(77, 0x0F3C);
    a = Ask(0x90, false);
    EXPECT_EQ(Hex(a, 0, 8), "05 11 4d 3c 0f 00 00 00");
    EXPECT_TRUE(Violations().empty()) << Violations().front();
    EXPECT_EQ(m_backend->Journal()->Lines("setf", "cmd").size(), 4u);
}

TEST_F(EmuReceiver, KeepsWhatIsWritten)
{
    EXPECT_TRUE(m_data->SetFeature(BlockRecord()));
    std::vector<uint8_t> mx = Record(8, 0x12, 0, 80);
    mx[8] = 0x11;
    mx[9] = 0x02;
    mx[88] = 0xA5;
    EXPECT_TRUE(m_data->SetFeature(mx));
    std::vector<uint8_t> macro = Record(8, 0x30, 2, 0);
    macro[8] = 4;
    macro[9] = 0;
    macro[10] = 1;
    macro[11] = 0x51;
    EXPECT_TRUE(m_data->SetFeature(macro));
    EXPECT_TRUE(m_cmd->SetFeature(Cmd(0x1B, 3)));
    EXPECT_TRUE(m_cmd->SetFeature(Cmd(0x1A, 8)));
    EXPECT_TRUE(Violations().empty()) << Violations().front();
    const CEmuW24Mouse::State s = m_rig.mouse->GetState();
    EXPECT_EQ(Hex(s.block[1], 0, 4), "64 14 02 24");  // the sensor stays the mouse's
    EXPECT_EQ(m_rig.mouse->KeyCode(1, 1), 0x211u);
    EXPECT_EQ(m_rig.mouse->KeyCode(2, 1), 0x111u);   // profile 2 untouched
    ASSERT_EQ(s.macros.count(4), 1u);
    EXPECT_EQ(Hex(s.macros.at(4), 0, 4), "00 01 51 00");
    EXPECT_EQ(s.nLiftOff, 3);
    EXPECT_EQ(s.nDebounce, 8);
}

TEST_F(EmuReceiver, RecordsWhatTheHostGetsWrong)
{
    struct Case {
        const char* pszWhat;
        std::function<void(EmuReceiver&)> act;
        const char* pszViolation;
    };
    const auto set = [](std::vector<uint8_t> r) {
        return [r](EmuReceiver& t) { t.m_data->SetFeature(r); };
    };
    std::vector<uint8_t> wrongTag = BlockRecord(), noTrailer = BlockRecord(), noMagic = BlockRecord();
    wrongTag[3] = 0x7B;
    noTrailer[8 + 144] = 0;
    noMagic[8] = 0;
    std::vector<uint8_t> matrix = Record(8, 0x22, 0, 80);
    const Case cases[] = {
        {"early read", [](EmuReceiver& t) {
             t.m_cmd->SetFeature(Cmd(0x21));
             std::vector<uint8_t> b(520, 0);
             b[0] = 8;
             t.m_data->GetFeature(b);
         }, "general block read 0 ms after its command, 30 ms needed"},
        {"read without command", [](EmuReceiver& t) {
             std::vector<uint8_t> b(520, 0);
             b[0] = 8;
             t.m_data->GetFeature(b);
         }, "data read with no block or lift-off command before it"},
        {"block tag", set(wrongTag), "record 21: tag 00 7b, not 00 92"},
        {"block trailer", set(noTrailer), "record 21: block byte 144 is 00, not a5"},
        {"block magic", set(noMagic), "record 21: block starts with 00, not 64"},
        {"matrix trailer", set(matrix), "record 22: byte after the matrix is 00, not a5"},
        {"profile 3", set(BlockRecord(0x31)), "record 31: the mouse has profiles 1 and 2 only"},
        {"unknown command", [](EmuReceiver& t) { t.m_cmd->SetFeature(Cmd(0x44)); }, "unknown command 44"},
        {"wired command length", [](EmuReceiver& t) {
             const uint8_t r[6] = {5, 0x21, 0, 0, 0, 0};
             t.m_cmd->SetFeature(r);
         }, "6 bytes, the report has 8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        Make(Config());
        const CEmuW24Mouse::State before = m_rig.mouse->GetState();
        c.act(*this);
        const std::vector<std::string> v = Violations();
        ASSERT_EQ(v.size(), 1u);
        EXPECT_NE(v[0].find(c.pszViolation), std::string::npos) << v[0];
        EXPECT_EQ(m_rig.mouse->GetState().block, before.block);
        EXPECT_EQ(m_rig.mouse->GetState().matrix, before.matrix);
    }
}

TEST_F(EmuReceiver, TheReceiverAloneWhileTheMouseIsOff)
{
    struct Case {
        bool bCopy;
        const char* pszBlockHead;
    };
    const Case cases[] = {{true, "08 21 00 92 00 00 00 00 64 14"}, {false, "08 21 00 92 00 00 00 00 00 00"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bCopy);
        EmuW24Config cfg = Config();
        cfg.bOffAnswersCopy = c.bCopy;
        Make(cfg);
        Ask(0x21, true);  // the receiver has carried the block once
        m_rig.mouse->SwitchOff(true);
        EXPECT_EQ(Hex(Ask(0x80, false), 0, 3), "05 00 00");
        EXPECT_EQ(Hex(Ask(0x90, false), 0, 3), "05 00 00");
        EXPECT_EQ(Hex(Ask(0x21, true), 0, 10), c.pszBlockHead);
        EXPECT_EQ(Hex(Ask(0x52, true), 0, 10), "08 52 00 00 00 00 00 00 00 00");
        const auto before = m_rig.mouse->GetState().block;
        EXPECT_TRUE(m_data->SetFeature(BlockRecord()));  // taken, and dropped
        EXPECT_TRUE(m_cmd->SetFeature(Cmd(0x1A, 8)));
        EXPECT_EQ(m_rig.mouse->GetState().block, before);
        EXPECT_EQ(m_rig.mouse->GetState().nDebounce, -1);
        EXPECT_FALSE(m_rig.mouse->PressDpiButton());
        m_rig.mouse->SwitchOff(false);
        EXPECT_EQ(Hex(Ask(0x80, false), 0, 3), "05 01 01");
        EXPECT_TRUE(Violations().empty()) << Violations().front();
    }
}

TEST_F(EmuReceiver, TheLinkLostAndBackByTransfers)
{
    m_rig.receiver->LoseLinkAfter(2);
    EXPECT_EQ(Hex(Ask(0x80, false), 0, 3), "05 01 01");
    EXPECT_TRUE(m_rig.receiver->MouseAway());
    EXPECT_EQ(Hex(Ask(0x80, false), 0, 3), "05 00 00");
    m_rig.receiver->RestoreLinkAfter(2);
    EXPECT_EQ(Hex(Ask(0x80, false), 0, 3), "05 00 00");
    EXPECT_FALSE(m_rig.receiver->MouseAway());
    EXPECT_EQ(Hex(Ask(0x80, false), 0, 3), "05 01 01");
}

TEST_F(EmuReceiver, ReportsOnTheLinkInUse)
{
    Make([] {
        EmuW24Config c = Config();
        c.bCableConnected = true;
        return c;
    }());
    auto rxNotify = m_backend->Open("emu:w24g-receiver/notify");
    auto cableNotify = m_backend->Open("emu:w24g-cable/notify");
    ASSERT_TRUE(rxNotify && cableNotify);
    std::vector<uint8_t> buf(8, 0);
    ASSERT_TRUE(m_rig.mouse->PressDpiButton());  // the cable's profile: level 3 -> 4
    ASSERT_EQ(cableNotify->ReadInput(buf, 0ms), 8);
    EXPECT_EQ(Hex(buf, 0, 8), "07 10 04 04 50 00 00 00");
    EXPECT_EQ(rxNotify->ReadInput(buf, 0ms), 0);
    ASSERT_TRUE(m_rig.mouse->PullCable());
    ASSERT_EQ(rxNotify->ReadInput(buf, 0ms), 8);
    EXPECT_EQ(Hex(buf, 0, 8), "07 11 04 03 50 00 00 00");
    EXPECT_EQ(cableNotify->ReadInput(buf, 0ms), -1);  // the cable is gone
    for (int i = 0; i < 4; ++i) ASSERT_TRUE(m_rig.mouse->PressDpiButton());
    ASSERT_TRUE(m_rig.mouse->SetBattery(5, 3300));
    for (int i = 0; i < 4; ++i) ASSERT_EQ(rxNotify->ReadInput(buf, 0ms), 8);
    EXPECT_EQ(buf[3], 1);  // six levels: 3, 4, 5, 6, then 1
    ASSERT_EQ(rxNotify->ReadInput(buf, 0ms), 8);
    EXPECT_EQ(Hex(buf, 0, 8), "07 11 04 01 05 00 00 00");
}

TEST_F(EmuReceiver, StateDump)
{
    std::vector<uint8_t> macro = Record(8, 0x30, 2, 0);
    macro[8] = 2;
    macro[10] = 2;
    macro[11] = 0x51;
    macro[12] = 0x2C;
    macro[13] = 0x04;
    macro[14] = 0xD0;
    macro[15] = 0x0A;
    macro[16] = 0x04;
    m_data->SetFeature(macro);
    m_cmd->SetFeature(Cmd(0x1A, 4));
    const std::string s = m_rig.receiver->DescribeState();
    for (const char* psz : {"links: cable not connected, receiver plugged in, mouse on",
                            "battery: level 80, value 3900, on battery", "debounce: 4", "lift-off: not set",
                            "profile 2 (receiver):", "  rate: 1000 Hz, X and Y together",
                            "  DPI levels: 6 enabled, current 3", "    level 1: code 0003, colour ff 00 00",
                            "    level 7 (off): code 0000", "  lighting: effect 1", "     1: 00000111 left button",
                            "     6: 00000041 DPI cycle", "macro buffer 2: 2 events", "1: key 04 press, 300 ms",
                            "2: key 04 release, 10 ms"})
        EXPECT_NE(s.find(psz), std::string::npos) << psz << "\n" << s;
    EXPECT_EQ(s, m_rig.cable->DescribeState());  // one mouse behind both links
}

TEST_F(EmuReceiver, StateFileRoundTrip)
{
    test::CTempDir dir;
    m_data->SetFeature(BlockRecord());
    m_rig.mouse->SetLiftOffLevel(2, 5);
    std::string strErr;
    ASSERT_TRUE(m_rig.receiver->SaveState(dir / "mouse.txt", strErr)) << strErr;
    const CEmuW24Mouse::State saved = m_rig.mouse->GetState();

    Make(Config());
    ASSERT_TRUE(m_rig.cable->LoadState(dir / "mouse.txt", strErr)) << strErr;
    const CEmuW24Mouse::State loaded = m_rig.mouse->GetState();
    EXPECT_EQ(loaded.block, saved.block);
    EXPECT_EQ(loaded.matrix, saved.matrix);
    EXPECT_EQ(loaded.nLiftOffLevel, saved.nLiftOffLevel);

    // A damaged file changes nothing and says why.
    std::string text = test::ReadBytes(dir / "mouse.txt");
    text.replace(text.find("matrix 2"), 8, "matrix 3");
    test::WriteBytes(dir / "bad.txt", text);
    m_rig.mouse->SetLiftOffLevel(2, 1);
    EXPECT_FALSE(m_rig.receiver->LoadState(dir / "bad.txt", strErr));
    EXPECT_NE(strErr.find("profile 3 does not exist"), std::string::npos) << strErr;
    EXPECT_EQ(m_rig.mouse->GetState().nLiftOffLevel[1], 1);
    test::WriteBytes(dir / "wired.txt", "zorvik-emu-state mirex 1\n");
    EXPECT_FALSE(m_rig.receiver->LoadState(dir / "wired.txt", strErr));
    EXPECT_NE(strErr.find("not a wireless mouse state"), std::string::npos) << strErr;
}
