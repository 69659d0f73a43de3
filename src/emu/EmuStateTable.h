// A virtual device's saved state described as a table of keys, each bound to
// where the value lives: the table writes the state file (one entry a line,
// in the table's order, after the header line) and reads it back, checking
// every value, with one set of texts for what is wrong. A device binds the
// table to a copy of its state, reads into the copy and keeps it only when the
// whole file was good, so a bad file changes nothing.
//
// Entries:
//   Number      "key v"            one value in a range
//   Numbers     "key i v"          one value per index 1..n
//   Bytes       "key i <hex>"      one byte string of a fixed length per index 1..n; all needed
//   Numbered    "key n <hex>"      byte strings under numbers 1..max, any of them (macro buffers)
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CEmuStateTable {
public:
    // strIndex names what an index counts ("mode", "profile"): "mode 4 does not exist".
    // A Number with strIndex is itself such an index (the current mode).
    void Number(std::string strKey, int& v, int nMin, int nMax, std::string strIndex = {});
    void Numbers(std::string strKey, std::span<int> values, int nMin, int nMax, std::string strIndex,
                 std::string strRange);
    void Bytes(std::string strKey, std::vector<std::span<uint8_t>> spans, std::string strIndex);
    template <size_t N>
    void Numbered(std::string strKey, std::map<int, std::array<uint8_t, N>>& m, int nMax, std::string strIndex)
    {
        Entry e = Base(std::move(strKey), Kind::Numbered, 1, nMax, std::move(strIndex));
        e.nLen = N;
        e.fnSlot = [&m](int n) { return std::span<uint8_t>(m[n]); };
        e.fnEach = [&m](const std::function<void(int, std::span<const uint8_t>)>& fn) {
            for (const auto& [n, bytes] : m) fn(n, bytes);
        };
        m_entries.push_back(std::move(e));
    }

    // The file: the header line, then the entries.
    std::string Text(std::string_view header) const;
    // Reads a file written by Text into the bound values. False with
    // "line N: reason" (or "not a <kind> state", "empty file", strAllNeeded
    // when a Bytes entry misses an index) in strErr.
    bool Read(std::string_view text, std::string_view header, std::string_view kind, std::string_view strAllNeeded,
              std::string& strErr);

private:
    enum class Kind { Number, Numbers, Bytes, Numbered };
    struct Entry {
        std::string strKey;
        Kind kind;
        int nMin = 0, nMax = 0;      // the value's range (Number, Numbers); the numbers' (Numbered)
        std::string strIndex;
        std::string strRange;        // Numbers: what a bad value is told
        int* pValue = nullptr;
        std::span<int> values;
        std::vector<std::span<uint8_t>> spans;
        size_t nLen = 0;
        std::function<std::span<uint8_t>(int)> fnSlot;
        std::function<void(const std::function<void(int, std::span<const uint8_t>)>&)> fnEach;
    };
    static Entry Base(std::string strKey, Kind kind, int nMin, int nMax, std::string strIndex);
    std::string ReadEntry(Entry& e, std::string_view rest, unsigned& nSeen, size_t nBit) const;

    std::vector<Entry> m_entries;
};

// What names a device's state file: its header line, the kind for "not a
// <kind> state", and what is said when a Bytes entry misses an index.
struct EmuStateFormat {
    const char* pszHeader;
    const char* pszKind;
    const char* pszAllNeeded;
};

// The file of a state, through the device's binding (bind(table, state)).
template <typename State, typename Bind>
std::string EmuStateText(State s, const EmuStateFormat& fmt, Bind bind)
{
    CEmuStateTable t;
    bind(t, s);
    return t.Text(fmt.pszHeader);
}

// Reads a file into a copy of s; the copy replaces s only when the whole
// file was good. False with the reason otherwise, s unchanged.
template <typename State, typename Bind>
bool EmuReadState(std::string_view text, State start, State& s, const EmuStateFormat& fmt, Bind bind,
                  std::string& strErr)
{
    CEmuStateTable t;
    bind(t, start);
    if (!t.Read(text, fmt.pszHeader, fmt.pszKind, fmt.pszAllNeeded, strErr)) return false;
    s = std::move(start);
    return true;
}
