// A device object for the transport tests: the base's helpers made public and
// an apply step the test scripts.
#pragma once

#include <functional>
#include <mutex>
#include <vector>

#include "device/ApplySnapshot.h"
#include "device/HidDev.h"

namespace fake {

class CTestDev final : public CHidDev {
public:
    using ApplyFn = std::function<int(CTestDev&, ApplySnapshot&, IMsgTarget*, uint32_t, std::stop_token)>;
    struct ApplyCall {
        uint32_t nFlags;
        ProfileRecord pro;
    };

    using CHidDev::CHidDev;
    ~CTestDev() override { ClearHandle(); }

    using CHidDev::GetFeature;
    using CHidDev::HasHandle;
    using CHidDev::Pause;
    using CHidDev::SendFeature;
    using CHidDev::SetHandle;
    using CHidDev::Transact;
    using CHidDev::WriteOutput;

    void FillDefault(ProfileRecord&) override {}
    bool IsWireless() override { return m_bWireless; }
    int GetOnline(bool& bOnline) override
    {
        std::lock_guard l(m_mtx);
        ++m_nOnlineAsked;
        bOnline = m_nOnline > 0;
        return m_nOnline >= 0 ? 1 : 0;
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
    void SetDrv(CHidDrv* pDrv) { m_pDrv = pDrv; }
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
