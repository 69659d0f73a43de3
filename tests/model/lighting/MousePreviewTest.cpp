// The mouse lighting preview: colour operations, builders and their periods,
// the LED page's choice of program, frames of every program against values
// worked out by hand, and the mask composition by bands of rows.
#include <gtest/gtest.h>

#include <vector>

#include "lighting/MousePreview.h"

namespace {

const ZColor kRed = MakeColor(255, 0, 0);
const ZColor kBlue = MakeColor(0, 0, 255);
const ZColor kLast = MakeColor(250, 198, 3);

TEST(MousePreviewColour, OperationsTruncateAndClampToTheList)
{
    EXPECT_EQ(ScaleColour10(MakeColor(255, 100, 9), 5), MakeColor(127, 50, 4));
    EXPECT_EQ(ScaleColour255(MakeColor(255, 100, 9), 128), MakeColor(128, 50, 4));
    const ZColor two[2] = {MakeColor(200, 100, 0), 0};
    struct Case { double pos; ZColor want; } cases[] = {
        {0, MakeColor(200, 100, 0)},
        {5, MakeColor(197, 98, 0)},      // 200 - 5*200/420 = 197.6
        {210, MakeColor(100, 50, 0)},
        {419, MakeColor(0, 0, 0)},       // 200 - 419*200/420 = 0.47
        {420, 0},                        // the span itself: the last colour, not past the list
        {999, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(InterpolateColour(two, 2, 420, c.pos), c.want) << c.pos;
    EXPECT_EQ(InterpolateColour(PreviewFixedColours().data(), 7, 420, 420), kLast);
    EXPECT_EQ(BlendColour(kRed, kBlue, 255), kRed);
    EXPECT_EQ(BlendColour(kRed, kBlue, 0), kBlue);
    EXPECT_EQ(BlendColour(kRed, kBlue, 51), MakeColor(51, 0, 204));
}

TEST(MousePreviewBuilders, PeriodsBySpeed)
{
    const auto& fx = PreviewFixedColours();
    struct Case { int speed; int cycle, breathe, blink, rotate; } cases[] = {
        {1, 200, 70, 350, 600}, {2, 100, 50, 250, 400}, {3, 30, 30, 150, 150}, {0, 0, 0, 0, 500}, {7, 0, 0, 0, 500},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MakeCycleProgram(fx, c.speed).nPeriod, c.cycle) << c.speed;
        EXPECT_EQ(MakeBreatheProgram({kRed}, c.speed).nPeriod, c.breathe) << c.speed;
        EXPECT_EQ(MakeBlinkProgram(kRed, kBlue, c.speed, 10).nPeriod, c.blink) << c.speed;
        EXPECT_EQ(MakeRotateProgram(fx, 10, c.speed).nPeriod, c.rotate) << c.speed;
    }
    EXPECT_EQ(MakeFlowProgram(fx, 1, 10, 5).nPeriod, 20);
    EXPECT_EQ(MakeSweepProgram({kRed}, 10, 2, false).nPeriod, 18);
    EXPECT_EQ(MakeStaticProgram(MakeColor(255, 100, 10), 5).colours[0], MakeColor(127, 50, 5));
    EXPECT_EQ(MakeBlinkProgram(MakeColor(100, 0, 0), kBlue, 1, 2).colours,
              (std::vector<ZColor>{MakeColor(20, 0, 0), MakeColor(0, 0, 51)}));
}

TEST(MousePreviewBuilders, FlowPhasesByDirection)
{
    const auto p1 = MakeFlowProgram(PreviewFixedColours(), 1, 10, 5);
    ASSERT_EQ(p1.phases.size(), 146u);
    EXPECT_EQ(p1.phases[0], 0);
    EXPECT_EQ(p1.phases[1], 2);
    EXPECT_EQ(p1.phases[145], 290);
    const auto p2 = MakeFlowProgram(PreviewFixedColours(), 2, 10, 5);
    EXPECT_EQ(p2.phases[145], 0);
    EXPECT_EQ(p2.phases[144], 2);
    EXPECT_EQ(p2.phases[0], 290);
}

TEST(MousePreviewLedPage, PreviewCodeChoosesTheProgram)
{
    std::array<ZColor, 7> tail{kRed, 0, kBlue, 0, 0, 0, 0};
    struct Case {
        int code, effect, kind, speed, modeIndex;
        std::vector<ZColor> colours;
        PreviewType want;
        int step;
        bool bounce;
    } cases[] = {
        {1, 1, 2, 1, 0, {kBlue}, PreviewType::Static, 0, false},
        {1, 1, 2, 1, 0, {}, PreviewType::Off, 0, false},            // no colour button: nothing to show
        {2, 2, 2, 3, 0, {}, PreviewType::Cycle, 0, false},
        {3, 3, 2, 2, 0, {kRed, kBlue}, PreviewType::Breathe, 0, false},
        {4, 4, 2, 2, 0, {kRed}, PreviewType::Off, 0, false},        // blink needs two colours
        {5, 5, 2, 1, 0, {}, PreviewType::Flow, 5, false},
        {5, 5, 2, 2, 0, {}, PreviewType::Flow, 10, false},
        {5, 5, 2, 3, 0, {}, PreviewType::Flow, 18, false},
        {5, 5, 2, 7, 0, {}, PreviewType::Flow, 7, false},
        {8, 4, 2, 1, 0, {}, PreviewType::Off, 0, false},             // sweep only on kind 3
        {8, 5, 3, 1, 0, {}, PreviewType::Off, 0, false},             // and device modes 4 and 8
        {8, 4, 3, 1, 3, {}, PreviewType::Sweep, 2, true},
        {8, 8, 3, 3, 3, {}, PreviewType::Sweep, 6, false},
        {9, 9, 2, 2, 0, {}, PreviewType::Rotate, 0, false},
        {6, 6, 2, 2, 0, {kRed}, PreviewType::Off, 0, false},
    };
    for (const auto& c : cases) {
        MouseLedPreviewInput in;
        in.nPreviewCode = c.code;
        in.nEffectId = c.effect;
        in.nMsKind = c.kind;
        in.nSpeed = c.speed;
        in.nBrightIndex = 4;
        in.colours = c.colours;
        in.tailColours = tail;
        in.nLedModeIndex = c.modeIndex;
        const PreviewProgram p = MakeMouseLedPreview(in);
        EXPECT_EQ(p.type, c.want) << c.code << "/" << c.speed;
        if (c.want == PreviewType::Flow)
            EXPECT_EQ(p.nPhaseStep, c.step);
        if (c.want == PreviewType::Sweep) {
            EXPECT_EQ(p.nStep, c.step);
            EXPECT_EQ(p.bBounce, c.bounce);
            EXPECT_EQ(p.colours, (std::vector<ZColor>{kRed, kBlue}));  // the non-zero tail colours
        }
    }
    MouseLedPreviewInput none;
    none.nPreviewCode = 8;
    none.nEffectId = 4;
    none.nMsKind = 3;
    EXPECT_EQ(MakeMouseLedPreview(none).type, PreviewType::Off);  // no tail colour at all
    EXPECT_EQ(PreviewBrightTenths(1), 2);
    EXPECT_EQ(PreviewBrightTenths(2), 5);
    EXPECT_EQ(PreviewBrightTenths(3), 8);
    EXPECT_EQ(PreviewBrightTenths(4), 10);
    EXPECT_EQ(PreviewBrightTenths(0), 9);
}

TEST(MousePreviewFrames, CycleRunsTheListAndRepeatsAfter200Steps)
{
    CMousePreview pv;
    pv.Run(MakeCycleProgram(PreviewFixedColours(), 3));
    EXPECT_EQ(pv.Out()[0], kRed);
    pv.Step();
    EXPECT_EQ(pv.Out()[0], MakeColor(246, 0, 8));  // 255 - 255/28.57, 255/28.57
    for (int i = 2; i < 200; ++i)
        pv.Step();
    EXPECT_EQ(pv.Out()[0], MakeColor(254, 6, 0));  // step 199: almost back to red
    pv.Step();
    EXPECT_EQ(pv.Out()[0], kRed);
    EXPECT_EQ(pv.Program().nCounter, 1);
}

TEST(MousePreviewFrames, BreatheWithOneColourRunsDownTo20AndBack)
{
    CMousePreview pv;
    const ZColor c = MakeColor(200, 100, 50);
    pv.Run(MakeBreatheProgram({c}, 1));
    std::vector<int> levels{pv.Program().nLevel};
    for (int i = 0; i < 94; ++i) {
        pv.Step();
        EXPECT_EQ(pv.Out()[0], c);
        levels.push_back(pv.Program().nLevel);
    }
    std::vector<int> want;
    for (int l = 250; l >= 20; l -= 5)
        want.push_back(l);
    for (int l = 25; l <= 255; l += 5)
        want.push_back(l);
    want.push_back(250);
    ASSERT_EQ(levels.size(), want.size());
    EXPECT_EQ(levels, want);
    EXPECT_EQ(pv.RowColour(0), ScaleColour255(c, 250));
}

TEST(MousePreviewFrames, BreatheTakesTheNextColourAtTheBottom)
{
    CMousePreview pv;
    pv.Run(MakeBreatheProgram({kRed, kBlue}, 1));
    for (int i = 1; i < 47; ++i)  // 47 steps reach level 20
        pv.Step();
    EXPECT_EQ(pv.Program().nLevel, 20);
    EXPECT_EQ(pv.Out()[0], kRed);
    pv.Step();
    EXPECT_EQ(pv.Out()[0], kBlue);
}

TEST(MousePreviewFrames, BlinkAlternates)
{
    CMousePreview pv;
    pv.Run(MakeBlinkProgram(kRed, kBlue, 1, 10));
    std::vector<ZColor> seen{pv.Out()[0]};
    for (int i = 0; i < 3; ++i) {
        pv.Step();
        seen.push_back(pv.Out()[0]);
    }
    EXPECT_EQ(seen, (std::vector<ZColor>{kRed, kBlue, kRed, kBlue}));
}

TEST(MousePreviewFrames, FlowAdvancesEachBandAndWraps)
{
    PreviewProgram p = MakeFlowProgram(PreviewFixedColours(), 1, 10, 10);
    p.phases[1] = 995;
    CMousePreview pv;
    pv.Run(p);
    EXPECT_EQ(pv.Out()[0], kRed);
    EXPECT_EQ(pv.Program().phases[0], 10);
    EXPECT_EQ(pv.Program().phases[1], 5);  // 995 + 10 passes 1000
    pv.Step();
    // Band 0 at phase 10 of a 1000 span over 8 colours (segment 142.86).
    EXPECT_EQ(pv.Out()[0], MakeColor(237, 0, 17));
    EXPECT_EQ(pv.Program().phases[0], 20);
    EXPECT_EQ(pv.Out()[1], MakeColor(246, 0, 8));  // phase 5
}

TEST(MousePreviewFrames, RotateShiftsTheListEveryStep)
{
    CMousePreview pv;
    pv.Run(MakeRotateProgram(PreviewFixedColours(), 10, 2));
    EXPECT_EQ(pv.Out()[0], kRed);
    EXPECT_EQ(pv.Out()[10], MakeColor(145, 0, 109));  // position 30 of the 70-wide red-blue segment
    EXPECT_EQ(pv.Out()[140], kLast);                  // position 420 is the span's end
    EXPECT_EQ(pv.Out()[145], kLast);
    pv.Step();
    EXPECT_EQ(pv.Out()[0], kBlue);
    EXPECT_EQ(pv.Out()[140], kRed);
    for (int i = 0; i < 7; ++i)
        pv.Step();
    EXPECT_EQ(pv.Out()[0], kBlue);  // 7 steps later the same frame
    EXPECT_EQ(pv.Out()[140], kRed);
}

TEST(MousePreviewFrames, SweepRunsUpFadesOutAndStartsTheNextColour)
{
    const ZColor c1 = MakeColor(200, 100, 0);
    for (bool bBounce : {false, true}) {
        CMousePreview pv;
        pv.Run(MakeSweepProgram({c1, kBlue}, 10, 2, bBounce));
        EXPECT_EQ(pv.Out()[0], c1);
        EXPECT_EQ(pv.Out()[1], 0u);
        EXPECT_EQ(pv.Program().nHead, 2);
        pv.Step();
        EXPECT_EQ(pv.Out()[2], c1);
        EXPECT_EQ(pv.Out()[1], MakeColor(197, 98, 0));  // fade 5
        EXPECT_EQ(pv.Out()[0], MakeColor(195, 97, 0));  // fade 10
        EXPECT_EQ(pv.Out()[3], 0u);
        for (int i = 2; i < 73; ++i)
            pv.Step();
        EXPECT_EQ(pv.Program().nHead, 146);
        EXPECT_EQ(pv.Program().nFadeOffset, 0);
        pv.Step();  // the head cannot move: the streak fades
        EXPECT_EQ(pv.Program().nFadeOffset, 10);
        EXPECT_EQ(pv.Out()[145], MakeColor(197, 98, 0));  // distance 1 from the head
        for (int i = 0; i < 42; ++i)
            pv.Step();
        EXPECT_EQ(pv.Program().nFadeOffset, 0) << bBounce;
        EXPECT_EQ(pv.Program().nIndex, 1);
        EXPECT_EQ(pv.Program().nSweepDir, bBounce ? 1 : 2);
        EXPECT_EQ(pv.Program().nHead, bBounce ? 145 : 0);
        pv.Step();
        if (bBounce) {
            EXPECT_EQ(pv.Out()[145], kBlue);
            EXPECT_EQ(pv.Out()[144], 0u);
            EXPECT_EQ(pv.Program().nHead, 143);
        } else {
            EXPECT_EQ(pv.Out()[0], kBlue);
            EXPECT_EQ(pv.Program().nHead, 2);
        }
    }
}

TEST(MousePreviewFrames, PausedAndOffDoNothing)
{
    CMousePreview pv;
    EXPECT_FALSE(pv.Step());
    pv.Run(MakeBlinkProgram(kRed, kBlue, 1, 10));
    pv.SetPaused(true);
    EXPECT_FALSE(pv.Step());
    EXPECT_EQ(pv.Program().nIndex, 1);
    pv.SetPaused(false);
    EXPECT_TRUE(pv.Step());
    EXPECT_EQ(pv.Out()[0], kBlue);
    pv.Run(MakeOffProgram());
    EXPECT_FALSE(pv.Step());
    EXPECT_EQ(pv.Out()[0], 0u);
}

TEST(MousePreviewCompose, MaskAlphaAndBandsOfRows)
{
    // 2 x 7 grey picture; column 0 fully lit, column 1 unlit, row 6 half lit.
    const int w = 2, h = 7;
    std::vector<uint8_t> rgb(size_t(w * h * 3), 100);
    std::vector<uint8_t> mask(size_t(w * h), 0);
    for (int y = 0; y < h; ++y)
        mask[size_t(y * w)] = 255;
    mask[size_t(6 * w + 1)] = 51;
    PreviewProgram p = MakeRotateProgram(PreviewFixedColours(), 10, 1);
    p.nBands = 2;  // rows 0-2 band 0, 3-5 band 1, row 6 band 0 again
    CMousePreview pv;
    pv.Run(p);
    std::vector<uint32_t> dst(size_t(w * h));
    pv.Compose(rgb.data(), mask.data(), w, h, dst.data());
    const uint32_t grey = 0xFF646464u;
    for (int y = 0; y < 6; ++y) {
        EXPECT_EQ(dst[size_t(y * w)], y < 3 ? 0xFFFF0000u : 0xFFF4000Au) << y;  // band 1: position 3
        EXPECT_EQ(dst[size_t(y * w + 1)], grey) << y;
    }
    EXPECT_EQ(dst[size_t(6 * w)], 0xFFFF0000u);
    EXPECT_EQ(dst[size_t(6 * w + 1)], 0xFF835050u);  // 0.2 * red + 0.8 * grey
    pv.Stop();
    pv.Compose(rgb.data(), mask.data(), w, h, dst.data());
    EXPECT_EQ(dst[0], grey);
}

}  // namespace
