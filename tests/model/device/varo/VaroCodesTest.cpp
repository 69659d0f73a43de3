// The type-21 keyboard's key codes, macro buffers and reports as golden bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/ProfileRecord.h"
#include "device/varo/VaroCodes.h"
#include "device/varo/VaroReports.h"
#include "emu/EmuHex.h"
#include "keys/FunId.h"
#include "keys/KeyCodes.h"
#include "keys/MacroRecord.h"

using namespace varo;

namespace {

KeyInfo Key(uint8_t byClass, uint32_t v, uint8_t byMod = 0, uint8_t byKey1 = 0, uint8_t byKey2 = 0)
{
    KeyInfo k{};
    k.FunID = MakeFunID(byClass, v);
    k.byModifier = byMod;
    k.byKey1 = byKey1;
    k.byKey2 = byKey2;
    return k;
}

KeyInfo KeyOf(uint8_t byMod, uint8_t byKey1, uint8_t byKey2 = 0) { return Key(FUN_KEY, kKeyPlain, byMod, byKey1, byKey2); }

MacroRecord Macro(uint32_t nRepeatMode)
{
    MacroRecord r{};
    r.MacroID = 0x123;
    r.nRepeatMode = nRepeatMode;
    return r;
}

std::string Bytes(std::span<const uint8_t> b) { return EmuHex(b); }

// A description with three key slots and the lighting modes up to the per-key colour mode.
std::unique_ptr<kb::KbDescSnap> Desc()
{
    auto d = std::make_unique<kb::KbDescSnap>();
    d->nKbFw = 21;
    d->nModeCount = 19;
    d->kb.nGaoshouIndex = 18;
    d->kb.nKVaroRGB = 1;
    d->kb.LedOpt[2].nDevMode = 3;
    d->nKeySlots = 3;
    for (int i = 0; i < 3; ++i) d->defKey[size_t(i)] = KeyOf(0, uint8_t('A' + i));
    d->defKey[0].LedInx = 0;
    d->defKey[1].LedInx = 125;
    d->defKey[2].LedInx = 130;  // outside the planes
    return d;
}

}  // namespace

TEST(VaroCodes, KeyCodesByClass)
{
    const MacroRecord m0 = Macro(0), m1 = Macro(1), m2 = Macro(2), m3 = Macro(3);
    struct Case {
        const char* what;
        KeyInfo key;
        const MacroRecord* pMacro;
        std::optional<uint32_t> want;
    };
    const Case cases[] = {
        {"left button", Key(FUN_MOUSE, kMsLeft), nullptr, 0x0000F010},
        {"middle button", Key(FUN_MOUSE, kMsMiddle), nullptr, 0x0000F210},
        {"right button", Key(FUN_MOUSE, kMsRight), nullptr, 0x0000F110},
        {"forward", Key(FUN_MOUSE, kMsForward), nullptr, 0x0000F410},
        {"back", Key(FUN_MOUSE, kMsBack), nullptr, 0x0000F310},
        {"mouse three", Key(FUN_MOUSE, kMsThree), nullptr, 0x00000130},
        {"double click", Key(FUN_MOUSE, kMsDoubleClick), nullptr, std::nullopt},
        {"Fn", KeyOf(0, kVkFn), nullptr, kCodeFn},
        {"Ctrl+Alt+Del", KeyOf(kModLCtrl | kModLAlt, 46), nullptr, 0x004C0500},
        {"A", KeyOf(0, 'A'), nullptr, 0x00040000},
        {"Shift+A+B", KeyOf(kModLShift, 'A', 'B'), nullptr, 0x05040200},
        {"lone left Shift", KeyOf(kModLShift, 0), nullptr, 0x00000200},
        {"volume up kept as a key", KeyOf(0, kVkVolumeUp), nullptr, 0xE9000001},
        {"media select kept as a key", KeyOf(0, kVkMediaSelect), nullptr, 0x83010001},
        {"calculator kept as a key", KeyOf(0, kVkCalculator), nullptr, 0x92010001},
        {"a key without usage", KeyOf(0, 7), nullptr, 0x00000000},
        {"play/pause", Key(FUN_MEDIA, kCcPlayPause), nullptr, 0xCD000001},
        {"brightness up (class 3)", Key(FUN_APP, kCcBrightnessUp), nullptr, 0x6F000001},
        {"favourites", Key(FUN_MEDIA, kCcFavourites), nullptr, 0x2A020001},
        {"search", Key(FUN_MEDIA, kCcSearch), nullptr, 0x21020001},
        {"no consumer function", Key(FUN_MEDIA, 43), nullptr, std::nullopt},
        {"macro, loop count", Key(FUN_MACRO, 0), &m0, 0x00010002},
        {"macro, until a key", Key(FUN_MACRO, 0), &m1, 0x00020002},
        {"macro, while held", Key(FUN_MACRO, 0), &m2, 0x00040002},
        {"macro, other mode", Key(FUN_MACRO, 0), &m3, 0x00000002},
        {"macro that is gone", Key(FUN_MACRO, 0), nullptr, std::nullopt},
        {"special: the keyboard's own", Key(FUN_SPECIAL, kSpKeyOff), nullptr, 0u},
        {"hardware function", Key(FUN_HW, 1), nullptr, std::nullopt},
        {"bullet", Key(FUN_BULLET, 0), nullptr, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(VaroKeyCode(c.key, c.pMacro), c.want);
    }
}

TEST(VaroCodes, MacroBufferNumberAndRepeatCount)
{
    EXPECT_EQ(WithMacroBuffer(0x00010002, 3, 5), 0x05010202u);    // repeat mode 0: the count in byte 3
    EXPECT_EQ(WithMacroBuffer(0x00020002, 10, 5), 0x00020902u);   // other modes: no count
    EXPECT_EQ(WithMacroBuffer(0x00010002, 1, 300), 0xFF010002u);  // held at 255
}

TEST(VaroCodes, MacroBufferGoldenBytes)
{
    MacroRecord r{};
    r.Action[0] = {'A', 0, 1, {50, 0}};          // press A, 50 ms
    r.Action[1] = {kVkLControl, 0, 0, {1000, 0}}; // release left Ctrl, 1 s
    r.Action[2] = {kVkRWin, 0, 1, {0, 0}};        // right Win: its modifier bit
    r.Action[3] = {kVkShift, 0, 1, {20, 0}};      // generic Shift: the left one
    r.Action[4] = {kVkMsLeft, 0, 1, {20, 0}};     // mouse button
    r.Action[5] = {7, 0, 1, {10, 0}};             // no usage: left out
    r.Action[6] = {'A', 0, 1, {1300, 0}};         // 130 units: bit 7 goes to byte 1
    r.Action[7] = {'B', 0, 0, {25000, 0}};        // beyond 11 bits: held at 20470 ms
    std::array<uint8_t, kMacroBufferLen> out{};
    EXPECT_EQ(VaroMacro(r, out), 21u);
    EXPECT_EQ(Bytes(std::span(out).first(24)),
              "05 00 04 e4 f0 01 00 f0 80 02 f0 02 02 20 f0 02 01 04 ff 0f 05 00 00 00");
    EXPECT_TRUE(std::all_of(out.begin() + 21, out.end(), [](uint8_t b) { return b == 0; }));
}

TEST(VaroCodes, MacroBufferHoldsSixtyFourActions)
{
    MacroRecord r{};
    for (MacroAction& a : r.Action) a = {'C', 0, 1, {10, 0}};
    std::array<uint8_t, kMacroBufferLen> out{};
    EXPECT_EQ(VaroMacro(r, out), kMacroBufferLen);
    EXPECT_EQ(Bytes(std::span(out).last(3)), "01 00 06");
}

TEST(VaroReports, LedReport)
{
    const auto d = Desc();
    auto s = std::make_unique<KbSettings>();
    s->nLedMode = 2;
    s->Led[2].nSpeed = 2;
    s->Led[2].nBright = 3;
    s->Led[2].clr[0] = 0x302010;
    s->nCurGameGroup = 1;
    const kb::CKbBlock block(*s);
    auto r = BuildLedReport(block, *d);
    ASSERT_TRUE(r);
    EXPECT_EQ(Bytes(std::span(*r).first(10)), "0a 03 02 02 03 00 10 20 30 00");
    EXPECT_TRUE(std::all_of(r->begin() + 9, r->end(), [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(r->size(), 42u);

    s->Led[2].bColorful = 1;
    EXPECT_EQ((*BuildLedReport(block, *d))[5], 8);

    // The per-key colour mode always shows at brightness 5.
    s->nLedMode = 18;
    s->Led[18].nBright = 1;
    EXPECT_EQ((*BuildLedReport(block, *d))[4], 5);

    // A seven-colour keyboard numbers the colour; a colour it lacks keeps the colourful flag.
    d->kb.nKVaroRGB = 0;
    s->nLedMode = 2;
    struct Case {
        ZColor clr;
        int bColorful;
        uint8_t want;
    };
    for (const Case c : {Case{0x0000FF, 0, 1}, Case{0x00FF00, 0, 2}, Case{0xFF0000, 1, 3}, Case{0xFFFFFF, 0, 7},
                         Case{0x123456, 1, 8}, Case{0x123456, 0, 0}}) {
        s->Led[2].clr[0] = c.clr;
        s->Led[2].bColorful = c.bColorful;
        EXPECT_EQ((*BuildLedReport(block, *d))[5], c.want) << std::hex << c.clr;
    }

    // Modes outside the keyboard's give no report.
    for (const int m : {-1, 19, 24, 1000}) {
        s->nLedMode = m;
        EXPECT_FALSE(BuildLedReport(block, *d)) << m;
    }

    s->nCurGameGroup = 0;
    EXPECT_EQ(Bytes(std::span<const uint8_t>(BuildResetLedReport(block, *d)).first(4)), "0a 13 01 00");
}

TEST(VaroReports, GroupBytes)
{
    auto d = Desc();
    EXPECT_EQ(GroupByte(*d, 0), uint8_t(9));  // RGB keyboard
    EXPECT_EQ(GroupByte(*d, 1), uint8_t(0));
    EXPECT_EQ(GroupByte(*d, 2), std::nullopt);
    EXPECT_EQ(GroupByte(*d, -1), std::nullopt);
    d->kb.nKVaroRGB = 0;  // seven colours
    EXPECT_EQ(GroupByte(*d, 0), uint8_t(1));
    EXPECT_EQ(GroupByte(*d, 9), uint8_t(10));
    const uint8_t idx[4] = {5, 6, 0, 8};
    std::copy(std::begin(idx), std::end(idx), d->kb.GameGroupIndex);
    EXPECT_EQ(GroupByte(*d, 0), uint8_t(5));
    EXPECT_EQ(GroupByte(*d, 2), uint8_t(0));
    EXPECT_EQ(GroupByte(*d, 3), uint8_t(8));
    EXPECT_EQ(GroupByte(*d, 4), std::nullopt);  // the list holds four groups
}

TEST(VaroReports, ColourReportPlanesByLedPosition)
{
    const auto d = Desc();
    auto s = std::make_unique<KbSettings>();
    s->clrGameKey[1][0] = 0x030201;
    s->clrGameKey[1][1] = 0x0A0B0C;
    s->clrGameKey[1][2] = 0xFFFFFF;  // its LED position is outside the planes
    s->clrGameKey[0][0] = 0x000077;
    const kb::CKbBlock block(*s);
    const auto r = BuildColourReport(block, *d, 1);
    ASSERT_TRUE(r);
    ASSERT_EQ(r->size(), 380u);
    EXPECT_EQ(Bytes(std::span(*r).first(3)), "0b 00 01");
    EXPECT_EQ((*r)[2 + 126], 0x02);
    EXPECT_EQ((*r)[2 + 252], 0x03);
    EXPECT_EQ((*r)[2 + 125], 0x0C);
    EXPECT_EQ((*r)[2 + 126 + 125], 0x0B);
    EXPECT_EQ((*r)[379], 0x0A);  // the blue byte of LED position 125 is the report's last
    EXPECT_EQ(std::count_if(r->begin() + 2, r->end(), [](uint8_t b) { return b != 0; }), 6);
    EXPECT_EQ(Bytes(std::span<const uint8_t>(*BuildColourReport(block, *d, 0)).first(3)), "0b 09 77");
    EXPECT_FALSE(BuildColourReport(block, *d, 2));  // no byte for that group
    const ColourReport z = ClearColourReport();
    EXPECT_EQ(z[0], 11);
    EXPECT_TRUE(std::all_of(z.begin() + 1, z.end(), [](uint8_t b) { return b == 0; }));
}

TEST(VaroReports, MatrixPlanChecksEveryPosition)
{
    auto d = Desc();
    d->nKeySlots = 5;
    d->defKey[0] = KeyOf(kModLCtrl | kModLAlt, 46);
    d->defKey[0].MatrixInx = 5;
    d->defKey[1] = KeyOf(0, 'B');
    d->defKey[1].MatrixInx = 126;  // no such position
    d->defKey[2] = Key(FUN_MACRO, 0);
    d->defKey[2].MacroID = 0x123;
    d->defKey[2].MatrixInx = 7;
    d->defKey[3] = Key(FUN_HW, 1);  // no code on this keyboard
    d->defKey[3].MatrixInx = 8;
    d->defKey[4] = Key(FUN_SPECIAL, kSpKeyOff);
    d->defKey[4].MatrixInx = 125;
    auto s = std::make_unique<KbSettings>();
    std::copy_n(d->defKey.begin(), 5, s->Key);
    s->Key[1].MatrixInx = 3;  // the profile's copy does not place keys: the description does
    const MacroRecord m = Macro(0);
    const kb::CKbBlock block(*s);
    const VaroMatrixPlan plan = BuildVaroMatrix(block, *d, [&m](const KeyInfo& k) {
        return VaroKeyCode(k, FunClass(k.FunID) == FUN_MACRO ? &m : nullptr);
    });
    EXPECT_EQ(plan.codes[5], 0x004C0500u);
    EXPECT_EQ(plan.codes[3], 0u);
    EXPECT_EQ(plan.codes[7], 0x00010002u);
    EXPECT_EQ(plan.codes[125], 0u);
    EXPECT_EQ(plan.badPositionSlots, std::vector<int>{1});
    EXPECT_EQ(plan.invalidSlots, std::vector<int>{3});
    ASSERT_EQ(plan.macros.size(), 1u);
    EXPECT_EQ(plan.macros[0].nSlot, 2);
    EXPECT_EQ(plan.macros[0].nCodeIndex, 7);
    EXPECT_EQ(plan.macros[0].dwMacroID, 0x123u);
}

TEST(VaroReports, MatrixReportAndMerge)
{
    MatrixCodes codes{};
    codes[0] = 0x004C0500;
    codes[125] = kCodeFn;
    const MatrixReport r = BuildMatrixReport(codes);
    EXPECT_EQ(r.size(), 505u);
    EXPECT_EQ(Bytes(std::span(r).first(5)), "09 00 05 4c 00");
    EXPECT_EQ(Bytes(std::span(r).last(4)), "00 00 b0 00");
    EXPECT_EQ(MatrixCodesOf(r), codes);

    MatrixCodes cur{}, fresh{};
    cur[0] = 1, cur[1] = 2, cur[2] = 3;
    fresh[1] = 9;
    const MatrixCodes m = MergeOver(cur, fresh);
    EXPECT_EQ((std::vector<uint32_t>{m[0], m[1], m[2], m[3]}), (std::vector<uint32_t>{1, 9, 3, 0}));
}

TEST(VaroReports, MacroAndMusicReports)
{
    std::vector<uint8_t> area(kMacroAreaLen, 0x11);
    const std::vector<uint8_t> r = BuildMacroReport(area);
    ASSERT_EQ(r.size(), 1921u);
    EXPECT_EQ(r[0], 12);
    EXPECT_EQ(r[1920], 0x11);
    area.resize(4000, 0x22);  // never more than the area
    EXPECT_EQ(BuildMacroReport(area).size(), 1921u);

    std::vector<uint8_t> frame(379);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = uint8_t(i + 1);
    const auto m = BuildMusicReport(frame);
    ASSERT_TRUE(m);
    EXPECT_EQ(Bytes(std::span(*m).first(3)), "0e 01 02");
    EXPECT_EQ((*m)[379], uint8_t(379));
    EXPECT_EQ(Bytes(std::span<const uint8_t>(*BuildMusicReport(std::vector<uint8_t>{7})).first(3)), "0e 07 00");
    frame.push_back(0);
    EXPECT_FALSE(BuildMusicReport(frame));
}
