#include "emu/selk/EmuSelk.h"

#include <algorithm>

#include "core/Gvar.h"
#include "device/kb/KbDescSnap.h"
#include "emu/EmuHex.h"
#include "emu/EmuInterfaces.h"
#include "emu/kb/EmuKbText.h"
#include "keys/KeyInfo.h"

namespace {

// The keyboard's own numbers, kept apart from the host's on purpose: the
// emulator checks the host against the device's description.
constexpr int kBlockPages = 4;
constexpr int kPages = 256;
constexpr int kKeyBlockCodes = 256;
constexpr int kFnEnd = 132 + 2 * 48;  // positions, then the two Fn tables

}  // namespace

EmuSelkConfig SelkConfigFor(const GlobalVar& gv)
{
    EmuSelkConfig cfg;
    cfg.nVID = gv.Kb.nVID;
    cfg.nPID = gv.Kb.nPID;
    cfg.byCfgInUse = gv.Kb.nOurCfg;
    cfg.nLedAddr = gv.Kb.nGaoshouAddr;
    cfg.nLedBlocks = (std::min<int>(gv.Kb.nGaoshouGroupNum, kGaoshouGroupMax) + 1) / 2;
    cfg.nModeSelectAt = gv.Kb.nLedModeSelectOffset;
    cfg.nModeEntriesAt = gv.Kb.nEffectOffset;
    cfg.nModes = kb::KbModeCount(gv.Kb);
    cfg.keys = EmuKbKeysFrom(gv, {.nPositions = 132, .nLedEnd = 132});
    return cfg;
}

CEmuSelk::CEmuSelk(const EmuSelkConfig& cfg, IClock& clock)
    : CEmuBlockKb(cfg.strName, clock, cfg.UsbId()), m_cfg(cfg)
{
    FillFactory();
}

void CEmuSelk::FillFactory()
{
    m_state = State{};
    // Recognisable bytes everywhere the host has no business changing, so a
    // test can see that what it reads and writes back survives.
    std::vector<uint8_t> cfg(kCfgLen);
    for (size_t i = 0; i < kCfgLen; ++i) cfg[i] = uint8_t(0x30 + i % 0x50);
    cfg[0] = m_cfg.byCfgInUse;
    cfg[8 + 62] = 0x5A;
    cfg[8 + 63] = 0xA5;
    WriteLocked(0, cfg);
    // The key block: the keys' positions hold 0 (each key its own function);
    // unused positions and the space after the Fn tables hold a pattern.
    std::vector<uint8_t> keys(kBlockLen);
    for (int i = 0; i < kKeyBlockCodes; ++i) {
        const bool bKey = std::any_of(m_cfg.keys.begin(), m_cfg.keys.end(), [i](const EmuKbKey& k) { return k.nPos == i; });
        if (bKey || (i >= 132 && i < kFnEnd)) continue;
        keys[size_t(4 * i)] = 0xEE;
        keys[size_t(4 * i + 3)] = uint8_t(i);
    }
    WriteLocked(0xC8, keys);
}

std::vector<CEmuSelk::Object> CEmuSelk::Objects() const
{
    std::vector<Object> out = {
        {0x00, 1, 3, true, "configuration"},
        {0xA8, kBlockPages, 8, false, "colour table"},
        {0xC8, kBlockPages, 4, true, "key block"},
    };
    for (const int a : {0xCC, 0xD0, 0xD4, 0xD8}) out.push_back({a, kBlockPages, 5, false, "macros"});
    for (int b = 0; b < m_cfg.nLedBlocks; ++b)
        out.push_back({m_cfg.nLedAddr + kBlockPages * b, kBlockPages, 9, false, "lighting block"});
    return out;
}

std::optional<CEmuSelk::Object> CEmuSelk::ObjectStartingAt(uint8_t byAddr) const
{
    for (const Object& o : Objects())
        if (o.nFirst == byAddr) return o;
    return std::nullopt;
}

CEmuSelk::State CEmuSelk::GetState() const
{
    std::lock_guard lock(m_mtx);
    return m_state;
}

std::vector<uint8_t> CEmuSelk::ReadLocked(int nPage, size_t nLen) const
{
    std::vector<uint8_t> out(nLen, 0);
    for (size_t i = 0; i < nLen; ++i) {
        const int p = nPage + int(i / kPageLen);
        if (p < 0 || p >= kPages) break;
        const auto it = m_state.pages.find(p);
        if (it != m_state.pages.end()) out[i] = it->second[i % kPageLen];
    }
    return out;
}

void CEmuSelk::WriteLocked(int nPage, std::span<const uint8_t> bytes)
{
    for (size_t i = 0; i < bytes.size(); ++i) {
        const int p = nPage + int(i / kPageLen);
        if (p < 0 || p >= kPages) break;
        m_state.pages[p][i % kPageLen] = bytes[i];
    }
}

std::vector<uint8_t> CEmuSelk::Memory(int nPage, size_t nLen) const
{
    std::lock_guard lock(m_mtx);
    return ReadLocked(nPage, nLen);
}

uint32_t CEmuSelk::KeyValue(int i) const
{
    if (i < 0 || i >= kKeyBlockCodes) return 0;
    const std::vector<uint8_t> b = Memory(0xC8, kBlockLen);
    const uint8_t* p = &b[size_t(4 * i)];
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

void CEmuSelk::SetCfgInUse(uint8_t by)
{
    std::lock_guard lock(m_mtx);
    m_state.pages[0][0] = by;
}

bool CEmuSelk::CanRead(uint8_t byWriteCmd, uint8_t byAddr) const
{
    const std::optional<Object> o = ObjectStartingAt(byAddr);
    return o && o->bReadable && o->byCmd == byWriteCmd;
}

void CEmuSelk::OnData(std::span<const uint8_t> r)
{
    const uint8_t byCmd = r[1], byAddr = r[2];
    const std::string strWhat = Hex2(byCmd) + "@" + Hex2(byAddr);
    if (r[3] || r[5] || r[6] || r[7]) Violation("data " + strWhat + ": header bytes 3, 5, 6, 7 must be 0");
    const bool bCfg = byCmd == 3;
    const uint8_t byFlag = bCfg ? 0 : kFlag1024;
    if (r[4] != byFlag) Violation("data " + strWhat + ": size flag " + Hex2(r[4]) + ", " + Hex2(byFlag) + " expected");
    const std::optional<Object> target = ObjectStartingAt(byAddr);
    if (!target || target->byCmd != byCmd)
        Violation("data: command " + Hex2(byCmd) + " at address " + Hex2(byAddr) + ", which holds no such object");
    // Which objects the write reaches into beside its own.
    const int nPages = bCfg ? 1 : kBlockPages;
    for (const Object& o : Objects()) {
        if (target && o.nFirst == target->nFirst) continue;
        if (byAddr < o.nFirst + o.nPages && o.nFirst < byAddr + nPages)
            Violation("data " + strWhat + ": the write overlaps the " + o.pszName + " at " + Hex2(unsigned(o.nFirst)));
    }
    if (byAddr + nPages > kPages) Violation("data " + strWhat + ": the write runs past the last page");
    WriteLocked(byAddr, r.subspan(kPayloadAt, bCfg ? kCfgLen : kBlockLen));
}

void CEmuSelk::AnswerBlock(uint8_t byAddr, std::span<uint8_t> buf)
{
    const bool bCfg = byAddr == 0;
    buf[4] = bCfg ? 0 : kFlag1024;
    const std::vector<uint8_t> bytes = ReadLocked(byAddr, bCfg ? kCfgLen : kBlockLen);
    std::ranges::copy(bytes, buf.begin() + kPayloadAt);
}
