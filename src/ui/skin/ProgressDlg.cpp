#include "ui/skin/ProgressDlg.h"

#include <QDebug>
#include <QKeyEvent>
#include <QPainter>
#include <QThread>

#include "core/Log.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "ui/skin/PngBtn.h"
#include "ui/skin/SkinContext.h"
#include "ui/skin/SkinImages.h"

void CProgressFeed::Post(uint32_t nMsg, uintptr_t wParam, intptr_t)
{
    if (nMsg == kMsgApplyProgress) PostPos(int(intptr_t(wParam)));
}

CProgressDlg::CProgressDlg(QWidget* pOwner) : CSkinDialog(pOwner)
{
    // The last owner of the feed may be a worker thread: the object then goes
    // on the thread it belongs to.
    m_pFeed = std::shared_ptr<CProgressFeed>(new CProgressFeed, [](CProgressFeed* p) {
        if (QThread::currentThread() == p->thread())
            delete p;
        else
            p->deleteLater();
    });
    connect(m_pFeed.get(), &CProgressFeed::posted, this, &CProgressDlg::OnSetPos, Qt::QueuedConnection);
    connect(m_pFeed.get(), &CProgressFeed::ended, this, &CProgressDlg::End, Qt::QueuedConnection);
}

CProgressDlg::~CProgressDlg()
{
    if (m_bDebug) qDebug("CProgressDlg::DestroyWindow");
}

void CProgressDlg::SetImages(const QImage& imgBack, const QImage& imgFill)
{
    m_imgFill = imgFill.width() == 0 ? QImage() : skin::ScaleImage(imgFill);
    if (SetBackground(imgBack) && !m_pClose) m_pClose = AddCloseButton();
    update();
}

void CProgressDlg::SetText(const QString& strText, const QRect& rc)
{
    m_strText = strText;
    m_rcText = rc;
    update();
}

void CProgressDlg::SetRange(int nMin, int nMax)
{
    m_nMin = nMin;
    m_nMax = nMax;
    if (m_nPos < m_nMin || m_nPos > m_nMax) m_nPos = m_nMin;
    update();
}

void CProgressDlg::PrepareApply()
{
    m_imgFill = skin::LoadCommonScaled(QStringLiteral("progress_ov.png"));
    if (SetBackgroundFile(QStringLiteral("progress_nr.png"), true) && !m_pClose) m_pClose = AddCloseButton();
    update();
    SetFillRect(QRect(45, 101, 486 - 45, 123 - 101));
    SetText(ToQString(gText.tc_msg(12)), QRect(15, 12, 455 - 15, 32 - 12));
    setWindowTitle(Text());
    SetRange(0, 100);
    OnSetPos(0);
}

int CProgressDlg::FillWidth() const
{
    if (m_nMax <= m_nMin) return 0;
    const QRect rc = S(m_rcFill);
    return int(qint64(m_nPos - m_nMin) * rc.width() / (m_nMax - m_nMin));
}

int CProgressDlg::exec()
{
    if (m_bEnded) return m_nEndResult;
    if (!HasBackground() || m_imgFill.isNull()) {
        skin::Warn(QStringLiteral("ProgressDlg skin loss"), QString());
        return kIdCancel;
    }
    return CSkinDialog::exec();
}

void CProgressDlg::OnSetPos(int nPos)
{
    if (m_bDebug) qDebug("CProgressDlg::OnSetPos = %d", nPos);
    m_nPos = nPos >= m_nMin && nPos <= m_nMax ? nPos : m_nMin;
    if (m_bDebug) LogPrintf("SetPos m_iPos=%d\n", m_nPos);
    if (isVisible()) repaint();
}

void CProgressDlg::End(bool bSuccess)
{
    m_bEnded = true;
    m_nEndResult = bSuccess ? kIdOk : kIdFailed;
    if (isVisible()) done(m_nEndResult);
}

void CProgressDlg::keyPressEvent(QKeyEvent* e)
{
    // The window waits for the device; no key closes it by accident.
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Space: e->accept(); return;
    default: CSkinDialog::keyPressEvent(e);
    }
}

void CProgressDlg::paintEvent(QPaintEvent* e)
{
    CSkinDialog::paintEvent(e);
    QPainter p(this);
    const int nFill = FillWidth();
    if (nFill > 0 && !m_imgFill.isNull()) {
        const QRect rc = S(m_rcFill);
        const QRect rcPart(rc.left(), rc.top(), nFill, rc.height());
        // The fill picture lies over the background pixel for pixel, whatever the window's size.
        const double fx = double(m_imgFill.width()) / width(), fy = double(m_imgFill.height()) / height();
        p.drawImage(rcPart, m_imgFill,
                    QRectF(rcPart.left() * fx, rcPart.top() * fy, rcPart.width() * fx, rcPart.height() * fy));
    }
    if (!m_strText.isEmpty()) {
        const QRect rc = S(m_rcText);
        p.setFont(font());
        p.setPen(TextColor());
        p.drawText(rc, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   p.fontMetrics().elidedText(m_strText, Qt::ElideRight, rc.width()));
    }
}
