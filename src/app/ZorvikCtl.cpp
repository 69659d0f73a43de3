// zorvikctl: the program's model without windows, for scripts, tests and support.
//   zorvikctl [--app-dir D] [--user-dir U] [--emulate] [--journal FILE] [--emu-fault F] COMMAND [ARGS]
// Exit status: 0 success, 1 failed operation (reason on stderr), 2 bad usage.
#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <condition_variable>
#include <iterator>
#include <memory>
#include <mutex>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "CtlDevices.h"
#include "CtlUpdate.h"
#include "core/Gvar.h"
#include "core/Ini.h"
#include "core/MouseDesc.h"
#include "core/ProfileExport.h"
#include "core/ProfileOps.h"
#include "core/ProfileStore.h"
#include "core/StreamPrompt.h"
#include "core/Startup.h"
#include "core/Utf.h"
#include "platform/Folders.h"
#include "platform/HotPlug.h"
#include "platform/IconvCharset.h"
#include "platform/PosixFiles.h"
#include "device/DeviceSession.h"
#include "device/FamilyRegistry.h"
#include "keys/FunctionText.h"
#include "keys/MacroFile.h"
#include "keys/MacroFolder.h"
#include "keys/MacroText.h"
#include "text/TextCatalogue.h"
#include "text/XmlReader.h"

namespace fs = std::filesystem;

namespace {

constexpr int kOk = 0, kFailed = 1, kUsage = 2;

int Usage()
{
    std::cerr << "usage: zorvikctl [--app-dir D] [--user-dir U] [--emulate] [--journal FILE] [--emu-fault F]\n"
                 "                 COMMAND [ARGS]\n"
                 "options:\n"
                 "  --emulate        virtual devices for the families cfg.ini configures instead of the\n"
                 "                   real ones; their on-board state is kept in <user folder>/emu/\n"
                 "  --journal FILE   with --emulate: every transfer written to FILE, one a line\n"
                 "  --emu-fault F    with --emulate, for tests: fail=N (the next N transfers fail),\n"
                 "                   unplug-after=N (the device goes after N more transfers), garbage\n"
                 "                   (every answer is noise), refuse-open (no interface opens),\n"
                 "                   mouse-off (a receiver whose mouse is switched off); fail, unplug-after\n"
                 "                   and garbage start once the devices are found\n"
                 "commands:\n"
                 "  list                              the HID interfaces found and their configured family\n"
                 "  apply [--flags HEX]               writes the current profile to the devices\n"
                 "                                    (default: everything, 0x806F for a mouse)\n"
                 "  reset                             the current profile back to the defaults, on the\n"
                 "                                    devices and in the profile file\n"
                 "  emu-state                         with --emulate: what the virtual devices hold\n"
                 "  text KEY                          the catalogue text of KEY in the chosen language\n"
                 "  ini FILE SECTION KEY [DEFAULT]    the value as the INI layer reads it: string, then integer\n"
                 "  xml FILE                          the element tree as the XML reader indexes it\n"
                 "  profiles                          the stored profiles: id, name, current mark\n"
                 "  keys [MODE]                       the mouse keys of the current profile (mode 1..3)\n"
                 "  export FILE                       the current profile with its macros to a .bkm file\n"
                 "  import FILE [--replace]           a .bkm file as a new profile, made current; its macros\n"
                 "                                    replace files of the same name only with --replace\n"
                 "  export-keys FILE                  the mouse key layout with its macros to a .kyg file\n"
                 "  import-keys FILE                  a .kyg file as the mouse key layout of the current profile\n"
                 "  macro show FILE                   a macro (.mcf) or bullet (.mcb) file, one action a line\n"
                 "  macro new NAME FILE [ACTION...]   a new macro or bullet file from actions given as\n"
                 "                                    arguments or on standard input, one a line; its\n"
                 "                                    identifier is one no file of FILE's folder has\n"
                 "  watch SECONDS                     hidraw nodes as they are plugged and unplugged\n"
                 "  update-check [--url U] [--kb-ver HEX]\n"
                 "                                    what the update check offers: reads the update\n"
                 "                                    description (from U instead of UpateUrl), downloads\n"
                 "                                    nothing else; HEX is the keyboard's firmware (0105)\n";
    return kUsage;
}

struct Options {
    fs::path appDir, userDir;
    CtlDeviceOptions dev;
    std::vector<std::string> args;
};

bool IsDeviceCommand(const std::string& cmd)
{
    return cmd == "list" || cmd == "apply" || cmd == "reset" || cmd == "emu-state";
}

// The device options; i is moved past a value taken. False for a bad value.
bool ParseDeviceOption(int argc, char** argv, int& i, CtlDeviceOptions& dev, bool& bTaken)
{
    const std::string a = argv[i];
    bTaken = true;
    if (a == "--emulate") {
        dev.bEmulate = true;
    } else if (a == "--journal") {
        if (i + 1 >= argc) return false;
        dev.journal = argv[++i];
    } else if (a == "--emu-fault") {
        if (i + 1 >= argc || !ParseEmuFault(argv[++i], dev.fault)) {
            std::cerr << "zorvikctl: unknown fault " << (i < argc ? argv[i] : "") << '\n';
            return false;
        }
    } else {
        bTaken = false;
    }
    return true;
}

bool ParseArgs(int argc, char** argv, Options& opt)
{
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        bool bTaken = false;
        if (!ParseDeviceOption(argc, argv, i, opt.dev, bTaken)) return false;
        if (bTaken) continue;
        if (a == "--app-dir" || a == "--user-dir") {
            if (i + 1 >= argc) return false;
            (a == "--app-dir" ? opt.appDir : opt.userDir) = argv[++i];
        } else if (a == "--help" || a == "-h") {
            return false;
        } else {
            // The device commands take the device options after the command too.
            const bool bDevice = IsDeviceCommand(a);
            for (; i < argc; ++i) {
                bool bDevOpt = false;
                if (bDevice && !ParseDeviceOption(argc, argv, i, opt.dev, bDevOpt)) return false;
                if (!bDevOpt) opt.args.push_back(argv[i]);
            }
            break;
        }
    }
    if (!opt.dev.bEmulate && (!opt.dev.journal.empty() || opt.dev.fault.kind != EmuFault::Kind::None)) {
        std::cerr << "zorvikctl: --journal and --emu-fault need --emulate\n";
        return false;
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

// The stored profiles; a problem with the files is said the way the program and
// apply say it, whichever command reads them.
StoredProfiles ListProfilesReported(IPrompt& prompt)
{
    StoredProfiles stored = ListStoredProfiles(g_szUserDir);
    if (!stored.strProblem.empty()) prompt.ShowMessage(Utf8ToU16(stored.strProblem), u"Warning");
    return stored;
}

int CmdProfiles(const Options& opt)
{
    if (opt.args.size() != 1) return Usage();
    CStreamPrompt prompt(std::cerr);
    if (!LoadInstallation(opt, prompt)) return kFailed;
    const StoredProfiles stored = ListProfilesReported(prompt);
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
    const StoredProfiles stored = ListProfilesReported(prompt);
    const ProfileRecord* pProfile = stored.pCurrent;
    // Keys that play a macro are shown by the macro's name.
    if (std::string strErr; !LoadMacroLists(strErr)) std::cerr << "zorvikctl: " << strErr << '\n';
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

// Answers every question yes, and says so.
class CYesPrompt final : public IPrompt {
public:
    explicit CYesPrompt(IPrompt& inner) : m_inner(inner) {}
    void ShowMessage(std::u16string_view text, std::u16string_view caption) override { m_inner.ShowMessage(text, caption); }
    bool AskYesNo(std::u16string_view text, std::u16string_view caption) override
    {
        m_inner.ShowMessage(std::u16string(text) + u" (yes: --replace)", caption);
        return true;
    }

private:
    IPrompt& m_inner;
};

// The installation, the stored profiles and the macro lists, loaded for an
// export or an import.
struct CtlProfiles {
    CStreamPrompt prompt{std::cerr};
    std::unique_ptr<CProfileStore> store;
    CProList list;
    ProfileRecord* pCurrent = nullptr;

    bool Load(const Options& opt)
    {
        if (!LoadInstallation(opt, prompt)) return false;
        store = std::make_unique<CProfileStore>(g_szUserDir, prompt);
        store->LoadProfiles(list);
        pCurrent = list.Find(store->ReadCurrentId());
        if (!pCurrent) pCurrent = list.At(0);
        std::string strErr;
        if (!LoadMacroLists(strErr)) {
            std::cerr << "zorvikctl: " << strErr << '\n';
            return false;
        }
        return true;
    }
};

int CmdExport(const Options& opt)
{
    if (opt.args.size() != 2) return Usage();
    CtlProfiles p;
    if (!p.Load(opt)) return kFailed;
    const ProfileRecord* pCurrent = p.pCurrent;
    if (!pCurrent) {
        std::cerr << "zorvikctl: no stored profile to export\n";
        return kFailed;
    }
    const bool bKeys = opt.args[0] == "export-keys";
    const ProfileExportEnv env = InstalledExportEnv();
    const ExportResult r = bKeys ? ExportKeyCfg(opt.args[1], *pCurrent, env) : ExportProfile(opt.args[1], *pCurrent, env);
    if (!r.bOk) {
        std::cerr << "zorvikctl: " << U16ToUtf8(r.strMessage) << '\n';
        return kFailed;
    }
    if (r.nLeftOut > 0) std::cerr << "zorvikctl: " << r.nLeftOut << " macros did not fit into the file\n";
    std::cout << (bKeys ? "key layout of " : "profile ") << U16ToUtf8(FixedView(pCurrent->szName)) << " written to "
              << opt.args[1] << '\n';
    return kOk;
}

int CmdImport(const Options& opt)
{
    const bool bReplace = opt.args.size() == 3 && opt.args[2] == "--replace";
    if (opt.args.size() != 2 && !bReplace) return Usage();
    CtlProfiles p;
    if (!p.Load(opt)) return kFailed;
    CYesPrompt yes(p.prompt);
    const ProfileImportResult r =
        ImportProfile(opt.args[1], p.list, bReplace ? static_cast<IPrompt&>(yes) : p.prompt, InstalledExportEnv());
    if (!r.bOk) {
        std::cerr << "zorvikctl: " << U16ToUtf8(r.strMessage) << '\n';
        return kFailed;
    }
    if (!r.strMessage.empty()) std::cerr << "zorvikctl: " << U16ToUtf8(r.strMessage) << '\n';
    std::string strErr;
    if (!StoreProfiles(*p.store, p.list, r.pProfile, strErr)) {
        std::cerr << "zorvikctl: the profiles could not be saved: " << strErr << '\n';
        return kFailed;
    }
    std::cout << "profile " << U16ToUtf8(FixedView(r.pProfile->szName)) << " imported with " << r.written.size()
              << " macros; it is the current profile now\n";
    return kOk;
}

int CmdImportKeys(const Options& opt)
{
    if (opt.args.size() != 2) return Usage();
    CtlProfiles p;
    if (!p.Load(opt)) return kFailed;
    if (gVar.nMsFw == 0) {
        std::cerr << "zorvikctl: this installation has no mouse\n";
        return kFailed;
    }
    const KeyCfgImportResult r = ImportKeyCfg(opt.args[1], g_KeyCfg, p.pCurrent, InstalledExportEnv(),
                                              [&p] { BuildMouseKeyLayout(&g_KeyCfg, p.prompt); });
    if (!r.strMessage.empty()) std::cerr << "zorvikctl: " << U16ToUtf8(r.strMessage) << '\n';
    if (!r.bOk) return kFailed;
    std::string strErr;
    if (p.pCurrent && !p.store->SaveProfiles(p.list, strErr)) {
        std::cerr << "zorvikctl: the profiles could not be saved: " << strErr << '\n';
        return kFailed;
    }
    std::cout << "key layout imported with " << r.nMacros << " macros\n";
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
    // The identifier must be new in the folder the file goes to: the macros and
    // bullets already there (and below it) are loaded first, every one of them
    // whatever mouse keys it holds, so a key bound to one never plays another.
    {
        MacroContext scanCtx = ctx;
        scanCtx.nMacroHasMsKey = 0xFF;
        MacroScanOptions scan;
        scan.bGroups = true;
        scan.bSaveRenumbered = false;  // this command writes only the file it was asked for
        const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
        for (const MacroKind k : {MacroKind::Macro, MacroKind::Bullet})
            if (!ScanMacroFolder(folder, k, scan, scanCtx)) {
                std::cerr << "zorvikctl: the folder " << folder.string() << " cannot be read\n";
                return kFailed;
            }
    }
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

// ---- devices ---------------------------------------------------------------------------

// Families of cfg.ini that have no device class in this tool: said, never hidden.
void NoteUndrivenFamilies()
{
    for (const std::string& s : CDeviceHub::UndrivenFamilies(gVar))
        std::cerr << "zorvikctl: note: the " << s << " is not written (not supported by zorvikctl yet)\n";
}

// Finds every driven family's device and takes what it found into the
// program's state; false (reasons on stderr) when one is missing.
bool FindDevices(CDeviceHub& hub, IPrompt& prompt)
{
    bool bOk = true;
    for (size_t i = 0; i < hub.Count(); ++i) {
        const int nFound = hub.FindNow(i);
        if (nFound == 1) {
            hub.Publish(i, prompt);
            continue;
        }
        if (hub.IsSpare(i) && nFound == 0) continue;  // no further identical device attached
        bOk = false;
        if (hub.Device(i).FoundButDenied())
            std::cerr << "zorvikctl: the " << hub.Name(i) << " is there but this user may not open it; install the "
                      << "udev rule 70-zorvik.rules (TAG+=\"uaccess\") into /etc/udev/rules.d/ and plug it in again\n";
        else if (nFound < 0)
            std::cerr << "zorvikctl: the " << hub.Name(i) << " answers with no sensor or another sensor than cfg.ini describes\n";
        else
            std::cerr << "zorvikctl: " << hub.Name(i) << " not found, or it does not answer\n";
    }
    return bOk;
}

int RunApply(CCtlDevices& devs, IPrompt& prompt, uint32_t nFlags, bool bReset)
{
    NoteUndrivenFamilies();
    CDeviceHub& hub = devs.Hub();
    if (hub.Count() == 0) {
        std::cerr << "zorvikctl: cfg.ini configures no device that zorvikctl can write\n";
        return kFailed;
    }
    if (!FindDevices(hub, prompt)) return kFailed;
    devs.ArmTransferFaults();

    const ApplyRunResult r = ApplyCurrentProfile(hub, prompt, nFlags, bReset);
    if (!r.strProblem.empty()) {
        std::cerr << "zorvikctl: " << r.strProblem << '\n';
        return kFailed;
    }
    for (const FamilyApplyResult& f : r.families) {
        if (!f.bOk)
            std::cerr << "zorvikctl: writing to the " << f.strFamily << " failed (a transfer failed or the device went away)\n";
        else
            std::cout << (bReset ? "defaults written to the " : "profile written to the ") << f.strFamily << ": "
                      << U16ToUtf8(r.strProfileName) << '\n';
    }
    if (!r.strSaveError.empty()) std::cerr << "zorvikctl: the profiles could not be saved: " << r.strSaveError << '\n';
    return r.Ok() ? kOk : kFailed;
}

bool ParseHexFlags(const std::string& text, uint32_t& nFlags)
{
    std::string s = text;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s = s.substr(2);
    if (s.empty() || s.size() > 8 || s.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
    nFlags = uint32_t(std::stoul(s, nullptr, 16));
    return nFlags != 0;
}

// Runs a device command: installation, devices, the command, then the
// emulator's state, journal and rule checks.
template <typename Fn>
int WithDevices(const Options& opt, Fn&& fn)
{
    CStreamPrompt prompt(std::cerr);
    if (!LoadInstallation(opt, prompt)) return kFailed;
    CCtlDevices devs(opt.dev, prompt);
    if (!devs.Open(std::cerr)) return kFailed;
    int rc = fn(devs, prompt);
    if (!devs.Finish(std::cerr) && rc == kOk) rc = kFailed;
    return rc;
}

int CmdApply(const Options& opt)
{
    uint32_t nFlags = 0;  // each family's full apply
    if (opt.args.size() == 3 && opt.args[1] == "--flags") {
        if (!ParseHexFlags(opt.args[2], nFlags)) {
            std::cerr << "zorvikctl: --flags takes a non-zero hexadecimal number such as 0x806F\n";
            return kUsage;
        }
    } else if (opt.args.size() != 1) {
        return Usage();
    }
    return WithDevices(opt, [&](CCtlDevices& devs, IPrompt& prompt) { return RunApply(devs, prompt, nFlags, false); });
}

int CmdReset(const Options& opt)
{
    if (opt.args.size() != 1) return Usage();
    return WithDevices(opt, [](CCtlDevices& devs, IPrompt& prompt) {
        return RunApply(devs, prompt, 0, true);
    });
}

int CmdList(const Options& opt)
{
    if (opt.args.size() != 1) return Usage();
    return WithDevices(opt, [](CCtlDevices& devs, IPrompt&) {
        const std::vector<HidDevInfo> infos = devs.Backend().Enumerate();
        if (infos.empty()) std::cout << "no HID interfaces found\n";
        for (const HidDevInfo& d : infos) {
            char sz[160];
            std::snprintf(sz, sizeof sz, "%04x:%04x  usage %04x/%04x  id %d  in %d out %d feature %d  ", d.nVID & 0xFFFF,
                          d.nPID & 0xFFFF, d.nUsagePage & 0xFFFF, d.nUsage & 0xFFFF, d.nReportId, d.nInputLen,
                          d.nOutputLen, d.nFeatureLen);
            const std::string strFamily = FamilyOfInterface(gVar, d);
            std::cout << sz << d.szPath << "  " << (strFamily.empty() ? "-" : strFamily) << '\n';
        }
        // Several identical devices: which interfaces each device object drives.
        CDeviceHub& hub = devs.Hub();
        for (size_t i = 0; i < hub.Count(); ++i) {
            if (!hub.IsSpare(i) && (i + 1 >= hub.Count() || !hub.IsSpare(i + 1))) continue;
            if (hub.FindNow(i) != 1) continue;
            std::cout << hub.Name(i) << ": " << hub.Device(i).Where() << '\n';
        }
        return kOk;
    });
}

int CmdEmuState(const Options& opt)
{
    if (opt.args.size() != 1) return Usage();
    if (!opt.dev.bEmulate) {
        std::cerr << "zorvikctl: emu-state needs --emulate\n";
        return kUsage;
    }
    return WithDevices(opt, [](CCtlDevices& devs, IPrompt&) {
        const std::string text = devs.DescribeEmulated();
        if (text.empty()) {
            std::cerr << "zorvikctl: cfg.ini configures no device the emulator has\n";
            return kFailed;
        }
        std::cout << text;
        return kOk;
    });
}

}  // namespace

// Prints hidraw nodes as they come and go, for SECONDS: the same watcher the
// program uses (udev, or polling where udev announces nothing).
int CmdWatch(const Options& opt)
{
    if (opt.args.size() != 2) return Usage();
    const int nSeconds = int(ParseIniInt(opt.args[1]));
    if (nSeconds < 1 || nSeconds > 86400) {
        std::cerr << "zorvikctl: SECONDS is 1 to 86400\n";
        return kUsage;
    }
    const std::unique_ptr<IHotPlugMonitor> pMonitor = CreateHotPlugMonitor();
    pMonitor->Start([](const HotPlugEvent& e) {
        std::printf("%s %s %04x:%04x\n", e.bArrival ? "added" : "removed", e.strPath.c_str(), unsigned(e.nVID),
                    unsigned(e.nPID));
        std::fflush(stdout);  // a watcher is often ended by a signal
    });
    std::printf("watching hidraw nodes (%s)\n", pMonitor->IsPolling() ? "polling" : "udev");
    std::fflush(stdout);
    QTimer::singleShot(nSeconds * 1000, QCoreApplication::instance(), &QCoreApplication::quit);
    QCoreApplication::exec();
    pMonitor->Stop();
    return kOk;
}

// What the update check would offer, from the installation's settings.
int CmdUpdateCheck(const Options& opt)
{
    CStreamPrompt prompt(std::cerr);
    if (!LoadInstallation(opt, prompt)) return kFailed;
    return CtlUpdateCheck({opt.args.begin() + 1, opt.args.end()});
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);  // folders and charset services
    InstallIconvCharsetHook();
    InstallPosixFileHooks();
    Options opt;
    if (!ParseArgs(argc, argv, opt)) return Usage();
    const std::string& cmd = opt.args[0];
    if (cmd == "text") return CmdText(opt);
    if (cmd == "ini") return CmdIni(opt);
    if (cmd == "xml") return CmdXml(opt);
    if (cmd == "profiles") return CmdProfiles(opt);
    if (cmd == "keys") return CmdKeys(opt);
    if (cmd == "macro") return CmdMacro(opt);
    if (cmd == "export" || cmd == "export-keys") return CmdExport(opt);
    if (cmd == "import") return CmdImport(opt);
    if (cmd == "import-keys") return CmdImportKeys(opt);
    if (cmd == "watch") return CmdWatch(opt);
    if (cmd == "list") return CmdList(opt);
    if (cmd == "apply") return CmdApply(opt);
    if (cmd == "reset") return CmdReset(opt);
    if (cmd == "emu-state") return CmdEmuState(opt);
    if (cmd == "update-check") return CmdUpdateCheck(opt);
    std::cerr << "zorvikctl: unknown command " << cmd << '\n';
    return Usage();
}
