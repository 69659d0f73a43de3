// The HID interfaces a virtual device shows, built from the device's own
// numbers: its USB identity and, per interface, a small record of what the
// device's report descriptor declares.
#pragma once

#include <cstdint>

#include "device/IHidBackend.h"

// The USB identity every interface of a device shares.
struct EmuUsbId {
    int nVID = 0;
    int nPID = 0;
    int nVersion = 0;
};

// One interface as the device declares it; the role names it in the journal
// and in the path ("emu:<device>/<role>").
struct EmuInterfaceDesc {
    const char* pszRole;
    int nReportId;
    int nFeatureLen;
    int nInputLen;
    int nOutputLen = 0;
    int nUsagePage = 0xFF00;  // vendor defined
    int nUsage = 1;
};

// The ordinary pointer collection (generic desktop, mouse) a mouse shows
// beside its vendor interfaces; it belongs to the system and the host must
// leave it alone.
inline constexpr EmuInterfaceDesc kEmuPointerInterface{"pointer", 0, 0, 8, 0, 1, 2};

inline HidDevInfo EmuInterface(const EmuUsbId& id, const EmuInterfaceDesc& desc)
{
    HidDevInfo i;
    i.nReportId = desc.nReportId;
    i.nFeatureLen = desc.nFeatureLen;
    i.nInputLen = desc.nInputLen;
    i.nOutputLen = desc.nOutputLen;
    i.nUsagePage = desc.nUsagePage;
    i.nUsage = desc.nUsage;
    i.nVID = id.nVID;
    i.nPID = id.nPID;
    i.nVersion = id.nVersion;
    return i;
}
