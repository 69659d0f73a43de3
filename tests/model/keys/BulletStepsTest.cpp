// Bullet steps: the generator, reading entries into the step list and writing
// it back, weights, value fields, the repair of records read from files, and
// what the wired mouse's buffer makes of a generated bullet.
#include <gtest/gtest.h>

#include <array>

#include "device/mouse/MouseMacro.h"
#include "device/mouse/MouseProtocol.h"
#include "emu/EmuHex.h"
#include "keys/BulletSteps.h"

namespace {

MacroAction Entry(uint8_t code, uint8_t flag, uint16_t state, uint32_t delay)
{
    MacroAction a{};
    a.byCode = code;
    a.byParam = flag;
    a.wState = state;
    a.SetDelay(delay);
    return a;
}

std::vector<MacroAction> Entries(const MacroRecord& rec)
{
    std::vector<MacroAction> v;
    for (int i = 0; i < kMacroActionNum && !rec.Action[i].EndsBullet(); ++i) v.push_back(rec.Action[i]);
    return v;
}

bool Same(const MacroAction& a, const MacroAction& b)
{
    return a.byCode == b.byCode && a.byParam == b.byParam && a.wState == b.wState && a.Delay() == b.Delay();
}

std::string BufferHex(const MacroRecord& rec)
{
    std::array<uint8_t, mouse::kMacroBufferMax> buf{};
    return EmuHex(std::span(buf).first(mouse::BulletToHd(rec, buf)));
}

}  // namespace

TEST(BulletGenerator, DefaultsMakeFiveShots)
{
    const MacroRecord rec = BuildBulletRecord(BulletGenInput{}, 0x123456);
    EXPECT_EQ(rec.dwMagic, MACRO_MAGIC);
    EXPECT_EQ(rec.MacroID, 0x123456u);
    EXPECT_EQ(rec.nFireCode, 240u);
    EXPECT_EQ(rec.nRepeatMode, 0u);
    EXPECT_EQ(rec.wLoopCount, 1);
    EXPECT_EQ(std::u16string(rec.szName), u"Bullet");
    const auto e = Entries(rec);
    ASSERT_EQ(e.size(), 10u);
    for (size_t i = 0; i < e.size(); i += 2) {
        EXPECT_TRUE(Same(e[i], Entry(240, 0, 20, 10))) << i;
        EXPECT_TRUE(Same(e[i + 1], Entry(252, 0, 0x0A00, 20))) << i;
    }
    const auto items = ReadBulletItems(rec);
    EXPECT_EQ(items.size(), 20u);
    EXPECT_EQ(BulletWeight(items), 15);
    // On the mouse: press 20 ms, release with the pause, move Y 10 with the interval.
    EXPECT_EQ(BufferHex(rec).substr(0, 32), "00 0f 10 14 01 90 0a 01 30 14 0a");
}

TEST(BulletGenerator, ShotsClicksAndCaps)
{
    struct Row {
        BulletGenInput in;
        size_t nEntries;
        int nClicks;
    };
    const Row rows[] = {
        {{3, u"S", 20, 30, 7, true}, 4, 1},
        {{85, u"S", 20, 20, 10, true}, 86, 1},
        {{85, u"S", 20, 20, 10, false}, 170, 85},   // generation never writes more than 170
        {{200, u"S", 20, 20, 10, false}, 170, 85},
        {{0, u"S", 20, 20, 10, false}, 0, 0},
    };
    for (const Row& r : rows) {
        const auto e = Entries(BuildBulletRecord(r.in, 1));
        EXPECT_EQ(e.size(), r.nEntries) << r.in.nShots;
        int nClicks = 0;
        for (const MacroAction& a : e) nClicks += a.byCode == 240;
        EXPECT_EQ(nClicks, r.nClicks) << r.in.nShots;
        if (r.in.bSingleClick && !e.empty()) EXPECT_TRUE(Same(e[0], Entry(240, 0, 0, 10)));
    }
}

TEST(BulletGenerator, WindowValuesAreBroughtIntoRange)
{
    struct Row {
        BulletGenInput in, out;
    };
    const Row rows[] = {
        {{5, u"B", 0, -3, -1, false}, {5, u"B", 10, 10, 10, false}},
        {{85, u"B", 20, 20, 200, false}, {56, u"B", 20, 20, 127, false}},  // the box was switched off after 85
        {{90, u"B", 70000, 20, 0, true}, {85, u"B", 65535, 20, 0, true}},
    };
    for (const Row& r : rows) {
        const BulletGenInput n = NormaliseBulletInput(r.in);
        EXPECT_EQ(n.nShots, r.out.nShots);
        EXPECT_EQ(n.nClickMs, r.out.nClickMs);
        EXPECT_EQ(n.nIntervalMs, r.out.nIntervalMs);
        EXPECT_EQ(n.nStepY, r.out.nStepY);
    }
    // The largest bullet the window makes fills the mouse's buffer exactly.
    const MacroRecord full = BuildBulletRecord(NormaliseBulletInput({85, u"B", 20, 20, 10, false}), 1);
    EXPECT_EQ(mouse::BulletHdEvents(full), 168);
    std::array<uint8_t, mouse::kMacroBufferMax> buf{};
    EXPECT_EQ(mouse::BulletToHd(full, buf), mouse::kMacroBufferMax);
}

TEST(BulletSteps, EntriesReadAndWrittenBack)
{
    MacroRecord rec = BuildBulletRecord({0, u"K", 0, 0, 0, false}, 1);
    rec.Action[0] = Entry(252, 0, BulletMoveValue(-127, 5), 0);
    rec.Action[1] = Entry('A', 1, 1, 50);
    rec.Action[2] = Entry('A', 1, 0, 0);
    rec.Action[3] = Entry(245, 0, 1, 0);
    rec.Action[4] = Entry(252, 1, BulletMoveValue(3, 0), 7);  // 252 is a movement whatever its flag
    const std::vector<BulletItem> want = {BulletMove(-127, 5), BulletPress('A'), BulletPause(50), BulletRelease('A'),
                                          BulletClick(245, 1), BulletMove(3, 0), BulletPause(7)};
    const auto items = ReadBulletItems(rec);
    EXPECT_EQ(items, want);
    EXPECT_EQ(uint8_t(rec.Action[0].wState), 0x81);
    MacroRecord back = rec;
    WriteBulletItems(items, back);
    EXPECT_EQ(ReadBulletItems(back), want);
    EXPECT_EQ(back.Action[1].CodeWord(), 0x0141);
    EXPECT_EQ(back.Action[1].wState, 1);
    EXPECT_EQ(back.Action[2].wState, 0);
}

TEST(BulletSteps, PausesMergeAndALeadingPauseIsDropped)
{
    std::vector<BulletItem> items = {BulletPause(5), BulletClick(240, 20), BulletPause(30), BulletPause(40),
                                     BulletMove(0, 10)};
    MergeBulletPauses(items);
    EXPECT_EQ(items, (std::vector<BulletItem>{BulletPause(5), BulletClick(240, 20), BulletPause(70), BulletMove(0, 10)}));
    MacroRecord rec{};
    WriteBulletItems(items, rec);
    const auto e = Entries(rec);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_TRUE(Same(e[0], Entry(240, 0, 20, 70)));
    EXPECT_TRUE(Same(e[1], Entry(252, 0, 0x0A00, 0)));
}

TEST(BulletSteps, WritingStopsAt170EntriesNotAtTheActionLimit)
{
    std::vector<BulletItem> items;
    for (int i = 0; i < 200; ++i) {
        items.push_back(BulletMove(0, 1));
        items.push_back(BulletPause(3));
    }
    MacroRecord rec{};
    WriteBulletItems(items, rec);
    EXPECT_EQ(Entries(rec).size(), 170u);
    EXPECT_TRUE(rec.Action[170].EndsBullet());
}

TEST(BulletSteps, ValueFields)
{
    struct Row {
        std::u16string text;
        bool bMove;
        bool bOk;
        int n;
    };
    const Row rows[] = {
        {u"-127", true, true, -127}, {u"127", true, true, 127}, {u"128", true, false, 0},
        {u"-128", true, false, 0},   {u"", true, false, 0},     {u"1x", true, false, 0},
        {u"65535", false, true, 65535}, {u"65536", false, false, 0}, {u"-5", false, false, 0},
    };
    for (const Row& r : rows) {
        int n = 99;
        EXPECT_EQ(ParseBulletField(r.text, r.bMove, n), r.bOk);
        EXPECT_EQ(n, r.n);
    }
}

TEST(BulletSteps, InsertCodesAndModifierKeys)
{
    EXPECT_EQ(BulletItemsForCode(0xF0), std::vector<BulletItem>{BulletClick(240, 20)});
    EXPECT_EQ(BulletItemsForCode(0xF2),
              (std::vector<BulletItem>{BulletPress(242), BulletPause(50), BulletRelease(242)}));
    EXPECT_EQ(BulletItemsForCode(0xF6), std::vector<BulletItem>{BulletClick(246, 1)});
    EXPECT_TRUE(BulletItemsForCode(0xF8).empty());
    const std::pair<uint8_t, uint8_t> mods[] = {{0x01, 162}, {0x02, 160}, {0x04, 164}, {0x08, 91},
                                                {0x10, 163}, {0x20, 161}, {0x40, 165}, {0x80, 92},
                                                {0x06, 160}, {0x00, 0}};
    for (const auto& [bits, vk] : mods) EXPECT_EQ(BulletModifierKey(bits), vk) << int(bits);
}

TEST(BulletSteps, RecordsFromFilesAreRepaired)
{
    MacroRecord rec = BuildBulletRecord(BulletGenInput{}, 7);
    EXPECT_FALSE(RepairBulletRecord(rec));  // a sound record stays as it is
    rec.nRepeatMode = 9;
    rec.wLoopCount = 0;
    rec.nFireCode = 0;
    rec.byReserved103 = 3;
    rec.Action[1].wState = 0x8080;           // X and Y -128
    rec.Action[12] = Entry(240, 0, 20, 10);  // behind the end entry
    rec.Action[170] = Entry(240, 0, 20, 10); // the 171st entry is never played
    for (char16_t& c : rec.szName) c = u'x';
    EXPECT_TRUE(RepairBulletRecord(rec));
    EXPECT_EQ(rec.nRepeatMode, 0u);
    EXPECT_EQ(rec.wLoopCount, 1);
    EXPECT_EQ(rec.nFireCode, 240u);
    EXPECT_EQ(rec.byReserved103, 0);
    EXPECT_EQ(rec.szName[kMacroNameMax], 0);
    EXPECT_EQ(ReadBulletItems(rec)[2], BulletMove(-127, -127));
    EXPECT_TRUE(rec.Action[12].EndsBullet());
    EXPECT_EQ(rec.Action[12].wState, 0);
    EXPECT_EQ(rec.Action[170].byCode, 0);
}
