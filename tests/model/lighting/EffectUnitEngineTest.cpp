// Frames of the keyboard preview effects on a small keyboard, against values
// worked out by hand from the effect rules.
#include <gtest/gtest.h>

#include <algorithm>

#include "lighting/EffectUnitEngine.h"

namespace {

constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kMagenta = 0xFF00FF;

// Two rows of keys, 40 pixels wide: Q W E / A S D, plus an empty slot and a
// left Shift stored by its generic code as the key table stores it.
std::vector<LightSlot> SmallKeyboard()
{
    std::vector<LightSlot> v;
    auto key = [&](uint8_t vk, int x, int y) {
        LightSlot s;
        s.nVk = vk;
        s.left = x, s.top = y, s.right = x + 40, s.bottom = y + 40;
        v.push_back(s);
    };
    key('Q', 0, 0), key('W', 40, 0), key('E', 80, 0);
    key('A', 0, 40), key('S', 40, 40), key('D', 80, 40);
    v.push_back(LightSlot{});
    key(16, 0, 80);
    return v;
}

UnitLibrary Library(UnitSet set, const char* text)
{
    UnitLibrary lib = BuiltInUnitLibrary();
    lib.sets[int(set)] = ParseUnitText(text, "t").units;
    return lib;
}

TEST(EffectColour, ScaleBlendAndBrightness)
{
    EXPECT_EQ(ScaleColor(0x6432FF, 4), 0x281466u);
    EXPECT_EQ(ScaleColor(0xFFFFFF, 10), 0xFFFFFFu);
    EXPECT_EQ(BlendColor(kGreen, kBlue, 200, 100), 0x7F8000u);
    EXPECT_EQ(BlendColor(kGreen, kBlue, 0, 5), kGreen);  // no steps: the first colour
    EXPECT_EQ(BlendColor(kRed, kBlue, 4, 4), kBlue);
    const int levels[][2] = {{-1, 0}, {0, 0}, {1, 4}, {2, 6}, {3, 8}, {4, 10}, {600, 10}};
    for (const auto& l : levels) EXPECT_EQ(BrightLevel(l[0]), l[1]) << l[0];
}

TEST(EffectWave, PhasesForwardBackwardAndRefusals)
{
    std::vector<WaveProgram::Unit> units(4);
    WaveProgram w;
    ASSERT_TRUE(BuildWave(w, units, {kRed, kGreen}, 100, 400, 200, 2.0, true));
    // step = 600 * 2 / 4 = 300, cycle 1200
    std::vector<int> phases;
    for (auto& u : w.units) phases.push_back(u.nPhase);
    EXPECT_EQ(phases, (std::vector<int>{0, 300, 600, 900}));
    ASSERT_TRUE(BuildWave(w, units, {kRed, kGreen}, 100, 400, 200, 3.0, false));
    // step 450: the last unit 0, then 450, 900, 1350 wraps to 150
    phases.clear();
    for (auto& u : w.units) phases.push_back(u.nPhase);
    EXPECT_EQ(phases, (std::vector<int>{150, 900, 450, 0}));

    const WaveProgram before = w;
    EXPECT_FALSE(BuildWave(w, std::vector<WaveProgram::Unit>(26), {kRed}, 100, 400, 200, 1, true));
    EXPECT_FALSE(BuildWave(w, units, {kRed}, 100, 450, 200, 1, true));  // hold not a multiple
    EXPECT_FALSE(BuildWave(w, units, {kRed}, 100, 400, 250, 1, true));  // fade not a multiple
    EXPECT_FALSE(BuildWave(w, {}, {kRed}, 100, 400, 200, 1, true));     // no unit: nothing to divide by
    EXPECT_EQ(w.units.size(), before.units.size());
    EXPECT_EQ(w.nCycle, before.nCycle);
}

TEST(EffectWave, HoldWithoutFadeSwitchesHardAndFadeBlends)
{
    std::vector<LightSlot> slots = SmallKeyboard();
    WaveProgram w;
    w.nUnitLevel = 180;
    std::vector<WaveProgram::Unit> one(1);
    one[0].slots = {0};
    const std::vector<uint32_t> five = {kRed, kGreen, kBlue, kMagenta, 0x00FFFF};
    ASSERT_TRUE(BuildWave(w, one, five, 100, 600, 0, 1, true));
    std::vector<uint32_t> seen;
    for (int i = 0; i < 31; ++i) {
        WaveFrame(w, slots);
        seen.push_back(slots[0].clr);
    }
    for (int i = 0; i < 31; ++i) EXPECT_EQ(seen[size_t(i)], five[size_t(i / 6 % 5)]) << i;
    EXPECT_EQ(slots[0].nLevel, 180);

    ASSERT_TRUE(BuildWave(w, one, {kGreen, kBlue}, 100, 200, 200, 1, true));
    std::vector<uint32_t> got;
    for (int i = 0; i < 5; ++i) {
        WaveFrame(w, slots);
        got.push_back(slots[0].clr);
    }
    // hold 2 frames of green, then the fade to blue at steps 0 and 1 of 2,
    // then blue
    EXPECT_EQ(got, (std::vector<uint32_t>{kGreen, kGreen, kGreen, 0x7F8000, kBlue}));
}

TEST(EffectEngine, StreamWaveFramesOnTheSmallKeyboard)
{
    const UnitLibrary lib = Library(UnitSet::Stream, "q,a\nw,s\ne,d,num5\n");
    CEffectEngine e(lib);
    std::vector<LightSlot> slots = SmallKeyboard();
    EffectSettings s;
    s.code = 7, s.speed = 0, s.bright = 4, s.colourful = true;
    e.Start(s, slots);
    // period 100, hold 400, fade 200, cycle 2400; step 600 × 2.5 / 3 = 500,
    // backward: unit 2 at 0, unit 1 at 500, unit 0 at 1000. Level 10 × 16.
    EXPECT_EQ(e.Period(), 100);
    EXPECT_EQ(slots[2].clr, kGreen);
    EXPECT_EQ(slots[5].clr, kGreen);
    EXPECT_EQ(slots[1].clr, 0x7F8000u);  // green→blue, step 100 of 200
    EXPECT_EQ(slots[0].clr, kBlue);
    EXPECT_EQ(slots[3].clr, kBlue);
    EXPECT_EQ(slots[0].nLevel, 160);
    EXPECT_EQ(slots[6].clr, 0u);  // the empty slot is in no unit
    e.Step(slots);
    EXPECT_EQ(slots[2].clr, kGreen);
    EXPECT_EQ(slots[1].clr, kBlue);
    EXPECT_EQ(slots[0].clr, 0xFF007Fu);  // blue→magenta, step 100 of 200

    // Dim brightness keeps the unit level at 50 at least.
    s.bright = 1;
    e.Start(s, slots);
    EXPECT_EQ(slots[0].nLevel, 64);
    s.bright = 0;
    e.Start(s, slots);
    EXPECT_EQ(slots[0].nLevel, 50);
}

TEST(EffectEngine, RunningLightFollowsTheRowsThereAndBack)
{
    const UnitLibrary lib = Library(UnitSet::Paoma, "q,w,e\na,s,d\n");
    EXPECT_EQ(PaomaPath(lib.Get(UnitSet::Paoma)), (std::vector<uint8_t>{'Q', 'W', 'E', 'D', 'S', 'A'}));
    const UnitLibrary three = Library(UnitSet::Paoma, "q,w\na,s\nshift\n");
    EXPECT_EQ(PaomaPath(three.Get(UnitSet::Paoma)), (std::vector<uint8_t>{'Q', 'W', 'S', 'A', 160, 'S', 'A'}));

    CEffectEngine e(lib);
    std::vector<LightSlot> slots = SmallKeyboard();
    EffectSettings s;
    s.code = 5, s.speed = 1, s.bright = 2, s.clr = 0x6464C8;
    e.Start(s, slots);
    EXPECT_EQ(e.Period(), 28);
    EXPECT_EQ(slots[0].nLevel, 200);
    EXPECT_EQ(slots[0].clr, 0x3C3C78u);  // × 6 / 10
    e.Step(slots);
    EXPECT_EQ(slots[0].nLevel, 192);
    EXPECT_EQ(slots[1].nLevel, 200);
    for (int i = 0; i < 5; ++i) e.Step(slots);
    // back at Q after six keys; A was lit last
    EXPECT_EQ(slots[0].nLevel, 200);
    EXPECT_EQ(slots[3].nLevel, 192);
    EXPECT_EQ(slots[1].nLevel, 200 - 5 * 8);
}

TEST(EffectEngine, FixonColoursUnitsOrShowsTheOneColour)
{
    const UnitLibrary lib = Library(UnitSet::Fixon, "q,a:200,0,0\nw,s:0,0,100\n");
    CEffectEngine e(lib);
    std::vector<LightSlot> slots = SmallKeyboard();
    EffectSettings s;
    s.code = 23, s.bright = 2, s.colourful = true;
    e.Start(s, slots);
    EXPECT_EQ(e.Period(), 0);
    EXPECT_EQ(slots[3].clr, 0x0000C8u);
    EXPECT_EQ(slots[4].clr, 0x640000u);
    EXPECT_EQ(slots[2].clr, 0u);  // E is in no unit
    EXPECT_EQ(slots[0].nLevel, 120);
    s.colourful = false, s.clr = 0x123456, s.bright = 9;
    e.Start(s, slots);
    for (const LightSlot& k : slots) EXPECT_EQ(k.clr, 0x123456u);
    EXPECT_EQ(slots[0].nLevel, 200);
}

TEST(EffectEngine, BreathFallsToDarkThenRises)
{
    const UnitLibrary lib = Library(UnitSet::Breath, "q:10,0,0\nshift:0,0,10\n");
    CEffectEngine e(lib);
    std::vector<LightSlot> slots = SmallKeyboard();
    EffectSettings s;
    s.code = 37;
    e.Start(s, slots);
    EXPECT_EQ(slots[0].clr, 0x00000Au);
    EXPECT_EQ(slots[7].clr, 0x0A0000u);  // "shift" finds the generic Shift code
    EXPECT_EQ(slots[0].nLevel, 200);
    for (int i = 0; i < 50; ++i) e.Step(slots);
    EXPECT_EQ(slots[0].nLevel, 0);
    e.Step(slots);
    EXPECT_EQ(slots[0].nLevel, 4);
}

TEST(EffectEngine, TwinkleLightsSevenDrawsOnAFewKeysAndOneKeyDoesNotHang)
{
    CEffectEngine e(BuiltInUnitLibrary());
    std::vector<LightSlot> slots = SmallKeyboard();
    slots.resize(5);  // Q W E A S
    EffectSettings s;
    s.code = 16, s.seed = 7, s.clr = kBlue;
    e.Start(s, slots);
    const auto lit = std::count_if(slots.begin(), slots.end(), [](const LightSlot& k) { return k.nLevel == 200; });
    EXPECT_GE(lit, 2);  // neighbouring draws differ
    EXPECT_LE(lit, 5);  // seven draws on five keys: some drawn twice
    for (const LightSlot& k : slots) EXPECT_TRUE(k.nLevel == 0 || k.nLevel == 200);

    slots.resize(1);
    e.Start(s, slots);  // a single key cannot be drawn "different from the one before"
    EXPECT_EQ(slots[0].nLevel, 200);
}

TEST(EffectEngine, FramesArePureInTheSettingsAndSteps)
{
    for (int code : {1, 3, 16, 21, 22, 31, 32, 35, 36}) {
        SCOPED_TRACE(code);
        const UnitLibrary lib = BuiltInUnitLibrary();
        CEffectEngine a(lib), b(lib);
        std::vector<LightSlot> sa = SmallKeyboard(), sb = SmallKeyboard();
        EffectSettings s;
        s.code = code, s.colourful = true, s.seed = 42;
        a.Start(s, sa);
        for (int i = 0; i < 3; ++i) a.Step(sa);
        b.Start(s, sb);
        for (int i = 0; i < 3; ++i) b.Step(sb);
        for (size_t i = 0; i < sa.size(); ++i) {
            EXPECT_EQ(sa[i].clr, sb[i].clr);
            EXPECT_EQ(sa[i].nLevel, sb[i].nLevel);
        }
    }
}

TEST(EffectEngine, CodesWithoutPreviewDarkenEveryKey)
{
    CEffectEngine e(BuiltInUnitLibrary());
    std::vector<LightSlot> slots = SmallKeyboard();
    EffectSettings s;
    s.code = 7;
    e.Start(s, slots);
    for (int code : {0, 4, 6, 25, 99}) {
        s.code = code;
        e.Start(s, slots);
        EXPECT_EQ(e.Type(), 0);
        EXPECT_EQ(e.Period(), 0);
        for (const LightSlot& k : slots) EXPECT_EQ(k.nLevel, 0);
    }
}

TEST(EffectEngine, ShimmerAndReactiveFade)
{
    CEffectEngine e(BuiltInUnitLibrary());
    std::vector<LightSlot> slots = SmallKeyboard();
    EffectSettings s;
    s.code = 17, s.speed = 2, s.clr = kGreen;
    e.Start(s, slots);
    e.Press(16, slots);  // generic Shift finds the left Shift key
    EXPECT_EQ(slots[7].nLevel, 220);
    EXPECT_EQ(slots[7].clr, kGreen);
    e.Step(slots);
    EXPECT_EQ(slots[7].nLevel, 200);
    for (int i = 0; i < 20; ++i) e.Step(slots);
    EXPECT_EQ(slots[7].nLevel, 0);

    s.code = 22, s.bright = 3, s.seed = 3;
    e.Start(s, slots);
    EXPECT_EQ(slots[0].nLevel, 150);
    bool differ = false;
    for (size_t i = 1; i < 6; ++i) differ |= slots[i].clr != slots[0].clr;
    EXPECT_TRUE(differ);
}

// Two rows found from Tab and Caps Lock: Tab Q W at the top, Caps A S below.
std::vector<LightSlot> TwoRows()
{
    std::vector<LightSlot> v;
    auto key = [&](uint8_t vk, int x, int y) {
        LightSlot s;
        s.nVk = vk;
        s.left = x, s.top = y, s.right = x + 40, s.bottom = y + 40;
        v.push_back(s);
    };
    key('W', 80, 0), key(9, 0, 0), key('Q', 40, 0);  // out of order on purpose
    key(20, 0, 40), key('A', 40, 40), key('S', 80, 40);
    return v;
}

TEST(EffectEngine, PingPongRowsRunOppositeWaysAndTurnAtTheEnds)
{
    CEffectEngine e(BuiltInUnitLibrary());
    std::vector<LightSlot> slots = TwoRows();
    EffectSettings s;
    s.code = 33, s.speed = 2, s.bright = 4, s.clr = kRed;
    e.Start(s, slots);  // row 0 at place 0 (Tab), row 1 at place 23: no key there
    EXPECT_EQ(e.Period(), 20);
    EXPECT_EQ(slots[1].nLevel, 200);
    EXPECT_EQ(slots[1].clr, kRed);
    for (size_t i : {0u, 2u, 3u, 4u, 5u}) EXPECT_EQ(slots[i].nLevel, 0) << i;
    e.Step(slots);  // Q, Tab fades by 12
    EXPECT_EQ(slots[2].nLevel, 200);
    EXPECT_EQ(slots[1].nLevel, 188);
    for (int i = 0; i < 20; ++i) e.Step(slots);  // row 1 reaches place 2 (S) after 21 frames
    EXPECT_EQ(slots[5].nLevel, 200);
}

TEST(EffectEngine, ReactiveGapDropsAPressedKeyAndLetsItRiseBack)
{
    CEffectEngine e(BuiltInUnitLibrary());
    std::vector<LightSlot> slots = SmallKeyboard();
    EffectSettings s;
    s.code = 18, s.speed = 3, s.bright = 2, s.clr = kBlue;
    e.Start(s, slots);
    EXPECT_EQ(slots[0].nLevel, 120);
    e.Press('W', slots);
    EXPECT_EQ(slots[1].nLevel, -50);
    e.Step(slots);
    EXPECT_EQ(slots[1].nLevel, -35);
    for (int i = 0; i < 20; ++i) e.Step(slots);
    EXPECT_EQ(slots[1].nLevel, 120);  // back at the top, not past it
    EXPECT_EQ(slots[0].nLevel, 120);
}

TEST(EffectEngine, DropsLightOneKeyPerColumnAndDarkenTheKeyAbove)
{
    CEffectEngine e(BuiltInUnitLibrary());
    std::vector<LightSlot> slots = SmallKeyboard();  // columns Q A, W S, E D in the built-in columns
    EffectSettings s;
    s.code = 15, s.bright = 3, s.clr = 0x0A0A0A, s.seed = 5;
    e.Start(s, slots);
    for (int f = 0; f < 12; ++f) {
        e.Step(slots);
        for (auto [top, bottom] : {std::pair{0, 3}, std::pair{1, 4}, std::pair{2, 5}}) {
            EXPECT_FALSE(slots[size_t(top)].nLevel > 0 && slots[size_t(bottom)].nLevel > 0) << f;
            for (int k : {top, bottom}) {
                if (slots[size_t(k)].nLevel > 0) {
                    EXPECT_EQ(slots[size_t(k)].clr, 0x0A0A0Au);  // level 8 counts as 10
                }
            }
        }
    }
}

TEST(EffectEngine, SineLightsKeysAlongTheCurveAndFadesThem)
{
    CEffectEngine e(BuiltInUnitLibrary());
    std::vector<LightSlot> slots = SmallKeyboard();
    EffectSettings s;
    s.code = 12, s.clr = kGreen;
    e.Start(s, slots);
    // Box 0..120 × 0..120: centre line 60, amplitude 50; phase 360 + d: the
    // curve starts on the centre line at x 5, inside A (0..40 × 40..80).
    EXPECT_EQ(slots[3].nLevel, 200);
    EXPECT_EQ(slots[3].clr, kGreen);
    e.Step(slots);
    for (const LightSlot& k : slots) EXPECT_TRUE(k.nLevel == 0 || k.nLevel == 150 || k.nLevel == 200);
}

TEST(EffectEngine, UnitSequenceHoldsTheLastWindmillUnitsLongerThenPauses)
{
    UnitLibrary lib = Library(UnitSet::Windmill, "q\nw\ne\n");
    lib.sets[int(UnitSet::Flower)] = ParseUnitText("a\n", "t").units;
    CEffectEngine e(lib);
    std::vector<LightSlot> slots = SmallKeyboard();
    EffectSettings s;
    s.code = 29, s.speed = 5, s.clr = kRed;  // 15 ms: the pause is 34 frames
    e.Start(s, slots);
    std::vector<int> lit;  // which of Q W E A is at 200 each frame
    auto which = [&] {
        for (int k : {0, 1, 2, 3})
            if (slots[size_t(k)].nLevel == 200) return k;
        return -1;
    };
    lit.push_back(which());
    for (int i = 0; i < 16 + 34; ++i) {
        e.Step(slots);
        lit.push_back(which());
    }
    // Q once, W on 5 frames, E on 9, then A, then 34 dark frames, then Q again.
    std::vector<int> want = {0, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 3};
    want.insert(want.end(), 34, -1);
    want.push_back(0);
    EXPECT_EQ(lit, want);
}

TEST(EffectEngine, StreamStaggersTheUnitsAndReversesEveryCycle)
{
    const UnitLibrary lib = Library(UnitSet::Stream, "q\nw\n");
    CEffectEngine e(lib);
    std::vector<LightSlot> slots = SmallKeyboard();
    EffectSettings s;
    s.code = 8, s.speed = 5, s.colourful = true;  // v 15: hold 3, fade 80, dark 50 ms; stagger 83 / 3 = 27
    e.Start(s, slots);
    EXPECT_EQ(e.Period(), 10);
    EXPECT_EQ(slots[0].nLevel, 200);  // unit 0 in its hold
    EXPECT_EQ(slots[1].nLevel, 0);    // unit 1 not started
    EXPECT_EQ(slots[0].clr, 0x0000FFu);
    e.Step(slots);  // t 10: unit 0 fading at step 7 of 80
    EXPECT_EQ(slots[0].nLevel, 230 - 200 * 7 / 80);
    // The cycle is 27 + 133 = 160 ms: 16 frames, then green, unit 1 first.
    for (int i = 0; i < 15; ++i) e.Step(slots);
    EXPECT_EQ(slots[1].clr, 0x00FF00u);
    EXPECT_EQ(slots[1].nLevel, 200);
    EXPECT_EQ(slots[0].nLevel, 0);
}

TEST(EffectEngine, ClosingBandsStepByTheFirstKeysWidthAndLightWhatTheyOverlap)
{
    // A row of ten 40-pixel keys: bands 80 wide, a step of 2.7 × 40 = 108.
    std::vector<LightSlot> slots;
    for (int i = 0; i < 10; ++i) {
        LightSlot k;
        k.nVk = uint8_t('0' + i);
        k.left = 40 * i, k.right = 40 * i + 40, k.top = 0, k.bottom = 40;
        slots.push_back(k);
    }
    CEffectEngine e(BuiltInUnitLibrary());
    EffectSettings s;
    s.code = 27, s.clr = kBlue;
    e.Start(s, slots);
    EXPECT_DOUBLE_EQ(e.BandStep(), 108.0);
    auto lit = [&] {
        std::vector<int> v;
        for (int i = 0; i < 10; ++i)
            if (slots[size_t(i)].nLevel == 200) v.push_back(i);
        return v;
    };
    EXPECT_EQ(lit(), (std::vector<int>{0, 1, 8, 9}));
    e.Step(slots);  // bands at 108..188 and 212..292
    EXPECT_EQ(lit(), (std::vector<int>{2, 3, 4, 5, 6, 7}));
    e.Step(slots);  // 216..296 and 104..184 overlap by more than half a band: the bands turn
    EXPECT_EQ(lit(), (std::vector<int>{2, 3, 4, 5, 6, 7}));
    EXPECT_DOUBLE_EQ(e.BandStep(), -108.0);
}

}  // namespace

// Rows Q W E / A S D for the running light and columns Q A Shift, W S, E D.
UnitLibrary CrossLibrary()
{
    UnitLibrary lib = BuiltInUnitLibrary();
    lib.sets[int(UnitSet::Paoma)] = ParseUnitText("q,w,e\na,s,d\n", "p").units;
    lib.sets[int(UnitSet::Perfect)] = ParseUnitText("q,a,shift\nw,s\ne,d\n", "c").units;
    return lib;
}

TEST(EffectEngine, ReactiveCrossRunsAlongTheRowAndColumnOfAPressedKey)
{
    CEffectEngine e(CrossLibrary());
    std::vector<LightSlot> slots = SmallKeyboard();
    EffectSettings s;
    s.code = 26, s.speed = 1, s.bright = 2, s.clr = kGreen;  // fade 20, level 180
    e.Start(s, slots);
    EXPECT_EQ(e.Type(), 19);
    EXPECT_EQ(e.Period(), 30);
    for (const LightSlot& k : slots) EXPECT_EQ(k.nLevel, 0);

    // W: place 1 of row 0, place 0 of column 1. Levels of Q W E A S D Shift
    // after each frame.
    e.Press('W', slots);
    const std::vector<std::vector<int>> frames = {
        {180, 0, 180, 0, 180, 0, 0},  // Q and E on the row, S below; nothing above W
        {160, 0, 160, 0, 160, 0, 0},  // every side at its end: the runner stops
        {140, 0, 140, 0, 140, 0, 0},
    };
    for (size_t f = 0; f < frames.size(); ++f) {
        e.Step(slots);
        std::vector<int> got;
        for (size_t i : {0u, 1u, 2u, 3u, 4u, 5u, 7u}) got.push_back(slots[i].nLevel);
        EXPECT_EQ(got, frames[f]) << "frame " << f;
    }
    EXPECT_EQ(slots[0].clr, kGreen);
    EXPECT_EQ(slots[4].clr, kGreen);
    for (int i = 0; i < 7; ++i) e.Step(slots);  // 140 − 7 × 20
    EXPECT_EQ(slots[0].nLevel, 0);

    // The generic Shift code finds the left Shift, in no row but at the foot
    // of column 0: the light runs up to A only.
    e.Press(16, slots);
    e.Step(slots);
    EXPECT_EQ(slots[3].nLevel, 180);
    EXPECT_EQ(slots[0].nLevel, 0);
    e.Step(slots);
    EXPECT_EQ(slots[0].nLevel, 180);  // Q, two places up
    EXPECT_EQ(slots[3].nLevel, 160);
}

TEST(EffectEngine, ReactiveCrossGivesTheRowPairOneColourAndTheColumnAnother)
{
    CEffectEngine e(CrossLibrary());
    std::vector<LightSlot> slots = SmallKeyboard();
    EffectSettings s;
    s.code = 19, s.colourful = true, s.seed = 11, s.bright = 9;  // level 240
    e.Start(s, slots);
    e.Press('S', slots);  // row 1 place 1, column 1 place 1
    e.Step(slots);
    for (size_t i : {1u, 3u, 5u}) EXPECT_EQ(slots[i].nLevel, 240) << i;  // A and D on the row, W above
    EXPECT_EQ(slots[3].clr, slots[5].clr);
    EXPECT_NE(slots[1].clr, slots[3].clr);
    for (size_t i : {1u, 3u}) {
        const uint32_t palette[] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFF00FF, 0xFFFF00, 0x00FFFF};
        EXPECT_NE(std::find(std::begin(palette), std::end(palette), slots[i].clr), std::end(palette)) << i;
    }
    // A key in no row and no column starts nothing.
    e.Start(s, slots);
    slots.push_back(LightSlot{0, 0, 'Z', 200, 0, 240, 40});
    e.Press('Z', slots);
    e.Step(slots);
    for (const LightSlot& k : slots) EXPECT_EQ(k.nLevel, 0);
}

TEST(EffectEngine, KeyInDiamondTellsOutsideEdgeAndInside)
{
    LightSlot k;
    k.left = 40, k.top = 40, k.right = 80, k.bottom = 80;
    struct Case {
        double cx, cy, r;
        DiamondSide side;
    } cases[] = {
        {60, 60, 0, DiamondSide::Outside},   // a point has no inside
        {60, 60, 15, DiamondSide::Edge},     // the key's own centre
        {60, 60, 40, DiamondSide::Inside},   // the corners just reached
        {0, 0, 80, DiamondSide::Outside},    // touching the nearest corner only
        {0, 0, 81, DiamondSide::Edge},
        {0, 60, 30, DiamondSide::Outside},   // left of the key, 40 from its edge
        {0, 60, 100, DiamondSide::Inside},
    };
    for (const Case& c : cases) EXPECT_EQ(KeyInDiamond(k, c.cx, c.cy, c.r), c.side) << c.cx << "," << c.cy << " " << c.r;
}

TEST(EffectEngine, ReactiveDiamondGrowsFromAPressedKeyUntilItHoldsTheKeyboard)
{
    CEffectEngine e(BuiltInUnitLibrary());
    std::vector<LightSlot> slots = SmallKeyboard();
    EffectSettings s;
    s.code = 20, s.speed = 1, s.bright = 4, s.clr = kBlue;  // period 25, step 15
    e.Start(s, slots);
    EXPECT_EQ(e.Period(), 25);
    e.Press('S', slots);  // centre 60,60; the view's far corners are 120 away
    EXPECT_EQ(slots[4].clr, kBlue);
    // Lit (1) or dark (0) Q W E A S D Shift after each frame; the radius
    // grows 15, 30, ... 120.
    const std::vector<std::vector<int>> frames = {
        {0, 0, 0, 0, 1, 0, 0},  // 15: only S
        {0, 1, 0, 1, 1, 1, 0},  // 30: W A D reached 20 away
        {1, 1, 1, 1, 0, 1, 1},  // 45: S inside, the far keys reached at 40
        {1, 1, 1, 1, 0, 1, 1},  // 60
        {1, 1, 1, 1, 0, 1, 1},  // 75
        {1, 0, 1, 0, 0, 0, 1},  // 90: W A D inside (their far corners 80 away)
        {1, 0, 1, 0, 0, 0, 1},  // 105
        {0, 0, 0, 0, 0, 0, 0},  // 120: the whole keyboard inside, all dark
        {0, 0, 0, 0, 0, 0, 0},  // waits for the next press
    };
    for (size_t f = 0; f < frames.size(); ++f) {
        e.Step(slots);
        std::vector<int> got;
        for (size_t i : {0u, 1u, 2u, 3u, 4u, 5u, 7u}) got.push_back(slots[i].clr == kBlue ? 1 : slots[i].clr == 0 ? 0 : -1);
        EXPECT_EQ(got, frames[f]) << "frame " << f;
    }
    for (const LightSlot& k : slots) EXPECT_EQ(k.nLevel, 200);  // only colours change

    // Speed 4: step 20, period 15; dimmer brightness scales the colour.
    s.speed = 4, s.bright = 2;
    e.Start(s, slots);
    EXPECT_EQ(e.Period(), 15);
    e.Press('Q', slots);  // centre 20,20
    EXPECT_EQ(slots[0].clr, 0x990000u);
    e.Step(slots);
    e.Step(slots);  // 40: W and A reached 20 away, Q inside (its far corner 40 away)
    EXPECT_EQ(slots[1].clr, 0x990000u);
    EXPECT_EQ(slots[3].clr, 0x990000u);
    EXPECT_EQ(slots[0].clr, 0u);
    EXPECT_EQ(slots[4].clr, 0u);  // S: 40 away, only touched
}

TEST(EffectEngine, ReactiveDiamondDrawsAFreshColourOfItsSixEachFrame)
{
    CEffectEngine e(BuiltInUnitLibrary());
    std::vector<LightSlot> slots = SmallKeyboard();
    EffectSettings s;
    s.code = 20, s.speed = 1, s.colourful = true, s.seed = 9;
    e.Start(s, slots);
    e.Press('S', slots);
    const uint32_t six[] = {0x0000FF, 0xFFFF00, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF};
    uint32_t prev = slots[4].clr;
    for (int f = 0; f < 6; ++f) {
        e.Step(slots);
        const uint32_t c = slots[4].clr != 0 ? slots[4].clr : slots[0].clr;
        EXPECT_NE(std::find(std::begin(six), std::end(six), c), std::end(six)) << f;
        EXPECT_NE(c, prev) << f;
        prev = c;
    }
}

// Levels of Q W E A S D Shift on the small keyboard.
std::vector<int> SmallLevels(const std::vector<LightSlot>& slots)
{
    std::vector<int> got;
    for (size_t i : {0u, 1u, 2u, 3u, 4u, 5u, 7u}) got.push_back(slots[i].nLevel);
    return got;
}

TEST(EffectEngine, TriangleSweepLightsDarkKeysOnItsEdgeThenTurnsToTheOtherCorner)
{
    CEffectEngine e(BuiltInUnitLibrary());
    std::vector<LightSlot> slots = SmallKeyboard();  // the keys' box: 0,0 to 120,120
    EffectSettings s;
    s.code = 35, s.speed = 2, s.bright = 3, s.clr = 0x0A0A0A;
    e.Start(s, slots);
    EXPECT_EQ(e.Period(), 20);
    // The legs grow 20 a frame from the top-left corner; lit keys lose 8, and
    // a lit key on the edge is not lit again.
    const std::vector<std::vector<int>> frames = {
        {200, 0, 0, 0, 0, 0, 0},            // 20: Q
        {192, 0, 0, 0, 0, 0, 0},            // 40: W and A only touched
        {184, 200, 0, 200, 0, 0, 0},        // 60
        {176, 192, 0, 192, 0, 0, 0},        // 80
        {168, 184, 200, 184, 200, 0, 200},  // 100: E, S and Shift
        {160, 176, 192, 176, 192, 0, 192},  // 120: D only touched
        {152, 168, 184, 168, 184, 200, 184},
    };
    EXPECT_EQ(SmallLevels(slots), frames[0]);
    for (size_t f = 1; f < frames.size(); ++f) {
        e.Step(slots);
        EXPECT_EQ(SmallLevels(slots), frames[f]) << "frame " << f;
    }
    EXPECT_EQ(slots[5].clr, 0x080808u);  // × 8 / 10
    // D, lit last, is dark 25 frames later; the triangle has long held the
    // view, so the next frame grows from the top-right corner: E first.
    for (int f = 0; f < 25; ++f) e.Step(slots);
    EXPECT_EQ(SmallLevels(slots), (std::vector<int>{0, 0, 0, 0, 0, 0, 0}));
    e.Step(slots);
    EXPECT_EQ(SmallLevels(slots), (std::vector<int>{0, 0, 200, 0, 0, 0, 0}));
    e.Step(slots);
    e.Step(slots);  // 60 from the top-right: W and D
    EXPECT_EQ(SmallLevels(slots), (std::vector<int>{0, 200, 184, 0, 0, 200, 0}));
}

TEST(EffectEngine, UnitsThenDiamondSweepsTheColumnsThenGrowsFromTheOKey)
{
    CEffectEngine e(BuiltInUnitLibrary());
    // The built-in columns on the small keyboard: Shift, Q A, W S, E D.
    std::vector<LightSlot> slots = SmallKeyboard();
    EffectSettings s;
    s.code = 36, s.speed = 0, s.clr = kRed;  // fade 18
    e.Start(s, slots);
    EXPECT_EQ(e.Period(), 52);
    // No O key here: the diamond grows from the middle, 60,60, 20 a frame.
    const std::vector<std::vector<int>> frames = {
        {0, 0, 0, 0, 0, 0, 200},
        {200, 0, 0, 200, 0, 0, 182},
        {182, 200, 0, 182, 200, 0, 164},
        {164, 182, 200, 164, 182, 200, 146},    // the last column
        {146, 164, 182, 146, 200, 182, 128},    // 20: S
        {128, 200, 164, 200, 182, 200, 110},    // 40: S inside, W A D on the edge
        {200, 200, 200, 200, 164, 200, 200},    // 60
    };
    EXPECT_EQ(SmallLevels(slots), frames[0]);
    for (size_t f = 1; f < frames.size(); ++f) {
        e.Step(slots);
        EXPECT_EQ(SmallLevels(slots), frames[f]) << "frame " << f;
    }
    EXPECT_EQ(slots[0].clr, kRed);
    // 80 and 100 keep Q, E and Shift on the edge; at 120 the diamond holds
    // the view. Q, lit last at 100, is dark twelve frames later, and the
    // sweep starts again from the first column on the next frame.
    for (int f = 0; f < 14; ++f) e.Step(slots);
    EXPECT_EQ(SmallLevels(slots), (std::vector<int>{0, 0, 0, 0, 0, 0, 0}));
    e.Step(slots);
    EXPECT_EQ(SmallLevels(slots), (std::vector<int>{0, 0, 0, 0, 0, 0, 200}));

    // With an O key the diamond starts there, and a lit space bar is left to
    // fade. Space and O are in the columns of Y and of 9: six columns.
    std::vector<LightSlot> wide = SmallKeyboard();
    wide.push_back(LightSlot{0, 0, 'O', 120, 0, 160, 40});
    wide.push_back(LightSlot{0, 0, 32, 120, 40, 160, 80});
    e.Start(s, wide);
    for (int f = 0; f < 5; ++f) e.Step(wide);  // ... Space, then O: the last column
    EXPECT_EQ(wide[8].nLevel, 200);
    EXPECT_EQ(wide[9].nLevel, 182);
    e.Step(wide);  // 20 from 140,20: only O
    EXPECT_EQ(wide[8].nLevel, 200);
    EXPECT_EQ(wide[9].nLevel, 164);
    EXPECT_EQ(wide[2].nLevel, 146);
    e.Step(wide);  // 40: E and the space bar on the edge; the lit space bar fades on
    EXPECT_EQ(wide[2].nLevel, 200);
    EXPECT_EQ(wide[9].nLevel, 146);
    EXPECT_EQ(wide[8].nLevel, 182);  // O inside
}

TEST(EffectEngine, RingRunsTheOuterPathThenTheInnerThenADiamondFromIAndPauses)
{
    CEffectEngine e(BuiltInUnitLibrary());
    // O and I to the right of E and D: the keys' box is 0,0 to 160,120.
    std::vector<LightSlot> slots = SmallKeyboard();
    slots.push_back(LightSlot{0, 0, 'O', 120, 0, 160, 40});
    slots.push_back(LightSlot{0, 0, 'I', 120, 40, 160, 80});
    EffectSettings s;
    s.code = 32, s.speed = 0, s.clr = kGreen;
    e.Start(s, slots);
    EXPECT_EQ(e.Period(), 30);
    // The outer path on this keyboard: Shift, Q, A, O, I, E, W, S, D, O, I,
    // one key a frame; a lit key loses 10 a frame, dark at 10.
    int frame = 1;
    auto stepTo = [&](int f) {
        for (; frame < f; ++frame) e.Step(slots);
    };
    // Levels of Q W E A S D Shift O I.
    auto levels = [&] {
        std::vector<int> got = SmallLevels(slots);
        got.push_back(slots[8].nLevel);
        got.push_back(slots[9].nLevel);
        return got;
    };
    EXPECT_EQ(levels(), (std::vector<int>{0, 0, 0, 0, 0, 0, 200, 0, 0}));
    stepTo(11);
    EXPECT_EQ(levels(), (std::vector<int>{110, 160, 150, 120, 170, 180, 100, 190, 200}));
    stepTo(29);  // I, lit last, still at 20: the inner path waits
    EXPECT_EQ(levels(), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 20}));
    stepTo(30);  // all dark: the inner path starts with O ...
    EXPECT_EQ(levels(), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 200, 0}));
    stepTo(33);
    EXPECT_EQ(levels(), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 170, 0}));
    stepTo(34);  // ... and takes I four frames later
    EXPECT_EQ(levels(), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 160, 200}));
    stepTo(52);
    EXPECT_EQ(levels(), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 20}));
    stepTo(53);  // the diamond from I's centre, 140,60: 15
    EXPECT_EQ(levels(), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 200}));
    stepTo(54);  // 30: O and D reached 20 away
    EXPECT_EQ(levels(), (std::vector<int>{0, 0, 0, 0, 0, 200, 0, 200, 190}));
    // Q and Shift, 120 away, are reached at 135 (frame 61) and fade out by
    // frame 80; the diamond has held the view (200 away) since frame 66.
    stepTo(61);
    EXPECT_EQ(slots[0].nLevel, 200);
    EXPECT_EQ(slots[7].nLevel, 200);
    stepTo(79);
    EXPECT_EQ(slots[0].nLevel, 20);
    stepTo(80);
    EXPECT_EQ(levels(), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 0}));
    // 500 ms of dark frames (17 of 30 ms), then Shift again.
    stepTo(97);
    EXPECT_EQ(levels(), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0, 0}));
    stepTo(98);
    EXPECT_EQ(levels(), (std::vector<int>{0, 0, 0, 0, 0, 0, 200, 0, 0}));
    EXPECT_EQ(slots[7].clr, kGreen);
}

TEST(EffectEngine, ColumnSweepWaitsForTheDarkThenBlinksItsTargetWithAMovingKey)
{
    CEffectEngine e(BuiltInUnitLibrary());
    // Two of the sweep's units are on the small keyboard: Q A Shift, then
    // W E S D, the one that blinks.
    std::vector<LightSlot> slots = SmallKeyboard();
    EffectSettings s;
    s.code = 31, s.speed = 0, s.bright = 4, s.clr = kRed;
    e.Start(s, slots);
    EXPECT_EQ(e.Period(), 60);
    int frame = 1;
    auto stepTo = [&](int f) {
        for (; frame < f; ++frame) e.Step(slots);
    };
    struct Row {
        int frame;
        std::vector<int> levels;  // Q W E A S D Shift
    } rows[] = {
        {1, {200, 0, 0, 200, 0, 0, 200}},
        {10, {20, 0, 0, 20, 0, 0, 20}},      // losing 20 a frame
        {11, {0, 255, 200, 0, 200, 200, 0}},  // all dark: W moves first
        {12, {0, 235, 180, 0, 180, 180, 0}},
        {15, {0, 200, 255, 0, 200, 200, 0}},  // every fourth frame: E
        {19, {0, 200, 200, 0, 255, 200, 0}},
        {23, {0, 200, 200, 0, 200, 255, 0}},
        {27, {0, 255, 200, 0, 200, 200, 0}},  // the second pass
        {55, {0, 200, 200, 0, 200, 255, 0}},  // the twelfth draw ends the third pass
        {64, {0, 20, 20, 0, 20, 75, 0}},      // the last unit: a pause of 9 frames
        {65, {200, 0, 0, 200, 0, 55, 200}},   // then the first unit again
    };
    for (const Row& r : rows) {
        stepTo(r.frame);
        EXPECT_EQ(SmallLevels(slots), r.levels) << "frame " << r.frame;
    }
    EXPECT_EQ(slots[0].clr, kRed);
    EXPECT_EQ(slots[5].clr, kRed);
}

TEST(EffectEngine, ColumnSweepMovesTheBlinkingKeyThroughSevenColours)
{
    CEffectEngine e(BuiltInUnitLibrary());
    std::vector<LightSlot> slots = SmallKeyboard();
    EffectSettings s;
    s.code = 31, s.colourful = true, s.seed = 5;
    e.Start(s, slots);
    const uint32_t palette[] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFF00FF, 0xFFFF00, 0x00FFFF};
    std::vector<uint32_t> moving;
    for (int f = 2; f <= 11 + 4 * 7; ++f) {
        e.Step(slots);
        for (size_t i : {1u, 2u, 4u, 5u}) {
            if (slots[i].nLevel == 255 && (f - 11) % 4 == 0) moving.push_back(slots[i].clr);
        }
    }
    ASSERT_EQ(moving.size(), 8u);
    for (uint32_t c : moving) EXPECT_NE(std::find(std::begin(palette), std::end(palette), c), std::end(palette));
    EXPECT_EQ(moving[7], moving[0]);  // the eighth draw starts the seven again
    for (size_t i = 1; i < 7; ++i) EXPECT_NE(moving[i], moving[i - 1]) << i;
}

TEST(EffectEngine, SweepsAndDiamondsReachEveryKeyOfAFullKeyboard)
{
    // A full keyboard laid out by the built-in columns: column i, place j at
    // 40·i, 40·j.
    std::vector<LightSlot> full;
    const std::vector<EffectUnit> columns = BuiltInUnits(UnitSet::Stream);
    for (size_t i = 0; i < columns.size(); ++i) {
        for (size_t j = 0; j < columns[i].vks.size(); ++j) {
            full.push_back(LightSlot{0, 0, columns[i].vks[j], int(40 * i), int(40 * j), int(40 * i + 40),
                                     int(40 * j + 40)});
        }
    }
    ASSERT_GE(full.size(), 104u);
    for (int code : {31, 32, 35, 36}) {
        SCOPED_TRACE(code);
        CEffectEngine e(BuiltInUnitLibrary());
        std::vector<LightSlot> slots = full;
        EffectSettings s;
        s.code = code, s.colourful = true, s.seed = 3;
        e.Start(s, slots);
        std::vector<bool> lit(slots.size(), false);
        for (int f = 0; f < 600; ++f) {
            for (size_t i = 0; i < slots.size(); ++i) lit[i] = lit[i] || slots[i].nLevel > 0;
            e.Step(slots);
        }
        for (size_t i = 0; i < slots.size(); ++i) EXPECT_TRUE(lit[i]) << "key " << int(slots[i].nVk);
    }
}
