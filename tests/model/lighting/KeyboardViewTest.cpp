// The keyboard view's geometry on a small layout: Esc, 1, Q, A, an ISO Enter
// drawn by its outline, a right Shift and a media key with no code.
#include <gtest/gtest.h>

#include <vector>

#include "keys/KeyInfo.h"
#include "lighting/KeyboardView.h"

namespace {

KeyInfo Key(int x, int y, int w, int h, uint8_t vk, bool bModifier = false)
{
    KeyInfo k{};
    k.FunID = 0x020000A0;
    k.rcKey = {x, y, x + w, y + h};
    if (bModifier)
        k.byModVk = vk;
    else
        k.byKey1 = vk;
    k.LedInx = -1;
    return k;
}

// Enter: the upper part 551..609 x 101..137, the lower part 561..609 x 137..177.
const std::vector<ZPoint> kEnter = {{551, 101}, {609, 101}, {609, 177}, {561, 177}, {561, 137}, {551, 137}, {551, 101}};

std::vector<KeyInfo> Keys()
{
    std::vector<KeyInfo> k = {
        Key(10, 10, 40, 36, 0x1B),   // 0 Esc
        Key(10, 60, 40, 36, '1'),    // 1
        Key(60, 100, 40, 36, 'Q'),   // 2
        Key(70, 140, 40, 36, 'A'),   // 3
        Key(551, 101, 58, 76, 0x0D), // 4 Enter (outlined)
        Key(120, 140, 80, 40, 0xA1, true),  // 5 right Shift, lone modifier
        Key(300, 10, 40, 36, 0),     // 6 media key: no code
    };
    k[6].FunID = 0x030000E9;
    return k;
}

KeyLayout Layout() { return BuildKeyLayout(Keys(), 7, 0x0D, kEnter); }

}  // namespace

TEST(KeyboardView, BuildsSlotsInKeyTableOrder)
{
    const KeyLayout l = Layout();
    ASSERT_EQ(l.keys.size(), size_t(kKbViewSlots));
    EXPECT_EQ(l.nUsed, 7);
    EXPECT_EQ(l.keys[2].nVk, 'Q');
    EXPECT_EQ(l.keys[5].nVk, 0xA1);  // a lone modifier shows its modifier key
    EXPECT_EQ(l.keys[6].nVk, 0);     // a media key has no key code
    EXPECT_EQ(l.keys[2].left, 60);
    EXPECT_EQ(l.keys[2].bottom, 136);
    EXPECT_EQ(l.keys[0].nLevel, 200);
    EXPECT_EQ(l.nOutlineSlot, 4);
    EXPECT_EQ(l.keys[7].nVk, 0);
    // An outline for a key that is not on the layout, or with too few points, is dropped.
    EXPECT_EQ(BuildKeyLayout(Keys(), 7, 0x2E, kEnter).nOutlineSlot, -1);
    EXPECT_EQ(BuildKeyLayout(Keys(), 7, 0x0D, std::vector<ZPoint>{{1, 1}, {2, 2}}).nOutlineSlot, -1);
    // More used keys than the table holds are cut to the table.
    EXPECT_EQ(BuildKeyLayout(Keys(), 500, 0, {}).nUsed, 7);
}

TEST(KeyboardView, FindKey)
{
    const KeyLayout l = Layout();
    struct Case { uint8_t vk; int nSlot; } cases[] = {
        {0x1B, 0}, {'A', 3}, {0x0D, 4}, {0xA1, 5}, {'Z', -1}, {0, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(FindKey(l, c.vk), c.nSlot) << int(c.vk);
}

TEST(KeyboardView, KeyAtPoint)
{
    const KeyLayout l = Layout();
    struct Case { ZPoint pt; int nSlot; } cases[] = {
        {{10, 10}, 0},     // top-left corner belongs to the key
        {{49, 45}, 0},     // last pixel
        {{50, 45}, -1},    // right edge is outside
        {{30, 80}, 1},
        {{5, 5}, -1},
        {{555, 110}, 4},   // upper part of the Enter
        {{600, 170}, 4},   // lower part
        {{555, 170}, -1},  // inside Enter's rectangle, in the notch of its outline
        {{130, 150}, 5},
        {{310, 20}, 6},    // a key without a code is still a key
    };
    for (const Case& c : cases) EXPECT_EQ(KeyAtPoint(l, c.pt), c.nSlot) << c.pt.x << "," << c.pt.y;
}

TEST(KeyboardView, RowOfKey)
{
    const KeyLayout l = Layout();
    // A's centre (y 158) lies in Shift and in the Enter's rectangle; the media key has no code.
    EXPECT_EQ(RowOfKey(l, 'A'), (std::vector<uint8_t>{'A', 0xA1, 0x0D}));
    EXPECT_EQ(RowOfKey(l, 0x1B), (std::vector<uint8_t>{0x1B}));
    EXPECT_TRUE(RowOfKey(l, 'Z').empty());
}

TEST(KeyboardView, KeyHeightFromEscElseA)
{
    EXPECT_EQ(KeyHeight(Layout()), 36);
    std::vector<KeyInfo> keys = Keys();
    keys[0].rcKey.bottom = keys[0].rcKey.top;  // Esc without height
    keys[3].rcKey.bottom = keys[3].rcKey.top + 30;
    EXPECT_EQ(KeyHeight(BuildKeyLayout(keys, 7, 0, {})), 30);
    EXPECT_EQ(KeyHeight(BuildKeyLayout(keys, 2, 0, {})), 0);  // neither Esc with a height nor A
}

TEST(KeyboardView, KeysBounds)
{
    const ZRect rc = KeysBounds(Layout());
    EXPECT_EQ(rc.left, 10);
    EXPECT_EQ(rc.top, 10);
    EXPECT_EQ(rc.right, 609);
    EXPECT_EQ(rc.bottom, 180);
    const ZRect none = KeysBounds(BuildKeyLayout(Keys(), 0, 0, {}));
    EXPECT_EQ(none.right - none.left, 0);
}

TEST(KeyboardView, ScaleLayoutNeverCompounds)
{
    const KeyLayout base = Layout();
    const KeyLayout same = ScaleLayout(base, 1.0);  // scaling off
    for (int i = 0; i < base.nUsed; ++i) {
        EXPECT_EQ(same.keys[size_t(i)].left, base.keys[size_t(i)].left);
        EXPECT_EQ(same.keys[size_t(i)].bottom, base.keys[size_t(i)].bottom);
    }
    const KeyLayout big = ScaleLayout(base, 1.5);
    EXPECT_EQ(big.keys[2].left, 90);
    EXPECT_EQ(big.keys[2].bottom, 204);
    EXPECT_EQ(big.outline[2].x, 914);
    // The scaled layout is derived from the base each time.
    EXPECT_EQ(ScaleLayout(base, 1.5).keys[2].left, 90);
    EXPECT_EQ(KeyAtPoint(big, {830, 255}), -1);  // the Enter notch, scaled
    EXPECT_EQ(KeyAtPoint(big, {900, 255}), 4);
}

TEST(KeyboardView, RubberBandTakesAKeyWithAnyCornerInside)
{
    const KeyLayout l = Layout();
    struct Case { ZRect band; std::vector<int> slots; } cases[] = {
        {{0, 0, 30, 50}, {0}},                // over the left half of Esc: its left corners are inside
        {{30, 0, 0, 50}, {0}},                // the same, dragged right to left
        {{20, 20, 40, 40}, {}},               // inside Esc, no corner
        {{49, 45, 70, 55}, {0}},              // Esc's last pixel is its corner
        {{0, 0, 119, 200}, {0, 1, 2, 3}},     // Shift starts at 120
        {{0, 0, 120, 200}, {0, 1, 2, 3, 5}},  // edges belong to the band
        {{600, 170, 700, 200}, {4}},          // the Enter by its outline's corner (609,177)
        {{552, 150, 558, 175}, {}},           // the notch: no outline point inside
        {{295, 5, 305, 15}, {6}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeysInBand(l, c.band), c.slots) << c.band.left << "," << c.band.top << " " << c.band.right << ","
                                                   << c.band.bottom;
}
