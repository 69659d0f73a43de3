#include "emu/varo/EmuVaro.h"

#include <algorithm>

#include "core/Gvar.h"
#include "emu/EmuHex.h"
#include "emu/EmuInterfaces.h"
#include "emu/EmuStateText.h"
#include "emu/kb/EmuKbText.h"
#include "keys/KeyInfo.h"

namespace {

// The keyboard's own numbers, kept apart from the host's on purpose: the
// emulator checks the host against the device's description.
constexpr EmuInterfaceDesc kMatrix{"matrix", 9, 505, 0};
constexpr EmuInterfaceDesc kLed{"led", 10, 42, 0};
constexpr EmuInterfaceDesc kMacro{"macro", 12, 1921, 0};
constexpr EmuInterfaceDesc kConsumer{"consumer", 3, 0, 3, 0, 0x0C, 1};
constexpr int kColourId = 11, kMusicId = 14;

uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

bool AllZero(std::span<const uint8_t> s)
{
    return std::all_of(s.begin(), s.end(), [](uint8_t b) { return b == 0; });
}

bool OneBit(uint8_t b) { return b != 0 && (b & (b - 1)) == 0; }

}  // namespace

EmuVaroConfig VaroConfigFor(const GlobalVar& gv)
{
    EmuVaroConfig cfg;
    cfg.nVID = gv.Kb.nVID;
    cfg.nPID = gv.Kb.nPID ? gv.Kb.nPID : gv.Kb.nPID2;
    cfg.keys = EmuKbKeysFrom(gv, {.nPositions = CEmuVaro::kCodes});
    return cfg;
}

CEmuVaro::CEmuVaro(const EmuVaroConfig& cfg, IClock& clock) : CEmuKb(cfg.strName, clock), m_cfg(cfg)
{
    const EmuUsbId id = cfg.UsbId();
    m_nMatrix = AddInterface(id, kMatrix);
    m_nLed = AddInterface(id, kLed);
    m_nColour = AddInterface(id, EmuInterfaceDesc{"color", kColourId, cfg.nColourLen, 0});
    m_nMacro = AddInterface(id, kMacro);
    if (cfg.bMusic) m_nMusic = AddInterface(id, EmuInterfaceDesc{"music", kMusicId, cfg.nColourLen, 0});
    AddInterface(id, kConsumer);
    FillFactory();
}

void CEmuVaro::FillFactory()
{
    m_state = State{};
    // Mode 1, group 1, speed 3, brightness 5, colourful, red.
    const uint8_t led[] = {1, 1, 3, 5, 8, 0xFF, 0, 0};
    std::copy(std::begin(led), std::end(led), m_state.led.begin());
    // Positions without a key of the description carry recognisable codes
    // (F13..F20), so a test sees that what the host reads and writes back survives.
    for (int i = 0; i < kCodes; ++i) {
        const bool bKey = std::any_of(m_cfg.keys.begin(), m_cfg.keys.end(), [i](const EmuKbKey& k) { return k.nPos == i; });
        if (!bKey) m_state.matrix[size_t(4 * i + 2)] = uint8_t(0x68 + i % 8);
    }
}

CEmuVaro::State CEmuVaro::GetState() const
{
    std::lock_guard lock(m_mtx);
    return m_state;
}

uint32_t CEmuVaro::CodeLocked(int nPos) const
{
    if (nPos < 0 || nPos >= kCodes) return 0;
    return Le32(&m_state.matrix[size_t(4 * nPos)]);
}

uint32_t CEmuVaro::KeyCode(int nPos) const
{
    std::lock_guard lock(m_mtx);
    return CodeLocked(nPos);
}

uint32_t CEmuVaro::KeyColour(int g, int nLed) const
{
    std::lock_guard lock(m_mtx);
    const auto it = m_state.colours.find(g + 1);
    if (it == m_state.colours.end() || nLed < 0 || nLed >= kCodes) return 0;
    const Planes& p = it->second;
    return uint32_t(p[size_t(nLed)]) | uint32_t(p[size_t(kCodes + nLed)]) << 8 | uint32_t(p[size_t(2 * kCodes + nLed)]) << 16;
}

void CEmuVaro::PresetCode(int nPos, uint32_t dwCode)
{
    std::lock_guard lock(m_mtx);
    if (nPos < 0 || nPos >= kCodes) return;
    for (size_t b = 0; b < 4; ++b) m_state.matrix[size_t(4 * nPos) + b] = uint8_t(dwCode >> (8 * b));
}

void CEmuVaro::OnSetFeature(int nIface, std::span<const uint8_t> report)
{
    if (nIface == m_nLed) return OnLed(report);
    if (nIface == m_nColour) return OnColour(report);
    if (nIface == m_nMacro) return OnMacro(report);
    if (nIface == m_nMatrix) return OnMatrix(report);
    if (nIface == m_nMusic) return OnMusic(report);
    Violation("feature report on " + Role(nIface) + ", which takes none");
}

void CEmuVaro::OnLed(std::span<const uint8_t> r)
{
    const auto d = r.subspan(1);
    if (d[4] != 0 && d[4] != 8 && d[4] > 7) Violation("led: colour flag " + Hex2(d[4]) + ", 0, 1..7 or 8 expected");
    if (!AllZero(d.subspan(8))) Violation("led: bytes 8 to 40 must be 0");
    if (d[1] == 0) Violation("led: group byte 0, groups count from 1");
    std::copy(d.begin(), d.end(), m_state.led.begin());
}

void CEmuVaro::OnColour(std::span<const uint8_t> r)
{
    const auto planes = r.subspan(2, kPlanes);
    std::copy(planes.begin(), planes.end(), m_state.colours[r[1] + 1].begin());
}

void CEmuVaro::OnMacro(std::span<const uint8_t> r)
{
    const auto area = r.subspan(1);
    for (int b = 0; b < kMacros; ++b) {
        const auto buf = area.subspan(size_t(b) * kMacroLen, kMacroLen);
        for (size_t i = 0; i + 3 <= buf.size(); i += 3) {
            const auto a = buf.subspan(i, 3);
            if (a[2] == 0) {
                if (!AllZero(buf.subspan(i)))
                    Violation(EmuPrintf("macro buffer %d: bytes after its end at action %zu", b + 1, i / 3 + 1));
                break;
            }
            const int nKind = a[1] >> 4;
            const bool bOk = (nKind == 0) || (nKind == 2 && a[2] >= 0xF0 && a[2] <= 0xF2) || (nKind == 15 && OneBit(a[2]));
            if (!bOk) Violation(EmuPrintf("macro buffer %d, action %zu: kind %d with code %02x", b + 1, i / 3 + 1, nKind, a[2]));
        }
    }
    std::copy(area.begin(), area.end(), m_state.macro.begin());
}

void CEmuVaro::OnMatrix(std::span<const uint8_t> r)
{
    for (int i = 0; i < kCodes; ++i) {
        const uint8_t* p = &r[size_t(1 + 4 * i)];
        switch (p[0]) {
        case 0x00:
        case 0x01:
        case 0x10:
        case 0x30: break;
        case 0x02: {
            const size_t nBuffer = p[1];
            if (nBuffer >= size_t(kMacros) || AllZero(std::span(m_state.macro).subspan(nBuffer * kMacroLen, 3)))
                Violation(EmuPrintf("matrix position %d plays macro buffer %zu, which holds no macro", i, nBuffer + 1));
            if (p[2] != 0 && p[2] != 1 && p[2] != 2 && p[2] != 4)
                Violation(EmuPrintf("matrix position %d: repeat mode %02x", i, p[2]));
            break;
        }
        default: Violation(EmuPrintf("matrix position %d: code kind %02x", i, p[0]));
        }
    }
    std::copy(r.begin() + 1, r.end(), m_state.matrix.begin());
}

void CEmuVaro::OnMusic(std::span<const uint8_t> r)
{
    std::copy_n(r.begin() + 1, std::min(kFrameLen, r.size() - 1), m_state.frame.begin());
    ++m_state.nFrames;
}

void CEmuVaro::OnGetFeature(int nIface, std::span<uint8_t> buf)
{
    std::fill(buf.begin() + 1, buf.end(), uint8_t{0});
    if (nIface == m_nLed) {
        std::copy(m_state.led.begin(), m_state.led.end(), buf.begin() + 1);
        return;
    }
    if (nIface == m_nMatrix) {
        std::copy(m_state.matrix.begin(), m_state.matrix.end(), buf.begin() + 1);
        return;
    }
    Violation("feature read on " + Role(nIface) + ", which has none");
}
