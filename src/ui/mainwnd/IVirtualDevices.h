// The virtual devices of a demo run, as the "Virtual devices" panel offers
// them to a newcomer: plug and unplug each, and press the buttons a virtual
// mouse has. The program hands an implementation to the main window only in
// a demo; nothing else in the user interface knows the devices are virtual.
#pragma once

#include <string>
#include <vector>

class IVirtualDevices {
public:
    struct Device {
        std::string strName;
        bool bPlugged = false;
        bool bDpiButton = false;    // the device has a DPI button to press
        bool bModeButton = false;   // and a mode button
    };
    virtual ~IVirtualDevices() = default;
    virtual std::vector<Device> List() const = 0;
    // False when there is no such device or it cannot do that now.
    virtual bool SetPlugged(size_t i, bool bPlugged) = 0;
    virtual bool PressDpiButton(size_t i) = 0;
    virtual bool PressModeButton(size_t i) = 0;
};
