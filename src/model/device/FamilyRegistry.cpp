#include "device/FamilyRegistry.h"

#include "device/mirex/DevMirex.h"
#include "device/newkb/DevNew.h"
#include "device/pad/DevPad.h"
#include "device/selk/DevSelk.h"
#include "device/varo/DevVaro.h"
#include "device/varorgb/DevVaroRGB.h"
#include "device/w24g/Dev24G.h"
#include "text/TextCatalogue.h"

namespace {

bool ListHas(const uint16_t* pids, size_t nCount, int nPID)
{
    for (size_t i = 0; i < nCount; ++i)
        if (pids[i] != 0 && pids[i] == nPID) return true;
    return false;
}

ApplyWorkerCfg PlainWorker(const GlobalVar&) { return {}; }

ApplyWorkerCfg ReceiverWorker(const GlobalVar&)
{
    ApplyWorkerCfg cfg;
    cfg.bCheckLink = true;
    if (const std::u16string* p = FindText("tc_power5")) cfg.strOffline = *p;
    return cfg;
}

constexpr FamilyInfo kFamilies[] = {
    {"wired mouse", [](const GlobalVar& g) { return g.nMsFw != 0 && !IsWirelessMouseKind(g.nMsFw); },
     [](const DeviceDeps& d, const GlobalVar& g) -> std::unique_ptr<CHidDev> {
         return std::make_unique<CDevMirex>(d.backend, d.clock, d.notices, g.nMsFw, d.pPointer);
     },
     PlainWorker, kApplyFullMouse},
    {"wireless mouse", [](const GlobalVar& g) { return IsWirelessMouseKind(g.nMsFw); },
     [](const DeviceDeps& d, const GlobalVar& g) -> std::unique_ptr<CHidDev> {
         return std::make_unique<CDev24G>(d.backend, d.clock, d.notices, g.nMsFw, d.pPointer);
     },
     ReceiverWorker, kApplyFullMouse},
    {"keyboard", [](const GlobalVar& g) { return g.nKbFw == 22 || g.nKbFw == 23; },
     [](const DeviceDeps& d, const GlobalVar& g) -> std::unique_ptr<CHidDev> {
         return std::make_unique<CDevVaroRGB>(d.backend, d.clock, d.notices, g.nKbFw);
     },
     PlainWorker, kApplyFullKbPad},
    {"keyboard", [](const GlobalVar& g) { return g.nKbFw == selk::kFwSelk; },
     [](const DeviceDeps& d, const GlobalVar&) -> std::unique_ptr<CHidDev> {
         return std::make_unique<CDevSelk>(d.backend, d.clock, d.notices);
     },
     PlainWorker, kApplyFullKbPad},
    {"keyboard", [](const GlobalVar& g) { return g.nKbFw == newkb::kFwNew; },
     [](const DeviceDeps& d, const GlobalVar&) -> std::unique_ptr<CHidDev> {
         return std::make_unique<newkb::CDevNew>(d.backend, d.clock, d.notices);
     },
     PlainWorker, kApplyFullKbPad},
    {"keyboard", [](const GlobalVar& g) { return g.nKbFw == 21; },
     [](const DeviceDeps& d, const GlobalVar&) -> std::unique_ptr<CHidDev> {
         return std::make_unique<CDevVaro>(d.backend, d.clock, d.notices);
     },
     PlainWorker, kApplyFullKbPad},
    {"mouse pad", [](const GlobalVar& g) { return g.nPadFw == pad::kPadFw; },
     [](const DeviceDeps& d, const GlobalVar& g) -> std::unique_ptr<CHidDev> {
         return std::make_unique<CDevPad>(d.backend, d.clock, d.notices, g.nPadFw);
     },
     PlainWorker, kApplyFullKbPad},
};

}  // namespace

std::span<const FamilyInfo> DeviceFamilies() { return kFamilies; }

std::string FamilyOfInterface(const GlobalVar& g, const HidDevInfo& info)
{
    if (g.nMsFw != 0 && info.nVID == g.Ms.nVID) {
        const bool bWireless = IsWirelessMouseKind(g.nMsFw);
        if (ListHas(g.Ms.nPID, std::size(g.Ms.nPID), info.nPID))
            return bWireless ? "wireless mouse (cable)" : "wired mouse";
        if (ListHas(g.Ms.nPID2, std::size(g.Ms.nPID2), info.nPID))
            return bWireless ? "wireless mouse (receiver)" : "wired mouse";
    }
    if (g.nKbFw != 0 && info.nVID == g.Kb.nVID &&
        ((g.Kb.nPID && info.nPID == g.Kb.nPID) || (g.Kb.nPID2 && info.nPID == g.Kb.nPID2)))
        return "keyboard";
    if (g.nPadFw != 0 && info.nVID == g.Pad.nVID && g.Pad.nPID && info.nPID == g.Pad.nPID) return "mouse pad";
    return {};
}
