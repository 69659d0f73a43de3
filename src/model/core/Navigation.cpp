#include "core/Navigation.h"

#include "core/Gvar.h"

namespace {

bool HasReceiver(int32_t nMsFw) { return (nMsFw & 0x0F) == 5; }
bool HasBullets(int32_t nMsFw) { return (nMsFw & 0xFF) >= 16; }
bool TakesMusic(int32_t nKbFw) { return nKbFw == 22 || nKbFw == 24; }

}  // namespace

NavOptions NavOptions::FromGvar()
{
    NavOptions o;
    o.bMouse = gVar.nMsFw != 0;
    o.bKeyboard = gVar.nKbFw != 0;
    o.bPad = gVar.nPadFw != 0;
    o.nMsFw = gVar.nMsFw;
    o.nKbFw = gVar.nKbFw;
    o.bShowLed = gVar.Ms.nShowLED != 0;
    o.bShowPower = gVar.Ms.nShowPower != 0 && HasReceiver(gVar.nMsFw);
    o.bShowLod = gVar.Ms.nShowLOD == 2;
    o.bShowSupport = gVar.nShowSupport != 0;
    o.bShowMusic = gVar.nShowMusic != 0;
    o.bSuwnd = gVar.nSuwnd != 0;
    return o;
}

int PageNumberOf(NavButton b)
{
    switch (b) {
    case NavButton::Lighting: return 1;
    case NavButton::Dpi: return 2;
    case NavButton::Settings: return 3;
    case NavButton::LiftOff: return 4;
    case NavButton::Macro: return 5;
    case NavButton::Bullet: return 6;
    case NavButton::KbKeys: return 7;
    case NavButton::Support: return 8;
    case NavButton::Music: return 9;
    }
    return 1;
}

std::vector<NavButton> NavigationOf(DevKind dev, const NavOptions& opt)
{
    std::vector<NavButton> v;
    switch (dev) {
    case DevKind::Mouse:
        if (opt.bShowLed) v.push_back(NavButton::Lighting);
        v.push_back(NavButton::Dpi);
        v.push_back(NavButton::Settings);
        v.push_back(NavButton::Macro);
        // The lift-off page exists only when the description asks for it.
        if (opt.bShowLod) v.push_back(NavButton::LiftOff);
        if (HasBullets(opt.nMsFw)) v.push_back(NavButton::Bullet);
        break;
    case DevKind::Keyboard:
        v = {NavButton::KbKeys, NavButton::Lighting, NavButton::Macro};
        if (opt.bShowSupport) v.push_back(NavButton::Support);
        if (opt.bShowMusic && TakesMusic(opt.nKbFw) && opt.bMusicSupport) v.push_back(NavButton::Music);
        break;
    case DevKind::Pad:
        v = {NavButton::Lighting, NavButton::Macro};
        break;
    case DevKind::None:
        break;
    }
    return v;
}

bool ShowsModeButtons(DevKind dev) { return dev == DevKind::Mouse; }
bool ShowsPowerPage(DevKind dev, const NavOptions& opt) { return dev == DevKind::Mouse && opt.bShowPower; }

PageId PageFor(DevKind dev, int nPage, const NavOptions& opt)
{
    for (const NavButton b : NavigationOf(dev, opt)) {
        if (PageNumberOf(b) != nPage) continue;
        switch (b) {
        case NavButton::Lighting:
            return dev == DevKind::Mouse ? PageId::MouseLighting
                   : dev == DevKind::Keyboard ? PageId::KbLighting
                                              : PageId::PadSettings;
        case NavButton::Dpi: return PageId::MouseDpi;
        case NavButton::Settings: return PageId::MouseSettings;
        case NavButton::LiftOff: return PageId::MouseLiftOff;
        case NavButton::Macro: return PageId::Macro;
        case NavButton::Bullet: return PageId::Bullet;
        case NavButton::KbKeys: return PageId::KbKeys;
        case NavButton::Support: return PageId::Support;
        case NavButton::Music: return PageId::Music;
        }
    }
    return PageId::None;
}

int FirstPageOf(DevKind dev, const NavOptions& opt)
{
    if (PageFor(dev, 1, opt) != PageId::None) return 1;
    const std::vector<NavButton> v = NavigationOf(dev, opt);
    return v.empty() ? 1 : PageNumberOf(v.front());
}

bool ShowsProfiles(int nPage) { return nPage != 8 && nPage != 9; }

DevKind FirstDevice(const NavOptions& opt, const DevOpen& open)
{
    if (opt.bMouse && open.bMouse) return DevKind::Mouse;
    if (opt.bKeyboard && open.bKeyboard) return DevKind::Keyboard;
    if (opt.bPad && open.bPad) return DevKind::Pad;
    if (opt.bKeyboard) return DevKind::Keyboard;
    if (opt.bMouse) return DevKind::Mouse;
    return opt.bPad ? DevKind::Pad : DevKind::None;
}

std::vector<DevKind> SelectorsShown(const NavOptions& opt, const DevOpen& open)
{
    std::vector<DevKind> v;
    if (opt.Families() < 2) return v;
    const bool bConfigured[] = {opt.bMouse, opt.bKeyboard, opt.bPad};
    for (int i = 0; i < 3; ++i) {
        const DevKind k = DevKind(i + 1);
        if (bConfigured[i] && (opt.bSuwnd || open.Is(k))) v.push_back(k);
    }
    return v;
}

DevKind ViewAfterRemoval(DevKind shown, const DevOpen& open)
{
    if (open.Is(shown)) return shown;
    for (const DevKind k : {DevKind::Mouse, DevKind::Keyboard, DevKind::Pad})
        if (open.Is(k)) return k;
    return shown;
}

ExitAction ExitButtonAction(bool bShowSupport, int nCloseAction, int nTrayIcon, bool bTrayVisible)
{
    const bool bHide = bShowSupport ? nCloseAction == 1 : (nTrayIcon == 1 || nTrayIcon == 3);
    if (!bHide) return ExitAction::Quit;
    return bTrayVisible ? ExitAction::HideToTray : ExitAction::Minimise;
}

UiScale ScaleForScreen(int nWidth)
{
    if (nWidth < 2500) return {false, 0, 1.0, 600};
    if (nWidth < 2800) return {true, 1, 1.4, 600};
    if (nWidth < 3500) return {true, 1, 1.5, 600};
    return {true, 2, 1.9, 700};
}

DevKind KindOfFamily(std::string_view name)
{
    if (name == "mouse pad") return DevKind::Pad;
    if (name.find("keyboard") != std::string_view::npos) return DevKind::Keyboard;
    if (name.find("mouse") != std::string_view::npos) return DevKind::Mouse;
    return DevKind::None;
}
