// CHidDev: the device object of one device family (wired mouse, wireless mouse,
// each keyboard family, the pad). The main window makes one per family present
// and keeps it for the whole run; it is connected while its interface handles
// are open. The base holds what every family shares: the three interface
// handles of the mouse families (command, data, notify), the command lock, the
// transfer rule (3 tries 200 ms apart), the gap between a command and its
// answer, and the listener that turns input reports into window messages.
// Keyboard and pad families keep their handles in a CHidDrv transport (pDrv).
//
// Threads: the user-interface thread finds, clears and switches the device;
// the family's apply worker writes profiles; the listener reads the notify
// interface. Every transfer takes the command lock and looks up its handle
// under it, and ClearHandle closes the handles under the same lock, so a
// transfer never uses a closed handle: it fails cleanly instead.
//
// Lock order: m_csCmd, then the listener's own lock (HidListener.h). The
// listener itself never takes m_csCmd.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <stop_token>

#include "core/Gvar.h"
#include "core/IPrompt.h"
#include "core/ProfileRecord.h"
#include "device/HidListener.h"
#include "device/HidTransfer.h"
#include "device/IClock.h"
#include "device/IHidBackend.h"
#include "device/IMsgTarget.h"
#include "keys/KeyInfo.h"
#include "keys/MacroRecord.h"

class CHidDrv;
struct ApplySnapshot;

// The interfaces a mouse family opens.
enum class HidRole { Cmd, Data, Notify };

class CHidDev {
public:
    CHidDev(IHidBackend& backend, IClock& clock, IPrompt& prompt, int nFwType = 0);
    // Stops the listener and closes the base's handles. A family that keeps
    // more must close them in its own destructor (virtual calls do not reach
    // it from here).
    virtual ~CHidDev();
    CHidDev(const CHidDev&) = delete;
    CHidDev& operator=(const CHidDev&) = delete;

    // ---- operations a family overrides -------------------------------------

    // Finds and opens the family's interfaces: 1 found, 0 not found, -1 found
    // but refused (for example a sensor other than the configured one).
    virtual int FindHIDDevice() { return 0; }
    // Stops the listener and closes every interface handle.
    virtual void ClearHandle();
    // The command handle, null when not connected. Only a presence test: the
    // pointer may be closed by another thread right after; transfers go
    // through the object, which checks the handle under the command lock.
    virtual IHidHandle* GetHandle();
    // Stores the window that receives input-report messages and starts the
    // listener on the notify interface (when there is one). Called each time
    // FindHIDDevice succeeds; a running listener is stopped first.
    virtual int InitialDriver(IMsgTarget* pWnd);
    // Stops the listener; returns once its thread has ended.
    virtual int StopDriver();
    virtual int GetPID() { return m_nPID.load(); }
    // Battery state: level, whether the cable is connected, voltage.
    virtual int ReadPower(int& nLevel, bool& bUsb, int& nVoltage) { return 1; }
    // Whether the mouse behind the receiver answers; 0 when it could not be asked.
    virtual int GetOnline(bool& bOnline) { bOnline = true; return 1; }
    // Whether the mouse is reached through its receiver.
    virtual bool IsWireless() { return false; }
    // Switches the device to mode 0, 1 or 2.
    virtual int SetMode(int nMode) { return 1; }
    // The family's kind constant (10 for both mouse families).
    virtual int FamilyConst() { return 1; }
    // The family's defaults into a new profile record.
    virtual void FillDefault(ProfileRecord& pro) = 0;
    // The device's 32-bit code for a key function.
    virtual uint32_t keyinfo_to_hardware_code(const KeyInfo& key) { return 1; }
    // The device's macro buffer for a macro; returns its length.
    virtual int StMacro_To_HdMacro(const MacroRecord& macro, std::span<uint8_t> buf) { return 1; }
    // Writes a profile to the device: 1 on success, 0 on failure. Runs on the
    // apply worker; reads only the snapshot (which it may change: it is the
    // job's own copy). Posts nMsg with a percentage to pProgress (may be
    // null). Long pauses go through Pause(stop, ...) so that shutdown does not
    // wait for them; a stopped job returns 0.
    virtual int ApplySetting(ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, uint32_t nFlags,
                             std::stop_token stop)
    {
        return 1;
    }
    // Defaults of the sensor, the lighting, the lift-off distance and the
    // system settings into the modes selected by nModeMask (bit m = mode m).
    virtual void SetDefaultDpi(ProfileRecord& pro, const SensorCfg* pSensor, int nModeMask) {}
    virtual void SetDefaultLed(ProfileRecord& pro, int nModeMask) {}
    virtual void SetDefaultLod(ProfileRecord& pro, int nModeMask) {}
    virtual void SetDefaultSys(ProfileRecord& pro, int nModeMask) {}
    // Keyboard families: the default key table into the profile.
    virtual void SetDefaultKey(ProfileRecord& pro) {}
    // A key table inside the profile record; null when the family has none.
    virtual KeyInfo* GetKeyTable(ProfileRecord& pro, int nMode, int nTable) { return nullptr; }
    // Keyboard and music operations (keyboard families only).
    virtual int SendMusicData(std::span<const uint8_t> frame) { return 0; }
    virtual int SetRealData(std::span<const uint8_t> data) { return 0; }
    virtual int GetRealData(std::span<uint8_t> data) { return 0; }
    virtual int ReadEffectData(std::span<uint8_t> data) { return 0; }

    // ---- state -------------------------------------------------------------

    int FwType() const { return m_nFwType; }
    int FwVersion() const { return m_nFwVersion.load(); }
    int Mode() const { return m_nMode.load(); }
    CHidDrv* Drv() const { return m_pDrv; }
    bool IsListening() const { return m_listener.IsRunning(); }

    // The next apply is a reset (write every mode). Owned by the
    // user-interface thread, which copies it into the job's snapshot.
    bool m_bReset = false;

protected:
    using CmdLock = std::unique_lock<std::recursive_mutex>;

    // Holds the command lock. A transaction (command, nCmdDelay, answer) holds
    // it from the command to the answer, so the user-interface thread and the
    // apply worker never interleave; single transfers take it too. Recursive,
    // so that a transaction can be built from the single transfers below.
    CmdLock LockCmd() const { return CmdLock(m_csCmd); }

    // Puts an opened interface in place (null closes it). Takes the command
    // lock. The notify handle may not be replaced while the listener runs:
    // ClearHandle or StopDriver first.
    void SetHandle(HidRole role, std::unique_ptr<IHidHandle> h);
    bool HasHandle(HidRole role) const;

    // One feature-report transfer on an interface, report id in byte 0, with
    // the transfer rule; after the last failed try "<pszName> err=%d" is logged
    // with the system error. A missing handle fails at once (device gone).
    bool SendFeature(HidRole role, std::span<const uint8_t> report, const char* pszName);
    bool GetFeature(HidRole role, std::span<uint8_t> buf, const char* pszName);
    bool WriteOutput(HidRole role, std::span<const uint8_t> report, const char* pszName);
    // A whole command transaction under the lock: send cmd on cmdRole, wait
    // nCmdDelay, get the answer on ansRole into answer (answer[0] = report id).
    bool Transact(HidRole cmdRole, std::span<const uint8_t> cmd, const char* pszSendName, HidRole ansRole,
                  std::span<uint8_t> answer, const char* pszGetName);
    // The pause between a command and its answer.
    void CmdDelay() { m_clock.Sleep(m_nCmdDelay); }
    // A pause of an apply job that ends early when the job is stopped; false then.
    bool Pause(std::stop_token stop, IClock::Duration d) { return m_clock.SleepUnless(d, stop); }

    // Stops the listener and closes the three handles; what the base
    // ClearHandle and the destructor do.
    void CloseBaseHandles();

    IHidBackend& m_backend;
    IClock& m_clock;
    IPrompt& m_prompt;
    const int m_nFwType;                    // the family's firmware type from cfg.ini
    CHidDrv* m_pDrv = nullptr;              // transport of keyboard and pad families; not owned
    std::atomic<int> m_nFwVersion{0};       // the device's HID version number
    std::atomic<int> m_nMode{-1};           // mode read from the device, -1 before
    std::atomic<int> m_nPID{0};             // product identifier of the found interface
    IClock::Duration m_nCmdDelay = kHidCmdDelay;
    IMsgTarget* m_hWnd = nullptr;           // receives input-report messages; user-interface thread only
    uint8_t m_byInputId = 7;                // listener: input report id and bytes to read
    int m_nInputLen = 8;

private:
    IHidHandle* HandleLocked(HidRole role) const;

    mutable std::recursive_mutex m_csCmd;   // first in the lock order
    std::unique_ptr<IHidHandle> m_hCmd;     // guarded by m_csCmd
    std::unique_ptr<IHidHandle> m_hData;    // guarded by m_csCmd
    std::unique_ptr<IHidHandle> m_hNotify;  // guarded by m_csCmd; read by the listener while it runs
    CHidListener m_listener;
};
