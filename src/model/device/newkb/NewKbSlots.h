// The keyboard slots of the type-24 keyboards: one slot per keyboard paired
// by the probe (its command and input interfaces), up to five. All device
// objects of the family share one table; the device object of unit n drives
// the keyboard of slot n. A slot is free again when its device object lets
// go of it (the keyboard was unplugged, or the program closes it), so that a
// keyboard plugged in again is paired afresh.
//
// Threads: each unit's discovery runs on its own thread; the table's lock is
// held for a whole discovery, so two probes never run at once.
#pragma once

#include <array>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/IClock.h"
#include "device/IHidBackend.h"
#include "device/PairProbe.h"

namespace newkb {

class CNewKbSlots {
public:
    CNewKbSlots(IHidBackend& backend, IClock& clock) : m_backend(backend), m_clock(clock) {}

    using Lock = std::unique_lock<std::mutex>;
    Lock Hold() { return Lock(m_mtx); }

    // Probes the interfaces of the keyboards (nVID with nPID or nPID2) that no
    // slot holds and records each pair found in the first free slot. The
    // number of keyboards paired by this call. Hold() must be held.
    int MatchNewDevices(int nVID, int nPID, int nPID2);

    // Slot n's handles, for its device object, when the slot holds a pair
    // that was not taken yet; the slot is then in use. Hold() must be held.
    bool Take(int nSlot, HidPair& out);
    // The slot is free again. Hold() must be held.
    void Release(int nSlot);
    // The interface paths of slot n; empty when it is free. Hold() must be held.
    std::string CmdPath(int nSlot) const;
    std::string NotifyPath(int nSlot) const;
    // Slots in use. Hold() must be held.
    int Paired() const;

private:
    struct Slot {
        std::string strCmdPath;               // empty: free
        std::string strNotifyPath;
        std::unique_ptr<IHidHandle> hCmd;     // until its device object takes them
        std::unique_ptr<IHidHandle> hNotify;
    };
    static bool Valid(int n) { return n >= 0 && n < kPairSlots; }

    IHidBackend& m_backend;
    IClock& m_clock;
    mutable std::mutex m_mtx;
    std::array<Slot, kPairSlots> m_slots;
};

}  // namespace newkb
