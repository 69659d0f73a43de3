#include "emu/EmuFactoryLevels.h"

#include "core/Gvar.h"
#include "core/MouseDesc.h"
#include "core/SensorTables.h"

EmuFactoryLevels FactoryLevelsFor(int32_t nSensor)
{
    EmuFactoryLevels out;
    for (int c = 1; c < 64; ++c)
        if (SensorFromCode(c) == nSensor) out.bySensorCode = uint8_t(c);
    if (const SensorCfg* p = FindSensorCfg(nSensor)) {
        for (int i = 0; i < p->nDM && i < 8; ++i) {
            out.dpi.push_back(p->Dpi[i]);
            out.colours.push_back(p->DpiClr[i]);
        }
        if (p->nDefLevel >= 0 && p->nDefLevel < int(out.dpi.size())) out.byCurrentLevel = uint8_t(p->nDefLevel + 1);
    } else if (const auto* pLevels = DefaultDpiLevels(nSensor)) {
        static constexpr ZColor kColours[] = {0x0000FF, 0xFF0000, 0x00FF00, 0xFFFF00, 0xFF00FF, 0xFFFFFF, 0, 0};
        for (size_t i = 0; i < 8 && (*pLevels)[i] != 0; ++i) {
            out.dpi.push_back((*pLevels)[i]);
            out.colours.push_back(kColours[i]);
        }
    }
    for (size_t i = 0; i < out.dpi.size(); ++i) {
        out.codes.push_back(DpiToHwCode(nSensor, out.dpi[i]));
        const ZColor c = out.colours[i];
        out.colourBytes.push_back({uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
    }
    return out;
}
