// The keyboard block of a profile record seen through bounds checks: every
// keyboard family reads and fills the block only through these views, so an
// index that came from cfg.ini or from a profile file (a key slot, a mode, a
// colour group) never addresses past its array. Out-of-range reads give a
// neutral value (null, 0, -1); out-of-range writes are dropped.
#pragma once

#include <cstdint>

#include "core/ProfileRecord.h"

namespace kb {

class CKbBlock {
public:
    explicit CKbBlock(const KbSettings& s) : m_s(s) {}

    // Key slot 0..131; null outside.
    const KeyInfo* Key(int nSlot) const { return ValidSlot(nSlot) ? &m_s.Key[nSlot] : nullptr; }
    // The lighting mode in use; -1 when the stored value is no mode.
    int LedMode() const { return ValidMode(m_s.nLedMode) ? m_s.nLedMode : -1; }
    // Lighting record of mode 0..23; null outside.
    const KbLedMode* Mode(int m) const { return ValidMode(m) ? &m_s.Led[m] : nullptr; }
    // The current colour group; -1 when the stored value is no group.
    int CurGroup() const { return ValidGroup(m_s.nCurGameGroup) ? int(m_s.nCurGameGroup) : -1; }
    bool GroupUsed(int g) const { return ValidGroup(g) && m_s.byGameGroupUsed[g] != 0; }
    // Colour of key slot nSlot in group g; 0 outside.
    ZColor GameColour(int g, int nSlot) const { return ValidGroup(g) && ValidSlot(nSlot) ? m_s.clrGameKey[g][nSlot] : 0; }
    const KeyInfo* DirectKey(int i) const { return i >= 0 && i < kKbDirectKeyNum ? &m_s.DirectKey[i] : nullptr; }
    uint16_t SleepTime() const { return m_s.nSleepTime; }
    uint16_t LedOption2() const { return m_s.nLedOption2; }

    static constexpr bool ValidSlot(int n) { return n >= 0 && n < kKbKeyNum; }
    static constexpr bool ValidMode(int m) { return m >= 0 && m < kKbLedModeNum; }
    static constexpr bool ValidGroup(int g) { return g >= 0 && g < kKbGameGroupNum; }

private:
    const KbSettings& m_s;
};

// The same block for filling (defaults).
class CKbBlockEdit {
public:
    explicit CKbBlockEdit(KbSettings& s) : m_s(s) {}
    CKbBlock View() const { return CKbBlock(m_s); }

    void Clear() { m_s = KbSettings{}; }
    void SetKey(int nSlot, const KeyInfo& k)
    {
        if (CKbBlock::ValidSlot(nSlot)) m_s.Key[nSlot] = k;
    }
    KbLedMode* Mode(int m) { return CKbBlock::ValidMode(m) ? &m_s.Led[m] : nullptr; }
    void SetLedMode(int m) { m_s.nLedMode = CKbBlock::ValidMode(m) ? m : 0; }
    void SetCurGroup(int g) { m_s.nCurGameGroup = uint16_t(CKbBlock::ValidGroup(g) ? g : 0); }
    void SetGroupUsed(int g, bool b)
    {
        if (CKbBlock::ValidGroup(g)) m_s.byGameGroupUsed[g] = b ? 1 : 0;
    }
    void SetGameColour(int g, int nSlot, ZColor clr)
    {
        if (CKbBlock::ValidGroup(g) && CKbBlock::ValidSlot(nSlot)) m_s.clrGameKey[g][nSlot] = clr;
    }
    void ClearGroup(int g)
    {
        if (CKbBlock::ValidGroup(g))
            for (ZColor& c : m_s.clrGameKey[g]) c = 0;
    }
    void SetDirectKey(int i, const KeyInfo& k)
    {
        if (i >= 0 && i < kKbDirectKeyNum) m_s.DirectKey[i] = k;
    }
    void SetSleepTime(uint16_t n) { m_s.nSleepTime = n; }
    void SetLedOption2(uint16_t n) { m_s.nLedOption2 = n; }
    void SetReserved0(int32_t n) { m_s.nReserved[0] = n; }

private:
    KbSettings& m_s;
};

}  // namespace kb
