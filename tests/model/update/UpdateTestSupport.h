// Stand-ins for the owner of an update check in tests: its message queue, the
// page that shows marks and progress, and a launcher that records what it starts.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "update/UpdateCheck.h"

namespace test {

using namespace std::chrono_literals;

class CFakeLauncher final : public ILauncher {
public:
    bool bSucceed = true;
    std::vector<std::filesystem::path> opened;
    bool Open(const std::filesystem::path& path, std::string& strWhy) override
    {
        opened.push_back(path);
        if (!bSucceed) strWhy = "no opener";
        return bSucceed;
    }
};

// The owner's message queue: the worker posts, the test thread takes.
class CQueueTarget final : public IMsgTarget {
public:
    void Post(uint32_t nMsg, uintptr_t wParam, intptr_t lParam) override
    {
        {
            std::lock_guard lock(m_mtx);
            m_msgs.push_back({nMsg, wParam, lParam});
        }
        m_cv.notify_all();
    }
    // Hands messages to the check until its run has ended; false on a time-out.
    bool Pump(CUpdateCheck& check, std::chrono::milliseconds limit = 5s)
    {
        const auto tEnd = std::chrono::steady_clock::now() + limit;
        while (check.IsRunning()) {
            Msg m;
            {
                std::unique_lock lock(m_mtx);
                if (!m_cv.wait_until(lock, tEnd, [this] { return !m_msgs.empty(); })) return false;
                m = m_msgs.front();
                m_msgs.pop_front();
            }
            EXPECT_EQ(m.nMsg, kMsgUpdate);
            check.OnMessage(m.wParam, m.lParam);
        }
        return true;
    }

    // Hands messages to the check until pred holds; false on a time-out.
    bool PumpUntil(CUpdateCheck& check, const std::function<bool()>& pred, std::chrono::milliseconds limit = 5s)
    {
        const auto tEnd = std::chrono::steady_clock::now() + limit;
        while (!pred()) {
            if (std::chrono::steady_clock::now() > tEnd) return false;
            Msg m{};
            {
                std::unique_lock lock(m_mtx);
                if (!m_cv.wait_for(lock, 5ms, [this] { return !m_msgs.empty(); })) continue;
                m = m_msgs.front();
                m_msgs.pop_front();
            }
            check.OnMessage(m.wParam, m.lParam);
        }
        return true;
    }

private:
    struct Msg { uint32_t nMsg; uintptr_t wParam; intptr_t lParam; };
    std::mutex m_mtx;
    std::condition_variable m_cv;
    std::deque<Msg> m_msgs;
};

class CRecordingView final : public IUpdateView {
public:
    std::vector<int> marks, progress;
    std::vector<UpdateOutcome> outcomes;
    int nQuit = 0;
    void ShowUpdateMark(int nWhich) override { marks.push_back(nWhich); }
    void SetUpdateProgress(int nPercent) override { progress.push_back(nPercent); }
    void UpdateFinished(UpdateOutcome o) override { outcomes.push_back(o); }
    void QuitForInstall() override { ++nQuit; }
};

// Every pause is over at once.
class CInstantClock final : public IClock {
public:
    TimePoint Now() const override { return std::chrono::steady_clock::now(); }
    void Sleep(Duration) override {}
};

}  // namespace test
