// The device families the program drives, in one table: whether cfg.ini
// configures each, how its device object is made, what its apply worker needs
// and what its full apply writes. The device hub, the command-line tool and
// the tests all use this table; a new family adds its device class and one
// line here.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/Gvar.h"
#include "core/INoticeSink.h"
#include "device/ApplyWorker.h"
#include "device/HidDev.h"
#include "device/IClock.h"
#include "device/IHidBackend.h"

class IOsPointerSettings;

// What a family's device object is made with.
struct DeviceDeps {
    IHidBackend& backend;
    IClock& clock;
    INoticeSink& notices;
    IOsPointerSettings* pPointer = nullptr;   // null: the desktop's pointer settings are not changed
};

struct FamilyInfo {
    const char* pszName;                                              // "wired mouse", "wireless mouse", ...
    bool (*configured)(const GlobalVar& g);                            // cfg.ini configures this family
    std::unique_ptr<CHidDev> (*make)(const DeviceDeps& deps, const GlobalVar& g);
    ApplyWorkerCfg (*worker)(const GlobalVar& g);
    uint32_t nFullApply;                                              // the flags of the apply and reset buttons
};

// Every family with a device class, in the order the program finds them.
std::span<const FamilyInfo> DeviceFamilies();

// The configured family an enumerated interface belongs to, for listings:
// "wired mouse", "wireless mouse (cable)", "wireless mouse (receiver)",
// "keyboard", "mouse pad"; empty for none.
std::string FamilyOfInterface(const GlobalVar& g, const HidDevInfo& info);

// Kinds 4 and 5 (low four bits of the mouse firmware type) are the mice that
// can be reached through a receiver; every other non-zero kind is wired.
constexpr bool IsWirelessMouseKind(int32_t nMsFw) { return (nMsFw & 0x0F) == 4 || (nMsFw & 0x0F) == 5; }
