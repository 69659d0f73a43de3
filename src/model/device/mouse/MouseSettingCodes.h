// The bytes the mouse takes for the profile's lift-off level and debounce time,
// looked up in the mouse description. Shared by the wired and the wireless
// family, which send them with the same commands.
#pragma once

#include <cstdint>
#include <optional>

struct MsDesc;

namespace mouse {

// Nothing when the mouse has no such option, or its levels are not in the table
// this command takes, or the index lies beyond the table; the reason is logged.
std::optional<uint8_t> LiftOffHwCode(const MsDesc& ms, int nLod);
std::optional<uint8_t> DebounceHwCode(const MsDesc& ms, int nIndex);

}  // namespace mouse
