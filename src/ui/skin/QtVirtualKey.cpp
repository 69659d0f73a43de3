#include "ui/skin/QtVirtualKey.h"

#include <QKeyEvent>

#include "keys/KeyCodes.h"

namespace {

// X11 and xkb key codes are the kernel's key numbers + 8.
constexpr uint32_t kScanDigit1 = 10, kScanDigit0 = 19;
constexpr uint32_t kScan102nd = 94;  // the extra key beside left Shift on ISO keyboards

uint8_t ModifierKey(int nQtKey, uint32_t nNative)
{
    using namespace xkeysym;
    switch (nQtKey) {
    case Qt::Key_Shift: return nNative == kShiftR ? kVkRShift : kVkLShift;
    case Qt::Key_Control: return nNative == kControlR ? kVkRControl : kVkLControl;
    case Qt::Key_Alt: return nNative == kAltR || nNative == kIsoLevel3Shift ? kVkRMenu : kVkLMenu;
    case Qt::Key_AltGr: return kVkRMenu;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return nQtKey == Qt::Key_Super_R || nNative == kSuperR || nNative == kMetaR ? kVkRWin : kVkLWin;
    default: return 0;
    }
}

uint8_t KeypadKey(int nQtKey)
{
    if (nQtKey >= Qt::Key_0 && nQtKey <= Qt::Key_9) return uint8_t(96 + (nQtKey - Qt::Key_0));
    switch (nQtKey) {
    case Qt::Key_Asterisk: return 106;
    case Qt::Key_Plus: return 107;
    case Qt::Key_Minus: return 109;
    case Qt::Key_Period:
    case Qt::Key_Comma: return 110;
    case Qt::Key_Slash: return 111;
    case Qt::Key_Clear: return 12;
    default: return 0;  // navigation keys of the keypad read as the keys themselves
    }
}

// Punctuation, shifted or not, as the US key that carries it; a few letters of
// European layouts as the codes those layouts give them.
uint8_t SymbolKey(int nQtKey)
{
    switch (nQtKey) {
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return '8';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_ParenRight: return '0';
    case Qt::Key_Semicolon:
    case Qt::Key_Colon: return 186;
    case Qt::Key_Equal:
    case Qt::Key_Plus: return 187;
    case Qt::Key_Comma:
    case Qt::Key_Less: return 188;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return 189;
    case Qt::Key_Period:
    case Qt::Key_Greater: return 190;
    case Qt::Key_Slash:
    case Qt::Key_Question: return 191;
    case Qt::Key_QuoteLeft:
    case Qt::Key_AsciiTilde: return 192;
    case Qt::Key_BracketLeft:
    case Qt::Key_BraceLeft: return 219;
    case Qt::Key_Backslash:
    case Qt::Key_Bar: return 220;
    case Qt::Key_BracketRight:
    case Qt::Key_BraceRight: return 221;
    case Qt::Key_Apostrophe:
    case Qt::Key_QuoteDbl: return 222;
    // German letters, as a German layout reports them.
    case Qt::Key_Udiaeresis: return 186;
    case Qt::Key_Odiaeresis: return 192;
    case Qt::Key_Adiaeresis: return 222;
    case Qt::Key_ssharp: return 219;
    case Qt::Key_Dead_Circumflex: return 220;
    case Qt::Key_Dead_Acute: return 221;
    default: return 0;
    }
}

uint8_t NamedKey(int nQtKey)
{
    if (nQtKey >= Qt::Key_F1 && nQtKey <= Qt::Key_F24) return uint8_t(kVkF1 + (nQtKey - Qt::Key_F1));
    switch (nQtKey) {
    case Qt::Key_Backspace: return kVkBack;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return kVkTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return kVkReturn;
    case Qt::Key_Pause: return kVkPause;
    case Qt::Key_CapsLock: return kVkCapital;
    case Qt::Key_Escape: return kVkEscape;
    case Qt::Key_Space: return kVkSpace;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Print:
    case Qt::Key_SysReq: return 44;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Menu: return kVkApps;
    case Qt::Key_NumLock: return 144;
    case Qt::Key_ScrollLock: return 145;
    default: return 0;
    }
}

}  // namespace

uint8_t VirtualKeyOf(int nQtKey, bool bKeypad, uint32_t nNativeKey, uint32_t nScanCode)
{
    if (const uint8_t vk = ModifierKey(nQtKey, nNativeKey)) return vk;
    if (bKeypad) {
        if (const uint8_t vk = KeypadKey(nQtKey)) return vk;
    }
    // The digit row gives its digit whatever the layout prints on it (a French
    // keyboard types & on the 1 key), as the stored codes expect.
    if (nScanCode >= kScanDigit1 && nScanCode <= kScanDigit0)
        return uint8_t(nScanCode == kScanDigit0 ? '0' : '1' + (nScanCode - kScanDigit1));
    if (nScanCode == kScan102nd) return kVkK45;
    if (nQtKey >= Qt::Key_A && nQtKey <= Qt::Key_Z) return uint8_t('A' + (nQtKey - Qt::Key_A));
    if (nQtKey >= Qt::Key_0 && nQtKey <= Qt::Key_9) return uint8_t('0' + (nQtKey - Qt::Key_0));
    if (const uint8_t vk = NamedKey(nQtKey)) return vk;
    return SymbolKey(nQtKey);
}

uint8_t VirtualKeyOf(const QKeyEvent& e)
{
    return VirtualKeyOf(e.key(), e.modifiers().testFlag(Qt::KeypadModifier), e.nativeVirtualKey(),
                        e.nativeScanCode());
}
