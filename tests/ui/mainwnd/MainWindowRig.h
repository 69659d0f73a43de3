// The main window as the program builds it, on the emulator: an application
// folder with the shipped skins and texts and a cfg.ini of the test's own, a
// fresh user folder, the virtual devices of that cfg.ini behind a device hub
// on a virtual clock, and a scripted prompt. Tests drive the window as a
// user would and read the virtual devices' memory.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <string>

#include "TestSupport.h"
#include "core/Gvar.h"
#include "core/IPrompt.h"
#include "core/Log.h"
#include "core/ProList.h"
#include "core/Startup.h"
#include "device/DeviceHub.h"
#include "device/DeviceSession.h"
#include "emu/EmuBackend.h"
#include "emu/EmuRig.h"
#include "emu/VirtualClock.h"
#include "ui/mainwnd/QtMsgTarget.h"
#include "ui/mainwnd/ZorvikDlg.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/SkinTheme.h"

namespace mainwnd_test {
using namespace test;

// Processes the window's events until pred holds; false after the limit.
inline bool Pump(const std::function<bool()>& pred, int nLimitMs = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > nLimitMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Answers the file dialogs with preset paths.
class CPresetFiles final : public IFileDialogs {
public:
    QString strOpen, strSave;
    QString OpenFile(QWidget*, const QString&, const QString&) override { return strOpen; }
    QString SaveFile(QWidget*, const QString&, const QString&, const QString&) override { return strSave; }
};

// The shipped cfg.ini with some keys replaced ("KbFw=0" replaces the line KbFw=...).
inline std::string DemoCfg(std::initializer_list<std::string> replacements)
{
    std::string text = ReadBytes(AppDir() / "cfg.ini");
    for (const std::string& r : replacements) {
        const std::string key = r.substr(0, r.find('='));
        text = std::regex_replace(text, std::regex("(^|\\n)" + key + "=[^\\r\\n]*"), "$1" + r);
    }
    return text;
}

class CMainWindowRig {
public:
    // cfg: the whole cfg.ini; the user folder may be handed over from an earlier rig (a restart).
    explicit CMainWindowRig(const std::string& cfg, std::filesystem::path userDir = {},
                            std::span<const PageEntry> pages = {})
        : m_userDir(userDir.empty() ? m_tmp.Path() / "user" : userDir)
    {
        namespace fs = std::filesystem;
        const fs::path app = m_tmp.Path() / "app";
        fs::create_directories(app);
        for (const fs::directory_entry& e : fs::directory_iterator(AppDir()))
            if (e.path().filename() != "cfg.ini") fs::create_symlink(e.path(), app / e.path().filename());
        WriteBytes(app / "cfg.ini", cfg);
        fs::create_directories(m_userDir);
        StartupFolders folders;
        folders.appDir = app;
        folders.userRoot = m_tmp.Path();
        folders.userDirOverride = m_userDir;
        folders.logDir = m_userDir;
        bStarted = RunStartupDataSteps(folders, prompt);
        m_savedTheme = skin::Theme();
        skin::SetTheme(skin::ThemeFromOptions());
        skin::ClearImageCache();
        std::string strErr;
        LoadMacroLists(strErr);

        std::vector<std::string> notes;
        rig.AddConfigured(gVar, {}, notes);
        hub = std::make_unique<CDeviceHub>(rig.Backend(), clock, notices, &events);
        hub->Open();
        MainWindowDeps deps;
        deps.pHub = hub.get();
        deps.pPrompt = &prompt;
        deps.pFiles = &files;
        deps.bUnattended = true;
        deps.pages = pages;
        wnd = std::make_unique<CZorvikDlg>(deps);
        QObject::connect(&events, &CQtMsgTarget::posted, wnd.get(), &CZorvikDlg::OnHubMessage);
        QObject::connect(&notices, &CQtNotices::waiting, wnd.get(), [this] { wnd->ShowNotices(notices); });
        rig.Backend().SetPlugListener([this](const std::vector<HidDevInfo>&, bool) { hub->FindLater(); });
        bInitialised = wnd->Initialise();
        hub->FindLater();
        hub->WaitFound();
        QApplication::processEvents();
    }
    ~CMainWindowRig()
    {
        rig.Backend().SetPlugListener({});
        hub->Close();
        wnd.reset();
        hub.reset();
        g_ProList.Clear();
        pFile = nullptr;
        // The folders go with the rig: nothing may keep using them.
        LogStop();
        skin::SetTheme(m_savedTheme);
        skin::ClearImageCache();
        g_szAppDir = AppDir();
    }

    // A virtual device by its name ("mirex", ...), or the first whose name contains part.
    std::shared_ptr<CEmuDevice> Device(const std::string& part)
    {
        for (const std::shared_ptr<CEmuDevice>& d : rig.Backend().Devices())
            if (d->Name().find(part) != std::string::npos) return d;
        return nullptr;
    }
    // Waits until discovery settled and the window took every message in.
    void Settle()
    {
        hub->WaitFound();
        for (size_t i = 0; i < hub->Count(); ++i) hub->WaitIdle(i);
        for (int n = 0; n < 5; ++n) QApplication::processEvents();
    }
    const std::filesystem::path& UserDir() const { return m_userDir; }

private:
    CTempDir m_tmp;
    std::filesystem::path m_userDir;
    skin::SkinTheme m_savedTheme;

public:
    CRecordingPrompt prompt;
    CPresetFiles files;
    CVirtualClock clock;
    CEmuRig rig{clock};
    CQtNotices notices;
    CQtMsgTarget events;
    std::unique_ptr<CDeviceHub> hub;
    std::unique_ptr<CZorvikDlg> wnd;
    bool bStarted = false;
    bool bInitialised = false;
};

}  // namespace mainwnd_test
