// zorvikctl: the program's model without windows, for scripts, tests and support.
//   zorvikctl [--app-dir D] [--user-dir U] COMMAND [ARGS]
// Exit status: 0 success, 1 failed operation (reason on stderr), 2 bad usage.
#include <QCoreApplication>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "core/Ini.h"
#include "core/StreamPrompt.h"
#include "core/Startup.h"
#include "core/Utf.h"
#include "platform/Folders.h"
#include "platform/IconvCharset.h"
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
                 "  xml FILE                          the element tree as the XML reader indexes it\n";
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
    std::cerr << "zorvikctl: unknown command " << cmd << '\n';
    return Usage();
}
