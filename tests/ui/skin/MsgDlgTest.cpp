// The message window as a user meets it: messages and questions with their
// buttons and keys, text and number input, the key combination, the window's
// place and size, and a skin without the window's background.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>

#include "MsgTestSupport.h"
#include "keys/KeyCodes.h"
#include "ui/QtText.h"
#include "ui/skin/MsgDlg.h"
#include "ui/skin/PngBtn.h"
#include "ui/skin/QtVirtualKey.h"
#include "ui/skin/SkinTheme.h"

using namespace msgtest;

namespace {

class MsgDlgTest : public SkinnedTest {
protected:
    // Shows the window without blocking, as exec() would show it.
    static void Show(CMsgDlg& dlg)
    {
        dlg.show();
        QApplication::processEvents();
    }
    static QString Tr(const std::u16string& s) { return ToQString(s); }
    static void Press(QWidget* pWidget, int nKey, bool bDown, uint32_t nNative = 0)
    {
        QKeyEvent e(bDown ? QEvent::KeyPress : QEvent::KeyRelease, nKey, Qt::NoModifier, 0, nNative, 0);
        QApplication::sendEvent(pWidget, &e);
    }
};

}  // namespace

TEST_F(MsgDlgTest, AMessageHasOneOkButtonWhereCancelWouldBe)
{
    CMsgDlg dlg(nullptr, CMsgDlg::kModeMessage, Tr(gText.tc_msg(1)));
    dlg.SetTitle(QStringLiteral("Info"));
    Show(dlg);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Info"));  // the caption names the window
    EXPECT_TRUE(dlg.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(dlg.size(), QSize(464, 220));  // the skin's msg_nr.png
    ASSERT_NE(dlg.OkButton(), nullptr);
    EXPECT_EQ(dlg.CancelButton(), nullptr);
    EXPECT_EQ(dlg.OkButton()->text(), Tr(gText.tc_ok));
    EXPECT_EQ(dlg.OkButton()->geometry(), QRect(464 - 154, 220 - 42, 124, 22));
    ASSERT_NE(dlg.CloseButton(), nullptr);
    EXPECT_EQ(dlg.CloseButton()->pos(), QPoint(464 - 36, 10));
    EXPECT_EQ(dlg.Edit(), nullptr);
    EXPECT_EQ(dlg.Title(), QStringLiteral("Info"));
    // The prompt is drawn in the window's text colour between the title strip and the buttons.
    const QImage img = dlg.grab().toImage();
    const QRect rc = dlg.PromptRect();
    EXPECT_GE(rc.top(), 30);
    EXPECT_LE(rc.bottom(), dlg.OkButton()->y());
    int nText = 0;
    for (int y = rc.top(); y <= rc.bottom(); ++y)
        for (int x = rc.left(); x <= rc.right(); ++x) nText += (img.pixel(x, y) & 0xFFFFFF) == 0xC8C8C8;
    EXPECT_GT(nText, 30);

    QTest::mouseClick(dlg.OkButton(), Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), CMsgDlg::kIdOk);
}

TEST_F(MsgDlgTest, AQuestionAnswersByButtonsAndKeys)
{
    struct Case {
        const char* pszWhat;
        std::function<void(CMsgDlg&)> act;
        int nResult;
    };
    const Case cases[] = {
        {"OK", [](CMsgDlg& d) { QTest::mouseClick(d.OkButton(), Qt::LeftButton); }, CMsgDlg::kIdOk},
        {"Cancel", [](CMsgDlg& d) { QTest::mouseClick(d.CancelButton(), Qt::LeftButton); }, CMsgDlg::kIdCancel},
        {"close", [](CMsgDlg& d) { QTest::mouseClick(d.CloseButton(), Qt::LeftButton); }, CMsgDlg::kIdCancel},
        {"Enter", [](CMsgDlg& d) { QTest::keyClick(&d, Qt::Key_Return); }, CMsgDlg::kIdOk},
        {"keypad Enter", [](CMsgDlg& d) { QTest::keyClick(&d, Qt::Key_Enter, Qt::KeypadModifier); }, CMsgDlg::kIdOk},
        {"Escape", [](CMsgDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }, CMsgDlg::kIdCancel},
        {"Tab to Cancel, Enter",
         [](CMsgDlg& d) {
             d.CancelButton()->setFocus(Qt::TabFocusReason);
             QTest::keyClick(d.CancelButton(), Qt::Key_Return);
         },
         CMsgDlg::kIdCancel},
        {"window manager close", [](CMsgDlg& d) { d.close(); }, CMsgDlg::kIdCancel},
    };
    for (const Case& c : cases) {
        CMsgDlg dlg(nullptr, CMsgDlg::kModeQuestion, Tr(gText.tc_msg(8)));
        Show(dlg);
        ASSERT_NE(dlg.CancelButton(), nullptr);
        EXPECT_EQ(dlg.OkButton()->geometry(), QRect(464 - 288, 220 - 42, 124, 22));
        EXPECT_EQ(dlg.CancelButton()->geometry(), QRect(464 - 154, 220 - 42, 124, 22));
        EXPECT_EQ(dlg.CancelButton()->text(), Tr(gText.tc_cancel));
        c.act(dlg);
        EXPECT_FALSE(dlg.isVisible()) << c.pszWhat;
        EXPECT_EQ(dlg.result(), c.nResult) << c.pszWhat;
    }
    // F1 and Space do nothing to the window.
    CMsgDlg dlg(nullptr, CMsgDlg::kModeQuestion, QStringLiteral("?"));
    Show(dlg);
    QTest::keyClick(&dlg, Qt::Key_F1);
    QTest::keyClick(&dlg, Qt::Key_Space);
    EXPECT_TRUE(dlg.isVisible());
}

TEST_F(MsgDlgTest, TheOperationsRunTheWindowModally)
{
    WhenModal([](QWidget* w) {
        auto* pDlg = qobject_cast<CMsgDlg*>(w);
        ASSERT_NE(pDlg, nullptr);
        EXPECT_EQ(pDlg->Prompt(), QStringLiteral("Saved."));
        EXPECT_EQ(pDlg->Title(), QStringLiteral("Info"));
        QTest::mouseClick(pDlg->OkButton(), Qt::LeftButton);
    });
    EXPECT_EQ(CMsgDlg::ShowMessage(nullptr, QStringLiteral("Saved."), QStringLiteral("Info")), CMsgDlg::kIdOk);

    WhenModal([](QWidget* w) { QTest::mouseClick(static_cast<CMsgDlg*>(w)->CancelButton(), Qt::LeftButton); });
    EXPECT_EQ(CMsgDlg::Ask(nullptr, QStringLiteral("Delete?")), CMsgDlg::kIdCancel);
    WhenModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); });
    EXPECT_TRUE(CMsgDlg::AskYesNo(nullptr, QStringLiteral("Delete?")));
    WhenModal([](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    EXPECT_FALSE(CMsgDlg::AskYesNo(nullptr, QStringLiteral("Delete?")));

    // A text: typed and confirmed with Enter; Cancel leaves the caller's text alone.
    QString strName = QStringLiteral("old");
    WhenModal([](QWidget* w) {
        auto* pDlg = static_cast<CMsgDlg*>(w);
        EXPECT_TRUE(pDlg->Edit()->isVisible());
        EXPECT_EQ(pDlg->focusWidget(), pDlg->Edit());
        QTest::keyClicks(pDlg->Edit(), QStringLiteral("Sniper 2"));
        QTest::keyClick(pDlg->Edit(), Qt::Key_Return);
    });
    EXPECT_EQ(CMsgDlg::AskText(nullptr, Tr(gText.tc_msg(3)), strName, 20), 1);
    EXPECT_EQ(strName, QStringLiteral("Sniper 2"));
    WhenModal([](QWidget* w) {
        QTest::keyClicks(static_cast<CMsgDlg*>(w)->Edit(), QStringLiteral("x"));
        QTest::mouseClick(static_cast<CMsgDlg*>(w)->CancelButton(), Qt::LeftButton);
    });
    EXPECT_EQ(CMsgDlg::AskText(nullptr, QStringLiteral("Name"), strName, 20), 0);
    EXPECT_EQ(strName, QStringLiteral("Sniper 2"));
    // OK on an empty field is Cancel.
    WhenModal([](QWidget* w) { QTest::mouseClick(static_cast<CMsgDlg*>(w)->OkButton(), Qt::LeftButton); });
    EXPECT_EQ(CMsgDlg::AskText(nullptr, QStringLiteral("Name"), strName, 20), 0);
    EXPECT_EQ(strName, QStringLiteral("Sniper 2"));
}

TEST(MsgDlgFilter, TheRefusedCharacters)
{
    const QString strRefused = QStringLiteral("&%$#@*!()+=<>[]{}|.,?;:\"'/\\") + QChar(0xFF01) + QChar(0xFFE5);
    EXPECT_EQ(strRefused.size(), 29);
    for (const QChar c : strRefused)
        EXPECT_EQ(FindForbiddenChar(QStringLiteral("ab") + c + QStringLiteral("c")), 2) << int(c.unicode());
    const QString strAllowed = QStringLiteral("Abc 09-_~^`äß") + QChar(0x4E2D) + QChar(0xFF0C);
    EXPECT_EQ(FindForbiddenChar(strAllowed), -1);
    EXPECT_EQ(FindForbiddenChar(QString()), -1);
}

TEST_F(MsgDlgTest, ARefusedCharacterCutsTheTextAndShowsTheHint)
{
    CMsgDlg dlg(nullptr, CMsgDlg::kModeText, QStringLiteral("Name"));
    dlg.SetMaxLen(8);
    Show(dlg);
    QLineEdit* pEdit = dlg.Edit();
    ASSERT_NE(pEdit, nullptr);
    QTest::keyClicks(pEdit, QStringLiteral("a."));
    EXPECT_EQ(pEdit->text(), QStringLiteral("a"));
    EXPECT_EQ(dlg.Hint(), Tr(gText.tc_tips2));
    EXPECT_EQ(pEdit->cursorPosition(), 1);
    // Typing on: the refused character stays out and the hint goes.
    QTest::keyClicks(pEdit, QStringLiteral("b"));
    EXPECT_EQ(pEdit->text(), QStringLiteral("ab"));
    EXPECT_TRUE(dlg.Hint().isEmpty());
    // Pasted text is cut before its first refused character.
    QApplication::clipboard()->setText(QStringLiteral("cd/ef"));
    pEdit->paste();
    EXPECT_EQ(pEdit->text(), QStringLiteral("abcd"));
    EXPECT_EQ(dlg.Hint(), Tr(gText.tc_tips2));
    // The length limit.
    QTest::keyClicks(pEdit, QStringLiteral("123456"));
    EXPECT_EQ(pEdit->text(), QStringLiteral("abcd1234"));
    QTest::mouseClick(dlg.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), CMsgDlg::kIdOk);
    EXPECT_EQ(dlg.TextResult(), QStringLiteral("abcd1234"));
}

TEST_F(MsgDlgTest, ANumberFieldTakesDigitsOnly)
{
    struct Case {
        const char* pszTyped;
        int nResult;
    };
    const Case cases[] = {{"", 0}, {"42", 42}, {"1a2-3", 123}, {"12345678901", 123456789}, {"007", 7}};
    for (const Case& c : cases) {
        CMsgDlg dlg(nullptr, CMsgDlg::kModeNumber, QStringLiteral("DPI"));
        Show(dlg);
        QTest::keyClicks(dlg.Edit(), QString::fromLatin1(c.pszTyped));
        QTest::keyClick(dlg.Edit(), Qt::Key_Return);
        EXPECT_EQ(dlg.result(), CMsgDlg::kIdOk) << c.pszTyped;
        EXPECT_EQ(dlg.NumberResult(), c.nResult) << c.pszTyped;
    }
    CMsgDlg dlg(nullptr, CMsgDlg::kModeNumber, QStringLiteral("DPI"));
    dlg.SetInitialText(QStringLiteral("800"));
    Show(dlg);
    EXPECT_EQ(dlg.Edit()->text(), QStringLiteral("800"));
    QTest::mouseClick(dlg.CloseButton(), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), CMsgDlg::kIdCancel);
    EXPECT_EQ(dlg.NumberResult(), 0);
}

TEST_F(MsgDlgTest, KeyModeReadsACombinationFromTheKeyboard)
{
    CFakeClock clock;
    CMsgDlg dlg(nullptr, CMsgDlg::kModeKey, Tr(gText.tc_msg(10)));
    dlg.SetClock(&clock);
    Show(dlg);
    QLineEdit* pEdit = dlg.Edit();
    ASSERT_NE(pEdit, nullptr);
    EXPECT_TRUE(pEdit->isReadOnly());
    EXPECT_EQ(dlg.ModBox(CMsgDlg::kBoxCtrl), nullptr);

    Press(&dlg, Qt::Key_Control, true, xkeysym::kControlL);
    clock.Advance(std::chrono::milliseconds(300));
    Press(&dlg, Qt::Key_A, true);
    Press(&dlg, Qt::Key_A, false);
    Press(&dlg, Qt::Key_Control, false, xkeysym::kControlL);
    EXPECT_EQ(pEdit->text(), QStringLiteral("L-Ctrl + A"));
    EXPECT_EQ(dlg.Combo(), (CapturedCombo{kModLCtrl, 'A', 0}));

    // After a pause a press starts anew; Escape and Enter are keys like any other here.
    clock.Advance(std::chrono::milliseconds(1200));
    Press(&dlg, Qt::Key_Shift, true, xkeysym::kShiftR);
    clock.Advance(std::chrono::milliseconds(100));
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(pEdit->text(), QStringLiteral("R-Shift + Esc"));
    clock.Advance(std::chrono::milliseconds(1500));
    QTest::keyClick(&dlg, Qt::Key_Return);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.Combo(), (CapturedCombo{0, kVkReturn, 0}));
    // Tab does not move the focus away: it is captured too.
    clock.Advance(std::chrono::milliseconds(1500));
    QTest::keyClick(&dlg, Qt::Key_Tab);
    EXPECT_EQ(dlg.Combo(), (CapturedCombo{0, kVkTab, 0}));

    QTest::mouseClick(dlg.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), CMsgDlg::kIdOk);
    EXPECT_EQ(dlg.Combo(), (CapturedCombo{0, kVkTab, 0}));
}

TEST_F(MsgDlgTest, KeyModeWithModifierBoxes)
{
    CFakeClock clock;
    CMsgDlg dlg(nullptr, CMsgDlg::kModeKey, QStringLiteral("Key"));
    dlg.SetModBoxes(true);
    dlg.SetClock(&clock);
    Show(dlg);
    for (int i = 0; i < CMsgDlg::kBoxCount; ++i) ASSERT_NE(dlg.ModBox(i), nullptr) << i;
    // The boxes sit under the field, 2 pixels in from its left end and 15 below it, 50 apart.
    const QRect rcEdit = dlg.Edit()->geometry();
    EXPECT_EQ(dlg.ModBox(CMsgDlg::kBoxShift)->geometry(), QRect(rcEdit.left() + 2, rcEdit.bottom() + 1 + 15, 17, 17));
    EXPECT_EQ(dlg.ModBox(CMsgDlg::kBoxCtrl)->x(), rcEdit.left() + 2 + 17 + 50);
    EXPECT_LE(dlg.ModBox(CMsgDlg::kBoxWin)->geometry().bottom(), dlg.OkButton()->y());

    Press(&dlg, Qt::Key_Control, true);
    Press(&dlg, Qt::Key_K, true);
    EXPECT_EQ(dlg.Edit()->text(), QStringLiteral("K"));
    // A click toggles a box.
    for (int nBox : {CMsgDlg::kBoxCtrl, CMsgDlg::kBoxWin, CMsgDlg::kBoxAlt, CMsgDlg::kBoxAlt})
        QTest::mouseClick(dlg.ModBox(nBox), Qt::LeftButton);
    EXPECT_TRUE(dlg.ModBox(CMsgDlg::kBoxCtrl)->isChecked());
    EXPECT_FALSE(dlg.ModBox(CMsgDlg::kBoxAlt)->isChecked());
    QTest::mouseClick(dlg.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dlg.Combo(), (CapturedCombo{uint8_t(kModLCtrl | kModLWin), 'K', 0}));

    // Each box adds its own bit.
    const std::pair<int, uint8_t> bits[] = {{CMsgDlg::kBoxShift, 0x02}, {CMsgDlg::kBoxCtrl, 0x01},
                                            {CMsgDlg::kBoxAlt, 0x04}, {CMsgDlg::kBoxWin, 0x08}};
    for (const auto& [nBox, byBit] : bits) {
        CMsgDlg one(nullptr, CMsgDlg::kModeKey, QStringLiteral("Key"));
        one.SetModBoxes(true);
        Show(one);
        QTest::mouseClick(one.ModBox(nBox), Qt::LeftButton);
        QTest::mouseClick(one.OkButton(), Qt::LeftButton);
        EXPECT_EQ(one.Combo().byModifier, byBit) << nBox;
    }
}

TEST_F(MsgDlgTest, TheWindowIsCentredOnItsOwnerAndMovesByItsBackground)
{
    QWidget owner;
    owner.setGeometry(100, 120, 900, 700);
    auto* pPage = new QWidget(&owner);  // a page of the window opens it
    pPage->setGeometry(0, 0, 200, 100);
    owner.show();
    CMsgDlg dlg(pPage, CMsgDlg::kModeMessage, QStringLiteral("Hello"));
    Show(dlg);
    EXPECT_EQ(dlg.parentWidget(), &owner);
    EXPECT_EQ(dlg.geometry().center(), owner.geometry().center());

    const QPoint ptBefore = dlg.pos();
    const QPoint ptGrab(200, 100);  // on the background, away from every control
    ASSERT_EQ(dlg.childAt(ptGrab), nullptr);
    skintest::Mouse(&dlg, QEvent::MouseButtonPress, ptGrab, Qt::LeftButton, Qt::LeftButton);
    skintest::Mouse(&dlg, QEvent::MouseMove, ptGrab + QPoint(30, 20), Qt::NoButton, Qt::LeftButton);
    skintest::Mouse(&dlg, QEvent::MouseButtonRelease, ptGrab + QPoint(30, 20), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(dlg.pos(), ptBefore + QPoint(30, 20));
    EXPECT_TRUE(dlg.isVisible());
    // Moving without a held button moves nothing.
    skintest::Mouse(&dlg, QEvent::MouseMove, ptGrab + QPoint(90, 90), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(dlg.pos(), ptBefore + QPoint(30, 20));
}

TEST_F(MsgDlgTest, OnLargeScreensEverythingIsScaled)
{
    skin::SetInterfaceScale(1.5);
    CMsgDlg dlg(nullptr, CMsgDlg::kModeKey, QStringLiteral("Key"));
    dlg.SetModBoxes(true);
    Show(dlg);
    EXPECT_EQ(dlg.size(), QSize(696, 330));
    EXPECT_EQ(dlg.OkButton()->geometry(), QRect(264, 267, 186, 33));
    EXPECT_EQ(dlg.CancelButton()->geometry(), QRect(465, 267, 186, 33));
    EXPECT_EQ(dlg.CloseButton()->geometry(), QRect(642, 15, 30, 30));
    EXPECT_EQ(dlg.Edit()->size(), QSize(540, 33));
    EXPECT_EQ(dlg.ModBox(0)->size(), QSize(25, 25));
    EXPECT_LE(dlg.ModBox(0)->geometry().bottom(), dlg.OkButton()->y());
}

TEST_F(MsgDlgTest, WithoutItsBackgroundTheWindowClosesAtOnce)
{
    UseBrokenSkin();
    EXPECT_EQ(CMsgDlg::ShowMessage(nullptr, QStringLiteral("lost")), CMsgDlg::kIdCancel);
    EXPECT_FALSE(CMsgDlg::AskYesNo(nullptr, QStringLiteral("sure?")));
    QString strText = QStringLiteral("kept");
    EXPECT_EQ(CMsgDlg::AskText(nullptr, QStringLiteral("name"), strText, 10), 0);
    EXPECT_EQ(strText, QStringLiteral("kept"));
}

// The hint is a warning: drawn in the theme's warning colour, the edit field
// in the theme's field colours.
TEST_F(MsgDlgTest, TheHintIsDrawnInTheWarningColourAndTheFieldInTheFieldColours)
{
    struct ThemeGuard {
        skin::SkinTheme saved = skin::Theme();
        ~ThemeGuard() { skin::SetTheme(saved); }
    } guard;
    skin::SkinTheme theme = skin::Theme();
    theme.clrWarning = QColor(0xff, 0x00, 0xff);  // a colour nothing else uses
    theme.clrFieldBack = QColor(0x00, 0xff, 0x00);
    skin::SetTheme(theme);
    CMsgDlg dlg(nullptr, CMsgDlg::kModeText, QStringLiteral("Name"));
    Show(dlg);
    QLineEdit* pEdit = dlg.Edit();
    ASSERT_NE(pEdit, nullptr);
    QTest::keyClicks(pEdit, QStringLiteral("a."));
    ASSERT_FALSE(dlg.Hint().isEmpty());
    QApplication::processEvents();
    const QImage img = dlg.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    int nWarning = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = QColor::fromRgb(img.pixel(x, y));
            // Antialiased text: the full colour somewhere in the glyphs.
            if (c.red() > 0xe0 && c.green() < 0x20 && c.blue() > 0xe0) ++nWarning;
        }
    EXPECT_GT(nWarning, 10);
    const QPoint ptField = pEdit->geometry().topLeft() + QPoint(pEdit->width() - 4, pEdit->height() / 2);
    EXPECT_EQ(img.pixel(ptField) | 0, 0xFF00FF00u);
}
