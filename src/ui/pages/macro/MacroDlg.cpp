#include "ui/pages/macro/MacroDlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidgetItem>
#include <QVBoxLayout>
#include <algorithm>

#include "core/Gvar.h"
#include "core/Log.h"
#include "core/Utf.h"
#include "device/ApplySnapshot.h"
#include "device/ProfileEditor.h"
#include "keys/KbLayout.h"
#include "keys/MacroUse.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "ui/keys/MenuDlg.h"
#include "ui/pages/macro/MacroAmountDlg.h"
#include "ui/pages/mouse/MsPageLink.h"
#include "ui/skin/MsgDlg.h"
#include "ui/skin/PngBtn.h"
#include "ui/skin/QtVirtualKey.h"
#include "ui/skin/SkinControls.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/SkinTheme.h"
#include "ui/skin/TreeCtrlEx.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMenuItemH = 22, kInsertMenuW = 202;
// X11 and Wayland key codes are the kernel's key numbers + 8.
constexpr quint32 kXkbOffset = 8;
constexpr int kRoleKind = Qt::UserRole + 1;

QString Tx(const std::u16string& s, const char* pszDefault)
{
    return s.empty() ? QString::fromUtf8(pszDefault) : ToQString(s);
}

const char* IconOf(MacroItemKind kind)
{
    switch (kind) {
    case MacroItemKind::Press: return "mac_keydn.png";
    case MacroItemKind::Release: return "mac_keyup.png";
    case MacroItemKind::Delay: return "mac_delay.png";
    case MacroItemKind::Move: return "MV_N.png";
    case MacroItemKind::Wheel: return "SR_N.png";
    }
    return "";
}

// The key a captured combination inserts: its first key, or the first
// modifier it holds.
uint8_t KeyOfCombo(const CapturedCombo& c)
{
    if (c.byKey1) return c.byKey1;
    static constexpr uint8_t kByBit[8] = {162, 160, 164, 91, 163, 161, 165, 92};
    for (int i = 0; i < 8; ++i)
        if (c.byModifier >> i & 1) return kByBit[i];
    return 0;
}

std::optional<uint8_t> CaptureKeyWindow(QWidget* pOwner)
{
    CMsgDlg dlg(pOwner, CMsgDlg::kModeKey, Tx(gText.tc_msg(10), "Press a key"));
    dlg.SetSinglePress(true);
    if (dlg.exec() != CSkinDialog::kIdOk) return std::nullopt;
    const uint8_t vk = KeyOfCombo(dlg.Combo());
    if (!vk) return std::nullopt;
    return vk;
}

// The program's code of a key event: by the key's place (the scan code) where
// the platform gives one, else by what the key types, as the layout option
// maps a typed key back to its place.
uint8_t RecordedVk(const QKeyEvent& e)
{
    if (e.nativeScanCode() > kXkbOffset)
        if (const uint8_t vk = VkFromLinuxKey(e.nativeScanCode() - kXkbOffset)) return vk;
    const uint8_t vk = VirtualKeyOf(e);
    return vk ? RemapFromCapture(vk) : 0;
}

}  // namespace

CMacroDlg::CMacroDlg(const PageContext& ctx, QWidget* pParent, Hooks hooks)
    : CPage(ctx, DevKind::None, pParent), m_hooks(std::move(hooks)), m_lim(InstalledMacroLimits()),
      m_clock(std::make_unique<QElapsedTimer>())
{
    setObjectName(QStringLiteral("macroPage"));
    setFocusPolicy(Qt::StrongFocus);
    m_clock->start();
    if (!m_hooks.captureKey) m_hooks.captureKey = CaptureKeyWindow;
    if (!m_hooks.pickOpenFile)
        m_hooks.pickOpenFile = [](QWidget* p) {
            return QFileDialog::getOpenFileName(p, QString(), QString(), QStringLiteral("mcf (*.mcf)"));
        };
    if (!m_hooks.pickSaveFile)
        m_hooks.pickSaveFile = [](QWidget* p, const QString& strName) {
            return QFileDialog::getSaveFileName(p, QString(), strName, QStringLiteral("mcf (*.mcf)"));
        };
    if (!m_hooks.pickFolder) m_hooks.pickFolder = [](QWidget* p) { return QFileDialog::getExistingDirectory(p); };
    if (!m_hooks.askAmount)
        m_hooks.askAmount = [this](QWidget* pOwner, bool bWheel, uint8_t& code, int& nAmount) {
            CMacroAmountDlg dlg(pOwner, bWheel, code, nAmount, Prompt());
            if (dlg.exec() != QDialog::Accepted) return false;
            code = dlg.Code();
            nAmount = dlg.AmountValue();
            return true;
        };
    BuildControls();
    Retext();
    Reskin();
    ReloadFolder();
}

CMacroDlg::~CMacroDlg()
{
    if (m_bRecording) releaseKeyboard();
}

// ---- controls ---------------------------------------------------------------------------

void CMacroDlg::BuildControls()
{
    m_pTreeTitle = new QLabel(this);
    m_pListTitle = new QLabel(this);
    m_pTree = new CTreeCtrlEx(this, QRect(), QImage(), QStringLiteral("open.png"), QStringLiteral("close.png"));
    m_pTree->setObjectName(QStringLiteral("macroTree"));
    connect(m_pTree, &CTreeCtrlEx::itemLeftClick, this, &CMacroDlg::OnTreeClick);
    connect(m_pTree, &CTreeCtrlEx::itemRightClick, this, &CMacroDlg::OnTreeRightClick);
    connect(m_pTree, &CTreeCtrlEx::deleteKey, this, [this] { RunCommand(kCmdDelete); });

    m_pList = new QListWidget(this);
    m_pList->setObjectName(QStringLiteral("actionList"));
    m_pList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_pList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pList, &QListWidget::itemDoubleClicked, this, [this] { RunCommand(kCmdEditAction); });
    m_pList->installEventFilter(this);
    connect(m_pList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pt) {
        if (Refuse() || !m_pList->itemAt(pt)) return;
        ShowMenu({{kCmdEditAction, gText.tc_macro_msg7}, {kCmdDeleteAction, gText.tc_macro_msg10}});
    });

    m_pAutoDelay = new QCheckBox(this);
    m_pAutoDelay->setObjectName(QStringLiteral("autoDelay"));
    connect(m_pAutoDelay, &QCheckBox::clicked, this, [this](bool b) {
        if (m_bLoading || !m_pRec) return;
        if (Refuse()) {
            m_pAutoDelay->setChecked(!b);
            return;
        }
        Changed(kMacroSettingsChanged);
    });
    auto* pGroup = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        m_pRepeat[i] = new QRadioButton(this);
        pGroup->addButton(m_pRepeat[i], i);
    }
    connect(pGroup, &QButtonGroup::idClicked, this, [this](int id) {
        if (m_bLoading || !m_pRec) return;
        if (Refuse()) {
            ShowSettings();
            return;
        }
        m_bLoading = true;
        m_pLoop->setText(id == 0 ? QStringLiteral("1") : QString());
        m_bLoading = false;
        m_pLoop->setVisible(id == 0);
        m_pLoopRange->setVisible(id == 0);
        Changed(kMacroSettingsChanged);
    });
    m_pLoop = new QLineEdit(this);
    m_pLoop->setObjectName(QStringLiteral("loopCount"));
    m_pLoop->setMaxLength(5);
    connect(m_pLoop, &QLineEdit::textEdited, this, &CMacroDlg::OnLoopTyped);
    m_pLoopRange = new QLabel(this);

    const auto button = [this](const char* pszName, auto fn) {
        auto* p = new QPushButton(this);
        p->setObjectName(QString::fromLatin1(pszName));
        p->setFocusPolicy(Qt::NoFocus);
        connect(p, &QPushButton::clicked, this, fn);
        return p;
    };
    m_pRecord = button("record", [this] { ToggleRecording(); });
    m_pInsert = button("insert", [this] { ShowInsertMenu(); });
    m_pUp = button("moveUp", [this] { MoveActions(-1); });
    m_pDown = button("moveDown", [this] { MoveActions(1); });
    m_pSave = button("save", [this] { Save(); });
    m_pSave->hide();
    m_pHint = new QLabel(this);
    m_pHint->setWordWrap(true);
}

namespace {
// The skin's picture for a check box or radio indicator at the interface
// scale, as a style sheet url; empty when the skin has none.
QString IndicatorUrl(const QString& strName)
{
    const QString strDir = skin::Theme().strSkinDir;
    if (strDir.isEmpty()) return {};
    const double f = skin::InterfaceScale();
    const QString strScaled = f >= 2.0 ? QStringLiteral("@2x") : f >= 1.5 ? QStringLiteral("@1.5x") : QString();
    for (const QString& strSuffix : {strScaled, QString()}) {
        const QString strPath = strDir + QLatin1Char('/') + strName + strSuffix + QStringLiteral(".png");
        if (QFileInfo::exists(strPath)) return QStringLiteral("url(%1)").arg(strPath);
    }
    return {};
}
}  // namespace

void CMacroDlg::ApplyStyle()
{
    const skin::SkinTheme& t = skin::Theme();
    QString strIndicators;
    const int nBox = int(17 * skin::InterfaceScale());
    for (const char* pszKind : {"check", "radio"}) {
        const QString strNr = IndicatorUrl(QString::fromLatin1(pszKind) + QStringLiteral("_nr"));
        const QString strDn = IndicatorUrl(QString::fromLatin1(pszKind) + QStringLiteral("_dn"));
        if (strNr.isEmpty() || strDn.isEmpty()) continue;
        const QString strWidget = QString::fromLatin1(pszKind) == QLatin1String("check") ? QStringLiteral("QCheckBox")
                                                                                        : QStringLiteral("QRadioButton");
        strIndicators += QStringLiteral("%1::indicator { width: %2px; height: %2px; }"
                                        "%1::indicator:unchecked { image: %3; }"
                                        "%1::indicator:checked { image: %4; }")
                             .arg(strWidget)
                             .arg(nBox)
                             .arg(strNr, strDn);
    }
    // Selected rows are tinted, not filled, so the dark icons of a light skin stay visible.
    const auto mix = [](const QColor& a, const QColor& b, double f) {
        return QColor(int(a.red() * f + b.red() * (1 - f)), int(a.green() * f + b.green() * (1 - f)),
                      int(a.blue() * f + b.blue() * (1 - f)));
    };
    const QString strSelTint = mix(t.clrSelection, t.clrListBack, 0.45).name();
    setStyleSheet(MsPageStyle() +
                  QStringLiteral("QListWidget { color: %1; background: %2; border: 1px solid %3; }"
                                 "QListWidget::item:selected { background: %4; color: %1; }"
                                 "QLineEdit { color: %5; background: %6; border: 1px solid %3; padding: 1px 4px; }"
                                 "QRadioButton { color: %1; background: transparent; }")
                      .arg(t.clrText.name(), t.clrListBack.name(), t.clrFieldBorder.name(), strSelTint,
                           t.clrFieldText.name(), t.clrFieldBack.name()) +
                  strIndicators);
    // The tree and the list read alike: the interface font at the same size.
    QFont font = t.font;
    font.setPixelSize(std::max(1, int(13 * skin::InterfaceScale())));
    m_pList->setFont(font);
    m_pTree->SetFonts(font, font);
    TreeLook& look = m_pTree->Look();
    look.clrBack = t.clrListBack.rgb();
    look.clrSelRow = (0x73u << 24) | (t.clrSelection.rgb() & 0xFFFFFF);
    look.clrText = ToZColor(t.clrText);
    look.clrSelText = ToZColor(t.clrText);
    look.clrFrame = ToZColor(t.clrFieldBorder);
    look.nMaxDepth = kMacroFolderDepthMax;
    m_pTree->LookChanged();
    m_pTree->SetExpandImages(QStringLiteral("open.png"), QStringLiteral("close.png"));
    m_pTree->SetScale(float(skin::InterfaceScale()));
    m_pTree->SetItemHeight(int(24 * skin::InterfaceScale()));
}

void CMacroDlg::Reskin()
{
    ApplyStyle();
    // The image buttons: new and delete beside the tree, edit and delete under the list.
    const struct { CPngBtn** pp; const char* pszImage; int nCmd; const char* pszName; } btns[] = {
        {&m_pNew, "mac_add_nr.png", kCmdNew, "newMacro"},
        {&m_pDel, "mac_del_nr.png", kCmdDelete, "deleteMacro"},
        {&m_pEdit, "mac_edit_nr.png", kCmdEditAction, "editAction"},
        {&m_pDelAction, "mac_del_nr.png", kCmdDeleteAction, "deleteAction"},
    };
    for (const auto& b : btns) {
        const QString strImg = QString::fromLatin1(b.pszImage);
        if (!*b.pp) {
            *b.pp = CreateSkinButton(this, QImage(), strImg, strImg, strImg, false, QPoint(), &Prompt());
            if (!*b.pp) continue;
            (*b.pp)->setObjectName(QString::fromLatin1(b.pszName));
            const int nCmd = b.nCmd;
            connect(*b.pp, &QAbstractButton::clicked, this, [this, nCmd] { RunCommand(nCmd); });
        } else {
            const SkinButtonImages imgs[] = {{*b.pp, strImg, strImg, strImg}};
            SetButtonImages(this, QImage(), imgs);
        }
        (*b.pp)->show();
    }
    Layout();
    ShowItems(SelectedActions());
    update();
}

void CMacroDlg::Layout()
{
    const double f = skin::InterfaceScale();
    const auto sc = [f](int x, int y, int w, int h) { return QRect(int(x * f), int(y * f), int(w * f), int(h * f)); };
    // The rectangles are the main window's; the page starts at the top of its
    // area, and the lists end above the band at the bottom of the window.
    const auto onPage = [](ZRect r) {
        const int nTop = std::max(0, int(gVar.rcSubDlg.top));
        r.top = std::max(10, int(r.top) - nTop);
        r.bottom = std::max(int(r.top) + 120, int(r.bottom) - nTop);
        return r;
    };
    const ZRect t = onPage(gVar.rcMacroList);
    const ZRect l = onPage(gVar.rcKeyList);
    const int nTitleH = 26, nBtn = 28;
    // The tree and the list keep their rectangles; their titles and buttons
    // share the top strip.
    m_pTreeTitle->setGeometry(sc(t.left, t.top, t.right - t.left - 2 * (nBtn + 4), nTitleH));
    m_pTree->setGeometry(sc(t.left, t.top + nTitleH + 4, t.right - t.left - 6, t.bottom - t.top - nTitleH - 4));
    if (m_pNew) m_pNew->move(sc(t.right - 2 * (nBtn + 4) - 6, t.top - 2, 0, 0).topLeft());
    if (m_pDel) m_pDel->move(sc(t.right - (nBtn + 4) - 6, t.top - 2, 0, 0).topLeft());
    m_pListTitle->setGeometry(sc(l.left, l.top, l.right - l.left - 2 * (nBtn + 4), nTitleH));
    m_pList->setGeometry(sc(l.left, l.top + nTitleH + 4, l.right - l.left, l.bottom - l.top - nTitleH - 4));
    if (m_pEdit) m_pEdit->move(sc(l.right - 2 * (nBtn + 4) + 4, l.top - 2, 0, 0).topLeft());
    if (m_pDelAction) m_pDelAction->move(sc(l.right - nBtn, l.top - 2, 0, 0).topLeft());
    m_pList->setIconSize(QSize(int(18 * f), int(18 * f)));

    const int x = gVar.nMacro_Opt_X > 0 ? gVar.nMacro_Opt_X : l.right + 20;
    const int w = 220;
    int y = l.top + nTitleH + 4;
    m_pRecord->setGeometry(sc(x, y, w, 34));
    y += 48;
    m_pInsert->setGeometry(sc(x, y, w, 28));
    y += 36;
    m_pUp->setGeometry(sc(x, y, (w - 8) / 2, 28));
    m_pDown->setGeometry(sc(x + (w + 8) / 2, y, (w - 8) / 2, 28));
    y += 48;
    m_pAutoDelay->setGeometry(sc(x, y, w, 24));
    y += 34;
    for (int i = 0; i < 3; ++i) {
        m_pRepeat[i]->setGeometry(sc(x, y, w, 24));
        y += 28;
        if (i == 0) {
            m_pLoop->setGeometry(sc(x + 24, y, 70, 24));
            m_pLoopRange->setGeometry(sc(x + 102, y, w - 102, 24));
            y += 32;
        }
    }
    y += 12;
    m_pSave->setGeometry(sc(x, y, w, 30));
    // The hint runs along the band under the lists.
    m_pHint->setGeometry(sc(30, l.bottom + 30, 1000, 60));
}

void CMacroDlg::Retext()
{
    m_pTreeTitle->setText(Tx(gText.tc_macro_list, "Macro List"));
    m_pListTitle->setText(Tx(gText.tc_macro_key_list, "Action List"));
    m_pAutoDelay->setText(Tx(gText.tc_macro_auto, "Record delays"));
    m_pRepeat[0]->setText(Tx(gText.tc_macro_loop1, "Repeat count"));
    m_pRepeat[1]->setText(Tx(gText.tc_macro_loop2, "Repeat while held"));
    m_pRepeat[2]->setText(Tx(gText.tc_macro_loop3, "Repeat until any key is pressed"));
    m_pLoopRange->setText(QStringLiteral("1 ~ %1").arg(m_lim.nLoopMax));
    m_pRecord->setText(m_bRecording ? Tx(gText.tc_macro_stop, "Stop Recording") : Tx(gText.tc_macro_start, "Start Recording"));
    m_pInsert->setText(Tx(gText.tc_macro_loop, "Insert"));
    m_pUp->setText(QStringLiteral("\u25B2"));
    m_pDown->setText(QStringLiteral("\u25BC"));
    m_pSave->setText(Tx(gText.tc_macro_msg19, "Save"));
    m_pHint->setText(m_bRecording ? Tx(gText.tc_macro_msg30, "Recording: press the keys now.")
                                  : tr("Choose a macro, press Start Recording and type the keys in this window; the "
                                       "keys are stored by their place on the keyboard. With Record delays on, the "
                                       "pauses between them are stored too."));
    ShowItems(SelectedActions());
}

QRadioButton* CMacroDlg::RepeatRadio(int nMode) const
{
    // Radio order on the page: count (mode 0), while held (2), until any key (1).
    switch (nMode) {
    case 0: return m_pRepeat[0];
    case 2: return m_pRepeat[1];
    case 1: return m_pRepeat[2];
    default: return nullptr;
    }
}

// ---- the editor -------------------------------------------------------------------------

void CMacroDlg::ShowItems(const MacroSelection& sel)
{
    m_pList->clear();
    const double f = skin::InterfaceScale();
    for (const MacroItem& it : m_items) {
        auto* p = new QListWidgetItem(ToQString(MacroItemText(it, gVar.nKbType)), m_pList);
        p->setData(kRoleKind, int(it.kind));
        const QImage img = skin::LoadChosenScaled(QString::fromLatin1(IconOf(it.kind)));
        if (!img.isNull()) p->setIcon(QPixmap::fromImage(img));
        p->setSizeHint(QSize(0, int(24 * f)));
    }
    for (const int i : sel)
        if (QListWidgetItem* p = m_pList->item(i)) p->setSelected(true);
    if (!sel.empty()) m_pList->scrollToItem(m_pList->item(std::min(sel.back(), m_pList->count() - 1)));
    else if (m_bRecording && m_pList->count() > 0) m_pList->scrollToBottom();
}

void CMacroDlg::SelectActions(const MacroSelection& sel)
{
    m_pList->clearSelection();
    for (const int i : sel)
        if (QListWidgetItem* p = m_pList->item(i)) p->setSelected(true);
}

MacroSelection CMacroDlg::SelectedActions() const
{
    MacroSelection sel;
    for (int i = 0; i < m_pList->count(); ++i)
        if (m_pList->item(i)->isSelected()) sel.push_back(i);
    return sel;
}

void CMacroDlg::ShowSettings()
{
    m_bLoading = true;
    const bool bMacro = m_pRec != nullptr;
    const int nMode = bMacro ? int(m_pRec->nRepeatMode) : 0;
    m_pAutoDelay->setChecked(bMacro && m_pRec->nAutoDelay != 0);
    for (int m = 0; m < 3; ++m)
        if (QRadioButton* p = RepeatRadio(m)) p->setChecked(bMacro && m == nMode);
    m_pRepeat[2]->setVisible(gVar.nShowLoopUntilAnyKey != 0 || (bMacro && nMode == 1));
    m_pLoop->setText(bMacro && nMode == 0 ? QString::number(std::max<int>(1, m_pRec->wLoopCount)) : QString());
    m_pLoop->setVisible(!bMacro || nMode == 0);
    m_pLoopRange->setVisible(!bMacro || nMode == 0);
    for (QWidget* p : std::initializer_list<QWidget*>{m_pAutoDelay, m_pRepeat[0], m_pRepeat[1], m_pRepeat[2], m_pLoop,
                                                      m_pInsert, m_pUp, m_pDown})
        p->setEnabled(bMacro);
    m_pSave->setVisible(bMacro && gVar.nAutoSaveMacro != 1 && (m_pRec->dwFlags & kMacroChangeFlags));
    m_bLoading = false;
}

void CMacroDlg::SetItems(const MacroEditResult& r)
{
    if (!r.bOk) {
        if (!r.strMessage.empty()) Message(r.strMessage, u"Warning");
        return;
    }
    m_items = r.items;
    ShowItems(r.selection);
    Changed(kMacroActionsChanged);
}

void CMacroDlg::Changed(uint32_t nFlags)
{
    if (!m_pRec) return;
    m_pRec->dwFlags |= nFlags;
    if (gVar.nAutoSaveMacro == 1) Save();
    else m_pSave->setVisible(true);
}

bool CMacroDlg::Save()
{
    if (!m_pRec || m_bRecording) return false;
    // The editor into the record: the settings, then the actions.
    if (m_pRec->dwFlags & kMacroSettingsChanged) {
        m_pRec->nAutoDelay = m_pAutoDelay->isChecked() ? 1 : 0;
        if (m_pRepeat[1]->isChecked()) {
            m_pRec->nRepeatMode = 2;
        } else if (m_pRepeat[2]->isVisible() && m_pRepeat[2]->isChecked()) {
            m_pRec->nRepeatMode = 1;
        } else {
            m_pRec->nRepeatMode = 0;
            const int n = std::clamp(m_pLoop->text().toInt(), 1, m_lim.nLoopMax);
            m_pRec->wLoopCount = uint16_t(n);
        }
    }
    if (m_pRec->dwFlags & kMacroActionsChanged) {
        ItemsToRecord(m_items, m_lim, *m_pRec);
        // The list shows what was saved: merged delays, no leading release.
        const MacroItems saved = ItemsFromRecord(*m_pRec, m_lim);
        if (saved != m_items) {
            m_items = saved;
            ShowItems({});
        }
    }
    std::string strErr;
    if (!FlushDirtyMacro(m_path, *m_pRec, strErr)) {
        Message(u"The macro could not be saved: " + Utf8ToU16(strErr));
        m_pSave->setVisible(gVar.nAutoSaveMacro != 1);
        return false;
    }
    m_pSave->setVisible(false);
    ReachDevices();
    return true;
}

// A saved macro that a key of the current profile plays goes to that key's
// device: at once with ApplyNow, else with the next apply (which reads the
// macro list as it is then).
void CMacroDlg::ReachDevices()
{
    const ProfileRecord* pPro = Profile();
    if (!pPro || !Ctx().pProfile || !Ctx().familyOf) return;
    const MacroUsers users = WhoPlaysMacro(*pPro, m_pRec->MacroID);
    if (users.bMouse) Ctx().pProfile->Changed(Ctx().familyOf(DevKind::Mouse), kApplyKeys);
    if (users.bKeyboard) Ctx().pProfile->Changed(Ctx().familyOf(DevKind::Keyboard), kApplyKeys);
}

void CMacroDlg::Collect()
{
    if (m_pRec && (m_pRec->dwFlags & kMacroChangeFlags) && !m_bRecording) Save();
}

void CMacroDlg::Reload()
{
    // The macros serve every device and profile; only the selected macro's
    // list is shown again.
    if (m_pRec && !m_bRecording) {
        m_items = ItemsFromRecord(*m_pRec, m_lim);
        ShowItems({});
        ShowSettings();
    }
}

bool CMacroDlg::Refuse()
{
    if (!m_bRecording) return false;
    Message(Tx(gText.tc_macro_msg17, "A macro is being recorded. Please stop recording first.").toStdU16String(),
            u"Warning");
    return true;
}

void CMacroDlg::OnLoopTyped()
{
    if (m_bLoading || !m_pRec) return;
    const QString strIn = m_pLoop->text();
    const QString strOut = ToQString(LoopCountFieldText(ToU16(strIn), m_lim.nLoopMax));
    if (strOut != strIn) m_pLoop->setText(strOut);
    if (!strOut.isEmpty() && strOut.toInt() >= 1) Changed(kMacroSettingsChanged);
}

// ---- commands ---------------------------------------------------------------------------

void CMacroDlg::RunCommand(int nCmd, uint8_t byCode)
{
    if (Refuse()) return;
    switch (nCmd) {
    case kCmdNew: NewMacro(); break;
    case kCmdNewGroup:
        if (gVar.nMacroDir == 1) NewGroup();
        break;
    case kCmdDelete: DeleteSelected(); break;
    case kCmdExport: ExportSelected(); break;
    case kCmdImport: ImportFile(); break;
    case kCmdRename: RenameSelected(); break;
    case kCmdEditAction: EditAction(); break;
    case kCmdInsert: InsertAction(byCode); break;
    case kCmdImportGroup:
        if (gVar.nMacroDir == 1) ImportFolder(true);
        break;
    case kCmdImportContent: ImportFolder(false); break;
    case kCmdDeleteAction: DeleteActions(); break;
    default: break;
    }
}

void CMacroDlg::ShowInsertMenu()
{
    if (Refuse()) return;
    if (!m_pRec) {
        Message(Tx(gText.tc_macro_msg1, "Please select a macro first.").toStdU16String(), u"Tips");
        return;
    }
    std::vector<MenuItem> items;
    const auto add = [&](uint8_t code, const std::u16string& text) {
        items.push_back({kMenuTop, uint32_t(code) << 16 | kCmdInsert, text});
    };
    add(0xF7, gText.tc_stroke);
    add(0xF9, gText.tc_macro_msg16);
    const std::u16string* texts[] = {&gText.tc_click, &gText.tc_menu, &gText.tc_middle, &gText.tc_forward,
                                     &gText.tc_back, &gText.tc_scrollup, &gText.tc_scrolldown};
    const bool bKb = gVar.nKbFw != 0;
    for (int bit = 0; bit < 7; ++bit) {
        if (!(gVar.nMacroHasMsKey >> bit & 1)) continue;
        if (bKb && bit >= 5) continue;
        add(uint8_t(0xF0 + bit), *texts[bit]);
    }
    if (gVar.nShowMovingItem != 0 && !bKb) {
        add(0xFA, gText.tc_macro_msg23);
        add(0xFB, gText.tc_macro_msg24);
    }
    const double f = skin::InterfaceScale();
    auto* pMenu = new CMenuDlg(this, std::move(items), m_pInsert->mapToGlobal(QPoint(0, m_pInsert->height())),
                               QSize(int(kInsertMenuW * f), int(kMenuItemH * f)), 0);
    connect(pMenu, &CMenuDlg::Chosen, this, [this](uint32_t dwCode, int) {
        RunCommand(int(dwCode & 0xFFFF), uint8_t(dwCode >> 16));
    });
    pMenu->show();
}

void CMacroDlg::InsertAction(uint8_t byCode)
{
    if (!m_pRec) {
        Message(Tx(gText.tc_macro_msg1, "Please select a macro first.").toStdU16String(), u"Tips");
        return;
    }
    const MacroSelection sel = SelectedActions();
    // Full already: said before any window asks for the action.
    if (!InsertItems(m_items, {}, {PressItem('A')}, m_lim).bOk) {
        Message(MacroFullText(), u"Warning");
        return;
    }
    const bool bAutoDelay = m_pAutoDelay->isChecked();
    MacroItems add;
    if (byCode == 0xF7) {
        const std::optional<uint8_t> vk = m_hooks.captureKey(this);
        if (!vk || *vk == 0) return;
        add = KeyStroke(*vk, bAutoDelay);
    } else if (byCode >= 0xF0 && byCode <= 0xF4) {
        add = KeyStroke(byCode, bAutoDelay);
    } else if (byCode == 0xF5 || byCode == 0xF6) {
        add = {WheelStep(byCode)};
    } else if (byCode == 0xF9) {
        const auto text = Prompt().AskText(Tx(gText.tc_macro_msg12, "Please enter the delay in milliseconds:").toStdU16String(),
                                           u"", CMsgDlg::kNumberDigits);
        if (!text) return;
        bool bOk = false;
        const qlonglong ms = QString::fromStdU16String(*text).toLongLong(&bOk);
        if (!bOk) {
            Message(u"Invalid value.");
            return;
        }
        add = {DelayOf(ms, m_lim)};
    } else if (byCode == 0xFA || byCode == 0xFB) {
        uint8_t code = byCode == 0xFA ? kMacroCodeWheelUp : kMacroCodeMoveUp;
        int nAmount = 1;
        if (!m_hooks.askAmount(this, byCode == 0xFA, code, nAmount)) return;
        MacroItem it;
        std::u16string strMessage;
        if (!AmountItem(code, nAmount, it, strMessage)) {
            Message(strMessage);
            return;
        }
        add = {it};
    } else {
        return;
    }
    SetItems(InsertItems(m_items, sel, add, m_lim));
}

void CMacroDlg::EditAction()
{
    const MacroSelection sel = SelectedActions();
    if (!m_pRec || sel.empty()) return;
    const MacroItem& first = m_items[size_t(sel.front())];
    if (first.kind == MacroItemKind::Move || first.kind == MacroItemKind::Wheel) {
        uint8_t code = uint8_t(first.nValue);
        int nAmount = int(first.nValue >> 8 & 0xFF);
        if (!m_hooks.askAmount(this, first.kind == MacroItemKind::Wheel, code, nAmount)) return;
        SetItems(EditAmount(m_items, sel.front(), code, nAmount));
        return;
    }
    const bool bDelay = std::any_of(sel.begin(), sel.end(),
                                    [this](int i) { return m_items[size_t(i)].kind == MacroItemKind::Delay; });
    if (!bDelay) return;
    const auto text = Prompt().AskText(Tx(gText.tc_macro_msg12, "Please enter the delay in milliseconds:").toStdU16String(),
                                       u"", CMsgDlg::kNumberDigits);
    if (!text) return;
    bool bOk = false;
    const qlonglong ms = QString::fromStdU16String(*text).toLongLong(&bOk);
    if (!bOk) {
        Message(u"Invalid value.");
        return;
    }
    SetItems(EditDelays(m_items, sel, ms, m_lim));
}

void CMacroDlg::DeleteActions()
{
    if (!m_pRec) return;
    SetItems(DeleteItems(m_items, SelectedActions()));
}

void CMacroDlg::MoveActions(int nStep)
{
    if (Refuse() || !m_pRec) return;
    SetItems(MoveItems(m_items, SelectedActions(), nStep));
}

// ---- the recorder -------------------------------------------------------------------------

void CMacroDlg::ToggleRecording()
{
    if (!m_bRecording) {
        if (!m_pRec) {
            Message(Tx(gText.tc_macro_msg1, "Please select a macro first.").toStdU16String(), u"Tips");
            return;
        }
        m_bRecording = true;
        m_recorder.emplace(m_lim, m_pAutoDelay->isChecked());
        m_recorder->Start(m_items);
        ShowItems({});
        if (m_pRepeat[0]->isChecked()) {
            m_pLoop->hide();
            m_pLoopRange->hide();
        }
        // Keys go to the recorder only: Space does not press a button, Tab does
        // not move the focus, and no input method composes.
        setAttribute(Qt::WA_InputMethodEnabled, false);
        setFocus(Qt::OtherFocusReason);
        grabKeyboard();
        Retext();
        return;
    }
    releaseKeyboard();
    m_bRecording = false;
    m_recorder.reset();
    Retext();
    ShowSettings();
    Changed(kMacroChangeFlags);
}

bool CMacroDlg::event(QEvent* e)
{
    if (m_bRecording) {
        switch (e->type()) {
        case QEvent::ShortcutOverride:
            e->accept();
            return true;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            OnRecordKey(static_cast<QKeyEvent*>(e), e->type() == QEvent::KeyPress);
            return true;
        default: break;
        }
    }
    return CPage::event(e);
}

void CMacroDlg::OnRecordKey(QKeyEvent* e, bool bDown)
{
    RecordedKey key;
    key.vk = RecordedVk(*e);
    key.bDown = bDown;
    key.bAutoRepeat = e->isAutoRepeat();
    key.tMs = e->timestamp() != 0 ? int64_t(e->timestamp()) : m_clock->elapsed();
    if (m_recorder->Feed(key, m_items) == RecordOutcome::Added) ShowItems({});
}

bool CMacroDlg::eventFilter(QObject* pObj, QEvent* e)
{
    // The Delete key in the action list deletes the selected actions.
    if (pObj == m_pList && e->type() == QEvent::KeyRelease && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Delete) {
        RunCommand(kCmdDeleteAction);
        return true;
    }
    return CPage::eventFilter(pObj, e);
}

void CMacroDlg::keyPressEvent(QKeyEvent* e)
{
    if (!SwallowPageKey(e)) CPage::keyPressEvent(e);
}
