// The number window: one or two labelled numbers, edited and confirmed or
// cancelled by a user.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <climits>

#include "MsgTestSupport.h"
#include "ui/QtText.h"
#include "ui/skin/PngBtn.h"
#include "ui/skin/QueryDlg.h"

using namespace msgtest;

namespace {

class QueryDlgTest : public SkinnedTest {
protected:
    static void Show(CQueryDlg& dlg)
    {
        dlg.show();
        QApplication::processEvents();
    }
    // Replaces the field's text as a user would: select all, type.
    static void Retype(QLineEdit* pEdit, const QString& str)
    {
        pEdit->selectAll();
        QTest::keyClick(pEdit, Qt::Key_Backspace);
        QTest::keyClicks(pEdit, str);
    }
};

}  // namespace

TEST_F(QueryDlgTest, OneFieldShowsItsLabelAndValue)
{
    const int values[] = {800};
    CQueryDlg dlg(nullptr, {QStringLiteral("DPI")}, 1, values);
    Show(dlg);
    EXPECT_EQ(dlg.Count(), 1);
    ASSERT_NE(dlg.Edit(0), nullptr);
    EXPECT_EQ(dlg.Edit(1), nullptr);
    EXPECT_EQ(dlg.Edit(0)->text(), QStringLiteral("800"));
    EXPECT_EQ(dlg.Edit(0)->size(), QSize(420, 24));
    EXPECT_EQ(dlg.Edit(0)->x(), (464 - 420) / 2);
    EXPECT_EQ(dlg.focusWidget(), dlg.Edit(0));
    EXPECT_EQ(dlg.Label(0), QStringLiteral("DPI"));
    // The label sits above its field, inside the window's middle part.
    const QRect rcLabel = dlg.LabelRect(0);
    EXPECT_EQ(rcLabel, QRect(dlg.Edit(0)->x(), dlg.Edit(0)->y() - 25, 180, 21));
    EXPECT_GE(rcLabel.top(), 36);
    EXPECT_LE(dlg.Edit(0)->geometry().bottom(), dlg.OkButton()->y());
    EXPECT_EQ(dlg.OkButton()->geometry(), QRect(464 - 288, 220 - 47, 124, 22));
    EXPECT_EQ(dlg.CancelButton()->geometry(), QRect(464 - 154, 220 - 47, 124, 22));
    EXPECT_EQ(dlg.OkButton()->text(), ToQString(gText.tc_ok));
    EXPECT_EQ(dlg.CancelButton()->text(), ToQString(gText.tc_cancel));
    const QImage img = dlg.grab().toImage();
    EXPECT_GT(skintest::CountNot(img, rcLabel, img.pixel(rcLabel.right(), rcLabel.top())), 20);
}

TEST_F(QueryDlgTest, OkReadsTheFieldsAsNumbers)
{
    struct Case {
        const char* pszFirst;
        const char* pszSecond;
        int nFirst, nSecond;
    };
    const Case cases[] = {
        {"1200", "30", 1200, 30},
        {"", "7", 0, 7},                     // an empty field is 0
        {"-", "-15", 0, -15},                // a sign alone is no number
        {"9999999999", "-9999999999", INT_MAX, INT_MIN},  // beyond 32 bits: the nearest end
        {"12ab", "x", 12, 0},                // letters are not taken
    };
    for (const Case& c : cases) {
        int values[] = {5, 6};
        CQueryDlg dlg(nullptr, {QStringLiteral("Movement"), QStringLiteral("Pause")}, 2, values);
        Show(dlg);
        EXPECT_EQ(dlg.Edit(0)->geometry(), QRect(40, dlg.Edit(0)->y(), 180, 24));
        EXPECT_EQ(dlg.Edit(1)->geometry(), QRect(250, dlg.Edit(0)->y(), 180, 24));
        Retype(dlg.Edit(0), QString::fromLatin1(c.pszFirst));
        Retype(dlg.Edit(1), QString::fromLatin1(c.pszSecond));
        QTest::keyClick(dlg.Edit(1), Qt::Key_Return);
        EXPECT_EQ(dlg.result(), CQueryDlg::kIdOk) << c.pszFirst;
        EXPECT_EQ(dlg.Value(0), c.nFirst) << c.pszFirst;
        EXPECT_EQ(dlg.Value(1), c.nSecond) << c.pszSecond;
    }
}

TEST_F(QueryDlgTest, QueryNumbersGivesTheValuesBackOrZeroOnCancel)
{
    int values[] = {5, 30};
    WhenModal([](QWidget* w) {
        auto* pDlg = qobject_cast<CQueryDlg*>(w);
        ASSERT_NE(pDlg, nullptr);
        EXPECT_EQ(pDlg->Edit(1)->text(), QStringLiteral("30"));
        QTest::keyClicks(pDlg->Edit(0), QStringLiteral("8"));  // the field opens selected: typing replaces it
        QTest::mouseClick(pDlg->OkButton(), Qt::LeftButton);
    });
    EXPECT_EQ(CQueryDlg::QueryNumbers(nullptr, {QStringLiteral("a"), QStringLiteral("b")}, 2, values), 1);
    EXPECT_EQ(values[0], 8);
    EXPECT_EQ(values[1], 30);

    for (const char* pszHow : {"cancel", "close", "escape"}) {
        int again[] = {5, 30};
        const std::string strHow = pszHow;
        WhenModal([strHow](QWidget* w) {
            auto* pDlg = static_cast<CQueryDlg*>(w);
            QTest::keyClicks(pDlg->Edit(0), QStringLiteral("99"));
            if (strHow == "cancel") QTest::mouseClick(pDlg->CancelButton(), Qt::LeftButton);
            if (strHow == "close") QTest::mouseClick(pDlg->CloseButton(), Qt::LeftButton);
            if (strHow == "escape") QTest::keyClick(pDlg->Edit(0), Qt::Key_Escape);
        });
        EXPECT_EQ(CQueryDlg::QueryNumbers(nullptr, {QStringLiteral("a"), QStringLiteral("b")}, 2, again), 2) << pszHow;
        EXPECT_EQ(again[0], 0) << pszHow;
        EXPECT_EQ(again[1], 0) << pszHow;
    }
    // Without values nothing is shown.
    EXPECT_EQ(CQueryDlg::QueryNumbers(nullptr, {QStringLiteral("a")}, 1, nullptr), 2);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
