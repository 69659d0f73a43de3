// Where threads other than the user interface's leave what the user must read
// (a failed apply, a mouse that answers with another sensor, keys that could
// not be written). A notice is handed over and the call returns at once: a
// worker never waits for a window, so stopping a worker can never wait for a
// message box either, also after the event loop has ended. The desktop program
// shows notices when its event loop runs; the command-line tool prints them;
// tests read them back.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/IPrompt.h"

class INoticeSink {
public:
    virtual ~INoticeSink() = default;
    // Safe from any thread; never blocks on the user.
    virtual void Notice(std::u16string_view text, std::u16string_view caption) = 0;
};

// Keeps notices until the owner takes them: tests, and the user interface's
// sink, which wakes its event loop and shows what it takes.
class CNoticeQueue : public INoticeSink {
public:
    struct Entry {
        std::u16string text, caption;
        bool operator==(const Entry&) const = default;
    };
    void Notice(std::u16string_view text, std::u16string_view caption) override
    {
        {
            std::lock_guard lock(m_mtx);
            m_entries.push_back({std::u16string(text), std::u16string(caption)});
        }
        Posted();
    }
    // Every notice not taken yet, oldest first; the queue is empty after.
    std::vector<Entry> Take()
    {
        std::lock_guard lock(m_mtx);
        std::vector<Entry> out(m_entries.begin(), m_entries.end());
        m_entries.clear();
        return out;
    }
    void Clear() { Take(); }
    // What is waiting, without taking it.
    std::vector<Entry> Entries() const
    {
        std::lock_guard lock(m_mtx);
        return {m_entries.begin(), m_entries.end()};
    }

protected:
    // Called after each notice, outside the lock, on the thread that left it.
    virtual void Posted() {}

private:
    mutable std::mutex m_mtx;
    std::deque<Entry> m_entries;  // guarded by m_mtx
};

// Hands each notice to a prompt that returns at once (the command-line tool's
// stream prompt). Never give it a prompt that waits for the user.
class CImmediateNotices final : public INoticeSink {
public:
    explicit CImmediateNotices(IPrompt& prompt) : m_prompt(prompt) {}
    void Notice(std::u16string_view text, std::u16string_view caption) override
    {
        std::lock_guard lock(m_mtx);
        m_prompt.ShowMessage(text, caption);
    }

private:
    std::mutex m_mtx;
    IPrompt& m_prompt;
};
