#include "ui/skin/KeyCapture.h"

#include "keys/KbLayout.h"
#include "keys/KeyCodes.h"

namespace {

// Both sides of the modifier a key belongs to: Ctrl keys -> 0x11 and so on.
uint8_t BothSides(uint8_t byBit)
{
    switch (byBit) {
    case kModLCtrl:
    case kModRCtrl: return kModCtrl;
    case kModLShift:
    case kModRShift: return kModShift;
    case kModLAlt:
    case kModRAlt: return kModAlt;
    case kModLWin:
    case kModRWin: return kModWin;
    default: return 0;
    }
}

}  // namespace

bool CKeyCapture::OnKey(uint8_t vk, bool bDown, int64_t nTimeMs)
{
    if (vk == 0) return false;
    // Auto-repeat sends the same press again and again: only the first counts.
    if (vk == m_byLastVk && bDown == m_bLastDown) return false;
    m_byLastVk = vk;
    m_bLastDown = bDown;
    if (!bDown) return false;

    const CapturedCombo before = m_combo;
    const uint8_t byBit = ModifierBitOfVk(vk);
    if (byBit != 0) {
        if (m_bModBoxes) return false;
        if ((m_combo.byModifier & BothSides(byBit)) != 0) m_combo = {};
    }
    const uint8_t byKey = byBit != 0 ? 0 : RemapFromCapture(vk, m_nKbType);
    if (byKey != 0 && (byKey == m_combo.byKey1 || byKey == m_combo.byKey2)) m_combo = {};
    if (m_bSinglePress || !m_bHavePress || nTimeMs - m_nLastPressMs >= kComboWindowMs) m_combo = {};
    m_bHavePress = true;
    m_nLastPressMs = nTimeMs;

    if (byBit != 0)
        m_combo.byModifier |= byBit;
    else
        m_combo.byKey1 = byKey;
    return !(m_combo == before);
}
