#include "CtlDevices.h"

#include "core/Gvar.h"
#include "device/mirex/DevMirex.h"
#include "device/w24g/Dev24G.h"
#include "platform/HidapiBackend.h"
#include "text/TextCatalogue.h"

namespace {

// Kinds 4 and 5 (low four bits of the mouse firmware type) are the mice that
// can be reached through a receiver; every other non-zero kind is wired.
bool IsWirelessKind(int32_t nMsFw) { return (nMsFw & 0x0F) == 4 || (nMsFw & 0x0F) == 5; }

bool ListHas(const uint16_t* pids, size_t nCount, int nPID)
{
    for (size_t i = 0; i < nCount; ++i)
        if (pids[i] != 0 && pids[i] == nPID) return true;
    return false;
}

}  // namespace

CCtlDevices::CCtlDevices(CtlDeviceOptions opt, IPrompt& prompt) : m_opt(std::move(opt)), m_prompt(prompt) {}

CCtlDevices::~CCtlDevices()
{
    // The device objects close their handles before the backend goes.
    m_families.clear();
}

bool CCtlDevices::Open(std::ostream& err)
{
    if (m_opt.bEmulate) {
        m_rig = std::make_unique<CEmuRig>(m_clock);
        std::vector<std::string> notes;
        m_rig->AddConfigured(gVar, g_szUserDir / "emu", notes);
        for (const std::string& n : notes) err << "zorvikctl: " << n << '\n';
        m_rig->ArmOpenFaults(m_opt.fault);
    } else {
        m_backend = std::make_unique<CHidapiBackend>();
    }
    MakeFamilies();
    return true;
}

void CCtlDevices::MakeFamilies()
{
    if (gVar.nMsFw == 0) return;
    CtlFamily f;
    if (IsWirelessKind(gVar.nMsFw)) {
        f.strName = "wireless mouse";
        f.dev = std::make_unique<CDev24G>(*m_backend, m_clock, m_prompt, gVar.nMsFw);
        f.workerCfg.bCheckLink = true;
        if (const std::u16string* p = FindText("tc_power5")) f.workerCfg.strOffline = *p;
    } else {
        f.strName = "wired mouse";
        // No pointer-settings object: the tool never changes the desktop's pointer.
        f.dev = std::make_unique<CDevMirex>(*m_backend, m_clock, m_prompt, gVar.nMsFw);
    }
    f.workerCfg.bGoWithNoDev = gVar.nGoWithNoDev != 0;
    m_families.push_back(std::move(f));
}

std::string CCtlDevices::FamilyOf(const HidDevInfo& info)
{
    if (gVar.nMsFw != 0 && info.nVID == gVar.Ms.nVID) {
        const bool bWireless = IsWirelessKind(gVar.nMsFw);
        if (ListHas(gVar.Ms.nPID, std::size(gVar.Ms.nPID), info.nPID))
            return bWireless ? "wireless mouse (cable)" : "wired mouse";
        if (ListHas(gVar.Ms.nPID2, std::size(gVar.Ms.nPID2), info.nPID))
            return bWireless ? "wireless mouse (receiver)" : "wired mouse";
    }
    if (gVar.nKbFw != 0 && info.nVID == gVar.Kb.nVID &&
        ((gVar.Kb.nPID && info.nPID == gVar.Kb.nPID) || (gVar.Kb.nPID2 && info.nPID == gVar.Kb.nPID2)))
        return "keyboard";
    if (gVar.nPadFw != 0 && info.nVID == gVar.Pad.nVID && gVar.Pad.nPID && info.nPID == gVar.Pad.nPID)
        return "mouse pad";
    return {};
}

void CCtlDevices::ArmTransferFaults()
{
    if (m_rig) m_rig->ArmTransferFaults(m_opt.fault);
}

std::string CCtlDevices::DescribeEmulated() const { return m_rig ? m_rig->Describe() : std::string(); }

bool CCtlDevices::Finish(std::ostream& err)
{
    if (m_bFinished || !m_rig) return true;
    m_bFinished = true;
    // The handles close first, so that nothing moves while the state is stored.
    for (CtlFamily& f : m_families) f.dev->ClearHandle();
    std::vector<std::string> notes;
    const bool bOk = m_rig->Finish(m_opt.journal, notes);
    for (const std::string& n : notes) err << "zorvikctl: " << n << '\n';
    return bOk;
}
