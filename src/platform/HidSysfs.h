// The hidraw nodes of the machine as sysfs describes them: which nodes exist,
// the bus, vendor and product of the HID device behind each, the USB release
// number and the report descriptor. Reading sysfs needs no permission on the
// device nodes and opens nothing, so enumeration works before the udev rule
// is installed. Both roots can be moved, so tests (and a test machine with
// virtual devices) can point the code at a tree of their own.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

struct HidSysRoots {
    std::filesystem::path sysfs = "/sys";  // holds class/hidraw/<node>
    std::filesystem::path dev = "/dev";    // holds the device nodes
};

struct HidrawNode {
    std::string strName;     // "hidraw3"
    std::string strDevPath;  // the device node, e.g. "/dev/hidraw3"
    // Name of the HID device in sysfs ("0003:1234:5678.000A"); the number at
    // its end is new on every plug, so a quick unplug and replug onto the
    // same node still reads as a different device.
    std::string strDevKey;
    int nBus = 0;
    int nVID = 0;
    int nPID = 0;
    int nVersion = 0;  // USB bcdDevice; 0 on other buses and on virtual devices
};

// "0003:0000046D:0000C52B" (the HID_ID of a HID device's uevent).
bool ParseHidId(std::string_view str, int& nBus, int& nVID, int& nPID);

// One node by name ("hidraw3"); false when it is not there (any more) or
// has no readable HID_ID.
bool ReadHidrawNode(const HidSysRoots& roots, const std::string& strName, HidrawNode& node);

// Every hidraw node with a readable HID_ID, in node number order (hidraw2
// before hidraw10). Entries that vanish while being read are left out.
std::vector<HidrawNode> ScanHidrawNodes(const HidSysRoots& roots);

// The report descriptor of a node as the kernel keeps it. False when it
// cannot be read; the descriptor is capped at 64 KiB.
bool ReadHidrawDescriptor(const HidSysRoots& roots, const std::string& strName, std::vector<uint8_t>& out);
