#include "update/UpdateRules.h"

#include <cstdio>

#include "core/Utf.h"

namespace {

std::string Format(const char* pszFormat, uint32_t a, uint32_t b)
{
    char sz[96];
    std::snprintf(sz, sizeof sz, pszFormat, a, b);
    return sz;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix)
{
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

UpdateStep NextUpdateStep(const UpdateDesc& desc, const UpdateQuery& q, UpdateCursor where)
{
    UpdateStep step;
    const bool bProgram = (q.nType & kUpdateProgram) != 0;
    const bool bFirmware = (q.nType & kUpdateFirmware) != 0;
    for (size_t i = where.iEntry; i < desc.entries.size(); ++i) {
        const UpdateEntry& e = desc.entries[i];
        const bool bFirmwarePart = i == where.iEntry && where.bFirmware;
        if (!e.vid.bValid) { step.logs.emplace_back("paser vid err"); continue; }
        if (!e.pid.bValid) { step.logs.emplace_back("paser pid err"); continue; }
        if (e.vid.nValue != q.nVid || e.pid.nValue != q.nPid) continue;
        step.iEntry = i;

        if (bProgram && !bFirmwarePart) {
            if (!e.drvver.bValid) { step.logs.emplace_back("paser drvver err"); continue; }
            step.logs.push_back(Format("Local Drv Ver=0x%x, Net Drv Ver=0x%x", uint32_t(q.nVer), e.drvver.nValue));
            // The net version is unsigned; widened, a value with the top bit set
            // is a newer version, not a negative one.
            if (int64_t(q.nVer) >= int64_t(e.drvver.nValue)) {
                if (!bFirmware) {
                    step.action = UpdateAction::ProgramUpToDate;
                    return step;
                }
            } else {
                step.logs.emplace_back("Driver has new version");
                step.strUrl = e.strDriver;
                step.action = q.bUserCheck ? UpdateAction::AskProgram : UpdateAction::ProgramMark;
                // After a mark, or a no, the firmware part of this entry when it
                // is looked for, else the next entry.
                step.next = bFirmware ? UpdateCursor{i, true} : UpdateCursor{i + 1, false};
                return step;
            }
        }
        if (!bFirmware) continue;

        if (!e.fwver.bValid || e.fwver.nValue > 0xFF) { step.logs.emplace_back("paser fwver err"); continue; }
        const int32_t nNetVer = NetFirmwareVersion(e.fwver.nValue);
        step.logs.push_back(Format("KbVer=0x%x, NetVer=0x%x", uint32_t(q.nKbVer), uint32_t(nNetVer)));
        if (q.nKbVer >= nNetVer) {
            step.action = UpdateAction::FirmwareUpToDate;
            return step;
        }
        step.logs.emplace_back("FW has new version");
        step.strUrl = e.strFw;
        step.action = q.bUserCheck ? UpdateAction::AskFirmware : UpdateAction::FirmwareMark;
        step.next = {i + 1, false};
        return step;
    }
    step.action = UpdateAction::Finish;
    step.next = {desc.entries.size(), false};
    return step;
}

std::optional<std::string> UpdateDescUrl(std::string_view base)
{
    while (!base.empty() && (base.front() == ' ' || base.front() == '\t')) base.remove_prefix(1);
    while (!base.empty() && (base.back() == ' ' || base.back() == '\t')) base.remove_suffix(1);
    std::string url = ApplyWwwRule(base);
    const size_t nScheme = StartsWithNoCase(url, "http://") ? 7 : StartsWithNoCase(url, "https://") ? 8 : 0;
    if (nScheme == 0 || url.size() == nScheme || url[nScheme] == '/') return std::nullopt;
    for (const char c : url)
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) return std::nullopt;
    if (url.back() != '/') url += '/';
    return url + kUpdateDescName;
}

std::optional<std::string> UpdateFileName(std::string_view url)
{
    const size_t nEnd = url.find_first_of("?#");
    if (nEnd != std::string_view::npos) url = url.substr(0, nEnd);
    const size_t nScheme = url.find("://");
    if (nScheme == std::string_view::npos) return std::nullopt;
    const size_t nPath = url.find('/', nScheme + 3);
    if (nPath == std::string_view::npos) return std::nullopt;  // "http://host": no file at all
    const std::string_view raw = url.substr(url.rfind('/') + 1);

    std::string name;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '%') {
            const int hi = i + 2 < raw.size() ? HexDigit(raw[i + 1]) : -1;
            const int lo = hi >= 0 ? HexDigit(raw[i + 2]) : -1;
            if (lo < 0) return std::nullopt;
            name += char(hi << 4 | lo);
            i += 2;
        } else {
            name += raw[i];
        }
    }
    if (name.empty() || name == "." || name == ".." || name.size() > 200 || !IsValidUtf8(name)) return std::nullopt;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || c == '/' || c == '\\') return std::nullopt;
    }
    return name;
}

std::string FirmwareFolderName(uint32_t nPid, uint16_t nModel)
{
    char sz[16];
    std::snprintf(sz, sizeof sz, "%08X", ((nPid & 0xFFFF) << 16) | nModel);
    return sz;
}

SizeVerdict JudgeDownloadedSize(UpdateFile kind, std::optional<uint64_t> nSize)
{
    if (!nSize) return SizeVerdict::RefuseKeep;
    if (kind == UpdateFile::Program) return *nSize < kMinProgramBytes ? SizeVerdict::RefuseKeep : SizeVerdict::Start;
    return *nSize < kMinFirmwareBytes ? SizeVerdict::RefuseDelete : SizeVerdict::Start;
}
