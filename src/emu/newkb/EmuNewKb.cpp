#include "emu/newkb/EmuNewKb.h"

#include <algorithm>
#include <cstdlib>

#include "core/Gvar.h"
#include "device/kb/KbDescSnap.h"
#include "emu/EmuHex.h"
#include "emu/EmuInterfaces.h"
#include "emu/EmuStateText.h"
#include "emu/kb/EmuKbText.h"
#include "keys/KeyInfo.h"

namespace {

// The keyboard's own numbers, kept apart from the host's on purpose: the
// emulator checks the host against the device's description.
constexpr EmuInterfaceDesc kCmd{"cmd", 6, 520, 0};
constexpr EmuInterfaceDesc kNotify{"notify", 9, 0, 4};
constexpr EmuInterfaceDesc kKeys{"keys", 0, 0, 8, 0, 1, 6};
constexpr size_t kHeader = 8;
constexpr size_t kChunk = 512;
constexpr uint8_t kRead = 0x80;
constexpr auto kAnswerGap = std::chrono::milliseconds(20);
constexpr uint8_t kProbe[2] = {0xAA, 0xC7};
constexpr uint8_t kProbeReply[4] = {9, 0xAA, 0xC7, 0};
constexpr int kCountMax = 5;

}  // namespace

int EmuNewKbCount()
{
    const char* p = std::getenv("ZORVIK_EMU_KB24_COUNT");
    int n = 1;
    if (p && *p && EmuParseInt(p, n)) return std::clamp(n, 1, kCountMax);
    return 1;
}

EmuNewKbConfig NewKbConfigFor(const GlobalVar& gv, int nNumber)
{
    EmuNewKbConfig cfg;
    cfg.strName = nNumber <= 1 ? "kb24" : "kb24-" + std::to_string(nNumber);
    cfg.nVID = gv.Kb.nVID;
    cfg.nPID = gv.Kb.nPID ? gv.Kb.nPID : gv.Kb.nPID2;
    cfg.nGroups = std::min<int>(gv.Kb.nGaoshouGroupNum, 10);
    cfg.nModes = kb::KbModeCount(gv.Kb);
    cfg.nSelectAt = gv.Kb.nLedModeSelectOffset;
    cfg.keys = EmuKbKeysFrom(gv, {.nPositions = 126, .bUnderscores = true});
    return cfg;
}

CEmuNewKb::CEmuNewKb(const EmuNewKbConfig& cfg, IClock& clock) : CEmuKb(cfg.strName, clock), m_cfg(cfg)
{
    const EmuUsbId id = cfg.UsbId();
    m_nCmd = AddInterface(id, kCmd);
    m_nNotify = AddInterface(id, kNotify);
    AddInterface(id, kKeys);
    FillFactory();
}

void CEmuNewKb::FillFactory()
{
    // The keyboard's own layout: every key its plain key code, so that a key
    // the host leaves alone keeps a recognisable function.
    m_state = State{};
    for (size_t i = 0; i < kMatrixLen / 4; ++i) m_state.matrix[4 * i + 3] = uint8_t(0x04 + i % 0x60);
    for (size_t i = 0; i < kLedLen; ++i) m_state.led[i] = uint8_t(0x40 + i % 0x30);
    for (size_t i = 0; i < kRealMax; ++i) m_state.real[i] = uint8_t(i * 7);
}

CEmuNewKb::State CEmuNewKb::GetState() const
{
    std::lock_guard lock(m_mtx);
    return m_state;
}

uint32_t CEmuNewKb::KeyCode(int nPos) const
{
    if (nPos < 0 || nPos >= int(kMatrixLen / 4)) return 0;
    std::lock_guard lock(m_mtx);
    const uint8_t* p = &m_state.matrix[size_t(4 * nPos)];
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

std::vector<std::string> CEmuNewKb::Operations() const
{
    std::lock_guard lock(m_mtx);
    return m_ops;
}

void CEmuNewKb::ClearOperations()
{
    std::lock_guard lock(m_mtx);
    m_ops.clear();
}

void CEmuNewKb::SetProbeSilent(bool b)
{
    std::lock_guard lock(m_mtx);
    m_bProbeSilent = b;
}

int CEmuNewKb::ProbesAnswered() const
{
    std::lock_guard lock(m_mtx);
    return m_nProbes;
}

void CEmuNewKb::OnSetFeature(int nIface, std::span<const uint8_t> r)
{
    if (nIface != m_nCmd) return Violation("feature report on " + Role(nIface) + ", which takes none");
    if (r[1] == kProbe[0] && r[2] == kProbe[1]) {
        if (m_bProbeSilent) return;
        ++m_nProbes;
        return PushInputLocked(m_nNotify, kProbeReply);
    }
    if (r[3] != 0) Violation("command " + Hex2(r[1]) + ": header byte 3 is " + Hex2(r[3]) + ", not 00");
    const uint8_t byCmd = r[1];
    if (byCmd & kRead) {
        const uint8_t byObj = byCmd & ~kRead;
        if (byObj != 3 && byObj != 4 && byObj != 6 && byObj != 8) {
            m_bReadPending = false;
            return Violation("unknown read command " + Hex2(byCmd));
        }
        m_read = {byCmd, r[2], r[4], r[5], uint16_t(r[6] | r[7] << 8)};
        m_bReadPending = true;
        m_ops.push_back(EmuPrintf("R %02x/%02x", byCmd, r[2]));
        return BeginTransaction();
    }
    if (byCmd != 3 && byCmd != 4 && byCmd != 5 && byCmd != 6 && byCmd != 8 && byCmd != 10)
        return Violation("unknown command " + Hex2(byCmd));
    OnChunk(r);
}

void CEmuNewKb::OnChunk(std::span<const uint8_t> r)
{
    const uint8_t byCmd = r[1], byIndex = r[2], byCount = r[4], byNumber = r[5];
    const size_t nLen = size_t(r[6] | r[7] << 8);
    const std::string strWhat = "write " + Hex2(byCmd) + "/" + Hex2(byIndex) + " chunk " + std::to_string(byNumber);
    const auto key = std::make_pair(byCmd, byIndex);
    if (byCount == 0 || byNumber >= byCount)
        return Violation(strWhat + ": chunk number " + std::to_string(byNumber) + " of " + std::to_string(byCount));
    if (nLen == 0 || nLen > kChunk || (byNumber + 1 < byCount && nLen != kChunk))
        return Violation(strWhat + ": payload length " + std::to_string(nLen));
    auto it = m_pending.find(key);
    if (byNumber == 0) {
        if (it != m_pending.end())
            Violation(strWhat + ": a new transfer before the last one ended (" + std::to_string(it->second.byNext) +
                      " of " + std::to_string(it->second.byCount) + " chunks)");
        it = m_pending.insert_or_assign(key, Pending{byCount, 0, {}}).first;
    } else if (it == m_pending.end() || it->second.byNext != byNumber || it->second.byCount != byCount) {
        if (it != m_pending.end()) m_pending.erase(it);
        return Violation(strWhat + ": out of order, or its count changed");
    }
    Pending& p = it->second;
    p.data.insert(p.data.end(), r.begin() + kHeader, r.begin() + ptrdiff_t(kHeader + nLen));
    ++p.byNext;
    if (p.byNext < p.byCount) return;
    const std::vector<uint8_t> data = std::move(p.data);
    m_pending.erase(it);
    m_ops.push_back(EmuPrintf("W %02x/%02x %zu", byCmd, byIndex, data.size()));
    Commit(byCmd, byIndex, data);
}

void CEmuNewKb::Commit(uint8_t byCmd, uint8_t byIndex, const std::vector<uint8_t>& data)
{
    const auto sized = [this, byCmd, &data](size_t nWant) {
        if (data.size() == nWant) return true;
        Violation("object " + Hex2(byCmd) + ": " + std::to_string(data.size()) + " bytes, " + std::to_string(nWant) +
                  " expected");
        return false;
    };
    switch (byCmd) {
    case 3:
        if (sized(kMatrixLen)) std::ranges::copy(data, m_state.matrix.begin());
        return;
    case 4:
        if (sized(kLedLen)) std::ranges::copy(data, m_state.led.begin());
        return;
    case 5:
        if (data.size() > kMacroAreaMax) return Violation("macro area of " + std::to_string(data.size()) + " bytes");
        CheckMacroArea(data);
        m_state.macro.fill(0);
        std::ranges::copy(data, m_state.macro.begin());
        m_state.nMacroLen = int(data.size());
        return;
    case 6:
        if (sized(kGameLen)) std::ranges::copy(data, m_state.game[byIndex + 1].begin());
        return;
    case 8:
        std::copy_n(data.begin(), std::min(data.size(), kRealMax), m_state.real.begin());
        ++m_state.nRealWrites;
        return;
    case 10:
        if (data.size() % 21 != 0 || data.size() > kRgbMax)
            return Violation("colour table of " + std::to_string(data.size()) + " bytes");
        m_state.rgb.fill(0);
        std::ranges::copy(data, m_state.rgb.begin());
        m_state.nRgbLen = int(data.size());
        return;
    default: return;
    }
}

void CEmuNewKb::CheckMacroArea(const std::vector<uint8_t>& a)
{
    if (a.size() < 4) return Violation("macro area shorter than one table entry");
    const size_t nToc = size_t(a[0] | a[1] << 8);
    if (nToc == 0 || nToc % 4 != 0 || nToc > a.size()) return Violation("macro area: first offset " + std::to_string(nToc));
    size_t nAt = nToc;
    for (size_t k = 0; k < nToc / 4; ++k) {
        const size_t nOff = size_t(a[4 * k] | a[4 * k + 1] << 8), nLen = size_t(a[4 * k + 2] | a[4 * k + 3] << 8);
        if (nOff != nAt || nOff + nLen > a.size())
            return Violation(EmuPrintf("macro area: entry %zu at %zu, length %zu, in %zu bytes", k, nOff, nLen, a.size()));
        nAt += nLen;
    }
    if (nAt != a.size()) Violation(EmuPrintf("macro area: the table describes %zu bytes of %zu", nAt, a.size()));
    if (a.size() - nToc > 4096) Violation(EmuPrintf("macro area: %zu bytes of macros, 4096 fit", a.size() - nToc));
}

std::vector<uint8_t> CEmuNewKb::ObjectFor(uint8_t byCmd, uint8_t byIndex)
{
    switch (byCmd & ~kRead) {
    case 3: return {m_state.matrix.begin(), m_state.matrix.end()};
    case 4: return {m_state.led.begin(), m_state.led.end()};
    case 6: {
        const auto it = m_state.game.find(byIndex + 1);
        return it == m_state.game.end() ? std::vector<uint8_t>(kGameLen, 0)
                                        : std::vector<uint8_t>(it->second.begin(), it->second.end());
    }
    case 8: return {m_state.real.begin(), m_state.real.end()};
    default: return {};
    }
}

void CEmuNewKb::OnGetFeature(int nIface, std::span<uint8_t> buf)
{
    std::fill(buf.begin() + 1, buf.end(), uint8_t{0});
    if (nIface != m_nCmd) return Violation("feature read on " + Role(nIface) + ", which has none");
    if (!m_bReadPending) return Violation("read of report 6 with no read command before it");
    m_bReadPending = false;
    EndTransaction(kAnswerGap, "object " + Hex2(m_read.byCmd));
    const std::vector<uint8_t> obj = ObjectFor(m_read.byCmd, m_read.byIndex);
    const size_t nFrom = size_t(m_read.byNumber) * kChunk;
    const size_t nLen = nFrom < obj.size() ? std::min(kChunk, obj.size() - nFrom) : 0;
    buf[1] = m_read.byCmd;
    buf[2] = m_read.byIndex;
    buf[4] = m_read.byCount ? m_read.byCount : 1;
    buf[5] = m_read.byNumber;
    buf[6] = uint8_t(nLen);
    buf[7] = uint8_t(nLen >> 8);
    std::copy_n(obj.begin() + ptrdiff_t(nFrom), nLen, buf.begin() + kHeader);
}
