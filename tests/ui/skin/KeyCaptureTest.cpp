// The key capture of the message window (presses and releases into one
// combination) and the virtual-key codes of Qt key events.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <string>
#include <vector>

#include "keys/KeyCodes.h"
#include "ui/skin/KeyCapture.h"
#include "ui/skin/QtVirtualKey.h"

namespace {

struct KeyStep {
    uint8_t vk;
    bool bDown;
    int64_t nMs;
};

CapturedCombo Capture(const std::vector<KeyStep>& steps, bool bSinglePress = false, bool bModBoxes = false,
                      int nKbType = 0)
{
    CKeyCapture capture;
    capture.SetSinglePress(bSinglePress);
    capture.SetModBoxes(bModBoxes);
    capture.SetKbType(nKbType);
    for (const KeyStep& s : steps) capture.OnKey(s.vk, s.bDown, s.nMs);
    return capture.Combo();
}

constexpr bool D = true, U = false;

}  // namespace

TEST(KeyCapture, PressesWithinASecondMakeOneCombination)
{
    struct Case {
        const char* pszWhat;
        std::vector<KeyStep> steps;
        bool bSinglePress;
        CapturedCombo expected;
    };
    const Case cases[] = {
        {"Ctrl then A", {{kVkLControl, D, 0}, {'A', D, 300}, {'A', U, 400}, {kVkLControl, U, 450}}, false,
         {kModLCtrl, 'A', 0}},
        {"Ctrl, pause 1.2 s, A", {{kVkLControl, D, 0}, {kVkLControl, U, 100}, {'A', D, 1200}}, false, {0, 'A', 0}},
        {"exactly one second apart starts anew", {{kVkLControl, D, 0}, {'A', D, 1000}}, false, {0, 'A', 0}},
        {"Ctrl, Ctrl again", {{kVkLControl, D, 0}, {kVkLControl, U, 50}, {kVkLControl, D, 100}}, false,
         {kModLCtrl, 0, 0}},
        {"left Ctrl then right Ctrl: the same modifier", {{kVkLControl, D, 0}, {kVkRControl, D, 100}}, false,
         {kModRCtrl, 0, 0}},
        {"right Shift, left Alt, key", {{kVkRShift, D, 0}, {kVkLMenu, D, 200}, {'S', D, 400}}, false,
         {uint8_t(kModRShift | kModLAlt), 'S', 0}},
        {"A, A again", {{'A', D, 0}, {'A', U, 50}, {'A', D, 100}}, false, {0, 'A', 0}},
        {"A then B: the last key", {{'A', D, 0}, {'B', D, 100}}, false, {0, 'B', 0}},
        {"a held key repeats", {{kVkLControl, D, 0}, {'A', D, 100}, {'A', D, 150}, {'A', D, 200}}, false,
         {kModLCtrl, 'A', 0}},
        {"single press: Ctrl then A", {{kVkLControl, D, 0}, {'A', D, 100}}, true, {0, 'A', 0}},
        {"a release alone changes nothing", {{'A', D, 0}, {'A', U, 5000}}, false, {0, 'A', 0}},
        {"no code", {{'A', D, 0}, {0, D, 10}}, false, {0, 'A', 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(Capture(c.steps, c.bSinglePress), c.expected) << c.pszWhat;
}

TEST(KeyCapture, WithModifierBoxesTypedModifiersAreIgnored)
{
    EXPECT_EQ(Capture({{kVkLControl, D, 0}, {'A', D, 100}}, false, true), (CapturedCombo{0, 'A', 0}));
    EXPECT_EQ(Capture({{kVkLShift, D, 0}}, false, true), CapturedCombo{});
}

TEST(KeyCapture, KeysGoThroughTheLayoutsCaptureRemap)
{
    // A QWERTZ keyboard reports Z for the key at the US position of Y.
    EXPECT_EQ(Capture({{'Z', D, 0}}, false, false, 1).byKey1, uint8_t('Y'));
    EXPECT_EQ(Capture({{'Z', D, 0}}, false, false, 0).byKey1, uint8_t('Z'));
    // The same stored key pressed again (after the remap) starts anew instead of piling up.
    CKeyCapture capture;
    capture.SetKbType(1);
    capture.OnKey(kVkLControl, true, 0);
    capture.OnKey('Z', true, 100);
    capture.OnKey('Z', false, 150);
    EXPECT_TRUE(capture.OnKey('Z', true, 200));
    EXPECT_EQ(capture.Combo(), (CapturedCombo{0, 'Y', 0}));
}

TEST(QtVirtualKey, CodesOfKeyEvents)
{
    using namespace xkeysym;
    struct Case {
        int nKey;
        bool bKeypad;
        uint32_t nNative, nScan;
        uint8_t vk;
    };
    const Case cases[] = {
        {Qt::Key_A, false, 0, 0, 'A'},
        {Qt::Key_Z, false, 0, 0, 'Z'},
        {Qt::Key_5, false, 0, 0, '5'},
        {Qt::Key_Exclam, false, 0, 0, '1'},          // Shift+1 is still the 1 key
        {Qt::Key_Ampersand, false, 0, 10, '1'},      // a French 1 key
        {Qt::Key_Question, false, 0, 0, 191},
        {Qt::Key_Semicolon, false, 0, 0, 186},
        {Qt::Key_BraceRight, false, 0, 0, 221},
        {Qt::Key_F1, false, 0, 0, kVkF1},
        {Qt::Key_F12, false, 0, 0, 123},
        {Qt::Key_Escape, false, 0, 0, kVkEscape},
        {Qt::Key_Return, false, 0, 0, kVkReturn},
        {Qt::Key_Enter, true, 0, 0, kVkReturn},
        {Qt::Key_Backtab, false, 0, 0, kVkTab},
        {Qt::Key_Delete, false, 0, 0, 46},
        {Qt::Key_Left, false, 0, 0, 37},
        {Qt::Key_7, true, 0, 0, 103},                // keypad 7
        {Qt::Key_Plus, true, 0, 0, 107},
        {Qt::Key_Home, true, 0, 0, 36},              // keypad without Num Lock
        {Qt::Key_Less, false, 0, 94, kVkK45},        // the extra ISO key
        {Qt::Key_Shift, false, 0, 0, kVkLShift},
        {Qt::Key_Shift, false, kShiftR, 62, kVkRShift},
        {Qt::Key_Control, false, kControlL, 37, kVkLControl},
        {Qt::Key_Control, false, kControlR, 105, kVkRControl},
        {Qt::Key_Alt, false, kAltR, 0, kVkRMenu},
        {Qt::Key_AltGr, false, 0, 0, kVkRMenu},
        {Qt::Key_Meta, false, kSuperL, 0, kVkLWin},
        {Qt::Key_Super_R, false, 0, 0, kVkRWin},
        {Qt::Key_VolumeUp, false, 0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VirtualKeyOf(c.nKey, c.bKeypad, c.nNative, c.nScan), c.vk) << std::hex << c.nKey;

    // The event form reads the same fields.
    const QKeyEvent e(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier, 62, kShiftR, 0);
    EXPECT_EQ(VirtualKeyOf(e), kVkRShift);
    const QKeyEvent keypad(QEvent::KeyPress, Qt::Key_3, Qt::KeypadModifier);
    EXPECT_EQ(VirtualKeyOf(keypad), 99);
}
