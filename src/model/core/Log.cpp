#include "core/Log.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <mutex>

namespace fs = std::filesystem;

unsigned g_nDebug = 0;

namespace {

// A file larger than this is emptied when the log starts; it may grow past it during a run.
constexpr std::uintmax_t kMaxLogAtStart = 512000;
// Marker in front of every line sent to the debugger output.
constexpr const char* kDebugMarker = "ZV  ";
// Longest single message; longer text is cut, never overrun.
constexpr size_t kMaxMessage = 4096;

enum class Writer { None, Debugger, File };

struct LogState {
    std::mutex mtx;  // one whole message at a time, so lines from threads never interleave
    Writer writer = Writer::None;
    LogConfig cfg;
};

LogState& State()
{
    static LogState s;
    return s;
}

LogTime SystemTime()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm tmLocal{};
    localtime_r(&t, &tmLocal);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return {unsigned(tmLocal.tm_hour), unsigned(tmLocal.tm_min), unsigned(tmLocal.tm_sec), unsigned(ms)};
}

void DebugOut(const LogConfig& cfg, const std::string& text)
{
    if (cfg.debugOut) cfg.debugOut(text);
    else std::cerr << text << '\n';
}

// Caller holds the lock.
void WriteMessage(LogState& s, const std::string& msg)
{
    if (g_nDebug == 0 || s.writer == Writer::None) return;
    if (s.writer == Writer::Debugger) {
        DebugOut(s.cfg, kDebugMarker + msg);
        return;
    }
    std::FILE* f = std::fopen(s.cfg.pathFile.c_str(), "ab");
    if (!f) {
        DebugOut(s.cfg, "Open Log failed");
        return;
    }
    const LogTime t = s.cfg.clock ? s.cfg.clock() : SystemTime();
    std::fprintf(f, "\n%02u:%02u.%03u   ", t.nMinute % 100, t.nSecond % 100, t.nMilli % 1000);
    std::fwrite(msg.data(), 1, msg.size(), f);
    std::fclose(f);
}

std::string FormatV(const char* pszFormat, va_list args)
{
    char buf[kMaxMessage];
    const int n = std::vsnprintf(buf, sizeof buf, pszFormat, args);
    if (n < 0) return {};
    return std::string(buf, size_t(n) < sizeof buf ? size_t(n) : sizeof buf - 1);
}

bool Active() { return g_nDebug != 0 && State().writer != Writer::None; }

void Emit(const std::string& msg)
{
    LogState& s = State();
    std::lock_guard lock(s.mtx);
    WriteMessage(s, msg);
}

}  // namespace

void LogStart(const LogConfig& cfg)
{
    LogState& s = State();
    std::lock_guard lock(s.mtx);
    s.cfg = cfg;
    g_nDebug = cfg.nDebug;
    s.writer = Writer::Debugger;
    if (g_nDebug < 2) return;
    std::error_code ec;
    std::FILE* f = std::fopen(cfg.pathFile.c_str(), "ab");
    if (!f) {
        DebugOut(s.cfg, "Open Log failed");
        return;
    }
    std::fclose(f);
    if (fs::file_size(cfg.pathFile, ec) > kMaxLogAtStart && !ec) fs::resize_file(cfg.pathFile, 0, ec);
    s.writer = Writer::File;
}

void LogStop()
{
    LogState& s = State();
    std::lock_guard lock(s.mtx);
    s.writer = Writer::None;
    s.cfg = {};
    g_nDebug = 0;
}

fs::path LogFilePath()
{
    LogState& s = State();
    std::lock_guard lock(s.mtx);
    return s.writer == Writer::File ? s.cfg.pathFile : fs::path();
}

void LogPrintf(const char* pszFormat, ...)
{
    if (!Active()) return;
    va_list args;
    va_start(args, pszFormat);
    const std::string msg = FormatV(pszFormat, args);
    va_end(args);
    Emit(msg);
}

size_t AppendFormat(std::string& strBuf, const char* pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    strBuf += FormatV(pszFormat, args);
    va_end(args);
    return strBuf.size();
}

void LogHex(const uint8_t* pData, size_t nLength, size_t nPerLine, const char* pszPrefix)
{
    if (!Active() || !pData || nLength == 0) return;
    // A line is written after nPerLine bytes, or when the line buffer would overflow.
    constexpr size_t kLineMax = 1023;
    const std::string strHead = pszPrefix ? std::string(pszPrefix) + " " : std::string();
    std::string line = strHead;
    size_t nOnLine = 0;
    for (size_t i = 0; i < nLength; ++i) {
        if (line.size() + 3 > kLineMax && nOnLine > 0) {
            Emit(line);
            line = strHead;
            nOnLine = 0;
        }
        AppendFormat(line, "%02x ", pData[i]);
        ++nOnLine;
        if (nPerLine && nOnLine == nPerLine && i + 1 < nLength) {
            Emit(line);
            line = strHead;
            nOnLine = 0;
        }
    }
    if (nOnLine) Emit(line);
}

void LogHexGrouped(const char* pszPrefix, const uint8_t* pData, size_t nLength, size_t nPerLine, size_t nGroup)
{
    if (!Active() || !pData || nLength == 0) return;
    constexpr size_t kLineMax = 511;
    const std::string strHead = pszPrefix ? std::string(pszPrefix) + " " : std::string();
    std::string line = strHead;
    size_t nOnLine = 0;
    for (size_t i = 0; i < nLength; ++i) {
        if (line.size() + 4 > kLineMax && nOnLine > 0) {  // flush rather than drop bytes
            Emit(line);
            line = strHead;
            nOnLine = 0;
        }
        const bool bGroupEnd = nGroup && (i + 1) % nGroup == 0;
        AppendFormat(line, "%02x%s", pData[i], bGroupEnd ? "  " : " ");
        ++nOnLine;
        if (nPerLine && nOnLine == nPerLine && i + 1 < nLength) {
            Emit(line);
            line = strHead;
            nOnLine = 0;
        }
    }
    if (nOnLine) Emit(line);
}
