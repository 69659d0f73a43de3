#include "ui/skin/MsgDlg.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <chrono>

#include "core/Gvar.h"
#include "core/Log.h"
#include "device/IClock.h"
#include "keys/KeyCodes.h"
#include "keys/KeyNames.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "ui/skin/PngBtn.h"
#include "ui/skin/QtVirtualKey.h"
#include "ui/skin/SkinImages.h"

namespace {

constexpr char16_t kForbidden[] = u"&%$#@*!()+=<>[]{}|.,?;:\"'/\\\uFF01\uFFE5";

// Layout of the unscaled background: the title strip at the top, the buttons
// 42 pixels above the bottom edge; the content lies between them.
constexpr int kBandTop = 36;
constexpr int kBandBottomGap = 54;
constexpr int kEditWidth = 360, kEditHeight = 22;
constexpr int kBoxSize = 17, kBoxGap = 50;

const CSystemClock s_systemClock;

const char* const kBoxNames[CMsgDlg::kBoxCount] = {"Shift", "Ctrl", "Alt", "Win"};
constexpr uint8_t kBoxBits[CMsgDlg::kBoxCount] = {kModLShift, kModLCtrl, kModLAlt, kModLWin};

// A button caption from the catalogue; before a catalogue is loaded (messages
// of early start-up) the English word.
QString Caption(const std::u16string& str, const char* pszDefault)
{
    return str.empty() ? QString::fromLatin1(pszDefault) : ToQString(str);
}

}  // namespace

qsizetype FindForbiddenChar(const QString& str)
{
    const QStringView forbidden(kForbidden);
    for (qsizetype i = 0; i < str.size(); ++i) {
        if (forbidden.contains(str[i])) return i;
    }
    return -1;
}

CMsgDlg::CMsgDlg(QWidget* pOwner, int nMode, const QString& strPrompt)
    : CSkinDialog(pOwner), m_nMode(nMode), m_strPrompt(strPrompt)
{
}

CMsgDlg::~CMsgDlg() = default;

void CMsgDlg::SetCombo(const CapturedCombo& combo)
{
    m_capture.SetCombo(combo);
    if (m_pEdit) ShowCombo();
}

QString CMsgDlg::Hint() const { return m_pHint ? m_pHint->text() : QString(); }

void CMsgDlg::Build()
{
    if (m_bBuilt) return;
    m_bBuilt = true;
    if (!SetBackgroundFile(QStringLiteral("msg_nr.png"))) {
        LogPrintf("msg_nr.png missing; message not shown: %s\n", m_strPrompt.toUtf8().constData());
        return;
    }
    const int W = BaseSize().width(), H = BaseSize().height();
    const QString strNr = QStringLiteral("button_nr.png"), strOv = QStringLiteral("button_ov.png");
    m_pClose = AddCloseButton();
    // A message has one button; it takes the place Cancel has in the other modes.
    const bool bMessage = m_nMode == kModeMessage;
    m_pOk = AddButton(strNr, strOv, QPoint(W - (bMessage ? 154 : 288), H - 42), Caption(gText.tc_ok, "OK"));
    if (!bMessage) m_pCancel = AddButton(strNr, strOv, QPoint(W - 154, H - 42), Caption(gText.tc_cancel, "Cancel"));
    if (m_pOk) connect(m_pOk, &QAbstractButton::clicked, this, &CMsgDlg::OnOK);
    if (m_pCancel) connect(m_pCancel, &QAbstractButton::clicked, this, &CMsgDlg::OnCancel);

    if (m_nMode == kModeText || m_nMode == kModeNumber || m_nMode == kModeKey) {
        m_pEdit = new QLineEdit(this);
        m_pEdit->setFont(font());
        m_pEdit->setFrame(false);
        m_pEdit->setStyleSheet(FieldStyle());
        // Says what was wrong with the input: in the skin's warning colour.
        m_pHint = new QLabel(this);
        m_pHint->setFont(font());
        m_pHint->setStyleSheet(
            QStringLiteral("QLabel { color: %1; background: transparent; }").arg(Theme().clrWarning.name()));
        if (m_nMode == kModeText) {
            m_pEdit->setMaxLength(m_nMaxLen > 0 && m_nMaxLen < kTextMax ? m_nMaxLen : kTextMax);
            m_pEdit->setText(m_strInitial);
            connect(m_pEdit, &QLineEdit::textChanged, this, &CMsgDlg::OnTextChanged);
        } else if (m_nMode == kModeNumber) {
            m_pEdit->setAlignment(Qt::AlignCenter);
            m_pEdit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(kNumberDigits)), m_pEdit));
            m_pEdit->setMaxLength(kNumberDigits);
            m_pEdit->setText(m_strInitial);
        } else {
            // Every key belongs to the combination: nothing in the window may take the focus.
            m_pEdit->setAlignment(Qt::AlignCenter);
            m_pEdit->setReadOnly(true);
            m_pEdit->setFocusPolicy(Qt::NoFocus);
            for (CPngBtn* pBtn : {m_pOk, m_pCancel, m_pClose})
                if (pBtn) pBtn->setFocusPolicy(Qt::NoFocus);
            setFocusPolicy(Qt::StrongFocus);
            m_capture.SetSinglePress(m_bSinglePress);
            m_capture.SetModBoxes(m_bModBoxes);
            m_capture.SetKbType(gVar.nKbType);
            if (m_bModBoxes) {
                for (int i = 0; i < kBoxCount; ++i) {
                    const QString strCheckNr = QStringLiteral("Check_nr.png");
                    CPngBtn* pBox =
                        AddButton(strCheckNr, strCheckNr, QPoint(0, 0), QString(), QStringLiteral("Check_dn.png"));
                    if (!pBox) continue;
                    pBox->setCheckable(true);
                    pBox->setFocusPolicy(Qt::NoFocus);
                    pBox->setAccessibleName(QString::fromLatin1(kBoxNames[i]));
                    m_pBoxes[i] = pBox;
                }
            }
            ShowCombo();
        }
    }
    LayOut();
}

int CMsgDlg::WrappedHeight(const QString& str, int nWidth) const
{
    const QFontMetrics fm(font());
    if (fm.horizontalAdvance(str) <= nWidth) return fm.height();
    return fm.boundingRect(QRect(0, 0, nWidth, 1 << 20), Qt::AlignHCenter | Qt::TextWordWrap, str).height();
}

void CMsgDlg::LayOut()
{
    const int W = BaseSize().width(), H = BaseSize().height();
    m_rcTitle = QRect(S(12), S(9), S(W - 44) - S(12), S(20));
    const int nBandTop = S(kBandTop), nBandBottom = S(H - kBandBottomGap);
    const int nPromptWidth = S(W - 20);
    if (!m_pEdit) {
        // A message or a question: the text in the middle of the window.
        m_rcPrompt = QRect(S(10), nBandTop, nPromptWidth, nBandBottom - nBandTop);
        return;
    }
    // Prompt, field and what goes under the field, as one block in the middle;
    // a prompt of several lines pushes the field down.
    const int nPrompt = std::max(S(20), m_strPrompt.isEmpty() ? 0 : WrappedHeight(m_strPrompt, nPromptWidth));
    const bool bBoxes = m_nMode == kModeKey && m_bModBoxes;
    const int nBelow = bBoxes ? S(15) + S(kBoxSize) : S(2) + S(18);
    const int nBlock = nPrompt + S(12) + S(kEditHeight) + nBelow;
    const int nTop = nBandTop + std::max(0, (nBandBottom - nBandTop - nBlock) / 2);
    m_rcPrompt = QRect(S(10), nTop, nPromptWidth, nPrompt);
    const QRect rcEdit((width() - S(kEditWidth)) / 2, nTop + nPrompt + S(12), S(kEditWidth), S(kEditHeight));
    m_pEdit->setGeometry(rcEdit);
    m_pHint->setGeometry(rcEdit.left(), rcEdit.bottom() + 1 + S(2), rcEdit.width(), S(18));
    m_pHint->setVisible(!bBoxes);
    int x = rcEdit.left() + S(2);
    const int y = rcEdit.bottom() + 1 + S(15);
    for (CPngBtn* pBox : m_pBoxes) {
        if (pBox) PlaceButton(pBox, QRect(x, y, S(kBoxSize), S(kBoxSize)));
        x += S(kBoxSize) + S(kBoxGap);
    }
}

void CMsgDlg::setVisible(bool bVisible)
{
    if (bVisible) Build();
    CSkinDialog::setVisible(bVisible);
}

void CMsgDlg::showEvent(QShowEvent* e)
{
    CSkinDialog::showEvent(e);
    // Enter answers with the focused button; at first that is OK.
    if (m_nMode == kModeKey)
        setFocus(Qt::OtherFocusReason);
    else if (m_pEdit)
        m_pEdit->setFocus(Qt::OtherFocusReason);
    else if (m_pOk)
        m_pOk->setFocus(Qt::OtherFocusReason);
}

void CMsgDlg::OnTextChanged(const QString& str)
{
    const qsizetype i = FindForbiddenChar(str);
    if (i < 0) {
        m_pHint->clear();
        return;
    }
    {
        const QSignalBlocker block(m_pEdit);
        m_pEdit->setText(str.left(i));
    }
    m_pEdit->setCursorPosition(int(m_pEdit->text().size()));
    m_pHint->setText(ToQString(gText.tc_tips2));
}

void CMsgDlg::ShowCombo()
{
    if (!m_pEdit) return;
    const CapturedCombo& c = m_capture.Combo();
    m_pEdit->setText(ToQString(GetComboTextLR(c.byModifier, c.byKey1, c.byKey2)));
}

void CMsgDlg::OnCaptureKey(QKeyEvent* e, bool bDown)
{
    // A held key repeats; the combination is about the first press.
    if (e->isAutoRepeat()) return;
    const IClock& clock = m_pClock ? *m_pClock : s_systemClock;
    const auto nMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(clock.Now().time_since_epoch()).count();
    if (m_capture.OnKey(VirtualKeyOf(*e), bDown, int64_t(nMs))) ShowCombo();
}

void CMsgDlg::OnOK()
{
    switch (m_nMode) {
    case kModeNumber:
        // Nine digits at most, so the number always fits; an empty field is 0.
        m_nResult = m_pEdit ? m_pEdit->text().toInt() : 0;
        break;
    case kModeText:
        m_strResult = m_pEdit ? m_pEdit->text() : QString();
        if (m_strResult.isEmpty()) {
            OnCancel();
            return;
        }
        break;
    case kModeKey:
        if (m_bModBoxes) {
            CapturedCombo combo = m_capture.Combo();
            for (int i = 0; i < kBoxCount; ++i)
                if (m_pBoxes[i] && m_pBoxes[i]->isChecked()) combo.byModifier |= kBoxBits[i];
            m_capture.SetCombo(combo);
        }
        break;
    default: break;
    }
    done(kIdOk);
}

void CMsgDlg::OnCancel()
{
    m_nResult = 0;
    done(kIdCancel);
}

void CMsgDlg::reject() { OnCancel(); }

bool CMsgDlg::event(QEvent* e)
{
    if (m_nMode == kModeKey && m_bBuilt && HasBackground()) {
        switch (e->type()) {
        case QEvent::ShortcutOverride:
            // Claimed, so that no shortcut of the program takes the key.
            e->accept();
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            OnCaptureKey(static_cast<QKeyEvent*>(e), e->type() == QEvent::KeyPress);
            return true;
        default: break;
        }
    }
    return CSkinDialog::event(e);
}

void CMsgDlg::keyPressEvent(QKeyEvent* e)
{
    if (!HandleDialogKey(e, [this] { OnOK(); }, [this] { OnCancel(); })) CSkinDialog::keyPressEvent(e);
}

void CMsgDlg::paintEvent(QPaintEvent* e)
{
    CSkinDialog::paintEvent(e);
    QPainter p(this);
    p.setFont(font());
    p.setPen(Theme().clrText);
    if (!m_strTitle.isEmpty()) {
        const QString strShown = p.fontMetrics().elidedText(m_strTitle, Qt::ElideRight, m_rcTitle.width());
        p.drawText(m_rcTitle, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, strShown);
    }
    if (!m_strPrompt.isEmpty()) {
        p.save();
        p.setClipRect(m_pEdit ? QRect(0, S(kBandTop), width(), m_rcPrompt.bottom() + 1 - S(kBandTop)) : m_rcPrompt);
        skin::DrawTextFit(p, m_strPrompt, m_rcPrompt);
        p.restore();
    }
    for (int i = 0; i < kBoxCount; ++i) {
        const CPngBtn* pBox = m_pBoxes[i];
        if (!pBox) continue;
        const QRect rc(pBox->geometry().right() + 1 + S(5), pBox->y() - S(4), S(60), pBox->height() + S(8));
        p.drawText(rc, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, QString::fromLatin1(kBoxNames[i]));
    }
}

int CMsgDlg::ShowMessage(QWidget* pOwner, const QString& strText, const QString& strTitle)
{
    CMsgDlg dlg(pOwner, kModeMessage, strText);
    dlg.SetTitle(strTitle);
    return dlg.exec();
}

int CMsgDlg::Ask(QWidget* pOwner, const QString& strText, const QString& strTitle)
{
    CMsgDlg dlg(pOwner, kModeQuestion, strText);
    dlg.SetTitle(strTitle);
    return dlg.exec();
}

bool CMsgDlg::AskYesNo(QWidget* pOwner, const QString& strText, const QString& strTitle)
{
    return Ask(pOwner, strText, strTitle) == kIdOk;
}

int CMsgDlg::AskText(QWidget* pOwner, const QString& strPrompt, QString& strResult, int nMaxLen)
{
    CMsgDlg dlg(pOwner, kModeText, strPrompt);
    dlg.SetMaxLen(nMaxLen);
    if (dlg.exec() != kIdOk) return 0;
    strResult = dlg.TextResult();
    return 1;
}
