#include "ui/pages/mouse/MsSettingDlg.h"

#include <QLabel>
#include <QVBoxLayout>

#include "core/Gvar.h"
#include "core/Log.h"
#include "device/DeviceHub.h"
#include "device/mouse/PerformanceEdit.h"
#include "device/mouse/MouseNotice.h"
#include "platform/GnomePointerSettings.h"
#include "lighting/MousePreview.h"
#include "ui/keys/KeyMarkDlg.h"
#include "ui/keys/KeyMsDlg.h"
#include "ui/lighting/LedDlg.h"
#include "ui/pages/PageTable.h"
#include "ui/pages/mouse/DpiDlg.h"
#include "ui/pages/mouse/LODDlg.h"
#include "ui/pages/mouse/PowerDlg.h"
#include "ui/pages/mouse/RateDlg.h"
#include "ui/pages/mouse/SysDlg.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/SkinTheme.h"

namespace {
// The page's layout at interface scale 1 (the page is 1063 x 672).
constexpr QRect kLowerBand(4, 474, 1056, 197);
constexpr QRect kLiftOff(270, 20, 790, 440);
constexpr QSize kPictureDefault(360, 400);
constexpr QSize kKeyListDefault(260, 420);
constexpr QPoint kRateDefault(300, 430);
constexpr QPoint kPowerDefault(800, 440);

QRect Scaled(const QRect& rc) { return MsScaled(rc.x(), rc.y(), rc.width(), rc.height()); }
QPoint ScaledPoint(ZPoint pt, QPoint def)
{
    const QPoint p = pt.x == 0 && pt.y == 0 ? def : QPoint(pt.x, pt.y);
    return MsScaled(p.x(), p.y(), 0, 0).topLeft();
}

QWidget* MakePlaceholder(const QString& strName, QWidget* pParent)
{
    auto* p = new QWidget(pParent);
    p->setObjectName(strName);
    return p;
}
}  // namespace

CMsSettingDlg::CMsSettingDlg(const PageContext& ctx, QWidget* pParent) : CPage(ctx, DevKind::Mouse, pParent)
{
    setObjectName(QStringLiteral("mouseHost"));
    m_link.profile = [this] { return Profile(); };
    m_link.edited = [this](uint32_t nFlags) {
        Edited(nFlags);
        // The rate, lift-off and debounce show on more than one page (a page
        // that mends a stored value while the host is being built edits too).
        if (m_pRate) m_pRate->LoadFromProfile();
        if (m_pSys) m_pSys->LoadFromProfile();
        if (m_pLod) m_pLod->LoadFromProfile();
    };
    m_link.prompt = [this]() -> IPrompt& { return Prompt(); };

    m_pPicture = MakePlaceholder(QStringLiteral("mousePicture"), this);
    m_pKeyList = MakePlaceholder(QStringLiteral("mouseKeys"), this);
    m_pLighting = MakePlaceholder(QStringLiteral("mouseLighting"), this);
    m_pLightingName = new QLabel(m_pLighting);
    m_pLightingName->setAlignment(Qt::AlignCenter);
    auto* pLayout = new QVBoxLayout(m_pLighting);
    pLayout->addWidget(m_pLightingName);
    m_pDpi = new CDpiDlg(m_link, this);
    m_pSys = new CSysDlg(m_link, CGnomePointerSettings::Ability(), this);
    m_pRate = new CRateDlg(m_link, this);
    m_pLod = new CLODDlg(m_link, this);
    m_pPower = new CPowerDlg(gVar.Ms.nPowerFw != 0, this);

    // The mouse picture with its marks and preview, the key list, and the lighting page.
    m_pMark = new CKeyMarkDlg(ctx, this);
    SetPictureWidget(m_pMark);
    m_pKeys = new CKeyMsDlg(ctx, this);
    m_pKeys->onEdited = [this](uint32_t nFlags) { Edited(nFlags); };
    SetKeyListWidget(m_pKeys);
    connect(m_pMark, &CKeyMarkDlg::MarkClicked, m_pKeys, &CKeyMsDlg::SelectKey);
    const LedDesign led = MouseLedDesign(gVar.nMsFw);
    if (led != LedDesign::None) {
        m_pLed = new CLedDlg(
            led, [this] { return Profile(); }, [this](uint32_t nFlags) { Edited(nFlags); }, this);
        m_pLightingName = nullptr;
        QWidget* pLed = m_pLed;
        Replace(m_pLighting, pLed, this);
        connect(m_pLed, &CLedDlg::lightingChanged, this, &CMsSettingDlg::Preview);
    }
    Retext();
    Place();
    ShowView(PageId::MouseDpi);
}

void CMsSettingDlg::Replace(QWidget*& pSlot, QWidget* pWidget, QWidget* pParent)
{
    if (!pWidget || pWidget == pSlot) return;
    const QRect rc = pSlot->geometry();
    const bool bVisible = pSlot->isVisibleTo(pParent);
    delete pSlot;
    pSlot = pWidget;
    pSlot->setParent(pParent);
    pSlot->move(rc.topLeft());
    if (pSlot->size().isEmpty()) pSlot->resize(rc.size());
    pSlot->setVisible(bVisible);
}

void CMsSettingDlg::SetPictureWidget(QWidget* pWidget)
{
    Replace(m_pPicture, pWidget, this);
}

void CMsSettingDlg::SetKeyListWidget(QWidget* pWidget)
{
    Replace(m_pKeyList, pWidget, this);
}

void CMsSettingDlg::Place()
{
    const QImage imgMouse = skin::LoadMouse(QStringLiteral("mouse_nr.png"));
    const double f = skin::InterfaceScale();
    const QSize picture = imgMouse.isNull() ? kPictureDefault : skin::LogicalSize(imgMouse);
    m_pPicture->setGeometry(QRect(ScaledPoint(gVar.ptMsMarkDlg, QPoint(290, 54)),
                                  QSize(int(picture.width() * f), int(picture.height() * f))));
    m_pKeyList->setGeometry(QRect(ScaledPoint(gVar.ptKeyMsDlg, QPoint(790, 35)),
                                  QSize(int(kKeyListDefault.width() * f), int(kKeyListDefault.height() * f))));
    for (QWidget* p : std::initializer_list<QWidget*>{m_pLighting, m_pDpi, m_pSys}) p->setGeometry(Scaled(kLowerBand));
    m_pLod->setGeometry(Scaled(kLiftOff));
    m_pRate->move(ScaledPoint(gVar.Ms.ptReportBar, kRateDefault));
    m_pPower->move(MsScaled(kPowerDefault.x(), kPowerDefault.y(), 0, 0).topLeft());
}

void CMsSettingDlg::ShowView(PageId id)
{
    switch (id) {
    case PageId::MouseLighting:
    case PageId::MouseDpi:
    case PageId::MouseSettings:
    case PageId::MouseLiftOff: break;
    default: return;  // not a view of this page
    }
    LogPrintf("CMsSettingDlg::ShowPage %s", PageName(id).toUtf8().constData());
    const bool bRepaint = (m_view == PageId::MouseLiftOff) != (id == PageId::MouseLiftOff);
    m_view = id;
    setObjectName(PageName(id));
    ShowChildren();
    if (bRepaint) update();
}

void CMsSettingDlg::ShowChildren()
{
    const bool bLiftOff = m_view == PageId::MouseLiftOff;
    m_pPicture->setVisible(!bLiftOff);
    m_pKeyList->setVisible(!bLiftOff);
    m_pLighting->setVisible(m_view == PageId::MouseLighting);
    m_pDpi->setVisible(m_view == PageId::MouseDpi);
    m_pSys->setVisible(m_view == PageId::MouseSettings);
    m_pLod->setVisible(bLiftOff);
    m_pRate->setVisible(!bLiftOff && gVar.Ms.nShowUsbRate != 0);
    m_pPower->setVisible(gVar.Ms.nShowPower != 0);
}

void CMsSettingDlg::Preview()
{
    if (!m_pLed || !m_pMark) return;
    const int nMode = m_pLed->Mode();
    if (nMode < 0 || nMode >= kMsLedOptNum) return;
    const LedOptMs& opt = gVar.Ms.LedOpt[nMode];
    const LedValues& v = m_pLed->Values();
    MouseLedPreviewInput in;
    in.nPreviewCode = opt.nPara1;
    in.nEffectId = opt.nEffectId;
    in.nMsKind = gVar.nMsFw & 0x0F;
    in.nSpeed = v.nSpeed + 1;         // the page keeps positions, the preview indexes from 1
    in.nBrightIndex = v.nBright + 1;
    const int nColours = m_pLed->VisibleColourButtons();
    in.colours.assign(v.colours.begin(), v.colours.begin() + std::min<size_t>(v.colours.size(), size_t(nColours)));
    in.bDirection2 = v.nDirect == 2;
    in.nLedModeIndex = nMode;
    m_pMark->RunPreviewProgram(MakeMouseLedPreview(in));
}

void CMsSettingDlg::Reload()
{
    if (m_pMark) m_pMark->Reload();
    if (m_pKeys) m_pKeys->Reload();
    if (m_pLed) m_pLed->LoadFromProfile();
    m_pDpi->LoadFromProfile();
    m_pSys->LoadFromProfile();
    m_pRate->LoadFromProfile();
    m_pLod->LoadFromProfile();
    ShowBattery();
    ShowChildren();
}

void CMsSettingDlg::ShowBattery()
{
    // What the hub read from the mouse after discovery or at its last link check.
    const size_t i = Family();
    CDeviceHub* pHub = Ctx().pHub;
    if (!pHub || i >= pHub->Count()) return;
    const DeviceState st = pHub->State(i);
    if (!st.bConnected || !st.bBatteryRead) return;
    const mouse::PowerView v = mouse::PowerViewOf(st.nBatteryLevel, st.bCharging, st.nVoltage, gVar.Ms.nPowerFw != 0);
    SetPowerStatus(v.nState, v.nLevel);
}

void CMsSettingDlg::Retext()
{
    if (m_pLightingName) m_pLightingName->setText(PageName(PageId::MouseLighting));
    if (m_pLed) m_pLed->ReloadTexts();
    m_pDpi->Retext();
    m_pSys->Retext();
    m_pLod->Retext();
}

void CMsSettingDlg::Reskin()
{
    if (m_pLightingName) m_pLightingName->setStyleSheet(QStringLiteral("color: %1;").arg(skin::Theme().clrText.name()));
    m_pDpi->Reskin();
    m_pSys->Reskin();
    m_pRate->Reskin();
    m_pLod->Reskin();
    m_pPower->Reskin();
    Place();
    update();
}

void CMsSettingDlg::SetBusy(bool bBusy)
{
    CPage::SetBusy(bBusy);
    for (QWidget* p : std::initializer_list<QWidget*>{m_pDpi, m_pSys, m_pRate, m_pLod}) p->setEnabled(!bBusy);
}

void CMsSettingDlg::DeviceEvent(const ::DeviceEvent& e)
{
    const ProfileRecord* pPro = Profile();
    if (!pPro) return;
    const MouseNotice n = InterpretMouseEvent(e, *pPro, MouseNoticeOptions::FromGvar());
    if (!n.bHandled) return;
    if (n.nSelectLevel >= 0) m_pDpi->SelectLevel(n.nSelectLevel);
    if (n.nRateHz >= 0) {
        m_pRate->LoadFromProfile();
        m_pSys->LoadFromProfile();
    }
}

void CMsSettingDlg::SetPowerStatus(int nState, int nLevel) { m_pPower->SetPowerStatus(nState, nLevel); }
