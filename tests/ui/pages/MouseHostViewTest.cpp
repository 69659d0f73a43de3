// The mouse page's views and places without a device, its battery read-out,
// and the desktop pointer settings it says it can or cannot set.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <memory>

#include "TestSupport.h"
#include "core/Gvar.h"
#include "core/ProfileStore.h"
#include "platform/GnomePointerSettings.h"
#include "ui/pages/PageTable.h"
#include "ui/pages/mouse/DpiDlg.h"
#include "ui/pages/mouse/LODDlg.h"
#include "ui/pages/mouse/MsSettingDlg.h"
#include "ui/pages/mouse/PowerDlg.h"
#include "ui/pages/mouse/SysDlg.h"

namespace {

class MouseHostView : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_pSaved = std::make_unique<GlobalVar>(gVar);
        gVar.ptMsMarkDlg = {290, 54};
        gVar.ptKeyMsDlg = {790, 35};
        gVar.Ms.nShowPower = 1;
        m_pro.dwMagic = kProfileMagic;
        m_pro.nID = 7;
        m_pCurrent = m_list.Add(std::make_unique<ProfileRecord>(m_pro));
        m_store = std::make_unique<CProfileStore>(m_dir.Path(), m_prompt);
        m_editor = std::make_unique<CProfileEditor>(m_list, m_pCurrent, *m_store, nullptr);
        PageContext ctx;
        ctx.pProfile = m_editor.get();
        ctx.pPrompt = &m_prompt;
        m_page = std::make_unique<CMsSettingDlg>(ctx, nullptr);
        m_page->resize(1063, 672);
        m_page->show();
    }
    void TearDown() override
    {
        m_page.reset();
        gVar = *m_pSaved;
    }

    std::unique_ptr<GlobalVar> m_pSaved;
    test::CTempDir m_dir;
    CRecordingPrompt m_prompt;
    ProfileRecord m_pro{};
    CProList m_list;
    ProfileRecord* m_pCurrent = nullptr;
    std::unique_ptr<CProfileStore> m_store;
    std::unique_ptr<CProfileEditor> m_editor;
    std::unique_ptr<CMsSettingDlg> m_page;
};

}  // namespace

TEST_F(MouseHostView, EachViewShowsItsPageAndTheLiftOffViewHidesPictureAndKeys)
{
    const struct {
        PageId id;
        bool bPicture, bDpi, bSys, bLighting, bLod;
    } cases[] = {
        {PageId::MouseLighting, true, false, false, true, false},
        {PageId::MouseDpi, true, true, false, false, false},
        {PageId::MouseSettings, true, false, true, false, false},
        {PageId::MouseLiftOff, false, false, false, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(PageName(c.id).toStdString());
        m_page->ShowView(c.id);
        EXPECT_EQ(m_page->View(), c.id);
        EXPECT_EQ(m_page->PictureArea()->isVisible(), c.bPicture);
        EXPECT_EQ(m_page->KeyListArea()->isVisible(), c.bPicture);
        EXPECT_EQ(m_page->DpiPage()->isVisible(), c.bDpi);
        EXPECT_EQ(m_page->SysPage()->isVisible(), c.bSys);
        EXPECT_EQ(m_page->LightingArea()->isVisible(), c.bLighting);
        EXPECT_EQ(m_page->LiftOffPage()->isVisible(), c.bLod);
    }
    // A page of another group leaves the view as it is.
    m_page->ShowView(PageId::KbKeys);
    EXPECT_EQ(m_page->View(), PageId::MouseLiftOff);
}

TEST_F(MouseHostView, PictureAndKeyListTakeTheReservedPlaces)
{
    EXPECT_EQ(m_page->PictureArea()->pos(), QPoint(290, 54));
    EXPECT_EQ(m_page->KeyListArea()->pos(), QPoint(790, 35));
    auto* pPicture = new QLabel(QStringLiteral("picture"));
    m_page->SetPictureWidget(pPicture);
    EXPECT_EQ(m_page->PictureArea(), pPicture);
    EXPECT_EQ(pPicture->parentWidget(), m_page.get());
    EXPECT_EQ(pPicture->pos(), QPoint(290, 54));
    EXPECT_TRUE(pPicture->isVisible());
    auto* pKeys = new QLabel(QStringLiteral("keys"));
    m_page->SetKeyListWidget(pKeys);
    EXPECT_EQ(pKeys->pos(), QPoint(790, 35));
    m_page->ShowView(PageId::MouseLiftOff);
    EXPECT_FALSE(pPicture->isVisible());
    EXPECT_FALSE(pKeys->isVisible());
}

TEST_F(MouseHostView, WithoutASensorTheDpiPageSaysThereIsNothingToSet)
{
    pSensorCfg = nullptr;
    m_page->Reload();
    m_page->ShowView(PageId::MouseDpi);
    EXPECT_TRUE(m_page->DpiPage()->Note()->isVisible());
    EXPECT_FALSE(m_page->DpiPage()->AddButton()->isEnabled());
}

TEST_F(MouseHostView, BatteryReadOut)
{
    CPowerDlg* p = m_page->PowerPage();
    ASSERT_TRUE(p->isVisible());
    p->SetPowerStatus(1, 0);  // charging, no level: the animation
    EXPECT_TRUE(p->Animating());
    EXPECT_EQ(p->Shown(), 10);
    p->SetPowerStatus(1, 0);
    EXPECT_TRUE(p->Animating());
    p->SetPowerStatus(0, 55);
    EXPECT_FALSE(p->Animating());
    EXPECT_EQ(p->Shown(), 55);
    p->SetPowerStatus(1, 80);  // charging with a level: full, still
    EXPECT_FALSE(p->Animating());
    EXPECT_EQ(p->Shown(), 100);
}

TEST_F(MouseHostView, ADesktopWithoutPointerSettingsIsNamedAndItsControlsAreOff)
{
    m_page->ShowView(PageId::MouseSettings);
    CSysDlg* pSys = m_page->SysPage();
    pSys->SetOsAbility(OsPointerAbility{});
    EXPECT_TRUE(pSys->OsNote()->isVisible());
    EXPECT_TRUE(pSys->OsNote()->text().contains(QStringLiteral("does not let programs set")));
    EXPECT_FALSE(pSys->SpeedSlider()->isEnabled());
    EXPECT_FALSE(pSys->DoubleClickSlider()->isEnabled());
    OsPointerAbility gnome;
    gnome.bSpeed = gnome.bPrecision = gnome.bDoubleClick = true;
    pSys->SetOsAbility(gnome);
    EXPECT_TRUE(pSys->SpeedSlider()->isEnabled());
    EXPECT_TRUE(pSys->OsNote()->text().contains(QStringLiteral("no wheel-line setting")));
}

TEST(GnomePointerSettings, ProfileValuesInTheDesktopsTerms)
{
    const struct {
        int nSpeed, nDouble, bPrecision;
        double fSpeed;
        int nDoubleOut;
        const char* pszProfile;
    } cases[] = {
        {10, 550, 1, 0.0, 550, "adaptive"},
        {20, 400, 0, 1.0, 400, "flat"},
        {1, 50, 1, -0.9, 100, "adaptive"},     // below the desktop's shortest double-click
        {0, 9000, 0, -0.9, 2000, "flat"},      // out-of-range speed is brought in
    };
    for (const auto& c : cases) {
        MsSysSettings s{};
        s.nPointerSpeed = c.nSpeed;
        s.nDblClickTime = c.nDouble;
        s.bEnhancePrecision = c.bPrecision;
        const GnomePointerValues v = GnomeValuesOf(s);
        EXPECT_NEAR(v.fSpeed, c.fSpeed, 1e-9) << c.nSpeed;
        EXPECT_EQ(v.nDoubleClick, c.nDoubleOut);
        EXPECT_EQ(v.strAccelProfile, c.pszProfile);
    }
}

TEST(GnomePointerSettings, WritesIntoTheSettingsStoreWhenTheSchemaIsThere)
{
    // A store in memory: the user's own desktop settings are never touched here.
    setenv("GSETTINGS_BACKEND", "memory", 1);
    auto p = CGnomePointerSettings::Open();
    EXPECT_EQ(p != nullptr, CGnomePointerSettings::Ability().Any());
    if (!p) return;  // this machine has no such desktop: the page says so instead
    MsSysSettings s{};
    s.nPointerSpeed = 15;
    s.nDblClickTime = 700;
    s.bEnhancePrecision = 0;
    s.nWheelLines = 3;
    EXPECT_TRUE(p->Apply(s));
    const GnomePointerValues v = p->Read();
    EXPECT_NEAR(v.fSpeed, 0.5, 1e-9);
    EXPECT_EQ(v.nDoubleClick, 700);
    EXPECT_EQ(v.strAccelProfile, "flat");
}
