// The reports the wired mouse family sends, as pure functions of their
// contents: nothing here talks to a device, so every byte can be checked.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "device/mirex/MirexProtocol.h"

namespace mirex {

using CmdReport = std::array<uint8_t, kCmdReportLen>;
using DataReport = std::array<uint8_t, kDataReportLen>;
using GeneralBlock = std::array<uint8_t, kGeneralLen>;
using KeyMatrix = std::array<uint32_t, kMatrixEntries>;

// [5, command, p1, p2, p3, p4]
CmdReport MakeCmd(uint8_t byCmd, uint8_t byP1 = 0, uint8_t byP2 = 0, uint8_t byP3 = 0, uint8_t byP4 = 0);
// Asks for the current mode; the answer's byte 1 holds it.
inline CmdReport MakeGetModeCmd() { return MakeCmd(kCmdMode); }
// Switches to mode nMode (0..2); no answer. A mode outside 0..2 gives mode 0.
CmdReport MakeSetModeCmd(int nMode);
// Asks for the general block of mode nMode (1..3), answered in the data report.
CmdReport MakeGetGeneralCmd(int nMode);
inline CmdReport MakeLiftOffCmd(uint8_t byHw) { return MakeCmd(kCmdLiftOff, byHw); }
inline CmdReport MakeDebounceCmd(uint8_t byHw) { return MakeCmd(kCmdDebounce, byHw); }

// The data report that stores the general block of mode nMode (1..3).
DataReport MakeGeneralReport(int nMode, const GeneralBlock& block);
// The data report that stores the key matrix of mode nMode (1..3).
DataReport MakeMatrixReport(int nMode, const KeyMatrix& matrix);
// The data report that stores macro buffer nBuffer (1..20); bytes beyond
// kMacroPayloadLen are not sent, the rest of the payload is zero.
DataReport MakeMacroReport(int nBuffer, std::span<const uint8_t> buffer);

// The mode an answer to MakeGetModeCmd names: 1..3, or 0xFF for anything else.
int ParseModeAnswer(std::span<const uint8_t> answer);
// The general block in an answer to MakeGetGeneralCmd (report byte 8 on).
GeneralBlock GeneralFromAnswer(std::span<const uint8_t> answer);

}  // namespace mirex
