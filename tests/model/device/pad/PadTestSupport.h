// What the pad tests share: the pad-only installation of the fixtures loaded
// as start-up loads it, the virtual pad it describes behind an emulator
// backend, the device object on a virtual clock, and the log lines it wrote.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "core/Gvar.h"
#include "core/INoticeSink.h"
#include "core/IPrompt.h"
#include "core/Ini.h"
#include "core/Log.h"
#include "core/Options.h"
#include "device/ApplySnapshot.h"
#include "device/pad/DevPad.h"
#include "emu/EmuBackend.h"
#include "emu/EmuHex.h"
#include "emu/VirtualClock.h"
#include "emu/pad/EmuPad.h"
#include "model/device/FakeHid.h"

namespace padtest {

using namespace std::chrono_literals;

// The virtual clock, with a hook that runs on every wait the host asks for
// (to change the device between two transfers of one job).
class CHookClock final : public IClock {
public:
    TimePoint Now() const override { return m_clock.Now(); }
    void Sleep(Duration d) override
    {
        m_clock.Sleep(d);
        if (m_onSleep) m_onSleep(d);
    }
    bool SleepUnless(Duration d, std::stop_token stop) override
    {
        const bool b = m_clock.SleepUnless(d, stop);
        if (m_onSleep) m_onSleep(d);
        return b;
    }
    std::function<void(Duration)> m_onSleep;
    CVirtualClock m_clock;
};

class PadFixture : public ::testing::Test {
public:  // table rows reach the pad and the clock through the fixture
    void SetUp() override
    {
        CRecordingPrompt loadPrompt;
        const CIniFile cfg = CIniFile::Load(test::FixtureDir() / "cfg" / "pad-only.ini");
        ASSERT_TRUE(cfg.Exists());
        LogConfig quiet;
        quiet.debugOut = [](const std::string&) {};
        ASSERT_TRUE(DataInit(cfg, loadPrompt, quiet));
        ASSERT_TRUE(PostInit(loadPrompt));
        ASSERT_TRUE(loadPrompt.Entries().empty());
        // The installation logs nothing (Debug=0): the tests read the device's lines.
        LogConfig log;
        log.nDebug = 1;
        log.debugOut = [state = m_logState](const std::string& s) {
            std::lock_guard l(state->mtx);
            state->lines.push_back(s.substr(s.find("  ") == 2 ? 4 : 0));  // without the debugger marker
        };
        LogStart(log);
        Build(PadConfigFor(gVar.Pad.nVID, gVar.Pad.nPID));
    }
    void TearDown() override
    {
        m_dev.reset();
        LogStop();
        ClearGvar();
    }

    // A fresh backend with one virtual pad made from cfg, and a fresh device object.
    void Build(const EmuPadConfig& cfg)
    {
        m_dev.reset();
        m_backend = std::make_unique<CEmuBackend>();
        m_pad = std::make_shared<CEmuPad>(cfg, m_clock);
        m_backend->AddDevice(m_pad);
        m_dev = std::make_unique<CDevPad>(*m_backend, m_clock, m_notices, gVar.nPadFw);
    }

    ProfileRecord NewProfile()
    {
        ProfileRecord pro{};
        pro.dwMagic = kProfileMagic;
        pro.nID = 0x123456;
        m_dev->FillDefault(pro);
        return pro;
    }
    int Apply(const ProfileRecord& pro, uint32_t nFlags)
    {
        const int nNone[kMsModeCount] = {-1, -1, -1};
        auto snap = MakeApplySnapshot(pro, m_macros, m_macros, nullptr, 0, nNone, -1, false);
        return m_dev->ApplySetting(*snap, m_progress.get(), kMsgApplyProgress, nFlags, std::stop_token());
    }
    // Finds the pad and forgets what discovery moved.
    void Connect()
    {
        ASSERT_EQ(m_dev->FindHIDDevice(), 1);
        m_backend->Journal()->Clear();
        m_clock.m_clock.ClearSleeps();
        ClearLog();
    }

    std::vector<std::string> Journal() const { return m_backend->Journal()->Lines(); }
    std::vector<intptr_t> Progress() const
    {
        std::vector<intptr_t> v;
        for (const auto& m : m_progress->Msgs()) v.push_back(intptr_t(m.wParam));
        return v;
    }
    void ClearProgress() { m_progress = std::make_unique<fake::CTarget>(); }
    std::vector<IClock::Duration> Sleeps() const { return m_clock.m_clock.Sleeps(); }
    bool Logged(const std::string& prefix) const
    {
        std::lock_guard l(m_logState->mtx);
        for (const std::string& s : m_logState->lines)
            if (s.rfind(prefix, 0) == 0) return true;
        return false;
    }
    void ClearLog()
    {
        std::lock_guard l(m_logState->mtx);
        m_logState->lines.clear();
    }
    // The pad's block as the journal writes it, "30" first.
    std::string PadReport() const { return EmuHex(m_pad->GetState().block); }

    struct LogState {
        std::mutex mtx;
        std::vector<std::string> lines;
    };
    std::shared_ptr<LogState> m_logState = std::make_shared<LogState>();
    CHookClock m_clock;
    CNoticeQueue m_notices;
    std::unique_ptr<fake::CTarget> m_progress = std::make_unique<fake::CTarget>();
    CMacroList m_macros;
    std::unique_ptr<CEmuBackend> m_backend;
    std::shared_ptr<CEmuPad> m_pad;
    std::unique_ptr<CDevPad> m_dev;
};

}  // namespace padtest
