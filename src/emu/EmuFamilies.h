// The virtual devices the emulator can stand in for, one factory per device
// family: whether the configuration asks for the family, and the making of
// its virtual devices on a backend. A new family's virtual firmware adds one
// row to the table in EmuFamilies.cpp.
//
// A family's firmware is a CEmuDevice made of shared parts: its interfaces as
// EmuInterfaceDesc records (EmuInterfaces.h), its commands and records as
// tables (EmuCommandTable.h) checked with the common record rules
// (EmuRecordRules.h), and its saved state as a key table (EmuStateTable.h).
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

class CEmuBackend;
class CEmuDevice;
class IClock;
struct GlobalVar;

// A device whose on-board state is kept between runs under its name
// (<folder>/<name>.state). Devices that share one memory (a mouse's cable and
// receiver) have one entry.
struct EmuStatefulDevice {
    std::shared_ptr<CEmuDevice> dev;
    std::string strName;
};

struct EmuFamily {
    const char* pszName;                        // "wired mouse", "wireless mouse", "mouse pad"
    bool (*configured)(const GlobalVar& gv);
    // Adds the family's virtual devices, as cfg.ini describes them, to the backend.
    std::vector<EmuStatefulDevice> (*make)(const GlobalVar& gv, IClock& clock, CEmuBackend& backend);
};

std::span<const EmuFamily> EmuFamilies();
