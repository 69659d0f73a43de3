// What the virtual pad holds, as text: the dump for people (DescribeState)
// and the saved state (StateText / RestoreStateText).
#include <sstream>

#include "emu/EmuHex.h"
#include "emu/EmuStateTable.h"
#include "emu/EmuStateText.h"
#include "emu/pad/EmuPad.h"

namespace {

constexpr EmuStateFormat kFormat{"zorvik-emu-state pad 1", "mouse pad", "the pad's block is needed"};

const char* BrightText(int nCode)
{
    static const char* const kText[] = {"20 %", "50 %", "70 %", "100 %"};
    return nCode >= 1 && nCode <= 4 ? kText[nCode - 1] : "unknown";
}

}  // namespace

std::string CEmuPad::DescribeState() const
{
    std::lock_guard lock(m_mtx);
    const Block& b = m_state.block;
    std::ostringstream os;
    os << EmuPrintf("mouse pad %s: %04x:%04x, version %04x\n", Name().c_str(), unsigned(m_cfg.nVID),
                    unsigned(m_cfg.nPID), unsigned(m_cfg.nVersion));
    const int nEffect = b[2], nBright = b[3] >> 4;
    os << EmuPrintf("lighting: effect %d, speed %d, brightness %s (code %d)\n", nEffect, b[3] & 0x0F,
                    BrightText(nBright), nBright);
    // Effect 4 says how many colours it has; the others show every colour up to the last one set.
    size_t nColours = 0;
    if (nEffect == 4) {
        nColours = std::min<size_t>(b[4], 7);
        os << "  colours in use: " << int(b[4]) << "\n";
    } else {
        for (size_t i = 0; i < 7; ++i)
            if (b[5 + 3 * i] || b[6 + 3 * i] || b[7 + 3 * i]) nColours = i + 1;
        if (nEffect == 1 || nEffect == 3) os << "  direction: " << (b[4] & 0x80 ? "first" : "second") << "\n";
    }
    for (size_t i = 0; i < nColours; ++i)
        os << EmuPrintf("  colour %zu: %02x %02x %02x\n", i + 1, b[5 + 3 * i], b[6 + 3 * i], b[7 + 3 * i]);
    if (nColours == 0) os << "  colours: none\n";
    os << "  block: " << EmuHex(b) << "\n";
    return os.str();
}

void CEmuPad::BindState(CEmuStateTable& t, State& s) const { t.Bytes("general", {std::span(s.block)}, "block"); }

std::string CEmuPad::StateText() const
{
    return EmuStateText(m_state, kFormat, [this](CEmuStateTable& t, State& s) { BindState(t, s); });
}

bool CEmuPad::RestoreStateText(std::string_view text, std::string& strErr)
{
    const auto bind = [this](CEmuStateTable& t, State& s) { BindState(t, s); };
    State s;
    if (!EmuReadState(text, State{}, s, kFormat, bind, strErr)) return false;
    if (std::string v = LightingRule(s.block); !v.empty()) {
        strErr = "the block holds " + v;
        return false;
    }
    // The first two bytes belong to the pad, not to the file.
    s.block[0] = m_cfg.header[0];
    s.block[1] = m_cfg.header[1];
    m_state = s;
    return true;
}
