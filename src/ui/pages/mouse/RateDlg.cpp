#include "ui/pages/mouse/RateDlg.h"

#include <QMouseEvent>
#include <QPainter>

#include "device/mouse/PerformanceEdit.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/SkinTheme.h"

namespace {
constexpr int kAreas = 4;
constexpr int kAreaW = 56, kAreaH = 30, kAreaGap = 4;

QString AreaImage(int nArea)
{
    static const char* const kNames[kAreas] = {"125HZ.png", "250HZ.png", "500HZ.png", "1000HZ.png"};
    return QString::fromLatin1(kNames[nArea]);
}
}  // namespace

CRateDlg::CRateDlg(const MsPageLink& link, QWidget* pParent) : QWidget(pParent), m_link(link)
{
    setObjectName(QStringLiteral("ratePage"));
    Reskin();
}

QRect CRateDlg::AreaRect(int nArea) const
{
    const QImage img = skin::LoadChosenScaled(AreaImage(std::clamp(nArea, 0, kAreas - 1)));
    const QSize size = img.isNull() ? MsScaled(0, 0, kAreaW, kAreaH).size() : skin::LogicalSize(img);
    const int nGap = MsScaled(0, 0, kAreaGap, 0).width();
    return QRect(QPoint(nArea * (size.width() + nGap), 0), size);
}

void CRateDlg::Reskin()
{
    resize(AreaRect(kAreas - 1).right() + 1, AreaRect(0).height());
    update();
}

void CRateDlg::LoadFromProfile()
{
    const MsModeSettings* pMode = m_link.Mode();
    m_nArea = pMode ? mouse::AreaOfRate(pMode->nRate) : -1;
    setEnabled(pMode != nullptr);
    update();
}

void CRateDlg::ChooseArea(int nArea)
{
    MsModeSettings* pMode = m_link.Mode();
    const int32_t nRate = mouse::RateOfArea(nArea);
    if (!pMode || nRate == 0) return;
    m_nArea = nArea;
    update();
    if (pMode->nRate == nRate) return;
    pMode->nRate = nRate;
    if (m_link.edited) m_link.edited(mouse::ApplyFlagOf(mouse::SysControl::Rate));
}

void CRateDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const skin::SkinTheme& t = skin::Theme();
    static const char* const kText[kAreas] = {"125Hz", "250Hz", "500Hz", "1000Hz"};
    for (int i = 0; i < kAreas; ++i) {
        const QRect rc = AreaRect(i);
        const QImage img = skin::LoadChosenScaled(AreaImage(i));
        if (!img.isNull()) {
            p.drawImage(rc, img);
        } else {
            p.fillRect(rc, t.clrListItem);
            p.setPen(t.clrText);
            p.drawText(rc, Qt::AlignCenter, QString::fromLatin1(kText[i]));
        }
        if (i == m_nArea) {
            // The chosen area: a frame in the selection colour and a bar under it.
            p.setPen(QPen(t.clrSelection, 2));
            p.drawRect(rc.adjusted(1, 1, -1, -1));
        } else {
            p.fillRect(rc, QColor(0, 0, 0, 90));
        }
    }
}

void CRateDlg::mousePressEvent(QMouseEvent* e)
{
    if (e->button() != Qt::LeftButton) return;
    for (int i = 0; i < kAreas; ++i)
        if (AreaRect(i).contains(e->position().toPoint())) ChooseArea(i);
}
