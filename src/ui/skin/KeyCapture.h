// The key capture of the message window: turns the key presses and releases
// the user makes into one combination of modifier bits and a key. Presses that
// follow each other within a second build one combination (Ctrl, then A gives
// Ctrl+A); a pause, a repeated modifier or the same key again starts a new one.
// Plain logic over virtual-key codes and times, so it is tested without windows.
#pragma once

#include <cstdint>

struct CapturedCombo {
    uint8_t byModifier = 0;  // kModLCtrl ... kModRWin
    uint8_t byKey1 = 0;
    uint8_t byKey2 = 0;      // only a caller's initial combination sets it; typing sets key 1
    bool operator==(const CapturedCombo&) const = default;
};

class CKeyCapture {
public:
    // Presses further apart than this start a new combination.
    static constexpr int64_t kComboWindowMs = 1000;

    // bSinglePress: every press starts a new combination. bModBoxes: modifier
    // presses are ignored (the window's check boxes choose the modifiers).
    // nKbType: the keyboard layout option whose capture remap applies to keys.
    void SetSinglePress(bool b) { m_bSinglePress = b; }
    void SetModBoxes(bool b) { m_bModBoxes = b; }
    void SetKbType(int nKbType) { m_nKbType = nKbType; }
    void SetCombo(const CapturedCombo& combo) { m_combo = combo; }
    const CapturedCombo& Combo() const { return m_combo; }

    // One key event (virtual-key code, pressed or released, time in ms); true
    // when the combination changed. Code 0 (a key without a code) is ignored.
    bool OnKey(uint8_t vk, bool bDown, int64_t nTimeMs);

private:
    CapturedCombo m_combo;
    bool m_bSinglePress = false;
    bool m_bModBoxes = false;
    int m_nKbType = 0;
    uint8_t m_byLastVk = 0;
    bool m_bLastDown = false;
    bool m_bHavePress = false;
    int64_t m_nLastPressMs = 0;
};
