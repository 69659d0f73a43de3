// The record of every report that moved between the host and the emulated
// devices, one line per transfer:
//   <op> <role> <hex bytes>
// op is setf, getf, write or read; role is the interface's role in its family
// (cmd, data, notify, ...); the bytes are the whole buffer, report id first.
// Transfers that failed (a fault switch, an unplugged device, a refused
// report) moved nothing and are not journalled. Safe from any thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CEmuJournal {
public:
    void Add(std::string_view op, std::string_view role, std::span<const uint8_t> bytes);
    std::vector<std::string> Lines() const;
    // All lines, each ending in a newline.
    std::string Text() const;
    // Lines starting with "<op> <role>".
    std::vector<std::string> Lines(std::string_view op, std::string_view role) const;
    size_t Size() const;
    void Clear();
    // Writes Text() to a file in one step (temporary file, then rename).
    bool WriteFile(const std::filesystem::path& path, std::string& strErr) const;

private:
    mutable std::mutex m_mtx;
    std::vector<std::string> m_lines;
};
