// A device object for the transport tests: the base's helpers made public and
// an apply step the test scripts.
#pragma once

#include <functional>
#include <mutex>
#include <vector>

#include "device/ApplySnapshot.h"
#include "device/HidDev.h"

namespace fake {

class CTestDev final : public CHidDev, public ILinkState {
public:
    using ApplyFn = std::function<int(CTestDev&, ApplySnapshot&, IMsgTarget*, uint32_t, std::stop_token)>;
    struct ApplyCall {
        uint32_t nFlags;
        ProfileRecord pro;
    };

    CTestDev(IHidBackend& backend, IClock& clock, INoticeSink& notices)
        : CHidDev(backend, clock, notices, 0, InputReportDesc{7, 8})
    {
    }
    ~CTestDev() override { ClearHandle(); }

    using CHidDev::SetHandle;
    // The transport's transfers, as a family calls them.
    bool SendFeature(HidRole r, std::span<const uint8_t> b, const char* n) { return Drv().SendFeature(r, b, n); }
    bool GetFeature(HidRole r, std::span<uint8_t> b, const char* n) { return Drv().GetFeature(r, b, n); }
    bool WriteOutput(HidRole r, std::span<const uint8_t> b, const char* n) { return Drv().WriteOutput(r, b, n); }
    bool Transact(HidRole c, std::span<const uint8_t> cmd, const char* sn, HidRole a, std::span<uint8_t> ans,
                  const char* gn)
    {
        return Drv().Transact(c, cmd, sn, a, ans, gn);
    }
    bool HasHandle(HidRole r) const { return Drv().IsOpen(r); }
    bool Pause(std::stop_token stop, IClock::Duration d) { return m_clock.SleepUnless(d, stop); }

    int FindHIDDevice() override { return IsConnected() ? 1 : 0; }
    void FillDefault(ProfileRecord&) override {}
    std::optional<DeviceEvent> DecodeInput(uint32_t) const override { return std::nullopt; }
    ILinkState* Link() override { return this; }
    bool IsWireless() const override { return m_bWireless; }
    bool GetOnline(bool& bOnline) override
    {
        std::lock_guard l(m_mtx);
        ++m_nOnlineAsked;
        bOnline = m_nOnline > 0;
        return m_nOnline >= 0;
    }
    int ApplySetting(ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, uint32_t nFlags,
                     std::stop_token stop) override
    {
        ApplyFn fn;
        {
            std::lock_guard l(m_mtx);
            m_calls.push_back({nFlags, snap.pro});
            fn = m_fn;
        }
        if (pProgress) pProgress->Post(nMsg, 60, 0);
        return fn ? fn(*this, snap, pProgress, nFlags, stop) : 1;
    }

    void SetApply(ApplyFn fn) { std::lock_guard l(m_mtx); m_fn = std::move(fn); }
    void SetWireless(bool b) { m_bWireless = b; }
    // 1 online, 0 offline, -1 the question fails.
    void SetOnline(int n) { std::lock_guard l(m_mtx); m_nOnline = n; }
    int OnlineAsked() const { std::lock_guard l(m_mtx); return m_nOnlineAsked; }
    std::vector<ApplyCall> Calls() const { std::lock_guard l(m_mtx); return m_calls; }

private:
    mutable std::mutex m_mtx;
    ApplyFn m_fn;
    std::vector<ApplyCall> m_calls;
    bool m_bWireless = false;
    int m_nOnline = 1;
    int m_nOnlineAsked = 0;
};

}  // namespace fake
