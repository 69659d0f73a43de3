// zorvikctl: the program's model without windows, for scripts, tests and support.
//   zorvikctl [--app-dir D] [--user-dir U] COMMAND [ARGS]
// Exit status: 0 success, 1 failed operation (reason on stderr), 2 bad usage.
#include <QCoreApplication>
#include <algorithm>
#include <iterator>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "core/Gvar.h"
#include "core/Ini.h"
#include "core/ProfileStore.h"
#include "core/StreamPrompt.h"
#include "core/Startup.h"
#include "core/Utf.h"
#include "platform/Folders.h"
#include "platform/IconvCharset.h"
#include "keys/FunctionText.h"
#include "keys/MacroText.h"
#include "text/TextCatalogue.h"
#include "text/XmlReader.h"

namespace fs = std::filesystem;

namespace {

constexpr int kOk = 0, kFailed = 1, kUsage = 2;

int Usage()
{
    std::cerr << "usage: zorvikctl [--app-dir D] [--user-dir U] COMMAND [ARGS]\n"
                 "commands:\n"
                 "  text KEY                          the catalogue text of KEY in the chosen language\n"
                 "  ini FILE SECTION KEY [DEFAULT]    the value as the INI layer reads it: string, then integer\n"
                 "  xml FILE                          the element tree as the XML reader indexes it\n"
                 "  profiles                          the stored profiles: id, name, current mark\n"
                 "  keys [MODE]                       the mouse keys of the current profile (mode 1..3)\n"
                 "  macro show FILE                   a macro (.mcf) or bullet (.mcb) file, one action a line\n"
                 "  macro new NAME FILE [ACTION...]   a new macro or bullet file from actions given as\n"
                 "                                    arguments or on standard input, one a line\n";
    return kUsage;
}

struct Options {
    fs::path appDir, userDir;
    std::vector<std::string> args;
};

bool ParseArgs(int argc, char** argv, Options& opt)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--app-dir" || a == "--user-dir") {
            if (i + 1 >= argc) return false;
            (a == "--app-dir" ? opt.appDir : opt.userDir) = argv[++i];
        } else if (a == "--help" || a == "-h") {
            return false;
        } else {
            opt.args.assign(argv + i, argv + argc);
            break;
        }
    }
    return !opt.args.empty();
}

// Loads the installation the way the program does at start-up, with messages on stderr.
bool LoadInstallation(const Options& opt, CStreamPrompt& prompt)
{
    StartupFolders folders;
    folders.appDir = opt.appDir.empty() ? ResolveAppDir() : opt.appDir;
    folders.userRoot = UserDataRoot();
    folders.userDirOverride = opt.userDir;
    folders.logDir = DesktopDir();
    if (folders.appDir.empty() || !fs::is_directory(folders.appDir)) {
        std::cerr << "zorvikctl: no application folder (give --app-dir)\n";
        return false;
    }
    return RunStartupDataSteps(folders, prompt);
}

int CmdText(const Options& opt)
{
    if (opt.args.size() != 2) return Usage();
    CStreamPrompt prompt(std::cerr);
    if (!LoadInstallation(opt, prompt)) return kFailed;
    const std::u16string* pText = FindText(opt.args[1]);
    if (!pText) {
        std::cerr << "zorvikctl: no catalogue key " << opt.args[1] << '\n';
        return kFailed;
    }
    std::cout << U16ToUtf8(*pText) << '\n';
    return kOk;
}

int CmdIni(const Options& opt)
{
    if (opt.args.size() != 4 && opt.args.size() != 5) return Usage();
    const fs::path path = opt.args[1];
    const CIniFile ini = CIniFile::Load(path);
    if (!ini.Exists()) std::cerr << "zorvikctl: " << path.string() << " not found or unreadable; defaults apply\n";
    const std::string strDef = opt.args.size() == 5 ? opt.args[4] : std::string();
    // The same text read the two ways the options code reads values.
    std::cout << ini.GetString(opt.args[2], opt.args[3], strDef, 4096) << '\n'
              << ini.GetInt(opt.args[2], opt.args[3], ParseIniInt(strDef)) << '\n';
    return kOk;
}

int CmdXml(const Options& opt)
{
    if (opt.args.size() != 2) return Usage();
    CXmlReader reader;
    if (!reader.LoadFile(opt.args[1])) {
        std::cerr << "zorvikctl: " << U16ToUtf8(reader.GetResultText()) << '\n';
        return kFailed;
    }
    reader.SetDocument();
    std::cout << DumpXmlTree(reader);
    return kOk;
}

int CmdProfiles(const Options& opt)
{
    if (opt.args.size() != 1) return Usage();
    CStreamPrompt prompt(std::cerr);
    if (!LoadInstallation(opt, prompt)) return kFailed;
    const StoredProfiles stored = ListStoredProfiles(g_szUserDir);
    if (!stored.strProblem.empty()) std::cerr << "zorvikctl: " << stored.strProblem << '\n';
    if (!stored.bFound) {
        std::cout << "no stored profiles in " << g_szUserDir.string() << '\n';
        return kOk;
    }
    for (const StoredProfile& p : stored.profiles) {
        char szId[16];
        std::snprintf(szId, sizeof szId, "0x%08X", p.nID);
        std::cout << (p.bCurrent ? "* " : "  ") << szId << "  " << U16ToUtf8(p.strName) << '\n';
    }
    return stored.strProblem.empty() || !stored.profiles.empty() ? kOk : kFailed;
}

void PrintKeys(const KeyInfo* pKeys, int nKeys)
{
    for (int i = 0; i < nKeys; ++i) {
        const std::u16string strText = GetFunctionText(pKeys[i]);
        char szHead[32];
        std::snprintf(szHead, sizeof szHead, "K%-3d 0x%08X  ", i + 1, pKeys[i].FunID);
        std::cout << szHead
                  << (strText.empty() ? (pKeys[i].FunID ? "(unknown function)" : "(none)") : U16ToUtf8(strText))
                  << '\n';
    }
}

// The key functions of the current profile: the mouse's by mode, or, on an
// installation without a mouse, the keyboard's.
int CmdKeys(const Options& opt)
{
    if (opt.args.size() > 2) return Usage();
    CStreamPrompt prompt(std::cerr);
    if (!LoadInstallation(opt, prompt)) return kFailed;
    const StoredProfiles stored = ListStoredProfiles(g_szUserDir);
    const ProfileRecord* pProfile = stored.pCurrent;
    const std::string strWhose =
        pProfile ? "profile " + U16ToUtf8(FixedView(pProfile->szName)) : std::string("no stored profile: default layout");
    if (gVar.nMsFw == 0) {
        if (gVar.nKbFw == 0) {
            std::cerr << "zorvikctl: this installation has neither a mouse nor a keyboard\n";
            return kFailed;
        }
        if (opt.args.size() == 2) {
            std::cerr << "zorvikctl: a keyboard has no modes\n";
            return kUsage;
        }
        std::cout << strWhose << ", keyboard\n";
        PrintKeys(pProfile ? pProfile->Kb.Key : g_defKEY, std::clamp(gVar.Kb.nKeyNum, 0, kKbDefKeyNum));
        return kOk;
    }
    int nMode = pProfile ? std::clamp(pProfile->Ms.ProMirex.nMode, 0, kMsModeCount - 1) + 1 : 1;
    if (opt.args.size() == 2) {
        nMode = int(ParseIniInt(opt.args[1]));
        if (nMode < 1 || nMode > kMsModeCount) {
            std::cerr << "zorvikctl: MODE is 1, 2 or 3\n";
            return kUsage;
        }
    }
    const int nKeys = pSensorCfg && pSensorCfg->nKM > 0 ? std::min(pSensorCfg->nKM, kMsKeyCount) : kMsKeyCount;
    const KeyInfo* pKeys = g_MsKeyLayout[nMode - 1];
    if (pProfile) {
        const MsModeSettings& mode = pProfile->Ms.Mode[nMode - 1];
        pKeys = mode.Key[std::clamp(mode.nKeySet, 0, kMsKeySetNum - 1)];
    }
    std::cout << strWhose << ", mouse mode " << nMode << '\n';
    PrintKeys(pKeys, nKeys);
    return kOk;
}

int CmdMacro(const Options& opt)
{
    if (opt.args.size() == 3 && opt.args[1] == "show") {
        const fs::path file = opt.args[2];
        std::string strText, strErr;
        if (!MacroFileToText(file, MacroKindOfFile(file), strText, strErr)) {
            std::cerr << "zorvikctl: " << strErr << '\n';
            return kFailed;
        }
        std::cout << strText;
        if (!strText.empty() && strText.back() != '\n') std::cout << '\n';
        return kOk;
    }
    if (opt.args.size() < 4 || opt.args[1] != "new") return Usage();
    const std::string& strName = opt.args[2];
    const fs::path file = opt.args[3];
    const MacroKind kind = MacroKindOfFile(file);
    std::string strBody;
    if (opt.args.size() > 4) {
        for (size_t i = 4; i < opt.args.size(); ++i) strBody += opt.args[i] + "\n";
    } else {
        strBody.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    }
    // The kind comes from the file name and the name from the command line; the
    // same lines in the input (as "macro show" prints them) give way.
    std::string strText = std::string("kind ") + (kind == MacroKind::Bullet ? "bullet" : "macro") + "\nname \"";
    for (const char c : strName) {
        if (c == '"' || c == '\\') strText += std::string("\\") + c;
        else if (c == '\n') strText += "\\n";
        else strText += c;
    }
    strText += "\"\n";
    for (size_t pos = 0; pos < strBody.size();) {
        size_t end = strBody.find('\n', pos);
        if (end == std::string::npos) end = strBody.size();
        const std::string line = strBody.substr(pos, end - pos);
        const size_t first = line.find_first_not_of(" \t");
        const bool bHeader = first != std::string::npos &&
                             (line.compare(first, 5, "kind ") == 0 || line.compare(first, 5, "name ") == 0);
        // Blank lines keep their place so that error line numbers match the input.
        strText += bHeader ? std::string("# ") + line : line;
        strText += '\n';
        pos = end + 1;
    }
    MacroContext ctx;
    ctx.nMacroHasMsKey = 1;
    std::vector<MacroTextError> errors;
    std::string strErr, strNote;
    if (!WriteMacroFileFromText(strText, file, kind, ctx, errors, strErr, &strNote)) {
        // Two header lines were put in front of the input.
        for (const MacroTextError& e : errors)
            std::cerr << "zorvikctl: line " << (e.nLine > 2 ? e.nLine - 2 : e.nLine) << ": " << e.strReason << '\n';
        if (!strErr.empty()) std::cerr << "zorvikctl: " << strErr << '\n';
        return kFailed;
    }
    if (!strNote.empty()) std::cerr << "zorvikctl: " << strNote << '\n';
    return kOk;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);  // folders and charset services
    InstallIconvCharsetHook();
    Options opt;
    if (!ParseArgs(argc, argv, opt)) return Usage();
    const std::string& cmd = opt.args[0];
    if (cmd == "text") return CmdText(opt);
    if (cmd == "ini") return CmdIni(opt);
    if (cmd == "xml") return CmdXml(opt);
    if (cmd == "profiles") return CmdProfiles(opt);
    if (cmd == "keys") return CmdKeys(opt);
    if (cmd == "macro") return CmdMacro(opt);
    std::cerr << "zorvikctl: unknown command " << cmd << '\n';
    return Usage();
}
