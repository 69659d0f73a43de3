// The one window of the program, drawn from the skin: title bar with minimise,
// options and exit, the device selectors, the navigation of the shown device,
// the profile list with its buttons, apply and reset, and the page area where
// the pages of the shown device appear. It follows the device hub (devices
// found, plugged, pulled, their own reports), keeps the tray icon and owns the
// order of shutdown: pages first, then the hub's threads, then the devices.
//
// Decisions without the window (which buttons, which page, which device after
// an unplug, what the exit button does) come from core/Navigation; profile
// operations from core/ProfileOps and core/ProfileExport; what a device's own
// report means from device/mouse/MouseNotice.
#pragma once

#include <QPointer>
#include <QSystemTrayIcon>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "core/IPrompt.h"
#include "core/Navigation.h"
#include "core/ProfileOps.h"
#include "core/ProfileStore.h"
#include "device/ProfileEditor.h"
#include "ui/pages/Page.h"
#include "ui/pages/PageTable.h"

class CDeviceHub;
class CNaviBtn;
class CNotifyDlg;
class CPngBtn;
class CTreeCtrlEx;
class CNoticeQueue;
class QLabel;
class QMenu;
class QTreeWidgetItem;
class IVirtualDevices;
class CVirtualDevicesPanel;

// The file dialogs of export and import; tests answer with preset paths.
class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    // Empty when the user cancelled.
    virtual QString OpenFile(QWidget* pOwner, const QString& strTitle, const QString& strFilter) = 0;
    virtual QString SaveFile(QWidget* pOwner, const QString& strTitle, const QString& strFilter,
                             const QString& strSuffix) = 0;
};

struct MainWindowDeps {
    CDeviceHub* pHub = nullptr;          // the devices; never null in the program
    IPrompt* pPrompt = nullptr;          // messages and questions
    IFileDialogs* pFiles = nullptr;      // null: the desktop's file dialogs
    IVirtualDevices* pVirtual = nullptr; // a demo's virtual devices: shows their panel
    bool bUnattended = false;            // screenshots and tests: no notice windows, no tray
    // The pages; empty: the program's page table.
    std::span<const PageEntry> pages;
    // The application options window; true when it was closed with OK. Null: no options button.
    std::function<bool(QWidget* pOwner, ProfileRecord* pCurrent)> runOptions;
};

class CZorvikDlg : public QWidget {
    Q_OBJECT
public:
    explicit CZorvikDlg(const MainWindowDeps& deps, QWidget* pParent = nullptr);
    ~CZorvikDlg() override;

    // Loads the profiles, builds the chrome and chooses the first device. False
    // when the program cannot go on (the reason was shown).
    bool Initialise();

    // ---- what the device hub posts (user-interface thread) -------------------------------
    void OnHubMessage(quint32 nMsg, quintptr wParam, qintptr lParam);
    // Notices workers left (failed applies, offline mouse): shown here.
    void ShowNotices(CNoticeQueue& queue);

    // ---- devices and pages --------------------------------------------------------------
    void SwitchDevice(DevKind kind);
    // Shows page n of the shown device (1 lighting ... 9 music); false when
    // the device has no such page or the macro recorder holds the page.
    bool ShowPage(int nPage);
    DevKind CurrentDevice() const { return m_curDev; }
    int CurrentPage() const { return m_nCurPage; }
    CPage* CurrentPageWidget() const { return m_pCurPage; }
    PageId CurrentPageId() const { return m_curPageId; }
    // The hub index of the device of a kind: the open one of its units, else
    // its first; kNoFamily when the kind is not configured.
    size_t FamilyOf(DevKind kind) const;
    bool IsOpen(DevKind kind) const;
    std::vector<DevKind> SelectorsShown() const;
    std::vector<NavButton> NavigationShown() const;
    // The text of the device status line ("DPI" button of the spec's window).
    QString StatusText() const;

    // ---- apply, reset and profiles --------------------------------------------------------
    bool Apply();
    bool Reset();
    bool AddProfile();
    bool RenameProfile();
    bool DeleteProfile();
    bool SwitchProfile(uint32_t nId);
    bool ExportProfile();
    bool ImportProfile();
    bool ExportKeyCfg();
    bool ImportKeyCfg();
    CProfileEditor& Profiles() { return *m_pEditor; }
    QStringList ProfileNames() const;

    // ---- showing and ending -----------------------------------------------------------------
    // The first showing: once every device has been looked for (so the window
    // opens on the device it will show), or after nCapMs at the latest.
    void ShowWhenFound(int nCapMs);
    // The tray's left click and a second copy's request: show and bring to the front.
    void ShowAndActivate();
    // The exit button: quit, hide to the tray, or minimise where no tray is.
    void OnExitButton();
    // The exit command: profiles stored, pages closed; the program then ends.
    void ExitProgram();
    bool HasTray() const { return m_pTray != nullptr; }
    void OpenOptions();
    // The notice window, for tests: the last lines shown.
    QStringList LastNotice() const { return m_lastNotice; }

signals:
    // The exit command ran: the application leaves its event loop.
    void exitRequested();
    // The device state changed (discovery, plug, unplug); tests wait for it.
    void devicesChanged();
    // A device report was taken in.
    void deviceEventShown();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    // Chrome.
    void BuildChrome();
    void Retext();
    void LayOutNavigation();
    void UpdateDeviceButtons();
    void UpdateStatus();
    void MakeTray();
    CPngBtn* MakeButton(const QString& strNr, const QString& strOv, const QString& strDn, const QPoint& pt,
                        const QString& strName);
    void Place(CPngBtn* pBtn, const QRect& rc);
    QRect Scaled(const QRect& rc) const;
    QPoint Scaled(const QPoint& pt) const;

    // Pages.
    PageContext MakeContext();
    CPage* PageOf(PageId id);
    void ReloadPages();
    void SetPagesBusy(bool bBusy);

    // Devices.
    void OnDeviceFound(size_t i);
    void OnInputReport(size_t i, uint32_t dwBytes);
    DevOpen OpenState() const;
    MouseModeState MouseMode() const;

    // Profiles.
    void FillProfileList();
    void MakeCurrent(uint32_t nId);
    std::optional<std::u16string> AskProfileName();
    void OnProfileMenu();
    bool StoreProfiles();
    ProfileDefaults Defaults();
    IPrompt& Prompt() const { return *m_deps.pPrompt; }
    bool RecorderHolds();

    MainWindowDeps m_deps;
    NavOptions m_nav;
    std::unique_ptr<CProfileStore> m_pStore;
    std::unique_ptr<CProfileEditor> m_pEditor;

    DevKind m_curDev = DevKind::None;
    int m_nCurPage = 1;
    PageId m_curPageId = PageId::None;
    CPage* m_pCurPage = nullptr;
    std::map<std::string, CPage*> m_pages;   // by page group, made when first shown
    QWidget* m_pPageArea = nullptr;

    CPngBtn* m_pMin = nullptr;
    CPngBtn* m_pExit = nullptr;
    CPngBtn* m_pOptions = nullptr;
    std::array<CPngBtn*, 3> m_selectors = {};       // mouse, keyboard, pad
    std::map<NavButton, CNaviBtn*> m_navi;
    std::array<CPngBtn*, 3> m_modes = {};           // the mouse's three modes
    CTreeCtrlEx* m_pProfileTree = nullptr;
    CPngBtn* m_pAdd = nullptr;
    CPngBtn* m_pDel = nullptr;
    CPngBtn* m_pMenu = nullptr;
    CPngBtn* m_pApply = nullptr;
    CPngBtn* m_pReset = nullptr;
    QLabel* m_pStatus = nullptr;
    QLabel* m_pVersion = nullptr;
    CPngBtn* m_pWeb = nullptr;
    CVirtualDevicesPanel* m_pVirtualPanel = nullptr;

    std::unique_ptr<CNotifyDlg> m_pNotify;
    QStringList m_lastNotice;
    QSystemTrayIcon* m_pTray = nullptr;
    QMenu* m_pTrayMenu = nullptr;
    std::map<DevKind, bool> m_open;   // which kinds were open after the last report
    std::set<size_t> m_firstRound;
    std::set<size_t> m_denied;        // families the user was told they may not open    // families not yet heard of since start
    bool m_bShowPending = false;
    bool m_bExiting = false;
    bool m_bBusy = false;
};
