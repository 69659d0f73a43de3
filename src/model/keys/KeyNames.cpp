#include "keys/KeyNames.h"

#include <string_view>

#include "core/Gvar.h"
#include "keys/KbLayout.h"
#include "text/TextCatalogue.h"

namespace {

// Keys with a fixed name; empty view when the code has none.
std::u16string_view FixedKeyName(uint8_t vk)
{
    static constexpr std::u16string_view kNumPad[] = {u"Num 0", u"Num 1", u"Num 2", u"Num 3", u"Num 4",
                                                      u"Num 5", u"Num 6", u"Num 7", u"Num 8", u"Num 9"};
    static constexpr std::u16string_view kFKeys[] = {u"F1", u"F2", u"F3", u"F4",  u"F5",  u"F6",
                                                     u"F7", u"F8", u"F9", u"F10", u"F11", u"F12"};
    if (vk >= 96 && vk <= 105) return kNumPad[vk - 96];
    if (vk >= 112 && vk <= 123) return kFKeys[vk - 112];
    switch (vk) {
    case 8: return u"Backspace";
    case 9: return u"Tab";
    case 12: return u"Clr";
    case 13: return u"Enter";
    case 16: return u"Shift";
    case 17: return u"Ctrl";
    case 18: return u"Alt";
    case 19: return u"Pause";
    case 20: return u"CapsLock";
    case 27: return u"Esc";
    case 32: return u"Space";
    case 33: return u"PageUp";
    case 34: return u"PageDown";
    case 35: return u"End";
    case 36: return u"Home";
    case 37: return u"Left";
    case 38: return u"Up";
    case 39: return u"Right";
    case 40: return u"Down";
    case 41: return u"Select";
    case 42: return u"Print";
    case 43: return u"Enter";
    case 44: return u"Print";
    case 45: return u"Insert";
    case 46: return u"Delete";
    case 47: return u"Help";
    case 91: return u"L_Win";
    case 92: return u"R_Win";
    case 93: return u"App";
    case 106: return u"Num *";
    case 107: return u"Num +";
    case 108: return u"\\";
    case 109: return u"Num -";
    case 110: return u"Num .";
    case 111: return u"Num /";
    case 144: return u"NumLock";
    case 145: return u"Scroll Lock";
    case 160: return u"L_Shift";
    case 161: return u"R_Shift";
    case 162: return u"L_Ctrl";
    case 163: return u"R_Ctrl";
    case 164: return u"L_Alt";
    case 165: return u"R_Alt";
    case 253: return u"NumEnter";
    default: return {};
    }
}

// The character a key gives on a US keyboard without modifiers (letters as
// capitals); 0 when it gives none. Stands in for the system layout's mapping,
// which a desktop without one cannot provide for stored codes.
char16_t UsKeyChar(uint8_t vk)
{
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return char16_t(vk);
    switch (vk) {
    case 186: return u';';
    case 187: return u'=';
    case 188: return u',';
    case 189: return u'-';
    case 190: return u'.';
    case 191: return u'/';
    case 192: return u'`';
    case 219: return u'[';
    case 220: return u'\\';
    case 221: return u']';
    case 222: return u'\'';
    case 226: return u'\\';
    default: return 0;
    }
}

void AppendItem(std::u16string& str, std::u16string_view item)
{
    if (!str.empty()) str += u" + ";
    str += item;
}

}  // namespace

std::u16string GetKeyName(uint32_t vk, int nKbType)
{
    const uint8_t code = RemapForDisplay(uint8_t(vk & 0xFF), nKbType);
    if (const std::u16string_view name = FixedKeyName(code); !name.empty()) return std::u16string(name);
    const CTextTable& t = TextCatalogue();
    switch (code) {
    case 240: return t.tc_click;
    case 241: return t.tc_menu;
    case 242: return t.tc_middle;
    case 243: return t.tc_forward;
    case 244: return t.tc_back;
    default: break;
    }
    const char16_t ch = UsKeyChar(code);
    return ch ? std::u16string(1, ch) : std::u16string();
}

std::u16string GetKeyName(uint32_t vk) { return GetKeyName(vk, gVar.nKbType); }

std::u16string GetComboText(uint8_t byModifier, uint8_t byKey1, uint8_t byKey2, int nKbType)
{
    std::u16string str;
    if (byModifier & 0x11) AppendItem(str, u"Ctrl");
    if (byModifier & 0x44) AppendItem(str, u"Alt");
    if (byModifier & 0x22) AppendItem(str, u"Shift");
    if (byModifier & 0x88) AppendItem(str, u"Win");
    if (byKey1) AppendItem(str, GetKeyName(byKey1, nKbType));
    if (byKey2) AppendItem(str, GetKeyName(byKey2, nKbType));
    return str;
}

std::u16string GetComboText(uint8_t byModifier, uint8_t byKey1, uint8_t byKey2)
{
    return GetComboText(byModifier, byKey1, byKey2, gVar.nKbType);
}

std::u16string GetComboTextLR(uint8_t byModifier, uint8_t byKey1, uint8_t byKey2, int nKbType)
{
    static constexpr struct {
        uint8_t bit;
        std::u16string_view name;
    } kWords[] = {{0x01, u"L-Ctrl"}, {0x04, u"L-Alt"}, {0x02, u"L-Shift"}, {0x08, u"L-Win"},
                  {0x10, u"R-Ctrl"}, {0x40, u"R-Alt"}, {0x20, u"R-Shift"}, {0x80, u"R-Win"}};
    std::u16string str;
    for (const auto& w : kWords)
        if (byModifier & w.bit) AppendItem(str, w.name);
    if (byKey1) AppendItem(str, GetKeyName(byKey1, nKbType));
    if (byKey2) AppendItem(str, GetKeyName(byKey2, nKbType));
    return str;
}

std::u16string GetComboTextLR(uint8_t byModifier, uint8_t byKey1, uint8_t byKey2)
{
    return GetComboTextLR(byModifier, byKey1, byKey2, gVar.nKbType);
}
