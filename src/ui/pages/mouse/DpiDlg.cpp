#include "ui/pages/mouse/DpiDlg.h"

#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QDialog>
#include <QDialogButtonBox>
#include <QToolButton>
#include <QVBoxLayout>
#include <cstdlib>
#include <vector>

#include "core/Gvar.h"
#include "core/Log.h"
#include "core/SensorTables.h"
#include "device/ApplySnapshot.h"
#include "device/mouse/MouseDefaults.h"
#include "ui/QtText.h"
#include "ui/lighting/ColorPicker.h"
#include "ui/pages/mouse/DpiGridDlg.h"
#include "ui/skin/MSliderBar.h"
#include "ui/skin/SkinImages.h"

using mouse::DpiAxis;

namespace {
// The layout at interface scale 1: cells 57 wide from x 68, the sensor's gap
// between them; the slider area under the colour bars.
constexpr int kCellLeft = 68, kCellW = 57;
constexpr int kSliderW = 410, kSliderH = 13;
}  // namespace

CDpiDlg::CDpiDlg(const MsPageLink& link, QWidget* pParent) : QWidget(pParent), m_link(link)
{
    setObjectName(QStringLiteral("dpiPage"));
    for (int i = 0; i < kMsDpiLevelNum; ++i) {
        m_cells[size_t(i)] = new CDpiGridDlg(i, this);
        connect(m_cells[size_t(i)], &CDpiGridDlg::clicked, this, &CDpiDlg::OnCell);
    }
    m_pCountLabel = new QLabel(this);
    m_pCount = new QComboBox(this);
    m_pCount->setObjectName(QStringLiteral("levelCount"));
    connect(m_pCount, &QComboBox::activated, this, [this](int i) { OnCount(i + 1); });
    m_pAdd = new QPushButton(QStringLiteral("+"), this);
    m_pRemove = new QPushButton(QStringLiteral("\u2212"), this);
    connect(m_pAdd, &QPushButton::clicked, this, [this] { OnAddRemove(+1); });
    connect(m_pRemove, &QPushButton::clicked, this, [this] { OnAddRemove(-1); });
    m_pXY = new QPushButton(this);
    m_pXY->setCheckable(true);
    connect(m_pXY, &QPushButton::clicked, this, &CDpiDlg::OnXY);
    m_pReset = new QPushButton(this);
    connect(m_pReset, &QPushButton::clicked, this, &CDpiDlg::OnReset);
    for (int i = 0; i < int(m_swatches.size()); ++i) {
        auto* pBtn = new QToolButton(this);
        pBtn->setObjectName(QStringLiteral("swatch%1").arg(i + 1));
        connect(pBtn, &QToolButton::clicked, this, [this, i] { OnSwatch(i); });
        m_swatches[size_t(i)] = pBtn;
    }
    m_pMore = new QToolButton(this);
    m_pMore->setObjectName(QStringLiteral("moreColours"));
    m_pMore->setText(QStringLiteral("\u2026"));
    m_pMore->setToolTip(tr("More colours"));
    connect(m_pMore, &QToolButton::clicked, this, &CDpiDlg::OnMoreColours);
    m_pLowX = new QLabel(this);
    m_pHighX = new QLabel(this);
    m_pLowY = new QLabel(this);
    m_pHighY = new QLabel(this);
    m_pNote = new QLabel(this);
    m_pNote->setWordWrap(true);
    Retext();
    Reskin();
}

void CDpiDlg::Retext()
{
    m_pCountLabel->setText(tr("Levels"));
    m_pAdd->setToolTip(tr("Add a level"));
    m_pRemove->setToolTip(tr("Remove the last level"));
    m_pXY->setText(tr("X/Y apart"));
    m_pReset->setText(tr("Reset"));
}

std::optional<mouse::CDpiLevels> CDpiDlg::Levels() const
{
    MsModeSettings* pMode = m_link.Mode();
    if (!pMode) return std::nullopt;
    std::optional<mouse::CDpiLevels> lv;
    lv.emplace(*pMode, pSensorCfg, gVar.Ms.nShowXY != 0, m_nSelected);
    return lv;
}

void CDpiDlg::BuildSliders()
{
    delete m_pSliderX;
    delete m_pSliderY;
    m_pSliderX = m_pSliderY = nullptr;
    const auto lv = Levels();
    std::vector<int> steps;
    if (lv)
        for (int i = 0; i < lv->Steps(); ++i) steps.push_back(lv->StepValue(i));
    const QImage thumb = skin::LoadChosen(QStringLiteral("slider.png"));
    const auto make = [&](DpiAxis axis) {
        auto* p = new CMSliderBar(this, QRect(0, 0, kSliderW, kSliderH), thumb);
        p->setObjectName(axis == DpiAxis::X ? QStringLiteral("sliderX") : QStringLiteral("sliderY"));
        p->SetColors(ToZColor(skin::Theme().clrListItem), ToZColor(skin::Theme().clrSelection));
        p->SetValues(steps);
        p->SetScale(float(skin::InterfaceScale()));
        connect(p, &CSkinSlider::moving, this, [this, axis](int n) { OnMoving(axis, n); });
        connect(p, &CSkinSlider::released, this, [this, axis](int) { OnReleased(axis); });
        p->show();
        return p;
    };
    m_pSliderX = make(DpiAxis::X);
    m_pSliderY = make(DpiAxis::Y);
    const QString strLow = steps.empty() ? QString() : QString::number(steps.front());
    const QString strHigh = steps.empty() ? QString() : QString::number(steps.back());
    m_pLowX->setText(strLow);
    m_pLowY->setText(strLow);
    m_pHighX->setText(strHigh);
    m_pHighY->setText(strHigh);
    m_nStepSensor = pSensorCfg ? pSensorCfg->nSensor : -1;
}

void CDpiDlg::Reskin()
{
    setStyleSheet(MsPageStyle());
    for (CDpiGridDlg* p : m_cells) p->Reskin();
    BuildSliders();
    LoadFromProfile();
}

void CDpiDlg::Layout()
{
    const auto lv = Levels();
    const bool bXY = lv && lv->XYShown();
    const int nGap = pSensorCfg ? std::clamp(pSensorCfg->nDPIH, 0, 20) : 0;
    const int nTop = bXY ? 85 : 90, nBottom = bXY ? 121 : 113;
    const double f = skin::InterfaceScale();
    for (int i = 0; i < kMsDpiLevelNum; ++i)
        m_cells[size_t(i)]->move(int((kCellLeft + i * (kCellW + nGap)) * f), int(nTop * f));
    const int nRight = kCellLeft + kMsDpiLevelNum * (kCellW + nGap);
    m_pCountLabel->setGeometry(MsScaled(kCellLeft, 48, 50, 24));
    m_pCount->setGeometry(MsScaled(kCellLeft + 52, 48, 56, 24));
    m_pRemove->setGeometry(MsScaled(kCellLeft + 114, 48, 28, 24));
    m_pAdd->setGeometry(MsScaled(kCellLeft + 146, 48, 28, 24));
    m_pXY->setGeometry(MsScaled(kCellLeft + 190, 48, 90, 24));
    m_pReset->setGeometry(MsScaled(nRight - 70, 48, 70, 24));
    for (int i = 0; i < int(m_swatches.size()); ++i)
        m_swatches[size_t(i)]->setGeometry(MsScaled(kCellLeft + 300 + i * 26, 50, 20, 20));
    m_pMore->setGeometry(MsScaled(kCellLeft + 300 + int(m_swatches.size()) * 26, 50, 26, 20));
    const int nSliderY = nBottom + (bXY ? 25 : 30);
    const int nYLeft = kCellLeft + kSliderW + 40;
    if (m_pSliderX) m_pSliderX->move(MsScaled(kCellLeft, nSliderY, 1, 1).topLeft());
    if (m_pSliderY) m_pSliderY->move(MsScaled(nYLeft, nSliderY, 1, 1).topLeft());
    m_pLowX->setGeometry(MsScaled(kCellLeft, nSliderY + kSliderH + 3, 100, 16));
    m_pHighX->setGeometry(MsScaled(kCellLeft + kSliderW - 100, nSliderY + kSliderH + 3, 100, 16));
    m_pHighX->setAlignment(Qt::AlignRight);
    m_pLowY->setGeometry(MsScaled(nYLeft, nSliderY + kSliderH + 3, 100, 16));
    m_pHighY->setGeometry(MsScaled(nYLeft + kSliderW - 100, nSliderY + kSliderH + 3, 100, 16));
    m_pHighY->setAlignment(Qt::AlignRight);
    m_pNote->setGeometry(MsScaled(kCellLeft, 8, 700, 36));
    // The sliders draw the piece of the window's background under them.
    const QImage imgBack = skin::LoadChosenScaled(QStringLiteral("main_nr.png"));
    for (CMSliderBar* p : {m_pSliderX, m_pSliderY}) {
        if (!p || imgBack.isNull()) continue;
        const QPoint origin = p->mapTo(window(), QPoint(0, 0));
        p->SetBackground(imgBack, QRect(origin, p->size()));
    }
}

bool CDpiDlg::SnapToSteps()
{
    const auto lv = Levels();
    MsModeSettings* pMode = m_link.Mode();
    if (!lv || !lv->Usable() || !pMode) return false;
    const auto nearest = [&](int nValue) {
        int nBest = lv->StepValue(0);
        for (int i = 1; i < lv->Steps(); ++i)
            if (std::abs(lv->StepValue(i) - nValue) < std::abs(nBest - nValue)) nBest = lv->StepValue(i);
        return nBest;
    };
    bool bChanged = false;
    for (int i = 0; i < lv->Levels(); ++i) {
        MsDpiLevel& d = pMode->Dpi[i];
        for (int32_t* pValue : {&d.nDpiX, &d.nDpiY}) {
            const int n = nearest(*pValue);
            if (n == *pValue) continue;
            LogPrintf("DPI level %d: %d is not a step of sensor 0x%x, %d taken", i + 1, int(*pValue),
                      unsigned(pSensorCfg->nSensor), n);
            *pValue = n;
            bChanged = true;
        }
    }
    return bChanged;
}

void CDpiDlg::LoadFromProfile()
{
    if (m_bLoading) return;
    m_bLoading = true;
    if ((pSensorCfg ? pSensorCfg->nSensor : -1) != m_nStepSensor) BuildSliders();
    const int nMode = m_link.ModeIndex();
    const int nCur = g_nCurDpiLevel[nMode];
    auto lv = Levels();
    const bool bUsable = lv && lv->Usable();
    // Values of another sensor's list (an imported profile, a switched sensor)
    // are kept as the nearest step, and stored without a device write: the
    // mouse takes the nearest step of any value anyway.
    if (bUsable && SnapToSteps() && m_link.edited) m_link.edited(0);
    m_pNote->setText(!m_link.Mode() ? tr("No profile is loaded.")
                     : bUsable     ? QString()
                                   : tr("The DPI levels of this mouse's sensor are not known: nothing to set here."));
    m_pNote->setVisible(!m_pNote->text().isEmpty());
    for (QWidget* p : std::initializer_list<QWidget*>{m_pCount, m_pAdd, m_pRemove, m_pXY, m_pReset, m_pSliderX,
                                                      m_pSliderY})
        if (p) p->setEnabled(bUsable);
    m_pCount->clear();
    if (bUsable) {
        for (int i = 1; i <= lv->Levels(); ++i) m_pCount->addItem(QString::number(i));
        if (nCur >= 0 && nCur < lv->Count()) m_nSelected = nCur;
        if (m_nSelected >= lv->Count()) m_nSelected = 0;
    }
    m_bLoading = false;
    ShowLevels();
}

void CDpiDlg::ShowLevels()
{
    auto lv = Levels();
    const bool bUsable = lv && lv->Usable();
    const bool bXYShown = bUsable && lv->XYShown();
    const bool bApart = bUsable && lv->XYSeparate();
    for (int i = 0; i < kMsDpiLevelNum; ++i) {
        CDpiGridDlg* p = m_cells[size_t(i)];
        const bool bShown = bUsable && i < lv->Count() && i < lv->Levels();
        p->setVisible(bShown);
        if (!bUsable) continue;
        p->SetTwoLine(bApart);
        p->SetValues(lv->Level(i).nDpiX, lv->Level(i).nDpiY);
        p->SetSelected(i == m_nSelected);
    }
    m_pXY->setVisible(bXYShown);
    m_pXY->setChecked(bApart);
    if (m_pSliderY) m_pSliderY->setVisible(bXYShown);
    m_pLowY->setVisible(bXYShown);
    m_pHighY->setVisible(bXYShown);
    for (QToolButton* p : m_swatches) {
        const int i = int(p->objectName().mid(6).toInt()) - 1;
        p->setStyleSheet(QStringLiteral("QToolButton { background: %1; border: 1px solid %2; }")
                             .arg(ToQColor(gVar.clrPick[i]).name(), skin::Theme().clrFieldBorder.name()));
        p->setEnabled(bUsable);
        p->setVisible(gVar.Ms.nShowDpiColor != 0);
    }
    m_pMore->setEnabled(bUsable);
    m_pMore->setVisible(gVar.Ms.nShowDpiColor != 0);
    if (bUsable) {
        m_pCount->setCurrentIndex(lv->Count() - 1);
        m_pAdd->setEnabled(lv->Count() < lv->Levels());
        if (m_pSliderX) m_pSliderX->setValue(lv->StepOfSelected(DpiAxis::X));
        if (m_pSliderY) m_pSliderY->setValue(lv->StepOfSelected(DpiAxis::Y));
    }
    Layout();
    update();
}

void CDpiDlg::SelectLevel(int nLevel)
{
    auto lv = Levels();
    if (!lv || !lv->Select(nLevel)) return;
    m_nSelected = nLevel;
    ShowLevels();
}

void CDpiDlg::Store()
{
    if (m_link.edited) m_link.edited(kApplyGeneral);
}

void CDpiDlg::OnCell(int nLevel) { SelectLevel(nLevel); }

void CDpiDlg::OnMoving(DpiAxis axis, int nValue)
{
    auto lv = Levels();
    if (!lv || !lv->Usable()) return;
    CDpiGridDlg* p = m_cells[size_t(m_nSelected)];
    if (!lv->XYSeparate())
        p->SetValues(nValue, nValue);
    else if (axis == DpiAxis::X)
        p->SetValues(nValue, p->Y());
    else
        p->SetValues(p->X(), nValue);
}

void CDpiDlg::OnReleased(DpiAxis axis)
{
    auto lv = Levels();
    CMSliderBar* pSlider = axis == DpiAxis::X ? m_pSliderX : m_pSliderY;
    if (!lv || !pSlider || !lv->Release(axis, pSlider->value())) return;
    Store();
    ShowLevels();
}

void CDpiDlg::OnCount(int nCount)
{
    auto lv = Levels();
    if (!lv || !lv->SetCount(nCount)) return;
    m_nSelected = lv->Selected();
    Store();
    ShowLevels();
}

void CDpiDlg::OnAddRemove(int nDelta)
{
    auto lv = Levels();
    if (!lv || !lv->Usable()) return;
    const int nCount = lv->Count() + nDelta;
    if (nCount < 1) {
        m_link.prompt().ShowMessage(ToU16(tr("The mouse needs one DPI level: the last one cannot be turned off.")),
                                    ToU16(tr("DPI levels")));
        return;
    }
    if (nCount > lv->Levels()) {
        m_link.prompt().ShowMessage(ToU16(tr("This sensor has no more than %1 DPI levels.").arg(lv->Levels())),
                                    ToU16(tr("DPI levels")));
        return;
    }
    OnCount(nCount);
}

void CDpiDlg::OnSwatch(int i)
{
    auto lv = Levels();
    if (!lv || !lv->SetColour(gVar.clrPick[i])) return;
    Store();
    ShowLevels();
}

bool CDpiDlg::ChooseLevelColour(ZColor clr)
{
    auto lv = Levels();
    if (!lv || !lv->SetColour(clr)) return false;
    Store();
    ShowLevels();
    return true;
}

void CDpiDlg::OnMoreColours()
{
    auto lv = Levels();
    if (!lv || !lv->Usable()) return;
    // The same picker the lighting pages use: wheel, swatches, bars and typed values.
    QDialog dlg(this);
    dlg.setWindowTitle(tr("Level colour"));
    dlg.setStyleSheet(QStringLiteral("QDialog { background: %1; }").arg(skin::Theme().clrWindow.name()));
    auto* pPicker = new CColorPicker(&dlg);
    std::array<ZColor, 8> swatches{};
    for (size_t i = 0; i < swatches.size(); ++i) swatches[i] = gVar.clrPick[i];
    pPicker->setSwatches(swatches);
    pPicker->setBarsDraggable(gVar.nRGBBarDrop != 0);
    pPicker->setColor(ToQColor(lv->Level(lv->Selected()).clr));
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    connect(pButtons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    connect(pButtons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    auto* pLayout = new QVBoxLayout(&dlg);
    pLayout->addWidget(pPicker);
    pLayout->addWidget(pButtons);
    if (dlg.exec() != QDialog::Accepted) return;
    ChooseLevelColour(ToZColor(pPicker->color()));
}

void CDpiDlg::OnXY()
{
    auto lv = Levels();
    if (!lv || !lv->ToggleXY()) return;
    Store();
    ShowLevels();
}

void CDpiDlg::OnReset()
{
    ProfileRecord* p = m_link.profile ? m_link.profile() : nullptr;
    if (!p || !pSensorCfg) return;
    mouse::SetDefaultDpi(*p, pSensorCfg, 1 << m_link.ModeIndex());
    m_nSelected = 0;
    Store();
    LoadFromProfile();
}

void CDpiDlg::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    LoadFromProfile();
}

void CDpiDlg::paintEvent(QPaintEvent*)
{
    // The colour bar under each level cell in use.
    MsModeSettings* pMode = m_link.Mode();
    if (!pMode || gVar.Ms.nShowDpiColor == 0) return;
    QPainter p(this);
    const double f = skin::InterfaceScale();
    for (const CDpiGridDlg* pCell : m_cells) {
        if (!pCell->isVisible()) continue;
        const QRect rc(pCell->x(), pCell->geometry().bottom() + 1 + int(8 * f), pCell->width(), std::max(1, int(3 * f)));
        p.fillRect(rc, ToQColor(pMode->Dpi[pCell->Index()].clr));
    }
}
