// Profile exports (.bkm) and key-layout exports (.kyg): the bytes, the round
// trip to another installation, and the refusals that must leave nothing behind.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "TestSupport.h"
#include "core/IPrompt.h"
#include "core/ProfileExport.h"
#include "core/Utf.h"
#include "keys/FunId.h"
#include "keys/MacroCodec.h"
#include "keys/MacroFile.h"

namespace fs = std::filesystem;

namespace {

MacroRecord Rec(std::u16string_view name, uint32_t id, MacroKind kind = MacroKind::Macro, uint8_t code = 65)
{
    MacroRecord r = MakeNewMacroRecord(name, id, kind);
    r.dwFlags = kMacroChangeFlags;  // must not travel
    r.Action[0].byCode = code;
    r.Action[0].wState = 1;
    r.Action[0].SetDelay(10);
    return r;
}

KeyInfo MacroKey(uint32_t id, uint8_t byClass = FUN_MACRO)
{
    KeyInfo k{};
    k.FunID = MakeFunID(byClass, 0);
    k.MacroID = id;
    return k;
}

KeyInfo DefaultMouseKey(int nMode, int nKey)
{
    KeyInfo k{};
    k.FunID = MakeFunID(1, uint32_t(0x100 + nMode * 32 + nKey));
    return k;
}

std::unique_ptr<ProfileRecord> Profile(uint32_t id, std::u16string_view name)
{
    auto p = std::make_unique<ProfileRecord>();
    p->dwMagic = kProfileMagic;
    p->nID = id;
    CopyToFixed(p->szName, name);
    for (int m = 0; m < kMsModeNum; ++m)
        for (int t = 0; t < kMsKeySetNum; ++t)
            for (int k = 0; k < kMsKeyNum; ++k) p->Ms.Mode[m].Key[t][k] = DefaultMouseKey(m, k);
    p->Ms.Mode[1].Dpi[0].nDpiX = 1600;  // something that is not a key
    return p;
}

// One installation: its folder, lists, clock and options.
struct Install {
    test::CTempDir dir;
    CMacroList macros, bullets;
    CProList list;
    CRecordingPrompt prompt;
    ProfileExportEnv env;
    unsigned nTick = 0;
    explicit Install(int32_t nMid = 0)
    {
        env.userDir = dir.Path();
        env.nMid = nMid;
        env.bMouse = env.bKeyboard = env.bGroups = true;
        env.pMacros = &macros;
        env.pBullets = &bullets;
        // A clock that stands still: identifiers must still come out distinct.
        env.clock = [] { return TimeOfDay{9, 30, 15, 7}; };
        env.mouseDefault = DefaultMouseKey;
        env.keyboardDefault = [](int nSlot) {
            KeyInfo k{};
            k.FunID = MakeFunID(2, uint32_t(nSlot + 4));
            return k;
        };
    }
    fs::path Path(const std::string& name) const { return dir.Path() / name; }
};

MacroRecord SlotOf(const std::string& bytes, size_t nOffset)
{
    return DecodeMacroFile({reinterpret_cast<const uint8_t*>(bytes.data()) + nOffset, kMacroRecordSize});
}

size_t FilesBelow(const fs::path& dir)
{
    if (!fs::exists(dir)) return 0;
    size_t n = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir)) n += e.is_regular_file();
    return n;
}

TEST(ProfileExport, BuildsTheImageWithEachPlayedRecordOnceInKeyOrder)
{
    Install a;
    a.macros.Add(Rec(u"Burst", 0x111111));
    a.macros.Add(Rec(u"Unused", 0x222222));
    a.macros.Add(Rec(u"KbOnly", 0x333333));
    a.bullets.Add(Rec(u"Spray", 0x444444, MacroKind::Bullet));
    auto pro = Profile(0x0A0B0C, u"Mine");
    pro->Ms.Mode[2].Key[4][20] = MacroKey(0x111111);     // late in key order
    pro->Ms.Mode[0].Key[0][3] = MacroKey(0x444444, FUN_BULLET);
    pro->Ms.Mode[1].Key[2][5] = MacroKey(0x111111);      // the same record again
    pro->Ms.Mode[0].Key[1][0] = MacroKey(0x999999);      // names no record
    pro->Kb.Key[7] = MacroKey(0x333333);
    pro->Kb.Key[8] = MacroKey(0x444444, FUN_BULLET);     // keyboard keys take macros only

    const ExportBuild b = BuildProfileExport(*pro, a.env);
    ASSERT_EQ(b.bytes.size(), kProfileExportSize);
    EXPECT_EQ(0, std::memcmp(b.bytes.data(), pro.get(), sizeof(ProfileRecord)));
    ASSERT_EQ(b.nMacros, 3);
    const uint32_t expectIds[] = {0x444444, 0x111111, 0x333333};
    const uint8_t expectKinds[] = {kExportKindBullet, kExportKindMacro, kExportKindMacro};
    for (int i = 0; i < 3; ++i) {
        const MacroRecord r = SlotOf(b.bytes, sizeof(ProfileRecord) + i * kMacroRecordSize);
        EXPECT_TRUE(IsMacroRecord(r));
        EXPECT_EQ(r.MacroID, expectIds[i]) << i;
        EXPECT_EQ(r.bySlot, expectKinds[i]) << i;
        EXPECT_EQ(r.dwFlags & kMacroChangeFlags, 0u) << i;
    }
    // The rest is zero.
    EXPECT_EQ(b.bytes.find_first_not_of('\0', sizeof(ProfileRecord) + 3 * kMacroRecordSize), std::string::npos);

    // Without a mouse only the keyboard's keys count.
    a.env.bMouse = false;
    EXPECT_EQ(BuildProfileExport(*pro, a.env).nMacros, 1);
}

TEST(ProfileExport, KeepsTwentyRecordsAndCountsTheRest)
{
    Install a;
    auto pro = Profile(0x0A0B0C, u"Many");
    for (int i = 0; i < 25; ++i) {
        a.macros.Add(Rec(u"M" + Utf8ToU16(std::to_string(i)), 0x100000 + i));
        pro->Ms.Mode[i / 21].Key[0][i % 21] = MacroKey(0x100000 + i);
    }
    const ExportBuild b = BuildProfileExport(*pro, a.env);
    EXPECT_EQ(b.nMacros, 20);
    EXPECT_EQ(b.nLeftOut, 5);
    EXPECT_EQ(SlotOf(b.bytes, sizeof(ProfileRecord) + 19 * kMacroRecordSize).MacroID, 0x100013u);
}

TEST(ProfileExport, RoundTripToAnotherInstallation)
{
    Install from;
    from.macros.Add(Rec(u"Burst", 0x111111));
    from.bullets.Add(Rec(u"Spray", 0x444444, MacroKind::Bullet));
    auto pro = Profile(0x0A0B0C, u"Mine");
    pro->Ms.Mode[0].Key[0][3] = MacroKey(0x111111);
    pro->Ms.Mode[2].Key[1][4] = MacroKey(0x444444, FUN_BULLET);
    pro->Kb.Key[9] = MacroKey(0x111111);
    const fs::path file = from.Path("Shared game.bkm");
    ASSERT_TRUE(ExportProfile(file, *pro, from.env).bOk);
    EXPECT_EQ(fs::file_size(file), kProfileExportSize);

    Install to;
    to.macros.Add(Rec(u"Mine already", 0x111111));  // the exporter's identifier is taken here
    const ProfileImportResult r = ImportProfile(file, to.list, to.prompt, to.env);
    ASSERT_TRUE(r.bOk) << U16ToUtf8(r.strMessage);
    ASSERT_NE(r.pProfile, nullptr);
    EXPECT_EQ(to.list.Count(), 1);
    EXPECT_EQ(FixedView(r.pProfile->szName), u"Shared game");
    EXPECT_NE(r.pProfile->nID, 0u);
    EXPECT_TRUE(r.bKeysChanged);
    EXPECT_TRUE(to.prompt.Entries().empty());

    const KeyInfo& ms = r.pProfile->Ms.Mode[0].Key[0][3];
    const KeyInfo& kb = r.pProfile->Kb.Key[9];
    const KeyInfo& bl = r.pProfile->Ms.Mode[2].Key[1][4];
    EXPECT_EQ(ms.MacroID, kb.MacroID);
    std::set<uint32_t> ids = {0x111111, ms.MacroID, bl.MacroID};
    EXPECT_EQ(ids.size(), 3u) << "new identifiers, distinct from each other and from the list's";
    const MacroRecord* pM = to.macros.FindById(ms.MacroID);
    const MacroRecord* pB = to.bullets.FindById(bl.MacroID);
    ASSERT_NE(pM, nullptr);
    ASSERT_NE(pB, nullptr);
    EXPECT_EQ(FixedView(pM->szName), u"Burst");
    EXPECT_EQ(pM->Action[0].byCode, 65);
    EXPECT_EQ(pM->bySlot, 0);

    const fs::path mcf = FolderOf(MacroKind::Macro, to.dir.Path(), 0) / "Shared game" / "Burst.mcf";
    const fs::path mcb = FolderOf(MacroKind::Bullet, to.dir.Path(), 0) / "Shared game" / "Spray.mcb";
    EXPECT_EQ(ReadMacroFile(mcf).rec.MacroID, ms.MacroID);
    EXPECT_EQ(ReadMacroFile(mcb).rec.MacroID, bl.MacroID);

    // Everything else of the profile came over as it was.
    EXPECT_EQ(r.pProfile->Ms.Mode[1].Dpi[0].nDpiX, 1600);
    EXPECT_EQ(r.pProfile->Ms.Mode[1].Key[3][7].FunID, DefaultMouseKey(1, 7).FunID);
}

TEST(ProfileExport, RefusedImportsLeaveEverythingAsItWas)
{
    Install from(3);
    from.macros.Add(Rec(u"Burst", 0x111111));
    auto pro = Profile(0x0A0B0C, u"Mine");
    pro->Ms.Mode[0].Key[0][3] = MacroKey(0x111111);
    const std::string good = BuildProfileExport(*pro, from.env).bytes;

    auto patched = [&](size_t nOffset, uint32_t value) {
        std::string s = good;
        std::memcpy(s.data() + nOffset, &value, 4);
        return s;
    };
    MacroRecord foreign = Rec(u"Other", 0x555555);
    foreign.byOwner = 7;
    foreign.bySlot = kExportKindMacro;
    const MacroFileBytes enc = EncodeMacroFile(foreign);
    std::string withForeign = good;
    std::memcpy(withForeign.data() + sizeof(ProfileRecord) + kMacroRecordSize, enc.data(), enc.size());

    const struct {
        const char* what;
        std::string bytes;
        std::u16string message;
    } cases[] = {
        {"one byte short", good.substr(0, kProfileExportSize - 1), u"Check profile failed."},
        {"one byte long", good + '\0', u"Check profile failed."},
        {"no profile magic", patched(4, 0x12345678), u"This is not a valid profile"},
        {"identifier 0", patched(8, 0), u"This is not a valid profile"},
        {"a macro of another owner", withForeign, u"This profile is unsupported."},
    };
    for (const auto& c : cases) {
        Install to(3);
        to.macros.Add(Rec(u"Kept", 0x777777));
        const fs::path file = to.Path("In.bkm");
        test::WriteBytes(file, c.bytes);
        const ProfileImportResult r = ImportProfile(file, to.list, to.prompt, to.env);
        EXPECT_FALSE(r.bOk) << c.what;
        EXPECT_EQ(r.strMessage, c.message) << c.what;
        EXPECT_EQ(to.list.Count(), 0) << c.what;
        EXPECT_EQ(to.macros.Count(), 1) << c.what;
        EXPECT_EQ(FilesBelow(FolderOf(MacroKind::Macro, to.dir.Path(), 3)), 0u) << c.what;
    }

    Install to(3);
    EXPECT_EQ(ImportProfile(to.Path("Missing.bkm"), to.list, to.prompt, to.env).strMessage, u"Open profile failed");
}

TEST(ProfileExport, NameTakenOrListFullIsRefusedBeforeAnyWrite)
{
    Install from;
    from.macros.Add(Rec(u"Burst", 0x111111));
    auto pro = Profile(0x0A0B0C, u"Mine");
    pro->Ms.Mode[0].Key[0][3] = MacroKey(0x111111);

    Install to;
    // The name is compared as it will be stored: cut to 19 characters.
    const fs::path file = to.Path("A very long profile name here.bkm");
    ASSERT_TRUE(ExportProfile(file, *pro, from.env).bOk);
    to.list.Add(Profile(0x1, u"a VERY long profile"));
    ProfileImportResult r = ImportProfile(file, to.list, to.prompt, to.env);
    EXPECT_FALSE(r.bOk);
    EXPECT_NE(r.strMessage.find(u"already"), std::u16string::npos) << U16ToUtf8(r.strMessage);

    to.list.Clear();
    for (uint32_t i = 1; i <= 12; ++i) to.list.Add(Profile(i, u"P" + Utf8ToU16(std::to_string(i))));
    r = ImportProfile(file, to.list, to.prompt, to.env);
    EXPECT_FALSE(r.bOk);
    EXPECT_EQ(r.strMessage, u"The number of profile has reached it's maximum");
    EXPECT_EQ(to.list.Count(), 12);
    EXPECT_EQ(FilesBelow(FolderOf(MacroKind::Macro, to.dir.Path(), 0)), 0u);
}

TEST(ProfileExport, AnExistingMacroFileIsReplacedOnlyOnYes)
{
    Install from;
    from.macros.Add(Rec(u"Burst", 0x111111, MacroKind::Macro, 70));
    auto pro = Profile(0x0A0B0C, u"Mine");
    pro->Ms.Mode[0].Key[0][3] = MacroKey(0x111111);
    pro->Kb.Key[2] = MacroKey(0x111111);

    for (const bool bYes : {false, true}) {
        Install to;
        const fs::path file = to.Path("Game.bkm");
        ASSERT_TRUE(ExportProfile(file, *pro, from.env).bOk);
        // The user's own "burst" in the folder the import writes to.
        const fs::path own = FolderOf(MacroKind::Macro, to.dir.Path(), 0) / "Game" / "burst.mcf";
        fs::create_directories(own.parent_path());
        std::string err;
        ASSERT_TRUE(save_macro_to_file_mcb(own, Rec(u"burst", 0x666666, MacroKind::Macro, 80), false, err));
        to.macros.Add(Rec(u"burst", 0x666666, MacroKind::Macro, 80));

        to.prompt.QueueAnswer(bYes);
        const ProfileImportResult r = ImportProfile(file, to.list, to.prompt, to.env);
        ASSERT_TRUE(r.bOk) << bYes;
        ASSERT_EQ(to.prompt.Entries().size(), 1u);
        EXPECT_NE(to.prompt.Entries()[0].text.find(u"Burst"), std::u16string::npos);
        const KeyInfo& ms = r.pProfile->Ms.Mode[0].Key[0][3];
        const KeyInfo& kb = r.pProfile->Kb.Key[2];
        const MacroRecord inFile = ReadMacroFile(own).rec;
        EXPECT_EQ(FilesBelow(own.parent_path()), 1u);
        EXPECT_EQ(to.macros.Count(), 1);
        if (bYes) {
            EXPECT_EQ(inFile.Action[0].byCode, 70);
            EXPECT_EQ(inFile.MacroID, ms.MacroID);
            EXPECT_EQ(kb.MacroID, ms.MacroID);
            EXPECT_EQ(to.macros.FindById(0x666666), nullptr) << "the replaced record left the list";
            EXPECT_NE(to.macros.FindById(ms.MacroID), nullptr);
        } else {
            EXPECT_EQ(inFile.Action[0].byCode, 80);
            EXPECT_EQ(inFile.MacroID, 0x666666u);
            EXPECT_EQ(ms.FunID, DefaultMouseKey(0, 3).FunID);
            EXPECT_EQ(kb.FunID, to.env.keyboardDefault(2).FunID);
            EXPECT_FALSE(r.strMessage.empty());
        }
    }
}

TEST(ProfileExport, HostileRecordNamesStayInsideTheMacroFolder)
{
    Install from;
    from.macros.Add(Rec(u"../../escape", 0x111111));
    auto pro = Profile(0x0A0B0C, u"Mine");
    pro->Ms.Mode[0].Key[0][3] = MacroKey(0x111111);
    Install to;
    const fs::path file = to.Path("..bkm");
    ASSERT_TRUE(ExportProfile(file, *pro, from.env).bOk);
    const ProfileImportResult r = ImportProfile(file, to.list, to.prompt, to.env);
    ASSERT_TRUE(r.bOk) << U16ToUtf8(r.strMessage);
    ASSERT_EQ(r.written.size(), 1u);
    const fs::path folder = fs::weakly_canonical(FolderOf(MacroKind::Macro, to.dir.Path(), 0));
    const fs::path written = fs::weakly_canonical(r.written[0]);
    EXPECT_EQ(written.string().rfind(folder.string() + "/", 0), 0u) << written;
    EXPECT_FALSE(fs::exists(to.dir.Path().parent_path() / "escape.mcf"));
}

TEST(KeyCfgExport, OneRecordOnThreeKeysIsStoredThreeTimesWithItsOwnIdentifiers)
{
    Install a;
    a.macros.Add(Rec(u"Burst", 0x111111));
    auto pro = Profile(0x0A0B0C, u"Mine");
    pro->Ms.Mode[0].Key[0][1] = MacroKey(0x111111);
    pro->Ms.Mode[1].Key[0][2] = MacroKey(0x111111);
    pro->Ms.Mode[2].Key[0][3] = MacroKey(0x111111);
    pro->Ms.Mode[2].Key[1][3] = MacroKey(0x111111);  // key set 1 is not part of the layout
    const ExportBuild b = BuildKeyCfgExport(*pro, a.env);
    ASSERT_EQ(b.bytes.size(), sizeof(KeyCfgFile));
    KeyCfgFile f{};
    ASSERT_EQ(DecodeKeyCfg(b.bytes, f), KeyCfgState::Ok);
    EXPECT_EQ(b.nMacros, 3);
    const uint32_t ids[] = {f.Key[0][1].MacroID, f.Key[1][2].MacroID, f.Key[2][3].MacroID};
    EXPECT_EQ(std::set<uint32_t>(std::begin(ids), std::end(ids)).size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const std::optional<MacroRecord> rec = KeyCfgMacro(f, i);
        ASSERT_TRUE(rec) << i;
        EXPECT_EQ(rec->MacroID, ids[i]);
        EXPECT_NE(rec->MacroID, 0x111111u);
        EXPECT_EQ(rec->bySlot, kExportKindMacro);
    }
    EXPECT_FALSE(KeyCfgMacro(f, 3));
}

TEST(KeyCfgExport, ImportWritesMacrosLayoutAndKeysButNothingElse)
{
    Install from;
    from.macros.Add(Rec(u"Burst", 0x111111));
    from.bullets.Add(Rec(u"Spray", 0x444444, MacroKind::Bullet));
    auto pro = Profile(0x0A0B0C, u"Mine");
    pro->Ms.Mode[0].Key[0][1] = MacroKey(0x111111);
    pro->Ms.Mode[1].Key[0][2] = MacroKey(0x444444, FUN_BULLET);
    pro->Ms.Mode[2].Key[0][0].FunID = MakeFunID(1, 0x77);

    Install to;
    const fs::path file = to.Path("layout.kyg");
    ASSERT_TRUE(ExportKeyCfg(file, *pro, from.env).bOk);
    // An unrelated macro of the same name already sits in OrgMac.
    std::string err;
    fs::create_directories(OrgMacFolder(to.dir.Path()));
    ASSERT_TRUE(save_macro_to_file_mcb(OrgMacFolder(to.dir.Path()) / "Burst.mcf", Rec(u"Burst", 0x999999), false, err));

    KeyCfgFile cfg{};
    KeyCfgFile* pCfg = &cfg;
    KeyInfo layout[kMsModeNum][kMsKeyNum]{};
    to.env.mouseDefault = [&](int m, int k) { return layout[m][k]; };
    auto current = Profile(0x123, u"Current");
    current->Ms.Mode[0].Dpi[1].nDpiX = 3200;
    const auto relayout = [&] {
        for (int m = 0; m < kMsModeNum; ++m) std::copy_n(pCfg->Key[m], kMsKeyNum, layout[m]);
    };
    for (int round = 0; round < 2; ++round) {  // the same file twice: nothing doubles
        const KeyCfgImportResult r = ImportKeyCfg(file, cfg, current.get(), to.env, relayout);
        ASSERT_TRUE(r.bOk) << U16ToUtf8(r.strMessage);
        EXPECT_EQ(r.nMacros, 2);
        EXPECT_EQ(to.macros.Count(), 1);
        EXPECT_EQ(to.bullets.Count(), 1);
    }
    EXPECT_EQ(ReadMacroFile(OrgMacFolder(to.dir.Path()) / "Burst.mcf").rec.MacroID, 0x999999u) << "not overwritten";
    EXPECT_EQ(FilesBelow(OrgMacFolder(to.dir.Path())), 3u);
    EXPECT_EQ(test::ReadBytes(to.dir.Path() / "keycfg.kyg"), test::ReadBytes(file));
    for (int t = 0; t < kMsKeySetNum; ++t) {
        EXPECT_EQ(current->Ms.Mode[2].Key[t][0].FunID, MakeFunID(1, 0x77)) << t;
        EXPECT_EQ(current->Ms.Mode[0].Key[t][1].MacroID, cfg.Key[0][1].MacroID) << t;
    }
    EXPECT_NE(to.macros.FindById(cfg.Key[0][1].MacroID), nullptr);
    EXPECT_NE(to.bullets.FindById(cfg.Key[1][2].MacroID), nullptr);
    EXPECT_EQ(current->Ms.Mode[0].Dpi[1].nDpiX, 3200) << "the other mouse settings stay";
}

TEST(KeyCfgExport, AnIdentifierThisInstallationUsesIsReplacedInRecordAndKeys)
{
    Install from;
    from.macros.Add(Rec(u"Burst", 0x111111));
    auto pro = Profile(0x0A0B0C, u"Mine");
    pro->Ms.Mode[1].Key[0][6] = MacroKey(0x111111);
    const fs::path file = from.Path("layout.kyg");
    ASSERT_TRUE(ExportKeyCfg(file, *pro, from.env).bOk);
    KeyCfgFile exported{};
    ASSERT_EQ(DecodeKeyCfg(test::ReadBytes(file), exported), KeyCfgState::Ok);
    const uint32_t nTravelling = exported.Key[1][6].MacroID;

    Install to;
    to.macros.Add(Rec(u"Mine", nTravelling));  // the same stamp, made here
    KeyCfgFile cfg{};
    const KeyCfgImportResult r = ImportKeyCfg(file, cfg, nullptr, to.env, {});
    ASSERT_TRUE(r.bOk) << U16ToUtf8(r.strMessage);
    const uint32_t nNew = cfg.Key[1][6].MacroID;
    EXPECT_NE(nNew, nTravelling);
    ASSERT_NE(to.macros.FindById(nNew), nullptr);
    EXPECT_EQ(FixedView(to.macros.FindById(nNew)->szName), u"Burst");
    EXPECT_EQ(FixedView(to.macros.FindById(nTravelling)->szName), u"Mine");
    EXPECT_EQ(KeyCfgMacro(cfg, 0)->MacroID, nNew) << "the stored layout's record agrees with its key";
}

TEST(KeyCfgExport, BadFilesAreRefusedWithTheirMessages)
{
    Install a;
    auto pro = Profile(0x0A0B0C, u"Mine");
    const std::string good = BuildKeyCfgExport(*pro, a.env).bytes;
    std::string badMagic = good;
    badMagic[0] ^= 1;
    const struct {
        const char* what;
        std::string bytes;
        std::u16string message;
    } cases[] = {
        {"27747 bytes", good.substr(0, good.size() - 1), u"Read keycfg failed."},
        {"one byte more", good + 'x', u"Read keycfg failed."},
        {"wrong magic", badMagic, u"This is not a valid keycfg"},
    };
    for (const auto& c : cases) {
        KeyCfgFile cfg{};
        cfg.dwMagic = 42;
        const fs::path file = a.Path("in.kyg");
        test::WriteBytes(file, c.bytes);
        bool bRelaid = false;
        const KeyCfgImportResult r = ImportKeyCfg(file, cfg, pro.get(), a.env, [&] { bRelaid = true; });
        EXPECT_FALSE(r.bOk) << c.what;
        EXPECT_EQ(r.strMessage, c.message) << c.what;
        EXPECT_EQ(cfg.dwMagic, 42u) << c.what;
        EXPECT_FALSE(bRelaid) << c.what;
        EXPECT_FALSE(fs::exists(a.dir.Path() / "keycfg.kyg")) << c.what;
    }
    KeyCfgFile cfg{};
    EXPECT_EQ(ImportKeyCfg(a.Path("none.kyg"), cfg, pro.get(), a.env, {}).strMessage, u"Open keycfg failed");
}

}  // namespace
