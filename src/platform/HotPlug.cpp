#include "platform/HotPlug.h"

#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <libudev.h>

#include "core/Log.h"

namespace {

bool SameNode(const HidrawNode& a, const HidrawNode& b)
{
    if (a.strDevPath != b.strDevPath) return false;
    // Without a sysfs device name (it could not be resolved) the ids decide.
    if (a.strDevKey.empty() || b.strDevKey.empty()) return a.nVID == b.nVID && a.nPID == b.nPID;
    return a.strDevKey == b.strDevKey;
}

HotPlugEvent MakeEvent(bool bArrival, const HidrawNode& node)
{
    return {bArrival, node.strDevPath, node.nVID, node.nPID};
}

}  // namespace

std::vector<HotPlugEvent> DiffHidrawNodes(const std::vector<HidrawNode>& before, const std::vector<HidrawNode>& after)
{
    std::vector<HotPlugEvent> events;
    auto In = [](const std::vector<HidrawNode>& set, const HidrawNode& node) {
        return std::any_of(set.begin(), set.end(), [&](const HidrawNode& n) { return SameNode(n, node); });
    };
    for (const HidrawNode& node : before)
        if (!In(after, node)) events.push_back(MakeEvent(false, node));
    for (const HidrawNode& node : after)
        if (!In(before, node)) events.push_back(MakeEvent(true, node));
    return events;
}

// ---- shared part ----

void CHotPlugBase::Begin(Callback onEvent)
{
    m_onEvent = std::move(onEvent);
    m_known = m_scan ? m_scan() : std::vector<HidrawNode>{};
    m_bRunning = true;
}

void CHotPlugBase::End()
{
    m_bRunning = false;
}

void CHotPlugBase::Rescan()
{
    if (!m_bRunning || !m_scan) return;
    std::vector<HidrawNode> now = m_scan();
    const std::vector<HotPlugEvent> events = DiffHidrawNodes(m_known, now);
    m_known = std::move(now);
    // A copy, so that a callback that stops the watcher (or starts it with
    // another callback) does not pull the function out from under itself.
    const Callback onEvent = m_onEvent;
    for (const HotPlugEvent& e : events) {
        if (!m_bRunning) break;
        LogPrintf("HotPlug: %s %s %04X:%04X", e.bArrival ? "added" : "removed", e.strPath.c_str(), unsigned(e.nVID),
                  unsigned(e.nPID));
        if (onEvent) onEvent(e);
    }
}

// ---- polling ----

CPollingHotPlugMonitor::CPollingHotPlugMonitor(HidrawScanner scan, std::chrono::milliseconds interval)
    : CHotPlugBase(std::move(scan)), m_pTimer(std::make_unique<QTimer>())
{
    m_pTimer->setInterval(int(std::clamp<long long>(interval.count(), 1, 3600000)));
    QObject::connect(m_pTimer.get(), &QTimer::timeout, [this] { Rescan(); });
}

CPollingHotPlugMonitor::~CPollingHotPlugMonitor() = default;

void CPollingHotPlugMonitor::Start(Callback onEvent)
{
    Begin(std::move(onEvent));
    m_pTimer->start();
}

void CPollingHotPlugMonitor::Stop()
{
    m_pTimer->stop();
    End();
}

// ---- udev ----

std::unique_ptr<CUdevHotPlugMonitor> CUdevHotPlugMonitor::Create(HidrawScanner scan)
{
    udev* pUdev = udev_new();
    if (!pUdev) return nullptr;
    // "udev": announcements the daemon sends after applying its rules (not
    // the kernel's own, which come before the node has its permissions).
    udev_monitor* pMonitor = udev_monitor_new_from_netlink(pUdev, "udev");
    if (!pMonitor || udev_monitor_filter_add_match_subsystem_devtype(pMonitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(pMonitor) < 0 || udev_monitor_get_fd(pMonitor) < 0) {
        if (pMonitor) udev_monitor_unref(pMonitor);
        udev_unref(pUdev);
        return nullptr;
    }
    return std::unique_ptr<CUdevHotPlugMonitor>(new CUdevHotPlugMonitor(std::move(scan), pUdev, pMonitor));
}

CUdevHotPlugMonitor::CUdevHotPlugMonitor(HidrawScanner scan, udev* pUdev, udev_monitor* pMonitor)
    : CHotPlugBase(std::move(scan)), m_pUdev(pUdev), m_pMonitor(pMonitor)
{
}

CUdevHotPlugMonitor::~CUdevHotPlugMonitor()
{
    m_pNotifier.reset();  // before the socket it watches goes
    udev_monitor_unref(m_pMonitor);
    udev_unref(m_pUdev);
}

void CUdevHotPlugMonitor::Start(Callback onEvent)
{
    Begin(std::move(onEvent));
    if (!m_pNotifier) {
        m_pNotifier = std::make_unique<QSocketNotifier>(udev_monitor_get_fd(m_pMonitor), QSocketNotifier::Read);
        QObject::connect(m_pNotifier.get(), &QSocketNotifier::activated, [this] { OnReadable(); });
    }
    m_pNotifier->setEnabled(true);
}

void CUdevHotPlugMonitor::Stop()
{
    if (m_pNotifier) m_pNotifier->setEnabled(false);
    End();
}

void CUdevHotPlugMonitor::OnReadable()
{
    // Take every pending announcement off the socket (non-blocking), then
    // look once: several arrive together when a device with several
    // interfaces is plugged in.
    while (udev_device* pDev = udev_monitor_receive_device(m_pMonitor)) udev_device_unref(pDev);
    Rescan();
}

// ---- choice ----

std::unique_ptr<IHotPlugMonitor> CreateHotPlugMonitor(const HotPlugOptions& options)
{
    HidrawScanner scan = options.scan;
    if (!scan) scan = [roots = options.roots] { return ScanHidrawNodes(roots); };
    const int nPollMs = int(options.pollInterval.count());
    if (options.bForcePolling) {
        LogPrintf("HotPlug: polling every %d ms (asked for)", nPollMs);
        return std::make_unique<CPollingHotPlugMonitor>(std::move(scan), options.pollInterval);
    }
    std::error_code ec;
    if (!std::filesystem::exists(options.udevRunDir / "control", ec)) {
        LogPrintf("HotPlug: no udev daemon (%s/control missing), polling every %d ms",
                  options.udevRunDir.string().c_str(), nPollMs);
        return std::make_unique<CPollingHotPlugMonitor>(std::move(scan), options.pollInterval);
    }
    if (auto pUdev = CUdevHotPlugMonitor::Create(scan)) {
        LogPrintf("HotPlug: udev monitor");
        return pUdev;
    }
    LogPrintf("HotPlug: cannot open the udev monitor, polling every %d ms", nPollMs);
    return std::make_unique<CPollingHotPlugMonitor>(std::move(scan), options.pollInterval);
}
