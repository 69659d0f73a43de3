// What the mouse families' device objects share besides their reports: the
// command log line, the check of the sensor a mouse reports against the
// description, and the key code of a function with the program's macro lists.
#pragma once

#include <cstdint>
#include <span>

#include "core/Gvar.h"
#include "core/INoticeSink.h"
#include "device/HidDev.h"
#include "device/mouse/MouseProtocol.h"
#include "keys/KeyInfo.h"

namespace mouse {

// Both families' listeners read the 8-byte input report 7.
constexpr InputReportDesc kMouseInput{kNotifyReportId, int(kNotifyReportLen)};

// A command report on the command interface, logged at level 4 first.
bool SendCommand(CHidDrv& drv, std::span<const uint8_t> cmd);

// "SendCmd: p1,p2,..." at log level 4.
void LogCmd(std::span<const uint8_t> cmd);

// Whether nMode is a mode (0..2) a mouse can switch to; logged when not.
bool ValidMode(const char* pszWho, int nMode);

// Whether nPID is one of the identifiers of a product list (0 is none).
bool InPidList(const uint16_t (&list)[5], int nPID);

enum class SensorCheck { Usable = 1, Unknown = 0, Refused = -1 };
// Whether the sensor a mouse reports may be worked with: none at all is
// refused ("Senr error"); with sensor switching any sensor the description
// knows is taken (found.bSwitchSensor), another is unknown; without it, only
// the configured one. The user is told why through notices. pszWho names the
// family in the log.
SensorCheck CheckSensor(int32_t nSensor, const MsDesc& ms, INoticeSink& notices, const char* pszWho,
                        DeviceFound& found);

// The mouse's code for a key function, with the program's macro and bullet
// lists; 0xFFFFFFFF for one it does not have. User-interface thread.
uint32_t HardwareCode(const KeyInfo& key, int32_t nSensor);

}  // namespace mouse
