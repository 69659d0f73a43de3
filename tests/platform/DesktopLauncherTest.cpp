#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/DesktopLauncher.h"

namespace fs = std::filesystem;

namespace {

TEST(DesktopLauncher, HandsTheFileToTheOpenerInItsFolder)
{
    test::CTempDir dir;
    const fs::path opener = dir / "opener.sh";
    const fs::path marker = dir / "opened.txt";
    test::WriteBytes(opener, "#!/bin/sh\necho \"$PWD|$1\" > '" + marker.string() + ".tmp' && mv '" + marker.string() +
                                 ".tmp' '" + marker.string() + "'\n");
    fs::permissions(opener, fs::perms::owner_all);
    fs::create_directories(dir / "fw dir");
    const fs::path file = dir / "fw dir" / "kbfw 1.bin";
    test::WriteBytes(file, "fw");

    CDesktopLauncher launcher(opener.string());
    std::string strWhy;
    ASSERT_TRUE(launcher.Open(file, strWhy)) << strWhy;
    ASSERT_TRUE(test::WaitFor([&] { return fs::exists(marker); }));
    EXPECT_EQ(test::ReadBytes(marker), (dir / "fw dir").string() + "|" + file.string() + "\n");
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::owner_exec, fs::perms::none);  // never made executable
}

TEST(DesktopLauncher, FailuresAreReportedNotFatal)
{
    test::CTempDir dir;
    const fs::path file = dir / "setup.bin";
    test::WriteBytes(file, "x");
    std::string strWhy;
    EXPECT_FALSE(CDesktopLauncher((dir / "no-such-opener").string()).Open(file, strWhy));
    EXPECT_FALSE(strWhy.empty());
    strWhy.clear();
    EXPECT_FALSE(CDesktopLauncher("/bin/true").Open(dir / "missing.bin", strWhy));
    EXPECT_EQ(strWhy, "no such file");
}

}  // namespace
