// The main window's decisions, without the window: which devices it offers,
// which navigation buttons and pages each device has, which device it shows
// first and after an unplug, what the exit button does, and the interface
// scale for a screen. The window asks these and only draws the answers.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

enum class DevKind : int { None = 0, Mouse = 1, Keyboard = 2, Pad = 3 };

// What the installation offers, taken from the options once.
struct NavOptions {
    bool bMouse = false, bKeyboard = false, bPad = false;  // families configured
    int32_t nMsFw = 0, nKbFw = 0;
    bool bShowLed = true;        // [MOUSE] ShowLED
    bool bShowPower = false;     // [MOUSE] ShowPower, on a mouse with a receiver
    bool bShowLod = false;       // [MOUSE] ShowLOD 2: the lift-off page exists
    bool bShowSupport = false;   // [OPT] ShowSupport
    bool bShowMusic = false;     // [OPT] ShowMusic
    bool bSuwnd = false;         // [OPT] Suwnd: run and offer the devices even when none is attached
    bool bMusicSupport = false;  // the keyboard reported that it takes music frames

    // From gVar.
    static NavOptions FromGvar();
    int Families() const { return int(bMouse) + int(bKeyboard) + int(bPad); }
};

// The kind of a device family by its name ("wired mouse", "keyboard", "mouse pad").
DevKind KindOfFamily(std::string_view familyName);

// Which devices are attached and open now.
struct DevOpen {
    bool bMouse = false, bKeyboard = false, bPad = false;
    bool Is(DevKind k) const
    {
        return k == DevKind::Mouse ? bMouse : k == DevKind::Keyboard ? bKeyboard : k == DevKind::Pad && bPad;
    }
    bool Any() const { return bMouse || bKeyboard || bPad; }
};

// The navigation buttons, each opening the page of its number.
enum class NavButton { Lighting, Dpi, Settings, LiftOff, Macro, Bullet, KbKeys, Support, Music };
int PageNumberOf(NavButton b);

// The buttons of a device, left to right.
std::vector<NavButton> NavigationOf(DevKind dev, const NavOptions& opt);
// The mouse's mode buttons and battery page are shown with its navigation.
bool ShowsModeButtons(DevKind dev);
bool ShowsPowerPage(DevKind dev, const NavOptions& opt);

// The page a number shows for a device; None where the device has no such page.
enum class PageId { None, MouseLighting, MouseDpi, MouseSettings, MouseLiftOff, Macro, Bullet, KbLighting, KbKeys,
                    Support, Music, PadSettings };
PageId PageFor(DevKind dev, int nPage, const NavOptions& opt);
// The page a device opens on when it is chosen: 1, or where the device has no
// page 1 (a mouse without lighting), its first button's.
int FirstPageOf(DevKind dev, const NavOptions& opt);
// The profile list and its buttons are hidden on the support and music pages.
bool ShowsProfiles(int nPage);

// The device shown at start: the first open of mouse, keyboard, pad; with none
// open, the keyboard when configured, else the mouse, else the pad.
DevKind FirstDevice(const NavOptions& opt, const DevOpen& open);
// The device selectors shown, in the order mouse, keyboard, pad: none with a
// single family; otherwise the open ones (every configured one with Suwnd).
std::vector<DevKind> SelectorsShown(const NavOptions& opt, const DevOpen& open);
// After one of our devices went away: the shown device when it is still open,
// else the first open one (mouse, keyboard, pad), else the shown one stays.
DevKind ViewAfterRemoval(DevKind shown, const DevOpen& open);

enum class ExitAction { Quit, HideToTray, Minimise };
// The exit button. With the support page its close choice decides (0 quit, 1
// hide); without it a tray icon option of 1 or 3 hides. Hiding needs a tray
// icon the user can click; without one the window is minimised instead.
ExitAction ExitButtonAction(bool bShowSupport, int nCloseAction, int nTrayIcon, bool bTrayVisible);

// The interface scale for a usable screen width in logical pixels.
struct UiScale {
    bool bHighDpi = false;
    int nFontIndex = 0;     // which of the three FontSize values
    double dScale = 1.0;    // 1.0: the layout as the options give it
    int nWeight = 600;
};
UiScale ScaleForScreen(int nWidth);
