// The macro editor's action list and the recorder, without a window: what a
// record becomes as a list, what the list becomes when saved, the limits of
// the devices, the editing operations and what the recorder makes of keys.
#include <gtest/gtest.h>

#include <cstring>

#include "core/Utf.h"
#include "keys/MacroEdit.h"
#include "keys/MacroFile.h"
#include "keys/MacroRecorder.h"
#include "text/TextCatalogue.h"

namespace {

MacroLimits MouseOnly()
{
    return MacroLimitsFor(HwParam{1, 506, 20, 255, 4095, 168}, 1, 0, 0x7F);
}
MacroLimits Keyboard20()
{
    return MacroLimitsFor(HwParam{1, 128, 32, 65535, 65280, 60}, 0, 20, 0x7F);
}
MacroLimits Keyboard21()
{
    return MacroLimitsFor(HwParam{1, 192, 10, 255, 20470, 64}, 0, 21, 0x7F);
}
MacroLimits Keyboard24()
{
    return MacroLimitsFor(HwParam{1, 65535, 65535, 255, 4095, 65535}, 0, 24, 0x7F);
}

MacroItem Wheel(uint8_t code, uint8_t amount) { return {MacroItemKind::Wheel, uint32_t(code) | amount << 8, 1}; }
MacroItem Move(uint8_t code, uint8_t amount) { return {MacroItemKind::Move, uint32_t(code) | amount << 8, 1}; }

MacroItems Keys(int nItems)
{
    MacroItems v;
    for (int i = 0; i < nItems; ++i) v.push_back(i % 2 == 0 ? PressItem('A') : ReleaseItem('A'));
    return v;
}

std::string Str(const MacroItems& items)
{
    std::string s;
    for (const MacroItem& it : items) {
        if (!s.empty()) s += ' ';
        switch (it.kind) {
        case MacroItemKind::Press: s += "+" + std::to_string(it.nValue); break;
        case MacroItemKind::Release: s += "-" + std::to_string(it.nValue); break;
        case MacroItemKind::Delay: s += std::to_string(it.nValue) + "ms"; break;
        case MacroItemKind::Move: s += "mv" + std::to_string(it.nValue); break;
        case MacroItemKind::Wheel: s += "wh" + std::to_string(it.nValue); break;
        }
    }
    return s;
}

}  // namespace

TEST(MacroEdit, LimitsFollowTheFamilies)
{
    EXPECT_EQ(MouseOnly().nMaxEntries, 168);
    EXPECT_EQ(MouseOnly().nKbBufferSize, 0);
    EXPECT_EQ(Keyboard20().nMaxEntries, kMacroActionNum);
    EXPECT_EQ(Keyboard20().nKbBufferSize, 128);
    EXPECT_EQ(Keyboard24().nKbBufferSize, 0);
    EXPECT_EQ(Keyboard24().nMaxEntries, kMacroActionNum);
    // No macro device: a longest delay of 0 would erase every delay.
    EXPECT_EQ(MacroLimitsFor(HwParam{1, 128, 0, 65535, 0, 0}, 0, 0, 0).nDelayMax, 65535);
    // A mouse beside a keyboard still plays only its buffer's events.
    const MacroLimits both = MacroLimitsFor(HwParam{1, 128, 64, 255, 25627, 32}, 1, 22, 0x7F);
    EXPECT_EQ(both.nMaxEntries, 168);
    EXPECT_EQ(both.nKbBufferSize, 128);
}

TEST(MacroEdit, SavedListDropsLeadingReleasesAndMergesDelays)
{
    const MacroLimits lim = MouseOnly();
    const struct {
        const char* pszWhat;
        MacroItems in;
        std::string strOut;
    } rows[] = {
        {"leading delay and release go", {DelayItem(30), ReleaseItem('A'), PressItem('B'), ReleaseItem('B')}, "+66 -66"},
        {"delays merged and held at 4095", {PressItem('A'), DelayItem(3000), DelayItem(2000), ReleaseItem('A')}, "+65 4095ms -65"},
        {"a leading movement stays", {Move(247, 5), DelayItem(10), Wheel(245, 2)}, "mv1527 10ms wh757"},
        {"a wheel step stays", {Wheel(246, 0)}, "wh246"},
        {"only releases: nothing", {ReleaseItem('A'), ReleaseItem('B')}, ""},
        {"a long delay alone is held", {PressItem('A'), DelayItem(70000)}, "+65 4095ms"},
    };
    for (const auto& row : rows) EXPECT_EQ(Str(NormaliseItems(row.in, lim)), row.strOut) << row.pszWhat;
}

TEST(MacroEdit, RecordRoundTripAndDelaysBelongToTheActionBefore)
{
    const MacroLimits lim = MouseOnly();
    MacroRecord rec = MakeNewMacroRecord(u"m", 1, MacroKind::Macro);
    ItemsToRecord({PressItem(162), DelayItem(20), PressItem('C'), DelayItem(30), ReleaseItem('C'), Wheel(245, 3),
                   DelayItem(5), Move(250, 127), ReleaseItem(162)},
                  lim, rec);
    ASSERT_EQ(MacroActionCount(rec), 6);
    const struct { uint8_t code, param; uint16_t state; uint32_t delay; } want[] = {
        {162, 0, 1, 20}, {'C', 0, 1, 30}, {'C', 0, 0, 0}, {245, 3, 1, 5}, {250, 127, 1, 0}, {162, 0, 0, 0}};
    for (size_t i = 0; i < std::size(want); ++i) {
        EXPECT_EQ(rec.Action[i].byCode, want[i].code) << i;
        EXPECT_EQ(rec.Action[i].byParam, want[i].param) << i;
        EXPECT_EQ(rec.Action[i].wState, want[i].state) << i;
        EXPECT_EQ(rec.Action[i].Delay(), want[i].delay) << i;
    }
    // Back to the list and again into a record: the same bytes.
    MacroRecord again = rec;
    ItemsToRecord(ItemsFromRecord(rec, lim), lim, again);
    EXPECT_EQ(std::memcmp(&again, &rec, sizeof rec), 0);

    // Old entries after the new end are cleared; a key code of 0 is left out.
    ItemsToRecord({PressItem(0), DelayItem(9), PressItem('A')}, lim, rec);
    EXPECT_EQ(MacroActionCount(rec), 1);
    EXPECT_EQ(rec.Action[0].byCode, 'A');
    EXPECT_EQ(rec.Action[0].Delay(), 0u);
}

TEST(MacroEdit, KeyboardBufferBytesAndTheLastInsertThatFits)
{
    // Family 20 with 128 bytes: 62 presses and releases make 4 + 124 = 128.
    const MacroLimits kb20 = Keyboard20();
    EXPECT_EQ(KbMacroBytes(Keys(62), kb20), 128);
    EXPECT_TRUE(MacroFits(Keys(62), kb20));
    EXPECT_FALSE(InsertItems(Keys(62), {}, {PressItem('B')}, kb20).bOk);
    EXPECT_EQ(InsertItems(Keys(62), {}, {PressItem('B')}, kb20).strMessage, MacroFullText());
    EXPECT_TRUE(InsertItems(Keys(61), {}, {PressItem('B')}, kb20).bOk);
    // A whole keystroke must fit, not only its first half.
    EXPECT_FALSE(InsertItems(Keys(61), {}, KeyStroke('B', true), kb20).bOk);
    // Delays above 127 ms take 4 bytes, counted after merging.
    EXPECT_EQ(KbMacroBytes({PressItem('A'), DelayItem(100), DelayItem(100), ReleaseItem('A')}, kb20), 4 + 4 + 4);
    EXPECT_EQ(KbMacroBytes({PressItem('A'), DelayItem(127), ReleaseItem('A')}, kb20), 8);
    // Family 21: 3 bytes a press or release, 64 in 192 bytes.
    EXPECT_EQ(KbMacroBytes(Keys(64), Keyboard21()), 192);
    EXPECT_FALSE(InsertItems(Keys(64), {}, {ReleaseItem('A')}, Keyboard21()).bOk);
    // The mouse: 168 entries; the record: 171.
    EXPECT_TRUE(InsertItems(Keys(167), {}, {ReleaseItem('A')}, MouseOnly()).bOk);
    EXPECT_FALSE(InsertItems(Keys(168), {}, {ReleaseItem('A')}, MouseOnly()).bOk);
    EXPECT_TRUE(InsertItems(Keys(170), {}, {ReleaseItem('A'), DelayItem(10)}, Keyboard24()).bOk);
    EXPECT_FALSE(InsertItems(Keys(171), {}, {PressItem('A')}, Keyboard24()).bOk);
}

TEST(MacroEdit, LoadingStopsAtTheKeyboardBuffer)
{
    MacroRecord rec = MakeNewMacroRecord(u"m", 1, MacroKind::Macro);
    ItemsToRecord(Keys(100), Keyboard24(), rec);
    EXPECT_EQ(ItemsFromRecord(rec, Keyboard24()).size(), 100u);
    EXPECT_EQ(ItemsFromRecord(rec, Keyboard20()).size(), 62u);
}

TEST(MacroEdit, InsertGoesAfterTheSelectionAndSelectsWhatCame)
{
    const MacroLimits lim = MouseOnly();
    const MacroItems base{PressItem('A'), ReleaseItem('A'), PressItem('B')};
    const struct {
        MacroSelection sel;
        std::string strOut;
        MacroSelection after;
    } rows[] = {
        {{}, "+65 -65 +66 +240 50ms -240", {3, 4, 5}},
        {{0}, "+65 +240 50ms -240 -65 +66", {1, 2, 3}},
        {{2, 0, 9}, "+65 -65 +66 +240 50ms -240", {3, 4, 5}},  // after the last valid one
    };
    for (const auto& row : rows) {
        const MacroEditResult r = InsertItems(base, row.sel, KeyStroke(240, true), lim);
        ASSERT_TRUE(r.bOk);
        EXPECT_EQ(Str(r.items), row.strOut);
        EXPECT_EQ(r.selection, row.after);
    }
    EXPECT_EQ(Str(KeyStroke('Q', false)), "+81 -81");
    EXPECT_EQ(Str({WheelStep(245), WheelStep(246)}), "wh245 wh246");
    EXPECT_EQ(DelayOf(0, lim).nValue, 1u);
    EXPECT_EQ(DelayOf(99999, lim).nValue, 4095u);
}

TEST(MacroEdit, AmountsAreCheckedAndEdited)
{
    MacroItem it;
    std::u16string strMessage;
    const struct { uint8_t code; int nAmount; bool bOk; MacroItemKind kind; } rows[] = {
        {245, 0, true, MacroItemKind::Wheel},  {246, 127, true, MacroItemKind::Wheel},
        {247, 5, true, MacroItemKind::Move},   {250, 1, true, MacroItemKind::Move},
        {250, 128, false, MacroItemKind::Move}, {249, -1, false, MacroItemKind::Move},
        {'A', 3, false, MacroItemKind::Move},
    };
    for (const auto& row : rows) {
        strMessage.clear();
        EXPECT_EQ(AmountItem(row.code, row.nAmount, it, strMessage), row.bOk) << int(row.code) << " " << row.nAmount;
        if (row.bOk) {
            EXPECT_EQ(it.kind, row.kind);
            EXPECT_EQ(it.nValue, uint32_t(row.code) | uint32_t(row.nAmount) << 8);
        } else {
            EXPECT_EQ(strMessage, u"Invalid value. 0~127");
        }
    }
    const MacroItems items{PressItem('A'), Move(247, 5)};
    EXPECT_FALSE(EditAmount(items, 0, 247, 9).bOk);  // a key has no amount
    const MacroEditResult r = EditAmount(items, 1, 249, 9);
    ASSERT_TRUE(r.bOk);
    EXPECT_EQ(Str(r.items), "+65 mv2553");
    EXPECT_EQ(EditAmount(items, 1, 249, 200).strMessage, u"Invalid value. 0~127");
}

TEST(MacroEdit, EditMoveAndDeleteWorkOnSelections)
{
    const MacroLimits lim = MouseOnly();
    const MacroItems items{PressItem('A'), DelayItem(10), ReleaseItem('A'), DelayItem(20), PressItem('B')};
    // Every selected delay takes the new value, held to the limits.
    MacroEditResult r = EditDelays(items, {0, 1, 3}, 99999, lim);
    ASSERT_TRUE(r.bOk);
    EXPECT_EQ(Str(r.items), "+65 4095ms -65 4095ms +66");
    EXPECT_FALSE(EditDelays(items, {0, 2}, 50, lim).bOk);

    const struct {
        MacroSelection sel;
        int nStep;
        std::string strOut;
        MacroSelection after;
    } moves[] = {
        {{2}, -1, "+65 -65 10ms 20ms +66", {1}},
        {{0}, -1, "+65 10ms -65 20ms +66", {0}},          // at the top: stays
        {{0, 1}, 1, "-65 +65 10ms 20ms +66", {1, 2}},     // a block moves together
        {{3, 4}, 1, "+65 10ms -65 20ms +66", {3, 4}},     // at the bottom: stays
        {{0, 2}, 1, "10ms +65 20ms -65 +66", {1, 3}},
    };
    for (const auto& m : moves) {
        r = MoveItems(items, m.sel, m.nStep);
        ASSERT_TRUE(r.bOk);
        EXPECT_EQ(Str(r.items), m.strOut);
        EXPECT_EQ(r.selection, m.after);
    }
    r = DeleteItems(items, {1, 3});
    ASSERT_TRUE(r.bOk);
    EXPECT_EQ(Str(r.items), "+65 -65 +66");
    EXPECT_EQ(r.selection, (MacroSelection{2}));
    r = DeleteItems(items, {3, 4});
    EXPECT_EQ(r.selection, (MacroSelection{2}));
    EXPECT_TRUE(DeleteItems(items, {0, 1, 2, 3, 4}).items.empty());
    EXPECT_FALSE(DeleteItems(items, {}).bOk);
}

TEST(MacroEdit, NamesAndLoopCount)
{
    const struct { const char16_t* psz; bool bOk; const char16_t* pszOut; } names[] = {
        {u"a.b.c", true, u"a.b"}, {u"Copy", true, u"Copy"}, {u"x-y", false, u""}, {u"", false, u""},
        {u".x", false, u""},      {u"a/b", false, u""},     {u"a#", false, u""}, {u"...", false, u""},
    };
    for (const auto& n : names) {
        std::u16string out, strMessage;
        EXPECT_EQ(CheckMacroName(n.psz, out, strMessage), n.bOk) << U16ToUtf8(n.psz);
        if (n.bOk) {
            EXPECT_EQ(out, n.pszOut);
        } else {
            EXPECT_EQ(strMessage, u"Invalid name.");
        }
    }
    const struct { const char16_t* pszIn; const char16_t* pszOut; } loops[] = {
        {u"", u""}, {u"0", u"1"}, {u"7", u"7"}, {u"255", u"255"}, {u"256", u"255"}, {u"99999999999999", u"255"},
    };
    for (const auto& l : loops) EXPECT_EQ(LoopCountFieldText(l.pszIn, 255), l.pszOut) << U16ToUtf8(l.pszIn);
}

TEST(MacroEdit, ItemTexts)
{
    const CTextTable saved = gText;
    gText.tc_click = u"Left click";
    gText.tc_scrollup = u"Wheel up";
    gText.tc_macro_msg25 = u"Left";
    EXPECT_EQ(MacroItemText(DelayItem(120), 0), u"120 ms");
    EXPECT_EQ(MacroItemText(PressItem(240), 0), u"Left click");
    EXPECT_EQ(MacroItemText(Wheel(245, 3), 0), u"Wheel up 3");
    EXPECT_EQ(MacroItemText(Move(249, 10), 0), u"Left 10");
    EXPECT_FALSE(MacroItemText(PressItem('A'), 0).empty());
    gText = saved;
}

// ---- recorder -------------------------------------------------------------------------

TEST(MacroRecorder, KeysBecomeItemsWithTheTimeBetweenThem)
{
    const struct {
        const char* pszWhat;
        bool bAutoDelay;
        std::vector<RecordedKey> keys;
        std::string strOut;
    } rows[] = {
        {"pause becomes a delay", true, {{'A', true, false, 0}, {'A', false, false, 120}}, "+65 120ms -65"},
        {"auto-repeat adds nothing", true,
         {{'A', true, false, 0}, {'A', false, true, 500}, {'A', true, true, 500}, {'A', false, true, 530},
          {'A', true, true, 530}, {'A', false, false, 900}},
         "+65 900ms -65"},
        {"the same key in the same state again", true, {{'A', true, false, 0}, {'A', true, false, 10}}, "+65"},
        {"print screen is ignored", true, {{44, true, false, 0}, {'B', true, false, 5}}, "+66"},
        {"keys without a code are ignored", true, {{0, true, false, 0}, {'B', true, false, 5}}, "+66"},
        {"no auto delay, no delays", false, {{'A', true, false, 0}, {'A', false, false, 120}}, "+65 -65"},
        {"long pause held at the longest delay", true, {{'A', true, false, 0}, {'A', false, false, 10000}}, "+65 4095ms -65"},
        {"no time gone by, no delay", true, {{17, true, false, 50}, {'C', true, false, 50}}, "+17 +67"},
    };
    for (const auto& row : rows) {
        CMacroRecorder rec(MouseOnly(), row.bAutoDelay);
        MacroItems items{PressItem('Z')};
        rec.Start(items);
        EXPECT_TRUE(items.empty());
        for (const RecordedKey& k : row.keys) rec.Feed(k, items);
        EXPECT_EQ(Str(items), row.strOut) << row.pszWhat;
    }
}

TEST(MacroRecorder, StopsAtWhatTheDeviceHolds)
{
    const struct { const char* pszWhat; MacroLimits lim; int nWant; } rows[] = {
        {"mouse: 168 events", MouseOnly(), 168},
        {"keyboard 20: 62 in 128 bytes", Keyboard20(), 62},
        {"keyboard 21: 64 in 192 bytes", Keyboard21(), 64},
        {"keyboard 24: the record's 171", Keyboard24(), 171},
    };
    for (const auto& row : rows) {
        CMacroRecorder rec(row.lim, false);
        MacroItems items;
        rec.Start(items);
        int nFull = 0;
        for (int i = 0; i < 400; ++i)
            if (rec.Feed({uint8_t('A' + i % 2), i % 4 < 2, false, i}, items) == RecordOutcome::Full) ++nFull;
        EXPECT_EQ(int(items.size()), row.nWant) << row.pszWhat;
        EXPECT_EQ(rec.Count(), row.nWant) << row.pszWhat;
        EXPECT_GT(nFull, 0) << row.pszWhat;
        EXPECT_TRUE(MacroFits(items, row.lim)) << row.pszWhat;
    }
}

TEST(MacroRecorder, LinuxKeyNumbersByPlace)
{
    const struct { uint32_t nKey; uint8_t vk; } rows[] = {
        {29, 17}, {97, 163}, {42, 16}, {54, 161}, {56, 18}, {100, 165}, {125, 91}, {126, 92}, {28, 13}, {96, 253},
        {86, 226}, {16, 'Q'}, {30, 'A'}, {44, 'Z'}, {2, '1'}, {11, '0'}, {59, 112}, {88, 123}, {99, 44}, {57, 32},
        {1, 27}, {111, 46}, {0, 0}, {240, 0}, {100000, 0},
    };
    for (const auto& row : rows) EXPECT_EQ(VkFromLinuxKey(row.nKey), row.vk) << row.nKey;
}
