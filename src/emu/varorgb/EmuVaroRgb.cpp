#include "emu/varorgb/EmuVaroRgb.h"

#include <algorithm>

#include "core/Gvar.h"
#include "emu/EmuHex.h"
#include "emu/EmuInterfaces.h"
#include "emu/kb/EmuKbText.h"
#include "keys/KeyInfo.h"

namespace {

// The keyboard's own numbers, kept apart from the host's on purpose: the
// emulator checks the host against the device's description.
constexpr EmuInterfaceDesc kMusic{"music", 8, 382, 0};
constexpr EmuInterfaceDesc kConsumer{"consumer", 3, 0, 3, 0, 0x0C, 1};
constexpr uint8_t kMusicHeader[3] = {10, 122, 1};
constexpr uint8_t kEffectTag = 21;
constexpr size_t kCfgWireless = 16;

}  // namespace

EmuVaroRgbConfig VaroRgbConfigFor(const GlobalVar& gv)
{
    EmuVaroRgbConfig cfg;
    cfg.strName = gv.nKbFw == 23 ? "kb23" : "kb22";
    cfg.nVID = gv.Kb.nVID;
    cfg.nPID = gv.Kb.nPID ? gv.Kb.nPID : gv.Kb.nPID2;
    cfg.nFwType = gv.nKbFw;
    cfg.byCfgInUse = gv.Kb.nOurCfg;
    cfg.nMaxFn = gv.Kb.nMaxFnNum;
    cfg.keys = EmuKbKeysFrom(gv, {.nPositions = 132});
    return cfg;
}

CEmuVaroRgb::CEmuVaroRgb(const EmuVaroRgbConfig& cfg, IClock& clock)
    : CEmuBlockKb(cfg.strName, clock, cfg.UsbId()), m_cfg(cfg),
      m_byCfgAddr(cfg.nFwType == 23 ? 0xBA : 0xB6)
{
    const EmuUsbId id = cfg.UsbId();
    if (cfg.bMusic) m_nMusic = AddInterface(id, kMusic);
    AddInterface(id, kConsumer);
    FillFactory();
}

void CEmuVaroRgb::FillFactory()
{
    // Recognisable bytes everywhere the host has no business changing, so a
    // test can see that what it reads and writes back survives.
    Page& cfg = m_state.pages[m_byCfgAddr];
    for (size_t i = 0; i < kCfgLen; ++i) cfg[i] = uint8_t(0x30 + i % 0x50);
    cfg[0] = m_cfg.byCfgInUse;
    cfg[kCfgWireless] = 0;
    if (m_cfg.nFwType != 23) {
        Page& rgb = m_state.pages[0xB8];
        for (size_t i = 0; i < kPageLen; ++i) rgb[i] = uint8_t(0xA0 + i % 0x20);
    }
    for (const uint8_t byAddr : {uint8_t(0xD4), uint8_t(0xD8)}) {
        Page& m = m_state.pages[byAddr];
        for (const EmuKbKey& k : m_cfg.keys)
            if (k.nFnEntry >= 0 && k.nFnEntry < 62) m[size_t(4 * k.nPos)] = 0x02, m[size_t(4 * k.nPos + 3)] = uint8_t(k.nFnEntry);
    }
    for (size_t i = 0; i < kFrameLen; ++i) m_state.effect[i] = uint8_t(i * 3);
}

CEmuVaroRgb::State CEmuVaroRgb::GetState() const
{
    std::lock_guard lock(m_mtx);
    return m_state;
}

std::vector<uint8_t> CEmuVaroRgb::Cfg() const
{
    const Page p = PageAt(m_byCfgAddr);
    return {p.begin(), p.begin() + kCfgLen};
}

CEmuVaroRgb::Page CEmuVaroRgb::PageAt(uint8_t byAddr) const
{
    std::lock_guard lock(m_mtx);
    const auto it = m_state.pages.find(byAddr);
    return it == m_state.pages.end() ? Page{} : it->second;
}

uint8_t CEmuVaroRgb::MatrixAddrLocked() const
{
    const auto it = m_state.pages.find(m_byCfgAddr);
    return it != m_state.pages.end() && it->second[0] == 1 ? 0xD8 : 0xD4;
}

uint32_t CEmuVaroRgb::KeyCode(int i) const
{
    if (i < 0 || i >= 256) return 0;
    std::lock_guard lock(m_mtx);
    const auto it = m_state.pages.find(MatrixAddrLocked());
    if (it == m_state.pages.end()) return 0;
    const uint8_t* p = &it->second[size_t(4 * i)];
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void CEmuVaroRgb::SetWireless(bool b)
{
    std::lock_guard lock(m_mtx);
    m_state.pages[m_byCfgAddr][kCfgWireless] = b ? 1 : 0;
}

void CEmuVaroRgb::SetCfgInUse(uint8_t by)
{
    std::lock_guard lock(m_mtx);
    m_state.pages[m_byCfgAddr][0] = by;
}


CEmuVaroRgb::Obj CEmuVaroRgb::ObjectAt(uint8_t byAddr) const
{
    if (byAddr == m_byCfgAddr) return Obj::Cfg;
    if (byAddr == 0xD4 || byAddr == 0xD8) return Obj::Matrix;
    if (byAddr == 0xB8 && m_cfg.nFwType != 23) return Obj::Rgb;
    if (byAddr == 0xBC || byAddr == 0xC0) return Obj::Led;
    if (byAddr == 0xDC || byAddr == 0xE0 || byAddr == 0xE4 || byAddr == 0xE8) return Obj::Macro;
    return Obj::None;
}

uint8_t CEmuVaroRgb::WriteCmdOf(Obj o)
{
    switch (o) {
    case Obj::Cfg: return 3;
    case Obj::Matrix: return 4;
    case Obj::Macro: return 5;
    case Obj::Rgb: return 8;
    case Obj::Led: return 9;
    default: return 0;
    }
}

void CEmuVaroRgb::OnOtherSet(int nIface, std::span<const uint8_t> report)
{
    if (nIface == m_nMusic) return OnMusic(report);
    CEmuBlockKb::OnOtherSet(nIface, report);
}

bool CEmuVaroRgb::CanRead(uint8_t byWriteCmd, uint8_t byAddr) const
{
    const Obj o = ObjectAt(byAddr);
    const bool bReadable = o == Obj::Cfg || o == Obj::Matrix || o == Obj::Rgb;
    return bReadable && byWriteCmd == WriteCmdOf(o);
}

void CEmuVaroRgb::OnData(std::span<const uint8_t> r)
{
    const uint8_t byCmd = r[1], byAddr = r[2];
    if (r[3] || r[5] || r[6] || r[7]) Violation("data " + Hex2(byCmd) + "@" + Hex2(byAddr) + ": header bytes 3, 5, 6, 7 must be 0");
    const Obj o = ObjectAt(byAddr);
    if (o == Obj::None || WriteCmdOf(o) != byCmd)
        return Violation("data: command " + Hex2(byCmd) + " at address " + Hex2(byAddr) + ", which holds no such object");
    const uint8_t byFlag = o == Obj::Cfg ? 0 : kFlag1024;
    if (r[4] != byFlag)
        return Violation("data " + Hex2(byCmd) + "@" + Hex2(byAddr) + ": size flag " + Hex2(r[4]) + ", " + Hex2(byFlag) + " expected");
    Page& p = m_state.pages[byAddr];
    std::copy_n(r.begin() + kPayloadAt, o == Obj::Cfg ? kCfgLen : kPageLen, p.begin());
}

void CEmuVaroRgb::OnMusic(std::span<const uint8_t> r)
{
    if (!std::equal(std::begin(kMusicHeader), std::end(kMusicHeader), r.begin() + 1))
        return Violation("music frame with header " + EmuHex(r.subspan(1, 3)) + ", 0a 7a 01 expected");
    std::copy_n(r.begin() + 4, kFrameLen, m_state.frame.begin());
    ++m_state.nFrames;
}

bool CEmuVaroRgb::AnswerOther(int nIface, std::span<uint8_t> buf)
{
    if (nIface != m_nMusic) return false;
    buf[1] = kEffectTag;
    std::ranges::copy(m_state.effect, buf.begin() + 4);
    return true;
}

void CEmuVaroRgb::AnswerBlock(uint8_t byAddr, std::span<uint8_t> buf)
{
    const Obj o = ObjectAt(byAddr);
    buf[4] = o == Obj::Cfg ? 0 : kFlag1024;
    const Page& p = m_state.pages[byAddr];
    std::copy_n(p.begin(), o == Obj::Cfg ? kCfgLen : kPageLen, buf.begin() + kPayloadAt);
}
