// The pad's lighting defaults in a profile record: eleven effect records with
// the factory values, effect 0 current, unless the description's default
// lighting (LedParam: effect index, then its speed, brightness, direction and
// flag) names another.
#pragma once

#include <cstdint>
#include <span>

#include "core/ProfileRecord.h"

namespace pad {

// The factory record every effect starts with.
PadLedMode DefaultEffect();

// Clears the pad block and fills it; ledParam holds at least five integers.
// An effect index outside 0..10 in ledParam is logged and not used (the
// factory defaults stay).
void FillPadDefault(PadSettings& pad, std::span<const int32_t> ledParam);

}  // namespace pad
