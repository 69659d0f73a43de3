// Macro and bullet folders on disk: scanning, import, export, copy, rename,
// delete and the writes behind them, with the names that may become paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "TestSupport.h"
#include "core/Utf.h"
#include "keys/MacroFolder.h"

namespace fs = std::filesystem;

namespace {

MacroAction Act(uint8_t code, uint8_t param, uint16_t state, uint32_t delay)
{
    MacroAction a{};
    a.byCode = code;
    a.byParam = param;
    a.wState = state;
    a.SetDelay(delay);
    return a;
}

MacroRecord Rec(std::u16string_view name, uint32_t id, std::initializer_list<MacroAction> acts = {Act(65, 0, 1, 10)})
{
    MacroRecord r = MakeNewMacroRecord(name, id, MacroKind::Macro);
    r.dwFlags = 0;
    int i = 0;
    for (const MacroAction& a : acts) r.Action[i++] = a;
    return r;
}

void WriteRecord(const fs::path& file, const MacroRecord& r, bool bPlain = false)
{
    fs::create_directories(file.parent_path());
    const MacroFileBytes b = bPlain ? MacroRecordBytes(r) : EncodeMacroFile(r);
    test::WriteBytes(file, std::string(reinterpret_cast<const char*>(b.data()), b.size()));
}

MacroRecord ReadRecord(const fs::path& file)
{
    const MacroFileRead read = ReadMacroFile(file);
    EXPECT_TRUE(read.bOpened) << file;
    return read.rec;
}

// A context with its own lists and a frozen clock.
struct Fixture {
    CMacroList macros, bullets;
    MacroContext ctx;
    test::CTempDir dir;
    Fixture()
    {
        ctx.pMacros = &macros;
        ctx.pBullets = &bullets;
        ctx.clock = [] { return TimeOfDay{10, 20, 30, 40}; };
    }
    std::vector<std::string> Names(const CMacroList& list) const
    {
        std::vector<std::string> v;
        for (const auto& p : list) v.push_back(U16ToUtf8(FixedView(p->szName)));
        return v;
    }
};

using Names = std::vector<std::string>;

}  // namespace

TEST(MacroFolder, FolderNamesFollowMid)
{
    const fs::path u = "/u";
    EXPECT_EQ(MacroFolder(u, 0), u / "Mac");
    EXPECT_EQ(MacroFolder(u, -1), u / "Mac");
    EXPECT_EQ(MacroFolder(u, 3), u / "Mac3");
    EXPECT_EQ(BulletFolder(u, 0), u / "BMac");
    EXPECT_EQ(BulletFolder(u, 2), u / "BMac2");
    EXPECT_EQ(OrgMacFolder(u), u / "OrgMac");
}

TEST(MacroFolder, NamesNeverLeaveTheirFolder)
{
    const struct { std::u16string in; bool bSafe; std::u16string out; } rows[] = {
        {u"Copy", true, u"Copy"},
        {u"../x", false, u"_._x"},
        {u"..", false, u"Macro_00ABCD"},
        {u".", false, u"Macro_00ABCD"},
        {u"", false, u"Macro_00ABCD"},
        {u"/etc/passwd", false, u"_etc_passwd"},
        {u"a\\b", false, u"a_b"},
        {u"$x", false, u"_x"},
        {u".hidden", false, u"_hidden"},
        {u"trail. ", false, u"trail"},
        {u"a\nb", false, u"a_b"},
        {u"C:x", false, u"C_x"},
        {u"0123456789012345678901234567890123456789AB", false, u"012345678901234567890123456789012345678"},
        {u"Stra\u00dfe \u4e2d", true, u"Stra\u00dfe \u4e2d"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(U16ToUtf8(row.in));
        EXPECT_EQ(IsSafeMacroName(row.in), row.bSafe);
        const std::u16string safe = SafeMacroName(row.in, 0xABCD, MacroKind::Macro);
        EXPECT_EQ(safe, row.out);
        EXPECT_TRUE(IsSafeMacroName(safe));
    }
    EXPECT_EQ(SafeMacroName(u"", 0x12, MacroKind::Bullet), u"Bullet_000012");
    EXPECT_EQ(MacroFilePath("/m", {u"G", u"H"}, u"x", MacroKind::Bullet), fs::path("/m/G/H/x.mcb"));
    EXPECT_TRUE(MacroFilePath("/m", {u".."}, u"x", MacroKind::Macro).empty());
    EXPECT_TRUE(MacroFilePath("/m", {}, u"../x", MacroKind::Macro).empty());
    EXPECT_TRUE(MacroFilePath("/m", std::vector<std::u16string>(21, u"g"), u"x", MacroKind::Macro).empty());
}

TEST(MacroFolder, ScanTakesMacroFilesOnly)
{
    Fixture f;
    const fs::path mac = f.dir / "Mac";
    WriteRecord(mac / "b.mcf", Rec(u"b", 2));
    WriteRecord(mac / "a.mcfz", Rec(u"a", 1));
    WriteRecord(mac / "plain.mcf", Rec(u"plain", 3), true);
    WriteRecord(mac / "c.MCF", Rec(u"c", 4));
    WriteRecord(mac / ".hidden.mcf", Rec(u"h", 5));
    WriteRecord(mac / "$d.mcf", Rec(u"d", 6));
    WriteRecord(mac / "x.mcb", Rec(u"x", 7));
    WriteRecord(mac / "right.mcf", Rec(u"right", 8, {Act(241, 0, 1, 10)}));
    test::WriteBytes(mac / "short.mcf", std::string(100, 'q'));
    WriteRecord(mac / "Office" / "o.mcf", Rec(u"o", 9));
    WriteRecord(mac / ".git" / "g.mcf", Rec(u"g", 10));

    std::vector<std::string> seen;
    auto visit = [&](const MacroScanItem& it) {
        seen.push_back(std::string(it.bGroup ? "group " : "") + std::to_string(it.nDepth) + " " + U16ToUtf8(it.strName));
    };
    ASSERT_TRUE(ScanMacroFolder(mac, MacroKind::Macro, {}, f.ctx, visit));
    EXPECT_EQ(seen, (Names{"0 a", "0 b", "0 plain"}));  // groups off, 241 not allowed
    EXPECT_EQ(f.Names(f.macros), (Names{"a", "b", "plain"}));

    f.macros.Clear();
    seen.clear();
    f.ctx.nMacroHasMsKey = 0x02;
    MacroScanOptions opt;
    opt.bGroups = true;
    ASSERT_TRUE(ScanMacroFolder(mac, MacroKind::Macro, opt, f.ctx, visit));
    EXPECT_EQ(seen, (Names{"group 0 Office", "1 o", "0 a", "0 b", "0 plain", "0 right"}));
    EXPECT_EQ(f.macros.Count(), 5);
    EXPECT_EQ(f.bullets.Count(), 0);

    // Bullets take ".mcb" files from their own walk, and ignore MacroHasMsKey.
    f.ctx.nMacroHasMsKey = 0;
    WriteRecord(f.dir / "BMac" / "r.mcb", Rec(u"r", 11, {Act(241, 0, 20, 10)}));
    ASSERT_TRUE(ScanMacroFolder(f.dir / "BMac", MacroKind::Bullet, {}, f.ctx));
    EXPECT_EQ(f.Names(f.bullets), (Names{"r"}));
    EXPECT_TRUE(ScanMacroFolder(f.dir / "missing", MacroKind::Macro, {}, f.ctx));
}

// Every key must find exactly one record: identifiers that are 0 or repeat an
// earlier one (in either list) are given up by the later file, which is
// written at once with its new one; the first file keeps its identifier, so
// the keys that name it still play it.
TEST(MacroFolder, ScanRenumbersRepeatedIdentifiersOnceAndSavesThem)
{
    Fixture f;
    const fs::path mac = f.dir / "Mac";
    WriteRecord(mac / "a.mcf", Rec(u"a", 0x111));
    WriteRecord(mac / "b.mcf", Rec(u"b", 0x111));
    WriteRecord(mac / "c.mcf", Rec(u"c", 0));
    WriteRecord(mac / "e.mcf", Rec(u"e", 0x111), true);  // a plain file is rewritten enciphered
    MacroRecord bullet = Rec(u"z", 0x222);
    f.bullets.Add(bullet);
    WriteRecord(mac / "d.mcf", Rec(u"d", 0x1000222));  // same low 24 bits as the bullet
    const std::string before = test::ReadBytes(mac / "a.mcf");

    ASSERT_TRUE(ScanMacroFolder(mac, MacroKind::Macro, {}, f.ctx));
    ASSERT_EQ(f.macros.Count(), 5);
    std::vector<uint32_t> ids;
    for (const auto& p : f.macros) {
        ids.push_back(p->MacroID & kStampIdMask);
        EXPECT_EQ(p->dwFlags, 0u) << "written, nothing left to save";
    }
    EXPECT_EQ(ids[0], 0x111u);
    EXPECT_EQ(test::ReadBytes(mac / "a.mcf"), before) << "the first file is not touched";
    ids.push_back(0x222);
    std::vector<uint32_t> sorted = ids;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
    EXPECT_EQ(std::count(sorted.begin(), sorted.end(), 0u), 0);

    // The files hold the new numbers: a second load in fresh lists renumbers
    // nothing and finds the same identifiers file by file.
    const struct { const char* pszFile; size_t nIndex; } rows[] = {{"a.mcf", 0}, {"b.mcf", 1}, {"c.mcf", 2}, {"d.mcf", 3}, {"e.mcf", 4}};
    for (const auto& row : rows) {
        const MacroFileRead read = ReadMacroFile(mac / row.pszFile);
        EXPECT_EQ(read.form, MacroFileForm::Tea) << row.pszFile;
        EXPECT_EQ(read.rec.MacroID & kStampIdMask, ids[row.nIndex]) << row.pszFile;
        EXPECT_EQ(read.rec.dwFlags, 0u) << row.pszFile;
    }
    Fixture again;
    again.bullets.Add(bullet);
    std::vector<std::string> bytes;
    for (const auto& row : rows) bytes.push_back(test::ReadBytes(mac / row.pszFile));
    ASSERT_TRUE(ScanMacroFolder(mac, MacroKind::Macro, {}, again.ctx));
    size_t i = 0;
    for (const auto& p : again.macros) EXPECT_EQ(p->MacroID & kStampIdMask, ids[i++]);
    for (size_t n = 0; n < std::size(rows); ++n) EXPECT_EQ(test::ReadBytes(mac / rows[n].pszFile), bytes[n]) << rows[n].pszFile;
}

// A scan that is told not to write leaves the files as they are.
TEST(MacroFolder, ScanWithoutSavingKeepsTheFiles)
{
    Fixture f;
    const fs::path mac = f.dir / "Mac";
    WriteRecord(mac / "a.mcf", Rec(u"a", 0x111));
    WriteRecord(mac / "b.mcf", Rec(u"b", 0x111));
    const std::string before = test::ReadBytes(mac / "b.mcf");
    MacroScanOptions opt;
    opt.bSaveRenumbered = false;
    ASSERT_TRUE(ScanMacroFolder(mac, MacroKind::Macro, opt, f.ctx));
    ASSERT_EQ(f.macros.Count(), 2);
    EXPECT_NE((*std::next(f.macros.begin()))->MacroID, 0x111u);
    EXPECT_EQ((*std::next(f.macros.begin()))->dwFlags, kMacroSettingsChanged);
    EXPECT_EQ(test::ReadBytes(mac / "b.mcf"), before);
}

TEST(MacroFolder, ScanOptionsNewIdsAndNamesFromFiles)
{
    Fixture f;
    const fs::path mac = f.dir / "Mac";
    WriteRecord(mac / "Hello.mcf", Rec(u"HELLO", 0x5));
    WriteRecord(mac / "Other.mcf", Rec(u"inside", 0x6));
    MacroScanOptions opt;
    opt.bNewIds = true;
    opt.bNameFromFile = true;
    ASSERT_TRUE(ScanMacroFolder(mac, MacroKind::Macro, opt, f.ctx));
    EXPECT_EQ(f.Names(f.macros), (Names{"HELLO", "Other"}));  // a name that differs only in case stays
    for (const auto& p : f.macros) {
        EXPECT_NE(p->MacroID, 0x5u);
        EXPECT_NE(p->MacroID, 0x6u);
        EXPECT_TRUE(p->dwFlags & kMacroSettingsChanged);
    }
}

TEST(MacroFolder, ScanDoesNotFollowLinksOrGoTooDeep)
{
    Fixture f;
    const fs::path mac = f.dir / "Mac";
    fs::path deep = mac;
    for (int i = 0; i < 25; ++i) {
        deep /= "d" + std::to_string(i);
        WriteRecord(deep / ("m" + std::to_string(i) + ".mcf"), Rec(u"m", uint32_t(100 + i)));
    }
    fs::create_directory_symlink(mac, mac / "loop");
    MacroScanOptions opt;
    opt.bGroups = true;
    ASSERT_TRUE(ScanMacroFolder(mac, MacroKind::Macro, opt, f.ctx));
    EXPECT_EQ(f.macros.Count(), kMacroFolderDepthMax);
}

TEST(MacroFolder, ScanStopsAddingAtTheListLimit)
{
    Fixture f;
    MacroRecord r{};
    for (int i = 1; i < kMacroListMax; ++i) {
        r.MacroID = uint32_t(i);
        f.macros.Add(r);
    }
    WriteRecord(f.dir / "Mac" / "a.mcf", Rec(u"a", 0x9001));
    WriteRecord(f.dir / "Mac" / "b.mcf", Rec(u"b", 0x9002));
    int nVisited = 0;
    ASSERT_TRUE(ScanMacroFolder(f.dir / "Mac", MacroKind::Macro, {}, f.ctx, [&](const MacroScanItem&) { ++nVisited; }));
    EXPECT_EQ(f.macros.Count(), kMacroListMax);
    EXPECT_EQ(nVisited, 1);
}

TEST(MacroFolder, ImportRefusesWhatItCannotTake)
{
    Fixture f;
    f.ctx.nMid = 3;
    const fs::path src = f.dir / "src";
    const fs::path mac = f.dir / "Mac";
    fs::create_directories(mac);
    MacroRecord locked = Rec(u"l", 1);
    locked.byLock = MACRO_LOCK;
    MacroRecord owner5 = Rec(u"o", 2);
    owner5.byOwner = 5;
    WriteRecord(src / "locked.mcf", locked);
    WriteRecord(src / "owner5.mcf", owner5);
    WriteRecord(src / "right.mcf", Rec(u"r", 3, {Act(241, 0, 1, 0)}));
    WriteRecord(src / "taken.mcf", Rec(u"t", 4));
    WriteRecord(mac / "TAKEN.mcf", Rec(u"T", 5));
    test::WriteBytes(src / "garbage.mcf", std::string(1480, 'g'));
    const MacroFileBytes b = EncodeMacroFile(Rec(u"s", 6));
    test::WriteBytes(src / "short.mcf", std::string(reinterpret_cast<const char*>(b.data()), 1000));

    const struct { const char* pszFile; const char16_t* pszMessage; } rows[] = {
        {"locked.mcf", u"The macro is encrypted."},
        {"owner5.mcf", u"This macro is unsupported."},
        {"right.mcf", u"This macro contains unsupported key."},
        {"garbage.mcf", u"This is not a valid macro file."},
        {"short.mcf", u"Read macro file failed. error=0x0"},
        {"missing.mcf", u"Open macro file failed. error=0x2"},
        {"taken.mcf", u"This name already exists."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszFile);
        const MacroOpResult r = ImportMacroFile(src / row.pszFile, mac, MacroKind::Macro, f.ctx);
        EXPECT_FALSE(r.bOk);
        EXPECT_EQ(r.strMessage, row.pszMessage);
    }
    EXPECT_EQ(f.macros.Count(), 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(mac), fs::directory_iterator()), 1);

    // Bullets take locked and short files, and any button.
    for (const char* psz : {"locked.mcf", "short.mcf", "right.mcf"})
        fs::copy_file(src / psz, src / (std::string(psz, std::strlen(psz) - 4) + ".mcb"));
    for (const char* psz : {"locked.mcb", "short.mcb", "right.mcb"})
        EXPECT_TRUE(ImportMacroFile(src / psz, f.dir / "BMac", MacroKind::Bullet, f.ctx).bOk) << psz;
    EXPECT_EQ(f.bullets.Count(), 3);
    EXPECT_EQ(f.bullets.begin()->get()->byLock, MACRO_LOCK);
}

// Exported files import as new macros; the owner goes with them.
TEST(MacroFolder, ExportThenImportGivesASecondMacro)
{
    Fixture f;
    f.ctx.nMid = 3;
    const fs::path mac = f.dir / "Mac3";
    MacroOpResult made = NewMacroFile(mac, u"Copy", MacroKind::Macro, f.ctx);
    ASSERT_TRUE(made.bOk) << U16ToUtf8(made.strMessage);
    EXPECT_EQ(made.path, mac / "Copy.mcf");
    EXPECT_EQ(made.pRecord->dwFlags, 0u);  // written, so no longer marked
    EXPECT_EQ(made.pRecord->nAutoDelay, 1u);
    EXPECT_EQ(made.pRecord->wLoopCount, 1);

    std::string strErr;
    ASSERT_TRUE(ExportMacro(*made.pRecord, f.dir / "out.mcf", false, f.ctx, strErr)) << strErr;
    const MacroRecord exported = ReadRecord(f.dir / "out.mcf");
    EXPECT_EQ(exported.byOwner, 3);
    EXPECT_NE(exported.MacroID, made.pRecord->MacroID);
    EXPECT_EQ(f.macros.Count(), 1);

    const MacroOpResult imported = ImportMacroFile(f.dir / "out.mcf", mac, MacroKind::Macro, f.ctx);
    ASSERT_TRUE(imported.bOk) << U16ToUtf8(imported.strMessage);
    EXPECT_EQ(FixedView(imported.pRecord->szName), u"out");
    EXPECT_NE(imported.pRecord->MacroID, made.pRecord->MacroID);
    EXPECT_EQ(ReadRecord(mac / "out.mcf").MacroID, imported.pRecord->MacroID);

    // Locked exports: a macro import refuses them, a bullet import keeps the lock.
    ASSERT_TRUE(ExportMacro(*made.pRecord, f.dir / "locked.mcf", true, f.ctx, strErr)) << strErr;
    EXPECT_EQ(ImportMacroFile(f.dir / "locked.mcf", mac, MacroKind::Macro, f.ctx).strMessage, u"The macro is encrypted.");
    // A plain export of a locked record stays locked: export never unlocks.
    MacroRecord lockedRec = *made.pRecord;
    lockedRec.byLock = MACRO_LOCK;
    ASSERT_TRUE(ExportMacro(lockedRec, f.dir / "still.mcb", false, f.ctx, strErr)) << strErr;
    EXPECT_EQ(ReadRecord(f.dir / "still.mcb").byLock, MACRO_LOCK);
}

TEST(MacroFolder, NewMacroChecksNameAndLimit)
{
    Fixture f;
    const fs::path mac = f.dir / "Mac";
    ASSERT_TRUE(NewMacroFile(mac, u"A", MacroKind::Macro, f.ctx).bOk);
    EXPECT_EQ(NewMacroFile(mac, u"a", MacroKind::Macro, f.ctx).strMessage, u"This name already exists.");
    EXPECT_EQ(NewMacroFile(mac, u"../evil", MacroKind::Macro, f.ctx).strMessage, u"Invalid name.");
    EXPECT_FALSE(fs::exists(f.dir / "evil.mcf"));
    MacroRecord r{};
    while (!f.bullets.IsFull()) f.bullets.Add(r);
    EXPECT_EQ(NewMacroFile(f.dir / "BMac", u"B", MacroKind::Bullet, f.ctx).strMessage,
              u"The number of bullet is up to the maximum");
    const MacroOpResult b = NewMacroFile(f.dir / "BMac", u"B", MacroKind::Macro, f.ctx);
    EXPECT_TRUE(b.bOk);
}

TEST(MacroFolder, CopyFollowsTheOwnerRulesAndNeverOverwrites)
{
    Fixture f;
    f.ctx.nMid = 3;
    const fs::path src = f.dir / "src";
    MacroRecord owner5 = Rec(u"o", 2);
    owner5.byOwner = 5;
    WriteRecord(src / "o5.mcf", owner5);
    WriteRecord(src / "free.mcf", Rec(u"f", 3));
    test::WriteBytes(src / "icon.png", std::string("\x89PNG\r\n\x1a\n\0data", 13));
    test::WriteBytes(src / "notes.txt", "x");
    const fs::path dst = f.dir / "dst" / "sub";
    std::string strErr;
    EXPECT_EQ(MyCopyFile(dst / "o5.mcf", src / "o5.mcf", false, false, MacroKind::Macro, f.ctx, strErr), CopyOutcome::Skipped);
    EXPECT_EQ(MyCopyFile(dst / "o5.mcf", src / "o5.mcf", false, true, MacroKind::Macro, f.ctx, strErr), CopyOutcome::Copied);
    EXPECT_EQ(ReadRecord(dst / "o5.mcf").byOwner, 3);
    EXPECT_EQ(MyCopyFile(dst / "free.mcf", src / "free.mcf", true, false, MacroKind::Macro, f.ctx, strErr), CopyOutcome::Copied);
    EXPECT_EQ(ReadRecord(dst / "free.mcf").byLock, MACRO_LOCK);
    EXPECT_EQ(MyCopyFile(dst / "icon.png", src / "icon.png", false, false, MacroKind::Macro, f.ctx, strErr), CopyOutcome::Copied);
    EXPECT_EQ(test::ReadBytes(dst / "icon.png"), test::ReadBytes(src / "icon.png"));
    EXPECT_EQ(MyCopyFile(dst / "notes.txt", src / "notes.txt", false, false, MacroKind::Macro, f.ctx, strErr), CopyOutcome::Skipped);
    EXPECT_FALSE(fs::exists(dst / "notes.txt"));
    const std::string before = test::ReadBytes(dst / "free.mcf");
    EXPECT_EQ(MyCopyFile(dst / "free.mcf", src / "o5.mcf", false, true, MacroKind::Macro, f.ctx, strErr), CopyOutcome::Skipped);
    EXPECT_EQ(test::ReadBytes(dst / "free.mcf"), before);
    EXPECT_EQ(MyCopyFile(dst / "gone.mcf", src / "gone.mcf", false, false, MacroKind::Macro, f.ctx, strErr), CopyOutcome::Failed);
}

TEST(MacroFolder, ImportFolderAsGroupLoadsItsMacrosAsNew)
{
    Fixture f;
    const fs::path src = f.dir / "Office";
    WriteRecord(src / "Paste.mcf", Rec(u"inner name", 0x77));
    WriteRecord(src / "Sub" / "Deep.mcf", Rec(u"Deep", 0x78));
    test::WriteBytes(src / "Office.png", "icon");
    const fs::path mac = f.dir / "Mac";
    fs::create_directories(mac);

    const MacroOpResult r = ImportFolderAsGroup(src, mac, MacroKind::Macro, f.ctx);
    ASSERT_TRUE(r.bOk) << U16ToUtf8(r.strMessage);
    EXPECT_EQ(r.path, mac / "Office");
    EXPECT_EQ(test::ReadBytes(mac / "Office" / "Office.png"), "icon");
    EXPECT_EQ(f.Names(f.macros), (Names{"Paste", "Deep"}));
    for (const auto& p : f.macros) {
        EXPECT_NE(p->MacroID & 0xFF00, 0x0000u);  // stamped from the clock, not 0x77/0x78
        EXPECT_EQ(p->dwFlags, 0u);
    }
    const MacroRecord onDisk = ReadRecord(mac / "Office" / "Paste.mcf");
    EXPECT_EQ(FixedView(onDisk.szName), u"Paste");
    EXPECT_EQ(onDisk.MacroID, f.macros.begin()->get()->MacroID);

    EXPECT_EQ(ImportFolderAsGroup(src, mac, MacroKind::Macro, f.ctx).strMessage, u"This name already exists.");
    EXPECT_FALSE(ImportFolderAsGroup(mac, mac, MacroKind::Macro, f.ctx).bOk);  // into itself
    EXPECT_FALSE(fs::exists(mac / "Mac"));
}

TEST(MacroFolder, ImportFolderContentSkipsNamesThatExist)
{
    Fixture f;
    f.ctx.nMid = 2;
    const fs::path src = f.dir / "pick";
    WriteRecord(src / "New.mcb", Rec(u"n", 1));
    WriteRecord(src / "Old.mcb", Rec(u"incoming", 2));
    const fs::path bmac = f.dir / "BMac2";
    WriteRecord(bmac / "Old.mcb", Rec(u"mine", 3));
    f.bullets.Add(ReadRecord(bmac / "Old.mcb"));

    const MacroOpResult r = ImportFolderContent(src, bmac, MacroKind::Bullet, true, f.ctx);
    ASSERT_TRUE(r.bOk) << U16ToUtf8(r.strMessage);
    EXPECT_EQ(r.nSkipped, 1);
    EXPECT_EQ(FixedView(ReadRecord(bmac / "Old.mcb").szName), u"mine");
    const MacroRecord added = ReadRecord(bmac / "New.mcb");
    EXPECT_EQ(added.byOwner, 2);
    EXPECT_EQ(added.byLock, MACRO_LOCK);
    EXPECT_EQ(f.Names(f.bullets), (Names{"mine", "New"}));
}

TEST(MacroFolder, RenameMovesTheFileAndKeepsTheIdentifier)
{
    Fixture f;
    const fs::path mac = f.dir / "Mac";
    MacroOpResult made = NewMacroFile(mac, u"Old", MacroKind::Macro, f.ctx);
    ASSERT_TRUE(made.bOk);
    ASSERT_TRUE(NewMacroFile(mac, u"Other", MacroKind::Macro, f.ctx).bOk);
    MacroRecord& rec = *made.pRecord;
    const uint32_t id = rec.MacroID;

    EXPECT_EQ(RenameMacroFile(made.path, u"OTHER", rec, MacroKind::Macro).strMessage, u"This name already exists.");
    EXPECT_EQ(RenameMacroFile(made.path, u"a/b", rec, MacroKind::Macro).strMessage, u"Invalid name.");
    const MacroOpResult r = RenameMacroFile(made.path, u"New", rec, MacroKind::Macro);
    ASSERT_TRUE(r.bOk) << U16ToUtf8(r.strMessage);
    EXPECT_FALSE(fs::exists(mac / "Old.mcf"));
    const MacroRecord onDisk = ReadRecord(mac / "New.mcf");
    EXPECT_EQ(FixedView(onDisk.szName), u"New");
    EXPECT_EQ(onDisk.MacroID, id);
    EXPECT_EQ(rec.dwFlags, 0u);
    EXPECT_TRUE(RenameMacroFile(mac / "New.mcf", u"NEW", rec, MacroKind::Macro).bOk);  // case only
    EXPECT_TRUE(fs::exists(mac / "NEW.mcf"));
}

TEST(MacroFolder, RenameGroupWithAndWithoutIcon)
{
    Fixture f;
    const fs::path mac = f.dir / "Mac";
    WriteRecord(mac / "G" / "m.mcf", Rec(u"m", 1));
    test::WriteBytes(mac / "G" / "G.png", "icon");
    fs::create_directories(mac / "Plain");
    fs::create_directories(mac / "Taken");

    MacroOpResult r = RenameMacroGroup(mac / "G", u"H");
    ASSERT_TRUE(r.bOk) << U16ToUtf8(r.strMessage);
    EXPECT_EQ(test::ReadBytes(mac / "H" / "H.png"), "icon");
    EXPECT_TRUE(fs::exists(mac / "H" / "m.mcf"));
    EXPECT_TRUE(RenameMacroGroup(mac / "Plain", u"Plainer").bOk);
    EXPECT_EQ(RenameMacroGroup(mac / "H", u"taken").strMessage, u"This name already exists.");
    EXPECT_EQ(RenameMacroGroup(mac / "H", u"..").strMessage, u"Invalid name.");
    EXPECT_EQ(RenameMacroGroup(mac / "Gone", u"X").strMessage.substr(0, 18), u"Rename failed. err");
}

TEST(MacroFolder, DeleteRemovesFilesAndGroupsButNotWhatLinksPointTo)
{
    Fixture f;
    const fs::path mac = f.dir / "Mac";
    WriteRecord(mac / "a.mcf", Rec(u"a", 1));
    WriteRecord(mac / "G" / "S" / "b.mcf", Rec(u"b", 2));
    WriteRecord(f.dir / "outside" / "keep.mcf", Rec(u"k", 3));
    fs::create_directory_symlink(f.dir / "outside", mac / "G" / "link");

    EXPECT_TRUE(DeleteMacroPath(mac / "a.mcf").bOk);
    EXPECT_FALSE(fs::exists(mac / "a.mcf"));
    EXPECT_TRUE(DeleteMacroPath(mac / "a.mcf").bOk);  // already gone
    EXPECT_TRUE(DeleteMacroPath(mac / "G").bOk);
    EXPECT_FALSE(fs::exists(mac / "G"));
    EXPECT_TRUE(fs::exists(f.dir / "outside" / "keep.mcf"));
}

// A failed write keeps the change marked (it is written again next time) and
// says why; a missing group folder is made.
TEST(MacroFolder, FlushKeepsTheChangeWhenTheWriteFails)
{
    Fixture f;
    MacroRecord rec = Rec(u"m", 1);
    rec.dwFlags = kMacroActionsChanged;
    std::string strErr;
    fs::create_directories(f.dir / "Mac" / "m.mcf");  // a folder where the file should be
    EXPECT_FALSE(FlushDirtyMacro(f.dir / "Mac" / "m.mcf", rec, strErr));
    EXPECT_FALSE(strErr.empty());
    EXPECT_EQ(rec.dwFlags, kMacroActionsChanged);

    test::WriteBytes(f.dir / "file", "x");  // a file where a folder should be
    strErr.clear();
    EXPECT_FALSE(FlushDirtyMacro(f.dir / "file" / "m.mcf", rec, strErr));
    EXPECT_FALSE(strErr.empty());
    EXPECT_EQ(test::ReadBytes(f.dir / "file"), "x");

    ASSERT_TRUE(FlushDirtyMacro(f.dir / "Mac" / "New" / "Group" / "m.mcf", rec, strErr)) << strErr;
    EXPECT_EQ(rec.dwFlags, 0u);
    EXPECT_EQ(ReadRecord(f.dir / "Mac" / "New" / "Group" / "m.mcf").dwFlags, 0u);
    const std::string before = test::ReadBytes(f.dir / "Mac" / "New" / "Group" / "m.mcf");
    EXPECT_TRUE(FlushDirtyMacro(f.dir / "nowhere" / "x.mcf", rec, strErr));  // nothing to write
    EXPECT_FALSE(fs::exists(f.dir / "nowhere"));
    EXPECT_EQ(test::ReadBytes(f.dir / "Mac" / "New" / "Group" / "m.mcf"), before);
}

// A file that is no macro is moved aside once, where the user can still find
// it, and no longer stands in the way of the next scan; good files stay.
TEST(MacroFolder, ScanKeepsDamagedFilesAside)
{
    Fixture f;
    const fs::path mac = f.dir / "Mac";
    WriteRecord(mac / "good.mcf", Rec(u"good", 0x10));
    test::WriteBytes(mac / "short.mcf", std::string(100, 'x'));
    test::WriteBytes(mac / "noise.mcf", std::string(kMacroRecordSize, '\x5a'));
    test::WriteBytes(mac / "noise.mcf.bad", "an older one");
    std::vector<fs::path> aside;
    MacroScanOptions opt;
    opt.pKeptAside = &aside;
    ASSERT_TRUE(ScanMacroFolder(mac, MacroKind::Macro, opt, f.ctx));
    EXPECT_EQ(f.Names(f.macros), (Names{"good"}));
    EXPECT_EQ(aside, (std::vector<fs::path>{mac / "noise.mcf.bad2", mac / "short.mcf.bad"}));
    EXPECT_EQ(test::ReadBytes(mac / "short.mcf.bad"), std::string(100, 'x'));
    EXPECT_EQ(test::ReadBytes(mac / "noise.mcf.bad"), "an older one");
    EXPECT_FALSE(fs::exists(mac / "short.mcf"));
    EXPECT_TRUE(fs::exists(mac / "good.mcf"));

    aside.clear();
    f.macros.Clear();
    ASSERT_TRUE(ScanMacroFolder(mac, MacroKind::Macro, opt, f.ctx));
    EXPECT_TRUE(aside.empty());
    EXPECT_EQ(f.macros.Count(), 1);
}
