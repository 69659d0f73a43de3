#include "emu/EmuStateText.h"

#include <charconv>

bool ForEachStateEntry(std::string_view text, std::string_view header, std::string_view kind,
                       const std::function<std::string(std::string_view key, std::string_view rest)>& fnEntry,
                       std::string& strErr)
{
    bool bHeader = false;
    int nLine = 0;
    while (!text.empty()) {
        const size_t nEnd = text.find('\n');
        std::string_view line = text.substr(0, nEnd);
        text = nEnd == std::string_view::npos ? std::string_view() : text.substr(nEnd + 1);
        ++nLine;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        std::string strWhy;
        if (!bHeader) {
            if (line != header) strWhy = "not a " + std::string(kind) + " state";
            bHeader = true;
        } else {
            const size_t nSp = line.find(' ');
            strWhy = fnEntry(line.substr(0, nSp), nSp == std::string_view::npos ? std::string_view() : line.substr(nSp + 1));
        }
        if (!strWhy.empty()) {
            strErr = "line " + std::to_string(nLine) + ": " + strWhy;
            return false;
        }
    }
    if (!bHeader) {
        strErr = "empty file";
        return false;
    }
    return true;
}

bool EmuParseInt(std::string_view s, int& n)
{
    const auto r = std::from_chars(s.data(), s.data() + s.size(), n);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

const char* EmuRateText(int nCode)
{
    switch (nCode) {
    case 1: return "125 Hz";
    case 2: return "250 Hz";
    case 3: return "500 Hz";
    case 4: return "1000 Hz";
    default: return "unknown rate";
    }
}
