// What the keyboard families' device tests share: a fixture installation
// loaded as start-up loads it, the notices and progress an apply posts, the
// debug log it writes, and the transfers of the emulator's journal cut down
// to one short line each.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "TestSupport.h"
#include "core/Gvar.h"
#include "core/INoticeSink.h"
#include "core/IPrompt.h"
#include "core/Ini.h"
#include "core/Log.h"
#include "core/Options.h"
#include "core/Utf.h"
#include "device/IMsgTarget.h"
#include "emu/EmuJournal.h"

namespace kbtest {

// The notices the device gave the user: the text alone, or "caption: text".
class CNotes final : public INoticeSink {
public:
    explicit CNotes(bool bWithCaption = false) : m_bWithCaption(bWithCaption) {}
    void Notice(std::u16string_view text, std::u16string_view caption) override
    {
        std::lock_guard lock(m_mtx);
        m_notes.push_back(m_bWithCaption ? U16ToUtf8(caption) + ": " + U16ToUtf8(text) : U16ToUtf8(text));
    }
    void Clear()
    {
        std::lock_guard lock(m_mtx);
        m_notes.clear();
    }
    std::vector<std::string> Notes() const
    {
        std::lock_guard lock(m_mtx);
        return m_notes;
    }

private:
    const bool m_bWithCaption;
    mutable std::mutex m_mtx;
    std::vector<std::string> m_notes;
};

// Progress as posted; a hook, when set, runs at each post (inside the apply).
class CProgress final : public IMsgTarget {
public:
    void Post(uint32_t, uintptr_t wParam, intptr_t) override
    {
        m_steps.push_back(int(wParam));
        if (m_hook) m_hook();
    }
    std::vector<int> m_steps;
    std::function<void()> m_hook;
};

// The debug log from Start() on, for looking up what an apply wrote.
class CLogCapture {
public:
    void Start()
    {
        LogConfig log;
        log.nDebug = 1;
        log.debugOut = [this](const std::string& s) {
            std::lock_guard lock(m_mtx);
            m_lines.push_back(s);
        };
        LogStart(log);
    }
    bool Logged(std::string_view text) const
    {
        std::lock_guard lock(m_mtx);
        return std::any_of(m_lines.begin(), m_lines.end(),
                           [&](const std::string& s) { return s.find(text) != s.npos; });
    }

private:
    mutable std::mutex m_mtx;
    std::vector<std::string> m_lines;
};

// Loads the fixture configuration cfg/<pszFixture> into the globals the way
// start-up does, its own log lines dropped; fnMore gets the loaded file for
// what start-up reads from elsewhere (a keyboard's Fn layer). Call it inside
// ASSERT_NO_FATAL_FAILURE.
inline void LoadInstallation(const char* pszFixture,
                             const std::function<void(const CIniFile&, IPrompt&)>& fnMore = {})
{
    CRecordingPrompt loadPrompt;
    const CIniFile cfg = CIniFile::Load(test::FixtureDir() / "cfg" / pszFixture);
    ASSERT_TRUE(cfg.Exists()) << pszFixture;
    LogConfig quiet;
    quiet.debugOut = [](const std::string&) {};
    ASSERT_TRUE(DataInit(cfg, loadPrompt, quiet));
    ASSERT_TRUE(PostInit(loadPrompt));
    if (fnMore) fnMore(cfg, loadPrompt);
}

// One line a transfer of a command/data keyboard: "R 83@b6" a read command,
// "W 03@b6" a data write, "M" a music frame; answers and the rest are empty.
inline std::string CmdDataSummary(const std::string& line)
{
    if (line.starts_with("setf cmd ")) return "R " + line.substr(12, 2) + "@" + line.substr(15, 2);
    if (line.starts_with("setf data ")) return "W " + line.substr(13, 2) + "@" + line.substr(16, 2);
    if (line.starts_with("setf music ")) return "M";
    return {};
}

// The journal's lines through fnSummary, the empty ones left out.
inline std::vector<std::string> Summaries(const CEmuJournal& journal,
                                          const std::function<std::string(const std::string&)>& fnSummary)
{
    std::vector<std::string> out;
    for (const std::string& l : journal.Lines())
        if (std::string s = fnSummary(l); !s.empty()) out.push_back(s);
    return out;
}

}  // namespace kbtest
