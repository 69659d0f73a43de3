#include "device/kb/KbColourPlanes.h"

#include "core/Log.h"

namespace kb {

namespace {

// The LED position of slot i within a plane of nWidth bytes; -1 when the slot
// has no light there.
int LedOf(const KbDescSnap& d, int i, int nWidth)
{
    const KeyInfo* k = d.DefKey(i);
    if (!k || k->FunID == 0) return -1;
    if (k->LedInx < 0 || k->LedInx >= nWidth) {
        LogPrintf("Key[%d]: LED position %d outside the colour plane (0..%d), left out", i, k->LedInx, nWidth - 1);
        return -1;
    }
    return k->LedInx;
}

}  // namespace

std::array<uint8_t, 3> ColourTriple(ZColor clr, const uint8_t (&idx)[3])
{
    std::array<uint8_t, 3> t{};
    for (int c = 0; c < 3; ++c)
        if (idx[c] < 3) t[idx[c]] = uint8_t(clr >> (8 * c));
    return t;
}

std::vector<uint8_t> GroupPlanes(const CKbBlock& block, const KbDescSnap& d, int g, int nWidth,
                                 const uint8_t (&idx)[3])
{
    std::vector<uint8_t> out(size_t(3 * nWidth), 0);
    for (int i = 0; i < d.nKeySlots; ++i) {
        const int nLed = LedOf(d, i, nWidth);
        if (nLed < 0) continue;
        const ZColor clr = block.GameColour(g, i);
        if (clr) LogPrintf("Key[%03d]= Color(%06x)", i, unsigned(clr));
        for (int c = 0; c < 3; ++c)
            if (idx[c] < 3) out[size_t(idx[c] * nWidth + nLed)] = uint8_t(clr >> (8 * c));
    }
    return out;
}

std::vector<uint8_t> GroupOnOffPlane(const CKbBlock& block, const KbDescSnap& d, int g, int nWidth)
{
    std::vector<uint8_t> out(size_t(nWidth), 0);
    for (int i = 0; i < d.nKeySlots; ++i) {
        const int nLed = LedOf(d, i, nWidth);
        if (nLed >= 0 && block.GameColour(g, i) != 0) out[size_t(nLed)] = 1;
    }
    return out;
}

}  // namespace kb
