// The report descriptor a kernel HID device needs so that the hidraw node it
// gets shows the same top-level collections as the virtual device's
// interfaces: one collection per interface, with its usage page and usage,
// its report id and its input, output and feature reports of the lengths the
// family's discovery looks for. On Linux a USB device with several such
// interfaces shows up as one hidraw node with several collections, which is
// what the backend's "#colN" paths name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/IHidBackend.h"

struct BridgeCollection {
    std::string strRole;   // the interface's role in the virtual device
    HidDevInfo info;       // as the emulator enumerates it
    int nReportId = 0;     // the id on the kernel device (the interface's own, or a free one when it has none)
};

// Report ids for every interface: an interface without one (the pointer)
// gets the lowest id no other uses. False, with the reason, when two
// interfaces share an id (one node could not tell their reports apart) or an
// interface has no report at all.
bool AssignReportIds(std::vector<BridgeCollection>& cols, std::string& strErr);

// The descriptor, collections in the given order. Report lengths count the
// report id, as HidDevInfo does; each report is bytes of 0..255.
std::vector<uint8_t> MakeReportDescriptor(const std::vector<BridgeCollection>& cols);
