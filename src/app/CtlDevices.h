// The devices of the command-line tool: the HID backend (hidapi, or the
// emulator with virtual devices for the families cfg.ini configures), the
// device object of each configured family the tool can drive, and, with the
// emulator, the virtual devices' on-board state kept in the per-user folder
// between runs (<user>/emu/<device>.state), the journal and the rule checks,
// all through the emulator's rig (emu/EmuRig.h).
//
// The device families are made in one place (MakeFamilies in CtlDevices.cpp);
// a family without a device class yet is listed but not driven.
#pragma once

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "core/IPrompt.h"
#include "device/ApplyWorker.h"
#include "device/HidDev.h"
#include "device/IClock.h"
#include "device/IHidBackend.h"
#include "emu/EmuRig.h"

struct CtlDeviceOptions {
    bool bEmulate = false;
    std::filesystem::path journal;   // empty: no journal file
    EmuFault fault;
};

// One configured device family that the tool drives.
struct CtlFamily {
    std::string strName;             // for messages: "wired mouse", "wireless mouse"
    std::unique_ptr<CHidDev> dev;
    ApplyWorkerCfg workerCfg;
};

class CCtlDevices {
public:
    CCtlDevices(CtlDeviceOptions opt, IPrompt& prompt);
    ~CCtlDevices();
    CCtlDevices(const CCtlDevices&) = delete;
    CCtlDevices& operator=(const CCtlDevices&) = delete;

    // Builds the backend and the family objects from gVar (start-up has run).
    // With the emulator the virtual devices get the state stored in the user
    // folder; a state file that cannot be read is kept aside as ".bad" and the
    // device starts fresh (a note on err). False only when nothing can be built.
    bool Open(std::ostream& err);

    IHidBackend& Backend() { return m_rig ? static_cast<IHidBackend&>(m_rig->Backend()) : *m_backend; }
    IClock& Clock() { return m_clock; }
    std::vector<CtlFamily>& Families() { return m_families; }
    bool Emulated() const { return m_opt.bEmulate; }

    // The configured family an interface belongs to ("wired mouse", "keyboard", ...); empty for none.
    static std::string FamilyOf(const HidDevInfo& info);

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
    void MakeFamilies();

    const CtlDeviceOptions m_opt;
    IPrompt& m_prompt;
    // The waits of the protocols are real ones, for real and virtual devices alike.
    CSystemClock m_clock;
    std::unique_ptr<IHidBackend> m_backend;  // the real devices
    std::unique_ptr<CEmuRig> m_rig;          // the virtual ones, with --emulate
    std::vector<CtlFamily> m_families;
    bool m_bFinished = false;
};
