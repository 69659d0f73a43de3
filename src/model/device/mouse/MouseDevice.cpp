#include "device/mouse/MouseDevice.h"

#include <algorithm>
#include <string>

#include "core/Gvar.h"
#include "core/Log.h"
#include "core/MouseDesc.h"
#include "core/Utf.h"
#include "device/mouse/MouseKeyCode.h"
#include "keys/FunId.h"
#include "keys/MacroList.h"

namespace mouse {

namespace {

std::u16string U16Printf(const char* pszFormat, auto... args)
{
    std::string s;
    AppendFormat(s, pszFormat, args...);
    return Utf8ToU16(s);
}

}  // namespace

void LogCmd(std::span<const uint8_t> cmd)
{
    if (g_nDebug == 4 && cmd.size() >= 6)
        LogPrintf("SendCmd: %02x,%02x,%02x,%02x,%02x", cmd[1], cmd[2], cmd[3], cmd[4], cmd[5]);
}

bool SendCommand(CHidDrv& drv, std::span<const uint8_t> cmd)
{
    LogCmd(cmd);
    return drv.SendFeature(HidRole::Cmd, cmd, "SendCmd");
}

bool ValidMode(const char* pszWho, int nMode)
{
    if (nMode >= 0 && nMode < kModeMax) return true;
    LogPrintf("%s::SetMode: mode %d does not exist", pszWho, nMode);
    return false;
}

bool InPidList(const uint16_t (&list)[5], int nPID)
{
    return nPID != 0 && std::ranges::find(list, uint16_t(nPID)) != std::end(list);
}

SensorCheck CheckSensor(int32_t nSensor, const MsDesc& ms, INoticeSink& notices, const char* pszWho,
                        DeviceFound& found)
{
    LogPrintf("%s::FindHIDDevice, nMsSensor=0x%x, bAutoSwitch=%x", pszWho, unsigned(nSensor), unsigned(ms.nAutoSw));
    found.nSensor = nSensor;
    if (nSensor == 0) {
        notices.Notice(u"     Senr error    ", u"Warning");
        return SensorCheck::Refused;  // nothing may be written to a mouse without a sensor
    }
    if (ms.nAutoSw) {
        if (!FindSensorCfg(nSensor)) {
            notices.Notice(U16Printf("Sensor %04x is not supported", unsigned(nSensor)), u"");
            return SensorCheck::Unknown;
        }
        found.bSwitchSensor = true;
        return SensorCheck::Usable;
    }
    if (nSensor != ms.nMsSensor) {
        notices.Notice(U16Printf("Sensor unmatch: dev=0x%04x, cfg=0x%04x", unsigned(nSensor), unsigned(ms.nMsSensor)),
                       u"");
        return SensorCheck::Refused;
    }
    return SensorCheck::Usable;
}

uint32_t HardwareCode(const KeyInfo& key, int32_t nSensor)
{
    const uint8_t byClass = FunClass(key.FunID);
    const MacroRecord* pRec = byClass == FUN_MACRO ? GetMacroById(key.MacroID)
                              : byClass == FUN_BULLET ? GetBulletById(key.MacroID) : nullptr;
    return MouseKeyCode(key, nSensor, pRec).value_or(0xFFFFFFFFu);
}

}  // namespace mouse
