// A sysfs tree and a device folder laid out as Linux lays them out for hidraw
// nodes, in a scratch folder, for the backend and hot-plug tests:
//   sys/class/hidraw/hidrawN/device -> ../../../devices/<usb path>/<hid device>
//   sys/devices/<usb path>/<hid device>/{uevent,report_descriptor}
//   sys/devices/<usb device>/bcdDevice
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/HidSysfs.h"

namespace test {

class CFakeHidSysfs {
public:
    CFakeHidSysfs() { std::filesystem::create_directories(m_dir / "sys" / "class" / "hidraw"); }

    HidSysRoots Roots() const { return {m_dir / "sys", m_dir / "dev"}; }
    std::filesystem::path DevPath(const std::string& strNode) const { return m_dir / "dev" / strNode; }

    // A USB device (bus 3) with a release number, or another bus without one.
    // strHidName is the HID device's sysfs name, "0003:1234:5678.0007".
    void AddNode(const std::string& strNode, const std::string& strHidName, const std::vector<uint8_t>& desc,
                 const std::string& strHidId, const std::string& strBcd = "")
    {
        namespace fs = std::filesystem;
        const fs::path usbDev = m_dir / "sys" / "devices" / "pci0000:00" / "usb1" / ("1-" + strNode);
        const fs::path hidDir = usbDev / ("1-" + strNode + ":1.0") / strHidName;
        fs::create_directories(hidDir / "hidraw" / strNode);
        WriteBytes(hidDir / "uevent", "DRIVER=hid-generic\nHID_ID=" + strHidId + "\nHID_NAME=Test Device\n");
        WriteBytes(hidDir / "report_descriptor", std::string(desc.begin(), desc.end()));
        if (!strBcd.empty()) WriteBytes(usbDev / "bcdDevice", strBcd + "\n");
        const fs::path classEntry = m_dir / "sys" / "class" / "hidraw" / strNode;
        fs::remove_all(classEntry);
        fs::create_directories(classEntry);
        fs::create_directory_symlink(fs::relative(hidDir, classEntry), classEntry / "device");
    }

    void RemoveNode(const std::string& strNode)
    {
        std::filesystem::remove_all(m_dir / "sys" / "class" / "hidraw" / strNode);
    }

    const std::filesystem::path& Dir() const { return m_dir.Path(); }

private:
    CTempDir m_dir;
};

}  // namespace test
