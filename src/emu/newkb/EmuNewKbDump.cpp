// What the virtual type-24 keyboard holds, as text: the dump for people
// (DescribeState: keys by name with their functions, macros, the lighting
// block with its mode records, the mode colours, per-key colours of each
// group as a grid by key name) and the saved state (StateText / RestoreStateText).
#include <algorithm>
#include <sstream>

#include "core/Utf.h"
#include "device/kb/KbUsage.h"
#include "emu/EmuHex.h"
#include "emu/EmuStateTable.h"
#include "emu/EmuStateText.h"
#include "emu/newkb/EmuNewKb.h"
#include "keys/KeyNames.h"

namespace {

constexpr EmuStateFormat kFormat{"zorvik-emu-state newkb 1", "type-24 keyboard", "every object is needed"};
constexpr int kGridColumns = 6;
constexpr size_t kLedGlobal = 8;
constexpr size_t kModeEntriesAt = 22;    // in the profile part

std::string UsageName(uint8_t u)
{
    if (u == 0) return {};
    for (int vk = 1; vk < 256; ++vk) {
        if (kb::KbVkToHid(uint8_t(vk)) != u) continue;
        std::string s = U16ToUtf8(GetKeyName(uint32_t(vk)));
        if (!s.empty() && s != " ") return s;
        break;
    }
    return "usage " + Hex2(u);
}

// The modifier bits of a key code by the names of their keys (bit 0 left Ctrl ... bit 7 right Win).
std::string Modifiers(uint8_t m)
{
    std::string s;
    for (uint8_t bit = 0; bit < 8; ++bit)
        if (m >> bit & 1) s += UsageName(uint8_t(0xE0 + bit)) + "+";
    return s;
}

}  // namespace

std::string CEmuNewKb::DescribeCode(uint32_t c)
{
    const uint8_t b0 = uint8_t(c), b1 = uint8_t(c >> 8), b2 = uint8_t(c >> 16), b3 = uint8_t(c >> 24);
    if (c == 0) return "off";
    if (c == 0x0D) return "Fn";
    switch (b0) {
    case 0x00: {
        std::string s = Modifiers(b1) + UsageName(b3);
        if (b2) s += "+" + UsageName(b2);
        if (!s.empty() && s.back() == '+') s.pop_back();
        return s;
    }
    case 0x01: {
        static const char* const kButtons[6] = {"?", "left", "right", "middle", "forward", "back"};
        const char* pszButton = b1 <= 5 ? kButtons[b1] : "?";
        if (b2 == 0 && b3 == 0) return EmuPrintf("fire %s", pszButton);
        if (b3 == 0 && b2 <= 3) return EmuPrintf("mouse %s%s", pszButton, b2 == 2 ? " double" : b2 == 3 ? " triple" : "");
        return EmuPrintf("fire %s, %u/%u", pszButton, unsigned(b2), unsigned(b3));
    }
    case 0x02: return EmuPrintf("consumer %04x", unsigned(b2) << 8 | b3);
    case 0x03: return EmuPrintf("macro %u, repeat bit %u, count %u", unsigned(b3), unsigned(b1), unsigned(b2));
    case 0x0A: return EmuPrintf("snipe, lock code %02x", unsigned(b1));
    default: return EmuPrintf("device function %08x", unsigned(c));
    }
}

std::vector<std::string> CEmuNewKb::DescribeMacros(std::span<const uint8_t> a)
{
    std::vector<std::string> out;
    if (a.size() < 4) return out;
    const size_t nToc = size_t(a[0] | a[1] << 8);
    for (size_t k = 0; k < nToc / 4 && 4 * k + 3 < a.size(); ++k) {
        const size_t nOff = size_t(a[4 * k] | a[4 * k + 1] << 8), nLen = size_t(a[4 * k + 2] | a[4 * k + 3] << 8);
        if (nOff + nLen > a.size() || nLen < 30) {
            out.push_back(EmuPrintf("%zu: (damaged entry)", k));
            continue;
        }
        std::u16string name;
        for (size_t i = 0; i < 15; ++i) {
            const char16_t ch = char16_t(a[nOff + 2 * i] | a[nOff + 2 * i + 1] << 8);
            if (!ch) break;
            name += ch;
        }
        std::string s = EmuPrintf("%zu: ", k) + U16ToUtf8(name) + ":";
        for (size_t i = nOff + 30; i + 2 < nOff + nLen + 1 && i + 2 < a.size(); i += 3) {
            const uint8_t kind = (a[i] >> 4) & 7, code = a[i + 2];
            const unsigned nDelay = unsigned(a[i] & 0x0F) << 8 | a[i + 1];
            std::string what = kind == 2 ? EmuPrintf("button %u", unsigned(code)) : UsageName(code);
            s += EmuPrintf(" %s %s, %u ms;", (a[i] & 0x80) ? "release" : "press", what.c_str(), nDelay);
        }
        out.push_back(s);
    }
    return out;
}

std::string CEmuNewKb::DescribeLocked() const
{
    std::ostringstream os;
    os << EmuPrintf("type-24 keyboard %s: %04x:%04x, version %04x\n", Name().c_str(), unsigned(m_cfg.nVID),
                    unsigned(m_cfg.nPID), unsigned(m_cfg.nVersion));
    const auto code = [this](int nPos) {
        const uint8_t* p = &m_state.matrix[size_t(4 * nPos)];
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    };
    os << "keys:\n";
    for (const EmuKbKey& k : m_cfg.keys)
        os << EmuPrintf("  %-12s %s\n", k.strName.c_str(), DescribeCode(code(k.nPos)).c_str());
    os << "macros:\n";
    for (const std::string& s : DescribeMacros(std::span(m_state.macro).first(size_t(m_state.nMacroLen))))
        os << "  " << s << "\n";
    const uint8_t* P = &m_state.led[kLedGlobal];
    const size_t o = size_t(std::clamp(m_cfg.nSelectAt, 0, int(kLedLen - kLedGlobal - 3)));
    os << EmuPrintf("lighting: per-key colours %s, mode %u, group byte %u\n", P[o] ? "on" : "off", unsigned(P[o + 1]),
                    unsigned(P[o + 2]));
    os << "  lighting block: " << EmuHex(m_state.led) << "\n";
    for (int m = 0; m < m_cfg.nModes && kModeEntriesAt + 2 * size_t(m) + 1 < kLedLen - kLedGlobal; ++m) {
        const uint8_t c = P[kModeEntriesAt + 2 * size_t(m)], sb = P[kModeEntriesAt + 2 * size_t(m) + 1];
        os << EmuPrintf("  mode %2d: colour %u, direction %u, speed %u, brightness %u\n", m, c & 0x0F, c >> 4, sb >> 4,
                        sb & 0x0F);
    }
    os << "mode colours (7 colours of 3 bytes a mode):\n";
    for (int m = 0; 21 * (m + 1) <= m_state.nRgbLen; ++m)
        os << EmuPrintf("  mode %2d: ", m) << EmuHex(std::span(m_state.rgb).subspan(size_t(21 * m), 21)) << "\n";
    for (const auto& [n, planes] : m_state.game) {
        os << EmuPrintf("per-key colours, group %d (three planes of 126, bytes in plane order):\n", n);
        int nCol = 0;
        for (const EmuKbKey& k : m_cfg.keys) {
            if (k.nLed < 0 || k.nLed >= 126) continue;
            const size_t l = size_t(k.nLed);
            os << "  " << EmuPrintf("%-9s %02x%02x%02x", k.strName.c_str(), planes[l], planes[126 + l], planes[252 + l]);
            if (++nCol == kGridColumns) {
                os << "\n";
                nCol = 0;
            }
        }
        if (nCol) os << "\n";
    }
    os << EmuPrintf("real-time writes: %d\n", m_state.nRealWrites);
    return os.str();
}

void CEmuNewKb::BindState(CEmuStateTable& t, State& s) const
{
    t.Bytes("matrix", {std::span<uint8_t>(s.matrix)}, "matrix");
    t.Bytes("led", {std::span<uint8_t>(s.led)}, "lighting block");
    t.Number("rgb-length", s.nRgbLen, 0, int(kRgbMax));
    t.Bytes("rgb", {std::span<uint8_t>(s.rgb)}, "colour table");
    t.Number("macro-length", s.nMacroLen, 0, int(kMacroAreaMax));
    t.Bytes("macro", {std::span<uint8_t>(s.macro)}, "macro area");
    t.Numbered("group", s.game, 256, "group");
    t.Bytes("real", {std::span<uint8_t>(s.real)}, "real-time buffer");
}

std::string CEmuNewKb::StateText() const
{
    return EmuStateText(m_state, kFormat, [this](CEmuStateTable& t, State& s) { BindState(t, s); });
}

bool CEmuNewKb::RestoreStateText(std::string_view text, std::string& strErr)
{
    const auto bind = [this](CEmuStateTable& t, State& s) { BindState(t, s); };
    return EmuReadState(text, State{}, m_state, kFormat, bind, strErr);
}
