// The slider and progress arithmetic on its own: positions, ties, guards.
#include <gtest/gtest.h>

#include <vector>

#include "ui/skin/SliderScale.h"

using namespace slider;

TEST(SliderScale, EvenPositionsHalfAThumbFromEachEnd)
{
    std::vector<int> pos;
    EXPECT_TRUE(ComputeScale(200, 10, 5, pos));
    EXPECT_EQ(pos, (std::vector<int>{5, 52, 100, 147, 195}));
}

TEST(SliderScale, OneValueSitsHalfAThumbFromTheStartAndNoneGivesNoPositions)
{
    std::vector<int> pos{1, 2, 3};
    EXPECT_TRUE(ComputeScale(200, 10, 1, pos));
    EXPECT_EQ(pos, std::vector<int>{5});
    EXPECT_TRUE(ComputeScale(200, 10, 0, pos));
    EXPECT_TRUE(pos.empty());
}

TEST(SliderScale, NoRoomIsReportedButPositionsAreFilled)
{
    std::vector<int> pos;
    EXPECT_FALSE(ComputeScale(10, 10, 3, pos));  // step 0
    EXPECT_EQ(pos, (std::vector<int>{5, 5, 5}));
    EXPECT_FALSE(ComputeScale(8, 10, 2, pos));   // negative step
    EXPECT_EQ(pos.size(), 2u);
    EXPECT_TRUE(ComputeScale(200, 10, 700, pos));
    EXPECT_EQ(pos.size(), size_t(kMaxScale));
}

TEST(SliderScale, CentreOfValueUsesScaleOrWholeNumberSpacing)
{
    const std::vector<int> scale{5, 52, 100, 147, 195};
    EXPECT_EQ(CenterOfValue(3, 0, 4, scale, 200), 147);
    EXPECT_EQ(CenterOfValue(13, 10, 14, scale, 200), 147);
    // Without positions: (length / range) first, in whole numbers: 203 / 4 = 50.
    EXPECT_EQ(CenterOfValue(3, 0, 4, {}, 203), 150);
    // A one-value range does not divide by zero.
    EXPECT_EQ(CenterOfValue(7, 7, 7, {}, 200), 0);
}

TEST(SliderScale, ValueAtPointTable)
{
    const std::vector<int> scale{5, 52, 100, 147, 195};
    struct Case { int nPoint; int nExpected; };
    const Case cases[] = {
        {-50, 0}, {0, 0}, {28, 0}, {29, 1},
        {76, 2},   // exactly between 52 and 100: the higher value
        {75, 1}, {171, 4}, {170, 3}, {999, 4},
    };
    for (const Case& c : cases) EXPECT_EQ(ValueAtPoint(c.nPoint, 0, 4, scale, 200), c.nExpected) << c.nPoint;
    // Offset range: the index is added to the low end.
    EXPECT_EQ(ValueAtPoint(100, -2, 2, scale, 200), 0);
}

TEST(SliderScale, ValueAtPointWithoutScaleTiesGoLow)
{
    // Range 0..4 on 200 pixels: grid every 50 pixels.
    EXPECT_EQ(ValueAtPoint(24, 0, 4, {}, 200), 0);
    EXPECT_EQ(ValueAtPoint(25, 0, 4, {}, 200), 0);  // tie between 0 and 50
    EXPECT_EQ(ValueAtPoint(26, 0, 4, {}, 200), 1);
    EXPECT_EQ(ValueAtPoint(199, 0, 4, {}, 200), 4);
    EXPECT_EQ(ValueAtPoint(500, 0, 4, {}, 200), 4);
    // Degenerate bars give the low end rather than dividing by zero.
    EXPECT_EQ(ValueAtPoint(50, 3, 3, {}, 200), 3);
    EXPECT_EQ(ValueAtPoint(50, 0, 4, {}, 0), 0);
}

TEST(SliderScale, SplitSearchTiesGoToTheLowerIndex)
{
    const std::vector<int> pos{5, 15, 25, 35};
    EXPECT_EQ(NearestIndexSplit(pos, 10), 0);   // tie between 5 and 15
    EXPECT_EQ(NearestIndexSplit(pos, 20), 1);   // tie between 15 and 25 (left half)
    EXPECT_EQ(NearestIndexSplit(pos, 30), 2);   // tie between 25 and 35 (right half)
    EXPECT_EQ(NearestIndexSplit(pos, -100), 0);
    EXPECT_EQ(NearestIndexSplit(pos, 100), 3);
    EXPECT_EQ(NearestIndexSplit(std::vector<int>{7}, 100), 0);
    EXPECT_EQ(NearestIndexSplit({}, 10), -1);
    EXPECT_EQ(NearestIndexTieHigh(pos, 10), 1);
    EXPECT_EQ(NearestIndexTieHigh({}, 10), -1);
}

TEST(SliderScale, ProgressFillAndDrag)
{
    EXPECT_EQ(ProgressFill(50, 1, 100, 300), 148);
    EXPECT_EQ(ProgressFill(1, 1, 100, 300), 0);
    EXPECT_EQ(ProgressFill(100, 1, 100, 300), 300);
    EXPECT_EQ(ProgressFill(0, 1, 100, 300), 0);      // below the range: nothing, not a negative width
    EXPECT_EQ(ProgressFill(5, 5, 5, 300), 0);        // empty range
    EXPECT_EQ(ProgressValueAt(150, 1, 100, 300, false), 50);
    EXPECT_EQ(ProgressValueAt(150, 1, 100, 300, true), 51);
    EXPECT_EQ(ProgressValueAt(-20, 1, 100, 300, false), 1);
    EXPECT_EQ(ProgressValueAt(400, 1, 100, 300, true), 100);
    EXPECT_EQ(ProgressValueAt(10, 1, 100, 0, true), 1);
}
