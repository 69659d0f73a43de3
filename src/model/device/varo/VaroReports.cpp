#include "device/varo/VaroReports.h"

#include <algorithm>

#include "core/Log.h"
#include "device/kb/KbColourPlanes.h"

namespace varo {

namespace {

// The seven colours of a seven-colour keyboard, in the order it numbers them from 1.
constexpr ZColor kSevenColours[7] = {0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

int GroupOrZero(const kb::CKbBlock& block)
{
    const int g = block.CurGroup();
    return g < 0 ? 0 : g;
}

}  // namespace

std::optional<LedReport> BuildLedReport(const kb::CKbBlock& block, const kb::KbDescSnap& d)
{
    const int m = block.LedMode();
    const KbLedMode* p = block.Mode(m);
    if (!p || m >= d.nModeCount) {
        LogPrintf("Wrong LED mode %d, the keyboard has %d", int(m), d.nModeCount);
        return std::nullopt;
    }
    LedReport r{};
    r[0] = kLedId;
    r[1] = uint8_t(d.DevMode(m));
    r[2] = uint8_t(GroupOrZero(block) + 1);
    r[3] = uint8_t(p->nSpeed);
    r[4] = uint8_t(d.IsGameMode(m) ? 5 : p->nBright);
    r[5] = p->bColorful ? 8 : 0;
    const ZColor clr = p->clr[0] & 0xFFFFFF;
    r[6] = uint8_t(clr);
    r[7] = uint8_t(clr >> 8);
    r[8] = uint8_t(clr >> 16);
    if (d.kb.nKVaroRGB == 0) {
        const auto* it = std::find(std::begin(kSevenColours), std::end(kSevenColours), clr);
        if (it == std::end(kSevenColours)) LogPrintf("Wrong 7-color value: 0x%06x !!!!", unsigned(clr));
        else r[5] = uint8_t(it - std::begin(kSevenColours) + 1);
    }
    return r;
}

LedReport BuildResetLedReport(const kb::CKbBlock& block, const kb::KbDescSnap& d)
{
    LedReport r{};
    r[0] = kLedId;
    r[1] = uint8_t(d.kb.nGaoshouIndex + 1);
    r[2] = uint8_t(GroupOrZero(block) + 1);
    return r;
}

std::optional<uint8_t> GroupByte(const kb::KbDescSnap& d, int g)
{
    if (g < 0) return std::nullopt;
    const uint8_t* idx = d.kb.GameGroupIndex;
    // The description's list names four groups; a later group cannot take a byte from it.
    if (std::any_of(idx, idx + 4, [](uint8_t b) { return b != 0; })) {
        if (g < 4) return idx[g];
        return std::nullopt;
    }
    if (d.kb.nKVaroRGB) {
        if (g < 2) return kRgbGroupByte[g];
        return std::nullopt;
    }
    return uint8_t(g + 1);
}

std::optional<ColourReport> BuildColourReport(const kb::CKbBlock& block, const kb::KbDescSnap& d, int g)
{
    const std::optional<uint8_t> byGroup = GroupByte(d, g);
    if (!byGroup) {
        LogPrintf("Colour group %d has no group byte on this keyboard", g);
        return std::nullopt;
    }
    ColourReport r{};
    r[0] = kColourId;
    r[1] = *byGroup;
    static constexpr uint8_t kRgbOrder[3] = {0, 1, 2};
    const std::vector<uint8_t> planes = kb::GroupPlanes(block, d, g, kPlaneWidth, kRgbOrder);
    std::copy_n(planes.begin(), std::min(planes.size(), kPlanesLen), r.begin() + 2);
    return r;
}

ColourReport ClearColourReport()
{
    ColourReport r{};
    r[0] = kColourId;
    return r;
}

VaroMatrixPlan BuildVaroMatrix(const kb::CKbBlock& block, const kb::KbDescSnap& d, const kb::KbCodeOf& codeOf)
{
    VaroMatrixPlan plan;
    for (int i = 0; i < d.nKeySlots; ++i) {
        const KeyInfo* k = block.Key(i);
        const KeyInfo* def = d.DefKey(i);
        if (!k || !def || k->FunID == 0) continue;
        const std::optional<uint32_t> code = codeOf(*k);
        if (!code) {
            plan.invalidSlots.push_back(i);
            continue;
        }
        const int nPos = def->MatrixInx;
        if (nPos < 0 || nPos >= kMatrixCodes) {
            LogPrintf("Wrong MatrixInx=%d, Key[%d]", int(nPos), i);
            plan.badPositionSlots.push_back(i);
            continue;
        }
        plan.codes[size_t(nPos)] = *code;
        if ((*code & 0xFF) == kKindMacro) plan.macros.push_back({i, nPos, k->MacroID});
    }
    return plan;
}

MatrixCodes MergeOver(const MatrixCodes& current, const MatrixCodes& fresh)
{
    MatrixCodes out = current;
    for (size_t i = 0; i < out.size(); ++i)
        if (fresh[i] != 0) out[i] = fresh[i];
    return out;
}

MatrixReport BuildMatrixReport(const MatrixCodes& codes)
{
    MatrixReport r{};
    r[0] = kMatrixId;
    for (size_t i = 0; i < codes.size(); ++i)
        for (size_t b = 0; b < 4; ++b) r[1 + 4 * i + b] = uint8_t(codes[i] >> (8 * b));
    return r;
}

MatrixCodes MatrixCodesOf(std::span<const uint8_t> report)
{
    MatrixCodes codes{};
    for (size_t i = 0; i < codes.size(); ++i)
        for (size_t b = 0; b < 4; ++b)
            if (1 + 4 * i + b < report.size()) codes[i] |= uint32_t(report[1 + 4 * i + b]) << (8 * b);
    return codes;
}

std::vector<uint8_t> BuildMacroReport(std::span<const uint8_t> area)
{
    std::vector<uint8_t> r(kMacroReportLen, 0);
    r[0] = kMacroId;
    std::copy_n(area.begin(), std::min(area.size(), kMacroAreaLen), r.begin() + 1);
    return r;
}

std::optional<MusicReport> BuildMusicReport(std::span<const uint8_t> frame)
{
    if (frame.size() > kMusicFrameMax) return std::nullopt;
    MusicReport r{};
    r[0] = kMusicId;
    std::ranges::copy(frame, r.begin() + 1);
    return r;
}

}  // namespace varo
