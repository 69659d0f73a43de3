// Macros and bullet macros as the wired mouse plays them: a buffer of at most
// 506 bytes, the event count (two bytes, high byte first) and then three bytes
// per event (HdMacroEvent.h). The mouse's delays have 12 bits: a longer pause
// is sent as 4095 ms and logged, never wrapped to a short one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "device/mouse/HdMacroEvent.h"
#include "keys/BulletEditor.h"
#include "keys/MacroRecord.h"

namespace mouse {

// Kind and value of a key or button for a macro or bullet event; false for a
// code the mouse cannot send (no HID usage). Modifiers are sent without their
// side (left and right Ctrl are both 0x01). Movement codes are not keys here.
bool HdKeyEvent(uint8_t byCode, HdKind& kind, uint8_t& byValue);

// A macro's actions into out (at least kMacroBufferMax bytes), in order, until
// the list ends or 168 events are written. An action the mouse cannot send is
// logged "StMacro_To_HdMacro: get wrong hid" and left out; its pause goes to the
// event before it. Returns the buffer's length.
size_t MacroToHd(const MacroRecord& macro, std::span<uint8_t> out);

// A bullet's steps into out the same way (movements, wheel, presses, releases
// and timed clicks). Returns the buffer's length.
size_t BulletToHd(const MacroRecord& bullet, std::span<uint8_t> out);
// The events the bullet makes when nothing is cut (a timed click two, a
// movement along both axes two, other steps one).
int BulletHdEvents(const MacroRecord& bullet);
// What a bullet may hold to be played whole by the mouse: the events of one
// buffer, the loop count. Both mouse families take the same buffer.
BulletLimits BulletLimitsFor(int32_t nMsFw, int nLoopMax);

}  // namespace mouse
