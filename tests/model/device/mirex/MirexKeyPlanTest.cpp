// Key matrices and buffer numbering of an apply, from a profile alone.
#include <gtest/gtest.h>

#include "core/SensorTables.h"
#include "device/mouse/MouseKeyPlan.h"
#include "model/device/mirex/MirexTestSupport.h"

using namespace mirex;
using mirextest::Act;
using mirextest::Key;
using mirextest::Macro;

namespace {

class MirexKeyPlanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitSensorTables();
        m_in.pMs = &m_ms;
        m_in.pMacros = &m_macros;
        m_in.pBullets = &m_bullets;
        m_in.nSensor = 0x3360;
        m_in.nMsFw = 0x12;  // kind 2 with bullets
        for (auto& mode : m_in.nMatrixPos)
            for (int k = 0; k < kMsKeyNum; ++k) mode[k] = k + 1;  // slot k at position k + 1
    }
    void Set(int nMode, int nSlot, const KeyInfo& key) { m_ms.Mode[nMode].Key[0][nSlot] = key; }
    void AddMacro(uint32_t id) { m_macros.Add(Macro(id, {Act('A', 0, 1, 10)}, 0, 2)); }
    void AddBullet(uint32_t id) { m_bullets.Add(Macro(id, {Act(kBulletCodeMove, 0, 0x0100, 10)})); }

    MsSettings m_ms{};
    CMacroList m_macros, m_bullets;
    MouseKeyInput m_in;
};

}  // namespace

TEST_F(MirexKeyPlanTest, EmptyPositionsAreOffAndKeysGoToTheirPosition)
{
    Set(0, 0, Key(kFunLeftClick));
    m_in.nMatrixPos[0][0] = 7;
    const MouseKeyPlan plan = BuildKeyPlan(m_in);
    EXPECT_EQ(plan.nModes, 3);
    EXPECT_EQ(plan.matrix[0][6], 0x111u);
    EXPECT_EQ(plan.matrix[0][0], kKeyOff);
    EXPECT_EQ(plan.matrix[1][6], kKeyOff);
    EXPECT_TRUE(plan.notices.empty());
}

TEST_F(MirexKeyPlanTest, AMacroOnSeveralKeysIsWrittenOnce)
{
    AddMacro(0x111);
    AddMacro(0x222);
    Set(0, 0, Key(kFunMacro, 0x222));
    Set(0, 3, Key(kFunMacro, 0x111));
    Set(1, 5, Key(kFunMacro, 0x222));
    const MouseKeyPlan plan = BuildKeyPlan(m_in);
    ASSERT_EQ(plan.macros.size(), 2u);
    EXPECT_EQ(plan.macros[0].dwMacroID, 0x222u);
    EXPECT_EQ(plan.macros[0].nNumber, 1);
    EXPECT_EQ(EmuHex(plan.macros[0].bytes), "00 01 50 0a 04");
    EXPECT_EQ(plan.matrix[0][0], 0x02010170u);  // buffer 1, repeat mode 1, count 2
    EXPECT_EQ(plan.matrix[1][5], 0x02010170u);
    EXPECT_EQ(plan.matrix[0][3], 0x02010270u);
}

TEST_F(MirexKeyPlanTest, BulletsAreNumberedBehindTheMacros)
{
    AddMacro(0x111);
    AddBullet(0x333);
    AddBullet(0x444);
    Set(0, 0, Key(kFunBullet, 0x444));
    Set(0, 1, Key(kFunMacro, 0x111));
    Set(0, 2, Key(kFunGunPreset, 0, PackGunPreset({1, 0, 3, 9})));
    Set(0, 4, Key(kFunBullet, 0x333));
    MouseKeyPlan plan = BuildKeyPlan(m_in);
    // Kind 2: bullet buffers from 11; the key names the bullet number + 0x80.
    ASSERT_EQ(plan.bullets.size(), 2u);
    EXPECT_EQ(plan.bullets[0].nNumber, 11);
    EXPECT_EQ(plan.bullets[1].nNumber, 12);
    // Bullet and gun keys are numbered 1, 2, 3 in matrix order.
    EXPECT_EQ(plan.matrix[0][0], 0x01018161u);
    EXPECT_EQ(plan.matrix[0][2], 0x03090262u);
    EXPECT_EQ(plan.matrix[0][4], 0x01018263u);

    m_in.nMsFw = 0x11;  // another kind: right after the one macro
    plan = BuildKeyPlan(m_in);
    EXPECT_EQ(plan.bullets[0].nNumber, 2);
    EXPECT_EQ(plan.bullets[1].nNumber, 3);
}

TEST_F(MirexKeyPlanTest, KeysNamingNothingAreSwitchedOff)
{
    fake::CLogCapture log;
    AddBullet(0x333);
    Set(0, 0, Key(kFunMacro, 0x999));
    Set(0, 1, Key(kFunBullet, 0x333));
    m_in.nMsFw = 0x02;  // no bullets on this mouse
    const MouseKeyPlan plan = BuildKeyPlan(m_in);
    EXPECT_EQ(plan.matrix[0][0], kKeyOff);
    EXPECT_EQ(plan.matrix[0][1], kKeyOff);
    EXPECT_TRUE(plan.macros.empty());
    EXPECT_TRUE(plan.bullets.empty());
    EXPECT_EQ(log.Count("Key[0][0] Set To Macro NULL"), 1);
}

TEST_F(MirexKeyPlanTest, BufferCapsSwitchKeysOffWithOneNotice)
{
    struct Row {
        int32_t nMsFw;
        int nMacros, nBullets;     // keys of each
        size_t nMacroBufs, nBulletBufs;
    };
    const Row rows[] = {
        {0x12, 11, 0, 10, 0},   // kind 2: ten macros
        {0x12, 0, 11, 0, 10},   // and ten bullets
        {0x11, 0, 9, 0, 8},     // others: eight bullets
        {0x11, 18, 2, 18, 2},   // twenty buffers in all
    };
    for (const Row& r : rows) {
        m_ms = MsSettings{};
        m_macros.Clear();
        m_bullets.Clear();
        m_in.nMsFw = r.nMsFw;
        int nSlot = 0;
        for (int i = 0; i < r.nMacros; ++i, ++nSlot) {
            AddMacro(0x100 + i);
            Set(nSlot / 20, nSlot % 20, Key(kFunMacro, 0x100 + i));
        }
        for (int i = 0; i < r.nBullets; ++i, ++nSlot) {
            AddBullet(0x800 + i);
            Set(nSlot / 20, nSlot % 20, Key(kFunBullet, 0x800 + i));
        }
        const MouseKeyPlan plan = BuildKeyPlan(m_in);
        EXPECT_EQ(plan.macros.size(), r.nMacroBufs) << std::hex << r.nMsFw;
        EXPECT_EQ(plan.bullets.size(), r.nBulletBufs) << std::hex << r.nMsFw;
        const bool bCapped = r.nMacros + r.nBullets > int(r.nMacroBufs + r.nBulletBufs);
        EXPECT_EQ(plan.notices.size(), bCapped ? 1u : 0u) << std::hex << r.nMsFw;
        if (bCapped) {
            const int nLast = nSlot - 1;
            EXPECT_EQ(plan.matrix[nLast / 20][nLast % 20], kKeyOff);
        }
        for (const MouseBuffer& b : plan.macros) EXPECT_LE(b.nNumber, 20);
        for (const MouseBuffer& b : plan.bullets) EXPECT_LE(b.nNumber, 20);
    }
}

TEST_F(MirexKeyPlanTest, SixteenthBulletKeyWouldBecomeAMacroCode)
{
    m_in.nMsFw = 0x12;
    for (int k = 0; k < 16; ++k) Set(0, k, Key(kFunGunPreset, 0, PackGunPreset({1, 0, 0, 1})));
    const MouseKeyPlan plan = BuildKeyPlan(m_in);
    EXPECT_EQ(plan.matrix[0][14] & 0xFF, 0x6Fu);
    EXPECT_EQ(plan.matrix[0][15], kKeyOff);
    ASSERT_EQ(plan.notices.size(), 1u);
}

TEST_F(MirexKeyPlanTest, InvalidKeysAndPositionsAreNoticed)
{
    Set(0, 2, Key(MakeFunID(FUN_SPECIAL, kSpShift)));
    Set(0, 3, Key(kFunLeftClick));
    m_in.nMatrixPos[0][3] = 0;
    m_ms.Mode[1].nKeySet = 9;  // no such table: table 0
    Set(1, 0, Key(kFunLeftClick));
    const MouseKeyPlan plan = BuildKeyPlan(m_in);
    ASSERT_EQ(plan.notices.size(), 2u);
    EXPECT_EQ(plan.notices[0], "Invalid key 3: FunID=0x80000a3, MacroID=0x0, Name=");
    EXPECT_EQ(plan.notices[1], "Matrix inx warning: key 4 of mode 1");
    EXPECT_EQ(plan.matrix[0][2], kKeyOff);
    EXPECT_EQ(plan.matrix[1][0], 0x111u);
}
