#include "ZorvikApp.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <iostream>

#include "core/Gvar.h"
#include "core/Log.h"
#include "core/StreamPrompt.h"
#include "core/Startup.h"
#include "platform/Folders.h"
#include "platform/IconvCharset.h"
#include "platform/PosixFiles.h"
#include "ui/gallery/Gallery.h"
#include "ui/skin/SkinTheme.h"
#include "ui/skin/SkinPrompt.h"
#include "ui/QtText.h"
#include "ui/mainwnd/QtMsgTarget.h"
#include "ui/mainwnd/ZorvikDlg.h"
#include "app/DemoDevices.h"
#include "platform/GnomePointerSettings.h"
#include "ui/mainwnd/DrvcfgDlg.h"
#include "ui/mainwnd/SoundPlayer.h"
#include "device/DeviceSession.h"
#include "device/DeviceHub.h"
#include "emu/EmuRig.h"
#include "platform/HidapiBackend.h"
#include "platform/HotPlug.h"
#include "text/TextCatalogue.h"

namespace fs = std::filesystem;

CZorvikApp::CZorvikApp(const AppArgs& args) : m_args(args) {}

CZorvikApp::~CZorvikApp() { ExitInstance(); }

int CZorvikApp::Run()
{
    if (!InitInstance()) return m_nExitCode;  // a second copy, a gallery run, or start-up could not go on
    OpenDevices();
    if (!OpenWindow()) return Unattended() ? 1 : 0;
    if (!m_args.strScreenshot.isEmpty()) {
        // The picture shows what discovery found.
        m_hub->WaitFound();
        QApplication::processEvents();
        if (m_args.strDevice == QLatin1String("ms")) m_pMainWnd->SwitchDevice(DevKind::Mouse);
        if (m_args.strDevice == QLatin1String("kb")) m_pMainWnd->SwitchDevice(DevKind::Keyboard);
        if (m_args.strDevice == QLatin1String("pad")) m_pMainWnd->SwitchDevice(DevKind::Pad);
        if (m_args.nPage > 0) m_pMainWnd->ShowPage(m_args.nPage);
        m_pMainWnd->show();
        QApplication::processEvents();
        const bool bSaved = m_pMainWnd->grab().save(m_args.strScreenshot, "PNG");
        if (!bSaved) std::cerr << "zorvik: cannot write " << m_args.strScreenshot.toStdString() << '\n';
        return bSaved ? 0 : 1;
    }
    // The window may live on hidden in the tray; the exit command ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(m_pMainWnd.get(), &CZorvikDlg::exitRequested, qApp, [] { QApplication::quit(); },
                     Qt::QueuedConnection);
    if (m_args.bHidden) {
        // Started as at login: the tray icon, or starting the program again, shows the window.
        LogPrintf("Main window hidden");
    } else if (gVar.nTrayIcon != 1 || !m_pMainWnd->HasTray()) {
        // Shown once the devices are known (a second at most), on the one it will show.
        m_pMainWnd->ShowWhenFound(1000);
        LogPrintf("Main window shown");
    }
    return QApplication::exec();
}

bool CZorvikApp::InitInstance()
{
    InstallIconvCharsetHook();
    InstallPosixFileHooks();

    StartupFolders folders;
    folders.appDir = m_args.strAppDir.isEmpty() ? ResolveAppDir() : fs::path(m_args.strAppDir.toStdString());
    // Without an application folder there is nothing to configure: end quietly, as
    // nothing can be logged yet either.
    if (folders.appDir.empty()) return false;
    folders.userRoot = UserDataRoot();
    folders.userDirOverride = m_args.strUserDir.toStdString();
    folders.logDir = DesktopDir();

    // A screenshot or gallery run has no one to answer message boxes: messages go to stderr.
    CSkinPrompt skinPrompt;
    CStreamPrompt streamPrompt(std::cerr);
    const bool bUnattended = Unattended();
    IPrompt& prompt = bUnattended ? static_cast<IPrompt&>(streamPrompt) : skinPrompt;
    if (!RunStartupDataSteps(folders, prompt)) {
        prompt.ShowMessage(u"     Data Init failed.     ", u"Error");
        if (bUnattended) m_nExitCode = 1;
        return false;
    }
    if (!m_args.strGallery.isEmpty()) {
        CGallery gallery(m_args.strGallery);
        const bool bDone = gallery.Run();
        for (const QString& strError : gallery.Errors()) std::cerr << "zorvik: " << strError.toStdString() << '\n';
        m_nExitCode = bDone ? 0 : 1;
        return false;
    }

    const QString strTitle = ToQString(gVar.pszTitle ? std::u16string_view(gVar.pszTitle) : std::u16string_view());
    bool bWoken = false;
    switch (m_instance.Acquire(QString::fromStdString(MutexName()), strTitle, bWoken)) {
    case CSingleInstance::Result::Second:
        LogPrintf("ALREADY_EXISTS, hWnd=%x, szMutexName=%s", bWoken ? 1u : 0u, MutexName().c_str());
        return false;
    case CSingleInstance::Result::Unprotected:
    case CSingleInstance::Result::First:
        break;
    }

    skin::SetTheme(skin::ThemeFromOptions());
    m_instance.SetWindowTitle(strTitle);
    return true;
}

void CZorvikApp::OpenDevices()
{
    m_events = std::make_unique<CQtMsgTarget>();
    m_notices = std::make_unique<CQtNotices>();
    IHidBackend* pBackend = nullptr;
    if (m_args.bDemo) {
        m_rig = std::make_unique<CEmuRig>(m_clock);
        std::vector<std::string> notes;
        m_rig->AddConfigured(gVar, g_szUserDir / "emu", notes);
        for (const std::string& n : notes) LogPrintf("Demo: %s", n.c_str());
        pBackend = &m_rig->Backend();
        m_demo = std::make_unique<CDemoDevices>(m_rig->Backend());
    } else {
        m_realBackend = std::make_unique<CHidapiBackend>();
        pBackend = m_realBackend.get();
    }
    // The desktop's pointer speed and double-click time go where the desktop keeps them.
    m_pointer = CGnomePointerSettings::Open();
    m_hub = std::make_unique<CDeviceHub>(*pBackend, m_clock, *m_notices, m_events.get(), m_pointer.get());
    m_hub->Open();
    // Each family looks for its device on its own thread; the window hears of it.
    m_hub->FindLater();
}

bool CZorvikApp::OpenWindow()
{
    if (Unattended())
        m_prompt = std::make_unique<CStreamPrompt>(std::cerr);
    else
        m_prompt = std::make_unique<CSkinPrompt>();
    std::string strErr;
    if (!LoadMacroLists(strErr)) LogPrintf("Macro lists: %s", strErr.c_str());

    MainWindowDeps deps;
    deps.pHub = m_hub.get();
    deps.pPrompt = m_prompt.get();
    deps.pVirtual = m_demo.get();
    deps.bUnattended = Unattended();
    m_sound = std::make_unique<CProcessSoundPlayer>();
    deps.runOptions = [this](QWidget* pOwner, ProfileRecord* pCurrent) {
        return RunOptionsDialog(pOwner, *m_prompt, pCurrent, *m_sound, [this] {
            QEvent e(QEvent::LanguageChange);
            QCoreApplication::sendEvent(m_pMainWnd.get(), &e);
        });
    };
    m_pMainWnd = std::make_unique<CZorvikDlg>(deps);
    if (auto* pSkin = dynamic_cast<CSkinPrompt*>(m_prompt.get())) pSkin->SetOwner(m_pMainWnd.get());
    QObject::connect(m_events.get(), &CQtMsgTarget::posted, m_pMainWnd.get(), &CZorvikDlg::OnHubMessage);
    QObject::connect(m_notices.get(), &CQtNotices::waiting, m_pMainWnd.get(),
                     [this] { m_pMainWnd->ShowNotices(*m_notices); });
    QObject::connect(&m_instance, &CSingleInstance::ShowRequested, m_pMainWnd.get(), &CZorvikDlg::ShowAndActivate);
    if (!m_pMainWnd->Initialise()) return false;
    m_instance.SetWindowTitle(m_pMainWnd->windowTitle());
    if (m_rig) {
        // A virtual device plugged or pulled: every family looks again.
        m_rig->Backend().SetPlugListener([this](const std::vector<HidDevInfo>&, bool) { m_hub->FindLater(); });
    } else {
        m_hotPlug = CreateHotPlugMonitor();
        m_hotPlug->Start([this](const HotPlugEvent&) { m_hub->FindLater(); });
    }
    return true;
}

void CZorvikApp::ExitInstance()
{
    if (m_bExited) return;
    m_bExited = true;
    if (m_hotPlug) m_hotPlug->Stop();
    if (m_hub) m_hub->Close();
    if (m_rig) {
        std::vector<std::string> notes;
        m_rig->Finish({}, notes);
        for (const std::string& n : notes) LogPrintf("Demo: %s", n.c_str());
        m_rig->Backend().SetPlugListener({});
    }
    // The pages go before the hub whose devices they show.
    m_pMainWnd.reset();
    m_hub.reset();
    m_instance.Release();
    LogPrintf("Driver exit");
}
