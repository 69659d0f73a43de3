#include "emu/kb/EmuKb.h"

#include <algorithm>

#include "core/Gvar.h"
#include "emu/kb/EmuKbText.h"
#include "keys/KeyInfo.h"

std::vector<EmuKbKey> EmuKbKeysFrom(const GlobalVar& gv, const EmuKbKeyRule& rule)
{
    std::vector<EmuKbKey> keys;
    const int nKeys = std::clamp(gv.Kb.nKeyNum, 0, kKbDefKeyNum);
    for (int i = 0; i < nKeys; ++i) {
        const KeyInfo& k = g_defKEY[i];
        if (k.FunID == 0 || k.MatrixInx < 0 || k.MatrixInx >= rule.nPositions) continue;
        EmuKbKey key;
        key.nPos = k.MatrixInx;
        key.strName = EmuKbKeyName(k, i);
        if (rule.bUnderscores) std::ranges::replace(key.strName, ' ', '_');
        key.nFnEntry = k.nFnIndex;
        key.nLed = rule.nLedEnd == 0 || (k.LedInx >= 0 && k.LedInx < rule.nLedEnd) ? k.LedInx : -1;
        keys.push_back(std::move(key));
    }
    return keys;
}

std::string CEmuKb::DescribeState() const
{
    std::lock_guard lock(m_mtx);
    return DescribeLocked();
}
