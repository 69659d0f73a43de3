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
#include "ui/skin/SkinPrompt.h"
#include "ui/QtText.h"
#include "ui/mainwnd/ZorvikDlg.h"

namespace fs = std::filesystem;

CZorvikApp::~CZorvikApp() { ExitInstance(); }

int CZorvikApp::Run()
{
    if (!InitInstance()) return m_nExitCode;  // a second copy, a gallery run, or start-up could not go on
    if (!m_args.strScreenshot.isEmpty()) {
        m_pMainWnd->show();
        QApplication::processEvents();
        const bool bSaved = m_pMainWnd->grab().save(m_args.strScreenshot, "PNG");
        if (!bSaved) std::cerr << "zorvik: cannot write " << m_args.strScreenshot.toStdString() << '\n';
        return bSaved ? 0 : 1;
    }
    m_pMainWnd->show();
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
    const bool bUnattended = !m_args.strScreenshot.isEmpty() || !m_args.strGallery.isEmpty();
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

    m_pMainWnd = std::make_unique<CZorvikDlg>();
    m_instance.SetWindowTitle(m_pMainWnd->windowTitle());
    QObject::connect(&m_instance, &CSingleInstance::ShowRequested, m_pMainWnd.get(), &CZorvikDlg::ShowAndActivate);
    return true;
}

void CZorvikApp::ExitInstance()
{
    if (m_bExited) return;
    m_bExited = true;
    m_pMainWnd.reset();
    m_instance.Release();
    LogPrintf("Driver exit");
}
