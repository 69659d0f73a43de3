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
    return ModeColourByte(block, d, m, KbLightingStyle{});
}

uint8_t ModeByteOf(const KbDescSnap& d, int nMode, const KbLightingStyle& style)
{
    if (style.modeByte == KbLightingStyle::ModeByte::DevMode) return uint8_t(d.DevMode(nMode));
    return CKbBlock::ValidMode(nMode) ? uint8_t(nMode + d.kb.nEffectBase) : 0;
}

uint8_t ModeColourByte(const CKbBlock& block, const KbDescSnap& d, int m, const KbLightingStyle& style)
{
    const KbLedMode* rec = block.Mode(m);
    if (!rec) return 0;
    const int32_t nColourful = style.nColourfulValue >= 0 ? style.nColourfulValue : d.kb.nRandomVal;
    uint8_t by = uint8_t((rec->bColorful ? nColourful : rec->nClrIndex) & 0x0F);
    const LedOptKb* opt = d.LedOpt(m);
    if (style.bDirectionByModeByte || (opt && opt->bDirect)) {
        const int nMatch = style.bDirectionByModeByte ? ModeByteOf(d, block.LedMode(), style) : block.LedMode();
        uint8_t byDir = rec->nDirect == 2 ? 8 : 0;
        for (const auto& e : d.kb.Direct) {
            if (e[0] == 0 && e[1] == 0 && e[2] == 0) continue;
            if (e[0] == nMatch) {
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
    SetModeInP(P, d, nMode, KbLightingStyle{});
}

void SetModeInP(std::span<uint8_t> P, const KbDescSnap& d, int nMode, const KbLightingStyle& style)
{
    const long o = d.kb.nLedModeSelectOffset;
    Put(P, o, d.IsGameMode(nMode) ? 1 : 0);
    Put(P, o + 1, ModeByteOf(d, nMode, style));
}

void FillLightingP(std::span<uint8_t> P, const CKbBlock& block, const KbDescSnap& d, const KbLightingStyle& style)
{
    const long o = d.kb.nLedModeSelectOffset;
    const int nMode = block.LedMode();
    SetModeInP(P, d, nMode, style);
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
        const uint8_t bySb = SpeedBrightByte(std::max(rec->nSpeed + style.nSpeedBrightBias, 0),
                                             std::max(rec->nBright + style.nSpeedBrightBias, 0));
        if (style.entry == KbLightingStyle::ModeEntry::ColourSpeed) {
            const long at = style.nModeEntriesAt + 2L * m;
            if (at + 1 >= long(P.size())) break;
            Put(P, at, ModeColourByte(block, d, m, style));
            Put(P, at + 1, bySb);
        } else {
            const long at = style.nModeEntriesAt + long(m);
            if (at >= long(P.size())) break;
            Put(P, at, bySb);
        }
    }
}

}  // namespace kb
