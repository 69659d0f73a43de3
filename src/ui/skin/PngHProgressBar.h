// The image progress bar: a background picture with a fill picture shown from the
// left up to the position. It can be made draggable, so the user sets the
// position by dragging; the end of a drag is reported (dragEnded).
#pragma once

#include <QImage>
#include <QWidget>

class CPngHProgressBar : public QWidget {
    Q_OBJECT
public:
    // A bar at rc in pParent with the images cut to its size; range 1..100,
    // position 0, draggable.
    CPngHProgressBar(QWidget* pParent, const QImage& imgBack, const QImage& imgFill, const QRect& rc);
    void SetRange(int nMin, int nMax);
    // A position outside the range becomes the minimum.
    void SetPos(int nPos);
    int Pos() const { return m_nPos; }
    int Min() const { return m_nMin; }
    int Max() const { return m_nMax; }
    // A bar that only shows progress must not take the pointer.
    void SetDraggable(bool b);
    bool IsDraggable() const { return m_bDraggable; }
    bool IsDragging() const { return m_bDragging; }
    // Pixels of fill shown at the current position.
    int FillWidth() const;

signals:
    void dragEnded(int nPos);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void StopDrag();

    QImage m_imgBack, m_imgFill;
    int m_nMin = 1, m_nMax = 100, m_nPos = 0;
    bool m_bDraggable = true;
    bool m_bDragging = false;
};
