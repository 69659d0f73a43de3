#include "ui/lighting/LedDlg.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>

#include "core/Gvar.h"
#include "core/Log.h"
#include "device/kb/KbBlock.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "ui/lighting/ColorPicker.h"
#include "ui/lighting/KBColorDlg.h"
#include "ui/skin/ComboBtn.h"
#include "ui/skin/MSliderBar.h"
#include "ui/skin/PngBtn.h"
#include "ui/skin/SkinContext.h"
#include "ui/skin/SkinControls.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/SkinTheme.h"

namespace {
// The page's layout in unscaled pixels of its band.
constexpr QRect kModes{20, 24, 180, 24};
constexpr int kLabelX = 240, kSliderX = 340, kSliderW = 220, kValueX = 572;
constexpr int kRowY[4] = {20, 58, 96, 134};
constexpr QPoint kDirect1{340, 90}, kDirect2{384, 90};
constexpr QPoint kFlag{340, 136};
constexpr int kButtonsX = 640, kButtonsY = 24, kButtonSize = 26, kButtonGap = 8;
constexpr int kPaletteY = 96;
constexpr QPoint kAdd{640, 136}, kRemove{672, 136};
// Per-key colour mode: the group list under the mode list, the paint and fill swatches.
constexpr QRect kGroups{20, 64, 180, 24};
constexpr int kSwatchX = 340;
constexpr QPoint kPicker{570, 6};

QColor ToColor(ZColor clr) { return QColor(clr & 0xFF, (clr >> 8) & 0xFF, (clr >> 16) & 0xFF); }
ZColor FromColor(const QColor& c) { return ZColor(c.red() | (c.green() << 8) | (c.blue() << 16)); }

QRect S(const QRect& rc)
{
    const double f = skin::InterfaceScale();
    return QRect(qRound(rc.x() * f), qRound(rc.y() * f), qRound(rc.width() * f), qRound(rc.height() * f));
}
QPoint S(const QPoint& pt)
{
    const double f = skin::InterfaceScale();
    return QPoint(qRound(pt.x() * f), qRound(pt.y() * f));
}
}  // namespace

CColorSwatch::CColorSwatch(QWidget* pParent) : QWidget(pParent)
{
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_TranslucentBackground);
}

void CColorSwatch::SetColor(ZColor clr)
{
    m_clr = clr & 0xFFFFFF;
    update();
}

void CColorSwatch::SetMarked(bool b)
{
    m_bMarked = b;
    update();
}

void CColorSwatch::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF rc = QRectF(rect()).adjusted(3, 3, -3, -3);
    p.setPen(QPen(skin::Theme().clrText, 1));
    p.setBrush(ToColor(m_clr));
    p.drawRoundedRect(rc, 4, 4);
    if (m_bMarked) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(skin::Theme().clrSelection, 2.5));
        p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 5, 5);
    }
}

void CColorSwatch::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) emit clicked();
}

CLedDlg::CLedDlg(LedDesign design, ProfileFn profile, EditedFn edited, QWidget* pParent)
    : QWidget(pParent), m_design(design), m_profile(std::move(profile)), m_edited(std::move(edited))
{
    setObjectName(QStringLiteral("led"));
    Build();
    ReloadTexts();
}

void CLedDlg::Build()
{
    const QImage bkg = skin::LoadChosenScaled(QStringLiteral("main_nr.png"));
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, skin::Theme().clrText);
    auto label = [&](const QRect& rc) {
        auto* p = new QLabel(this);
        p->setGeometry(S(rc));
        p->setPalette(pal);
        p->setFont(skin::InterfaceFont());
        return p;
    };

    m_pModes = CreateSkinButton<CComboBtn>(this, bkg, QStringLiteral("combo2_nr.png"), QStringLiteral("combo2_ov.png"),
                                           QStringLiteral("combo2_ov.png"), QString(), false, S(kModes), nullptr);
    if (m_pModes) {
        m_pModes->setObjectName(QStringLiteral("led-modes"));
        connect(m_pModes, &CComboBtn::changed, this, [this](int nValue) { ChooseMode(nValue); });
    }

    const QImage thumb = skin::LoadCommon(QStringLiteral("slider.png"));
    auto slider = [&](int nRow, const char* pszName) {
        auto* p = new CMSliderBar(this, S(QRect(kSliderX, kRowY[nRow] + 5, kSliderW, 13)), thumb);
        p->setObjectName(QString::fromLatin1(pszName));
        p->SetColors(gVar.clrBarNr, gVar.clrBarOv);
        p->SetScale(float(skin::InterfaceScale()));
        return p;
    };
    m_pSpeedLabel = label(QRect(kLabelX, kRowY[0], 96, 22));
    m_pSpeed = slider(0, "led-speed");
    m_pSpeedValue = label(QRect(kValueX, kRowY[0], 48, 22));
    connect(m_pSpeed, &CSkinSlider::moving, this, [this](int n) { m_pSpeedValue->setText(QString::number(n)); });
    connect(m_pSpeed, &CSkinSlider::released, this, [this](int n) { ChooseSpeed(n); });
    m_pBrightLabel = label(QRect(kLabelX, kRowY[1], 96, 22));
    m_pBright = slider(1, "led-brightness");
    m_pBrightValue = label(QRect(kValueX, kRowY[1], 48, 22));
    connect(m_pBright, &CSkinSlider::moving, this, [this](int n) { m_pBrightValue->setText(BrightText(n)); });
    connect(m_pBright, &CSkinSlider::released, this, [this](int n) { ChooseBrightness(n); });

    m_pDirectLabel = label(QRect(kLabelX, kRowY[2], 96, 22));
    m_pDirect1 = CreateSkinButton(this, bkg, QStringLiteral("lightleft_nr.png"), QStringLiteral("lightleft_nr.png"),
                                  QStringLiteral("lightleft_dn.png"), true, S(kDirect1), nullptr);
    m_pDirect2 = CreateSkinButton(this, bkg, QStringLiteral("lightright_nr.png"), QStringLiteral("lightright_nr.png"),
                                  QStringLiteral("lightright_dn.png"), true, S(kDirect2), nullptr);
    for (auto [p, n] : {std::pair{m_pDirect1, 1}, std::pair{m_pDirect2, 2}}) {
        if (!p) continue;
        p->setObjectName(QStringLiteral("led-direction-%1").arg(n));
        p->setAutoExclusive(false);
        p->setFocusPolicy(Qt::NoFocus);
        connect(p, &QAbstractButton::clicked, this, [this, n] { ChooseDirection(n); });
    }
    m_pFlag = CreateSkinButton(this, bkg, QStringLiteral("check_nr.png"), QStringLiteral("check_ov.png"),
                               QStringLiteral("check_dn.png"), QStringLiteral("Colourful"), true,
                               S(QRect(kFlag, QSize(120, 17))), nullptr);
    if (m_pFlag) {
        m_pFlag->setObjectName(QStringLiteral("led-flag"));
        m_pFlag->SetTextMargin(24);
        m_pFlag->setFocusPolicy(Qt::NoFocus);
        connect(m_pFlag, &QAbstractButton::clicked, this, [this] { SetFlag(m_pFlag->isChecked()); });
    }

    for (int i = 0; i < 10; ++i) {
        auto* p = new CColorSwatch(this);
        p->setObjectName(QStringLiteral("led-colour-%1").arg(i));
        p->setGeometry(S(QRect(kButtonsX + i * (kButtonSize + kButtonGap), kButtonsY, kButtonSize, kButtonSize)));
        connect(p, &CColorSwatch::clicked, this, [this, i] { SelectColourButton(i); });
        m_buttons.push_back(p);
    }
    // The colours offered for the chosen button: the installation's swatches.
    for (int i = 0; i < 8; ++i) {
        auto* p = new CColorSwatch(this);
        p->setObjectName(QStringLiteral("led-palette-%1").arg(i));
        p->setGeometry(S(QRect(kButtonsX + i * (kButtonSize + kButtonGap), kPaletteY, kButtonSize, kButtonSize)));
        p->SetColor(gVar.clrPick[i]);
        connect(p, &CColorSwatch::clicked, this, [this, p] { ChooseColour(p->Color()); });
        m_palette.push_back(p);
    }
    m_pAdd = CreateSkinButton(this, bkg, QStringLiteral("add_nr.png"), QStringLiteral("add_ov.png"),
                              QStringLiteral("add_ov.png"), false, S(kAdd), nullptr);
    m_pRemove = CreateSkinButton(this, bkg, QStringLiteral("sub_nr.png"), QStringLiteral("sub_ov.png"),
                                 QStringLiteral("sub_ov.png"), false, S(kRemove), nullptr);
    if (m_pAdd) {
        m_pAdd->setObjectName(QStringLiteral("led-add"));
        connect(m_pAdd, &QAbstractButton::clicked, this, &CLedDlg::AddColour);
    }
    if (m_pRemove) {
        m_pRemove->setObjectName(QStringLiteral("led-remove"));
        connect(m_pRemove, &QAbstractButton::clicked, this, &CLedDlg::RemoveColour);
    }
    m_pNote = label(QRect(kModes.x(), kRowY[3], 540, 22));
    m_pNote->hide();

    if (m_design != LedDesign::Keyboard) return;
    m_pGroups = CreateSkinButton<CComboBtn>(this, bkg, QStringLiteral("combo2_nr.png"), QStringLiteral("combo2_ov.png"),
                                            QStringLiteral("combo2_ov.png"), QString(), false, S(kGroups), nullptr);
    if (m_pGroups) {
        m_pGroups->setObjectName(QStringLiteral("led-groups"));
        m_pGroups->hide();
        connect(m_pGroups, &CComboBtn::changed, this, [this](int g) { ChooseGameGroup(g); });
    }
    m_pPaintLabel = label(QRect(kLabelX, kRowY[0] + 2, 96, 22));
    m_pFillLabel = label(QRect(kLabelX, kRowY[1] + 2, 96, 22));
    m_pPaint = new CColorSwatch(this);
    m_pFill = new CColorSwatch(this);
    m_pPaint->setObjectName(QStringLiteral("led-paint"));
    m_pFill->setObjectName(QStringLiteral("led-fill"));
    m_pPaint->setGeometry(S(QRect(kSwatchX, kRowY[0], kButtonSize, kButtonSize)));
    m_pFill->setGeometry(S(QRect(kSwatchX, kRowY[1], kButtonSize, kButtonSize)));
    m_pPaint->SetColor(m_clrPaint);
    m_pFill->SetColor(m_clrPaint);
    connect(m_pPaint, &CColorSwatch::clicked, this, [this] { SelectGameTarget(0); });
    connect(m_pFill, &CColorSwatch::clicked, this, [this] { SelectGameTarget(1); });
    for (QWidget* p : {static_cast<QWidget*>(m_pPaintLabel), static_cast<QWidget*>(m_pFillLabel),
                       static_cast<QWidget*>(m_pPaint), static_cast<QWidget*>(m_pFill)})
        p->hide();
    m_pPicker = new CColorPicker(this);
    m_pPicker->setObjectName(QStringLiteral("led-picker"));
    m_pPicker->setSwatches(std::to_array(gVar.clrPick));
    m_pPicker->move(S(kPicker));
    m_pPicker->setColor(ToColor(m_clrPaint));
    m_pPicker->hide();
    connect(m_pPicker, &CColorPicker::colorChanged, this, [this](const QColor& c) { ChooseColour(FromColor(c)); });
}

QString CLedDlg::BrightText(int nValue) const
{
    // The pad's brightness steps read as percentages: 0x20 shows "20%".
    return m_design == LedDesign::Pad ? QString::number(nValue, 16) + QLatin1Char('%') : QString::number(nValue);
}

void CLedDlg::ReloadTexts()
{
    int nCounted = 0;
    const int32_t nMask = m_design == LedDesign::Keyboard ? gVar.Kb.nLedMask
                          : m_design == LedDesign::Mouse  ? gVar.Ms.nLedMask
                                                          : gVar.Pad.nLedMask;
    m_modes = LedModeList(m_design, gText, nMask, gVar.nKbFw, nCounted);
    if (m_pModes) {
        m_pModes->ClearList(0);
        for (const LedModeItem& m : m_modes) m_pModes->AddItem(0, m.nIndex, ToQString(m.strName));
        if (m_nMode >= 0) m_pModes->SelectValue(m_nMode);
    }
    m_pSpeedLabel->setText(ToQString(gText.tc_speed));
    m_pBrightLabel->setText(ToQString(gText.tc_brightness));
    m_pDirectLabel->setText(ToQString(gText.tc_direct));
    if (m_pGroups) {
        m_pGroups->ClearList(0);
        for (int g = 0; g < GameGroupCount(); ++g) {
            QString strName = ToQString(gText.tc_game_mode(g + 1));
            if (strName.isEmpty()) strName = QStringLiteral("%1").arg(g + 1);
            m_pGroups->AddItem(0, g, strName);
        }
        m_pGroups->SelectValue(m_nGameGroup);
    }
    if (m_pPaintLabel) m_pPaintLabel->setText(QStringLiteral("Paint"));
    if (m_pFillLabel) m_pFillLabel->setText(QStringLiteral("Fill all"));
}

int CLedDlg::VisibleColourButtons() const
{
    int n = 0;
    for (const CColorSwatch* p : m_buttons) n += !p->isHidden();
    return n;
}

void CLedDlg::LoadFromProfile()
{
    const ProfileRecord* pPro = m_profile ? m_profile() : nullptr;
    if (!pPro) return;
    m_nMode = CurrentLedMode(m_design, *pPro);
    ShowMode();
}

void CLedDlg::ShowMode()
{
    const ProfileRecord* pPro = m_profile ? m_profile() : nullptr;
    if (!pPro) return;
    m_bLoading = true;
    m_controls = LedControlsOf(m_design, m_nMode);
    m_values = ReadLedValues(m_design, *pPro, m_nMode);
    if (m_pModes) m_pModes->SelectValue(m_nMode);

    const LedControls& c = m_controls;
    m_pNote->setVisible(c.bGame);
    if (c.bGame) m_pNote->setText(QStringLiteral("Click keys or drag over them to paint them."));
    for (QWidget* p : {static_cast<QWidget*>(m_pSpeedLabel), static_cast<QWidget*>(m_pSpeed),
                       static_cast<QWidget*>(m_pSpeedValue)})
        p->setVisible(c.bSpeed);
    for (QWidget* p : {static_cast<QWidget*>(m_pBrightLabel), static_cast<QWidget*>(m_pBright),
                       static_cast<QWidget*>(m_pBrightValue)})
        p->setVisible(c.bBright);
    m_pDirectLabel->setVisible(c.bDirect);
    if (m_pDirect1) m_pDirect1->setVisible(c.bDirect);
    if (m_pDirect2) m_pDirect2->setVisible(c.bDirect);
    if (m_pFlag) m_pFlag->setVisible(c.bFlag);

    if (c.bSpeed) {
        m_pSpeed->SetValues(c.speedValues);
        m_pSpeed->SelectValue(m_values.nSpeed);
        m_pSpeedValue->setText(QString::number(m_pSpeed->SelectedValue()));
    }
    if (c.bBright) {
        m_pBright->SetValues(c.brightValues);
        m_pBright->SelectValue(m_values.nBright);
        m_pBrightValue->setText(BrightText(m_pBright->SelectedValue()));
    }
    if (m_pDirect1) m_pDirect1->setChecked(m_values.nDirect == 1);
    if (m_pDirect2) m_pDirect2->setChecked(m_values.nDirect == 2);
    if (m_pFlag) m_pFlag->setChecked(m_values.bFlag);

    // The mouse shows the colours in use of its effect; the others every button the effect has.
    int nShown = c.nColors;
    if (c.bAddRemove) nShown = std::clamp(m_values.nColorCount, 1, c.nColors);
    if (m_values.nSelected >= nShown) m_values.nSelected = 0;
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        m_buttons[i]->setVisible(int(i) < nShown);
        if (i < m_values.colours.size()) m_buttons[i]->SetColor(m_values.colours[i]);
        m_buttons[i]->SetMarked(int(i) == m_values.nSelected);
    }
    for (CColorSwatch* p : m_palette) p->setVisible(nShown > 0);
    if (m_pAdd) m_pAdd->setVisible(c.bAddRemove);
    if (m_pRemove) m_pRemove->setVisible(c.bAddRemove);
    if (m_pGroups) m_pGroups->setVisible(c.bGame && GameGroupListShown());
    if (c.bGame) {
        ShowGameGroup();
    } else {
        for (QWidget* p : {static_cast<QWidget*>(m_pPaintLabel), static_cast<QWidget*>(m_pFillLabel),
                           static_cast<QWidget*>(m_pPaint), static_cast<QWidget*>(m_pFill),
                           static_cast<QWidget*>(m_pPicker)})
            if (p) p->hide();
    }
    m_bLoading = false;
    RestartPreview();
    emit lightingChanged();
}

void CLedDlg::SetKeyView(CKBColorDlg* pView)
{
    if (m_pView) disconnect(m_pView, nullptr, this, nullptr);
    m_pView = m_design == LedDesign::Keyboard ? pView : nullptr;
    if (!m_pView) return;
    m_pView->SetViewMode(CKBColorDlg::kColours);
    // Only while the view shows colours: pointing at keys is the key page's.
    connect(m_pView, &CKBColorDlg::keyClicked, this, [this](int n) {
        if (m_pView->ViewMode() == CKBColorDlg::kColours) PaintKey(n);
    });
    connect(m_pView, &CKBColorDlg::keysSelected, this, [this](const std::vector<int>& keys) {
        if (m_pView->ViewMode() == CKBColorDlg::kColours) PaintKeys(keys);
    });
    if (m_nMode >= 0) ShowMode();
}

bool CLedDlg::GameEditable() const { return m_controls.bGame && GameGroupEditable(m_nGameGroup); }

void CLedDlg::ShowGameGroup()
{
    const ProfileRecord* pPro = m_profile ? m_profile() : nullptr;
    if (!pPro) return;
    m_nGameGroup = CurrentGameGroup(*pPro);
    if (m_pGroups) m_pGroups->SelectValue(m_nGameGroup);
    const bool bEdit = GameEditable();
    for (QWidget* p : {static_cast<QWidget*>(m_pPaintLabel), static_cast<QWidget*>(m_pFillLabel),
                       static_cast<QWidget*>(m_pPaint), static_cast<QWidget*>(m_pFill),
                       static_cast<QWidget*>(m_pPicker)})
        if (p) p->setVisible(bEdit);
    for (CColorSwatch* p : m_palette) p->setVisible(bEdit && !m_pPicker);
    m_pNote->setVisible(bEdit);
    if (m_pPaint) m_pPaint->SetMarked(m_nGameTarget == 0);
    if (m_pFill) m_pFill->SetMarked(m_nGameTarget == 1);
    if (!m_pView) return;
    // No preview here: the view shows what is stored.
    m_pView->StopEffect();
    const kb::CKbBlock block(pPro->Kb);
    for (int i = 0; i < m_pView->KeyCount(); ++i) m_pView->SetKeyColor(i, block.GameColour(m_nGameGroup, i));
    m_pView->SetPaintEnabled(bEdit);
}

void CLedDlg::RestartPreview()
{
    if (!m_pView) return;
    if (m_controls.bGame) return;  // the group's colours are shown instead
    m_pView->SetPaintEnabled(false);
    if (!gVar.Kb.nShowEffect || m_nMode < 0 || m_nMode >= kKbLedOptNum) {
        m_pView->StopEffect();
        return;
    }
    EffectSettings s;
    s.code = gVar.Kb.LedOpt[m_nMode].nPreviewEffect;
    s.speed = m_values.nSpeed;
    s.bright = m_values.nBright;
    s.clr = m_values.colours.empty() ? 0x0000FF : m_values.colours[0];
    s.colourful = m_values.bFlag;
    s.respireType = gVar.Kb.nRespireType;
    m_pView->PlayEffect(s);
}

void CLedDlg::GameEdited(uint32_t nFlags)
{
    if (m_edited) m_edited(nFlags);
}

void CLedDlg::ChooseGameGroup(int g)
{
    ProfileRecord* pPro = m_profile ? m_profile() : nullptr;
    if (!pPro || !m_controls.bGame || g < 0 || g >= GameGroupCount()) return;
    kb::CKbBlockEdit(pPro->Kb).SetCurGroup(g);
    ShowGameGroup();
    GameEdited(kGameGroupApplyFlags);
}

void CLedDlg::SelectGameTarget(int nTarget)
{
    if (nTarget != 0 && nTarget != 1) return;
    m_nGameTarget = nTarget;
    if (m_pPaint) m_pPaint->SetMarked(nTarget == 0);
    if (m_pFill) m_pFill->SetMarked(nTarget == 1);
    // The picker shows the chosen swatch's colour.
    if (m_pPicker) m_pPicker->setColor(ToColor(nTarget == 0 ? m_clrPaint : m_pFill->Color()));
}

void CLedDlg::PaintKey(int nSlot)
{
    ProfileRecord* pPro = m_profile ? m_profile() : nullptr;
    if (!pPro || !GameEditable() || !GameKeyPaintable(nSlot)) return;
    kb::CKbBlockEdit edit(pPro->Kb);
    // A coloured key goes dark, a dark one takes the paint colour.
    const ZColor clr = edit.View().GameColour(m_nGameGroup, nSlot) ? 0 : m_clrPaint;
    edit.SetGameColour(m_nGameGroup, nSlot, clr);
    if (m_pView) m_pView->SetKeyColor(nSlot, clr);
    GameEdited(kGameKeyApplyFlags);
}

void CLedDlg::PaintKeys(const std::vector<int>& keys)
{
    ProfileRecord* pPro = m_profile ? m_profile() : nullptr;
    if (!pPro || !GameEditable()) return;
    kb::CKbBlockEdit edit(pPro->Kb);
    bool bChanged = false;
    for (int nSlot : keys) {
        if (!GameKeyPaintable(nSlot) || edit.View().GameColour(m_nGameGroup, nSlot) == m_clrPaint) continue;
        edit.SetGameColour(m_nGameGroup, nSlot, m_clrPaint);
        if (m_pView) m_pView->SetKeyColor(nSlot, m_clrPaint);
        bChanged = true;
    }
    if (bChanged) GameEdited(kGameGroupApplyFlags);
}

void CLedDlg::Store()
{
    ProfileRecord* pPro = m_profile ? m_profile() : nullptr;
    if (!pPro || m_bLoading) return;
    if (!SetCurrentLedMode(m_design, *pPro, m_nMode)) return;
    WriteLedValues(m_design, *pPro, m_nMode, m_values);
    if (m_edited) m_edited(kLedApplyFlags);
    RestartPreview();
    emit lightingChanged();
}

bool CLedDlg::ChooseMode(int nMode)
{
    const bool bOffered =
        std::any_of(m_modes.begin(), m_modes.end(), [nMode](const LedModeItem& m) { return m.nIndex == nMode; });
    ProfileRecord* pPro = m_profile ? m_profile() : nullptr;
    if (!bOffered || !pPro) return false;
    m_nMode = nMode;
    SetCurrentLedMode(m_design, *pPro, nMode);
    ShowMode();
    // The per-key mode shows the group's colours, which the keyboard may not hold yet.
    if (m_edited) m_edited(m_controls.bGame ? kGameGroupApplyFlags : kLedApplyFlags);
    return true;
}

void CLedDlg::ChooseSpeed(int nValue)
{
    if (!m_controls.bSpeed) return;
    m_pSpeed->SelectValue(nValue);
    m_values.nSpeed = m_pSpeed->SelectedValue();
    m_pSpeedValue->setText(QString::number(m_values.nSpeed));
    Store();
}

void CLedDlg::ChooseBrightness(int nValue)
{
    if (!m_controls.bBright) return;
    m_pBright->SelectValue(nValue);
    m_values.nBright = m_pBright->SelectedValue();
    m_pBrightValue->setText(BrightText(m_values.nBright));
    Store();
}

void CLedDlg::ChooseDirection(int nDirect)
{
    if (!m_controls.bDirect || (nDirect != 1 && nDirect != 2)) return;
    m_values.nDirect = nDirect;
    if (m_pDirect1) m_pDirect1->setChecked(nDirect == 1);
    if (m_pDirect2) m_pDirect2->setChecked(nDirect == 2);
    Store();
}

void CLedDlg::SetFlag(bool b)
{
    if (!m_controls.bFlag) return;
    m_values.bFlag = b;
    if (m_pFlag) m_pFlag->setChecked(b);
    Store();
}

void CLedDlg::SelectColourButton(int i)
{
    if (i < 0 || size_t(i) >= m_buttons.size() || m_buttons[size_t(i)]->isHidden()) return;
    m_values.nSelected = i;
    for (size_t n = 0; n < m_buttons.size(); ++n) m_buttons[n]->SetMarked(int(n) == i);
    // The keyboard remembers the button last chosen.
    if (m_design == LedDesign::Keyboard) Store();
}

void CLedDlg::ChooseColour(ZColor clr)
{
    if (m_controls.bGame) {
        clr &= 0xFFFFFF;
        if (m_pPicker) m_pPicker->setColor(ToColor(clr));
        if (m_nGameTarget == 0) {
            m_clrPaint = clr;
            if (m_pPaint) m_pPaint->SetColor(clr);
            return;
        }
        ProfileRecord* pPro = m_profile ? m_profile() : nullptr;
        if (!pPro || !GameEditable()) return;
        if (m_pFill) m_pFill->SetColor(clr);
        kb::CKbBlockEdit edit(pPro->Kb);
        for (int i = 0; i < kKbDefKeyNum; ++i) {
            if (!GameKeyPaintable(i)) continue;
            edit.SetGameColour(m_nGameGroup, i, clr);
            if (m_pView) m_pView->SetKeyColor(i, clr);
        }
        GameEdited(kGameGroupApplyFlags);
        return;
    }
    const int i = m_values.nSelected;
    if (i < 0 || size_t(i) >= m_buttons.size() || m_buttons[size_t(i)]->isHidden()) return;
    if (m_values.colours.size() <= size_t(i)) m_values.colours.resize(size_t(i) + 1, 0x00FF00);
    m_values.colours[size_t(i)] = clr & 0xFFFFFF;
    m_buttons[size_t(i)]->SetColor(clr);
    Store();
}

void CLedDlg::AddColour()
{
    if (!m_controls.bAddRemove) return;
    const int n = std::clamp(m_values.nColorCount, 1, m_controls.nColors);
    if (n >= m_controls.nColors) return;
    m_values.nColorCount = n + 1;
    Store();
    ShowMode();
}

void CLedDlg::RemoveColour()
{
    if (!m_controls.bAddRemove) return;
    const int n = std::clamp(m_values.nColorCount, 1, m_controls.nColors);
    if (n <= 1) return;
    m_values.nColorCount = n - 1;
    Store();
    ShowMode();
}

void CLedDlg::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    RefreshBackgrounds();
}

void CLedDlg::RefreshBackgrounds()
{
    // Each control draws the piece of the window's picture it stands on.
    const QImage bkg = skin::LoadChosenScaled(QStringLiteral("main_nr.png"));
    for (CPngBtn* p : findChildren<CPngBtn*>())
        p->SetBackground(bkg, QRect(p->mapTo(window(), QPoint(0, 0)), p->size()));
    for (CMSliderBar* p : findChildren<CMSliderBar*>())
        p->SetBackground(bkg, QRect(p->mapTo(window(), QPoint(0, 0)), p->size()));
}
