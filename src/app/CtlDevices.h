// The devices of the command-line tool: the HID backend (hidapi, or the
// emulator with virtual devices for the families cfg.ini configures), the
// device hub that drives the configured families, and, with the emulator, the
// virtual devices' on-board state kept in the per-user folder between runs
// (<user>/emu/<device>.state), the journal and the rule checks, all through
// the emulator's rig (emu/EmuRig.h).
#pragma once

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

#include "core/INoticeSink.h"
#include "core/IPrompt.h"
#include "device/DeviceHub.h"
#include "device/IClock.h"
#include "device/IHidBackend.h"
#include "emu/EmuRig.h"

struct CtlDeviceOptions {
    bool bEmulate = false;
    std::filesystem::path journal;   // empty: no journal file
    EmuFault fault;
};

class CCtlDevices {
public:
    CCtlDevices(CtlDeviceOptions opt, IPrompt& prompt);
    ~CCtlDevices();
    CCtlDevices(const CCtlDevices&) = delete;
    CCtlDevices& operator=(const CCtlDevices&) = delete;

    // Builds the backend and the device hub from gVar (start-up has run).
    // With the emulator the virtual devices get the state stored in the user
    // folder; a state file that cannot be read is kept aside as ".bad" and the
    // device starts fresh (a note on err). False only when nothing can be built.
    bool Open(std::ostream& err);

    IHidBackend& Backend() { return m_rig ? static_cast<IHidBackend&>(m_rig->Backend()) : *m_backend; }
    IClock& Clock() { return m_clock; }
    CDeviceHub& Hub() { return *m_hub; }
    bool Emulated() const { return m_opt.bEmulate; }

    // Arms the fault switches that act on transfers (fail, unplug-after,
    // garbage); called once the devices are found, so that they hit the
    // operation itself. refuse-open and mouse-off are set at Open.
    void ArmTransferFaults();

    // The on-board state of every virtual device, one block each.
    std::string DescribeEmulated() const;

    // Ends the run: stores the virtual devices' state, writes the journal and
    // reports every protocol rule the emulator saw broken. False (reasons on
    // err) when any of that failed or a rule was broken.
    bool Finish(std::ostream& err);

private:
    const CtlDeviceOptions m_opt;
    IPrompt& m_prompt;
    CImmediateNotices m_notices{m_prompt};   // the stream prompt returns at once
    // The waits of the protocols are real ones, for real and virtual devices alike.
    CSystemClock m_clock;
    std::unique_ptr<IHidBackend> m_backend;  // the real devices
    std::unique_ptr<CEmuRig> m_rig;          // the virtual ones, with --emulate
    std::unique_ptr<CDeviceHub> m_hub;
    bool m_bFinished = false;
};
