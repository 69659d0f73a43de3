#include "core/FileAccess.h"

#include "core/HookSlot.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace fs = std::filesystem;

namespace {

CHookSlot<FileHooks>& Slot()
{
    static CHookSlot<FileHooks> slot;
    return slot;
}

FileHooks CurrentHooks() { return Slot().Get(); }

OpenedFile OpenByName(const fs::path& path)
{
    OpenedFile r;
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (!fs::exists(st)) {
        r.status = ec && ec != std::errc::no_such_file_or_directory ? OpenStatus::Failed : OpenStatus::Missing;
        r.nErrno = ec ? ec.value() : ENOENT;
        return r;
    }
    if (!fs::is_regular_file(st)) {
        r.status = OpenStatus::NotRegular;
        r.nErrno = fs::is_directory(st) ? EISDIR : EINVAL;
        return r;
    }
    r.f = std::fopen(path.c_str(), "rb");
    if (!r.f) {
        r.nErrno = errno;
        r.status = r.nErrno == ENOENT ? OpenStatus::Missing : OpenStatus::Failed;
        return r;
    }
    r.status = OpenStatus::Ok;
    return r;
}

}  // namespace

void SetFileHooks(FileHooks hooks)
{
    Slot().Set(std::move(hooks));
}

OpenedFile OpenRegularFile(const fs::path& path)
{
    const FileHooks hooks = CurrentHooks();
    return hooks.openRead ? hooks.openRead(path) : OpenByName(path);
}

bool SyncFile(std::FILE* f)
{
    const FileHooks hooks = CurrentHooks();
    return hooks.syncFile ? hooks.syncFile(f) : true;
}

bool SyncFolder(const fs::path& dir)
{
    const FileHooks hooks = CurrentHooks();
    return hooks.syncFolder ? hooks.syncFolder(dir) : true;
}

std::string FileRead::Reason() const
{
    switch (status) {
    case ReadStatus::Ok: return {};
    case ReadStatus::Missing: return "not found";
    case ReadStatus::NotRegular: return "not a regular file (a pipe, a device or a folder)";
    case ReadStatus::Failed: break;
    }
    return nErrno ? std::string(std::strerror(nErrno)) : std::string("read error");
}

FileRead ReadRegularFile(const fs::path& path, size_t nMax, std::string& out)
{
    out.clear();
    FileRead r;
    const OpenedFile opened = OpenRegularFile(path);
    r.nErrno = opened.nErrno;
    switch (opened.status) {
    case OpenStatus::Ok: break;
    case OpenStatus::Missing: r.status = ReadStatus::Missing; return r;
    case OpenStatus::NotRegular: r.status = ReadStatus::NotRegular; return r;
    case OpenStatus::Failed: r.status = ReadStatus::Failed; return r;
    }
    r.bOpened = true;
    char buf[65536];
    bool bError = false;
    while (out.size() < nMax) {
        const size_t nWant = std::min(sizeof buf, nMax - out.size());
        const size_t n = std::fread(buf, 1, nWant, opened.f);
        out.append(buf, n);
        if (n < nWant) {
            bError = std::ferror(opened.f) != 0;
            if (bError) r.nErrno = errno ? errno : EIO;
            break;
        }
    }
    if (!bError && out.size() == nMax) r.bMore = std::fgetc(opened.f) != EOF;
    std::fclose(opened.f);
    if (bError) {
        out.clear();
        r.status = ReadStatus::Failed;
        return r;
    }
    r.status = ReadStatus::Ok;
    return r;
}
