// The keyboard families' shared pieces: usage tables, colour planes, the
// lighting block, the key block with its Fn tables, macro numbering, the
// block reports and the defaults, with small hand-made descriptions.
#include <gtest/gtest.h>

#include <memory>

#include "device/kb/KbBlockTransport.h"
#include "device/kb/KbColourPlanes.h"
#include "device/kb/KbDefaults.h"
#include "device/kb/KbKeyMatrix.h"
#include "device/kb/KbLightingP.h"
#include "device/kb/KbMacroNumbers.h"
#include "device/kb/KbUsage.h"
#include "emu/EmuHex.h"
#include "keys/FunId.h"
#include "keys/KeyCodes.h"

using namespace kb;

namespace {

KeyInfo KeyOf(uint8_t vk, int nMatrix, int nLed, uint8_t byMod = 0)
{
    KeyInfo k{};
    k.FunID = kFunKeyPlain;
    k.byKey1 = vk;
    k.byModifier = byMod;
    k.MatrixInx = nMatrix;
    k.LedInx = nLed;
    k.nFnIndex = -1;
    return k;
}

// Four keys: A at matrix 3 / LED 5, B at 7 / 0, left Shift (lone modifier) at 9 / 125, C at 12 / LED 130.
std::unique_ptr<KbDescSnap> SmallDesc()
{
    auto d = std::make_unique<KbDescSnap>();
    d->nKbFw = 22;
    d->defKey[0] = KeyOf('A', 3, 5);
    d->defKey[1] = KeyOf('B', 7, 0);
    d->defKey[2] = KeyOf(0, 9, 125, kModLShift);
    d->defKey[3] = KeyOf('C', 12, 130);
    d->nKeySlots = 4;
    d->nModeCount = 3;
    d->kb.nMaxFnNum = 4;
    d->kb.nLedModeSelectOffset = 4;
    d->kb.nStartGp = 32;
    d->kb.nRandomVal = 7;
    d->kb.nGaoshouIndex = 2;
    d->kb.nGaoshouGroupNum = 2;
    d->kb.LedOpt[0] = {5, 0, 1, 1, 1, 0, 0, {}};
    d->kb.LedOpt[1] = {6, 0, 1, 1, 0, 1, 0, {}};
    d->kb.LedOpt[2] = {9, 0, 0, 0, 0, 0, 0, {}};
    return d;
}

std::unique_ptr<ProfileRecord> ProfileFor(const KbDescSnap& d)
{
    auto pro = std::make_unique<ProfileRecord>();
    for (int i = 0; i < d.nKeySlots; ++i) pro->Kb.Key[i] = d.defKey[size_t(i)];
    return pro;
}

// Codes as a test family writes them: the key's first virtual key, macros 0x10.
std::optional<uint32_t> TestCode(const KeyInfo& k)
{
    if (FunClass(k.FunID) == FUN_MACRO) return 0x00010010u;
    if (FunClass(k.FunID) != FUN_KEY || k.byKey1 == 0xEE) return std::nullopt;
    return uint32_t(k.byKey1) << 24 | uint32_t(k.byModifier) << 16;
}

}  // namespace

TEST(KbUsage, VirtualKeysAndConsumerCodes)
{
    struct Row { uint8_t vk; uint8_t usage; };
    for (const Row r : {Row{'A', 0x04}, Row{'0', 0x27}, Row{13, 0x28}, Row{kVkNumEnter, 0x58}, Row{kVkCustom, 0x32},
                        Row{226, 0x64}, Row{kVkLControl, 0xE0}, Row{kVkRWin, 0xE7}, Row{0x07, 0}})
        EXPECT_EQ(KbVkToHid(r.vk), r.usage) << int(r.vk);
    EXPECT_EQ(ModifierUsage(kVkShift), 0xE1);
    EXPECT_EQ(ModifierUsage(kVkRMenu), 0xE6);
    EXPECT_EQ(ModifierUsage('A'), 0);
    EXPECT_EQ(ConsumerCode(0x00CD, 4), 0xCD000004u);
    EXPECT_EQ(ConsumerCode(0x0192, 4), 0x92010004u);
    EXPECT_EQ(ConsumerCode(0x0183, 1), 0x83010001u);
    KeyInfo media = KeyOf(kVkVolumeUp, 0, 0);
    EXPECT_EQ(KbConsumerUsage(media), 0x0E9);
    KeyInfo calc{};
    calc.FunID = MakeFunID(FUN_MEDIA, kCcCalculator);
    EXPECT_EQ(KbConsumerUsage(calc), 0x192);
    calc.FunID = MakeFunID(FUN_MEDIA, 45);
    EXPECT_EQ(KbConsumerUsage(calc), 0);
}

TEST(KbColourPlanes, TriplesPlanesAndOutOfRangeLeds)
{
    const uint8_t bgr[3] = {2, 1, 0}, rgb[3] = {0, 1, 2};
    EXPECT_EQ(EmuHex(ColourTriple(0x332211, bgr)), "33 22 11");  // blue first
    EXPECT_EQ(EmuHex(ColourTriple(0x332211, rgb)), "11 22 33");

    const auto d = SmallDesc();
    auto pro = ProfileFor(*d);
    pro->Kb.clrGameKey[1][0] = 0x0000FF;  // A red
    pro->Kb.clrGameKey[1][2] = 0x00FF00;  // Shift green
    pro->Kb.clrGameKey[1][3] = 0xFF0000;  // C: LED 130 is outside a 126-byte plane
    const std::vector<uint8_t> p = GroupPlanes(CKbBlock(pro->Kb), *d, 1, 126, bgr);
    ASSERT_EQ(p.size(), 378u);
    // Plane order B, G, R: red of A lands in the third plane at LED 5, green of Shift in the second at 125.
    EXPECT_EQ(p[252 + 5], 0xFF);
    EXPECT_EQ(p[126 + 125], 0xFF);
    EXPECT_EQ(std::count(p.begin(), p.end(), 0xFF), 2);  // C left out, nothing written past a plane

    const std::vector<uint8_t> on = GroupOnOffPlane(CKbBlock(pro->Kb), *d, 1, 132);
    EXPECT_EQ(on[5], 1);
    EXPECT_EQ(on[125], 1);
    EXPECT_EQ(on[130], 1);
    EXPECT_EQ(std::count(on.begin(), on.end(), 1), 3);
    // A group outside the profile's fifteen reads as black.
    EXPECT_EQ(GroupOnOffPlane(CKbBlock(pro->Kb), *d, 40, 132), std::vector<uint8_t>(132, 0));
}

TEST(KbMacroNumbers, NumbersInOrderOfFirstUseUpToCapacity)
{
    CKbMacroNumbers n(2);
    bool bNew = false;
    EXPECT_EQ(n.NumberOf(0x0100AA, bNew), 1);
    EXPECT_TRUE(bNew);
    EXPECT_EQ(n.NumberOf(0x0200BB, bNew), 2);
    EXPECT_EQ(n.NumberOf(0xFF0100AA, bNew), 1);  // the same macro: low 24 bits
    EXPECT_FALSE(bNew);
    EXPECT_EQ(n.NumberOf(0x0300CC, bNew), 0);    // no buffer left
    EXPECT_EQ(n.Count(), 2);
}

TEST(KbKeyMatrix, SyncedBlockFollowsTheKeyboardsFnReferences)
{
    const auto d = SmallDesc();
    auto pro = ProfileFor(*d);
    pro->Kb.Key[3].byKey1 = 0xEE;  // C: no hardware form
    KbCodeBlock cur{};
    cur[3] = 0x11111111;
    cur[7] = FnRef(2);              // B's position is an Fn reference to entry 2
    cur[200] = 0x22222222;
    const KbMatrixPlan plan = BuildMatrixSynced(CKbBlock(pro->Kb), *d, cur, TestCode);
    EXPECT_EQ(plan.codes[3], 0x41000000u);             // A replaces the keyboard's code
    EXPECT_EQ(plan.codes[7], FnRef(2));                // the reference stays
    EXPECT_EQ(plan.codes[132 + 2], 0x42000000u);       // B goes to Fn single-key entry 2
    EXPECT_EQ(plan.codes[9], 0x00020000u);             // lone left Shift
    EXPECT_EQ(plan.codes[12], 0u);                     // C keeps the keyboard's (zero) code
    EXPECT_EQ(plan.codes[200], 0x22222222u);           // untouched beyond
    EXPECT_EQ(plan.invalidSlots, std::vector<int>{3});

    cur[7] = FnRef(9);  // an entry beyond MaxFnNum (4): B is left alone, nothing written past the table
    const KbMatrixPlan bad = BuildMatrixSynced(CKbBlock(pro->Kb), *d, cur, TestCode);
    EXPECT_EQ(bad.codes[132 + 9], 0u);
    EXPECT_EQ(bad.codes[7], FnRef(9));
}

TEST(KbKeyMatrix, FreshBlockBuildsFnTablesAndKeepsTheFirstKeyOnAPosition)
{
    const auto d = SmallDesc();
    d->defKey[3].MatrixInx = 3;  // C on A's position
    auto pro = ProfileFor(*d);
    pro->Kb.Key[1].nFnIndex = 1;                      // B has Fn entry 1 ...
    pro->Kb.Key[1].FnFun.FunID = kFunMacro;           // ... whose function is a macro
    pro->Kb.Key[1].FnFun.MacroID = 0x123456;
    pro->Kb.Key[2].nFnIndex = 7;                      // beyond MaxFnNum: Shift written alone
    const KbMatrixPlan plan = BuildMatrixFresh(CKbBlock(pro->Kb), *d, TestCode);
    EXPECT_EQ(plan.codes[3], 0x41000000u);            // A first, C refused
    EXPECT_EQ(plan.codes[7], FnRef(1));
    EXPECT_EQ(plan.codes[132 + 1], 0x42000000u);
    EXPECT_EQ(plan.codes[132 + 4 + 1], 0x00010010u);  // the Fn combination table starts after MaxFnNum
    EXPECT_EQ(plan.codes[9], 0x00020000u);
    EXPECT_EQ(plan.codes[132 + 7], 0u);
    ASSERT_EQ(plan.macros.size(), 1u);
    EXPECT_EQ(plan.macros[0].nCodeIndex, 132 + 4 + 1);
    EXPECT_EQ(plan.macros[0].dwMacroID, 0x123456u);
}

TEST(KbKeyMatrix, BytesAreLittleEndian)
{
    KbCodeBlock c{};
    c[0] = 0xF0000007;
    c[255] = 0x04030201;
    const auto bytes = CodeBlockBytes(c);
    EXPECT_EQ(EmuHex(std::span(bytes).first(4)), "07 00 00 f0");
    EXPECT_EQ(EmuHex(std::span(bytes).last(4)), "01 02 03 04");
    EXPECT_EQ(CodeBlockFromBytes(bytes), c);
}

TEST(KbLightingP, ModeGroupOptionsAndPerModeEntries)
{
    const auto d = SmallDesc();
    d->kb.ptSpeed = {1, 1};
    d->kb.nWheelMode = 3;
    d->kb.Direct[0][0] = 1;  // mode 1 in use: direction codes 5 and 6
    d->kb.Direct[0][1] = 5;
    d->kb.Direct[0][2] = 6;
    auto pro = ProfileFor(*d);
    pro->Kb.nLedMode = 1;
    pro->Kb.nCurGameGroup = 1;
    pro->Kb.nLedOption2 = 2;
    pro->Kb.nSleepTime = 9;
    pro->Kb.Led[0] = {3, 4, 2, 0, {}, 0, 5, 0};  // direction 2 of mode in use -> 6
    pro->Kb.Led[1] = {1, 2, 1, 1, {}, 0, 0, 0};  // colourful, no direction option
    pro->Kb.Led[2] = {0, 5, 1, 0, {}, 0, 1, 0};
    std::vector<uint8_t> P(123, 0xAA);
    KbLightingStyle style;
    style.bOption2 = style.bWheelSleep = true;
    FillLightingP(P, CKbBlock(pro->Kb), *d, style);
    EXPECT_EQ(EmuHex(std::span(P).first(28)),
              "aa aa 02 aa 00 06 21 aa aa aa aa aa aa aa aa aa 03 09 aa aa ff ff 65 34 07 12 01 05");
    EXPECT_EQ(P[28], 0xAA);  // bytes past the modes keep their value

    // Single-colour form: one byte a mode from 19; the marks come first, so modes 1 and 2 overwrite them.
    std::vector<uint8_t> Q(123, 0);
    KbLightingStyle mono;
    mono.entry = KbLightingStyle::ModeEntry::SpeedOnly;
    mono.nModeEntriesAt = 19;
    FillLightingP(Q, CKbBlock(pro->Kb), *d, mono);
    EXPECT_EQ(EmuHex(std::span(Q).subspan(19, 4)), "34 12 05 00");

    // After music: the per-key colour mode is shown with byte o set.
    SetModeInP(Q, *d, 2);
    EXPECT_EQ(Q[4], 1);
    EXPECT_EQ(Q[5], 9);
}

TEST(KbBlockTransport, ReportBytes)
{
    EXPECT_EQ(EmuHex(MakeBlockCmd(0x83, 0xB6)), "05 83 b6 00 00 00");
    const uint8_t payload[3] = {1, 2, 3};
    const BlockDataReport r = MakeBlockData(4, 0xD4, true, payload);
    EXPECT_EQ(EmuHex(std::span(r).first(12)), "06 04 d4 00 40 00 00 00 01 02 03 00");
    EXPECT_EQ(MakeBlockData(3, 0xB6, false, payload)[4], 0);
}

TEST(KbDefaults, LightingFromLedParamAndKeyGroups)
{
    const auto d = SmallDesc();
    d->kb.LEDParam[0] = 0x87;  // mode 0: second direction, colourful
    d->kb.LEDParam[1] = 0x35;  // speed 3, brightness 5
    d->kb.LEDParam[2] = 0x02;
    d->kb.LEDParam[3] = 0x14;
    d->kb.nDefLedIndex = 1;
    d->kb.clrGaoshou = 0xFFFFFF;
    d->kb.GaoshouKey[1][0] = 'B';
    d->kb.GaoshouKey[1][1] = kVkLShift;  // a lone modifier, matched by its bit
    d->kb.GaoshouKey[1][2] = 'Z';        // no such key: logged, skipped
    d->kb.GaoshouKeyColor[1][0] = 8;     // orange
    d->kb.SleepTime[0] = 30;
    d->kb.nDefDebounce = 3;
    d->kb.nDefGaoshouGroup = 1;
    auto pro = std::make_unique<ProfileRecord>();
    FillKbDefault(pro->Kb, *d, {.bDeviceExtras = true, .bKeyColourNumbers = true});
    pro->Kb.clrGameKey[1][3] = 0x123456;  // cleared again: group 1 names keys
    pro->Kb.clrGameKey[0][3] = 0x654321;  // kept: group 0 names none
    FillLightingDefaults(pro->Kb, *d, {.bDeviceExtras = true, .bKeyColourNumbers = true});
    const KbLedMode& m0 = pro->Kb.Led[0];
    EXPECT_EQ(m0.nSpeed, 3);
    EXPECT_EQ(m0.nBright, 5);
    EXPECT_EQ(m0.nDirect, 2);
    EXPECT_EQ(m0.bColorful, 1);
    EXPECT_EQ(m0.clr[0], 0x0000FFu);
    EXPECT_EQ(m0.clr[6], 0xFFFFFFu);
    EXPECT_EQ(pro->Kb.Led[1].nDirect, 1);
    EXPECT_EQ(pro->Kb.Led[1].bColorful, 0);
    EXPECT_EQ(pro->Kb.nLedMode, 1);
    EXPECT_EQ(pro->Kb.nCurGameGroup, 1);
    EXPECT_EQ(pro->Kb.nSleepTime, 30);
    EXPECT_EQ(pro->Kb.nLedOption2, 3);
    EXPECT_EQ(pro->Kb.byGameGroupUsed[0], 1);
    EXPECT_EQ(pro->Kb.byGameGroupUsed[1], 1);
    EXPECT_EQ(pro->Kb.byGameGroupUsed[2], 0);
    EXPECT_EQ(pro->Kb.clrGameKey[1][1], 0x0080FFu);  // B orange
    EXPECT_EQ(pro->Kb.clrGameKey[1][2], 0xFFFFFFu);  // Shift: colour 0 means clrGaoshou
    EXPECT_EQ(pro->Kb.clrGameKey[1][3], 0u);
    EXPECT_EQ(pro->Kb.clrGameKey[0][3], 0x654321u);
    EXPECT_EQ(pro->Kb.Key[0].byKey1, 'A');
    EXPECT_EQ(KbModeCount(d->kb), 3);

    // Without the family extras: group 0, no sleep time.
    FillKbDefault(pro->Kb, *d, {});
    EXPECT_EQ(pro->Kb.nCurGameGroup, 0);
    EXPECT_EQ(pro->Kb.nSleepTime, 0);
    EXPECT_EQ(pro->Kb.clrGameKey[1][1], 0xFFFFFFu);
}
