#include "device/kb/KbHidDev.h"

#include <memory>

#include "core/Gvar.h"
#include "core/Log.h"

int CKbHidDev::InstallFound(std::span<const HidInterfaceRule> rules, HandleSet& h, const HidDevInfo& info)
{
    ClearHandle();
    for (const HidInterfaceRule& s : rules) SetHandle(s.role, std::move(h[size_t(s.role)]));
    m_nPID = info.nPID;
    m_nFwVersion = info.nVersion;
    LogPrintf("FW Version=0x%x", unsigned(info.nVersion));
    DeviceFound found;
    found.bMouseState = false;
    SetFound(found);
    return 1;
}

void CKbHidDev::SetBusy(bool b)
{
    const CHidDrv::CmdLock lock = Drv().LockCmd();
    m_bBusy = b;
}

void CKbHidDev::FillDefault(ProfileRecord& pro)
{
    const auto d = std::make_unique<kb::KbDescSnap>(kb::MakeKbDescSnap(gVar, g_defKEY));
    kb::FillKbDefault(pro.Kb, *d, LightingPolicy());
}
