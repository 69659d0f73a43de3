// The virtual-key code of a key event, as the program stores keys: letters and
// digits as their capitals and digits, punctuation as the US key that carries
// it (Shift+1 still reports the 1 key), and the modifiers with their side
// (left Ctrl 162, right Ctrl 163, ...). The side comes from the platform's own
// key symbol where it gives one; without it a modifier counts as the left key.
#pragma once

#include <cstdint>

class QKeyEvent;

// X11 / xkb key symbols that tell the sides of the modifiers apart.
namespace xkeysym {
constexpr uint32_t kShiftL = 0xffe1, kShiftR = 0xffe2, kControlL = 0xffe3, kControlR = 0xffe4;
constexpr uint32_t kAltL = 0xffe9, kAltR = 0xffea, kSuperL = 0xffeb, kSuperR = 0xffec;
constexpr uint32_t kMetaL = 0xffe7, kMetaR = 0xffe8, kIsoLevel3Shift = 0xfe03;
}  // namespace xkeysym

// The code for a Qt key (Qt::Key value), its keypad flag and the platform key
// symbol (0 when unknown) and scan code (0 when unknown); 0 for keys the
// program has no code for.
uint8_t VirtualKeyOf(int nQtKey, bool bKeypad, uint32_t nNativeKey, uint32_t nScanCode);
uint8_t VirtualKeyOf(const QKeyEvent& e);
