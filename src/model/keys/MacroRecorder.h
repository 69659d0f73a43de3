// The macro recorder: key presses and releases as they arrive, with the time
// between them, turned into the items of the action list. It knows nothing of
// windows; the page feeds it what the keyboard gave and shows the list.
#pragma once

#include <cstdint>

#include "keys/MacroEdit.h"

struct RecordedKey {
    uint8_t vk = 0;            // the key's code (US position); 0 = a key without one
    bool bDown = false;
    bool bAutoRepeat = false;  // the keyboard repeats a held key
    int64_t tMs = 0;           // any clock in milliseconds; only differences count
};

enum class RecordOutcome { Added, Ignored, Full };

class CMacroRecorder {
public:
    CMacroRecorder(const MacroLimits& lim, bool bAutoDelay) : m_lim(lim), m_bAutoDelay(bAutoDelay) {}

    // Empties the list and forgets the last key.
    void Start(MacroItems& items);
    // Adds the key to the list: a delay item first (auto delay on, the list not
    // empty, time gone by; held to the longest delay), then the press or
    // release. Ignored: auto-repeats, the same key in the same state again,
    // Print Screen, keys without a code. Full: the list would no longer fit
    // the devices (the key is dropped).
    RecordOutcome Feed(const RecordedKey& key, MacroItems& items);
    int Count() const { return m_nCount; }

private:
    MacroLimits m_lim;
    bool m_bAutoDelay;
    uint8_t m_lastVk = 0;
    bool m_bLastDown = false;
    int64_t m_tLast = 0;
    int m_nCount = 0;
};

// The program's key code of a Linux input key number (the kernel's key codes;
// X11 and Wayland scan codes are these + 8), by the key's place on a US
// keyboard, so the layout the user types with does not change what is stored.
// Left modifiers are the plain Shift, Ctrl and Alt codes, right ones 161, 163,
// 165; keypad Enter is 253. 0 for a key without a code.
uint8_t VkFromLinuxKey(uint32_t nKey);
