// The emulator as a program runs it (the command-line tool's --emulate, the
// demo): the backend, the virtual devices of the families the configuration
// names, their on-board state kept in a folder between runs, the fault
// switches, and at the end the stored state, the journal and the broken rules.
//
// Problems are returned as notes (one sentence each, without a program name)
// for the caller to show.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "emu/EmuBackend.h"
#include "emu/EmuFamilies.h"

class IClock;
struct GlobalVar;

// A fault switch of the virtual devices.
struct EmuFault {
    enum class Kind { None, Fail, UnplugAfter, RefuseOpen, Garbage, MouseOff };
    Kind kind = Kind::None;
    int n = 0;
};
// "fail=N", "unplug-after=N", "refuse-open", "garbage", "mouse-off"; false for anything else.
bool ParseEmuFault(const std::string& strText, EmuFault& fault);

class CEmuRig {
public:
    explicit CEmuRig(IClock& clock);
    ~CEmuRig();
    CEmuRig(const CEmuRig&) = delete;
    CEmuRig& operator=(const CEmuRig&) = delete;

    CEmuBackend& Backend() { return *m_backend; }

    // Adds the virtual devices of every family gv configures. With a state
    // folder each device gets the state stored there as <name>.state; a file
    // that cannot be read is kept aside (".bad") and the device starts fresh,
    // or, when it cannot be moved either, is left alone and never overwritten.
    void AddConfigured(const GlobalVar& gv, const std::filesystem::path& stateDir, std::vector<std::string>& notes);

    // The switches that act on opening (refuse-open, mouse-off): set at once.
    void ArmOpenFaults(const EmuFault& fault);
    // The switches that act on transfers (fail, unplug-after, garbage): set
    // once the devices are found, so that they hit the operation itself.
    void ArmTransferFaults(const EmuFault& fault);

    // The on-board state of every device with a state, "== <name> ==" then its dump.
    std::string Describe() const;

    // Stores every device's state in the folder, writes the journal (when a
    // path is given) and reports every protocol rule the devices saw broken.
    // False when any of that failed or a rule was broken. The caller closes
    // its handles first, so that nothing moves meanwhile.
    bool Finish(const std::filesystem::path& journal, std::vector<std::string>& notes);

private:
    struct Entry {
        EmuStatefulDevice sd;
        bool bSave = true;   // false: its unreadable file could not be kept aside
    };
    std::filesystem::path StatePath(const std::string& strName) const;
    void Load(Entry& e, std::vector<std::string>& notes) const;

    std::unique_ptr<CEmuBackend> m_backend;
    IClock& m_clock;
    std::filesystem::path m_stateDir;
    std::vector<Entry> m_entries;
};
