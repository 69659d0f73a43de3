// The base of the keyboard families: what they do alike once their
// interfaces are open, and the busy mark of an apply.
//
// A music frame or another transfer of the music page never goes out while
// an apply runs: the apply marks the keyboard busy under the transport's
// command lock (RunBusy), and the transfer checks the mark under the same lock.
#pragma once

#include <atomic>
#include <span>

#include "device/HidDev.h"
#include "device/InterfacePick.h"
#include "device/kb/KbDefaults.h"

class CKbHidDev : public CHidDev {
public:
    // The keys and the lighting as every keyboard starts, from the
    // description, with the family's lighting policy: a new profile is never
    // an empty keyboard block (all keys off, black, brightness 0).
    void FillDefault(ProfileRecord& pro) final;
    // A keyboard reports nothing the program follows.
    std::optional<DeviceEvent> DecodeInput(uint32_t) const override { return std::nullopt; }

    bool IsBusy() const { return m_bBusy.load(); }

protected:
    using CHidDev::CHidDev;

    // Runs an apply job with the keyboard marked busy; its result.
    template <class Job>
    int RunBusy(Job&& job)
    {
        SetBusy(true);
        const int n = job();
        SetBusy(false);
        return n;
    }
    // Whether an apply runs; read under the command lock by whoever sends beside it.
    bool Busy() const { return m_bBusy.load(); }
    // How the family fills the lighting of a new profile.
    virtual kb::KbLightingPolicy LightingPolicy() const { return {}; }

    // Puts the opened interfaces h in place of whatever was open (through the
    // family's ClearHandle), takes the product and version from the
    // interface info that identifies the keyboard, and keeps the finding
    // (a keyboard has no mouse state). Returns 1, discovery's "found".
    int InstallFound(std::span<const HidInterfaceRule> rules, HandleSet& h, const HidDevInfo& info);

private:
    // Marks the keyboard busy for an apply, under the command lock.
    void SetBusy(bool b);

    std::atomic<bool> m_bBusy{false};
};
