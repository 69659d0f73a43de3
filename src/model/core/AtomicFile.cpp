#include "core/AtomicFile.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <random>
#include <vector>

#include "core/FileAccess.h"
#include "core/Log.h"

namespace fs = std::filesystem;

namespace {

// A name no other writer uses at the same time: random per process, counted per call.
std::string UniqueSuffix()
{
    static std::once_flag s_once;
    static uint64_t s_nSeed = 0;
    static std::atomic<uint64_t> s_nSerial{0};
    std::call_once(s_once, [] {
        try {
            std::random_device rd;
            s_nSeed = (uint64_t(rd()) << 32) ^ rd();
        } catch (...) {
            s_nSeed = uint64_t(reinterpret_cast<uintptr_t>(&s_nSeed));  // no entropy source: still unique per process
        }
    });
    std::mt19937_64 mix(s_nSeed + s_nSerial.fetch_add(1));
    char sz[17];
    std::snprintf(sz, sizeof sz, "%016llx", static_cast<unsigned long long>(mix()));
    return sz;
}

// Creates the temporary file exclusively ("x": fails when the name is taken), so two
// writers, or a leftover from a crash, are never overwritten or shared.
std::FILE* CreateTemp(const fs::path& dir, const fs::path& name, fs::path& tmp)
{
    for (int nTry = 0; nTry < 16; ++nTry) {
        tmp = dir / ("." + name.string() + "." + UniqueSuffix() + ".tmp");
        if (std::FILE* f = std::fopen(tmp.string().c_str(), "wbx")) return f;
        std::error_code ec;
        if (!fs::exists(fs::symlink_status(tmp, ec))) break;  // failed for another reason than a taken name
    }
    return nullptr;
}

}  // namespace

bool WriteFileAtomic(const fs::path& target, std::string_view bytes, std::string& strErr)
{
    std::error_code ec;
    if (target.empty() || !target.has_filename()) { strErr = "no file name in \"" + target.string() + "\""; return false; }

    // Replace the file a link points to, not the link (a user may keep settings elsewhere).
    fs::path real = target;
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        real = fs::weakly_canonical(target, ec);
        if (ec) { strErr = "cannot resolve link " + target.string() + ": " + ec.message(); return false; }
    }
    const fs::path dir = real.has_parent_path() ? real.parent_path() : fs::path(".");
    if (!fs::is_directory(dir, ec)) { strErr = "folder " + dir.string() + " does not exist"; return false; }
    const fs::file_status st = fs::status(real, ec);
    if (fs::exists(st) && !fs::is_regular_file(st)) {
        strErr = real.string() + " exists and is not a regular file";
        return false;
    }

    fs::path tmp;
    std::FILE* f = CreateTemp(dir, real.filename(), tmp);
    if (!f) { strErr = "cannot create a temporary file in " + dir.string(); return false; }

    const size_t nWritten = bytes.empty() ? 0 : std::fwrite(bytes.data(), 1, bytes.size(), f);
    const bool bFlushed = std::fflush(f) == 0 && !std::ferror(f);
    // On the disk before the rename: otherwise a power cut can leave the new name
    // on an empty or partly written file.
    const bool bSynced = bFlushed && SyncFile(f);
    const bool bClosed = std::fclose(f) == 0;  // a full disk may only show here
    auto fail = [&](std::string why) {
        fs::remove(tmp, ec);
        strErr = std::move(why);
        return false;
    };
    if (nWritten != bytes.size() || !bFlushed || !bClosed) return fail("cannot write " + tmp.string());
    if (!bSynced) return fail("cannot make " + tmp.string() + " durable (sync failed)");

    // What is on disk must be what was meant, before it replaces the old file.
    const uintmax_t nSize = fs::file_size(tmp, ec);
    if (ec || nSize != bytes.size()) return fail("short write to " + tmp.string());

    if (fs::exists(st)) fs::permissions(tmp, st.permissions(), ec);  // best effort; not a reason to fail

    fs::rename(tmp, real, ec);
    if (ec) return fail("cannot replace " + real.string() + ": " + ec.message());
    // The new name itself must reach the disk; the file is in place either way.
    if (!SyncFolder(dir)) LogPrintf("Could not sync the folder %s after saving %s", dir.string().c_str(),
                                    real.filename().string().c_str());
    return true;
}

fs::path KeptAsidePath(const fs::path& file)
{
    fs::path bad = file;
    bad += ".bad";
    return bad;
}

bool KeepAside(const fs::path& file, std::string& strErr)
{
    std::error_code ec;
    const fs::file_status st = fs::symlink_status(file, ec);
    if (!fs::exists(st)) return true;  // nothing to lose
    if (fs::is_directory(st)) { strErr = file.string() + " is a folder"; return false; }

    const fs::path bad = KeptAsidePath(file);
    fs::rename(file, bad, ec);  // replaces an older .bad file in one step
    if (ec) {
        strErr = "cannot rename " + file.string() + " to " + bad.string() + ": " + ec.message();
        return false;
    }
    SyncFolder(file.has_parent_path() ? file.parent_path() : fs::path("."));
    LogPrintf("%s could not be loaded; kept as %s", file.string().c_str(), bad.string().c_str());
    return true;
}

bool IsAtomicTempName(std::string_view name)
{
    // "." + the target's name + "." + 16 lower-case hex digits + ".tmp"
    constexpr size_t kHex = 16;
    constexpr std::string_view kEnd = ".tmp";
    if (name.size() < 1 + 1 + 1 + kHex + kEnd.size() || name[0] != '.') return false;
    if (name.substr(name.size() - kEnd.size()) != kEnd) return false;
    const size_t nDot = name.size() - kEnd.size() - kHex - 1;
    if (name[nDot] != '.') return false;
    for (size_t i = nDot + 1; i < nDot + 1 + kHex; ++i) {
        const char c = name[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

int RemoveStaleTempFiles(const fs::path& dir, std::chrono::seconds minAge, int nDepth)
{
    int nRemoved = 0;
    std::error_code ec;
    const auto now = fs::file_time_type::clock::now();
    std::vector<fs::path> subDirs;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::file_status st = it->symlink_status(ec);  // links are never followed or removed
        if (ec) { ec.clear(); continue; }
        if (fs::is_directory(st)) {
            subDirs.push_back(it->path());
            continue;
        }
        if (!fs::is_regular_file(st) || !IsAtomicTempName(it->path().filename().string())) continue;
        // A save in progress in another process is young; only leftovers are old.
        const auto tWritten = fs::last_write_time(it->path(), ec);
        if (ec || now - tWritten < minAge) { ec.clear(); continue; }
        if (fs::remove(it->path(), ec)) {
            ++nRemoved;
            LogPrintf("Removed the leftover of an interrupted save: %s", it->path().string().c_str());
        }
        ec.clear();
    }
    if (nDepth > 0)
        for (const fs::path& sub : subDirs) nRemoved += RemoveStaleTempFiles(sub, minAge, nDepth - 1);
    return nRemoved;
}
