// The 140-byte general block of one mode: what the wired mouse keeps per mode
// besides its keys (DPI levels and their colours, report rate, lighting). The
// host reads the block, changes the parts it owns and writes it back, so bytes
// it does not know survive.
#pragma once

#include <cstdint>

#include "core/Gvar.h"
#include "core/ProfileRecord.h"
#include "device/mirex/MirexReports.h"
#include "device/mouse/MouseBlock.h"
#include "device/mouse/MouseOptions.h"

namespace mirex {

// The one-byte hardware code of a resolution. A resolution the sensor does
// not list (a profile made for another sensor) takes its nearest step; a code
// above 255 is sent as 255. Both are logged.
uint8_t DpiCode(int32_t nSensor, int32_t nDpi);

// Bytes 0 and 2..44: magic, rate, levels, level codes and colours of mode m
// (0..2). nCurLevel is the current level index (-1: none); bReset clears the
// off-effect byte (and byte 114 on kind 3).
void UpdateDpiPart(GeneralBlock& block, const MsModeSettings& mode, int nMode, int nCurLevel, int32_t nSensor,
                   bool bReset, const MouseOptions& opt);

// Bytes 45..122 (and 123..139 for kind 3's reaction colours): the lighting of
// the mode in the layout of the mouse kind. Indexes read from the profile or
// the description that fall outside their tables are logged and skipped.
void UpdateLightingPart(GeneralBlock& block, const MsModeSettings& mode, const MouseOptions& opt);

}  // namespace mirex
