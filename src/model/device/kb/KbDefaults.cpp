#include "device/kb/KbDefaults.h"

#include <algorithm>

#include "core/Log.h"
#include "device/kb/KbBlock.h"
#include "keys/FunId.h"
#include "keys/KeyCodes.h"

namespace kb {

const ZColor kDefaultModeColours[7] = {0x0000FF, 0xFF0000, 0x00FF00, 0x00FFFF, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

ZColor KeyColourOfNumber(int n)
{
    constexpr ZColor kColours[8] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0xFFFFFF, 0x0080FF};
    return n >= 1 && n <= 8 ? kColours[n - 1] : 0;
}

int SlotOfVk(const KbDescSnap& d, uint8_t vk)
{
    const uint8_t byBit = ModifierBitOfVk(vk);
    for (int i = 0; i < d.nKeySlots; ++i) {
        const KeyInfo& k = d.defKey[size_t(i)];
        if (FunClass(k.FunID) != FUN_KEY) continue;
        if (byBit ? (k.byKey1 == 0 && k.byModifier == byBit) : (k.byKey1 == vk)) return i;
    }
    return -1;
}

void FillKeyDefaults(KbSettings& s, const KbDescSnap& d)
{
    CKbBlockEdit e(s);
    e.SetReserved0(0);
    for (int i = 0; i < kKbKeyNum; ++i) e.SetKey(i, d.defKey[size_t(i)]);
}

namespace {

void ApplyDefLed(CKbBlockEdit& e, const KbDescSnap& d)
{
    const int32_t* v = d.kb.DefLed;
    if (int64_t(v[0]) + v[1] + v[2] + v[3] == 0) return;
    if (v[0] < 0 || v[0] >= d.nModeCount) {
        LogPrintf("DefLed: mode %d is not one of the keyboard's %d modes; left alone", int(v[0]), d.nModeCount);
        return;
    }
    e.SetLedMode(v[0]);
    KbLedMode* p = e.Mode(v[0]);
    if (!p) return;
    p->nSpeed = v[1];
    p->nBright = v[2];
    p->nDirect = v[3] == 0 ? 1 : v[3];
    p->bColorful = v[4];
}

}  // namespace

void FillLightingDefaults(KbSettings& s, const KbDescSnap& d, const KbLightingPolicy& policy)
{
    CKbBlockEdit e(s);
    for (int m = 0; m < d.nModeCount; ++m) {
        KbLedMode* p = e.Mode(m);
        if (!p) break;
        const uint8_t p0 = d.kb.LEDParam[size_t(2 * m)], p1 = d.kb.LEDParam[size_t(2 * m + 1)];
        *p = KbLedMode{};
        const int nFrom = policy.bSpeedBrightFromOne ? 1 : 0;
        p->nSpeed = (p1 >> 4) + nFrom;
        p->nBright = (p1 & 0x0F) + nFrom;
        p->nDirect = (p0 & 0xF0) == 0x80 ? 2 : 1;
        p->bColorful = (p0 & 0x0F) == 7 ? 1 : 0;
        std::copy(std::begin(kDefaultModeColours), std::end(kDefaultModeColours), p->clr);
        p->nClrIndex = 0;
    }
    e.SetLedMode(d.kb.nDefLedIndex < d.nModeCount ? d.kb.nDefLedIndex : 0);
    if (policy.bDefLed) ApplyDefLed(e, d);
    const int nGroups = d.GroupCount();
    e.SetCurGroup(policy.bDeviceExtras && d.kb.nDefGaoshouGroup < nGroups ? d.kb.nDefGaoshouGroup : 0);
    if (policy.bDeviceExtras) {
        e.SetSleepTime(d.kb.SleepTime[0]);
        e.SetLedOption2(uint16_t(d.kb.nDefDebounce));
    }
    for (int g = 0; g < nGroups; ++g) {
        e.SetGroupUsed(g, true);
        const uint8_t* keys = d.kb.GaoshouKey[g];
        if (std::none_of(keys, keys + 132, [](uint8_t v) { return v != 0; })) continue;
        e.ClearGroup(g);
        for (int j = 0; j < 132; ++j) {
            if (keys[j] == 0) continue;
            const int nSlot = SlotOfVk(d, keys[j]);
            if (nSlot < 0) {
                LogPrintf("Error Value: GaoshouKey[%d][%d]=0x%x", g, j, keys[j]);
                continue;
            }
            ZColor clr = d.kb.clrGaoshou;
            if (policy.bKeyColourNumbers)
                if (const ZColor c = KeyColourOfNumber(d.kb.GaoshouKeyColor[g][j])) clr = c;
            e.SetGameColour(g, nSlot, clr);
        }
    }
}

void FillKbDefault(KbSettings& s, const KbDescSnap& d, const KbLightingPolicy& policy)
{
    CKbBlockEdit(s).Clear();
    FillKeyDefaults(s, d);
    FillLightingDefaults(s, d, policy);
}

}  // namespace kb
