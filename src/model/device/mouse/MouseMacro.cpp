#include "device/mouse/MouseMacro.h"

#include <algorithm>
#include <vector>

#include "core/Log.h"
#include "device/mouse/MouseKeyCode.h"
#include "device/mouse/MouseProtocol.h"
#include "keys/KeyCodes.h"

namespace mouse {

namespace {

uint16_t ClampDelay(uint32_t dwDelay)
{
    if (dwDelay <= kHdDelayMax) return uint16_t(dwDelay);
    LogPrintf("StMacro_To_HdMacro: delay %u ms is beyond the mouse, %u ms sent", dwDelay, unsigned(kHdDelayMax));
    return kHdDelayMax;
}

void LogWrongHid() { LogPrintf("StMacro_To_HdMacro: get wrong hid"); }

// Collects events into a buffer and writes the count at the end.
class CHdWriter {
public:
    CHdWriter(std::span<uint8_t> out, bool bMacro) : m_out(out), m_bMacro(bMacro)
    {
        std::ranges::fill(m_out.first(std::min(m_out.size(), kMacroBufferMax)), uint8_t{0});
    }
    // Room for n more events.
    bool Fits(size_t n) const { return m_nPos + 3 * n <= std::min(m_out.size(), kMacroBufferMax); }
    void Add(const HdEvent& e)
    {
        const auto b = m_bMacro ? PackHdEvent(e) : PackHdEventRaw(e);
        std::ranges::copy(b, m_out.begin() + ptrdiff_t(m_nPos));
        m_nPos += 3;
        m_last = e;
        ++m_nEvents;
    }
    // A left-out action's pause goes to the event before it.
    void AddPauseToLast(uint32_t dwDelay)
    {
        if (m_nEvents == 0 || dwDelay == 0) return;
        HdEvent e = m_last;
        e.wDelay = ClampDelay(uint32_t(e.wDelay) + dwDelay);
        m_nPos -= 3;
        --m_nEvents;
        Add(e);
    }
    size_t Finish()
    {
        if (m_out.size() < 2) return 0;
        // The mouse reads a zero delay byte on the last event as "no end".
        if (m_nEvents > 0 && m_out[m_nPos - 2] == 0) m_out[m_nPos - 2] = 1;
        m_out[0] = uint8_t(m_nEvents >> 8);
        m_out[1] = uint8_t(m_nEvents);
        return m_nPos;
    }

private:
    std::span<uint8_t> m_out;
    bool m_bMacro;
    size_t m_nPos = 2;
    int m_nEvents = 0;
    HdEvent m_last{};
};

// The three movement actions of a macro: kind, and whether the amount is negated.
bool MacroMove(uint8_t byCode, HdKind& kind, bool& bNegate)
{
    switch (byCode) {
    case kMacroCodeMoveLeft: kind = HdKind::Move1; bNegate = true; return true;
    case kMacroCodeMoveRight: kind = HdKind::Move1; bNegate = false; return true;
    case kMacroCodeMoveUp: kind = HdKind::Move2; bNegate = true; return true;
    case kMacroCodeMoveDown: kind = HdKind::Move2; bNegate = false; return true;
    case kMacroCodeWheelUp: kind = HdKind::Move3; bNegate = false; return true;
    case kMacroCodeWheelDown: kind = HdKind::Move3; bNegate = true; return true;
    default: return false;
    }
}

}  // namespace

bool HdKeyEvent(uint8_t byCode, HdKind& kind, uint8_t& byValue)
{
    if (const uint8_t bit = ModifierBitOfVk(byCode)) {
        kind = HdKind::Modifier;
        byValue = uint8_t((bit | bit >> 4) & 0x0F);  // right-side bits onto the left ones
        return true;
    }
    if (byCode >= kMacroCodeLButton && byCode <= kMacroCodeBack) {
        kind = HdKind::Button;
        byValue = uint8_t(1u << (byCode - kMacroCodeLButton));
        return true;
    }
    kind = HdKind::Key;
    byValue = VkToHid(byCode);
    return byValue != 0;
}

size_t MacroToHd(const MacroRecord& macro, std::span<uint8_t> out)
{
    CHdWriter w(out, true);
    for (const MacroAction& a : macro.Action) {
        if (a.EndsMacro() || !w.Fits(1)) break;
        HdEvent e{HdKind::Key, a.wState == 0, ClampDelay(a.Delay()), 0};
        bool bNegate = false;
        bool bOk;
        if (MacroMove(a.byCode, e.kind, bNegate)) {
            e.bRelease = false;
            e.byValue = uint8_t(bNegate ? -int(a.byParam) : a.byParam);
            bOk = e.byValue != 0;
        } else {
            bOk = HdKeyEvent(a.byCode, e.kind, e.byValue);
        }
        if (!bOk) {
            LogWrongHid();
            w.AddPauseToLast(a.Delay());
            continue;
        }
        w.Add(e);
    }
    return w.Finish();
}

namespace {

// The events of one bullet step, at most two; false for a step the mouse cannot
// play (logged with bLog), which is left out.
bool BulletStepEvents(const MacroAction& s, std::vector<HdEvent>& out, bool bLog)
{
    out.clear();
    const auto clamp = [bLog](uint32_t v) { return bLog ? ClampDelay(v) : uint16_t(std::min<uint32_t>(v, kHdDelayMax)); };
    const uint16_t d = clamp(s.Delay());
    if (s.byCode == kBulletCodeMove) {
        const auto x = uint8_t(s.wState & 0xFF), y = uint8_t(s.wState >> 8);
        if (x != 0) out.push_back({HdKind::Move1, false, uint16_t(y == 0 ? d : 0), x});
        if (y != 0) out.push_back({HdKind::Move2, false, d, y});
        if (x == 0 && y == 0 && d != 0) out.push_back({HdKind::Move1, false, d, 0});
        return true;
    }
    if (s.byCode == kMacroCodeWheelUp || s.byCode == kMacroCodeWheelDown) {
        const auto v = uint8_t(s.wState & 0xFF);
        if (v != 0) out.push_back({HdKind::Move3, false, d, v});
        return true;
    }
    HdKind kind{};
    uint8_t byValue = 0;
    if (s.byCode == 0 || !HdKeyEvent(s.byCode, kind, byValue)) {
        if (bLog) LogWrongHid();
        return false;
    }
    if (s.byParam != 0) {  // press or release
        out.push_back({kind, s.wState == 0, d, byValue});
    } else if (s.wState != 0) {  // timed click: held for the duration, then the pause
        out.push_back({kind, false, clamp(s.wState), byValue});
        out.push_back({kind, true, d, byValue});
    } else {
        // A click without duration: the press alone, followed by the pause.
        // All twelve delay bits are sent, as for every other event.
        out.push_back({kind, false, d, byValue});
    }
    return true;
}

}  // namespace

size_t BulletToHd(const MacroRecord& bullet, std::span<uint8_t> out)
{
    CHdWriter w(out, false);
    std::vector<HdEvent> events;
    for (const MacroAction& s : bullet.Action) {
        if (s.EndsBullet()) break;
        if (!BulletStepEvents(s, events, true)) continue;
        if (!w.Fits(events.size())) break;  // a step that does not fit ends the bullet
        for (const HdEvent& e : events) w.Add(e);
    }
    return w.Finish();
}

int BulletHdEvents(const MacroRecord& bullet)
{
    int n = 0;
    std::vector<HdEvent> events;
    for (const MacroAction& s : bullet.Action) {
        if (s.EndsBullet()) break;
        if (BulletStepEvents(s, events, false)) n += int(events.size());
    }
    return n;
}

BulletLimits BulletLimitsFor(int32_t nMsFw, int nLoopMax)
{
    (void)nMsFw;  // the wired and the wireless mouse play bullets from the same buffer
    BulletLimits l;
    l.nLoopMax = nLoopMax > 0 ? nLoopMax : 255;
    l.nEventMax = int(kMacroEventMax);
    l.countEvents = [](const MacroRecord& rec) { return BulletHdEvents(rec); };
    return l;
}

}  // namespace mouse
