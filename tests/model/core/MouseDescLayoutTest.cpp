// The mouse key layout: rectangles on the key page, functions from the stored
// key configuration or from the sensor, matrix positions from the sensor.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "model/core/MouseDescFixture.h"

using namespace mstest;

namespace {

using Rect4 = std::array<int32_t, 4>;
Rect4 R(const ZRect& rc) { return {rc.left, rc.top, rc.right, rc.bottom}; }

constexpr std::string_view kSevenKeys =
    "KEYY=10\nKEYH=6\nK1_1=1,11,0,1\nK2_1=1,13,0,2\nK3_1=1,12,0,3\nK4_1=1,15,0,4\nK5_1=1,14,0,5\n"
    "K6_1=8,A8,0,6\nK7_1=8,A9,0,7\nK1_3=8,AA,0,1\nK2_3=1,13,0,2\nK3_3=1,12,0,3\nK4_3=1,15,0,4\nK5_3=1,14,0,5\n"
    "K6_3=1,11,0,6\nK7_3=8,A2,0,7\n";

// A keycfg.kyg image whose layout holds FunID = 0x05000000 + mode * 100 + slot.
std::unique_ptr<KeyCfgFile> KeyCfg(uint32_t nMagic)
{
    auto buf = std::make_unique<KeyCfgFile>();
    buf->dwMagic = nMagic;
    for (int m = 0; m < kMsModeCount; ++m) {
        for (int i = 0; i < kMsKeyCount; ++i) {
            buf->Key[m][i].FunID = 0x05000000u + uint32_t(m * 100 + i);
            buf->Key[m][i].MatrixInx = 99;
            buf->Key[m][i].rcKey = {1, 1, 1, 1};
        }
    }
    return buf;
}

class MouseLayoutTest : public MouseDescFixture {
protected:
    void SetUp() override
    {
        MouseDescFixture::SetUp();
        KeyInfo stale{};
        stale.FunID = 7;
        std::fill(&g_MsKeyLayout[0][0], &g_MsKeyLayout[0][0] + kMsModeCount * kMsKeyCount, stale);
    }
};

}  // namespace

TEST_F(MouseLayoutTest, FromTheSensorWithSevenKeysInView)
{
    gVar.nViewKeyNum = 7;
    Load("", kSevenKeys);
    ASSERT_EQ(Messages(), Msgs{});
    BuildMouseKeyLayout(nullptr, m_prompt);
    EXPECT_EQ(Messages(), Msgs{});
    for (int i = 0; i < 7; ++i) EXPECT_EQ(R(g_MsKeyLayout[0][i].rcKey), (Rect4{45, 10 + i * 30, 250, 34 + i * 30})) << i;
    for (int i = 7; i < kMsKeyCount; ++i) EXPECT_EQ(R(g_MsKeyLayout[1][i].rcKey), R(g_MsKeyLayout[1][i % 7].rcKey)) << i;
    EXPECT_EQ(g_MsKeyLayout[0][0].FunID, 0x01000011u);
    EXPECT_EQ(g_MsKeyLayout[0][6].FunID, 0x080000A9u);
    EXPECT_EQ(g_MsKeyLayout[1][6].FunID, 0x080000A9u);  // mode 2 copied
    EXPECT_EQ(g_MsKeyLayout[2][0].FunID, 0x080000AAu);
    EXPECT_EQ(g_MsKeyLayout[2][6].MatrixInx, 7);
    EXPECT_EQ(g_MsKeyLayout[2][7].FunID, 0u);
    EXPECT_EQ(g_MsKeyLayout[2][7].MatrixInx, 0);
}

TEST_F(MouseLayoutTest, AllKeysInViewByDefault)
{
    Load("", "KEYY=100\nKEYH=2");
    BuildMouseKeyLayout(nullptr, m_prompt);
    EXPECT_EQ(Messages(), Msgs{});
    EXPECT_EQ(R(g_MsKeyLayout[2][20].rcKey), (Rect4{45, 100 + 20 * 26, 250, 124 + 20 * 26}));
    EXPECT_EQ(g_MsKeyLayout[2][20].FunID, 0u);

    // Extreme heights from the file do not overflow.
    SetUp();
    gVar.nViewKeyNum = 40;
    Load("", "KEYY=2000000000\nKEYH=2000000000");
    BuildMouseKeyLayout(nullptr, m_prompt);
    EXPECT_EQ(g_MsKeyLayout[0][20].rcKey.top, INT32_MAX);
    EXPECT_EQ(g_MsKeyLayout[0][0].rcKey.top, 2000000000);
}

TEST_F(MouseLayoutTest, FunctionsFromTheKeyConfigurationPositionsFromTheSensor)
{
    Load("", kSevenKeys);
    BuildMouseKeyLayout(KeyCfg(kKeyCfgMagic).get(), m_prompt);
    EXPECT_EQ(Messages(), Msgs{});
    EXPECT_EQ(g_MsKeyLayout[1][3].FunID, 0x05000000u + 103);
    EXPECT_EQ(g_MsKeyLayout[1][3].MatrixInx, 4);
    EXPECT_EQ(g_MsKeyLayout[2][20].FunID, 0x05000000u + 220);
    EXPECT_EQ(g_MsKeyLayout[2][20].MatrixInx, 0);
    EXPECT_EQ(R(g_MsKeyLayout[0][0].rcKey), (Rect4{45, 10, 250, 34}));

    // A wrong magic (or none read): the sensor's keys.
    BuildMouseKeyLayout(KeyCfg(kKeyCfgMagic + 1).get(), m_prompt);
    EXPECT_EQ(g_MsKeyLayout[1][3].FunID, 0x01000015u);
    EXPECT_EQ(g_MsKeyLayout[2][0].FunID, 0x080000AAu);
    EXPECT_EQ(g_MsKeyLayout[1][3].MatrixInx, 4);
    EXPECT_EQ(Messages(), Msgs{});
}

TEST_F(MouseLayoutTest, WithoutASensorDescriptionTheKeysHaveNoFunction)
{
    LoadText("[MS]\nSensor=0x3389\n[SENSOR_1]\nSensor=0x3360\nK1_1=1,11,0,1\n");
    ASSERT_EQ(pSensorCfg, nullptr);
    m_prompt.Clear();
    gVar.nViewKeyNum = 3;
    BuildMouseKeyLayout(nullptr, m_prompt);
    EXPECT_EQ(Messages(), Msgs{});
    EXPECT_EQ(g_MsKeyLayout[0][0].FunID, 0u);
    EXPECT_EQ(g_MsKeyLayout[0][0].MatrixInx, 0);
    EXPECT_EQ(R(g_MsKeyLayout[0][2].rcKey), (Rect4{45, 70, 250, 94}));  // KEYY 10, KEYH 6
    // A stored configuration still gives its functions.
    BuildMouseKeyLayout(KeyCfg(kKeyCfgMagic).get(), m_prompt);
    EXPECT_EQ(g_MsKeyLayout[0][2].FunID, 0x05000002u);
    EXPECT_EQ(g_MsKeyLayout[0][2].MatrixInx, 0);
}

TEST_F(MouseLayoutTest, AKeyAtAnotherMatrixPositionInMode2)
{
    Load("", std::string(kSevenKeys) +
                 "K1_2=1,11,0,1\nK2_2=1,13,0,3\nK3_2=1,12,0,2\nK4_2=1,15,0,4\nK5_2=1,14,0,5\nK6_2=8,A8,0,6\nK7_2=8,A9,0,7");
    ASSERT_EQ(Messages(), Msgs{});
    BuildMouseKeyLayout(nullptr, m_prompt);
    // Two keys differ; one message says so, the log names each.
    EXPECT_EQ(Messages(), (Msgs{{"Matrix index repeat", "Warning"}}));
    EXPECT_EQ(g_MsKeyLayout[1][1].MatrixInx, 3);
    EXPECT_EQ(g_MsKeyLayout[0][1].MatrixInx, 2);
}
