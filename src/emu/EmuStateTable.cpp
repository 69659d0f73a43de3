#include "emu/EmuStateTable.h"

#include <algorithm>
#include <sstream>

#include "emu/EmuHex.h"
#include "emu/EmuStateText.h"

namespace {

std::string Missing(const std::string& strIndex, int n) { return strIndex + " " + std::to_string(n) + " does not exist"; }

}  // namespace

CEmuStateTable::Entry CEmuStateTable::Base(std::string strKey, Kind kind, int nMin, int nMax, std::string strIndex)
{
    Entry e;
    e.strKey = std::move(strKey);
    e.kind = kind;
    e.nMin = nMin;
    e.nMax = nMax;
    e.strIndex = std::move(strIndex);
    return e;
}

void CEmuStateTable::Number(std::string strKey, int& v, int nMin, int nMax, std::string strIndex)
{
    Entry e = Base(std::move(strKey), Kind::Number, nMin, nMax, std::move(strIndex));
    e.pValue = &v;
    m_entries.push_back(std::move(e));
}

void CEmuStateTable::Numbers(std::string strKey, std::span<int> values, int nMin, int nMax, std::string strIndex,
                             std::string strRange)
{
    Entry e = Base(std::move(strKey), Kind::Numbers, nMin, nMax, std::move(strIndex));
    e.values = values;
    e.strRange = std::move(strRange);
    m_entries.push_back(std::move(e));
}

void CEmuStateTable::Bytes(std::string strKey, std::vector<std::span<uint8_t>> spans, std::string strIndex)
{
    Entry e = Base(std::move(strKey), Kind::Bytes, 1, int(spans.size()), std::move(strIndex));
    e.nLen = spans.empty() ? 0 : spans.front().size();
    e.spans = std::move(spans);
    m_entries.push_back(std::move(e));
}

std::string CEmuStateTable::Text(std::string_view header) const
{
    std::ostringstream os;
    os << header << "\n";
    for (const Entry& e : m_entries) {
        switch (e.kind) {
        case Kind::Number: os << e.strKey << " " << *e.pValue << "\n"; break;
        case Kind::Numbers:
            for (size_t i = 0; i < e.values.size(); ++i) os << e.strKey << " " << i + 1 << " " << e.values[i] << "\n";
            break;
        case Kind::Bytes:
            for (size_t i = 0; i < e.spans.size(); ++i) os << e.strKey << " " << i + 1 << " " << EmuHex(e.spans[i]) << "\n";
            break;
        case Kind::Numbered:
            e.fnEach([&](int n, std::span<const uint8_t> b) { os << e.strKey << " " << n << " " << EmuHex(b) << "\n"; });
            break;
        }
    }
    return os.str();
}

bool CEmuStateTable::Read(std::string_view text, std::string_view header, std::string_view kind,
                          std::string_view strAllNeeded, std::string& strErr)
{
    // One bit per index of every Bytes entry: all must be seen.
    std::vector<size_t> firstBit(m_entries.size(), 0);
    size_t nBits = 0;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        firstBit[i] = nBits;
        if (m_entries[i].kind == Kind::Bytes) nBits += m_entries[i].spans.size();
    }
    unsigned nSeen = 0;
    const bool bRead = ForEachStateEntry(text, header, kind, [&](std::string_view key, std::string_view rest) {
        for (size_t i = 0; i < m_entries.size(); ++i)
            if (m_entries[i].strKey == key) return ReadEntry(m_entries[i], rest, nSeen, firstBit[i]);
        return "unknown entry " + std::string(key);
    }, strErr);
    if (!bRead) return false;
    if (nSeen != (nBits >= 32 ? ~0u : (1u << nBits) - 1)) {
        strErr = std::string(strAllNeeded);
        return false;
    }
    return true;
}

std::string CEmuStateTable::ReadEntry(Entry& e, std::string_view rest, unsigned& nSeen, size_t nBit) const
{
    if (e.kind == Kind::Number) {
        int v = 0;
        if (!EmuParseInt(rest, v)) return "a number is expected";
        if (v < e.nMin || v > e.nMax) return e.strIndex.empty() ? "value out of range" : Missing(e.strIndex, v);
        *e.pValue = v;
        return {};
    }
    const size_t nSp = rest.find(' ');
    int nIndex = 0;
    if (nSp == std::string_view::npos || !EmuParseInt(rest.substr(0, nSp), nIndex)) return "a number is expected";
    const std::string_view value = rest.substr(nSp + 1);
    if (e.kind == Kind::Numbers) {
        if (nIndex < 1 || size_t(nIndex) > e.values.size()) return Missing(e.strIndex, nIndex);
        int v = 0;
        if (!EmuParseInt(value, v) || v < e.nMin || v > e.nMax) return e.strRange;
        e.values[size_t(nIndex - 1)] = v;
        return {};
    }
    const auto bytes = EmuParseHex(value, e.nLen);
    if (!bytes || bytes->size() != e.nLen) return e.strKey + " needs " + std::to_string(e.nLen) + " bytes";
    if (nIndex < e.nMin || nIndex > e.nMax) return Missing(e.strIndex, nIndex);
    if (e.kind == Kind::Numbered) {
        std::ranges::copy(*bytes, e.fnSlot(nIndex).begin());
        return {};
    }
    std::ranges::copy(*bytes, e.spans[size_t(nIndex - 1)].begin());
    if (nBit + size_t(nIndex - 1) < 32) nSeen |= 1u << (nBit + size_t(nIndex - 1));
    return {};
}
