// What an apply job copies when it is requested.
#include <gtest/gtest.h>

#include <cstring>

#include "device/ApplySnapshot.h"
#include "keys/FunId.h"

namespace {

MacroRecord Macro(uint32_t id, uint8_t byFirstCode)
{
    MacroRecord r{};
    r.MacroID = id;
    r.Action[0].byCode = byFirstCode;
    return r;
}

TEST(HidDevSnapshot, CopiesTheProfileAndOnlyTheRecordsItNames)
{
    CMacroList macros, bullets;
    macros.Add(Macro(0x000101, 1));
    macros.Add(Macro(0x000102, 2));  // named by no key
    macros.Add(Macro(0x000103, 3));
    bullets.Add(Macro(0x000201, 4));
    ProfileRecord pro{};
    pro.nID = 3;
    pro.Ms.Mode[2].Key[4][20].FunID = MakeFunID(FUN_MACRO, 0);
    pro.Ms.Mode[2].Key[4][20].MacroID = 0x000101;
    pro.Kb.Key[131].FnFun.FunID = MakeFunID(FUN_MACRO, 0);
    pro.Kb.Key[131].FnFun.MacroID = 0x000103;
    pro.Kb.DirectKey[6].FunID = MakeFunID(FUN_BULLET, 0);
    pro.Kb.DirectKey[6].MacroID = 0x000201;
    pro.Kb.Key[0].FunID = MakeFunID(FUN_MACRO, 0);
    pro.Kb.Key[0].MacroID = 0x000999;  // deleted since
    pro.Ms.Mode[0].Key[0][0].FunID = MakeFunID(FUN_KEY, 0);
    pro.Ms.Mode[0].Key[0][0].MacroID = 0x000102;  // not a macro key: its stale id names nothing
    SensorCfg sensor{};
    sensor.nSensor = 0x3360;
    const int levels[kMsModeCount] = {2, 1, 0};

    auto snap = MakeApplySnapshot(pro, macros, bullets, &sensor, 0x3360, levels, 1, true);
    ASSERT_NE(snap, nullptr);
    EXPECT_EQ(std::memcmp(&snap->pro, &pro, sizeof pro), 0);
    EXPECT_EQ(snap->macros.Count(), 2);
    ASSERT_NE(snap->macros.FindById(0x000101), nullptr);
    EXPECT_EQ(snap->macros.FindById(0x000101)->Action[0].byCode, 1);
    EXPECT_NE(snap->macros.FindById(0x000103), nullptr);
    EXPECT_EQ(snap->macros.FindById(0x000102), nullptr);
    EXPECT_EQ(snap->bullets.Count(), 1);
    ASSERT_TRUE(snap->sensor.has_value());
    EXPECT_EQ(snap->sensor->nSensor, 0x3360);
    EXPECT_EQ(snap->nCurDpiLevel[0], 2);
    EXPECT_EQ(snap->nCurDpiLevel[1], 1);
    EXPECT_EQ(snap->nCurMode, 1);
    EXPECT_TRUE(snap->bReset);

    // The user goes on editing: the job keeps what was asked for.
    macros.FindById(0x000101)->Action[0].byCode = 99;
    macros.Remove(macros.FindById(0x000103));
    pro.Ms.Mode[2].Key[4][20].MacroID = 0;
    sensor.nSensor = 0;
    EXPECT_EQ(snap->macros.FindById(0x000101)->Action[0].byCode, 1);
    EXPECT_NE(snap->macros.FindById(0x000103), nullptr);
    EXPECT_EQ(snap->pro.Ms.Mode[2].Key[4][20].MacroID, 0x000101u);
    EXPECT_EQ(snap->sensor->nSensor, 0x3360);
}

TEST(HidDevSnapshot, TwoKeysNamingOneMacroCopyItOnce)
{
    CMacroList macros;
    macros.Add(Macro(0x000101, 1));
    ProfileRecord pro{};
    for (int m = 0; m < kMsModeNum; ++m) {
        pro.Ms.Mode[m].Key[0][1].FunID = MakeFunID(FUN_MACRO, 0);
        pro.Ms.Mode[m].Key[0][1].MacroID = 0x000101;
    }
    const int levels[kMsModeCount] = {};
    auto snap = MakeApplySnapshot(pro, macros, CMacroList(), nullptr, 0, levels, -1, false);
    EXPECT_EQ(snap->macros.Count(), 1);
    EXPECT_FALSE(snap->sensor.has_value());
}

}  // namespace
