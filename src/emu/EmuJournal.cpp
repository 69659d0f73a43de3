#include "emu/EmuJournal.h"

#include "emu/EmuHex.h"
#include "core/AtomicFile.h"

void CEmuJournal::Add(std::string_view op, std::string_view role, std::span<const uint8_t> bytes)
{
    std::string line;
    line.reserve(op.size() + role.size() + 2 + bytes.size() * 3);
    line.append(op).append(" ").append(role).append(" ").append(EmuHex(bytes));
    std::lock_guard lock(m_mtx);
    m_lines.push_back(std::move(line));
}

std::vector<std::string> CEmuJournal::Lines() const
{
    std::lock_guard lock(m_mtx);
    return m_lines;
}

std::string CEmuJournal::Text() const
{
    std::lock_guard lock(m_mtx);
    std::string s;
    for (const std::string& line : m_lines) s.append(line).append("\n");
    return s;
}

std::vector<std::string> CEmuJournal::Lines(std::string_view op, std::string_view role) const
{
    std::string prefix;
    prefix.append(op).append(" ").append(role).append(" ");
    std::lock_guard lock(m_mtx);
    std::vector<std::string> out;
    for (const std::string& line : m_lines)
        if (line.starts_with(prefix)) out.push_back(line);
    return out;
}

size_t CEmuJournal::Size() const
{
    std::lock_guard lock(m_mtx);
    return m_lines.size();
}

void CEmuJournal::Clear()
{
    std::lock_guard lock(m_mtx);
    m_lines.clear();
}

bool CEmuJournal::WriteFile(const std::filesystem::path& path, std::string& strErr) const
{
    return WriteFileAtomic(path, Text(), strErr);
}
