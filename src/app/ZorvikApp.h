// The application object: prepares the platform, loads every description and
// option file, opens the log, loads the text catalogue, makes sure only one copy
// runs per device configuration and runs the main window for the rest of the
// process's life.
#pragma once

#include <QString>
#include <memory>

#include "platform/SingleInstance.h"

#include "ui/mainwnd/ZorvikDlg.h"

struct AppArgs {
    bool bDemo = false;
    QString strScreenshot;  // render the main window to this PNG and exit
    QString strGallery;     // draw every skinned control and window into this folder and exit
    QString strAppDir, strUserDir;
};

class CZorvikApp {
public:
    explicit CZorvikApp(const AppArgs& args) : m_args(args) {}
    ~CZorvikApp();
    CZorvikApp(const CZorvikApp&) = delete;
    CZorvikApp& operator=(const CZorvikApp&) = delete;
    // Runs start-up and the main window; returns the process exit code.
    int Run();

private:
    bool InitInstance();
    void ExitInstance();

    AppArgs m_args;
    CSingleInstance m_instance;
    std::unique_ptr<CZorvikDlg> m_pMainWnd;
    bool m_bExited = false;
    int m_nExitCode = 0;  // of a run that ends in start-up
};
