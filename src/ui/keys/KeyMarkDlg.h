// The picture of the mouse beside its key page: numbered marks where the
// buttons sit (the one the key page points at is lit, a click on one says
// which key it is), and the preview of the chosen lighting effect laid over
// the lit parts of the picture through the mask. The preview steps on a timer
// that runs only while the picture is visible.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <array>
#include <vector>

#include "core/Gvar.h"
#include "lighting/MousePreview.h"
#include "ui/pages/Page.h"

class CPngBtn;

class CKeyMarkDlg : public QWidget {
    Q_OBJECT
public:
    CKeyMarkDlg(const PageContext& ctx, QWidget* parent);

    // Reloads the pictures, the mask and the marks (sensor or skin changed).
    void Reload();

    // Lights the mark of the slot and darkens the others; a slot outside the
    // keys of the mouse lights none.
    void HighlightMark(int nSlot);
    int LitMark() const { return m_nLit; }
    CPngBtn* Mark(int nSlot) const;

    // Starts a preview program; its first step is shown at once.
    void RunPreviewProgram(const PreviewProgram& prog);
    // While paused (a modal window is open) the preview does not step.
    void SetPreviewPaused(bool b) { m_preview.SetPaused(b); }
    const CMousePreview& Preview() const { return m_preview; }
    bool TimerActive() const { return m_timer.isActive(); }
    bool HasMask() const { return !m_mask.empty(); }
    // The picture as drawn now (with the preview colours).
    const QImage& Current() const { return m_imgCurrent; }

signals:
    void MarkClicked(int nSlot);

protected:
    void paintEvent(QPaintEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    void StepPreview();
    void Compose();
    void UpdateTimer();
    void PlaceMarks();

    PageContext m_ctx;
    QImage m_imgNormal, m_imgDown, m_imgCurrent;
    std::vector<uint8_t> m_rgb;    // the normal picture, 3 bytes a pixel
    std::vector<uint8_t> m_mask;   // alpha per pixel; empty: no preview colours
    std::array<CPngBtn*, kMsKeyCount> m_marks{};
    int m_nLit = -1;
    CMousePreview m_preview;
    QTimer m_timer;
};
