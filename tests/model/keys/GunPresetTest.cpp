// Gun presets: default records from the description, key records both ways,
// the typing rules of the value and speed fields, and the apply check of the
// preset option.
#include <gtest/gtest.h>

#include <memory>

#include "keys/GunPreset.h"

namespace {

constexpr uint8_t kGunValue[kGunValueCount] = {13, 40, 10, 11, 45, 10, 11, 41, 10, 11, 0,
                                               10, 12, 44, 10, 12, 0,  10, 8,  0,  8};

}  // namespace

TEST(GunPreset, DefaultsPerGun)
{
    const auto d = DefaultGunPresets(kGunValue);
    const uint32_t colours[] = {0x0000FF, 0xFF0000, 0x00FF00, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    for (int g = 0; g < kGunCount; ++g) {
        EXPECT_EQ(d[size_t(g)].nGun, g);
        EXPECT_EQ(d[size_t(g)].nScope, 0);
        EXPECT_EQ(d[size_t(g)].nValue, kGunValue[g * 3]);
        EXPECT_EQ(d[size_t(g)].nSpeed, 25);
        EXPECT_EQ(d[size_t(g)].dwColor, colours[g]);
        EXPECT_EQ(d[size_t(g)].dwBullet, 0u);
    }
    EXPECT_EQ(GunScopeValue(kGunValue, 2, 1), 41);
    EXPECT_FALSE(GunHasScope(6, 1));
    EXPECT_FALSE(GunHasScope(3, 1));
    EXPECT_TRUE(GunHasScope(4, 1));
    EXPECT_TRUE(GunHasScope(6, 2));
}

TEST(GunPreset, KeyRecordsBothWays)
{
    KeyInfo key{};
    key.FunID = kFunGunPreset;
    key.dwParam = 0x19280012;
    key.dwColor = 0x00FF00;
    GunPreset p;
    bool bBullet = true;
    ASSERT_TRUE(GunPresetOfKey(key, p, bBullet));
    EXPECT_FALSE(bBullet);
    EXPECT_EQ(p, (GunPreset{2, 1, 40, 25, 0x00FF00, 0}));
    const KeyInfo back = GunPresetKeyRecord(p, false);
    EXPECT_EQ(back.FunID, 0x080000C0u);
    EXPECT_EQ(back.dwParam, 0x19280012u);

    p.dwBullet = 0x11492C;
    const KeyInfo b = GunPresetKeyRecord(p, true);
    EXPECT_EQ(b.FunID, 0x0C000000u);
    EXPECT_EQ(b.MacroID, 0x11492Cu);
    EXPECT_EQ(b.dwParam, 0x19280012u);
    ASSERT_TRUE(GunPresetOfKey(b, p, bBullet));
    EXPECT_TRUE(bBullet);
    EXPECT_EQ(p.dwBullet, 0x11492Cu);

    key.FunID = 0x01000011;
    EXPECT_FALSE(GunPresetOfKey(key, p, bBullet));
}

TEST(GunPreset, FieldTyping)
{
    struct Row {
        std::u16string in;
        int nMax;
        std::u16string out;
    };
    const Row rows[] = {{u"", 255, u""},      {u"0", 127, u"1"},   {u"x", 127, u"1"},
                        {u"300", 255, u"255"}, {u"128", 127, u"127"}, {u"42", 127, u"42"},
                        {u"99999999999999999", 255, u"255"}};
    for (const Row& r : rows) EXPECT_EQ(FixGunField(r.in, r.nMax), r.out);
    EXPECT_EQ(GunFieldValue(u""), 10);
    EXPECT_EQ(GunFieldValue(u"300"), 300 & 0xFF);
    EXPECT_EQ(GunFieldValue(u"40"), 40);
}

TEST(GunPreset, ApplyCheckOfTheOption)
{
    EXPECT_FALSE(CheckGunOption(nullptr));
    auto pro = std::make_unique<ProfileRecord>();
    KeyInfo(&keys)[kMsKeyNum] = pro->Ms.Mode[1].Key[0];
    keys[4].FunID = kFunGunPreset;
    EXPECT_TRUE(CheckGunOption(pro.get()));  // option off
    SetGunOption(*pro, true);
    EXPECT_EQ(pro->Ms.Mode[1].nGunOption, 1);
    EXPECT_FALSE(CheckGunOption(pro.get()));
    keys[5].FunID = kFunGunSwitch;
    EXPECT_TRUE(CheckGunOption(pro.get()));
    keys[4].FunID = 0x01000011;
    EXPECT_TRUE(CheckGunOption(pro.get()));
    // Only the active key set counts.
    keys[4].FunID = kFunGunPreset;
    pro->Ms.Mode[1].nKeySet = 1;
    pro->Ms.Mode[1].Key[1][0].FunID = kFunGunPreset;
    EXPECT_FALSE(CheckGunOption(pro.get()));
}
