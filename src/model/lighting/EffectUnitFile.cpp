#include "lighting/EffectUnitFile.h"

#include <fstream>
#include <sstream>

#include "core/Log.h"
#include "keys/KeyWords.h"

namespace {

std::string_view Trim(std::string_view s)
{
    const char* ws = " \t\r\n";
    const size_t a = s.find_first_not_of(ws);
    if (a == std::string_view::npos) return {};
    const size_t b = s.find_last_not_of(ws);
    return s.substr(a, b - a + 1);
}

// One channel of a colour part: the number its leading digits give, clamped
// to 0..255; ok is cleared when the text is not a whole number in range.
int ParseChannel(std::string_view s, bool& ok)
{
    s = Trim(s);
    if (s.empty()) {
        ok = false;
        return 0;
    }
    long v = 0;
    size_t i = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > 255) v = 256;  // no overflow on long digit runs
    }
    if (i != s.size() || v > 255) ok = false;
    return v > 255 ? 255 : int(v);
}

uint32_t ParseColour(std::string_view s, bool& ok)
{
    int ch[3] = {0, 0, 0};
    int n = 0;
    while (true) {
        const size_t comma = s.find(',');
        const std::string_view part = s.substr(0, comma);
        if (n < 3) ch[n] = ParseChannel(part, ok);
        ++n;
        if (comma == std::string_view::npos) break;
        s.remove_prefix(comma + 1);
    }
    if (n != 3) ok = false;
    return uint32_t(ch[0]) | uint32_t(ch[1]) << 8 | uint32_t(ch[2]) << 16;
}

uint8_t Channel(uint32_t c, int shift) { return uint8_t(c >> shift & 0xFF); }

uint32_t Blend(uint32_t from, uint32_t to, int steps, int step)
{
    if (steps <= 0) return from;
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int a = Channel(from, shift), b = Channel(to, shift);
        out |= uint32_t(a + (b - a) * step / steps) << shift;
    }
    return out;
}

// Built-in units in the unit file format: the same reader checks them.
const char* const kColumns104 =
    "esc,~,tab,caps,shift,ctrl,win,k45\n"
    "1,q,a,z,alt\n"
    "f1,2,w,s,x\n"
    "f2,3,e,d,c\n"
    "f3,4,r,f,v\n"
    "f4,5,t,g,b\n"
    "6,y,h,n,space\n"
    "f5,7,u,j,m\n"
    "f6,8,i,k,<\n"
    "f7,9,o,l,>\n"
    "f8,0,p,;,?\n"
    "f9,-,[,',ralt\n"
    "f10,=,],rshift,fn\n"
    "f11,back,|,enter,app\n"
    "f12,rctrl\n"
    "print,ins,del,left\n"
    "scroll,home,end,up,down\n"
    "pause,pgup,pgdn,right\n"
    "numlock,num7,num4,num1,num0\n"
    "num/,num8,num5,num2\n"
    "num*,num9,num6,num3,num.\n"
    "num-,num+,numenter\n";

const char* const kRows104 =
    "esc,f1,f2,f3,f4,f5,f6,f7,f8,f9,f10,f11,f12,print,scroll,pause\n"
    "~,1,2,3,4,5,6,7,8,9,0,-,=,back,ins,home,pgup,numlock,num/,num*,num-\n"
    "tab,q,w,e,r,t,y,u,i,o,p,[,],|,del,end,pgdn,num7,num8,num9,num+\n"
    "caps,a,s,d,f,g,h,j,k,l,;,',enter,num4,num5,num6\n"
    "shift,k45,z,x,c,v,b,n,m,<,>,?,rshift,up,num1,num2,num3,numenter\n"
    "ctrl,win,alt,space,ralt,fn,app,rctrl,left,down,right,num0,num.\n";

// Rings from the middle of the main block outwards.
const char* const kRings104 =
    "g,h\n"
    "t,y,f,j,v,b\n"
    "5,6,7,r,u,d,k,c,n,space\n"
    "3,4,8,9,e,i,s,l,x,m\n"
    "1,2,0,-,q,w,o,p,a,;,z,<,alt,ralt\n"
    "~,=,back,tab,[,],|,caps,',enter,shift,>,?,rshift,ctrl,win,fn,app,rctrl\n"
    "esc,f1,f2,f3,f4,f5,f6,f7,f8,f9,f10,f11,f12,k45\n"
    "print,scroll,pause,ins,home,pgup,del,end,pgdn,up,left,down,right\n"
    "numlock,num/,num*,num-,num7,num8,num9,num+,num4,num5,num6,num1,num2,num3,numenter,num0,num.\n";

const char* const kBreath104 =
    "esc,f1,f2,f3,f4,f5,f6,f7,f8,f9,f10,f11,f12,print,scroll,pause:255,0,0\n"
    "~,1,2,3,4,5,6,7,8,9,0,-,=,back,ins,home,pgup,numlock,num/,num*,num-\n"
    "tab,q,w,e,r,t,y,u,i,o,p,[,],|,del,end,pgdn,num7,num8,num9,num+\n"
    "caps,a,s,d,f,g,h,j,k,l,;,',enter,num4,num5,num6\n"
    "shift,k45,z,x,c,v,b,n,m,<,>,?,rshift,up,num1,num2,num3,numenter\n"
    "ctrl,win,alt,space,ralt,fn,app,rctrl,left,down,right,num0,num.:0,0,255\n";

std::string SwapYZ(std::string s)
{
    // Whole-word swap of the single-letter words y and z.
    for (size_t i = 0; i < s.size(); ++i) {
        const bool start = i == 0 || s[i - 1] == ',' || s[i - 1] == '\n';
        const bool end = i + 1 == s.size() || s[i + 1] == ',' || s[i + 1] == '\n';
        if (start && end) {
            if (s[i] == 'y') s[i] = 'z';
            else if (s[i] == 'z') s[i] = 'y';
        }
    }
    return s;
}

}  // namespace

UnitFileResult ParseUnitText(std::string_view text, std::string_view name)
{
    UnitFileResult r;
    bool colourWarned = false, keysWarned = false;
    std::string unknown;
    while (!text.empty() && int(r.units.size()) < kUnitFileMax) {
        const size_t nl = text.find('\n');
        const std::string_view raw = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
        const std::string_view line = Trim(raw);
        if (line.empty() || line[0] == ';') continue;

        const size_t colon = line.find(':');
        std::string_view keys = line.substr(0, colon);
        EffectUnit u;
        while (true) {
            const size_t comma = keys.find(',');
            const std::string_view word = Trim(keys.substr(0, comma));
            if (!word.empty()) {
                const uint8_t vk = KeyWordToVk(word);
                if (vk == 0) {
                    if (!unknown.empty()) unknown += ", ";
                    unknown += word;
                } else if (int(u.vks.size()) < kUnitKeyMax) {
                    u.vks.push_back(vk);
                } else if (!keysWarned) {
                    keysWarned = true;
                    r.problems.push_back(std::string(name) + ": more than 30 keys in a unit; the rest are left out");
                }
            }
            if (comma == std::string_view::npos) break;
            keys.remove_prefix(comma + 1);
        }
        if (colon != std::string_view::npos) {
            bool ok = true;
            u.clr = ParseColour(line.substr(colon + 1), ok);
            u.hasClr = true;
            if (!ok && !colourWarned) {
                colourWarned = true;
                r.problems.push_back("Wrong color value!");
            }
        }
        if (!u.vks.empty()) r.units.push_back(std::move(u));
    }
    if (!unknown.empty()) {
        LogPrintf("%.*s: unknown key words dropped: %s\n", int(name.size()), name.data(), unknown.c_str());
    }
    for (const std::string& p : r.problems) {
        LogPrintf("%.*s: %s\n", int(name.size()), name.data(), p.c_str());
    }
    return r;
}

UnitFileResult ReadUnitFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream ss;
    ss << in.rdbuf();
    return ParseUnitText(ss.str(), path.filename().string());
}

bool FillUnitColours(std::vector<EffectUnit>& units)
{
    if (units.empty()) return true;
    const bool ends = units.front().hasClr && units.back().hasClr;
    int prev = -1;
    for (int i = 0; i < int(units.size()); ++i) {
        if (!units[size_t(i)].hasClr) continue;
        if (prev >= 0 && i - prev > 1) {
            const int n = i - prev;
            for (int k = 1; k < n; ++k) {
                units[size_t(prev + k)].clr = Blend(units[size_t(prev)].clr, units[size_t(i)].clr, n, k);
                units[size_t(prev + k)].hasClr = true;
            }
        }
        prev = i;
    }
    return ends;
}

const char* UnitFileName(UnitSet set)
{
    switch (set) {
    case UnitSet::Fixon: return "fixon_unit.txt";
    case UnitSet::Paoma: return "paoma_unit.txt";
    case UnitSet::Stream: return "stream_unit.txt";
    case UnitSet::Flower: return "flower_unit.txt";
    case UnitSet::Rotate: return "rotate_unit.txt";
    case UnitSet::Wheel: return "wheel_unit.txt";
    case UnitSet::Perfect: return "perfect_unit.txt";
    case UnitSet::Windmill: return "windmill_unit.txt";
    case UnitSet::Breath: return "breath_unit.txt";
    case UnitSet::Count: break;
    }
    return "";
}

std::vector<EffectUnit> BuiltInUnits(UnitSet set, int nKbLayout)
{
    std::string text;
    switch (set) {
    case UnitSet::Stream: text = kColumns104; if (nKbLayout == 2 || nKbLayout == 3) text = SwapYZ(text); break;
    case UnitSet::Wheel:
    case UnitSet::Perfect:
    case UnitSet::Fixon: text = kColumns104; break;
    case UnitSet::Paoma:
    case UnitSet::Windmill: text = kRows104; break;
    case UnitSet::Flower:
    case UnitSet::Rotate: text = kRings104; break;
    case UnitSet::Breath: text = kBreath104; break;
    case UnitSet::Count: break;
    }
    std::vector<EffectUnit> units = ParseUnitText(text, "built-in").units;
    if (set == UnitSet::Fixon && !units.empty()) {
        // A gradient from red at the left to blue at the right.
        units.front().clr = 0x0000FF, units.front().hasClr = true;
        units.back().clr = 0xFF0000, units.back().hasClr = true;
    }
    if (set == UnitSet::Fixon || set == UnitSet::Breath) FillUnitColours(units);
    return units;
}

namespace {

UnitLibrary Load(const std::filesystem::path* dir, int nKbLayout)
{
    UnitLibrary lib;
    for (int i = 0; i < int(UnitSet::Count); ++i) {
        const UnitSet set = UnitSet(i);
        UnitFileResult r;
        std::string fileName = UnitFileName(set);
        if (dir) {
            if (set == UnitSet::Breath && std::filesystem::exists(*dir / "breath2_unit.txt")) {
                fileName = "breath2_unit.txt";
            }
            r = ReadUnitFile(*dir / fileName);
        }
        for (std::string& p : r.problems) lib.problems.push_back(std::move(p));
        if (r.units.empty()) {
            lib.sets[i] = BuiltInUnits(set, nKbLayout);
            continue;
        }
        if ((set == UnitSet::Fixon || set == UnitSet::Breath) && !FillUnitColours(r.units)) {
            lib.problems.push_back(fileName + "第一个和最后一个单元的颜色不能为空");
        }
        lib.sets[i] = std::move(r.units);
    }
    return lib;
}

}  // namespace

UnitLibrary LoadUnitLibrary(const std::filesystem::path& cartoonDir, int nKbLayout)
{
    return Load(&cartoonDir, nKbLayout);
}

UnitLibrary BuiltInUnitLibrary(int nKbLayout) { return Load(nullptr, nKbLayout); }
