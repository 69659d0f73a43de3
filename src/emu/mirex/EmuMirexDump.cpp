// What the virtual wired mouse holds, as text: the dump for people
// (DescribeState) and the saved state (StateText / RestoreStateText).
#include <sstream>

#include "emu/EmuHex.h"
#include "emu/EmuStateText.h"
#include "emu/mirex/EmuMirex.h"

namespace {

constexpr EmuStateFormat kFormat{"zorvik-emu-state mirex 1", "wired mouse",
                                 "the blocks and key matrices of all three modes are needed"};
constexpr size_t kDataFrom = 46, kDataLen = 77;  // the lighting data shown as bytes
constexpr size_t kCodesEnd = 20;                 // level codes live in bytes 5..20

}  // namespace

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
    DescribeMouseSettings(os, m_state.nLiftOff, m_state.nDebounce);
    for (int m = 0; m < kModes; ++m) {
        const auto& b = m_state.block[size_t(m)];
        const int nLevels = b[3] & 0x0F;
        const bool bXY = (b[2] & 0x80) != 0;
        os << EmuPrintf("mode %d:\n", m + 1);
        DescribeRateAndLevels(os, b);
        for (int i = 0; i < 8; ++i) {
            const uint8_t* c = &b[kLayout.nColoursAt + size_t(3 * i)];
            std::string strCode = "-";
            if (i < nLevels && size_t(bXY ? 5 + 2 * i + 1 : 5 + i) <= kCodesEnd)
                strCode = bXY ? EmuPrintf("%02x/%02x", b[size_t(5 + 2 * i)], b[size_t(6 + 2 * i)])
                              : EmuPrintf("%02x", b[size_t(5 + i)]);
            os << EmuPrintf("    level %d: code %s, colour %02x %02x %02x\n", i + 1, strCode.c_str(), c[0], c[1], c[2]);
        }
        os << EmuPrintf("  lighting: effect %u\n", b[kLayout.nEffectAt]);
        os << "    data 46-122: " << EmuHex(std::span(b).subspan(kDataFrom, kDataLen)) << "\n";
        DescribeKeys(os, m_state.matrix[size_t(m)]);
    }
    DescribeMacros(os, m_state.macros);
    return os.str();
}

void CEmuMirex::BindState(CEmuStateTable& t, State& s) const
{
    t.Number("mode", s.nMode, 1, kModes, "mode");
    AddMouseSettings(t, s);
    AddMouseMemory(t, s, kLayout);
}

std::string CEmuMirex::StateText() const
{
    return EmuStateText(m_state, kFormat, [this](CEmuStateTable& t, State& s) { BindState(t, s); });
}

bool CEmuMirex::RestoreStateText(std::string_view text, std::string& strErr)
{
    const auto bind = [this](CEmuStateTable& t, State& s) { BindState(t, s); };
    if (!EmuReadState(text, State{}, m_state, kFormat, bind, strErr)) return false;
    ::SetSensorCode(m_state, m_bySensorCode);  // the sensor belongs to the mouse, not to the file
    return true;
}
