#include "device/kb/KbDescSnap.h"

#include <algorithm>

namespace kb {

namespace {

bool Filled(const LedOptKb& o)
{
    return o.nDevMode != 0 || o.nPreviewEffect != 0 || o.bSpeed || o.bBright || o.bDirect || o.bColorful ||
           o.nColors || std::any_of(std::begin(o.clrDef), std::end(o.clrDef), [](ZColor c) { return c != 0; });
}

}  // namespace

int KbModeCount(const KbDesc& kb)
{
    int n = 0;
    for (int m = 0; m < kKbLedOptNum; ++m)
        if (Filled(kb.LedOpt[m])) n = m + 1;
    if (kb.nGaoshouIndex < kKbLedModeNum) n = std::max(n, int(kb.nGaoshouIndex) + 1);
    return std::clamp(n, 1, kKbLedModeNum);
}

KbDescSnap MakeKbDescSnap(const GlobalVar& g, std::span<const KeyInfo> defKey)
{
    KbDescSnap s;
    s.nKbFw = g.nKbFw;
    s.kb = g.Kb;
    std::copy_n(defKey.begin(), std::min(defKey.size(), s.defKey.size()), s.defKey.begin());
    s.nKeySlots = std::clamp(g.Kb.nUIKeyNum > 0 ? g.Kb.nUIKeyNum : g.Kb.nKeyNum, 0, kKbDefKeyNum);
    s.nModeCount = KbModeCount(g.Kb);
    return s;
}

}  // namespace kb
