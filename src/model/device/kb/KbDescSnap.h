// What an apply job and the keyboard defaults need of the keyboard
// description, copied on the user-interface thread: the description of
// cfg.ini, the default key table and the family. The number of lighting modes
// is computed here once from the description, so that new profiles, the
// defaults and every apply agree on it whatever page was built first.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "core/Gvar.h"
#include "core/ProfileRecord.h"

namespace kb {

struct KbDescSnap {
    int32_t nKbFw = 0;                       // 0: no keyboard configured
    KbDesc kb{};
    std::array<KeyInfo, kKbDefKeyNum> defKey{};
    int nKeySlots = 0;                       // key slots in use, 0..132
    int nModeCount = 0;                      // lighting modes, 1..24

    // Default record of key slot n; null outside the slots in use.
    const KeyInfo* DefKey(int n) const { return n >= 0 && n < nKeySlots ? &defKey[size_t(n)] : nullptr; }
    // Option record of mode m; null outside the modes.
    const LedOptKb* LedOpt(int m) const { return m >= 0 && m < nModeCount ? &kb.LedOpt[m] : nullptr; }
    // The mode number the keyboard takes for mode m (0 for no mode).
    int32_t DevMode(int m) const
    {
        const LedOptKb* p = LedOpt(m);
        return p ? p->nDevMode : 0;
    }
    // Colour groups the description uses, 0..10.
    int GroupCount() const { return std::min<int>(kb.nGaoshouGroupNum, kGaoshouGroupMax); }
    bool IsGameMode(int m) const { return m >= 0 && m == kb.nGaoshouIndex; }
};

// The number of lighting modes of a description: up to the last option record
// that is filled (built in or from cfg.ini), and at least up to the per-key
// colour mode when that is a mode; at most 24.
int KbModeCount(const KbDesc& kb);

// The snapshot of gVar's keyboard and the default key table.
KbDescSnap MakeKbDescSnap(const GlobalVar& g, std::span<const KeyInfo> defKey);

}  // namespace kb
