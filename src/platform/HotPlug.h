// Plug and unplug of HID interfaces, as the main window learns of them.
//
// Both watchers work the same way underneath: they keep the set of hidraw
// nodes last seen in sysfs and, when something may have changed, scan again
// and report the difference (removals first, then arrivals). They differ in
// what makes them look:
//   - the udev watcher looks when the udev daemon announces a hidraw node
//     added or removed (by then the daemon has applied its rules, so the new
//     node already has the access the udev rule grants);
//   - the polling watcher looks every second.
// Scanning on each announcement rather than trusting its contents gives the
// vendor and product of a removed node (sysfs no longer has them, the
// remembered set does) and recovers from announcements lost when the socket
// overflows.
//
// Which one runs: the udev daemon announces nothing when it does not run -
// in most containers, in chroots, on systems booted without it. It keeps its
// control socket at /run/udev/control while it runs (that file is how libudev
// itself tells whether udev is active), so without that file, or when libudev
// cannot open its netlink socket (sandboxes that refuse netlink), the polling
// watcher is used. A container that shares the host's /run/udev but not its
// network namespace would pass this check and still hear nothing; such a
// set-up can ask for polling outright (HotPlugOptions::bForcePolling).
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/HidSysfs.h"

class QSocketNotifier;
class QTimer;
struct udev;
struct udev_monitor;

struct HotPlugEvent {
    bool bArrival = false;   // false: removal
    std::string strPath;     // the device node, "/dev/hidraw3"
    int nVID = 0;
    int nPID = 0;
};

class IHotPlugMonitor {
public:
    using Callback = std::function<void(const HotPlugEvent&)>;
    virtual ~IHotPlugMonitor() = default;
    // Takes the present nodes as known (they are reported by no event) and
    // starts watching. onEvent runs on the thread that called Start, from its
    // Qt event loop; it may call Stop, but must not destroy the watcher.
    virtual void Start(Callback onEvent) = 0;
    virtual void Stop() = 0;
    virtual bool IsPolling() const = 0;
};

using HidrawScanner = std::function<std::vector<HidrawNode>()>;

// What changed between two scans, removals first (in the order of before),
// then arrivals (in the order of after). A node is the same when its path
// and its sysfs device name agree, so a device replugged onto the same node
// between two scans is reported as a removal and an arrival.
std::vector<HotPlugEvent> DiffHidrawNodes(const std::vector<HidrawNode>& before, const std::vector<HidrawNode>& after);

// The part both watchers share: the known set, the rescan, the callback.
class CHotPlugBase : public IHotPlugMonitor {
public:
    explicit CHotPlugBase(HidrawScanner scan) : m_scan(std::move(scan)) {}
    // Scans, reports the difference to the known set, keeps the new set.
    void Rescan();

protected:
    void Begin(Callback onEvent);
    void End();
    bool Running() const { return m_bRunning; }

private:
    HidrawScanner m_scan;
    Callback m_onEvent;
    std::vector<HidrawNode> m_known;
    bool m_bRunning = false;
};

class CPollingHotPlugMonitor final : public CHotPlugBase {
public:
    CPollingHotPlugMonitor(HidrawScanner scan, std::chrono::milliseconds interval);
    ~CPollingHotPlugMonitor() override;
    void Start(Callback onEvent) override;
    void Stop() override;
    bool IsPolling() const override { return true; }

private:
    std::unique_ptr<QTimer> m_pTimer;
};

class CUdevHotPlugMonitor final : public CHotPlugBase {
public:
    // Null when libudev cannot open its monitor socket.
    static std::unique_ptr<CUdevHotPlugMonitor> Create(HidrawScanner scan);
    ~CUdevHotPlugMonitor() override;
    void Start(Callback onEvent) override;
    void Stop() override;
    bool IsPolling() const override { return false; }

private:
    CUdevHotPlugMonitor(HidrawScanner scan, udev* pUdev, udev_monitor* pMonitor);
    void OnReadable();

    udev* m_pUdev;
    udev_monitor* m_pMonitor;
    std::unique_ptr<QSocketNotifier> m_pNotifier;
};

struct HotPlugOptions {
    HidSysRoots roots;
    std::filesystem::path udevRunDir = "/run/udev";  // where a running udev daemon keeps "control"
    std::chrono::milliseconds pollInterval{1000};
    bool bForcePolling = false;
    HidrawScanner scan;  // empty: ScanHidrawNodes(roots)
};

// The udev watcher when the udev daemon runs and its socket can be had, the
// polling watcher otherwise; logs which one and why.
std::unique_ptr<IHotPlugMonitor> CreateHotPlugMonitor(const HotPlugOptions& options = {});
