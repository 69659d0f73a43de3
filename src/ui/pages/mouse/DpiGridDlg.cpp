#include "ui/pages/mouse/DpiGridDlg.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/skin/SkinImages.h"
#include "ui/skin/SkinTheme.h"

CDpiGridDlg::CDpiGridDlg(int nIndex, QWidget* pParent) : QWidget(pParent), m_nIndex(nIndex)
{
    setObjectName(QStringLiteral("level%1").arg(nIndex + 1));
    Reskin();
}

void CDpiGridDlg::SetValues(int nX, int nY)
{
    if (m_nX == nX && m_nY == nY) return;
    m_nX = nX;
    m_nY = nY;
    update();
}

void CDpiGridDlg::SetSelected(bool b)
{
    if (m_bSelected == b) return;
    m_bSelected = b;
    update();
}

void CDpiGridDlg::SetTwoLine(bool b)
{
    if (m_bTwoLine == b) return;
    m_bTwoLine = b;
    Reskin();
}

void CDpiGridDlg::SetText(const QString& str)
{
    m_strText = str;
    update();
}

QString CDpiGridDlg::ImageName() const
{
    if (m_bTwoLine) return m_bSelected ? QStringLiteral("DpiGridXY_dn.png") : QStringLiteral("DpiGridXY_nr.png");
    return m_bSelected ? QStringLiteral("dpigrid_dn.png") : QStringLiteral("dpigrid_nr.png");
}

void CDpiGridDlg::Reskin()
{
    const QImage img = skin::LoadChosenScaled(ImageName());
    const double f = skin::InterfaceScale();
    // Without a skin picture the cell keeps the size the picture has in the demo skins.
    const QSize size = img.isNull() ? QSize(int(57 * f), int((m_bTwoLine ? 36 : 23) * f)) : skin::LogicalSize(img);
    resize(size);
    update();
}

void CDpiGridDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QImage img = skin::LoadChosenScaled(ImageName());
    if (!img.isNull())
        p.drawImage(rect(), img);
    else
        p.fillRect(rect(), m_bSelected ? skin::Theme().clrSelection : skin::Theme().clrListItem);
    p.setFont(skin::Theme().font);
    p.setPen(m_bSelected ? QColor(Qt::white) : skin::Theme().clrText);
    if (!m_strText.isEmpty()) {
        p.drawText(rect(), Qt::AlignCenter, m_strText);
    } else if (m_bTwoLine) {
        const QRect top(0, 0, width(), height() / 2), bottom(0, height() / 2, width(), height() - height() / 2);
        p.drawText(top, Qt::AlignCenter, QString::number(m_nX));
        p.drawText(bottom, Qt::AlignCenter, QString::number(m_nY));
    } else {
        p.drawText(rect(), Qt::AlignCenter, QString::number(m_nX));
    }
}

void CDpiGridDlg::mousePressEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) emit clicked(m_nIndex);
}
