#include "core/Startup.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "core/AtomicFile.h"
#include "core/GatheringPrompt.h"
#include "core/Gvar.h"
#include "core/Ini.h"
#include "core/Log.h"
#include "core/Options.h"
#include "core/SensorTables.h"
#include "core/Utf.h"
#include "text/TextCatalogue.h"

namespace fs = std::filesystem;

namespace {

// A temporary file older than this is no save in progress.
constexpr std::chrono::seconds kStaleTempAge{120};
// The user folder holds the macro folders and their groups.
constexpr int kUserFolderDepth = 3;

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

// Loads the chosen language's catalogue. One that cannot be read, or that has no
// title (a damaged or foreign file), is reported, and the next shipped one that
// is usable takes its place, so that the window never comes up without texts.
void LoadCatalogue(IPrompt& prompt)
{
    const std::vector<fs::path> candidates = CatalogueCandidates();
    std::u16string strProblem;
    for (const fs::path& path : candidates) {
        const CatalogueLoad load = LoadTextCatalogue(path);
        if (load.Usable()) {
            if (!strProblem.empty()) {
                strProblem += u" " + Utf8ToU16(path.string()) + u" is used instead.";
                LogPrintf("%s", U16ToUtf8(strProblem).c_str());
                prompt.ShowMessage(strProblem, u"Warning");
            }
            return;
        }
        if (strProblem.empty()) {
            strProblem = u"The language file " + Utf8ToU16(path.string()) +
                         (load.bRead ? u" is damaged: it has no title text" : u" cannot be read");
            if (!load.strWhy.empty()) strProblem += u" (" + Utf8ToU16(load.strWhy) + u")";
            strProblem += u".";
        }
    }
    // Nothing usable anywhere: the chosen file again, for whatever it holds.
    LoadTextCatalogue(candidates.front());
    strProblem += u" No other language file could be used.";
    LogPrintf("%s", U16ToUtf8(strProblem).c_str());
    prompt.ShowMessage(strProblem, u"Error");
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

    // Start-up's messages (a damaged cfg.ini can raise dozens) are shown together
    // in one window when the data steps are done.
    CGatheringPrompt gather(prompt);
    LogConfig logCfg;
    logCfg.pathFile = (folders.logDir.empty() ? userDir : folders.logDir) / "Log.txt";
    auto tellUnreadable = [&](const CIniFile& ini, const fs::path& path, std::u16string_view caption) {
        if (ini.LoadProblem().empty()) return;
        const std::string text = "The settings file " + path.string() + " cannot be read (" + ini.LoadProblem() +
                                 "); its values take their defaults.";
        LogPrintf("%s", text.c_str());
        gather.ShowMessage(Utf8ToU16(text), caption);
    };
    tellUnreadable(cfg, g_szAppDir / "cfg.ini", u"Error");
    if (!DataInit(cfg, gather, logCfg)) return false;
    if (!cfg.LoadProblem().empty()) LogPrintf("cfg.ini cannot be read: %s", cfg.LoadProblem().c_str());
    if (!cfg.Exists()) LogPrintf("cfg.ini not found in %s; defaults used", g_szAppDir.string().c_str());
    if (ec) LogPrintf("Cannot create the user folder %s: %s", userDir.string().c_str(), ec.message().c_str());
    g_szUserDir = userDir;
    // Saves cut off by a crash or a power cut leave their temporary files behind.
    RemoveStaleTempFiles(g_szUserDir, kStaleTempAge, kUserFolderDepth);

    PostInit(gather);
    const CIniFile langIni = CIniFile::Load(g_szUserDir / "lang.ini");
    tellUnreadable(langIni, g_szUserDir / "lang.ini", u"Warning");
    LoadLangAndSkins(cfg, langIni, gather);
    LoadCatalogue(gather);
    gather.Flush();

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
