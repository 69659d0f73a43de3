// The main window's apply and reset buttons and its profile list: switch,
// add, rename, delete, export and import. Every change of the list is stored
// at once; a store that fails is told to the user.
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>

#include "core/Gvar.h"
#include "device/mouse/MouseKeyPlan.h"
#include "keys/GunPreset.h"
#include "core/KeyCfg.h"
#include "core/Log.h"
#include "core/ProfileExport.h"
#include "core/ProfileOps.h"
#include "core/Utf.h"
#include "device/DeviceHub.h"
#include "core/MouseDesc.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "ui/mainwnd/ZorvikDlg.h"
#include <QMenu>
#include "ui/skin/PngBtn.h"
#include "ui/skin/ProgressDlg.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/TreeCtrlEx.h"

namespace {
constexpr int kProfileNameMax = 19;

std::u16string Title() { return gVar.pszTitle ? std::u16string(gVar.pszTitle) : std::u16string(); }

// The worker's messages for one job, to its progress window: the
// percentages, and the end (which closes the window).
class CApplyFeed final : public IMsgTarget {
public:
    explicit CApplyFeed(std::shared_ptr<CProgressFeed> feed) : m_feed(std::move(feed)) {}
    void Post(uint32_t nMsg, uintptr_t wParam, intptr_t lParam) override
    {
        if (nMsg == kMsgApplyDone)
            m_feed->PostEnd(wParam == 1);
        else
            m_feed->Post(nMsg, wParam, lParam);
    }

private:
    std::shared_ptr<CProgressFeed> m_feed;
};

class CDesktopFileDialogs final : public IFileDialogs {
public:
    QString OpenFile(QWidget* pOwner, const QString& strTitle, const QString& strFilter) override
    {
        return QFileDialog::getOpenFileName(pOwner, strTitle, QString(), strFilter);
    }
    QString SaveFile(QWidget* pOwner, const QString& strTitle, const QString& strFilter,
                     const QString& strSuffix) override
    {
        QFileDialog dlg(pOwner, strTitle, QString(), strFilter);
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setDefaultSuffix(strSuffix);
        return dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty() ? dlg.selectedFiles().front()
                                                                                 : QString();
    }
};

IFileDialogs& DesktopFileDialogs()
{
    static CDesktopFileDialogs dialogs;
    return dialogs;
}
}  // namespace

bool CZorvikDlg::StoreProfiles()
{
    std::string strErr;
    if (::StoreProfiles(*m_pStore, g_ProList, pFile, strErr)) return true;
    LogPrintf("Storing the profiles failed: %s", strErr.c_str());
    Prompt().ShowMessage(u"The profiles could not be saved: " + Utf8ToU16(strErr), u"Error");
    return false;
}

QStringList CZorvikDlg::ProfileNames() const
{
    QStringList names;
    for (const auto& p : g_ProList) names << ToQString(FixedView(p->szName));
    return names;
}

void CZorvikDlg::FillProfileList()
{
    if (!m_pProfileTree) return;
    m_pProfileTree->DeleteAll();
    const QImage icon = skin::LoadChosenScaled(QStringLiteral("proico.png"));
    for (const auto& p : g_ProList)
        m_pProfileTree->AddItem(false, nullptr, p.get() == pFile, icon, ToQString(FixedView(p->szName)),
                                int(p->nID), 0);
}

void CZorvikDlg::MakeCurrent(uint32_t nId)
{
    // A profile added, imported, or the one left after a delete: current, stored, listed, shown.
    ::SetAsCurProfile(g_ProList, nId, pFile, MouseMode());
    StoreProfiles();
    FillProfileList();
    ReloadPages();
}

std::optional<std::u16string> CZorvikDlg::AskProfileName()
{
    SetPagesBusy(true);
    std::optional<std::u16string> name = Prompt().AskText(gText.tc_msg(3), Title(), kProfileNameMax);
    SetPagesBusy(false);
    return name;
}

bool CZorvikDlg::SwitchProfile(uint32_t nId)
{
    if (pFile && pFile->nID == nId) return true;
    if (!::SetAsCurProfile(g_ProList, nId, pFile, MouseMode())) {
        LogPrintf("SetAsCurProfile(0x%x), pFile=0", nId);
        return false;
    }
    LogPrintf("SetAsCurProfile(0x%x), pFile->Ms.ProMirex.nMode=%d", nId, pFile->Ms.ProMirex.nMode);
    StoreProfiles();
    if (m_pProfileTree) m_pProfileTree->SelectByKey(int(nId));
    ReloadPages();
    return true;
}

bool CZorvikDlg::AddProfile()
{
    const std::optional<std::u16string> name = AskProfileName();
    if (!name) return false;
    const ProfileOpResult r = ::AddProfile(g_ProList, *m_pStore, *name, Defaults());
    if (!r.bOk) {
        Prompt().ShowMessage(r.strMessage, Title());
        return false;
    }
    MakeCurrent(r.pProfile->nID);
    return true;
}

bool CZorvikDlg::RenameProfile()
{
    if (!pFile) return false;
    const std::optional<std::u16string> name = AskProfileName();
    if (!name) return false;
    const ProfileOpResult r = ::RenameProfile(g_ProList, *pFile, *name);
    if (!r.bOk) {
        Prompt().ShowMessage(r.strMessage, Title());
        return false;
    }
    StoreProfiles();
    FillProfileList();
    return true;
}

bool CZorvikDlg::DeleteProfile()
{
    if (!pFile) return false;
    if (g_ProList.Count() > 1) {
        SetPagesBusy(true);
        const bool bYes = Prompt().AskYesNo(gText.tc_msg(8), Title());
        SetPagesBusy(false);
        if (!bYes) return false;
    }
    const ProfileOpResult r = ::DeleteProfile(g_ProList, *pFile);
    if (!r.bOk) {
        Prompt().ShowMessage(r.strMessage, Title());
        return false;
    }
    pFile = nullptr;
    MakeCurrent(r.pProfile->nID);
    return true;
}

void CZorvikDlg::OnProfileMenu()
{
    QMenu menu(this);
    menu.addAction(ToQString(gText.tc_msg(4)), this, &CZorvikDlg::ExportProfile);
    menu.addAction(ToQString(gText.tc_msg(5)), this, &CZorvikDlg::ImportProfile);
    if (gVar.nMsFw != 0) {
        menu.addAction(QStringLiteral("Export key layout"), this, &CZorvikDlg::ExportKeyCfg);
        menu.addAction(QStringLiteral("Import key layout"), this, &CZorvikDlg::ImportKeyCfg);
    }
    menu.addAction(ToQString(gText.tc_macro_msg20), this, &CZorvikDlg::RenameProfile);
    menu.exec(m_pMenu ? m_pMenu->mapToGlobal(QPoint(0, m_pMenu->height())) : QCursor::pos());
}

bool CZorvikDlg::ExportProfile()
{
    if (!pFile) return false;
    IFileDialogs& files = m_deps.pFiles ? *m_deps.pFiles : DesktopFileDialogs();
    const QString strPath = files.SaveFile(this, ToQString(gText.tc_msg(4)), QStringLiteral("Profile (*.bkm)"),
                                           QStringLiteral("bkm"));
    if (strPath.isEmpty()) return false;
    const ExportResult r = ::ExportProfile(strPath.toStdString(), *pFile, InstalledExportEnv());
    if (!r.bOk) {
        Prompt().ShowMessage(r.strMessage, Title());
        return false;
    }
    if (r.nLeftOut > 0)
        Prompt().ShowMessage(Utf8ToU16(std::to_string(r.nLeftOut) + " macros did not fit into the file."), Title());
    return true;
}

bool CZorvikDlg::ImportProfile()
{
    IFileDialogs& files = m_deps.pFiles ? *m_deps.pFiles : DesktopFileDialogs();
    const QString strPath = files.OpenFile(this, ToQString(gText.tc_msg(5)), QStringLiteral("Profile (*.bkm)"));
    if (strPath.isEmpty()) return false;
    SetPagesBusy(true);
    const ProfileImportResult r = ::ImportProfile(strPath.toStdString(), g_ProList, Prompt(), InstalledExportEnv());
    SetPagesBusy(false);
    if (!r.bOk) {
        Prompt().ShowMessage(r.strMessage, Title());
        return false;
    }
    if (!r.strMessage.empty()) Prompt().ShowMessage(r.strMessage, Title());
    MakeCurrent(r.pProfile->nID);
    return true;
}

bool CZorvikDlg::ExportKeyCfg()
{
    if (!pFile) return false;
    IFileDialogs& files = m_deps.pFiles ? *m_deps.pFiles : DesktopFileDialogs();
    const QString strPath = files.SaveFile(this, QStringLiteral("Export key layout"),
                                           QStringLiteral("Key layout (*.kyg)"), QStringLiteral("kyg"));
    if (strPath.isEmpty()) return false;
    const ExportResult r = ::ExportKeyCfg(strPath.toStdString(), *pFile, InstalledExportEnv());
    if (!r.bOk) Prompt().ShowMessage(r.strMessage, Title());
    return r.bOk;
}

bool CZorvikDlg::ImportKeyCfg()
{
    IFileDialogs& files = m_deps.pFiles ? *m_deps.pFiles : DesktopFileDialogs();
    const QString strPath =
        files.OpenFile(this, QStringLiteral("Import key layout"), QStringLiteral("Key layout (*.kyg)"));
    if (strPath.isEmpty()) return false;
    IPrompt& prompt = Prompt();
    const KeyCfgImportResult r = ::ImportKeyCfg(strPath.toStdString(), g_KeyCfg, pFile, InstalledExportEnv(),
                                                [&prompt] { BuildMouseKeyLayout(&g_KeyCfg, prompt); });
    if (!r.strMessage.empty()) Prompt().ShowMessage(r.strMessage, Title());
    if (!r.bOk) return false;
    StoreProfiles();
    ReloadPages();
    return true;
}

// ---- apply and reset -----------------------------------------------------------------------------

namespace {
// Runs one job of the shown device with the progress window; true when it was written.
bool RunWithProgress(QWidget* pOwner, CDeviceHub& hub, size_t nFamily, uint32_t nFlags, const ProfileRecord& pro,
                     bool bReset, bool bUnattended)
{
    CProgressDlg dlg(pOwner);
    dlg.PrepareApply();
    auto feed = std::make_shared<CApplyFeed>(dlg.Feed());
    if (!hub.RequestApply(nFamily, nFlags, pro, bReset, feed)) return false;
    if (bUnattended) {
        // Nobody watches: the job is waited for without a window.
        hub.WaitIdle(nFamily);
        QCoreApplication::processEvents();
    }
    // Returns at once when the job has ended already.
    return dlg.exec() == CProgressDlg::kIdOk;
}
}  // namespace

bool CZorvikDlg::Apply()
{
    if (RecorderHolds()) return false;
    CDeviceHub* pHub = m_deps.pHub;
    const size_t i = FamilyOf(m_curDev);
    if (!pHub || i == kNoFamily || !pFile) return false;
    if (!pHub->State(i).bConnected && !gVar.nGoWithNoDev) {
        Prompt().ShowMessage(gText.tc_msg(13), Title());
        return false;
    }
    for (auto& [strGroup, pPage] : m_pages) pPage->Collect();
    // With the gun preset option on, a gun preset in the second mode needs the
    // preset switch on another button: the mouse is not written without it.
    if (m_curDev == DevKind::Mouse && mouse::HasBullets(gVar.nMsFw) && !CheckGunOption(pFile)) {
        Prompt().ShowMessage(gText.tc_chiji(7), Title());
        return false;
    }
    SetPagesBusy(true);
    LogPrintf("User click apply");
    const bool bOk = RunWithProgress(this, *pHub, i, pHub->FullApply(i), *pFile, false, m_deps.bUnattended);
    LogPrintf("Apply finished: %s", bOk ? "written" : "failed");
    SetPagesBusy(false);
    StoreProfiles();
    return bOk;
}

bool CZorvikDlg::Reset()
{
    CDeviceHub* pHub = m_deps.pHub;
    const size_t i = FamilyOf(m_curDev);
    if (!pHub || i == kNoFamily || !pFile) return false;
    SetPagesBusy(true);
    const bool bYes = Prompt().AskYesNo(gText.tc_msg(7), Title());
    if (!bYes) {
        SetPagesBusy(false);
        return false;
    }
    pHub->Device(i).FillDefault(*pFile);
    if (m_curDev == DevKind::Mouse && pSensorCfg && pSensorCfg->nDefLevel >= 0)
        for (int& n : g_nCurDpiLevel) n = pSensorCfg->nDefLevel;
    LogPrintf("User click reset");
    ReloadPages();
    bool bOk = true;
    if (pHub->State(i).bConnected || gVar.nApplyNow)
        bOk = RunWithProgress(this, *pHub, i, pHub->FullApply(i), *pFile, true, m_deps.bUnattended);
    StoreProfiles();
    SetPagesBusy(false);
    return bOk;
}
