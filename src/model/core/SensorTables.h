// The optical sensors the mouse family is built around: the DPI steps of each
// sensor with the byte the sensor takes for each step, the default DPI levels
// by sensor, and the 6-bit sensor code a mouse reports.
//
// The step tables live in g_SensorDpiTables (Gvar.h). InitSensorTables fills
// them with the built-in lists; the sensor sections of cfg.ini may then replace
// a sensor's list for the rest of the run (MouseDesc.cpp).
#pragma once

#include <cstdint>
#include <array>

#include "core/Gvar.h"

// Builds the 20 built-in step tables, replacing whatever the tables hold.
void InitSensorTables();

// The step table of a sensor, or null when the sensor has none.
SensorDpiTable* FindSensorTable(int32_t nSensor);

// The hardware code of a DPI value in the sensor's steps; 0 when the sensor or
// the value is not in the tables. Code 0 is also a real code for the sensors
// whose codes count from 0: use FindDpiIndex to tell the two apart.
uint16_t DpiToHwCode(int32_t nSensor, int32_t nDpi);
// The index of a DPI value in the sensor's steps, -1 when it is not one of them.
int32_t FindDpiIndex(int32_t nSensor, int32_t nDpi);
// The DPI of step nIndex (from 0); 0 when the sensor or the index is out of range.
int32_t DpiByIndex(int32_t nSensor, int32_t nIndex);

// The sensor identifier for the 6-bit code a mouse reports; 0 for an unknown code.
int32_t SensorFromCode(int32_t nCode);

// Number of DPI levels a sensor description holds.
constexpr int kSensorLevelMax = 10;
// The default DPI levels of a sensor (unused entries 0), or null when the
// sensor has no defaults.
const std::array<int32_t, kSensorLevelMax>* DefaultDpiLevels(int32_t nSensor);
