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
CSkinDialog::CSkinDialog(QWidget* pOwner, const skin::SkinTheme& theme)
    : QDialog(pOwner ? pOwner->window() : nullptr, Qt::Dialog | Qt::FramelessWindowHint), m_theme(theme)
{
    setModal(true);
    setFont(theme.font);
    m_fScale = theme.fScale;
    // Shown in the task bar and to screen readers; until a caller names the
    // window, the program's title.
    setWindowTitle(theme.strTitle);
}

QColor CSkinDialog::TextColorOver(const QRect& rc) const
{
    if (m_imgBack.isNull()) return m_theme.clrText;
    const qreal f = m_imgBack.devicePixelRatio();
    const QPoint pt(int(rc.center().x() * f), int(rc.center().y() * f));
    if (!m_imgBack.rect().contains(pt)) return m_theme.clrText;
    const QColor back = QColor::fromRgb(m_imgBack.pixel(pt));
    QColor best = m_theme.clrText;
    for (const QColor& c : {m_theme.clrText, QColor(0xe8, 0xed, 0xf3), QColor(0x1c, 0x22, 0x2a)}) {
        if (skin::ContrastRatio(c, back) >= 4.5) return c;
        if (skin::ContrastRatio(c, back) > skin::ContrastRatio(best, back)) best = c;
    }
    return best;
}

QString CSkinDialog::FieldStyle() const
{
    return QStringLiteral("QLineEdit { color: %1; background: %2; border: 1px solid %3; padding: 0px %4px; "
                          "selection-background-color: %5; selection-color: #ffffff; }")
        .arg(m_theme.clrFieldText.name(), m_theme.clrFieldBack.name(), m_theme.clrFieldBorder.name())
        .arg(S(4))
        .arg(m_theme.clrSelection.name());
}

void CSkinDialog::reject() { done(kIdCancel); }

bool CSkinDialog::SetBackground(const QImage& img) { return SetBackground(img, skin::ScaleImage(img)); }

bool CSkinDialog::SetBackground(const QImage& img, const QImage& imgScaled)
{
    if (img.isNull() || img.width() == 0 || imgScaled.isNull()) {
        m_imgBack = QImage();
        return false;
    }
    m_sizeBase = skin::LogicalSize(img);
    m_imgBack = imgScaled;
    const QSize size = skin::LogicalSize(m_imgBack);
    skin::CenterOnParent(this, size.width(), size.height());
    setFixedSize(size);
    return true;
}

bool CSkinDialog::SetBackgroundFile(const QString& strName, bool bCommon)
{
    if (bCommon) return SetBackground(skin::LoadCommon(strName), skin::LoadCommonScaled(strName));
    return SetBackground(skin::LoadChosen(strName), skin::LoadChosenScaled(strName));
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
    const QRect rc = S(QRect(pt, skin::LogicalSize(imgNr)));
    return CreateSkinButton(this, m_imgBack, strNr, strOv, strDn.isEmpty() ? strOv : strDn, strText, false, rc,
                            nullptr, m_theme);
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

bool CSkinDialog::HandleDialogKey(QKeyEvent* e, const std::function<void()>& onOk, const std::function<void()>& onCancel)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!ClickFocusedButton()) onOk();
        return true;
    case Qt::Key_Escape: onCancel(); return true;
    case Qt::Key_F1: return true;
    default: return false;
    }
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
