// Key function codes: classes and values packed into FunID, the value tables,
// the packed parameters and the key-byte helpers. Every number here is stored
// in files or sent to devices, so the expected values are written out.
#include <gtest/gtest.h>

#include <cstring>

#include "keys/FunId.h"
#include "keys/KeyCodes.h"
#include "keys/KeyInfo.h"

namespace {

TEST(FunId, GoldenCodesOfEveryClass)
{
    struct Row {
        uint8_t byClass;
        uint32_t dwValue;
        uint32_t dwFunID;
    };
    const Row rows[] = {
        {FUN_NONE, 0, 0x00000000},      {FUN_MOUSE, kMsLeft, 0x01000011},
        {FUN_MOUSE, kMsWheelDown, 0x01000019}, {FUN_KEY, kKeyPlain, 0x020000A0},
        {FUN_KEY, kKeyCombo, 0x020000A1}, {FUN_APP, kCcMail, 0x03000030},
        {FUN_MEDIA, kCcFavourites, 0x04000039}, {FUN_MACRO, 0, 0x05000000},
        {FUN_SPECIAL, kSpFire, 0x080000A4}, {FUN_SPECIAL, kSpReportRateDown, 0x080000D1},
        {FUN_HW, 3, 0x09000003},        {FUN_MENU, kMenuGunPreset, 0x0A0000C0},
        {FUN_EXKEY, 5, 0x0B000005},     {FUN_BULLET, 0, 0x0C000000},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.dwFunID);
        EXPECT_EQ(MakeFunID(r.byClass, r.dwValue), r.dwFunID);
        EXPECT_EQ(FunClass(r.dwFunID), r.byClass);
        EXPECT_EQ(FunValue(r.dwFunID), r.dwValue);
        const FunParts parts = SplitFunID(r.dwFunID);
        EXPECT_EQ(parts.byClass, r.byClass);
        EXPECT_EQ(parts.dwValue, r.dwValue);
    }
    // A value wider than 24 bits cannot spill into the class byte.
    EXPECT_EQ(MakeFunID(FUN_MOUSE, 0xFF000011), 0x01000011u);
    EXPECT_EQ(SplitFunID(0xFFFFFFFF).byClass, 0xFF);
    EXPECT_EQ(SplitFunID(0xFFFFFFFF).dwValue, 0xFFFFFFu);
    // The named whole codes the pages compare against.
    EXPECT_EQ(kFunLeftClick, 0x01000011u);
    EXPECT_EQ(kFunModeSwitch, 0x080000ABu);
    EXPECT_EQ(kFunKeySnipe, 0x080000AFu);
    EXPECT_EQ(kFunGunPreset, 0x080000C0u);
    EXPECT_EQ(kFunGunSwitch, 0x080000C2u);
    EXPECT_EQ(kFunMenuGunSwitch, 0x0A0000C2u);
    EXPECT_EQ(kFunKeyOff, 0x080000A2u);
    EXPECT_EQ(kFunCustomKey, 0x080000ADu);
}

TEST(FunId, KnownCodesFollowTheValueTables)
{
    struct Row {
        uint32_t dwFunID;
        bool bKnown;
    };
    const Row rows[] = {
        {0x00000000, false}, {0x00000011, false},                     // no function
        {0x01000010, false}, {0x01000011, true}, {0x01000019, true}, {0x0100001A, false},
        {0x02000000, true},  {0x020000A1, true}, {0x0200FFFF, true},  // key value has no meaning
        {0x03000021, true},  {0x0400002A, true}, {0x0400002B, false}, {0x0400002F, false},
        {0x04000030, true},  {0x0400003A, false}, {0x03000020, false},
        {0x05000000, true},  {0x0C000000, true},
        {0x080000A1, false}, {0x080000A2, true}, {0x080000A4, true}, {0x080000A5, false},
        {0x080000A6, true},  {0x080000B7, true}, {0x080000B8, false}, {0x080000C0, true},
        {0x080000C1, false}, {0x080000C2, true}, {0x080000D0, true}, {0x080000D1, true},
        {0x080000D2, false},
        {0x09000000, true},  {0x09000003, true}, {0x09000004, false},
        {0x0A0000C0, false}, {0x0A0000C2, false},                     // menu tokens are never stored
        {0x0B000000, true},  {0x0B000005, true}, {0x0B000006, false},
        {0x06000000, false}, {0x07000001, false}, {0x0D000000, false}, {0xFF000011, false},
    };
    for (const Row& r : rows) EXPECT_EQ(IsKnownFunID(r.dwFunID), r.bKnown) << std::hex << r.dwFunID;
}

TEST(FunId, ConsumerUsagesOfEveryValue)
{
    const std::pair<uint32_t, uint16_t> rows[] = {
        {33, 0x183}, {34, 0x0CD}, {35, 0x0B7}, {36, 0x0B6}, {37, 0x0B5}, {38, 0x0E9}, {39, 0x0EA},
        {40, 0x0E2}, {41, 0x06F}, {42, 0x070}, {48, 0x18A}, {49, 0x192}, {50, 0x194}, {51, 0x221},
        {52, 0x223}, {53, 0x224}, {54, 0x225}, {55, 0x226}, {56, 0x227}, {57, 0x22A},
    };
    for (const auto& [v, usage] : rows) {
        EXPECT_EQ(ConsumerUsage(v), usage) << v;
        EXPECT_TRUE(IsConsumerValue(v)) << v;
    }
    for (const uint32_t v : {0u, 32u, 43u, 45u, 47u, 58u, 0x183u, 0xFFFFFFu}) {
        EXPECT_EQ(ConsumerUsage(v), 0) << v;
        EXPECT_FALSE(IsConsumerValue(v)) << v;
    }
    EXPECT_TRUE(IsConsumerClass(FUN_APP));
    EXPECT_TRUE(IsConsumerClass(FUN_MEDIA));
    EXPECT_FALSE(IsConsumerClass(FUN_KEY));
    EXPECT_TRUE(IsMacroClass(FUN_MACRO) && IsMacroClass(FUN_BULLET) && !IsMacroClass(FUN_SPECIAL));
}

TEST(FunId, FireKeyParameterBytes)
{
    // tc_fire1 value 0, tc_fire2 value 50, key 'A' -> the parameter the fire dialog stores.
    EXPECT_EQ(PackFireKey({0, 50, 'A'}), 0x00413200u);
    EXPECT_EQ(PackFireKey({255, 5, 240}), 0x00F005FFu);
    const FireKeyParam p = UnpackFireKey(0xAB4132FFu);  // byte 3 is not part of the parameter
    EXPECT_EQ(p.byFire1, 0xFF);
    EXPECT_EQ(p.byFire2, 0x32);
    EXPECT_EQ(p.byKey, 0x41);
}

TEST(FunId, GunPresetParameterBits)
{
    // Gun 3, scope 2, compensation 0x40, speed 25.
    EXPECT_EQ(PackGunPreset({3, 2, 0x40, 25}), 0x19400023u);
    // Fields wider than their bits stay in them.
    EXPECT_EQ(PackGunPreset({0x1F, 0x1F, 0, 0}), 0x000000FFu);
    const GunPresetParam p = UnpackGunPreset(0xFF7FAB56u);  // bits 8-15 are not part of a field
    EXPECT_EQ(p.nGun, 6);
    EXPECT_EQ(p.nScope, 5);
    EXPECT_EQ(p.byCompensation, 0x7F);
    EXPECT_EQ(p.bySpeed, 0xFF);
}

TEST(KeyCodes, ModifierKeysAndBits)
{
    struct Row {
        uint8_t vk, bit, side, lone;
    };
    const Row rows[] = {
        {16, 0x02, 160, 16}, {17, 0x01, 162, 17}, {18, 0x04, 164, 18},   // generic: the left key
        {160, 0x02, 160, 16}, {162, 0x01, 162, 17}, {164, 0x04, 164, 18}, // left keys kept generic
        {161, 0x20, 161, 161}, {163, 0x10, 163, 163}, {165, 0x40, 165, 165},
        {91, 0x08, 91, 91},   {92, 0x80, 92, 92},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(int(r.vk));
        EXPECT_TRUE(IsModifierVk(r.vk));
        EXPECT_EQ(ModifierBitOfVk(r.vk), r.bit);
        EXPECT_EQ(VkOfModifierBit(r.bit), r.side);
        EXPECT_EQ(LoneModifierVk(r.vk), r.lone);
    }
    for (const uint32_t vk : {0u, 15u, 19u, 65u, 90u, 93u, 159u, 166u, 240u, 255u, 0x110u}) {
        EXPECT_FALSE(IsModifierVk(vk)) << vk;
        EXPECT_EQ(ModifierBitOfVk(vk), 0) << vk;
        EXPECT_EQ(LoneModifierVk(vk), 0) << vk;
    }
    for (const uint8_t bits : {0x00, 0x03, 0x11, 0xFF}) EXPECT_EQ(VkOfModifierBit(bits), 0) << int(bits);
}

TEST(KeyCodes, MediaKeysAndMouseCodes)
{
    const std::pair<uint32_t, uint32_t> rows[] = {{136, kCcMediaSelect}, {137, kCcPlayPause}, {138, kCcStop},
                                                  {139, kCcPrevTrack},   {140, kCcNextTrack},  {141, kCcVolumeUp},
                                                  {142, kCcVolumeDown},  {143, kCcMute},       {153, kCcCalculator},
                                                  {154, kCcMyComputer}};
    for (const auto& [vk, cc] : rows) EXPECT_EQ(MediaVkToConsumer(vk), cc) << vk;
    for (const uint32_t vk : {0u, 135u, 144u, 151u, 152u, 155u, 255u, 0x188u}) EXPECT_EQ(MediaVkToConsumer(vk), 0u) << vk;
    EXPECT_FALSE(IsMouseVk(239));
    EXPECT_TRUE(IsMouseVk(240));
    EXPECT_TRUE(IsMouseVk(246));
    EXPECT_FALSE(IsMouseVk(247));
}

TEST(KeyCodes, KeyComboFoldsModifierKeys)
{
    struct Row {
        uint8_t mod, k1, k2;
        KeyCombo expect;
    };
    const Row rows[] = {
        {0x00, 'A', 0, {0x00, 'A', 0, 0}},
        {0x05, 46, 0, {0x05, 46, 0, 0}},           // Ctrl + Alt + Delete stays as given
        {0x00, 160, 0, {0x02, 0, 0, 16}},          // lone left Shift: bit, generic code
        {0x00, 16, 0, {0x02, 0, 0, 16}},
        {0x00, 165, 0, {0x40, 0, 0, 165}},         // lone right Alt
        {0x00, 92, 0, {0x80, 0, 0, 92}},
        {0x00, 0, 91, {0x08, 0, 0, 91}},           // a modifier in the second place is lone too
        {0x01, 160, 0, {0x03, 0, 0, 0}},           // with another modifier: no lone key
        {0x00, 162, 'C', {0x01, 'C', 0, 0}},       // the key moves to the first place
        {0x00, 162, 160, {0x03, 0, 0, 0}},         // two modifier keys
        {0x00, 0, 0, {0, 0, 0, 0}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << int(r.mod) << "/" << int(r.k1) << "/" << int(r.k2));
        const KeyCombo c = MakeKeyCombo(r.mod, r.k1, r.k2);
        EXPECT_EQ(c.byModifier, r.expect.byModifier);
        EXPECT_EQ(c.byKey1, r.expect.byKey1);
        EXPECT_EQ(c.byKey2, r.expect.byKey2);
        EXPECT_EQ(c.byModVk, r.expect.byModVk);
    }
}

KeyInfo KeyRecord(uint32_t dwFunID, uint8_t byModifier, uint8_t byKey1)
{
    KeyInfo k;
    std::memset(&k, 0, sizeof k);
    k.FunID = dwFunID;
    k.byModifier = byModifier;
    k.byKey1 = byKey1;
    return k;
}

TEST(KeyCodes, SingleVkOfAKeyRecord)
{
    struct Row {
        uint32_t dwFunID;
        uint8_t mod, k1, vk;
    };
    const Row rows[] = {
        {0x020000A0, 0x00, 'A', 'A'},   {0x02000000, 0x00, 0, 0},
        {0x020000A1, 0x01, 'A', 162},   // a modifier wins over the key
        {0x020000A1, 0x12, 0, 163},     // right Ctrl before left Shift
        {0x020000A1, 0x22, 0, 160},     // left Shift before right Shift
        {0x020000A1, 0x24, 0, 161},     // right Shift before left Alt
        {0x020000A1, 0x44, 0, 164},     {0x020000A1, 0xC0, 0, 165},
        {0x020000A1, 0x88, 0, 91},      {0x020000A1, 0x80, 0, 92},
        {0x04000026, 0x00, 'A', 0},     // not a key record
        {0x010000A0, 0x01, 'A', 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << r.dwFunID << " " << int(r.mod));
        EXPECT_EQ(GetSingleVk(KeyRecord(r.dwFunID, r.mod, r.k1)), r.vk);
    }
}

}  // namespace
