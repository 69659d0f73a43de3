// The macro tree: item records and the depth rule, what clicks, double clicks,
// right clicks and the Delete key report, tooltips for long texts, drawing.
#include <gtest/gtest.h>

#include <QHelpEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

#include "SkinTestSupport.h"
#include "TestSupport.h"
#include "ui/skin/TreeCtrlEx.h"

using namespace skintest;

namespace {

class TreeCtrlExTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_page.resize(300, 400);
        m_page.show();
        m_pTree = new CTreeCtrlEx(&m_page, QRect(0, 0, 220, 300), QImage(), QString(), QString());
        m_pTree->show();
    }
    QPoint Centre(QTreeWidgetItem* pItem) { return m_pTree->visualItemRect(pItem).center(); }
    void Click(QTreeWidgetItem* pItem, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(m_pTree->viewport(), button, {}, Centre(pItem));
    }
    void ClickAt(QPoint pt) { QTest::mouseClick(m_pTree->viewport(), Qt::LeftButton, {}, pt); }
    void DoubleClick(QTreeWidgetItem* pItem)
    {
        QWidget* pView = m_pTree->viewport();
        const QPoint pt = Centre(pItem);
        QTest::mousePress(pView, Qt::LeftButton, {}, pt);
        QTest::mouseRelease(pView, Qt::LeftButton, {}, pt);
        QTest::mouseDClick(pView, Qt::LeftButton, {}, pt);
        QTest::mouseRelease(pView, Qt::LeftButton, {}, pt);
    }
    QTreeWidgetItem* Leaf(const QString& strText, int nKey, QTreeWidgetItem* pParent = nullptr)
    {
        return m_pTree->AddItem(false, pParent, false, QImage(), strText, nKey, nKey * 10);
    }
    QTreeWidgetItem* Folder(const QString& strText, int nKey, QTreeWidgetItem* pParent = nullptr)
    {
        return m_pTree->AddItem(true, pParent, false, QImage(), strText, nKey, 0);
    }

    CGlobalsGuard m_guard;
    QWidget m_page;
    CTreeCtrlEx* m_pTree = nullptr;
};

}  // namespace

TEST_F(TreeCtrlExTest, FoldersStopAtTheDepthLimitLeavesDoNot)
{
    QTreeWidgetItem* pParent = nullptr;
    for (int nDepth = 1; nDepth <= 5; ++nDepth) {
        pParent = Folder(QString("F%1").arg(nDepth), nDepth, pParent);
        ASSERT_NE(pParent, nullptr) << nDepth;
        EXPECT_EQ(m_pTree->Depth(pParent), nDepth);
    }
    EXPECT_EQ(Folder("too deep", 6, pParent), nullptr);
    QTreeWidgetItem* pLeaf = Leaf("leaf", 7, pParent);
    ASSERT_NE(pLeaf, nullptr);
    EXPECT_EQ(m_pTree->Depth(pLeaf), 6);
    EXPECT_EQ(m_pTree->Depth(nullptr), 0);
    // Nothing goes under a leaf.
    EXPECT_EQ(Leaf("under a leaf", 8, pLeaf), nullptr);
    const TreeItemInfo* pInfo = m_pTree->FindRecord(pLeaf);
    ASSERT_NE(pInfo, nullptr);
    EXPECT_EQ(pInfo->nKind, CTreeCtrlEx::kLeaf);
    EXPECT_EQ(pInfo->nKey, 7);
    EXPECT_EQ(pInfo->nData, 70);
    EXPECT_EQ(m_pTree->FindRecord(pParent)->nKind, CTreeCtrlEx::kFolder);
}

TEST_F(TreeCtrlExTest, LeftClickReportsOnlyANewSelection)
{
    QTreeWidgetItem* pA = Leaf("alpha", 1);
    QTreeWidgetItem* pB = Leaf("beta", 2);
    QSignalSpy left(m_pTree, &CTreeCtrlEx::itemLeftClick);
    Click(pA);
    ASSERT_EQ(left.count(), 1);
    EXPECT_EQ(left[0][0].value<QTreeWidgetItem*>(), pA);
    EXPECT_EQ(m_pTree->SelectedItem(), pA);
    Click(pA);  // already selected: nothing
    EXPECT_EQ(left.count(), 1);
    Click(pB);
    EXPECT_EQ(left.count(), 2);
    EXPECT_EQ(m_pTree->SelectedItem(), pB);
    // Empty space selects nothing and says so.
    ClickAt(QPoint(100, 250));
    ASSERT_EQ(left.count(), 3);
    EXPECT_EQ(left[2][0].value<QTreeWidgetItem*>(), nullptr);
    EXPECT_EQ(m_pTree->SelectedItem(), nullptr);
}

TEST_F(TreeCtrlExTest, SwitchesTurnOffReportsAndEmptyClicks)
{
    QTreeWidgetItem* pA = Leaf("alpha", 1);
    QSignalSpy left(m_pTree, &CTreeCtrlEx::itemLeftClick);
    m_pTree->Look().bClickEmpty = false;
    Click(pA);
    ClickAt(QPoint(100, 250));
    EXPECT_EQ(left.count(), 1);
    EXPECT_EQ(m_pTree->SelectedItem(), pA);
    m_pTree->Look().bIgnoreReselect = false;
    Click(pA);
    EXPECT_EQ(left.count(), 2);
    m_pTree->Look().bMouse = false;
    m_pTree->Select(nullptr);
    Click(pA);
    EXPECT_EQ(left.count(), 2);
    EXPECT_EQ(m_pTree->SelectedItem(), nullptr);
}

TEST_F(TreeCtrlExTest, DoubleClickTogglesAndReports)
{
    QTreeWidgetItem* pFolder = Folder("macros", 1);
    Leaf("inside", 2, pFolder);
    QSignalSpy left(m_pTree, &CTreeCtrlEx::itemLeftClick);
    QSignalSpy dbl(m_pTree, &CTreeCtrlEx::itemDoubleClick);
    Click(pFolder);
    ASSERT_EQ(left.count(), 1);
    DoubleClick(pFolder);  // on the selected item: the click part reports nothing
    EXPECT_EQ(left.count(), 1);
    ASSERT_EQ(dbl.count(), 1);
    EXPECT_EQ(dbl[0][0].value<QTreeWidgetItem*>(), pFolder);
    EXPECT_TRUE(m_pTree->FindRecord(pFolder)->bExpanded);
    EXPECT_TRUE(pFolder->isExpanded());
    DoubleClick(pFolder);
    EXPECT_EQ(dbl.count(), 2);
    EXPECT_FALSE(m_pTree->FindRecord(pFolder)->bExpanded);
    EXPECT_FALSE(pFolder->isExpanded());
}

TEST_F(TreeCtrlExTest, ClickOnTheExpandButtonToggles)
{
    QTreeWidgetItem* pFolder = Folder("macros", 1);
    Leaf("inside", 2, pFolder);
    const QRect rc = m_pTree->visualItemRect(pFolder);
    ClickAt(QPoint(rc.left() - 5, rc.center().y()));
    EXPECT_TRUE(pFolder->isExpanded());
    ClickAt(QPoint(rc.left() - 5, rc.center().y()));
    EXPECT_FALSE(pFolder->isExpanded());
    ClickAt(rc.center());  // on the text: no toggle
    EXPECT_FALSE(pFolder->isExpanded());
}

TEST_F(TreeCtrlExTest, RightClickSelectsAndReports)
{
    QTreeWidgetItem* pA = Leaf("alpha", 1);
    QSignalSpy right(m_pTree, &CTreeCtrlEx::itemRightClick);
    QSignalSpy left(m_pTree, &CTreeCtrlEx::itemLeftClick);
    Click(pA, Qt::RightButton);
    ASSERT_EQ(right.count(), 1);
    EXPECT_EQ(right[0][0].value<QTreeWidgetItem*>(), pA);
    EXPECT_EQ(m_pTree->SelectedItem(), pA);
    EXPECT_EQ(left.count(), 0);
}

TEST_F(TreeCtrlExTest, DeleteKeyIsReportedOnReleaseAndOtherKeysDoNothing)
{
    QTreeWidgetItem* pA = Leaf("alpha", 1);
    QTreeWidgetItem* pB = Leaf("beta", 2);
    Click(pA);
    QSignalSpy del(m_pTree, &CTreeCtrlEx::deleteKey);
    QSignalSpy left(m_pTree, &CTreeCtrlEx::itemLeftClick);
    QTest::keyPress(m_pTree, Qt::Key_Delete);
    EXPECT_EQ(del.count(), 0);
    QTest::keyRelease(m_pTree, Qt::Key_Delete);
    ASSERT_EQ(del.count(), 1);
    EXPECT_TRUE(del[0].isEmpty());  // no control number
    // Auto-repeated releases of a held key are not separate presses.
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Delete, Qt::NoModifier, QString(), true);
    QCoreApplication::sendEvent(m_pTree, &repeat);
    EXPECT_EQ(del.count(), 1);
    // Letters do not search or move the selection.
    QTest::keyClick(m_pTree, Qt::Key_B);
    EXPECT_EQ(m_pTree->SelectedItem(), pA);
    // The arrow keys move it like a click on the next row.
    QTest::keyClick(m_pTree, Qt::Key_Down);
    EXPECT_EQ(m_pTree->SelectedItem(), pB);
    ASSERT_EQ(left.count(), 1);
    EXPECT_EQ(left[0][0].value<QTreeWidgetItem*>(), pB);
    QTest::keyClick(m_pTree, Qt::Key_Down);  // last row: stays
    EXPECT_EQ(left.count(), 1);
    QTest::keyClick(m_pTree, Qt::Key_Up);
    EXPECT_EQ(m_pTree->SelectedItem(), pA);
}

TEST_F(TreeCtrlExTest, OnlyTextsLongerThanTheLimitGetATooltip)
{
    QTreeWidgetItem* pShort = Leaf(QString(20, QChar('s')), 1);
    QTreeWidgetItem* pLong = Leaf(QString(21, QChar('l')), 2);
    QWidget* pView = m_pTree->viewport();
    Mouse(pView, QEvent::MouseMove, Centre(pLong), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(m_pTree->HoverItem(), pLong);
    EXPECT_EQ(m_pTree->HoverTip(), QString(21, QChar('l')));
    QHelpEvent help(QEvent::ToolTip, Centre(pLong), pView->mapToGlobal(Centre(pLong)));
    QCoreApplication::sendEvent(pView, &help);
    EXPECT_EQ(QToolTip::text(), QString(21, QChar('l')));
    Mouse(pView, QEvent::MouseMove, Centre(pShort), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(m_pTree->HoverItem(), pShort);
    EXPECT_TRUE(m_pTree->HoverTip().isEmpty());
    QHelpEvent help2(QEvent::ToolTip, Centre(pShort), pView->mapToGlobal(Centre(pShort)));
    QCoreApplication::sendEvent(pView, &help2);
    // The tip of the long row goes (after the toolkit's short fade).
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 2000));
    // Deleting the hovered item forgets it.
    m_pTree->DeleteItem(pShort);
    EXPECT_EQ(m_pTree->HoverItem(), nullptr);
    m_pTree->grab();
}

TEST_F(TreeCtrlExTest, EnumChildrenVisitsChildrenBeforeTheirFolderAndStops)
{
    QTreeWidgetItem* pF = Folder("F", 1);
    Leaf("a", 2, pF);
    QTreeWidgetItem* pG = Folder("G", 3, pF);
    Leaf("b", 4, pG);
    Leaf("c", 5, pF);
    Leaf("d", 6);
    QStringList seen;
    auto record = [&](QTreeWidgetItem*, TreeItemInfo* pInfo, const QString& strText) {
        EXPECT_NE(pInfo, nullptr);
        seen << strText;
        return false;
    };
    EXPECT_FALSE(m_pTree->EnumChildren(nullptr, record, true));
    EXPECT_EQ(seen, QStringList({"a", "b", "G", "c", "F", "d"}));
    seen.clear();
    EXPECT_FALSE(m_pTree->EnumChildren(pF, record, false));
    EXPECT_EQ(seen, QStringList({"a", "G", "c"}));
    seen.clear();
    EXPECT_TRUE(m_pTree->EnumChildren(nullptr, [&](QTreeWidgetItem*, TreeItemInfo* pInfo, const QString& s) {
        seen << s;
        return pInfo->nKey == 3;
    }, true));
    EXPECT_EQ(seen, QStringList({"a", "b", "G"}));
}

TEST_F(TreeCtrlExTest, SelectByKeyOpensTheParentAndUpdateInsertDeleteKeepRecords)
{
    QTreeWidgetItem* pF = Folder("F", 1);
    QTreeWidgetItem* pA = Leaf("a", 2, pF);
    Leaf("b", 3, pF);
    const TreeItemInfo* pInfo = m_pTree->SelectByKey(3);
    ASSERT_NE(pInfo, nullptr);
    EXPECT_EQ(pInfo->hItem->text(0), "b");
    EXPECT_EQ(m_pTree->SelectedItem(), pInfo->hItem);
    EXPECT_TRUE(pF->isExpanded());
    EXPECT_TRUE(m_pTree->FindRecord(pF)->bExpanded);
    EXPECT_EQ(m_pTree->SelectByKey(99), nullptr);

    EXPECT_TRUE(m_pTree->UpdateItem(2, "renamed", 20));
    EXPECT_EQ(pA->text(0), "renamed");
    EXPECT_EQ(m_pTree->FindByKey(20), pA);
    EXPECT_FALSE(m_pTree->UpdateItem(2, "gone", 21));

    QTreeWidgetItem* pAfter = m_pTree->InsertNear(pA, false, false, QImage(), "after", 30, 0);
    QTreeWidgetItem* pBefore = m_pTree->InsertNear(pA, true, true, QImage(), "before", 31, 0);
    ASSERT_TRUE(pAfter && pBefore);
    EXPECT_EQ(pF->indexOfChild(pBefore), 0);
    EXPECT_EQ(pF->indexOfChild(pA), 1);
    EXPECT_EQ(pF->indexOfChild(pAfter), 2);
    EXPECT_EQ(m_pTree->SelectedItem(), pBefore);
    EXPECT_EQ(m_pTree->InsertNear(nullptr, false, false, QImage(), "x", 1, 0), nullptr);

    // Deleting a folder removes what is under it, records included.
    m_pTree->DeleteItem(pF);
    EXPECT_EQ(m_pTree->topLevelItemCount(), 0);
    EXPECT_EQ(m_pTree->FindByKey(30), nullptr);
    Leaf("new", 40);
    m_pTree->DeleteAll();
    EXPECT_EQ(m_pTree->topLevelItemCount(), 0);
    EXPECT_EQ(m_pTree->FindByKey(40), nullptr);
}

TEST_F(TreeCtrlExTest, ExpandCollapseToggleKeepTheRecordInStep)
{
    QTreeWidgetItem* pF = Folder("F", 1);
    Leaf("a", 2, pF);
    m_pTree->Expand(TreeExpand::Expand, pF);
    EXPECT_TRUE(m_pTree->FindRecord(pF)->bExpanded);
    EXPECT_TRUE(pF->isExpanded());
    m_pTree->Expand(TreeExpand::Collapse, pF);
    EXPECT_FALSE(m_pTree->FindRecord(pF)->bExpanded);  // the expand picture follows a collapse too
    EXPECT_FALSE(pF->isExpanded());
    m_pTree->Expand(TreeExpand::Toggle, pF);
    EXPECT_TRUE(pF->isExpanded());
    // Adding with select opens the parent.
    QTreeWidgetItem* pG = Folder("G", 3);
    QTreeWidgetItem* pNew = m_pTree->AddItem(false, pG, true, QImage(), "n", 4, 0);
    EXPECT_TRUE(pG->isExpanded());
    EXPECT_EQ(m_pTree->SelectedItem(), pNew);
}

TEST_F(TreeCtrlExTest, DrawsRowFillsTextAndExpandPictures)
{
    test::CTempDir dir;
    Solid(10, 10, 0xFF00FF00).save(QString::fromStdString((dir / "open.png").string()));
    Solid(10, 10, 0xFFFF0000).save(QString::fromStdString((dir / "close.png").string()));
    m_pTree->SetExpandImages(QString::fromStdString((dir / "open.png").string()),
                             QString::fromStdString((dir / "close.png").string()));
    TreeLook& look = m_pTree->Look();
    look.clrBack = 0xFF000010;
    look.clrSelRow = 0xFF202080;
    look.clrHoverRow = 0xFF406040;
    look.clrFrame = 0;
    look.clrText = 0xFFFFFF;
    look.clrSelText = 0x00FFFF;
    m_pTree->LookChanged();
    QTreeWidgetItem* pF = Folder("Folder", 1);
    QTreeWidgetItem* pA = Leaf("Leaf", 2);
    // A row the owner added without a record is not drawn.
    auto* pBare = new QTreeWidgetItem(QStringList("bare"));
    m_pTree->addTopLevelItem(pBare);
    m_pTree->Select(pA);

    const QRect rcF = m_pTree->visualItemRect(pF);
    const QRect rcA = m_pTree->visualItemRect(pA);
    const QRect rcBare = m_pTree->visualItemRect(pBare);
    EXPECT_EQ(rcA.height(), 20);
    QImage img = m_pTree->viewport()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(img.pixel(200, rcA.center().y()) | 0, 0xFF202080u);   // selected row
    EXPECT_EQ(img.pixel(200, rcF.center().y()) | 0, 0xFF000010u);   // plain row: the background
    EXPECT_EQ(img.pixel(rcF.left() - 10, rcF.center().y()) | 0, 0xFFFF0000u);  // collapsed picture
    EXPECT_EQ(CountNot(img, rcBare.adjusted(0, 0, -1, -1), 0xFF000010), 0);
    // Text of the selected row in its colour, of others in theirs.
    EXPECT_GT(CountNot(img, QRect(rcA.left(), rcA.top(), 60, rcA.height() - 1), 0xFF202080), 0);
    EXPECT_GT(CountNot(img, QRect(rcF.left(), rcF.top(), 60, rcF.height() - 1), 0xFF000010), 0);

    m_pTree->Expand(TreeExpand::Expand, pF);
    look.bHoverRow = true;
    Mouse(m_pTree->viewport(), QEvent::MouseMove, rcF.center(), Qt::NoButton, Qt::NoButton);
    img = m_pTree->viewport()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(img.pixel(rcF.left() - 10, rcF.center().y()) | 0, 0xFF00FF00u);  // expanded picture
    EXPECT_EQ(img.pixel(200, rcF.center().y()) | 0, 0xFF406040u);              // hovered row

    // A background piece with an overlay replaces the plain fill.
    m_pTree->SetBackground(Solid(300, 400, 0xFF808080));
    look.nOverlayAlpha = 255;
    m_pTree->Select(nullptr);
    img = m_pTree->viewport()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(img.pixel(200, 290) | 0, 0xFF1E1E1Eu);
    look.nOverlayAlpha = 0;
    img = m_pTree->viewport()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(img.pixel(200, 290) | 0, 0xFF808080u);
}

TEST_F(TreeCtrlExTest, IconsAreDrawnInTheirBoxAndScaleRaisesRows)
{
    const QTreeWidgetItem* pA = m_pTree->AddItem(false, nullptr, false, Solid(18, 18, 0xFFFFFF00), "with icon", 1, 0);
    const CTreeCtrlEx::RowLayout lay = m_pTree->LayoutRow(pA);
    EXPECT_EQ(lay.rcIcon.width(), m_pTree->indentation());
    const QImage img = m_pTree->viewport()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(img.pixel(lay.rcIcon.center()) | 0, 0xFFFFFF00u);
    m_pTree->SetScale(1.5f);
    EXPECT_EQ(m_pTree->ItemHeight(), 30);
    EXPECT_EQ(m_pTree->Look().nIndentGap, 3);
    EXPECT_EQ(m_pTree->visualItemRect(pA).height(), 30);
}
