// The main window's side of the device hub: devices found, plugged and
// pulled, and the reports a mouse sends on its own (a DPI button, a mode, a
// rate, the link). Everything here runs on the user-interface thread; the
// hub's threads only post.
#include <QTimer>

#include "core/Gvar.h"
#include "core/Log.h"
#include "core/Utf.h"
#include "core/ProfileOps.h"
#include "device/DeviceHub.h"
#include "device/IMusicDevice.h"
#include "device/FamilyRegistry.h"
#include "device/mouse/MouseNotice.h"
#include "ui/QtText.h"
#include "ui/mainwnd/VirtualDevicesPanel.h"
#include "ui/mainwnd/ZorvikDlg.h"
#include "ui/pages/mouse/MsSettingDlg.h"
#include "ui/skin/NotifyDlg.h"

void CZorvikDlg::OnHubMessage(quint32 nMsg, quintptr wParam, qintptr lParam)
{
    CDeviceHub* pHub = m_deps.pHub;
    if (!pHub || m_bExiting) return;
    if (nMsg == kMsgInputReport && size_t(lParam) < pHub->Count()) {
        OnInputReport(size_t(lParam), uint32_t(wParam));
        return;
    }
    if (nMsg == kMsgDeviceFound && wParam < pHub->Count()) OnDeviceFound(size_t(wParam));
    if (nMsg == kMsgLinkRead && wParam < pHub->Count()) {
        UpdateStatus();
        if (auto it = m_pages.find("mouse"); it != m_pages.end())
            if (auto* pMouse = qobject_cast<CMsSettingDlg*>(it->second)) pMouse->ShowBattery();
        emit devicesChanged();
    }
}

MouseModeState CZorvikDlg::MouseMode() const
{
    MouseModeState s;
    const size_t i = FamilyOf(DevKind::Mouse);
    if (i == kNoFamily) return s;
    const DeviceState st = m_deps.pHub->State(i);
    s.bMouseOpen = st.bConnected;
    s.bWirelessKind = IsWirelessMouseKind(gVar.nMsFw);
    s.bThroughReceiver = st.nLink == 1;
    s.bSingleMode = gVar.Ms.nSingleMode != 0;
    s.nReportedMode = g_nCurMode;
    return s;
}

void CZorvikDlg::OnDeviceFound(size_t i)
{
    CDeviceHub& hub = *m_deps.pHub;
    const DevKind kind = KindOfFamily(hub.FamilyName(i));
    // Whether a device of this kind was open before this report (the hub's
    // state already holds the new findings).
    const bool bWasOpen = m_open.count(kind) && m_open[kind];
    const DeviceState st = hub.State(i);
    if (st.bConnected) {
        // Taking a sensor the description does not know is told to the user.
        hub.Publish(i, Prompt());
        if (kind == DevKind::Mouse && pFile) {
            // The profile's mode follows the mouse (its link, or the mode it reported).
            const int nMode = ModeForCurrentProfile(MouseMode());
            if (nMode >= 0 && nMode != pFile->Ms.ProMirex.nMode) {
                LogPrintf("SyncMode: Ms.nMode=%x", nMode);
                pFile->Ms.ProMirex.nMode = nMode;
                StoreProfiles();
            }
            ReloadPages();
        }
        if (kind == DevKind::Keyboard) {
            // The music button is there when the keyboard has the interface music frames go to.
            const auto* pMusic = dynamic_cast<const IMusicDevice*>(&hub.Device(i));
            const bool bMusic = pMusic && pMusic->MusicReady();
            if (bMusic != m_nav.bMusicSupport) {
                m_nav.bMusicSupport = bMusic;
                LayOutNavigation();
            }
        }
    }
    if (st.bDenied) {
        LogPrintf("%s: found, but this user may not open it", hub.Name(i));
        // Said once a run: the fix is outside the program.
        if (m_denied.insert(i).second)
            Prompt().ShowMessage(u"The " + Utf8ToU16(hub.Name(i)) +
                                     u" is connected, but this user may not open it. Install the udev rule "
                                     u"70-zorvik.rules that comes with the program (in /etc/udev/rules.d or "
                                     u"/usr/lib/udev/rules.d), then unplug the device and plug it in again.",
                                 gVar.pszTitle ? gVar.pszTitle : u"");
    }

    const DevOpen open = OpenState();
    const bool bShownWent = m_open.count(m_curDev) && m_open[m_curDev] && !open.Is(m_curDev);
    for (DevKind k : {DevKind::Mouse, DevKind::Keyboard, DevKind::Pad}) m_open[k] = open.Is(k);
    const bool bFirstRound = !m_firstRound.empty();
    m_firstRound.erase(i);
    if (bFirstRound) {
        // Until every family has been looked for once, the first device is chosen again
        // with what is known: a mouse found after the keyboard still comes first.
        const DevKind first = FirstDevice(m_nav, open);
        if (first != m_curDev) SwitchDevice(first);
        if (m_firstRound.empty() && m_bShowPending) {
            m_bShowPending = false;
            show();
        }
    } else if (m_curDev == DevKind::None || bShownWent) {
        // The shown device went away: show one that is still there.
        const DevKind next = m_curDev == DevKind::None ? FirstDevice(m_nav, open) : ViewAfterRemoval(m_curDev, open);
        if (next != m_curDev) SwitchDevice(next);
    } else if (!open.Is(m_curDev) && open.Is(kind) && kind != m_curDev) {
        // Nothing was shown but an absent device: show the one that came.
        SwitchDevice(kind);
    }
    LogPrintf("nConnect: mouse=%d keyboard=%d pad=%d, nExitOnPlugOut=%d", open.bMouse, open.bKeyboard, open.bPad,
              gVar.nExitOnPlugOut);
    UpdateDeviceButtons();
    UpdateStatus();
    if (m_pVirtualPanel) m_pVirtualPanel->Refresh();
    emit devicesChanged();
    if (bWasOpen && !open.Is(kind) && !open.Any() && gVar.nExitOnPlugOut && !gVar.nSuwnd) {
        // The last device was pulled: the program ends, as the installation asks.
        LogPrintf("Nothing connected: exit");
        QTimer::singleShot(0, this, &CZorvikDlg::ExitProgram);
    }
}

void CZorvikDlg::OnInputReport(size_t i, uint32_t dwBytes)
{
    CDeviceHub& hub = *m_deps.pHub;
    const std::optional<DeviceEvent> e = hub.Decode(i, dwBytes);
    if (!e) return;
    const DevKind kind = KindOfFamily(hub.FamilyName(i));
    if (kind != DevKind::Mouse) {
        for (auto& [strGroup, pPage] : m_pages)
            if (pPage->Kind() == kind) pPage->DeviceEvent(*e);
        return;
    }
    if (!pFile) return;
    if (!hub.State(i).bConnected) {
        LogPrintf("589");
        return;
    }
    const MouseNotice n = InterpretMouseEvent(*e, *pFile, MouseNoticeOptions::FromGvar());
    if (!n.bHandled) {
        if (!n.strLog.empty()) LogPrintf("%s", n.strLog.c_str());
        return;
    }
    for (int m = 0; m < kMsModeNum; ++m)
        if (n.nCurDpiLevel[size_t(m)] >= 0) g_nCurDpiLevel[m] = n.nCurDpiLevel[size_t(m)];
    if (n.nNewMode >= 0 && n.nNewMode != pFile->Ms.ProMirex.nMode) {
        LogPrintf("SwitchMode to %d", n.nNewMode);
        pFile->Ms.ProMirex.nMode = n.nNewMode;
        StoreProfiles();
        ReloadPages();
    }
    if (n.bShow) {
        m_lastNotice = {ToQString(n.lines[0]), ToQString(n.lines[1]), ToQString(n.lines[2]), ToQString(n.lines[3])};
        if (m_pNotify) m_pNotify->ShowNotify(m_lastNotice[0], m_lastNotice[1], m_lastNotice[2], m_lastNotice[3]);
        LogPrintf("Notice: %s %s", m_lastNotice[0].toUtf8().constData(), m_lastNotice[1].toUtf8().constData());
    }
    for (auto& [strGroup, pPage] : m_pages)
        if (pPage->Kind() == DevKind::Mouse) pPage->DeviceEvent(*e);
    UpdateDeviceButtons();
    emit deviceEventShown();
}

void CZorvikDlg::ShowNotices(CNoticeQueue& queue)
{
    // Shown here, on the user-interface thread; the worker that left them went on long ago.
    for (const CNoticeQueue::Entry& e : queue.Take()) {
        LogPrintf("Notice: %s", U16ToUtf8(e.text).c_str());
        if (m_bExiting) continue;
        Prompt().ShowMessage(e.text, e.caption);
    }
}
