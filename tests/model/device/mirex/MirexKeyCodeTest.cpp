// Key functions -> the wired mouse's 32-bit key codes, one row per class and value.
#include <gtest/gtest.h>

#include "core/SensorTables.h"
#include "device/mouse/MouseKeyCode.h"
#include "keys/FunId.h"
#include "keys/KeyCodes.h"
#include "model/device/mirex/MirexTestSupport.h"

using namespace mirex;
using mirextest::Key;

namespace {

struct CodeCase {
    const char* pszName;
    KeyInfo key;
    std::optional<uint32_t> expected;
};

KeyInfo Combo(uint8_t byMod, uint8_t k1, uint8_t k2)
{
    KeyInfo k = Key(kFunKeyCombo);
    k.byModifier = byMod;
    k.byKey1 = k1;
    k.byKey2 = k2;
    return k;
}
KeyInfo Special(uint32_t v, uint32_t dwParam = 0) { return Key(MakeFunID(FUN_SPECIAL, v), 0, dwParam); }
KeyInfo Mouse(uint32_t v) { return Key(MakeFunID(FUN_MOUSE, v)); }
KeyInfo Media(uint32_t v) { return Key(MakeFunID(FUN_MEDIA, v)); }

class MirexKeyCodeTest : public ::testing::Test {
protected:
    void SetUp() override { InitSensorTables(); }
};

}  // namespace

TEST_F(MirexKeyCodeTest, ByClassAndValue)
{
    const CodeCase cases[] = {
        {"left", Mouse(kMsLeft), 0x111},
        {"middle", Mouse(kMsMiddle), 0x411},
        {"right", Mouse(kMsRight), 0x211},
        {"forward", Mouse(kMsForward), 0x1011},
        {"back", Mouse(kMsBack), 0x811},
        {"double click", Mouse(kMsDoubleClick), 0x2320131},
        {"value 23", Mouse(kMsThree), 0x3320131},
        {"wheel up", Mouse(kMsWheelUp), 0x112},
        {"wheel down", Mouse(kMsWheelDown), 0xFF12},
        {"mouse value 26", Mouse(26), std::nullopt},
        {"ctrl+a", Combo(kModLCtrl, 'A', 0), 0x00040121},
        {"shift+a+b", Combo(kModLShift, 'A', 'B'), 0x05040221},
        {"media key stored as key", Combo(0, kVkVolumeUp, 0), 0x4022},
        {"next track bit 0", Media(kCcNextTrack), 0x0122},
        {"mute bit 4", Media(kCcMute), 0x1022},
        {"volume up bit 6", Media(kCcVolumeUp), 0x4022},
        {"app class alike", Key(MakeFunID(FUN_APP, kCcVolumeDown)), 0x8022},
        {"media select bit 8", Media(kCcMediaSelect), 0x010022},
        {"calculator bit 13", Media(kCcCalculator), 0x200022},
        {"search bit 16", Media(kCcSearch), 0x01000022},
        {"favourites bit 22", Media(kCcFavourites), 0x40000022},
        {"brightness has no bit", Media(kCcBrightnessUp), std::nullopt},
        {"key off", Special(kSpKeyOff), 0x150},
        {"fire with modifier", Special(kSpFire, PackFireKey({3, 10, kVkRShift})), 0x030A2033},
        {"fire with forward button", Special(kSpFire, PackFireKey({0, 5, kVkMsForward})), 0x00051031},
        {"fire with back button", Special(kSpFire, PackFireKey({0, 5, kVkMsBack})), 0x00050831},
        {"fire with a key", Special(kSpFire, PackFireKey({1, 6, 'A'})), 0x01060432},
        {"snipe step 3", Special(kSpSnipe, 3), 0x0342},
        {"snipe step 0", Special(kSpSnipe, 0), std::nullopt},
        {"snipe beyond steps", Special(kSpSnipe, 22), std::nullopt},
        {"lighting on/off", Special(kSpLightOnOff), 0x250},
        {"dpi up", Special(kSpDpiUp), 0x141},
        {"dpi down", Special(kSpDpiDown), 0x241},
        {"dpi cycle", Special(kSpDpiCycle), 0x41},
        {"mode switch", Special(kSpModeSwitch), 0x650},
        {"rate switch", Special(kSpReportRateSwitch), 0x450},
        {"lighting mode", Special(kSpLightModeSwitch), 0x750},
        {"key snipe", Special(kSpKeySnipe, 0xFF), 0x950},
        {"value 194", Special(kSpGunSwitch), 0x850},
        {"rate up", Special(kSpReportRateUp), 0x10450},
        {"rate down", Special(kSpReportRateDown), 0x20450},
        {"custom key passes", Special(kSpCustomKey, 0x12345678), 0x12345678},
        {"gun preset", Special(kSpGunPreset, PackGunPreset({2, 1, 5, 30})), 0x051E1360},
        {"gun preset odd scope", Special(kSpGunPreset, PackGunPreset({2, 5, 5, 30})), 0x051E0360},
        {"shift function unsupported", Special(kSpShift), std::nullopt},
        {"hardware code passes", Key(MakeFunID(FUN_HW, 1), 0, 0xDEADBEEF), 0xDEADBEEF},
        {"extra key passes", Key(MakeFunID(FUN_EXKEY, 2), 0, 0x4321), 0x4321},
        {"menu token is not a key", Key(kFunMenuGunPreset), std::nullopt},
        {"no class", Key(MakeFunID(7, 1)), std::nullopt},
    };
    for (const CodeCase& c : cases) EXPECT_EQ(mirex::MouseKeyCode(c.key, 0x3360, nullptr), c.expected) << c.pszName;
}

TEST_F(MirexKeyCodeTest, MacroAndBulletTakeModeAndCountFromTheirRecord)
{
    MacroRecord rec{};
    rec.nRepeatMode = 1;
    rec.wLoopCount = 0;
    EXPECT_EQ(mirex::MouseKeyCode(Key(kFunMacro, 7), 0x3360, &rec), 0x01020070u);  // count 0 goes out as 1
    rec.nRepeatMode = 2;
    rec.wLoopCount = 3;
    EXPECT_EQ(mirex::MouseKeyCode(Key(kFunBullet, 7), 0x3360, &rec), 0x03048060u);
    rec.nRepeatMode = 0;
    rec.wLoopCount = 999;  // beyond a byte: the most the mouse repeats
    EXPECT_EQ(mirex::MouseKeyCode(Key(kFunMacro, 7), 0x3360, &rec), 0xFF010070u);
}

TEST_F(MirexKeyCodeTest, SnipeLockCodeAboveAByteIsClamped)
{
    // 0x3395 counts its codes from 0 over 260 steps: step 300 does not exist, step 260 has code 259.
    EXPECT_EQ(mirex::MouseKeyCode(Special(kSpSnipe, 260), 0x3395, nullptr), 0xFF42u);
    EXPECT_EQ(mirex::MouseKeyCode(Special(kSpSnipe, 300), 0x3395, nullptr), std::nullopt);
}

TEST(MirexVkToHid, SpotRows)
{
    const std::pair<uint8_t, uint8_t> rows[] = {
        {'A', 0x04}, {'Z', 0x1D}, {'1', 0x1E}, {'0', 0x27}, {kVkReturn, 0x28}, {kVkEscape, 0x29},
        {kVkF1, 0x3A}, {0x7B, 0x45}, {0x7C, 0x68}, {0x60, 0x62}, {0x69, 0x61}, {0x25, 0x50},
        {0xA0, 0xE1}, {0xA1, 0xE5}, {0xA2, 0xE0}, {0xA3, 0xE4}, {0xA4, 0xE2}, {0xA5, 0xE6},
        {0x5B, 0xE3}, {0x5C, 0xE7}, {0xFD, 0x58}, {0xE2, 0x64}, {0xD8, 0x32}, {0xC1, 0x87},
        {0xC2, 0x85}, {0xC3, 0x89}, {0xD7, 0x88}, {0xDA, 0x8A}, {0xEB, 0x8B}, {0xBA, 0x33},
        {0x07, 0x00}, {0xFF, 0x00}, {kVkMsLeft, 0x00},
    };
    for (const auto& [vk, hid] : rows) EXPECT_EQ(VkToHid(vk), hid) << "vk " << int(vk);
}
