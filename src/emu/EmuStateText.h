// The text form of a virtual device's saved on-board state: a header line
// naming the device kind, then one "key rest" entry a line. Both mouse
// families read their files through this, each with its own keys.
#pragma once

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

// Walks the entries after the header line, skipping empty lines; fnEntry
// returns an empty text to go on or the reason the entry is refused. False with
// "line N: reason" in strErr at the first refused entry, on a wrong header
// ("not a <kind> state") or on a file without any line ("empty file").
bool ForEachStateEntry(std::string_view text, std::string_view header, std::string_view kind,
                       const std::function<std::string(std::string_view key, std::string_view rest)>& fnEntry,
                       std::string& strErr);

// A whole decimal number, nothing before or after it.
bool EmuParseInt(std::string_view s, int& n);

// printf into a string, for the readable state dumps (a line is far below the limit).
template <typename... Args>
std::string EmuPrintf(const char* pszFormat, Args... args)
{
    char buf[256];
    const int n = std::snprintf(buf, sizeof buf, pszFormat, args...);
    return std::string(buf, n < 0 ? 0 : std::min(size_t(n), sizeof buf - 1));
}

// The report rate a mouse's rate code (low four bits of the block's byte 2) stands for.
const char* EmuRateText(int nCode);
