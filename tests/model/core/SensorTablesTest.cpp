// The built-in sensor tables: DPI steps and codes of every sensor, the lookups
// on them, the sensor codes a mouse reports and the default DPI levels.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "core/Gvar.h"
#include "core/SensorTables.h"

namespace {

class SensorTablesTest : public ::testing::Test {
protected:
    void SetUp() override { InitSensorTables(); }
};

struct TableCase {
    int32_t nSensor, nCount, nFirst, nLast, nFirstCode;
};

// Every built-in sensor with its step count, first and last DPI and first code.
constexpr TableCase kTables[] = {
    {0x3050, 11, 500, 4000, 1},   {0x5050, 10, 500, 2750, 1},   {0x9800, 21, 500, 16400, 1},
    {0x3310, 100, 50, 5000, 1},   {0x3212, 16, 500, 7200, 1},   {0x3320, 18, 500, 7000, 1},
    {0x3325, 59, 200, 10000, 1},  {0x3330, 19, 500, 14400, 1},  {0x3360, 21, 500, 24000, 1},
    {0x3610, 14, 400, 6400, 1},   {0x7350, 8, 600, 3200, 1},    {0x3327, 74, 200, 12400, 1},
    {0x3606, 12, 400, 6800, 0},   {0x3389, 170, 100, 26000, 1}, {0x3104, 24, 250, 8000, 1},
    {0x3335, 160, 100, 16000, 0}, {0x3370, 190, 100, 19000, 0}, {0x3395, 260, 100, 26000, 0},
    {0x3399, 400, 50, 20000, 0},  {0x3333, 87, 200, 16000, 1},
};

}  // namespace

TEST_F(SensorTablesTest, EveryBuiltInTableHasItsStepsAndConsecutiveCodes)
{
    std::vector<int32_t> seen;
    for (const TableCase& c : kTables) {
        SCOPED_TRACE(testing::Message() << std::hex << "sensor 0x" << c.nSensor);
        const SensorDpiTable* t = FindSensorTable(c.nSensor);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->nCount, c.nCount);
        EXPECT_EQ(t->Dpi[0], c.nFirst);
        EXPECT_EQ(t->Dpi[c.nCount - 1], c.nLast);
        EXPECT_EQ(t->HwCode[0], c.nFirstCode);
        for (int i = 0; i < t->nCount; ++i) {
            EXPECT_EQ(t->HwCode[i], i + c.nFirstCode) << "step " << i;
            EXPECT_EQ(t->LockCode[i], t->HwCode[i]) << "step " << i;
            if (i > 0) {
                EXPECT_GT(t->Dpi[i], t->Dpi[i - 1]) << "step " << i;
            }
        }
        for (int i = t->nCount; i < kSensorDpiMax; ++i) ASSERT_EQ(t->Dpi[i], 0) << "step " << i;
        seen.push_back(t->nSensor);
    }
    EXPECT_EQ(seen.size(), size_t(kSensorTableNum));
}

TEST_F(SensorTablesTest, StepsWhereTheRunsOfATableMeet)
{
    struct Seam { int32_t nSensor, nIndex, nDpi; };
    const Seam seams[] = {
        {0x9800, 14, 4000}, {0x9800, 15, 4500}, {0x9800, 19, 8200}, {0x3320, 12, 3500}, {0x3320, 13, 4000},
        {0x3325, 48, 5000}, {0x3325, 49, 5500}, {0x3330, 17, 7200}, {0x3327, 60, 6200}, {0x3327, 61, 6500},
        {0x3327, 72, 12000}, {0x3389, 159, 16000}, {0x3389, 160, 17000}, {0x3104, 15, 4000},
        {0x3104, 16, 4500}, {0x3333, 78, 8000}, {0x3333, 79, 9000}, {0x5050, 4, 1375}, {0x3606, 3, 1700},
        {0x3212, 3, 1200}, {0x3360, 19, 12000},
    };
    for (const Seam& s : seams)
        EXPECT_EQ(DpiByIndex(s.nSensor, s.nIndex), s.nDpi) << std::hex << s.nSensor << std::dec << " #" << s.nIndex;
}

TEST_F(SensorTablesTest, DpiToHwCodeAndDpiByIndex)
{
    // Codes from 1 against codes from 0.
    EXPECT_EQ(DpiToHwCode(0x3360, 500), 1);
    EXPECT_EQ(DpiToHwCode(0x3360, 800), 2);
    EXPECT_EQ(DpiToHwCode(0x3360, 24000), 21);
    EXPECT_EQ(DpiToHwCode(0x3606, 800), 1);
    EXPECT_EQ(DpiToHwCode(0x3606, 6800), 11);
    EXPECT_EQ(DpiToHwCode(0x3395, 26000), 259);
    // Not in the table: 0, and only FindDpiIndex tells it from the real code 0.
    EXPECT_EQ(DpiToHwCode(0x3360, 850), 0);
    EXPECT_EQ(DpiToHwCode(0x1234, 800), 0);
    EXPECT_EQ(DpiToHwCode(0, 800), 0);
    EXPECT_EQ(DpiToHwCode(0x3606, 400), 0);
    EXPECT_EQ(FindDpiIndex(0x3606, 400), 0);
    EXPECT_EQ(FindDpiIndex(0x3606, 450), -1);
    EXPECT_EQ(FindDpiIndex(0x3360, 24000), 20);

    EXPECT_EQ(DpiByIndex(0x3360, 0), 500);
    EXPECT_EQ(DpiByIndex(0x3360, 20), 24000);
    EXPECT_EQ(DpiByIndex(0x3360, 21), 0);
    EXPECT_EQ(DpiByIndex(0x3360, -1), 0);
    EXPECT_EQ(DpiByIndex(0x3399, 399), 20000);
    EXPECT_EQ(DpiByIndex(0x3399, 400), 0);
    EXPECT_EQ(DpiByIndex(0x1234, 0), 0);
    EXPECT_EQ(FindSensorTable(0), nullptr);
    EXPECT_EQ(FindSensorTable(0x1234), nullptr);
}

TEST_F(SensorTablesTest, InitSensorTablesUndoesChangesToTheSteps)
{
    SensorDpiTable* t = FindSensorTable(0x3360);
    ASSERT_NE(t, nullptr);
    t->nCount = 1;
    t->Dpi[0] = 123;
    t->HwCode[0] = 77;
    InitSensorTables();
    EXPECT_EQ(FindSensorTable(0x3360)->nCount, 21);
    EXPECT_EQ(DpiToHwCode(0x3360, 500), 1);
    EXPECT_EQ(DpiToHwCode(0x3360, 123), 0);
}

TEST(SensorTables, SensorFromCode)
{
    const std::array<int32_t, 64> expected = [] {
        std::array<int32_t, 64> a{};
        a[1] = 0x5050; a[2] = 0x3050; a[3] = 0x9800; a[4] = 0x3320; a[5] = 0x3330; a[6] = 0x3360;
        a[7] = 0x3610; a[8] = 0x3212; a[9] = 0x3310; a[11] = 0x3325; a[12] = 0x7350; a[14] = 0x3327;
        a[15] = 0x3389; a[16] = 0x3606; a[17] = 0x3335; a[19] = 0x3104; a[20] = 0x3370; a[21] = 0x3333;
        a[22] = 0x3399; a[23] = 0x3395;
        return a;
    }();
    for (int32_t nCode = 0; nCode < 64; ++nCode) EXPECT_EQ(SensorFromCode(nCode), expected[size_t(nCode)]) << nCode;
    EXPECT_EQ(SensorFromCode(-1), 0);
    EXPECT_EQ(SensorFromCode(0x46), 0);  // a whole byte with bits above the code is not a code
}

TEST(SensorTables, DefaultLevelsBySensor)
{
    using L = std::array<int32_t, kSensorLevelMax>;
    const L wide{1000, 1500, 2000, 3000, 4000, 5000, 6000, 8000};
    struct Case { int32_t nSensor; L levels; };
    const Case cases[] = {
        {0x3050, {750, 1000, 1500, 2000, 2500, 3000}}, {0x3104, {750, 1000, 1500, 2000, 2500, 3000}},
        {0x5050, {750, 1000, 1500, 2000, 2500, 2750}}, {0x9800, {1000, 1500, 2000, 3000, 5000, 8200}},
        {0x3212, {750, 1000, 1600, 2400, 3200, 7200}}, {0x3320, {750, 1000, 1500, 2000, 2500, 3500}},
        {0x3330, {1000, 1500, 2000, 4000, 6000, 7200}}, {0x3360, {1000, 1600, 2000, 4000, 6000, 8000}},
        {0x3610, {1000, 1600, 2000, 2400, 3000, 4000}}, {0x3325, wide}, {0x3327, wide}, {0x3333, wide},
        {0x3335, wide}, {0x3370, wide}, {0x3389, wide}, {0x3395, wide}, {0x3399, wide},
        {0x3606, {800, 1200, 2500, 3000, 4200, 5000, 6000}},
    };
    for (const Case& c : cases) {
        const auto* p = DefaultDpiLevels(c.nSensor);
        ASSERT_NE(p, nullptr) << std::hex << c.nSensor;
        EXPECT_EQ(*p, c.levels) << std::hex << c.nSensor;
        // Every default level is one of the sensor's steps.
        InitSensorTables();
        for (const int32_t v : *p) {
            if (v != 0) {
                EXPECT_GE(FindDpiIndex(c.nSensor, v), 0) << std::hex << c.nSensor << std::dec << " " << v;
            }
        }
    }
    EXPECT_EQ(DefaultDpiLevels(0x7350), nullptr);
    EXPECT_EQ(DefaultDpiLevels(0x3310), nullptr);
    EXPECT_EQ(DefaultDpiLevels(0), nullptr);
}
