// The virtual type-24 keyboard on its own: chunks reassembled per command and
// index, the protocol rules it records, the probe answered on its own input
// interface only, and its saved state.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "emu/EmuBackend.h"
#include "emu/EmuHex.h"
#include "emu/VirtualClock.h"
#include "emu/newkb/EmuNewKb.h"

namespace {

using Report = std::vector<uint8_t>;

Report Chunk(uint8_t byCmd, uint8_t byIndex, uint8_t byCount, uint8_t byNumber, size_t nLen, uint8_t byFill)
{
    Report r(520, 0);
    r[0] = 6;
    r[1] = byCmd;
    r[2] = byIndex;
    r[4] = byCount;
    r[5] = byNumber;
    r[6] = uint8_t(nLen);
    r[7] = uint8_t(nLen >> 8);
    std::fill_n(r.begin() + 8, nLen, byFill);
    return r;
}

class EmuNewKbTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int n = 1; n <= 2; ++n) {
            EmuNewKbConfig cfg;
            cfg.strName = n == 1 ? "kb24" : "kb24-2";
            m_kbs.push_back(std::make_shared<CEmuNewKb>(cfg, m_clock));
            m_backend.AddDevice(m_kbs.back());
        }
        m_cmd = m_backend.Open("emu:kb24/cmd");
        ASSERT_TRUE(m_cmd);
    }

    CVirtualClock m_clock;
    CEmuBackend m_backend;
    std::vector<std::shared_ptr<CEmuNewKb>> m_kbs;
    std::unique_ptr<IHidHandle> m_cmd;
};

}  // namespace

TEST_F(EmuNewKbTest, ChunksAreJoinedPerCommandAndIndex)
{
    // Two groups' transfers interleaved: each is joined on its own.
    ASSERT_TRUE(m_cmd->SetFeature(Chunk(6, 0, 1, 0, 378, 0x11)));
    ASSERT_TRUE(m_cmd->SetFeature(Chunk(5, 0, 2, 0, 512, 0)));
    ASSERT_TRUE(m_cmd->SetFeature(Chunk(6, 1, 1, 0, 378, 0x22)));
    const CEmuNewKb::State st = m_kbs[0]->GetState();
    EXPECT_EQ(st.game.at(1)[0], 0x11);
    EXPECT_EQ(st.game.at(2)[377], 0x22);
    EXPECT_EQ(m_kbs[0]->Operations(), (std::vector<std::string>{"W 06/00 378", "W 06/01 378"}));
    EXPECT_EQ(m_kbs[0]->Violations(), std::vector<std::string>{});
    // The write of the macro area is still open; its second chunk closes it.
    Report last = Chunk(5, 0, 2, 1, 8, 0);
    const uint8_t toc[] = {4, 0, 0xFC, 1};  // one macro from byte 4, 508 + 8 bytes long: wrong on purpose
    std::copy(std::begin(toc), std::end(toc), last.begin() + 8);
    Report first = Chunk(5, 0, 2, 0, 512, 0);
    std::copy(std::begin(toc), std::end(toc), first.begin() + 8);
    ASSERT_TRUE(m_cmd->SetFeature(first));
    EXPECT_EQ(m_kbs[0]->Violations().size(), 1u);  // a new transfer before the open one ended
    ASSERT_TRUE(m_cmd->SetFeature(last));
    EXPECT_EQ(m_kbs[0]->GetState().nMacroLen, 520);
    EXPECT_EQ(m_kbs[0]->Violations().back(), "macro area: the table describes 512 bytes of 520");
}

TEST_F(EmuNewKbTest, ProtocolRules)
{
    struct Case {
        const char* pszWhat;
        std::vector<Report> reports;
        std::string violation;
    };
    Report byte3 = Chunk(4, 0, 1, 0, 128, 1);
    byte3[3] = 9;
    const Case cases[] = {
        {"chunk out of order", {Chunk(3, 0, 2, 1, 8, 0)}, "write 03/00 chunk 1: out of order, or its count changed"},
        {"chunk number past the count", {Chunk(3, 0, 1, 1, 8, 0)}, "write 03/00 chunk 1: chunk number 1 of 1"},
        {"a short chunk before the last", {Chunk(3, 0, 2, 0, 500, 0)}, "write 03/00 chunk 0: payload length 500"},
        {"matrix of the wrong size", {Chunk(3, 0, 1, 0, 500, 0)}, "object 03: 500 bytes, 504 expected"},
        {"header byte 3", {byte3}, "command 04: header byte 3 is 09, not 00"},
        {"unknown command", {Chunk(7, 0, 1, 0, 4, 0)}, "unknown command 07"},
        {"colour table of a part of a mode", {Chunk(10, 0, 1, 0, 20, 0)}, "colour table of 20 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        m_kbs[0]->ClearViolations();
        for (const Report& r : c.reports) m_cmd->SetFeature(r);
        const std::vector<std::string> v = m_kbs[0]->Violations();
        ASSERT_FALSE(v.empty());
        EXPECT_EQ(v.back(), c.violation);
    }
    // A read needs its command first, and 20 ms after it.
    m_kbs[0]->ClearViolations();
    Report answer(520, 0);
    answer[0] = 6;
    m_cmd->GetFeature(answer);
    EXPECT_EQ(m_kbs[0]->Violations(), std::vector<std::string>{"read of report 6 with no read command before it"});
    m_kbs[0]->ClearViolations();
    ASSERT_TRUE(m_cmd->SetFeature(Chunk(0x84, 0, 1, 0, 0, 0)));
    m_clock.Sleep(std::chrono::milliseconds(5));
    ASSERT_TRUE(m_cmd->GetFeature(answer));
    EXPECT_EQ(m_kbs[0]->Violations(), std::vector<std::string>{"object 84 read 5 ms after its command, 20 ms needed"});
    EXPECT_EQ(EmuHex(std::span(answer).first(8)), "06 84 00 00 01 00 80 00");
    EXPECT_EQ(answer[8], m_kbs[0]->GetState().led[0]);
}

TEST_F(EmuNewKbTest, TheProbeIsAnsweredOnTheKeyboardsOwnInputInterface)
{
    auto notify1 = m_backend.Open("emu:kb24/notify");
    auto notify2 = m_backend.Open("emu:kb24-2/notify");
    Report probe(520, 0);
    const uint8_t head[] = {6, 0xAA, 0xC7, 0, 0, 1, 0, 2};
    std::copy(std::begin(head), std::end(head), probe.begin());
    ASSERT_TRUE(m_cmd->SetFeature(probe));
    std::vector<uint8_t> in(520, 0);
    EXPECT_EQ(notify2->ReadInput(in, std::chrono::milliseconds(0)), 0);
    ASSERT_EQ(notify1->ReadInput(in, std::chrono::milliseconds(0)), 4);
    EXPECT_EQ(EmuHex(std::span(in).first(4)), "09 aa c7 00");
    EXPECT_EQ(m_kbs[0]->Operations(), std::vector<std::string>{});  // the probe writes nothing
}

TEST_F(EmuNewKbTest, SavedStateComesBackAndABadFileChangesNothing)
{
    ASSERT_TRUE(m_cmd->SetFeature(Chunk(3, 0, 1, 0, 504, 0x5A)));
    ASSERT_TRUE(m_cmd->SetFeature(Chunk(6, 2, 1, 0, 378, 0x33)));
    const test::CTempDir dir;
    const std::filesystem::path file = dir.Path() / "kb24.state";
    std::string strErr;
    ASSERT_TRUE(m_kbs[0]->SaveState(file, strErr)) << strErr;
    EmuNewKbConfig cfg;
    CEmuNewKb fresh(cfg, m_clock);
    ASSERT_TRUE(fresh.LoadState(file, strErr)) << strErr;
    EXPECT_EQ(fresh.GetState().matrix, m_kbs[0]->GetState().matrix);
    EXPECT_EQ(fresh.GetState().game.at(3)[0], 0x33);

    test::WriteBytes(file, "zorvik-emu-state newkb 1\nmatrix 1 zz\n");
    const auto before = fresh.GetState().matrix;
    EXPECT_FALSE(fresh.LoadState(file, strErr));
    EXPECT_FALSE(strErr.empty());
    EXPECT_EQ(fresh.GetState().matrix, before);
}

TEST(EmuNewKbCount, FromTheEnvironment)
{
    const struct {
        const char* pszValue;
        int n;
    } cases[] = {{nullptr, 1}, {"", 1}, {"2", 2}, {"9", 5}, {"0", 1}, {"two", 1}};
    for (const auto& c : cases) {
        if (c.pszValue) setenv("ZORVIK_EMU_KB24_COUNT", c.pszValue, 1);
        else unsetenv("ZORVIK_EMU_KB24_COUNT");
        EXPECT_EQ(EmuNewKbCount(), c.n) << (c.pszValue ? c.pszValue : "(unset)");
    }
    unsetenv("ZORVIK_EMU_KB24_COUNT");
}
