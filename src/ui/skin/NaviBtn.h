// A navigation button: its state picture at the top, centred and drawn at the
// control's scale, and the caption below it, always in the normal caption colour.
#pragma once

#include "ui/skin/PngBtn.h"

class CNaviBtn : public CPngBtn {
    Q_OBJECT
public:
    explicit CNaviBtn(QWidget* parent = nullptr, const skin::SkinTheme& theme = skin::Theme())
        : CPngBtn(parent, theme)
    {
    }
    // Only stores the factor: the picture is drawn scaled, positions stay.
    void SetScale(float fScale) override;
    // Where the picture and the caption go in the client area.
    QRect PictureRect(const QImage& img) const;
    QRect CaptionRect() const;

protected:
    void paintEvent(QPaintEvent* e) override;
};
