#include "device/kb/KbLightingP.h"

#include <algorithm>

namespace kb {

namespace {

void Put(std::span<uint8_t> P, long i, uint8_t v)
{
    if (i >= 0 && size_t(i) < P.size()) P[size_t(i)] = v;
}

}  // namespace

uint8_t ModeColourByte(const CKbBlock& block, const KbDescSnap& d, int m)
{
    const KbLedMode* rec = block.Mode(m);
    if (!rec) return 0;
    uint8_t by = uint8_t((rec->bColorful ? d.kb.nRandomVal : rec->nClrIndex) & 0x0F);
    const LedOptKb* opt = d.LedOpt(m);
    if (opt && opt->bDirect) {
        uint8_t byDir = rec->nDirect == 2 ? 8 : 0;
        for (const auto& e : d.kb.Direct) {
            if (e[0] == 0 && e[1] == 0 && e[2] == 0) continue;
            if (e[0] == block.LedMode()) {
                byDir = rec->nDirect == 2 ? e[2] : e[1];
                break;
            }
        }
        by = uint8_t(by | (byDir & 0x0F) << 4);
    }
    return by;
}

void SetModeInP(std::span<uint8_t> P, const KbDescSnap& d, int nMode)
{
    const long o = d.kb.nLedModeSelectOffset;
    Put(P, o, d.IsGameMode(nMode) ? 1 : 0);
    Put(P, o + 1, uint8_t(d.DevMode(nMode)));
}

void FillLightingP(std::span<uint8_t> P, const CKbBlock& block, const KbDescSnap& d, const KbLightingStyle& style)
{
    const long o = d.kb.nLedModeSelectOffset;
    const int nMode = block.LedMode();
    SetModeInP(P, d, nMode);
    Put(P, o + 2, uint8_t(std::max(block.CurGroup(), 0) + d.kb.nStartGp));
    if (style.bOption2 && (d.kb.ptSpeed.x != 0 || d.kb.ptSpeed.y != 0)) Put(P, 2, uint8_t(block.LedOption2()));
    if (style.bWheelSleep) {
        if (d.kb.nWheelMode != 0) Put(P, 16, uint8_t(d.kb.nWheelMode));
        Put(P, 17, uint8_t(block.SleepTime()));
    }
    if (style.bMarks) {
        Put(P, 20, 0xFF);
        Put(P, 21, 0xFF);
    }
    for (int m = 0; m < d.nModeCount; ++m) {
        const KbLedMode* rec = block.Mode(m);
        if (!rec) break;
        const uint8_t bySb = SpeedBrightByte(rec->nSpeed, rec->nBright);
        if (style.entry == KbLightingStyle::ModeEntry::ColourSpeed) {
            const long at = style.nModeEntriesAt + 2L * m;
            if (at + 1 >= long(P.size())) break;
            Put(P, at, ModeColourByte(block, d, m));
            Put(P, at + 1, bySb);
        } else {
            const long at = style.nModeEntriesAt + long(m);
            if (at >= long(P.size())) break;
            Put(P, at, bySb);
        }
    }
}

}  // namespace kb
