#include "device/varorgb/VaroRgbCfg.h"

#include <algorithm>

#include "core/Log.h"
#include "device/kb/KbColourPlanes.h"
#include "device/kb/KbLightingP.h"

namespace varorgb {

kb::KbBlockMap BlockMapFor(int nFwType, int nOurCfg)
{
    kb::KbBlockMap m{};
    m.byCfgAddr = nFwType == kFwSingleColour ? kCfgAddrSingle : kCfgAddrRgb;
    m.nCfgLen = kCfgLen;
    m.byMatrixAddr = nOurCfg == 1 ? kMatrixAddrOurCfg : kMatrixAddr;
    m.byRgbAddr = kRgbAddr;
    m.ledAddr = {kLedAddr[0], kLedAddr[1]};
    m.macroAddr = {kMacroAddr[0], kMacroAddr[1], kMacroAddr[2], kMacroAddr[3]};
    return m;
}

std::span<uint8_t> CfgP(CfgBlock& cfg, int nCfg)
{
    if (nCfg < 0 || nCfg >= kCfgBlockMax) return {};
    return std::span(cfg).subspan(kCfgBlocksAt + size_t(nCfg) * kCfgBlockLen, kCfgBlockLen);
}

bool FillConfig(CfgBlock& cfg, const kb::CKbBlock& block, const kb::KbDescSnap& d, bool bReset)
{
    const int nCfg = bReset ? d.kb.nDefCfg : d.kb.nOurCfg;
    const std::span<uint8_t> P = CfgP(cfg, nCfg);
    if (P.empty()) {
        LogPrintf("Configuration %d does not exist on the keyboard (0 or 1); the lighting is not written", nCfg);
        return false;
    }
    cfg[kCfgInUse] = uint8_t(nCfg);
    kb::KbLightingStyle style;
    if (d.nKbFw == kFwSingleColour) {
        style.entry = kb::KbLightingStyle::ModeEntry::SpeedOnly;
        style.nModeEntriesAt = kModeEntriesSingle;
    } else {
        style.entry = kb::KbLightingStyle::ModeEntry::ColourSpeed;
        style.nModeEntriesAt = kModeEntriesRgb;
        style.bOption2 = true;
        style.bWheelSleep = true;
    }
    kb::FillLightingP(P, block, d, style);
    return true;
}

int RgbTableModes(const kb::KbDescSnap& d)
{
    const size_t at = d.kb.nOurCfg == 1 ? kRgbTableAtOurCfg : kRgbTableAt;
    const int nFit = int((kb::kBlockPayloadMax - at) / kRgbModeLen);
    // Table entries of modes the description does not have keep the keyboard's bytes.
    return std::min({int(d.kb.nEffectOffset), nFit, d.nModeCount});
}

void FillRgbTable(std::span<uint8_t, kb::kBlockPayloadMax> table, const kb::CKbBlock& block, const kb::KbDescSnap& d)
{
    const size_t at = d.kb.nOurCfg == 1 ? kRgbTableAtOurCfg : kRgbTableAt;
    const int nModes = RgbTableModes(d);
    if (nModes < d.kb.nEffectOffset)
        LogPrintf("Colour table: %d modes fit, EffectOffset names %d", nModes, int(d.kb.nEffectOffset));
    for (int m = 0; m < nModes; ++m) {
        const KbLedMode* rec = block.Mode(m);
        if (!rec) break;
        for (size_t c = 0; c < 7; ++c) {
            const auto t = kb::ColourTriple(rec->clr[c], d.kb.RGBIndex);
            std::copy(t.begin(), t.end(), table.begin() + ptrdiff_t(at + size_t(m) * kRgbModeLen + 3 * c));
        }
    }
}

int LedAreaGroups(const kb::KbDescSnap& d)
{
    const size_t nPer = d.nKbFw == kFwSingleColour ? size_t(kPlaneWidthSingle) : size_t(3 * kPlaneWidthRgb);
    return std::min(d.GroupCount(), int(kLedAreaLen / nPer));
}

std::vector<uint8_t> BuildLedArea(const kb::CKbBlock& block, const kb::KbDescSnap& d)
{
    std::vector<uint8_t> area;
    area.reserve(kLedAreaLen);
    const int nGroups = LedAreaGroups(d);
    if (nGroups < d.GroupCount())
        LogPrintf("Lighting blocks: %d of %d colour groups fit", nGroups, d.GroupCount());
    for (int g = 0; g < nGroups; ++g) {
        const std::vector<uint8_t> bytes = d.nKbFw == kFwSingleColour
                                               ? kb::GroupOnOffPlane(block, d, g, kPlaneWidthSingle)
                                               : kb::GroupPlanes(block, d, g, kPlaneWidthRgb, d.kb.GameRGBIndex);
        LogPrintf("ColorGroup[%d]: ", g);
        LogHex(bytes.data(), bytes.size(), 32, "");
        area.insert(area.end(), bytes.begin(), bytes.end());
    }
    area.resize(kLedAreaLen, 0);
    return area;
}

bool RestoreModeInCfg(CfgBlock& cfg, const kb::KbDescSnap& d, int nMode)
{
    const std::span<uint8_t> P = CfgP(cfg, cfg[kCfgInUse]);
    if (P.empty()) return false;
    kb::SetModeInP(P, d, nMode);
    return true;
}

}  // namespace varorgb
