// The reports both mouse families build the same way, as pure functions of
// their contents: the command report, the key matrix and the macro buffer
// records. A family whose reports differ (a longer command report, another
// data report id, a trailer) changes the result of these.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "device/mouse/MouseProtocol.h"

namespace mouse {

using CmdReport = std::array<uint8_t, kCmdBaseLen>;
using DataReport = std::array<uint8_t, kDataReportLen>;
using KeyMatrix = std::array<uint32_t, kMatrixEntries>;

// [5, command, p1, p2, p3, p4]
CmdReport MakeCmd(uint8_t byCmd, uint8_t byP1 = 0, uint8_t byP2 = 0, uint8_t byP3 = 0, uint8_t byP4 = 0);
// Switches to mode nMode (0..2); no answer. A mode outside 0..2 gives mode 0.
CmdReport MakeSetModeCmd(int nMode);
// A data report with its record header: [4, kind, b1, b2, 0...].
DataReport RecordHeader(uint8_t byKind, uint8_t byB1, uint8_t byB2);
// The data report that stores the key matrix of mode nMode (1..3).
DataReport MakeMatrixReport(int nMode, const KeyMatrix& matrix);
// The data report that stores macro buffer nBuffer (1..20); bytes beyond
// kMacroPayloadLen are not sent, the rest of the payload is zero.
DataReport MakeMacroReport(int nBuffer, std::span<const uint8_t> buffer);

// A mode 1..3, else 1.
inline int ClampMode(int nMode) { return nMode >= 1 && nMode <= kModeMax ? nMode : 1; }

}  // namespace mouse
