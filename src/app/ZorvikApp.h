// The application object: prepares the platform, loads every description and
// option file, opens the log, loads the text catalogue, makes sure only one copy
// runs per device configuration and runs the main window for the rest of the
// process's life.
#pragma once

#include <QString>
#include <memory>

#include "device/IClock.h"
#include "platform/SingleInstance.h"
#include "core/IPrompt.h"

#include "ui/mainwnd/ZorvikDlg.h"

struct AppArgs {
    bool bDemo = false;
    QString strScreenshot;  // render the main window to this PNG and exit
    QString strGallery;     // draw every skinned control and window into this folder and exit
    QString strAppDir, strUserDir;
    QString strDevice;      // ms, kb or pad: the device shown first
    int nPage = 0;          // the page shown first, 0: the device's first
    bool bHidden = false;   // start with the window hidden
};

class CDemoDevices;
class CDeviceHub;
class CEmuRig;
class CQtMsgTarget;
class CQtNotices;
class IHidBackend;
class IHotPlugMonitor;
class IOsPointerSettings;
class ISoundPlayer;

class CZorvikApp {
public:
    explicit CZorvikApp(const AppArgs& args);
    ~CZorvikApp();
    CZorvikApp(const CZorvikApp&) = delete;
    CZorvikApp& operator=(const CZorvikApp&) = delete;
    // Runs start-up and the main window; returns the process exit code.
    int Run();

private:
    bool InitInstance();
    void ExitInstance();
    // The devices: virtual ones in a demo, else the machine's; the hub finds
    // them on its own threads and the window lists them.
    void OpenDevices();
    bool OpenWindow();
    // A screenshot or gallery run: nobody answers message windows; messages go to stderr.
    bool Unattended() const { return !m_args.strScreenshot.isEmpty() || !m_args.strGallery.isEmpty(); }

    AppArgs m_args;
    CSingleInstance m_instance;
    std::unique_ptr<CZorvikDlg> m_pMainWnd;
    CSystemClock m_clock;
    std::unique_ptr<CEmuRig> m_rig;               // the virtual devices of a demo
    std::unique_ptr<CDemoDevices> m_demo;
    std::unique_ptr<IHidBackend> m_realBackend;   // hidapi otherwise
    std::unique_ptr<CQtMsgTarget> m_events;
    std::unique_ptr<CQtNotices> m_notices;
    std::unique_ptr<CDeviceHub> m_hub;
    std::unique_ptr<IHotPlugMonitor> m_hotPlug;
    std::unique_ptr<IPrompt> m_prompt;
    std::unique_ptr<IOsPointerSettings> m_pointer;   // the desktop's pointer settings, where it has a store
    std::unique_ptr<ISoundPlayer> m_sound;            // profile sounds
    bool m_bExited = false;
    int m_nExitCode = 0;  // of a run that ends in start-up
};
