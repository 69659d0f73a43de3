// What the virtual wired mouse holds, as text: the dump for people
// (DescribeState) and the saved state (StateText / RestoreStateText).
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <sstream>

#include "emu/EmuHex.h"
#include "emu/EmuStateText.h"
#include "emu/mirex/EmuMirex.h"

namespace {

constexpr const char* kStateHeader = "zorvik-emu-state mirex 1";

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

std::string CEmuMirex::DescribeKeyCode(uint32_t dwCode)
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

std::vector<std::string> CEmuMirex::DescribeMacroBuffer(std::span<const uint8_t> buf)
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

std::string CEmuMirex::DescribeState() const
{
    std::lock_guard lock(m_mtx);
    return DescribeLocked();
}

std::string CEmuMirex::DescribeLocked() const
{
    std::ostringstream os;
    os << EmuPrintf("wired mouse %s: %04x:%04x, version %04x, sensor code %u\n", Name().c_str(), unsigned(m_cfg.nVID),
                 unsigned(m_cfg.nPID), unsigned(m_cfg.nVersion), unsigned(m_bySensorCode));
    os << "current mode: " << m_state.nMode << "\n";
    os << "lift-off: " << (m_state.nLiftOff < 0 ? std::string("not set") : std::to_string(m_state.nLiftOff)) << "\n";
    os << "debounce: " << (m_state.nDebounce < 0 ? std::string("not set") : std::to_string(m_state.nDebounce)) << "\n";
    for (int m = 0; m < kModes; ++m) {
        const auto& b = m_state.block[size_t(m)];
        const int nLevels = b[3] & 0x0F;
        const bool bXY = (b[2] & 0x80) != 0;
        os << EmuPrintf("mode %d:\n", m + 1);
        os << EmuPrintf("  rate: %s, X and Y %s\n", EmuRateText(b[2] & 0x0F), bXY ? "apart" : "together");
        os << EmuPrintf("  DPI levels: %d enabled, current %d\n", nLevels, b[3] >> 4);
        for (int i = 0; i < 8; ++i) {
            const uint8_t* c = &b[size_t(21 + 3 * i)];
            std::string strCode = "-";
            if (i < nLevels && (bXY ? 5 + 2 * i + 1 : 5 + i) <= 20)
                strCode = bXY ? EmuPrintf("%02x/%02x", b[size_t(5 + 2 * i)], b[size_t(6 + 2 * i)])
                              : EmuPrintf("%02x", b[size_t(5 + i)]);
            os << EmuPrintf("    level %d: code %s, colour %02x %02x %02x\n", i + 1, strCode.c_str(), c[0], c[1], c[2]);
        }
        os << EmuPrintf("  lighting: effect %u\n", b[45]);
        os << "    data 46-122: " << EmuHex(std::span(b).subspan(46, 77)) << "\n";
        os << "  keys:\n";
        const auto& mx = m_state.matrix[size_t(m)];
        for (int p = 0; p < 20; ++p) {
            const uint32_t dw = uint32_t(mx[size_t(4 * p)]) | uint32_t(mx[size_t(4 * p + 1)]) << 8 |
                                uint32_t(mx[size_t(4 * p + 2)]) << 16 | uint32_t(mx[size_t(4 * p + 3)]) << 24;
            os << EmuPrintf("    %2d: %08x %s\n", p + 1, dw, DescribeKeyCode(dw).c_str());
        }
    }
    if (m_state.macros.empty()) os << "macros: none\n";
    for (const auto& [n, buf] : m_state.macros) {
        const auto lines = DescribeMacroBuffer(buf);
        os << EmuPrintf("macro buffer %d: %u events\n", n, unsigned(buf[0]) << 8 | buf[1]);
        for (const std::string& l : lines) os << "    " << l << "\n";
    }
    return os.str();
}

std::string CEmuMirex::StateText() const
{
    std::ostringstream os;
    os << kStateHeader << "\n";
    os << "mode " << m_state.nMode << "\n";
    os << "liftoff " << m_state.nLiftOff << "\n";
    os << "debounce " << m_state.nDebounce << "\n";
    for (int m = 0; m < kModes; ++m) os << "block " << m + 1 << " " << EmuHex(m_state.block[size_t(m)]) << "\n";
    for (int m = 0; m < kModes; ++m) os << "matrix " << m + 1 << " " << EmuHex(m_state.matrix[size_t(m)]) << "\n";
    for (const auto& [n, buf] : m_state.macros) os << "macro " << n << " " << EmuHex(buf) << "\n";
    return os.str();
}

bool CEmuMirex::RestoreStateText(std::string_view text, std::string& strErr)
{
    State s;
    unsigned nSeen = 0;  // bit m: block of mode m + 1, bit 3 + m: its matrix
    const bool bRead = ForEachStateEntry(
        text, kStateHeader, "wired mouse", [&](std::string_view key, std::string_view rest) -> std::string {
        if (key == "mode" || key == "liftoff" || key == "debounce") {
            int v = 0;
            if (!EmuParseInt(rest, v)) return "a number is expected";
            if (key == "mode") {
                if (v < 1 || v > kModes) return "mode " + std::to_string(v) + " does not exist";
                s.nMode = v;
            } else {
                if (v < -1 || v > 255) return "value out of range";
                (key == "liftoff" ? s.nLiftOff : s.nDebounce) = v;
            }
            return {};
        }
        const size_t nLen = key == "block" ? kBlockLen : key == "matrix" ? kMatrixLen : key == "macro" ? kMacroLen : 0;
        if (nLen == 0) return "unknown entry " + std::string(key);
        const size_t nSp2 = rest.find(' ');
        int nIndex = 0;
        if (nSp2 == std::string_view::npos || !EmuParseInt(rest.substr(0, nSp2), nIndex)) return "a number is expected";
        const auto bytes = EmuParseHex(rest.substr(nSp2 + 1), nLen);
        if (!bytes || bytes->size() != nLen) return std::string(key) + " needs " + std::to_string(nLen) + " bytes";
        if (key == "macro") {
            if (nIndex < 1 || nIndex > kBufferMax) return "macro buffer " + std::to_string(nIndex) + " does not exist";
            std::ranges::copy(*bytes, s.macros[nIndex].begin());
        } else {
            if (nIndex < 1 || nIndex > kModes) return "mode " + std::to_string(nIndex) + " does not exist";
            if (key == "block") std::ranges::copy(*bytes, s.block[size_t(nIndex - 1)].begin());
            else std::ranges::copy(*bytes, s.matrix[size_t(nIndex - 1)].begin());
            nSeen |= 1u << (nIndex - 1 + (key == "block" ? 0 : kModes));
        }
        return {};
    }, strErr);
    if (!bRead) return false;
    if (nSeen != (1u << 2 * kModes) - 1) {
        strErr = "the blocks and key matrices of all three modes are needed";
        return false;
    }
    for (auto& b : s.block) b[1] = m_bySensorCode;  // the sensor belongs to the mouse, not to the file
    m_state = std::move(s);
    return true;
}
