// The diagnostic log. One printf-style writer for every module and thread;
// where it goes is decided once by the Debug option: 0 nowhere, 1 the debugger
// output (stderr here), 2 and above the file Log.txt, 4 also the per-command
// byte lines of the mouse protocols. Lines are UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

extern unsigned g_nDebug;

struct LogTime { unsigned nHour, nMinute, nSecond, nMilli; };

struct LogConfig {
    unsigned nDebug = 0;
    std::filesystem::path pathFile;          // Log.txt; the caller picks the folder
    std::function<LogTime()> clock;          // local time; empty: the system clock
    std::function<void(const std::string&)> debugOut;  // empty: stderr
};

// Sets the writer once; before it every call is a no-op.
void LogStart(const LogConfig& cfg);
// Back to "no logging" (tests; the program never stops its log).
void LogStop();
// The file in use, empty when the log does not go to a file.
std::filesystem::path LogFilePath();

void LogPrintf(const char* pszFormat, ...) __attribute__((format(printf, 1, 2)));
void LogHex(const uint8_t* pData, size_t nLength, size_t nPerLine, const char* pszPrefix);
void LogHexGrouped(const char* pszPrefix, const uint8_t* pData, size_t nLength, size_t nPerLine, size_t nGroup);
// Formats behind the text already in the buffer; returns the new length.
size_t AppendFormat(std::string& strBuf, const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));
