#include "emu/pad/EmuPad.h"

#include <algorithm>

#include "emu/EmuHex.h"
#include "emu/EmuInterfaces.h"

namespace {

// The pad's own numbers, kept apart from the host's on purpose: the emulator
// checks the host against the device, not against the host's idea of it.
constexpr uint8_t kReportId = 0x30;
constexpr int kReportLen = 27;
constexpr size_t kEffect = 2, kSpeedBright = 3, kExtra = 4, kColours = 5;
constexpr int kEffectMax = 10;           // effect numbers 0..10
constexpr int kColourMax = 7;
constexpr uint8_t kDirectFlag = 0x80;

// A new pad: effect 1, speed 2 at full brightness, one red colour.
CEmuPad::Block FactoryBlock(const std::array<uint8_t, 2>& header)
{
    CEmuPad::Block b{};
    b[0] = header[0];
    b[1] = header[1];
    b[kEffect] = 1;
    b[kSpeedBright] = 0x42;
    b[kColours] = 0xFF;
    return b;
}

}  // namespace

EmuPadConfig PadConfigFor(int nVID, int nPID)
{
    EmuPadConfig cfg;
    cfg.nVID = nVID;
    cfg.nPID = nPID;
    return cfg;
}

CEmuPad::CEmuPad(const EmuPadConfig& cfg, IClock& clock) : CEmuDevice(cfg.strName, clock), m_cfg(cfg)
{
    const EmuInterfaceDesc general{"general", kReportId, kReportLen, 0, 0, cfg.nUsagePage, 1};
    m_nGeneral = AddInterface(EmuUsbId{cfg.nVID, cfg.nPID, cfg.nVersion}, general);
    m_state.block = FactoryBlock(cfg.header);
}

CEmuPad::State CEmuPad::GetState() const
{
    std::lock_guard lock(m_mtx);
    return m_state;
}

int CEmuPad::Writes() const
{
    std::lock_guard lock(m_mtx);
    return m_nWrites;
}

std::string CEmuPad::LightingRule(const Block& b)
{
    const int nEffect = b[kEffect];
    if (nEffect > kEffectMax)
        return "effect number " + std::to_string(nEffect) + ", the pad has 0 to " + std::to_string(kEffectMax);
    const int nBright = b[kSpeedBright] >> 4;
    if (nBright < 1 || nBright > 4) return "brightness code " + std::to_string(nBright) + ", the pad has 1 to 4";
    const uint8_t byExtra = b[kExtra];
    if (nEffect == 1 || nEffect == 3) {
        if (byExtra != 0 && byExtra != kDirectFlag)
            return "effect " + std::to_string(nEffect) + " with direction byte " + Hex2(byExtra) + ", not 00 or 80";
    } else if (nEffect == 4) {
        if (byExtra > kColourMax) return "effect 4 with " + std::to_string(byExtra) + " colours, the pad has 7";
        const auto unused = std::span(b).subspan(kColours + 3 * size_t(byExtra));
        if (std::ranges::any_of(unused, [](uint8_t v) { return v != 0; }))
            return "effect 4 with " + std::to_string(byExtra) + " colours, but colour bytes after them are not 0";
    } else if (byExtra != 0) {
        return "effect " + std::to_string(nEffect) + " with extra byte " + Hex2(byExtra) + ", not 00";
    }
    return {};
}

void CEmuPad::OnSetFeature(int nIface, std::span<const uint8_t> report)
{
    if (nIface != m_nGeneral) return Violation("feature report on " + Role(nIface) + ", which takes none");
    Block b{};
    std::copy(report.begin() + 1, report.end(), b.begin());
    if (b[0] != m_state.block[0] || b[1] != m_state.block[1])
        Violation("general: bytes 0-1 written as " + EmuHex(std::span(b).first(2)) + ", the pad's are " +
                  EmuHex(std::span(m_state.block).first(2)));
    if (std::string v = LightingRule(b); !v.empty()) return Violation("general: " + v + "; not taken");
    // The first two bytes stay the pad's, whatever the host sends.
    std::copy(b.begin() + 2, b.end(), m_state.block.begin() + 2);
    ++m_nWrites;
}

void CEmuPad::OnGetFeature(int nIface, std::span<uint8_t> buf)
{
    if (nIface != m_nGeneral) return Violation("feature read on " + Role(nIface) + ", which has none");
    std::ranges::copy(m_state.block, buf.begin() + 1);
}
