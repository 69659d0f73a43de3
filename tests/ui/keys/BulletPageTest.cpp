// The bullet page and the gun presets window as a user drives them, on the
// emulator's wired and wireless mice behind a device hub: a bullet generated,
// edited and written to its file, given to a button of the second mode
// through the gun presets window and found byte for byte in the virtual
// mouse's buffers; a gun preset found in its key matrix; and the limits of
// each family with the messages the user sees.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QTreeWidgetItem>
#include <cstring>
#include <filesystem>
#include <memory>

#include "TestSupport.h"
#include "core/Gvar.h"
#include "core/INoticeSink.h"
#include "core/Ini.h"
#include "core/MouseDesc.h"
#include "core/Options.h"
#include "core/ProfileStore.h"
#include "core/Utf.h"
#include "device/ApplySnapshot.h"
#include "device/DeviceHub.h"
#include "device/DeviceSession.h"
#include "device/ProfileEditor.h"
#include "device/mouse/MouseMacro.h"
#include "device/mouse/MouseProtocol.h"
#include "emu/EmuHex.h"
#include "emu/EmuRig.h"
#include "emu/VirtualClock.h"
#include "keys/FunId.h"
#include "keys/GunPreset.h"
#include "keys/MacroFile.h"
#include "keys/MacroList.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "ui/keys/BulletDlg.h"
#include "ui/keys/ChijiDlg.h"
#include "ui/keys/KeyMsDlg.h"
#include "ui/keys/MenuDlg.h"
#include "ui/keys/NewBulletDlg.h"
#include "ui/skin/MsgDlg.h"
#include "ui/skin/PngBtn.h"
#include "ui/skin/QueryDlg.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/SkinTheme.h"
#include "ui/skin/TreeCtrlEx.h"

namespace fs = std::filesystem;

namespace {

std::u16string T(const char* key)
{
    const std::u16string* p = FindText(key);
    return p ? *p : std::u16string();
}

// Runs fn on the next modal window that opens.
template <class W, class F>
void OnModal(F fn)
{
    QTimer::singleShot(0, [fn] {
        auto* p = qobject_cast<W*>(QApplication::activeModalWidget());
        ASSERT_NE(p, nullptr);
        fn(p);
    });
}

struct MouseCase {
    const char* pszName;
    const char* pszCfg;
    int32_t nMsFw;   // with bullets (low byte above 15)
    int nMode;       // the profile's mode the mouse plays: gun keys live in the second
};

const MouseCase kWired{"wired", "mouse-only.ini", 17, 1};
const MouseCase kWireless{"wireless", "wireless4.ini", 20, 1};

class BulletPage : public ::testing::TestWithParam<MouseCase> {
protected:
    void SetUp() override
    {
        m_pSaved = std::make_unique<GlobalVar>(gVar);
        m_savedTheme = skin::Theme();
        m_savedAppDir = g_szAppDir;
        m_savedUserDir = g_szUserDir;
        const MouseCase& c = GetParam();
        std::string text = test::ReadBytes(test::FixtureDir() / "cfg" / c.pszCfg);
        const std::string strFw = "MsFw=";
        const size_t nFw = text.find(strFw);
        ASSERT_NE(nFw, std::string::npos);
        text.replace(nFw, text.find('\n', nFw) - nFw, strFw + std::to_string(c.nMsFw));
        const size_t nMs = text.find("[MS]\n");
        ASSERT_NE(nMs, std::string::npos);
        text.insert(nMs + 5, "ShowPUBGMenu=1\nShootFudu=1\nShootSpeed=1\n"
                             "GunValue=13,40,10,11,45,10,11,41,10,11,0,10,12,44,10,12,0,10,8,0,8\n");
        CRecordingPrompt loadPrompt;
        LogConfig quiet;
        quiet.debugOut = [](const std::string&) {};
        ASSERT_TRUE(DataInit(CIniFile::FromBytes(text), loadPrompt, quiet));
        ASSERT_TRUE(PostInit(loadPrompt));
        g_szAppDir = test::AppDir();
        ASSERT_TRUE(LoadTextCatalogue(test::AppDir() / "text" / "en" / "text.xml").bRead);
        LoadLangAndSkins(CIniFile::Load(test::AppDir() / "cfg.ini"), CIniFile(), loadPrompt);
        gVar.nSkinsIndex = 0;
        skin::SetTheme(skin::ThemeFromOptions());
        skin::ClearImageCache();
        g_nCurMode = -1;
        fs::create_directories(m_dir / "user");
        g_szUserDir = m_dir / "user";
        g_MacroList.Clear();
        g_BulletList.Clear();

        std::vector<std::string> notes;
        m_rig = std::make_unique<CEmuRig>(m_clock);
        m_rig->AddConfigured(gVar, m_dir / "emu", notes);
        ASSERT_TRUE(notes.empty()) << notes.front();
        m_hub = std::make_unique<CDeviceHub>(m_rig->Backend(), m_clock, m_notices, nullptr, nullptr);
        m_hub->Open();
        ASSERT_EQ(m_hub->FindNow(0), 1);
        m_hub->Publish(0, m_prompt);
        ASSERT_NE(pSensorCfg, nullptr);
        BuildMouseKeyLayout(nullptr, m_prompt);

        auto pro = std::make_unique<ProfileRecord>();
        pro->dwMagic = kProfileMagic;
        pro->nID = 0x1234;
        m_hub->Device(0).FillDefault(*pro);
        pro->Ms.ProMirex.nMode = c.nMode;
        m_pCurrent = m_list.Add(std::move(pro));
        m_store = std::make_unique<CProfileStore>(m_dir / "user", m_prompt);
        m_editor = std::make_unique<CProfileEditor>(m_list, m_pCurrent, *m_store, m_hub.get());
        m_editor->SetApplyNow(true);
        m_ctx.pHub = m_hub.get();
        m_ctx.pProfile = m_editor.get();
        m_ctx.pPrompt = &m_prompt;
        m_ctx.familyOf = [](DevKind k) { return k == DevKind::Mouse ? size_t(0) : kNoFamily; };
        m_ctx.currentDevice = [] { return DevKind::Mouse; };
        m_prompt.Clear();
    }
    void TearDown() override
    {
        CMenuDlg::CloseCurrent();
        m_keys.reset();
        m_page.reset();
        if (m_hub) m_hub->Close();
        m_hub.reset();
        m_rig.reset();
        g_MacroList.Clear();
        g_BulletList.Clear();
        gVar = *m_pSaved;
        g_szAppDir = m_savedAppDir;
        g_szUserDir = m_savedUserDir;
        pSensorCfg = nullptr;
        skin::SetTheme(m_savedTheme);
        skin::ClearImageCache();
    }

    CBulletDlg& Page()
    {
        if (!m_page) {
            m_page = std::make_unique<CBulletDlg>(m_ctx, nullptr);
            m_page->resize(1063, 672);
            m_page->show();
        }
        return *m_page;
    }
    CKeyMsDlg& Keys()
    {
        if (!m_keys) {
            m_keys = std::make_unique<CKeyMsDlg>(m_ctx, nullptr);
            m_keys->onEdited = [this](uint32_t nFlags) { m_editor->Changed(0, nFlags); };
        }
        return *m_keys;
    }
    // A bullet made with the new-bullet window.
    MacroRecord* Generate(const QString& strName, const QString& strShots, const QString& strStep)
    {
        OnModal<CNewBulletDlg>([=](CNewBulletDlg* p) {
            p->NameField()->setText(strName);
            p->ShotsField()->setText(strShots);
            p->StepField()->setText(strStep);
            p->OnOK();
        });
        Page().NewBullet();
        return Page().ShownBullet();
    }
    // The gun presets window on key slot nSlot, driven by fn.
    template <class F>
    void GunWindow(int nSlot, F fn)
    {
        OnModal<CChijiDlg>(fn);
        Keys().ChooseFunction(kFunMenuGunPreset, nSlot);
    }
    const KeyInfo& Slot(int n) const
    {
        const MsModeSettings& m = m_pCurrent->Ms.Mode[1];
        return m.Key[m.nKeySet][n];
    }
    std::string Emu() const { return m_rig->Describe(); }
    // Every transfer the virtual mouse saw, one line each, bytes in hex.
    std::string Journal() const { return m_rig->Backend().Journal()->Text(); }
    static std::string Hex(const MacroRecord& rec)
    {
        std::array<uint8_t, mouse::kMacroBufferMax> buf{};
        return EmuHex(std::span(buf).first(mouse::BulletToHd(rec, buf)));
    }

    std::unique_ptr<GlobalVar> m_pSaved;
    skin::SkinTheme m_savedTheme;
    fs::path m_savedAppDir, m_savedUserDir;
    test::CTempDir m_tmp;
    fs::path m_dir = m_tmp.Path();
    CVirtualClock m_clock;
    CNoticeQueue m_notices;
    CRecordingPrompt m_prompt;
    std::unique_ptr<CEmuRig> m_rig;
    std::unique_ptr<CDeviceHub> m_hub;
    CProList m_list;
    ProfileRecord* m_pCurrent = nullptr;
    std::unique_ptr<CProfileStore> m_store;
    std::unique_ptr<CProfileEditor> m_editor;
    PageContext m_ctx;
    std::unique_ptr<CBulletDlg> m_page;
    std::unique_ptr<CKeyMsDlg> m_keys;
    std::string m_strErr;
};

}  // namespace

TEST_P(BulletPage, GeneratedBulletReachesTheMouseByteForByte)
{
    MacroRecord* pRec = Generate(QStringLiteral("Spray"), QStringLiteral("7"), QStringLiteral("6"));
    ASSERT_NE(pRec, nullptr);
    EXPECT_EQ(Page().StepList()->topLevelItemCount(), 28);
    // An extra shot, then a click in the tree writes the file.
    Page().AddShot();
    EXPECT_EQ(Page().Editor().Weight(), 24);
    const uint32_t id = pRec->MacroID;
    Page().ClickTree(nullptr);
    const fs::path file = g_szUserDir / "BMac" / "Spray.mcb";
    ASSERT_TRUE(fs::exists(file));
    const MacroFileRead read = ReadMacroFile(file);
    ASSERT_TRUE(IsMacroRecord(read.rec));
    EXPECT_EQ(read.rec.MacroID, id);
    EXPECT_EQ(std::memcmp(read.rec.Action, pRec->Action, sizeof pRec->Action), 0);
    EXPECT_EQ(pRec->dwFlags & kMacroChangeFlags, 0u);

    // The gun presets window in bullet mode gives the bullet to key 4 of the second mode.
    GunWindow(3, [id](CChijiDlg* p) {
        p->SetBulletMode(true);
        EXPECT_TRUE(p->SelectBullet(id));
        EXPECT_TRUE(p->TryAccept());
    });
    EXPECT_EQ(Slot(3).FunID, 0x0C000000u);
    EXPECT_EQ(Slot(3).MacroID, id);
    EXPECT_TRUE(m_prompt.Entries().empty()) << U16ToUtf8(m_prompt.Entries().front().text);
    m_hub->WaitIdle(0);

    // The mouse holds the bullet's events exactly as the family encodes them.
    const std::string strHex = Hex(*pRec);
    EXPECT_EQ(strHex.substr(0, 5), "00 18");  // 8 shots, three events each
    EXPECT_NE(Journal().find(strHex), std::string::npos) << strHex;
    const std::string strEmu = Emu();
    EXPECT_NE(strEmu.find("macro buffer 1: 24 events"), std::string::npos) << strEmu;
    EXPECT_NE(strEmu.find("4: 01018161 bullet 1 (key 1)"), std::string::npos) << strEmu;
}

TEST_P(BulletPage, EditedStepsAreWhatTheMousePlays)
{
    MacroRecord* pRec = Generate(QStringLiteral("Edit"), QStringLiteral("2"), QStringLiteral("10"));
    ASSERT_NE(pRec, nullptr);
    // Select the first movement and type X -5 into its field.
    Page().ClickStep(2);
    ASSERT_TRUE(Page().ValueField(1)->isVisible());
    ASSERT_TRUE(Page().ValueField(2)->isVisible());
    Page().ValueField(1)->setFocus();
    Page().ValueField(1)->selectAll();
    QTest::keyClicks(Page().ValueField(1), QStringLiteral("-5"));
    EXPECT_EQ(ReadBulletItems(*pRec)[2], BulletMove(-5, 10));
    // Out of range: the field shows 0 and the step holds 0.
    Page().ValueField(2)->setFocus();
    Page().ValueField(2)->selectAll();
    QTest::keyClicks(Page().ValueField(2), QStringLiteral("200"));
    EXPECT_EQ(Page().ValueField(2)->text(), QStringLiteral("0"));
    EXPECT_EQ(ReadBulletItems(*pRec)[2], BulletMove(-5, 0));
    // A pause typed in the pause window goes before the selected step.
    OnModal<CMsgDlg>([](CMsgDlg* p) {
        p->Edit()->setText(QStringLiteral("35"));
        p->OnOK();
    });
    Page().InsertStep(0xF9);
    // Repeat while held.
    ASSERT_NE(Page().LoopRadio(2), nullptr);
    QTest::mouseClick(Page().LoopRadio(2), Qt::LeftButton);
    EXPECT_EQ(pRec->nRepeatMode, 2u);
    EXPECT_FALSE(Page().CountField()->isVisible());
    Page().ClickTree(nullptr);

    GunWindow(2, [id = pRec->MacroID](CChijiDlg* p) {
        p->SetBulletMode(true);
        p->SelectBullet(id);
        p->TryAccept();
    });
    m_hub->WaitIdle(0);
    // Click 20 ms, release with 10 + 35 ms, X -5 with the interval, release... as encoded.
    const std::string strHex = Hex(*pRec);
    EXPECT_NE(strHex.find("10 14 01 90 2d 01 20 14 fb"), std::string::npos) << strHex;
    EXPECT_NE(Journal().find(strHex), std::string::npos) << strHex;
}

TEST_P(BulletPage, GunPresetChosenAndApplied)
{
    GunWindow(4, [](CChijiDlg* p) {
        EXPECT_EQ(p->Gun(), 0);
        p->ChooseGun(2);
        p->ChooseScope(1);
        EXPECT_EQ(p->ValueField()->text(), QStringLiteral("41"));
        p->ValueField()->setText(QStringLiteral("40"));
        p->SpeedField()->clear();
        QTest::keyClicks(p->SpeedField(), QStringLiteral("300"));
        EXPECT_EQ(p->SpeedField()->text(), QStringLiteral("255"));
        p->SpeedField()->setText(QStringLiteral("30"));
        p->SetOption(true);
        EXPECT_TRUE(p->TryAccept());
    });
    EXPECT_EQ(Slot(4).FunID, kFunGunPreset);
    EXPECT_EQ(Slot(4).dwParam, 0x1E280012u);
    EXPECT_EQ(Slot(4).dwColor, 0x00FF00u);
    EXPECT_EQ(m_pCurrent->Ms.Mode[1].nGunOption, 1);
    m_hub->WaitIdle(0);
    EXPECT_NE(Emu().find("gun 2, scope 1, speed 30, compensation 40"), std::string::npos) << Emu();

    // With the option on, the whole apply needs the preset switch on another button.
    m_store->SaveProfiles(m_list, m_strErr);
    ApplyRunResult run = ApplyCurrentProfile(*m_hub, m_prompt, 0, false);
    EXPECT_EQ(run.strProblem, U16ToUtf8(T("tc_chiji7")));
    EXPECT_TRUE(run.families.empty());
    Keys().ChooseFunction(kFunMenuGunSwitch, 5);
    EXPECT_EQ(Slot(5).FunID, kFunGunSwitch);
    run = ApplyCurrentProfile(*m_hub, m_prompt, 0, false);
    EXPECT_TRUE(run.Ok()) << run.strProblem;

    // Opened again on that key the window shows the preset; UZI has no 4x scope.
    GunWindow(4, [](CChijiDlg* p) {
        EXPECT_EQ(p->Gun(), 2);
        EXPECT_EQ(p->Scope(), 1);
        EXPECT_EQ(p->ValueField()->text(), QStringLiteral("40"));
        EXPECT_EQ(p->SpeedField()->text(), QStringLiteral("30"));
        EXPECT_TRUE(p->ScopeRadio(1)->isVisible());
        p->ChooseGun(6);
        EXPECT_FALSE(p->ScopeRadio(1)->isVisible());
        // Bullet mode without a bullet selected stays open with tc_bullet15.
        p->SetBulletMode(true);
        EXPECT_FALSE(p->TryAccept());
        p->reject();
    });
    ASSERT_EQ(m_prompt.Entries().size(), 1u);
    EXPECT_EQ(m_prompt.Entries()[0].text, T("tc_bullet15"));
    EXPECT_EQ(Slot(4).dwParam, 0x1E280012u);  // cancelled: unchanged
}

TEST_P(BulletPage, FamilyLimitsRefuseWithTheirMessages)
{
    // A full bullet takes no further step.
    MacroRecord* pRec = Generate(QStringLiteral("Full"), QStringLiteral("56"), QStringLiteral("10"));
    ASSERT_NE(pRec, nullptr);
    EXPECT_EQ(mouse::BulletHdEvents(*pRec), int(mouse::kMacroEventMax));
    const MacroRecord before = *pRec;
    Page().AddShot();
    Page().InsertStep(0xF0);
    ASSERT_EQ(m_prompt.Entries().size(), 2u);
    EXPECT_EQ(m_prompt.Entries()[0].text, T("tc_bullet16"));
    EXPECT_EQ(m_prompt.Entries()[1].text, T("tc_bullet16"));
    EXPECT_EQ(std::memcmp(pRec->Action, before.Action, sizeof before.Action), 0);
    m_prompt.Clear();

    // The mouse's buffers: other modes already use bullets up to the family's limit.
    const int nKind = GetParam().nMsFw & 0x0F;
    const int nTaken = nKind == 4 ? 20 : 8;  // wireless: 20 macros and bullets together; wired kind 1: 8 bullets
    std::vector<uint32_t> ids;
    for (int i = 0; i < nTaken + 1; ++i) {
        MacroRecord rec = BuildBulletRecord({1, u"B" + Utf8ToU16(std::to_string(i)), 20, 20, 10, false},
                                            0x100 + uint32_t(i));
        ASSERT_NE(g_BulletList.Add(rec), nullptr);
        ids.push_back(rec.MacroID);
    }
    for (int i = 0; i < nTaken; ++i) {
        const int m = i < 10 ? 0 : 2;
        KeyInfo& k = m_pCurrent->Ms.Mode[m].Key[m_pCurrent->Ms.Mode[m].nKeySet][5 + i % 10];
        k.FunID = 0x0C000000;
        k.MacroID = ids[size_t(i)];
    }
    KeyInfo rec = GunPresetKeyRecord(GunPreset{}, true);
    rec.MacroID = ids.back();
    EXPECT_FALSE(Keys().AssignKey(1, rec));
    ASSERT_EQ(m_prompt.Entries().size(), 1u);
    EXPECT_EQ(m_prompt.Entries()[0].text, T("tc_msg26"));
    // A bullet the mouse already holds can go to another key.
    m_prompt.Clear();
    rec.MacroID = ids.front();
    EXPECT_TRUE(Keys().AssignKey(1, rec));
    EXPECT_TRUE(m_prompt.Entries().empty());
}

TEST_P(BulletPage, NewBulletWindowRulesAndDamagedFiles)
{
    // A damaged file in the folder is kept aside and the user told once.
    fs::create_directories(g_szUserDir / "BMac");
    test::WriteBytes(g_szUserDir / "BMac" / "torn.mcb", std::string(64, 'x'));
    Page();
    ASSERT_EQ(m_prompt.Entries().size(), 1u);
    EXPECT_NE(U16ToUtf8(m_prompt.Entries()[0].text).find("torn.mcb.bad"), std::string::npos);
    EXPECT_TRUE(fs::exists(g_szUserDir / "BMac" / "torn.mcb.bad"));
    m_prompt.Clear();

    OnModal<CNewBulletDlg>([](CNewBulletDlg* p) {
        // A refused character cuts the name there and explains why.
        p->NameField()->clear();
        QTest::keyClicks(p->NameField(), QStringLiteral("AK#"));
        EXPECT_EQ(p->NameField()->text(), QStringLiteral("AK"));
        EXPECT_EQ(ToU16(p->NameTip()), T("tc_tips2"));
        // The shot count is capped for the state of the single-click box.
        ASSERT_NE(p->SingleClickBox(), nullptr);
        p->SingleClickBox()->setChecked(true);
        p->ShotsField()->clear();
        QTest::keyClicks(p->ShotsField(), QStringLiteral("99"));
        EXPECT_EQ(p->ShotsField()->text(), QStringLiteral("85"));
        p->SingleClickBox()->setChecked(false);
        EXPECT_EQ(p->ShotsField()->text(), QStringLiteral("56"));
        p->StepField()->clear();
        QTest::keyClicks(p->StepField(), QStringLiteral("200"));
        EXPECT_EQ(p->StepField()->text(), QStringLiteral("127"));
        // An empty name keeps the window open.
        p->NameField()->clear();
        p->OnOK();
        EXPECT_TRUE(p->isVisible());
        p->NameField()->setText(QStringLiteral("AK"));
        p->OnOK();
    });
    Page().NewBullet();
    ASSERT_NE(Page().ShownBullet(), nullptr);
    EXPECT_EQ(BulletWeight(ReadBulletItems(*Page().ShownBullet())), 168);
    // The same name again is refused with tc_macro_msg8.
    OnModal<CNewBulletDlg>([](CNewBulletDlg* p) {
        p->NameField()->setText(QStringLiteral("ak"));
        p->OnOK();
    });
    Page().NewBullet();
    ASSERT_EQ(m_prompt.Entries().size(), 1u);
    EXPECT_EQ(m_prompt.Entries()[0].text, T("tc_macro_msg8"));
    EXPECT_EQ(g_BulletList.Count(), 1);
    // Written at once, not only at the next click.
    EXPECT_TRUE(fs::exists(g_szUserDir / "BMac" / "AK.mcb"));

    // A file that arrives in the folder (a profile import) shows after a reload.
    std::string strErr;
    const MacroRecord rec = BuildBulletRecord({2, u"Late", 20, 20, 10, false}, 0x54321);
    ASSERT_TRUE(save_macro_to_file_mcb(g_szUserDir / "BMac" / "Late.mcb", rec, false, strErr)) << strErr;
    Page().Reload();
    EXPECT_NE(Page().FindBulletItem(0x54321), nullptr);
    EXPECT_NE(g_BulletList.FindById(0x54321), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Mice, BulletPage, ::testing::Values(kWired, kWireless),
                         [](const auto& info) { return std::string(info.param.pszName); });

TEST_P(BulletPage, TreeCommandsKeepFilesAndListInStep)
{
    MacroRecord* pRec = Generate(QStringLiteral("One"), QStringLiteral("3"), QStringLiteral("8"));
    ASSERT_NE(pRec, nullptr);
    const uint32_t id = pRec->MacroID;
    Page().ClickTree(nullptr);
    const fs::path folder = g_szUserDir / "BMac";
    QTreeWidgetItem* pItem = Page().FindBulletItem(id);
    ASSERT_NE(pItem, nullptr);

    // Exported locked, then imported: a second, locked bullet that shows one line only.
    Page().ClickTree(pItem);
    ASSERT_TRUE(Page().ExportTo(m_dir / "Locked.mcb", true));
    Page().ClickTree(nullptr);
    ASSERT_TRUE(Page().ImportFrom(m_dir / "Locked.mcb"));
    MacroRecord* pLocked = Page().ShownBullet();
    ASSERT_NE(pLocked, nullptr);
    EXPECT_NE(pLocked->MacroID, id);
    EXPECT_EQ(pLocked->byLock, MACRO_LOCK);
    ASSERT_EQ(Page().StepList()->topLevelItemCount(), 1);
    EXPECT_EQ(ToU16(Page().StepList()->topLevelItem(0)->text(0)), T("tc_macro_msg34"));
    EXPECT_EQ(Page().OpenStepMenu(true), nullptr);
    EXPECT_TRUE(fs::exists(folder / "Locked.mcb"));
    EXPECT_EQ(g_BulletList.Count(), 2);

    // Renamed: the file moves, the identifier stays.
    Page().ClickTree(Page().FindBulletItem(id));
    m_prompt.QueueText(u"Two");
    Page().RunCommand(CBulletDlg::kCmdRename);
    EXPECT_FALSE(fs::exists(folder / "One.mcb"));
    ASSERT_TRUE(fs::exists(folder / "Two.mcb"));
    EXPECT_EQ(ReadMacroFile(folder / "Two.mcb").rec.MacroID, id);
    EXPECT_EQ(std::u16string(FixedView(g_BulletList.FindById(id)->szName)), u"Two");

    // Deleted only after yes.
    m_prompt.Clear();
    m_prompt.QueueAnswer(false);
    Page().DeleteItem();
    EXPECT_TRUE(fs::exists(folder / "Two.mcb"));
    ASSERT_EQ(m_prompt.Entries().size(), 1u);
    EXPECT_EQ(m_prompt.Entries()[0].text, T("tc_msg6"));
    m_prompt.QueueAnswer(true);
    Page().DeleteItem();
    EXPECT_FALSE(fs::exists(folder / "Two.mcb"));
    EXPECT_EQ(g_BulletList.FindById(id), nullptr);
    EXPECT_EQ(Page().FindBulletItem(id), nullptr);
}

TEST_P(BulletPage, StepMenuInsertsAtTheSelection)
{
    MacroRecord* pRec = Generate(QStringLiteral("Menu"), QStringLiteral("1"), QStringLiteral("10"));
    ASSERT_NE(pRec, nullptr);
    Page().ClickStep(2);  // the movement
    CMenuDlg* pMenu = Page().OpenStepMenu(true);
    ASSERT_NE(pMenu, nullptr);
    OnModal<CQueryDlg>([](CQueryDlg* p) {
        ASSERT_EQ(p->Count(), 2);
        p->Edit(0)->setText(QStringLiteral("3"));
        p->Edit(1)->setText(QStringLiteral("-200"));  // brought to -127, not wrapped
        p->OnOK();
    });
    ASSERT_TRUE(pMenu->PickPath({ToQString(T("tc_macro_loop")), ToQString(T("tc_bullet1"))}));
    const auto items = ReadBulletItems(*pRec);
    ASSERT_GE(items.size(), 4u);
    EXPECT_EQ(items[2], BulletMove(3, -127));
    EXPECT_EQ(items[3], BulletMove(0, 10));
    EXPECT_EQ(Page().Editor().Selected(), 2);
    // Deleting the selected step from the menu.
    Page().ClickStep(2);
    ASSERT_TRUE(Page().OpenStepMenu(true)->PickPath({ToQString(T("tc_macro_msg10"))}));
    EXPECT_EQ(ReadBulletItems(*pRec)[2], BulletMove(0, 10));
}

TEST_P(BulletPage, GunWindowWithoutItsPictureStillWorks)
{
    g_szAppDir = test::AppDir().parent_path() / "skin-broken";
    gVar.nSkinsNum = 0;
    skin::SetTheme(skin::ThemeFromOptions());
    skin::ClearImageCache();
    KeyInfo key{};
    CChijiDlg dlg(nullptr, key, *m_pCurrent, &m_prompt);
    ASSERT_EQ(m_prompt.Entries().size(), 1u);
    EXPECT_EQ(m_prompt.Entries()[0].text, u"chiji_nr.png missed");
    EXPECT_EQ(dlg.Gun(), 0);
    dlg.ChooseGun(5);
    EXPECT_TRUE(dlg.TryAccept());
    EXPECT_EQ(dlg.Result().FunID, kFunGunPreset);
    EXPECT_EQ(dlg.Result().dwParam & 0x0F, 5u);
    EXPECT_EQ(dlg.Result().dwColor, 0x00FFFFu);  // the sixth gun's colour
}
