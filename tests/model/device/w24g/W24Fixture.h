// What the wireless mouse tests share: an installation loaded from one of the
// wireless fixture configurations, the virtual mouse with its receiver and
// cable on an emulator backend with a virtual clock, the device object under
// test, the messages it showed and the log lines it wrote (from any thread).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "TestSupport.h"
#include "core/Gvar.h"
#include "core/Ini.h"
#include "core/INoticeSink.h"
#include "core/IPrompt.h"
#include "core/Log.h"
#include "core/Options.h"
#include "core/Utf.h"
#include "device/w24g/Dev24G.h"
#include "emu/EmuBackend.h"
#include "emu/VirtualClock.h"
#include "emu/w24g/EmuReceiver.h"
#include "emu/w24g/EmuW24Mouse.h"

namespace w24test {

using Msg = std::pair<std::string, std::string>;  // text, caption
using Msgs = std::vector<Msg>;

// The user-interface thread's prompt and the device's notices in one record,
// safe from any thread.
class CSafePrompt final : public IPrompt, public INoticeSink {
public:
    void Notice(std::u16string_view text, std::u16string_view caption) override { ShowMessage(text, caption); }
    void ShowMessage(std::u16string_view text, std::u16string_view caption) override
    {
        std::lock_guard lock(m_mtx);
        m_msgs.emplace_back(U16ToUtf8(text), U16ToUtf8(caption));
    }
    bool AskYesNo(std::u16string_view text, std::u16string_view caption) override
    {
        ShowMessage(text, caption);
        return false;
    }
    Msgs Messages() const
    {
        std::lock_guard lock(m_mtx);
        return m_msgs;
    }
    void Clear()
    {
        std::lock_guard lock(m_mtx);
        m_msgs.clear();
    }

private:
    mutable std::mutex m_mtx;
    Msgs m_msgs;
};

class W24Fixture : public ::testing::Test {
protected:
    void TearDown() override
    {
        m_dev.reset();
        LogStop();
        ClearGvar();
    }

    // Loads tests/fixtures/cfg/<name> the way start-up does, then plugs in the
    // mouse it describes: through the receiver, or on its cable as well.
    void Load(std::string_view name, bool bCable = false)
    {
        m_dev.reset();  // its listener logs: it must end before the log is set up again
        CRecordingPrompt loadPrompt;
        const CIniFile cfg = CIniFile::Load(test::FixtureDir() / "cfg" / std::string(name));
        ASSERT_TRUE(cfg.Exists());
        LogConfig quiet;
        quiet.debugOut = [](const std::string&) {};
        ASSERT_TRUE(DataInit(cfg, loadPrompt, quiet));
        ASSERT_TRUE(PostInit(loadPrompt));
        ASSERT_TRUE(loadPrompt.Entries().empty());
        ASSERT_NE(pSensorCfg, nullptr);
        LogConfig log;
        log.nDebug = 1;
        log.debugOut = [this](const std::string& s) {
            std::lock_guard lock(m_mtxLog);
            m_log.push_back(s);
        };
        LogStart(log);
        g_nCurMode = -1;
        std::fill(std::begin(g_nCurDpiLevel), std::end(g_nCurDpiLevel), -1);
        std::fill(std::begin(g_nCurLODLevel), std::end(g_nCurLODLevel), -1);

        m_cfg = W24ConfigFor(gVar.Ms.nVID, gVar.Ms.nPID[0], gVar.Ms.nPID2[0], gVar.nMsFw, gVar.Ms.nMsSensor);
        m_cfg.bCableConnected = bCable;
        MakeRig();
    }

    // (Re)builds the virtual mouse from m_cfg and a fresh device object.
    void MakeRig()
    {
        m_dev.reset();
        m_backend = std::make_unique<CEmuBackend>();
        m_rig = MakeW24Rig(m_cfg, m_clock, *m_backend);
        m_dev = std::make_unique<CDev24G>(*m_backend, m_clock, m_prompt, gVar.nMsFw);
        m_dev->SetAnalysisDir(m_dir.Path());
    }

    // Discovery, and what it found taken into the program's state, as the
    // main window does.
    int Find()
    {
        const int n = m_dev->FindHIDDevice();
        if (n == 1) m_dev->Publish(m_prompt);
        return n;
    }

    std::vector<std::string> Journal() const { return m_backend->Journal()->Lines(); }
    void ClearJournal() { m_backend->Journal()->Clear(); }
    std::vector<std::string> Violations() const { return m_backend->Violations(); }

    bool Logged(std::string_view text) const
    {
        std::lock_guard lock(m_mtxLog);
        return std::any_of(m_log.begin(), m_log.end(), [&](const std::string& s) { return s.find(text) != s.npos; });
    }

    // The journal lines that start with prefix.
    std::vector<std::string> Lines(std::string_view prefix) const
    {
        std::vector<std::string> out;
        for (const std::string& l : Journal())
            if (l.starts_with(prefix)) out.push_back(l);
        return out;
    }

    test::CTempDir m_dir;
    CVirtualClock m_clock;
    CSafePrompt m_prompt;
    EmuW24Config m_cfg;
    std::unique_ptr<CEmuBackend> m_backend;
    EmuW24Rig m_rig;
    std::unique_ptr<CDev24G> m_dev;

    mutable std::mutex m_mtxLog;
    std::vector<std::string> m_log;
};

}  // namespace w24test
