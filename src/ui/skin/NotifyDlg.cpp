#include "ui/skin/NotifyDlg.h"

#include <QBitmap>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QRegion>
#include <cmath>

#include "core/Log.h"
#include "ui/QtText.h"
#include "ui/skin/SkinContext.h"
#include "ui/skin/SkinImages.h"

namespace {

// Heights and weights of the four lines, as character-cell heights. The glyphs
// of a cell are about four fifths of it.
struct LineLook {
    int nCellHeight;
    QFont::Weight weight;
};
constexpr LineLook kLineLooks[4] = {
    {30, QFont::ExtraBold}, {48, QFont::ExtraBold}, {48, QFont::Normal}, {30, QFont::Normal}};
constexpr double kGlyphPerCell = 0.8;

}  // namespace

CNotifyDlg::CNotifyDlg(QWidget* pMain)
    : QWidget(pMain, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    m_timerHold.setSingleShot(true);
    m_timerHold.setInterval(kHoldMs);
    m_timerFade.setInterval(kFadeStepMs);
    connect(&m_timerHold, &QTimer::timeout, this, &CNotifyDlg::OnHoldEnd);
    connect(&m_timerFade, &QTimer::timeout, this, &CNotifyDlg::OnFadeStep);
}

bool CNotifyDlg::Init()
{
    m_img = skin::LoadChosenScaled(QStringLiteral("notify.png"));
    if (m_img.isNull()) {
        LogPrintf("notify.png missing: notices are not shown\n");
        return false;
    }
    const QSize size = skin::LogicalSize(m_img);
    setFixedSize(size);
    // The key colour around the rounded picture is cut out of the window.
    const QRgb key = qRgb(int(kKeyColor & 0xFF), int((kKeyColor >> 8) & 0xFF), int((kKeyColor >> 16) & 0xFF));
    const QImage argb = m_img.convertToFormat(QImage::Format_ARGB32);
    QImage imgMask = argb.createMaskFromColor(key, Qt::MaskInColor);
    if (imgMask.size() != size) imgMask = imgMask.scaled(size);  // the mask is in the window's units
    setMask(QRegion(QBitmap::fromImage(imgMask)));
    return true;
}

void CNotifyDlg::PlaceWindow()
{
    if (m_ptPos.isNull())
        skin::CenterOnParent(this, width(), height());
    else
        move(m_ptPos);
}

void CNotifyDlg::ShowNotify(const QString& strLine1, const QString& strLine2, const QString& strLine3,
                            const QString& strLine4)
{
    const QString* src[4] = {&strLine1, &strLine2, &strLine3, &strLine4};
    for (int i = 0; i < 4; ++i) m_lines[i] = src[i]->left(kLineMax);
    m_timerFade.stop();
    m_timerHold.stop();
    m_nOpacity = kStartOpacity;
    if (m_img.isNull() && !Init()) return;
    PlaceWindow();
    show();
    raise();
    repaint();
    setWindowOpacity(m_nOpacity / 255.0);
    m_timerHold.start();
}

void CNotifyDlg::OnHoldEnd()
{
    m_timerHold.stop();
    m_timerFade.start();
}

void CNotifyDlg::OnFadeStep()
{
    setWindowOpacity(m_nOpacity / 255.0);
    m_nOpacity -= kFadeStep;
    if (m_nOpacity <= kFadeStep) {
        m_timerFade.stop();
        hide();
    }
}

QRect CNotifyDlg::LineRect(int i) const
{
    const int nRows = m_lines[2].isEmpty() ? 3 : 4;
    // Line 4 always takes the last row; line 3 has no row of its own when empty.
    int nRow = i;
    if (i == 3) nRow = nRows - 1;
    if (i == 2 && nRows == 3) return {};
    const int nRowHeight = height() / nRows;
    return QRect(0, nRow * nRowHeight, width(), nRowHeight);
}

QFont CNotifyDlg::LineFont(int i, const QString& strText, int nWidth) const
{
    const LineLook& look = kLineLooks[i];
    int nPixels = std::max(8, int(std::lround(look.nCellHeight * kGlyphPerCell * skin::InterfaceScale())));
    QFont font = skin::ControlFont(nPixels, look.weight);
    // A line too long for the window gets smaller rather than cut.
    while (nPixels > 8 && QFontMetrics(font).horizontalAdvance(strText) > nWidth) {
        --nPixels;
        font.setPixelSize(nPixels);
    }
    return font;
}

void CNotifyDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!m_img.isNull()) p.drawImage(QPoint(0, 0), m_img);
    p.setPen(ToQColor(kTextColor));
    const int nMargin = width() / 16;
    for (int i = 0; i < 4; ++i) {
        if (m_lines[i].isEmpty()) continue;
        const QRect rc = LineRect(i);
        if (rc.isEmpty()) continue;
        p.setFont(LineFont(i, m_lines[i], width() - 2 * nMargin));
        p.drawText(rc, Qt::AlignCenter | Qt::TextSingleLine, m_lines[i]);
    }
}

void CNotifyDlg::keyPressEvent(QKeyEvent* e) { e->accept(); }
void CNotifyDlg::keyReleaseEvent(QKeyEvent* e) { e->accept(); }
