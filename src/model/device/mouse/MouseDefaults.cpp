#include "device/mouse/MouseDefaults.h"

#include <algorithm>
#include <cstring>

#include "core/Gvar.h"
#include "core/Log.h"

namespace mouse {

namespace {

bool InMask(int nModeMask, int m) { return (nModeMask >> m) & 1; }

}  // namespace

void FillDefault(ProfileRecord& pro)
{
    const int32_t nKeepMode = pro.Ms.ProMirex.nMode;
    pro.Ms = MsSettings{};
    for (int m = 0; m < kMsModeNum; ++m)
        for (int t = 0; t < kMsKeySetNum; ++t)
            std::copy(std::begin(g_MsKeyLayout[m]), std::end(g_MsKeyLayout[m]), pro.Ms.Mode[m].Key[t]);
    if (gVar.Ms.nShowOnlyModeString && nKeepMode >= 0 && nKeepMode < kMsModeNum) pro.Ms.ProMirex.nMode = nKeepMode;
    constexpr int kAllModes = (1 << kMsModeNum) - 1;
    SetDefaultDpi(pro, pSensorCfg, kAllModes);
    SetDefaultLed(pro, kAllModes);
    SetDefaultLod(pro, kAllModes);
    SetDefaultSys(pro, kAllModes);
}

void SetDefaultDpi(ProfileRecord& pro, const SensorCfg* pSensor, int nModeMask)
{
    if (!pSensor) {
        LogPrintf("SetDefaultDpi: no sensor description, DPI levels left as they are");
        return;
    }
    const int nDM = std::clamp(pSensor->nDM, 0, kMsDpiLevelNum);
    for (int m = 0; m < kMsModeNum; ++m) {
        if (!InMask(nModeMask, m)) continue;
        MsModeSettings& mode = pro.Ms.Mode[m];
        mode.nDpiNum = gVar.Ms.nDpiUILevels > 0 ? std::min(gVar.Ms.nDpiUILevels, kMsDpiLevelNum) : nDM;
        for (int i = 0; i < kMsDpiLevelNum; ++i) {
            MsDpiLevel& lv = mode.Dpi[i];
            lv = MsDpiLevel{};
            lv.bDisabled = 1;
            if (i >= nDM) continue;
            lv.nDpiX = lv.nDpiY = pSensor->Dpi[i];
            lv.clr = pSensor->DpiClr[i];
            lv.bDisabled = 0;
        }
        mode.bXYSeparate = 0;
    }
    pro.Ms.nSensor = pSensor->nSensor;
}

void SetDefaultLed(ProfileRecord& pro, int nModeMask)
{
    // The description's default effect, brightness and speed; every effect
    // record gets the colours of its description entry with all of them in use.
    const MsDesc& ms = gVar.Ms;
    const int nLight = std::clamp(ms.nLightNum, 1, 8), nSpeed = std::clamp(ms.nSpeedNum, 1, 8);
    for (int m = 0; m < kMsModeNum; ++m) {
        if (!InMask(nModeMask, m)) continue;
        MsLedSettings& led = pro.Ms.Mode[m].Led;
        led = MsLedSettings{};
        led.nLedMode = ms.nDefEffect >= 0 && ms.nDefEffect < kMsLedModeNum ? ms.nDefEffect : 0;
        for (int i = 0; i < kMsLedModeNum; ++i) {
            MsLedMode& r = led.Mode[i];
            const LedOptMs& o = ms.LedOpt[i];
            r.nBright = std::clamp(ms.nDefLight, 0, nLight - 1);
            r.nSpeed = std::clamp(ms.nDefSpeed, 0, nSpeed - 1);
            r.nDirect = 3;
            std::copy(std::begin(o.Clr), std::end(o.Clr), r.clr);
            const int nColours = std::clamp(o.nClrNum, 0, 10);
            r.nColorMask = (1 << nColours) - 1;
            // Signature-page mice keep a packed sub-mode in the same field;
            // 0 there reads as the page's own defaults.
            r.nColorCount = gVar.nMsFw >= 256 ? 0 : std::max(nColours, 1);
        }
    }
}

void SetDefaultLod(ProfileRecord& pro, int nModeMask)
{
    // Only the adjustable lift-off page (ShowLOD 2) keeps a record per mode,
    // and the profile record has no place for it yet: nothing to fill.
    if (gVar.Ms.nShowLOD == 2)
        LogPrintf("SetDefaultLod: the lift-off record has no place in the profile record, mask 0x%x", nModeMask);
}

void SetDefaultSys(ProfileRecord& pro, int nModeMask)
{
    const MsDesc& ms = gVar.Ms;
    for (int m = 0; m < kMsModeNum; ++m) {
        if (!InMask(nModeMask, m)) continue;
        MsModeSettings& mode = pro.Ms.Mode[m];
        mode.Sys.nWheelLines = 3;
        mode.Sys.nDblClickTime = 550;
        mode.Sys.nPointerSpeed = ms.nMsMoveSpeed != 0 ? ms.nMsMoveSpeed : 10;
        mode.Sys.bEnhancePrecision = ms.nEnhancePrecision == 0 || ms.nEnhancePrecision == 1 ? ms.nEnhancePrecision : 1;
        mode.Sys.nPointerTrails = 0;
        if (pSensorCfg) mode.nRate = m == 0 ? pSensorCfg->nDR : m == 1 ? pSensorCfg->nDR_2 : pSensorCfg->nDR_3;
        else mode.nRate = 0x500;
        if (ms.nShowLOD == 1) {
            const int nLod = ms.nLOD & 0xFF;
            if (nLod < ms.nLodNum && nLod < 8) {
                mode.nLod = uint8_t(nLod);
            } else {
                LogPrintf("SetDefaultSys: lift-off level %d is beyond the %d levels, level 0 used", nLod, ms.nLodNum);
                mode.nLod = 0;
            }
        }
    }
    pro.Ms.nDebounce = uint16_t(std::max(ms.nDefDebounce, 0));
}

KeyInfo* GetKeyTable(ProfileRecord& pro, int nMode, int nTable)
{
    if (nMode < 0 || nMode >= kMsModeNum || nTable < 0 || nTable >= kMsKeySetNum) return nullptr;
    return pro.Ms.Mode[nMode].Key[nTable];
}

}  // namespace mouse
