#include "emu/EmuFamilies.h"

#include "core/Gvar.h"
#include "emu/EmuBackend.h"
#include "emu/mirex/EmuMirex.h"
#include "emu/varo/EmuVaro.h"
#include "emu/w24g/EmuReceiver.h"
#include "emu/w24g/EmuW24Mouse.h"

namespace {

// The mouse kinds (low four bits of the mouse firmware type) that come with a
// receiver; every other non-zero kind is a wired mouse.
bool IsWirelessKind(int32_t nMsFw) { return (nMsFw & 0x0F) == 4 || (nMsFw & 0x0F) == 5; }

bool WiredConfigured(const GlobalVar& gv) { return gv.nMsFw != 0 && !IsWirelessKind(gv.nMsFw); }
bool WirelessConfigured(const GlobalVar& gv) { return gv.nMsFw != 0 && IsWirelessKind(gv.nMsFw); }

std::vector<EmuStatefulDevice> MakeWired(const GlobalVar& gv, IClock& clock, CEmuBackend& backend)
{
    const EmuMirexConfig cfg = MirexConfigFor(gv.Ms.nVID, gv.Ms.nPID[0], gv.Ms.nMsSensor);
    auto mouse = std::make_shared<CEmuMirex>(cfg, clock);
    backend.AddDevice(mouse);
    return {{mouse, cfg.strName}};
}

std::vector<EmuStatefulDevice> MakeWireless(const GlobalVar& gv, IClock& clock, CEmuBackend& backend)
{
    const EmuW24Config cfg = W24ConfigFor(gv.Ms.nVID, gv.Ms.nPID[0], gv.Ms.nPID2[0], gv.nMsFw, gv.Ms.nMsSensor);
    const EmuW24Rig rig = MakeW24Rig(cfg, clock, backend);
    // Both links reach one mouse: one state file, through the receiver.
    return {{rig.receiver, cfg.strName}};
}

bool VaroConfigured(const GlobalVar& gv) { return gv.nKbFw == 21; }

std::vector<EmuStatefulDevice> MakeVaro(const GlobalVar& gv, IClock& clock, CEmuBackend& backend)
{
    const EmuVaroConfig cfg = VaroConfigFor(gv);
    auto kb = std::make_shared<CEmuVaro>(cfg, clock);
    backend.AddDevice(kb);
    return {{kb, cfg.strName}};
}

constexpr EmuFamily kFamilies[] = {
    {"wired mouse", WiredConfigured, MakeWired},
    {"wireless mouse", WirelessConfigured, MakeWireless},
    {"keyboard", VaroConfigured, MakeVaro},
};

}  // namespace

std::span<const EmuFamily> EmuFamilies() { return kFamilies; }
