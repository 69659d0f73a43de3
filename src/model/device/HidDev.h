// CHidDev: the device object of one device family (wired mouse, wireless mouse,
// each keyboard family, the pad). The device hub makes one per configured
// family and keeps it for the whole run; it is connected while its command
// interface is open. The base holds what every family shares: its transport
// (CHidDrv: the interfaces by role, the command lock, the transfer rule), the
// listener that turns input reports into window messages, the notices for the
// user, and what discovery found. A family adds its bytes: discovery, its
// reports and its apply steps.
//
// Threads: discovery (FindHIDDevice, ClearHandle) runs on the family's own
// thread in the hub, or on the caller's in the command-line tool; the apply
// worker writes profiles; the listener reads the notify interface. Discovery
// leaves what it found in the object (Found()); the user-interface thread
// takes it into the program's state with Publish(). Nothing here waits for a
// window: messages go to the notice sink.
//
// Lock order: the transport's command lock, then the listener's own locks.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

#include "core/INoticeSink.h"
#include "core/ProfileRecord.h"
#include "device/HidDrv.h"
#include "device/HidListener.h"
#include "device/IClock.h"
#include "device/IHidBackend.h"
#include "device/IMsgTarget.h"

struct ApplySnapshot;

// What a family's discovery learnt about the device, for the program's state.
struct DeviceFound {
    int nMode = -1;                          // mode the device reported (g_nCurMode), -1 none
    int32_t nSensor = 0;                     // sensor the device reported; 0 none
    bool bSwitchSensor = false;              // the description follows the device's sensor
    int nCurDpiLevel[kMsModeNum] = {-1, -1, -1};  // per mode; -1 not read
    int nCurLodLevel[kMsModeNum] = {-1, -1, -1};  // per mode; -1 not read
    bool bMouseState = true;                 // false: a device without a mouse's state (keyboard, pad)
};

// What a device's own input report says, decoded by its family: the user
// pressed the DPI button, changed the mode or rate, or the mouse moved between
// cable and receiver. Fields the report does not carry stay -1.
struct DeviceEvent {
    int nMode = -1;                 // mode 0..2 the device reports
    int nLevelOrdinal = -1;         // current DPI level counted among the enabled ones, from 1
    int nLevel = -1;                // current DPI level index 0..7, when the report names the slot itself
    int nRateCode = -1;             // report-rate code 1..4 as sent (anything else is passed on as it came)
    int nLink = -1;                 // 0 cable, 1 receiver
    int nExtra = -1;                // the family's last byte (performance or battery), 0 none
};

// The input report a family's listener reads: its id and length (id included).
struct InputReportDesc {
    uint8_t byId = 0;
    int nLen = 0;                   // 0: the family has no listener
};

// Optional abilities of a device; a family offers those it has.
class IBattery {
public:
    virtual ~IBattery() = default;
    // Battery state: level, whether the cable is connected, voltage; false
    // when the device could not be asked.
    virtual bool ReadPower(int& nLevel, bool& bUsb, int& nVoltage) = 0;
};
class ILinkState {
public:
    virtual ~ILinkState() = default;
    // Whether the device is reached through its receiver.
    virtual bool IsWireless() const = 0;
    // Whether the device behind the receiver answers; false when it could not be asked.
    virtual bool GetOnline(bool& bOnline) = 0;
};
class IModeSwitch {
public:
    virtual ~IModeSwitch() = default;
    // Switches the device to mode nMode (0-based); false when it failed or the mode does not exist.
    virtual bool SetMode(int nMode) = 0;
};

class CHidDev {
public:
    CHidDev(IHidBackend& backend, IClock& clock, INoticeSink& notices, int nFwType, InputReportDesc input,
            std::unique_ptr<CHidDrv> pDrv = nullptr);
    // Stops the listener and closes the interfaces.
    virtual ~CHidDev();
    CHidDev(const CHidDev&) = delete;
    CHidDev& operator=(const CHidDev&) = delete;

    // ---- what every family provides ---------------------------------------------

    // Finds and opens the family's interfaces and reads what the program shows
    // of the device: 1 found, 0 not found (or not readable), -1 found but
    // refused (for example another sensor than the configured one). Handles
    // are open only after 1. Leaves its findings in Found().
    virtual int FindHIDDevice() = 0;
    // The family's defaults into a new profile record (user-interface thread).
    virtual void FillDefault(ProfileRecord& pro) = 0;
    // Writes a profile to the device: 1 on success, 0 on failure. Runs on the
    // apply worker; reads only the snapshot (its own copy). Posts nMsg with a
    // percentage to pProgress (may be null). Long pauses end early when stop
    // is requested; a stopped job returns 0.
    virtual int ApplySetting(ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, uint32_t nFlags,
                             std::stop_token stop) = 0;
    // Stops the listener and closes every interface.
    virtual void ClearHandle();

    // What an input report of this family says (bytes 1..4 as the listener
    // posts them); none for a report that carries nothing the program follows.
    virtual std::optional<DeviceEvent> DecodeInput(uint32_t dwBytes) const = 0;

    // ---- optional abilities (null when the family has none) ------------------

    virtual IBattery* Battery() { return nullptr; }
    virtual ILinkState* Link() { return nullptr; }
    virtual IModeSwitch* ModeSwitch() { return nullptr; }

    // ---- identical devices ---------------------------------------------------------

    // A family that drives several identical devices attached at once (each
    // with its own device object and state) makes the further objects here;
    // the hub asks once, right after making the first. None by default.
    virtual std::vector<std::unique_ptr<CHidDev>> MakeSiblings() { return {}; }
    // Which of several identical devices this object drives (its interfaces),
    // for listings; empty when it is not connected or there is nothing to tell.
    virtual std::string Where() const { return {}; }

    // ---- state -------------------------------------------------------------------

    // The command interface is open.
    bool IsConnected() const { return m_pDrv->IsOpen(HidRole::Cmd); }
    // The last discovery saw the device but could not open it (permissions).
    bool FoundButDenied() const { return m_bDenied.load(); }
    // What the last successful discovery read.
    DeviceFound Found() const;
    // Takes what discovery found into the program's state (the current mode,
    // DPI and lift-off levels, the current sensor). User-interface thread.
    void Publish(IPrompt& prompt) const;

    int FwType() const { return m_nFwType; }
    int FwVersion() const { return m_nFwVersion.load(); }
    int Mode() const { return m_nMode.load(); }
    int GetPID() const { return m_nPID.load(); }
    bool IsListening() const { return m_listener.IsRunning(); }
    CHidDrv& Drv() const { return *m_pDrv; }
    INoticeSink& Notices() const { return m_notices; }

    // The window that receives input reports; set before discovery.
    void SetMainWindow(IMsgTarget* pWnd) { m_hWnd.store(pWnd); }
    // Stores the window that receives input reports and starts the listener
    // on the notify interface (when there is one); a running listener is
    // stopped first. Discovery calls it each time it succeeds.
    int InitialDriver(IMsgTarget* pWnd);
    // Stops the listener; returns once its thread has ended.
    int StopDriver()
    {
        m_listener.Stop();
        return 1;
    }

protected:
    // Puts an opened interface in place; the notify interface may not be
    // replaced under a running listener, so the listener stops with it.
    void SetHandle(HidRole role, std::unique_ptr<IHidHandle> h);
    // Discovery's findings, kept for Publish.
    void SetFound(const DeviceFound& found);

    IHidBackend& m_backend;
    IClock& m_clock;
    INoticeSink& m_notices;
    const int m_nFwType;                    // the family's firmware type from cfg.ini
    std::atomic<int> m_nFwVersion{0};       // the device's HID version number
    std::atomic<int> m_nMode{-1};           // mode read from the device, -1 before
    std::atomic<int> m_nPID{0};             // product identifier of the found interface
    std::atomic<bool> m_bDenied{false};
    const InputReportDesc m_input;          // what the listener reads
    std::atomic<IMsgTarget*> m_hWnd{nullptr};  // receives input-report messages

private:
    std::unique_ptr<CHidDrv> m_pDrv;
    mutable std::mutex m_mtxFound;
    DeviceFound m_found;                    // guarded by m_mtxFound
    CHidListener m_listener;
};
