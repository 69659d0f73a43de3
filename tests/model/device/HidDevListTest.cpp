// The device list and the interface selection rules.
#include <gtest/gtest.h>

#include "FakeHid.h"
#include "device/HidDevList.h"

using namespace fake;

namespace {

std::vector<std::string> Paths(const CHidDevList& list)
{
    std::vector<std::string> v;
    for (const HidDevInfo& e : list)
        if (!e.szPath.empty()) v.push_back(e.szPath);
    return v;
}

struct CMachine : CBackend {
    CMachine()
    {
        Add(Info("/dev/hidraw0", 0x1234, 0x0001, 0xFF00, 1, 0, 0, 6, 5));
        Add(Info("/dev/hidraw1", 0x1234, 0x0002, 0xFF00, 1, 0, 0, 520, 4));
        Add(Info("/dev/hidraw2", 0x4321, 0x0001, 0xFF00, 1, 0, 0, 6, 5));  // another maker
        Add(Info("/dev/hidraw3", 0x1234, 0x0003, 1, 2, 8, 0, 0, 0));
    }
};

struct FilterCase {
    int nVID, nPID, nPID2;
    std::vector<std::string> expected;
};

class HidDevListFilter : public ::testing::TestWithParam<FilterCase> {};

TEST_P(HidDevListFilter, KeepsTheVendorsProducts)
{
    const FilterCase& c = GetParam();
    CHidDevList list;
    CMachine machine;
    EXPECT_EQ(list.EnumHidDevices(machine, c.nVID, c.nPID, c.nPID2), int(c.expected.size()));
    EXPECT_EQ(Paths(list), c.expected);
    EXPECT_EQ(list.Count(), int(c.expected.size()));
}

INSTANTIATE_TEST_SUITE_P(
    HidDev, HidDevListFilter,
    ::testing::Values(FilterCase{0x1234, 0x0001, 0x0000, {"/dev/hidraw0"}},
                      FilterCase{0x1234, 0x0001, 0x0003, {"/dev/hidraw0", "/dev/hidraw3"}},
                      FilterCase{0x1234, 0x0009, 0x0002, {"/dev/hidraw1"}},
                      FilterCase{0x4321, 0x0002, 0x0003, {}},
                      FilterCase{0, 0, 0, {"/dev/hidraw0", "/dev/hidraw1", "/dev/hidraw2", "/dev/hidraw3"}}));

TEST(HidDevList, WholeProductSetInOneEnumeration)
{
    CHidDevList list;
    const int pids[] = {0x0002, 0x0003, 0x0007};
    CMachine machine;
    list.EnumHidDevices(machine, 0x1234, pids);
    EXPECT_EQ(Paths(list), (std::vector<std::string>{"/dev/hidraw1", "/dev/hidraw3"}));
}

TEST(HidDevList, ThirtyEntriesAndALogLineForEachBeyond)
{
    CLogCapture log;
    CBackend b;
    for (int i = 0; i < 32; ++i) b.Add(Info("/dev/hidraw" + std::to_string(i), 1, 2, 0xFF00, 1, 0, 0, 6));
    CHidDevList list;
    EXPECT_EQ(list.EnumHidDevices(b, 1, 2, 0), 30);
    EXPECT_EQ(list.FindFreeDevEntry(), nullptr);
    EXPECT_EQ(list[29].szPath, "/dev/hidraw29");
    EXPECT_EQ(log.Count("EnumHidDevices: device list full, /dev/hidraw30 skipped"), 1);
    EXPECT_EQ(log.Count("EnumHidDevices: device list full, /dev/hidraw31 skipped"), 1);
    // Enumerating again starts from an empty list.
    EXPECT_EQ(list.EnumHidDevices(b, 1, 3, 0), 0);
    EXPECT_EQ(list.FindFreeDevEntry(), &list.All()[0]);
}

// A mouse exposes its vendor collections beside the system's own mouse
// collection; a family picks by usage and lengths, the last match winning.
TEST(HidDevList, PickRulesTakeTheVendorCollections)
{
    CBackend b;
    b.Add(Info("mouse", 0x1234, 1, 0x0001, 2, 8, 0, 0));        // the system's pointer, input 8 as well
    b.Add(Info("cmd-a", 0x1234, 1, 0xFF00, 1, 0, 0, 6, 5));
    b.Add(Info("other-page", 0x1234, 1, 0xFF01, 1, 0, 0, 6, 5));
    b.Add(Info("notify", 0x1234, 1, 0xFF00, 1, 8, 0, 0, 7));
    b.Add(Info("cmd-b", 0x1234, 1, 0xFF00, 1, 0, 0, 6, 5));
    b.Add(Info("data", 0x1234, 1, 0xFF00, 1, 0, 0, 520, 4));
    b.Add(Info("music-11", 0x1234, 1, 0xFF00, 1, 0, 0, 379, 11));
    b.Add(Info("music-14", 0x1234, 1, 0xFF00, 1, 0, 0, 379, 14));
    CHidDevList list;
    list.EnumHidDevices(b, 0x1234, 1, 0);

    const HidDevInfo* pCmd = PickLast(list, {.nFeatureLen = 6});
    ASSERT_NE(pCmd, nullptr);
    EXPECT_EQ(pCmd->szPath, "cmd-b");
    ASSERT_NE(PickLast(list, {.nInputLen = 8}), nullptr);
    EXPECT_EQ(PickLast(list, {.nInputLen = 8})->szPath, "notify");
    EXPECT_EQ(PickLast(list, {.nFeatureLen = 520})->szPath, "data");
    EXPECT_EQ(PickLast(list, {.nFeatureLen = 379, .nReportId = 11})->szPath, "music-11");
    EXPECT_EQ(PickLast(list, {.nFeatureLen = 33}), nullptr);
    EXPECT_EQ(PickLast(list, {.nUsagePage = 1, .nUsage = 2, .nInputLen = 8})->szPath, "mouse");
    const auto all = PickAll(list, {.nFeatureLen = 6});
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0]->szPath, "cmd-a");
    // An empty entry never matches, even an open pick.
    CHidDevList empty;
    EXPECT_EQ(PickLast(empty, {.nUsagePage = 0, .nUsage = 0}), nullptr);
}

}  // namespace
