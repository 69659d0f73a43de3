// CHidDrv: the transport of one device. It keeps the device's open interfaces
// by role, the command lock and the transfer rule, and it is the only place
// reports move through: every family (the mice, each keyboard family, the pad)
// sends and reads through its device object's CHidDrv. Keyboard families that
// need more than the four transfers derive their own transport from it.
//
// Threads: the family's discovery installs and closes handles; the apply
// worker and discovery transfer; the listener reads the notify handle (its
// owner stops it before that handle is replaced or closed). Every transfer
// looks its handle up under the command lock and CloseAll takes the same lock,
// so a transfer never uses a closed handle: it fails cleanly instead.
//
// Lock order: m_csCmd first; the listener's locks after it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

#include "device/HidTransfer.h"
#include "device/IClock.h"
#include "device/IHidBackend.h"

// The interfaces of a device by what the family uses them for. The mice use
// Cmd, Data and Notify; a family with more names what Aux1 and Aux2 mean.
enum class HidRole : uint8_t { Cmd, Data, Notify, Aux1, Aux2 };
constexpr size_t kHidRoleCount = 5;

class CHidDrv {
public:
    using CmdLock = std::unique_lock<std::recursive_mutex>;

    explicit CHidDrv(IClock& clock) : m_clock(clock) {}
    virtual ~CHidDrv() { CloseAll(); }
    CHidDrv(const CHidDrv&) = delete;
    CHidDrv& operator=(const CHidDrv&) = delete;

    // Held by a whole transaction, by every transfer and by CloseAll.
    // Recursive, so a transaction can be built from the single transfers.
    CmdLock LockCmd() const { return CmdLock(m_csCmd); }

    // Puts an opened interface in place of the role's (null closes it).
    void Install(HidRole role, std::unique_ptr<IHidHandle> h);
    // Closes every interface; waits for a transaction in progress to end.
    void CloseAll();
    bool IsOpen(HidRole role) const;
    // The handle of a role, for the listener only: it stays valid until the
    // role is replaced or closed, which the listener's owner orders after
    // stopping it. Null when the role is not open.
    IHidHandle* HandleForListener(HidRole role) const;

    // One transfer with the transfer rule; after the last failed try
    // "<pszName> err=<errno>" is logged. A role that is not open fails at once.
    // gap: the pause between tries, when the device wants another than the rule's.
    bool SendFeature(HidRole role, std::span<const uint8_t> report, const char* pszName,
                     IClock::Duration gap = kHidRetryGap);
    bool GetFeature(HidRole role, std::span<uint8_t> buf, const char* pszName, IClock::Duration gap = kHidRetryGap);
    bool WriteOutput(HidRole role, std::span<const uint8_t> report, const char* pszName);
    // A command transaction under the lock: send cmd on cmdRole, wait gap, get
    // the answer on ansRole into answer (answer[0] holds the report id).
    bool Transact(HidRole cmdRole, std::span<const uint8_t> cmd, const char* pszSendName, HidRole ansRole,
                  std::span<uint8_t> answer, const char* pszGetName, IClock::Duration gap = kHidCmdDelay);
    // The system error of the role's last failed call, read under the lock;
    // ENODEV when the role is not open (the device is gone).
    int LastError(HidRole role) const;

    IClock& Clock() const { return m_clock; }

private:
    IHidHandle* HandleLocked(HidRole role) const { return m_handles[size_t(role)].get(); }

    IClock& m_clock;
    mutable std::recursive_mutex m_csCmd;
    std::array<std::unique_ptr<IHidHandle>, kHidRoleCount> m_handles;  // guarded by m_csCmd
};
