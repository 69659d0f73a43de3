// The function menu's items and the mouse key page's rules, without a page.
#include <gtest/gtest.h>

#include "core/Utf.h"
#include "keys/FunId.h"
#include "keys/FunctionMenu.h"
#include "keys/MouseKeyRules.h"

namespace {

// Every catalogue key is its own text, except the ones a test leaves empty.
std::function<std::u16string(const char*)> Texts(std::vector<std::string> empty = {})
{
    return [empty](const char* key) {
        return std::find(empty.begin(), empty.end(), key) != empty.end() ? std::u16string() : Utf8ToU16(key);
    };
}

std::vector<std::string> Keys(const std::vector<MenuItem>& items)
{
    std::vector<std::string> v;
    for (const MenuItem& m : items) v.push_back(U16ToUtf8(m.strText));
    return v;
}

TEST(FunctionMenu, PlainMouse)
{
    MouseMenuOptions o;
    o.text = Texts({"tc_three", "tc_ex1"});
    const std::vector<MenuItem> items = BuildMouseFunctionMenu(o);
    const std::vector<std::string> top = {"tc_click", "tc_menu", "tc_middle", "tc_forward", "tc_back", "tc_scrollup",
                                          "tc_scrolldown", "tc_fire", "tc_combokey", "tc_mac_def", "tc_key_off",
                                          "tc_dpi", "tc_media"};
    std::vector<std::string> seen;
    for (size_t i : MenuChildren(items, kMenuTop)) seen.push_back(U16ToUtf8(items[i].strText));
    EXPECT_EQ(seen, top);
    // Children follow their headers' indices.
    const size_t nDpi = 11, nMedia = 12;
    EXPECT_TRUE(IsMenuHeader(items, nDpi));
    EXPECT_TRUE(IsMenuHeader(items, nMedia));
    EXPECT_FALSE(IsMenuHeader(items, 0));
    EXPECT_EQ(MenuChildren(items, int(nMedia)).size(), 12u);
    const std::vector<size_t> dpi = MenuChildren(items, int(nDpi));
    ASSERT_EQ(dpi.size(), 3u);
    EXPECT_EQ(items[dpi[0]].dwCode, 0x080000A8u);
    EXPECT_EQ(items[0].dwCode, kFunLeftClick);
}

TEST(FunctionMenu, EveryOptionOnHasNoItemLimit)
{
    MouseMenuOptions o;
    o.text = Texts({"tc_three"});
    o.bProfile = true;
    o.nMsFw = 0x12;
    o.nMode = 1;
    o.bShowPUBGMenu = o.bShowReportSw = o.bRgbSW = o.bShowKeySnip = true;
    o.nShowEx = 0x0100;  // extra keys in the second mode
    o.nGunKeyParam = 5;
    o.layoutCodes = {0x080000A7, 0x080000AC, 0x080000AE};
    o.snipMenu = {1, 15, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1, 2, 3, 4};
    for (int i = 0; i < 10; ++i) o.sensorDpi[size_t(i)] = 400 * (i + 1);
    const std::vector<MenuItem> items = BuildMouseFunctionMenu(o);
    EXPECT_GT(items.size(), 50u) << "every item is offered";
    EXPECT_EQ(items[7].dwCode, kFunMenuGunPreset) << "without tc_three the gun items start at 7";
    const auto snipe = std::find_if(items.begin(), items.end(), [](const MenuItem& m) { return m.strText == u"tc_snipe"; });
    ASSERT_NE(snipe, items.end());
    const std::vector<size_t> levels = MenuChildren(items, int(snipe - items.begin()));
    ASSERT_EQ(levels.size(), 15u);
    EXPECT_EQ(items[levels[4]].strText, u"2000");
    EXPECT_EQ(items[levels[4]].dwCode, 0x080004A6u);
    const std::vector<std::string> k = Keys(items);
    for (const char* key : {"tc_rgb", "tc_reportsw", "tc_rgbsw", "tc_customkey", "tc_keysnipe", "tc_ex4"})
        EXPECT_NE(std::find(k.begin(), k.end(), key), k.end()) << key;
}

// A profile whose first key set of every mode holds the layout.
struct Keyed {
    std::unique_ptr<ProfileRecord> pro = std::make_unique<ProfileRecord>();
    KeyInfo layout[kMsModeNum][kMsKeyNum]{};
    int32_t exKey[6] = {0x31, 0x32, 0, 0, 0, 0};
    MouseKeyContext ctx;
    explicit Keyed(int32_t nMsFw = 0x02)
    {
        for (int m = 0; m < kMsModeNum; ++m)
            for (int i = 0; i < kMsKeyNum; ++i) {
                layout[m][i].FunID = MakeFunID(FUN_MOUSE, uint32_t(0x12 + (i % 3)));
                layout[m][i].MatrixInx = 100 + i;
            }
        for (auto& mode : layout) mode[0].FunID = kFunLeftClick;
        for (int m = 0; m < kMsModeNum; ++m)
            for (int t = 0; t < kMsKeySetNum; ++t) std::copy(std::begin(layout[m]), std::end(layout[m]), pro->Ms.Mode[m].Key[t]);
        ctx.nKM = 8;
        ctx.nMsFw = nMsFw;
        ctx.pLayout = layout;
        ctx.pExKey = exKey;
        ctx.text = Texts();
        ctx.isValid = [](const KeyInfo& k) { return k.FunID != 0 && k.MacroID != 0xDEAD; };
    }
    KeyInfo& Key(int m, int i) { return pro->Ms.Mode[m].Key[pro->Ms.Mode[m].nKeySet][i]; }
};

TEST(MouseKeyRules, ChosenCodesBecomeRecordsOrAskForADialog)
{
    Keyed k;
    const struct {
        const char* what;
        uint32_t dwCode;
        bool bMacros;
        KeyDialog dialog;
        std::string refusal;
        uint32_t dwFun, dwParam;
    } cases[] = {
        {"right click", 0x01000013, true, KeyDialog::None, "", 0x01000013, 0},
        {"macro", kFunMacro, true, KeyDialog::MacroPicker, "", kFunMacro, 0},
        {"macro without macros", kFunMacro, false, KeyDialog::None, "tc_msg9", 0, 0},
        {"key", kFunKeyCombo, true, KeyDialog::KeyCapture, "", kFunKeyCombo, 0},
        {"fire", kFunFire, true, KeyDialog::FireKey, "", kFunFire, 0},
        {"snipe level 4", 0x080004A6, true, KeyDialog::None, "", kFunSnipe, 5},
        {"key snipe", kFunKeySnipe, true, KeyDialog::ColourPanel, "", kFunKeySnipe, 0},
        {"extra key 1", MakeFunID(FUN_EXKEY, 1), true, KeyDialog::None, "", MakeFunID(FUN_EXKEY, 1), 0x32},
        {"extra key without a value", MakeFunID(FUN_EXKEY, 2), true, KeyDialog::None, "Wrong Ex Key Index", 0, 0},
        {"extra key 6", MakeFunID(FUN_EXKEY, 6), true, KeyDialog::None, "Wrong Ex Key Index", 0, 0},
        {"gun switch", kFunMenuGunSwitch, true, KeyDialog::None, "", kFunGunSwitch, 0},
        {"gun preset", kFunMenuGunPreset, true, KeyDialog::GunPresets, "", kFunMenuGunPreset, 0},
    };
    for (const auto& c : cases) {
        const ChooseStep s = ChooseFunction(c.dwCode, 2, *k.pro, k.ctx, c.bMacros);
        EXPECT_EQ(s.dialog, c.dialog) << c.what;
        EXPECT_EQ(U16ToUtf8(s.strMessage), c.refusal) << c.what;
        EXPECT_EQ(s.bRefused, !c.refusal.empty()) << c.what;
        if (!s.bRefused) {
            EXPECT_EQ(s.rec.FunID, c.dwFun) << c.what;
            EXPECT_EQ(s.rec.dwParam, c.dwParam) << c.what;
        }
    }
    EXPECT_EQ(CapturedKeyRecord(0, 4, 0).FunID, kFunKeyPlain);
    EXPECT_EQ(CapturedKeyRecord(2, 4, 0).FunID, kFunKeyCombo);
    EXPECT_EQ(FireKeyRecord('A', 50, 0).dwParam, 0x00413200u);

    k.Key(0, 5) = KeySnipeRecord(0xFF);
    EXPECT_EQ(U16ToUtf8(ChooseFunction(kFunKeySnipe, 2, *k.pro, k.ctx, true).strMessage), "tc_keysnipe2");
    EXPECT_EQ(ChooseFunction(kFunKeySnipe, 5, *k.pro, k.ctx, true).dialog, KeyDialog::ColourPanel) << "its own slot";
}

TEST(MouseKeyRules, TheLastLeftButtonStays)
{
    Keyed k;
    KeyInfo right{};
    right.FunID = 0x01000013;
    AssignResult r = AssignKey(*k.pro, 0, right, k.ctx);
    EXPECT_FALSE(r.bOk);
    EXPECT_EQ(r.strMessage, u"tc_ms12");
    EXPECT_EQ(k.Key(0, 0).FunID, kFunLeftClick);

    KeyInfo left{};
    left.FunID = kFunLeftClick;
    ASSERT_TRUE(AssignKey(*k.pro, 3, left, k.ctx).bOk);
    EXPECT_EQ(k.Key(0, 3).MatrixInx, 103) << "the matrix position comes from the layout";
    EXPECT_TRUE(AssignKey(*k.pro, 0, right, k.ctx).bOk) << "another left button exists now";
}

TEST(MouseKeyRules, ModeSwitchSitsInTheFirstTwoModesAndKeepsTheirLeftButtons)
{
    Keyed k;
    k.ctx.nMode = 2;
    KeyInfo sw{};
    sw.FunID = kFunModeSwitch;
    ASSERT_TRUE(AssignKey(*k.pro, 3, sw, k.ctx).bOk);
    EXPECT_EQ(k.Key(0, 3).FunID, kFunModeSwitch);
    EXPECT_EQ(k.Key(1, 3).FunID, kFunModeSwitch);
    EXPECT_NE(k.Key(2, 3).FunID, kFunModeSwitch) << "the third mode is not written";

    KeyInfo dpi{};
    dpi.FunID = 0x080000A8;
    ASSERT_TRUE(AssignKey(*k.pro, 3, dpi, k.ctx).bOk);
    EXPECT_EQ(k.Key(0, 3).FunID, k.layout[0][3].FunID) << "the first two modes take the default back";
    EXPECT_EQ(k.Key(1, 3).FunID, k.layout[0][3].FunID);
    EXPECT_EQ(k.Key(2, 3).FunID, 0x080000A8u);

    // The mode switch on the only left button of mode 1 while mode 3 is edited.
    EXPECT_FALSE(AssignKey(*k.pro, 0, sw, k.ctx).bOk);
    EXPECT_EQ(k.Key(0, 0).FunID, kFunLeftClick);
}

TEST(MouseKeyRules, MacroBuffersPerMouseKind)
{
    const struct {
        const char* what;
        int32_t nMsFw;
        int nMacros, nBullets;
        bool bNewBullet, bOk;
    } cases[] = {
        {"kind 1, 13 in use, a 14th", 0x01, 13, 0, false, true},
        {"kind 1, 14 in use, a 15th", 0x01, 9, 5, false, false},
        {"kind 1, 8 bullets, a macro", 0x01, 2, 8, false, true},
        {"kind 1, 8 bullets, a bullet", 0x01, 2, 8, true, false},
        {"kind 4, 19 in use", 0x04, 19, 0, false, true},
        {"kind 4, 20 in use", 0x04, 10, 10, true, false},
        {"kind 2, 9 macros", 0x02, 9, 0, false, true},
        {"kind 2, 10 macros", 0x02, 10, 0, false, false},
        {"kind 2, 9 bullets, a bullet", 0x02, 0, 9, true, true},
        {"kind 2, 10 bullets, a bullet", 0x02, 0, 10, true, false},
    };
    for (const auto& c : cases) {
        Keyed k(c.nMsFw);
        k.ctx.nKM = 21;
        // Spread the references over the first 20 slots of the three modes, never slot 19 of mode 0.
        int n = 0;
        for (int i = 0; i < c.nMacros + c.nBullets; ++i, ++n) {
            const int m = n / 19, s = 1 + n % 19;
            KeyInfo& key = k.Key(m, s);
            key.FunID = i < c.nMacros ? kFunMacro : kFunBullet;
            key.MacroID = 0x1000 + uint32_t(i);
        }
        KeyInfo rec{};
        rec.FunID = c.bNewBullet ? kFunBullet : kFunMacro;
        rec.MacroID = 0x9999;
        const AssignResult r = AssignKey(*k.pro, 20, rec, k.ctx);
        EXPECT_EQ(r.bOk, c.bOk) << c.what;
        if (!c.bOk) EXPECT_EQ(r.strMessage, u"tc_msg26") << c.what;
        // One already referenced is always allowed.
        if (c.nMacros > 0) {
            rec.FunID = kFunMacro;
            rec.MacroID = 0x1000;
            EXPECT_TRUE(AssignKey(*k.pro, 20, rec, k.ctx).bOk) << c.what;
        }
    }
}

TEST(MouseKeyRules, KeysWhoseFunctionIsGoneTakeTheirDefault)
{
    Keyed k;
    k.Key(0, 2) = MacroKeyRecord(0xDEAD);     // its macro was deleted
    k.Key(0, 4).FunID = MakeFunID(FUN_EXKEY, 4);  // valid though it has no text
    k.Key(0, 12) = MacroKeyRecord(0xDEAD);    // beyond the sensor's keys: not touched
    EXPECT_EQ(ResetDanglingKeys(*k.pro, k.ctx), 1);
    EXPECT_EQ(k.Key(0, 2).FunID, k.layout[0][2].FunID);
    EXPECT_EQ(k.Key(0, 4).FunID, MakeFunID(FUN_EXKEY, 4));
    EXPECT_EQ(k.Key(0, 12).MacroID, 0xDEADu);
}

}  // namespace
