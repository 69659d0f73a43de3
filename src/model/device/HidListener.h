// The listener of a connected mouse: a thread that waits in a blocking read on
// the mouse's notify interface and posts every report the mouse sends on its
// own (DPI button, mode, rate, battery and link changes) to the main window as
// kMsgInputReport, bytes 1 to 4 as a little-endian value. It only reads and
// posts; it never touches gVar or the profile records.
//
// Stop wakes the blocked read at once through the handle's CancelRead and
// joins the thread, so the handle can be closed safely as soon as Stop
// returns. A read error means the device is gone: the thread ends by itself.
//
// Lock order: the owner's command lock (if held), then m_mtxCtl, then m_mtxEnd.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stop_token>
#include <thread>

#include "device/IHidBackend.h"
#include "device/IMsgTarget.h"

class CHidListener {
public:
    // How long one read waits before it is simply started again. A stop does
    // not wait for it: CancelRead ends the read at once.
    static constexpr std::chrono::milliseconds kReadWait{60000};

    CHidListener() = default;
    ~CHidListener() { Stop(); }
    CHidListener(const CHidListener&) = delete;
    CHidListener& operator=(const CHidListener&) = delete;

    // Starts reading reports of id byReportId, nLen bytes (id included), from
    // h and posting them to pWnd (null: read and log only). A running
    // listener is stopped first. h must stay open until Stop returns.
    void Start(IHidHandle& h, IMsgTarget* pWnd, uint8_t byReportId, int nLen);
    // Ends the thread and joins it; returns at once when none runs.
    void Stop();
    // True from Start until the thread has ended (stopped, or the device went away).
    bool IsRunning() const;

private:
    void Run(std::stop_token stop, IHidHandle* pHandle, IMsgTarget* pWnd, uint8_t byReportId, int nLen);

    std::mutex m_mtxCtl;                 // serialises Start and Stop
    mutable std::mutex m_mtxEnd;         // guards m_bEnded
    std::condition_variable m_cvEnd;
    bool m_bEnded = true;
    IHidHandle* m_pHandle = nullptr;     // guarded by m_mtxCtl
    std::jthread m_thread;               // guarded by m_mtxCtl
};
