// The reports the wireless mouse family sends and the answers it reads, as
// pure functions of their contents. Where a record is the wired family's
// (key matrix, macro buffer) the wired encoder builds it and only the report
// id and the trailer differ.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "device/mouse/MouseReports.h"
#include "device/w24g/W24Protocol.h"

namespace w24g {

using CmdReport = std::array<uint8_t, kCmdReportLen>;
using DataReport = mouse::DataReport;
using GeneralBlock = std::array<uint8_t, kGeneralLen>;
using KeyMatrix = mouse::KeyMatrix;

// [5, command, p1, p2, p3, p4, 0, 0]
CmdReport MakeCmd(uint8_t byCmd, uint8_t byP1 = 0, uint8_t byP2 = 0, uint8_t byP3 = 0, uint8_t byP4 = 0);
// Switches to mode nMode (0..2); no answer.
CmdReport MakeSetModeCmd(int nMode);
// Asks for the general block of profile p (1..2), answered in the data report.
CmdReport MakeGetGeneralCmd(int p);
// Asks for the lift-off level of profile p (1..2), answered in the data report.
CmdReport MakeGetLiftOffCmd(int p);
inline CmdReport MakeOnlineCmd() { return MakeCmd(kCmdOnline); }
inline CmdReport MakePowerCmd() { return MakeCmd(kCmdPower); }
inline CmdReport MakeLiftOffCmd(uint8_t byHw) { return MakeCmd(kCmdLiftOff, byHw); }
inline CmdReport MakeDebounceCmd(uint8_t byHw) { return MakeCmd(kCmdDebounce, byHw); }

// The data report that stores the general block of profile p (1..2).
DataReport MakeGeneralReport(const W24Kind& kind, int p, const GeneralBlock& block);
// The data report that stores the key matrix of profile p (1..2).
DataReport MakeMatrixReport(const W24Kind& kind, int p, const KeyMatrix& matrix);
// The data report that stores macro buffer nBuffer (1..20).
DataReport MakeMacroReport(const W24Kind& kind, int nBuffer, std::span<const uint8_t> buffer);
// An empty data report with the kind's id, for reading an answer into.
DataReport MakeDataAnswerBuffer(const W24Kind& kind);

// The general block in an answer to MakeGetGeneralCmd (report byte 8 on).
GeneralBlock GeneralFromAnswer(std::span<const uint8_t> answer);
// The lift-off level (0..14) in an answer to MakeGetLiftOffCmd: the high four
// bits of the level byte minus 1 when the byte is above 15, else 0.
int LiftOffLevelFromAnswer(std::span<const uint8_t> answer);
// Whether the answer to MakeOnlineCmd says the mouse answers through the receiver.
bool OnlineFromAnswer(std::span<const uint8_t> answer);

struct PowerState {
    bool bUsb = false;   // the cable is connected (charging)
    int nLevel = 0;      // battery level as the mouse reports it
    int nVoltage = 0;    // 16-bit value, low byte first
};
// The battery state in an answer to MakePowerCmd; none unless byte 1 is
// kLinkCable or kLinkReceiver.
std::optional<PowerState> PowerFromAnswer(std::span<const uint8_t> answer);

}  // namespace w24g
