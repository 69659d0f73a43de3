#include "ui/pages/macro/MacroAmountDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/IPrompt.h"
#include "keys/MacroRecord.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "ui/pages/mouse/MsPageLink.h"

namespace {
QString Tx(const std::u16string& s, const char* pszDefault)
{
    return s.empty() ? QString::fromUtf8(pszDefault) : ToQString(s);
}
}  // namespace

CMacroAmountDlg::CMacroAmountDlg(QWidget* pOwner, bool bWheel, uint8_t code, int nAmount, IPrompt& prompt)
    : QDialog(pOwner), m_prompt(prompt), m_code(code), m_nAmount(nAmount)
{
    setWindowTitle(bWheel ? Tx(gText.tc_macro_msg23, "Wheel") : Tx(gText.tc_macro_msg24, "Pointer movement"));
    setStyleSheet(MsPageStyle());
    const struct { uint8_t code; QString strText; } choices[] = {
        {kMacroCodeWheelUp, Tx(gText.tc_scrollup, "Wheel up")},
        {kMacroCodeWheelDown, Tx(gText.tc_scrolldown, "Wheel down")},
        {kMacroCodeMoveUp, Tx(gText.tc_macro_msg27, "Up")},
        {kMacroCodeMoveDown, Tx(gText.tc_macro_msg28, "Down")},
        {kMacroCodeMoveLeft, Tx(gText.tc_macro_msg25, "Left")},
        {kMacroCodeMoveRight, Tx(gText.tc_macro_msg26, "Right")},
    };
    m_pDirection = new QComboBox(this);
    for (const auto& c : choices) m_pDirection->addItem(c.strText, int(c.code));
    int nIndex = m_pDirection->findData(int(code));
    if (nIndex < 0) nIndex = bWheel ? 0 : 2;
    m_pDirection->setCurrentIndex(nIndex);
    m_pAmount = new QLineEdit(QString::number(nAmount), this);
    m_pAmount->setValidator(new QIntValidator(0, 999, m_pAmount));
    m_pAmount->setMaxLength(3);

    auto* pGrid = new QGridLayout(this);
    pGrid->addWidget(m_pDirection, 0, 0, 1, 2);
    pGrid->addWidget(new QLabel(QStringLiteral("0 ~ 127"), this), 1, 0);
    pGrid->addWidget(m_pAmount, 1, 1);
    auto* pOk = new QPushButton(QStringLiteral("OK"), this);
    pOk->setDefault(true);
    pGrid->addWidget(pOk, 2, 1);
    connect(pOk, &QPushButton::clicked, this, [this] { TryAccept(); });
}

bool CMacroAmountDlg::TryAccept()
{
    bool bOk = false;
    const int n = m_pAmount->text().toInt(&bOk);
    if (!bOk || n < 0 || n > 127) {
        m_prompt.ShowMessage(u"Invalid value. 0~127", u"");
        return false;
    }
    m_code = uint8_t(m_pDirection->currentData().toInt());
    m_nAmount = n;
    accept();
    return true;
}
