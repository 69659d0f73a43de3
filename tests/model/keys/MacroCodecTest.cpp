// The macro record layout and the macro file encoding, checked against files
// written by an independent implementation (tests/fixtures/state).
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "TestSupport.h"
#include "core/Utf.h"
#include "keys/MacroCodec.h"
#include "keys/MacroId.h"

namespace {

std::vector<uint8_t> Fixture(const char* pszName)
{
    const std::string s = test::ReadBytes(test::FixtureDir() / "state" / pszName);
    return {s.begin(), s.end()};
}

MacroAction Act(uint8_t code, uint8_t param, uint16_t state, uint32_t delay)
{
    MacroAction a{};
    a.byCode = code;
    a.byParam = param;
    a.wState = state;
    a.SetDelay(delay);
    return a;
}

// The record the fixtures hold.
MacroRecord CopyMacro()
{
    MacroRecord r{};
    r.dwMagic = MACRO_MAGIC;
    r.MacroID = 0x11492C;
    r.nAutoDelay = 1;
    r.wLoopCount = 1;
    CopyToFixed(r.szName, u"Copy");
    const MacroAction acts[] = {Act(162, 0, 1, 50), Act(67, 0, 1, 50), Act(67, 0, 0, 50), Act(162, 0, 0, 50),
                                Act(240, 0, 1, 50), Act(240, 0, 0, 0), Act(246, 2, 0, 20)};
    std::copy(std::begin(acts), std::end(acts), r.Action);
    return r;
}

std::vector<uint8_t> Bytes(const MacroFileBytes& b) { return {b.begin(), b.end()}; }

uint64_t LE(const MacroFileBytes& b, size_t off, size_t n)
{
    uint64_t v = 0;
    for (size_t i = 0; i < n; ++i) v |= uint64_t(b[off + i]) << (8 * i);
    return v;
}

}  // namespace

TEST(MacroRecord, FieldsLandAtTheirFileOffsets)
{
    MacroRecord r{};
    r.dwMagic = MACRO_MAGIC;
    r.MacroID = 0x123456;
    r.dwFlags = kMacroChangeFlags;
    r.nAutoDelay = 0x01020304;
    r.nRepeatMode = 2;
    r.szName[0] = u'X';
    r.szName[39] = u'Y';
    r.bySlot = 7;
    r.byOwner = 3;
    r.byLock = MACRO_LOCK;
    r.byReserved103 = 0x5A;
    r.wLoopCount = 0xBEEF;
    r.Action[0] = Act(65, 9, 0x1234, 0x89ABCDEF);
    r.Action[170] = Act(66, 0, 1, 0x10000);
    r.byReserved1474[5] = 0xEE;
    const MacroFileBytes b = MacroRecordBytes(r);
    EXPECT_EQ(LE(b, 0, 4), 0xFAFB88A0u);
    EXPECT_EQ(LE(b, 4, 4), 0x123456u);
    EXPECT_EQ(LE(b, 8, 4), 0xC0000000u);
    EXPECT_EQ(LE(b, 12, 4), 0x01020304u);
    EXPECT_EQ(LE(b, 16, 4), 2u);
    EXPECT_EQ(LE(b, 20, 2), uint64_t(u'X'));
    EXPECT_EQ(LE(b, 98, 2), uint64_t(u'Y'));
    EXPECT_EQ(b[100], 7);
    EXPECT_EQ(b[101], 3);
    EXPECT_EQ(b[102], 0xC7);
    EXPECT_EQ(b[103], 0x5A);
    EXPECT_EQ(LE(b, 104, 2), 0xBEEFu);
    EXPECT_EQ(LE(b, 106, 8), 0x89ABCDEF12340941ull);  // code, param, state, delay
    EXPECT_EQ(LE(b, 106 + 170 * 8, 8), 0x0001000000010042ull);
    EXPECT_EQ(b[1479], 0xEE);
    EXPECT_EQ(MacroRecordFromBytes(b).Action[0].Delay(), 0x89ABCDEFu);
}

TEST(MacroCodec, TeaMatchesTheKnownVector)
{
    uint32_t v0 = 0, v1 = 0;
    TeaEncipher(v0, v1, {0, 0, 0, 0});
    EXPECT_EQ(v0, 0x41EA3A0Au);
    EXPECT_EQ(v1, 0x94BAA940u);
    TeaDecipher(v0, v1, {0, 0, 0, 0});
    EXPECT_EQ(v0, 0u);
    EXPECT_EQ(v1, 0u);
}

TEST(MacroCodec, WritesTheGoldenFileByteForByte)
{
    EXPECT_EQ(Bytes(EncodeMacroFile(CopyMacro())), Fixture("copy_tea.mcf"));
    EXPECT_EQ(Bytes(MacroRecordBytes(CopyMacro())), Fixture("copy_plain.mcf"));
}

// Every form a reader meets gives the same record.
TEST(MacroCodec, ReadsPlainRotatedAndEncipheredFiles)
{
    const MacroFileBytes want = MacroRecordBytes(CopyMacro());
    const struct { const char* pszFile; MacroFileForm form; } rows[] = {
        {"copy_tea.mcf", MacroFileForm::Tea},
        {"copy_plain.mcf", MacroFileForm::Plain},
        {"copy_rotated.mcf", MacroFileForm::Rotated},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszFile);
        MacroFileForm form{};
        const MacroRecord rec = DecodeMacroFile(Fixture(row.pszFile), &form);
        EXPECT_EQ(form, row.form);
        EXPECT_EQ(Bytes(MacroRecordBytes(rec)), Bytes(want));
    }
}

// A rotated-looking file whose rotated identifier is 0 is not taken as rotated:
// it is deciphered instead (and is then no macro).
TEST(MacroCodec, RotatedMarkWithoutIdentifierFallsThroughToTea)
{
    MacroRecord r = CopyMacro();
    r.MacroID = 0;
    MacroFileBytes raw = MacroRecordBytes(r);
    for (uint8_t& b : raw) b = uint8_t(b >> 2 | b << 6);
    ASSERT_EQ(LE(raw, 0, 4), kMacroRotatedMark);
    MacroFileForm form{};
    EXPECT_FALSE(IsMacroRecord(DecodeMacroFile(raw, &form)));
    EXPECT_EQ(form, MacroFileForm::Tea);
}

TEST(MacroCodec, ShortInputIsZeroPaddedAndLongInputCut)
{
    const std::vector<uint8_t> tea = Fixture("copy_tea.mcf");
    std::vector<uint8_t> longer = tea;
    longer.resize(3000, 0xAB);
    EXPECT_EQ(Bytes(MacroRecordBytes(DecodeMacroFile(longer))), Bytes(MacroRecordBytes(CopyMacro())));

    // Blocks are enciphered one by one, so the head of a file still reads.
    const MacroRecord cut = DecodeMacroFile(std::vector<uint8_t>(tea.begin(), tea.begin() + 120));
    EXPECT_TRUE(IsMacroRecord(cut));
    EXPECT_EQ(FixedView(cut.szName), u"Copy");
    EXPECT_EQ(cut.Action[0].CodeWord(), 162);  // bytes 106..113; what follows byte 120 is noise
    EXPECT_FALSE(IsMacroRecord(DecodeMacroFile(std::vector<uint8_t>(100, 0x5A))));

    const std::vector<uint8_t> plain = Fixture("copy_plain.mcf");
    const MacroRecord head = DecodeMacroFile(std::vector<uint8_t>(plain.begin(), plain.begin() + 20));
    EXPECT_TRUE(IsMacroRecord(head));
    EXPECT_EQ(head.MacroID, 0x11492Cu);
    EXPECT_EQ(head.szName[0], 0);
    EXPECT_EQ(MacroActionCount(head), 0);
}

TEST(MacroCodec, MouseCodesNeedTheirOptionBit)
{
    const struct { MacroAction a; int32_t nHasMsKey; bool bAllowed; } rows[] = {
        {Act(241, 0, 1, 10), 0x00, false},
        {Act(241, 0, 1, 10), 0x02, true},
        {Act(240, 0, 1, 10), 0x7E, false},
        {Act(246, 0, 1, 10), 0x3F, false},
        {Act(246, 0, 1, 10), 0x40, true},
        {Act(246, 3, 1, 10), 0x00, true},   // a wheel with steps is compared as the whole code word
        {Act(247, 5, 0, 10), 0x00, true},
        {Act(65, 0, 1, 10), 0x00, true},
    };
    for (const auto& row : rows) {
        MacroRecord r = CopyMacro();
        std::fill(std::begin(r.Action), std::end(r.Action), MacroAction{});
        r.Action[0] = Act(65, 0, 1, 10);
        r.Action[1] = row.a;
        EXPECT_EQ(MouseCodesAllowed(r, row.nHasMsKey), row.bAllowed) << int(row.a.byCode) << "/" << int(row.a.byParam);
    }
    // The walk ends at the first zero code word, even when a delay follows it.
    MacroRecord r = CopyMacro();
    r.Action[0] = Act(0, 0, 0, 30);
    r.Action[1] = Act(241, 0, 1, 0);
    EXPECT_TRUE(MouseCodesAllowed(r, 0));
}

TEST(MacroCodec, EndOfListRulesDifferForMacrosAndBullets)
{
    MacroRecord r{};
    r.Action[0] = Act(65, 0, 1, 0);
    r.Action[1] = Act(0, 1, 0, 0);   // code byte 0, flag 1: ends a bullet, not a macro
    r.Action[2] = Act(0, 0, 5, 0);   // state only: ends both
    EXPECT_EQ(MacroActionCount(r), 2);
    EXPECT_EQ(BulletStepCount(r), 1);
    for (MacroAction& a : r.Action) a = Act(1, 0, 0, 0);
    EXPECT_EQ(MacroActionCount(r), kMacroActionNum);
}

TEST(MacroId, IsMadeFromTheTimeOfDay)
{
    EXPECT_EQ(MacroIdFromTime({17, 5, 9, 300}), 0x11492Cu);
    EXPECT_EQ(MacroIdFromTime({23, 59, 59, 999}), ((23u % 16) << 20 | 59u << 14 | 59u << 8 | (999u & 0xFF)));
}

// A stamp of 0 (16:00:00.256) and stamps taken in either list move on; so do
// identifiers made in the same millisecond.
TEST(MacroId, NewIdentifiersAreNeverZeroAndNeverTaken)
{
    CMacroList macros, bullets;
    const TimeOfDayClock frozen = [] { return TimeOfDay{16, 0, 0, 256}; };
    MacroRecord r{};
    r.MacroID = NewMacroId(frozen, macros, bullets);
    EXPECT_EQ(r.MacroID, 1u);
    macros.Add(r);
    r.MacroID = 2;
    bullets.Add(r);
    EXPECT_EQ(NewMacroId(frozen, macros, bullets), 3u);

    std::vector<uint32_t> ids;
    for (int i = 0; i < 50; ++i) {
        r.MacroID = NewMacroId([] { return TimeOfDay{17, 5, 9, 300}; }, macros, bullets);
        ids.push_back(r.MacroID);
        macros.Add(r);
    }
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());
    EXPECT_EQ(ids.front(), 0x11492Cu);
    // The list compares the low 24 bits: an identifier with high bits set is the same macro.
    EXPECT_NE(macros.FindById(0xFF11492C), nullptr);
    EXPECT_EQ(macros.FindById(0), nullptr);
}

TEST(MacroList, HoldsAtMost2000AndOwnsCopies)
{
    CMacroList list;
    MacroRecord r{};
    for (uint32_t i = 1; i <= kMacroListMax; ++i) {
        r.MacroID = i;
        ASSERT_NE(list.Add(r), nullptr);
    }
    r.MacroID = 5000;
    EXPECT_EQ(list.Add(r), nullptr);
    EXPECT_EQ(list.Count(), kMacroListMax);
    MacroRecord* p = list.FindById(7);
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(list.Remove(p));
    EXPECT_FALSE(list.Remove(p));
    EXPECT_EQ(list.FindById(7), nullptr);
    EXPECT_NE(list.Add(r), nullptr);
}
