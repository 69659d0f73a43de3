#include "emu/mouse/EmuMouseMemory.h"

#include <algorithm>

#include "emu/EmuRecordRules.h"
#include "emu/EmuStateText.h"

namespace {

constexpr size_t kCodesAt = 5;
constexpr int kMaxLevels = 8;
constexpr uint32_t kKeyOff = 0x150;
// Left, right, middle, back, forward, DPI cycle.
constexpr uint32_t kFactoryKeys[] = {0x111, 0x211, 0x411, 0x811, 0x1011, 0x41};

struct Named {
    uint32_t dwCode;
    const char* pszName;
};
constexpr Named kFixedCodes[] = {
    {0x150, "off"},
    {0x111, "left button"},
    {0x211, "right button"},
    {0x411, "middle button"},
    {0x811, "back button"},
    {0x1011, "forward button"},
    {0x2320131, "double click"},
    {0x3320131, "triple click"},
    {0x112, "wheel up"},
    {0xFF12, "wheel down"},
    {0x250, "lighting on/off"},
    {0x141, "DPI up"},
    {0x241, "DPI down"},
    {0x41, "DPI cycle"},
    {0x650, "mode switch"},
    {0x450, "report rate switch"},
    {0x750, "lighting mode switch"},
    {0x950, "key snipe"},
    {0x850, "gun switch"},
    {0x10450, "report rate up"},
    {0x20450, "report rate down"},
};

const char* KindName(int nKind)
{
    switch (nKind) {
    case 1: return "button";
    case 2: return "move x";
    case 3: return "move y";
    case 4: return "wheel";
    case 5: return "key";
    case 6: return "modifier";
    default: return "unknown";
    }
}

}  // namespace

void FillFactoryBlock(std::span<uint8_t> b, const EmuMouseLayout& layout, const EmuMouseFactory& f)
{
    const size_t nLevels = std::min<size_t>(f.dpiCodes.size(), kMaxLevels);
    const uint8_t byCur = uint8_t(std::clamp<int>(f.byCurrentLevel, nLevels ? 1 : 0, int(nLevels)));
    b[0] = kEmuBlockFirst;
    b[1] = f.bySensorCode;
    b[2] = f.byRateCode;
    b[3] = uint8_t(nLevels | byCur << 4);
    b[4] = uint8_t(0xFF << nLevels);
    for (size_t i = 0; i < nLevels; ++i)
        for (size_t w = 0; w < layout.nCodeWidth; ++w)
            b[kCodesAt + layout.nCodeWidth * i + w] = uint8_t(f.dpiCodes[i] >> (8 * w));
    for (size_t i = 0; i < f.levelColours.size() && i < kMaxLevels; ++i)
        std::ranges::copy(f.levelColours[i], b.begin() + ptrdiff_t(layout.nColoursAt + 3 * i));
    b[layout.nEffectAt] = 1;
    if (layout.nTrailerAt >= 0) b[size_t(layout.nTrailerAt)] = layout.byTrailer;
}

void FillFactoryKeys(std::span<uint8_t> matrix)
{
    for (int p = 1; p <= kEmuKeys; ++p) PutKeyCode(matrix, p, kKeyOff);
    for (int p = 1; p <= int(std::size(kFactoryKeys)); ++p) PutKeyCode(matrix, p, kFactoryKeys[p - 1]);
}

void PutKeyCode(std::span<uint8_t> m, int nPos, uint32_t dwCode)
{
    for (int b = 0; b < 4; ++b) m[size_t(4 * (nPos - 1) + b)] = uint8_t(dwCode >> (8 * b));
}

uint32_t KeyCodeAt(std::span<const uint8_t> m, int nPos)
{
    if (nPos < 1 || nPos > kEmuKeys) return 0;
    const size_t i = size_t(4 * (nPos - 1));
    return uint32_t(m[i]) | uint32_t(m[i + 1]) << 8 | uint32_t(m[i + 2]) << 16 | uint32_t(m[i + 3]) << 24;
}

bool NextDpiLevel(std::span<uint8_t> b)
{
    const int nCount = b[3] & 0x0F;
    if (nCount == 0) return false;
    const int nCur = b[3] >> 4;
    b[3] = uint8_t(nCount | (nCur >= nCount ? 1 : nCur + 1) << 4);
    return true;
}

std::string ReadMacroRecord(std::span<const uint8_t> r, int& nBuffer, std::span<const uint8_t>& bytes)
{
    constexpr uint8_t kTag1 = 2, kTag2 = 0;
    if (std::string v = CheckTag(r, kTag1, kTag2); !v.empty()) return v;
    nBuffer = r[kEmuPayloadAt];
    if (nBuffer < 1 || nBuffer > kEmuMacroBuffers)
        return "macro buffer " + std::to_string(nBuffer) + ", the mouse has 1 to " + std::to_string(kEmuMacroBuffers);
    bytes = r.subspan(kEmuPayloadAt + 1, kEmuMacroLen);
    return {};
}

// ---- readable forms -------------------------------------------------------------------------

std::string DescribeKeyCode(uint32_t dwCode)
{
    for (const Named& n : kFixedCodes)
        if (n.dwCode == dwCode) return n.pszName;
    const unsigned b0 = dwCode & 0xFF, b1 = (dwCode >> 8) & 0xFF, b2 = (dwCode >> 16) & 0xFF, b3 = dwCode >> 24;
    switch (b0) {
    case 0x21: return EmuPrintf("key: modifiers %02x, usages %02x %02x", b1, b2, b3);
    case 0x22: return EmuPrintf("media: bits %06x", dwCode >> 8);
    case 0x70: return EmuPrintf("macro: buffer %u, repeat mode %u, count %u", b1, b2, b3);
    case 0x31: return EmuPrintf("fire: button bits %02x, values %u %u", b1, b2, b3);
    case 0x32: return EmuPrintf("fire: key usage %02x, values %u %u", b1, b2, b3);
    case 0x33: return EmuPrintf("fire: modifier bits %02x, values %u %u", b1, b2, b3);
    case 0x42: return EmuPrintf("DPI hold: lock code %u", b1);
    default: break;
    }
    if ((b0 & 0xF0) == 0x60) {
        if (b1 & 0x80) return EmuPrintf("bullet %u (key %u): repeat mode %u, count %u", b1 & 0x7F, b0 & 0x0F, b2, b3);
        return EmuPrintf("gun preset (key %u): gun %u, scope %u, speed %u, compensation %u", b0 & 0x0F, (b1 & 0x0F) - 1,
                         b1 >> 4, b2, b3);
    }
    return EmuPrintf("code %08x", dwCode);
}

std::vector<std::string> DescribeMacroBuffer(std::span<const uint8_t> buf)
{
    std::vector<std::string> out;
    if (buf.size() < 2) return out;
    const size_t nCount = size_t(buf[0]) << 8 | buf[1];
    const size_t nFit = (buf.size() - 2) / 3;
    if (nCount > nFit) out.push_back(EmuPrintf("%zu events announced, %zu fit the buffer", nCount, nFit));
    for (size_t i = 0; i < nCount && i < nFit; ++i) {
        const uint8_t* e = &buf[2 + 3 * i];
        const int nKind = (e[0] >> 4) & 0x07;
        const unsigned nDelay = unsigned(e[0] & 0x0F) << 8 | e[1];
        const bool bMove = nKind >= 2 && nKind <= 4;
        const std::string strValue =
            bMove ? std::to_string(int(int8_t(e[2]))) : EmuPrintf("%02x %s", e[2], (e[0] & 0x80) ? "release" : "press");
        out.push_back(EmuPrintf("%zu: %s %s, %u ms", i + 1, KindName(nKind), strValue.c_str(), nDelay));
    }
    return out;
}

void DescribeMouseSettings(std::ostream& os, int nLiftOff, int nDebounce)
{
    os << "lift-off: " << (nLiftOff < 0 ? std::string("not set") : std::to_string(nLiftOff)) << "\n";
    os << "debounce: " << (nDebounce < 0 ? std::string("not set") : std::to_string(nDebounce)) << "\n";
}

void DescribeRateAndLevels(std::ostream& os, std::span<const uint8_t> b)
{
    const bool bXY = (b[2] & 0x80) != 0;
    os << EmuPrintf("  rate: %s, X and Y %s\n", EmuRateText(b[2] & 0x0F), bXY ? "apart" : "together");
    os << EmuPrintf("  DPI levels: %d enabled, current %d\n", b[3] & 0x0F, b[3] >> 4);
}

void DescribeKeys(std::ostream& os, std::span<const uint8_t> matrix)
{
    os << "  keys:\n";
    for (int p = 1; p <= kEmuKeys; ++p) {
        const uint32_t dw = KeyCodeAt(matrix, p);
        os << EmuPrintf("    %2d: %08x %s\n", p, dw, DescribeKeyCode(dw).c_str());
    }
}

void DescribeMacros(std::ostream& os, const std::map<int, std::array<uint8_t, kEmuMacroLen>>& macros)
{
    if (macros.empty()) os << "macros: none\n";
    for (const auto& [n, buf] : macros) {
        os << EmuPrintf("macro buffer %d: %u events\n", n, unsigned(buf[0]) << 8 | buf[1]);
        for (const std::string& l : DescribeMacroBuffer(buf)) os << "    " << l << "\n";
    }
}
