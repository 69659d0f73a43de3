#include "device/pad/PadReports.h"

#include <algorithm>

namespace pad {

PadReport MakeReadBuffer() { return PadReport{kReportId}; }

PadReport MakeBlockReport(const PadBlock& block)
{
    PadReport r{kReportId};
    std::ranges::copy(block, r.begin() + 1);
    return r;
}

std::optional<PadBlock> BlockFromAnswer(std::span<const uint8_t> answer)
{
    if (answer.size() != kReportLen || answer[0] != kReportId) return std::nullopt;
    PadBlock b{};
    std::copy(answer.begin() + 1, answer.end(), b.begin());
    return b;
}

uint8_t BrightCode(int32_t nBright)
{
    switch (nBright) {
    case kBright20: return 1;
    case kBright50: return 2;
    case kBright70: return 3;
    default: return kBrightCodeFull;
    }
}

void PutLighting(PadBlock& block, int nIndex, const PadLedMode& e)
{
    const uint8_t byEffect = EffectNumber(nIndex);
    block[kGdEffect] = byEffect;
    block[kGdSpeedBright] = uint8_t((e.nSpeed & 0x0F) | BrightCode(e.nBright) << 4);
    std::fill(block.begin() + kGdColours, block.end(), uint8_t{0});
    uint8_t byCount = 0;
    for (int i = 0; i < kColourMax; ++i) {
        if (!(uint32_t(e.nColorMask) >> i & 1)) continue;
        const ZColor c = e.clr[i];
        const size_t at = kGdColours + 3 * size_t(byCount++);
        block[at] = uint8_t(c);
        block[at + 1] = uint8_t(c >> 8);
        block[at + 2] = uint8_t(c >> 16);
    }
    uint8_t byExtra = 0;
    if (byEffect == kEffectDirectA || byEffect == kEffectDirectB)
        byExtra = e.nDirect == kDirectFirst ? kExtraDirectFirst : 0;
    else if (byEffect == kEffectCounted)
        byExtra = byCount;
    block[kGdExtra] = byExtra;
}

}  // namespace pad
