// pro.dct and curid.dct: the file layout, byte-for-byte round trips, what a
// damaged file still gives, failed writes, and the start-up policy.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "TestSupport.h"
#include "core/AtomicFile.h"
#include "core/ProfileStore.h"
#include "core/Utf.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kRec = sizeof(ProfileRecord);

// A used record with a marker in every reserved area and in each device part,
// so that a byte dropped or moved anywhere shows.
std::unique_ptr<ProfileRecord> MakeProfile(uint32_t id, std::u16string_view name)
{
    auto p = std::make_unique<ProfileRecord>();
    p->dwReserved0 = 0xA0A0A000 | (id & 0xFF);
    p->dwMagic = kProfileMagic;
    p->nID = id;
    std::memset(p->szSound, int(0x10 + (id & 0x0F)), sizeof p->szSound);
    CopyToFixed(p->szName, name);
    p->byReserved572[43] = 0x57;
    p->Kb.Key[131].FunID = 0x02000000 | id;
    p->Kb.clrGameKey[14][131] = 0x00ABCDEF;
    p->Ms.Mode[2].Key[4][20].MacroID = id;
    p->Ms.Mode[1].nGunOption = 1;
    p->Ms.Mode[0].byReserved10454[41] = 0x42;
    p->Pad.Mode[10].nUnused[1] = int32_t(id);
    p->byReserved54276[119] = 0x77;
    return p;
}

std::string RecordBytes(const ProfileRecord& r) { return std::string(reinterpret_cast<const char*>(&r), kRec); }

// A pro.dct image with records in the given slots.
std::string ProDctImage(const std::vector<std::pair<int, const ProfileRecord*>>& slots)
{
    std::string img(kProDctSize, '\0');
    for (const auto& [nSlot, p] : slots) img.replace(size_t(nSlot) * kRec, kRec, RecordBytes(*p));
    return img;
}

uint32_t LE32(const std::string& s, size_t off)
{
    const auto* p = reinterpret_cast<const uint8_t*>(s.data() + off);
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

std::vector<uint32_t> Ids(const CProList& list)
{
    std::vector<uint32_t> v;
    for (const auto& p : list) v.push_back(p->nID);
    return v;
}

const TimeOfDayClock kClock = [] { return TimeOfDay{9, 30, 15, 500}; };

}  // namespace

TEST(ProfileStore, FileLayoutIsTwelveRecordSlots)
{
    CProList list;
    list.Add(MakeProfile(0x0101, u"One"));
    list.Add(std::make_unique<ProfileRecord>());  // identifier 0: never stored
    list.Add(MakeProfile(0x0303, u"Three"));
    int nSaved = 0;
    const std::string img = EncodeProDct(list, nSaved);
    EXPECT_EQ(nSaved, 2);
    ASSERT_EQ(img.size(), 652752u);
    EXPECT_EQ(LE32(img, 4), 0xFCFB7798u);
    EXPECT_EQ(LE32(img, 8), 0x0101u);
    EXPECT_EQ(img.substr(532, 8), std::string("O\0n\0e\0\0\0", 8));
    EXPECT_EQ(LE32(img, 54396 + 4), 0xFCFB7798u);
    EXPECT_EQ(LE32(img, 54396 + 8), 0x0303u);
    EXPECT_EQ(uint8_t(img[12]), 0x11);
    EXPECT_EQ(uint8_t(img[54396 - 1]), 0x77);                  // last reserved byte of slot 0
    EXPECT_EQ(LE32(img, 616 + 8 + 131 * 88), 0x02000101u);      // keyboard part at 616
    EXPECT_EQ(uint8_t(img[22148 + 20 + 10496 + 10448]), 1);    // mouse part at 22148
    EXPECT_EQ(LE32(img, 53656 + 4 + 10 * 56 + 52), 0x0101u);   // pad part at 53656
    EXPECT_EQ(img.find_first_not_of('\0', 2 * kRec), std::string::npos);
}

// Used slots 0, 2 and 5 load in order and are stored packed into slots 0-2;
// loading and storing that again changes no byte.
TEST(ProfileStore, FixtureRoundTripsByteForByte)
{
    test::CTempDir dir;
    CRecordingPrompt prompt;
    const auto a = MakeProfile(0x0A0001, u"Work");
    const auto b = MakeProfile(0x0A0002, u"Spiel \u00fc\u4e2d");
    const auto c = MakeProfile(0x0A0003, u"Nineteen characters");
    test::WriteBytes(dir / "pro.dct", ProDctImage({{0, a.get()}, {2, b.get()}, {5, c.get()}}));

    CProfileStore store(dir.Path(), prompt, kClock);
    CProList list;
    ASSERT_EQ(store.LoadProfiles(list), 3);
    EXPECT_EQ(Ids(list), (std::vector<uint32_t>{0x0A0001, 0x0A0002, 0x0A0003}));
    EXPECT_EQ(RecordBytes(*list.At(1)), RecordBytes(*b));
    std::string strErr;
    ASSERT_TRUE(store.SaveProfiles(list, strErr)) << strErr;
    const std::string packed = ProDctImage({{0, a.get()}, {1, b.get()}, {2, c.get()}});
    EXPECT_EQ(test::ReadBytes(dir / "pro.dct"), packed);

    ASSERT_EQ(store.LoadProfiles(list), 3);
    ASSERT_TRUE(store.SaveProfiles(list, strErr)) << strErr;
    EXPECT_EQ(test::ReadBytes(dir / "pro.dct"), packed);
    EXPECT_TRUE(prompt.Entries().empty());
    EXPECT_FALSE(fs::exists(dir / "pro.dct.bad"));
}

// A damaged file gives up every whole used record, is kept aside unchanged and
// the user is told.
TEST(ProfileStore, DamagedFilesGiveWhatCanBeSaved)
{
    const auto a = MakeProfile(0x0101, u"A");
    const auto b = MakeProfile(0x0202, u"B");
    const auto c = MakeProfile(0x0303, u"C");
    const std::string full = ProDctImage({{0, a.get()}, {1, b.get()}, {11, c.get()}});
    std::string badMagic = full;
    badMagic[kRec + 4] ^= 0x01;
    std::string randomSized(kProDctSize, '\0');
    std::mt19937 rng(7);
    for (char& ch : randomSized) ch = char(rng());

    const struct {
        const char* pszWhat;
        std::string bytes;
        std::vector<uint32_t> ids;
    } rows[] = {
        {"one byte short", full.substr(0, kProDctSize - 1), {0x0101, 0x0202}},
        {"cut inside the second record", full.substr(0, kRec + 100), {0x0101}},
        {"one byte long", full + std::string(1, '\0'), {0x0101, 0x0202, 0x0303}},
        {"wrong magic in slot 1", badMagic, {0x0101, 0x0303}},
        {"random bytes", randomSized.substr(0, 5000), {}},
        {"random bytes of the right size", randomSized, {}},
        {"empty", std::string(), {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszWhat);
        test::CTempDir dir;
        CRecordingPrompt prompt;
        test::WriteBytes(dir / "pro.dct", row.bytes);
        CProfileStore store(dir.Path(), prompt, kClock);
        CProList list;
        list.Add(MakeProfile(0x0999, u"stale"));
        EXPECT_EQ(store.LoadProfiles(list), int(row.ids.size()));
        EXPECT_EQ(Ids(list), row.ids);
        EXPECT_TRUE(store.LastLoad().Damaged());
        EXPECT_FALSE(fs::exists(dir / "pro.dct"));
        EXPECT_EQ(test::ReadBytes(dir / "pro.dct.bad"), row.bytes);
        ASSERT_EQ(prompt.Entries().size(), 1u);
        EXPECT_NE(prompt.Entries()[0].text.find(u"pro.dct.bad"), std::u16string::npos);
        std::string strErr;
        EXPECT_TRUE(store.SaveProfiles(list, strErr)) << strErr;  // the file was kept aside: saving is allowed
    }
}

TEST(ProfileStore, RepeatedIdentifiersAreMadeUnique)
{
    test::CTempDir dir;
    CRecordingPrompt prompt;
    const auto a = MakeProfile(0x0101, u"A");
    const auto b = MakeProfile(0x0101, u"B");
    test::WriteBytes(dir / "pro.dct", ProDctImage({{0, a.get()}, {1, b.get()}}));
    CProfileStore store(dir.Path(), prompt, kClock);
    CProList list;
    ASSERT_EQ(store.LoadProfiles(list), 2);
    EXPECT_EQ(Ids(list), (std::vector<uint32_t>{0x0101, 0x0102}));
    EXPECT_EQ(store.LastLoad().nRenumbered, 1);
    EXPECT_FALSE(store.LastLoad().Damaged());
}

TEST(ProfileStore, SavingNothingLeavesTheFileAlone)
{
    test::CTempDir dir;
    CRecordingPrompt prompt;
    test::WriteBytes(dir / "pro.dct", "old");
    CProfileStore store(dir.Path(), prompt, kClock);
    CProList list;
    list.Add(std::make_unique<ProfileRecord>());
    std::string strErr;
    EXPECT_TRUE(store.SaveProfiles(list, strErr));
    EXPECT_EQ(test::ReadBytes(dir / "pro.dct"), "old");
}

TEST(ProfileStore, FailedWritesSayWhyAndKeepTheOldFiles)
{
    CRecordingPrompt prompt;
    CProList list;
    list.Add(MakeProfile(0x0101, u"A"));
    std::string strErr;

    test::CTempDir dir;
    CProfileStore gone(dir / "no-such-folder", prompt, kClock);
    EXPECT_FALSE(gone.SaveProfiles(list, strErr));
    EXPECT_NE(strErr.find("does not exist"), std::string::npos) << strErr;
    strErr.clear();
    EXPECT_FALSE(gone.WriteCurrentId(list.At(0), strErr));
    EXPECT_FALSE(strErr.empty());
    EXPECT_FALSE(fs::exists(dir / "no-such-folder"));

    fs::create_directory(dir / "pro.dct");  // a folder in place of the file
    CProfileStore store(dir.Path(), prompt, kClock);
    strErr.clear();
    EXPECT_FALSE(store.SaveProfiles(list, strErr));
    EXPECT_FALSE(strErr.empty());
    EXPECT_TRUE(fs::is_directory(dir / "pro.dct"));

    // More profiles than slots: the first 12 are written and the rest reported.
    test::CTempDir dir2;
    CProfileStore store2(dir2.Path(), prompt, kClock);
    for (uint32_t i = 2; i <= 14; ++i) list.Add(MakeProfile(i, u"P"));
    strErr.clear();
    EXPECT_FALSE(store2.SaveProfiles(list, strErr));
    EXPECT_NE(strErr.find("2 profiles were not saved"), std::string::npos) << strErr;
    CProList back;
    EXPECT_EQ(store2.LoadProfiles(back), 12);
}

// A pro.dct that cannot be read is never overwritten: it may still hold profiles.
TEST(ProfileStore, UnreadableFileIsHeld)
{
    test::CTempDir dir;
    CRecordingPrompt prompt;
    fs::create_directory(dir / "pro.dct");
    test::WriteBytes(dir / "pro.dct" / "inside", "x");
    CProfileStore store(dir.Path(), prompt, kClock);
    CProList list;
    EXPECT_EQ(store.LoadProfiles(list), 0);
    EXPECT_TRUE(store.ProDctHeld());
    ASSERT_EQ(prompt.Entries().size(), 1u);
    EXPECT_NE(prompt.Entries()[0].text.find(u"could not be read"), std::u16string::npos);
    list.Add(MakeProfile(0x0101, u"A"));
    std::string strErr;
    EXPECT_FALSE(store.SaveProfiles(list, strErr));
    EXPECT_EQ(test::ReadBytes(dir / "pro.dct" / "inside"), "x");
}

TEST(ProfileStore, CurrentIdFile)
{
    test::CTempDir dir;
    CRecordingPrompt prompt;
    CProfileStore store(dir.Path(), prompt, kClock);
    EXPECT_EQ(store.ReadCurrentId(), 0u);
    EXPECT_TRUE(prompt.Entries().empty());

    const auto p = MakeProfile(0x12345678, u"P");
    std::string strErr;
    ASSERT_TRUE(store.WriteCurrentId(p.get(), strErr)) << strErr;
    EXPECT_EQ(test::ReadBytes(dir / "curid.dct"), std::string("\x78\x56\x34\x12", 4));
    EXPECT_EQ(store.ReadCurrentId(), 0x12345678u);
    EXPECT_TRUE(store.WriteCurrentId(nullptr, strErr));
    EXPECT_EQ(store.ReadCurrentId(), 0x12345678u);

    for (const std::string& bytes : {std::string("\x01\x02\x03", 3), std::string(5, '\x01'), std::string()}) {
        test::WriteBytes(dir / "curid.dct", bytes);
        prompt.Clear();
        EXPECT_EQ(store.ReadCurrentId(), 0u);
        EXPECT_EQ(test::ReadBytes(dir / "curid.dct.bad"), bytes);
        EXPECT_EQ(prompt.Entries().size(), 1u);
    }
}

TEST(ProfileStore, NewProfilesGetUniqueIdentifiersDefaultsAndName)
{
    test::CTempDir dir;
    CRecordingPrompt prompt;
    CProfileStore store(dir.Path(), prompt, [] { return TimeOfDay{16, 0, 0, 256}; });  // stamps to 0
    CProList list;
    ProfileDefaults defaults;
    int nFilled = 0;
    defaults.fill = [&](ProfileRecord& r) {
        ++nFilled;
        EXPECT_EQ(r.dwMagic, kProfileMagic);
        EXPECT_NE(r.nID, 0u);
        r.Ms.nSensor = 0x3360;
    };
    for (int i = 0; i < 3; ++i) list.Add(store.NewProfile(u"A name longer than nineteen", list, defaults));
    EXPECT_EQ(Ids(list), (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_EQ(nFilled, 3);
    EXPECT_EQ(FixedView(list.At(0)->szName), u"A name longer than ");
    EXPECT_EQ(list.At(0)->Ms.nSensor, 0x3360);
    CProfileStore store9(dir.Path(), prompt, kClock);
    EXPECT_EQ(store9.NewProfile(u"x", list, {})->nID, (9u << 20) | (30u << 14) | (15u << 8) | (500u & 0xFF));
}

namespace {

struct Startup {
    test::CTempDir dir;
    CRecordingPrompt prompt;
    CProList list;
    ProfileStartup opt;
    Startup()
    {
        opt.nProfileNum = 3;
        opt.strNameWord = u"Profile";
    }
    ProfileRecord* Run()
    {
        CProfileStore store(dir.Path(), prompt, kClock);
        return LoadOrCreateProfiles(store, list, opt, prompt);
    }
    void WriteProfiles(std::initializer_list<uint32_t> ids)
    {
        std::vector<std::unique_ptr<ProfileRecord>> recs;
        std::vector<std::pair<int, const ProfileRecord*>> slots;
        int n = 0;
        for (uint32_t id : ids) {
            recs.push_back(MakeProfile(id, u"Stored"));
            slots.emplace_back(n++, recs.back().get());
        }
        test::WriteBytes(dir / "pro.dct", ProDctImage(slots));
    }
    void WriteCurId(uint32_t id) { test::WriteBytes(dir / "curid.dct", std::string(reinterpret_cast<const char*>(&id), 4)); }
};

}  // namespace

TEST(ProfileStartup, NoFilesGiveDefaultProfilesThatAreStored)
{
    Startup s;
    s.opt.nProfileNum = 5;
    ProfileRecord* p = s.Run();
    ASSERT_EQ(s.list.Count(), 5);
    EXPECT_EQ(p, s.list.At(0));
    EXPECT_EQ(FixedView(s.list.At(4)->szName), u"Profile 5");
    EXPECT_EQ(test::ReadBytes(s.dir / "pro.dct").size(), kProDctSize);
    EXPECT_EQ(LE32(test::ReadBytes(s.dir / "curid.dct"), 0), p->nID);
    EXPECT_TRUE(s.prompt.Entries().empty());

    for (const auto& [nNum, nWant] : {std::pair{20, 12}, std::pair{0, 1}}) {
        Startup t;
        t.opt.nProfileNum = nNum;
        t.Run();
        EXPECT_EQ(t.list.Count(), nWant);
    }
}

// A missing, damaged or stale curid.dct never costs a profile: the first is current.
TEST(ProfileStartup, SideFileProblemsKeepEveryProfile)
{
    const struct { const char* pszWhat; int nCurId; size_t nCurrent; } rows[] = {
        {"curid.dct missing", -1, 0},
        {"curid.dct stale", 0x0999, 0},
        {"curid.dct damaged", -2, 0},
        {"curid.dct names the second", 0x0202, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszWhat);
        Startup s;
        s.WriteProfiles({0x0101, 0x0202});
        const std::string stored = test::ReadBytes(s.dir / "pro.dct");
        if (row.nCurId >= 0) s.WriteCurId(uint32_t(row.nCurId));
        if (row.nCurId == -2) test::WriteBytes(s.dir / "curid.dct", "xy");
        ProfileRecord* p = s.Run();
        EXPECT_EQ(Ids(s.list), (std::vector<uint32_t>{0x0101, 0x0202}));
        EXPECT_EQ(p, s.list.At(int(row.nCurrent)));
        EXPECT_EQ(test::ReadBytes(s.dir / "pro.dct"), stored);
        EXPECT_EQ(LE32(test::ReadBytes(s.dir / "curid.dct"), 0), p->nID);
    }
}

TEST(ProfileStartup, AChangedKeyboardLayoutKeepsTheOldProfilesAside)
{
    Startup s;
    s.WriteProfiles({0x0101, 0x0202});  // one assigned keyboard key each
    const std::string stored = test::ReadBytes(s.dir / "pro.dct");
    s.opt.nKbAssignedKeys = 1;
    s.Run();
    EXPECT_EQ(Ids(s.list), (std::vector<uint32_t>{0x0101, 0x0202}));

    s.opt.nKbAssignedKeys = 104;
    s.opt.defaults.fill = [](ProfileRecord& r) {
        for (int i = 0; i < 104; ++i) r.Kb.Key[i].FunID = 0x02000000;
    };
    s.Run();
    ASSERT_EQ(s.list.Count(), 3);
    EXPECT_EQ(FixedView(s.list.At(0)->szName), u"Profile 1");
    EXPECT_EQ(test::ReadBytes(s.dir / "pro.dct.bad"), stored);
    ASSERT_EQ(s.prompt.Entries().size(), 1u);
    EXPECT_NE(s.prompt.Entries()[0].text.find(u"keyboard layout"), std::u16string::npos);
    s.prompt.Clear();
    s.Run();  // the new profiles match: nothing changes
    EXPECT_EQ(FixedView(s.list.At(0)->szName), u"Profile 1");
    EXPECT_TRUE(s.prompt.Entries().empty());
}

TEST(ProfileStartup, RecoveredProfilesAreStoredAtOnce)
{
    Startup s;
    s.WriteProfiles({0x0101, 0x0202, 0x0303});
    const std::string stored = test::ReadBytes(s.dir / "pro.dct");
    test::WriteBytes(s.dir / "pro.dct", stored.substr(0, 2 * kRec + 10));
    s.Run();
    EXPECT_EQ(Ids(s.list), (std::vector<uint32_t>{0x0101, 0x0202}));
    EXPECT_EQ(test::ReadBytes(s.dir / "pro.dct").size(), kProDctSize);
    EXPECT_EQ(test::ReadBytes(s.dir / "pro.dct.bad").size(), 2 * kRec + 10);
    CProList back;
    CRecordingPrompt prompt;
    EXPECT_EQ(CProfileStore(s.dir.Path(), prompt).LoadProfiles(back), 2);
}

TEST(ProfileStartup, ListingReadsWithoutTouchingFiles)
{
    Startup s;
    EXPECT_FALSE(ListStoredProfiles(s.dir.Path()).bFound);
    s.WriteProfiles({0x0101, 0x0202});
    s.WriteCurId(0x0202);
    StoredProfiles listed = ListStoredProfiles(s.dir.Path());
    EXPECT_TRUE(listed.bFound);
    EXPECT_TRUE(listed.strProblem.empty());
    ASSERT_EQ(listed.profiles.size(), 2u);
    EXPECT_EQ(listed.profiles[1].nID, 0x0202u);
    EXPECT_EQ(listed.profiles[1].strName, u"Stored");
    EXPECT_FALSE(listed.profiles[0].bCurrent);
    EXPECT_TRUE(listed.profiles[1].bCurrent);

    const std::string cut = test::ReadBytes(s.dir / "pro.dct").substr(0, kRec + 1);
    test::WriteBytes(s.dir / "pro.dct", cut);
    listed = ListStoredProfiles(s.dir.Path());
    EXPECT_NE(listed.strProblem.find("damaged"), std::string::npos);
    ASSERT_EQ(listed.profiles.size(), 1u);
    EXPECT_TRUE(listed.profiles[0].bCurrent);  // the stored current one is gone: the first
    EXPECT_EQ(test::ReadBytes(s.dir / "pro.dct"), cut);
    EXPECT_FALSE(fs::exists(s.dir / "pro.dct.bad"));
}
