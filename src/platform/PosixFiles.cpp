#include "platform/PosixFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/FileAccess.h"

namespace {

// O_NONBLOCK makes opening a pipe without a writer, or a device that waits for
// a carrier, return at once; the type is then checked on what was opened, so a
// file swapped for a pipe between a check and the open cannot block either.
OpenedFile OpenRegular(const std::filesystem::path& path)
{
    OpenedFile r;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        r.nErrno = errno;
        r.status = r.nErrno == ENOENT || r.nErrno == ENOTDIR ? OpenStatus::Missing : OpenStatus::Failed;
        return r;
    }
    struct stat st{};
    if (::fstat(fd, &st) != 0) {
        r.nErrno = errno;
        ::close(fd);
        return r;
    }
    if (!S_ISREG(st.st_mode)) {
        r.nErrno = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        r.status = OpenStatus::NotRegular;
        ::close(fd);
        return r;
    }
    // A regular file reads the same either way; plain blocking reads from here on.
    const int nFlags = ::fcntl(fd, F_GETFL);
    if (nFlags >= 0) ::fcntl(fd, F_SETFL, nFlags & ~O_NONBLOCK);
    r.f = ::fdopen(fd, "rb");
    if (!r.f) {
        r.nErrno = errno;
        ::close(fd);
        return r;
    }
    r.status = OpenStatus::Ok;
    return r;
}

// File systems that cannot sync (some virtual or network ones) say so with
// EINVAL or ENOTSUP; nothing more can be done there, and it is not a failed write.
bool SyncFd(int fd) { return ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP || errno == EROFS; }

bool SyncFileHook(std::FILE* f) { return f && SyncFd(::fileno(f)); }

bool SyncFolderHook(const std::filesystem::path& dir)
{
    const int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool bOk = SyncFd(fd);
    ::close(fd);
    return bOk;
}

}  // namespace

void InstallPosixFileHooks()
{
    FileHooks hooks;
    hooks.openRead = OpenRegular;
    hooks.syncFile = SyncFileHook;
    hooks.syncFolder = SyncFolderHook;
    SetFileHooks(std::move(hooks));
}
