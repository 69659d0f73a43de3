// The bullet shown on the bullet page, as the page edits it: its step list,
// the selected step, the repeat settings, and the rules that keep a bullet
// playable on the mouse. Every change marks the record and writes the list
// back into it at once (the record stays the one in the bullet list; its file
// is written by the page's next flush).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "keys/BulletSteps.h"

// What the mouse family takes. The weight limit is the page's own; the event
// limit is the family's buffer (events the mouse plays from one bullet).
struct BulletLimits {
    int nWeightMax = kBulletWeightMax;
    int nLoopMax = 255;
    int nEventMax = 0;                                   // 0: not checked
    std::function<int(const MacroRecord&)> countEvents;  // events the family makes of a record
};

enum class BulletEdit {
    Done,
    NoBullet,   // nothing shown, or the selection is not a step that can be changed
    Locked,     // a locked bullet is not shown or changed
    Full,       // the bullet holds as much as it can (tc_bullet16)
    BadValue,   // the field was reset to "0" and the value stored as 0
};

class CBulletEditor {
public:
    explicit CBulletEditor(BulletLimits limits = {}) : m_limits(std::move(limits)) {}

    void SetLimits(BulletLimits limits) { m_limits = std::move(limits); }
    const BulletLimits& Limits() const { return m_limits; }

    // Shows a record of the bullet list (null: nothing).
    void Show(MacroRecord* pRec);
    MacroRecord* Record() const { return m_pRec; }
    bool Locked() const { return m_pRec && m_pRec->byLock == MACRO_LOCK; }
    bool Editable() const { return m_pRec && !Locked(); }

    const std::vector<BulletItem>& Items() const { return m_items; }
    int Selected() const { return m_nSel; }
    void Select(int n) { m_nSel = n >= 0 && n < int(m_items.size()) ? n : -1; }
    int Weight() const { return BulletWeight(m_items); }

    // Adds items directly before the selected step, or at the end with none
    // selected. One new item becomes the selection; of a press, pause and
    // release the press when it went before a step, the release when appended.
    BulletEdit Insert(const std::vector<BulletItem>& add);
    // One shot (click, pause, movement, pause) after the selected step or at the end.
    BulletEdit AddShot();
    BulletEdit DeleteSelected();
    // A value field of the selected step typed into (field 1 or 2).
    BulletEdit SetField(int nField, std::u16string_view text);
    // The selected step changed in the edit window: movement X and Y, or the
    // pause or click duration in v1. Values outside the ranges are brought in.
    BulletEdit EditSelected(int v1, int v2);

    // Repeat mode 0 (loop count, set to 1) or 2 (while held).
    BulletEdit SetRepeatMode(int nMode);
    // A typed loop count: 0 becomes 1, above nLoopMax nLoopMax. The count shown.
    int SetLoopCount(int nCount);

private:
    bool Fits(const std::vector<BulletItem>& items) const;
    void Changed(uint32_t dwFlag);

    BulletLimits m_limits;
    MacroRecord* m_pRec = nullptr;
    std::vector<BulletItem> m_items;
    int m_nSel = -1;
};
