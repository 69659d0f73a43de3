// What the virtual Selk keyboard holds, as text: the dump for people
// (DescribeState: keys by name with their functions, macros, the lighting
// mode records, the mode colours, per-key colours as a grid by key name) and
// the saved state (StateText / RestoreStateText).
#include <algorithm>
#include <sstream>

#include "emu/EmuHex.h"
#include "emu/EmuStateTable.h"
#include "emu/EmuStateText.h"
#include "emu/kb/EmuKbText.h"
#include "emu/selk/EmuSelk.h"

namespace {

constexpr EmuStateFormat kFormat{"zorvik-emu-state selk 1", "Selk keyboard", "the memory is needed"};
constexpr size_t kPAt = 8, kPMarkAt = 62;
constexpr int kGridColumns = 6;
constexpr int kPlane = 132;
constexpr size_t kGroupLen = 3 * kPlane;
constexpr int kFnSingle = 132, kFnCombo = 132 + 48;

// A key block value, read high byte first.
std::string DescribeValue(uint32_t v)
{
    if (v == 0) return "(own function)";
    const uint8_t kind = uint8_t(v >> 24), b1 = uint8_t(v >> 16), b2 = uint8_t(v >> 8), b3 = uint8_t(v);
    switch (kind) {
    case 0x00: return v == 0x130 ? "mouse third function" : EmuKbModifiers(b2) + (b3 ? EmuKbUsageName(b3) : std::string());
    case 0x02: return EmuPrintf("Fn entry %u", b3);
    case 0x04: return EmuPrintf("consumer %04x", unsigned(v & 0xFFFF));
    case 0x06: return "modifier " + EmuKbUsageName(b3);
    case 0x07: {
        static const char* const kButtons[5] = {"left", "right", "middle", "forward", "back"};
        return b3 >= 0xF0 && b3 <= 0xF4 ? std::string("mouse ") + kButtons[b3 - 0xF0] : EmuPrintf("mouse %02x", b3);
    }
    case 0x10: return EmuPrintf("macro buffer %u, repeat mode %02x", b3 + 1u, b2);
    case 0x20:
        if (v == 0x20000000) return "Fn";
        break;
    default: break;
    }
    if (b3 == 0x20) return EmuPrintf("fire key %s, %u x %u", EmuKbUsageName(b2).c_str(), unsigned(kind), unsigned(b1));
    return EmuPrintf("code %08x", unsigned(v));
}

}  // namespace

std::string CEmuSelk::DescribeLocked() const
{
    const std::vector<uint8_t> cfg = ReadLocked(0, kCfgLen);
    std::ostringstream os;
    os << EmuPrintf("Selk keyboard %s: %04x:%04x, version %04x\n", Name().c_str(), unsigned(m_cfg.nVID),
                    unsigned(m_cfg.nPID), unsigned(m_cfg.nVersion));
    os << EmuPrintf("configuration in use: %u\n", cfg[0]);
    const uint8_t* P = &cfg[kPAt];
    const size_t o = size_t(std::clamp(m_cfg.nModeSelectAt, 0, int(kPMarkAt) - 3));
    os << EmuPrintf("lighting: mode byte %u, per-key colours %s, group byte %u, marks %02x %02x\n", P[o + 1],
                    P[o] ? "on" : "off", P[o + 2], P[kPMarkAt], P[kPMarkAt + 1]);
    os << "  lighting part: " << EmuHex(std::span(P, 64)) << "\n";
    for (int m = 0; m < m_cfg.nModes; ++m) {
        const size_t at = size_t(m_cfg.nModeEntriesAt) + 2 * size_t(m);
        if (at + 1 >= kPMarkAt) break;
        const uint8_t c = P[at], sb = P[at + 1];
        os << EmuPrintf("  mode %2d: colour %u, direction %u, speed %u, brightness %u\n", m, c & 0x0F, c >> 4,
                        sb >> 4, sb & 0x0F);
    }
    const std::vector<uint8_t> keys = ReadLocked(0xC8, kBlockLen);
    const auto value = [&keys](int i) {
        const uint8_t* p = &keys[size_t(4 * i)];
        return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
    };
    os << "keys:\n";
    for (const EmuKbKey& k : m_cfg.keys) {
        const uint32_t v = value(k.nPos);
        std::string strLine = EmuPrintf("  %-10s %s", k.strName.c_str(), DescribeValue(v).c_str());
        if (v >> 24 == 0x02 && (v & 0xFF) < 48) {
            const int e = int(v & 0xFF);
            strLine += "; key " + DescribeValue(value(kFnSingle + e)) + "; with Fn " + DescribeValue(value(kFnCombo + e));
        }
        os << strLine << "\n";
    }
    os << "macros:\n";
    int nBuffer = 0;
    for (const int a : {0xCC, 0xD0, 0xD4, 0xD8}) {
        const std::vector<uint8_t> blk = ReadLocked(a, kBlockLen);
        for (size_t m = 0; m < 8; ++m, ++nBuffer) {
            const auto buf = std::span(blk).subspan(m * 128, 128);
            if (std::all_of(buf.begin(), buf.end(), [](uint8_t v) { return v == 0; })) continue;
            os << EmuPrintf("  buffer %d:", nBuffer + 1);
            for (const std::string& s : EmuKbDescribeMacro128(buf)) os << " " << s << ";";
            os << "\n";
        }
    }
    const std::vector<uint8_t> rgb = ReadLocked(0xA8, kBlockLen);
    os << "mode colours (from byte 21, 7 colours of 3 bytes a mode):\n";
    for (int m = 0; m < m_cfg.nModes && 21 + 21 * size_t(m + 1) <= kBlockLen; ++m)
        os << EmuPrintf("  mode %2d: ", m) << EmuHex(std::span(rgb).subspan(21 + 21 * size_t(m), 21)) << "\n";
    bool bAnyGroup = false;
    for (int g = 0; g < 2 * m_cfg.nLedBlocks; ++g) {
        const std::vector<uint8_t> blk = ReadLocked(m_cfg.nLedAddr + 4 * (g / 2), kBlockLen);
        const auto grp = std::span(blk).subspan(size_t(g % 2) * kGroupLen, kGroupLen);
        if (std::all_of(grp.begin(), grp.end(), [](uint8_t v) { return v == 0; })) continue;
        bAnyGroup = true;
        os << EmuPrintf("per-key colours, group %d (red green blue):\n", g + 1);
        int nCol = 0;
        for (const EmuKbKey& k : m_cfg.keys) {
            if (k.nLed < 0) continue;
            const std::string strVal = EmuPrintf("%02x%02x%02x", grp[size_t(2 * kPlane + k.nLed)],
                                                 grp[size_t(kPlane + k.nLed)], grp[size_t(k.nLed)]);
            os << EmuPrintf("  %-9s %-6s", k.strName.c_str(), strVal.c_str());
            if (++nCol == kGridColumns) {
                os << "\n";
                nCol = 0;
            }
        }
        if (nCol) os << "\n";
    }
    if (!bAnyGroup) os << "per-key colours: none\n";
    return os.str();
}

namespace {

// The state file numbers pages from 1: entry n is the page at address n - 1.
struct FileState {
    std::map<int, CEmuSelk::Page> pages;
};

void Bind(CEmuStateTable& t, FileState& s) { t.Numbered("page", s.pages, 256, "page"); }

}  // namespace

std::string CEmuSelk::StateText() const
{
    FileState f;
    for (const auto& [p, bytes] : m_state.pages)
        if (std::any_of(bytes.begin(), bytes.end(), [](uint8_t v) { return v != 0; })) f.pages[p + 1] = bytes;
    return EmuStateText(f, kFormat, Bind);
}

bool CEmuSelk::RestoreStateText(std::string_view text, std::string& strErr)
{
    FileState f;
    if (!EmuReadState(text, FileState{}, f, kFormat, Bind, strErr)) return false;
    m_state = State{};
    for (const auto& [n, bytes] : f.pages) m_state.pages[n - 1] = bytes;
    if (!m_state.pages.count(0)) FillFactory();  // a file without the configuration: the factory's
    return true;
}
