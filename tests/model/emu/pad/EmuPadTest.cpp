// The virtual pad: its interface, what it answers and keeps, the writes it
// refuses, its dump and its saved state, and its place among the rig's devices.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "TestSupport.h"
#include "core/Gvar.h"
#include "emu/EmuBackend.h"
#include "emu/EmuHex.h"
#include "emu/EmuRig.h"
#include "emu/VirtualClock.h"
#include "emu/pad/EmuPad.h"

namespace {

using Report = std::array<uint8_t, 27>;

class EmuPad : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_pad = std::make_shared<CEmuPad>(EmuPadConfig{}, m_clock);
        m_backend.AddDevice(m_pad);
        m_h = m_backend.Open("emu:pad/general");
        ASSERT_TRUE(m_h);
    }
    Report Read()
    {
        Report r{0x30};
        EXPECT_TRUE(m_h->GetFeature(r));
        return r;
    }
    // A write of the pad's header and the given lighting bytes (block byte 2 on).
    bool Write(std::vector<uint8_t> lighting, uint8_t byHead0 = 0xA1, uint8_t byHead1 = 0x02)
    {
        Report r{0x30, byHead0, byHead1};
        std::copy(lighting.begin(), lighting.end(), r.begin() + 3);
        return m_h->SetFeature(r);
    }

    CVirtualClock m_clock;
    CEmuBackend m_backend;
    std::shared_ptr<CEmuPad> m_pad;
    std::unique_ptr<IHidHandle> m_h;
};

}  // namespace

TEST_F(EmuPad, OneVendorInterface)
{
    const auto list = m_backend.Enumerate();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].szPath, "emu:pad/general");
    EXPECT_EQ(list[0].nUsagePage, 0xFF00);
    EXPECT_EQ(list[0].nUsage, 1);
    EXPECT_EQ(list[0].nReportId, 0x30);
    EXPECT_EQ(list[0].nFeatureLen, 27);
    EXPECT_EQ(list[0].nInputLen, 0);
    EXPECT_EQ(list[0].nVID, 0x258A);
    EXPECT_EQ(list[0].nPID, 0x0D21);
}

TEST_F(EmuPad, AnswersItsBlockAndTakesLighting)
{
    EXPECT_EQ(EmuHex(Read()), "30 a1 02 01 42 00 ff 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
    ASSERT_TRUE(Write({0x04, 0x25, 0x02, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(EmuHex(Read()), "30 a1 02 04 25 02 01 02 03 04 05 06 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(m_pad->Writes(), 1);
    EXPECT_TRUE(m_pad->Violations().empty());
    const std::string state = m_pad->DescribeState();
    EXPECT_NE(state.find("lighting: effect 4, speed 5, brightness 50 % (code 2)\n  colours in use: 2\n"
                         "  colour 1: 01 02 03\n  colour 2: 04 05 06\n"),
              std::string::npos)
        << state;

    // The first two bytes are the pad's: a host that changes them is told, and they stay.
    ASSERT_TRUE(Write({0x01, 0x42, 0x80}, 0x00, 0x00));
    const Report after = Read();
    EXPECT_EQ(EmuHex(std::span(after).first(6)), "30 a1 02 01 42 80");
    EXPECT_EQ(m_pad->Violations(),
              (std::vector<std::string>{"general: bytes 0-1 written as 00 00, the pad's are a1 02"}));
}

TEST_F(EmuPad, RefusesLightingItDoesNotHave)
{
    struct Case {
        std::vector<uint8_t> lighting;
        const char* pszRule;
    };
    const Case cases[] = {
        {{11, 0x42, 0}, "general: effect number 11, the pad has 0 to 10; not taken"},
        {{2, 0x02, 0}, "general: brightness code 0, the pad has 1 to 4; not taken"},
        {{2, 0x52, 0}, "general: brightness code 5, the pad has 1 to 4; not taken"},
        {{1, 0x42, 0x40}, "general: effect 1 with direction byte 40, not 00 or 80; not taken"},
        {{2, 0x42, 0x80}, "general: effect 2 with extra byte 80, not 00; not taken"},
        {{4, 0x42, 8}, "general: effect 4 with 8 colours, the pad has 7; not taken"},
        {{4, 0x42, 1, 1, 2, 3, 4}, "general: effect 4 with 1 colours, but colour bytes after them are not 0; not taken"},
    };
    for (const Case& c : cases) {
        m_pad->ClearViolations();
        const CEmuPad::State before = m_pad->GetState();
        EXPECT_TRUE(Write(c.lighting));  // the transfer itself goes through
        EXPECT_EQ(m_pad->Violations(), std::vector<std::string>{c.pszRule});
        EXPECT_EQ(m_pad->GetState().block, before.block) << c.pszRule;
    }
    EXPECT_EQ(m_pad->Writes(), 0);
    // A report of the wrong length never reaches the firmware.
    m_pad->ClearViolations();
    const std::array<uint8_t, 26> shortReport{0x30};
    EXPECT_FALSE(m_h->SetFeature(shortReport));
    ASSERT_EQ(m_pad->Violations().size(), 1u);
    EXPECT_NE(m_pad->Violations()[0].find("26 bytes, the report has 27"), std::string::npos);
}

TEST_F(EmuPad, SavedStateComesBackWithThePadsOwnHeader)
{
    test::CTempDir dir;
    ASSERT_TRUE(Write({3, 0x13, 0x80, 0xAA, 0xBB, 0xCC}));
    std::string strErr;
    ASSERT_TRUE(m_pad->SaveState(dir / "pad.state", strErr)) << strErr;
    const std::string text = test::ReadBytes(dir / "pad.state");
    EXPECT_EQ(text, "zorvik-emu-state pad 1\ngeneral 1 a1 02 03 13 80 aa bb cc 00 00 00 00 00 00 00 00 00 00 00 00 00 "
                    "00 00 00 00 00\n");

    EmuPadConfig other;
    other.header = {0x55, 0x66};
    CEmuPad fresh(other, m_clock);
    ASSERT_TRUE(fresh.LoadState(dir / "pad.state", strErr)) << strErr;
    const CEmuPad::Block loaded = fresh.GetState().block;
    EXPECT_EQ(EmuHex(std::span(loaded).first(6)), "55 66 03 13 80 aa");

    // A file the pad could not have written changes nothing.
    const std::pair<const char*, const char*> bad[] = {
        {"zorvik-emu-state pad 1\ngeneral 1 a1 02 0c 42\n", "line 2:"},
        {"zorvik-emu-state pad 1\ngeneral 1 a1 02 0c 42 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
         "00 00\n",
         "effect number 12"},
        {"zorvik-emu-state mirex 1\n", "not a mouse pad state"},
        {"zorvik-emu-state pad 1\n", "the pad's block is needed"},
    };
    for (const auto& [pszText, pszWhy] : bad) {
        test::WriteBytes(dir / "bad.state", pszText);
        const CEmuPad::State before = fresh.GetState();
        EXPECT_FALSE(fresh.LoadState(dir / "bad.state", strErr)) << pszText;
        EXPECT_NE(strErr.find(pszWhy), std::string::npos) << strErr;
        EXPECT_EQ(fresh.GetState().block, before.block) << pszText;
    }
}

TEST(EmuPadRig, ThePadOfTheConfigurationKeepsItsStateBetweenRuns)
{
    test::CTempDir dir;
    CVirtualClock clock;
    auto gv = std::make_unique<GlobalVar>();
    gv->nPadFw = 40;
    gv->Pad.nVID = 0x258A;
    gv->Pad.nPID = 0x0D21;
    std::vector<std::string> notes;
    {
        CEmuRig rig(clock);
        rig.AddConfigured(*gv, dir.Path(), notes);
        const auto list = rig.Backend().Enumerate();
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].szPath, "emu:pad/general");
        auto h = rig.Backend().Open("emu:pad/general");
        ASSERT_TRUE(h);
        Report r{0x30, 0xA1, 0x02, 0x00, 0x11};
        ASSERT_TRUE(h->SetFeature(r));
        h.reset();
        ASSERT_TRUE(rig.Finish({}, notes));
    }
    EXPECT_TRUE(notes.empty());
    EXPECT_TRUE(std::filesystem::exists(dir / "pad.state"));
    CEmuRig again(clock);
    again.AddConfigured(*gv, dir.Path(), notes);
    const std::string text = again.Describe();
    EXPECT_NE(text.find("== pad ==\nmouse pad pad: 258a:0d21"), std::string::npos) << text;
    EXPECT_NE(text.find("lighting: effect 0, speed 1, brightness 20 % (code 1)"), std::string::npos) << text;

    // Another pad firmware type is not this pad.
    gv->nPadFw = 41;
    CEmuRig none(clock);
    none.AddConfigured(*gv, {}, notes);
    EXPECT_TRUE(none.Backend().Enumerate().empty());
}
