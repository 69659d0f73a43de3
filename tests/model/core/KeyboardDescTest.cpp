// The keyboard description: section KB and Direct%d into gVar.Kb with their
// defaults and checks, the wiring into data initialisation, and the shipped
// and fixture installations loading cleanly.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "KbDescTestSupport.h"
#include "core/Gvar.h"
#include "core/KeyboardDesc.h"
#include "core/Options.h"
#include "core/PadDesc.h"

namespace fs = std::filesystem;

namespace {

using kbtest::Msg;
using kbtest::Msgs;

template <class T, size_t N>
std::vector<int> V(const T (&a)[N])
{
    return std::vector<int>(std::begin(a), std::end(a));
}
std::array<int, 4> R(const ZRect& rc) { return {rc.left, rc.top, rc.right, rc.bottom}; }
std::array<int, 2> P(const ZPoint& pt) { return {pt.x, pt.y}; }

constexpr ZColor kRed = MakeColor(255, 0, 0);
constexpr ZColor kBlue = MakeColor(0, 0, 255);
constexpr ZColor kGreen = MakeColor(0, 255, 0);
constexpr ZColor kWhite = MakeColor(255, 255, 255);

class KeyboardDescTest : public kbtest::CDescTest {
protected:
    void Load(const std::string& text, int nKbFw = 22)
    {
        gVar.nKbFw = nKbFw;
        LoadKeyboardDescription(CIniFile::FromBytes(text), m_prompt);
    }
};

}  // namespace

TEST_F(KeyboardDescTest, DefaultsWithoutAnyKey)
{
    Load("");
    EXPECT_EQ(Messages(), Msgs{});
    const KbDesc& kb = gVar.Kb;
    EXPECT_EQ(kb.nVID + kb.nPID + kb.nPID2, 0);
    EXPECT_EQ(kb.szUSBString[0], 0);
    EXPECT_EQ(kb.nShowEffect, -1);
    EXPECT_EQ(kb.nDefDebounce, 3);
    EXPECT_EQ(V(kb.KeyNotToSetColor), (std::vector<int>{255, 255, 255, 255}));
    EXPECT_EQ(kb.nKVaroRGB, 1);
    EXPECT_EQ(kb.nKeyNotToSet, -1);
    EXPECT_EQ(kb.nRandomVal, 7);
    EXPECT_EQ(kb.nWaitTm, 30);
    EXPECT_EQ(kb.nFrameKey, 1);
    EXPECT_EQ(kb.nSyncKB, 1);
    EXPECT_EQ(kb.nMaxFnNum, 48);
    EXPECT_EQ(kb.nDefSelectKey, -1);
    EXPECT_EQ(V(kb.NeonSpeed), (std::vector<int>{50, 40, 30, 20, 15}));
    EXPECT_EQ(V(kb.SleepTime), std::vector<int>(11, 0));
    EXPECT_EQ(R(kb.rcKB), (std::array<int, 4>{0, 0, 0, 0}));
    EXPECT_EQ(kb.nUnRectKey, 0);
    EXPECT_EQ(kb.nEnterPtNum, 0);
    EXPECT_EQ(kb.nLedModeSelectOffset, 4);
    EXPECT_EQ(kb.nEffectBase, 1);
    EXPECT_EQ(kb.nEffectOffset, 18);
    EXPECT_EQ(V(kb.RGBIndex), (std::vector<int>{2, 1, 0}));
    EXPECT_EQ(V(kb.GameRGBIndex), (std::vector<int>{2, 1, 0}));
    for (int i = 0; i < 50; i += 2) {
        EXPECT_EQ(kb.LEDParam[i], 7) << i;
        EXPECT_EQ(kb.LEDParam[i + 1], 53) << i;
    }
    EXPECT_EQ(kb.nStartGp, 32);
    EXPECT_EQ(kb.nGaoshouAddr, 172);
    EXPECT_EQ(kb.nShowGaoshouGroup, 1);
    EXPECT_EQ(kb.clrGaoshou, kWhite);
    EXPECT_EQ(kb.nKeyNum, 0);
    EXPECT_EQ(kb.nUIKeyNum, 0);
    EXPECT_EQ(kb.nMaxEftKeyIndex, 0);
    EXPECT_EQ(gVar.nColorIndex, 0);
    for (const KeyInfo& k : g_defKEY) {
        EXPECT_EQ(k.FunID, 0u);
        EXPECT_EQ(k.nFnIndex, -1);
    }

    // The built-in LED modes: mode number, preview, controls, seven colours.
    const LedOptKb& o0 = kb.LedOpt[0];
    EXPECT_EQ((std::vector<int>{o0.nDevMode, o0.nPreviewEffect, o0.bSpeed, o0.bBright, o0.bDirect, o0.bColorful,
                                o0.nColors}),
              (std::vector<int>{1, 5, 1, 1, 0, 1, 1}));
    const LedOptKb& o12 = kb.LedOpt[12];
    EXPECT_EQ((std::vector<int>{o12.nDevMode, o12.nPreviewEffect, o12.bSpeed, o12.bBright, o12.bColorful}),
              (std::vector<int>{13, 18, 1, 1, 1}));
    EXPECT_EQ(kb.LedOpt[9].nPreviewEffect, 13);
    EXPECT_EQ(kb.LedOpt[12].clrDef[0], kRed);
    EXPECT_EQ(kb.LedOpt[12].clrDef[1], kBlue);
    EXPECT_EQ(kb.LedOpt[12].clrDef[6], kWhite);
    EXPECT_EQ(kb.LedOpt[13].nDevMode, 0);
    EXPECT_EQ(kb.LedOpt[13].clrDef[0], 0u);
}

TEST_F(KeyboardDescTest, FamilyDefaults)
{
    struct Case { int nKbFw; int32_t nSpeedNum, nBriNum; int nGaoshouIndex, nGroups, nMaxFnNum; };
    const Case cases[] = {
        {20, 0x00040104, 0x00040104, 13, 5, 48},
        {21, 0x00040005, 0x00050006, 18, 2, 62},
        {22, 0x00040104, 0x00040104, 13, 5, 62},
        {23, 0x00040104, 0x00040104, 13, 10, 62},
        {24, 0x00040104, 0x00040104, 13, 5, 62},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nKbFw);
        // MaxFnNum is held to the Fn tables the family has.
        Load("[KB]\nGaoshouIndex=255\nMaxFnNum=70\n", c.nKbFw);
        EXPECT_EQ(gVar.Kb.nMaxFnNum, c.nMaxFnNum);
        EXPECT_EQ(gVar.Kb.nSpeedNum, c.nSpeedNum);
        EXPECT_EQ(gVar.Kb.nBriNum, c.nBriNum);
        EXPECT_EQ(gVar.Kb.nGaoshouIndex, c.nGaoshouIndex);
        EXPECT_EQ(gVar.Kb.nGaoshouGroupNum, c.nGroups);
    }
    EXPECT_EQ(Messages(), Msgs{});
}

TEST_F(KeyboardDescTest, EveryKeyIsRead)
{
    Load("[OPT]\nDirect1=3,1,2\nDirect3=12,3,400\n"
         "[KB]\n"
         "VID=0x1258A\nPID=0x0C45\nPID2=99\n"
         "USBString=A product string longer than twenty-nine characters\n"
         "LedMask=5\nMusicMask=6\nGameMask=7\nVerNeedToUpdate=0x105\nVerUpdate=0x106\nUpdateForNoDev=1\n"
         "ShowEffect=2\nHasFuncTy=1\nClrKeyOv=1,2,3\nClrKeyDn=4,5,6\nClrKeyHasFunc=7,8,9\n"
         "GameGroupIndex=1,2,3,4\nptLight=10,11\nptSpeed=12,13\nptDebounce=14,15\nDefDebounce=2\n"
         "SpeedNum=0x00030102\nBriNum=0x00050106\nKeyNotToSetColor=5,6\nKVaroRGB=0\nKeyNotToSet=4\n"
         "RandomVal=3\nWheelMode=1\nTipForDevCfg=1\nTipForWireless=1\nWaitTm=45\nFrameKey=0\nRespireType=2\n"
         "PaomaType=3\nMinLightEffectOFF=1\nKbLayout=2\nKbDrawType=1\nSyncKB=0\nVkCustom=0x55\nMaxFnNum=32\n"
         "DefSelectKey=1\nColorfulEffect=1,0,1\nNeonSpeed=60\nSleepTime=5,1,255\nrcKB=71,84,920,266\n"
         "DefLed=2,3,4,1,1\nUnRectKey=13,10,10,30,10,30,30,10,30,10,10\nLedModeSelectOffset=6\n"
         "EffectBase=0\nEffectOffset=20\nEffectNum=23\nRGBIndex=0,1,2\nGameRGBIndex=1,0,2\n"
         "LEDParam=81,12,07,34\nDefCfg=0x101\nOurCfg=1\nColorIndex=6\nDefLedIndex=3\nGaoshouIndex=14\n"
         "StartGp=1\nGaoshouAddr=0xBC\nShowGaoshouGroup=0\nDefGaoshouGroup=2\nGaoshouGroupNum=3\n"
         "CustomGp=1,2\nPaomaVk=1B,70,71\nclrGaoshou=0,0,255\n"
         "GaoshouKey1=57,41,53,44\nGaoshouKeyColor1=1,2,3,4\nGaoshouKey2=10,20\n"
         "LedOpt2=9,8,0,1,1,0,1,255,0,0,300,-5,7\nLedOpt20=4\n"
         "MaxEftKeyIndex=1\n"
         "[KBKEY]\nK1=0,0,10,10,2,41,0,1\nK2=0,0,10,10,2,42,0,2\n");
    EXPECT_EQ(Messages(), Msgs{});
    const KbDesc& kb = gVar.Kb;
    EXPECT_EQ(kb.nVID, 0x258A);  // a word
    EXPECT_EQ(kb.nPID, 0x0C45);
    EXPECT_EQ(kb.nPID2, 99);
    EXPECT_EQ(U16ToUtf8(FixedView(kb.szUSBString)), "A product string longer than ");
    EXPECT_EQ((std::vector<int>{kb.nLedMask, kb.nMusicMask, kb.nGameMask, kb.nVerNeedToUpdate, kb.nVerUpdate,
                                kb.nUpdateForNoDev, kb.nShowEffect, kb.nHasFuncTy}),
              (std::vector<int>{5, 6, 7, 0x105, 0x106, 1, 2, 1}));
    EXPECT_EQ(kb.clrKeyOv, MakeColor(1, 2, 3));
    EXPECT_EQ(kb.clrKeyDn, MakeColor(4, 5, 6));
    EXPECT_EQ(kb.clrKeyHasFunc, MakeColor(7, 8, 9));
    EXPECT_EQ(V(kb.GameGroupIndex), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(P(kb.ptLight), (std::array<int, 2>{10, 11}));
    EXPECT_EQ(P(kb.ptSpeed), (std::array<int, 2>{12, 13}));
    EXPECT_EQ(P(kb.ptDebounce), (std::array<int, 2>{14, 15}));
    EXPECT_EQ(kb.nDefDebounce, 2);
    EXPECT_EQ(kb.nSpeedNum, 0x00030102);
    EXPECT_EQ(kb.nBriNum, 0x00050106);
    EXPECT_EQ(V(kb.KeyNotToSetColor), (std::vector<int>{5, 6, 255, 255}));
    EXPECT_EQ((std::vector<int>{kb.nKVaroRGB, kb.nKeyNotToSet, kb.nRandomVal, kb.nWheelMode, kb.nTipForDevCfg,
                                kb.nTipForWireless, kb.nWaitTm, kb.nFrameKey, kb.nRespireType, kb.nPaomaType,
                                kb.nMinLightEffectOFF, kb.nKbLayout, kb.nKbDrawType, kb.nSyncKB, kb.nVkCustom,
                                kb.nMaxFnNum, kb.nDefSelectKey}),
              (std::vector<int>{0, 4, 3, 1, 1, 1, 45, 0, 2, 3, 1, 2, 1, 0, 0x55, 32, 1}));
    EXPECT_EQ(V(kb.ColorfulEffect), (std::vector<int>{1, 0, 1, 0}));
    EXPECT_EQ(V(kb.NeonSpeed), (std::vector<int>{60, 40, 30, 20, 15}));
    EXPECT_EQ(V(kb.SleepTime), (std::vector<int>{5, 1, 255, 0, 0, 0, 0, 0, 0, 0, 0}));
    // Written as position and size, kept as edges.
    EXPECT_EQ(R(kb.rcKB), (std::array<int, 4>{71, 84, 991, 350}));
    EXPECT_EQ(std::vector<int>(kb.DefLed, kb.DefLed + 6), (std::vector<int>{2, 3, 4, 1, 1, 0}));
    EXPECT_EQ(kb.nUnRectKey, 13);
    ASSERT_EQ(kb.nEnterPtNum, 5);
    EXPECT_EQ(P(kb.EnterPt[1]), (std::array<int, 2>{30, 10}));
    EXPECT_EQ(P(kb.EnterPt[4]), (std::array<int, 2>{10, 10}));
    EXPECT_EQ(kb.nLedModeSelectOffset, 6);
    EXPECT_EQ(kb.nEffectBase, 0);
    EXPECT_EQ(kb.nEffectOffset, 20);
    EXPECT_EQ(V(kb.RGBIndex), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(V(kb.GameRGBIndex), (std::vector<int>{1, 0, 2}));
    EXPECT_EQ(std::vector<int>(kb.LEDParam, kb.LEDParam + 6), (std::vector<int>{0x81, 0x12, 0x07, 0x34, 7, 53}));
    EXPECT_EQ(kb.nDefCfg, 1);  // a byte
    EXPECT_EQ(kb.nOurCfg, 1);
    EXPECT_EQ(gVar.nColorIndex, 6);
    EXPECT_EQ(kb.nDefLedIndex, 3);
    EXPECT_EQ(kb.nGaoshouIndex, 14);
    EXPECT_EQ((std::vector<int>{kb.nStartGp, kb.nGaoshouAddr, kb.nShowGaoshouGroup, kb.nDefGaoshouGroup,
                                kb.nGaoshouGroupNum}),
              (std::vector<int>{1, 0xBC, 0, 2, 3}));
    EXPECT_EQ(V(kb.CustomGp), (std::vector<int>{1, 2}));
    EXPECT_EQ(std::vector<int>(kb.PaomaVk, kb.PaomaVk + 4), (std::vector<int>{0x1B, 0x70, 0x71, 0}));
    EXPECT_EQ(kb.clrGaoshou, kBlue);
    EXPECT_EQ(std::vector<int>(kb.GaoshouKey[0], kb.GaoshouKey[0] + 5), (std::vector<int>{0x57, 0x41, 0x53, 0x44, 0}));
    EXPECT_EQ(std::vector<int>(kb.GaoshouKeyColor[0], kb.GaoshouKeyColor[0] + 4), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(std::vector<int>(kb.GaoshouKey[1], kb.GaoshouKey[1] + 3), (std::vector<int>{0x10, 0x20, 0}));
    // Mode 2: its numbers, two colours (components held to 0..255), the other
    // built-in colours kept.
    const LedOptKb& o = kb.LedOpt[1];
    EXPECT_EQ((std::vector<int>{o.nDevMode, o.nPreviewEffect, o.bSpeed, o.bBright, o.bDirect, o.bColorful,
                                o.nColors}),
              (std::vector<int>{9, 8, 0, 1, 1, 0, 1}));
    EXPECT_EQ(o.clrDef[0], kRed);
    EXPECT_EQ(o.clrDef[1], MakeColor(255, 0, 7));
    EXPECT_EQ(o.clrDef[2], kGreen);
    EXPECT_EQ(kb.LedOpt[19].nDevMode, 4);
    EXPECT_EQ(kb.LedOpt[19].nPreviewEffect, 0);
    EXPECT_EQ(kb.LedOpt[19].clrDef[0], 0u);
    EXPECT_EQ(kb.nKeyNum, 2);
    EXPECT_EQ(kb.nMaxEftKeyIndex, 1);
    EXPECT_EQ(V(kb.Direct[0]), (std::vector<int>{3, 1, 2}));
    EXPECT_EQ(V(kb.Direct[1]), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(V(kb.Direct[2]), (std::vector<int>{12, 3, 0}));  // 400 is no byte
    EXPECT_TRUE(Logged("LoadKeyboardDescription: KbFw=22, VID=258A, PID=0C45, nKeyNum=2"));
}

TEST_F(KeyboardDescTest, ChecksOfTheKbSection)
{
    struct Case {
        const char* pszLines;
        Msgs msgs;
        std::function<void(const KbDesc&)> check;
    };
    auto warn = [](const char* psz) { return Msg{psz, "Warning"}; };
    auto error = [](const char* psz) { return Msg{psz, "Error"}; };
    const std::string kTwoKeys = "[KBKEY]\nK1=0,0,1,1,2,41,0,1\nK2=0,0,1,1,2,42,0,2\n[KB]\n";
    const Case cases[] = {
        {"EffectOffset=60", {}, [](const KbDesc& kb) { EXPECT_EQ(kb.nEffectOffset, 60); }},
        // Past the lighting block: shown, and the default is used.
        {"EffectOffset=61", {warn("Invalid nEffectOffset")}, [](const KbDesc& kb) { EXPECT_EQ(kb.nEffectOffset, 18); }},
        {"EffectOffset=-1", {warn("Invalid nEffectOffset")}, [](const KbDesc& kb) { EXPECT_EQ(kb.nEffectOffset, 18); }},
        {"EffectNum=23", {}, nullptr},
        {"EffectNum=24", {warn("Invalid nEffectNum")}, nullptr},
        // Positions that do not add up to 3 are shown and used as written...
        {"RGBIndex=0,1,1", {warn("R G B Index Error")},
         [](const KbDesc& kb) { EXPECT_EQ(V(kb.RGBIndex), (std::vector<int>{0, 1, 1})); }},
        {"RGBIndex=0,1", {warn("R G B Index Error")},
         [](const KbDesc& kb) { EXPECT_EQ(V(kb.RGBIndex), (std::vector<int>{0, 1, 0})); }},
        // ... a position past the colour triple is not used at all.
        {"RGBIndex=0,0,3", {warn("R G B Index Error")},
         [](const KbDesc& kb) { EXPECT_EQ(V(kb.RGBIndex), (std::vector<int>{2, 1, 0})); }},
        {"RGBIndex=5,0,0", {warn("R G B Index Error")},
         [](const KbDesc& kb) { EXPECT_EQ(V(kb.RGBIndex), (std::vector<int>{2, 1, 0})); }},
        {"GameRGBIndex=1,1,0", {warn("clrGmKey RGB Index Error")},
         [](const KbDesc& kb) { EXPECT_EQ(V(kb.GameRGBIndex), (std::vector<int>{1, 1, 0})); }},
        {"GameRGBIndex=-1,2,2", {warn("clrGmKey RGB Index Error")},
         [](const KbDesc& kb) { EXPECT_EQ(V(kb.GameRGBIndex), (std::vector<int>{2, 1, 0})); }},
        {"ColorIndex=7", {warn("Invalid gVar.nColorIndex")}, [](const KbDesc&) { EXPECT_EQ(gVar.nColorIndex, 0); }},
        {"GaoshouGroupNum=12", {}, [](const KbDesc& kb) { EXPECT_EQ(kb.nGaoshouGroupNum, 10); }},
        {"GaoshouGroupNum=0", {}, [](const KbDesc& kb) { EXPECT_EQ(kb.nGaoshouGroupNum, 0); }},
        {"ptLight=1,2,3", {error("Wrong POINT num")}, [](const KbDesc& kb) { EXPECT_EQ(kb.ptLight.x, 0); }},
        {"rcKB=1,2,3", {error("Wrong rect num")}, [](const KbDesc& kb) { EXPECT_EQ(kb.rcKB.right, 0); }},
        {"UnRectKey=13,0,0,9,0,9,9,0,9,0,1", {error("EnterPt[0]!=EnterPt[Last] ")},
         [](const KbDesc& kb) { EXPECT_EQ(kb.nUnRectKey + kb.nEnterPtNum, 0); }},
        // Three points make no outline.
        {"UnRectKey=13,0,0,9,0,0,0", {}, [](const KbDesc& kb) { EXPECT_EQ(kb.nUnRectKey + kb.nEnterPtNum, 0); }},
        // 24 points at most; the first closes on the 24th.
        {"UnRectKey=13,1,1,2,2,3,3,4,4,5,5,6,6,7,7,8,8,9,9,10,10,11,11,12,12,13,13,14,14,15,15,16,16,17,17,"
         "18,18,19,19,20,20,21,21,22,22,23,23,1,1,99,99",
         {}, [](const KbDesc& kb) { EXPECT_EQ(kb.nEnterPtNum, 24); }},
        {"MaxFnNum=70", {}, [](const KbDesc& kb) { EXPECT_EQ(kb.nMaxFnNum, kMaxFnNumLimit); }},
        {"MaxFnNum=-5", {}, [](const KbDesc& kb) { EXPECT_EQ(kb.nMaxFnNum, 0); }},
        {"WaitTm=-30", {}, [](const KbDesc& kb) { EXPECT_EQ(kb.nWaitTm, 0); }},
        {"LedModeSelectOffset=200", {}, [](const KbDesc& kb) { EXPECT_EQ(kb.nLedModeSelectOffset, 60); }},
        {"DefLedIndex=30", {}, [](const KbDesc& kb) { EXPECT_EQ(kb.nDefLedIndex, kKbLedModeNum - 1); }},
        {"DefGaoshouGroup=20", {}, [](const KbDesc& kb) { EXPECT_EQ(kb.nDefGaoshouGroup, kKbColourGroupNum - 1); }},
        // A default lighting on a mode the keyboard does not have: none.
        {"DefLed=1F,3,4", {}, [](const KbDesc& kb) { EXPECT_EQ(kb.DefLed[0] + kb.DefLed[1] + kb.DefLed[2], 0); }},
        {"DefLed=-1,3,4", {}, [](const KbDesc& kb) { EXPECT_EQ(kb.DefLed[1], 0); }},
        // Only whole pairs of bytes; the rest keep the default.
        {"LEDParam=01,02,03", {}, [](const KbDesc& kb) {
             EXPECT_EQ(std::vector<int>(kb.LEDParam, kb.LEDParam + 4), (std::vector<int>{1, 2, 7, 53}));
         }},
        {"LEDParam=1FF,2", {}, [](const KbDesc& kb) { EXPECT_EQ(kb.LEDParam[0], 7); }},
        {"LEDParam=zz", {}, [](const KbDesc& kb) { EXPECT_EQ(kb.LEDParam[1], 53); }},
        // The key groups end at the first group without keys.
        {"GaoshouGroupNum=3\nGaoshouKey1=41\nGaoshouKey3=42\nGaoshouKeyColor3=2", {}, [](const KbDesc& kb) {
             EXPECT_EQ(kb.GaoshouKey[0][0], 0x41);
             EXPECT_EQ(kb.GaoshouKey[2][0], 0);
             EXPECT_EQ(kb.GaoshouKeyColor[2][0], 0);
         }},
        // Only as many groups as the keyboard has.
        {"GaoshouGroupNum=1\nGaoshouKey1=41\nGaoshouKey2=42", {},
         [](const KbDesc& kb) { EXPECT_EQ(kb.GaoshouKey[1][0], 0); }},
        {"LedOpt1=zz", {}, [](const KbDesc& kb) { EXPECT_EQ(kb.LedOpt[0].nDevMode, 1); }},
        // Values naming a key slot are checked against the key table.
        {"DefSelectKey=2", {}, [](const KbDesc& kb) { EXPECT_EQ(kb.nDefSelectKey, -1); }},
        {"DefSelectKey=-2", {}, [](const KbDesc& kb) { EXPECT_EQ(kb.nDefSelectKey, -1); }},
        {"DefSelectKey=1", {}, [](const KbDesc& kb) { EXPECT_EQ(kb.nDefSelectKey, 1); }},
        {"MaxEftKeyIndex=50", {}, [](const KbDesc& kb) { EXPECT_EQ(kb.nMaxEftKeyIndex, 2); }},
        {"", {}, [](const KbDesc& kb) { EXPECT_EQ(kb.nMaxEftKeyIndex, 2); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszLines);
        m_prompt.Clear();
        Load(kTwoKeys + c.pszLines + "\n");
        EXPECT_EQ(Messages(), c.msgs);
        if (c.check) c.check(gVar.Kb);
    }
}

TEST_F(KeyboardDescTest, MessagesAreLoggedWithSectionAndKey)
{
    Load("[KB]\nEffectOffset=99\n");
    EXPECT_TRUE(Logged("[KB] EffectOffset: Invalid nEffectOffset (value \"99\")"));
}

TEST_F(KeyboardDescTest, DataInitReadsTheKeyboardOnlyWhenConfigured)
{
    const std::string kRest = "appdir=Zorvik\nMacProtocol=1\n[KB]\nVID=0x258A\n[KBKEY]\nK1=0,0,1,1,2,41,0,1\n"
                              "[FN]\nK1=4,26,0\n";
    DataInit(CIniFile::FromBytes("[OPT]\nKbFw=0\n" + kRest), m_prompt, LogConfigForTest());
    PostInit(m_prompt);
    EXPECT_EQ(gVar.Kb.nVID, 0);
    EXPECT_EQ(gVar.Kb.nKeyNum, 0);

    test::WriteBytes(g_szAppDir / "cfg.ini", "[OPT]\nKbFw=22\n" + kRest);
    DataInit(CIniFile::Load(g_szAppDir / "cfg.ini"), m_prompt, LogConfigForTest());
    PostInit(m_prompt);
    EXPECT_EQ(gVar.Kb.nVID, 0x258A);
    EXPECT_EQ(gVar.Kb.nKeyNum, 1);
    EXPECT_EQ(g_defKEY[0].nFnIndex, 0);
    EXPECT_EQ(g_defKEY[0].FnFun.FunID, 0x04000026u);
    EXPECT_EQ(Messages(), Msgs{});
}

// Every installation the tests ship loads with no message, and its key table
// fits the family: one key per matrix position, positions inside the matrix the
// family sends, LED positions inside its colour planes, Fn entries distinct.
TEST_F(KeyboardDescTest, FixtureInstallationsLoadCleanly)
{
    struct Case {
        const char* pszFile;
        int nKbFw, nKeys, nMatrixEnd, nLedEnd, nFnKeys;
    };
    const Case cases[] = {
        {"kb20.ini", 20, 87, 132, 132, 8},
        {"kb21.ini", 21, 61, 126, 126, 21},
        {"kb23.ini", 23, 108, 126, 132, 4},
        {"kb24.ini", 24, 105, 126, 126, 6},
        {"keyboard-only.ini", 22, 104, 126, 126, 18},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszFile);
        m_prompt.Clear();
        fs::copy_file(test::FixtureDir() / "cfg" / c.pszFile, g_szAppDir / "cfg.ini",
                      fs::copy_options::overwrite_existing);
        const CIniFile cfg = CIniFile::Load(g_szAppDir / "cfg.ini");
        ASSERT_TRUE(cfg.Exists());
        DataInit(cfg, m_prompt, LogConfigForTest());
        PostInit(m_prompt);
        LoadLangAndSkins(cfg, CIniFile(), m_prompt);
        EXPECT_EQ(Messages(), Msgs{});
        EXPECT_EQ(gVar.nKbFw, c.nKbFw);
        EXPECT_EQ(gVar.nMsFw + gVar.nPadFw, 0);
        ASSERT_EQ(gVar.Kb.nKeyNum, c.nKeys);
        std::set<int> matrix, led, fn;
        int nFnKeys = 0;
        for (int i = 0; i < c.nKeys; ++i) {
            const KeyInfo& k = g_defKEY[i];
            EXPECT_NE(k.FunID, 0u) << i;
            EXPECT_TRUE(matrix.insert(k.MatrixInx).second) << "matrix " << k.MatrixInx;
            EXPECT_TRUE(led.insert(k.LedInx).second) << "LED " << k.LedInx;
            EXPECT_LT(k.MatrixInx, c.nMatrixEnd);
            EXPECT_LT(k.LedInx, c.nLedEnd);
            EXPECT_LT(k.rcKey.left, k.rcKey.right);
            EXPECT_LT(k.rcKey.top, k.rcKey.bottom);
            if (k.nFnIndex >= 0) {
                ++nFnKeys;
                EXPECT_TRUE(fn.insert(k.nFnIndex).second);
                EXPECT_LT(k.nFnIndex, gVar.Kb.nMaxFnNum);
                EXPECT_NE(k.FnFun.FunID, 0u);
            }
            // A family-21 keyboard reads Esc on position 6 as the wrong mode.
            if (c.nKbFw == 21 && k.byKey1 == 27) {
                EXPECT_NE(k.MatrixInx, 6);
            }
        }
        EXPECT_EQ(nFnKeys, c.nFnKeys);
        for (int i = c.nKeys; i < kKbDefKeyNum; ++i) EXPECT_EQ(g_defKEY[i].nFnIndex, -1);
    }
}

TEST_F(KeyboardDescTest, IsoEnterOutline)
{
    fs::copy_file(test::FixtureDir() / "cfg" / "kb24.ini", g_szAppDir / "cfg.ini");
    DataInit(CIniFile::Load(g_szAppDir / "cfg.ini"), m_prompt, LogConfigForTest());
    EXPECT_EQ(gVar.Kb.nUnRectKey, 13);
    ASSERT_EQ(gVar.Kb.nEnterPtNum, 7);
    // The outline spans the Enter key's rectangle.
    const KeyInfo& enter = g_defKEY[50];
    EXPECT_EQ(enter.byKey1, 13);
    EXPECT_EQ(P(gVar.Kb.EnterPt[0]), (std::array<int, 2>{enter.rcKey.left, enter.rcKey.top}));
    EXPECT_EQ(P(gVar.Kb.EnterPt[2]), (std::array<int, 2>{enter.rcKey.right, enter.rcKey.bottom}));
    EXPECT_EQ(Messages(), Msgs{});
}

TEST_F(KeyboardDescTest, ShippedKeyboardAndPad)
{
    const CIniFile cfg = CIniFile::Load(test::SourceDir() / "data" / "cfg.ini");
    ASSERT_TRUE(cfg.Exists());
    gVar.nKbFw = cfg.GetInt("OPT", "KbFw", 0);
    ASSERT_EQ(gVar.nKbFw, 22);
    LoadKeyboardDescription(cfg, m_prompt);
    BuildFnTable(cfg, m_prompt);
    LoadPadDescription(cfg, m_prompt);
    EXPECT_EQ(Messages(), Msgs{});

    ASSERT_EQ(gVar.Kb.nKeyNum, 104);
    std::set<int> matrix, led, fn;
    int nModifiers = 0;
    for (int i = 0; i < 104; ++i) {
        const KeyInfo& k = g_defKEY[i];
        EXPECT_EQ(k.FunID, 0x020000A0u) << i;
        EXPECT_TRUE(k.byKey1 != 0 || k.byModVk != 0) << i;
        if (k.byModVk) ++nModifiers;
        EXPECT_TRUE(matrix.insert(k.MatrixInx).second);
        EXPECT_TRUE(led.insert(k.LedInx).second);
        EXPECT_LT(k.MatrixInx, 126);
        EXPECT_LT(k.LedInx, 126);  // the colour planes hold 126 keys
        if (k.nFnIndex >= 0) {
            EXPECT_TRUE(fn.insert(k.nFnIndex).second);
        }
    }
    EXPECT_EQ(nModifiers, 7);  // both Shift, Ctrl and Alt keys, left Win
    EXPECT_EQ(fn.size(), 18u);
    // F1: my computer on entry 0; the arrows: lighting.
    EXPECT_EQ(g_defKEY[1].byKey1, 0x70);
    EXPECT_EQ(g_defKEY[1].FnFun.FunID, 0x04000032u);
    EXPECT_EQ(g_defKEY[1].nFnIndex, 0);
    EXPECT_EQ(g_defKEY[86].byKey1, 0x26);
    EXPECT_EQ(g_defKEY[86].FnFun.FunID, 0x080000B5u);
    // The Fn key is the one that cannot be reassigned.
    EXPECT_EQ(g_defKEY[gVar.Kb.nKeyNotToSet].byKey1, 250);
    EXPECT_EQ(gVar.Pad.nVID, 0x258A);
    EXPECT_EQ(gVar.Pad.LedParam[0], 1);
}
