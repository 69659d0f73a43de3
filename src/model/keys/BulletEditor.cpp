#include "keys/BulletEditor.h"

#include <algorithm>

void CBulletEditor::Show(MacroRecord* pRec)
{
    m_pRec = pRec;
    m_nSel = -1;
    m_items.clear();
    if (Editable()) m_items = ReadBulletItems(*pRec);
}

bool CBulletEditor::Fits(const std::vector<BulletItem>& items) const
{
    if (m_limits.nEventMax <= 0 || !m_limits.countEvents) return true;
    MacroRecord rec = *m_pRec;
    std::vector<BulletItem> merged = items;
    MergeBulletPauses(merged);
    WriteBulletItems(merged, rec);
    return m_limits.countEvents(rec) <= m_limits.nEventMax;
}

void CBulletEditor::Changed(uint32_t dwFlag)
{
    m_pRec->dwFlags |= dwFlag;
    if (dwFlag & kMacroActionsChanged) {
        // Merging pauses moves the items after the selection; keep the selected one.
        const int nSel = m_nSel;
        std::vector<int> newIndex(m_items.size());
        std::vector<BulletItem> merged;
        for (size_t i = 0; i < m_items.size(); ++i) {
            const bool bJoin = m_items[i].kind == BulletStepKind::Pause && !merged.empty() &&
                               merged.back().kind == BulletStepKind::Pause;
            if (!bJoin) merged.push_back(m_items[i]);
            newIndex[i] = int(merged.size()) - 1;
        }
        MergeBulletPauses(m_items);
        m_nSel = nSel >= 0 && nSel < int(newIndex.size()) ? newIndex[size_t(nSel)] : -1;
        WriteBulletItems(m_items, *m_pRec);
    }
}

BulletEdit CBulletEditor::Insert(const std::vector<BulletItem>& add)
{
    if (!m_pRec) return BulletEdit::NoBullet;
    if (Locked()) return BulletEdit::Locked;
    if (add.empty()) return BulletEdit::NoBullet;
    if (Weight() >= m_limits.nWeightMax) return BulletEdit::Full;
    const bool bAppend = m_nSel < 0;
    const size_t nAt = bAppend ? m_items.size() : size_t(m_nSel);
    std::vector<BulletItem> next = m_items;
    next.insert(next.begin() + ptrdiff_t(nAt), add.begin(), add.end());
    if (!Fits(next)) return BulletEdit::Full;
    m_items = std::move(next);
    const bool bGroup = add.size() == 3 && add[0].kind == BulletStepKind::Press;
    m_nSel = int(nAt) + (bGroup && bAppend ? 2 : 0);
    Changed(kMacroActionsChanged);
    return BulletEdit::Done;
}

BulletEdit CBulletEditor::AddShot()
{
    if (!m_pRec) return BulletEdit::NoBullet;
    if (Locked()) return BulletEdit::Locked;
    if (Weight() > m_limits.nWeightMax - 1) return BulletEdit::Full;
    const auto shot = BulletShotItems(uint8_t(m_pRec->nFireCode ? m_pRec->nFireCode : kBulletFireCode));
    const size_t nAt = m_nSel < 0 ? m_items.size() : size_t(m_nSel) + 1;
    std::vector<BulletItem> next = m_items;
    next.insert(next.begin() + ptrdiff_t(nAt), shot.begin(), shot.end());
    if (!Fits(next)) return BulletEdit::Full;
    m_items = std::move(next);
    Changed(kMacroActionsChanged);
    return BulletEdit::Done;
}

BulletEdit CBulletEditor::DeleteSelected()
{
    if (!m_pRec) return BulletEdit::NoBullet;
    if (Locked()) return BulletEdit::Locked;
    if (m_nSel < 0) return BulletEdit::NoBullet;
    m_items.erase(m_items.begin() + m_nSel);
    m_nSel = std::min(m_nSel, int(m_items.size()) - 1);
    Changed(kMacroActionsChanged);
    return BulletEdit::Done;
}

BulletEdit CBulletEditor::SetField(int nField, std::u16string_view text)
{
    if (!m_pRec) return BulletEdit::NoBullet;
    if (Locked()) return BulletEdit::Locked;
    if (m_nSel < 0) return BulletEdit::NoBullet;
    BulletItem& it = m_items[size_t(m_nSel)];
    const bool bMove = it.kind == BulletStepKind::Move;
    if (!bMove && nField != 1) return BulletEdit::NoBullet;
    if (it.kind == BulletStepKind::Press || it.kind == BulletStepKind::Release) return BulletEdit::NoBullet;
    int n = 0;
    const bool bOk = ParseBulletField(text, bMove, n);
    switch (it.kind) {
    case BulletStepKind::Move: {
        const int x = nField == 1 ? n : BulletMoveX(it.dwValue), y = nField == 2 ? n : BulletMoveY(it.dwValue);
        it.dwValue = BulletMoveValue(x, y);
        break;
    }
    case BulletStepKind::Pause: it.dwValue = uint32_t(n); break;
    case BulletStepKind::Click: it.dwValue = BulletClickValue(BulletClickCode(it.dwValue), uint16_t(n)); break;
    default: break;
    }
    Changed(kMacroActionsChanged);
    return bOk ? BulletEdit::Done : BulletEdit::BadValue;
}

BulletEdit CBulletEditor::EditSelected(int v1, int v2)
{
    if (!m_pRec) return BulletEdit::NoBullet;
    if (Locked()) return BulletEdit::Locked;
    if (m_nSel < 0) return BulletEdit::NoBullet;
    BulletItem& it = m_items[size_t(m_nSel)];
    const auto time = [](int v) { return uint32_t(std::clamp<int>(v, 0, int(kBulletTimeMax))); };
    switch (it.kind) {
    case BulletStepKind::Move:
        it.dwValue = BulletMoveValue(std::clamp(v1, -kBulletMoveMax, kBulletMoveMax),
                                     std::clamp(v2, -kBulletMoveMax, kBulletMoveMax));
        break;
    case BulletStepKind::Pause: it.dwValue = time(v1); break;
    case BulletStepKind::Click: it.dwValue = BulletClickValue(BulletClickCode(it.dwValue), uint16_t(time(v1))); break;
    default: return BulletEdit::NoBullet;  // presses and releases are not edited
    }
    Changed(kMacroActionsChanged);
    return BulletEdit::Done;
}

BulletEdit CBulletEditor::SetRepeatMode(int nMode)
{
    if (!m_pRec) return BulletEdit::NoBullet;
    if (Locked()) return BulletEdit::Locked;
    m_pRec->nRepeatMode = nMode == 2 ? 2 : nMode == 1 ? 1 : 0;
    if (m_pRec->nRepeatMode == 0) m_pRec->wLoopCount = 1;
    Changed(kMacroSettingsChanged);
    return BulletEdit::Done;
}

int CBulletEditor::SetLoopCount(int nCount)
{
    const int n = std::clamp(nCount, 1, std::max(1, m_limits.nLoopMax));
    if (Editable() && m_pRec->nRepeatMode == 0) {
        m_pRec->wLoopCount = uint16_t(n);
        Changed(kMacroSettingsChanged);
    }
    return n;
}
