// The virtual RGB keyboard: its page-addressed memory, what it answers, the
// protocol rules it checks, and its saved state.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "emu/EmuBackend.h"
#include "emu/EmuHex.h"
#include "emu/VirtualClock.h"
#include "emu/varorgb/EmuVaroRgb.h"

using namespace std::chrono_literals;

namespace {

EmuVaroRgbConfig SmallKeyboard()
{
    EmuVaroRgbConfig cfg;
    cfg.keys = {{3, "A", -1}, {7, "F1", 2}};
    return cfg;
}

class EmuVaroRgb : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_kb = std::make_shared<CEmuVaroRgb>(SmallKeyboard(), m_clock);
        m_backend.AddDevice(m_kb);
        m_cmd = m_backend.Open("emu:kb22/cmd");
        m_data = m_backend.Open("emu:kb22/data");
        ASSERT_TRUE(m_cmd && m_data);
    }
    bool Cmd(uint8_t byCmd, uint8_t byAddr)
    {
        const std::array<uint8_t, 6> r{5, byCmd, byAddr, 0, 0, 0};
        return m_cmd->SetFeature(r);
    }
    bool Write(uint8_t byCmd, uint8_t byAddr, uint8_t byFlag, uint8_t byFill)
    {
        std::array<uint8_t, 1032> r{6, byCmd, byAddr, 0, byFlag};
        std::fill(r.begin() + 8, r.end(), byFill);
        return m_data->SetFeature(r);
    }
    std::array<uint8_t, 1032> Read(uint8_t byCmd, uint8_t byAddr, std::chrono::milliseconds gap = 20ms)
    {
        Cmd(byCmd, byAddr);
        m_clock.Sleep(gap);
        std::array<uint8_t, 1032> buf{6};
        EXPECT_TRUE(m_data->GetFeature(buf));
        return buf;
    }

    CVirtualClock m_clock;
    CEmuBackend m_backend;
    std::shared_ptr<CEmuVaroRgb> m_kb;
    std::unique_ptr<IHidHandle> m_cmd, m_data;
};

}  // namespace

TEST_F(EmuVaroRgb, AnswersReadsFromItsPagesAndKeepsWrites)
{
    // The factory: the configuration in use 0, wired; F1's position holds its Fn reference.
    const auto cfg = Read(0x83, 0xB6);
    EXPECT_EQ(EmuHex(std::span(cfg).first(8)), "06 83 b6 00 00 00 00 00");
    EXPECT_EQ(cfg[8 + 16], 0);
    EXPECT_EQ(m_kb->KeyCode(7), 0x02000002u);

    ASSERT_TRUE(Write(4, 0xD4, 0x40, 0x11));
    const auto m = Read(0x84, 0xD4);
    EXPECT_EQ(EmuHex(std::span(m).first(10)), "06 84 d4 00 40 00 00 00 11 11");
    EXPECT_EQ(m_kb->KeyCode(255), 0x11111111u);
    ASSERT_TRUE(Write(3, 0xB6, 0, 0x22));
    EXPECT_EQ(m_kb->Cfg(), std::vector<uint8_t>(254, 0x22));  // only the configuration's 254 bytes
    EXPECT_EQ(m_kb->PageAt(0xB6)[254], 0);
    EXPECT_TRUE(m_kb->Violations().empty());
}

TEST_F(EmuVaroRgb, ProtocolRulesBrokenAreRecorded)
{
    struct Case { const char* what; std::function<void()> act; const char* rule; };
    const Case cases[] = {
        {"write with the wrong size flag", [&] { Write(4, 0xD4, 0, 1); }, "size flag 00, 40 expected"},
        {"command at an address without its object", [&] { Write(9, 0xD4, 0x40, 1); }, "holds no such object"},
        {"read of an object that cannot be read", [&] { Cmd(0x89, 0xBC); }, "no read 89 at address bc"},
        {"answer read too early", [&] { Read(0x83, 0xB6, 5ms); }, "5 ms after its command, 20 ms needed"},
        {"data read without a command", [&] {
             std::array<uint8_t, 1032> buf{6};
             m_data->GetFeature(buf);
         }, "data read with no read command before it"},
        {"command of the wrong length", [&] {
             const std::array<uint8_t, 7> r{5, 0x83, 0xB6};
             m_cmd->SetFeature(r);
         }, "7 bytes, the report has 6"},
    };
    for (const Case& c : cases) {
        m_kb->ClearViolations();
        c.act();
        const auto v = m_kb->Violations();
        ASSERT_EQ(v.size(), 1u) << c.what;
        EXPECT_NE(v[0].find(c.rule), std::string::npos) << c.what << ": " << v[0];
    }
    EXPECT_EQ(m_kb->PageAt(0xD4)[0], 0);  // refused writes changed nothing
}

TEST_F(EmuVaroRgb, StateSurvivesAFileAndABadFileChangesNothing)
{
    ASSERT_TRUE(Write(5, 0xDC, 0x40, 0x5A));
    test::CTempDir dir;
    std::string strErr;
    ASSERT_TRUE(m_kb->SaveState(dir.Path() / "kb22.state", strErr)) << strErr;

    CVirtualClock clock;
    CEmuVaroRgb fresh(SmallKeyboard(), clock);
    ASSERT_TRUE(fresh.LoadState(dir.Path() / "kb22.state", strErr)) << strErr;
    EXPECT_EQ(fresh.PageAt(0xDC), m_kb->PageAt(0xDC));
    EXPECT_EQ(fresh.Cfg(), m_kb->Cfg());

    test::WriteBytes(dir.Path() / "bad.state", "zorvik-emu-state varorgb 1\npage 220 zz\n");
    EXPECT_FALSE(fresh.LoadState(dir.Path() / "bad.state", strErr));
    EXPECT_NE(strErr.find("line 2"), std::string::npos) << strErr;
    EXPECT_EQ(fresh.PageAt(0xDC)[0], 0x5A);
}

// Codes the dump names by their usage, the keyboard's own names and the
// usages past the modifiers (which name no modifier) included.
TEST(EmuVaroRgbCodes, DumpNamesEveryUsageOfAKeyCode)
{
    const struct {
        uint32_t dwCode;
        const char* pszText;
    } kCases[] = {
        {0x04000000, "A"},
        {0x04020000, "LShift+A"},
        {0xE7000000, "RWin"},
        {0xE8000000, "usage e8"},
        {0xF5000000, "button f5"},
        {0xFF000000, "usage ff"},
        {0xE9000006, "modifier usage e9"},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(CEmuVaroRgb::DescribeCode(c.dwCode), c.pszText) << std::hex << c.dwCode;
}
