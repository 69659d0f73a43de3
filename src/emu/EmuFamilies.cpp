#include "emu/EmuFamilies.h"

#include "core/Gvar.h"
#include "emu/EmuBackend.h"
#include "emu/mirex/EmuMirex.h"
#include "emu/varorgb/EmuVaroRgb.h"
#include "emu/newkb/EmuNewKb.h"
#include "emu/pad/EmuPad.h"
#include "emu/selk/EmuSelk.h"
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

bool VaroRgbConfigured(const GlobalVar& gv) { return gv.nKbFw == 22 || gv.nKbFw == 23; }

std::vector<EmuStatefulDevice> MakeVaroRgb(const GlobalVar& gv, IClock& clock, CEmuBackend& backend)
{
    const EmuVaroRgbConfig cfg = VaroRgbConfigFor(gv);
    auto kb = std::make_shared<CEmuVaroRgb>(cfg, clock);
    backend.AddDevice(kb);
    return {{kb, cfg.strName}};
}

bool VaroConfigured(const GlobalVar& gv) { return gv.nKbFw == 21; }

std::vector<EmuStatefulDevice> MakeVaro(const GlobalVar& gv, IClock& clock, CEmuBackend& backend)
{
    const EmuVaroConfig cfg = VaroConfigFor(gv);
    auto kb = std::make_shared<CEmuVaro>(cfg, clock);
    backend.AddDevice(kb);
    return {{kb, cfg.strName}};
}

bool SelkConfigured(const GlobalVar& gv) { return gv.nKbFw == 20; }

std::vector<EmuStatefulDevice> MakeSelk(const GlobalVar& gv, IClock& clock, CEmuBackend& backend)
{
    const EmuSelkConfig cfg = SelkConfigFor(gv);
    auto kb = std::make_shared<CEmuSelk>(cfg, clock);
    backend.AddDevice(kb);
    return {{kb, cfg.strName}};
}

bool NewKbConfigured(const GlobalVar& gv) { return gv.nKbFw == 24; }

// ZORVIK_EMU_KB24_COUNT identical keyboards, each with its own state.
std::vector<EmuStatefulDevice> MakeNewKb(const GlobalVar& gv, IClock& clock, CEmuBackend& backend)
{
    std::vector<EmuStatefulDevice> out;
    for (int n = 1; n <= EmuNewKbCount(); ++n) {
        const EmuNewKbConfig cfg = NewKbConfigFor(gv, n);
        auto kb = std::make_shared<CEmuNewKb>(cfg, clock);
        backend.AddDevice(kb);
        out.push_back({kb, cfg.strName});
    }
    return out;
}

// The pad family the virtual pad stands in for (PadFw).
constexpr int32_t kPadFirmware = 40;

bool PadConfigured(const GlobalVar& gv) { return gv.nPadFw == kPadFirmware; }

std::vector<EmuStatefulDevice> MakePad(const GlobalVar& gv, IClock& clock, CEmuBackend& backend)
{
    const EmuPadConfig cfg = PadConfigFor(gv.Pad.nVID, gv.Pad.nPID);
    auto pad = std::make_shared<CEmuPad>(cfg, clock);
    backend.AddDevice(pad);
    return {{pad, cfg.strName}};
}

constexpr EmuFamily kFamilies[] = {
    {"wired mouse", WiredConfigured, MakeWired},
    {"wireless mouse", WirelessConfigured, MakeWireless},
    {"keyboard", VaroRgbConfigured, MakeVaroRgb},
    {"keyboard", SelkConfigured, MakeSelk},
    {"keyboard", VaroConfigured, MakeVaro},
    {"keyboard", NewKbConfigured, MakeNewKb},
    {"mouse pad", PadConfigured, MakePad},
};

}  // namespace

std::span<const EmuFamily> EmuFamilies() { return kFamilies; }
