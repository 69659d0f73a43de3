// What the virtual RGB keyboard holds, as text: the dump for people
// (DescribeState: keys by name with their functions, macros, the lighting of
// the configuration in use, the mode colours, per-key colours as a grid by key
// name) and the saved state (StateText / RestoreStateText).
#include <sstream>

#include "emu/EmuHex.h"
#include "emu/EmuStateTable.h"
#include "emu/EmuStateText.h"
#include "emu/kb/EmuKbText.h"
#include "emu/varorgb/EmuVaroRgb.h"

namespace {

constexpr EmuStateFormat kFormat{"zorvik-emu-state varorgb 1", "RGB keyboard", "the configuration is needed"};
constexpr size_t kCfgBlocksAt = 8, kCfgBlockLen = 123, kCfgWireless = 16;
constexpr int kGridColumns = 6;
constexpr size_t kModeRecords = 24;

}  // namespace

std::string CEmuVaroRgb::DescribeCode(uint32_t c)
{
    const uint8_t b0 = uint8_t(c), b1 = uint8_t(c >> 8), b2 = uint8_t(c >> 16), b3 = uint8_t(c >> 24);
    if (c == 0) return "(own function)";
    switch (b0) {
    case 0x00: return EmuKbModifiers(b2) + (b3 ? EmuKbUsageName(b3) : std::string());
    case 0x02: return EmuPrintf("Fn entry %u", b3);
    case 0x04: return EmuPrintf("consumer %04x", unsigned(b2) << 8 | b3);
    case 0x06: return "modifier " + EmuKbUsageName(b3);
    case 0x07: {
        static const char* const kButtons[5] = {"left", "right", "middle", "forward", "back"};
        return b3 >= 0xF0 && b3 <= 0xF4 ? std::string("mouse ") + kButtons[b3 - 0xF0] : EmuPrintf("mouse %02x", b3);
    }
    case 0x10: return EmuPrintf("macro buffer %u, repeat mode %02x", b3 + 1u, b2);
    case 0x20: return b1 == 0 && b2 == 0 && b3 == 0 ? "Fn" : EmuPrintf("code %08x", unsigned(c));
    default: return EmuPrintf("code %08x", unsigned(c));
    }
}

std::string CEmuVaroRgb::DescribeLocked() const
{
    const auto page = [this](uint8_t a) {
        const auto it = m_state.pages.find(a);
        return it == m_state.pages.end() ? Page{} : it->second;
    };
    const Page cfg = page(m_byCfgAddr);
    std::ostringstream os;
    os << EmuPrintf("%s keyboard %s: %04x:%04x, version %04x\n", m_cfg.nFwType == 23 ? "single-colour" : "RGB",
                    Name().c_str(), unsigned(m_cfg.nVID), unsigned(m_cfg.nPID), unsigned(m_cfg.nVersion));
    os << EmuPrintf("configuration in use: %u, %s\n", cfg[0], cfg[kCfgWireless] ? "wireless" : "wired");
    if (cfg[0] < 2) {
        const uint8_t* P = &cfg[kCfgBlocksAt + cfg[0] * kCfgBlockLen];
        os << EmuPrintf("lighting: mode %u, per-key colours %s, group byte %u\n", P[5], P[4] ? "on" : "off", P[6]);
        os << "  lighting block: " << EmuHex(std::span(P, kCfgBlockLen)) << "\n";
        // The mode records: two bytes a mode from 22 (colour and direction,
        // speed and brightness), one byte a mode from 19 on the single-colour keyboard.
        for (size_t m = 0; m < kModeRecords; ++m) {
            if (m_cfg.nFwType == 23) {
                const uint8_t sb = P[19 + m];
                os << EmuPrintf("  mode %2zu: speed %u, brightness %u\n", m, sb >> 4, sb & 0x0F);
            } else {
                const uint8_t c = P[22 + 2 * m], sb = P[23 + 2 * m];
                os << EmuPrintf("  mode %2zu: colour %u, direction %u, speed %u, brightness %u\n", m, c & 0x0F,
                                c >> 4, sb >> 4, sb & 0x0F);
            }
        }
    }
    const Page matrix = page(MatrixAddrLocked());
    const auto code = [&matrix](int i) {
        if (i < 0 || i >= int(kPageLen / 4)) return uint32_t{0};
        const uint8_t* p = &matrix[size_t(4 * i)];
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    };
    os << "keys:\n";
    for (const EmuKbKey& k : m_cfg.keys) {
        const uint32_t c = code(k.nPos);
        std::string strLine = EmuPrintf("  %-10s %s", k.strName.c_str(), DescribeCode(c).c_str());
        if ((c & 0xFF) == 0x02 && int(c >> 24) < m_cfg.nMaxFn) {
            const int e = int(c >> 24);
            strLine += "; key " + DescribeCode(code(132 + e)) + "; with Fn " + DescribeCode(code(132 + m_cfg.nMaxFn + e));
        }
        os << strLine << "\n";
    }
    os << "macros:\n";
    int nBuffer = 0;
    for (const uint8_t a : {uint8_t(0xDC), uint8_t(0xE0), uint8_t(0xE4), uint8_t(0xE8)}) {
        const Page p = page(a);
        for (size_t m = 0; m < 8; ++m, ++nBuffer) {
            const auto buf = std::span(p).subspan(m * 128, 128);
            if (std::all_of(buf.begin(), buf.end(), [](uint8_t v) { return v == 0; })) continue;
            const std::vector<std::string> lines = EmuKbDescribeMacro128(buf);
            os << EmuPrintf("  buffer %d:", nBuffer + 1);
            for (const std::string& s : lines) os << " " << s << ";";
            os << "\n";
        }
    }
    if (m_cfg.nFwType != 23) {
        const Page rgb = page(0xB8);
        os << "mode colours (colour table from byte 21, 7 colours of 3 bytes a mode):\n";
        for (size_t m = 0; m < 24 && 21 + 21 * (m + 1) <= kPageLen; ++m)
            os << EmuPrintf("  mode %2zu: ", m) << EmuHex(std::span(rgb).subspan(21 + 21 * m, 21)) << "\n";
    }
    // Per-key colours: the first group of the lighting blocks, by key name at
    // the key's LED position (where the keyboard keeps its colour).
    const Page led0 = page(0xBC);
    os << "per-key colours, group 1 (" << (m_cfg.nFwType == 23 ? "on/off" : "three planes of 126") << "):\n";
    int nCol = 0;
    for (const EmuKbKey& k : m_cfg.keys) {
        std::string strVal;
        if (k.nLed < 0) continue;  // a key without a light
        const size_t n = size_t(k.nLed);
        if (m_cfg.nFwType == 23) {
            strVal = n < 132 && led0[n] ? "on" : "-";
        } else {
            if (n >= 126) continue;
            strVal = EmuPrintf("%02x%02x%02x", led0[n], led0[126 + n], led0[252 + n]);
        }
        os << (nCol == 0 ? "  " : "  ") << EmuPrintf("%-9s %-6s", k.strName.c_str(), strVal.c_str());
        if (++nCol == kGridColumns) {
            os << "\n";
            nCol = 0;
        }
    }
    if (nCol) os << "\n";
    os << EmuPrintf("music frames received: %d\n", m_state.nFrames);
    return os.str();
}

void CEmuVaroRgb::BindState(CEmuStateTable& t, State& s) const
{
    t.Numbered("page", s.pages, 255, "page");
    t.Bytes("effect", {std::span<uint8_t>(s.effect)}, "effect");
}

std::string CEmuVaroRgb::StateText() const
{
    return EmuStateText(m_state, kFormat, [this](CEmuStateTable& t, State& s) { BindState(t, s); });
}

bool CEmuVaroRgb::RestoreStateText(std::string_view text, std::string& strErr)
{
    const auto bind = [this](CEmuStateTable& t, State& s) { BindState(t, s); };
    if (!EmuReadState(text, State{}, m_state, kFormat, bind, strErr)) return false;
    if (!m_state.pages.count(m_byCfgAddr)) {
        FillFactory();  // a file without the configuration: the factory's
    }
    return true;
}
