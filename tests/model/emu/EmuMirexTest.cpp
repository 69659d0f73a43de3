// The virtual wired mouse: what it answers, what it keeps, what it refuses,
// what its buttons report, and its dump and saved state.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "core/Gvar.h"
#include "core/SensorTables.h"
#include "emu/EmuBackend.h"
#include "emu/EmuHex.h"
#include "emu/VirtualClock.h"
#include "emu/mirex/EmuMirex.h"

using namespace std::chrono_literals;

namespace {

EmuMirexConfig SmallMouse()
{
    EmuMirexConfig cfg;
    cfg.dpiCodes = {3, 5, 6};
    cfg.byCurrentLevel = 2;
    cfg.levelColours = {{0xFF, 0, 0}, {0, 0xFF, 0}, {0, 0, 0xFF}};
    return cfg;
}

class EmuMirex : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_mouse = std::make_shared<CEmuMirex>(SmallMouse(), m_clock);
        m_backend.AddDevice(m_mouse);
        m_cmd = m_backend.Open("emu:mirex/cmd");
        m_data = m_backend.Open("emu:mirex/data");
        m_notify = m_backend.Open("emu:mirex/notify");
        ASSERT_TRUE(m_cmd && m_data && m_notify);
    }
    bool Cmd(std::initializer_list<uint8_t> b)
    {
        std::array<uint8_t, 6> r{5};
        std::copy(b.begin(), b.end(), r.begin() + 1);
        return m_cmd->SetFeature(r);
    }
    std::array<uint8_t, 520> ReadBlock(int nMode)
    {
        Cmd({uint8_t(nMode << 4 | 1)});
        m_clock.Sleep(30ms);
        std::array<uint8_t, 520> buf{4};
        EXPECT_TRUE(m_data->GetFeature(buf));
        return buf;
    }
    std::array<uint8_t, 520> Record(uint8_t kind, uint8_t b1, uint8_t b2)
    {
        std::array<uint8_t, 520> r{4, kind, b1, b2};
        return r;
    }

    CVirtualClock m_clock;
    CEmuBackend m_backend;
    std::shared_ptr<CEmuMirex> m_mouse;
    std::unique_ptr<IHidHandle> m_cmd, m_data, m_notify;
};

}  // namespace

TEST_F(EmuMirex, InterfacesOfTheMouse)
{
    const auto list = m_backend.Enumerate();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].nFeatureLen, 6);
    EXPECT_EQ(list[1].nFeatureLen, 520);
    EXPECT_EQ(list[2].nInputLen, 8);
    EXPECT_EQ(list[3].nUsagePage, 1);  // the system's pointer interface
    EXPECT_EQ(list[0].nVersion, 0x0107);
}

TEST_F(EmuMirex, AnswersModeAndBlocks)
{
    Cmd({2});
    m_clock.Sleep(30ms);
    std::array<uint8_t, 6> ans{5};
    ASSERT_TRUE(m_cmd->GetFeature(ans));
    EXPECT_EQ(EmuHex(ans), "05 01 00 00 00 00");
    const auto b = ReadBlock(2);
    EXPECT_EQ(EmuHex(std::span(b).first(16)), "04 21 00 7b 00 00 00 00 64 06 03 23 f8 03 05 06");
    EXPECT_EQ(EmuHex(std::span(b).subspan(8 + 21, 9)), "ff 00 00 00 ff 00 00 00 ff");
    EXPECT_TRUE(m_mouse->Violations().empty());
}

TEST_F(EmuMirex, KeepsWhatTheRecordsSay)
{
    auto gen = Record(0x31, 0, 0x7B);
    gen[8] = 0x64;
    gen[9] = 0x3F;  // the host cannot change the sensor
    gen[10] = 0x84;
    gen[147] = 0x99;
    ASSERT_TRUE(m_data->SetFeature(gen));
    auto mx = Record(0x12, 0, 80);
    mx[8] = 0x11;
    mx[9] = 0x01;
    ASSERT_TRUE(m_data->SetFeature(mx));
    auto mac = Record(0x30, 2, 0);
    mac[8] = 5;
    mac[9] = 0;
    mac[10] = 1;
    mac[11] = 0x51;
    mac[12] = 0x23;
    mac[13] = 0x04;
    ASSERT_TRUE(m_data->SetFeature(mac));
    Cmd({0x1A, 4});
    Cmd({0x1B, 0x14});
    Cmd({0x02, 3});
    const CEmuMirex::State s = m_mouse->GetState();
    EXPECT_EQ(s.block[2][1], 6);
    EXPECT_EQ(s.block[2][2], 0x84);
    EXPECT_EQ(s.block[2][139], 0x99);
    EXPECT_EQ(m_mouse->KeyCode(1, 1), 0x111u);
    ASSERT_EQ(s.macros.count(5), 1u);
    EXPECT_EQ(EmuHex(std::span(s.macros.at(5)).first(5)), "00 01 51 23 04");
    EXPECT_EQ(s.nDebounce, 4);
    EXPECT_EQ(s.nLiftOff, 0x14);
    EXPECT_EQ(s.nMode, 3);
    EXPECT_TRUE(m_mouse->Violations().empty());
}

TEST_F(EmuMirex, RefusesWrongRecordsAndCommands)
{
    auto gen = Record(0x11, 0, 0x50);  // a matrix tag on a block
    gen[8] = 0x64;
    m_data->SetFeature(gen);
    auto noMagic = Record(0x11, 0, 0x7B);
    m_data->SetFeature(noMagic);
    auto mac = Record(0x30, 2, 0);
    mac[8] = 21;
    m_data->SetFeature(mac);
    auto tail = Record(0x12, 0, 80);
    tail[519] = 1;
    m_data->SetFeature(tail);
    Cmd({0x02, 4});
    Cmd({0x77});
    std::array<uint8_t, 520> buf{4};
    m_data->GetFeature(buf);
    const std::vector<std::string> expected = {
        "record 11: tag 00 50, not 00 7b",
        "record 11: block starts with 00, not 64",
        "macro buffer 21, the mouse has 1 to 20",
        "record 12: last byte 01, not 00",
        "mode command with mode 4, the mouse has 1 to 3",
        "unknown command 77",
        "data read with no block command before it",
    };
    EXPECT_EQ(m_mouse->Violations(), expected);
    EXPECT_EQ(m_mouse->GetState().block[0][0], 0x64);  // the refused block was not kept
    EXPECT_TRUE(m_mouse->GetState().macros.empty());
}

TEST_F(EmuMirex, AnswerTooEarlyIsAViolation)
{
    Cmd({0x11});
    m_clock.Sleep(10ms);
    std::array<uint8_t, 520> buf{4};
    ASSERT_TRUE(m_data->GetFeature(buf));
    ASSERT_EQ(m_mouse->Violations().size(), 1u);
    EXPECT_EQ(m_mouse->Violations()[0], "general block read 10 ms after its command, 30 ms needed");
}

TEST_F(EmuMirex, ButtonsReportTheirChange)
{
    std::array<uint8_t, 8> r{};
    m_mouse->PressDpiButton();
    ASSERT_EQ(m_notify->ReadInput(r, 0ms), 8);
    EXPECT_EQ(EmuHex(r), "07 01 03 00 00 00 00 00");
    m_mouse->PressDpiButton();  // past the last enabled level: the first
    ASSERT_EQ(m_notify->ReadInput(r, 0ms), 8);
    EXPECT_EQ(r[2], 1);
    m_mouse->PressModeButton();
    ASSERT_EQ(m_notify->ReadInput(r, 0ms), 8);
    EXPECT_EQ(EmuHex(r), "07 02 02 00 00 00 00 00");
    m_mouse->SendPerformanceByte(0x42);
    ASSERT_EQ(m_notify->ReadInput(r, 0ms), 8);
    EXPECT_EQ(r[4], 0x42);
    EXPECT_EQ(m_mouse->GetState().nMode, 2);
    EXPECT_EQ(m_mouse->GetState().block[0][3], 0x13);
}

TEST_F(EmuMirex, FaultVariants)
{
    m_mouse->SetBlockUnreadable(true);
    Cmd({0x11});
    m_clock.Sleep(30ms);
    std::array<uint8_t, 520> buf{4};
    EXPECT_FALSE(m_data->GetFeature(buf));
    m_mouse->SetBlockUnreadable(false);
    m_mouse->SetSensorCode(0);
    EXPECT_EQ(ReadBlock(1)[9], 0);
    // The receiver-without-mouse switch: everything answers empty.
    m_mouse->SetMouseOff(true);
    EXPECT_EQ(ReadBlock(1)[8], 0);
}

TEST_F(EmuMirex, DumpIsReadable)
{
    auto mac = Record(0x30, 2, 0);
    const uint8_t events[] = {0, 2, 0x51, 0x23, 0x04, 0xD0, 0x05, 0x04};
    std::copy(std::begin(events), std::end(events), mac.begin() + 9);
    mac[8] = 1;
    m_data->SetFeature(mac);
    const std::string dump = m_mouse->DescribeState();
    for (const char* pszLine : {"current mode: 1\n", "lift-off: not set\n", "  rate: 500 Hz, X and Y together\n",
                                "  DPI levels: 3 enabled, current 2\n", "    level 1: code 03, colour ff 00 00\n",
                                "    level 4: code -, colour 00 00 00\n", "     1: 00000111 left button\n",
                                "     6: 00000041 DPI cycle\n", "     7: 00000150 off\n", "macro buffer 1: 2 events\n",
                                "    1: key 04 press, 291 ms\n", "    2: key 04 release, 5 ms\n"})
        EXPECT_NE(dump.find(pszLine), std::string::npos) << pszLine << "\n" << dump;
}

TEST(EmuMirexCodes, DescribeKeyCodes)
{
    const std::pair<uint32_t, const char*> rows[] = {
        {0x150, "off"},
        {0xFF12, "wheel down"},
        {0x05040221, "key: modifiers 02, usages 04 05"},
        {0x4022, "media: bits 000040"},
        {0x02010370, "macro: buffer 3, repeat mode 1, count 2"},
        {0x01018263, "bullet 2 (key 3): repeat mode 1, count 1"},
        {0x051E1361, "gun preset (key 1): gun 2, scope 1, speed 30, compensation 5"},
        {0x030A2033, "fire: modifier bits 20, values 10 3"},
        {0x0342, "DPI hold: lock code 3"},
        {0xABCDEF99, "code abcdef99"},
    };
    for (const auto& [code, text] : rows) EXPECT_EQ(CEmuMirex::DescribeKeyCode(code), text);
}

TEST(EmuMirexCodes, DescribeMacroBufferStopsAtItsEnd)
{
    const uint8_t buf[] = {0, 9, 0x20, 0x0A, 0xFB, 0x43, 0x00, 0x02};
    const auto lines = CEmuMirex::DescribeMacroBuffer(buf);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "9 events announced, 2 fit the buffer");
    EXPECT_EQ(lines[1], "1: move x -5, 10 ms");
    EXPECT_EQ(lines[2], "2: wheel 2, 768 ms");
}

TEST(EmuMirexConfigFor, SensorDefaults)
{
    ClearGvar();
    InitSensorTables();
    const EmuMirexConfig cfg = MirexConfigFor(0x258A, 0x1007, 0x3360);
    EXPECT_EQ(cfg.bySensorCode, 6);
    EXPECT_EQ(cfg.dpiCodes, (std::vector<uint8_t>{3, 5, 6, 12, 15, 17}));  // 1000 ... 8000
    EXPECT_EQ(MirexConfigFor(0x258A, 0x1007, 0x1234).bySensorCode, 0);
}

TEST_F(EmuMirex, StateSurvivesAFileAndABadFileChangesNothing)
{
    test::CTempDir dir;
    auto mx = Record(0x22, 0, 80);
    mx[8] = 0x41;
    m_data->SetFeature(mx);
    auto mac = Record(0x30, 2, 0);
    mac[8] = 7;
    mac[9] = 0x12;
    m_data->SetFeature(mac);
    Cmd({0x1A, 3});
    std::string strErr;
    ASSERT_TRUE(m_mouse->SaveState(dir / "mouse.state", strErr)) << strErr;

    CVirtualClock clock;
    CEmuMirex fresh(SmallMouse(), clock);
    ASSERT_TRUE(fresh.LoadState(dir / "mouse.state", strErr)) << strErr;
    const auto a = m_mouse->GetState(), b = fresh.GetState();
    EXPECT_EQ(a.block, b.block);
    EXPECT_EQ(a.matrix, b.matrix);
    EXPECT_EQ(a.macros, b.macros);
    EXPECT_EQ(b.nDebounce, 3);
    EXPECT_EQ(fresh.DescribeState(), m_mouse->DescribeState());

    std::string text = test::ReadBytes(dir / "mouse.state");
    const struct {
        std::string from, to, why;
    } damage[] = {
        {"mode 1", "mode 4", "mode 4 does not exist"},
        {"macro 7 12", "macro 7 1", "macro needs 510 bytes"},
        {"macro 7", "macro 21", "macro buffer 21 does not exist"},
        {"matrix 2 41", "matrix 2 4x", "matrix needs 80 bytes"},
        {"debounce 3", "colour 3", "unknown entry colour"},
        {"zorvik-emu-state mirex 1", "zorvik-emu-state pad 1", "not a wired mouse state"},
    };
    for (const auto& d : damage) {
        std::string bad = text;
        bad.replace(bad.find(d.from), d.from.size(), d.to);
        test::WriteBytes(dir / "bad.state", bad);
        EXPECT_FALSE(fresh.LoadState(dir / "bad.state", strErr)) << d.why;
        EXPECT_NE(strErr.find(d.why), std::string::npos) << strErr;
        EXPECT_EQ(fresh.GetState().nDebounce, 3) << d.why;
    }
    std::string partial = text.substr(0, text.find("matrix 3"));
    test::WriteBytes(dir / "bad.state", partial);
    EXPECT_FALSE(fresh.LoadState(dir / "bad.state", strErr));
}
