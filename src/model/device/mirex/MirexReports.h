// The reports the wired mouse family sends, as pure functions of their
// contents: nothing here talks to a device, so every byte can be checked.
// The command, matrix and macro reports are the mouse families' common ones.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "device/mirex/MirexProtocol.h"
#include "device/mouse/MouseReports.h"

namespace mirex {

using GeneralBlock = std::array<uint8_t, kGeneralLen>;

// Asks for the current mode; the answer's byte 1 holds it.
inline CmdReport MakeGetModeCmd() { return MakeCmd(kCmdMode); }
// Asks for the general block of mode nMode (1..3), answered in the data report.
CmdReport MakeGetGeneralCmd(int nMode);
inline CmdReport MakeLiftOffCmd(uint8_t byHw) { return MakeCmd(kCmdLiftOff, byHw); }
inline CmdReport MakeDebounceCmd(uint8_t byHw) { return MakeCmd(kCmdDebounce, byHw); }

// The data report that stores the general block of mode nMode (1..3).
DataReport MakeGeneralReport(int nMode, const GeneralBlock& block);

// The mode an answer to MakeGetModeCmd names: 1..3, or 0xFF for anything else.
int ParseModeAnswer(std::span<const uint8_t> answer);
// The general block in an answer to MakeGetGeneralCmd (report byte 8 on).
GeneralBlock GeneralFromAnswer(std::span<const uint8_t> answer);

}  // namespace mirex
