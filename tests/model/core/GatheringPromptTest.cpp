// Start-up's messages gathered into one window.
#include <gtest/gtest.h>

#include <string>

#include "core/GatheringPrompt.h"
#include "core/Utf.h"

TEST(GatheringPrompt, OneMessageStaysAsItIsSeveralBecomeOneList)
{
    CRecordingPrompt shown;
    {
        CGatheringPrompt gather(shown);
        gather.ShowSettingMessage(u"Wrong POINT num", u"Error", "[OPT] ptDpiDlg");
        EXPECT_TRUE(shown.Entries().empty());  // nothing until flushed
    }
    ASSERT_EQ(shown.Entries().size(), 1u);  // the destructor flushes
    EXPECT_EQ(shown.Entries()[0].text, u"Wrong POINT num");
    EXPECT_EQ(shown.Entries()[0].caption, u"Error");

    shown.Clear();
    CGatheringPrompt gather(shown);
    gather.ShowMessage(u"  The language file is damaged.\n", u"Warning");
    gather.ShowSettingMessage(u"Data parse error!", u"Error", "[KBKEY] K3");
    gather.Flush();
    gather.Flush();  // nothing left: nothing shown again
    ASSERT_EQ(shown.Entries().size(), 1u);
    EXPECT_EQ(shown.Entries()[0].caption, u"Error");  // any error makes the list an error
    EXPECT_EQ(U16ToUtf8(shown.Entries()[0].text),
              "The settings have 2 problems; each is also written to Log.txt:\n"
              "- The language file is damaged.\n"
              "- Data parse error! ([KBKEY] K3)");
}

TEST(GatheringPrompt, LongListsAreCutAndQuestionsAreAskedAfterWhatWasGathered)
{
    CRecordingPrompt shown;
    shown.QueueAnswer(true);
    CGatheringPrompt gather(shown);
    for (int i = 0; i < 49; ++i) gather.ShowMessage(u"Warning " + Utf8ToU16(std::to_string(i)), u"Warning");
    EXPECT_TRUE(gather.AskYesNo(u"Go on?", u"Question"));
    ASSERT_EQ(shown.Entries().size(), 2u);
    const std::string list = U16ToUtf8(shown.Entries()[0].text);
    EXPECT_EQ(shown.Entries()[0].caption, u"Warning");
    EXPECT_NE(list.find("- Warning 11\n... and 37 more."), std::string::npos) << list;
    EXPECT_EQ(list.find("Warning 12"), std::string::npos);
    EXPECT_EQ(shown.Entries()[1].text, u"Go on?");
    EXPECT_EQ(gather.Pending(), 0u);
}
