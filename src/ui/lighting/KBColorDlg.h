// The picture of the keyboard with one shape per key over it. It serves the
// pages that point at keys and those that colour them:
//  - key selection (view mode 1): keys with a function are marked, the key
//    under the pointer and the chosen key are outlined; a click chooses a key
//    (never the description's KeyNotToSet key) and says which;
//  - colour display (view mode 2): each key is filled with its colour at its
//    level; with painting on, a drag draws a rubber band and the keys with a
//    corner inside it are handed over at release, and a click hands over the
//    key under the pointer. The lighting preview animates this mode on a
//    timer that runs only while the view is visible.
// The colours here are for display only: the pages store what the user
// painted in the profile and write it to the device.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "core/Types.h"
// The effect engine names a member "slots", which Qt's keywords would swallow.
#pragma push_macro("slots")
#undef slots
#include "lighting/EffectUnitEngine.h"
#include "lighting/KeyboardView.h"
#pragma pop_macro("slots")

class CKBColorDlg : public QWidget {
    Q_OBJECT
public:
    enum ViewMode { kNone = 0, kSelect = 1, kColours = 2 };

    // Takes its keys, colours and options from the keyboard description; starts in colour display.
    explicit CKBColorDlg(QWidget* pParent);
    ~CKBColorDlg() override;

    // The keys again from the description (g_defKEY, gVar.Kb) and the key image of the skin.
    void LoadFromDescription();
    // A layout of the caller's (unscaled picture coordinates); colours and marks are cleared.
    void SetLayout(const KeyLayout& base);
    // Key rectangles and outline are the unscaled ones times f (the view's
    // own size follows the image at that scale).
    void ScaleKeys(double f);
    double KeyScale() const { return m_fScale; }
    // The key image at its file's pixels (empty when the skin has none).
    QSize ImageSize() const { return m_imgKeys.size(); }

    void SetViewMode(int nMode);
    int ViewMode() const { return m_nViewMode; }
    // Colour display: a drag paints a rubber band, a click names a key.
    void SetPaintEnabled(bool b) { m_bPaint = b; }
    bool PaintEnabled() const { return m_bPaint; }

    // A negative index means the chosen key (nothing when none is chosen);
    // an index past the slots is ignored.
    void SetKeyColor(int nSlot, ZColor clr);
    void SetKeyMark(int nSlot, int nValue);
    void SetKeyLevel(int nSlot, int nLevel);
    ZColor KeyColor(int nSlot) const;
    int KeyMark(int nSlot) const;
    void ClearColors();
    void SetSelected(int nSlot);
    int Selected() const { return m_nSel; }
    int Hovered() const { return m_nHover; }

    int FindKey(uint8_t vk) const { return ::FindKey(m_layout, vk); }
    int KeyAtPoint(const QPoint& pt) const { return ::KeyAtPoint(m_layout, {pt.x(), pt.y()}); }
    std::vector<uint8_t> RowOfKey(uint8_t vk) const { return ::RowOfKey(m_layout, vk); }
    int KeyHeight() const { return ::KeyHeight(m_layout); }
    QRect KeysBounds() const;
    // A key's rectangle on the view; empty for a slot out of range.
    QRect KeyRect(int nSlot) const;
    int KeyCount() const { return m_layout.nUsed; }
    // The layout as shown now (scaled, with the colours): a copy may go to another thread.
    const KeyLayout& Layout() const { return m_layout; }

    // The lighting preview: starts the effect on the keys (colour display only).
    void PlayEffect(const EffectSettings& s);
    // Stops the preview and darkens the keys.
    void StopEffect();
    bool EffectRunning() const { return m_effect.has_value(); }
    bool TimerActive() const { return m_timer.isActive(); }
    // One preview frame, as the timer takes it.
    void StepEffect();

signals:
    void keyClicked(int nSlot);
    void keysSelected(std::vector<int> keys);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    QPainterPath KeyPath(int nSlot) const;
    void UpdateTimer();
    bool ValidSlot(int n) const { return n >= 0 && n < kKbViewSlots; }

    KeyLayout m_base;    // unscaled
    KeyLayout m_layout;  // as drawn
    std::vector<int> m_marks = std::vector<int>(kKbViewSlots);
    double m_fScale = 1.0;
    QImage m_imgKeys;
    int m_nViewMode = kColours;
    bool m_bPaint = false;
    int m_nSel = -1;
    int m_nHover = -1;
    int m_nKeyNotToSet = -1;
    ZColor m_clrMark = 0, m_clrSel = 0, m_clrHover = 0;
    int m_nDrawType = 0;
    bool m_bFrameKey = true;
    bool m_bMarkFill = false;
    // The rubber band: where the press was, where the pointer is.
    std::optional<QPoint> m_ptPress;
    QPoint m_ptBand;
    bool m_bBand = false;

    std::unique_ptr<CEffectEngine> m_engine;
    std::optional<EffectSettings> m_effect;
    QTimer m_timer;
};
