#include "Registry.h"

#include <QRegularExpression>
#include <map>

#include "Controls.h"
#include "Devices.h"
#include "Windows.h"

namespace skingen {

namespace {

using skin::SkinFolder;

State StateOf(const QString& strLower)
{
    if (strLower.endsWith(QLatin1String("_ov.png"))) return State::Ov;
    if (strLower.endsWith(QLatin1String("_dn.png"))) return State::Dn;
    return State::Nr;
}

// Stems of the icon buttons and their glyphs.
const std::map<QString, Icon>& IconButtons()
{
    static const std::map<QString, Icon> k = {
        {"add", Icon::Plus},           {"sub", Icon::Minus},         {"del", Icon::Trash},
        {"edit", Icon::Pencil},        {"reset", Icon::Reset},       {"lightleft", Icon::ChevronLeft},
        {"lightright", Icon::ChevronRight}, {"lightup", Icon::ChevronUp}, {"lightdown", Icon::ChevronDown},
        {"cow", Icon::RotateCw},       {"acow", Icon::RotateCcw},
    };
    return k;
}

const std::map<QString, Icon>& NaviButtons()
{
    static const std::map<QString, Icon> k = {
        {"light", Icon::Bulb},          {"dpi", Icon::Gauge},          {"setting", Icon::Sliders},
        {"mac", Icon::Macro},           {"trajectory", Icon::Trajectory}, {"lod", Icon::LiftOff},
        {"navi_support", Icon::Lifebuoy}, {"navi_music", Icon::Music},
    };
    return k;
}

QImage DrawChosen(const QString& n, const Palette& pal, QSize size)
{
    const QString stem = skin::StateStem(n);
    const State state = StateOf(n);
    static const QRegularExpression kNumber(QStringLiteral("^mouse/number(\\d+)\\.png$"));
    static const QRegularExpression kRate(QStringLiteral("^(\\d+)hz\\.png$"));

    if (n == QLatin1String("main_nr.png")) return MainBackground(pal, size);
    if (n == QLatin1String("support_nr.png")) return SupportBackground(pal, size);
    if (n == QLatin1String("macro_nr.png")) return MacroBackground(pal, size);
    if (n == QLatin1String("msg_nr.png")) return DialogBackground(pal, size, DialogKind::Message);
    if (n == QLatin1String("pickfundlg.png")) return DialogBackground(pal, size, DialogKind::Options);
    if (n == QLatin1String("notify.png")) return NoticeBackground(pal, size);
    if (stem == QLatin1String("chiji")) return GunPresetsBackground(pal, size, state != State::Nr);
    if (n == QLatin1String("btn_tip.png")) return UpdateMark(size);
    if (n == QLatin1String("proico.png")) return ListIcon(size, Icon::Profile, pal.accent);
    if (stem == QLatin1String("min")) return WindowButton(pal, size, state, Icon::Minimise, false);
    if (stem == QLatin1String("exit")) return WindowButton(pal, size, state, Icon::Close, true);
    if (stem == QLatin1String("opt")) return WindowButton(pal, size, state, Icon::Gear, false);
    if (const auto it = NaviButtons().find(stem); it != NaviButtons().end()) return NaviButton(pal, size, state, it->second);
    if (stem == QLatin1String("dev_ms")) return DeviceButton(pal, size, state, Icon::Mouse);
    if (stem == QLatin1String("dev_kb")) return DeviceButton(pal, size, state, Icon::Keyboard);
    if (stem == QLatin1String("dev_pad")) return DeviceButton(pal, size, state, Icon::Pad);
    if (const auto it = IconButtons().find(stem); it != IconButtons().end()) return IconButton(pal, size, state, it->second);
    if (stem == QLatin1String("radio")) return RadioBox(pal, size, state);
    if (stem == QLatin1String("check")) return CheckBox(pal, size, state);
    for (const char* psz : {"combo", "combo2", "ledmenu", "keymenu", "levels"})
        if (stem == QLatin1String(psz)) return ComboButton(pal, size, state);
    for (const char* psz : {"btn", "button", "button3", "supbtn"})
        if (stem == QLatin1String(psz)) return PushButton(pal, size, state);
    if (stem == QLatin1String("dot")) return DotButton(pal, size, state);
    if (stem == QLatin1String("vkb")) return KeyboardButton(pal, size, state);
    if (stem == QLatin1String("dpigrid")) return LevelCell(pal, size, state == State::Dn, false);
    if (stem == QLatin1String("dpigridxy")) return LevelCell(pal, size, state == State::Dn, true);
    if (stem == QLatin1String("sw")) return Switch(pal, size, state == State::Dn);
    if (n == QLatin1String("sw_on.png")) return Switch(pal, size, true);
    if (n == QLatin1String("sw_off.png")) return Switch(pal, size, false);
    if (n == QLatin1String("bar.png")) return Track(pal, size, false);
    if (n == QLatin1String("bar_ov.png") || n == QLatin1String("bar-ov.png")) return Track(pal, size, true);
    if (n == QLatin1String("rgb_bar.png")) return RgbTrack(pal, size);
    if (n == QLatin1String("slider.png")) return Thumb(pal, size, false);
    if (n == QLatin1String("slider2.png")) return Thumb(pal, size, true);
    if (n == QLatin1String("bar_dot.png")) return ScaleDot(pal, size);
    if (n == QLatin1String("colorring.png")) return ColourRing(pal, size);
    if (n == QLatin1String("colorwheel.png")) return ColourWheel(size);
    if (n == QLatin1String("rgbslider.png")) return RgbPointer(pal, size);
    if (n == QLatin1String("batteryempty.png")) return Battery(pal, size, BatteryKind::Empty);
    if (n == QLatin1String("batteryfull.png")) return Battery(pal, size, BatteryKind::Full);
    if (n == QLatin1String("charging.png")) return Battery(pal, size, BatteryKind::Charging);
    if (n == QLatin1String("height_nr.png")) return HeightPicture(pal, size);
    if (n == QLatin1String("firekeylogo.png")) return FireKeyLogo(pal, size);
    if (n == QLatin1String("logo.png")) return Logo(pal, size);
    if (n == QLatin1String("mac_add_nr.png")) return IconButton(pal, size, State::Nr, Icon::Plus);
    if (n == QLatin1String("mac_del_nr.png")) return IconButton(pal, size, State::Nr, Icon::Trash);
    if (n == QLatin1String("mac_edit_nr.png")) return IconButton(pal, size, State::Nr, Icon::Pencil);
    if (n == QLatin1String("mac_rec_nr.png")) return IconButton(pal, size, State::Nr, Icon::Record, &pal.danger);
    if (n == QLatin1String("mac_delay.png")) return ListIcon(size, Icon::Clock, QColor(0xe8, 0xb0, 0x4b));
    if (n == QLatin1String("mac_keydn.png")) return ListIcon(size, Icon::KeyDown, pal.accent);
    if (n == QLatin1String("mac_keyup.png")) return ListIcon(size, Icon::KeyUp, pal.glyph);
    if (n == QLatin1String("mv_n.png")) return ListIcon(size, Icon::Move, pal.glyph);
    if (n == QLatin1String("sr_n.png")) return ListIcon(size, Icon::Scroll, pal.glyph);
    if (n == QLatin1String("flag.png")) return ListIcon(size, Icon::Flag, pal.accent);
    if (n == QLatin1String("fire.png")) return ListIcon(size, Icon::Flame, QColor(0xff, 0x8a, 0x3d));
    if (n == QLatin1String("open.png")) return TreeGlyph(pal, size, true);
    if (n == QLatin1String("close.png")) return TreeGlyph(pal, size, false);
    if (const auto m = kRate.match(n); m.hasMatch()) return RateLabel(pal, size, m.captured(1));
    if (const auto m = kNumber.match(n); m.hasMatch()) return NumberBadge(pal, size, m.captured(1).toInt());
    return {};
}

QImage DrawCommon(const QString& n, QSize size, const KeyboardLayout& keyboard)
{
    // Shared by both skins: drawn in the dark skin's colours.
    const Palette& pal = DarkPalette();
    if (n == QLatin1String("keyimg.png")) return KeyboardPicture(keyboard);
    if (n == QLatin1String("audio_bar.png")) return AudioBar(size);
    if (n == QLatin1String("menu_nr.png")) return MenuItem(pal, size, false, false);
    if (n == QLatin1String("menu_ov.png")) return MenuItem(pal, size, true, false);
    if (n == QLatin1String("menusub_nr.png")) return MenuItem(pal, size, false, true);
    if (n == QLatin1String("menusub_ov.png")) return MenuItem(pal, size, true, true);
    if (n == QLatin1String("appico.png")) return AppIcon(size);
    if (n == QLatin1String("bar.png")) return Groove(pal, size, false);
    if (n == QLatin1String("bar_ov.png")) return Groove(pal, size, true);
    if (n == QLatin1String("pad_nr.png")) return PadPicture(size);
    if (n == QLatin1String("pd_mk.skn")) return PadMask(size);
    if (n == QLatin1String("ms_mk.skn")) return MouseMask(size);
    if (n == QLatin1String("msg_nr.png")) return DialogBackground(pal, size, DialogKind::Colours);
    if (n == QLatin1String("progress_nr.png")) return ProgressBackground(pal, size, false);
    if (n == QLatin1String("progress_ov.png")) return ProgressBackground(pal, size, true);
    return DrawChosen(n, pal, size);
}

QImage DrawMouse(const QString& n, QSize size)
{
    if (n == QLatin1String("mouse_nr.png")) return MousePicture(size, MouseView::Top);
    if (n == QLatin1String("mouse_dn.png")) return MousePicture(size, MouseView::TopLit);
    if (n == QLatin1String("mouse2_nr.png")) return MousePicture(size, MouseView::Side);
    if (n == QLatin1String("mouse3_nr.png")) return MousePicture(size, MouseView::Bottom);
    static const QRegularExpression kNumber(QStringLiteral("^number(\\d+)\\.png$"));
    if (const auto m = kNumber.match(n); m.hasMatch()) return NumberBadge(DarkPalette(), size, m.captured(1).toInt());
    return {};
}

}  // namespace

QImage DrawSkinImage(SkinFolder folder, const QString& strName, const Palette& pal, QSize size,
                     const KeyboardLayout& keyboard)
{
    const QString n = strName.toLower().replace(QLatin1Char('\\'), QLatin1Char('/'));
    switch (folder) {
    case SkinFolder::Chosen: return DrawChosen(n, pal, size);
    case SkinFolder::Common: return DrawCommon(n, size, keyboard);
    case SkinFolder::Mouse: return DrawMouse(n, size);
    }
    return {};
}

}  // namespace skingen
