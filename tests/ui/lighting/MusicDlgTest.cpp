// The music page on the demo configuration's virtual keyboard with a
// synthetic sound source: switched on, the meter moves and the keyboard gets
// frames that follow the tone; switched off or hidden, the frames stop and
// the keyboard's own lighting returns; without a sound server the page says
// so. Screenshots of the page in both skins, the meter moving.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <algorithm>
#include <filesystem>

#include "TestSupport.h"
#include "core/Gvar.h"
#include "core/IPrompt.h"
#include "core/Log.h"
#include "core/ProList.h"
#include "core/ProfileStore.h"
#include "core/Startup.h"
#include "device/DeviceHub.h"
#include "device/ProfileEditor.h"
#include "emu/EmuRig.h"
#include "emu/VirtualClock.h"
#include "emu/varorgb/EmuVaroRgb.h"
#include "lighting/SyntheticAudioSource.h"
#include "ui/lighting/MusicDlg.h"
#include "ui/lighting/PeakMeterCtrl.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/SkinTheme.h"

namespace fs = std::filesystem;

namespace {
class CNoNotices final : public INoticeSink {
public:
    void Notice(std::u16string_view, std::u16string_view) override {}
};

constexpr double kBinTone = 21 * 48000.0 / 1024;  // on the bin of band 12

class MusicDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        StartupFolders folders;
        folders.appDir = test::AppDir();
        folders.userRoot = m_tmp.Path();
        folders.userDirOverride = m_tmp.Path() / "user";
        folders.logDir = folders.userDirOverride;
        fs::create_directories(folders.userDirOverride);
        ASSERT_TRUE(RunStartupDataSteps(folders, m_prompt));
        m_savedTheme = skin::Theme();
        std::vector<std::string> notes;
        m_rig = std::make_unique<CEmuRig>(m_clock);
        m_rig->AddConfigured(gVar, {}, notes);
        m_hub = std::make_unique<CDeviceHub>(m_rig->Backend(), m_clock, m_notices, nullptr);
        m_hub->Open();
        for (size_t i = 0; i < m_hub->Count(); ++i)
            if (std::string(m_hub->FamilyName(i)) == "keyboard") m_nKb = i;
        ASSERT_LT(m_nKb, m_hub->Count());
        m_hub->FindLater();
        m_hub->WaitFound();
        ASSERT_TRUE(m_hub->State(m_nKb).bConnected);
        for (const auto& d : m_rig->Backend().Devices())
            if (auto kb = std::dynamic_pointer_cast<CEmuVaroRgb>(d)) m_kb = kb;
        ASSERT_TRUE(m_kb);

        auto pro = std::make_unique<ProfileRecord>();
        pro->dwMagic = kProfileMagic;
        pro->nID = 1;
        m_hub->Device(m_nKb).FillDefault(*pro);
        pro->Kb.nLedMode = 2;
        m_pCurrent = m_list.Add(std::move(pro));
        m_store = std::make_unique<CProfileStore>(g_szUserDir, m_prompt);
        m_editor = std::make_unique<CProfileEditor>(m_list, m_pCurrent, *m_store, m_hub.get());
        m_ctx.pHub = m_hub.get();
        m_ctx.pProfile = m_editor.get();
        m_ctx.pPrompt = &m_prompt;
        m_ctx.familyOf = [this](DevKind k) { return k == DevKind::Keyboard ? m_nKb : kNoFamily; };
        m_ctx.currentDevice = [] { return DevKind::Keyboard; };
    }
    void TearDown() override
    {
        m_page.reset();
        m_hub->Close();
        m_hub.reset();
        LogStop();
        skin::SetTheme(m_savedTheme);
        skin::ClearImageCache();
        g_szAppDir = test::AppDir();
    }
    // The page with a synthetic source the test plays tones on.
    void MakePage()
    {
        m_page = std::make_unique<CMusicDlg>(m_ctx, nullptr, [this] {
            auto src = std::make_unique<CSyntheticAudioSource>(AudioFormat{48000, 2, 16, false},
                                                               CSyntheticAudioSource::Mode::Threaded);
            m_pSource = src.get();
            Play(m_dAmp);
            return src;
        });
        m_page->resize(700, 560);
    }
    void Play(double dAmp)
    {
        m_dAmp = dAmp;
        if (!m_pSource) return;
        SynthSignal sig;
        if (dAmp > 0) sig.tones.push_back({kBinTone, dAmp});
        m_pSource->SetSignal(sig);
    }
    bool WaitFor(const std::function<bool()>& pred)
    {
        return test::WaitFor([&] {
            QApplication::processEvents();
            return pred();
        });
    }
    int LitLeds() const
    {
        const auto st = m_kb->GetState();
        int n = 0;
        for (size_t i = 0; i < st.frame.size(); i += 3) n += (st.frame[i] | st.frame[i + 1] | st.frame[i + 2]) != 0;
        return n;
    }

    test::CTempDir m_tmp;
    CRecordingPrompt m_prompt;
    CVirtualClock m_clock;
    CNoNotices m_notices;
    std::unique_ptr<CEmuRig> m_rig;
    std::unique_ptr<CDeviceHub> m_hub;
    size_t m_nKb = size_t(-1);
    std::shared_ptr<CEmuVaroRgb> m_kb;
    CProList m_list;
    ProfileRecord* m_pCurrent = nullptr;
    std::unique_ptr<CProfileStore> m_store;
    std::unique_ptr<CProfileEditor> m_editor;
    PageContext m_ctx;
    skin::SkinTheme m_savedTheme;
    std::unique_ptr<CMusicDlg> m_page;
    CSyntheticAudioSource* m_pSource = nullptr;
    double m_dAmp = 0.5;
};
}  // namespace

TEST_F(MusicDlgTest, SwitchedOnTheKeyboardFollowsTheSoundAndOffRestoresIt)
{
    MakePage();
    m_page->show();
    EXPECT_FALSE(m_page->MusicOn());
    EXPECT_EQ(m_page->Runner()->Running(), false);
    m_page->SetSensitivity(15);
    m_page->SetMusicOn(true);
    ASSERT_TRUE(WaitFor([&] { return LitLeds() > 3; })) << "frames " << m_kb->GetState().nFrames;
    Play(0);
    ASSERT_TRUE(WaitFor([&] { return LitLeds() == 0; }));
    Play(0.5);
    ASSERT_TRUE(WaitFor([&] { return LitLeds() > 3; }));

    m_page->SetMusicOn(false);
    EXPECT_FALSE(m_page->Runner()->Running());
    EXPECT_EQ(m_page->Runner()->Restores(), 1);
    const int nFrames = m_kb->GetState().nFrames;
    QTest::qWait(150);
    EXPECT_EQ(m_kb->GetState().nFrames, nFrames);

    // Shown again with music on: it runs; hidden: it stops and restores.
    m_page->SetMusicOn(true);
    ASSERT_TRUE(WaitFor([&] { return m_kb->GetState().nFrames > nFrames + 2; }));
    m_page->hide();
    EXPECT_FALSE(m_page->Runner()->Running());
    EXPECT_EQ(m_page->Runner()->Restores(), 2);
    m_page->show();
    EXPECT_TRUE(m_page->Runner()->Running());

    // Closing the page keeps the choices.
    m_page->ChooseMode(kMusicWave);
    m_page.reset();
    const MusicSettings s = LoadAudioDct(g_szUserDir, nullptr);
    EXPECT_EQ(s.bMusicOff, 0);
    EXPECT_EQ(s.nMusicMode, kMusicWave);
    EXPECT_EQ(s.nSensitivity, 15);
}

TEST_F(MusicDlgTest, NoSoundServerIsToldAndNothingElseChanges)
{
    m_page = std::make_unique<CMusicDlg>(m_ctx, nullptr, [] {
        auto src = std::make_unique<CSyntheticAudioSource>(AudioFormat{48000, 2, 16, false},
                                                           CSyntheticAudioSource::Mode::Threaded);
        src->FailNextStart(AudioStatus::NoServer, "Connection refused");
        return src;
    });
    m_page->show();
    m_page->SetMusicOn(true);
    ASSERT_TRUE(WaitFor([&] { return m_page->StatusText().contains("No sound server"); }));
    EXPECT_EQ(LitLeds(), 0);
    m_page->SetMusicOn(false);
    EXPECT_TRUE(m_prompt.Entries().empty());
}

TEST_F(MusicDlgTest, MusicMaskHidesEffects)
{
    gVar.Kb.nMusicMask = 1;
    MakePage();
    const std::vector<int> offered = m_page->OfferedModes();
    ASSERT_FALSE(offered.empty());
    EXPECT_EQ(offered.front(), 1);
    EXPECT_EQ(std::ranges::count(offered, 0), 0);
    EXPECT_EQ(m_page->Settings().nMusicMode, 1);  // the stored effect 0 is not offered
}

TEST_F(MusicDlgTest, ScreenshotsInBothSkins)
{
    // Kept where ZV_SCREENSHOT_DIR names, to be looked at; else in the test's folder.
    const QString strDir = qEnvironmentVariable("ZV_SCREENSHOT_DIR");
    const fs::path out = strDir.isEmpty() ? m_tmp.Path() / "screenshots" : fs::path(strDir.toStdString());
    fs::create_directories(out);
    for (int nSkin : {0, 1}) {
        gVar.nSkinsIndex = nSkin;
        skin::SetTheme(skin::ThemeFromOptions());
        skin::ClearImageCache();
        MakePage();
        m_page->Reskin();
        m_page->show();
        m_page->SetMusicOn(true);
        ASSERT_TRUE(WaitFor([&] { return LitLeds() > 3; }));
        QTest::qWait(200);
        QApplication::processEvents();
        const QImage img = m_page->grab().toImage();
        // The meter shows bars: some of its pixels are lit, not only the background.
        const QRect rcMeter = m_page->Meter()->geometry();
        int nLit = 0;
        for (int x = rcMeter.left(); x < rcMeter.right(); x += 2)
            for (int y = rcMeter.top(); y < rcMeter.bottom(); y += 2)
                nLit += QColor(img.pixel(x, y)).green() > 0x80;
        EXPECT_GT(nLit, 10);
        ASSERT_TRUE(img.save(QString::fromStdString((out / ("music-page-skin" + std::to_string(nSkin) + ".png")).string())));
        m_page.reset();
        m_pSource = nullptr;
    }
}
