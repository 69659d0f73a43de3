// The device hub: one per program run. For every family cfg.ini configures it
// owns the device object, its apply worker and a discovery thread, and it
// keeps what the program shows of the device (connected, denied, mode, DPI
// levels, battery, link). The desktop program and the command-line tool both
// drive it; they only choose the HID backend (hidapi or the emulator) and
// hand it in.
//
// Threads: the owner's thread (the user interface's) calls everything here.
// Discovery runs on the family's own thread, so a stalled device never
// freezes the window; when it ends, kMsgDeviceFound (wParam the family index,
// lParam FindHIDDevice's result) is posted to the event target, and the owner
// calls Publish to take the findings into the program's state. A device's own
// input reports reach the event target as kMsgInputReport with the report
// bytes in wParam and the family index in lParam; Decode tells what they say.
// Apply jobs run on the family's apply worker with a snapshot made here.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "core/INoticeSink.h"
#include "core/IPrompt.h"
#include "core/ProfileRecord.h"
#include "device/ApplyWorker.h"
#include "device/FamilyRegistry.h"
#include "device/HidDev.h"
#include "device/IMsgTarget.h"

constexpr uint32_t kMsgDeviceFound = 2030;
// hub -> main window: family wParam's link and battery were read again (ReadLinkLater).
constexpr uint32_t kMsgLinkRead = 2031;

// What the program shows of one family's device.
struct DeviceState {
    bool bConnected = false;
    bool bDenied = false;            // there, but this user may not open it (the udev rule)
    DeviceFound found;               // mode and levels the last discovery read
    int nLink = -1;                  // 0 cable, 1 receiver, -1 not a receiver family or not connected
    bool bBatteryRead = false;       // the battery was read after discovery
    int nBatteryLevel = 0;
    bool bCharging = false;
    int nVoltage = 0;
};  // hub -> main window: family index, FindHIDDevice result

class CDeviceHub {
public:
    // pEvents (may be null) receives input reports, apply results and
    // kMsgDeviceFound; it must accept messages until the hub is gone.
    CDeviceHub(IHidBackend& backend, IClock& clock, INoticeSink& notices, IMsgTarget* pEvents,
               IOsPointerSettings* pPointer = nullptr);
    // Stops every thread before the device objects go.
    ~CDeviceHub();
    CDeviceHub(const CDeviceHub&) = delete;
    CDeviceHub& operator=(const CDeviceHub&) = delete;

    // Makes the device objects of the configured families (from gVar) and
    // starts their workers. Calling it again does nothing.
    void Open();
    // The families of cfg.ini without a device class (listed, never hidden).
    static std::vector<std::string> UndrivenFamilies(const GlobalVar& g);

    // Every device object: one per configured family, and one per further
    // identical device a family can drive ("keyboard 1", "keyboard 2", ...).
    size_t Count() const { return m_families.size(); }
    const char* Name(size_t i) const { return m_families[i]->strName.c_str(); }
    // The family's own name ("wired mouse", "keyboard", "mouse pad"), the same for every unit of it.
    const char* FamilyName(size_t i) const { return m_families[i]->pInfo->pszName; }
    // A further identical device: when it is not found it is simply not
    // attached, which is no error.
    bool IsSpare(size_t i) const { return m_families[i]->bSpare; }
    CHidDev& Device(size_t i) const { return *m_families[i]->dev; }
    uint32_t FullApply(size_t i) const { return m_families[i]->pInfo->nFullApply; }

    // Discovery on the calling thread (the command-line tool): FindHIDDevice's result.
    int FindNow(size_t i);
    // Discovery on the family's thread; a request while one runs is combined
    // with it. Every family when i is npos (a device was plugged or unplugged).
    void FindLater(size_t i = size_t(-1));
    // Reads the link and the battery of family i's device again on its thread,
    // without looking for it: kMsgLinkRead follows. Nothing for a device not
    // connected, or without a link or battery to read.
    void ReadLinkLater(size_t i);
    // Blocks until no discovery or read runs or waits (tests, the command-line tool).
    void WaitFound();
    // Takes a family's findings into the program's state. Owner's thread.
    void Publish(size_t i, IPrompt& prompt);

    // The device's state as the last discovery left it.
    DeviceState State(size_t i) const;

    // What family i's input report says (the bytes of kMsgInputReport).
    std::optional<DeviceEvent> Decode(size_t i, uint32_t dwBytes) const
    {
        return m_families[i]->dev->DecodeInput(dwBytes);
    }

    // Queues an apply of the profile to family i: the snapshot is made here,
    // from the program's state. False when the job cannot be queued.
    bool RequestApply(size_t i, uint32_t nFlags, const ProfileRecord& pro, bool bReset,
                      std::shared_ptr<IMsgTarget> pProgress = nullptr);
    // Blocks until family i's worker has nothing to do.
    void WaitIdle(size_t i);
    // Family i's worker runs a job now (any thread).
    bool IsApplying(size_t i) const { return m_families[i]->worker && m_families[i]->worker->IsBusy(); }

    // Stops discovery and the workers (waiting jobs fail); then closes every
    // device. Safe to call more than once.
    void Close();

private:
    struct Family {
        const FamilyInfo* pInfo = nullptr;
        std::string strName;
        bool bSpare = false;
        std::unique_ptr<IMsgTarget> events;   // the event target, with the family index on input reports
        std::unique_ptr<CHidDev> dev;
        std::unique_ptr<CApplyWorker> worker;
        mutable std::mutex mtx;
        std::condition_variable_any cv;
        bool bFindWanted = false;   // guarded by mtx
        bool bReadWanted = false;   // guarded by mtx
        bool bFinding = false;      // guarded by mtx
        DeviceState state;          // guarded by mtx
        std::jthread finder;        // discovery thread
    };
    void FinderLoop(size_t i, Family& f, std::stop_token stop);
    void ReadLink(size_t i, Family& f);
    void Add(const FamilyInfo& info, std::unique_ptr<CHidDev> dev, std::string strName, bool bSpare);

    IHidBackend& m_backend;
    IClock& m_clock;
    INoticeSink& m_notices;
    IMsgTarget* const m_pEvents;
    IOsPointerSettings* const m_pPointer;
    std::vector<std::unique_ptr<Family>> m_families;
    bool m_bOpened = false;
};
