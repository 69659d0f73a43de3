#include "CtlUpdate.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <system_error>

#include <unistd.h>

#include "core/Gvar.h"
#include "core/Utf.h"
#include "platform/CurlDownloader.h"
#include "update/UpdateDesc.h"
#include "update/UpdateRules.h"

namespace fs = std::filesystem;

namespace {

constexpr int kOk = 0, kFailed = 1, kUsage = 2;

// A scratch folder for the description, removed on the way out.
struct ScratchDir {
    fs::path path;
    ScratchDir()
    {
        std::error_code ec;
        const fs::path base = fs::temp_directory_path(ec);
        for (int i = 0; i < 100 && path.empty(); ++i) {
            const fs::path p = base / ("zorvikctl-update-" + std::to_string(::getpid()) + "-" + std::to_string(i));
            if (fs::create_directory(p, ec)) path = p;
        }
    }
    ~ScratchDir()
    {
        std::error_code ec;
        if (!path.empty()) fs::remove_all(path, ec);
    }
};

}  // namespace

int CtlUpdateCheck(const std::vector<std::string>& args)
{
    std::string strBase = U16ToUtf8(FixedView(gVar.szUpateUrl));
    int32_t nKbVer = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--url" && i + 1 < args.size()) {
            strBase = args[++i];
        } else if (args[i] == "--kb-ver" && i + 1 < args.size()) {
            const std::optional<uint32_t> n = ParseUpdateHex(Utf8ToU16(args[++i]));
            if (!n || *n > 0xFFFF) {
                std::cerr << "zorvikctl: --kb-ver takes up to four hexadecimal digits (0105 is V1.5)\n";
                return kUsage;
            }
            nKbVer = int32_t(*n);
        } else {
            std::cerr << "usage: zorvikctl update-check [--url URL] [--kb-ver HEX]\n";
            return kUsage;
        }
    }
    const std::optional<std::string> url = UpdateDescUrl(strBase);
    if (!url) {
        std::cerr << "zorvikctl: " << U16ToUtf8(u"The update check is off: no update address is configured (UpateUrl).")
                  << (strBase.empty() ? "" : " \"" + strBase + "\" is not an http or https address.") << '\n';
        return kFailed;
    }
    ScratchDir scratch;
    if (scratch.path.empty()) {
        std::cerr << "zorvikctl: no temporary folder\n";
        return kFailed;
    }
    DownloadRequest req;
    req.strUrl = *url;
    req.path = scratch.path / kUpdateDescName;
    req.nMaxBytes = kMaxDescBytes;
    const DownloadResult r = CCurlDownloader().Download(req);
    if (!r.Ok()) {
        std::cerr << "zorvikctl: cannot download " << *url << ": " << r.strWhy << " (error " << r.nCode << ")\n";
        return kFailed;
    }
    std::string bytes;
    {
        std::FILE* f = std::fopen(req.path.c_str(), "rb");
        char buf[65536];
        size_t n;
        while (f && (n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
        if (f) std::fclose(f);
    }
    UpdateDesc desc;
    if (!ReadUpdateDescBytes(bytes, desc)) {
        std::cerr << "zorvikctl: " << *url << " is not a well-formed update description\n";
        return kFailed;
    }

    // The start-up check's walk: every newer version is a mark, nothing is asked.
    const UpdateQuery q{kUpdateBoth, false, gVar.nVer, gVar.Kb.nVID, gVar.Kb.nPID, nKbVer};
    std::printf("keyboard %04X:%04X, program 0x%x, firmware 0x%04x\n", unsigned(q.nVid), unsigned(q.nPid),
                unsigned(q.nVer), unsigned(q.nKbVer));
    UpdateCursor at;
    bool bAny = false;
    for (size_t nGuard = 0; nGuard <= 2 * desc.entries.size() + 1; ++nGuard) {
        const UpdateStep s = NextUpdateStep(desc, q, at);
        for (const std::string& line : s.logs) std::cerr << line << '\n';
        switch (s.action) {
        case UpdateAction::ProgramMark:
            std::printf("program: newer version, entry %zu, %s\n", s.iEntry + 1, s.strUrl.c_str());
            bAny = true;
            break;
        case UpdateAction::FirmwareMark:
            std::printf("firmware: newer version, entry %zu, %s\n", s.iEntry + 1, s.strUrl.c_str());
            bAny = true;
            break;
        case UpdateAction::ProgramUpToDate:
        case UpdateAction::FirmwareUpToDate:
            std::printf("%s: up to date, entry %zu\n", s.action == UpdateAction::ProgramUpToDate ? "program" : "firmware",
                        s.iEntry + 1);
            return kOk;
        case UpdateAction::Finish:
            if (!bAny) std::printf("no entry for this keyboard\n");
            return kOk;
        case UpdateAction::AskProgram:
        case UpdateAction::AskFirmware:
            break;  // not asked in a start-up walk
        }
        at = s.next;
    }
    return kOk;
}
