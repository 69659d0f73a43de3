#include "ui/skin/SkinDialog.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <cmath>

#include "ui/skin/PngBtn.h"
#include "ui/skin/SkinControls.h"
#include "ui/skin/SkinContext.h"
#include "ui/skin/SkinImages.h"

// A page that opens a window owns it through its top-level window, on which
// the window is centred.
CSkinDialog::CSkinDialog(QWidget* pOwner)
    : QDialog(pOwner ? pOwner->window() : nullptr, Qt::Dialog | Qt::FramelessWindowHint)
{
    setModal(true);
    setFont(skin::InterfaceFont());
    m_fScale = skin::InterfaceScale();
}

void CSkinDialog::reject() { done(kIdCancel); }

bool CSkinDialog::SetBackground(const QImage& img)
{
    if (img.isNull() || img.width() == 0) {
        m_imgBack = QImage();
        return false;
    }
    m_sizeBase = img.size();
    m_imgBack = skin::ScaleImage(img);
    skin::CenterOnParent(this, m_imgBack.width(), m_imgBack.height());
    setFixedSize(m_imgBack.size());
    return true;
}

int CSkinDialog::S(int v) const
{
    const double f = v * m_fScale;
    return int(std::floor(f + 1e-6));
}

QRect CSkinDialog::S(const QRect& rc) const
{
    // The edges are scaled, so neighbouring rectangles stay neighbours.
    const int l = S(rc.left()), t = S(rc.top());
    return QRect(l, t, S(rc.left() + rc.width()) - l, S(rc.top() + rc.height()) - t);
}

CPngBtn* CSkinDialog::AddButton(const QString& strNr, const QString& strOv, const QPoint& pt, const QString& strText,
                                const QString& strDn)
{
    const QImage imgNr = skin::LoadChosen(strNr);
    if (imgNr.isNull()) return nullptr;
    const QRect rc = S(QRect(pt, imgNr.size()));
    return CreateSkinButton(this, m_imgBack, strNr, strOv, strDn.isEmpty() ? strOv : strDn, strText, false, rc, 0,
                            nullptr);
}

void CSkinDialog::PlaceButton(CPngBtn* pBtn, const QRect& rc)
{
    if (!pBtn) return;
    pBtn->setGeometry(rc);
    if (!m_imgBack.isNull()) pBtn->SetBackground(m_imgBack, rc);
}

CPngBtn* CSkinDialog::AddCloseButton()
{
    CPngBtn* pBtn = AddButton(QStringLiteral("exit_nr.png"), QStringLiteral("exit_ov.png"),
                              QPoint(m_sizeBase.width() - 36, 10), QString());
    if (pBtn) connect(pBtn, &QAbstractButton::clicked, this, [this] { OnClose(); });
    return pBtn;
}

bool CSkinDialog::ClickFocusedButton()
{
    auto* pBtn = qobject_cast<CPngBtn*>(focusWidget());
    if (!pBtn || pBtn->window() != this || !pBtn->isVisible()) return false;
    pBtn->click();
    return true;
}

void CSkinDialog::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!m_imgBack.isNull()) p.drawImage(rect(), m_imgBack);
}

void CSkinDialog::mousePressEvent(QMouseEvent* e)
{
    // Only the background is under this handler: the controls take their own clicks.
    if (e->button() == Qt::LeftButton) {
        m_bDragging = true;
        m_ptGrab = e->globalPosition().toPoint() - frameGeometry().topLeft();
        e->accept();
        return;
    }
    QDialog::mousePressEvent(e);
}

void CSkinDialog::mouseMoveEvent(QMouseEvent* e)
{
    if (m_bDragging && (e->buttons() & Qt::LeftButton)) {
        move(e->globalPosition().toPoint() - m_ptGrab);
        e->accept();
        return;
    }
    QDialog::mouseMoveEvent(e);
}

void CSkinDialog::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton) m_bDragging = false;
    QDialog::mouseReleaseEvent(e);
}

void CSkinDialog::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    // Without its background the window has nothing to show: it closes as soon
    // as it runs, as Cancel.
    if (m_imgBack.isNull()) QTimer::singleShot(0, this, [this] { done(kIdCancel); });
}
