// Helpers for the message window tests: the built skins with the English texts,
// a clock the test moves, and a way to act on a window that runs modally.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "SkinTestSupport.h"
#include "TestSupport.h"
#include "core/Gvar.h"
#include "core/Ini.h"
#include "core/IPrompt.h"
#include "core/Options.h"
#include "device/IClock.h"
#include "text/TextCatalogue.h"
#include "ui/skin/SkinImages.h"

namespace msgtest {

// The application folder the build assembled, its first (dark) skin, the
// English catalogue and a light text colour; everything is put back afterwards.
class SkinnedTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_pSavedText = std::make_unique<CTextTable>(gText);
        g_szAppDir = test::AppDir();
        CRecordingPrompt prompt;
        LoadLangAndSkins(CIniFile::Load(test::AppDir() / "cfg.ini"), CIniFile(), prompt);
        ASSERT_GE(gVar.nSkinsNum, 1);
        gVar.nSkinsIndex = 0;
        gVar.clrTxt = 0xC8C8C8;
        gVar.nKbType = 0;
        skin::SetInterfaceScale(1.0);
        LoadTextCatalogue(test::AppDir() / "text" / "en" / "text.xml");
        ASSERT_FALSE(gText.tc_ok.empty());
    }
    void TearDown() override { gText = *m_pSavedText; }

    // The generator's faulty skin set: its "msg_nr.png" is empty.
    void UseBrokenSkin()
    {
        g_szAppDir = test::AppDir().parent_path() / "skin-broken";
        gVar.nSkinsNum = 0;
    }

    skintest::CGlobalsGuard m_guard;
    std::unique_ptr<CTextTable> m_pSavedText;
};

// A clock that only moves when the test says so.
class CFakeClock final : public IClock {
public:
    TimePoint Now() const override { return m_now; }
    void Sleep(Duration d) override { m_now += d; }
    void Advance(std::chrono::milliseconds ms) { m_now += ms; }

private:
    TimePoint m_now = TimePoint(std::chrono::hours(1));
};

// Runs fn on the modal window once exec() has put it up; gives up (and fails
// the test) after a few seconds so that a window that never shows cannot hang
// the suite.
inline void WhenModal(std::function<void(QWidget*)> fn)
{
    auto* pTimer = new QTimer(QCoreApplication::instance());
    auto pClock = std::make_shared<QElapsedTimer>();
    pClock->start();
    QObject::connect(pTimer, &QTimer::timeout, pTimer, [pTimer, fn, pClock] {
        QWidget* pModal = QApplication::activeModalWidget();
        const bool bUp = pModal && pModal->isVisible();
        if (!bUp && pClock->elapsed() < 5000) return;
        pTimer->stop();
        pTimer->deleteLater();
        if (bUp)
            fn(pModal);
        else
            ADD_FAILURE() << "no modal window came up";
    });
    pTimer->start(5);
}

}  // namespace msgtest
