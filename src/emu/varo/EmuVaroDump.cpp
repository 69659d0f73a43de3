// What the virtual type-21 keyboard holds, as text: the dump for people
// (DescribeState: the lighting mode record, keys by name with their functions,
// macros, per-key colours as a grid by key name for every group) and the saved
// state (StateText / RestoreStateText).
#include <climits>
#include <sstream>

#include "core/Utf.h"
#include "device/kb/KbUsage.h"
#include "emu/EmuHex.h"
#include "emu/EmuStateTable.h"
#include "emu/EmuStateText.h"
#include "emu/varo/EmuVaro.h"
#include "keys/KeyNames.h"

namespace {

constexpr EmuStateFormat kFormat{"zorvik-emu-state varo 1", "type-21 keyboard",
                                 "the lighting state, the matrix and the macro area are needed"};
constexpr int kGridColumns = 6;

// The name of a keyboard-page usage, by the key that sends it.
std::string UsageText(uint8_t byUsage)
{
    for (int vk = 1; vk < 256; ++vk)
        if (kb::KbVkToHid(uint8_t(vk)) == byUsage) return U16ToUtf8(GetKeyName(uint32_t(vk)));
    return "usage " + Hex2(byUsage);
}

std::string ModifierText(uint8_t byBits)
{
    std::string s;
    for (int i = 0; i < 8; ++i)
        if (byBits & (1 << i)) s += UsageText(uint8_t(0xE0 + i)) + "+";
    return s;
}

}  // namespace

std::string CEmuVaro::DescribeCode(uint32_t c)
{
    const uint8_t b0 = uint8_t(c), b1 = uint8_t(c >> 8), b2 = uint8_t(c >> 16), b3 = uint8_t(c >> 24);
    if (c == 0) return "(own function)";
    if (c == 0x00B00000) return "Fn";
    switch (b0) {
    case 0x00: {
        std::string s = ModifierText(b1);
        if (b2) s += UsageText(b2);
        if (b3) s += "+" + UsageText(b3);
        if (!s.empty() && s.back() == '+') s.pop_back();
        return s;
    }
    case 0x01: return EmuPrintf("consumer %04x", unsigned(b2) << 8 | b3);
    case 0x02: return EmuPrintf("macro buffer %u, repeat mode %x, count %u", b1 + 1u, b2, b3);
    case 0x10:
        switch (c) {
        case 0x0000F010: return "mouse left";
        case 0x0000F110: return "mouse right";
        case 0x0000F210: return "mouse middle";
        case 0x0000F310: return "mouse back";
        case 0x0000F410: return "mouse forward";
        default: break;
        }
        break;
    case 0x30:
        if (c == 0x00000130) return "mouse three";
        break;
    default: break;
    }
    return EmuPrintf("code %08x", unsigned(c));
}

std::vector<std::string> CEmuVaro::DescribeMacro(std::span<const uint8_t> b)
{
    std::vector<std::string> out;
    for (size_t i = 0; i + 3 <= b.size(); i += 3) {
        if (b[i + 2] == 0) break;
        const unsigned nDelay = 10 * ((b[i] & 0x7Fu) | (b[i + 1] & 0x0Fu) << 7);
        const int nKind = b[i + 1] >> 4;
        std::string strWhat;
        if (nKind == 15) strWhat = ModifierText(b[i + 2]).substr(0, ModifierText(b[i + 2]).size() - 1);
        else if (nKind == 2) strWhat = EmuPrintf("button %02x", b[i + 2]);
        else strWhat = UsageText(b[i + 2]);
        out.push_back(EmuPrintf("%s %s, %u ms", (b[i] & 0x80) ? "release" : "press", strWhat.c_str(), nDelay));
    }
    return out;
}

std::string CEmuVaro::DescribeLocked() const
{
    std::ostringstream os;
    os << EmuPrintf("keyboard %s: %04x:%04x, version %04x\n", Name().c_str(), unsigned(m_cfg.nVID),
                    unsigned(m_cfg.nPID), unsigned(m_cfg.nVersion));
    const auto& l = m_state.led;
    os << EmuPrintf("lighting: mode %u, group %u, speed %u, brightness %u, colour flag %u, colour %02x%02x%02x\n",
                    l[0], l[1], l[2], l[3], l[4], l[5], l[6], l[7]);
    os << "keys:\n";
    for (const EmuKbKey& k : m_cfg.keys)
        os << EmuPrintf("  %-10s %s\n", k.strName.c_str(), DescribeCode(CodeLocked(k.nPos)).c_str());
    os << "macros:\n";
    for (int b = 0; b < kMacros; ++b) {
        const auto buf = std::span(m_state.macro).subspan(size_t(b) * kMacroLen, kMacroLen);
        const std::vector<std::string> lines = DescribeMacro(buf);
        if (lines.empty()) continue;
        os << EmuPrintf("  buffer %d:", b + 1);
        for (const std::string& s : lines) os << " " << s << ";";
        os << "\n";
    }
    for (const auto& [nKey, planes] : m_state.colours) {
        os << EmuPrintf("per-key colours, group byte %d (red green blue):\n", nKey - 1);
        int nCol = 0;
        for (const EmuKbKey& k : m_cfg.keys) {
            if (k.nLed < 0 || k.nLed >= kCodes) continue;
            const size_t n = size_t(k.nLed);
            os << "  " << EmuPrintf("%-9s %02x%02x%02x", k.strName.c_str(), planes[n], planes[kCodes + n], planes[2 * kCodes + n]);
            if (++nCol == kGridColumns) {
                os << "\n";
                nCol = 0;
            }
        }
        if (nCol) os << "\n";
    }
    if (m_state.colours.empty()) os << "per-key colours: none\n";
    os << EmuPrintf("music frames received: %d\n", m_state.nFrames);
    return os.str();
}

void CEmuVaro::BindState(CEmuStateTable& t, State& s) const
{
    t.Bytes("led", {std::span<uint8_t>(s.led)}, "led");
    t.Bytes("matrix", {std::span<uint8_t>(s.matrix)}, "matrix");
    t.Bytes("macro", {std::span<uint8_t>(s.macro)}, "macro");
    t.Numbered("colour", s.colours, 256, "group");
    t.Number("frames", s.nFrames, 0, INT_MAX);
}

std::string CEmuVaro::StateText() const
{
    return EmuStateText(m_state, kFormat, [this](CEmuStateTable& t, State& s) { BindState(t, s); });
}

bool CEmuVaro::RestoreStateText(std::string_view text, std::string& strErr)
{
    const auto bind = [this](CEmuStateTable& t, State& s) { BindState(t, s); };
    return EmuReadState(text, State{}, m_state, kFormat, bind, strErr);
}
