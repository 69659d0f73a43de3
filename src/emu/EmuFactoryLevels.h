// What a virtual mouse holds when it leaves the factory: the sensor code it
// reports and its DPI levels, taken from the mouse description (the sensor's
// section, else the built-in default levels of that sensor). Both mouse
// families build their virtual firmware from it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/Types.h"

struct EmuFactoryLevels {
    uint8_t bySensorCode = 0;        // 0 when the sensor has no code
    std::vector<int32_t> dpi;        // at most 8 levels
    std::vector<ZColor> colours;     // one per level
    uint8_t byCurrentLevel = 1;      // counted from 1
    // The same levels as the mouse's blocks hold them.
    std::vector<uint16_t> codes;                    // the sensor's code for each level
    std::vector<std::array<uint8_t, 3>> colourBytes;  // red, green, blue
};

EmuFactoryLevels FactoryLevelsFor(int32_t nSensor);
