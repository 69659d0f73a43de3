// The mouse key list, its function menu and dialogs, and the mouse picture
// with its lighting preview, on the shipped description and skins: what a
// user picks ends in the current profile, refusals leave it as it was, and
// the preview animates only while it can be seen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "TestSupport.h"
#include "core/Ini.h"
#include "core/IPrompt.h"
#include "core/MouseDesc.h"
#include "core/Options.h"
#include "core/ProList.h"
#include "core/ProfileStore.h"
#include "core/SensorTables.h"
#include "device/ApplySnapshot.h"
#include "device/ProfileEditor.h"
#include "keys/FunId.h"
#include "keys/FunctionText.h"
#include "lighting/MousePreview.h"
#include "keys/MacroList.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "ui/keys/FirekeyDlg.h"
#include "ui/keys/KeyMarkDlg.h"
#include "ui/keys/KeyMsDlg.h"
#include "ui/keys/MenuDlg.h"
#include "ui/skin/MsgDlg.h"
#include "ui/skin/PngBtn.h"
#include "ui/skin/SkinTestSupport.h"

namespace {

namespace fs = std::filesystem;

QString T(const char* key)
{
    const std::u16string* p = FindText(key);
    return p ? ToQString(*p) : QString();
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

class KeyPagesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_szAppDir = ZV_APP_DIR;
        ASSERT_TRUE(LoadTextCatalogue(fs::path(ZV_APP_DIR) / "text" / "en" / "text.xml").bRead);
        ClearGvar();
        const CIniFile cfg = CIniFile::Load(fs::path(ZV_APP_DIR) / "cfg.ini");
        LoadLangAndSkins(cfg, CIniFile::FromBytes(""), m_prompt);
        gVar.nSkinsIndex = 0;
        skin::SetTheme(skin::ThemeFromOptions());
        skin::ClearImageCache();
        gVar.nMsFw = 1;
        gVar.Ms.nShowEffect = 1;
        InitSensorTables();
        LoadMouseDescription(cfg, m_prompt);
        ASSERT_NE(set_cur_sensor(0x3360, m_prompt), nullptr);
        BuildMouseKeyLayout(nullptr, m_prompt);
        auto pro = std::make_unique<ProfileRecord>();
        for (int m = 0; m < kMsModeNum; ++m)
            for (int s = 0; s < kMsKeySetNum; ++s)
                for (int k = 0; k < kMsKeyNum; ++k) pro->Ms.Mode[m].Key[s][k] = g_MsKeyLayout[m][k];
        m_pCurrent = m_list.Add(std::move(pro));
        m_store = std::make_unique<CProfileStore>(m_dir.Path(), m_prompt);
        m_editor = std::make_unique<CProfileEditor>(m_list, m_pCurrent, *m_store, nullptr);
        m_ctx.pProfile = m_editor.get();
        m_ctx.pPrompt = &m_prompt;
        g_MacroList.Clear();
        m_prompt.Clear();
    }
    void TearDown() override
    {
        CMenuDlg::CloseCurrent();
        g_MacroList.Clear();
    }

    std::unique_ptr<CKeyMsDlg> MakeKeys()
    {
        auto p = std::make_unique<CKeyMsDlg>(m_ctx, nullptr);
        p->onEdited = [this](uint32_t nFlags) {
            m_edits.push_back(nFlags);
            m_editor->Changed(kNoFamily, nFlags);
        };
        p->show();
        return p;
    }
    const KeyInfo& Slot(int n) const { return m_pCurrent->Ms.Mode[0].Key[0][n]; }

    skintest::CGlobalsGuard m_guard;
    test::CTempDir m_dir;
    CRecordingPrompt m_prompt;
    CProList m_list;
    ProfileRecord* m_pCurrent = nullptr;
    std::unique_ptr<CProfileStore> m_store;
    std::unique_ptr<CProfileEditor> m_editor;
    PageContext m_ctx;
    std::vector<uint32_t> m_edits;
};

TEST_F(KeyPagesTest, MenuGivesAKeyItsFunction)
{
    auto keys = MakeKeys();
    struct Case { QStringList path; uint32_t dwFunID; } cases[] = {
        {{T("tc_middle")}, 0x01000012},
        {{T("tc_key_off")}, 0x080000A2},
        {{T("tc_dpi"), T("tc_dpiadd")}, 0x080000A8},
        {{T("tc_dpi"), T("tc_dpiloop")}, 0x080000AA},
        {{T("tc_media"), T("tc_vol_up")}, 0x04000026},
        {{T("tc_media"), T("tc_mute")}, 0x04000028},
    };
    for (const auto& c : cases) {
        m_edits.clear();
        CMenuDlg* pMenu = keys->OpenFunctionMenu(3);
        ASSERT_NE(pMenu, nullptr);
        EXPECT_EQ(CMenuDlg::Current(), pMenu);
        ASSERT_TRUE(pMenu->PickPath(c.path)) << c.path.join('/').toStdString();
        EXPECT_EQ(Slot(3).FunID, c.dwFunID) << c.path.join('/').toStdString();
        EXPECT_EQ(keys->KeyText(3), c.path.last());
        EXPECT_EQ(m_edits, std::vector<uint32_t>{kApplyKeys});
        EXPECT_EQ(CMenuDlg::Current(), nullptr);  // the menu closed with the choice
    }
    // A header is not a function: choosing it changes nothing.
    CMenuDlg* pMenu = keys->OpenFunctionMenu(3);
    EXPECT_FALSE(pMenu->PickPath({T("tc_media")}));
    EXPECT_EQ(Slot(3).FunID, 0x04000028u);
}

TEST_F(KeyPagesTest, TheLastLeftButtonIsKept)
{
    auto keys = MakeKeys();
    ASSERT_EQ(Slot(0).FunID, 0x01000011u);
    keys->OpenFunctionMenu(0)->PickPath({T("tc_middle")});
    EXPECT_EQ(Slot(0).FunID, 0x01000011u);
    ASSERT_EQ(m_prompt.Entries().size(), 1u);
    EXPECT_EQ(ToQString(m_prompt.Entries()[0].text), T("tc_ms12"));
    EXPECT_TRUE(m_edits.empty());
    // With a left button elsewhere the change goes through.
    keys->OpenFunctionMenu(1)->PickPath({T("tc_click")});
    keys->OpenFunctionMenu(0)->PickPath({T("tc_middle")});
    EXPECT_EQ(Slot(0).FunID, 0x01000012u);
    EXPECT_EQ(Slot(1).FunID, 0x01000011u);
}

TEST_F(KeyPagesTest, CombinationReadFromTheKeyboard)
{
    auto keys = MakeKeys();
    OnModal<CMsgDlg>([](CMsgDlg* p) {
        EXPECT_EQ(p->Mode(), CMsgDlg::kModeKey);
        p->SetCombo({0x01, 'C', 0});
        p->done(CSkinDialog::kIdOk);
    });
    keys->OpenFunctionMenu(4)->PickPath({T("tc_combokey")});
    EXPECT_EQ(Slot(4).FunID, 0x020000A1u);
    EXPECT_EQ(Slot(4).byModifier, 0x01);
    EXPECT_EQ(Slot(4).byKey1, 'C');
    // Cancelled: the key keeps its combination.
    OnModal<CMsgDlg>([](CMsgDlg* p) { p->done(CSkinDialog::kIdCancel); });
    keys->OpenFunctionMenu(4)->PickPath({T("tc_combokey")});
    EXPECT_EQ(Slot(4).byKey1, 'C');
}

TEST_F(KeyPagesTest, FireKeyWithKeySpeedAndCount)
{
    auto keys = MakeKeys();
    OnModal<CFirekeyDlg>([](CFirekeyDlg* p) {
        EXPECT_EQ(p->Key(), CFirekeyDlg::kDefaultKey);
        p->PickKeyItem(2);  // middle button
        p->IntervalField()->clear();
        QTest::keyClicks(p->IntervalField(), QStringLiteral("300"));
        EXPECT_EQ(p->IntervalField()->text(), QStringLiteral("255"));
        p->CountField()->setText(QStringLiteral("3"));
        EXPECT_TRUE(p->TryAccept());
    });
    keys->OpenFunctionMenu(5)->PickPath({T("tc_fire")});
    EXPECT_EQ(Slot(5).FunID, 0x080000A4u);
    EXPECT_EQ(Slot(5).dwParam, (242u << 16) | (255u << 8) | 3u);
    // Opened again on the fire key it shows its values; a too short interval becomes 5.
    OnModal<CFirekeyDlg>([](CFirekeyDlg* p) {
        EXPECT_EQ(p->Key(), 242);
        EXPECT_EQ(p->CountField()->text(), QStringLiteral("3"));
        p->IntervalField()->setText(QStringLiteral("1"));
        EXPECT_TRUE(p->TryAccept());
    });
    keys->OpenFunctionMenu(5)->PickPath({T("tc_fire")});
    EXPECT_EQ(Slot(5).dwParam, (242u << 16) | (5u << 8) | 3u);
}

TEST(FirekeyDlgTest, RefusesAMissingKeyAndKeysOfCapturedModifiers)
{
    skintest::CGlobalsGuard guard;
    CRecordingPrompt prompt;
    skin::SetPrompt(&prompt);
    CFirekeyDlg dlg(nullptr, KeyInfo{});
    dlg.SetKey(0);
    EXPECT_FALSE(dlg.TryAccept());
    EXPECT_EQ(dlg.result(), 0);
    ASSERT_EQ(prompt.Entries().size(), 1u);
    EXPECT_EQ(prompt.Entries()[0].text, u"The value of key is invalid");
    struct Case { uint8_t mod, key, want; } cases[] = {
        {0, 'A', 'A'}, {0x01, 'A', 162}, {0x02, 0, 160}, {0x08, 0, 91}, {0x80, 0, 92}, {0x03, 'A', 0},
    };
    for (const auto& c : cases) EXPECT_EQ(FireKeyOfCapture(c.mod, c.key), c.want) << int(c.mod);
}

TEST_F(KeyPagesTest, MacroByNameThenDeletedFallsBackToTheDefault)
{
    auto keys = MakeKeys();
    // Without macros the menu says so and nothing changes.
    keys->OpenFunctionMenu(3)->PickPath({T("tc_mac_def")});
    EXPECT_EQ(m_prompt.Entries().size(), 1u);
    EXPECT_EQ(CMenuDlg::Current(), nullptr);
    MacroRecord rec{};
    rec.dwMagic = MACRO_MAGIC;
    rec.MacroID = 0x123456;
    std::u16string name = u"Reload";
    std::copy(name.begin(), name.end(), rec.szName);
    MacroRecord* pMacro = g_MacroList.Add(rec);
    const KeyInfo def = Slot(3);
    keys->OpenFunctionMenu(3)->PickPath({T("tc_mac_def")});
    CMenuDlg* pPicker = CMenuDlg::Current();
    ASSERT_NE(pPicker, nullptr);
    ASSERT_TRUE(pPicker->PickPath({QStringLiteral("Reload")}));
    EXPECT_EQ(Slot(3).FunID, kFunMacro);
    EXPECT_EQ(Slot(3).MacroID, 0x123456u);
    EXPECT_TRUE(keys->KeyText(3).endsWith(QStringLiteral("Reload"))) << keys->KeyText(3).toStdString();
    g_MacroList.Remove(pMacro);
    m_edits.clear();
    keys->Reload();
    EXPECT_EQ(Slot(3).FunID, def.FunID);
    EXPECT_EQ(keys->KeyText(3), ToQString(GetFunctionText(def)));
    EXPECT_EQ(m_edits, std::vector<uint32_t>{kApplyKeys});
}

TEST_F(KeyPagesTest, PictureMarksFollowTheSensor)
{
    CKeyMarkDlg pic(m_ctx, nullptr);
    EXPECT_TRUE(m_prompt.Entries().empty());
    EXPECT_TRUE(pic.HasMask());
    const int nKM = pSensorCfg->nKM;
    ASSERT_GT(nKM, 0);
    for (int i = 0; i < kMsKeyCount; ++i) EXPECT_EQ(pic.Mark(i)->isVisibleTo(&pic), i < nKM) << i;
    pic.HighlightMark(0);
    EXPECT_TRUE(pic.Mark(0)->isChecked());
    pic.HighlightMark(1);
    EXPECT_FALSE(pic.Mark(0)->isChecked());
    EXPECT_TRUE(pic.Mark(1)->isChecked());
    pic.HighlightMark(25);
    EXPECT_EQ(pic.LitMark(), -1);
    for (int i = 0; i < kMsKeyCount; ++i) EXPECT_FALSE(pic.Mark(i)->isChecked());
    int nClicked = -1;
    QObject::connect(&pic, &CKeyMarkDlg::MarkClicked, [&](int n) { nClicked = n; });
    pic.show();
    pic.Mark(2)->click();
    EXPECT_EQ(nClicked, 2);
    EXPECT_FALSE(pic.Mark(2)->isChecked());
}

TEST_F(KeyPagesTest, PreviewAnimatesTheLitPartsOnlyWhileVisible)
{
    CKeyMarkDlg pic(m_ctx, nullptr);
    pic.show();
    pic.RunPreviewProgram(MakeBlinkProgram(MakeColor(255, 0, 0), MakeColor(0, 0, 255), 3, 10));
    EXPECT_TRUE(pic.TimerActive());
    const QImage first = pic.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pic.Preview().Program().nIndex == 0; }, 2000));
    const QImage second = pic.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(first.size(), second.size());
    // The pictures differ exactly where the mask lights (away from the marks).
    int nLitDiff = 0, nUnlitDiff = 0;
    std::vector<uint8_t> mask;
    ASSERT_EQ(skin::LoadMaskFor(skin::CommonPath(QStringLiteral("ms_mk.skn")), first.size(), mask), skin::MaskLoad::Ok);
    for (int y = 0; y < first.height(); ++y)
        for (int x = 0; x < first.width(); ++x) {
            const bool bDiff = first.pixel(x, y) != second.pixel(x, y);
            const uint8_t a = mask[size_t(y * first.width() + x)];
            if (a == 255) {
                nLitDiff += bDiff;
                if (bDiff) {
                    EXPECT_TRUE(qRed(first.pixel(x, y)) == 255 || qBlue(first.pixel(x, y)) == 255);
                }
            } else if (a == 0) {
                nUnlitDiff += bDiff;
            }
        }
    EXPECT_GT(nLitDiff, 0);
    EXPECT_EQ(nUnlitDiff, 0);
    pic.hide();
    EXPECT_FALSE(pic.TimerActive());
    const int nIndex = pic.Preview().Program().nIndex;
    QTest::qWait(400);
    EXPECT_EQ(pic.Preview().Program().nIndex, nIndex);  // no step while hidden
    pic.show();
    EXPECT_TRUE(pic.TimerActive());
    pic.RunPreviewProgram(MakeStaticProgram(MakeColor(0, 255, 0), 10));  // one step only
    EXPECT_FALSE(pic.TimerActive());
}

TEST_F(KeyPagesTest, AMaskOfTheWrongSizeIsToldAndThePictureStays)
{
    // The broken skin's mask is one column wider than its mouse picture.
    g_szAppDir = fs::path(ZV_APP_DIR).parent_path() / "skin-broken";
    skin::ClearImageCache();
    QWidget host;
    auto* pic = new CKeyMarkDlg(m_ctx, &host);
    host.show();
    ASSERT_EQ(m_prompt.Entries().size(), 1u);
    EXPECT_EQ(m_prompt.Entries()[0].text, u"the size of ms_mk is not equals m_imgNormal");
    EXPECT_FALSE(pic->HasMask());
    EXPECT_TRUE(pic->isVisible());
    // Without the mask the preview runs but colours nothing.
    pic->RunPreviewProgram(MakeStaticProgram(MakeColor(255, 0, 0), 10));
    const QImage img = pic->Current();
    ASSERT_FALSE(img.isNull());
    const QImage plain = skin::LoadMouse(QStringLiteral("mouse_nr.png")).convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(img.pixel(img.width() / 2, img.height() / 2), plain.pixel(img.width() / 2, img.height() / 2));
}

}  // namespace

TEST_F(KeyPagesTest, OnAHighDensityScreenThePictureKeepsItsSizeAndItsMask)
{
    const QSize base = QImage(skin::MousePath(QStringLiteral("mouse_nr.png"))).size();
    ASSERT_FALSE(base.isEmpty());
    for (const double fRatio : {1.5, 2.0}) {
        skin::SkinTheme theme = skin::Theme();
        theme.fPixelRatio = fRatio;
        skin::SetTheme(theme);
        skin::ClearImageCache();
        m_prompt.Clear();
        CKeyMarkDlg pic(m_ctx, nullptr);
        EXPECT_EQ(pic.size(), base) << fRatio;
        EXPECT_TRUE(pic.HasMask()) << fRatio;
        EXPECT_TRUE(m_prompt.Entries().empty()) << fRatio;
    }
}
