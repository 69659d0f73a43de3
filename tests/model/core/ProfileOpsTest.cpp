// The profile list's operations: names, the twelve-profile limit, the last
// profile, switching with the mouse's mode, and storing both files.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "core/IPrompt.h"
#include "core/ProfileOps.h"
#include "core/Utf.h"

namespace {

struct Fixture {
    test::CTempDir dir;
    CRecordingPrompt prompt;
    CProfileStore store{dir.Path(), prompt, [] { return TimeOfDay{8, 0, 0, 1}; }};
    CProList list;
    ProfileDefaults defaults{[](ProfileRecord& p) { p.Ms.Mode[0].Dpi[0].nDpiX = 800; }};
};

TEST(ProfileOps, NamesAreTrimmedCutThenCheckedIgnoringCase)
{
    Fixture f;
    ProfileOpResult r = AddProfile(f.list, f.store, u"  Shooter games and more  ", f.defaults);
    ASSERT_TRUE(r.bOk);
    EXPECT_EQ(FixedView(r.pProfile->szName), u"Shooter games and m");
    EXPECT_EQ(r.pProfile->Ms.Mode[0].Dpi[0].nDpiX, 800) << "made with the device defaults";

    const struct {
        const char* what;
        std::u16string typed;
        bool bOk;
    } cases[] = {
        {"same name, other case", u"SHOOTER GAMES AND M", false},
        {"longer, the same once cut", u"shooter games and monsters", false},
        {"empty", u"", false},
        {"only spaces", u"    ", false},
        {"different", u"Work", true},
    };
    for (const auto& c : cases) {
        const int nBefore = f.list.Count();
        r = AddProfile(f.list, f.store, c.typed, f.defaults);
        EXPECT_EQ(r.bOk, c.bOk) << c.what;
        EXPECT_EQ(f.list.Count(), nBefore + (c.bOk ? 1 : 0)) << c.what;
        if (!c.bOk) EXPECT_FALSE(r.strMessage.empty()) << c.what;
    }
    // A cut never leaves half a character.
    const std::u16string emoji = u"abcdefghijklmnopqr\U0001F600";
    EXPECT_EQ(ProfileNameOf(emoji), u"abcdefghijklmnopqr");
}

TEST(ProfileOps, TheThirteenthProfileIsRefused)
{
    Fixture f;
    for (int i = 1; i <= 12; ++i) ASSERT_TRUE(AddProfile(f.list, f.store, u"P" + Utf8ToU16(std::to_string(i)), f.defaults).bOk);
    const ProfileOpResult r = AddProfile(f.list, f.store, u"P13", f.defaults);
    EXPECT_FALSE(r.bOk);
    EXPECT_EQ(r.strMessage, u"The number of profile has reached it's maximum");
    EXPECT_EQ(f.list.Count(), 12);
}

TEST(ProfileOps, RenameKeepsItsOwnNameButNotAnothers)
{
    Fixture f;
    ProfileRecord* a = AddProfile(f.list, f.store, u"Work", f.defaults).pProfile;
    AddProfile(f.list, f.store, u"Games", f.defaults);
    EXPECT_TRUE(RenameProfile(f.list, *a, u"WORK").bOk) << "a change of case of its own name";
    EXPECT_EQ(FixedView(a->szName), u"WORK");
    const ProfileOpResult r = RenameProfile(f.list, *a, u"games");
    EXPECT_FALSE(r.bOk);
    EXPECT_EQ(FixedView(a->szName), u"WORK");
}

TEST(ProfileOps, DeleteMakesTheFirstCurrentAndKeepsTheLast)
{
    Fixture f;
    ProfileRecord* a = AddProfile(f.list, f.store, u"A", f.defaults).pProfile;
    ProfileRecord* b = AddProfile(f.list, f.store, u"B", f.defaults).pProfile;
    const uint32_t idA = a->nID;
    ProfileOpResult r = DeleteProfile(f.list, *b);
    ASSERT_TRUE(r.bOk);
    EXPECT_EQ(r.pProfile, a);
    r = DeleteProfile(f.list, *a);
    EXPECT_FALSE(r.bOk);
    EXPECT_EQ(f.list.Count(), 1);
    EXPECT_EQ(f.list.At(0)->nID, idA);
}

TEST(ProfileOps, TheCurrentProfilesModeFollowsTheMouse)
{
    const struct {
        const char* what;
        MouseModeState s;
        int nExpect;
    } cases[] = {
        {"no mouse open", {false, false, false, false, 2}, -1},
        {"receiver", {true, true, true, false, 3}, 1},
        {"wireless mouse on its cable", {true, true, false, false, 3}, 0},
        {"wired mouse in its third mode", {true, false, false, false, 3}, 2},
        {"wired mouse that reported nothing", {true, false, false, false, 0}, -1},
        {"single mode", {true, false, false, true, 3}, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(ModeForCurrentProfile(c.s), c.nExpect) << c.what;

    Fixture f;
    ProfileRecord* a = AddProfile(f.list, f.store, u"A", f.defaults).pProfile;
    ProfileRecord* b = AddProfile(f.list, f.store, u"B", f.defaults).pProfile;
    b->Ms.ProMirex.nMode = 1;
    ProfileRecord* pCurrent = a;
    EXPECT_EQ(SetAsCurProfile(f.list, b->nID, pCurrent, {}), b);
    EXPECT_EQ(pCurrent, b);
    EXPECT_EQ(b->Ms.ProMirex.nMode, 1) << "no mouse: the mode stays";
    EXPECT_EQ(SetAsCurProfile(f.list, 0x7777, pCurrent, {}), nullptr);
    EXPECT_EQ(pCurrent, b);
    SetAsCurProfile(f.list, a->nID, pCurrent, {true, false, false, false, 3});
    EXPECT_EQ(a->Ms.ProMirex.nMode, 2);
}

TEST(ProfileOps, StoringWritesTheListAndTheCurrentIdentifier)
{
    Fixture f;
    AddProfile(f.list, f.store, u"A", f.defaults);
    ProfileRecord* b = AddProfile(f.list, f.store, u"B", f.defaults).pProfile;
    std::string strErr;
    ASSERT_TRUE(StoreProfiles(f.store, f.list, b, strErr)) << strErr;
    CProList again;
    CProfileStore store(f.dir.Path(), f.prompt);
    EXPECT_EQ(store.LoadProfiles(again), 2);
    EXPECT_EQ(store.ReadCurrentId(), b->nID);
}

}  // namespace
