// Helpers shared by the tests: scratch folders, file bytes, fixtures.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace test {

// A fresh empty folder under the system temp folder, removed when the object goes.
class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;
    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

void WriteBytes(const std::filesystem::path& path, std::string_view bytes);
std::string ReadBytes(const std::filesystem::path& path);
// Source tree folders.
std::filesystem::path SourceDir();
std::filesystem::path FixtureDir();
// The application folder assembled by the build.
std::filesystem::path AppDir();

// Threads of this process right now.
int ThreadCount();
// Polls pred every few milliseconds until it holds (true) or the limit passes (false).
bool WaitFor(const std::function<bool()>& pred, std::chrono::milliseconds limit = std::chrono::seconds(4));

}  // namespace test
