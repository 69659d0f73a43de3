// The macro page's tree and the file commands behind it: reading the macro
// folder, selecting a macro, new, group, rename, delete, import and export.
#include <QCursor>
#include <QTreeWidgetItem>
#include <algorithm>

#include "core/Gvar.h"
#include "core/Log.h"
#include "core/Utf.h"
#include "keys/MacroFile.h"
#include "keys/MacroUse.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "ui/keys/MenuDlg.h"
#include "ui/pages/macro/MacroDlg.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/TreeCtrlEx.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMenuItemW = 179, kMenuItemH = 22;

QString Tx(const std::u16string& s, const char* pszDefault)
{
    return s.empty() ? QString::fromUtf8(pszDefault) : ToQString(s);
}

}  // namespace

// ---- folder and tree --------------------------------------------------------------------

fs::path CMacroDlg::Folder() const { return MacroFolder(g_szUserDir, gVar.nMid); }

MacroContext CMacroDlg::Context() const
{
    MacroContext ctx;
    ctx.nMid = gVar.nMid;
    ctx.nMacroHasMsKey = gVar.nMacroHasMsKey;
    return ctx;
}

void CMacroDlg::Message(const std::u16string& text, const char16_t* pszCaption)
{
    Prompt().ShowMessage(text, pszCaption);
}

void CMacroDlg::ReloadFolder()
{
    if (m_bRecording) return;
    ClearEditor();
    m_pTree->DeleteAll();
    m_paths.clear();
    // The list is read again from the files, as the keys name them: a repeated
    // identifier is renumbered in the later file and saved, a damaged file is
    // moved aside.
    g_MacroList.Clear();
    const MacroContext ctx = Context();
    std::vector<fs::path> aside;
    MacroScanOptions opt;
    opt.bGroups = gVar.nMacroDir != 0;
    opt.pKeptAside = &aside;
    std::vector<QTreeWidgetItem*> parents;
    std::error_code ec;
    fs::create_directories(Folder(), ec);
    if (!ScanMacroFolder(Folder(), MacroKind::Macro, opt, ctx,
                         [&](const MacroScanItem& item) { AddScanned(item, parents); }))
        Message(u"The macro folder cannot be read: " + Utf8ToU16(Folder().string()));
    MacroScanOptions flat;
    flat.pKeptAside = &aside;
    ScanMacroFolder(OrgMacFolder(g_szUserDir), MacroKind::Macro, flat, ctx);
    if (!aside.empty()) {
        std::u16string text = u"These files are not macro files and were moved aside:";
        for (const fs::path& p : aside) text += u"\n" + Utf8ToU16(p.filename().string());
        Message(text, u"Warning");
    }
}

void CMacroDlg::AddScanned(const MacroScanItem& item, std::vector<QTreeWidgetItem*>& parents)
{
    parents.resize(size_t(item.nDepth));
    QTreeWidgetItem* pParent = parents.empty() ? nullptr : parents.back();
    if (item.bGroup) {
        QTreeWidgetItem* p = m_pTree->AddItemFromFile(true, pParent, false, QString::fromStdString(item.pathIcon.string()),
                                                      ToQString(item.strName), m_nNextGroupKey--, 0);
        if (p) m_paths[p] = item.path;
        parents.push_back(p);
        return;
    }
    if (item.pRecord) AddMacroItem(pParent, item.strName, item.pRecord->MacroID, item.path, false);
}

QTreeWidgetItem* CMacroDlg::AddMacroItem(QTreeWidgetItem* pParent, const std::u16string& name, uint32_t id,
                                         const fs::path& path, bool bSelect)
{
    QTreeWidgetItem* p = m_pTree->AddItem(false, pParent, bSelect, QImage(), ToQString(name), int(id & kStampIdMask), 0);
    if (p) m_paths[p] = path;
    return p;
}

bool CMacroDlg::IsGroup(const QTreeWidgetItem* pItem) const
{
    const TreeItemInfo* p = pItem ? m_pTree->FindRecord(pItem) : nullptr;
    return p && p->nKind == CTreeCtrlEx::kFolder;
}

// The folder new items go to: the selected group, the group of the selected
// macro, or the top.
fs::path CMacroDlg::TargetFolder(QTreeWidgetItem** ppParent) const
{
    QTreeWidgetItem* pSel = m_pTree->SelectedItem();
    QTreeWidgetItem* pGroup = IsGroup(pSel) ? pSel : pSel ? pSel->parent() : nullptr;
    if (ppParent) *ppParent = pGroup;
    if (pGroup) {
        const auto it = m_paths.find(pGroup);
        if (it != m_paths.end()) return it->second;
    }
    return Folder();
}

bool CMacroDlg::SelectMacro(uint32_t nMacroId)
{
    if (Refuse()) return false;
    QTreeWidgetItem* p = m_pTree->FindByKey(int(nMacroId & kStampIdMask));
    if (!p) return false;
    m_pTree->Select(p);
    LoadMacro(p);
    return m_pRec != nullptr;
}

void CMacroDlg::OnTreeClick(QTreeWidgetItem* pItem)
{
    if (m_bRecording) {
        Refuse();
        if (m_pRec) m_pTree->Select(m_pTree->FindByKey(int(m_pRec->MacroID & kStampIdMask)));
        return;
    }
    LoadMacro(pItem);
}

void CMacroDlg::OnTreeRightClick(QTreeWidgetItem* pItem)
{
    if (Refuse()) return;
    std::vector<std::pair<int, std::u16string>> cmds;
    const auto add = [&](int nCmd, const std::u16string& text) { cmds.push_back({nCmd, text}); };
    // Without groups sub-folders are not read at start-up: a group made then
    // would lose its macros, so none is offered.
    const bool bGroups = gVar.nMacroDir == 1;
    add(kCmdNew, gText.tc_macro_msg5);
    if (bGroups) add(kCmdNewGroup, gText.tc_macro_msg6);
    if (pItem && !IsGroup(pItem)) add(kCmdExport, gText.tc_macro_msg4);
    add(kCmdImport, gText.tc_macro_msg3);
    if (pItem) add(kCmdRename, gText.tc_macro_msg20);
    if (pItem) add(kCmdDelete, gText.tc_macro_msg10);
    if (bGroups) add(kCmdImportGroup, gText.tc_macro_msg21);
    if (bGroups || pItem) add(kCmdImportContent, gText.tc_macro_msg22);
    ShowMenu(cmds);
}

void CMacroDlg::ShowMenu(const std::vector<std::pair<int, std::u16string>>& cmds, uint8_t byInsertFor)
{
    (void)byInsertFor;
    std::vector<MenuItem> items;
    for (const auto& [nCmd, text] : cmds) items.push_back({kMenuTop, uint32_t(nCmd), text});
    const double f = skin::InterfaceScale();
    auto* pMenu = new CMenuDlg(this, std::move(items), QCursor::pos(), QSize(int(kMenuItemW * f), int(kMenuItemH * f)), 0);
    connect(pMenu, &CMenuDlg::Chosen, this, [this](uint32_t dwCode, int) {
        RunCommand(int(dwCode & 0xFFFF), uint8_t(dwCode >> 16));
    });
    pMenu->show();
}

void CMacroDlg::ClearEditor()
{
    m_pRec = nullptr;
    m_path.clear();
    m_items.clear();
    ShowItems({});
    ShowSettings();
}

void CMacroDlg::LoadMacro(QTreeWidgetItem* pItem)
{
    // Leaving a macro with changes that wait for the save button: they are
    // saved or given up, never kept half in the list and half in the file.
    if (m_pRec && (m_pRec->dwFlags & kMacroChangeFlags) && gVar.nAutoSaveMacro != 1) {
        if (Prompt().AskYesNo(Tx(gText.tc_macro_msg9, "Save the changes to this macro?").toStdU16String(), u""))
            Save();
        else if (MacroRecord* p = g_MacroList.FindById(m_pRec->MacroID); p) {
            const MacroFileRead read = ReadMacroFile(m_path);
            if (read.bOpened && IsMacroRecord(read.rec)) {
                const uint32_t id = p->MacroID;
                *p = read.rec;
                p->MacroID = id;
            }
            p->dwFlags &= ~kMacroChangeFlags;
        }
    }
    ClearEditor();
    if (!pItem || IsGroup(pItem)) return;
    const TreeItemInfo* pInfo = m_pTree->FindRecord(pItem);
    if (!pInfo) {
        LogPrintf("OnListItemClick: pItem=0");
        return;
    }
    m_pRec = g_MacroList.FindById(uint32_t(pInfo->nKey));
    if (!m_pRec) return;
    m_path = m_paths[pItem];
    m_items = ItemsFromRecord(*m_pRec, m_lim);
    ShowItems({});
    ShowSettings();
}

// ---- file commands ----------------------------------------------------------------------

void CMacroDlg::NewMacro()
{
    if (g_MacroList.IsFull()) {
        Message(u"The number of macro is up to the maximum");
        return;
    }
    const auto name = Prompt().AskText(Tx(gText.tc_macro_msg11, "Please enter a macro name:").toStdU16String(), u"",
                                       kMacroNameMax);
    if (!name) return;
    std::u16string strName, strMessage;
    if (!CheckMacroName(*name, strName, strMessage)) {
        Message(strMessage);
        return;
    }
    QTreeWidgetItem* pParent = nullptr;
    const fs::path folder = TargetFolder(&pParent);
    const MacroOpResult r = NewMacroFile(folder, strName, MacroKind::Macro, Context());
    if (!r.bOk) {
        Message(r.strMessage);
        return;
    }
    QTreeWidgetItem* p = AddMacroItem(pParent, strName, r.pRecord->MacroID, r.path, true);
    LoadMacro(p);
}

void CMacroDlg::NewGroup()
{
    const auto name = Prompt().AskText(Tx(gText.tc_macro_msg13, "Please enter a group name:").toStdU16String(), u"",
                                       kMacroNameMax);
    if (!name) return;
    std::u16string strName, strMessage;
    if (!CheckMacroName(*name, strName, strMessage)) {
        Message(strMessage);
        return;
    }
    QTreeWidgetItem* pParent = nullptr;
    const fs::path folder = TargetFolder(&pParent);
    const fs::path dir = folder / U16ToUtf8(strName);
    if (!FindInFolderIgnoringCase(folder, dir.filename()).empty()) {
        Message(Tx(gText.tc_macro_msg8, "This name already exists.").toStdU16String());
        return;
    }
    // The folder is made at once: an empty group stays a group after a restart.
    std::string strErr;
    if (!MakeSureFolderExist(dir, strErr)) {
        Message(Utf8ToU16(strErr));
        return;
    }
    QTreeWidgetItem* p = m_pTree->AddItem(true, pParent, true, QImage(), ToQString(strName), m_nNextGroupKey--, 0);
    if (p) m_paths[p] = dir;
    ClearEditor();
}

void CMacroDlg::DeleteSelected()
{
    QTreeWidgetItem* pItem = m_pTree->SelectedItem();
    if (!pItem) {
        Message(Tx(gText.tc_macro_msg1, "Please select a macro first.").toStdU16String(), u"Tips");
        return;
    }
    const fs::path path = m_paths[pItem];
    // The macros of the item (itself, or every macro of the group) leave the list with their files.
    std::vector<uint32_t> ids;
    if (IsGroup(pItem)) {
        m_pTree->EnumChildren(pItem, [&](QTreeWidgetItem*, TreeItemInfo* pInfo, const QString&) {
            if (pInfo && pInfo->nKind == CTreeCtrlEx::kLeaf) ids.push_back(uint32_t(pInfo->nKey));
            return false;
        }, true);
    } else if (const TreeItemInfo* pInfo = m_pTree->FindRecord(pItem)) {
        ids.push_back(uint32_t(pInfo->nKey));
    }
    // A key that plays a deleted macro does nothing any more: the question says so.
    std::u16string strAsk = Tx(gText.tc_msg(6), "Delete?").toStdU16String();
    const ProfileRecord* pPro = Profile();
    if (pPro && std::any_of(ids.begin(), ids.end(), [pPro](uint32_t id) { return WhoPlaysMacro(*pPro, id).Any(); }))
        strAsk += u"\n" + tr("A key of the current profile plays this macro; it will do nothing once the macro is "
                              "deleted.").toStdU16String();
    if (!Prompt().AskYesNo(strAsk, u"")) return;
    const MacroOpResult r = DeleteMacroPath(path);
    if (!r.bOk) {
        Message(r.strMessage);
        return;
    }
    ClearEditor();
    for (const uint32_t id : ids)
        if (MacroRecord* p = g_MacroList.FindById(id)) g_MacroList.Remove(p);
    m_pTree->EnumChildren(pItem, [&](QTreeWidgetItem* p, TreeItemInfo*, const QString&) {
        m_paths.erase(p);
        return false;
    }, true);
    m_paths.erase(pItem);
    m_pTree->DeleteItem(pItem);
}

void CMacroDlg::ExportSelected()
{
    QTreeWidgetItem* pItem = m_pTree->SelectedItem();
    if (!pItem || IsGroup(pItem) || !m_pRec) {
        Message(Tx(gText.tc_macro_msg1, "Please select a macro first.").toStdU16String(), u"Tips");
        return;
    }
    const QString strDest = m_hooks.pickSaveFile(this, ToQString(FixedView(m_pRec->szName)) + QStringLiteral(".mcf"));
    if (strDest.isEmpty()) return;
    Save();
    std::string strErr;
    if (!ExportMacro(*m_pRec, fs::path(strDest.toStdString()), false, Context(), strErr))
        Message(u"The macro could not be exported: " + Utf8ToU16(strErr));
}

void CMacroDlg::ImportFile()
{
    const QString strSrc = m_hooks.pickOpenFile(this);
    if (strSrc.isEmpty()) return;
    QTreeWidgetItem* pParent = nullptr;
    const fs::path folder = TargetFolder(&pParent);
    const MacroOpResult r = ImportMacroFile(fs::path(strSrc.toStdString()), folder, MacroKind::Macro, Context());
    if (!r.bOk) {
        Message(r.strMessage);
        return;
    }
    QTreeWidgetItem* p = AddMacroItem(pParent, std::u16string(FixedView(r.pRecord->szName)), r.pRecord->MacroID, r.path, true);
    LoadMacro(p);
}

void CMacroDlg::ImportFolder(bool bAsGroup)
{
    const QString strSrc = m_hooks.pickFolder(this);
    if (strSrc.isEmpty()) return;
    const fs::path src(strSrc.toStdString());
    const fs::path folder = TargetFolder(nullptr);
    const MacroOpResult r = bAsGroup ? ImportFolderAsGroup(src, folder, MacroKind::Macro, Context())
                                     : ImportFolderContent(src, folder, MacroKind::Macro, false, Context());
    if (!r.strMessage.empty()) Message(r.strMessage, r.bOk ? u"Tips" : u"Error");
    if (r.bOk || r.pRecord) {
        const uint32_t id = r.pRecord ? r.pRecord->MacroID : 0;
        // The tree shows the folder as it is now; the list already holds the new macros.
        m_pTree->DeleteAll();
        m_paths.clear();
        ClearEditor();
        std::vector<QTreeWidgetItem*> parents;
        MacroScanOptions opt;
        opt.bAddToList = false;
        opt.bGroups = gVar.nMacroDir != 0;
        ScanMacroFolder(Folder(), MacroKind::Macro, opt, Context(), [&](const MacroScanItem& item) {
            MacroScanItem shown = item;
            shown.pRecord = item.bGroup ? nullptr : g_MacroList.FindById(item.record.MacroID);
            AddScanned(shown, parents);
        });
        if (id) SelectMacro(id);
    }
}

void CMacroDlg::RenameSelected()
{
    QTreeWidgetItem* pItem = m_pTree->SelectedItem();
    if (!pItem) {
        Message(Tx(gText.tc_macro_msg1, "Please select a macro first.").toStdU16String(), u"Tips");
        return;
    }
    const bool bGroup = IsGroup(pItem);
    const auto name = Prompt().AskText(
        (bGroup ? Tx(gText.tc_macro_msg13, "Please enter a group name:") : Tx(gText.tc_macro_msg11, "Please enter a macro name:"))
            .toStdU16String(),
        u"", kMacroNameMax);
    if (!name) return;
    std::u16string strName, strMessage;
    if (!CheckMacroName(*name, strName, strMessage)) {
        Message(strMessage);
        return;
    }
    const fs::path old = m_paths[pItem];
    if (bGroup) {
        const MacroOpResult r = RenameMacroGroup(old, strName);
        if (!r.bOk) {
            Message(r.strMessage);
            return;
        }
        // Everything under the group moved with its folder.
        const std::string strOld = old.string(), strNew = r.path.string();
        for (auto& [p, path] : m_paths) {
            const std::string s = path.string();
            if (s == strOld || s.starts_with(strOld + "/")) path = fs::path(strNew + s.substr(strOld.size()));
        }
        if (m_path.string().starts_with(strOld + "/")) m_path = fs::path(strNew + m_path.string().substr(strOld.size()));
        pItem->setText(0, ToQString(strName));
        return;
    }
    MacroRecord* pRec = g_MacroList.FindById(uint32_t(m_pTree->FindRecord(pItem)->nKey));
    if (!pRec) return;
    const MacroOpResult r = RenameMacroFile(old, strName, *pRec, MacroKind::Macro);
    if (!r.bOk) {
        Message(r.strMessage);
        return;
    }
    m_paths[pItem] = r.path;
    if (pRec == m_pRec) m_path = r.path;
    pItem->setText(0, ToQString(strName));
}
