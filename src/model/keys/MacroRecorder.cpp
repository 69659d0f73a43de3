#include "keys/MacroRecorder.h"

#include <algorithm>
#include <array>

#include "core/Log.h"

namespace {
constexpr uint8_t kVkPrintScreen = 44;
}

void CMacroRecorder::Start(MacroItems& items)
{
    items.clear();
    m_lastVk = 0;
    m_bLastDown = false;
    m_tLast = 0;
    m_nCount = 0;
}

RecordOutcome CMacroRecorder::Feed(const RecordedKey& key, MacroItems& items)
{
    // Held keys repeat as release and press pairs on X11 and Wayland; the
    // repeats say nothing the first press did not.
    if (key.bAutoRepeat) return RecordOutcome::Ignored;
    if (key.vk == 0) {
        LogPrintf("Capture keycode=0");
        return RecordOutcome::Ignored;
    }
    if (key.vk == kVkPrintScreen) return RecordOutcome::Ignored;
    if (m_nCount > 0 && key.vk == m_lastVk && key.bDown == m_bLastDown) return RecordOutcome::Ignored;

    MacroItems next = items;
    if (m_bAutoDelay && !next.empty()) {
        const int64_t dt = key.tMs - m_tLast;
        if (dt > 0) next.push_back(DelayItem(uint32_t(std::min<int64_t>(dt, m_lim.nDelayMax))));
    }
    next.push_back(key.bDown ? PressItem(key.vk) : ReleaseItem(key.vk));
    if (!MacroFits(next, m_lim)) return RecordOutcome::Full;
    items = std::move(next);
    m_lastVk = key.vk;
    m_bLastDown = key.bDown;
    m_tLast = key.tMs;
    ++m_nCount;
    return RecordOutcome::Added;
}

uint8_t VkFromLinuxKey(uint32_t nKey)
{
    // Index: the kernel's key number (linux/input-event-codes.h), 0..127.
    static constexpr std::array<uint8_t, 128> kTable = [] {
        std::array<uint8_t, 128> t{};
        t[1] = 27;  // Esc
        for (int i = 0; i < 9; ++i) t[size_t(2 + i)] = uint8_t('1' + i);
        t[11] = '0';
        t[12] = 189; t[13] = 187; t[14] = 8; t[15] = 9;
        const char* pszQ = "QWERTYUIOP";
        for (int i = 0; i < 10; ++i) t[size_t(16 + i)] = uint8_t(pszQ[i]);
        t[26] = 219; t[27] = 221; t[28] = 13; t[29] = 17;
        const char* pszA = "ASDFGHJKL";
        for (int i = 0; i < 9; ++i) t[size_t(30 + i)] = uint8_t(pszA[i]);
        t[39] = 186; t[40] = 222; t[41] = 192; t[42] = 16; t[43] = 220;
        const char* pszZ = "ZXCVBNM";
        for (int i = 0; i < 7; ++i) t[size_t(44 + i)] = uint8_t(pszZ[i]);
        t[51] = 188; t[52] = 190; t[53] = 191; t[54] = 161; t[55] = 106; t[56] = 18; t[57] = 32; t[58] = 20;
        for (int i = 0; i < 10; ++i) t[size_t(59 + i)] = uint8_t(112 + i);  // F1..F10
        t[69] = 144; t[70] = 145;
        const uint8_t keypad[] = {103, 104, 105, 109, 100, 101, 102, 107, 97, 98, 99, 96, 110};  // 71..83
        for (size_t i = 0; i < std::size(keypad); ++i) t[71 + i] = keypad[i];
        t[86] = 226; t[87] = 122; t[88] = 123; t[89] = 193;
        t[96] = 253; t[97] = 163; t[98] = 111; t[99] = 44; t[100] = 165;
        const uint8_t nav[] = {36, 38, 33, 37, 39, 35, 40, 34, 45, 46};  // 102..111
        for (size_t i = 0; i < std::size(nav); ++i) t[102 + i] = nav[i];
        t[119] = 19; t[124] = 195; t[125] = 91; t[126] = 92; t[127] = 93;
        return t;
    }();
    return nKey < kTable.size() ? kTable[nKey] : 0;
}
