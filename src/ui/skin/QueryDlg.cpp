#include "ui/skin/QueryDlg.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <algorithm>
#include <climits>

#include "core/Log.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "ui/skin/PngBtn.h"
#include "ui/skin/SkinImages.h"

namespace {

// A whole number as typed; anything that is not one gives 0, and a number
// beyond the 32-bit range stops at its end.
int ParseValue(const QString& str)
{
    bool bOk = false;
    const qlonglong n = str.trimmed().toLongLong(&bOk);
    if (!bOk) return 0;
    return int(std::clamp<qlonglong>(n, INT_MIN, INT_MAX));
}

}  // namespace

CQueryDlg::CQueryDlg(QWidget* pOwner, const QStringList& labels, int nCount, const int* pValues)
    : CSkinDialog(pOwner), m_labels(labels), m_nCount(std::clamp(nCount, 1, kMaxFields))
{
    for (int i = 0; i < m_nCount; ++i) m_values[i] = pValues ? pValues[i] : 0;
    if (!SetBackgroundFile(QStringLiteral("msg_nr.png"))) {
        LogPrintf("msg_nr.png missing; number window not shown\n");
        return;
    }
    const int W = BaseSize().width(), H = BaseSize().height();
    const QString strNr = QStringLiteral("button_nr.png"), strOv = QStringLiteral("button_ov.png");
    m_pClose = AddCloseButton();
    m_pOk = AddButton(strNr, strOv, QPoint(W - 288, H - 47), ToQString(gText.tc_ok));
    m_pCancel = AddButton(strNr, strOv, QPoint(W - 154, H - 47), ToQString(gText.tc_cancel));
    if (m_pOk) connect(m_pOk, &QAbstractButton::clicked, this, &CQueryDlg::OnOK);
    if (m_pCancel) connect(m_pCancel, &QAbstractButton::clicked, this, &CQueryDlg::reject);

    // The fields with their labels above them sit in the middle of the part
    // between the title strip and the buttons.
    const int nBandTop = 36, nBandBottom = H - 54;
    const int nEditTop = nBandTop + std::max(0, (nBandBottom - nBandTop - 25 - 24) / 2) + 25;
    const QRect rcOne((W - 420) / 2, nEditTop, 420, 24);
    const QRect rcTwo[kMaxFields] = {QRect(40, nEditTop, 180, 24), QRect(250, nEditTop, 180, 24)};
    for (int i = 0; i < m_nCount; ++i) {
        auto* pEdit = new QLineEdit(this);
        pEdit->setFont(font());
        pEdit->setFrame(false);
        pEdit->setAlignment(Qt::AlignCenter);
        pEdit->setStyleSheet(FieldStyle());
        // A sign and ten digits hold every 32-bit number.
        const QRegularExpression rx(QStringLiteral("-?[0-9]{0,10}"));
        pEdit->setValidator(new QRegularExpressionValidator(rx, pEdit));
        pEdit->setText(QString::number(m_values[i]));
        pEdit->setGeometry(S(m_nCount == 1 ? rcOne : rcTwo[i]));
        m_pEdits[i] = pEdit;
    }
}

QRect CQueryDlg::LabelRect(int i) const
{
    const QLineEdit* pEdit = Edit(i);
    if (!pEdit) return {};
    const QRect rc = pEdit->geometry();
    return QRect(rc.left(), rc.top() - S(25), S(180), S(21));
}

void CQueryDlg::OnOK()
{
    for (int i = 0; i < m_nCount; ++i) m_values[i] = m_pEdits[i] ? ParseValue(m_pEdits[i]->text()) : 0;
    done(kIdOk);
}

void CQueryDlg::reject()
{
    for (int& n : m_values) n = 0;
    done(kIdCancel);
}

void CQueryDlg::keyPressEvent(QKeyEvent* e)
{
    if (!HandleDialogKey(e, [this] { OnOK(); }, [this] { reject(); })) CSkinDialog::keyPressEvent(e);
}

void CQueryDlg::showEvent(QShowEvent* e)
{
    CSkinDialog::showEvent(e);
    if (m_pEdits[0]) {
        m_pEdits[0]->setFocus(Qt::OtherFocusReason);
        m_pEdits[0]->selectAll();
    }
}

void CQueryDlg::paintEvent(QPaintEvent* e)
{
    CSkinDialog::paintEvent(e);
    QPainter p(this);
    p.setFont(font());
    p.setPen(Theme().clrText);
    if (!m_strTitle.isEmpty()) {
        const QRect rcTitle(S(12), S(9), S(BaseSize().width() - 44) - S(12), S(20));
        p.drawText(rcTitle, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   p.fontMetrics().elidedText(m_strTitle, Qt::ElideRight, rcTitle.width()));
    }
    for (int i = 0; i < m_nCount; ++i) {
        const QRect rc = LabelRect(i);
        if (rc.isEmpty()) continue;
        p.drawText(rc, Qt::AlignLeft | Qt::AlignBottom | Qt::TextSingleLine,
                   p.fontMetrics().elidedText(Label(i), Qt::ElideRight, rc.width()));
    }
}

int CQueryDlg::QueryNumbers(QWidget* pOwner, const QStringList& labels, int nCount, int* pValues,
                            const QString& strTitle)
{
    if (!pValues) return kIdCancel;
    CQueryDlg dlg(pOwner, labels, nCount, pValues);
    dlg.SetTitle(strTitle);
    const int nResult = dlg.exec();
    for (int i = 0; i < dlg.Count(); ++i) pValues[i] = dlg.Value(i);
    return nResult == kIdOk ? kIdOk : kIdCancel;
}
