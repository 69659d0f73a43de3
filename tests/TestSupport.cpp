#include "TestSupport.h"

#include <atomic>
#include <fstream>
#include <random>
#include <stdexcept>
#include <thread>

#include "platform/PosixFiles.h"

namespace fs = std::filesystem;

namespace {

// Every test binary reads files the way the programs do: without blocking, and
// with saves synced to the disk.
const bool s_bFileHooks = (InstallPosixFileHooks(), true);

}  // namespace

namespace test {

CTempDir::CTempDir()
{
    static std::atomic<unsigned> s_nSerial{0};
    std::random_device rd;
    for (;;) {
        m_path = fs::temp_directory_path() /
                 ("zorvik-test-" + std::to_string(rd()) + "-" + std::to_string(s_nSerial++));
        std::error_code ec;
        if (fs::create_directory(m_path, ec)) return;
        if (ec) throw std::runtime_error("cannot create " + m_path.string() + ": " + ec.message());
    }
}

CTempDir::~CTempDir()
{
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

void WriteBytes(const fs::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

fs::path SourceDir() { return ZV_SOURCE_DIR; }
fs::path FixtureDir() { return SourceDir() / "tests" / "fixtures"; }
fs::path AppDir() { return ZV_APP_DIR; }

int ThreadCount()
{
    int n = 0;
    std::error_code ec;
    for (fs::directory_iterator it("/proc/self/task", ec), end; !ec && it != end; it.increment(ec)) ++n;
    return n;
}

bool WaitFor(const std::function<bool()>& pred, std::chrono::milliseconds limit)
{
    const auto tEnd = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > tEnd) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace test
