// The RGB keyboard's pure encoders: key codes, device macros and the
// on-board objects built from a profile, with golden bytes.
#include <gtest/gtest.h>

#include <memory>

#include "device/kb/KbDescSnap.h"
#include "device/varorgb/VaroRgbCfg.h"
#include "device/varorgb/VaroRgbCodes.h"
#include "emu/EmuHex.h"
#include "keys/FunId.h"
#include "keys/KeyCodes.h"

using namespace varorgb;

namespace {

KeyInfo Key(uint32_t dwFunID, uint8_t byMod = 0, uint8_t byKey1 = 0, uint32_t dwParam = 0)
{
    KeyInfo k{};
    k.FunID = dwFunID;
    k.byModifier = byMod;
    k.byKey1 = byKey1;
    k.dwParam = dwParam;
    return k;
}

MacroRecord Macro(uint32_t nRepeatMode, uint16_t wLoop)
{
    MacroRecord m{};
    m.MacroID = 0x123456;
    m.nRepeatMode = nRepeatMode;
    m.wLoopCount = wLoop;
    return m;
}

void AddAction(MacroRecord& m, int i, uint8_t byCode, bool bPress, uint32_t dwDelay)
{
    m.Action[i].byCode = byCode;
    m.Action[i].wState = bPress ? 1 : 0;
    m.Action[i].SetDelay(dwDelay);
}

}  // namespace

TEST(VaroRgbCodes, KeyCodesByClass)
{
    const MacroRecord m0 = Macro(0, 1), m1 = Macro(1, 1), m2 = Macro(2, 1), m3 = Macro(7, 1);
    struct Row {
        const char* what;
        KeyInfo key;
        const MacroRecord* pMacro;
        std::optional<uint32_t> want;
    };
    const Row rows[] = {
        {"left button", Key(MakeFunID(FUN_MOUSE, kMsLeft)), nullptr, 0xF0000007},
        {"middle button", Key(MakeFunID(FUN_MOUSE, kMsMiddle)), nullptr, 0xF2000007},
        {"right button", Key(MakeFunID(FUN_MOUSE, kMsRight)), nullptr, 0xF1000007},
        {"back button", Key(MakeFunID(FUN_MOUSE, kMsBack)), nullptr, 0xF4000007},
        {"wheel up", Key(MakeFunID(FUN_MOUSE, kMsWheelUp)), nullptr, std::nullopt},
        {"Fn", Key(kFunKeyPlain, 0, kVkFn), nullptr, 0x00000020},
        {"Fn2", Key(kFunKeyPlain, 0, kVkFn2), nullptr, 0x20010000},
        {"custom key", Key(kFunKeyPlain, 0, kVkCustom), nullptr, 0x00001234},
        {"lone left Shift", Key(kFunKeyPlain, kModLShift), nullptr, 0xE1000006},
        {"lone right Alt", Key(kFunKeyPlain, kModRAlt), nullptr, 0xE6000006},
        {"lone right Win is the left Win", Key(kFunKeyPlain, kModRWin), nullptr, 0xE3000006},
        {"Ctrl+Alt+Delete", Key(kFunKeyCombo, kModLCtrl | kModLAlt, 46), nullptr, 0x4C050000},
        {"letter A", Key(kFunKeyPlain, 0, 'A'), nullptr, 0x04000000},
        {"key without usage", Key(kFunKeyPlain, 0, 7), nullptr, std::nullopt},
        {"volume up kept as a key", Key(kFunKeyPlain, 0, kVkVolumeUp), nullptr, 0xE9000004},
        {"play/pause", Key(MakeFunID(FUN_MEDIA, kCcPlayPause)), nullptr, 0xCD000004},
        {"calculator", Key(MakeFunID(FUN_APP, kCcCalculator)), nullptr, 0x92010004},
        {"consumer without usage", Key(MakeFunID(FUN_MEDIA, 45)), nullptr, std::nullopt},
        {"macro repeat 0", Key(kFunMacro), &m0, 0x00010010},
        {"macro repeat 1", Key(kFunMacro), &m1, 0x00020010},
        {"macro repeat 2", Key(kFunMacro), &m2, 0x00040010},
        {"macro other repeat", Key(kFunMacro), &m3, 0x00000010},
        {"macro gone", Key(kFunMacro), nullptr, std::nullopt},
        {"key off", Key(kFunKeyOff), nullptr, 0},
        {"special 176", Key(MakeFunID(FUN_SPECIAL, 0xB0)), nullptr, 0x0003000B},
        {"special 177", Key(MakeFunID(FUN_SPECIAL, 0xB1)), nullptr, 0x00030012},
        {"special 180", Key(MakeFunID(FUN_SPECIAL, 0xB4)), nullptr, 0x0003000D},
        {"special 183", Key(MakeFunID(FUN_SPECIAL, 0xB7)), nullptr, 0x0003000C},
        {"other special", Key(MakeFunID(FUN_SPECIAL, kSpLightOnOff)), nullptr, std::nullopt},
        {"hardware code", Key(MakeFunID(FUN_HW, 1), 0, 0, 0xDEADBEEF), nullptr, 0xDEADBEEF},
        {"extra key", Key(MakeFunID(FUN_EXKEY, 1)), nullptr, std::nullopt},
    };
    for (const Row& r : rows) EXPECT_EQ(VaroRgbKeyCode(r.key, r.pMacro, 0x1234), r.want) << r.what;
    EXPECT_EQ(WithMacroBuffer(0x00010010, 3), 0x02010010u);
}

TEST(VaroRgbCodes, MacroBufferGoldenBytes)
{
    MacroRecord m = Macro(0, 2);
    AddAction(m, 0, 'A', true, 50);
    AddAction(m, 1, 'A', false, 250);            // 6 bytes: 50 + 2 hundreds
    AddAction(m, 2, kVkLShift, true, 0);         // modifiers as usages, at least 3 ms
    AddAction(m, 3, kVkMsLeft, false, 127);
    AddAction(m, 4, 7, true, 10);                // no usage: skipped
    AddAction(m, 5, kVkRWin, false, 10000000);   // 100000 hundreds: held at 0xffff
    std::array<uint8_t, 128> out{};
    const size_t n = VaroRgbMacro(m, out);
    EXPECT_EQ(EmuHex(std::span(out).first(n)), "00 02 32 04 b2 04 00 03 00 02 03 e1 ff f0 83 e7 00 03 ff ff");

    MacroRecord once = Macro(0, 0);  // a repeat count of 0 is sent as 1
    EXPECT_EQ(VaroRgbMacro(once, out), 2u);
    EXPECT_EQ(EmuHex(std::span(out).first(4)), "00 01 00 00");

    // Actions are added while they fit: 21 long ones take 126 bytes, the 22nd does not fit.
    MacroRecord longer = Macro(0, 1);
    for (int i = 0; i < 30; ++i) AddAction(longer, i, 'B', i % 2 == 0, 300);
    EXPECT_EQ(VaroRgbMacro(longer, out), 2u + 21 * 6);
}

namespace {

std::unique_ptr<kb::KbDescSnap> Desc(int nFw)
{
    auto d = std::make_unique<kb::KbDescSnap>();
    d->nKbFw = nFw;
    d->nModeCount = 3;
    d->kb.nLedModeSelectOffset = 4;
    d->kb.nStartGp = 32;
    d->kb.nGaoshouIndex = 2;
    d->kb.nGaoshouGroupNum = 10;
    d->kb.nEffectOffset = 2;
    const uint8_t bgr[3] = {2, 1, 0};
    std::copy(bgr, bgr + 3, d->kb.RGBIndex);
    std::copy(bgr, bgr + 3, d->kb.GameRGBIndex);
    d->kb.LedOpt[0].nDevMode = 4;
    d->kb.LedOpt[1].nDevMode = 7;
    d->kb.LedOpt[2].nDevMode = 9;
    d->defKey[0].FunID = kFunKeyPlain;
    d->defKey[0].LedInx = 10;
    d->nKeySlots = 1;
    return d;
}

}  // namespace

TEST(VaroRgbCfg, ConfigurationChosenAndBounded)
{
    auto d = Desc(kFwRgb);
    auto pro = std::make_unique<ProfileRecord>();
    pro->Kb.nLedMode = 1;
    pro->Kb.nCurGameGroup = 3;
    pro->Kb.Led[1] = {2, 3, 1, 0, {}, 0, 4, 0};
    CfgBlock cfg{};
    cfg.fill(0x5A);
    d->kb.nOurCfg = 1;
    ASSERT_TRUE(FillConfig(cfg, kb::CKbBlock(pro->Kb), *d, false));
    EXPECT_EQ(cfg[0], 1);
    EXPECT_EQ(EmuHex(std::span(cfg).subspan(8 + 123 + 4, 3)), "00 07 23");  // second configuration: mode 7, group 3 + 32
    EXPECT_EQ(cfg[8 + 123 + 22 + 3], 0x23);                                 // mode 1: speed 2, brightness 3
    EXPECT_EQ(cfg[8 + 4], 0x5A);                                            // the first configuration untouched

    // The reset writes the keyboard's default configuration; one that does not exist changes nothing.
    d->kb.nDefCfg = 3;
    const CfgBlock before = cfg;
    EXPECT_FALSE(FillConfig(cfg, kb::CKbBlock(pro->Kb), *d, true));
    EXPECT_EQ(cfg, before);

    // The single-colour keyboard: one byte a mode from 19.
    auto d23 = Desc(kFwSingleColour);
    CfgBlock c23{};
    ASSERT_TRUE(FillConfig(c23, kb::CKbBlock(pro->Kb), *d23, false));
    EXPECT_EQ(c23[8 + 19 + 1], 0x23);
    EXPECT_EQ(c23[8 + 22], 0);  // no two-byte entries
    EXPECT_EQ(c23[8 + 2], 0);   // no second LED option
}

TEST(VaroRgbCfg, ColourTableInRgbIndexOrderWithinTheBlock)
{
    auto d = Desc(kFwRgb);
    auto pro = std::make_unique<ProfileRecord>();
    pro->Kb.Led[0].clr[0] = 0x0000FF;  // red
    pro->Kb.Led[1].clr[6] = 0x332211;
    pro->Kb.Led[2].clr[0] = 0x0000FF;  // a third mode, beyond EffectOffset
    std::array<uint8_t, 1024> tab{};
    FillRgbTable(tab, kb::CKbBlock(pro->Kb), *d);
    EXPECT_EQ(EmuHex(std::span(tab).subspan(21, 3)), "00 00 ff");        // blue first
    EXPECT_EQ(EmuHex(std::span(tab).subspan(21 + 21 + 18, 3)), "33 22 11");
    EXPECT_EQ(tab[21 + 2 * 21], 0);                                       // EffectOffset 2: two modes
    d->kb.nEffectOffset = 18;
    EXPECT_EQ(RgbTableModes(*d), 3);                                      // no more than the description's modes

    d->nModeCount = 24;
    d->kb.nOurCfg = 1;
    d->kb.nEffectOffset = 60;  // would run far past the block from byte 525
    EXPECT_EQ(RgbTableModes(*d), 23);
    tab.fill(0);
    FillRgbTable(tab, kb::CKbBlock(pro->Kb), *d);
    EXPECT_EQ(tab[525 + 2], 0xFF);
}

TEST(VaroRgbCfg, LightingAreaHoldsTheGroupsThatFit)
{
    auto d = Desc(kFwRgb);
    auto pro = std::make_unique<ProfileRecord>();
    for (int g = 0; g < 10; ++g) pro->Kb.clrGameKey[g][0] = 0x0000FF;  // red on LED 10 in every group
    EXPECT_EQ(LedAreaGroups(*d), 5);
    const std::vector<uint8_t> area = BuildLedArea(kb::CKbBlock(pro->Kb), *d);
    ASSERT_EQ(area.size(), 2048u);
    for (int g = 0; g < 5; ++g) EXPECT_EQ(area[size_t(g * 378 + 252 + 10)], 0xFF) << g;  // red plane last
    EXPECT_EQ(std::count(area.begin(), area.end(), 0xFF), 5);

    auto d23 = Desc(kFwSingleColour);
    EXPECT_EQ(LedAreaGroups(*d23), 10);
    const std::vector<uint8_t> on = BuildLedArea(kb::CKbBlock(pro->Kb), *d23);
    for (int g = 0; g < 10; ++g) EXPECT_EQ(on[size_t(g * 132 + 10)], 1) << g;
}
