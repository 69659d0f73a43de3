// The music effects on a small keyboard of sixteen keys in six rows: the
// layout and its rows, the ET key groups, and the frames of the effects for
// known band levels.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "TestSupport.h"
#include "keys/FunId.h"
#include "keys/KeyCodes.h"
#include "lighting/MusicEffects.h"

namespace {
KeyInfo Key(uint8_t vk, int nLed, int x, int y, uint8_t byMod = 0)
{
    KeyInfo k{};
    k.FunID = MakeFunID(FUN_KEY, 0);
    k.byKey1 = byMod ? 0 : vk;
    k.byModifier = byMod;
    k.LedInx = nLed;
    k.rcKey = {x, y, x + 10, y + 10};
    return k;
}

// Rows of F1 F2 F3 / 1 2 3 / Q W E / A S D / X left-Shift / Space right-Ctrl,
// LEDs 0..15 in that order; one key with a light past the frame, one without.
std::vector<KeyInfo> SmallKeyboard()
{
    return {Key(0x70, 0, 0, 0),    Key(0x71, 1, 10, 0),   Key(0x72, 2, 20, 0),  Key('1', 3, 0, 10),
            Key('2', 4, 10, 10),   Key('3', 5, 20, 10),   Key('Q', 6, 0, 20),   Key('W', 7, 10, 20),
            Key('E', 8, 20, 20),   Key('A', 9, 0, 30),    Key('S', 10, 10, 30), Key('D', 11, 20, 30),
            Key('X', 12, 10, 40),  Key(0, 13, 0, 40, kModLShift), Key(kVkSpace, 14, 0, 50),
            Key(0, 15, 10, 50, kModRCtrl), Key('Z', 130, 20, 40), Key('C', -1, 20, 50)};
}

class MusicEffects : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::vector<KeyInfo> keys = SmallKeyboard();
        m_layout = MakeMusicLayout(keys);
        m_s.bMusicOff = 0;
        m_s.bMusicColorful = 0;
        m_s.clrMusic = 0x0000FF;  // red
    }
    // Writes an ET file and reads it as bars.
    EtBars Bars(const std::string& text)
    {
        test::WriteBytes(m_dir / "bars.txt", text);
        return ReadEtBars(m_dir / "bars.txt", m_layout);
    }
    // The colour of an LED in the frame with RGBIndex 2, 1, 0 (R | G<<8 | B<<16).
    static uint32_t At(const MusicFrame& f, int nLed)
    {
        const uint8_t* p = &f[size_t(nLed) * 3];
        return uint32_t(p[2]) | uint32_t(p[1]) << 8 | uint32_t(p[0]) << 16;
    }
    bool Step(const BandLevels& lv)
    {
        return MusicStep(m_st, m_layout, m_groups, m_s, m_rgb, lv, m_frame);
    }
    static BandLevels Bands(std::initializer_list<int> first)
    {
        BandLevels lv{};
        size_t i = 0;
        for (int n : first) lv[i++] = n;
        return lv;
    }

    test::CTempDir m_dir;
    MusicLayout m_layout;
    MusicSettings m_s;
    MusicGroups m_groups;
    MusicEffectState m_st{7};
    RgbIndex m_rgb{2, 1, 0};
    MusicFrame m_frame{};
};
}  // namespace

TEST_F(MusicEffects, LayoutKeepsLitKeysAndFindsTheSixRows)
{
    EXPECT_EQ(m_layout.keys.size(), 16u);  // LED 130 and the unlit key are left out
    const std::vector<std::vector<int>> rows = {{0, 1, 2}, {3, 4, 5}, {6, 7, 8}, {9, 10, 11}, {13, 12}, {14, 15}};
    for (size_t r = 0; r < rows.size(); ++r) EXPECT_EQ(m_layout.rows[r], rows[r]) << "row " << r;
    EXPECT_EQ(m_layout.nKeyHeight, 10);
    // Modifier keys by their bit: generic and left Shift are the same key.
    EXPECT_EQ(m_layout.LedOfVk(kVkShift), 13);
    EXPECT_EQ(m_layout.LedOfVk(kVkLShift), 13);
    EXPECT_EQ(m_layout.LedOfVk(kVkRControl), 15);
    EXPECT_EQ(m_layout.LedOfVk(kVkControl), -1);  // left Ctrl is not on this keyboard
    EXPECT_EQ(m_layout.LedOfVk('Z'), -1);
    EXPECT_EQ(m_layout.LedAt(15, 25), 7);
    EXPECT_EQ(m_layout.LedAt(35, 25), -1);
}

TEST_F(MusicEffects, EtReaderSkipsCommentsUnknownAndUnlitKeys)
{
    const EtBars b = Bars("; a comment\n\nf1:1,nosuchkey:q\r\n  ; indented comment\nz,c:shift,rctrl\n"
                          "a:s:d:x:f1:f2:f3:1:2:3\n");
    ASSERT_TRUE(b.bLoaded);
    ASSERT_EQ(b.bars.size(), 3u);
    EXPECT_EQ(b.bars[0], (std::vector<LedGroup>{{0}, {3}, {6}}));
    EXPECT_EQ(b.bars[1], (std::vector<LedGroup>{{13, 15}}));  // z (LED 130) and c (no light) dropped
    EXPECT_EQ(b.bars[2].size(), size_t(kEtMaxSegments));

    test::WriteBytes(m_dir / "units.txt", "; only\n\nnosuchkey,z\nq,w,e\n");
    const EtUnits u = ReadEtUnits(m_dir / "units.txt", m_layout);
    ASSERT_TRUE(u.bLoaded);
    EXPECT_EQ(u.units, (std::vector<LedGroup>{{6, 7, 8}}));

    test::WriteBytes(m_dir / "empty.txt", "; nothing but comments\n\n");
    EXPECT_FALSE(ReadEtUnits(m_dir / "empty.txt", m_layout).bLoaded);
    EXPECT_FALSE(ReadEtBars(m_dir / "missing.txt", m_layout).bLoaded);
    EXPECT_TRUE(ReadEtBars(m_dir / "missing.txt", m_layout).bars.empty());
}

TEST_F(MusicEffects, MissingFilesAreNamedAndLightNothing)
{
    std::vector<std::string> missing;
    m_groups = LoadMusicGroups(m_dir.Path(), m_layout, kMusicBars, &missing);
    EXPECT_EQ(missing, (std::vector<std::string>{"stream", "audiobar"}));
    missing.clear();
    m_groups = LoadMusicGroups(m_dir.Path(), m_layout, kMusicFlower, &missing);
    EXPECT_EQ(missing, (std::vector<std::string>{"flower"}));
    m_s.nMusicMode = kMusicFlower;
    EXPECT_TRUE(Step(Bands({100})));
    EXPECT_EQ(m_frame, MusicFrame{});
}

// A bar of three segments: each worth a third of the level, the first
// segment past the lit ones dimmed by the remainder.
TEST_F(MusicEffects, BarsLightWholeSegmentsAndDimTheNext)
{
    m_groups.audiobar = Bars("f1:1:q\n");
    struct Case {
        int nLevel;
        uint32_t f1, one, q;
    };
    const Case cases[] = {
        {0, 0, 0, 0},
        {50, 0x0000FF, 0x00007F, 0},
        {67, 0x0000FF, 0x0000FF, 0x000002},
        {100, 0x0000FF, 0x0000FF, 0x0000FF},
        {250, 0x0000FF, 0x0000FF, 0x0000FF},  // a gain of 2.0 goes past the grid: capped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nLevel);
        ASSERT_TRUE(Step(Bands({c.nLevel})));
        EXPECT_EQ(At(m_frame, 0), c.f1);
        EXPECT_EQ(At(m_frame, 3), c.one);
        EXPECT_EQ(At(m_frame, 6), c.q);
        EXPECT_EQ(At(m_frame, 9), 0u);
    }
}

TEST_F(MusicEffects, RgbIndexPlacesTheChannels)
{
    m_groups.audiobar = Bars("f2\n");
    m_s.clrMusic = 0x332211;  // R 0x11, G 0x22, B 0x33
    for (const RgbIndex& idx : {RgbIndex{2, 1, 0}, RgbIndex{0, 1, 2}, RgbIndex{1, 2, 0}}) {
        m_rgb = idx;
        ASSERT_TRUE(Step(Bands({100})));
        EXPECT_EQ(m_frame[3 + idx[0]], 0x11);
        EXPECT_EQ(m_frame[3 + idx[1]], 0x22);
        EXPECT_EQ(m_frame[3 + idx[2]], 0x33);
    }
}

TEST_F(MusicEffects, RowsFollowTheirBandsCountedInKeysOfTheTopRow)
{
    m_s.nMusicMode = kMusicKeyRows;
    ASSERT_TRUE(Step(Bands({50, 100, 0, 34, 100, 10})));
    const std::vector<uint32_t> want = {
        0x0000FF, 0x00007F, 0,         // row 0 at 50: 1.5 keys
        0x0000FF, 0x0000FF, 0x0000FF,  // row 1 at 100
        0,        0,        0,         // row 2 silent
        0x0000FF, 0x000005, 0,         // row 3 at 34: 1.02 keys
        0x0000FF, 0x0000FF,            // row 4 (left Shift, X) at 100: both keys it has
        0x00004C, 0};                  // row 5 at 10: 0.3 of the space bar
    const int leds[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 12, 14, 15};
    for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(At(m_frame, leds[i]), want[i]) << "LED " << leds[i];
}

TEST_F(MusicEffects, PulseColourFollowsTheLevelAndFallsByTen)
{
    m_s.nMusicMode = kMusicPulse;
    m_s.bMusicColorful = 1;
    struct Case {
        int e;
        uint32_t clr;
    };
    const Case cases[] = {{40, 0xFF0000}, {41, 0xFFFF00}, {50, 0xFFFF00}, {51, 0x00FF00}, {61, 0x00FFFF},
                          {71, 0x0080FF}, {81, 0xFF00FF}, {90, 0xFF00FF}, {91, 0x0000FF}, {100, 0x0000FF}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.e);
        m_st = MusicEffectState(7);
        ASSERT_TRUE(Step(Bands({0, c.e})));
        EXPECT_EQ(At(m_frame, 14), Dim(c.clr, c.e / 100.0));
    }
    // Band 11 stands in for a silent band 1; a quieter loop lets the held level fall by ten.
    m_st = MusicEffectState(7);
    BandLevels lv{};
    lv[11] = 91;
    ASSERT_TRUE(Step(lv));
    EXPECT_EQ(At(m_frame, 0), Dim(0x0000FF, 0.91));
    ASSERT_TRUE(Step(Bands({0, 20})));
    EXPECT_EQ(At(m_frame, 0), Dim(0x0000FF, 0.81));
}

TEST_F(MusicEffects, FlowerFallsByAtMostFivePerFrame)
{
    m_s.nMusicMode = kMusicFlower;
    m_groups.flower.units = {{0}, {3}, {6}, {9}};
    m_groups.flower.bLoaded = true;
    ASSERT_TRUE(Step(Bands({100})));
    EXPECT_EQ(At(m_frame, 9), 0x0000FFu);
    ASSERT_TRUE(Step(Bands({0})));  // 95: three units and most of the fourth
    EXPECT_EQ(At(m_frame, 6), 0x0000FFu);
    EXPECT_EQ(At(m_frame, 9), Dim(0x0000FF, 0.8));
    ASSERT_TRUE(Step(Bands({30})));  // 90 is above 30: still falling
    EXPECT_EQ(At(m_frame, 9), Dim(0x0000FF, 0.6));
}

TEST_F(MusicEffects, HistoryShiftsBandZeroEverySecondLoop)
{
    m_s.nMusicMode = kMusicHistory;
    m_groups.audiobar = Bars("f1\nf2\nf3\n");
    std::vector<bool> sent;
    for (int v : {100, 0, 40, 0, 0}) sent.push_back(Step(Bands({v})));
    EXPECT_EQ(sent, (std::vector<bool>{true, false, true, false, true}));
    // Bars 0, 1, 2 now show band 0 of the last three drawn loops: 0, 40, 100.
    EXPECT_EQ(At(m_frame, 0), 0u);
    EXPECT_EQ(At(m_frame, 1), Dim(0x0000FF, 0.4));
    EXPECT_EQ(At(m_frame, 2), 0x0000FFu);
}

TEST_F(MusicEffects, SilenceSendsOneFrameInAHundredAndOneAfterAHundredLoops)
{
    m_groups.audiobar = Bars("f1\n");
    int nSent = 0;
    std::vector<int> late;
    for (int i = 1; i <= 303; ++i)
        if (Step(Bands({0}))) {
            ++nSent;
            if (i > 100) late.push_back(i);
        }
    EXPECT_EQ(nSent, 103);
    EXPECT_EQ(late, (std::vector<int>{101, 202, 303}));
    EXPECT_TRUE(Step(Bands({1})));  // the first sound resumes the frames
    EXPECT_TRUE(Step(Bands({0})));
}

TEST_F(MusicEffects, WaveLightsTheCentreWhenSilentAndItsPhaseWraps)
{
    m_s.nMusicMode = kMusicWave;
    ASSERT_TRUE(Step(Bands({0})));
    // The centre line (y 30) crosses the A row only.
    for (int nLed = 0; nLed < 16; ++nLed) EXPECT_EQ(At(m_frame, nLed) != 0, nLed >= 9 && nLed <= 11) << nLed;
    for (int i = 0; i < 17; ++i) Step(Bands({0}));
    EXPECT_EQ(m_st.nPhase, 0);
    Step(Bands({0}));
    EXPECT_EQ(m_st.nPhase, 700);
}

TEST_F(MusicEffects, BeatEffectsAreRepeatableAndReactToBeats)
{
    for (int nMode : {kMusicSplashes, kMusicDashes, kMusicSpread}) {
        SCOPED_TRACE(nMode);
        m_s.nMusicMode = nMode;
        std::vector<MusicFrame> runs[2];
        for (auto& run : runs) {
            m_st = MusicEffectState(11);
            for (int i = 0; i < 40; ++i) {
                const int v = (i * 37) % 101;
                if (Step(Bands({v, 100 - v, v, v, v, v}))) run.push_back(m_frame);
            }
        }
        EXPECT_EQ(runs[0], runs[1]);
        EXPECT_TRUE(std::ranges::any_of(runs[0], [](const MusicFrame& f) { return f != MusicFrame{}; }));
    }
    // Dashes: band 1 rising to 60 lights every key for two frames.
    m_s.nMusicMode = kMusicDashes;
    m_st = MusicEffectState(3);
    Step(Bands({0, 10}));
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(Step(Bands({0, 60})));
        for (int nLed = 0; nLed < 16; ++nLed) EXPECT_EQ(At(m_frame, nLed), 0x0000FFu) << nLed;
    }
    // Spread: band 0 rising to 60 blanks two frames.
    m_s.nMusicMode = kMusicSpread;
    m_st = MusicEffectState(3);
    Step(Bands({10, 100, 100, 100, 100, 100}));
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(Step(Bands({60, 100, 100, 100, 100, 100})));
        EXPECT_EQ(m_frame, MusicFrame{});
    }
}

TEST_F(MusicEffects, ColourWaveHoldsThenFadesWithPhasesFromTheLastUnit)
{
    // The stream wave: 120 ms of 0x0000C8, then 450 ms towards blue.
    EXPECT_EQ(WaveColour(false, 2, 3, 0), 0x0000C8u);
    EXPECT_EQ(WaveColour(false, 2, 3, 3), 0x0000C8u);   // 90 ms
    EXPECT_EQ(WaveColour(false, 2, 3, 4), 0x0000C8u);   // 120 ms: the fade begins
    EXPECT_EQ(WaveColour(false, 2, 3, 5), 0x1100BBu);   // 30 ms of 450 towards blue
    EXPECT_EQ(WaveColour(false, 2, 3, 57), 0x0000C8u);  // the 1710 ms cycle
    EXPECT_EQ(WaveColour(false, 1, 3, 0), WaveColour(false, 2, 3, 4));  // 120 ms ahead
    // The flower wave: six colours of 360 ms, units half a cycle's share apart.
    EXPECT_EQ(WaveColour(true, 3, 4, 0), 0x0000FFu);
    EXPECT_EQ(WaveColour(true, 3, 4, 12), 0xFF00FFu);
    EXPECT_EQ(WaveColour(true, 2, 4, 0), WaveColour(true, 3, 4, 9));  // 2160 / 4 / 2 = 270 ms
}
