#include "ui/keys/ChijiDlg.h"

#include <QColorDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "core/Gvar.h"
#include "core/IPrompt.h"
#include "core/Log.h"
#include "keys/MacroFolder.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "ui/skin/PngBtn.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/TreeCtrlEx.h"

namespace fs = std::filesystem;

namespace {

// The guns' areas of the window picture (left, top, right, bottom).
constexpr int kGunRects[kGunCount][4] = {{17, 209, 208, 323},  {210, 93, 401, 207}, {17, 325, 208, 440},
                                         {210, 209, 401, 323}, {17, 442, 208, 556}, {210, 325, 401, 440},
                                         {210, 442, 401, 556}};

// The controls' column (unscaled).
constexpr int kX = 436;
const QRect kTitle(24, 22, 400, 26);
const QPoint kPresetBtn(436, 100), kBulletBtn(566, 100);
constexpr int kScopeY[kScopeCount] = {140, 192, 166};  // scope 0, 1 (4x, listed last), 2
const QRect kValueLabel(kX, 222, 250, 20), kValueField(kX, 244, 90, 24);
const QRect kSpeedLabel(kX, 276, 250, 20), kSpeedField(kX, 298, 90, 24);
const QRect kColourLabel(kX, 330, 250, 20), kColourBtn(kX, 352, 90, 24);
const QRect kTreeLabel(kX, 136, 250, 20), kTreeRect(kX, 160, 254, 160);
const QRect kOptionHead(kX, 392, 250, 20);
constexpr int kOptionY[2] = {418, 444};
const QPoint kOkBtn(500, 536);
const QRect kCloseRect(680, 25, 20, 20);

QString Tx(const char* key)
{
    const std::u16string* p = FindText(key);
    return p ? ToQString(*p) : QString();
}

}  // namespace

QRect CChijiDlg::GunRect(int nGun)
{
    if (nGun < 0 || nGun >= kGunCount) return {};
    const auto& r = kGunRects[nGun];
    return QRect(QPoint(r[0], r[1]), QPoint(r[2], r[3]));
}

int CChijiDlg::GunAt(const QPoint& pt)
{
    for (int g = 0; g < kGunCount; ++g)
        if (GunRect(g).contains(pt)) return g;
    return -1;
}

CChijiDlg::CChijiDlg(QWidget* pOwner, const KeyInfo& key, const ProfileRecord& pro, IPrompt* pPrompt)
    : CSkinDialog(pOwner), m_pPrompt(pPrompt)
{
    setWindowTitle(QStringLiteral("ZorvikMsgTopWindow"));
    setMouseTracking(true);
    if (!SetBackgroundFile(QStringLiteral("chiji_nr.png"))) {
        // The window still opens, on a plain background of its usual size.
        if (m_pPrompt) m_pPrompt->ShowMessage(u"chiji_nr.png missed", u"");
        QImage plain(720, 580, QImage::Format_ARGB32_Premultiplied);
        plain.fill(Theme().clrWindow);
        SetBackground(plain);
    }
    m_imgHover = skin::LoadChosenScaled(QStringLiteral("chiji_ov.png"));
    Build();

    m_records = DefaultGunPresets(gVar.Ms.GunValue);
    m_bOption = GunOption(pro) != 0;
    GunPreset loaded;
    bool bBullet = false;
    if (GunPresetOfKey(key, loaded, bBullet)) {
        m_records[size_t(loaded.nGun)] = loaded;
        m_nGun = loaded.nGun;
        m_bBulletMode = bBullet;
        m_dwStartBullet = loaded.dwBullet;
    }
    ShowRecord();
    if (m_bBulletMode) SelectBullet(m_dwStartBullet);
}

void CChijiDlg::Build()
{
    AddCloseButton();
    // The close button of this picture sits lower than the message windows'.
    for (CPngBtn* p : findChildren<CPngBtn*>()) PlaceButton(p, S(kCloseRect));

    const QString strBtnNr = QStringLiteral("button_nr.png"), strBtnOv = QStringLiteral("button_ov.png");
    m_pPresetMode = AddButton(strBtnNr, strBtnOv, kPresetBtn, Tx("tc_chiji12"));
    m_pBulletMode = AddButton(strBtnNr, strBtnOv, kBulletBtn, Tx("tc_chiji13"));
    for (CPngBtn* p : {m_pPresetMode, m_pBulletMode})
        if (p) p->setCheckable(true);
    if (m_pPresetMode) connect(m_pPresetMode, &QAbstractButton::clicked, this, [this] { SetBulletMode(false); });
    if (m_pBulletMode) connect(m_pBulletMode, &QAbstractButton::clicked, this, [this] { SetBulletMode(true); });

    const QString strRadioNr = QStringLiteral("radio_nr.png"), strRadioDn = QStringLiteral("radio_dn.png");
    for (int s = 0; s < kScopeCount; ++s) {
        m_pScope[s] = AddButton(strRadioNr, strRadioNr, QPoint(kX, kScopeY[s]), QString(), strRadioDn);
        if (!m_pScope[s]) continue;
        m_pScope[s]->setCheckable(true);
        connect(m_pScope[s], &QAbstractButton::clicked, this, [this, s] { ChooseScope(s); });
    }
    for (int n = 0; n < 2; ++n) {
        m_pOption[n] = AddButton(strRadioNr, strRadioNr, QPoint(kX, kOptionY[n]), QString(), strRadioDn);
        if (!m_pOption[n]) continue;
        m_pOption[n]->setCheckable(true);
        connect(m_pOption[n], &QAbstractButton::clicked, this, [this, n] { SetOption(n == 1); });
    }

    const auto field = [this](const QRect& rc, int nMax) {
        auto* p = new QLineEdit(this);
        p->setFrame(false);
        p->setMaxLength(3);
        p->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), p));
        p->setGeometry(S(rc));
        connect(p, &QLineEdit::textEdited, this, [p, nMax](const QString& str) {
            const QString strFixed = ToQString(FixGunField(ToU16(str), nMax));
            if (strFixed != str) {
                p->setText(strFixed);
                p->end(false);
            }
        });
        return p;
    };
    m_pValue = field(kValueField, kGunValueMax);
    m_pSpeed = field(kSpeedField, kGunSpeedMax);
    m_pColour = new QPushButton(this);
    m_pColour->setGeometry(S(kColourBtn));
    m_pColour->setFocusPolicy(Qt::NoFocus);
    m_pColour->setAutoDefault(false);  // Enter is OK, not the colour picker
    connect(m_pColour, &QPushButton::clicked, this, [this] {
        const QColor clr = QColorDialog::getColor(ToQColor(m_dwColor), this);
        if (clr.isValid()) SetColour(ToZColor(clr));
    });

    const QImage back = skin::LoadChosenScaled(QStringLiteral("chiji_nr.png"));
    m_pTree = new CTreeCtrlEx(this, S(kTreeRect), back, QStringLiteral("open.png"), QStringLiteral("close.png"));
    m_pTree->Look().nIndentGap = 4;
    m_pTree->SetScale(float(Scale()));
    m_pTree->Look().bIgnoreReselect = false;
    m_pTree->Look().nMaxDepth = kMacroFolderDepthMax;
    connect(m_pTree, &CTreeCtrlEx::itemLeftClick, this, [this](QTreeWidgetItem* p) { m_pTree->Select(p); });
    FillTree();

    m_pOk = AddButton(strBtnNr, strBtnOv, kOkBtn, Tx("tc_ok").isEmpty() ? QStringLiteral("OK") : Tx("tc_ok"));
    if (m_pOk) connect(m_pOk, &QAbstractButton::clicked, this, [this] { TryAccept(); });
    ApplyTheme();
}

void CChijiDlg::ApplyTheme()
{
    const skin::SkinTheme& t = Theme();
    for (QLineEdit* p : {m_pValue, m_pSpeed}) {
        p->setFont(font());
        p->setStyleSheet(FieldStyle());
    }
    m_pTree->Look().clrText = ToZColor(t.clrText);
    m_pTree->Look().clrSelText = ToZColor(t.clrMenuTextOv);
    m_pTree->Look().clrSelRow = t.clrListItem.rgb();
    m_pTree->Look().clrFrame = ToZColor(t.clrFieldBorder);
    m_pTree->LookChanged();
    m_pTree->SetFonts(font(), font());
    m_pTree->setColumnWidth(0, m_pTree->viewport()->width());
}

void CChijiDlg::FillTree()
{
    m_pTree->DeleteAll();
    MacroScanOptions opt;
    opt.bAddToList = false;
    opt.bGroups = gVar.nMacroDir != 0;
    MacroContext ctx;
    ctx.nMid = gVar.nMid;
    std::vector<QTreeWidgetItem*> parents;
    ScanMacroFolder(BulletFolder(g_szUserDir, gVar.nMid), MacroKind::Bullet, opt, ctx, [&](const MacroScanItem& item) {
        parents.resize(size_t(item.nDepth));
        QTreeWidgetItem* pParent = parents.empty() ? nullptr : parents.back();
        if (item.bGroup) {
            parents.push_back(m_pTree->AddItem(true, pParent, false, QImage(), ToQString(item.strName), 0, 0));
            return;
        }
        // Only bullets the program holds can be played.
        if (g_BulletList.FindById(item.record.MacroID))
            m_pTree->AddItem(false, pParent, false, QImage(), ToQString(item.strName), int(item.record.MacroID), 0);
    });
}

bool CChijiDlg::SelectBullet(uint32_t id) { return id != 0 && m_pTree->SelectByKey(int(id & 0xFFFFFF)) != nullptr; }

int CChijiDlg::Scope() const { return m_nScope; }

void CChijiDlg::ShowRecord()
{
    const GunPreset& r = m_records[size_t(m_nGun)];
    SetColour(r.dwColor);
    ChooseScope(r.nScope);  // a 4x scope stays recorded for a gun without one
    if (m_pScope[1]) m_pScope[1]->setVisible(!m_bBulletMode && GunHasScope(m_nGun, 1));
    m_pSpeed->setText(QString::number(r.nSpeed));
    SetOption(m_bOption);
    m_pValue->setText(QString::number(r.nValue));
    ShowMode();
    update();
}

void CChijiDlg::ShowMode()
{
    const bool bPreset = !m_bBulletMode;
    if (m_pPresetMode) m_pPresetMode->setChecked(bPreset);
    if (m_pBulletMode) m_pBulletMode->setChecked(!bPreset);
    for (int s = 0; s < kScopeCount; ++s)
        if (m_pScope[s]) m_pScope[s]->setVisible(bPreset && (s != 1 || GunHasScope(m_nGun, 1)));
    m_pValue->setVisible(bPreset && gVar.Ms.nShootFudu != 0);
    m_pSpeed->setVisible(bPreset && gVar.Ms.nShootSpeed != 0);
    m_pTree->setVisible(!bPreset);
    update();
}

void CChijiDlg::ChooseGun(int nGun)
{
    if (nGun < 0 || nGun >= kGunCount) return;
    m_nGun = nGun;
    ShowRecord();
    // The value follows the scope of the record shown, as pressing its radio would.
    m_pValue->setText(QString::number(GunScopeValue(gVar.Ms.GunValue, m_nGun, m_nScope)));
}

void CChijiDlg::ChooseScope(int nScope)
{
    if (nScope < 0 || nScope >= kScopeCount) return;
    m_nScope = nScope;
    for (int s = 0; s < kScopeCount; ++s)
        if (m_pScope[s]) m_pScope[s]->setChecked(s == nScope);
    m_pValue->setText(QString::number(GunScopeValue(gVar.Ms.GunValue, m_nGun, nScope)));
}

void CChijiDlg::SetBulletMode(bool bBullet)
{
    m_bBulletMode = bBullet;
    ShowMode();
}

void CChijiDlg::SetOption(bool bOn)
{
    m_bOption = bOn;
    for (int n = 0; n < 2; ++n)
        if (m_pOption[n]) m_pOption[n]->setChecked((n == 1) == bOn);
}

void CChijiDlg::SetColour(uint32_t dwColor)
{
    m_dwColor = dwColor & 0xFFFFFF;
    m_pColour->setStyleSheet(QStringLiteral("QPushButton { background: %1; border: 1px solid %2; border-radius: 3px; }")
                                 .arg(ToQColor(m_dwColor).name(), Theme().clrFieldBorder.name()));
}

bool CChijiDlg::TryAccept()
{
    GunPreset p;
    p.nGun = m_nGun;
    p.nScope = m_nScope;
    p.nValue = GunFieldValue(ToU16(m_pValue->text()));
    p.nSpeed = GunFieldValue(ToU16(m_pSpeed->text()));
    p.dwColor = m_dwColor;
    if (m_bBulletMode) {
        const TreeItemInfo* pInfo = m_pTree->FindRecord(m_pTree->SelectedItem());
        if (!pInfo || pInfo->nKind != CTreeCtrlEx::kLeaf) {
            if (m_pPrompt) {
                const std::u16string* pText = FindText("tc_bullet15");
                m_pPrompt->ShowMessage(pText ? *pText : u"tc_bullet15", u"");
            }
            return false;
        }
        p.dwBullet = uint32_t(pInfo->nKey);
    }
    m_result = GunPresetKeyRecord(p, m_bBulletMode);
    done(kIdOk);
    return true;
}

void CChijiDlg::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!ClickFocusedButton()) TryAccept();
        return;
    case Qt::Key_Escape: reject(); return;
    default: CSkinDialog::keyPressEvent(e);
    }
}

void CChijiDlg::mousePressEvent(QMouseEvent* e)
{
    const QPoint pt(int(e->position().x() / Scale()), int(e->position().y() / Scale()));
    const int g = GunAt(pt);
    if (e->button() == Qt::LeftButton && g >= 0) {
        ChooseGun(g);
        return;
    }
    CSkinDialog::mousePressEvent(e);
}

void CChijiDlg::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint pt(int(e->position().x() / Scale()), int(e->position().y() / Scale()));
    const int g = GunAt(pt);
    if (g != m_nHoverGun) {
        m_nHoverGun = g;
        update();
    }
    CSkinDialog::mouseMoveEvent(e);
}

void CChijiDlg::leaveEvent(QEvent* e)
{
    m_nHoverGun = -1;
    update();
    CSkinDialog::leaveEvent(e);
}

void CChijiDlg::paintEvent(QPaintEvent* e)
{
    CSkinDialog::paintEvent(e);
    QPainter p(this);
    // The chosen gun (and the one under the pointer) lit from the hover picture.
    if (!m_imgHover.isNull()) {
        const double dpr = m_imgHover.devicePixelRatio();
        for (int g : {m_nGun, m_nHoverGun}) {
            if (g < 0) continue;
            const QRect rc = S(GunRect(g));
            p.drawImage(rc, m_imgHover, QRect(QPointF(rc.x() * dpr, rc.y() * dpr).toPoint(),
                                              QSizeF(rc.width() * dpr, rc.height() * dpr).toSize()));
        }
    }
    const skin::SkinTheme& t = Theme();
    p.setPen(QPen(t.clrSelection, S(2)));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(S(GunRect(m_nGun)).adjusted(S(2), S(2), -S(2), -S(2)), S(8), S(8));

    QFont bold = font();
    bold.setBold(true);
    bold.setPixelSize(std::max(1, S(16)));
    p.setFont(bold);
    p.setPen(TextColorOver(kTitle));
    p.drawText(S(kTitle), Qt::AlignLeft | Qt::AlignVCenter, Tx("tc_chiji1"));
    p.setFont(font());
    // The controls' column is drawn in the skin's own panel colour, under the skin's text colour.
    p.setPen(t.clrText);
    const auto text = [&](const QRect& rc, const QString& str) {
        p.drawText(S(rc), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   p.fontMetrics().elidedText(str, Qt::ElideRight, S(rc.width())));
    };
    const auto beside = [&](QWidget* pCtrl, const QString& str) {
        if (!pCtrl || !pCtrl->isVisible()) return;
        const QRect g = pCtrl->geometry();
        const QRect rc(int(g.right() / Scale()) + 8, int(g.top() / Scale()) - 3, 220, int(g.height() / Scale()) + 6);
        text(rc, str);
    };
    static constexpr const char* kScopeText[kScopeCount] = {"tc_chiji5", "tc_chiji8", "tc_chiji6"};
    for (int s = 0; s < kScopeCount; ++s) beside(m_pScope[s], Tx(kScopeText[s]));
    if (m_pValue->isVisible()) {
        text(kValueLabel, Tx("tc_chiji16"));
        beside(m_pValue, QStringLiteral("(1~127)"));
    }
    if (m_pSpeed->isVisible()) {
        text(kSpeedLabel, Tx("tc_chiji2"));
        beside(m_pSpeed, QStringLiteral("(1~255)"));
    }
    text(kColourLabel, Tx("tc_chiji18"));
    if (m_bBulletMode) text(kTreeLabel, Tx("tc_chiji13"));
    text(kOptionHead, Tx("tc_chiji4"));
    beside(m_pOption[0], Tx("tc_chiji10"));
    beside(m_pOption[1], Tx("tc_chiji11"));
}
