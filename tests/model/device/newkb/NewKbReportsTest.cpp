// The type-24 keyboard's bytes, as golden bytes: chunks and read commands,
// key codes, device macros, the macro area, the key matrix with its macro
// places, the lighting block, the colour table and the group colour planes.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/ProfileRecord.h"
#include "device/kb/KbBlock.h"
#include "device/kb/KbDescSnap.h"
#include "device/newkb/NewKbReports.h"
#include "emu/EmuHex.h"
#include "keys/FunId.h"
#include "keys/KeyCodes.h"

using namespace newkb;

namespace {

std::string Head(const Report& r) { return EmuHex(std::span(r).first(8)); }

KeyInfo Key(uint32_t dwFunID)
{
    KeyInfo k{};
    k.FunID = dwFunID;
    k.nFnIndex = -1;
    return k;
}

KeyInfo Combo(uint8_t byModifier, uint8_t byKey1, uint8_t byKey2 = 0)
{
    KeyInfo k = Key(kFunKeyCombo);
    k.byModifier = byModifier;
    k.byKey1 = byKey1;
    k.byKey2 = byKey2;
    return k;
}

KeyInfo Special(uint32_t v, uint32_t dwParam = 0)
{
    KeyInfo k = Key(MakeFunID(FUN_SPECIAL, v));
    k.dwParam = dwParam;
    return k;
}

MacroRecord Macro(uint32_t id, const char16_t* pszName, std::vector<MacroAction> actions, uint32_t nRepeatMode = 0,
                  uint16_t wLoop = 1)
{
    MacroRecord m{};
    m.dwMagic = MACRO_MAGIC;
    m.MacroID = id;
    m.nRepeatMode = nRepeatMode;
    m.wLoopCount = wLoop;
    for (size_t i = 0; pszName[i] && i < size_t(kMacroNameMax); ++i) m.szName[i] = pszName[i];
    for (size_t i = 0; i < actions.size(); ++i) m.Action[i] = actions[i];
    return m;
}

MacroAction Act(uint8_t byCode, bool bPress, uint32_t nDelay)
{
    MacroAction a{};
    a.byCode = byCode;
    a.wState = bPress ? 1 : 0;
    a.SetDelay(nDelay);
    return a;
}

}  // namespace

TEST(NewKbReports, ChunksNumberTheirPartsAndCarryTheirLengths)
{
    std::vector<uint8_t> data(1000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i);
    const std::vector<Report> r = MakeChunks(5, 0, data);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(Head(r[0]), "06 05 00 00 02 00 00 02");
    EXPECT_EQ(Head(r[1]), "06 05 00 00 02 01 e8 01");
    EXPECT_EQ(r[0][8], 0);
    EXPECT_EQ(r[0][519], uint8_t(511));
    EXPECT_EQ(r[1][8], uint8_t(512));
    EXPECT_EQ(r[1][8 + 487], uint8_t(999));
    EXPECT_EQ(r[1][8 + 488], 0);  // nothing after the data
    // The group commands carry their group in byte 2; 512 bytes are one chunk.
    const std::vector<Report> one = MakeChunks(6, 3, std::vector<uint8_t>(512, 0xAB));
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(Head(one[0]), "06 06 03 00 01 00 00 02");
    EXPECT_TRUE(MakeChunks(3, 0, {}).empty());

    // A read asks for one chunk of the object's length; nothing else in the report.
    const Report rd = MakeReadCmd(0x83, 0, 504);
    EXPECT_EQ(Head(rd), "06 83 00 00 01 00 f8 01");
    EXPECT_EQ(std::count(rd.begin() + 8, rd.end(), 0), 512);
    const ChunkHeader h = ReadHeader(r[1]);
    EXPECT_EQ(h.byCmd, 5);
    EXPECT_EQ(h.byCount, 2);
    EXPECT_EQ(h.byNumber, 1);
    EXPECT_EQ(h.wLen, 488);
}

TEST(NewKbReports, KeyCodes)
{
    SensorDpiTable snipe{};
    snipe.nCount = 3;
    snipe.LockCode[1] = 0x1C2;
    const MacroRecord m = Macro(0x10, u"m", {Act('A', true, 5)}, 1, 300);
    struct Case {
        const char* pszWhat;
        KeyInfo key;
        std::optional<uint32_t> code;
    };
    const Case cases[] = {
        {"Ctrl+Shift+A", Combo(0x03, 'A'), 0x04000300},
        {"A with B", Combo(0, 'A', 'B'), 0x04050000},
        {"left Ctrl alone", Combo(0x01, 0), 0x00000100},
        {"Fn", Combo(0, kVkFn), 0x0000000D},
        {"a media key kept as a key", Combo(0, 137), 0xCD000002},
        {"a key without usage", Combo(0, 0xFF), std::nullopt},
        {"left button", Key(MakeFunID(FUN_MOUSE, kMsLeft)), 0x00010101},
        {"middle button", Key(MakeFunID(FUN_MOUSE, kMsMiddle)), 0x00010301},
        {"right button", Key(MakeFunID(FUN_MOUSE, kMsRight)), 0x00010201},
        {"double click", Key(MakeFunID(FUN_MOUSE, kMsDoubleClick)), 0x00020101},
        {"three clicks", Key(MakeFunID(FUN_MOUSE, kMsThree)), 0x00030101},
        {"wheel up", Key(MakeFunID(FUN_MOUSE, kMsWheelUp)), std::nullopt},
        {"media select", Key(MakeFunID(FUN_MEDIA, kCcMediaSelect)), 0x83010002},
        {"play/pause", Key(MakeFunID(FUN_APP, kCcPlayPause)), 0xCD000002},
        {"favourites", Key(MakeFunID(FUN_MEDIA, kCcFavourites)), 0x2A020002},
        {"brightness up", Key(MakeFunID(FUN_MEDIA, kCcBrightnessUp)), std::nullopt},
        {"brightness down", Key(MakeFunID(FUN_MEDIA, kCcBrightnessDown)), std::nullopt},
        {"key off", Special(kSpKeyOff), 0},
        {"fire, right button", Special(kSpFire, 0xF10A05), 0x0A050201},
        {"fire, left button", Special(kSpFire, 0xF00105), 0x01050101},
        {"fire, a key", Special(kSpFire, 0x410105), std::nullopt},
        {"snipe level 2", Special(kSpSnipe, 2), 0x0000C20A},
        {"snipe level 4 of 3", Special(kSpSnipe, 4), std::nullopt},
        {"light on/off", Special(kSpLightOnOff), 0x08},
        {"msg16", Special(kSpMsg16), 0x08},
        {"DPI up", Special(kSpDpiUp), 0x105},
        {"DPI down", Special(kSpDpiDown), 0x205},
        {"DPI cycle", Special(kSpDpiCycle), 0x405},
        {"mode switch", Special(kSpModeSwitch), 0x06},
        {"msg17", Special(kSpMsg17), 0x208},
        {"speed up", Special(kSpSpeedUp), 0x10408},
        {"speed down", Special(kSpSpeedDown), 0x20408},
        {"B4", Special(kSpB4), 0x408},
        {"brightness up (keyboard)", Special(kSpKbBrightUp), 0x10308},
        {"brightness down (keyboard)", Special(kSpKbBrightDown), 0x20308},
        {"B7", Special(kSpB7), 0x308},
        {"report rate switch", Special(kSpReportRateSwitch), std::nullopt},
        {"hardware function", Key(MakeFunID(FUN_HW, 1)), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        EXPECT_EQ(NewKbKeyCode(c.key, nullptr, &snipe), c.code);
    }
    // Snipe without the mouse's DPI steps has no code.
    EXPECT_EQ(NewKbKeyCode(Special(kSpSnipe, 2), nullptr, nullptr), std::nullopt);
    // A macro key: kind 3, the repeat-mode bit, the low byte of the count; its place comes later.
    KeyInfo mk = Key(kFunMacro);
    mk.MacroID = 0x10;
    EXPECT_EQ(NewKbKeyCode(mk, &m, nullptr), 0x002C0203u);
    EXPECT_EQ(NewKbKeyCode(mk, nullptr, nullptr), std::nullopt);
    EXPECT_EQ(RepeatModeBit(0), 1);
    EXPECT_EQ(RepeatModeBit(2), 4);
    EXPECT_EQ(RepeatModeBit(7), 0);
}

TEST(NewKbReports, DeviceMacros)
{
    // Name in 30 bytes, then 3 bytes an action: release bit, kind, delay high
    // bits; delay low byte; code.
    const MacroRecord m = Macro(1, u"Sixteen letters!", {Act(162, true, 1000), Act(162, false, 20), Act(165, true, 0x123),
                                                         Act(16, true, 1), Act(241, true, 2), Act(0xFF, true, 3),
                                                         Act('A', false, 5000)});
    const std::vector<uint8_t> b = NewKbMacro(m);
    ASSERT_EQ(b.size(), 30u + 6 * 3);
    EXPECT_EQ(EmuHex(std::span(b).first(4)), "53 00 69 00");
    EXPECT_EQ(b[28], uint8_t(u's'));  // the 15th character; the 16th is left out
    EXPECT_EQ(EmuHex(std::span(b).subspan(30)),
              "13 e8 e0 90 14 e0 11 23 e6 10 01 e1 20 02 02 8f ff 04");  // no code for 0xFF; 5000 ms kept at 4095
    const std::vector<uint8_t> empty = NewKbMacro(Macro(2, u"", {}));
    EXPECT_EQ(empty, std::vector<uint8_t>(30, 0));
}

TEST(NewKbReports, MacroAreaTableOfContents)
{
    std::vector<uint8_t> area;
    ASSERT_TRUE(BuildMacroArea({std::vector<uint8_t>(33, 0xA1), std::vector<uint8_t>(36, 0xB2)}, area));
    ASSERT_EQ(area.size(), 8u + 33 + 36);
    EXPECT_EQ(EmuHex(std::span(area).first(8)), "08 00 21 00 29 00 24 00");
    EXPECT_EQ(area[8], 0xA1);
    EXPECT_EQ(area[8 + 33], 0xB2);
    EXPECT_TRUE(BuildMacroArea({}, area));
    EXPECT_TRUE(area.empty());
    // 4096 bytes of macros fit, one more does not; neither do 257 macros.
    EXPECT_TRUE(BuildMacroArea({std::vector<uint8_t>(4096, 1)}, area));
    EXPECT_FALSE(BuildMacroArea({std::vector<uint8_t>(4096, 1), std::vector<uint8_t>(1, 1)}, area));
    EXPECT_TRUE(area.empty());
    EXPECT_FALSE(BuildMacroArea(std::vector<std::vector<uint8_t>>(257, std::vector<uint8_t>(1, 1)), area));
}

namespace {

struct MatrixFixture {
    std::unique_ptr<kb::KbDescSnap> d = std::make_unique<kb::KbDescSnap>();
    std::unique_ptr<KbSettings> s = std::make_unique<KbSettings>();
    std::vector<MacroRecord> macros;

    void Slot(int i, int nPos, int nLed = -1)
    {
        d->defKey[size_t(i)] = Combo(0, uint8_t('A' + i));
        d->defKey[size_t(i)].MatrixInx = nPos;
        d->defKey[size_t(i)].LedInx = nLed < 0 ? i : nLed;
        d->nKeySlots = std::max(d->nKeySlots, i + 1);
    }
    MatrixPlan Fill(const std::optional<MatrixCodes>& current = std::nullopt)
    {
        return FillMatrix(kb::CKbBlock(*s), *d, current,
                          [this](uint32_t id) -> const MacroRecord* {
                              for (const MacroRecord& m : macros)
                                  if (m.MacroID == id) return &m;
                              return nullptr;
                          },
                          nullptr);
    }
};

}  // namespace

TEST(NewKbReports, FillMatrixPlacesEachMacroOnce)
{
    MatrixFixture f;
    for (int i = 0; i < 5; ++i) f.Slot(i, 10 * i + 1);
    f.macros = {Macro(0x111, u"one", {Act('A', true, 1)}), Macro(0x222, u"two", {Act('B', true, 1), Act('B', false, 1)})};
    const uint32_t ids[] = {0x111, 0x111, 0x222};
    for (int i = 0; i < 3; ++i) {
        f.s->Key[i] = Key(kFunMacro);
        f.s->Key[i].MacroID = ids[i];
    }
    f.s->Key[3] = Combo(0x02, 'Z');
    const MatrixPlan p = f.Fill();
    EXPECT_TRUE(p.strError.empty());
    EXPECT_TRUE(p.invalidSlots.empty());
    EXPECT_EQ(p.codes[1], 0x00010103u);   // index 0 (repeat bit 1, count 1)
    EXPECT_EQ(p.codes[11], 0x00010103u);  // the same macro, the same index
    EXPECT_EQ(p.codes[21], 0x01010103u);  // index 1
    EXPECT_EQ(p.codes[31], 0x1D000200u);  // Shift+Z
    EXPECT_EQ(p.codes[41], 0u);           // no function: zero without the keyboard's matrix
    ASSERT_EQ(p.nMacros, 2);
    EXPECT_EQ(EmuHex(std::span(p.area).first(8)), "08 00 21 00 29 00 24 00");
}

TEST(NewKbReports, FillMatrixChecksPositionsAndKeepsTheKeyboardsCodes)
{
    MatrixFixture f;
    f.Slot(0, 5);
    f.Slot(1, 200);   // no such position
    f.Slot(2, 128);   // past the 126 codes sent
    f.Slot(3, 7);
    f.Slot(4, 9);
    f.macros = {Macro(0x111, u"one", {Act('A', true, 1)})};
    f.s->Key[0] = Combo(0, 'Q');
    f.s->Key[1] = Combo(0, 'W');
    f.s->Key[2] = Key(kFunMacro);
    f.s->Key[2].MacroID = 0x111;
    f.s->Key[3] = Key(MakeFunID(FUN_MOUSE, kMsWheelUp));  // no code
    MatrixCodes current{};
    for (size_t i = 0; i < current.size(); ++i) current[i] = 0xC0DE0000u + uint32_t(i);
    const MatrixPlan p = f.Fill(current);
    EXPECT_EQ(p.invalidSlots, (std::vector<int>{1, 3}));
    EXPECT_EQ(p.codes[5], 0x14000000u);          // Q
    EXPECT_EQ(p.codes[7], 0xC0DE0007u);          // an invalid key keeps what the keyboard has
    EXPECT_EQ(p.codes[9], 0xC0DE0009u);          // a key without a function too
    EXPECT_EQ(p.nMacros, 0);                     // the macro of a position not sent takes no place
    const auto bytes = MatrixBytes(p.codes);
    EXPECT_EQ(bytes.size(), 504u);
    EXPECT_EQ(EmuHex(std::span(bytes).subspan(20, 4)), "00 00 00 14");
    EXPECT_EQ(MatrixFromBytes(bytes)[5], 0x14000000u);
}

TEST(NewKbReports, FillMatrixRefusesMacrosThatDoNotFit)
{
    MatrixFixture f;
    std::vector<MacroAction> many;
    for (int i = 0; i < 170; ++i) many.push_back(Act('A', i % 2 == 0, 1));
    for (int i = 0; i < 10; ++i) {
        f.Slot(i, i);
        f.macros.push_back(Macro(0x100 + uint32_t(i), u"long", many));
        f.s->Key[i] = Key(kFunMacro);
        f.s->Key[i].MacroID = 0x100 + uint32_t(i);
    }
    const MatrixPlan p = f.Fill();  // 10 x 540 bytes of macros
    EXPECT_EQ(p.strError, "Macro buffer too small");
    EXPECT_TRUE(p.area.empty());
}

TEST(NewKbReports, MacroLimitsAtTheirEdges)
{
    // 256 macros fit, each found through its table entry (offset, length).
    std::vector<uint8_t> area;
    std::vector<std::vector<uint8_t>> macros;
    for (int i = 0; i < 256; ++i) macros.push_back(std::vector<uint8_t>(1, uint8_t(i)));
    ASSERT_TRUE(BuildMacroArea(macros, area));
    ASSERT_EQ(area.size(), 256u * 4 + 256);
    EXPECT_EQ(EmuHex(std::span(area).first(4)), "00 04 01 00");
    EXPECT_EQ(EmuHex(std::span(area).subspan(255 * 4, 4)), "ff 04 01 00");
    EXPECT_EQ(area[0x4FF], 0xFF);
    // 4096 bytes spread over many macros fit; one byte more does not.
    macros.assign(128, std::vector<uint8_t>(32, 7));
    EXPECT_TRUE(BuildMacroArea(macros, area));
    EXPECT_EQ(area.size(), 128u * 4 + 4096);
    macros.back().push_back(7);
    EXPECT_FALSE(BuildMacroArea(macros, area));
    EXPECT_TRUE(area.empty());

    // Through the keys: ten macros of 4095 bytes in all go with their indexes;
    // one action more (three bytes) and nothing goes.
    MatrixFixture f;
    for (int i = 0; i < 10; ++i) {
        std::vector<MacroAction> acts(i < 9 ? 122 : 167, Act('A', true, 1));  // 30 + 3 per action
        f.Slot(i, i);
        f.macros.push_back(Macro(0x100 + uint32_t(i), u"m", acts));
        f.s->Key[i] = Key(kFunMacro);
        f.s->Key[i].MacroID = 0x100 + uint32_t(i);
    }
    const MatrixPlan fits = f.Fill();
    EXPECT_TRUE(fits.strError.empty()) << fits.strError;
    ASSERT_EQ(fits.nMacros, 10);
    EXPECT_EQ(fits.area.size(), 10u * 4 + 4095);
    EXPECT_EQ(fits.codes[9] >> 24, 9u);
    f.macros.back().Action[167] = Act('A', true, 1);
    const MatrixPlan over = f.Fill();
    EXPECT_EQ(over.strError, "Macro buffer too small");
    EXPECT_TRUE(over.area.empty());
}

TEST(NewKbReports, LightingBlockColourTableAndGroupPlanes)
{
    auto d = std::make_unique<kb::KbDescSnap>();
    auto s = std::make_unique<KbSettings>();
    d->nKbFw = 24;
    d->nModeCount = 2;
    d->kb.nLedModeSelectOffset = 4;
    d->kb.nGaoshouIndex = 1;
    d->kb.nStartGp = 32;
    d->kb.LedOpt[0].nDevMode = 7;
    d->kb.LedOpt[1].nDevMode = 9;
    const uint8_t bgr[3] = {2, 1, 0};
    std::copy(std::begin(bgr), std::end(bgr), d->kb.RGBIndex);
    std::copy(std::begin(bgr), std::end(bgr), d->kb.GameRGBIndex);
    s->nLedMode = 1;
    s->nCurGameGroup = 2;
    s->Led[0].nSpeed = 3;
    s->Led[0].nBright = 4;
    s->Led[0].nClrIndex = 5;
    s->Led[0].clr[0] = 0x332211;
    const auto led = LightingBlock(kb::CKbBlock(*s), *d);
    EXPECT_EQ(EmuHex(std::span(led).first(8)), "00 00 00 00 00 00 00 00");
    EXPECT_EQ(EmuHex(std::span(led).subspan(8 + 4, 3)), "01 09 22");  // per-key colour mode, its mode number, group + 32
    EXPECT_EQ(EmuHex(std::span(led).subspan(8 + 20, 4)), "ff ff 05 34");
    const std::vector<uint8_t> tab = RgbTable(kb::CKbBlock(*s), *d);
    ASSERT_EQ(tab.size(), 2u * 21);
    EXPECT_EQ(EmuHex(std::span(tab).first(3)), "33 22 11");

    d->defKey[0] = Combo(0, 'A');
    d->defKey[0].LedInx = 3;
    d->defKey[1] = Combo(0, 'B');
    d->defKey[1].LedInx = 130;  // outside the planes: left out
    d->nKeySlots = 2;
    s->clrGameKey[2][0] = 0x0000FF;  // red
    s->clrGameKey[2][1] = 0x00FF00;
    const std::vector<uint8_t> planes = GroupColours(kb::CKbBlock(*s), *d, 2);
    ASSERT_EQ(planes.size(), 378u);
    EXPECT_EQ(planes[252 + 3], 0xFF);  // red goes to the third plane
    EXPECT_EQ(planes[3], 0);
    EXPECT_EQ(std::count(planes.begin(), planes.end(), 0xFF), 1);
}
