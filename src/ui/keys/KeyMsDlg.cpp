#include "ui/keys/KeyMsDlg.h"

#include <QColorDialog>
#include <QEvent>
#include <QScreen>
#include <algorithm>

#include "device/ApplySnapshot.h"
#include "keys/FunctionMenu.h"
#include "keys/FunctionText.h"
#include "keys/GunPreset.h"
#include "keys/MacroList.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "ui/keys/ChijiDlg.h"
#include "ui/keys/FirekeyDlg.h"
#include "ui/keys/MenuDlg.h"
#include "ui/skin/MsgDlg.h"
#include "ui/skin/PngBtn.h"
#include "ui/skin/SkinImages.h"

namespace {

constexpr int kItemWidth = 204, kItemHeight = 22;

QString Tx(const char* key)
{
    const std::u16string* p = FindText(key);
    return p ? ToQString(*p) : QString::fromLatin1(key);
}

}  // namespace

CKeyMsDlg::CKeyMsDlg(const PageContext& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx)
{
    for (int i = 0; i < kMsKeyCount; ++i) {
        auto* pKey = new CPngBtn(this);
        pKey->setFocusPolicy(Qt::NoFocus);
        pKey->SetTextMargin(30);
        pKey->installEventFilter(this);
        pKey->hide();
        connect(pKey, &QAbstractButton::clicked, this, [this, i] { OpenFunctionMenu(i); });
        m_keys[size_t(i)] = pKey;
    }
    Reload();
}

int CKeyMsDlg::Keys() const
{
    return pSensorCfg && pSensorCfg->nKM > 0 ? std::min(int(pSensorCfg->nKM), kMsKeyCount) : 7;
}

CPngBtn* CKeyMsDlg::KeyButton(int nSlot) const
{
    return nSlot >= 0 && nSlot < kMsKeyCount ? m_keys[size_t(nSlot)] : nullptr;
}

QString CKeyMsDlg::KeyText(int nSlot) const
{
    const CPngBtn* p = KeyButton(nSlot);
    return p ? p->text() : QString();
}

void CKeyMsDlg::PlaceButtons()
{
    const double fScale = skin::InterfaceScale();
    const QImage imgNr = skin::LoadChosenScaled(QStringLiteral("keymenu_nr.png"));
    const QImage imgOv = skin::LoadChosenScaled(QStringLiteral("keymenu_ov.png"));
    const QSize size = imgNr.isNull() ? QSize(int(kItemWidth * fScale), int(26 * fScale)) : skin::LogicalSize(imgNr);
    const int nKM = Keys();
    const int nKeyMask = pSensorCfg ? pSensorCfg->nKeyMask : 0;
    QRect rcAll;
    for (int i = 0; i < kMsKeyCount; ++i) {
        CPngBtn* pKey = m_keys[size_t(i)];
        if (i >= nKM) {
            pKey->hide();
            continue;
        }
        pKey->SetScale(float(fScale));
        pKey->SetImages(imgNr, imgOv, imgOv);
        const ZRect& rc = g_MsKeyLayout[0][i].rcKey;
        const QPoint pt = rc.right > rc.left ? QPoint(int(rc.left * fScale), int(rc.top * fScale))
                                             : QPoint(0, i * (size.height() + int(6 * fScale)));
        const QImage imgNum = skin::LoadChosen(QStringLiteral("mouse/number%1.png").arg(i + 1));  // the button scales its icon
        if (!imgNum.isNull()) pKey->SetIcon(imgNum, 4, -1);
        pKey->setGeometry(QRect(pt, size));
        pKey->setEnabled(!(nKeyMask & (1 << i)));
        pKey->show();
        rcAll |= pKey->geometry();
    }
    setMinimumSize(rcAll.size() + QSize(rcAll.x(), rcAll.y()));
    resize(minimumSize());
}

void CKeyMsDlg::Reload()
{
    PlaceButtons();
    ProfileRecord* pPro = m_ctx.pProfile ? m_ctx.pProfile->Current() : nullptr;
    if (!pPro) {
        for (CPngBtn* p : m_keys) p->setText(QString());
        return;
    }
    const MouseKeyContext mctx = MouseKeyContext::FromGvar(*pPro);
    if (ResetDanglingKeys(*pPro, mctx) > 0 && onEdited) onEdited(kApplyKeys);
    const KeyInfo* pTable = pPro->Ms.Mode[mctx.nMode].Key[mctx.nKeySet];
    for (int i = 0; i < Keys(); ++i) {
        const QString str = ToQString(GetFunctionText(pTable[i]));
        m_keys[size_t(i)]->setText(str);
        m_keys[size_t(i)]->setToolTip(str);
    }
}

CMenuDlg* CKeyMsDlg::OpenFunctionMenu(int nSlot)
{
    CPngBtn* pKey = KeyButton(nSlot);
    if (!pKey || nSlot >= Keys()) return nullptr;
    ProfileRecord* pPro = m_ctx.pProfile ? m_ctx.pProfile->Current() : nullptr;
    const int nMode = pPro ? std::clamp(pPro->Ms.ProMirex.nMode, 0, kMsModeNum - 1) : 0;
    std::vector<MenuItem> items = BuildMouseFunctionMenu(MouseMenuOptions::FromGvar(pPro != nullptr, nMode));
    const double fScale = skin::InterfaceScale();
    const QSize itemSize(int(kItemWidth * fScale), int(kItemHeight * fScale));
    const int nTop = int(MenuChildren(items, kMenuTop).size());
    QPoint pt = pKey->mapToGlobal(QPoint(0, pKey->height()));
    // Above the button when the menu would pass the bottom of the screen.
    if (const QScreen* pScreen = pKey->screen()) {
        const QRect rcWork = pScreen->availableGeometry();
        if (pt.y() + nTop * itemSize.height() + 2 > rcWork.bottom())
            pt.setY(pKey->mapToGlobal(QPoint(0, 0)).y() - nTop * itemSize.height() - 2);
    }
    auto* pMenu = new CMenuDlg(this, std::move(items), pt, itemSize, nSlot);
    connect(pMenu, &CMenuDlg::Chosen, this, [this](uint32_t dwCode, int nValue) { ChooseFunction(dwCode, nValue); });
    pMenu->show();
    return pMenu;
}

void CKeyMsDlg::SelectKey(int nSlot) { OpenFunctionMenu(nSlot); }

void CKeyMsDlg::ShowRefusal(const std::u16string& str)
{
    if (m_ctx.pPrompt) m_ctx.pPrompt->ShowMessage(str, u"");
}

void CKeyMsDlg::ChooseFunction(uint32_t dwCode, int nSlot)
{
    CMenuDlg::CloseCurrent();
    ProfileRecord* pPro = m_ctx.pProfile ? m_ctx.pProfile->Current() : nullptr;
    if (!pPro || nSlot < 0 || nSlot >= Keys()) return;
    const MouseKeyContext mctx = MouseKeyContext::FromGvar(*pPro);
    const ChooseStep step = ::ChooseFunction(dwCode, nSlot, *pPro, mctx, g_MacroList.Count() > 0);
    if (step.bRefused) {
        ShowRefusal(step.strMessage);
        return;
    }
    const KeyInfo& cur = pPro->Ms.Mode[mctx.nMode].Key[mctx.nKeySet][nSlot];
    switch (step.dialog) {
    case KeyDialog::None:
        AssignKey(nSlot, step.rec);
        return;
    case KeyDialog::MacroPicker: {
        // The macros by name, in a menu beside the key.
        std::vector<MenuItem> items;
        for (const auto& pMacro : g_MacroList)
            items.push_back({kMenuTop, pMacro->MacroID, std::u16string(pMacro->szName)});
        CPngBtn* pKey = KeyButton(nSlot);
        const double fScale = skin::InterfaceScale();
        auto* pMenu = new CMenuDlg(this, std::move(items), pKey->mapToGlobal(QPoint(pKey->width(), 0)),
                                   QSize(int(kItemWidth * fScale), int(kItemHeight * fScale)), nSlot);
        connect(pMenu, &CMenuDlg::Chosen, this,
                [this](uint32_t dwId, int nValue) { AssignKey(nValue, MacroKeyRecord(dwId)); });
        pMenu->show();
        return;
    }
    case KeyDialog::KeyCapture: {
        CMsgDlg dlg(this, CMsgDlg::kModeKey, Tx("tc_msg2"));
        dlg.SetSinglePress(!gVar.nComboRec);
        if (dlg.exec() != CSkinDialog::kIdOk) return;
        const CapturedCombo c = dlg.Combo();
        if (!c.byModifier && !c.byKey1 && !c.byKey2) return;
        AssignKey(nSlot, CapturedKeyRecord(c.byModifier, c.byKey1, c.byKey2));
        return;
    }
    case KeyDialog::FireKey: {
        CFirekeyDlg dlg(this, cur);
        if (dlg.exec() != QDialog::Accepted) return;
        AssignKey(nSlot, dlg.Result());
        return;
    }
    case KeyDialog::ColourPanel: {
        const QColor clr = QColorDialog::getColor(Qt::red, this);
        if (!clr.isValid()) return;
        AssignKey(nSlot, KeySnipeRecord(ToZColor(clr)));
        return;
    }
    case KeyDialog::GunPresets: {
        CChijiDlg dlg(this, cur, *pPro, m_ctx.pPrompt);
        if (dlg.exec() != CSkinDialog::kIdOk) return;
        // The option belongs to the profile and is kept only with the key.
        const uint8_t byOption = GunOption(*pPro);
        SetGunOption(*pPro, dlg.OptionOn());
        if (!AssignKey(nSlot, dlg.Result())) pPro->Ms.Mode[1].nGunOption = byOption;
        return;
    }
    }
}

bool CKeyMsDlg::AssignKey(int nSlot, const KeyInfo& rec)
{
    ProfileRecord* pPro = m_ctx.pProfile ? m_ctx.pProfile->Current() : nullptr;
    if (!pPro || !KeyButton(nSlot)) return false;
    const MouseKeyContext mctx = MouseKeyContext::FromGvar(*pPro);
    const AssignResult res = ::AssignKey(*pPro, nSlot, rec, mctx);
    if (!res.bOk) {
        ShowRefusal(res.strMessage);
        return false;
    }
    const QString str = ToQString(GetFunctionText(pPro->Ms.Mode[mctx.nMode].Key[mctx.nKeySet][nSlot]));
    m_keys[size_t(nSlot)]->setText(str);
    m_keys[size_t(nSlot)]->setToolTip(str);
    if (onEdited) onEdited(kApplyKeys);
    return true;
}

bool CKeyMsDlg::eventFilter(QObject* pObj, QEvent* e)
{
    if (e->type() == QEvent::Enter || e->type() == QEvent::Leave) {
        const auto it = std::find(m_keys.begin(), m_keys.end(), pObj);
        if (it != m_keys.end()) emit KeyHovered(e->type() == QEvent::Enter ? int(it - m_keys.begin()) : -1);
    }
    return QWidget::eventFilter(pObj, e);
}
