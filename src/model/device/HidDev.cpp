#include "device/HidDev.h"

#include "core/Gvar.h"
#include "core/MouseDesc.h"

CHidDev::CHidDev(IHidBackend& backend, IClock& clock, INoticeSink& notices, int nFwType, InputReportDesc input,
                 std::unique_ptr<CHidDrv> pDrv)
    : m_backend(backend), m_clock(clock), m_notices(notices), m_nFwType(nFwType), m_input(input),
      m_pDrv(pDrv ? std::move(pDrv) : std::make_unique<CHidDrv>(clock))
{
}

CHidDev::~CHidDev()
{
    // The listener reads the notify handle: it ends before the handles go.
    m_listener.Stop();
    m_pDrv->CloseAll();
}

void CHidDev::ClearHandle()
{
    m_listener.Stop();
    m_pDrv->CloseAll();
    m_nPID = 0;
}

void CHidDev::SetHandle(HidRole role, std::unique_ptr<IHidHandle> h)
{
    // Replacing the handle the listener reads would pull it from under the
    // thread: stop the listener with it.
    if (role == HidRole::Notify) m_listener.Stop();
    m_pDrv->Install(role, std::move(h));
}

int CHidDev::InitialDriver(IMsgTarget* pWnd)
{
    m_hWnd.store(pWnd);
    m_listener.Stop();
    if (m_input.nLen <= 0) return 1;
    const CHidDrv::CmdLock lock = m_pDrv->LockCmd();
    if (IHidHandle* h = m_pDrv->HandleForListener(HidRole::Notify))
        m_listener.Start(*h, pWnd, m_input.byId, m_input.nLen);
    return 1;
}

void CHidDev::SetFound(const DeviceFound& found)
{
    std::lock_guard lock(m_mtxFound);
    m_found = found;
}

DeviceFound CHidDev::Found() const
{
    std::lock_guard lock(m_mtxFound);
    return m_found;
}

void CHidDev::Publish(IPrompt& prompt) const
{
    const DeviceFound f = Found();
    if (!f.bMouseState) return;  // the mouse's mode and levels are not this device's to change
    if (f.bSwitchSensor && f.nSensor != 0) set_cur_sensor(f.nSensor, prompt);
    g_nCurMode = f.nMode;
    for (int m = 0; m < kMsModeNum; ++m) {
        if (f.nCurDpiLevel[m] >= 0) g_nCurDpiLevel[m] = f.nCurDpiLevel[m];
        if (f.nCurLodLevel[m] >= 0) g_nCurLODLevel[m] = f.nCurLodLevel[m];
    }
}
