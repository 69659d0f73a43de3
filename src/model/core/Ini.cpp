#include "core/Ini.h"

#include "core/IniLine.h"
#include "core/IniText.h"
#include "core/Log.h"
#include "core/Utf.h"

namespace fs = std::filesystem;

namespace {

std::string Fold(std::string_view s)
{
    std::string out(s);
    for (char& c : out) c = ini::FoldAscii(c);
    return out;
}

// A value wholly enclosed in matching single or double quotes loses them.
std::string_view Unquote(std::string_view v)
{
    if (v.size() >= 2 && v.front() == v.back() && (v.front() == '"' || v.front() == '\'')) return v.substr(1, v.size() - 2);
    return v;
}

}  // namespace

CIniFile CIniFile::Load(const fs::path& path)
{
    std::string bytes, strErr;
    switch (ini::ReadFileCapped(path, bytes, strErr)) {
    case ini::ReadResult::Missing: return {};
    case ini::ReadResult::Failed: {
        LogPrintf("INI %s: %s; its values take their defaults", path.string().c_str(), strErr.c_str());
        CIniFile failed;
        failed.m_strProblem = strErr;
        return failed;
    }
    case ini::ReadResult::Ok: break;
    }
    return Parse(bytes, path.string());
}

CIniFile CIniFile::FromBytes(std::string_view bytes) { return Parse(bytes, "text"); }

CIniFile CIniFile::Parse(std::string_view bytes, const std::string& strWhere)
{
    CIniFile ini;
    if (bytes.size() > kIniMaxBytes) {
        LogPrintf("INI %s: larger than %zu bytes; its values take their defaults", strWhere.c_str(), kIniMaxBytes);
        return ini;
    }
    const ini::Encoding enc = ini::DetectEncoding(bytes);
    ini.m_strEncoding = ini::EncodingName(enc);
    bool bRepaired = false;
    const std::string text = ini::DecodeToUtf8(bytes, enc, bRepaired);
    if (enc == ini::Encoding::Cp1252)
        LogPrintf("INI %s: not valid UTF-8, read as Windows-1252", strWhere.c_str());
    else if (bRepaired)
        LogPrintf("INI %s: invalid %s sequences replaced", strWhere.c_str(), ini.m_strEncoding.c_str());

    ini.m_bExists = true;
    Section* pCur = nullptr;  // lines before the first header, and repeated sections, are never read
    const std::string_view all(text);
    ini::ForEachLine(all, [&](const ini::LineSpan& sp) {
        const ini::Line<char> line = ini::Classify(all.substr(sp.begin, sp.end - sp.begin));
        if (line.kind == ini::LineKind::Section) {
            const auto [it, bNew] = ini.m_index.emplace(Fold(line.name), ini.m_sections.size());
            pCur = nullptr;
            if (bNew) {
                ini.m_sections.push_back({std::string(line.name), {}, {}});
                pCur = &ini.m_sections.back();
            }
        } else if (line.kind == ini::LineKind::Key && pCur) {
            pCur->index.emplace(Fold(line.name), pCur->entries.size());  // the first of a name wins
            pCur->entries.push_back({std::string(line.name), std::string(Unquote(line.value))});
        }
        return true;
    });
    return ini;
}

const std::string* CIniFile::Find(std::string_view section, std::string_view key) const
{
    const auto itSec = m_index.find(Fold(section));
    if (itSec == m_index.end()) return nullptr;
    const Section& sec = m_sections[itSec->second];
    const auto itKey = sec.index.find(Fold(key));
    return itKey == sec.index.end() ? nullptr : &sec.entries[itKey->second].value;
}

std::optional<std::string> CIniFile::Raw(std::string_view section, std::string_view key) const
{
    if (const std::string* p = Find(section, key)) return *p;
    return std::nullopt;
}

std::string CIniFile::GetString(std::string_view section, std::string_view key, std::string_view def,
                                size_t nCapacity) const
{
    const std::string* p = Find(section, key);
    return CutToCapacity(p && !p->empty() ? std::string_view(*p) : def, nCapacity);
}

int32_t CIniFile::GetInt(std::string_view section, std::string_view key, int32_t def) const
{
    const std::string* p = Find(section, key);
    return p && !p->empty() ? ParseIniInt(*p) : def;
}

void CIniFile::VisitValues(
    const std::function<void(std::string_view, std::string_view, std::string_view)>& fn) const
{
    for (const Section& sec : m_sections)
        for (const Entry& e : sec.entries) fn(sec.name, e.key, e.value);
}

std::string CutToCapacity(std::string_view s, size_t nCapacity)
{
    if (nCapacity == 0) return {};
    const size_t nMaxUnits = nCapacity - 1;
    size_t nUnits = 0, i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        size_t nBytes = 1, nNeed = 1;
        if (b >= 0xF0 && b <= 0xF7) { nBytes = 4; nNeed = 2; }  // outside the BMP: a surrogate pair
        else if (b >= 0xE0 && b <= 0xEF) nBytes = 3;
        else if (b >= 0xC0 && b <= 0xDF) nBytes = 2;
        if (i + nBytes > s.size() || nUnits + nNeed > nMaxUnits) break;
        nUnits += nNeed;
        i += nBytes;
    }
    return std::string(s.substr(0, i));
}

int32_t ParseIniInt(std::string_view s)
{
    size_t i = 0;
    while (i < s.size() && ini::IsBlank(s[i])) ++i;
    bool bNeg = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) bNeg = s[i++] == '-';
    unsigned nBase = 10;
    if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        nBase = 16;
        i += 2;
    }
    // Unsigned arithmetic wraps; only the low 32 bits are kept anyway.
    uint32_t nValue = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        unsigned d;
        if (c >= '0' && c <= '9') d = unsigned(c - '0');
        else if (nBase == 16 && c >= 'a' && c <= 'f') d = unsigned(c - 'a' + 10);
        else if (nBase == 16 && c >= 'A' && c <= 'F') d = unsigned(c - 'A' + 10);
        else break;
        nValue = nValue * nBase + d;
    }
    if (bNeg) nValue = 0u - nValue;
    return static_cast<int32_t>(nValue);
}
