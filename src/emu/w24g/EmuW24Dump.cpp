// What the virtual wireless mouse holds, as text: the dump for people
// (Describe) and the saved state (StateText / RestoreStateText).
#include <sstream>

#include "emu/EmuHex.h"
#include "emu/EmuStateText.h"
#include "emu/w24g/EmuReceiver.h"
#include "emu/w24g/EmuW24Mouse.h"

namespace {

constexpr EmuStateFormat kFormat{"zorvik-emu-state w24g 1", "wireless mouse",
                                 "the blocks and key matrices of both profiles are needed"};


unsigned Le16(const uint8_t* p) { return unsigned(p[0]) | unsigned(p[1]) << 8; }

}  // namespace

std::string CEmuW24Mouse::Describe() const
{
    // The links are asked first: the mouse's lock is never held while one is.
    const auto cable = m_cable.lock();
    const auto receiver = m_receiver.lock();
    const bool bCablePlugged = cable && cable->IsPlugged();
    const bool bReceiverPlugged = receiver && receiver->IsPlugged();
    const bool bAway = receiver && receiver->MouseAway();
    std::lock_guard lock(m_mtx);
    std::ostringstream os;
    os << EmuPrintf("wireless mouse %s: kind %d, %04x:%04x (cable) %04x (receiver), version %04x, sensor code %u\n",
                 m_cfg.strName.c_str(), m_cfg.nKind, unsigned(m_cfg.nVID), unsigned(m_cfg.nPIDCable),
                 unsigned(m_cfg.nPIDReceiver), unsigned(m_cfg.nVersion), unsigned(m_bySensorCode));
    os << EmuPrintf("links: cable %s, receiver %s, mouse %s\n", bCablePlugged ? "connected" : "not connected",
                 bReceiverPlugged ? "plugged in" : "not plugged in", bAway ? "off or out of range" : "on");
    os << EmuPrintf("battery: level %d, value %d, %s\n", m_state.nBattery, m_state.nVoltage,
                 m_state.bCable ? "charging" : "on battery");
    DescribeMouseSettings(os, m_state.nLiftOff, m_state.nDebounce);
    for (int p = 0; p < kProfiles; ++p) {
        const auto& b = m_state.block[size_t(p)];
        const int nLevels = b[3] & 0x0F;
        const bool bXY = (b[2] & 0x80) != 0;
        os << EmuPrintf("profile %d (%s):\n", p + 1, p == 0 ? "cable" : "receiver");
        DescribeRateAndLevels(os, b);
        for (int i = 0; i < 8; ++i) {
            const uint8_t* c = &b[kLayout.nColoursAt + size_t(3 * i)];
            const std::string strCode = bXY ? EmuPrintf("%04x/%04x", Le16(&b[size_t(5 + 2 * i)]), Le16(&b[size_t(21 + 2 * i)]))
                                            : EmuPrintf("%04x", Le16(&b[size_t(5 + 2 * i)]));
            os << EmuPrintf("    level %d%s: code %s, colour %02x %02x %02x\n", i + 1, i < nLevels ? "" : " (off)",
                         strCode.c_str(), c[0], c[1], c[2]);
        }
        os << EmuPrintf("  lighting: effect %u\n", b[kLayout.nEffectAt]);
        os << "    data 62-133: " << EmuHex(std::span(b).subspan(62, 72)) << "\n";
        os << EmuPrintf("  second zone: option %u, value %u, colour %02x %02x %02x\n", b[139], b[140], b[141], b[142],
                     b[143]);
        os << EmuPrintf("  flags: bit 7 (no sleep or motion sync) %s, lights off while moving %s\n",
                     (b[145] & 0x80) ? "on" : "off", (b[145] & 0x04) ? "on" : "off");
        os << EmuPrintf("  lift-off level: %d\n", m_state.nLiftOffLevel[size_t(p)]);
        DescribeKeys(os, m_state.matrix[size_t(p)]);
    }
    DescribeMacros(os, m_state.macros);
    return os.str();
}

void CEmuW24Mouse::BindState(CEmuStateTable& t, State& s) const
{
    AddMouseSettings(t, s);
    t.Number("battery", s.nBattery, 0, 255);
    t.Number("voltage", s.nVoltage, 0, 0xFFFF);
    t.Numbers("lodlevel", s.nLiftOffLevel, 0, 14, kLayout.pszSlot, "lift-off level 0 to 14 expected");
    AddMouseMemory(t, s, kLayout);
}

std::string CEmuW24Mouse::StateText() const
{
    std::lock_guard lock(m_mtx);
    return EmuStateText(m_state, kFormat, [this](CEmuStateTable& t, State& s) { BindState(t, s); });
}

bool CEmuW24Mouse::RestoreStateText(std::string_view text, std::string& strErr)
{
    std::lock_guard lock(m_mtx);
    State start = m_state;  // what is not on board (battery charging, the cable) stays
    start.macros.clear();
    const auto bind = [this](CEmuStateTable& t, State& s) { BindState(t, s); };
    if (!EmuReadState(text, std::move(start), m_state, kFormat, bind, strErr)) return false;
    ::SetSensorCode(m_state, m_bySensorCode);  // the sensor belongs to the mouse, not to the file
    return true;
}
