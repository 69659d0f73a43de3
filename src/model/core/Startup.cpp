#include "core/Startup.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "core/Gvar.h"
#include "core/Ini.h"
#include "core/Log.h"
#include "core/Options.h"
#include "core/SensorTables.h"
#include "core/Utf.h"
#include "text/TextCatalogue.h"

namespace fs = std::filesystem;

namespace {

void LogLaunch()
{
    const std::time_t t = std::time(nullptr);
    std::tm tmLocal{};
    localtime_r(&t, &tmLocal);
    LogPrintf("--------------------------------------------------");
    LogPrintf("Launch %04d-%d-%d:%dH, Ver=0x%x, Title=%s", tmLocal.tm_year + 1900, tmLocal.tm_mon + 1,
              tmLocal.tm_mday, tmLocal.tm_hour, unsigned(gVar.nVer),
              U16ToUtf8(gVar.pszTitle ? std::u16string_view(gVar.pszTitle) : std::u16string_view()).c_str());
}

}  // namespace

bool RunStartupDataSteps(const StartupFolders& folders, IPrompt& prompt)
{
    InitSensorTables();
    g_szAppDir = folders.appDir;
    const CIniFile cfg = CIniFile::Load(g_szAppDir / "cfg.ini");

    // The per-user folder is settled before the options are read, so that the log
    // can live there when there is no desktop folder.
    const fs::path userDir = !folders.userDirOverride.empty()
                                 ? folders.userDirOverride
                                 : folders.userRoot / fs::path(U16ToUtf8(UserFolderName(cfg)));
    std::error_code ec;
    fs::create_directories(userDir, ec);  // a failure shows later, when a file cannot be written

    LogConfig logCfg;
    logCfg.pathFile = (folders.logDir.empty() ? userDir : folders.logDir) / "Log.txt";
    if (!DataInit(cfg, prompt, logCfg)) return false;
    if (!cfg.Exists()) LogPrintf("cfg.ini not found in %s; defaults used", g_szAppDir.string().c_str());
    if (ec) LogPrintf("Cannot create the user folder %s: %s", userDir.string().c_str(), ec.message().c_str());
    g_szUserDir = userDir;

    PostInit(prompt);
    LoadLangAndSkins(cfg, CIniFile::Load(g_szUserDir / "lang.ini"), prompt);
    LoadTextCatalogue(CataloguePath());

    // The options file's title wins over the catalogue's.
    gVar.pszTitle = gVar.szTitle[0] ? gVar.szTitle : gText.tc_title.c_str();
    LogLaunch();
    return true;
}

std::string MutexName()
{
    char sz[50];
    const bool bMouse = gVar.nMsFw != 0, bKeyboard = gVar.nKbFw != 0;
    if (bMouse && !bKeyboard)
        std::snprintf(sz, sizeof sz, "MUTEX_BY_MS_%04X", unsigned(gVar.Ms.nPID[0]));
    else if (!bMouse && bKeyboard)
        std::snprintf(sz, sizeof sz, "MUTEX_BY_KB_%04X_%02X", unsigned(gVar.Kb.nPID), unsigned(gVar.nKbFw));
    else
        std::snprintf(sz, sizeof sz, "MUTEX_BY_COMBOMirex");
    return sz;
}
