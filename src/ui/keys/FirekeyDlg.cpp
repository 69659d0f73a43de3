#include "ui/keys/FirekeyDlg.h"

#include <QApplication>
#include <QGridLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "keys/FunId.h"
#include "keys/KeyNames.h"
#include "keys/MouseKeyRules.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "ui/keys/MenuDlg.h"
#include "core/IPrompt.h"
#include "ui/skin/MsgDlg.h"
#include "ui/skin/SkinContext.h"

namespace {

QString Tx(const char* key)
{
    const std::u16string* p = FindText(key);
    return p ? ToQString(*p) : QString::fromLatin1(key);
}

struct FireItem {
    uint8_t byKey;
    const char* pszText;
};
constexpr FireItem kFireItems[] = {{240, "tc_click"},  {241, "tc_menu"},   {242, "tc_middle"}, {243, "tc_forward"},
                                   {244, "tc_back"},   {245, "tc_titlt1"}, {246, "tc_titlt2"}, {0, "tc_msg10"}};

// Keeps a typed value at most 255.
void ClampField(QLineEdit* pEdit)
{
    QObject::connect(pEdit, &QLineEdit::textEdited, pEdit, [pEdit](const QString& str) {
        if (str.toInt() > 255) pEdit->setText(QStringLiteral("255"));
    });
}

}  // namespace

uint8_t FireKeyOfCapture(uint8_t byModifier, uint8_t byKey1)
{
    static constexpr uint8_t kModVk[8] = {162, 160, 164, 91, 163, 161, 165, 92};
    if (byModifier == 0) return byKey1;
    for (int i = 0; i < 8; ++i)
        if (byModifier == (1u << i)) return kModVk[i];
    return 0;
}

CFirekeyDlg::CFirekeyDlg(QWidget* pOwner, const KeyInfo& rec) : QDialog(pOwner)
{
    setWindowTitle(Tx("tc_fire"));
    if (rec.FunID == kFunFire) {
        m_byCount = uint8_t(rec.dwParam & 0xFF);
        m_byInterval = uint8_t((rec.dwParam >> 8) & 0xFF);
        m_byKey = uint8_t((rec.dwParam >> 16) & 0xFF);
    }
    auto* pGrid = new QGridLayout(this);
    m_pKey = new QPushButton(this);
    m_pInterval = new QLineEdit(QString::number(m_byInterval), this);
    m_pCount = new QLineEdit(QString::number(m_byCount), this);
    for (QLineEdit* p : {m_pInterval, m_pCount}) {
        p->setValidator(new QIntValidator(0, 999, p));
        p->setMaxLength(3);
        ClampField(p);
    }
    pGrid->addWidget(new QLabel(Tx("tc_fire"), this), 0, 0);
    pGrid->addWidget(m_pKey, 0, 1);
    pGrid->addWidget(new QLabel(Tx("tc_fire2"), this), 1, 0);
    pGrid->addWidget(m_pInterval, 1, 1);
    pGrid->addWidget(new QLabel(Tx("tc_fire1"), this), 2, 0);
    pGrid->addWidget(m_pCount, 2, 1);
    auto* pOk = new QPushButton(QStringLiteral("OK"), this);
    pGrid->addWidget(pOk, 3, 1);
    connect(pOk, &QPushButton::clicked, this, [this] { TryAccept(); });
    connect(m_pKey, &QPushButton::clicked, this, &CFirekeyDlg::OpenKeyMenu);
    UpdateKeyText();
}

void CFirekeyDlg::SetKey(uint8_t byKey)
{
    m_byKey = byKey;
    UpdateKeyText();
}

void CFirekeyDlg::UpdateKeyText()
{
    for (const FireItem& item : kFireItems)
        if (item.byKey && item.byKey == m_byKey) {
            m_pKey->setText(Tx(item.pszText));
            return;
        }
    m_pKey->setText(m_byKey ? ToQString(GetKeyName(m_byKey)) : QString());
}

void CFirekeyDlg::OpenKeyMenu()
{
    std::vector<MenuItem> items;
    for (size_t i = 0; i < std::size(kFireItems); ++i)
        items.push_back({kMenuTop, uint32_t(i), ToU16(Tx(kFireItems[i].pszText))});
    auto* pMenu = new CMenuDlg(this, std::move(items), m_pKey->mapToGlobal(QPoint(0, m_pKey->height())),
                               QSize(m_pKey->width(), 22), 0);
    connect(pMenu, &CMenuDlg::Chosen, this, [this](uint32_t dwCode, int) { PickKeyItem(int(dwCode)); });
    pMenu->show();
}

void CFirekeyDlg::PickKeyItem(int nItem)
{
    if (nItem < 0 || nItem >= int(std::size(kFireItems))) return;
    if (kFireItems[nItem].byKey) {
        SetKey(kFireItems[nItem].byKey);
        return;
    }
    CMsgDlg dlg(this, CMsgDlg::kModeKey, Tx("tc_msg10"));
    if (dlg.exec() != CSkinDialog::kIdOk) return;
    const CapturedCombo c = dlg.Combo();
    // Several modifiers cannot be fired as one key: the key stays as it was.
    if (const uint8_t byKey = FireKeyOfCapture(c.byModifier, c.byKey1)) SetKey(byKey);
}

bool CFirekeyDlg::TryAccept()
{
    m_strError.clear();
    bool bOk = false;
    int nInterval = m_pInterval->text().toInt(&bOk);
    if (!bOk || nInterval < kIntervalMin) nInterval = kIntervalMin;
    const int nCount = m_pCount->text().toInt(&bOk);
    if (!bOk || nCount < 0 || nCount > 255) m_strError = Tx("tc_fire1") + QStringLiteral(": 0 - 255");
    else if (m_byKey == 0) m_strError = QStringLiteral("The value of key is invalid");
    if (!m_strError.isEmpty()) {
        if (IPrompt* pPrompt = skin::Prompt()) pPrompt->ShowMessage(ToU16(m_strError), u"");
        return false;
    }
    m_byInterval = uint8_t(std::min(nInterval, 255));
    m_byCount = uint8_t(nCount);
    m_pInterval->setText(QString::number(m_byInterval));
    accept();
    return true;
}

KeyInfo CFirekeyDlg::Result() const { return FireKeyRecord(m_byKey, m_byInterval, m_byCount); }
