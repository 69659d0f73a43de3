// What both skinned sliders share, built on Qt's own slider: range, value,
// single and page steps, the arrow, page, Home and End keys, valueChanged(),
// sliderMoved(), sliderPressed() and sliderReleased(), accessibility. Each
// slider adds only its drawing and how a point maps to a position.
//
// On top of Qt's signals a page hears two of ours, both carrying the value a
// position stands for (the position itself, or an entry of a value list):
// moving() while the thumb is dragged (when live reports are on) and
// released() when the user chose a value: a drag that ended elsewhere than it
// began, a click on the bar, a key or the wheel. A value set by the program
// reports neither.
#pragma once

#include <QAbstractSlider>

#include "ui/skin/SkinTheme.h"

class IPrompt;
class QPainter;

class CSkinSlider : public QAbstractSlider {
    Q_OBJECT
public:
    // The value the current position stands for.
    int SelectedValue() const { return ValueOfPosition(value()); }
    // Moves to the position standing for nValue without reporting it; false
    // when no position does (what happens then is the slider's own rule).
    virtual bool SelectValue(int nValue) = 0;
    // The value a position stands for.
    virtual int ValueOfPosition(int nPos) const { return nPos; }

    // Report moving() while the thumb is dragged.
    void SetLiveNotify(bool b) { m_bLiveNotify = b; }
    bool LiveNotify() const { return m_bLiveNotify; }
    void SetFrameDebug(bool b);
    // Where the slider's warnings go (null: the program's prompt).
    void SetPrompt(IPrompt* pPrompt) { m_pPrompt = pPrompt; }

signals:
    void moving(int nValue);
    void released(int nValue);

protected:
    CSkinSlider(QWidget* parent, Qt::Orientation orientation, const skin::SkinTheme& theme);

    // The user chose position nPos (a click, a key, the wheel, the end of a
    // drag): it becomes the value, and released() goes out when it changed
    // from nBefore.
    void Choose(int nPos, int nBefore);
    // A drag begins, passes over position nPos, ends.
    void BeginDrag();
    void DragOver(int nPos);
    void EndDrag(int nPos);
    bool IsDragging() const { return isSliderDown(); }
    // The thumb follows a value set in any way; the slider redraws.
    virtual void PlaceThumb() {}
    // The page step both sliders use: a tenth of the positions, at least one.
    void UpdatePageStep();

    void sliderChange(SliderChange change) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    // The keyboard-focus mark and the debug frame.
    void DrawFocus(QPainter& p) const;

    IPrompt* m_pPrompt = nullptr;
    bool m_bFrameDebug = false;
    QString m_strTitle;  // the caption of the slider's warnings

private:
    bool m_bLiveNotify = false;
    bool m_bKeyFocus = false;
    int m_nWheel = 0;
    int m_nBefore = 0;
    int m_nLastSent = 0;
    bool m_bSentAny = false;
};
