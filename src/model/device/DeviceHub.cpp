#include "device/DeviceHub.h"

#include "core/Log.h"
#include "device/FamilyRegistry.h"
#include "device/ApplySnapshot.h"
#include "keys/MacroList.h"

namespace {

// Passes a family's messages on, its input reports marked with its index.
class CFamilyTarget final : public IMsgTarget {
public:
    CFamilyTarget(IMsgTarget* pTarget, size_t nIndex) : m_pTarget(pTarget), m_nIndex(nIndex) {}
    void Post(uint32_t nMsg, uintptr_t wParam, intptr_t lParam) override
    {
        if (!m_pTarget) return;
        m_pTarget->Post(nMsg, wParam, nMsg == kMsgInputReport ? intptr_t(m_nIndex) : lParam);
    }

private:
    IMsgTarget* const m_pTarget;
    const size_t m_nIndex;
};

}  // namespace

CDeviceHub::CDeviceHub(IHidBackend& backend, IClock& clock, INoticeSink& notices, IMsgTarget* pEvents,
                       IOsPointerSettings* pPointer)
    : m_backend(backend), m_clock(clock), m_notices(notices), m_pEvents(pEvents), m_pPointer(pPointer)
{
}

CDeviceHub::~CDeviceHub() { Close(); }

void CDeviceHub::Open()
{
    if (m_bOpened) return;
    m_bOpened = true;
    const DeviceDeps deps{m_backend, m_clock, m_notices, m_pPointer};
    for (const FamilyInfo& info : DeviceFamilies()) {
        if (!info.configured(gVar)) continue;
        std::unique_ptr<CHidDev> dev = info.make(deps, gVar);
        std::vector<std::unique_ptr<CHidDev>> siblings = dev->MakeSiblings();
        if (siblings.empty()) {
            Add(info, std::move(dev), info.pszName, false);
            continue;
        }
        Add(info, std::move(dev), std::string(info.pszName) + " 1", false);
        for (size_t k = 0; k < siblings.size(); ++k)
            Add(info, std::move(siblings[k]), std::string(info.pszName) + " " + std::to_string(k + 2), true);
    }
}

void CDeviceHub::Add(const FamilyInfo& info, std::unique_ptr<CHidDev> dev, std::string strName, bool bSpare)
{
    auto f = std::make_unique<Family>();
    f->pInfo = &info;
    f->strName = std::move(strName);
    f->bSpare = bSpare;
    f->dev = std::move(dev);
    f->events = std::make_unique<CFamilyTarget>(m_pEvents, m_families.size());
    f->dev->SetMainWindow(f->events.get());
    f->worker = std::make_unique<CApplyWorker>(*f->dev, m_clock, m_notices, m_pEvents, info.worker(gVar));
    f->worker->Start();
    const size_t i = m_families.size();
    Family* pf = f.get();
    m_families.push_back(std::move(f));
    pf->finder = std::jthread([this, i, pf](std::stop_token stop) { FinderLoop(i, *pf, stop); });
    LogPrintf("DeviceHub: %s", pf->strName.c_str());
}

std::vector<std::string> CDeviceHub::UndrivenFamilies(const GlobalVar& g)
{
    // A family is driven when a configured line of the registry carries its name.
    const auto driven = [&g](std::string_view name) {
        for (const FamilyInfo& f : DeviceFamilies())
            if (name == f.pszName && f.configured(g)) return true;
        return false;
    };
    std::vector<std::string> out;
    if (g.nKbFw != 0 && !driven("keyboard")) out.push_back("keyboard");
    if (g.nPadFw != 0 && !driven("mouse pad")) out.push_back("mouse pad");
    return out;
}

int CDeviceHub::FindNow(size_t i) { return m_families[i]->dev->FindHIDDevice(); }

void CDeviceHub::FindLater(size_t i)
{
    for (size_t n = 0; n < m_families.size(); ++n) {
        if (i != size_t(-1) && n != i) continue;
        Family& f = *m_families[n];
        {
            std::lock_guard lock(f.mtx);
            f.bFindWanted = true;
        }
        f.cv.notify_all();
    }
}

void CDeviceHub::ReadLinkLater(size_t i)
{
    Family& f = *m_families[i];
    {
        std::lock_guard lock(f.mtx);
        f.bReadWanted = true;
    }
    f.cv.notify_all();
}

void CDeviceHub::FinderLoop(size_t i, Family& f, std::stop_token stop)
{
    for (;;) {
        bool bFind = false;
        {
            std::unique_lock lock(f.mtx);
            if (!f.cv.wait(lock, stop, [&f] { return f.bFindWanted || f.bReadWanted; })) return;
            bFind = f.bFindWanted;
            f.bFindWanted = false;
            f.bReadWanted = false;  // a discovery reads them too
            f.bFinding = true;
        }
        if (!bFind) {
            ReadLink(i, f);
            continue;
        }
        const int nFound = f.dev->FindHIDDevice();
        // A device that is gone, or refused, keeps nothing open from before.
        if (nFound != 1) f.dev->ClearHandle();
        DeviceState state;
        state.bConnected = f.dev->IsConnected();
        state.bDenied = f.dev->FoundButDenied();
        if (state.bConnected) {
            state.found = f.dev->Found();
            if (ILinkState* pLink = f.dev->Link()) state.nLink = pLink->IsWireless() ? 1 : 0;
            if (IBattery* pBattery = f.dev->Battery())
                state.bBatteryRead = pBattery->ReadPower(state.nBatteryLevel, state.bCharging, state.nVoltage);
        }
        LogPrintf("DeviceHub: %s found=%d", f.strName.c_str(), nFound);
        if (m_pEvents) m_pEvents->Post(kMsgDeviceFound, i, nFound);
        {
            std::lock_guard lock(f.mtx);
            f.state = state;
            f.bFinding = false;
        }
        f.cv.notify_all();
    }
}

void CDeviceHub::ReadLink(size_t i, Family& f)
{
    DeviceState state = State(i);
    if (state.bConnected && f.dev->IsConnected()) {
        if (ILinkState* pLink = f.dev->Link()) state.nLink = pLink->IsWireless() ? 1 : 0;
        if (IBattery* pBattery = f.dev->Battery())
            state.bBatteryRead = pBattery->ReadPower(state.nBatteryLevel, state.bCharging, state.nVoltage);
    }
    {
        std::lock_guard lock(f.mtx);
        // A discovery that came meanwhile is newer.
        if (!f.bFindWanted) f.state = state;
        f.bFinding = false;
    }
    if (m_pEvents) m_pEvents->Post(kMsgLinkRead, i, state.bBatteryRead ? 1 : 0);
    f.cv.notify_all();
}

void CDeviceHub::WaitFound()
{
    for (auto& pf : m_families) {
        std::unique_lock lock(pf->mtx);
        pf->cv.wait(lock, [&pf] { return !pf->bFindWanted && !pf->bReadWanted && !pf->bFinding; });
    }
}

DeviceState CDeviceHub::State(size_t i) const
{
    const Family& f = *m_families[i];
    std::lock_guard lock(f.mtx);
    return f.state;
}

void CDeviceHub::Publish(size_t i, IPrompt& prompt) { m_families[i]->dev->Publish(prompt); }

bool CDeviceHub::RequestApply(size_t i, uint32_t nFlags, const ProfileRecord& pro, bool bReset,
                              std::shared_ptr<IMsgTarget> pProgress)
{
    auto snap = MakeApplySnapshot(pro, g_MacroList, g_BulletList, pSensorCfg, gVar.Ms.nMsSensor, g_nCurDpiLevel,
                                  g_nCurMode, bReset);
    return m_families[i]->worker->RequestApply(nFlags, std::move(snap), std::move(pProgress));
}

void CDeviceHub::WaitIdle(size_t i) { m_families[i]->worker->WaitIdle(); }

void CDeviceHub::Close()
{
    for (auto& pf : m_families) {
        pf->finder.request_stop();
        if (pf->finder.joinable()) pf->finder.join();
        pf->worker->Stop();
    }
    for (auto& pf : m_families) pf->dev->ClearHandle();
}
