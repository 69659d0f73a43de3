// The Selk keyboard's bytes as pure functions: key codes high byte first,
// device macros, the configuration's lighting part, the mode colour table,
// the lighting blocks and their addresses, and the key block with its Fn
// layer, twin positions and direct keys. Small hand-made descriptions.
#include <gtest/gtest.h>

#include <memory>

#include "device/kb/KbKeyMatrix.h"
#include "device/kb/KbMacro128.h"
#include "device/selk/SelkBlocks.h"
#include "device/selk/SelkCodes.h"
#include "emu/EmuHex.h"
#include "keys/FunId.h"
#include "keys/KeyCodes.h"

using namespace selk;

namespace {

// The four bytes a code goes out as.
std::string Wire(uint32_t dwBlockCode)
{
    const uint8_t b[4] = {uint8_t(dwBlockCode), uint8_t(dwBlockCode >> 8), uint8_t(dwBlockCode >> 16),
                          uint8_t(dwBlockCode >> 24)};
    return EmuHex(b);
}

KeyInfo Key(uint32_t dwFunID, uint8_t byKey1 = 0, uint8_t byMod = 0, uint32_t dwParam = 0)
{
    KeyInfo k{};
    k.FunID = dwFunID;
    k.byKey1 = byKey1;
    k.byModifier = byMod;
    k.dwParam = dwParam;
    k.nFnIndex = -1;
    return k;
}

KeyInfo KeyAt(uint8_t vk, int nMatrix, int nLed)
{
    KeyInfo k = Key(kFunKeyPlain, vk);
    k.MatrixInx = nMatrix;
    k.LedInx = nLed;
    return k;
}

MacroRecord Macro(uint32_t id, uint32_t nRepeatMode)
{
    MacroRecord r{};
    r.dwMagic = MACRO_MAGIC;
    r.MacroID = id;
    r.nRepeatMode = nRepeatMode;
    r.wLoopCount = 2;
    r.Action[0] = {kVkRShift, 0, 1, {50, 0}};
    r.Action[1] = {'A', 0, 1, {2, 0}};
    r.Action[2] = {'A', 0, 0, {250, 0}};
    r.Action[3] = {kVkRShift, 0, 0, {1, 0}};
    return r;
}

// Keys: A (matrix 3, LED 5), B (7, 57), C (80, 0), D (12, 140: no light), E (20, 6).
std::unique_ptr<kb::KbDescSnap> Desc()
{
    auto d = std::make_unique<kb::KbDescSnap>();
    d->nKbFw = kFwSelk;
    d->defKey[0] = KeyAt('A', 3, 5);
    d->defKey[1] = KeyAt('B', 7, 57);
    d->defKey[2] = KeyAt('C', 80, 0);
    d->defKey[3] = KeyAt('D', 12, 140);
    d->defKey[4] = KeyAt('E', 20, 6);
    d->nKeySlots = 5;
    d->nModeCount = 3;
    d->kb.nMaxFnNum = 48;
    d->kb.nLedModeSelectOffset = 4;
    d->kb.nEffectBase = 1;
    d->kb.nEffectOffset = 18;
    d->kb.nStartGp = 32;
    d->kb.nOurCfg = 1;
    d->kb.nDefCfg = 0;
    d->kb.nGaoshouIndex = 2;
    d->kb.nGaoshouAddr = 0xAC;
    d->kb.nGaoshouGroupNum = 5;
    d->kb.RGBIndex[0] = 0, d->kb.RGBIndex[1] = 1, d->kb.RGBIndex[2] = 2;
    return d;
}

std::unique_ptr<ProfileRecord> ProfileFor(const kb::KbDescSnap& d)
{
    auto pro = std::make_unique<ProfileRecord>();
    for (int i = 0; i < d.nKeySlots; ++i) pro->Kb.Key[i] = d.defKey[size_t(i)];
    return pro;
}

}  // namespace

TEST(SelkCodes, FunctionsGoOutHighByteFirst)
{
    struct Row {
        const char* what;
        KeyInfo key;
        int nPos;
        const char* wire;   // null: no code
    };
    const Row rows[] = {
        {"left button", Key(kFunLeftClick), 0, "07 00 00 f0"},
        {"right button", Key(MakeFunID(FUN_MOUSE, kMsRight)), 0, "07 00 00 f1"},
        {"middle button", Key(MakeFunID(FUN_MOUSE, kMsMiddle)), 0, "07 00 00 f2"},
        {"mouse 23", Key(MakeFunID(FUN_MOUSE, kMsThree)), 0, "00 00 01 30"},
        {"double click", Key(MakeFunID(FUN_MOUSE, kMsDoubleClick)), 0, nullptr},
        {"Fn", Key(kFunKeyPlain, kVkFn), 0, "20 00 00 00"},
        {"lone left Ctrl", Key(kFunKeyPlain, 0, kModLCtrl), 0, "06 00 00 e0"},
        {"lone right Win", Key(kFunKeyPlain, 0, kModRWin), 0, "06 00 00 e3"},
        {"lone right Shift", Key(kFunKeyPlain, 0, kModRShift), 0, "06 00 00 e5"},
        {"Ctrl+Shift, no key", Key(kFunKeyPlain, 0, kModLCtrl | kModLShift), 0, "00 00 00 00"},
        {"Shift+A", Key(kFunKeyCombo, 'A', kModLShift), 0, "00 00 02 04"},
        {"Enter", Key(kFunKeyPlain, kVkReturn), 76, "00 00 00 28"},
        {"Enter at 130", Key(kFunKeyPlain, kVkReturn), 130, "00 00 00 58"},
        {"key without usage", Key(kFunKeyPlain, 0x07), 0, nullptr},
        {"play/pause", Key(MakeFunID(FUN_MEDIA, kCcPlayPause)), 0, "04 00 00 cd"},
        {"mail (class 3)", Key(MakeFunID(FUN_APP, kCcMail)), 0, "04 00 01 8a"},
        {"screen brighter", Key(MakeFunID(FUN_MEDIA, kCcBrightnessUp)), 0, nullptr},
        {"key off", Key(kFunKeyOff), 0, "00 00 00 00"},
        {"fire, left Ctrl, 3 x 5", Key(kFunFire, 0, 0, 3u | 5u << 8 | uint32_t(kVkLControl) << 16), 0, "03 05 e0 20"},
        {"fire, right Win", Key(kFunFire, 0, 0, 1u | 1u << 8 | uint32_t(kVkRWin) << 16), 0, "01 01 e7 20"},
        {"fire, B", Key(kFunFire, 0, 0, 1u | 2u << 8 | uint32_t('B') << 16), 0, "01 02 05 20"},
        {"snipe", Key(kFunSnipe), 0, "00 00 81 40"},
        {"mode switch", Key(kFunModeSwitch), 0, "00 00 06 50"},
        {"special 176", Key(MakeFunID(FUN_SPECIAL, kSpMsg16)), 0, "0b 00 03 00"},
        {"special 183", Key(MakeFunID(FUN_SPECIAL, kSpB7)), 0, "0c 00 03 00"},
        {"special 163", Key(MakeFunID(FUN_SPECIAL, kSpShift)), 0, nullptr},
        {"hardware code", Key(MakeFunID(FUN_HW, 0), 0, 0, 0x12345678), 0, "12 34 56 78"},
        {"extra key", Key(MakeFunID(FUN_EXKEY, 1)), 0, nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const std::optional<uint32_t> v = SelkKeyCode(r.key, nullptr, r.nPos);
        ASSERT_EQ(v.has_value(), r.wire != nullptr);
        if (v) EXPECT_EQ(Wire(ToBlockCode(*v)), r.wire);
    }
}

TEST(SelkCodes, MacroKeysByRepeatModeWithTheirBufferNumber)
{
    KeyInfo k = Key(kFunMacro);
    k.MacroID = 0x42;
    const char* const want[] = {"10 00 01 00", "10 00 05 00", "10 00 04 00", "10 00 00 00"};
    for (uint32_t mode = 0; mode < 4; ++mode) {
        const MacroRecord m = Macro(0x42, mode);
        const std::optional<uint32_t> v = SelkKeyCode(k, &m, 0);
        ASSERT_TRUE(v.has_value());
        EXPECT_EQ(Wire(ToBlockCode(*v)), want[mode]) << mode;
    }
    // Repeat mode 1 in buffer 3.
    const MacroRecord m = Macro(0x42, 1);
    EXPECT_EQ(Wire(kb::WithMacroBuffer(ToBlockCode(*SelkKeyCode(k, &m, 0)), 3)), "10 00 05 02");
    // The macro is gone: no code.
    EXPECT_FALSE(SelkKeyCode(k, nullptr, 0).has_value());
}

TEST(SelkMacro, BufferBytesWithLeftModifiersAndTheFitRule)
{
    kb::Macro128 buf{};
    const size_t n = kb::EncodeMacro128(Macro(1, 0), buf, kMacroStyle);
    EXPECT_EQ(EmuHex(std::span(buf).first(n)), "00 02 32 e1 03 04 b2 04 00 03 00 02 83 e1");
    // The RGB form keeps the right-hand Shift.
    kb::EncodeMacro128(Macro(1, 0), buf, kb::KbMacro128Style{});
    EXPECT_EQ(buf[3], 0xE5);

    // Short actions end at byte 126 here, at 128 in the RGB form; a long one
    // needs six bytes before the end.
    struct Case {
        int nShort;
        bool bLongAfter;
        kb::KbMacro128Style style;
        size_t nUsed;
    };
    for (const Case& c : {Case{70, false, kMacroStyle, 126}, Case{70, false, {}, 128},
                          Case{59, true, kMacroStyle, 126}, Case{60, true, kMacroStyle, 122},
                          Case{61, true, {}, 124}, Case{60, true, {}, 128}}) {
        MacroRecord r{};
        r.dwMagic = MACRO_MAGIC;
        r.wLoopCount = 0;  // written as 1
        for (int i = 0; i < c.nShort; ++i) r.Action[i] = {'A', 0, uint16_t(i % 2 == 0), {10, 0}};
        if (c.bLongAfter) r.Action[c.nShort] = {'B', 0, 1, {1000, 0}};
        SCOPED_TRACE(std::to_string(c.nShort) + (c.bLongAfter ? " + long" : "") + " end " + std::to_string(c.style.nEnd));
        EXPECT_EQ(kb::EncodeMacro128(r, buf, c.style), c.nUsed);
        EXPECT_EQ(buf[1], 1);
        for (size_t i = c.nUsed; i < buf.size(); ++i) ASSERT_EQ(buf[i], 0) << i;
    }
}

TEST(SelkCfg, LightingPartFromTheProfileAndTheRestAsRead)
{
    auto d = Desc();
    d->kb.Direct[0][0] = 2, d->kb.Direct[0][1] = 3, d->kb.Direct[0][2] = 4;  // mode byte 2: codes 3 and 4
    auto pro = ProfileFor(*d);
    pro->Kb.nLedMode = 1;                       // mode byte 1 + EffectBase = 2
    pro->Kb.nCurGameGroup = 3;
    pro->Kb.Led[0] = {1, 16, 1, 1, {}, 0, 0, 0};   // colourful, speed 1, brightness 16, first direction
    pro->Kb.Led[1] = {3, 5, 2, 0, {}, 0, 2, 0};    // colour 2, second direction
    pro->Kb.Led[2] = {0, 0, 1, 0, {}, 0, 0, 0};    // speed and brightness 0 stay 0
    SelkCfg cfg{};
    for (size_t i = 0; i < cfg.size(); ++i) cfg[i] = uint8_t(0xC0 | (i & 0x3F));
    const SelkCfg before = cfg;
    ClearModeBytes(cfg);
    EXPECT_EQ(EmuHex(std::span(cfg).subspan(12, 4)), "cc 00 00 cf");
    FillConfig(cfg, kb::CKbBlock(pro->Kb), *d, false);
    EXPECT_EQ(cfg[0], 1);                                           // our configuration
    EXPECT_EQ(EmuHex(std::span(cfg).subspan(8 + 4, 3)), "00 02 23");  // not per-key, mode byte 2, group 3 + 32
    EXPECT_EQ(EmuHex(std::span(cfg).subspan(8 + 18, 6)), "37 0f 42 24 30 00");
    EXPECT_EQ(EmuHex(std::span(cfg).subspan(8 + 62, 2)), "5a a5");
    for (size_t i : {size_t(1), size_t(7), size_t(8 + 0), size_t(8 + 3), size_t(8 + 24), size_t(8 + 61), size_t(72),
                     size_t(135)})
        EXPECT_EQ(cfg[i], before[i]) << i;

    // On a reset the keyboard's default configuration; in the per-key mode its switch.
    pro->Kb.nLedMode = 2;
    FillConfig(cfg, kb::CKbBlock(pro->Kb), *d, true);
    EXPECT_EQ(cfg[0], 0);
    EXPECT_EQ(EmuHex(std::span(cfg).subspan(8 + 4, 2)), "01 03");

    // Mode bytes that would reach the marks stop before them.
    pro->Kb.nLedMode = 1;
    d->kb.nEffectOffset = 58;
    cfg = before;
    FillConfig(cfg, kb::CKbBlock(pro->Kb), *d, false);
    EXPECT_EQ(EmuHex(std::span(cfg).subspan(8 + 58, 6)), "37 0f 42 24 5a a5");
}

TEST(SelkRgbTable, TwentyOneZerosThenSevenColoursAMode)
{
    auto d = Desc();
    d->kb.RGBIndex[0] = 2, d->kb.RGBIndex[1] = 1, d->kb.RGBIndex[2] = 0;  // blue, green, red
    auto pro = ProfileFor(*d);
    pro->Kb.Led[0].clr[0] = 0x00332211;   // red 11, green 22, blue 33
    pro->Kb.Led[2].clr[6] = 0x00FFFFFF;
    const SelkBlock tab = BuildRgbTable(kb::CKbBlock(pro->Kb), *d);
    for (size_t i = 0; i < kRgbTableAt; ++i) EXPECT_EQ(tab[i], 0) << i;
    EXPECT_EQ(EmuHex(std::span(tab).subspan(21, 3)), "33 22 11");
    EXPECT_EQ(EmuHex(std::span(tab).subspan(21 + 2 * 21 + 18, 3)), "ff ff ff");
    for (size_t i = 21 + 3 * 21; i < tab.size(); ++i) ASSERT_EQ(tab[i], 0) << i;
}

TEST(SelkLed, BlockAddressesStayClearOfOtherObjects)
{
    auto d = Desc();
    struct Case {
        int nAddr;
        int nGroups;
        int b;
        int want;   // -1: none
    };
    for (const Case& c : {Case{0xAC, 5, 0, 0xAC}, Case{0xAC, 5, 2, 0xB4}, Case{0xAC, 5, 3, -1},
                          Case{0xAC, 10, 4, 0xBC}, Case{0xAC, 10, -1, -1}, Case{0xC0, 10, 2, -1},
                          Case{0xA6, 2, 0, -1}, Case{0xFE, 2, 0, -1}, Case{0x00, 2, 0, -1}, Case{0xE0, 4, 1, 0xE4}}) {
        d->kb.nGaoshouAddr = c.nAddr;
        d->kb.nGaoshouGroupNum = uint8_t(c.nGroups);
        const std::optional<uint8_t> a = LedBlockAddr(*d, c.b);
        EXPECT_EQ(a ? int(*a) : -1, c.want) << std::hex << c.nAddr << " groups " << c.nGroups << " block " << c.b;
    }
}

TEST(SelkLed, GroupsAsBlueGreenRedPlanesWithTiedPositions)
{
    auto d = Desc();
    auto pro = ProfileFor(*d);
    pro->Kb.clrGameKey[3][0] = 0x00332211;   // key A (LED 5) in group 3: red 11, green 22, blue 33
    pro->Kb.clrGameKey[2][1] = 0x000000FF;   // key B (LED 57) in group 2: red
    pro->Kb.clrGameKey[3][3] = 0x00FFFFFF;   // key D has no light: left out
    pro->Kb.clrGameKey[1][4] = 0x0000FF00;   // group 1 is in block 0
    const SelkBlock blk = BuildLedBlock(kb::CKbBlock(pro->Kb), *d, 1);
    const size_t g3 = kGroupLen;
    EXPECT_EQ(blk[g3 + 5], 0x33);
    EXPECT_EQ(blk[g3 + 132 + 5], 0x22);
    EXPECT_EQ(blk[g3 + 264 + 5], 0x11);
    for (const int nLed : {35, 57, 100}) {
        EXPECT_EQ(blk[size_t(264 + nLed)], 0xFF) << nLed;   // group 2's red plane
        EXPECT_EQ(blk[size_t(nLed)], 0x00) << nLed;
    }
    EXPECT_EQ(std::count_if(blk.begin(), blk.end(), [](uint8_t v) { return v != 0; }), 6);
    for (size_t i = 2 * kGroupLen; i < blk.size(); ++i) ASSERT_EQ(blk[i], 0) << i;
    // Block 2 holds group 4 and a group the description does not have (5): black.
    pro->Kb.clrGameKey[5][0] = 0x00FFFFFF;
    const SelkBlock blk2 = BuildLedBlock(kb::CKbBlock(pro->Kb), *d, 2);
    EXPECT_TRUE(std::all_of(blk2.begin(), blk2.end(), [](uint8_t v) { return v == 0; }));
}

TEST(SelkMatrix, PositionsFnLayerTwinsAndDirectKeys)
{
    auto d = Desc();
    d->defKey[5] = KeyAt('F', 3, 8);     // a second key on A's position
    d->defKey[6] = KeyAt('G', 140, 9);   // a position past the matrix
    d->defKey[7] = KeyAt('H', 30, 10);
    d->defKey[8] = KeyAt('I', 31, 11);
    d->nKeySlots = 9;
    auto pro = ProfileFor(*d);
    pro->Kb.Key[1].nFnIndex = 5;                                   // B: Fn entry 5, its Fn function play/pause
    pro->Kb.Key[1].FnFun.FunID = MakeFunID(FUN_MEDIA, kCcPlayPause);
    pro->Kb.Key[7].nFnIndex = 50;                                  // H: past the 48 entries
    pro->Kb.Key[7].FnFun.FunID = kFunLeftClick;
    pro->Kb.Key[8].FunID = kFunMacro;                              // I: a macro that no longer exists
    pro->Kb.Key[8].MacroID = 0x99;
    pro->Kb.DirectKey[0] = Key(kFunLeftClick);                     // a direct key on E's position
    pro->Kb.DirectKey[0].MatrixInx = 20;
    pro->Kb.DirectKey[1] = Key(kFunLeftClick);                     // a direct key past the matrix
    pro->Kb.DirectKey[1].MatrixInx = 132;
    CMacroList macros;
    const kb::KbMatrixPlan plan = BuildMatrix(kb::CKbBlock(pro->Kb), *d, macros);
    const auto at = [&plan](int i) { return Wire(plan.codes[size_t(i)]); };
    EXPECT_EQ(at(3), "00 00 00 04");                 // A kept its position, F was logged
    EXPECT_EQ(at(7), "02 00 00 05");                 // B's position: Fn entry 5
    EXPECT_EQ(at(132 + 5), "00 00 00 05");           // B itself
    EXPECT_EQ(at(180 + 5), "04 00 00 cd");           // B with Fn
    EXPECT_EQ(at(80), "00 00 00 06");                // C at 80 ...
    EXPECT_EQ(at(75), "00 00 00 06");                // ... and its twin 75
    EXPECT_EQ(at(30), "00 00 00 0b");                // H alone: entry 50 does not exist
    EXPECT_EQ(at(132 + 50), "00 00 00 00");
    EXPECT_EQ(at(31), "00 00 00 00");                // I has no code
    EXPECT_EQ(at(20), "07 00 00 f0");                // the direct key replaced E
    EXPECT_EQ(plan.invalidSlots, (std::vector<int>{6, 8}));
    for (int i = 228; i < kb::kKbBlockCodes; ++i) ASSERT_EQ(plan.codes[size_t(i)], 0u) << i;

    // The twin the other way round: a key at 75 only.
    d->defKey[2].MatrixInx = 75;
    pro->Kb.Key[2].MatrixInx = 75;
    const kb::KbMatrixPlan plan2 = BuildMatrix(kb::CKbBlock(pro->Kb), *d, macros);
    EXPECT_EQ(Wire(plan2.codes[80]), "00 00 00 06");
}

TEST(SelkMatrix, AMacroKeyOnATwinPositionPlaysItsBufferOnBoth)
{
    auto d = Desc();
    auto pro = ProfileFor(*d);
    CMacroList macros;
    ASSERT_NE(macros.Add(Macro(0x101, 0)), nullptr);
    ASSERT_NE(macros.Add(Macro(0x102, 1)), nullptr);
    pro->Kb.Key[0].FunID = kFunMacro;   // A: macro 0x101
    pro->Kb.Key[0].MacroID = 0x101;
    pro->Kb.Key[2].FunID = kFunMacro;   // C (at 80): macro 0x102
    pro->Kb.Key[2].MacroID = 0x102;
    kb::KbMatrixPlan plan = BuildMatrix(kb::CKbBlock(pro->Kb), *d, macros);
    const std::vector<kb::Macro128> buffers = kb::PlaceMacros(plan, macros, kMacroBufferNum, kMacroStyle);
    ASSERT_EQ(buffers.size(), 2u);
    EXPECT_EQ(Wire(plan.codes[3]), "10 00 01 00");
    EXPECT_EQ(Wire(plan.codes[80]), "10 00 05 01");
    EXPECT_EQ(Wire(plan.codes[75]), "10 00 05 01");
    kb::Macro128 want{};
    kb::EncodeMacro128(Macro(0x102, 1), want, kMacroStyle);
    EXPECT_EQ(buffers[1], want);
    const std::vector<kb::MacroBlock> blocks = kb::MacroBlocks(buffers);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_TRUE(std::equal(want.begin(), want.end(), blocks[0].begin() + 128));
}

TEST(SelkMatrix, SyncPutsEveryNewCodeIntoTheKeyboardsBlock)
{
    kb::KbCodeBlock cur{}, fresh{};
    for (size_t i = 0; i < cur.size(); ++i) cur[i] = 0xEE000000u | uint32_t(i);
    fresh[3] = 0x01;
    fresh[200] = 0x02;
    const kb::KbCodeBlock out = MergeIntoCurrent(cur, fresh);
    EXPECT_EQ(out[3], 0x01u);
    EXPECT_EQ(out[200], 0x02u);
    EXPECT_EQ(out[4], cur[4]);
    EXPECT_EQ(out[255], cur[255]);
}
