// The options window on the built skins with the two shipped languages: what
// a language choice changes at once, what OK keeps in lang.ini, the sound path
// rules and the profile sound it plays.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <memory>

#include "TestSupport.h"
#include "core/AppOptions.h"
#include "core/Ini.h"
#include "core/Utf.h"
#include "ui/QtText.h"
#include "ui/mainwnd/DrvcfgDlg.h"
#include "ui/mainwnd/SoundPlayer.h"
#include "ui/skin/ComboBtn.h"
#include "ui/skin/MsgTestSupport.h"

namespace fs = std::filesystem;

namespace {

class CRecordingPlayer final : public ISoundPlayer {
public:
    std::vector<std::string> calls;
    void PlayLooping(const fs::path& path) override { calls.push_back("play " + path.string()); }
    void Stop() override { calls.push_back("stop"); }
};

class OptionsWindow : public msgtest::SkinnedTest {
protected:
    void SetUp() override
    {
        msgtest::SkinnedTest::SetUp();
        ASSERT_GE(gVar.nLangNum, 2);
        ASSERT_GE(gVar.nSkinsNum, 2);
        gVar.nLangIndex = 0;
        m_savedUserDir = g_szUserDir;
        m_bSavedPlay = g_bPlaySound;
        g_szUserDir = m_dir.Path();
        g_bPlaySound = false;
        m_wav = m_dir / "tick.wav";
        test::WriteBytes(m_wav, "RIFF\x24\0\0\0WAVEfmt ");
        m_oldSound = m_dir / "old.wav";
        test::WriteBytes(m_oldSound, "RIFF");
        CopyToFixed(m_profile.szSound, m_oldSound.u16string());
    }
    void TearDown() override
    {
        g_szUserDir = m_savedUserDir;
        g_bPlaySound = m_bSavedPlay;
        msgtest::SkinnedTest::TearDown();
    }
    std::unique_ptr<CDrvcfgDlg> Open(ProfileRecord* pProfile)
    {
        auto p = std::make_unique<CDrvcfgDlg>(nullptr, m_prompt, pProfile, m_player);
        EXPECT_TRUE(p->IsSkinned());
        return p;
    }
    fs::path LangIni() const { return m_dir / "lang.ini"; }
    int IniInt(const char* key) const { return CIniFile::Load(LangIni()).GetInt("OPT", key, -1); }
    std::vector<std::u16string> Shown() const
    {
        std::vector<std::u16string> v;
        for (const auto& e : m_prompt.Entries()) v.push_back(e.text);
        return v;
    }

    test::CTempDir m_dir;
    CRecordingPrompt m_prompt;
    CRecordingPlayer m_player;
    ProfileRecord m_profile{};
    fs::path m_wav, m_oldSound, m_savedUserDir;
    bool m_bSavedPlay = false;
};

TEST_F(OptionsWindow, LanguageTakesEffectAtOnceButCancelKeepsTheFile)
{
    const std::string before = "[OPT]\r\nLangIndex=0\r\nSkinsIndex=0\r\n";
    test::WriteBytes(LangIni(), before);
    const std::u16string english = gText.tc_cancel;
    auto pDlg = Open(&m_profile);
    int nChanged = 0;
    QObject::connect(pDlg.get(), &CDrvcfgDlg::languageChanged, [&] { ++nChanged; });
    ASSERT_TRUE(pDlg->LanguageList());
    EXPECT_EQ(pDlg->CancelButton()->text(), ToQString(english));

    pDlg->LanguageList()->OnMenuChoice(1);
    EXPECT_EQ(nChanged, 1);
    EXPECT_EQ(gVar.nLangIndex, 1);
    EXPECT_NE(gText.tc_cancel, english);
    EXPECT_FALSE(gText.tc_cancel.empty());
    EXPECT_EQ(pDlg->CancelButton()->text(), ToQString(gText.tc_cancel));

    if (const QByteArray dir = qgetenv("ZV_SHOT_DIR"); !dir.isEmpty()) {
        pDlg->SoundPath()->setText(ToQString(m_wav.u16string()));
        for (int i = 0; i < 2; ++i) {
            gVar.nSkinsIndex = i;
            skin::SetTheme(skin::ThemeFromOptions());
            skin::ClearImageCache();
            auto pShot = Open(&m_profile);
            pShot->SoundSwitch()->setChecked(true);
            pShot->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/options-%1.png").arg(i));
        }
        gVar.nSkinsIndex = 0;
    }

    pDlg->CancelButton()->click();
    EXPECT_EQ(pDlg->result(), CSkinDialog::kIdCancel);
    EXPECT_EQ(test::ReadBytes(LangIni()), before);
    EXPECT_EQ(gVar.nLangIndex, 1);  // this run stays in the new language
    EXPECT_TRUE(m_prompt.Entries().empty());
}

TEST_F(OptionsWindow, OkWritesTheIndexesAndTheSwitch)
{
    auto pDlg = Open(&m_profile);
    pDlg->SkinList()->OnMenuChoice(1);
    EXPECT_EQ(gVar.nSkinsIndex, 1);
    pDlg->SoundPath()->setText(ToQString(m_wav.u16string()));
    pDlg->SoundSwitch()->click();
    EXPECT_EQ(m_player.calls, std::vector<std::string>{"play " + m_wav.string()});

    pDlg->OkButton()->click();
    EXPECT_EQ(pDlg->result(), CSkinDialog::kIdOk);
    EXPECT_EQ(IniInt("LangIndex"), 0);
    EXPECT_EQ(IniInt("SkinsIndex"), 1);
    EXPECT_EQ(IniInt("PlaySound"), 1);
    EXPECT_TRUE(g_bPlaySound);
    EXPECT_EQ(ProfileSoundPath(m_profile), m_wav.u16string());

    // Switched off again: PlaySound follows, and the sound stops.
    auto pDlg2 = Open(&m_profile);
    EXPECT_TRUE(pDlg2->SoundSwitch()->isChecked());
    pDlg2->SoundSwitch()->click();
    EXPECT_EQ(m_player.calls.back(), "stop");
    pDlg2->OkButton()->click();
    EXPECT_EQ(IniInt("PlaySound"), 0);
    EXPECT_FALSE(g_bPlaySound);
}

TEST_F(OptionsWindow, SoundPathThatNamesNoFileKeepsTheWindowOpen)
{
    const std::u16string tooLong = (m_dir.Path() / std::string(300, 'a')).u16string();
    const std::u16string bad[] = {(m_dir / "missing.wav").u16string(), m_dir.Path().u16string(), tooLong};
    for (const std::u16string& path : bad) {
        SCOPED_TRACE(U16ToUtf8(path));
        m_prompt.Clear();
        auto pDlg = Open(&m_profile);
        pDlg->SoundPath()->setText(ToQString(path));
        pDlg->SoundSwitch()->click();
        pDlg->OkButton()->click();
        EXPECT_EQ(Shown(), std::vector<std::u16string>{u"Invalid File Path."});
        EXPECT_EQ(pDlg->result(), 0);  // still open
        EXPECT_FALSE(fs::exists(LangIni()));
        EXPECT_EQ(ProfileSoundPath(m_profile), m_oldSound.u16string());
        EXPECT_FALSE(g_bPlaySound);
        // Corrected, the same window closes with OK.
        pDlg->SoundPath()->setText(ToQString(m_wav.u16string()));
        pDlg->OkButton()->click();
        EXPECT_EQ(pDlg->result(), CSkinDialog::kIdOk);
        EXPECT_EQ(ProfileSoundPath(m_profile), m_wav.u16string());
        CopyToFixed(m_profile.szSound, m_oldSound.u16string());
        fs::remove(LangIni());
        g_bPlaySound = false;
    }
}

TEST_F(OptionsWindow, EmptyPathWithTheSwitchOnKeepsTheOldPath)
{
    auto pDlg = Open(&m_profile);
    EXPECT_EQ(pDlg->SoundPath()->text(), ToQString(m_oldSound.u16string()));
    pDlg->SoundPath()->clear();
    pDlg->SoundSwitch()->click();
    EXPECT_TRUE(m_player.calls.empty());  // nothing named, nothing played
    pDlg->OkButton()->click();
    EXPECT_EQ(pDlg->result(), CSkinDialog::kIdOk);
    EXPECT_EQ(ProfileSoundPath(m_profile), m_oldSound.u16string());
    EXPECT_EQ(IniInt("PlaySound"), 1);
    EXPECT_TRUE(g_bPlaySound);
}

TEST_F(OptionsWindow, BrowsePutsThePathInAndTurnsTheSwitchOn)
{
    auto pDlg = Open(&m_profile);
    QString strAskedWith;
    pDlg->SetFileChooser([&](QWidget*, const QString& strCurrent) {
        strAskedWith = strCurrent;
        return ToQString(m_wav.u16string());
    });
    pDlg->BrowseButton()->click();
    EXPECT_EQ(strAskedWith, ToQString(m_oldSound.u16string()));
    EXPECT_EQ(pDlg->SoundPath()->text(), ToQString(m_wav.u16string()));
    EXPECT_TRUE(pDlg->SoundSwitch()->isChecked());

    // A cancelled file dialog changes nothing.
    pDlg->SetFileChooser([](QWidget*, const QString&) { return QString(); });
    pDlg->SoundSwitch()->click();
    pDlg->BrowseButton()->click();
    EXPECT_EQ(pDlg->SoundPath()->text(), ToQString(m_wav.u16string()));
    EXPECT_FALSE(pDlg->SoundSwitch()->isChecked());
}

TEST_F(OptionsWindow, RunPlaysTheProfileSoundAfterOk)
{
    CopyToFixed(m_profile.szSound, m_wav.u16string());
    msgtest::WhenModal([](QWidget* pModal) {
        auto* pDlg = qobject_cast<CDrvcfgDlg*>(pModal);
        ASSERT_NE(pDlg, nullptr);
        pDlg->SoundSwitch()->click();  // plays while the window is open
        pDlg->OkButton()->click();
    });
    EXPECT_TRUE(RunOptionsDialog(nullptr, m_prompt, &m_profile, m_player));
    EXPECT_EQ(m_player.calls, (std::vector<std::string>{"play " + m_wav.string(), "stop", "play " + m_wav.string()}));

    msgtest::WhenModal([](QWidget* pModal) {
        auto* pDlg = qobject_cast<CDrvcfgDlg*>(pModal);
        ASSERT_NE(pDlg, nullptr);
        pDlg->SoundSwitch()->click();  // off: stops at once
        pDlg->CancelButton()->click();
    });
    m_player.calls.clear();
    EXPECT_FALSE(RunOptionsDialog(nullptr, m_prompt, &m_profile, m_player));
    EXPECT_EQ(m_player.calls, std::vector<std::string>{"stop"});
    EXPECT_TRUE(g_bPlaySound);  // Cancel keeps the switch as it was
}

}  // namespace
