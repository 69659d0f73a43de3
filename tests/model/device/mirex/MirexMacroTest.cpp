// Macros and bullet macros -> the wired mouse's buffers.
#include <gtest/gtest.h>

#include "device/mouse/MouseMacro.h"
#include "device/mirex/MirexProtocol.h"
#include "keys/KeyCodes.h"
#include "model/device/mirex/MirexTestSupport.h"

using namespace mirex;
using mirextest::Act;
using mirextest::Macro;

namespace {

std::string MacroHex(const MacroRecord& rec)
{
    std::array<uint8_t, kMacroBufferMax> buf{};
    const size_t n = MacroToHd(rec, buf);
    return EmuHex(std::span(buf).first(n));
}
std::string BulletHex(const MacroRecord& rec)
{
    std::array<uint8_t, kMacroBufferMax> buf{};
    const size_t n = BulletToHd(rec, buf);
    return EmuHex(std::span(buf).first(n));
}

constexpr uint8_t kFlagPress = 1;  // bullet flag byte of a press or release step

}  // namespace

TEST(MirexMacroBuffer, DelaysKeysAndRelease)
{
    // 256 ms: 1 in the low four bits and 1, not 0, in byte 1; 300 ms: 1 and 0x2c.
    EXPECT_EQ(MacroHex(Macro(1, {Act('A', 0, 1, 256), Act('A', 0, 0, 300)})), "00 02 51 01 04 d1 2c 04");
}

TEST(MirexMacroBuffer, EventKinds)
{
    struct Row {
        MacroAction a;
        const char* pszEvent;
    };
    const Row rows[] = {
        {Act(kMacroCodeMoveLeft, 5, 1, 10), "20 0a fb"},   // negated
        {Act(kMacroCodeMoveRight, 5, 0, 10), "20 0a 05"},  // movements never carry the release bit
        {Act(kMacroCodeMoveUp, 3, 1, 10), "30 0a fd"},
        {Act(kMacroCodeMoveDown, 3, 1, 10), "30 0a 03"},
        {Act(kMacroCodeWheelUp, 1, 1, 10), "40 0a 01"},
        {Act(kMacroCodeWheelDown, 1, 1, 10), "40 0a ff"},
        {Act(kVkRControl, 0, 1, 10), "60 0a 01"},  // modifiers without their side
        {Act(kVkRShift, 0, 0, 10), "e0 0a 02"},
        {Act(kVkShift, 0, 1, 10), "60 0a 02"},
        {Act(kVkRMenu, 0, 1, 10), "60 0a 04"},
        {Act(kVkLWin, 0, 1, 10), "60 0a 08"},
        {Act(kMacroCodeLButton, 0, 1, 10), "10 0a 01"},
        {Act(kVkMsRight, 0, 1, 10), "10 0a 02"},
        {Act(kMacroCodeBack, 0, 0, 10), "90 0a 10"},
        {Act(kVkF1, 0, 1, 0x234), "52 34 3a"},
    };
    for (const Row& r : rows) EXPECT_EQ(MacroHex(Macro(1, {r.a})), std::string("00 01 ") + r.pszEvent) << r.pszEvent;
}

TEST(MirexMacroBuffer, LongDelayIsClampedNotWrapped)
{
    fake::CLogCapture log;
    // 5000 ms would wrap to 904 ms in twelve bits: the mouse gets its longest pause.
    EXPECT_EQ(MacroHex(Macro(1, {Act('A', 0, 1, 5000)})), "00 01 5f ff 04");
    EXPECT_TRUE(log.HasPrefix("StMacro_To_HdMacro: delay 5000 ms"));
}

TEST(MirexMacroBuffer, UnsendableActionIsLeftOutAndItsPauseKept)
{
    fake::CLogCapture log;
    // A key without HID usage between two events: its pause goes to the event before.
    EXPECT_EQ(MacroHex(Macro(1, {Act('A', 0, 1, 100), Act(0x07, 0, 1, 50), Act('A', 0, 0, 20)})),
              "00 02 50 96 04 d0 14 04");
    EXPECT_EQ(log.Count("StMacro_To_HdMacro: get wrong hid"), 1);
}

TEST(MirexMacroBuffer, EndsAtTheListEndAndAtTheBufferSize)
{
    EXPECT_EQ(MacroHex(Macro(1, {})), "00 00");
    EXPECT_EQ(MacroHex(Macro(1, {Act('A', 0, 1, 5), Act(0, 0, 0, 0), Act('B', 0, 1, 5)})), "00 01 50 05 04");

    MacroRecord big = Macro(1, {});
    for (MacroAction& a : big.Action) a = Act('A', 0, 1, 1);
    std::array<uint8_t, 600> buf{};
    EXPECT_EQ(MacroToHd(big, buf), kMacroBufferMax);
    EXPECT_EQ(buf[0], 0);
    EXPECT_EQ(buf[1], 168);
    EXPECT_EQ(buf[kMacroBufferMax], 0);  // nothing past the buffer
}

TEST(MirexBulletBuffer, FiveShotBullet)
{
    // Fire click held 20 ms, 20 ms pause, pointer 10 counts down: five times.
    MacroRecord b = Macro(2, {});
    for (int i = 0; i < 5; ++i) {
        b.Action[2 * i] = Act(kMacroCodeLButton, 0, 20, 20);
        b.Action[2 * i + 1] = Act(kBulletCodeMove, 0, uint16_t(10 << 8), 0);
    }
    const std::string shot = "10 14 01 90 14 01 30 00 0a";
    const std::string expected = "00 0f " + shot + " " + shot + " " + shot + " " + shot + " 10 14 01 90 14 01 30 01 0a";
    EXPECT_EQ(BulletHex(b), expected);  // the last event's zero delay byte becomes 1
}

TEST(MirexBulletBuffer, Steps)
{
    struct Row {
        MacroAction s;
        const char* pszEvents;
    };
    const Row rows[] = {
        {Act(kBulletCodeMove, 0, 0x0005, 7), "20 07 05"},         // X only, with the pause
        {Act(kBulletCodeMove, 0, 0xF605, 7), "20 00 05 30 07 f6"},  // X then Y, the pause on Y
        {Act(kBulletCodeMove, 0, 0x0000, 300), "21 2c 00"},       // no movement, only the pause
        {Act(kMacroCodeWheelUp, 0, 0x0002, 9), "40 09 02"},
        {Act(kMacroCodeWheelDown, 0, 0x0002, 9), "40 09 02"},     // both wheel codes give the same event
        {Act('A', kFlagPress, 1, 5), "50 05 04"},
        {Act('A', kFlagPress, 0, 5), "d0 05 04"},
        {Act(kVkLControl, kFlagPress, 1, 5), "60 05 01"},
        {Act(kMacroCodeLButton, 0, 300, 20), "11 2c 01 90 14 01"},  // timed click: held, released, pause
        // A click without duration keeps all twelve bits of its pause.
        {Act(kMacroCodeLButton, 0, 0, 300), "11 2c 01"},
    };
    for (const Row& r : rows) EXPECT_EQ(BulletHex(Macro(2, {r.s})), std::string("00 ") +
                                            (std::string(r.pszEvents).size() > 8 ? "02 " : "01 ") + r.pszEvents)
                                  << r.pszEvents;
}

TEST(MirexBulletBuffer, SkipsWhatTheMouseCannotPlay)
{
    fake::CLogCapture log;
    EXPECT_EQ(BulletHex(Macro(2, {Act(0, 0, 0, 40), Act(0x07, kFlagPress, 1, 5), Act('A', kFlagPress, 1, 5)})),
              "00 01 50 05 04");
    EXPECT_EQ(log.Count("StMacro_To_HdMacro: get wrong hid"), 2);
}

TEST(MirexBulletBuffer, PairsAndSinglesFitTheBuffer)
{
    // 167 single events bring the write position to 503: a pair no longer fits...
    MacroRecord b = Macro(2, {});
    for (int i = 0; i < 167; ++i) b.Action[i] = Act(kBulletCodeMove, 0, 0x0100, 1);
    b.Action[167] = Act(kMacroCodeLButton, 0, 10, 10);
    std::array<uint8_t, kMacroBufferMax> buf{};
    EXPECT_EQ(BulletToHd(b, buf), 2u + 3 * 167);
    // ... while a single one still does.
    b.Action[167] = Act(kBulletCodeMove, 0, 0x0100, 1);
    EXPECT_EQ(BulletToHd(b, buf), kMacroBufferMax);
    EXPECT_EQ(buf[1], 168);
}
