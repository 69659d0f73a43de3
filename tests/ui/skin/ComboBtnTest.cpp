// The combo button: its lists, selection by index and value, where its list
// opens, and a choice made in the opened list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include "SkinTestSupport.h"
#include "ui/skin/ComboBtn.h"
#include "ui/skin/ComboPopup.h"

using namespace skintest;

namespace {

// A list window that remembers what it was asked to show and lets the test choose.
class CFakeMenu final : public IComboMenu {
public:
    void Open(QWidget*, const ComboMenuRequest& request, std::function<void(int, int)> onChoice) override
    {
        m_req = request;
        m_onChoice = std::move(onChoice);
        m_bOpen = true;
        ++m_nOpened;
    }
    void Close() override { m_bOpen = false; }
    bool IsOpen() const override { return m_bOpen; }
    void Choose(int nCode) { m_onChoice(nCode, m_req.nTag); }

    ComboMenuRequest m_req;
    std::function<void(int, int)> m_onChoice;
    bool m_bOpen = false;
    int m_nOpened = 0;
};

class ComboBtnTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_page.resize(300, 200);
        m_page.show();
        m_pCombo = new CComboBtn(&m_page);
        m_pCombo->SetImages(Solid(100, 22, 0xFF303030), Solid(100, 22, 0xFF505050), Solid(100, 22, 0xFF707070));
        m_pCombo->setGeometry(20, 20, 100, 22);
        m_pCombo->show();
        auto pMenu = std::make_unique<CFakeMenu>();
        m_pMenu = pMenu.get();
        m_pCombo->SetMenu(std::move(pMenu));
    }
    void Fill(int nList, int nCount)
    {
        for (int i = 0; i < nCount; ++i) m_pCombo->AddItem(nList, 100 + i, QString("Item %1").arg(i));
    }

    CGlobalsGuard m_guard;
    QWidget m_page;
    CComboBtn* m_pCombo = nullptr;
    CFakeMenu* m_pMenu = nullptr;
};

}  // namespace

TEST_F(ComboBtnTest, ClickOpensTheActiveListAndAChoiceSelectsAndNotifies)
{
    Fill(0, 3);
    m_pCombo->AddItem(2, 7, "Other list");
    QSignalSpy clicked(m_pCombo, &QAbstractButton::clicked);
    QSignalSpy changed(m_pCombo, &CComboBtn::changed);
    QTest::mouseClick(m_pCombo, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicked.count(), 1);
    ASSERT_TRUE(m_pMenu->IsOpen());
    ASSERT_EQ(m_pMenu->m_req.items.size(), 3u);
    EXPECT_EQ(m_pMenu->m_req.items[1].nCode, 101);
    EXPECT_EQ(m_pMenu->m_req.items[1].strText, "Item 1");
    EXPECT_EQ(m_pMenu->m_req.nTag, 0);
    EXPECT_EQ(m_pMenu->m_req.rcGlobal.width(), 96);  // button width - 4
    m_pMenu->Choose(102);
    EXPECT_FALSE(m_pMenu->IsOpen());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].toInt(), 102);  // the chosen value, no control number
    EXPECT_EQ(m_pCombo->Value(), 102);
    EXPECT_EQ(m_pCombo->SelIndex(), 2);
    EXPECT_EQ(m_pCombo->text(), "Item 2");
    // The other list opens once it is active.
    m_pCombo->SetActiveList(2);
    m_pCombo->SetListWidth(150);
    QTest::mouseClick(m_pCombo, Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_EQ(m_pMenu->m_req.items.size(), 1u);
    EXPECT_EQ(m_pMenu->m_req.nTag, 2);
    EXPECT_EQ(m_pMenu->m_req.rcGlobal.width(), 150);
}

TEST_F(ComboBtnTest, UnknownChoiceChangesNothingAndSendsNothing)
{
    Fill(0, 3);
    m_pCombo->SelectIndex(1);
    QSignalSpy changed(m_pCombo, &CComboBtn::changed);
    QTest::mouseClick(m_pCombo, Qt::LeftButton, {}, QPoint(10, 10));
    m_pMenu->Choose(555);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(m_pCombo->Value(), 101);
    EXPECT_EQ(m_pCombo->text(), "Item 1");
}

TEST_F(ComboBtnTest, OnlyTheFirstThirtyItemsAreShownAndSelectableByValue)
{
    Fill(0, 35);
    QTest::mouseClick(m_pCombo, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(m_pMenu->m_req.items.size(), 30u);
    EXPECT_EQ(m_pMenu->m_req.rcGlobal.height(), 30 * 22);
    EXPECT_TRUE(m_pCombo->SelectValue(129));
    EXPECT_FALSE(m_pCombo->SelectValue(130));   // the 31st item
    EXPECT_EQ(m_pCombo->Value(), 129);
    m_pCombo->SelectIndex(32);                  // by index it is still reachable
    EXPECT_EQ(m_pCombo->Value(), 132);
}

TEST_F(ComboBtnTest, EmptyListOpensNothingAndDoubleClickDoesNotReopen)
{
    QTest::mouseClick(m_pCombo, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(m_pMenu->m_nOpened, 0);
    Fill(0, 2);
    QTest::mouseClick(m_pCombo, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseDClick(m_pCombo, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(m_pCombo, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(m_pMenu->m_nOpened, 1);
}

TEST_F(ComboBtnTest, KeyboardOpensTheList)
{
    Fill(0, 2);
    m_pCombo->setFocus(Qt::TabFocusReason);
    QTest::keyClick(m_pCombo, Qt::Key_Space);
    EXPECT_EQ(m_pMenu->m_nOpened, 1);
    QTest::keyClick(m_pCombo, Qt::Key_F4);
    EXPECT_EQ(m_pMenu->m_nOpened, 2);
    QTest::keyClick(m_pCombo, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(m_pMenu->m_nOpened, 3);
    QTest::keyClick(m_pCombo, Qt::Key_Down);
    EXPECT_EQ(m_pMenu->m_nOpened, 3);
}

TEST_F(ComboBtnTest, SelectIndexClearsAndIgnoresIndicesPastTheEnd)
{
    gVar.nBtnTips = 1;
    Fill(0, 3);
    m_pCombo->SetTextMargin(8);
    m_pCombo->SelectIndex(2);
    EXPECT_EQ(m_pCombo->text(), "Item 2");
    EXPECT_EQ(m_pCombo->Margin(), 8);
    EXPECT_EQ(m_pCombo->toolTip(), "Item 2");
    m_pCombo->SelectIndex(3);
    EXPECT_EQ(m_pCombo->SelIndex(), 2);
    m_pCombo->SelectIndex(-1);
    EXPECT_EQ(m_pCombo->SelIndex(), -1);
    EXPECT_EQ(m_pCombo->Value(), -1);
    EXPECT_TRUE(m_pCombo->text().isEmpty());
    EXPECT_TRUE(m_pCombo->toolTip().isEmpty());
}

TEST_F(ComboBtnTest, RetextingAnItemRefreshesTheCaption)
{
    Fill(0, 3);
    m_pCombo->SelectValue(101);
    EXPECT_TRUE(m_pCombo->SetItemName(0, 101, "Renamed"));
    EXPECT_EQ(m_pCombo->text(), "Renamed");
    EXPECT_TRUE(m_pCombo->SetItemName(0, 100, "First"));
    EXPECT_EQ(m_pCombo->text(), "Renamed");
    EXPECT_FALSE(m_pCombo->SetItemName(0, 999, "none"));
    // Long names are kept whole.
    const QString strLong(60, QChar('n'));
    m_pCombo->SetItemName(0, 101, strLong);
    EXPECT_EQ(m_pCombo->text(), strLong);
}

TEST_F(ComboBtnTest, ItemHeightFollowsTheInterfaceScale)
{
    Fill(0, 2);
    m_pCombo->SetScale(1.4f);  // the control's own scale, as its creator gives it
    QTest::mouseClick(m_pCombo, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(m_pMenu->m_req.nItemHeight, 30);
    EXPECT_EQ(m_pMenu->m_req.rcGlobal.height(), 60);
}

TEST(ComboListRect, PlacementTable)
{
    const QRect rcScreen(0, 0, 1000, 800);
    struct Case { QRect rcButton; int nHeight; int nPlace; QPoint ptExpected; };
    const Case cases[] = {
        {QRect(100, 100, 80, 20), 200, 0, {100, 120}},   // below the button
        {QRect(100, 700, 80, 20), 200, 0, {100, 500}},   // no room below: above it
        {QRect(100, 580, 80, 20), 200, 0, {100, 600}},   // ends exactly at the screen bottom: still below
        {QRect(100, 100, 80, 20), 600, 0, {100, 120}},
        {QRect(100, 300, 80, 20), 600, 0, {100, 0}},     // no room on either side: kept on the screen
        {QRect(100, 400, 80, 20), 200, 1, {100, 300}},   // centred on the top edge
        {QRect(100, 700, 80, 20), 200, 1, {100, 570}},   // 30 pixels above the bottom
        {QRect(950, 100, 80, 20), 100, 0, {900, 120}},   // kept inside the right edge
    };
    for (const Case& c : cases) {
        const QRect rc = CComboBtn::ListRect(c.rcButton, c.nHeight, 100, c.nPlace, rcScreen);
        EXPECT_EQ(rc.topLeft(), c.ptExpected) << c.rcButton.y() << " " << c.nHeight << " " << c.nPlace;
        EXPECT_EQ(rc.size(), QSize(100, c.nHeight));
    }
}

TEST(ComboPopup, ChoosingARowWithTheMouseOrKeysSelectsTheValue)
{
    CGlobalsGuard guard;
    QWidget page;
    page.resize(300, 300);
    page.show();
    auto* pCombo = new CComboBtn(&page);
    pCombo->SetImages(Solid(100, 22, 0xFF303030), Solid(100, 22, 0xFF303030), Solid(100, 22, 0xFF303030));
    pCombo->setGeometry(10, 10, 100, 22);
    pCombo->show();
    pCombo->SetMenu(std::make_unique<CComboPopup>());
    for (int i = 0; i < 4; ++i) pCombo->AddItem(0, 10 * i, QString("Speed %1").arg(i));
    QSignalSpy changed(pCombo, &CComboBtn::changed);

    QTest::mouseClick(pCombo, Qt::LeftButton, {}, QPoint(10, 10));
    auto* pPopup = dynamic_cast<CComboPopup*>(pCombo->Menu());
    ASSERT_NE(pPopup, nullptr);
    ASSERT_TRUE(pPopup->IsOpen());
    EXPECT_EQ(pPopup->height(), 4 * 22);
    const QPoint ptRow2 = pPopup->ItemRect(2).center();
    QTest::mouseMove(pPopup, ptRow2);
    QTest::mouseClick(pPopup, Qt::LeftButton, {}, ptRow2);
    EXPECT_FALSE(pPopup->IsOpen());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(pCombo->Value(), 20);

    pCombo->OpenList();
    ASSERT_TRUE(pPopup->IsOpen());
    QTest::keyClick(pPopup, Qt::Key_Down);
    QTest::keyClick(pPopup, Qt::Key_Down);
    EXPECT_EQ(pPopup->HoverIndex(), 1);
    QTest::keyClick(pPopup, Qt::Key_Return);
    EXPECT_EQ(pCombo->Value(), 10);
    EXPECT_EQ(changed.count(), 2);

    pCombo->OpenList();
    QTest::keyClick(pPopup, Qt::Key_Escape);
    EXPECT_FALSE(pPopup->IsOpen());
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(pCombo->Value(), 10);
}
