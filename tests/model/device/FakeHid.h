// Small fakes for the transport's own rules: a clock that records the waits it
// is asked for, HID ports whose calls can fail, block, be unplugged or answer
// a script, a backend over them, a message target and a log capture that can
// be read from any thread. The device emulator is richer; these are only what
// the transport tests need to show its faults.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "core/Log.h"
#include "device/IClock.h"
#include "device/IHidBackend.h"
#include "device/IMsgTarget.h"

namespace fake {

using namespace std::chrono_literals;

// Time stands still until someone sleeps; every sleep is recorded.
class CClock final : public IClock {
public:
    TimePoint Now() const override
    {
        std::lock_guard lock(m_mtx);
        return m_tNow;
    }
    void Sleep(Duration d) override
    {
        {
            std::lock_guard lock(m_mtx);
            m_sleeps.push_back(d);
            m_tNow += d;
        }
        std::this_thread::yield();  // lets another thread in, as a real sleep would
    }
    bool SleepUnless(Duration d, std::stop_token stop) override
    {
        if (stop.stop_requested()) return false;
        Sleep(d);
        return !stop.stop_requested();
    }
    void Advance(Duration d)
    {
        std::lock_guard lock(m_mtx);
        m_tNow += d;
    }
    std::vector<Duration> Sleeps() const
    {
        std::lock_guard lock(m_mtx);
        return m_sleeps;
    }
    void ClearSleeps()
    {
        std::lock_guard lock(m_mtx);
        m_sleeps.clear();
    }

private:
    mutable std::mutex m_mtx;
    TimePoint m_tNow{};
    std::vector<Duration> m_sleeps;
};

// One call that reached a port.
struct Call {
    std::string strOp;              // setf, getf, write, read
    std::vector<uint8_t> bytes;     // what was sent, or what was handed back
    std::thread::id thread;
    IClock::TimePoint t;
};

// One HID interface. Handles opened on it forward here, so a test keeps its
// hands on the interface after a device object has taken the handle.
class CPort {
public:
    explicit CPort(IClock* pClock = nullptr) : m_pClock(pClock) {}

    // ---- script --------------------------------------------------------
    void FailNext(int n) { std::lock_guard l(m_mtx); m_nFailNext = n; }
    void FailAlways(bool b) { std::lock_guard l(m_mtx); m_bFailAlways = b; }
    void SetError(int n) { std::lock_guard l(m_mtx); m_nError = n; }
    // The answer of the next get-feature calls: fills the buffer from byte 1.
    void SetAnswer(std::vector<uint8_t> bytes) { std::lock_guard l(m_mtx); m_answer = std::move(bytes); }
    // Runs after each successful set-feature (outside the port's lock).
    void OnSetFeature(std::function<void(std::span<const uint8_t>)> fn) { std::lock_guard l(m_mtx); m_onSet = std::move(fn); }
    void QueueInput(std::vector<uint8_t> report)
    {
        {
            std::lock_guard l(m_mtx);
            m_input.push_back(std::move(report));
        }
        m_cv.notify_all();
    }
    // The device goes away: every call fails, a waiting read returns -1.
    void Unplug()
    {
        {
            std::lock_guard l(m_mtx);
            m_bUnplugged = true;
        }
        m_cv.notify_all();
    }

    // ---- what happened -------------------------------------------------
    std::vector<Call> Calls() const { std::lock_guard l(m_mtx); return m_calls; }
    int CountOp(const std::string& op) const
    {
        std::lock_guard l(m_mtx);
        return int(std::ranges::count_if(m_calls, [&](const Call& c) { return c.strOp == op; }));
    }
    int Cancels() const { std::lock_guard l(m_mtx); return m_nCancels; }
    // Reads whose wait ran out: the listener tests expect none (a stop wakes it).
    int ReadTimeouts() const { std::lock_guard l(m_mtx); return m_nTimeouts; }
    int OpenHandles() const { std::lock_guard l(m_mtx); return m_nOpen; }
    int MaxReaders() const { std::lock_guard l(m_mtx); return m_nMaxReaders; }
    // Blocks until a read waits on the port (real time, bounded).
    bool WaitForReader(std::chrono::milliseconds limit = 5000ms)
    {
        std::unique_lock l(m_mtx);
        return m_cv.wait_for(l, limit, [this] { return m_nReaders > 0; });
    }

    // ---- the handle side -------------------------------------------------
    bool SetFeature(std::span<const uint8_t> r)
    {
        std::function<void(std::span<const uint8_t>)> onSet;
        {
            std::lock_guard l(m_mtx);
            Record("setf", r);
            if (Fails()) return false;
            onSet = m_onSet;
        }
        std::this_thread::yield();  // a window for another thread to interleave, if the caller lets it
        if (onSet) onSet(r);
        return true;
    }
    bool GetFeature(std::span<uint8_t> buf)
    {
        std::lock_guard l(m_mtx);
        if (Fails()) {
            buf[buf.size() - 1] = 0xEE;  // a failed call may leave anything behind
            Record("getf", buf);
            return false;
        }
        for (size_t i = 1; i < buf.size() && i - 1 < m_answer.size(); ++i) buf[i] = m_answer[i - 1];
        Record("getf", buf);
        return true;
    }
    bool WriteOutput(std::span<const uint8_t> r)
    {
        std::lock_guard l(m_mtx);
        Record("write", r);
        return !Fails();
    }
    int ReadInput(std::span<uint8_t> buf, std::chrono::milliseconds timeout)
    {
        std::unique_lock l(m_mtx);
        ++m_nReaders;
        m_nMaxReaders = std::max(m_nMaxReaders, m_nReaders);
        m_cv.notify_all();
        // Real time, but never longer than a test should take: a read that is
        // meant to be woken and is not shows up in ReadTimeouts.
        const auto limit = std::min<std::chrono::milliseconds>(timeout, 2000ms);
        const bool bWoken = m_cv.wait_for(l, limit, [this] { return m_bCancel || m_bUnplugged || !m_input.empty(); });
        --m_nReaders;
        if (m_bUnplugged) return -1;
        if (m_bCancel) {
            m_bCancel = false;  // the cancel is used up by the read it ended
            return 0;
        }
        if (!bWoken) {
            if (timeout > 0ms) ++m_nTimeouts;
            return 0;
        }
        std::vector<uint8_t> r = std::move(m_input.front());
        m_input.pop_front();
        const size_t n = std::min(r.size(), buf.size());
        std::copy_n(r.begin(), n, buf.begin());
        Record("read", std::span<const uint8_t>(r.data(), n));
        return int(n);
    }
    // Kept until a read uses it, as the handle contract asks.
    void CancelRead()
    {
        {
            std::lock_guard l(m_mtx);
            ++m_nCancels;
            m_bCancel = true;
        }
        m_cv.notify_all();
    }
    int LastError() const { std::lock_guard l(m_mtx); return m_nError; }
    void Opened() { std::lock_guard l(m_mtx); ++m_nOpen; }
    void Closed() { std::lock_guard l(m_mtx); --m_nOpen; }

private:
    // Caller holds m_mtx.
    bool Fails()
    {
        if (m_bUnplugged || m_bFailAlways) return true;
        if (m_nFailNext > 0) {
            --m_nFailNext;
            return true;
        }
        return false;
    }
    void Record(const char* op, std::span<const uint8_t> b)
    {
        m_calls.push_back({op, std::vector<uint8_t>(b.begin(), b.end()), std::this_thread::get_id(),
                           m_pClock ? m_pClock->Now() : IClock::TimePoint{}});
    }

    IClock* m_pClock;
    mutable std::mutex m_mtx;
    std::condition_variable m_cv;
    std::vector<Call> m_calls;
    std::deque<std::vector<uint8_t>> m_input;
    std::vector<uint8_t> m_answer;
    std::function<void(std::span<const uint8_t>)> m_onSet;
    int m_nFailNext = 0;
    bool m_bFailAlways = false;
    bool m_bUnplugged = false;
    bool m_bCancel = false;
    int m_nError = 5;
    int m_nCancels = 0;
    int m_nTimeouts = 0;
    int m_nReaders = 0;
    int m_nMaxReaders = 0;
    int m_nOpen = 0;
};

class CHandle final : public IHidHandle {
public:
    explicit CHandle(std::shared_ptr<CPort> port) : m_port(std::move(port)) { m_port->Opened(); }
    ~CHandle() override { m_port->Closed(); }
    bool SetFeature(std::span<const uint8_t> r) override { return m_port->SetFeature(r); }
    bool GetFeature(std::span<uint8_t> b) override { return m_port->GetFeature(b); }
    bool WriteOutput(std::span<const uint8_t> r) override { return m_port->WriteOutput(r); }
    int ReadInput(std::span<uint8_t> b, std::chrono::milliseconds t) override { return m_port->ReadInput(b, t); }
    void CancelRead() override { m_port->CancelRead(); }
    int LastError() const override { return m_port->LastError(); }

private:
    std::shared_ptr<CPort> m_port;
};

inline std::unique_ptr<IHidHandle> OpenOn(const std::shared_ptr<CPort>& port) { return std::make_unique<CHandle>(port); }

// Interfaces by path; an interface without a port cannot be opened.
class CBackend : public IHidBackend {
public:
    std::shared_ptr<CPort> Add(HidDevInfo info, IClock* pClock = nullptr)
    {
        auto port = std::make_shared<CPort>(pClock);
        std::lock_guard l(m_mtx);
        m_ports[info.szPath] = port;
        m_infos.push_back(std::move(info));
        return port;
    }
    void AddUnopenable(HidDevInfo info)
    {
        std::lock_guard l(m_mtx);
        m_infos.push_back(std::move(info));
    }
    std::vector<HidDevInfo> Enumerate() override
    {
        std::lock_guard l(m_mtx);
        return m_infos;
    }
    std::unique_ptr<IHidHandle> Open(const std::string& strPath) override
    {
        std::lock_guard l(m_mtx);
        auto it = m_ports.find(strPath);
        if (it == m_ports.end()) return nullptr;
        return OpenOn(it->second);
    }

private:
    std::mutex m_mtx;
    std::vector<HidDevInfo> m_infos;
    std::map<std::string, std::shared_ptr<CPort>> m_ports;
};

inline HidDevInfo Info(std::string path, int vid, int pid, int page, int usage, int in, int out, int feat, int id = 0)
{
    HidDevInfo i;
    i.szPath = std::move(path);
    i.nVID = vid;
    i.nPID = pid;
    i.nUsagePage = page;
    i.nUsage = usage;
    i.nInputLen = in;
    i.nOutputLen = out;
    i.nFeatureLen = feat;
    i.nReportId = id;
    return i;
}

struct Msg {
    uint32_t nMsg;
    uintptr_t wParam;
    intptr_t lParam;
    bool operator==(const Msg&) const = default;
};

class CTarget final : public IMsgTarget {
public:
    void Post(uint32_t nMsg, uintptr_t wParam, intptr_t lParam) override
    {
        {
            std::lock_guard l(m_mtx);
            m_msgs.push_back({nMsg, wParam, lParam});
        }
        m_cv.notify_all();
    }
    std::vector<Msg> Msgs() const { std::lock_guard l(m_mtx); return m_msgs; }
    bool WaitForCount(size_t n, std::chrono::milliseconds limit = 5000ms)
    {
        std::unique_lock l(m_mtx);
        return m_cv.wait_for(l, limit, [&] { return m_msgs.size() >= n; });
    }

private:
    mutable std::mutex m_mtx;
    std::condition_variable m_cv;
    std::vector<Msg> m_msgs;
};

// A target the test owns, handed to code that shares ownership of its targets.
inline std::shared_ptr<IMsgTarget> Borrow(IMsgTarget& target)
{
    return std::shared_ptr<IMsgTarget>(&target, [](IMsgTarget*) {});
}

// Log lines of every thread while it lives. Its state lives on the heap: the
// log calls into it under the log's own lock, and a mutex on the stack would
// share its address with the mutexes of later tests, which ThreadSanitizer
// would take for one mutex taken in both orders.
class CLogCapture {
public:
    CLogCapture()
    {
        LogConfig cfg;
        cfg.nDebug = 1;
        cfg.debugOut = [state = m_state](const std::string& s) {
            std::lock_guard l(state->mtx);
            state->lines.push_back(s.substr(s.find("  ") == 2 ? 4 : 0));  // without the debugger marker
        };
        LogStart(cfg);
    }
    ~CLogCapture() { LogStop(); }
    CLogCapture(const CLogCapture&) = delete;
    CLogCapture& operator=(const CLogCapture&) = delete;
    std::vector<std::string> Lines() const
    {
        std::lock_guard l(m_state->mtx);
        return m_state->lines;
    }
    int Count(const std::string& line) const
    {
        std::lock_guard l(m_state->mtx);
        return int(std::ranges::count(m_state->lines, line));
    }
    bool HasPrefix(const std::string& prefix) const
    {
        std::lock_guard l(m_state->mtx);
        return std::ranges::any_of(m_state->lines, [&](const std::string& s) { return s.rfind(prefix, 0) == 0; });
    }

private:
    struct State {
        std::mutex mtx;
        std::vector<std::string> lines;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

}  // namespace fake
