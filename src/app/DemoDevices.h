// The virtual devices of a demo, offered to the main window's "Virtual
// devices" panel: every device of the emulator with its plug state, and the
// buttons the virtual mice have.
#pragma once

#include "ui/mainwnd/IVirtualDevices.h"

class CEmuBackend;

class CDemoDevices final : public IVirtualDevices {
public:
    explicit CDemoDevices(CEmuBackend& backend) : m_backend(backend) {}
    std::vector<Device> List() const override;
    bool SetPlugged(size_t i, bool bPlugged) override;
    bool PressDpiButton(size_t i) override;
    bool PressModeButton(size_t i) override;

private:
    CEmuBackend& m_backend;
};
