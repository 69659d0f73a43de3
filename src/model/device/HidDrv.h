// CHidDrv: the transport object of a keyboard or pad family. It finds the
// family's interfaces, keeps their handles and moves the reports; the device
// object (CHidDev, pDrv) builds them. Each family keeps its own set of handles
// (they differ by report length per family) and moves reports through the
// helpers below, which take the transport's command lock, follow the transfer
// rule and fail cleanly on a handle ClearHandle has closed.
//
// Lock order: the device object's command lock, then m_csCmd.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <span>
#include <string>

#include "device/HidTransfer.h"
#include "device/IClock.h"
#include "device/IHidBackend.h"
#include "device/IMsgTarget.h"

class CHidDrv {
public:
    CHidDrv(IHidBackend& backend, IClock& clock) : m_backend(backend), m_clock(clock) {}
    // A family with handles closes them in its own destructor (ClearHandle).
    virtual ~CHidDrv() = default;
    CHidDrv(const CHidDrv&) = delete;
    CHidDrv& operator=(const CHidDrv&) = delete;

    // Finds and opens the family's interfaces; 1 found.
    virtual int FindDev() { return 0; }
    // Whether the device is attached, without opening it (families that need it).
    virtual int IsPresent() { return 0; }
    virtual int SetWindow(IMsgTarget* pWnd)
    {
        m_hWnd = pWnd;
        return 1;
    }
    // The command handle, null when not connected (a presence test only).
    virtual IHidHandle* GetHandle() { return nullptr; }
    // Closes every handle (under LockCmd).
    virtual void ClearHandle() {}

    // The device was found but not every interface could be opened (no access
    // rights): the main window tells the user how to grant them.
    bool FoundButDenied() const { return m_bDenied.load(); }

protected:
    using CmdLock = std::unique_lock<std::recursive_mutex>;
    // Held by a whole transaction, by every transfer and by ClearHandle while
    // it closes handles. Recursive, as the device object's.
    CmdLock LockCmd() const { return CmdLock(m_csCmd); }

    // Opens an interface; a failure marks the device as found but denied.
    std::unique_ptr<IHidHandle> OpenPath(const std::string& strPath);
    // Closes a handle under the lock.
    void CloseHandle(std::unique_ptr<IHidHandle>& h);

    // Transfers on a handle member of the family, with the transfer rule and
    // "<pszName> err=%d" in the log after the last failed try.
    bool SendFeature(const std::unique_ptr<IHidHandle>& h, std::span<const uint8_t> report, const char* pszName);
    bool GetFeature(const std::unique_ptr<IHidHandle>& h, std::span<uint8_t> buf, const char* pszName);
    bool WriteOutput(const std::unique_ptr<IHidHandle>& h, std::span<const uint8_t> report, const char* pszName);
    // Command, pause, answer, all under the lock.
    bool Transact(const std::unique_ptr<IHidHandle>& hCmd, std::span<const uint8_t> cmd, const char* pszSendName,
                  const std::unique_ptr<IHidHandle>& hAns, std::span<uint8_t> answer, const char* pszGetName,
                  IClock::Duration delay = kHidCmdDelay);

    IHidBackend& m_backend;
    IClock& m_clock;
    IMsgTarget* m_hWnd = nullptr;       // user-interface thread only
    std::atomic<bool> m_bDenied{false};

private:
    mutable std::recursive_mutex m_csCmd;
};
