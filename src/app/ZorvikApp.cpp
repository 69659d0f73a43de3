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
    if (!m_args.strScreenshot.isEmpty()) {
        // The picture shows what discovery found.
        m_hub->WaitFound();
        QApplication::processEvents();
        m_pMainWnd->show();
        QApplication::processEvents();
        const bool bSaved = m_pMainWnd->grab().save(m_args.strScreenshot, "PNG");
        if (!bSaved) std::cerr << "zorvik: cannot write " << m_args.strScreenshot.toStdString() << '\n';
        return bSaved ? 0 : 1;
    }
    m_pMainWnd->show();
    LogPrintf("Main window shown");
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
    m_pMainWnd = std::make_unique<CZorvikDlg>();
    m_instance.SetWindowTitle(m_pMainWnd->windowTitle());
    QObject::connect(&m_instance, &CSingleInstance::ShowRequested, m_pMainWnd.get(), &CZorvikDlg::ShowAndActivate);
    return true;
}

void CZorvikApp::OpenDevices()
{
    m_events = std::make_unique<CQtMsgTarget>();
    m_notices = std::make_unique<CQtNotices>();
    QObject::connect(m_notices.get(), &CQtNotices::waiting, [this] { ShowNotices(); });
    IHidBackend* pBackend = nullptr;
    if (m_args.bDemo) {
        m_rig = std::make_unique<CEmuRig>(m_clock);
        std::vector<std::string> notes;
        m_rig->AddConfigured(gVar, g_szUserDir / "emu", notes);
        for (const std::string& n : notes) LogPrintf("Demo: %s", n.c_str());
        pBackend = &m_rig->Backend();
    } else {
        m_realBackend = std::make_unique<CHidapiBackend>();
        pBackend = m_realBackend.get();
    }
    m_hub = std::make_unique<CDeviceHub>(*pBackend, m_clock, *m_notices, m_events.get());
    QObject::connect(m_events.get(), &CQtMsgTarget::posted, [this](quint32 nMsg, quintptr wParam, qintptr lParam) {
        if (nMsg == kMsgInputReport && size_t(lParam) < m_hub->Count()) {
            // The pages that follow the device's mode and level come with the main window.
            if (const std::optional<DeviceEvent> e = m_hub->Decode(size_t(lParam), uint32_t(wParam)))
                LogPrintf("Device event: %s mode=%d level=%d/%d rate=%d", m_hub->Name(size_t(lParam)), e->nMode,
                          e->nLevelOrdinal, e->nLevel, e->nRateCode);
            return;
        }
        if (nMsg != kMsgDeviceFound || wParam >= m_hub->Count()) return;
        if (m_hub->Device(wParam).IsConnected()) {
            // Taking a sensor the description does not know is told to the user.
            CSkinPrompt skinPrompt;
            CStreamPrompt streamPrompt(std::cerr);
            m_hub->Publish(wParam, Unattended() ? static_cast<IPrompt&>(streamPrompt) : skinPrompt);
        }
        ShowDevices();
    });
    m_hub->Open();
    if (m_rig) {
        // A virtual device plugged or pulled: every family looks again.
        m_rig->Backend().SetPlugListener([this](const std::vector<HidDevInfo>&, bool) { m_hub->FindLater(); });
    } else {
        m_hotPlug = CreateHotPlugMonitor();
        m_hotPlug->Start([this](const HotPlugEvent&) { m_hub->FindLater(); });
    }
    ShowDevices();
    m_hub->FindLater();
}

void CZorvikApp::ShowDevices()
{
    QStringList lines;
    for (size_t i = 0; i < m_hub->Count(); ++i) {
        const DeviceState st = m_hub->State(i);
        if (m_hub->IsSpare(i) && !st.bConnected && !st.bDenied) continue;  // a further identical device, not attached
        QString strState = st.bConnected ? QStringLiteral("connected")
                           : st.bDenied  ? QStringLiteral("no access (udev rule)")
                                         : QStringLiteral("not found");
        if (st.bConnected && st.nLink >= 0)
            strState += st.nLink ? QStringLiteral(", through the receiver") : QStringLiteral(", on the cable");
        if (st.bConnected && st.bBatteryRead) strState += QStringLiteral(", battery %1").arg(st.nBatteryLevel);
        lines << QStringLiteral("%1: %2").arg(QString::fromUtf8(m_hub->Name(i)), strState);
    }
    for (const std::string& s : CDeviceHub::UndrivenFamilies(gVar))
        lines << QStringLiteral("%1: not supported yet").arg(QString::fromStdString(s));
    if (m_args.bDemo) lines.prepend(QStringLiteral("Demo: virtual devices"));
    m_pMainWnd->SetDevices(lines);
}

void CZorvikApp::ShowNotices()
{
    // Shown here, on the user-interface thread; the worker that left them went on long ago.
    for (const CNoticeQueue::Entry& e : m_notices->Take()) {
        LogPrintf("Notice: %s", U16ToUtf8(e.text).c_str());
        if (Unattended()) continue;  // nobody to read it
        CSkinPrompt prompt;
        prompt.ShowMessage(e.text, e.caption);
    }
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
    m_hub.reset();
    m_pMainWnd.reset();
    m_instance.Release();
    LogPrintf("Driver exit");
}
