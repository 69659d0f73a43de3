// The scaffolding the keyboard and pad description tests share: a clean gVar
// and key table, a recording prompt, the log lines, and the application folder
// in a scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "core/Gvar.h"
#include "core/IPrompt.h"
#include "core/Ini.h"
#include "core/Log.h"
#include "core/Utf.h"

namespace kbtest {

// Text and caption of a message shown.
using Msg = std::pair<std::string, std::string>;
using Msgs = std::vector<Msg>;

class CDescTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearGvar();
        for (KeyInfo& k : g_defKEY) k = KeyInfo{};
        m_pathSavedAppDir = g_szAppDir;
        g_szAppDir = m_dir.Path();
        LogStart(LogConfigForTest());
    }
    void TearDown() override
    {
        LogStop();
        g_szAppDir = m_pathSavedAppDir;
    }

    LogConfig LogConfigForTest()
    {
        LogConfig cfg;
        cfg.nDebug = 1;
        cfg.pathFile = m_dir / "Log.txt";
        cfg.debugOut = [this](const std::string& s) { m_log.push_back(s); };
        return cfg;
    }

    Msgs Messages() const
    {
        Msgs out;
        for (const auto& e : m_prompt.Entries()) out.emplace_back(U16ToUtf8(e.text), U16ToUtf8(e.caption));
        return out;
    }
    bool Logged(std::string_view part) const
    {
        return std::any_of(m_log.begin(), m_log.end(),
                           [&](const std::string& s) { return s.find(part) != std::string::npos; });
    }

    test::CTempDir m_dir;
    std::filesystem::path m_pathSavedAppDir;
    CRecordingPrompt m_prompt;
    std::vector<std::string> m_log;
};

}  // namespace kbtest
