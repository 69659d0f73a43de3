// The bullet page's editing rules without the page: where inserted steps go
// and which one is selected, the weight and buffer limits, value fields and
// the edit window, repeat settings, and that a locked bullet stays untouched.
#include <gtest/gtest.h>

#include <cstring>

#include "device/mouse/MouseMacro.h"
#include "keys/BulletEditor.h"

namespace {

struct Fixture {
    MacroRecord rec = BuildBulletRecord({2, u"B", 20, 20, 10, false}, 1);
    CBulletEditor ed{mouse::BulletLimitsFor(17, 255)};
    Fixture() { ed.Show(&rec); }
};

}  // namespace

TEST(BulletEditor, InsertBeforeTheSelectionOrAtTheEnd)
{
    Fixture f;
    ASSERT_EQ(f.ed.Items().size(), 8u);
    // Appended press group: the release is selected.
    EXPECT_EQ(f.ed.Insert(BulletKeyItems('A')), BulletEdit::Done);
    EXPECT_EQ(f.ed.Items().size(), 11u);
    EXPECT_EQ(f.ed.Selected(), 10);
    EXPECT_EQ(f.ed.Items()[10], BulletRelease('A'));
    // Before a step: the press is selected.
    f.ed.Select(2);
    EXPECT_EQ(f.ed.Insert(BulletKeyItems('B')), BulletEdit::Done);
    EXPECT_EQ(f.ed.Selected(), 2);
    EXPECT_EQ(f.ed.Items()[2], BulletPress('B'));
    EXPECT_EQ(f.ed.Items()[5], BulletMove(0, 10));
    // The record follows at once and is marked.
    EXPECT_TRUE(f.rec.dwFlags & kMacroActionsChanged);
    EXPECT_EQ(ReadBulletItems(f.rec), f.ed.Items());
}

TEST(BulletEditor, PausesInsertedSideBySideAreMerged)
{
    Fixture f;
    f.ed.Select(2);  // the movement after the first click's pause
    EXPECT_EQ(f.ed.Insert({BulletPause(30)}), BulletEdit::Done);
    // The click's pause of 10 and the new 30 are one pause of 40 now, selected.
    EXPECT_EQ(f.ed.Items()[1], BulletPause(40));
    EXPECT_EQ(f.ed.Selected(), 1);
    EXPECT_EQ(f.rec.Action[0].Delay(), 40u);
}

TEST(BulletEditor, AddShotGoesAfterTheSelection)
{
    Fixture f;
    f.ed.Select(0);
    EXPECT_EQ(f.ed.AddShot(), BulletEdit::Done);
    const std::vector<BulletItem> want = {BulletClick(240, 20), BulletClick(240, 20), BulletPause(10),
                                          BulletMove(0, 10),    BulletPause(30)};
    EXPECT_EQ(std::vector<BulletItem>(f.ed.Items().begin(), f.ed.Items().begin() + 5), want);
    EXPECT_EQ(f.ed.Weight(), 9);
}

TEST(BulletEditor, FullBulletsRefuseSteps)
{
    // 56 shots: weight 168 and 168 events, the mouse's whole buffer.
    MacroRecord rec = BuildBulletRecord({56, u"F", 20, 20, 10, false}, 1);
    CBulletEditor ed(mouse::BulletLimitsFor(17, 255));
    ed.Show(&rec);
    const MacroRecord before = rec;
    EXPECT_EQ(ed.Weight(), 168);
    EXPECT_EQ(ed.Insert({BulletPause(5)}), BulletEdit::Full);
    EXPECT_EQ(ed.AddShot(), BulletEdit::Full);
    EXPECT_EQ(std::memcmp(&rec, &before, sizeof rec), 0);

    // Weight 167 still takes steps by the page's rule, but presses and
    // releases cost the mouse one event each: the buffer limit refuses them
    // once 168 events are reached.
    MacroRecord rec2 = BuildBulletRecord({56, u"G", 20, 20, 10, false}, 1);
    ed.Show(&rec2);
    ed.Select(0);
    ASSERT_EQ(ed.DeleteSelected(), BulletEdit::Done);  // one click less: weight 167, 166 events
    EXPECT_EQ(ed.Weight(), 167);
    EXPECT_EQ(ed.Insert(BulletKeyItems('A')), BulletEdit::Done);  // 168 events
    EXPECT_EQ(mouse::BulletHdEvents(rec2), 168);
    EXPECT_EQ(ed.Insert(BulletKeyItems('B')), BulletEdit::Full);  // 170 events
    EXPECT_EQ(mouse::BulletHdEvents(rec2), 168);
    // Without a buffer limit the page's weight rule alone decides.
    CBulletEditor loose;
    loose.Show(&rec2);
    EXPECT_EQ(loose.Insert(BulletKeyItems('A')), BulletEdit::Done);
}

TEST(BulletEditor, ValueFieldsAndEditWindow)
{
    Fixture f;
    f.ed.Select(2);  // movement 0/10
    EXPECT_EQ(f.ed.SetField(1, u"-127"), BulletEdit::Done);
    EXPECT_EQ(f.ed.Items()[2], BulletMove(-127, 10));
    EXPECT_EQ(uint8_t(f.rec.Action[1].wState), 0x81);
    EXPECT_EQ(f.ed.SetField(2, u"128"), BulletEdit::BadValue);
    EXPECT_EQ(f.ed.Items()[2], BulletMove(-127, 0));
    f.ed.Select(3);  // pause 20
    EXPECT_EQ(f.ed.SetField(1, u"65536"), BulletEdit::BadValue);
    EXPECT_EQ(f.ed.Items()[3], BulletPause(0));
    EXPECT_EQ(f.ed.SetField(2, u"5"), BulletEdit::NoBullet);
    f.ed.Select(0);  // click
    EXPECT_EQ(f.ed.SetField(1, u"300"), BulletEdit::Done);
    EXPECT_EQ(f.ed.Items()[0], BulletClick(240, 300));
    // The edit window's answers are brought into range, not wrapped.
    f.ed.Select(2);
    EXPECT_EQ(f.ed.EditSelected(200, -300), BulletEdit::Done);
    EXPECT_EQ(f.ed.Items()[2], BulletMove(127, -127));
    f.ed.Insert(BulletKeyItems('C'));
    EXPECT_EQ(f.ed.EditSelected(1, 1), BulletEdit::NoBullet);  // a press is not edited
}

TEST(BulletEditor, RepeatSettings)
{
    Fixture f;
    f.rec.dwFlags = 0;
    EXPECT_EQ(f.ed.SetLoopCount(0), 1);
    EXPECT_EQ(f.ed.SetLoopCount(300), 255);
    EXPECT_EQ(f.rec.wLoopCount, 255);
    EXPECT_TRUE(f.rec.dwFlags & kMacroSettingsChanged);
    EXPECT_EQ(f.ed.SetRepeatMode(2), BulletEdit::Done);
    EXPECT_EQ(f.rec.nRepeatMode, 2u);
    EXPECT_EQ(f.ed.SetLoopCount(7), 7);
    EXPECT_EQ(f.rec.wLoopCount, 255);  // no count while held
    EXPECT_EQ(f.ed.SetRepeatMode(0), BulletEdit::Done);
    EXPECT_EQ(f.rec.wLoopCount, 1);
}

TEST(BulletEditor, LockedBulletsShowNothingAndChangeNothing)
{
    MacroRecord rec = BuildBulletRecord(BulletGenInput{}, 1);
    rec.byLock = MACRO_LOCK;
    const MacroRecord before = rec;
    CBulletEditor ed;
    ed.Show(&rec);
    EXPECT_TRUE(ed.Items().empty());
    EXPECT_EQ(ed.Insert({BulletPause(5)}), BulletEdit::Locked);
    EXPECT_EQ(ed.AddShot(), BulletEdit::Locked);
    EXPECT_EQ(ed.SetRepeatMode(2), BulletEdit::Locked);
    ed.SetLoopCount(9);
    EXPECT_EQ(std::memcmp(&rec, &before, sizeof rec), 0);
}
