// The mouse page as a user drives it, on the emulator's wired and wireless
// mice behind a device hub: DPI levels, colours, rate, lift-off and debounce
// reach the virtual mouse at once with ApplyNow and only on Apply without it.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <regex>
#include <set>
#include <filesystem>
#include <memory>
#include <mutex>

#include "TestSupport.h"
#include "core/Gvar.h"
#include "core/Ini.h"
#include "core/Options.h"
#include "core/ProfileStore.h"
#include "core/SensorTables.h"
#include "core/Utf.h"
#include "keys/MacroList.h"
#include "keys/MacroText.h"
#include "device/ApplySnapshot.h"
#include "device/DeviceHub.h"
#include "device/ProfileEditor.h"
#include "emu/EmuRig.h"
#include "emu/VirtualClock.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "lighting/LedPage.h"
#include "ui/keys/FirekeyDlg.h"
#include "ui/lighting/ColorPicker.h"
#include "ui/lighting/LedDlg.h"
#include "ui/keys/KeyMsDlg.h"
#include "ui/keys/MenuDlg.h"
#include "ui/pages/PageTable.h"
#include "ui/pages/mouse/DpiDlg.h"
#include "ui/pages/mouse/DpiGridDlg.h"
#include "ui/pages/mouse/LODDlg.h"
#include "ui/pages/mouse/MsSettingDlg.h"
#include "ui/pages/mouse/PowerDlg.h"
#include "ui/pages/mouse/RateDlg.h"
#include "ui/pages/mouse/SysDlg.h"
#include "ui/skin/MSliderBar.h"
#include "ui/skin/MsgDlg.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/SkinTestSupport.h"

namespace fs = std::filesystem;

namespace {

// One emulated mouse: its configuration, the options added to its mouse
// section, how its DPI codes read in the emulator's dump.
struct MouseCase {
    const char* pszName;
    const char* pszCfg;
    const char* pszExtraMs;
    int nCodeDigits;
    int nMode;   // the profile's mode the mouse takes; -1 the one it reports
};

constexpr const char* kExtraWired =
    "ShowDpiColor=1\nShowUsbRate=1\nShowLOD=1\nLodUI=1,2,3\nLodHW=a,14,1e\nDebounceUi=2,4,6,8\nDebounceHw=1,2,3,4\n"
    "DefDebounce=1\n";
constexpr const char* kExtraWireless = "ShowDpiColor=1\nShowUsbRate=1\nDebounceUi=2,4,6,8\nDebounceHw=1,2,3,4\n"
                                       "DefDebounce=1\n";

const MouseCase kWired{"wired", "mouse-only.ini", kExtraWired, 2, -1};
// Through its receiver the wireless mouse takes the profile's second mode.
const MouseCase kWireless{"wireless", "wireless4.ini", kExtraWireless, 4, 1};

// The same mice with the shipped mouse's lighting effects described (the
// catalogue's names past the eleventh masked, as the shipped cfg.ini does).
#define ZV_MOUSE_LEDS                                                                                                \
    "LedMask=14336\nLedOpt1=1,5,1,0,1,0,0\nLedOpt2=2,1,0,1,0,0,1,255,0,0\n"                                        \
    "LedOpt3=3,3,1,0,0,0,7,255,0,0,0,255,0,0,0,255,255,255,0,0,255,255,255,0,255,255,255,255\n"                     \
    "LedOpt4=4,0,1,0,0,0,0\nLedOpt5=5,2,1,0,0,0,0\n"                                                                 \
    "LedOpt6=6,0,0,0,0,0,6,255,0,0,0,255,0,0,0,255,0,255,255,255,255,0,255,255,255\n"                               \
    "LedOpt7=7,4,0,0,0,0,2,0,255,0,255,0,255\nLedOpt8=8,0,1,0,0,0,0\nLedOpt9=9,9,1,0,0,0,0\n"                         \
    "LedOpt10=10,0,1,0,0,0,0\nLedOpt11=0,0,0,0,0,0,0\n"
const MouseCase kWiredLit{"wired", "mouse-only.ini", ZV_MOUSE_LEDS "ShowUsbRate=1\n", 2, -1};
const MouseCase kWirelessLit{"wireless", "wireless4.ini", ZV_MOUSE_LEDS "ShowUsbRate=1\n", 4, 1};
#undef ZV_MOUSE_LEDS

// The desktop's pointer settings as the device module hands them over.
class CRecordingPointer final : public IOsPointerSettings {
public:
    bool Apply(const MsSysSettings& sys) override
    {
        std::lock_guard lock(m_mtx);
        m_calls.push_back(sys);
        return true;
    }
    std::vector<MsSysSettings> Calls() const
    {
        std::lock_guard lock(m_mtx);
        return m_calls;
    }

private:
    mutable std::mutex m_mtx;
    std::vector<MsSysSettings> m_calls;
};

class MouseHost : public ::testing::TestWithParam<MouseCase> {
protected:
    void SetUp() override
    {
        m_pSaved = std::make_unique<GlobalVar>(gVar);
        const MouseCase& c = GetParam();
        std::string text = test::ReadBytes(test::FixtureDir() / "cfg" / c.pszCfg);
        const size_t nMs = text.find("[MS]\n");
        ASSERT_NE(nMs, std::string::npos);
        text.insert(nMs + 5, c.pszExtraMs);
        CRecordingPrompt loadPrompt;
        LogConfig quiet;
        quiet.debugOut = [](const std::string&) {};
        ASSERT_TRUE(DataInit(CIniFile::FromBytes(text), loadPrompt, quiet));
        ASSERT_TRUE(PostInit(loadPrompt));
        g_nCurMode = -1;
        std::fill(std::begin(g_nCurDpiLevel), std::end(g_nCurDpiLevel), -1);
        std::fill(std::begin(g_nCurLODLevel), std::end(g_nCurLODLevel), -1);

        std::vector<std::string> notes;
        m_rig = std::make_unique<CEmuRig>(m_clock);
        m_rig->AddConfigured(gVar, m_dir / "emu", notes);
        ASSERT_TRUE(notes.empty()) << notes.front();
        m_hub = std::make_unique<CDeviceHub>(m_rig->Backend(), m_clock, m_notices, nullptr, &m_pointer);
        m_hub->Open();
        ASSERT_EQ(m_hub->Count(), 1u);
        ASSERT_EQ(m_hub->FindNow(0), 1);
        m_hub->Publish(0, m_prompt);
        ASSERT_NE(pSensorCfg, nullptr);

        auto pro = std::make_unique<ProfileRecord>();
        pro->dwMagic = kProfileMagic;
        pro->nID = 0x1234;
        m_hub->Device(0).FillDefault(*pro);
        // The profile edits the mode the mouse is in (the receiver's on the wireless mouse).
        pro->Ms.ProMirex.nMode = c.nMode >= 0 ? c.nMode : std::max(g_nCurMode, 0);
        m_pCurrent = m_list.Add(std::move(pro));
        fs::create_directories(m_dir / "user");
        m_store = std::make_unique<CProfileStore>(m_dir / "user", m_prompt);
        m_editor = std::make_unique<CProfileEditor>(m_list, m_pCurrent, *m_store, m_hub.get());
        // The device starts from the profile, as after the program's first apply.
        ASSERT_TRUE(m_hub->RequestApply(0, kApplyFullMouse & ~kApplyProgress, *m_pCurrent, false));
        m_hub->WaitIdle(0);

        PageContext ctx;
        ctx.pHub = m_hub.get();
        ctx.pProfile = m_editor.get();
        ctx.pPrompt = &m_prompt;
        ctx.familyOf = [](DevKind k) { return k == DevKind::Mouse ? size_t(0) : kNoFamily; };
        ctx.currentDevice = [] { return DevKind::Mouse; };
        m_page = std::make_unique<CMsSettingDlg>(ctx, nullptr);
        m_page->resize(1063, 672);
        m_page->ShowView(PageId::MouseDpi);
        m_page->show();
        m_page->Reload();
    }
    void TearDown() override
    {
        m_page.reset();
        if (m_hub) m_hub->Close();
        m_hub.reset();
        m_rig.reset();
        gVar = *m_pSaved;
        pSensorCfg = nullptr;
    }

    MsModeSettings& Mode() { return m_pCurrent->Ms.Mode[std::clamp(int(m_pCurrent->Ms.ProMirex.nMode), 0, 2)]; }
    std::string Emu() const { return m_rig->Describe(); }
    // The dump's line of a level with this resolution.
    std::string LevelLine(int nLevel, int nDpi) const
    {
        const uint16_t w = DpiToHwCode(pSensorCfg->nSensor, nDpi);
        const QString strCode = GetParam().nCodeDigits == 2 ? QString::asprintf("%02x", w & 0xFF)
                                                            : QString::asprintf("%04x", unsigned(w));
        return QString::asprintf("level %d: code %s", nLevel + 1, qPrintable(strCode)).toStdString();
    }
    void ApplyNow(bool b) { m_editor->SetApplyNow(b); }
    void Settle() { m_hub->WaitIdle(0); }
    void ApplyAll()
    {
        ASSERT_TRUE(m_hub->RequestApply(0, kApplyFullMouse & ~kApplyProgress, *m_pCurrent, false));
        Settle();
    }
    // Drags a slider's thumb from where it is to the position of step nStep.
    static void Drag(CMSliderBar* p, int nStep)
    {
        const int y = p->height() / 2;
        const int xFrom = p->Positions()[size_t(p->value())];
        const int xTo = p->Positions()[size_t(nStep)];
        QTest::mousePress(p, Qt::LeftButton, {}, QPoint(xFrom, y));
        QTest::mouseMove(p, QPoint((xFrom + xTo) / 2, y));
        QTest::mouseMove(p, QPoint(xTo, y));
        QTest::mouseRelease(p, Qt::LeftButton, {}, QPoint(xTo, y));
    }
    // A step no level of the mode holds.
    int FreeStep(const CMSliderBar* p) const
    {
        const MsModeSettings& m = const_cast<MouseHost*>(this)->Mode();
        for (int i = int(p->Values().size()) - 2; i >= 0; --i) {
            bool bUsed = false;
            for (const MsDpiLevel& lv : m.Dpi) bUsed |= lv.nDpiX == p->Values()[size_t(i)];
            if (!bUsed) return i;
        }
        return 0;
    }
    // A click on a check box's square.
    static void ClickBox(QCheckBox* p) { QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(6, p->height() / 2)); }
    CDpiDlg* Dpi() const { return m_page->DpiPage(); }
    CSysDlg* Sys() const { return m_page->SysPage(); }

    std::unique_ptr<GlobalVar> m_pSaved;
    test::CTempDir m_dir;
    CVirtualClock m_clock;
    CNoticeQueue m_notices;
    CRecordingPrompt m_prompt;
    CRecordingPointer m_pointer;
    std::unique_ptr<CEmuRig> m_rig;
    std::unique_ptr<CDeviceHub> m_hub;
    CProList m_list;
    ProfileRecord* m_pCurrent = nullptr;
    std::unique_ptr<CProfileStore> m_store;
    std::unique_ptr<CProfileEditor> m_editor;
    std::unique_ptr<CMsSettingDlg> m_page;
};

}  // namespace

TEST_P(MouseHost, ADraggedDpiSliderReachesTheMouseAtOnceWithApplyNow)
{
    ApplyNow(true);
    QTest::mouseClick(Dpi()->Cell(1), Qt::LeftButton);
    EXPECT_EQ(Dpi()->Selected(), 1);
    CMSliderBar* pSlider = Dpi()->SliderX();
    const int nStep = FreeStep(pSlider);
    const int nDpi = pSlider->Values()[size_t(nStep)];
    ASSERT_EQ(Emu().find(LevelLine(1, nDpi)), std::string::npos);
    Drag(pSlider, nStep);
    EXPECT_EQ(Mode().Dpi[1].nDpiX, nDpi);
    EXPECT_EQ(Mode().Dpi[1].nDpiY, nDpi);  // the axes move together
    EXPECT_EQ(Dpi()->Cell(1)->X(), nDpi);
    Settle();
    EXPECT_NE(Emu().find(LevelLine(1, nDpi)), std::string::npos) << Emu();
    EXPECT_GE(m_editor->PartialApplies(), 1);
}

TEST_P(MouseHost, WithoutApplyNowNothingReachesTheMouseBeforeApply)
{
    ApplyNow(false);
    gVar.clrPick[3] = 0x404040;
    Dpi()->LoadFromProfile();
    const std::string before = Emu();
    QTest::mouseClick(Dpi()->Cell(0), Qt::LeftButton);
    QTest::mouseClick(Dpi()->Swatch(3), Qt::LeftButton);  // colour of level 1
    const int nStep = FreeStep(Dpi()->SliderX());
    const int nDpi = Dpi()->SliderX()->Values()[size_t(nStep)];
    Drag(Dpi()->SliderX(), nStep);
    EXPECT_EQ(Mode().Dpi[0].clr, ZColor(0x404040));
    EXPECT_EQ(Mode().Dpi[0].nDpiX, nDpi);
    Settle();
    EXPECT_EQ(Emu(), before);
    EXPECT_EQ(m_editor->PartialApplies(), 0);
    // The edits were stored.
    CProList stored;
    ASSERT_GE(m_store->LoadProfiles(stored), 1);
    EXPECT_EQ(stored.Find(0x1234)->Ms.Mode[m_pCurrent->Ms.ProMirex.nMode].Dpi[0].nDpiX, nDpi);

    ApplyAll();
    EXPECT_NE(Emu().find(LevelLine(0, nDpi) + ", colour 40 40 40"), std::string::npos) << Emu();
}

TEST_P(MouseHost, AddingAndRemovingLevelsKeepsOneAndSaysSo)
{
    ApplyNow(true);
    const int nDM = pSensorCfg->nDM;
    QTest::mouseClick(Dpi()->RemoveButton(), Qt::LeftButton);
    Settle();
    EXPECT_EQ(Mode().nDpiNum, nDM - 1);
    EXPECT_EQ(Mode().Dpi[nDM - 1].bDisabled, 1);
    EXPECT_FALSE(Dpi()->Cell(nDM - 1)->isVisible());
    EXPECT_NE(Emu().find(QString::asprintf("DPI levels: %d enabled", nDM - 1).toStdString()), std::string::npos)
        << Emu();
    QTest::mouseClick(Dpi()->AddButton(), Qt::LeftButton);
    EXPECT_EQ(Mode().nDpiNum, nDM);
    EXPECT_FALSE(Dpi()->AddButton()->isEnabled());

    for (int i = 0; i < nDM - 1; ++i) QTest::mouseClick(Dpi()->RemoveButton(), Qt::LeftButton);
    EXPECT_EQ(Mode().nDpiNum, 1);
    EXPECT_TRUE(m_prompt.Entries().empty());
    QTest::mouseClick(Dpi()->RemoveButton(), Qt::LeftButton);
    EXPECT_EQ(Mode().nDpiNum, 1);
    EXPECT_EQ(Mode().Dpi[0].bDisabled, 0);
    ASSERT_EQ(m_prompt.Entries().size(), 1u);
    EXPECT_NE(U16ToUtf8(m_prompt.Entries()[0].text).find("last one cannot be turned off"), std::string::npos);
    Settle();
    EXPECT_NE(Emu().find("DPI levels: 1 enabled"), std::string::npos) << Emu();
}

TEST_P(MouseHost, RateLiftOffAndDebounceReachTheMouse)
{
    ApplyNow(true);
    // The 250 Hz area of the rate page.
    m_page->ShowView(PageId::MouseSettings);
    CRateDlg* pRate = m_page->RatePage();
    ASSERT_TRUE(pRate->isVisible());
    QTest::mouseClick(pRate, Qt::LeftButton, {}, pRate->AreaRect(1).center());
    EXPECT_EQ(Mode().nRate, 0x250);
    EXPECT_EQ(Sys()->RateSlider()->value(), 1);
    Settle();
    EXPECT_NE(Emu().find("rate: 250"), std::string::npos) << Emu();
    // The rate slider of the system page: 1000 Hz.
    Sys()->RateSlider()->setValue(3);
    EXPECT_EQ(Mode().nRate, 0x1000);
    Settle();
    EXPECT_NE(Emu().find("rate: 1000"), std::string::npos) << Emu();

    // Debounce: the third entry, sent as its hardware code.
    ASSERT_TRUE(Sys()->DebounceSlider()->isVisible());
    Sys()->DebounceSlider()->setValue(2);
    EXPECT_EQ(m_pCurrent->Ms.nDebounce, 2);
    EXPECT_EQ(Sys()->ValueLabel(Sys()->DebounceSlider())->text(), QStringLiteral("6 ms"));
    Settle();
    EXPECT_NE(Emu().find("debounce: 3\n"), std::string::npos) << Emu();

    // Lift-off: the last distance on the lift-off page.
    m_page->ShowView(PageId::MouseLiftOff);
    CLODDlg* pLod = m_page->LiftOffPage();
    ASSERT_GT(pLod->Levels(), 1);
    const int nLast = pLod->Levels() - 1;
    QTest::mouseClick(pLod->Cell(nLast), Qt::LeftButton);
    EXPECT_EQ(Mode().nLod, nLast);
    EXPECT_EQ(pLod->Selected(), nLast);
    Settle();
    // Through the receiver a mouse described without wireless lift-off keeps its own.
    if (GetParam().nMode == 1 && gVar.Ms.nWirlessLOD == 0) return;
    const std::string strLod = "lift-off: " + std::to_string(gVar.Ms.LodHW[nLast]) + "\n";
    EXPECT_NE(Emu().find(strLod), std::string::npos) << strLod << Emu();
}

TEST_P(MouseHost, AValueOffTheSensorsStepsTakesTheNearestStep)
{
    const SensorDpiTable* pSteps = FindSensorTable(pSensorCfg->nSensor);
    ASSERT_NE(pSteps, nullptr);
    ASSERT_GE(pSteps->nCount, 3);
    // Just above the second step: the second step is the nearest.
    const int nOff = pSteps->Dpi[1] + (pSteps->Dpi[2] - pSteps->Dpi[1]) / 3;
    Mode().Dpi[0].nDpiX = Mode().Dpi[0].nDpiY = nOff;
    m_page->Reload();
    EXPECT_EQ(Mode().Dpi[0].nDpiX, pSteps->Dpi[1]);
    EXPECT_EQ(Mode().Dpi[0].nDpiY, pSteps->Dpi[1]);
    EXPECT_EQ(Dpi()->Cell(0)->X(), pSteps->Dpi[1]);
    QTest::mouseClick(Dpi()->Cell(0), Qt::LeftButton);
    EXPECT_EQ(Dpi()->SliderX()->value(), 1);
}

TEST_P(MouseHost, ASensorWithOtherStepsReloadsThePage)
{
    const SensorDpiTable* pOld = FindSensorTable(pSensorCfg->nSensor);
    ASSERT_NE(pOld, nullptr);
    EXPECT_EQ(Dpi()->SliderX()->Values().size(), size_t(pOld->nCount));
    // The mouse now reports another sensor, whose step list differs.
    SensorCfg other = *pSensorCfg;
    other.nSensor = pSensorCfg->nSensor == 0x3360 ? 0x3389 : 0x3360;
    const SensorDpiTable* pNew = FindSensorTable(other.nSensor);
    ASSERT_NE(pNew, nullptr);
    ASSERT_NE(pNew->nCount, pOld->nCount);
    SensorCfg* pSaved = pSensorCfg;
    pSensorCfg = &other;
    m_page->Reload();
    EXPECT_EQ(Dpi()->SliderX()->Values(), std::vector<int>(pNew->Dpi, pNew->Dpi + pNew->nCount));
    for (int i = 0; i < Mode().nDpiNum; ++i)
        EXPECT_NE(FindDpiIndex(other.nSensor, Mode().Dpi[i].nDpiX), -1) << "level " << i + 1;
    pSensorCfg = pSaved;
}

TEST_P(MouseHost, TheMouseSwitchingLevelSelectsIt)
{
    DeviceEvent e;
    e.nMode = m_pCurrent->Ms.ProMirex.nMode;
    e.nLevel = 2;
    e.nLevelOrdinal = 3;
    m_page->DeviceEvent(e);
    EXPECT_EQ(Dpi()->Selected(), 2);
    EXPECT_TRUE(Dpi()->Cell(2)->Selected());
    EXPECT_FALSE(Dpi()->Cell(0)->Selected());
}

TEST_P(MouseHost, PointerSettingsGoToTheDesktopWithTheirOwnFlag)
{
    ApplyNow(true);
    m_page->ShowView(PageId::MouseSettings);
    Mode().Sys.bEnhancePrecision = 1;
    Sys()->LoadFromProfile();
    const size_t nBefore = m_pointer.Calls().size();
    ClickBox(Sys()->PrecisionBox());
    EXPECT_EQ(Mode().Sys.bEnhancePrecision, 0);
    ClickBox(Sys()->OneScreenBox());
    EXPECT_EQ(Mode().Sys.nWheelLines, -1);
    EXPECT_FALSE(Sys()->WheelSlider()->isEnabled());
    Settle();
    const auto calls = m_pointer.Calls();
    ASSERT_EQ(calls.size(), nBefore + 2);
    EXPECT_EQ(calls.back().bEnhancePrecision, 0);
    EXPECT_EQ(calls.back().nWheelLines, -1);
    // Taking the box off brings back the slider's lines.
    ClickBox(Sys()->OneScreenBox());
    EXPECT_EQ(Mode().Sys.nWheelLines, Sys()->WheelSlider()->value());
    EXPECT_GT(Mode().Sys.nWheelLines, 0);
}

TEST_P(MouseHost, SystemResetSendsTheLiftOffAndDebounceDefaultsToo)
{
    ApplyNow(true);
    Sys()->DebounceSlider()->setValue(3);
    Settle();
    ASSERT_NE(Emu().find("debounce: 4\n"), std::string::npos) << Emu();
    QTest::mouseClick(Sys()->ResetButton(), Qt::LeftButton);
    EXPECT_EQ(m_pCurrent->Ms.nDebounce, gVar.Ms.nDefDebounce);
    Settle();
    const std::string strDeb = "debounce: " + std::to_string(gVar.Ms.DebounceHw[gVar.Ms.nDefDebounce]) + "\n";
    EXPECT_NE(Emu().find(strDeb), std::string::npos) << strDeb << Emu();
}

// What the virtual mouse's dump says button nKey (from 1) of the profile's mode does.
std::string KeyOnMouse(const std::string& strDump, int nMode, int nKey)
{
    // The wired mouse names its modes, the wireless one its profiles.
    size_t nAt = strDump.find("mode " + std::to_string(nMode + 1) + ":\n");
    if (nAt == std::string::npos) nAt = strDump.find("profile " + std::to_string(nMode + 1) + " (");
    if (nAt == std::string::npos) return "no such mode";
    nAt = strDump.find("  keys:\n", nAt);
    if (nAt == std::string::npos) return "no keys";
    const std::regex line("^ +" + std::to_string(nKey) + ": [0-9a-f]{8} (.*)$");
    std::istringstream in(strDump.substr(nAt + 9));
    for (std::string str; std::getline(in, str) && str.rfind("    ", 0) == 0;)
        if (std::smatch m; std::regex_match(str, m, line)) return m[1];
    return "no such key";
}

QString T(const char* key)
{
    const std::u16string* p = FindText(key);
    return p ? ToQString(*p) : QString::fromLatin1(key);
}

// Runs fn on the next modal window of type W that opens.
template <class W, class F>
void OnModal(F fn)
{
    QTimer::singleShot(0, [fn] {
        auto* p = qobject_cast<W*>(QApplication::activeModalWidget());
        ASSERT_NE(p, nullptr);
        fn(p);
    });
}

TEST_P(MouseHost, ButtonFunctionsFromTheMenuReachTheMouse)
{
    // The key capture window needs the skin's pictures.
    skintest::CGlobalsGuard guard;
    g_szAppDir = ZV_APP_DIR;
    skin::ClearImageCache();
    ASSERT_TRUE(LoadTextCatalogue(fs::path(ZV_APP_DIR) / "text" / "en" / "text.xml").bRead);
    m_page->ShowView(PageId::MouseSettings);
    CKeyMsDlg* pKeys = m_page->Keys();
    ASSERT_NE(pKeys, nullptr);
    const int nMode = m_pCurrent->Ms.ProMirex.nMode;
    ASSERT_EQ(KeyOnMouse(Emu(), nMode, 2), "right button") << Emu();

    // With ApplyNow each choice is on the mouse when the menu closes.
    ApplyNow(true);
    struct Case { QStringList path; int nSlot; const char* pszOnMouse; } cases[] = {
        {{T("tc_middle")}, 3, "middle button"},
        {{T("tc_dpi"), T("tc_dpiloop")}, 4, "DPI cycle"},
        {{T("tc_media"), T("tc_vol_up")}, 5, "media"},
        {{T("tc_key_off")}, 1, "off"},
    };
    for (const auto& c : cases) {
        CMenuDlg* pMenu = pKeys->OpenFunctionMenu(c.nSlot);
        ASSERT_NE(pMenu, nullptr);
        ASSERT_TRUE(pMenu->PickPath(c.path)) << c.path.join('/').toStdString();
        Settle();
        // Media keys are named by their usage bits, which differ between the families.
        EXPECT_EQ(KeyOnMouse(Emu(), nMode, c.nSlot + 1).rfind(c.pszOnMouse, 0), 0u)
            << c.path.join('/').toStdString() << ": " << KeyOnMouse(Emu(), nMode, c.nSlot + 1);
    }

    // A combination read from the keyboard: Ctrl+C.
    OnModal<CMsgDlg>([](CMsgDlg* p) {
        p->SetCombo({0x01, 'C', 0});
        p->done(CSkinDialog::kIdOk);
    });
    EXPECT_TRUE(pKeys->OpenFunctionMenu(3)->PickPath({T("tc_combokey")})) << T("tc_combokey").toStdString();
    Settle();
    // Left Ctrl is modifier bit 0, and C is keyboard usage 06.
    EXPECT_EQ(KeyOnMouse(Emu(), nMode, 4), "key: modifiers 01, usages 06 00");

    // A fire key: the middle button, 255 ms apart, three times.
    OnModal<CFirekeyDlg>([](CFirekeyDlg* p) {
        p->PickKeyItem(2);
        p->IntervalField()->setText(QStringLiteral("255"));
        p->CountField()->setText(QStringLiteral("3"));
        EXPECT_TRUE(p->TryAccept());
    });
    pKeys->OpenFunctionMenu(4)->PickPath({T("tc_fire")});
    Settle();
    // The middle button is mouse button bit 2.
    EXPECT_EQ(KeyOnMouse(Emu(), nMode, 5), "fire: button bits 04, values 255 3");

    // A macro by name: the button plays buffer 1, which holds its four events.
    MacroRecord rec{};
    std::vector<MacroTextError> errors;
    ASSERT_TRUE(ParseMacroText("name \"Reload\"\ndown R 20ms\nup R 20ms\ndown E 20ms\nup E\n", MacroKind::Macro, rec,
                               errors));
    rec.MacroID = 0x123456;
    g_MacroList.Clear();
    g_MacroList.Add(rec);
    pKeys->OpenFunctionMenu(3)->PickPath({T("tc_mac_def")});
    ASSERT_NE(CMenuDlg::Current(), nullptr);
    ASSERT_TRUE(CMenuDlg::Current()->PickPath({QStringLiteral("Reload")}));
    Settle();
    EXPECT_EQ(KeyOnMouse(Emu(), nMode, 4).rfind("macro: buffer 1,", 0), 0u) << KeyOnMouse(Emu(), nMode, 4);
    EXPECT_NE(Emu().find("macro buffer 1: 4 events"), std::string::npos) << Emu();
    g_MacroList.Clear();

    // Without ApplyNow the mouse keeps its buttons until Apply.
    ApplyNow(false);
    const std::string before = Emu();
    pKeys->OpenFunctionMenu(5)->PickPath({T("tc_middle")});
    Settle();
    EXPECT_EQ(Emu(), before);
    ApplyAll();
    EXPECT_EQ(KeyOnMouse(Emu(), nMode, 6), "middle button");
}

// A level colour typed in the colour picker (the same picker the lighting
// pages use) reaches the mouse at once with ApplyNow; Cancel changes nothing.
TEST_P(MouseHost, ALevelColourFromThePickerReachesTheMouse)
{
    ApplyNow(true);
    QTest::mouseClick(Dpi()->Cell(0), Qt::LeftButton);
    ASSERT_TRUE(Dpi()->MoreColours()->isVisible());
    const ZColor before = Mode().Dpi[0].clr;
    OnModal<QDialog>([](QDialog* p) {
        auto* pPicker = p->findChild<CColorPicker*>();
        ASSERT_NE(pPicker, nullptr);
        pPicker->setColor(QColor(0x12, 0x34, 0x56));
        p->reject();
    });
    QTest::mouseClick(Dpi()->MoreColours(), Qt::LeftButton);
    EXPECT_EQ(Mode().Dpi[0].clr, before);
    OnModal<QDialog>([](QDialog* p) {
        auto* pPicker = p->findChild<CColorPicker*>();
        ASSERT_NE(pPicker, nullptr);
        // Typed values, as a user enters them in the picker's fields.
        for (int i = 0; i < 3; ++i) {
            QLineEdit* pField = pPicker->field(i);
            ASSERT_NE(pField, nullptr);
            pField->selectAll();
            QTest::keyClicks(pField, QString::number(i == 0 ? 0x12 : i == 1 ? 0x34 : 0x56));
        }
        // Kept where ZV_SHOT_DIR names, to be looked at.
        if (const char* pszOut = std::getenv("ZV_SHOT_DIR"))
            p->grab().save(QString::fromLocal8Bit(pszOut) + QStringLiteral("/dpi-picker.png"));
        p->accept();
    });
    QTest::mouseClick(Dpi()->MoreColours(), Qt::LeftButton);
    EXPECT_EQ(Mode().Dpi[0].clr, ZColor(0x563412));  // R | G << 8 | B << 16
    Settle();
    EXPECT_NE(Emu().find(", colour 12 34 56"), std::string::npos) << Emu();
}

// What the virtual mouse's dump says of the lighting of the profile's mode.
std::string LightingOnMouse(const std::string& strDump, int nMode)
{
    size_t nAt = strDump.find("mode " + std::to_string(nMode + 1) + ":\n");
    if (nAt == std::string::npos) nAt = strDump.find("profile " + std::to_string(nMode + 1) + " (");
    if (nAt == std::string::npos) return "no such mode";
    nAt = strDump.find("  lighting: ", nAt);
    if (nAt == std::string::npos) return "no lighting";
    const size_t nEnd = strDump.find("  keys:", nAt);
    return strDump.substr(nAt, nEnd == std::string::npos ? std::string::npos : nEnd - nAt);
}

// The mice with lighting effects in their description.
class MouseLighting : public MouseHost {};

// Every lighting mode the page offers, with its speed, brightness, direction
// and colour, reaches the mouse at once with ApplyNow: the device holds a
// different lighting record for each.
TEST_P(MouseLighting, EachModeReachesTheMouseAtOnce)
{
    ASSERT_TRUE(LoadTextCatalogue(fs::path(ZV_APP_DIR) / "text" / "en" / "text.xml").bRead);
    CLedDlg* pLed = m_page->Led();
    ASSERT_NE(pLed, nullptr);
    pLed->ReloadTexts();
    pLed->LoadFromProfile();
    ASSERT_GE(pLed->Modes().size(), 5u);
    ApplyNow(true);
    const int nMode = m_pCurrent->Ms.ProMirex.nMode;
    std::set<std::string> seen{LightingOnMouse(Emu(), nMode)};
    for (const LedModeItem& item : pLed->Modes()) {
        if (item.nIndex == m_pCurrent->Ms.Mode[nMode].Led.nLedMode) continue;  // already on the mouse
        ASSERT_TRUE(pLed->ChooseMode(item.nIndex)) << item.nIndex;
        const LedControls& c = pLed->Controls();
        if (c.bSpeed && !c.speedValues.empty()) pLed->ChooseSpeed(c.speedValues.back());
        if (c.bBright && !c.brightValues.empty()) pLed->ChooseBrightness(c.brightValues.front());
        if (c.bDirect) pLed->ChooseDirection(2);
        if (pLed->VisibleColourButtons() > 0) {
            pLed->SelectColourButton(0);
            pLed->ChooseColour(0x30a050);
        }
        Settle();
        EXPECT_EQ(m_pCurrent->Ms.Mode[nMode].Led.nLedMode, item.nIndex);
        const std::string strOnMouse = LightingOnMouse(Emu(), nMode);
        EXPECT_TRUE(seen.insert(strOnMouse).second) << "mode " << item.nIndex << " left the mouse as before: " << strOnMouse;
    }
    EXPECT_TRUE(m_prompt.Entries().empty());
}

INSTANTIATE_TEST_SUITE_P(Mice, MouseLighting, ::testing::Values(kWiredLit, kWirelessLit),
                         [](const auto& info) { return std::string(info.param.pszName); });

TEST_P(MouseHost, TheBatteryTheHubReadIsShown)
{
    const DeviceState st = m_hub->State(0);
    CPowerDlg* pPower = m_page->PowerPage();
    if (!st.bBatteryRead) {
        // The wired mouse has no battery to read: the page shows nothing read.
        EXPECT_EQ(pPower->Shown(), 0);
        return;
    }
    // The virtual wireless mouse runs on its battery at level 80.
    ASSERT_FALSE(st.bCharging);
    EXPECT_EQ(st.nBatteryLevel, 80);
    EXPECT_EQ(pPower->Shown(), 80);
    EXPECT_FALSE(pPower->Animating());
}

INSTANTIATE_TEST_SUITE_P(Mice, MouseHost, ::testing::Values(kWired, kWireless),
                         [](const auto& info) { return std::string(info.param.pszName); });
