// What the virtual wireless mouse holds, as text: the dump for people
// (Describe) and the saved state (StateText / RestoreStateText).
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <sstream>

#include "emu/EmuHex.h"
#include "emu/EmuStateText.h"
#include "emu/mirex/EmuMirex.h"
#include "emu/w24g/EmuReceiver.h"
#include "emu/w24g/EmuW24Mouse.h"

namespace {

constexpr const char* kStateHeader = "zorvik-emu-state w24g 1";


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
    os << "lift-off: " << (m_state.nLiftOff < 0 ? std::string("not set") : std::to_string(m_state.nLiftOff)) << "\n";
    os << "debounce: " << (m_state.nDebounce < 0 ? std::string("not set") : std::to_string(m_state.nDebounce)) << "\n";
    for (int p = 0; p < kProfiles; ++p) {
        const auto& b = m_state.block[size_t(p)];
        const int nLevels = b[3] & 0x0F;
        const bool bXY = (b[2] & 0x80) != 0;
        os << EmuPrintf("profile %d (%s):\n", p + 1, p == 0 ? "cable" : "receiver");
        os << EmuPrintf("  rate: %s, X and Y %s\n", EmuRateText(b[2] & 0x0F), bXY ? "apart" : "together");
        os << EmuPrintf("  DPI levels: %d enabled, current %d\n", nLevels, b[3] >> 4);
        for (int i = 0; i < 8; ++i) {
            const uint8_t* c = &b[size_t(37 + 3 * i)];
            const std::string strCode = bXY ? EmuPrintf("%04x/%04x", Le16(&b[size_t(5 + 2 * i)]), Le16(&b[size_t(21 + 2 * i)]))
                                            : EmuPrintf("%04x", Le16(&b[size_t(5 + 2 * i)]));
            os << EmuPrintf("    level %d%s: code %s, colour %02x %02x %02x\n", i + 1, i < nLevels ? "" : " (off)",
                         strCode.c_str(), c[0], c[1], c[2]);
        }
        os << EmuPrintf("  lighting: effect %u\n", b[61]);
        os << "    data 62-133: " << EmuHex(std::span(b).subspan(62, 72)) << "\n";
        os << EmuPrintf("  second zone: option %u, value %u, colour %02x %02x %02x\n", b[139], b[140], b[141], b[142],
                     b[143]);
        os << EmuPrintf("  flags: bit 7 (no sleep or motion sync) %s, lights off while moving %s\n",
                     (b[145] & 0x80) ? "on" : "off", (b[145] & 0x04) ? "on" : "off");
        os << EmuPrintf("  lift-off level: %d\n", m_state.nLiftOffLevel[size_t(p)]);
        os << "  keys:\n";
        const auto& mx = m_state.matrix[size_t(p)];
        for (int k = 0; k < 20; ++k) {
            const uint32_t dw = uint32_t(mx[size_t(4 * k)]) | uint32_t(mx[size_t(4 * k + 1)]) << 8 |
                                uint32_t(mx[size_t(4 * k + 2)]) << 16 | uint32_t(mx[size_t(4 * k + 3)]) << 24;
            os << EmuPrintf("    %2d: %08x %s\n", k + 1, dw, CEmuMirex::DescribeKeyCode(dw).c_str());
        }
    }
    if (m_state.macros.empty()) os << "macros: none\n";
    for (const auto& [n, buf] : m_state.macros) {
        os << EmuPrintf("macro buffer %d: %u events\n", n, unsigned(buf[0]) << 8 | buf[1]);
        for (const std::string& l : CEmuMirex::DescribeMacroBuffer(buf)) os << "    " << l << "\n";
    }
    return os.str();
}

std::string CEmuW24Mouse::StateText() const
{
    std::lock_guard lock(m_mtx);
    std::ostringstream os;
    os << kStateHeader << "\n";
    os << "liftoff " << m_state.nLiftOff << "\n";
    os << "debounce " << m_state.nDebounce << "\n";
    os << "battery " << m_state.nBattery << "\n";
    os << "voltage " << m_state.nVoltage << "\n";
    for (int p = 0; p < kProfiles; ++p) os << "lodlevel " << p + 1 << " " << m_state.nLiftOffLevel[size_t(p)] << "\n";
    for (int p = 0; p < kProfiles; ++p) os << "block " << p + 1 << " " << EmuHex(m_state.block[size_t(p)]) << "\n";
    for (int p = 0; p < kProfiles; ++p) os << "matrix " << p + 1 << " " << EmuHex(m_state.matrix[size_t(p)]) << "\n";
    for (const auto& [n, buf] : m_state.macros) os << "macro " << n << " " << EmuHex(buf) << "\n";
    return os.str();
}

bool CEmuW24Mouse::RestoreStateText(std::string_view text, std::string& strErr)
{
    std::lock_guard lock(m_mtx);
    State s = m_state;  // what is not on board (battery charging, the cable) stays
    s.macros.clear();
    unsigned nSeen = 0;  // bit p: block of profile p + 1, bit 2 + p: its matrix
    const bool bRead = ForEachStateEntry(
        text, kStateHeader, "wireless mouse", [&](std::string_view key, std::string_view rest) -> std::string {
        if (key == "liftoff" || key == "debounce" || key == "battery" || key == "voltage") {
            int v = 0;
            if (!EmuParseInt(rest, v)) return "a number is expected";
            const int nMax = key == "voltage" ? 0xFFFF : 255;
            if (v < (key == "liftoff" || key == "debounce" ? -1 : 0) || v > nMax) return "value out of range";
            (key == "liftoff" ? s.nLiftOff : key == "debounce" ? s.nDebounce : key == "battery" ? s.nBattery : s.nVoltage) = v;
            return {};
        }
        const size_t nSp2 = rest.find(' ');
        int nIndex = 0;
        if (nSp2 == std::string_view::npos || !EmuParseInt(rest.substr(0, nSp2), nIndex)) return "a number is expected";
        const std::string_view value = rest.substr(nSp2 + 1);
        if (key == "lodlevel") {
            int v = 0;
            if (nIndex < 1 || nIndex > kProfiles) return "profile " + std::to_string(nIndex) + " does not exist";
            if (!EmuParseInt(value, v) || v < 0 || v > 14) return "lift-off level 0 to 14 expected";
            s.nLiftOffLevel[size_t(nIndex - 1)] = v;
            return {};
        }
        const size_t nLen = key == "block" ? kBlockLen : key == "matrix" ? kMatrixLen : key == "macro" ? kMacroLen : 0;
        if (nLen == 0) return "unknown entry " + std::string(key);
        const auto bytes = EmuParseHex(value, nLen);
        if (!bytes || bytes->size() != nLen) return std::string(key) + " needs " + std::to_string(nLen) + " bytes";
        if (key == "macro") {
            if (nIndex < 1 || nIndex > kBufferMax) return "macro buffer " + std::to_string(nIndex) + " does not exist";
            std::ranges::copy(*bytes, s.macros[nIndex].begin());
            return {};
        }
        if (nIndex < 1 || nIndex > kProfiles) return "profile " + std::to_string(nIndex) + " does not exist";
        if (key == "block") std::ranges::copy(*bytes, s.block[size_t(nIndex - 1)].begin());
        else std::ranges::copy(*bytes, s.matrix[size_t(nIndex - 1)].begin());
        nSeen |= 1u << (nIndex - 1 + (key == "block" ? 0 : kProfiles));
        return {};
    }, strErr);
    if (!bRead) return false;
    if (nSeen != (1u << 2 * kProfiles) - 1) {
        strErr = "the blocks and key matrices of both profiles are needed";
        return false;
    }
    for (auto& b : s.block) b[1] = m_bySensorCode;  // the sensor belongs to the mouse, not to the file
    m_state = std::move(s);
    return true;
}
