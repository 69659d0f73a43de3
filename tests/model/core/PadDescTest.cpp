// The pad description: section PAD into gVar.Pad.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "KbDescTestSupport.h"
#include "core/Gvar.h"
#include "core/Options.h"
#include "core/PadDesc.h"

namespace fs = std::filesystem;

namespace {

using kbtest::Msg;
using kbtest::Msgs;

std::array<int, 2> P(const ZPoint& pt) { return {pt.x, pt.y}; }
std::vector<int> Led(const PadDesc& pad) { return std::vector<int>(pad.LedParam, pad.LedParam + 6); }

class PadDescTest : public kbtest::CDescTest {
protected:
    void Load(const std::string& text) { LoadPadDescription(CIniFile::FromBytes(text), m_prompt); }
};

}  // namespace

TEST_F(PadDescTest, Defaults)
{
    gVar.Pad.nVID = 7;
    Load("");
    EXPECT_EQ(Messages(), Msgs{});
    const PadDesc& pad = gVar.Pad;
    EXPECT_EQ(pad.nVID + pad.nPID, 0);
    EXPECT_EQ(pad.nShowEffect, 0);
    EXPECT_EQ(pad.nLedMask, 0);
    EXPECT_EQ(P(pad.ptPadDlg), (std::array<int, 2>{380, 60}));
    EXPECT_EQ(P(pad.ptEft1), (std::array<int, 2>{66, 31}));
    EXPECT_EQ(P(pad.ptEft2), (std::array<int, 2>{454, 304}));
    EXPECT_EQ(pad.nEftGridW, 18);
    EXPECT_EQ(Led(pad), std::vector<int>(6, 0));
}

TEST_F(PadDescTest, EveryKeyIsRead)
{
    Load("[PAD]\nVID=0x258A\nPID=0x10D21\nShowEffect=1\nLedMask=6\nptPadDlg=10,20\nLedParam=A,3,4,6,1\n"
         "ptEft1=1,2\nptEft2=300,200\nEftGridW=19\n");
    EXPECT_EQ(Messages(), Msgs{});
    const PadDesc& pad = gVar.Pad;
    EXPECT_EQ(pad.nVID, 0x258A);
    EXPECT_EQ(pad.nPID, 0x0D21);  // a word
    EXPECT_EQ(pad.nShowEffect, 1);
    EXPECT_EQ(pad.nLedMask, 6);
    EXPECT_EQ(P(pad.ptPadDlg), (std::array<int, 2>{10, 20}));
    EXPECT_EQ(Led(pad), (std::vector<int>{10, 3, 4, 6, 1, 0}));
    EXPECT_EQ(P(pad.ptEft1), (std::array<int, 2>{1, 2}));
    EXPECT_EQ(P(pad.ptEft2), (std::array<int, 2>{300, 200}));
    EXPECT_EQ(pad.nEftGridW, 19);
}

TEST_F(PadDescTest, BadValues)
{
    struct Case {
        const char* pszLines;
        Msgs msgs;
        std::array<int, 2> ptPadDlg;
        std::vector<int> led;
    };
    const Msg kPoint{"Wrong POINT num", "Error"};
    const Case cases[] = {
        {"ptPadDlg=1", {kPoint}, {380, 60}, std::vector<int>(6, 0)},
        {"ptPadDlg=1,2,3", {kPoint}, {380, 60}, std::vector<int>(6, 0)},
        // The mode must be one the pad has (0..10), or the list is not used.
        {"LedParam=B,1,2", {}, {380, 60}, std::vector<int>(6, 0)},
        {"LedParam=-1,1,2", {}, {380, 60}, std::vector<int>(6, 0)},
        {"LedParam=0,1,2", {}, {380, 60}, {0, 1, 2, 0, 0, 0}},
        // Read as far as it parses.
        {"LedParam=2,3,x,5", {}, {380, 60}, {2, 3, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszLines);
        m_prompt.Clear();
        Load(std::string("[PAD]\n") + c.pszLines + "\n");
        EXPECT_EQ(Messages(), c.msgs);
        EXPECT_EQ(P(gVar.Pad.ptPadDlg), c.ptPadDlg);
        EXPECT_EQ(Led(gVar.Pad), c.led);
    }
    EXPECT_TRUE(Logged("[PAD] LedParam: the mode is not a pad LED mode"));
    EXPECT_TRUE(Logged("[PAD] ptPadDlg: Wrong POINT num (value \"1,2,3\")"));
}

TEST_F(PadDescTest, PadOnlyInstallation)
{
    fs::copy_file(test::FixtureDir() / "cfg" / "pad-only.ini", g_szAppDir / "cfg.ini");
    const CIniFile cfg = CIniFile::Load(g_szAppDir / "cfg.ini");
    DataInit(cfg, m_prompt, LogConfigForTest());
    PostInit(m_prompt);
    LoadLangAndSkins(cfg, CIniFile(), m_prompt);
    EXPECT_EQ(Messages(), Msgs{});
    EXPECT_EQ(gVar.nPadFw, 40);
    EXPECT_EQ(gVar.nMsFw + gVar.nKbFw, 0);
    EXPECT_FALSE(gVar.bMultiDev);
    EXPECT_EQ(gVar.Pad.nVID, 0x258A);
    EXPECT_EQ(gVar.Pad.nPID, 0x0D21);
    EXPECT_EQ(Led(gVar.Pad), (std::vector<int>{1, 3, 4, 6, 0, 0}));
    EXPECT_EQ(gVar.Kb.nKeyNum, 0);

    // Without PadFw the section is not read.
    DataInit(CIniFile::FromBytes("[OPT]\nappdir=Zorvik\nMacProtocol=1\n[PAD]\nVID=5\n"), m_prompt,
             LogConfigForTest());
    EXPECT_EQ(gVar.Pad.nVID, 0);
    EXPECT_EQ(P(gVar.Pad.ptPadDlg), (std::array<int, 2>{0, 0}));
}
