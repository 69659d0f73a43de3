// The lighting pages' rules: the modes offered, the controls a mode shows,
// and a mode's values read from and written to the profile.
#include <gtest/gtest.h>

#include "core/Gvar.h"
#include "lighting/LedPage.h"
#include "text/TextCatalogue.h"

namespace {

CTextTable Names(int nKb, int nMs, int nPad)
{
    CTextTable t;
    for (int i = 1; i <= nKb; ++i) t.tc_kb_led.items[size_t(i - 1)] = u"kb" + std::u16string(1, char16_t('A' + i));
    for (int i = 1; i <= nMs; ++i) t.tc_ms_led.items[size_t(i - 1)] = u"ms";
    for (int i = 1; i <= nPad; ++i) t.tc_pad_led.items[size_t(i - 1)] = u"pad";
    return t;
}

std::vector<int> Indexes(const std::vector<LedModeItem>& list)
{
    std::vector<int> v;
    for (const LedModeItem& m : list) v.push_back(m.nIndex);
    return v;
}

}  // namespace

TEST(LedPage, ModesStopAtTheFirstMissingNameAndTheMaskHidesButKeepsIndexes)
{
    struct Case {
        LedDesign d;
        int nNames;
        int32_t nMask;
        std::vector<int> want;
        int nCounted;
    };
    const Case cases[] = {
        {LedDesign::Keyboard, 5, 0, {0, 1, 2, 3, 4}, 5},       // 5 names, 24 records: 5 modes
        {LedDesign::Keyboard, 5, 1, {1, 2, 3, 4}, 5},          // mode 1 keeps index 1
        {LedDesign::Keyboard, 25, 0, {}, 24},                  // never past the records
        {LedDesign::Mouse, 3, 0b010, {0, 2}, 3},
        {LedDesign::Pad, 11, 0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 11},
        {LedDesign::None, 5, 0, {}, 0},
    };
    for (const Case& c : cases) {
        const CTextTable t = Names(c.d == LedDesign::Keyboard ? c.nNames : 0, c.d == LedDesign::Mouse ? c.nNames : 0,
                                   c.d == LedDesign::Pad ? c.nNames : 0);
        int nCounted = -1;
        const std::vector<LedModeItem> list = LedModeList(c.d, t, c.nMask, 22, nCounted);
        EXPECT_EQ(nCounted, c.nCounted) << int(c.d) << " " << c.nNames;
        if (c.nNames == 25) {
            EXPECT_EQ(list.size(), 24u);
            continue;
        }
        EXPECT_EQ(Indexes(list), c.want) << int(c.d) << " " << c.nNames;
    }
}

TEST(LedPage, TheFamily21KeyboardTakesItsOwnNamesFirst)
{
    CTextTable t = Names(3, 0, 0);
    t.tc_Varo_led.items[1] = u"own";
    int n = 0;
    const std::vector<LedModeItem> list = LedModeList(LedDesign::Keyboard, t, 0, 21, n);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1].strName, u"own");
    EXPECT_EQ(LedModeList(LedDesign::Keyboard, t, 0, 22, n)[1].strName, u"kbC");
}

TEST(LedPage, AModeShowsWhatItsOptionRecordSays)
{
    ClearGvar();
    gVar.nKbFw = 22;
    gVar.Kb.LedOpt[2] = {3, 17, 1, 0, 1, 1, 1, {}};
    gVar.Kb.nSpeedNum = 0x00040104;
    gVar.Kb.nBriNum = 0x00050006;
    gVar.Kb.nGaoshouIndex = 5;
    const LedControls c = LedControlsOf(LedDesign::Keyboard, 2);
    EXPECT_TRUE(c.bSpeed);
    EXPECT_FALSE(c.bBright);
    EXPECT_TRUE(c.bDirect && c.bFlag);
    EXPECT_EQ(c.nColors, 1);
    EXPECT_EQ(c.speedValues, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(c.brightValues, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    EXPECT_TRUE(LedControlsOf(LedDesign::Keyboard, 5).bGame);
    EXPECT_EQ(LedControlsOf(LedDesign::Keyboard, 24).nColors, 0);  // outside the records

    gVar.nMsFw = 1;
    gVar.Ms.LedOpt[1] = {1, 1, 2, 1, 1, 0, 0, 7, {}};
    gVar.Ms.nSpeedNum = 3;
    gVar.Ms.nLightNum = 4;
    const LedControls m = LedControlsOf(LedDesign::Mouse, 1);
    EXPECT_EQ(m.nColors, 7);
    EXPECT_TRUE(m.bAddRemove);
    EXPECT_EQ(m.speedValues, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(m.brightValues, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(LedControlsOf(LedDesign::Mouse, 2).nColors, 0);  // no record for mode 2
}

TEST(LedPage, ValuesRoundTripThroughTheProfileAndRefuseWhatTheSlidersCannotTake)
{
    ClearGvar();
    gVar.nKbFw = 22;
    gVar.Kb.LedOpt[3] = {4, 12, 1, 1, 1, 1, 1, {}};
    gVar.Kb.nSpeedNum = 0x00040104;
    gVar.Kb.nBriNum = 0x00040104;
    static ProfileRecord pro{};
    pro = {};
    LedValues v;
    v.nSpeed = 3;
    v.nBright = 2;
    v.nDirect = 2;
    v.bFlag = true;
    v.colours = {0x0000FF, 0x00FF00};
    v.nSelected = 1;
    ASSERT_TRUE(SetCurrentLedMode(LedDesign::Keyboard, pro, 3));
    ASSERT_TRUE(WriteLedValues(LedDesign::Keyboard, pro, 3, v));
    EXPECT_EQ(pro.Kb.nLedMode, 3);
    EXPECT_EQ(pro.Kb.Led[3].nDirect, 2);
    EXPECT_EQ(pro.Kb.Led[3].clr[1], 0x00FF00u);
    LedValues back = ReadLedValues(LedDesign::Keyboard, pro, 3);
    back.colours.resize(2);
    EXPECT_EQ(back, v);

    v.nSpeed = 9;  // not on the slider: the stored speed stays
    WriteLedValues(LedDesign::Keyboard, pro, 3, v);
    EXPECT_EQ(pro.Kb.Led[3].nSpeed, 3);
    EXPECT_FALSE(WriteLedValues(LedDesign::Keyboard, pro, 24, v));
    EXPECT_FALSE(SetCurrentLedMode(LedDesign::Pad, pro, 11));

    // The pad keeps the high bits of its speed, stores its own direction codes and uses every colour.
    pro.Pad.Mode[1].nSpeed = 0x30;
    LedValues p;
    p.nSpeed = 2;
    p.nBright = 0x70;
    p.nDirect = 1;
    ASSERT_TRUE(WriteLedValues(LedDesign::Pad, pro, 1, p));
    EXPECT_EQ(pro.Pad.Mode[1].nSpeed, 0x32);
    EXPECT_EQ(pro.Pad.Mode[1].nDirect, 6);
    EXPECT_EQ(pro.Pad.Mode[1].nColorMask, 0x7F);
}

TEST(LedPage, TheMouseKeepsBetweenOneAndItsColoursInUse)
{
    ClearGvar();
    gVar.nMsFw = 1;
    gVar.Ms.LedOpt[7] = {1, 0, 8, 1, 0, 0, 0, 3, {}};
    static ProfileRecord pro{};
    pro = {};
    LedValues v;
    v.nColorCount = 9;
    ASSERT_TRUE(WriteLedValues(LedDesign::Mouse, pro, 7, v));
    const MsLedMode& m = pro.Ms.Mode[0].Led.Mode[7];
    EXPECT_EQ(m.nColorCount, 3);
    EXPECT_EQ(m.nColorMask, 0b111);
    v.nColorCount = 0;
    WriteLedValues(LedDesign::Mouse, pro, 7, v);
    EXPECT_EQ(m.nColorCount, 1);
}
