#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "core/Log.h"

namespace {

class LogTest : public ::testing::Test {
protected:
    void TearDown() override { LogStop(); }

    LogConfig Config(unsigned nDebug)
    {
        LogConfig cfg;
        cfg.nDebug = nDebug;
        cfg.pathFile = m_dir / "Log.txt";
        cfg.clock = [] { return LogTime{12, 5, 7, 9}; };
        cfg.debugOut = [this](const std::string& s) { m_debug.push_back(s); };
        return cfg;
    }

    test::CTempDir m_dir;
    std::vector<std::string> m_debug;
};

TEST_F(LogTest, NothingBeforeStartAndNothingAtLevelZero)
{
    LogPrintf("before start %d", 1);
    LogStart(Config(0));
    LogPrintf("level zero");
    const uint8_t bytes[] = {1, 2, 3};
    LogHex(bytes, sizeof bytes, 0, "p");
    EXPECT_FALSE(std::filesystem::exists(m_dir / "Log.txt"));
    EXPECT_TRUE(m_debug.empty());
}

TEST_F(LogTest, LevelOneGoesToTheDebuggerOutputWithMarker)
{
    LogStart(Config(1));
    LogPrintf("FindHIDDevice %s", "ok");
    EXPECT_FALSE(std::filesystem::exists(m_dir / "Log.txt"));
    ASSERT_EQ(m_debug.size(), 1u);
    EXPECT_EQ(m_debug[0], "ZV  FindHIDDevice ok");
}

TEST_F(LogTest, FileLinesStartWithMinutesSecondsMillis)
{
    LogStart(Config(2));
    LogPrintf("Launch %04d", 2026);
    LogPrintf("second \xC3\xA4");
    EXPECT_EQ(test::ReadBytes(m_dir / "Log.txt"), "\n05:07.009   Launch 2026\n05:07.009   second \xC3\xA4");
    EXPECT_EQ(LogFilePath(), m_dir / "Log.txt");
}

TEST_F(LogTest, OversizedLogIsEmptiedAtStartSmallOneKept)
{
    struct Case { size_t nSize; bool bKept; };
    for (const Case c : {Case{512001, false}, Case{512000, true}, Case{100, true}}) {
        test::WriteBytes(m_dir / "Log.txt", std::string(c.nSize, 'x'));
        LogStart(Config(3));
        LogPrintf("m");
        const std::string s = test::ReadBytes(m_dir / "Log.txt");
        EXPECT_EQ(s.size(), (c.bKept ? c.nSize : 0) + 14) << c.nSize;
        LogStop();
    }
}

TEST_F(LogTest, UnopenableFileFallsBackToDebuggerOutput)
{
    LogConfig cfg = Config(2);
    cfg.pathFile = m_dir / "missing-folder" / "Log.txt";
    LogStart(cfg);
    LogPrintf("still seen");
    ASSERT_EQ(m_debug.size(), 2u);
    EXPECT_EQ(m_debug[0], "Open Log failed");
    EXPECT_EQ(m_debug[1], "ZV  still seen");
}

TEST_F(LogTest, HexDumpsSplitLinesAndGroups)
{
    LogStart(Config(1));
    std::vector<uint8_t> data(25);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i + 0xF0);
    LogHex(data.data(), data.size(), 10, "HdData:");
    ASSERT_EQ(m_debug.size(), 3u);
    EXPECT_EQ(m_debug[0], "ZV  HdData: f0 f1 f2 f3 f4 f5 f6 f7 f8 f9 ");
    EXPECT_EQ(m_debug[2], "ZV  HdData: 04 05 06 07 08 ");

    m_debug.clear();
    LogHexGrouped("G", data.data(), 8, 8, 4);
    ASSERT_EQ(m_debug.size(), 1u);
    EXPECT_EQ(m_debug[0], "ZV  G f0 f1 f2 f3  f4 f5 f6 f7  ");
}

TEST_F(LogTest, LongDumpWithoutLineLengthNeverOverrunsAndKeepsEveryByte)
{
    LogStart(Config(1));
    const std::vector<uint8_t> data(2000, 0xAB);
    LogHex(data.data(), data.size(), 0, nullptr);
    size_t nBytes = 0;
    for (const auto& line : m_debug) {
        EXPECT_LE(line.size(), 4u + 1023u);
        for (size_t p = 0; (p = line.find("ab ", p)) != std::string::npos; p += 3) ++nBytes;
    }
    EXPECT_EQ(nBytes, 2000u);
    EXPECT_GT(m_debug.size(), 1u);
}

TEST_F(LogTest, ConcurrentMessagesStayWholeLines)
{
    LogStart(Config(2));
    std::vector<std::jthread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 200; ++i) LogPrintf("thread %d message %03d end", t, i);
        });
    threads.clear();
    const std::string s = test::ReadBytes(m_dir / "Log.txt");
    size_t nLines = 0;
    for (size_t p = 1, q; p < s.size(); p = q + 1) {
        q = s.find('\n', p);
        if (q == std::string::npos) q = s.size();
        const std::string line = s.substr(p, q - p);
        EXPECT_EQ(line.rfind("05:07.009   thread ", 0), 0u) << line;
        EXPECT_EQ(line.substr(line.size() - 4), " end") << line;
        ++nLines;
    }
    EXPECT_EQ(nLines, 800u);
}

TEST(LogFormat, AppendFormatBuildsOneLineFromPieces)
{
    std::string s = "Keys:";
    AppendFormat(s, " %d", 1);
    EXPECT_EQ(AppendFormat(s, " %s", "two"), 11u);
    EXPECT_EQ(s, "Keys: 1 two");
}

}  // namespace
