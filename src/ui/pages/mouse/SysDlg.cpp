#include "ui/pages/mouse/SysDlg.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "core/Gvar.h"
#include "device/ApplySnapshot.h"
#include "device/mouse/MouseDefaults.h"
#include "device/mouse/PerformanceEdit.h"

using mouse::ApplyFlagOf;
using mouse::SysControl;

namespace {
constexpr int kSpeedMin = 1, kSpeedMax = 20;
constexpr int kWheelMin = 1, kWheelMax = 20;
// Double-click time in steps of 10 ms.
constexpr int kDblMin = 200, kDblMax = 900, kDblStep = 10;
constexpr int kRates = 4;
}  // namespace

CSysDlg::CSysDlg(const MsPageLink& link, const OsPointerAbility& os, QWidget* pParent)
    : QWidget(pParent), m_link(link), m_os(os)
{
    setObjectName(QStringLiteral("systemPage"));
    m_pSpeed = AddSlider(QStringLiteral("speed"), kSpeedMin, kSpeedMax);
    m_pWheel = AddSlider(QStringLiteral("wheel"), kWheelMin, kWheelMax);
    m_pDblClick = AddSlider(QStringLiteral("doubleClick"), kDblMin / kDblStep, kDblMax / kDblStep);
    m_pRate = AddSlider(QStringLiteral("rate"), 0, kRates - 1);
    m_pLod = AddSlider(QStringLiteral("liftOff"), 0, 0);
    m_pDebounce = AddSlider(QStringLiteral("debounce"), 0, 0);
    const auto box = [this](const char* pszName) {
        auto* p = new QCheckBox(this);
        p->setObjectName(QString::fromLatin1(pszName));
        connect(p, &QCheckBox::clicked, this, [this, p] { OnCheck(p); });
        return p;
    };
    m_pPrecision = box("precision");
    m_pOneScreen = box("oneScreen");
    m_pNoSleep = box("noSleep");
    m_pLedOff = box("ledOffWhenMoving");
    m_pReset = new QPushButton(this);
    connect(m_pReset, &QPushButton::clicked, this, &CSysDlg::OnReset);
    m_pOsNote = new QLabel(this);
    m_pOsNote->setWordWrap(true);
    Retext();
    Reskin();
}

QSlider* CSysDlg::AddSlider(const QString& strName, int nMin, int nMax)
{
    auto* p = new QSlider(Qt::Horizontal, this);
    p->setObjectName(strName);
    p->setRange(nMin, nMax);
    p->setPageStep(1);
    m_labels.insert(p, {new QLabel(this), new QLabel(this)});
    // While the thumb is dragged only the label follows; a drag that ends, a
    // click on the bar or a key stores.
    connect(p, &QSlider::valueChanged, this, [this, p] {
        if (m_bLoading) return;
        ShowValues();
        if (!p->isSliderDown()) OnSlider(p);
    });
    connect(p, &QSlider::sliderReleased, this, [this, p] { OnSlider(p); });
    return p;
}

QLabel* CSysDlg::ValueLabel(const QSlider* pSlider) const { return m_labels.value(pSlider).second; }

void CSysDlg::Retext()
{
    m_labels[m_pSpeed].first->setText(tr("Pointer speed"));
    m_labels[m_pWheel].first->setText(tr("Wheel lines"));
    m_labels[m_pDblClick].first->setText(tr("Double-click"));
    m_labels[m_pRate].first->setText(tr("Report rate"));
    m_labels[m_pLod].first->setText(tr("Lift-off"));
    m_labels[m_pDebounce].first->setText(tr("Debounce"));
    m_pPrecision->setText(tr("Enhance precision"));
    m_pOneScreen->setText(tr("One screen"));
    m_pNoSleep->setText(tr("No sleep"));
    m_pLedOff->setText(tr("Lights off while moving"));
    m_pReset->setText(tr("Reset"));
    SetOsAbility(m_os);
}

void CSysDlg::SetOsAbility(const OsPointerAbility& os)
{
    m_os = os;
    QString strNote;
    if (!m_os.Any())
        strNote = tr("This desktop does not let programs set the pointer speed, precision, wheel lines or "
                     "double-click time: they are kept in the profile only.");
    else if (!m_os.bWheelLines)
        strNote = tr("This desktop has no wheel-line setting: the wheel lines are kept in the profile only.");
    m_pOsNote->setText(strNote);
    m_pOsNote->setVisible(!strNote.isEmpty());
    LoadFromProfile();
}

void CSysDlg::Reskin()
{
    setStyleSheet(MsPageStyle());
    Layout();
    LoadFromProfile();
}

void CSysDlg::Layout()
{
    const auto row = [this](QSlider* p, int x, int y) {
        m_labels[p].first->setGeometry(MsScaled(x, y, 120, 24));
        p->setGeometry(MsScaled(x + 120, y, 160, 24));
        m_labels[p].second->setGeometry(MsScaled(x + 288, y, 70, 24));
    };
    constexpr int kLeft = 68, kRight = 600;
    row(m_pSpeed, kLeft, 20);
    row(m_pWheel, kLeft, 55);
    row(m_pDblClick, kLeft, 90);
    row(m_pRate, kRight, 20);
    row(m_pLod, kRight, 55);
    row(m_pDebounce, kRight, 90);
    m_pPrecision->setGeometry(MsScaled(kLeft + 350, 20, 170, 24));
    m_pOneScreen->setGeometry(MsScaled(kLeft + 350, 55, 170, 24));
    m_pNoSleep->setGeometry(MsScaled(kRight, 130, 200, 24));
    m_pLedOff->setGeometry(MsScaled(kRight, 155, 200, 24));
    m_pReset->setGeometry(MsScaled(kRight + 290, 130, 70, 24));
    m_pOsNote->setGeometry(MsScaled(kLeft, 125, 460, 48));
}

void CSysDlg::LoadFromProfile()
{
    const MsModeSettings* pMode = m_link.Mode();
    const ProfileRecord* pPro = m_link.profile ? m_link.profile() : nullptr;
    const MsDesc& ms = gVar.Ms;
    // The system-settings bits of the description: 0 speed and precision,
    // 1 wheel lines, 2 double-click time; a description without any shows all.
    const int nShowSys = ms.nShowSys != 0 ? ms.nShowSys : 0x7;
    const bool bLod = ms.nShowLOD == 1 && ms.nLodNum > 0;
    const bool bDebounce = ms.nDebounceNum > 0;
    const auto show = [this](QSlider* p, bool b) {
        p->setVisible(b);
        m_labels[p].first->setVisible(b);
        m_labels[p].second->setVisible(b);
    };
    show(m_pSpeed, nShowSys & 1);
    m_pPrecision->setVisible(nShowSys & 1);
    show(m_pWheel, nShowSys & 2);
    m_pOneScreen->setVisible(nShowSys & 2);
    show(m_pDblClick, nShowSys & 4);
    show(m_pRate, true);
    show(m_pLod, bLod);
    show(m_pDebounce, bDebounce);
    m_pNoSleep->setVisible(ms.nShowNoSleep != 0);
    m_pLedOff->setVisible(ms.nLedOFFWhenMoving != 0);
    m_pSpeed->setEnabled(m_os.bSpeed);
    m_pPrecision->setEnabled(m_os.bPrecision);
    m_pDblClick->setEnabled(m_os.bDoubleClick);
    setEnabled(pMode != nullptr);
    if (!pMode || !pPro) return;

    m_bLoading = true;
    const MsSysSettings& s = pMode->Sys;
    m_pSpeed->setValue(s.nPointerSpeed);
    m_pPrecision->setChecked(s.bEnhancePrecision != 0);
    m_pOneScreen->setChecked(s.nWheelLines < 0);
    m_pWheel->setEnabled(s.nWheelLines >= 0);
    if (s.nWheelLines >= 0) m_pWheel->setValue(s.nWheelLines);
    m_pDblClick->setValue(s.nDblClickTime / kDblStep);
    m_pRate->setValue(std::max(0, mouse::AreaOfRate(pMode->nRate)));
    m_pLod->setRange(0, std::max(0, std::min(int(ms.nLodNum), 8) - 1));
    m_pLod->setValue(pMode->nLod);
    m_pDebounce->setRange(0, std::max(0, std::min(int(ms.nDebounceNum), 12) - 1));
    m_pDebounce->setValue(pPro->Ms.nDebounce);
    m_pNoSleep->setChecked(pPro->Ms.bNoSleep != 0);
    m_pLedOff->setChecked(pPro->Ms.bLedOffWhenMoving != 0);
    m_bLoading = false;
    ShowValues();
}

void CSysDlg::ShowValues()
{
    const MsDesc& ms = gVar.Ms;
    const int nSpeed = m_pSpeed->value();
    const int nHalf = nSpeed / 2;
    // With a precision table the speed reads as its entry for half the value.
    m_labels[m_pSpeed].second->setText(ms.nPrecisionNum > 0 && nHalf < ms.nPrecisionNum
                                           ? QString::number(ms.PrecisionUI[nHalf])
                                           : QString::number(nSpeed));
    m_labels[m_pWheel].second->setText(m_pOneScreen->isChecked() ? tr("screen") : QString::number(m_pWheel->value()));
    m_labels[m_pDblClick].second->setText(tr("%1 ms").arg(m_pDblClick->value() * kDblStep));
    m_labels[m_pRate].second->setText(tr("%1 Hz").arg(mouse::RateOfArea(m_pRate->value()), 0, 16));
    const int nLod = m_pLod->value();
    m_labels[m_pLod].second->setText(nLod < 8 ? tr("%1 mm").arg(ms.LodUI[nLod]) : QString());
    const int nDeb = m_pDebounce->value();
    m_labels[m_pDebounce].second->setText(nDeb < 12 ? tr("%1 ms").arg(ms.DebounceUi[nDeb]) : QString());
}

void CSysDlg::OnSlider(QSlider* pSlider)
{
    MsModeSettings* pMode = m_link.Mode();
    ProfileRecord* pPro = m_link.profile ? m_link.profile() : nullptr;
    if (m_bLoading || !pMode || !pPro) return;
    const int n = pSlider->value();
    SysControl c = SysControl::PointerSpeed;
    int32_t* pField = nullptr;
    int32_t nNew = n;
    if (pSlider == m_pSpeed) {
        c = SysControl::PointerSpeed, pField = &pMode->Sys.nPointerSpeed;
    } else if (pSlider == m_pWheel) {
        c = SysControl::WheelLines, pField = &pMode->Sys.nWheelLines;
    } else if (pSlider == m_pDblClick) {
        c = SysControl::DoubleClick, pField = &pMode->Sys.nDblClickTime, nNew = n * kDblStep;
    } else if (pSlider == m_pRate) {
        c = SysControl::Rate, pField = &pMode->nRate, nNew = mouse::RateOfArea(n);
    } else if (pSlider == m_pLod) {
        if (pMode->nLod == n) return;
        pMode->nLod = uint8_t(n);
        m_link.edited(ApplyFlagOf(SysControl::LiftOff));
        return;
    } else if (pSlider == m_pDebounce) {
        if (pPro->Ms.nDebounce == n) return;
        pPro->Ms.nDebounce = uint16_t(n);
        m_link.edited(ApplyFlagOf(SysControl::Debounce));
        return;
    } else {
        return;
    }
    if (*pField == nNew) return;
    *pField = nNew;
    m_link.edited(ApplyFlagOf(c));
}

void CSysDlg::OnCheck(QCheckBox* pBox)
{
    MsModeSettings* pMode = m_link.Mode();
    ProfileRecord* pPro = m_link.profile ? m_link.profile() : nullptr;
    if (!pMode || !pPro) return;
    const bool b = pBox->isChecked();
    if (pBox == m_pPrecision) {
        pMode->Sys.bEnhancePrecision = b ? 1 : 0;
        m_link.edited(ApplyFlagOf(SysControl::Precision));
    } else if (pBox == m_pOneScreen) {
        // One screen is stored as -1; taking the box off brings back the slider's lines.
        pMode->Sys.nWheelLines = b ? -1 : m_pWheel->value();
        m_pWheel->setEnabled(!b);
        m_link.edited(ApplyFlagOf(SysControl::OneScreen));
    } else if (pBox == m_pNoSleep) {
        pPro->Ms.bNoSleep = b ? 1 : 0;
        m_link.edited(ApplyFlagOf(SysControl::NoSleep));
    } else if (pBox == m_pLedOff) {
        pPro->Ms.bLedOffWhenMoving = b ? 1 : 0;
        m_link.edited(ApplyFlagOf(SysControl::LedOffWhenMoving));
    }
    ShowValues();
}

void CSysDlg::OnReset()
{
    ProfileRecord* pPro = m_link.profile ? m_link.profile() : nullptr;
    if (!pPro) return;
    mouse::SetDefaultSys(*pPro, 1 << m_link.ModeIndex());
    // The defaults include the lift-off distance and the debounce time: the
    // mouse is sent those too, so it does not keep the old ones.
    uint32_t nFlags = kApplyGeneral | kApplyOsPointer;
    if (gVar.Ms.nShowLOD != 0) nFlags |= kApplyLod;
    if (gVar.Ms.nDebounceNum > 0) nFlags |= kApplyDebounce;
    LoadFromProfile();
    m_link.edited(nFlags);
}
