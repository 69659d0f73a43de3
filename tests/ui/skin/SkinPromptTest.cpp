// The model's messages and questions in the skinned message window, through
// the prompt interface, from the user interface thread and from a worker.
#include <gtest/gtest.h>

#include <QMessageBox>
#include <QTest>
#include <atomic>
#include <thread>

#include "MsgTestSupport.h"
#include "ui/skin/MsgDlg.h"
#include "ui/skin/PngBtn.h"
#include "ui/skin/SkinPrompt.h"

using namespace msgtest;

namespace {

class SkinPromptTest : public SkinnedTest {};

}  // namespace

TEST_F(SkinPromptTest, MessagesAndQuestionsShowTheMessageWindow)
{
    QWidget owner;
    owner.setGeometry(300, 200, 800, 600);
    owner.show();
    CSkinPrompt skinPrompt(&owner);
    IPrompt& prompt = skinPrompt;

    WhenModal([&owner](QWidget* w) {
        auto* pDlg = qobject_cast<CMsgDlg*>(w);
        ASSERT_NE(pDlg, nullptr);
        EXPECT_EQ(pDlg->Mode(), CMsgDlg::kModeMessage);
        EXPECT_EQ(pDlg->Prompt(), QStringLiteral("cfg.ini: bad value"));
        EXPECT_EQ(pDlg->Title(), QStringLiteral("Error"));
        EXPECT_EQ(pDlg->parentWidget(), &owner);
        EXPECT_EQ(pDlg->geometry().center(), owner.geometry().center());
        QTest::mouseClick(pDlg->OkButton(), Qt::LeftButton);
    });
    prompt.ShowMessage(u"cfg.ini: bad value", u"Error");

    struct Case {
        const char* pszWhat;
        std::function<void(CMsgDlg*)> act;
        bool bAnswer;
    };
    const Case cases[] = {
        {"OK", [](CMsgDlg* d) { QTest::mouseClick(d->OkButton(), Qt::LeftButton); }, true},
        {"Cancel", [](CMsgDlg* d) { QTest::mouseClick(d->CancelButton(), Qt::LeftButton); }, false},
        {"close", [](CMsgDlg* d) { QTest::mouseClick(d->CloseButton(), Qt::LeftButton); }, false},
        {"Escape", [](CMsgDlg* d) { QTest::keyClick(d, Qt::Key_Escape); }, false},
    };
    for (const Case& c : cases) {
        WhenModal([&c](QWidget* w) {
            auto* pDlg = qobject_cast<CMsgDlg*>(w);
            ASSERT_NE(pDlg, nullptr);
            EXPECT_EQ(pDlg->Mode(), CMsgDlg::kModeQuestion);
            EXPECT_EQ(pDlg->Prompt(), QStringLiteral("Download the update?"));
            c.act(pDlg);
        });
        EXPECT_EQ(prompt.AskYesNo(u"Download the update?", u"Update"), c.bAnswer) << c.pszWhat;
    }
}

TEST_F(SkinPromptTest, AWorkerThreadWaitsForTheAnswer)
{
    CSkinPrompt skinPrompt;
    std::atomic<int> nAnswer = -1;
    std::thread worker([&skinPrompt, &nAnswer] {
        nAnswer = static_cast<IPrompt&>(skinPrompt).AskYesNo(u"Install it now?", u"Update") ? 1 : 0;
    });
    WhenModal([](QWidget* w) {
        auto* pDlg = qobject_cast<CMsgDlg*>(w);
        ASSERT_NE(pDlg, nullptr);
        EXPECT_EQ(pDlg->Prompt(), QStringLiteral("Install it now?"));
        QTest::keyClick(pDlg, Qt::Key_Return);
    });
    QTRY_VERIFY_WITH_TIMEOUT(nAnswer != -1, 5000);
    worker.join();
    EXPECT_EQ(nAnswer, 1);
}

TEST_F(SkinPromptTest, WithoutTheSkinTheSystemMessageBoxShowsTheText)
{
    UseBrokenSkin();
    CSkinPrompt skinPrompt;
    QString strShown;
    WhenModal([&strShown](QWidget* w) {
        auto* pBox = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(pBox, nullptr);
        strShown = pBox->text();
        pBox->accept();
    });
    static_cast<IPrompt&>(skinPrompt).ShowMessage(u"Data Init failed.", u"Error");
    EXPECT_EQ(strShown, QStringLiteral("Data Init failed."));
}
