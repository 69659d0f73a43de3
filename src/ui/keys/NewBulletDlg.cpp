#include "ui/keys/NewBulletDlg.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QToolTip>

#include "core/Log.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "ui/skin/MsgDlg.h"
#include "ui/skin/PngBtn.h"

namespace {

QString Tx(const char* key)
{
    const std::u16string* p = FindText(key);
    return p ? ToQString(*p) : QString();
}

int Number(const QLineEdit* p) { return p ? p->text().toInt() : 0; }

}  // namespace

CNewBulletDlg::CNewBulletDlg(QWidget* pOwner) : CSkinDialog(pOwner)
{
    setWindowTitle(QStringLiteral("ZorvikMsgTopWindow"));
    if (!SetBackgroundFile(QStringLiteral("msg_nr.png"))) {
        LogPrintf("msg_nr.png missing; new bullet window not shown\n");
        return;
    }
    const int W = BaseSize().width(), H = BaseSize().height();
    AddCloseButton();
    m_pOk = AddButton(QStringLiteral("button_nr.png"), QStringLiteral("button_ov.png"), QPoint((W - 124) / 2, H - 40),
                      Tx("tc_ok").isEmpty() ? QStringLiteral("OK") : Tx("tc_ok"));
    if (m_pOk) connect(m_pOk, &QAbstractButton::clicked, this, &CNewBulletDlg::OnOK);

    // Two columns of a label and a field under the title strip.
    const int nLabelW = 146, nFieldW = 60, nCol2 = W / 2 + 4, nRow0 = 42, nRowH = 32;
    const auto row = [&](int nCol, int nRow, const char* key, const QString& strDefault, int nMaxLen) {
        const int x = nCol == 0 ? 18 : nCol2;
        m_labels.push_back({QRect(x, nRow0 + nRow * nRowH, nLabelW, 24), Tx(key)});
        return AddField(QRect(x + nLabelW + 4, nRow0 + nRow * nRowH, nFieldW, 24), strDefault, nMaxLen);
    };
    m_pName = AddField(QRect(18 + nLabelW + 4, nRow0, W - 36 - nLabelW - 4, 24), QStringLiteral("Bullet"),
                       kMacroNameMax);
    m_labels.push_back({QRect(18, nRow0, nLabelW, 24), Tx("tc_bullet10")});
    m_pShots = row(0, 1, "tc_bullet11", QStringLiteral("5"), 3);
    m_pStep = row(1, 1, "tc_bullet17", QStringLiteral("10"), 3);
    m_pClick = row(0, 2, "tc_bullet12", QStringLiteral("20"), 5);
    m_pInterval = row(1, 2, "tc_bullet13", QStringLiteral("20"), 5);
    const QRegularExpression rxDigits(QStringLiteral("[0-9]*"));
    for (QLineEdit* p : {m_pShots, m_pClick, m_pInterval, m_pStep})
        p->setValidator(new QRegularExpressionValidator(rxDigits, p));
    connect(m_pName, &QLineEdit::textEdited, this, &CNewBulletDlg::OnNameEdited);
    connect(m_pShots, &QLineEdit::textEdited, this, &CNewBulletDlg::CapShots);
    // A movement holds at most 127 counts.
    connect(m_pStep, &QLineEdit::textEdited, this, [this](const QString& str) {
        if (str.toInt() > kBulletMoveMax) m_pStep->setText(QString::number(kBulletMoveMax));
    });

    const QString strSingle = Tx("tc_bullet18");
    if (!strSingle.isEmpty()) {
        m_pSingle = AddButton(QStringLiteral("check_nr.png"), QStringLiteral("check_ov.png"),
                              QPoint(18, nRow0 + 3 * nRowH + 4), QString(), QStringLiteral("check_dn.png"));
        if (m_pSingle) {
            m_pSingle->setCheckable(true);
            m_labels.push_back({QRect(18 + 24, nRow0 + 3 * nRowH, 300, 24), strSingle});
            connect(m_pSingle, &QAbstractButton::toggled, this, &CNewBulletDlg::CapShots);
        }
    }
}

QLineEdit* CNewBulletDlg::AddField(const QRect& rc, const QString& strText, int nMaxLen)
{
    auto* p = new QLineEdit(strText, this);
    p->setFont(font());
    p->setFrame(false);
    p->setStyleSheet(FieldStyle());
    p->setMaxLength(nMaxLen);
    p->setGeometry(S(rc));
    return p;
}

void CNewBulletDlg::OnNameEdited(const QString& str)
{
    const qsizetype n = FindForbiddenChar(str);
    if (n < 0) {
        m_strNameTip.clear();
        m_pName->setToolTip(QString());
        return;
    }
    m_pName->setText(str.left(n));
    m_strNameTip = Tx("tc_tips2");
    m_pName->setToolTip(m_strNameTip);
    QToolTip::showText(m_pName->mapToGlobal(QPoint(0, m_pName->height())), m_strNameTip, m_pName);
}

void CNewBulletDlg::CapShots()
{
    const int nMax = BulletShotLimit(m_pSingle && m_pSingle->isChecked());
    if (Number(m_pShots) > nMax) m_pShots->setText(QString::number(nMax));
}

BulletGenInput CNewBulletDlg::Input() const
{
    BulletGenInput in;
    in.strName = m_pName ? ToU16(m_pName->text()) : std::u16string();
    // The name is cut at its last dot, as a file title would be.
    if (const size_t n = in.strName.rfind(u'.'); n != std::u16string::npos) in.strName.resize(n);
    in.nShots = Number(m_pShots);
    in.nClickMs = Number(m_pClick);
    in.nIntervalMs = Number(m_pInterval);
    in.nStepY = m_pStep && m_pStep->text().isEmpty() ? -1 : Number(m_pStep);
    in.bSingleClick = m_pSingle && m_pSingle->isChecked();
    return NormaliseBulletInput(in);
}

void CNewBulletDlg::OnOK()
{
    if (!m_pName || m_pName->text().isEmpty()) return;
    done(kIdOk);
}

void CNewBulletDlg::keyPressEvent(QKeyEvent* e)
{
    if (!HandleDialogKey(e, [this] { OnOK(); }, [this] { reject(); })) CSkinDialog::keyPressEvent(e);
}

void CNewBulletDlg::paintEvent(QPaintEvent* e)
{
    CSkinDialog::paintEvent(e);
    QPainter p(this);
    p.setFont(font());
    p.setPen(Theme().clrText);
    const QRect rcTitle(S(12), S(9), S(BaseSize().width() - 56), S(20));
    p.drawText(rcTitle, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, Tx("tc_bullet19"));
    for (const Label& l : m_labels) {
        const QRect rc = S(l.rc);
        p.setPen(TextColorOver(l.rc));
        p.drawText(rc, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   p.fontMetrics().elidedText(l.strText, Qt::ElideRight, rc.width()));
    }
}
