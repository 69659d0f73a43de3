// The keyboard view on the keyboard settings page: per-key colours painted in
// a group by a click and by a rubber band reach the profile and, with
// ApplyNow, the emulated keyboard of each family; the view refuses the
// KeyNotToSet key when it points at keys; a half-covered key is taken by the
// band; a layout whose LED positions collide is painted without harm.
#include <gtest/gtest.h>

#include <QMouseEvent>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <regex>

#include "../mainwnd/MainWindowRig.h"
#include "device/kb/KbBlock.h"
#include "emu/varorgb/EmuVaroRgb.h"
#include "lighting/LedPage.h"
#include "ui/lighting/ColorPicker.h"
#include "ui/lighting/KBColorDlg.h"
#include "ui/lighting/LedDlg.h"
#include "ui/pages/DeviceSettingDlg.h"

using namespace mainwnd_test;

namespace {

constexpr ZColor kPaint = 0x563412;  // R 12, G 34, B 56

// A fixture installation with options replaced or added to its [OPT] section.
std::string FixtureCfg(const char* pszName, std::initializer_list<std::string> opts)
{
    std::string text = ReadBytes(FixtureDir() / "cfg" / pszName);
    for (const std::string& o : opts) {
        const std::string key = o.substr(0, o.find('='));
        const std::regex line("(^|\\n)" + key + "=[^\\r\\n]*");
        if (std::regex_search(text, line))
            text = std::regex_replace(text, line, "$1" + o);
        else
            text = std::regex_replace(text, std::regex("\\[OPT\\]\\r?\\n"), "[OPT]\n" + o + "\n");
    }
    return text;
}

CDeviceSettingDlg* KeyboardPage(CZorvikDlg& w)
{
    w.SwitchDevice(DevKind::Keyboard);
    return dynamic_cast<CDeviceSettingDlg*>(w.CurrentPageWidget());
}

void Mouse(QWidget* p, QEvent::Type type, QPoint pt, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(pt), p->mapToGlobal(QPointF(pt)), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(p, &e);
}

// A press at from, a drag to to, a release there.
void Drag(QWidget* p, QPoint from, QPoint to)
{
    Mouse(p, QEvent::MouseButtonPress, from, Qt::LeftButton);
    Mouse(p, QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
    Mouse(p, QEvent::MouseMove, to, Qt::LeftButton);
    Mouse(p, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

void Click(QWidget* p, QPoint pt)
{
    Mouse(p, QEvent::MouseButtonPress, pt, Qt::LeftButton);
    Mouse(p, QEvent::MouseButtonRelease, pt, Qt::NoButton);
}

int SlotOf(const CKBColorDlg& v, char c) { return v.FindKey(uint8_t(c)); }

// The first group the user may paint.
int EditableGroup()
{
    for (int g = 0; g < GameGroupCount(); ++g)
        if (GameGroupEditable(g)) return g;
    return -1;
}

// The dump's grid entry of a key: its name, then its colour.
bool DumpShows(const std::string& dump, const std::string& key, const std::string& hex)
{
    return std::regex_search(dump, std::regex("(^|\\s)" + key + "\\s+" + hex + "(\\s|$)"));
}

// The keyboard holds the colour of the key in slot nSlot of group g. The
// block keyboards of types 22 and 23 are read from their lighting pages by
// LED position (their dump names the grid by matrix position); the others
// from the dump's grid by key name, where kPaint reads as pszHex.
bool KeyboardShows(CEmuDevice& dev, int nFw, const char* pszHex, const std::string& key, int nSlot, int g,
                   ZColor clr)
{
    if (nFw != 22 && nFw != 23) return DumpShows(dev.DescribeState(), key, clr ? pszHex : "000000");
    auto* pKb = dynamic_cast<CEmuVaroRgb*>(&dev);
    const int nLed = g_defKEY[nSlot].LedInx;
    if (!pKb || nLed < 0 || g != 0) return false;
    const auto page = pKb->PageAt(0xBC);
    if (nFw == 23) return page[size_t(nLed)] == (clr ? 1 : 0);
    for (int c = 0; c < 3; ++c) {
        const size_t at = size_t(gVar.Kb.GameRGBIndex[c]) * 126 + size_t(nLed);
        if (page[at] != ((clr >> (8 * c)) & 0xFF)) return false;
    }
    return true;
}

struct FamilyCase {
    const char* pszFixture;
    int nFw;
    // An option for the installation ("" none).
    const char* pszOption;
    // How the emulator's dump shows kPaint (its plane order).
    const char* pszHex;
};

class KBColorFamily : public ::testing::TestWithParam<FamilyCase> {};

}  // namespace

TEST_P(KBColorFamily, KeysPaintedInAGroupReachTheKeyboard)
{
    const FamilyCase& c = GetParam();
    CMainWindowRig r(*c.pszOption ? FixtureCfg(c.pszFixture, {"ApplyNow=1", c.pszOption})
                                   : FixtureCfg(c.pszFixture, {"ApplyNow=1"}));
    ASSERT_TRUE(r.bInitialised);
    ASSERT_EQ(gVar.nKbFw, c.nFw);
    CDeviceSettingDlg* pPage = KeyboardPage(*r.wnd);
    ASSERT_NE(pPage, nullptr);
    CLedDlg* pLed = pPage->Led();
    CKBColorDlg* pView = pPage->KeyView();
    ASSERT_NE(pLed, nullptr);
    ASSERT_NE(pView, nullptr);
    ASSERT_GT(pView->KeyCount(), 40);

    auto pKb = r.Device("");
    ASSERT_TRUE(pKb);
    const auto shows = [&](const std::string& key, int nSlot, int g, ZColor clr) {
        return KeyboardShows(*pKb, c.nFw, c.pszHex, key, nSlot, g, clr);
    };
    // Entering the per-key mode writes the group's stored colours too.
    const int g = EditableGroup();
    ASSERT_GE(g, 0);
    const int nG = SlotOf(*pView, 'G');
    ASSERT_GE(nG, 0);
    pFile->Kb.nCurGameGroup = uint16_t(g);
    pFile->Kb.clrGameKey[g][nG] = kPaint;
    ASSERT_TRUE(pLed->ChooseMode(gVar.Kb.nGaoshouIndex)) << "the per-key colour mode is offered";
    ASSERT_TRUE(pLed->Controls().bGame);
    EXPECT_FALSE(pView->EffectRunning());  // no preview over the stored colours
    EXPECT_EQ(pView->KeyColor(nG), kPaint);
    r.Settle();
    EXPECT_TRUE(shows("G", nG, g, kPaint)) << pKb->DescribeState();
    pLed->ChooseGameGroup(g);
    ASSERT_EQ(pLed->GameGroup(), g);
    ASSERT_TRUE(pView->PaintEnabled());
    pLed->SelectGameTarget(0);
    pLed->ChooseColour(kPaint);

    // A click paints a dark key (the group may come with colours); a band
    // over the right half of S and the left half of D takes both.
    const int nS = SlotOf(*pView, 'S'), nD = SlotOf(*pView, 'D'), nF = SlotOf(*pView, 'F');
    int nA = -1;
    std::string strA;
    for (char ch : std::string("ZXCVBNM")) {
        const int n = SlotOf(*pView, ch);
        if (n >= 0 && kb::CKbBlock(pFile->Kb).GameColour(g, n) == 0) {
            nA = n;
            strA = std::string(1, ch);
            break;
        }
    }
    ASSERT_GE(nA, 0);
    ASSERT_GE(nD, 0);
    ASSERT_EQ(kb::CKbBlock(pFile->Kb).GameColour(g, nF), 0u);
    Click(pView, pView->KeyRect(nA).center());
    const QRect rcS = pView->KeyRect(nS), rcD = pView->KeyRect(nD);
    Drag(pView, QPoint(rcS.center().x(), rcS.top() - 3), QPoint(rcD.center().x(), rcD.bottom() + 3));
    r.Settle();

    const kb::CKbBlock block(pFile->Kb);
    EXPECT_EQ(block.GameColour(g, nA), kPaint);
    EXPECT_EQ(block.GameColour(g, nS), kPaint);
    EXPECT_EQ(block.GameColour(g, nD), kPaint);
    EXPECT_EQ(block.GameColour(g, nF), 0u);
    EXPECT_EQ(pView->KeyColor(nD), kPaint);
    EXPECT_EQ(pView->KeyColor(nF), 0u);

    EXPECT_TRUE(shows(strA, nA, g, kPaint)) << pKb->DescribeState();
    EXPECT_TRUE(shows("S", nS, g, kPaint));
    EXPECT_TRUE(shows("D", nD, g, kPaint));
    EXPECT_TRUE(shows("F", nF, g, 0));
    EXPECT_TRUE(r.rig.Backend().Violations().empty());

    // A second click on that key takes its colour away again.
    Click(pView, pView->KeyRect(nA).center());
    r.Settle();
    EXPECT_EQ(kb::CKbBlock(pFile->Kb).GameColour(g, nA), 0u);
    EXPECT_TRUE(shows(strA, nA, g, 0));
}

INSTANTIATE_TEST_SUITE_P(Families, KBColorFamily,
                         ::testing::Values(FamilyCase{"kb20.ini", 20, "", "123456"},
                                           FamilyCase{"kb21.ini", 21, "", "123456"},
                                           // The first group, the one read back from the lighting page.
                                           FamilyCase{"keyboard-only.ini", 22, "CustomGp=0,4", ""},
                                           FamilyCase{"kb23.ini", 23, "", ""},
                                           FamilyCase{"kb24.ini", 24, "", "563412"}),
                         [](const auto& info) { return "Fw" + std::to_string(info.param.nFw); });

TEST(KBColorDlg, KeyNotToSetIsRefusedWhenPointingAtKeys)
{
    CMainWindowRig r(FixtureCfg("kb21.ini", {}));
    ASSERT_TRUE(r.bInitialised);
    CDeviceSettingDlg* pPage = KeyboardPage(*r.wnd);
    ASSERT_NE(pPage, nullptr);
    CKBColorDlg* pView = pPage->KeyView();
    ASSERT_NE(pView, nullptr);
    const int nRefused = gVar.Kb.nKeyNotToSet;
    ASSERT_GE(nRefused, 0);
    ASSERT_LT(nRefused, pView->KeyCount());
    pView->SetViewMode(CKBColorDlg::kSelect);
    std::vector<int> clicked;
    QObject::connect(pView, &CKBColorDlg::keyClicked, [&](int n) { clicked.push_back(n); });
    std::vector<std::string> log;
    LogConfig cfg;
    cfg.nDebug = 1;
    cfg.debugOut = [&](const std::string& s) { log.push_back(s); };
    LogStart(cfg);

    const int nQ = SlotOf(*pView, 'Q');
    Click(pView, pView->KeyRect(nQ).center());
    Click(pView, pView->KeyRect(nRefused).center());
    LogStop();
    EXPECT_EQ(pView->Selected(), nQ);
    EXPECT_EQ(clicked, std::vector<int>{nQ});
    const std::string line = "m_nKeyNotToSet=" + std::to_string(nRefused) + ", nCurSel=" + std::to_string(nRefused);
    EXPECT_TRUE(std::any_of(log.begin(), log.end(), [&](const std::string& s) { return s.find(line) != s.npos; }))
        << line;
    // Hovering it outlines nothing.
    Mouse(pView, QEvent::MouseMove, pView->KeyRect(nRefused).center(), Qt::NoButton);
    EXPECT_EQ(pView->Hovered(), -1);
    Mouse(pView, QEvent::MouseMove, pView->KeyRect(nQ).center(), Qt::NoButton);
    EXPECT_EQ(pView->Hovered(), nQ);
    // In the lighting view a click on a key of the key page's mode paints nothing.
    EXPECT_EQ(kb::CKbBlock(pFile->Kb).GameColour(0, nQ), 0u);
}

TEST(KBColorDlg, AGroupOutsideTheCustomRangeCannotBePaintedAndWithoutApplyNowApplyWritesIt)
{
    // Groups 2..4 are the user's; 0 and 1 come with the keyboard.
    CMainWindowRig r(FixtureCfg("keyboard-only.ini", {"ApplyNow=0"}));
    ASSERT_TRUE(r.bInitialised);
    CDeviceSettingDlg* pPage = KeyboardPage(*r.wnd);
    ASSERT_NE(pPage, nullptr);
    CLedDlg* pLed = pPage->Led();
    CKBColorDlg* pView = pPage->KeyView();
    ASSERT_TRUE(pLed && pView);
    ASSERT_TRUE(pLed->ChooseMode(gVar.Kb.nGaoshouIndex));
    pLed->ChooseGameGroup(1);
    ASSERT_EQ(pLed->GameGroup(), 1);
    EXPECT_FALSE(pLed->GameEditable());
    EXPECT_FALSE(pView->PaintEnabled());
    EXPECT_TRUE(pPage->findChild<QWidget*>(QStringLiteral("led-paint"))->isHidden());
    const ProfileRecord before = *pFile;
    const int nQ = SlotOf(*pView, 'Q');
    Click(pView, pView->KeyRect(nQ).center());
    pLed->PaintKeys({nQ, nQ + 1});
    EXPECT_EQ(std::memcmp(&before.Kb.clrGameKey, &pFile->Kb.clrGameKey, sizeof(before.Kb.clrGameKey)), 0);

    // Group 3: painting is kept in the profile and reaches the keyboard on Apply.
    pLed->ChooseGameGroup(3);
    ASSERT_TRUE(pLed->GameEditable());
    EXPECT_FALSE(pPage->findChild<QWidget*>(QStringLiteral("led-paint"))->isHidden());
    // A swatch of the picker gives the paint colour.
    pLed->SelectGameTarget(0);
    CColorPicker* pPicker = pLed->Picker();
    ASSERT_NE(pPicker, nullptr);
    EXPECT_TRUE(pPicker->isVisibleTo(pLed));
    Click(pPicker, pPicker->swatchRect(2).center());
    EXPECT_EQ(pLed->PaintColour(), gVar.clrPick[2] & 0xFFFFFF);
    pLed->ChooseColour(0x00FF00);
    EXPECT_EQ(pPicker->color(), QColor(0, 255, 0));
    auto pKb = r.Device("");
    ASSERT_TRUE(pKb);
    r.Settle();
    const std::string dumpBefore = pKb->DescribeState();
    Click(pView, pView->KeyRect(nQ).center());
    r.Settle();
    EXPECT_EQ(kb::CKbBlock(pFile->Kb).GameColour(3, nQ), 0x00FF00u);
    EXPECT_EQ(pFile->Kb.nCurGameGroup, 3);
    EXPECT_EQ(pKb->DescribeState(), dumpBefore);  // nothing written yet
    EXPECT_EQ(r.wnd->Profiles().PartialApplies(), 0);
    ASSERT_TRUE(r.wnd->Apply());
    r.Settle();
    EXPECT_NE(pKb->DescribeState(), dumpBefore);
    EXPECT_TRUE(r.rig.Backend().Violations().empty());

    // The fill colour paints every key of the group that has a light.
    pLed->SelectGameTarget(1);
    pLed->ChooseColour(0x0000FF);
    for (int i = 0; i < pView->KeyCount(); ++i) {
        const ZColor want = GameKeyPaintable(i) ? 0x0000FFu : 0u;
        EXPECT_EQ(kb::CKbBlock(pFile->Kb).GameColour(3, i), want) << i;
        EXPECT_EQ(pView->KeyColor(i), want) << i;
    }
}

TEST(KBColorDlg, ThePreviewRunsOnlyWhileTheViewIsShownAndNeverInThePerKeyMode)
{
    CMainWindowRig r(DemoCfg({"ApplyNow=0"}));
    ASSERT_TRUE(r.bInitialised);
    r.wnd->show();
    CDeviceSettingDlg* pPage = KeyboardPage(*r.wnd);
    ASSERT_NE(pPage, nullptr);
    CLedDlg* pLed = pPage->Led();
    CKBColorDlg* pView = pPage->KeyView();
    ASSERT_TRUE(pLed && pView);
    ASSERT_TRUE(pView->isVisible());
    // A mode whose preview moves.
    int nMoving = -1;
    for (const LedModeItem& m : pLed->Modes()) {
        if (LedControlsOf(LedDesign::Keyboard, m.nIndex).bGame) continue;
        pLed->ChooseMode(m.nIndex);
        if (pView->TimerActive()) {
            nMoving = m.nIndex;
            break;
        }
    }
    ASSERT_GE(nMoving, 0);
    pPage->ShowView(PageId::KbKeys);  // the key page points at keys: no frames
    EXPECT_FALSE(pView->TimerActive());
    pPage->ShowView(PageId::KbLighting);
    EXPECT_TRUE(pView->TimerActive());
    pView->hide();
    EXPECT_FALSE(pView->TimerActive());
    pView->show();
    EXPECT_TRUE(pView->TimerActive());

    // The per-key mode shows the stored colours and nothing moves them.
    ASSERT_TRUE(pLed->ChooseMode(gVar.Kb.nGaoshouIndex));
    EXPECT_FALSE(pView->TimerActive());
    EXPECT_FALSE(pView->EffectRunning());
    const int g = pLed->GameGroup();
    for (int i = 0; i < pView->KeyCount(); ++i)
        EXPECT_EQ(pView->KeyColor(i), kb::CKbBlock(pFile->Kb).GameColour(g, i)) << i;
    r.wnd->hide();
}

TEST(KBColorDlg, CollidingLedPositionsArePaintedWithinTheirPlanes)
{
    // Every key of the table on LED position 125, the last of a plane, and one past it.
    std::string cfg = FixtureCfg("kb24.ini", {"ApplyNow=1"});
    cfg = std::regex_replace(cfg, std::regex("(\\nK[0-9]+=(?:[^,\\r\\n]*,){7}[^,\\r\\n]*),[0-9-]+"), "$1");
    cfg = std::regex_replace(cfg, std::regex("(\\nK[0-9]+=(?:[^,\\r\\n]*,){7}[^,\\r\\n]*)(\\r?\\n)"), "$1,125$2");
    cfg = std::regex_replace(cfg, std::regex("(\\nK1=(?:[^,\\r\\n]*,){7}[^,\\r\\n]*),125"), "$1,126");
    CMainWindowRig r(cfg);
    ASSERT_TRUE(r.bInitialised);
    CDeviceSettingDlg* pPage = KeyboardPage(*r.wnd);
    ASSERT_NE(pPage, nullptr);
    CLedDlg* pLed = pPage->Led();
    CKBColorDlg* pView = pPage->KeyView();
    ASSERT_TRUE(pLed && pView);
    ASSERT_GT(pView->KeyCount(), 40);
    ASSERT_EQ(g_defKEY[SlotOf(*pView, 'Q')].LedInx, 125);
    ASSERT_EQ(g_defKEY[0].LedInx, 126);
    ASSERT_TRUE(pLed->ChooseMode(gVar.Kb.nGaoshouIndex));
    const int g = EditableGroup();
    ASSERT_GE(g, 0);
    pLed->ChooseGameGroup(g);
    pLed->SelectGameTarget(0);
    pLed->ChooseColour(kPaint);
    const QRect all = pView->rect();
    Drag(pView, all.topLeft() + QPoint(1, 1), QPoint(all.width() * 2 / 3, all.bottom() - 1));
    pLed->SelectGameTarget(1);
    pLed->ChooseColour(0xFFFFFF);
    r.Settle();
    EXPECT_EQ(kb::CKbBlock(pFile->Kb).GameColour(g, SlotOf(*pView, 'Q')), 0xFFFFFFu);
    auto pKb = r.Device("");
    ASSERT_TRUE(pKb);
    EXPECT_TRUE(r.rig.Backend().Violations().empty());
    EXPECT_NE(pKb->DescribeState().find("per-key colours"), std::string::npos);
}

// Pictures of the keyboard page with painted keys in the dark and light skins,
// for looking at: written when ZV_SHOT_DIR names a folder (skipped otherwise).
TEST(KBColorDlgShots, PaintedKeysInBothSkins)
{
    const char* pszOut = std::getenv("ZV_SHOT_DIR");
    if (!pszOut) GTEST_SKIP() << "ZV_SHOT_DIR not set";
    for (int nSkin : {0, 1}) {
        test::CTempDir user;
        WriteBytes(user.Path() / "lang.ini", "[OPT]\r\nLangIndex=0\r\nSkinsIndex=" + std::to_string(nSkin) + "\r\n");
        CMainWindowRig r(DemoCfg({"ApplyNow=1"}), user.Path());
        ASSERT_TRUE(r.bInitialised);
        ASSERT_EQ(gVar.nSkinsIndex, nSkin);
        r.wnd->show();
        CDeviceSettingDlg* pPage = KeyboardPage(*r.wnd);
        ASSERT_NE(pPage, nullptr);
        CLedDlg* pLed = pPage->Led();
        CKBColorDlg* pView = pPage->KeyView();
        ASSERT_TRUE(pLed && pView);
        ASSERT_TRUE(pLed->ChooseMode(gVar.Kb.nGaoshouIndex));
        const int g = EditableGroup();
        ASSERT_GE(g, 0);
        pLed->ChooseGameGroup(g);
        pLed->SelectGameTarget(1);
        pLed->ChooseColour(0x402000);  // a dark blue over the whole group
        pLed->SelectGameTarget(0);
        pLed->ChooseColour(0x0000FF);
        std::vector<int> wasd;
        for (char c : std::string("WASD")) wasd.push_back(SlotOf(*pView, c));
        pLed->PaintKeys(wasd);
        pLed->ChooseColour(0x00C8FF);
        const QRect f1 = pView->KeyRect(pView->FindKey(0x70)), f4 = pView->KeyRect(pView->FindKey(0x73));
        Drag(pView, f1.center(), QPoint(f4.center().x(), f4.bottom() + 2));
        pLed->ChooseColour(0x00FF00);
        pLed->PaintKeys({pView->FindKey(0x0D), pView->FindKey(0x20)});
        r.Settle();
        const QImage img = r.wnd->grab().toImage();
        const QString strSkin = nSkin ? QStringLiteral("light") : QStringLiteral("dark");
        const QString strName =
            QStringLiteral("%1/keyboard-colours-%2.png").arg(QString::fromLocal8Bit(pszOut), strSkin);
        EXPECT_TRUE(img.save(strName)) << strName.toStdString();

        // The same view pointing at keys: marks, the hovered and the chosen key.
        pPage->ShowView(PageId::KbKeys);
        for (char c : std::string("QWERT")) pView->SetKeyMark(SlotOf(*pView, c), 1);
        pView->SetSelected(SlotOf(*pView, 'G'));
        Mouse(pView, QEvent::MouseMove, pView->KeyRect(pView->FindKey(0x0D)).center(), Qt::NoButton);
        const QString strKeys = QStringLiteral("%1/keyboard-keys-%2.png").arg(QString::fromLocal8Bit(pszOut), strSkin);
        EXPECT_TRUE(r.wnd->grab().toImage().save(strKeys)) << strKeys.toStdString();
        r.wnd->hide();
    }
}

TEST(KBColorDlg, DrawsEachKeyAtItsLevelInsideItsFrame)
{
    std::vector<KeyInfo> keys(3);
    const ZRect rects[3] = {{10, 10, 50, 46}, {60, 10, 100, 46}, {110, 10, 150, 46}};
    for (size_t i = 0; i < keys.size(); ++i) {
        keys[i].FunID = 0x020000A0;
        keys[i].byKey1 = uint8_t('A' + i);
        keys[i].rcKey = rects[i];
    }
    CKBColorDlg view(nullptr);
    view.SetLayout(BuildKeyLayout(keys, 3, 0, {}));
    view.resize(160, 56);
    const auto render = [&] {
        QImage img(view.size(), QImage::Format_ARGB32);
        img.fill(Qt::black);
        view.render(&img);
        return img;
    };
    const QImage base = render();  // the key picture alone
    view.SetKeyColor(0, 0x0000FF);   // red at 200
    view.SetKeyColor(1, 0x00FF00);
    view.SetKeyLevel(1, 255);        // green, opaque
    view.SetKeyColor(2, 0xFF0000);
    view.SetKeyLevel(2, -50);        // an effect took it below dark: not drawn
    view.SetKeyColor(-1, 0xFFFFFF);  // no key chosen yet: nothing
    view.SetKeyColor(132, 0xFFFFFF); // past the slots: nothing
    const QImage img = render();
    const QColor red = img.pixelColor(30, 28), under = base.pixelColor(30, 28);
    EXPECT_NEAR(red.red(), (255 * 200 + under.red() * 55) / 255, 1);
    EXPECT_NEAR(red.green(), under.green() * 55 / 255, 1);
    EXPECT_EQ(img.pixelColor(80, 28), QColor(0, 255, 0));
    EXPECT_EQ(img.pixelColor(130, 28), base.pixelColor(130, 28));
    // The light frame on the key's edge pixels, the colour inside it.
    EXPECT_EQ(img.pixelColor(60, 28), QColor(0xC8, 0xC8, 0xC8));
    EXPECT_EQ(img.pixelColor(99, 45), QColor(0xC8, 0xC8, 0xC8));
    EXPECT_EQ(img.pixelColor(61, 28), QColor(0, 255, 0));
    EXPECT_EQ(img.pixelColor(100, 28), base.pixelColor(100, 28));  // outside the key
    for (int i = 0; i < 3; ++i) EXPECT_NE(view.KeyColor(i), 0xFFFFFFu);
    EXPECT_EQ(view.KeyColor(132), 0u);
}

TEST(KBColorDlg, KeysFollowThePictureAtAnotherInterfaceScale)
{
    CMainWindowRig r(DemoCfg({}));
    ASSERT_TRUE(r.bInitialised);
    CDeviceSettingDlg* pPage = KeyboardPage(*r.wnd);
    ASSERT_NE(pPage, nullptr);
    CKBColorDlg* pView = pPage->KeyView();
    ASSERT_NE(pView, nullptr);
    ASSERT_FALSE(pView->ImageSize().isEmpty());
    const int nQ = SlotOf(*pView, 'Q');
    const QRect q1 = pView->KeyRect(nQ), view1 = pView->geometry();
    EXPECT_EQ(pView->KeyAtPoint(q1.center()), nQ);

    skin::SetInterfaceScale(1.5);
    skin::ClearImageCache();
    pPage->Reskin();
    const QRect q2 = pView->KeyRect(nQ), view2 = pView->geometry();
    skin::SetInterfaceScale(1.0);
    skin::ClearImageCache();
    EXPECT_NEAR(view2.width(), view1.width() * 1.5, 1);
    EXPECT_NEAR(view2.left(), view1.left() * 1.5, 2);
    EXPECT_NEAR(q2.left(), q1.left() * 1.5, 1);
    EXPECT_NEAR(q2.width(), q1.width() * 1.5, 1);
    EXPECT_EQ(pView->KeyAtPoint(q2.center()), nQ);
    // Scaling again from the picture never compounds.
    pPage->Reskin();
    EXPECT_EQ(pView->KeyRect(nQ), q1);
}

// A few frames of two previews on the view, kept where ZV_SHOT_DIR names to be
// looked at: the running light (code 5) and the column sweep (code 31). Each frame
// differs from the one before.
TEST(KBColorDlgShots, PreviewFramesOfTwoEffects)
{
    const char* pszOut = std::getenv("ZV_SHOT_DIR");
    if (!pszOut) GTEST_SKIP() << "ZV_SHOT_DIR not set";
    CMainWindowRig r(DemoCfg({}));
    ASSERT_TRUE(r.bInitialised);
    r.wnd->show();
    CDeviceSettingDlg* pPage = KeyboardPage(*r.wnd);
    ASSERT_NE(pPage, nullptr);
    CKBColorDlg* pView = pPage->KeyView();
    ASSERT_NE(pView, nullptr);
    for (const int nCode : {5, 31}) {
        EffectSettings s;
        s.code = nCode;
        s.speed = 2;
        s.colourful = true;
        pView->PlayEffect(s);
        QImage last;
        for (int f = 0; f < 4; ++f) {
            for (int i = 0; i < 3; ++i) pView->StepEffect();
            const QImage img = pView->grab().toImage();
            if (!last.isNull()) EXPECT_NE(img, last) << "code " << nCode << ", frame " << f;
            last = img;
            const QString strName =
                QStringLiteral("%1/preview-%2-%3.png").arg(QString::fromLocal8Bit(pszOut)).arg(nCode).arg(f);
            EXPECT_TRUE(img.save(strName)) << strName.toStdString();
        }
        pView->StopEffect();
    }
}
