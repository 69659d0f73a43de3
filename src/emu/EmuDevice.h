// A virtual USB device: its HID interfaces (one HidDevInfo each, with the
// role the family gives it: cmd, data, notify, ...), the firmware behind them
// (a subclass), and what tests, the command-line tool and the demo need around
// it: a journal of every transfer, protocol checks recorded as violations
// (never an abort), fault switches, input reports pushed to open handles, and
// the on-board state saved to and loaded from a file.
//
// Threads: the host's user-interface thread, its apply worker and its
// listener all reach the device at once. One mutex guards the whole device;
// firmware hooks run with it held.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "emu/EmuInterfaces.h"
#include "emu/EmuJournal.h"
#include "device/IClock.h"
#include "device/IHidBackend.h"

class CEmuHandle;

class CEmuDevice {
public:
    CEmuDevice(std::string strName, IClock& clock);
    virtual ~CEmuDevice();
    CEmuDevice(const CEmuDevice&) = delete;
    CEmuDevice& operator=(const CEmuDevice&) = delete;

    const std::string& Name() const { return m_strName; }
    // The interfaces as an enumeration lists them, paths "emu:<name>/<role>".
    std::vector<HidDevInfo> Interfaces() const;
    // The interface with that path; -1 for none.
    int FindInterface(const std::string& strPath) const;
    std::string Role(int nIface) const;

    // ---- plugging and fault switches ------------------------------------------

    bool IsPlugged() const;
    // Plugs the device back in; handles opened before an unplug stay dead.
    void Plug();
    // The device goes away now: it leaves the enumeration, every open handle
    // fails and a waiting read returns -1.
    void Unplug();
    // Told each time the device comes (true) or goes (false): outside the
    // device's lock, on the thread that plugged or pulled it (a test, a fault
    // switch inside a transfer, the user at the mouse). The backend sets it.
    using PlugHook = std::function<void(CEmuDevice& dev, bool bArrived)>;
    void SetPlugHook(PlugHook fn);
    // The next n feature transfers and output writes fail (the mouse stalls them).
    void FailNext(int n);
    // The device goes away right after n more transfers have moved.
    void UnplugAfter(int n);
    // Opening any interface fails (no permission).
    void RefuseOpen(bool bRefuse);
    // The next n answers (get-feature) are noise after the report id; -1: until switched off with 0.
    void AnswerGarbage(int n);
    // A receiver that is plugged in while its mouse is switched off: the
    // interfaces are there, what is sent is taken and dropped, and every answer
    // is empty (report id, then zeros). Families behind a receiver may answer
    // some requests themselves (the link state).
    void SetMouseOff(bool bOff);
    bool IsMouseOff() const;

    // ---- what the device saw -----------------------------------------------------

    // The journal this device writes to; a backend gives all its devices one.
    void SetJournal(std::shared_ptr<CEmuJournal> journal);
    std::shared_ptr<CEmuJournal> Journal() const;
    // Protocol rules the host broke, in order; empty when the host behaved.
    std::vector<std::string> Violations() const;
    void ClearViolations();
    // Transfers that failed (fault switches, unplugged, refused reports).
    int FailedTransfers() const;

    // ---- input reports ---------------------------------------------------------------

    // Reads waiting in ReadInput right now, for tests that must know a reader is blocked.
    int WaitingReads() const;
    // Queues an input report on every open handle of the role's interface;
    // false when there is no such interface or the device is unplugged.
    bool InjectInput(std::string_view role, std::span<const uint8_t> report);

    // ---- on-board state ---------------------------------------------------------------

    // Human-readable state, for support and the command-line tool.
    virtual std::string DescribeState() const = 0;
    // The state as text, written in one step; false with the reason on failure.
    bool SaveState(const std::filesystem::path& path, std::string& strErr) const;
    // Replaces the state by the file's; on any problem the state is unchanged
    // and strErr says why. A missing file is an error too (the caller decides
    // whether that means "fresh device").
    bool LoadState(const std::filesystem::path& path, std::string& strErr);

protected:
    // The interface roles and their records; the path is filled in here.
    int AddInterface(std::string strRole, HidDevInfo info);
    int AddInterface(const EmuUsbId& id, const EmuInterfaceDesc& desc) { return AddInterface(desc.pszRole, EmuInterface(id, desc)); }

    // Firmware, called with m_mtx held, after the report passed the generic
    // checks (open, plugged, length and report id). The device answers in buf.
    virtual void OnSetFeature(int nIface, std::span<const uint8_t> report) = 0;
    virtual void OnGetFeature(int nIface, std::span<uint8_t> buf) = 0;
    virtual void OnWriteOutput(int nIface, std::span<const uint8_t> report);
    // What a receiver does while its mouse is off; default: drop sets, answer zeros.
    virtual void OnSetFeatureMouseOff(int nIface, std::span<const uint8_t> report) {}
    virtual void OnGetFeatureMouseOff(int nIface, std::span<uint8_t> buf);
    // Whether a get-feature on this interface may fail (the firmware refuses
    // the read); checked before OnGetFeature. Default: never.
    virtual bool RefusesGet(int nIface) const { return false; }
    // The state file body and its reading (m_mtx held for both).
    virtual std::string StateText() const = 0;
    virtual bool RestoreStateText(std::string_view text, std::string& strErr) = 0;

    // Helpers for firmware (m_mtx held). An empty text is no violation (a check that passed).
    void Violation(std::string strRule);
    void PushInputLocked(int nIface, std::span<const uint8_t> report);
    // A command whose answer the host reads next: starts the host's transaction.
    void BeginTransaction();
    bool InTransaction() const { return m_bTransaction; }
    // The answer is read: checks the gap since the command and ends the transaction.
    void EndTransaction(IClock::Duration minGap, std::string_view what);

    IClock& m_clock;
    mutable std::mutex m_mtx;

private:
    friend class CEmuHandle;
    friend class CEmuBackend;

    struct Interface {
        std::string strRole;
        HidDevInfo info;
    };

    // Called by handles; nGen is the plug generation the handle was opened in.
    bool HandleSet(int nIface, uint64_t nGen, std::span<const uint8_t> report, int& nErr);
    bool HandleGet(int nIface, uint64_t nGen, std::span<uint8_t> buf, int& nErr);
    bool HandleWrite(int nIface, uint64_t nGen, std::span<const uint8_t> report, int& nErr);
    int HandleRead(CEmuHandle& h, std::span<uint8_t> buf, std::chrono::milliseconds timeout, int& nErr);
    void HandleCancel(CEmuHandle& h);
    void Register(CEmuHandle* h);
    void Unregister(CEmuHandle* h);
    // Opening: false when refused or unplugged.
    bool CanOpen(uint64_t& nGen) const;

    // Checks common to every transfer; false (and nErr) when it does not move.
    bool Admit(int nIface, uint64_t nGen, std::span<const uint8_t> report, size_t nLen, const char* pszOp, int& nErr);
    void Moved();  // counts a transfer that moved; unplugs when the switch says so
    void UnplugLocked();
    // Tells the plug hook what changed; called with m_mtx not held.
    void TellPlugEvents();
    uint8_t NextNoise();

    const std::string m_strName;
    std::vector<Interface> m_ifaces;
    std::shared_ptr<CEmuJournal> m_journal;
    std::vector<std::string> m_violations;
    std::vector<CEmuHandle*> m_handles;  // open handles, for input and unplug
    std::condition_variable m_cvInput;

    bool m_bPlugged = true;
    PlugHook m_plugHook;
    std::vector<bool> m_plugEvents;      // not yet told: true arrived, false removed
    int m_nWaitingReads = 0;
    uint64_t m_nGen = 1;                 // plug generation
    int m_nFailNext = 0;
    int m_nUnplugAfter = -1;             // -1: off
    bool m_bRefuseOpen = false;
    int m_nGarbage = 0;                  // -1: always
    bool m_bMouseOff = false;
    int m_nFailed = 0;
    uint32_t m_nNoise = 0x2545F491;      // noise generator state

    bool m_bTransaction = false;
    IClock::TimePoint m_tCommand{};
    std::thread::id m_cmdThread;
};
