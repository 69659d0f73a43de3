#include "ui/keys/BulletDlg.h"

#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>

#include "core/Gvar.h"
#include "core/Log.h"
#include "core/Utf.h"
#include "device/mouse/MouseMacro.h"
#include "keys/MacroFolder.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "ui/keys/MenuDlg.h"
#include "ui/keys/NewBulletDlg.h"
#include "ui/skin/MsgDlg.h"
#include "ui/skin/PngBtn.h"
#include "ui/skin/QueryDlg.h"
#include "ui/skin/SkinControls.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/TreeCtrlEx.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMenuItemH = 22;

// Where the controls sit on the page picture (unscaled). The main window's
// profile list covers the picture's left panel; the page uses the right one.
const QRect kTreeHead(290, 16, 160, 24);
const QRect kTreeRect(286, 46, 228, 600);
const QPoint kNewBtn(462, 16), kDeleteBtn(490, 16);
const QRect kStepHead(534, 16, 230, 24);
const QRect kStepRect(530, 46, 300, 600);
const QPoint kAddShotBtn(778, 16), kDeleteStepBtn(806, 16);
constexpr int kOptX = 848;

QString Tx(const char* key)
{
    const std::u16string* p = FindText(key);
    return p ? ToQString(*p) : QString();
}

std::u16string TxU(const char* key)
{
    const std::u16string* p = FindText(key);
    return p ? *p : Utf8ToU16(key);
}

QImage Img(const QString& strName)
{
    QImage img = skin::LoadChosenScaled(strName);
    return img.isNull() ? skin::LoadCommonScaled(strName) : img;
}

QString PathText(const fs::path& p) { return QString::fromStdString(p.string()); }

}  // namespace

CBulletDlg::CBulletDlg(const PageContext& ctx, QWidget* pParent)
    : CPage(ctx, DevKind::Mouse, pParent), m_editor(mouse::BulletLimitsFor(gVar.nMsFw, hwParam.nLoopMax))
{
    setFocusPolicy(Qt::StrongFocus);
    Build();
    FillTree();
}

CBulletDlg::~CBulletDlg() { FlushAll(); }

MacroContext CBulletDlg::Context() const
{
    MacroContext c;
    c.nMid = gVar.nMid;
    c.nMacroHasMsKey = gVar.nMacroHasMsKey;
    return c;
}

fs::path CBulletDlg::Folder() const { return BulletFolder(g_szUserDir, gVar.nMid); }

void CBulletDlg::Message(const std::u16string& str) { Prompt().ShowMessage(str, u""); }

// ---- controls -----------------------------------------------------------------------

void CBulletDlg::Build()
{
    const double f = skin::InterfaceScale();
    const QImage back = Img(QStringLiteral("macro_nr.png"));
    const auto S = [f](const QRect& rc) {
        return QRect(int(rc.x() * f), int(rc.y() * f), int(rc.width() * f), int(rc.height() * f));
    };
    // The trees cut their piece of the page picture themselves.
    m_pTree = new CTreeCtrlEx(this, S(kTreeRect), back, QStringLiteral("open.png"), QStringLiteral("close.png"));
    m_pSteps = new CTreeCtrlEx(this, S(kStepRect), back, QString(), QString());
    for (CTreeCtrlEx* p : {m_pTree, m_pSteps}) {
        p->Look().nIndentGap = 4;  // before the scale, which scales it
        p->SetScale(float(f));
        p->Look().bIgnoreReselect = false;
        p->Look().nMaxDepth = kMacroFolderDepthMax;
        p->Look().bHoverRow = true;
        p->Look().clrHoverRow = 0x30FFFFFF;
        p->LookChanged();
    }
    connect(m_pTree, &CTreeCtrlEx::itemLeftClick, this, &CBulletDlg::ClickTree);
    connect(m_pTree, &CTreeCtrlEx::itemRightClick, this, [this](QTreeWidgetItem* p) { OpenTreeMenu(p); });
    connect(m_pTree, &CTreeCtrlEx::deleteKey, this, &CBulletDlg::DeleteItem);
    connect(m_pSteps, &CTreeCtrlEx::itemLeftClick, this,
            [this](QTreeWidgetItem* p) { ClickStep(p ? m_pSteps->indexOfTopLevelItem(p) : -1); });
    connect(m_pSteps, &CTreeCtrlEx::itemDoubleClick, this, [this](QTreeWidgetItem* p) {
        if (!p) return;
        ClickStep(m_pSteps->indexOfTopLevelItem(p));
        EditStep();
    });
    connect(m_pSteps, &CTreeCtrlEx::itemRightClick, this, [this](QTreeWidgetItem* p) {
        if (p) ClickStep(m_pSteps->indexOfTopLevelItem(p));
        OpenStepMenu(p != nullptr);
    });
    connect(m_pSteps, &CTreeCtrlEx::deleteKey, this, &CBulletDlg::DeleteStep);

    const auto button = [&](const char* pszNr, const QPoint& pt, const char* pszTip) {
        CPngBtn* p = CreateSkinButton(this, back, QString::fromLatin1(pszNr), QString::fromLatin1(pszNr),
                                      QString::fromLatin1(pszNr), false, QPoint(int(pt.x() * f), int(pt.y() * f)),
                                      &Prompt());
        if (p) {
            p->setToolTip(Tx(pszTip));
            p->setFocusPolicy(Qt::NoFocus);
        }
        return p;
    };
    m_pNew = button("mac_add_nr.png", kNewBtn, "tc_macro_msg5");
    m_pDelete = button("mac_del_nr.png", kDeleteBtn, "tc_macro_msg10");
    m_pAddShot = button("mac_add_nr.png", kAddShotBtn, "tc_macro_msg5");
    m_pDeleteStep = button("mac_del_nr.png", kDeleteStepBtn, "tc_macro_msg10");
    if (m_pNew) connect(m_pNew, &QAbstractButton::clicked, this, &CBulletDlg::NewBullet);
    if (m_pDelete) connect(m_pDelete, &QAbstractButton::clicked, this, &CBulletDlg::DeleteItem);
    if (m_pAddShot) connect(m_pAddShot, &QAbstractButton::clicked, this, &CBulletDlg::AddShot);
    if (m_pDeleteStep) connect(m_pDeleteStep, &QAbstractButton::clicked, this, &CBulletDlg::DeleteStep);

    const auto radio = [&](int y) {
        CPngBtn* p = CreateSkinButton(this, back, QStringLiteral("radio_nr.png"), QStringLiteral("radio_ov.png"),
                                      QStringLiteral("radio_dn.png"), true, QPoint(int(kOptX * f), int(y * f)),
                                      &Prompt());
        if (p) p->setFocusPolicy(Qt::NoFocus);
        return p;
    };
    m_pLoop1 = radio(56);
    m_pLoop2 = radio(122);
    m_pLoop3 = radio(150);
    if (m_pLoop3) m_pLoop3->hide();
    if (m_pLoop1) connect(m_pLoop1, &QAbstractButton::clicked, this, [this] { ApplyEdit(m_editor.SetRepeatMode(0)); });
    if (m_pLoop2) connect(m_pLoop2, &QAbstractButton::clicked, this, [this] { ApplyEdit(m_editor.SetRepeatMode(2)); });

    const auto field = [this](const QString& strRx) {
        auto* p = new QLineEdit(this);
        p->setFrame(false);
        p->setValidator(new QRegularExpressionValidator(QRegularExpression(strRx), p));
        return p;
    };
    m_pCount = field(QStringLiteral("[0-9]{0,5}"));
    m_pField1 = field(QStringLiteral("-?[0-9]{0,6}"));
    m_pField2 = field(QStringLiteral("-?[0-9]{0,6}"));
    connect(m_pCount, &QLineEdit::textEdited, this, &CBulletDlg::OnCountEdited);
    connect(m_pField1, &QLineEdit::textEdited, this, [this] { OnFieldEdited(1); });
    connect(m_pField2, &QLineEdit::textEdited, this, [this] { OnFieldEdited(2); });
    m_pLabel1 = new QLabel(this);
    m_pLabel2 = new QLabel(this);
    m_pField1->hide();
    m_pField2->hide();
    m_pLabel1->hide();
    m_pLabel2->hide();
    LayOut();
    Retext();
}

void CBulletDlg::LayOut()
{
    const double f = skin::InterfaceScale();
    const auto S = [f](int x, int y, int w, int h) { return QRect(int(x * f), int(y * f), int(w * f), int(h * f)); };
    m_pCount->setGeometry(S(kOptX + 24, 80, 80, 24));
    m_pLabel1->setGeometry(S(kOptX, 176, 190, 22));
    m_pField1->setGeometry(S(kOptX, 200, 120, 24));
    m_pLabel2->setGeometry(S(kOptX, 236, 190, 22));
    m_pField2->setGeometry(S(kOptX, 260, 120, 24));
    const skin::SkinTheme& t = skin::Theme();
    const QString strField = QStringLiteral("QLineEdit { background: %1; color: %2; border: 1px solid %3; padding: 0 4px; }")
                                 .arg(t.clrFieldBack.name(), t.clrFieldText.name(), t.clrFieldBorder.name());
    for (QLineEdit* p : {m_pCount, m_pField1, m_pField2}) {
        p->setFont(t.font);
        p->setStyleSheet(strField);
    }
    for (QLabel* p : {m_pLabel1, m_pLabel2}) {
        p->setFont(t.font);
        p->setStyleSheet(QStringLiteral("color: %1; background: transparent;").arg(t.clrText.name()));
    }
    QFont font = t.font;
    for (CTreeCtrlEx* p : {m_pTree, m_pSteps}) {
        p->Look().clrText = ToZColor(t.clrText);
        p->Look().clrSelText = ToZColor(t.clrMenuTextOv);
        p->Look().clrSelRow = t.clrListItem.rgb();
        p->Look().clrFrame = ToZColor(t.clrFieldBorder);
        p->LookChanged();
        p->SetFonts(font, font);
        // Rows reach the right edge, so long step texts are not cut.
        p->setColumnWidth(0, p->viewport()->width());
    }
}

void CBulletDlg::Retext()
{
    if (m_pNew) m_pNew->setToolTip(Tx("tc_macro_msg5"));
    if (m_pDelete) m_pDelete->setToolTip(Tx("tc_macro_msg10"));
    if (m_pAddShot) m_pAddShot->setToolTip(Tx("tc_macro_msg5"));
    if (m_pDeleteStep) m_pDeleteStep->setToolTip(Tx("tc_macro_msg10"));
    FillSteps();
    FillFields();
    update();
}

void CBulletDlg::Reskin()
{
    const QImage back = Img(QStringLiteral("macro_nr.png"));
    m_pTree->SetBackground(back);
    m_pTree->SetExpandImages(QStringLiteral("open.png"), QStringLiteral("close.png"));
    m_pSteps->SetBackground(back);
    const SkinButtonImages buttons[] = {
        {m_pNew, QStringLiteral("mac_add_nr.png"), QStringLiteral("mac_add_nr.png"), QStringLiteral("mac_add_nr.png")},
        {m_pDelete, QStringLiteral("mac_del_nr.png"), QStringLiteral("mac_del_nr.png"), QStringLiteral("mac_del_nr.png")},
        {m_pAddShot, QStringLiteral("mac_add_nr.png"), QStringLiteral("mac_add_nr.png"), QStringLiteral("mac_add_nr.png")},
        {m_pDeleteStep, QStringLiteral("mac_del_nr.png"), QStringLiteral("mac_del_nr.png"),
         QStringLiteral("mac_del_nr.png")},
        {m_pLoop1, QStringLiteral("radio_nr.png"), QStringLiteral("radio_ov.png"), QStringLiteral("radio_dn.png")},
        {m_pLoop2, QStringLiteral("radio_nr.png"), QStringLiteral("radio_ov.png"), QStringLiteral("radio_dn.png")},
        {m_pLoop3, QStringLiteral("radio_nr.png"), QStringLiteral("radio_ov.png"), QStringLiteral("radio_dn.png")},
    };
    SetButtonImages(this, back, buttons);
    LayOut();
    Reload();  // the trees' icons come from the skin; the shown bullet stays
    update();
}

void CBulletDlg::paintEvent(QPaintEvent* e)
{
    CPage::paintEvent(e);
    QPainter p(this);
    const QImage back = Img(QStringLiteral("macro_nr.png"));
    if (!back.isNull()) p.drawImage(QPoint(0, 0), back);
    const double f = skin::InterfaceScale();
    const auto S = [f](const QRect& rc) {
        return QRect(int(rc.x() * f), int(rc.y() * f), int(rc.width() * f), int(rc.height() * f));
    };
    const skin::SkinTheme& t = skin::Theme();
    QFont bold = t.font;
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(t.clrText);
    p.drawText(S(kTreeHead), Qt::AlignLeft | Qt::AlignVCenter, Tx("tc_bullet9"));
    p.drawText(S(kStepHead), Qt::AlignLeft | Qt::AlignVCenter, Tx("tc_bullet3"));
    if (!m_editor.Editable()) return;
    p.setFont(t.font);
    const auto label = [&](CPngBtn* pRadio, const char* key) {
        if (!pRadio || !pRadio->isVisible()) return;
        const QRect rc = pRadio->geometry();
        p.drawText(QRect(rc.right() + int(8 * f), rc.top() - int(4 * f), int(170 * f), rc.height() + int(8 * f)),
                   Qt::AlignLeft | Qt::AlignVCenter, Tx(key));
    };
    label(m_pLoop1, "tc_macro_loop1");
    label(m_pLoop2, "tc_macro_loop2");
    if (m_pCount->isVisible()) {
        const QRect rc = m_pCount->geometry();
        p.drawText(QRect(rc.right() + int(8 * f), rc.top(), int(80 * f), rc.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("1 ~ %1").arg(m_editor.Limits().nLoopMax));
    }
}

// ---- the tree -----------------------------------------------------------------------

QTreeWidgetItem* CBulletDlg::AddTreeItem(bool bGroup, QTreeWidgetItem* pParent, const QString& strName, uint32_t id,
                                         const fs::path& path, bool bSelect)
{
    QImage icon;
    if (bGroup) {
        const fs::path iconPath = path / (path.filename().string() + ".png");
        icon = QImage(PathText(iconPath));
    }
    QTreeWidgetItem* p = m_pTree->AddItem(bGroup, pParent, bSelect, icon, strName, int(id), 0);
    if (p) m_paths[p] = path;
    return p;
}

void CBulletDlg::FillTree()
{
    ShowBullet(nullptr);
    m_pTree->DeleteAll();
    m_paths.clear();
    MacroScanOptions opt;
    opt.bAddToList = false;
    opt.bGroups = gVar.nMacroDir != 0;
    opt.pKeptAside = &m_keptAside;
    const MacroContext ctx = Context();
    std::vector<QTreeWidgetItem*> parents;
    ScanMacroFolder(Folder(), MacroKind::Bullet, opt, ctx, [&](const MacroScanItem& item) {
        parents.resize(size_t(item.nDepth));
        QTreeWidgetItem* pParent = parents.empty() ? nullptr : parents.back();
        if (item.bGroup) {
            parents.push_back(AddTreeItem(true, pParent, ToQString(item.strName), 0, item.path, false));
            return;
        }
        // The list holds what the program loaded; a file it does not know yet joins it.
        MacroRecord* pRec = g_BulletList.FindById(item.record.MacroID);
        if (!pRec && !g_BulletList.IsFull()) {
            MacroRecord rec = item.record;
            RepairBulletRecord(rec);
            if ((rec.MacroID & 0xFFFFFF) == 0 || g_MacroList.FindById(rec.MacroID)) {
                rec.MacroID = ctx.NewId();
                rec.dwFlags |= kMacroSettingsChanged;
            }
            pRec = g_BulletList.Add(rec);
        }
        AddTreeItem(false, pParent, ToQString(item.strName), pRec ? pRec->MacroID : item.record.MacroID, item.path,
                    false);
    });
    if (!m_keptAside.empty()) {
        std::u16string str;
        for (const fs::path& p : m_keptAside)
            str += u"This bullet file is damaged and was kept aside as " + Utf8ToU16(p.filename().string()) + u".\n";
        m_keptAside.clear();
        Message(str);
    }
}

void CBulletDlg::Reload()
{
    // A profile import can bring bullets into the folder: read it again, and
    // keep showing the bullet that was shown.
    FlushAll();
    const uint32_t id = m_editor.Record() ? m_editor.Record()->MacroID : 0;
    FillTree();
    if (QTreeWidgetItem* pItem = id ? FindBulletItem(id) : nullptr) {
        m_pTree->Select(pItem);
        ShowBullet(RecordOf(pItem));
    }
}

bool CBulletDlg::IsGroup(const QTreeWidgetItem* pItem) const
{
    const TreeItemInfo* p = pItem ? m_pTree->FindRecord(pItem) : nullptr;
    return p && p->nKind == CTreeCtrlEx::kFolder;
}

MacroRecord* CBulletDlg::RecordOf(const QTreeWidgetItem* pItem) const
{
    const TreeItemInfo* p = pItem ? m_pTree->FindRecord(pItem) : nullptr;
    if (!p || p->nKind != CTreeCtrlEx::kLeaf) return nullptr;
    return g_BulletList.FindById(uint32_t(p->nKey) & 0xFFFFFF);
}

fs::path CBulletDlg::PathOf(const QTreeWidgetItem* pItem) const
{
    const auto it = m_paths.find(pItem);
    return it == m_paths.end() ? fs::path() : it->second;
}

QTreeWidgetItem* CBulletDlg::FindBulletItem(uint32_t id) const { return m_pTree->FindByKey(int(id)); }

QTreeWidgetItem* CBulletDlg::ParentForNew() const
{
    QTreeWidgetItem* p = m_pTree->SelectedItem();
    return IsGroup(p) ? p : nullptr;
}

fs::path CBulletDlg::FolderOf(QTreeWidgetItem* pGroup) const { return pGroup ? PathOf(pGroup) : Folder(); }

bool CBulletDlg::NameTaken(QTreeWidgetItem* pParent, const std::u16string& name) const
{
    bool bTaken = false;
    m_pTree->EnumChildren(pParent, [&](QTreeWidgetItem*, TreeItemInfo*, const QString& strText) {
        bTaken = SameNameIgnoringCase(ToU16(strText), name);
        return bTaken;
    }, false);
    return bTaken;
}

void CBulletDlg::FlushAll()
{
    m_pTree->EnumChildren(nullptr, [this](QTreeWidgetItem* pItem, TreeItemInfo* pInfo, const QString&) {
        if (!pInfo || pInfo->nKind != CTreeCtrlEx::kLeaf) return false;
        MacroRecord* pRec = RecordOf(pItem);
        const fs::path path = PathOf(pItem);
        if (!pRec || path.empty()) {
            LogPrintf("Flush_Dirty_Macro_MCB: pItem=0x%0x(%s) error", unsigned(pInfo->nKey),
                      U16ToUtf8(ToU16(pItem->text(0))).c_str());
            return false;
        }
        std::string strErr;
        if (!FlushDirtyMacro(path, *pRec, strErr))
            LogPrintf("Flush_Dirty_Macro_MCB: WriteFile err=0x%x, %s", 0u, strErr.c_str());
        return false;
    }, true);
}

void CBulletDlg::ClickTree(QTreeWidgetItem* pItem)
{
    FlushAll();
    m_pTree->Select(pItem);
    if (!pItem) {
        ShowBullet(nullptr);
        return;
    }
    if (!m_pTree->FindRecord(pItem)) {
        Message(u"OnListItemClick: pItem=0");
        return;
    }
    ShowBullet(RecordOf(pItem));
}

void CBulletDlg::RemoveRecordsUnder(QTreeWidgetItem* pItem)
{
    if (MacroRecord* p = RecordOf(pItem)) {
        if (m_editor.Record() == p) ShowBullet(nullptr);
        g_BulletList.Remove(p);
    }
    m_pTree->EnumChildren(pItem, [this](QTreeWidgetItem* pChild, TreeItemInfo*, const QString&) {
        if (MacroRecord* p = RecordOf(pChild)) {
            if (m_editor.Record() == p) ShowBullet(nullptr);
            g_BulletList.Remove(p);
        }
        m_paths.erase(pChild);
        return false;
    }, true);
    m_paths.erase(pItem);
}

// ---- commands -----------------------------------------------------------------------

void CBulletDlg::RunCommand(uint32_t nCmd, uint8_t byCode)
{
    switch (nCmd) {
    case kCmdNew: NewBullet(); return;
    case kCmdNewGroup: NewGroup(); return;
    case kCmdDelete: DeleteItem(); return;
    case kCmdRename: Rename(); return;
    case kCmdEditStep: EditStep(); return;
    case kCmdDeleteStep: DeleteStep(); return;
    case kCmdInsert: InsertStep(byCode); return;
    case kCmdExport:
    case kCmdExportLocked: {
        const MacroRecord* pRec = RecordOf(m_pTree->SelectedItem());
        if (!pRec) return;
        const QString strName = ToQString(FixedView(pRec->szName)) + QStringLiteral(".mcb");
        const QString strFile = QFileDialog::getSaveFileName(this, QString(), strName, QStringLiteral("mcb(*.mcb)"));
        if (!strFile.isEmpty()) ExportTo(fs::path(strFile.toStdString()), nCmd == kCmdExportLocked);
        return;
    }
    case kCmdImport: {
        const QString strFile = QFileDialog::getOpenFileName(this, QString(), QString(), QStringLiteral("mcb(*.mcb)"));
        if (!strFile.isEmpty()) ImportFrom(fs::path(strFile.toStdString()));
        return;
    }
    case kCmdImportGroup: ImportFolder(true, false); return;
    case kCmdCopyFolder: ImportFolder(false, false); return;
    case kCmdCopyFolderLocked: ImportFolder(false, true); return;
    default: return;
    }
}

void CBulletDlg::NewBullet()
{
    if (g_BulletList.IsFull()) {
        Message(u"The number of bullet is up to the maximum");
        return;
    }
    QTreeWidgetItem* pParent = ParentForNew();
    CNewBulletDlg dlg(this);
    if (dlg.exec() != CSkinDialog::kIdOk) return;
    const BulletGenInput in = dlg.Input();
    if (!IsSafeMacroName(in.strName)) {
        Message(u"Invalid name.");
        return;
    }
    if (NameTaken(pParent, in.strName)) {
        Message(TxU("tc_macro_msg8"));
        return;
    }
    MacroRecord rec = BuildBulletRecord(in, Context().NewId());
    rec.dwFlags = kMacroChangeFlags;
    MacroRecord* pRec = g_BulletList.Add(rec);
    if (!pRec) {
        Message(u"The number of bullet is up to the maximum");
        return;
    }
    const fs::path path = FolderOf(pParent) / MacroFileName(in.strName, MacroKind::Bullet);
    QTreeWidgetItem* pItem = AddTreeItem(false, pParent, ToQString(in.strName), pRec->MacroID, path, true);
    if (!pItem) {
        g_BulletList.Remove(pRec);
        return;
    }
    // Written at once, so a new bullet is never only in memory.
    std::string strErr;
    if (!FlushDirtyMacro(path, *pRec, strErr)) LogPrintf("Flush_Dirty_Macro_MCB: WriteFile err=0x%x, %s", 0u, strErr.c_str());
    ShowBullet(pRec);
}

void CBulletDlg::NewGroup()
{
    const auto name = Prompt().AskText(TxU("tc_macro_msg13"), u"", kMacroNameMax);
    if (!name || name->empty()) return;
    QTreeWidgetItem* pSel = m_pTree->SelectedItem();
    QTreeWidgetItem* pParent = IsGroup(pSel) ? pSel : nullptr;
    if (!pParent) ShowBullet(nullptr);
    if (!IsSafeMacroName(*name)) {
        Message(u"Invalid name.");
        return;
    }
    if (NameTaken(pParent, *name)) {
        Message(TxU("tc_macro_msg8"));
        return;
    }
    // Its folder comes into being with the first bullet written into it.
    AddTreeItem(true, pParent, ToQString(*name), 0, FolderOf(pParent) / fs::path(U16ToUtf8(*name)), true);
}

void CBulletDlg::DeleteItem()
{
    QTreeWidgetItem* pItem = m_pTree->SelectedItem();
    if (!pItem) return;
    if (!Prompt().AskYesNo(TxU("tc_msg6"), u"")) return;
    const fs::path path = PathOf(pItem);
    if (path.empty()) {
        Message(u"Get file path failed.");
        return;
    }
    const bool bGroup = IsGroup(pItem);
    RemoveRecordsUnder(pItem);
    m_pTree->DeleteItem(pItem);
    ShowBullet(nullptr);
    const MacroOpResult r = DeleteMacroPath(path);
    if (!r.bOk) {
        if (!bGroup) LogPrintf("DeleteFile %s, err=%s", path.string().c_str(), U16ToUtf8(r.strMessage).c_str());
        Message(r.strMessage);
    }
}

void CBulletDlg::Rename()
{
    QTreeWidgetItem* pItem = m_pTree->SelectedItem();
    if (!pItem) return;
    const bool bGroup = IsGroup(pItem);
    const auto name = Prompt().AskText(TxU(bGroup ? "tc_macro_msg13" : "tc_macro_msg11"), u"", kMacroNameMax);
    if (!name || name->empty()) return;
    if (!IsSafeMacroName(*name)) {
        Message(u"Invalid name.");
        return;
    }
    if (NameTaken(pItem->parent(), *name)) {
        Message(TxU("tc_macro_msg8"));
        return;
    }
    FlushAll();
    const fs::path path = PathOf(pItem);
    MacroOpResult r;
    if (bGroup) {
        r = RenameMacroGroup(path, *name);
    } else if (MacroRecord* pRec = RecordOf(pItem)) {
        r = RenameMacroFile(path, *name, *pRec, MacroKind::Bullet);
    } else {
        r.strMessage = u"Rename failed.";
    }
    if (!r.bOk) {
        Message(r.strMessage.empty() ? u"Rename failed." : r.strMessage);
        return;
    }
    pItem->setText(0, ToQString(*name));
    m_paths[pItem] = r.path;
    if (bGroup) {
        // Everything below moved with the folder; the records stay in the list.
        m_pTree->EnumChildren(pItem, [&](QTreeWidgetItem* pChild, TreeItemInfo*, const QString&) {
            const fs::path old = PathOf(pChild);
            m_paths[pChild] = r.path / fs::relative(old, path);
            return false;
        }, true);
    }
}

bool CBulletDlg::ExportTo(const fs::path& dest, bool bLock)
{
    const MacroRecord* pRec = RecordOf(m_pTree->SelectedItem());
    if (!pRec) return false;
    std::string strErr;
    if (!ExportMacro(*pRec, dest, bLock, Context(), strErr)) {
        Message(Utf8ToU16(strErr));
        return false;
    }
    return true;
}

bool CBulletDlg::ImportFrom(const fs::path& src)
{
    QTreeWidgetItem* pParent = ParentForNew();
    const fs::path folder = FolderOf(pParent);
    std::string strErr;
    if (!MakeSureFolderExist(folder, strErr)) {
        Message(Utf8ToU16(strErr));
        return false;
    }
    const MacroOpResult r = ImportMacroFile(src, folder, MacroKind::Bullet, Context());
    if (!r.bOk || !r.pRecord) {
        Message(r.strMessage);
        return false;
    }
    AddTreeItem(false, pParent, ToQString(FixedView(r.pRecord->szName)), r.pRecord->MacroID, r.path, true);
    ShowBullet(r.pRecord);
    return true;
}

void CBulletDlg::ImportFolder(bool bAsGroup, bool bLock)
{
    const QString strDir = QFileDialog::getExistingDirectory(this);
    if (strDir.isEmpty()) return;
    QTreeWidgetItem* pParent = ParentForNew();
    const MacroContext ctx = Context();
    const MacroOpResult r = bAsGroup ? ImportFolderAsGroup(fs::path(strDir.toStdString()), FolderOf(pParent),
                                                           MacroKind::Bullet, ctx)
                                     : ImportFolderContent(fs::path(strDir.toStdString()), FolderOf(pParent),
                                                           MacroKind::Bullet, bLock, ctx);
    if (!r.strMessage.empty()) Message(r.strMessage);
    FillTree();
}

// ---- steps --------------------------------------------------------------------------

void CBulletDlg::ShowBullet(MacroRecord* pRec)
{
    m_editor.Show(pRec);
    FillSteps();
    ShowRepeat();
    FillFields();
    update();
}

void CBulletDlg::FillSteps()
{
    if (!m_pSteps) return;
    m_bFilling = true;
    m_pSteps->DeleteAll();
    if (m_editor.Locked()) {
        m_pSteps->AddItem(false, nullptr, false, QImage(), Tx("tc_macro_msg34"), 0, 0);
    } else if (m_editor.Record()) {
        const uint32_t dwFire = m_editor.Record()->nFireCode;
        const auto& items = m_editor.Items();
        for (size_t i = 0; i < items.size(); ++i)
            m_pSteps->AddItem(false, nullptr, int(i) == m_editor.Selected(),
                              Img(QString::fromLatin1(BulletItemIcon(items[i].kind))),
                              ToQString(BulletItemText(items[i], dwFire)), int(i), int(items[i].kind));
        if (m_editor.Selected() < 0) m_pSteps->Select(nullptr);
    }
    m_bFilling = false;
}

void CBulletDlg::ShowRepeat()
{
    const bool bShow = m_editor.Editable();
    const MacroRecord* p = m_editor.Record();
    const int nMode = p ? int(p->nRepeatMode) : 0;
    for (CPngBtn* r : {m_pLoop1, m_pLoop2})
        if (r) r->setVisible(bShow);
    if (m_pLoop1) m_pLoop1->setChecked(bShow && nMode == 0);
    if (m_pLoop2) m_pLoop2->setChecked(bShow && nMode == 2);
    if (m_pLoop3) m_pLoop3->setChecked(bShow && nMode == 1);
    m_pCount->setVisible(bShow && nMode == 0);
    m_pCount->setText(bShow && nMode == 0 ? QString::number(std::max<int>(p->wLoopCount, 1)) : QString());
    if (m_pAddShot) m_pAddShot->setEnabled(bShow);
    if (m_pDeleteStep) m_pDeleteStep->setEnabled(bShow);
}

void CBulletDlg::FillFields()
{
    const int n = m_editor.Selected();
    const bool bStep = m_editor.Editable() && n >= 0 && n < int(m_editor.Items().size());
    const BulletItem it = bStep ? m_editor.Items()[size_t(n)] : BulletItem{};
    const bool bOne = bStep && it.kind != BulletStepKind::Press && it.kind != BulletStepKind::Release;
    const bool bTwo = bStep && it.kind == BulletStepKind::Move;
    m_pField1->setVisible(bOne);
    m_pLabel1->setVisible(bOne);
    m_pField2->setVisible(bTwo);
    m_pLabel2->setVisible(bTwo);
    if (!bOne) return;
    switch (it.kind) {
    case BulletStepKind::Move:
        m_pLabel1->setText(QStringLiteral("X"));
        m_pLabel2->setText(QStringLiteral("Y"));
        m_pField1->setPlaceholderText(Tx("tc_bullet7"));
        m_pField2->setPlaceholderText(Tx("tc_bullet8"));
        m_pField1->setToolTip(Tx("tc_bullet7"));
        m_pField2->setToolTip(Tx("tc_bullet8"));
        m_pField1->setText(QString::number(BulletMoveX(it.dwValue)));
        m_pField2->setText(QString::number(BulletMoveY(it.dwValue)));
        break;
    case BulletStepKind::Pause:
        m_pLabel1->setText(Tx("tc_bullet2"));
        m_pField1->setText(QString::number(it.dwValue));
        break;
    default:
        m_pLabel1->setText(Tx("tc_bullet6"));
        m_pField1->setText(QString::number(BulletClickMs(it.dwValue)));
        break;
    }
}

void CBulletDlg::ClickStep(int nIndex)
{
    if (!m_editor.Editable()) return;
    m_editor.Select(nIndex);
    m_pSteps->Select(m_pSteps->topLevelItem(m_editor.Selected()));
    FillFields();
}

void CBulletDlg::Report(BulletEdit r)
{
    if (r == BulletEdit::Full) Message(TxU("tc_bullet16"));
}

void CBulletDlg::ApplyEdit(BulletEdit r)
{
    Report(r);
    if (r != BulletEdit::Done && r != BulletEdit::BadValue) {
        ShowRepeat();
        return;
    }
    FillSteps();
    ShowRepeat();
    FillFields();
    update();
}

void CBulletDlg::AddShot() { ApplyEdit(m_editor.AddShot()); }

void CBulletDlg::DeleteStep()
{
    if (m_editor.Selected() < 0) return;
    ApplyEdit(m_editor.DeleteSelected());
}

void CBulletDlg::InsertStep(uint8_t byCode)
{
    if (!m_editor.Editable()) return;
    if (m_editor.Weight() >= m_editor.Limits().nWeightMax) {
        Report(BulletEdit::Full);
        return;
    }
    std::vector<BulletItem> add;
    switch (byCode) {
    case 0xF7: {
        CMsgDlg dlg(this, CMsgDlg::kModeKey, Tx("tc_msg10"));
        dlg.SetSinglePress(true);
        if (dlg.exec() != CSkinDialog::kIdOk) return;
        const CapturedCombo c = dlg.Combo();
        add = BulletKeyItems(c.byKey1 ? c.byKey1 : BulletModifierKey(c.byModifier));
        break;
    }
    case 0xF9: {
        CMsgDlg dlg(this, CMsgDlg::kModeNumber, Tx("tc_macro_msg12"));
        if (dlg.exec() != CSkinDialog::kIdOk) return;
        const int n = std::clamp(dlg.NumberResult(), std::max(hwParam.nDelayMin, 1), int(kBulletTimeMax));
        add = {BulletPause(uint32_t(n))};
        break;
    }
    case 0xFB: {
        int values[2] = {0, 0};
        const QStringList labels = {QStringLiteral("X  (-127 ~ 127)"), QStringLiteral("Y  (-127 ~ 127)")};
        if (CQueryDlg::QueryNumbers(this, labels, 2, values) != CSkinDialog::kIdOk) return;
        add = {BulletMove(std::clamp(values[0], -kBulletMoveMax, kBulletMoveMax),
                          std::clamp(values[1], -kBulletMoveMax, kBulletMoveMax))};
        break;
    }
    default: add = BulletItemsForCode(byCode); break;
    }
    if (add.empty()) return;
    ApplyEdit(m_editor.Insert(add));
}

void CBulletDlg::EditStep()
{
    const int n = m_editor.Selected();
    if (!m_editor.Editable() || n < 0) return;
    const BulletItem it = m_editor.Items()[size_t(n)];
    int values[2] = {0, 0};
    QStringList labels;
    int nCount = 1;
    switch (it.kind) {
    case BulletStepKind::Move:
        labels = {QStringLiteral("X  (-127 ~ 127)"), QStringLiteral("Y  (-127 ~ 127)")};
        values[0] = BulletMoveX(it.dwValue);
        values[1] = BulletMoveY(it.dwValue);
        nCount = 2;
        break;
    case BulletStepKind::Pause:
        labels = {Tx("tc_bullet2")};
        values[0] = int(it.dwValue);
        break;
    case BulletStepKind::Click:
        labels = {Tx("tc_bullet6")};
        values[0] = BulletClickMs(it.dwValue);
        break;
    default: return;  // presses and releases are not edited
    }
    if (CQueryDlg::QueryNumbers(this, labels, nCount, values) != CSkinDialog::kIdOk) return;
    ApplyEdit(m_editor.EditSelected(values[0], values[1]));
}

void CBulletDlg::OnFieldEdited(int nField)
{
    QLineEdit* p = ValueField(nField);
    if (!p || m_bFilling) return;
    // A minus alone is a number on its way.
    if (p->text().isEmpty() || p->text() == QStringLiteral("-")) return;
    const BulletEdit r = m_editor.SetField(nField, ToU16(p->text()));
    if (r == BulletEdit::BadValue) p->setText(QStringLiteral("0"));
    if (r != BulletEdit::Done && r != BulletEdit::BadValue) return;
    // The list item shows the new value; the field keeps the focus and its text.
    const int n = m_editor.Selected();
    if (QTreeWidgetItem* pItem = m_pSteps->topLevelItem(n))
        pItem->setText(0, ToQString(BulletItemText(m_editor.Items()[size_t(n)], m_editor.Record()->nFireCode)));
    m_pSteps->viewport()->update();
}

void CBulletDlg::OnCountEdited(const QString& str)
{
    if (str.isEmpty() || !m_editor.Editable()) return;
    const int n = m_editor.SetLoopCount(str.toInt());
    if (QString::number(n) != str) m_pCount->setText(QString::number(n));
}

// ---- menus --------------------------------------------------------------------------

CMenuDlg* CBulletDlg::OpenMenu(std::vector<MenuItem> items, int nWidth)
{
    const double f = skin::InterfaceScale();
    auto* pMenu = new CMenuDlg(this, std::move(items), QCursor::pos(), QSize(int(nWidth * f), int(kMenuItemH * f)), 0);
    connect(pMenu, &CMenuDlg::Chosen, this, [this](uint32_t dwCode, int) {
        CMenuDlg::CloseCurrent();
        if (dwCode & 0x8000) RunCommand(kCmdInsert, uint8_t(dwCode >> 16));
        else RunCommand(dwCode);
    });
    pMenu->show();
    return pMenu;
}

CMenuDlg* CBulletDlg::OpenTreeMenu(QTreeWidgetItem* pItem)
{
    m_pTree->Select(pItem);
    uint32_t nSet;
    if (!pItem) nSet = gVar.nMacroDir == 0 ? kCmdImport
                                           : kCmdNewGroup | kCmdImport | kCmdImportGroup | kCmdCopyFolder | kCmdCopyFolderLocked;
    else if (IsGroup(pItem)) nSet = kCmdNew | kCmdNewGroup | kCmdDelete | kCmdImport | kCmdRename | kCmdImportGroup |
                                    kCmdCopyFolder | kCmdCopyFolderLocked;
    else {
        ShowBullet(RecordOf(pItem));
        nSet = kCmdExport | kCmdExportLocked | kCmdRename | kCmdImportGroup | kCmdCopyFolder | kCmdCopyFolderLocked |
               kCmdDelete;
    }
    // Groups exist only where the folder has them.
    if (gVar.nMacroDir == 0) nSet &= ~uint32_t(kCmdNewGroup | kCmdImportGroup);
    static constexpr std::pair<uint32_t, const char*> kOrder[] = {
        {kCmdNew, "tc_macro_msg5"},         {kCmdNewGroup, "tc_macro_msg6"},   {kCmdExport, "tc_macro_msg4"},
        {kCmdExportLocked, "tc_macro_msg32"}, {kCmdImport, "tc_macro_msg3"},   {kCmdRename, "tc_macro_msg20"},
        {kCmdDelete, "tc_macro_msg10"},     {kCmdImportGroup, "tc_macro_msg21"}, {kCmdCopyFolder, "tc_macro_msg22"},
        {kCmdCopyFolderLocked, "tc_macro_msg33"}};
    std::vector<MenuItem> items;
    for (const auto& [nCmd, key] : kOrder)
        if (nSet & nCmd) items.push_back({kMenuTop, nCmd, TxU(key)});
    if (items.empty()) return nullptr;
    return OpenMenu(std::move(items), 179);
}

CMenuDlg* CBulletDlg::OpenStepMenu(bool bOnStep)
{
    if (!m_editor.Editable()) return nullptr;
    std::vector<MenuItem> items;
    if (bOnStep) items.push_back({kMenuTop, kCmdDeleteStep, TxU("tc_macro_msg10")});
    const int nHeader = int(items.size());
    items.push_back({kMenuTop, 0, TxU("tc_macro_loop")});
    const auto child = [&](uint8_t byCode, const char* key) {
        items.push_back({nHeader, 0x8000u | uint32_t(byCode) << 16, TxU(key)});
    };
    child(0xF7, "tc_stroke");
    child(0xFB, "tc_bullet1");
    child(0xF9, "tc_macro_msg16");
    static constexpr const char* kButtons[] = {"tc_click", "tc_menu", "tc_middle", "tc_forward",
                                               "tc_back",  "tc_scrollup", "tc_scrolldown"};
    for (int i = 0; i < 7; ++i)
        if (gVar.nMacroHasMsKey & (1 << i)) child(uint8_t(0xF0 + i), kButtons[i]);
    return OpenMenu(std::move(items), 146);
}

void CBulletDlg::keyPressEvent(QKeyEvent* e)
{
    if (!SwallowPageKey(e)) CPage::keyPressEvent(e);
}
