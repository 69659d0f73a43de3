#include "core/IniValues.h"

#include <algorithm>
#include <limits>

#include "core/IniLine.h"

namespace {

// Large enough to tell any 32-bit value, small enough never to overflow while reading digits.
constexpr uint64_t kSaturate = uint64_t(1) << 40;

// Calls fn(item) for each comma-separated item until fn returns false.
template <class Fn>
void ForEachItem(std::string_view text, Fn&& fn)
{
    for (size_t i = 0;;) {
        const size_t nComma = text.find(',', i);
        if (!fn(text.substr(i, nComma == text.npos ? text.npos : nComma - i)) || nComma == text.npos) return;
        i = nComma + 1;
    }
}

// The whole item, blanks around it aside, as a number in the radix: optional sign,
// in radix 16 an optional 0x, then at least one digit and nothing else. The
// magnitude saturates at kSaturate, so that callers can clamp or refuse it.
bool ParseItem(std::string_view item, int nRadix, int64_t& v)
{
    if (nRadix < 2 || nRadix > 36) return false;
    item = ini::Trim(item);
    size_t i = 0;
    bool bNeg = false;
    if (i < item.size() && (item[i] == '-' || item[i] == '+')) bNeg = item[i++] == '-';
    if (nRadix == 16 && i + 1 < item.size() && item[i] == '0' && (item[i + 1] == 'x' || item[i + 1] == 'X')) i += 2;
    if (i == item.size()) return false;
    uint64_t n = 0;
    for (; i < item.size(); ++i) {
        const char c = item[i];
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'z') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'Z') d = c - 'A' + 10;
        else return false;
        if (d >= nRadix) return false;
        n = std::min(n * uint64_t(nRadix) + uint64_t(d), kSaturate);
    }
    v = bNeg ? -int64_t(n) : int64_t(n);
    return true;
}

// A list item as a stored 32-bit number. Decimal values must fit int32; hexadecimal
// ones may use all 32 bits (0xFFFFFFFF is -1), as masks and codes are written so.
// Anything larger is not taken as a number, so it ends the list like bad text.
bool ParseListItem(std::string_view item, int nRadix, int32_t& v)
{
    int64_t n = 0;
    if (!ParseItem(item, nRadix, n)) return false;
    if (nRadix == 10) {
        if (n < std::numeric_limits<int32_t>::min() || n > std::numeric_limits<int32_t>::max()) return false;
    } else if (n < -int64_t(UINT32_MAX) || n > int64_t(UINT32_MAX)) {
        return false;
    }
    v = static_cast<int32_t>(static_cast<uint32_t>(n));  // low 32 bits
    return true;
}

uint8_t ClampComponent(int64_t n) { return uint8_t(std::clamp<int64_t>(n, 0, 255)); }

// Decimal components, as many as parse (up to nMax), each clamped to 0..255.
std::vector<uint8_t> ParseComponents(std::string_view text, size_t nMax)
{
    std::vector<uint8_t> out;
    if (nMax == 0) return out;
    ForEachItem(text, [&](std::string_view item) {
        int64_t n = 0;
        if (!ParseItem(item, 10, n)) return false;
        out.push_back(ClampComponent(n));
        return out.size() < nMax;
    });
    return out;
}

// True when the text is exactly nCount decimal numbers that fit int32.
bool ParseExact(std::string_view text, size_t nCount, int32_t* pOut)
{
    size_t n = 0;
    bool bOk = true;
    ForEachItem(text, [&](std::string_view item) {
        int32_t v = 0;
        if (n == nCount || !ParseListItem(item, 10, v)) return bOk = false;
        pOut[n++] = v;
        return true;
    });
    return bOk && n == nCount;
}

}  // namespace

std::vector<int32_t> ParseNumberList(std::string_view text, int nRadix, size_t nCapacity)
{
    std::vector<int32_t> out;
    if (nCapacity == 0) return out;
    ForEachItem(text, [&](std::string_view item) {
        int32_t v = 0;
        if (!ParseListItem(item, nRadix, v)) return false;
        out.push_back(v);
        return out.size() < nCapacity;
    });
    return out;
}

std::vector<int32_t> ParseMixedList(std::string_view text, const std::vector<int>& radixes)
{
    std::vector<int32_t> out;
    if (radixes.empty()) return out;
    ForEachItem(text, [&](std::string_view item) {
        int32_t v = 0;
        if (!ParseListItem(item, radixes[out.size()], v)) return false;
        out.push_back(v);
        return out.size() < radixes.size();
    });
    return out;
}

bool ParseColor(std::string_view text, ZColor& clr)
{
    const std::vector<uint8_t> c = ParseComponents(text, 3);
    if (c.empty()) return false;
    // A colour cut short is used as far as it parses: missing components are 0.
    clr = MakeColor(c[0], c.size() > 1 ? c[1] : 0, c.size() > 2 ? c[2] : 0);
    return true;
}

std::vector<ZColor> ParseColorList(std::string_view text, size_t nMax)
{
    std::vector<ZColor> out;
    if (nMax > std::numeric_limits<size_t>::max() / 3) nMax = std::numeric_limits<size_t>::max() / 3;
    const std::vector<uint8_t> c = ParseComponents(text, nMax * 3);
    for (size_t i = 0; i < c.size(); i += 3) {
        const ZColor clr = MakeColor(c[i], i + 1 < c.size() ? c[i + 1] : 0, i + 2 < c.size() ? c[i + 2] : 0);
        if (clr == 0) break;  // an all-zero colour ends the list
        out.push_back(clr);
    }
    return out;
}

bool ParsePoint(std::string_view text, ZPoint& pt)
{
    int32_t v[2];
    if (!ParseExact(text, 2, v)) return false;
    pt = {v[0], v[1]};
    return true;
}

bool ParseRect(std::string_view text, ZRect& rc)
{
    int32_t v[4];
    if (!ParseExact(text, 4, v)) return false;
    rc = {v[0], v[1], v[2], v[3]};
    return true;
}
