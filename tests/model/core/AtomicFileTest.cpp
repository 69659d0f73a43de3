#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <vector>

#include "TestSupport.h"
#include "core/AtomicFile.h"
#include "core/FileAccess.h"
#include "platform/PosixFiles.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> FolderNames(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(AtomicFile, WritesNewAndReplacesOldFiles)
{
    test::CTempDir dir;
    const fs::path path = dir / "pro.dct";
    std::string strErr;
    const std::string bytes("a\0b\r\n\xFF", 6);
    ASSERT_TRUE(WriteFileAtomic(path, bytes, strErr)) << strErr;
    EXPECT_EQ(test::ReadBytes(path), bytes);

    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(WriteFileAtomic(path, "new", strErr)) << strErr;
    EXPECT_EQ(test::ReadBytes(path), "new");
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

    ASSERT_TRUE(WriteFileAtomic(path, "", strErr)) << strErr;
    EXPECT_EQ(fs::file_size(path), 0u);
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"pro.dct"});  // no temporary file left
}

TEST(AtomicFile, ALinkStaysALink)
{
    test::CTempDir dir;
    fs::create_directory(dir / "real");
    test::WriteBytes(dir / "real" / "lang.ini", "old");
    fs::create_symlink(dir / "real" / "lang.ini", dir / "lang.ini");
    std::string strErr;
    ASSERT_TRUE(WriteFileAtomic(dir / "lang.ini", "new", strErr)) << strErr;
    EXPECT_TRUE(fs::is_symlink(dir / "lang.ini"));
    EXPECT_EQ(test::ReadBytes(dir / "real" / "lang.ini"), "new");
}

TEST(AtomicFile, FailuresKeepTheOldFileAndLeaveNoTemporary)
{
    test::CTempDir dir;
    test::WriteBytes(dir / "keep.txt", "precious");
    fs::create_directory(dir / "target");
    test::WriteBytes(dir / "target" / "inside", "x");

    struct Case { const char* name; fs::path path; };
    const Case cases[] = {
        {"missing folder", dir / "no-such-folder" / "pro.dct"},
        {"a file where the folder should be", dir / "keep.txt" / "pro.dct"},
        {"a folder in place of the file", dir / "target"},
        {"no file name", dir.Path() / ""},
    };
    for (const Case& c : cases) {
        std::string strErr;
        EXPECT_FALSE(WriteFileAtomic(c.path, "new bytes", strErr)) << c.name;
        EXPECT_FALSE(strErr.empty()) << c.name;
    }
    EXPECT_EQ(test::ReadBytes(dir / "keep.txt"), "precious");
    EXPECT_EQ(FolderNames(dir / "target"), std::vector<std::string>{"inside"});
    EXPECT_EQ(FolderNames(dir.Path()), (std::vector<std::string>{"keep.txt", "target"}));
}

TEST(AtomicFile, KeepAsideMovesTheFileOutOfTheWay)
{
    test::CTempDir dir;
    const fs::path path = dir / "pro.dct";
    std::string strErr;
    EXPECT_EQ(KeptAsidePath(path), dir / "pro.dct.bad");

    EXPECT_TRUE(KeepAside(path, strErr)) << strErr;  // nothing there: nothing to lose
    EXPECT_TRUE(fs::is_empty(dir.Path()));

    test::WriteBytes(path, "first broken");
    ASSERT_TRUE(KeepAside(path, strErr)) << strErr;
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(test::ReadBytes(dir / "pro.dct.bad"), "first broken");

    test::WriteBytes(path, "second broken");
    ASSERT_TRUE(KeepAside(path, strErr)) << strErr;  // replaces the older .bad
    EXPECT_EQ(test::ReadBytes(dir / "pro.dct.bad"), "second broken");

    // A .bad that cannot be replaced: the file stays where it is and the caller is told.
    fs::remove(dir / "pro.dct.bad");
    fs::create_directory(dir / "pro.dct.bad");
    test::WriteBytes(dir / "pro.dct.bad" / "x", "x");
    test::WriteBytes(path, "third broken");
    strErr.clear();
    EXPECT_FALSE(KeepAside(path, strErr));
    EXPECT_FALSE(strErr.empty());
    EXPECT_EQ(test::ReadBytes(path), "third broken");
}

// Saves are synced to the disk before the rename and the folder after it; a
// file that cannot be synced is not put in place of the old one.
TEST(AtomicFile, SyncsFileAndFolderAndFailsWhenTheFileCannotBeSynced)
{
    test::CTempDir dir;
    int nFileSyncs = 0, nFolderSyncs = 0;
    bool bSyncWorks = true;
    FileHooks hooks;
    hooks.syncFile = [&](std::FILE*) { ++nFileSyncs; return bSyncWorks; };
    hooks.syncFolder = [&](const fs::path& p) { ++nFolderSyncs; EXPECT_EQ(p, dir.Path()); return true; };
    SetFileHooks(hooks);
    std::string strErr;
    const bool bFirst = WriteFileAtomic(dir / "pro.dct", "new", strErr);
    bSyncWorks = false;
    const bool bSecond = WriteFileAtomic(dir / "pro.dct", "newer", strErr);
    InstallPosixFileHooks();
    EXPECT_TRUE(bFirst);
    EXPECT_FALSE(bSecond);
    EXPECT_NE(strErr.find("sync"), std::string::npos) << strErr;
    EXPECT_EQ(nFileSyncs, 2);
    EXPECT_EQ(nFolderSyncs, 1);
    EXPECT_EQ(test::ReadBytes(dir / "pro.dct"), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);  // no temporary left
}

TEST(AtomicFile, TempNamePattern)
{
    std::string strErr;
    test::CTempDir dir;
    SetFileHooks({.syncFile = [&](std::FILE*) {
        // The temporary file exists now, under the name the clean-up looks for.
        int n = 0;
        for (const auto& e : fs::directory_iterator(dir.Path())) n += IsAtomicTempName(e.path().filename().string());
        EXPECT_EQ(n, 1);
        return true;
    }});
    EXPECT_TRUE(WriteFileAtomic(dir / "keycfg.kyg", "x", strErr));
    InstallPosixFileHooks();
    for (const char* psz : {".a.0123456789abcdef.tmp", ".pro.dct.ffffffffffffffff.tmp"}) EXPECT_TRUE(IsAtomicTempName(psz)) << psz;
    for (const char* psz : {"a.0123456789abcdef.tmp", ".a.0123456789abcdeF.tmp", ".a.0123456789abcde.tmp",
                            ".a.0123456789abcdef.tmpx", "..0123456789abcdef.tmp", ".0123456789abcdef.tmp"})
        EXPECT_FALSE(IsAtomicTempName(psz)) << psz;
}
