// The window's end of the model's messages: posted from any thread, heard on
// the user-interface thread, in the order they were posted; nothing is
// delivered to a target that is gone.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QThread>
#include <memory>
#include <thread>

#include "ui/mainwnd/QtMsgTarget.h"

TEST(QtMsgTarget, MessagesFromAWorkerArriveOnTheUiThreadInOrder)
{
    CQtMsgTarget target;
    std::vector<std::tuple<quint32, quintptr, qintptr>> got;
    bool bOnUiThread = true;
    QObject::connect(&target, &CQtMsgTarget::posted, [&](quint32 nMsg, quintptr w, qintptr l) {
        bOnUiThread = bOnUiThread && QThread::currentThread() == QCoreApplication::instance()->thread();
        got.emplace_back(nMsg, w, l);
    });
    std::thread worker([&target] {
        for (int i = 0; i < 50; ++i) target.Post(2027, uintptr_t(i), intptr_t(-i));
    });
    worker.join();
    EXPECT_TRUE(got.empty());  // nothing runs inside Post: it waits for the event loop
    QCoreApplication::processEvents();
    ASSERT_EQ(got.size(), 50u);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(got[size_t(i)], std::make_tuple(quint32(2027), quintptr(i), qintptr(-i)));
    EXPECT_TRUE(bOnUiThread);
}

TEST(QtMsgTarget, AMessageForATargetThatIsGoneIsDropped)
{
    int nHeard = 0;
    {
        auto pTarget = std::make_unique<CQtMsgTarget>();
        QObject::connect(pTarget.get(), &CQtMsgTarget::posted, [&nHeard] { ++nHeard; });
        std::thread([p = pTarget.get()] { p->Post(1067, 40, 0); }).join();
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(nHeard, 0);
}

TEST(QtNotices, NoticesFromAWorkerWakeTheUiThreadAndWaitToBeTaken)
{
    CQtNotices notices;
    QSignalSpy waiting(&notices, &CQtNotices::waiting);
    std::thread([&notices] {
        notices.Notice(u"Update settings failed!", u"Error");
        notices.Notice(u"second", u"");
    }).join();
    EXPECT_EQ(waiting.count(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(waiting.count(), 2);
    const auto taken = notices.Take();
    ASSERT_EQ(taken.size(), 2u);
    EXPECT_EQ(taken[0].text, u"Update settings failed!");
    EXPECT_EQ(taken[0].caption, u"Error");
    EXPECT_TRUE(notices.Take().empty());
}
