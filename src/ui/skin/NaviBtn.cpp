#include "ui/skin/NaviBtn.h"

#include <QPainter>

#include "ui/skin/SkinImages.h"

void CNaviBtn::SetScale(float fScale)
{
    m_fScale = fScale;
    update();
}

QRect CNaviBtn::PictureRect(const QImage& img) const
{
    const QSize sz = skin::LogicalSize(img);
    const int w = int(float(sz.width()) * m_fScale);
    const int h = int(float(sz.height()) * m_fScale);
    return QRect((width() - w) / 2, 0, w, h);
}

QRect CNaviBtn::CaptionRect() const
{
    const int nTop = PictureRect(m_img[kImgNr]).height() + 3;
    return QRect(0, nTop, width(), std::max(height() - nTop, 0));
}

void CNaviBtn::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const ButtonLook look = CurrentLook();
    DrawLayer(p, m_imgBack);
    const QImage& img = m_img[look.nImage];
    if (!img.isNull()) p.drawImage(PictureRect(img), img);
    DrawIcon(p);
    DrawCaption(p, CaptionRect(), Qt::AlignHCenter, m_clrText[0], true);
    DrawFrames(p);
}
