#include "device/HidListener.h"

#include <algorithm>
#include <vector>

#include "core/Log.h"

void CHidListener::Start(IHidHandle& h, IMsgTarget* pWnd, uint8_t byReportId, int nLen)
{
    Stop();
    std::lock_guard ctl(m_mtxCtl);
    {
        std::lock_guard end(m_mtxEnd);
        m_bEnded = false;
    }
    m_pHandle = &h;
    m_thread = std::jthread([this, pHandle = &h, pWnd, byReportId, nLen](std::stop_token stop) {
        Run(stop, pHandle, pWnd, byReportId, nLen);
    });
}

void CHidListener::Stop()
{
    std::lock_guard ctl(m_mtxCtl);
    if (!m_thread.joinable()) return;
    m_thread.request_stop();
    // The handle keeps a cancel that arrives before the thread is in its read,
    // so one CancelRead normally suffices. The wait below repeats it only for a
    // handle that drops such a cancel; it is never how the thread is stopped.
    std::unique_lock end(m_mtxEnd);
    while (!m_bEnded) {
        end.unlock();
        m_pHandle->CancelRead();
        end.lock();
        m_cvEnd.wait_for(end, std::chrono::milliseconds(100), [this] { return m_bEnded; });
    }
    end.unlock();
    m_thread.join();
    m_thread = std::jthread();
    m_pHandle = nullptr;
}

bool CHidListener::IsRunning() const
{
    std::lock_guard end(m_mtxEnd);
    return !m_bEnded;
}

void CHidListener::Run(std::stop_token stop, IHidHandle* pHandle, IMsgTarget* pWnd, uint8_t byReportId, int nLen)
{
    LogPrintf("ServiceThread Start");
    // Room for bytes 1 to 4 even when the configured length is shorter.
    std::vector<uint8_t> buf(size_t(std::max(nLen, 10)));
    const std::span<uint8_t> read(buf.data(), size_t(std::max(nLen, 1)));
    while (!stop.stop_requested()) {
        std::ranges::fill(buf, uint8_t{0});
        buf[0] = byReportId;
        const int n = pHandle->ReadInput(read, kReadWait);
        if (stop.stop_requested()) {
            LogPrintf("ServiceThread: hObject[1] is signal");
            break;
        }
        if (n < 0) {  // the device is gone; every further read would fail the same way
            LogPrintf("ServiceThread: ReadFile Err=%d", pHandle->LastError());
            break;
        }
        if (n == 0) continue;  // the read's wait ran out; start it again
        LogPrintf("Buffer= %x %x %x %x, NumberOfBytesRead=%d", buf[1], buf[2], buf[3], buf[4], n);
        // The interface may carry other reports of the same device (the
        // system's own pointer reports); only the configured one is news.
        if (buf[0] != byReportId || n < 5) continue;
        const uint32_t dwBytes = uint32_t(buf[1]) | uint32_t(buf[2]) << 8 | uint32_t(buf[3]) << 16 |
                                 uint32_t(buf[4]) << 24;
        if (pWnd) pWnd->Post(kMsgInputReport, uintptr_t(dwBytes), 0);
    }
    LogPrintf("ServiceThread exit");
    std::lock_guard end(m_mtxEnd);
    m_bEnded = true;
    m_cvEnd.notify_all();
}
