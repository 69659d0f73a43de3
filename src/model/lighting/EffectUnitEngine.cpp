#include "lighting/EffectUnitEngine.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kMagenta = 0xFF00FF,
                   kCyan = 0xFFFF00, kYellow = 0x00FFFF, kWhite = 0xFFFFFF, kOrange = 0x0080FF;
// The ring effect's paths: round the keyboard's edge and through its middle,
// then a small loop round the I key, whose diamond ends the round.
constexpr uint8_t kRingOuter[] = {
    0x13, 0x91, 0x2C, 0x7B, 0x7A, 0x79, 0x78, 0x77, 0x76, 0x75, 0x74, 0x73, 0x72, 0x71, 0x70, 0x1B, 0xC0, 0x09,
    0x14, 0xA0, 0xA2, 0x5B, 0xA4, 0x20, 0xA5, 0xFA, 0x5D, 0xA3, 0x25, 0x28, 0x27, 0x60, 0x6E, 0xFD, 0x6B, 0x6D,
    0x6A, 0x6F, 0x90, 0x21, 0x24, 0x2D, 0x08, 0xBB, 0xBD, '0', '9', '8', '7', '6', '5', '4', '3', '2', '1', 'Q',
    'A', 0xE2, 'Z', 'X', 'C', 'V', 'B', 'N', 'M', 0xBC, 0xBE, 0xBF, 0xA1, 0x26, 0x61, 0x62, 0x63, 0x66, 0x69, 0x68,
    0x67, 0x22, 0x23, 0x2E, 0xDC, 0xDD, 0xDB, 'P', 'O', 'I', 'U', 'Y', 'T', 'R', 'E', 'W', 'S', 'D', 'F', 'G', 'H',
    'J', 'K', 'L', 0xBA, 0xDE, 0x0D, 0x64, 0x65, 0x68, 0x67, 0x22, 0x23, 0x2E, 0xDC, 0xDD, 0xDB, 'P', 'O', 'I'};
constexpr uint8_t kRingInner[] = {'O', '9', '8', 'U', 'J', 'K', 'I'};

// The column sweep's units, two keyboard columns each from the left.
constexpr const char* kSweepUnits =
    "esc,~,tab,q,1,caps,a,shift,k45,z,ctrl,win\n"
    "f1,f2,2,3,w,e,s,d,x,c,alt\n"
    "f3,f4,4,5,r,t,f,g,v,b\n"
    "f5,f6,6,7,y,u,h,j,n,m,space\n"
    "f7,f8,8,9,i,o,k,l,<,>\n"
    "f9,f10,0,-,p,[,;,',?,ralt,fn\n"
    "f11,f12,=,back,],|,enter,rshift,app,rctrl\n"
    "print,scroll,pause,ins,home,pgup,del,end,pgdn,up,left,down,right\n"
    "numlock,num/,num*,num-,num7,num8,num9,num+,num4,num5,num6,num1,num2,num3,numenter,num0,num.\n";

constexpr uint32_t kPalette[6] = {kRed, kGreen, kBlue, kMagenta, kCyan, kYellow};

// Value of a per-speed or per-brightness table; values past the end take the
// last entry.
template <size_t N>
int Pick(const int (&table)[N], int i)
{
    return table[size_t(std::clamp(i, 0, int(N) - 1))];
}

// Tables indexed by value 1..4, "otherwise" for everything else.
int ByOneToFour(int v, int a, int b, int c, int d, int otherwise)
{
    switch (v) {
    case 1: return a;
    case 2: return b;
    case 3: return c;
    case 4: return d;
    default: return otherwise;
    }
}

bool HasKey(const LightSlot& s) { return s.nVk != 0; }

void Dim(std::vector<LightSlot>& slots, int by, int darkAt)
{
    for (LightSlot& s : slots) {
        if (s.nLevel <= 0) continue;
        s.nLevel -= by;
        if (s.nLevel <= darkAt) s.nLevel = 0;
    }
}

}  // namespace

uint32_t ScaleColor(uint32_t clr, int level)
{
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        out |= (uint32_t(int(clr >> shift & 0xFF) * level / 10) & 0xFF) << shift;
    }
    return out;
}

uint32_t BlendColor(uint32_t from, uint32_t to, int steps, int step)
{
    if (steps <= 0) return from;
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int a = int(from >> shift & 0xFF), b = int(to >> shift & 0xFF);
        out |= (uint32_t(a + (b - a) * step / steps) & 0xFF) << shift;
    }
    return out;
}

int BrightLevel(int bright)
{
    if (bright <= 0) return 0;
    return ByOneToFour(bright, 4, 6, 8, 10, 10);
}

int FindSlot(const std::vector<LightSlot>& slots, uint8_t vk)
{
    uint8_t generic = 0;
    if (vk == 160) generic = 16;
    if (vk == 162) generic = 17;
    if (vk == 164) generic = 18;
    for (size_t i = 0; i < slots.size(); ++i) {
        if (slots[i].nVk != 0 && (slots[i].nVk == vk || slots[i].nVk == generic)) return int(i);
    }
    return -1;
}

bool BuildWave(WaveProgram& w, std::vector<WaveProgram::Unit> units, const std::vector<uint32_t>& colours,
               int period, int hold, int fade, double factor, bool forward)
{
    if (units.empty() || units.size() > 25 || colours.empty() || period <= 0) return false;
    if (hold % period != 0 || fade % period != 0 || hold + fade <= 0) return false;
    WaveProgram out;
    out.nWaveColors = int(std::min<size_t>(colours.size(), out.clrWave.size()));
    std::copy_n(colours.begin(), out.nWaveColors, out.clrWave.begin());
    out.nHold = hold;
    out.nFade = fade;
    out.nCycle = out.nWaveColors * (hold + fade);
    out.nPeriod = period;
    out.nUnitLevel = w.nUnitLevel;
    const int n = int(units.size());
    const int step = int((hold + fade) * factor / n);
    int phase = 0;
    for (int k = 0; k < n; ++k) {
        const int i = forward ? k : n - 1 - k;
        units[size_t(i)].nPhase = phase;
        phase = (phase + step) % out.nCycle;
    }
    out.units = std::move(units);
    out.valid = true;
    w = std::move(out);
    return true;
}

void WaveFrame(WaveProgram& w, std::vector<LightSlot>& slots)
{
    if (!w.valid) return;
    const int span = w.nHold + w.nFade;
    for (WaveProgram::Unit& u : w.units) {
        if (u.nPhase >= w.nCycle) u.nPhase -= w.nCycle;
        const int c = u.nPhase / span;
        const int t = u.nPhase % span - w.nHold;
        const uint32_t from = w.clrWave[size_t(c)];
        const uint32_t clr = t < 0 ? from : BlendColor(from, w.clrWave[size_t((c + 1) % w.nWaveColors)], w.nFade, t);
        for (int s : u.slots) {
            slots[size_t(s)].clr = clr;
            slots[size_t(s)].nLevel = w.nUnitLevel;
        }
        u.nPhase += w.nPeriod;
    }
}

DiamondSide KeyInDiamond(const LightSlot& k, double cx, double cy, double r)
{
    // The nearest and the farthest point of the outline, in the diamond's
    // distance |dx| + |dy|.
    const double nx = std::max({0.0, k.left - cx, cx - k.right});
    const double ny = std::max({0.0, k.top - cy, cy - k.bottom});
    const double fx = std::max(std::abs(k.left - cx), std::abs(k.right - cx));
    const double fy = std::max(std::abs(k.top - cy), std::abs(k.bottom - cy));
    if (fx + fy <= r) return DiamondSide::Inside;
    if (nx + ny < r) return DiamondSide::Edge;
    return DiamondSide::Outside;
}

std::vector<uint8_t> PaomaPath(const std::vector<EffectUnit>& rows)
{
    std::vector<uint8_t> path;
    auto add = [&](size_t r, bool forward) {
        const std::vector<uint8_t>& v = rows[r].vks;
        if (forward) path.insert(path.end(), v.begin(), v.end());
        else path.insert(path.end(), v.rbegin(), v.rend());
    };
    for (size_t r = 0; r < rows.size(); ++r) add(r, r % 2 == 0);
    // Back up through the rows between the last and the first, keeping the
    // alternation going.
    bool forward = rows.size() % 2 == 0;
    for (size_t r = rows.size() >= 2 ? rows.size() - 2 : 0; r >= 1 && r + 1 < rows.size(); --r) {
        add(r, forward);
        forward = !forward;
    }
    return path;
}

uint32_t CEffectEngine::Palette(int n)
{
    n = std::clamp(n, 1, 6);
    std::uniform_int_distribution<int> d(0, n - 1);
    uint32_t c = kPalette[d(m_rng)];
    if (n > 1) {
        while (c == m_lastDraw) c = kPalette[d(m_rng)];
    }
    m_lastDraw = c;
    return c;
}

std::vector<WaveProgram::Unit> CEffectEngine::UnitsOnView(const std::vector<EffectUnit>& units,
                                                          const std::vector<LightSlot>& slots) const
{
    std::vector<WaveProgram::Unit> out;
    for (const EffectUnit& u : units) {
        WaveProgram::Unit w;
        for (uint8_t vk : u.vks) {
            const int s = FindSlot(slots, vk);
            if (s >= 0) w.slots.push_back(s);
        }
        out.push_back(std::move(w));
    }
    return out;
}

std::vector<WaveProgram::Unit> CEffectEngine::RowsOnView(const std::vector<LightSlot>& slots) const
{
    // A row: the keys whose vertical centre lies within the first key of the row.
    const uint8_t starts[6] = {112, '1', 9, 20, 160, 162};
    std::vector<WaveProgram::Unit> rows;
    for (uint8_t vk : starts) {
        const int k = FindSlot(slots, vk);
        if (k < 0) continue;
        const LightSlot& ref = slots[size_t(k)];
        WaveProgram::Unit u;
        for (size_t i = 0; i < slots.size(); ++i) {
            const int cy = (slots[i].top + slots[i].bottom) / 2;
            if (HasKey(slots[i]) && cy >= ref.top && cy < ref.bottom) u.slots.push_back(int(i));
        }
        rows.push_back(std::move(u));
    }
    return rows;
}

void CEffectEngine::Start(const EffectSettings& s, std::vector<LightSlot>& slots)
{
    m_s = s;
    m_rng.seed(s.seed);
    m_lastDraw = 0xFFFFFFFF;
    m_level = BrightLevel(s.bright);
    m_wave = WaveProgram{};
    m_colours.clear();
    m_path.clear();
    m_pathPos = 0;
    m_phases.clear();
    m_colourIndex = 0;
    m_type = s.code;
    m_period = 0;
    const int sp = s.speed;
    for (LightSlot& k : slots) {
        k.clr = 0;
        k.nLevel = 200;
    }

    auto wave = [&](std::vector<WaveProgram::Unit> units, std::vector<uint32_t> colours, int periods[6], int hold,
                    int fade, double factor, bool forward, int levelFactor) {
        m_period = periods[std::clamp(sp, 0, 5)];
        m_wave.nUnitLevel = std::max(50, int(m_level * levelFactor));
        BuildWave(m_wave, std::move(units), colours, m_period, hold * m_period, fade * m_period, factor, forward);
    };
    int wavePeriods[6] = {100, 90, 80, 70, 60, 50};

    switch (s.code) {
    case 1:
        m_period = 300;
        for (LightSlot& k : slots) k.clr = s.colourful ? Palette(6) : ScaleColor(s.clr, m_level);
        break;
    case 2: {
        int periods[6] = {160, 140, 120, 100, 70, 50};
        WaveProgram::Unit all;
        for (size_t i = 0; i < slots.size(); ++i)
            if (HasKey(slots[i])) all.slots.push_back(int(i));
        wave({all}, {kRed, kGreen, kBlue, kMagenta, kOrange}, periods, 20, 1, 1.0, true, 22);
        break;
    }
    case 3: {
        static const int periods[] = {120, 110, 90, 70, 50, 40};
        m_period = Pick(periods, sp);
        if (!s.colourful) m_colours = {s.clr};
        else if (s.respireType == 1) m_colours = {kRed, kGreen, kBlue, kYellow, kMagenta, kCyan, kWhite};
        m_breathLevel = 5;
        m_rising = true;
        for (LightSlot& k : slots) {
            k.nLevel = 5;
            if (m_colours.empty()) k.clr = Palette(4);
        }
        break;
    }
    case 5: {
        m_period = ByOneToFour(sp, 28, 24, 18, 10, 10);
        for (uint8_t vk : PaomaPath(m_units.Get(UnitSet::Paoma))) {
            const int k = FindSlot(slots, vk);
            if (k >= 0) m_path.push_back(k);
        }
        for (LightSlot& k : slots) k.nLevel = 0;
        break;
    }
    case 7: {
        const uint32_t sc = ScaleColor(s.clr, m_level);
        std::vector<uint32_t> c = s.colourful ? std::vector<uint32_t>{kGreen, kBlue, kMagenta, kYellow}
                                              : std::vector<uint32_t>{s.clr, sc, s.clr, sc};
        wave(UnitsOnView(m_units.Get(UnitSet::Stream), slots), c, wavePeriods, 4, 2, 2.5, false, 16);
        break;
    }
    case 13: {
        const uint32_t sc = ScaleColor(s.clr, m_level);
        std::vector<uint32_t> c = s.colourful ? std::vector<uint32_t>{kGreen, kBlue, kMagenta, kRed}
                                              : std::vector<uint32_t>{s.clr, sc, s.clr, sc, s.clr, sc};
        wave(UnitsOnView(m_units.Get(UnitSet::Wheel), slots), c, wavePeriods, 6, 0, s.colourful ? 4 : 6, true, 18);
        break;
    }
    case 14:
        wave(UnitsOnView(m_units.Get(UnitSet::Flower), slots), {kRed, kYellow, kGreen, kBlue, kCyan, kMagenta},
             wavePeriods, 5, 2, 1.8, false, 18);
        break;
    case 28:
        wave(UnitsOnView(m_units.Get(UnitSet::Rotate), slots), {kGreen, kBlue, kMagenta, kYellow}, wavePeriods, 3, 1,
             4, false, 18);
        break;
    case 30: {
        int periods[6] = {140, 120, 100, 80, 60, 50};
        wave(RowsOnView(slots), {kGreen, kBlue, kMagenta, kYellow}, periods, 4, 2, 3, false, 18);
        break;
    }
    case 16: {
        static const int periods[] = {120, 110, 100, 90, 80, 75};
        m_period = Pick(periods, sp);
        for (LightSlot& k : slots) k.nLevel = 0;
        break;
    }
    case 21:
        m_period = 20;
        m_startLevel = ByOneToFour(s.bright, 40, 100, 150, 220, 240);
        m_decay = m_startLevel / (ByOneToFour(sp, 1200, 1000, 800, 600, 500) / 20 + 1);
        for (LightSlot& k : slots) k.nLevel = 0;
        break;
    case 17:
    case 24:
        m_period = 50;
        m_decay = ByOneToFour(sp, 10, 20, 30, 40, 40);
        m_startLevel = s.code == 24 ? ByOneToFour(s.bright, 80, 120, 150, 200, 220) : 220;
        // Reactive fade: dark until a key is pressed; type 24: every key
        // rises from dark to the top level.
        for (LightSlot& k : slots) {
            k.nLevel = 0;
            k.clr = s.colourful ? Palette(6) : s.clr;
        }
        break;
    case 19:
    case 26:
        // Both codes run the reactive cross.
        m_type = 19;
        m_period = 30;
        m_startLevel = ByOneToFour(s.bright, 160, 180, 200, 220, 240);
        m_decay = ByOneToFour(sp, 20, 30, 35, 45, 50);
        m_crossRows.clear();
        m_crossCols.clear();
        m_runners.clear();
        for (const WaveProgram::Unit& u : UnitsOnView(m_units.Get(UnitSet::Paoma), slots)) m_crossRows.push_back(u.slots);
        for (const WaveProgram::Unit& u : UnitsOnView(m_units.Get(UnitSet::Perfect), slots)) m_crossCols.push_back(u.slots);
        for (LightSlot& k : slots) k.nLevel = 0;
        break;
    case 20:
        m_period = ByOneToFour(sp, 25, 20, 15, 15, 14);
        m_dStep = sp == 4 ? 20 : 15;
        m_dActive = false;
        m_colours = {kRed, kCyan, kGreen, kYellow, kBlue, kMagenta};
        // Only colours change: every key keeps the level it is drawn at and
        // is dark until a press reaches it.
        break;
    case 35: {
        static const int periods[] = {30, 25, 20, 15, 10, 10};
        m_period = Pick(periods, sp);
        KeyBox(slots);
        m_corner = 0;
        m_dr = 0;
        for (LightSlot& k : slots) k.nLevel = 0;
        break;
    }
    case 36: {
        static const int periods[] = {52, 48, 45, 40, 30, 30};
        static const int fades[] = {18, 18, 15, 10, 8, 8};
        m_period = Pick(periods, sp);
        m_decay = Pick(fades, sp);
        // The units: the keyboard's columns from the left, those with no key
        // on the view left out.
        m_lines.clear();
        for (const WaveProgram::Unit& u : UnitsOnView(BuiltInUnits(UnitSet::Stream), slots)) {
            if (!u.slots.empty()) m_lines.push_back(u.slots);
        }
        m_seq = 0;
        m_phaseNo = 0;
        // The diamond grows from the O key, or from the middle of a keyboard
        // without one.
        KeyBox(slots);
        m_dx = (m_boxL + m_boxR) / 2, m_dy = (m_boxT + m_boxB) / 2;
        const int o = FindSlot(slots, 'O');
        if (o >= 0) {
            m_dx = (slots[size_t(o)].left + slots[size_t(o)].right) / 2.0;
            m_dy = (slots[size_t(o)].top + slots[size_t(o)].bottom) / 2.0;
        }
        m_dr = 0;
        for (LightSlot& k : slots) k.nLevel = 0;
        break;
    }
    case 32: {
        static const int periods[] = {30, 25, 20, 15, 10, 10};
        m_period = Pick(periods, sp);
        for (uint8_t vk : kRingOuter) {
            const int k = FindSlot(slots, vk);
            if (k >= 0) m_path.push_back(k);
        }
        m_inner.clear();
        for (uint8_t vk : kRingInner) {
            const int k = FindSlot(slots, vk);
            if (k >= 0) m_inner.push_back(k);
        }
        KeyBox(slots);
        m_dx = (m_boxL + m_boxR) / 2, m_dy = (m_boxT + m_boxB) / 2;
        const int i = FindSlot(slots, 'I');
        if (i >= 0) {
            m_dx = (slots[size_t(i)].left + slots[size_t(i)].right) / 2.0;
            m_dy = (slots[size_t(i)].top + slots[size_t(i)].bottom) / 2.0;
        }
        m_phaseNo = 0;
        m_frameNo = 0;
        m_pauseLeft = 0;
        m_dr = 0;
        for (LightSlot& k : slots) k.nLevel = 0;
        break;
    }
    case 31: {
        static const int periods[] = {60, 50, 40, 30, 20, 20};
        m_period = Pick(periods, sp);
        m_lines.clear();
        for (const WaveProgram::Unit& u : UnitsOnView(ParseUnitText(kSweepUnits, "built-in").units, slots)) {
            if (!u.slots.empty()) m_lines.push_back(u.slots);
        }
        // The unit in the middle of the keyboard blinks.
        m_target = m_lines.size() / 2;
        m_seq = 0;
        m_phaseNo = 0;
        m_frameNo = 0;
        m_pauseLeft = 0;
        for (LightSlot& k : slots) k.nLevel = 0;
        break;
    }
    case 18:
        m_period = 50;
        m_startLevel = ByOneToFour(s.bright, 100, 120, 150, 180, 200);
        m_decay = ByOneToFour(sp, 5, 10, 15, 20, 45);  // the rise per frame
        for (LightSlot& k : slots) {
            k.nLevel = m_startLevel;
            k.clr = s.colourful ? Palette(6) : s.clr;
        }
        break;
    case 15:
        m_period = ByOneToFour(sp, 60, 50, 45, 40, 40);
        if (m_level == 8) m_level = 10;
        m_lines.clear();
        for (const WaveProgram::Unit& u : UnitsOnView(BuiltInUnits(UnitSet::Stream), slots)) {
            if (!u.slots.empty()) m_lines.push_back(u.slots);
        }
        m_linePos.assign(m_lines.size(), -1);
        for (LightSlot& k : slots) k.nLevel = 0;
        break;
    case 33: {
        static const int periods[] = {30, 25, 20, 15, 10, 10};
        m_period = Pick(periods, sp);
        m_lines.clear();
        m_linePos.clear();
        m_lineDir.clear();
        for (WaveProgram::Unit& row : RowsOnView(slots)) {
            std::sort(row.slots.begin(), row.slots.end(),
                      [&](int a, int b) { return slots[size_t(a)].left < slots[size_t(b)].left; });
            if (row.slots.size() > 24) row.slots.resize(24);
            const bool right = m_lines.size() % 2 == 0;
            m_lines.push_back(row.slots);
            m_linePos.push_back(right ? 0 : 23);
            m_lineDir.push_back(right ? 1 : -1);
        }
        for (LightSlot& k : slots) k.nLevel = 0;
        break;
    }
    case 12: {
        static const int periods[] = {55, 50, 45, 35, 30, 26};
        m_period = Pick(periods, sp);
        int l = 1 << 30, t = 1 << 30, r = -(1 << 30), b = -(1 << 30), n = 0;
        for (const LightSlot& k : slots) {
            if (!HasKey(k)) continue;
            l = std::min(l, k.left), t = std::min(t, k.top), r = std::max(r, k.right), b = std::max(b, k.bottom);
            ++n;
        }
        if (n == 0) l = t = r = b = 0;
        m_x0 = l + 5;
        m_yc = t + (b - t) / 2;
        m_amp = (b - t) / 2 - 10;
        m_sineN = n < 91 ? 360 : 450;
        m_xstep = double(r - l) / m_sineN;
        m_phase = 360;
        for (LightSlot& k : slots) k.nLevel = 0;
        break;
    }
    case 29: {
        static const int periods[] = {60, 50, 40, 30, 20, 15};
        m_period = Pick(periods, sp);
        m_lines.clear();
        m_lineFrames.clear();
        const std::vector<WaveProgram::Unit> mill = UnitsOnView(m_units.Get(UnitSet::Windmill), slots);
        for (size_t i = 0; i < mill.size(); ++i) {
            m_lines.push_back(mill[i].slots);
            m_lineFrames.push_back(i + 2 == mill.size() ? 5 : i + 1 == mill.size() ? 9 : 1);
        }
        for (const WaveProgram::Unit& u : UnitsOnView(m_units.Get(UnitSet::Flower), slots)) {
            m_lines.push_back(u.slots);
            m_lineFrames.push_back(1);
        }
        // The pause after the last unit: 500 ms of dark frames.
        m_lines.emplace_back();
        m_lineFrames.push_back((500 + m_period - 1) / m_period);
        m_seq = 0;
        m_seqLeft = m_lineFrames[0];
        for (LightSlot& k : slots) k.nLevel = 0;
        break;
    }
    case 8: {
        static const int values[] = {4, 6, 8, 12, 14, 15};
        const int v = Pick(values, sp);
        m_period = 10;
        m_hold = 50 / v;
        m_fade = 1200 / v;
        m_dark = 50;
        m_colours.clear();
        for (uint32_t c : {kRed, kGreen, kBlue, kMagenta, kYellow}) m_colours.push_back(ScaleColor(s.colourful ? c : s.clr, m_level));
        m_lines.clear();
        for (const WaveProgram::Unit& u : UnitsOnView(m_units.Get(UnitSet::Stream), slots)) m_lines.push_back(u.slots);
        m_stagger = (m_hold + m_fade) / (int(m_lines.size()) + 1);
        m_t = 0;
        m_reverse = false;
        for (LightSlot& k : slots) k.nLevel = 0;
        break;
    }
    case 27: {
        static const int periods[] = {80, 70, 60, 50, 40, 30};
        m_period = Pick(periods, sp);
        int l = 1 << 30, r = -(1 << 30);
        m_firstW = 0;
        for (const LightSlot& k : slots) {
            if (!HasKey(k)) continue;
            if (m_firstW == 0) m_firstW = k.right - k.left;
            l = std::min(l, k.left), r = std::max(r, k.right);
        }
        if (m_firstW == 0) l = r = 0;
        m_boxL = l, m_boxR = r;
        m_band = (r - l) / 5.0;
        m_bandOff = 0;
        m_bandStep = 2.7 * m_firstW;
        m_colours = {kRed, kGreen, kBlue, kMagenta, kCyan, kYellow};
        break;
    }
    case 22: {
        m_period = ByOneToFour(sp, 120, 100, 80, 60, 40);
        m_startLevel = ByOneToFour(s.bright, 50, 100, 150, 200, 220);
        m_colours = {kRed, kGreen, kBlue, kMagenta, kWhite, kRed};
        std::uniform_int_distribution<int> d(0, 150);
        m_phases.resize(slots.size());
        for (int& p : m_phases) p = d(m_rng);
        break;
    }
    case 23: {
        const int level = ByOneToFour(s.bright, 100, 120, 150, 180, 200);
        if (!s.colourful) {
            for (LightSlot& k : slots) k.clr = s.clr, k.nLevel = level;
        } else {
            for (LightSlot& k : slots) k.nLevel = level;
            for (const EffectUnit& u : m_units.Get(UnitSet::Fixon)) {
                for (uint8_t vk : u.vks) {
                    const int k = FindSlot(slots, vk);
                    if (k >= 0) slots[size_t(k)].clr = u.clr;
                }
            }
        }
        return;  // a still picture
    }
    case 37: {
        static const int periods[] = {70, 60, 50, 40, 30, 25};
        m_period = Pick(periods, sp);
        for (const EffectUnit& u : m_units.Get(UnitSet::Breath)) {
            for (uint8_t vk : u.vks) {
                const int k = FindSlot(slots, vk);
                if (k >= 0) slots[size_t(k)].clr = u.clr, slots[size_t(k)].nLevel = 200;
            }
        }
        m_rising = false;
        return;  // the first frame is the picture above
    }
    default:
        // No preview for this code (or the empty effect): all keys dark.
        m_type = 0;
        for (LightSlot& k : slots) k.nLevel = 0;
        return;
    }
    Step(slots);
}

void CEffectEngine::Step(std::vector<LightSlot>& slots)
{
    switch (m_type) {
    case 2:
    case 7:
    case 13:
    case 14:
    case 28:
    case 30: WaveFrame(m_wave, slots); break;
    case 3: FrameBreathing(slots); break;
    case 5: FramePaoma(slots); break;
    case 16: FrameTwinkle(slots); break;
    case 17:
    case 24: FrameReactive(slots); break;
    case 21: FrameSparks(slots); break;
    case 18: FrameGap(slots); break;
    case 15: FrameDrops(slots); break;
    case 33: FramePingPong(slots); break;
    case 12: FrameSine(slots); break;
    case 29: FrameSequence(slots); break;
    case 8: FrameStream(slots); break;
    case 27: FrameBands(slots); break;
    case 22: FrameShimmer(slots); break;
    case 37: FrameBreath(slots); break;
    case 19: FrameCross(slots); break;
    case 20: FrameDiamond(slots); break;
    case 35: FrameTriangle(slots); break;
    case 32: FrameRing(slots); break;
    case 31: FrameSweep(slots); break;
    case 36: FrameUnitsDiamond(slots); break;
    default: break;  // still pictures
    }
}

void CEffectEngine::FrameBreathing(std::vector<LightSlot>& slots)
{
    if (m_rising) {
        m_breathLevel += 6;
        if (m_breathLevel >= 180) m_breathLevel = 180, m_rising = false;
    } else {
        m_breathLevel -= 6;
        if (m_breathLevel <= 5) {
            m_breathLevel = 5;
            m_rising = true;
            if (!m_colours.empty()) m_colourIndex = (m_colourIndex + 1) % int(m_colours.size());
        }
    }
    for (LightSlot& k : slots) {
        if (!m_colours.empty()) k.clr = m_colours[size_t(m_colourIndex)];
        k.nLevel = m_breathLevel;
    }
}

void CEffectEngine::FramePaoma(std::vector<LightSlot>& slots)
{
    Dim(slots, 8, 8);
    if (m_path.empty()) return;
    LightSlot& k = slots[size_t(m_path[m_pathPos])];
    k.clr = ScaleColor(m_s.colourful ? Palette(4) : m_s.clr, m_level);
    k.nLevel = 200;
    m_pathPos = (m_pathPos + 1) % m_path.size();
}

void CEffectEngine::FrameTwinkle(std::vector<LightSlot>& slots)
{
    Dim(slots, 20, 20);
    std::vector<int> keys;
    for (size_t i = 0; i < slots.size(); ++i)
        if (HasKey(slots[i])) keys.push_back(int(i));
    if (keys.empty()) return;
    std::uniform_int_distribution<size_t> d(0, keys.size() - 1);
    size_t prev = keys.size();
    for (int n = 0; n < 7; ++n) {
        size_t i = d(m_rng);
        while (keys.size() > 1 && i == prev) i = d(m_rng);
        prev = i;
        LightSlot& k = slots[size_t(keys[i])];
        k.nLevel = 200;
        if (m_s.colourful) {
            std::uniform_int_distribution<int> p(0, 4);
            k.clr = kPalette[p(m_rng)];
        } else {
            k.clr = m_s.clr;
        }
    }
}

void CEffectEngine::FrameSparks(std::vector<LightSlot>& slots)
{
    for (LightSlot& s : slots) s.nLevel = std::max(0, s.nLevel - m_decay);
    std::vector<int> keys;
    for (size_t i = 0; i < slots.size(); ++i)
        if (HasKey(slots[i])) keys.push_back(int(i));
    if (keys.empty()) return;
    std::uniform_int_distribution<size_t> d(0, keys.size() - 1);
    LightSlot& k = slots[size_t(keys[d(m_rng)])];
    k.nLevel = m_startLevel;
    k.clr = m_s.colourful ? Palette(6) : m_s.clr;
}

void CEffectEngine::FrameReactive(std::vector<LightSlot>& slots)
{
    for (LightSlot& s : slots) {
        if (m_type == 17) s.nLevel = std::max(0, s.nLevel - m_decay);
        else s.nLevel = std::min(m_startLevel, s.nLevel + m_decay);
    }
}

void CEffectEngine::FrameShimmer(std::vector<LightSlot>& slots)
{
    for (size_t i = 0; i < slots.size() && i < m_phases.size(); ++i) {
        int& p = m_phases[i];
        const int c = p / 40;
        slots[i].clr = BlendColor(m_colours[size_t(c)], m_colours[size_t(c + 1)], 40, p % 40);
        slots[i].nLevel = m_startLevel;
        p = (p + 4) % 200;
    }
}

void CEffectEngine::FrameBreath(std::vector<LightSlot>& slots)
{
    if (slots.empty()) return;
    if (slots[0].nLevel <= 0) m_rising = true;
    else if (slots[0].nLevel > 200) m_rising = false;
    for (LightSlot& s : slots) s.nLevel = std::max(0, s.nLevel + (m_rising ? 4 : -4));
}

void CEffectEngine::Press(uint8_t vk, std::vector<LightSlot>& slots)
{
    if (m_type != 17 && m_type != 18 && m_type != 19 && m_type != 20 && m_type != 24) return;
    // The generic modifier codes a key event gives count as the left-hand keys.
    if (vk == 16) vk = 160;
    if (vk == 17) vk = 162;
    if (vk == 18) vk = 164;
    const int k = FindSlot(slots, vk);
    if (k < 0) return;
    LightSlot& s = slots[size_t(k)];
    if (m_type == 19) {
        // A runner from the key's place in its row and in its column; a key
        // in neither starts nothing.
        Runner r;
        auto place = [k](const std::vector<std::vector<int>>& lines, int& line, int& pos) {
            for (size_t i = 0; i < lines.size(); ++i) {
                const auto it = std::find(lines[i].begin(), lines[i].end(), k);
                if (it != lines[i].end()) {
                    line = int(i);
                    pos = int(it - lines[i].begin());
                    return;
                }
            }
        };
        place(m_crossRows, r.row, r.rowPos);
        place(m_crossCols, r.col, r.colPos);
        if ((r.row >= 0 || r.col >= 0) && m_runners.size() < 10) m_runners.push_back(r);
        return;
    }
    if (m_type == 20) {
        m_dx = (s.left + s.right) / 2.0;
        m_dy = (s.top + s.bottom) / 2.0;
        m_dr = 0;
        m_dActive = true;
        s.clr = DiamondColour();
        return;
    }
    s.nLevel = m_type == 17 ? m_startLevel : m_type == 18 ? -50 : 0;
    if (m_type == 18) return;
    if (m_s.colourful) s.clr = Palette(6);
    else if (m_type == 17) s.clr = m_s.clr;
}

uint32_t CEffectEngine::DiamondColour()
{
    uint32_t c = m_s.clr;
    if (m_s.colourful) {
        std::uniform_int_distribution<size_t> d(0, m_colours.size() - 1);
        c = m_colours[d(m_rng)];
        while (c == m_lastDraw) c = m_colours[d(m_rng)];
        m_lastDraw = c;
    }
    return m_level < 10 ? ScaleColor(c, m_level) : c;
}

void CEffectEngine::FrameCross(std::vector<LightSlot>& slots)
{
    for (LightSlot& s : slots) {
        if (s.nLevel <= 0) continue;
        s.nLevel -= m_decay;
        if (s.nLevel < 0) s.nLevel = 0;
    }
    auto light = [&](int slot, uint32_t clr) {
        slots[size_t(slot)].clr = clr;
        slots[size_t(slot)].nLevel = m_startLevel;
    };
    for (Runner& r : m_runners) {
        ++r.dist;
        // One colour for the two keys on the row, another for the column.
        const uint32_t rowClr = m_s.colourful ? Palette(6) : m_s.clr;
        const uint32_t colClr = m_s.colourful ? Palette(6) : m_s.clr;
        auto along = [&](const std::vector<std::vector<int>>& lines, int line, int pos, uint32_t clr) {
            if (line < 0) return false;
            const std::vector<int>& v = lines[size_t(line)];
            bool any = false;
            for (int p : {pos - r.dist, pos + r.dist}) {
                if (p >= 0 && p < int(v.size())) light(v[size_t(p)], clr), any = true;
            }
            return any;
        };
        const bool onRow = along(m_crossRows, r.row, r.rowPos, rowClr);
        const bool onCol = along(m_crossCols, r.col, r.colPos, colClr);
        if (!onRow && !onCol) r.dist = -1;  // every side has reached its end
    }
    m_runners.erase(std::remove_if(m_runners.begin(), m_runners.end(), [](const Runner& r) { return r.dist < 0; }),
                    m_runners.end());
}

void CEffectEngine::FrameDiamond(std::vector<LightSlot>& slots)
{
    if (!m_dActive) return;
    m_dr += m_dStep;
    const uint32_t clr = DiamondColour();
    bool filled = true;
    for (LightSlot& k : slots) {
        if (!HasKey(k)) continue;
        const DiamondSide side = KeyInDiamond(k, m_dx, m_dy, m_dr);
        if (side != DiamondSide::Inside) filled = false;
        k.clr = side == DiamondSide::Edge ? clr : 0;
    }
    if (filled) {
        // The diamond holds the whole keyboard: dark until the next press.
        for (LightSlot& k : slots) k.clr = 0;
        m_dActive = false;
    }
}

void CEffectEngine::FrameGap(std::vector<LightSlot>& slots)
{
    for (LightSlot& s : slots) {
        if (HasKey(s) && s.nLevel < m_startLevel) s.nLevel = std::min(m_startLevel, s.nLevel + m_decay);
    }
}

void CEffectEngine::FrameDrops(std::vector<LightSlot>& slots)
{
    for (size_t c = 0; c < m_lines.size(); ++c) {
        int& p = m_linePos[c];
        if (p < 0) continue;
        const std::vector<int>& col = m_lines[c];
        if (p >= int(col.size())) {
            slots[size_t(col.back())].nLevel = 0;
            p = -1;
            continue;
        }
        LightSlot& k = slots[size_t(col[size_t(p)])];
        k.clr = ScaleColor(m_s.colourful ? Palette(4) : m_s.clr, m_level);
        k.nLevel = 200;
        if (p > 0) slots[size_t(col[size_t(p - 1)])].nLevel = 0;
        ++p;
    }
    std::vector<size_t> idle;
    for (size_t c = 0; c < m_linePos.size(); ++c)
        if (m_linePos[c] < 0) idle.push_back(c);
    if (idle.size() >= 3) {
        std::uniform_int_distribution<size_t> d(0, idle.size() - 1);
        for (size_t n = 0; n + 2 < idle.size(); ++n) m_linePos[idle[d(m_rng)]] = 0;
    }
}

void CEffectEngine::FramePingPong(std::vector<LightSlot>& slots)
{
    Dim(slots, 12, 0);
    for (size_t r = 0; r < m_lines.size(); ++r) {
        int& p = m_linePos[r];
        if (p < int(m_lines[r].size())) {
            LightSlot& k = slots[size_t(m_lines[r][size_t(p)])];
            k.clr = ScaleColor(m_s.colourful ? Palette(6) : m_s.clr, m_level);
            k.nLevel = 200;
        }
        if (p + m_lineDir[r] < 0 || p + m_lineDir[r] > 23) m_lineDir[r] = -m_lineDir[r];
        p += m_lineDir[r];
    }
}

void CEffectEngine::FrameSine(std::vector<LightSlot>& slots)
{
    Dim(slots, 50, 50);
    constexpr double kDeg = 3.14159265358979323846 / 180.0;
    for (int d = 0; d <= m_sineN; d += 8) {
        const int x = m_x0 + int(std::floor(d * m_xstep));
        const int y = m_yc + int(std::floor(std::sin((m_phase + d) * kDeg) * m_amp));
        for (LightSlot& k : slots) {
            if (HasKey(k) && k.nLevel <= 0 && x >= k.left && x < k.right && y >= k.top && y < k.bottom) {
                k.clr = m_s.clr;
                k.nLevel = 200;
            }
        }
    }
    m_phase -= 20;
    if (m_phase < 0) m_phase = 360;
}

void CEffectEngine::FrameSequence(std::vector<LightSlot>& slots)
{
    Dim(slots, 30, 30);
    if (m_lines.empty()) return;
    const uint32_t clr = ScaleColor(m_s.colourful ? Palette(6) : m_s.clr, m_level);
    for (int k : m_lines[m_seq]) {
        slots[size_t(k)].clr = clr;
        slots[size_t(k)].nLevel = 200;
    }
    if (--m_seqLeft <= 0) {
        m_seq = (m_seq + 1) % m_lines.size();
        m_seqLeft = m_lineFrames[m_seq];
    }
}

void CEffectEngine::FrameStream(std::vector<LightSlot>& slots)
{
    if (m_lines.empty() || m_colours.empty()) return;
    const int n = int(m_lines.size());
    const int span = m_hold + m_fade + m_dark;
    for (int u = 0; u < n; ++u) {
        const int offset = (m_reverse ? n - 1 - u : u) * m_stagger;
        const int q = m_t - offset;
        int level = 0;
        if (q >= 0 && q < m_hold) level = 200;
        else if (q >= m_hold && q < m_hold + m_fade) level = 230 - 200 * (q - m_hold) / std::max(1, m_fade);
        for (int k : m_lines[size_t(u)]) {
            slots[size_t(k)].clr = m_colours[size_t(m_colourIndex)];
            slots[size_t(k)].nLevel = level;
        }
    }
    m_t += m_period;
    if (m_t >= (n - 1) * m_stagger + span) {
        // The next colour, and the stream runs the other way.
        m_t = 0;
        m_colourIndex = (m_colourIndex + 1) % int(m_colours.size());
        m_reverse = !m_reverse;
    }
}

void CEffectEngine::FrameBands(std::vector<LightSlot>& slots)
{
    const double l1 = m_boxL + m_bandOff, r1 = l1 + m_band;  // left band
    const double r2 = m_boxR - m_bandOff, l2 = r2 - m_band;  // right band, its mirror
    uint32_t clr = m_s.clr;
    if (m_s.colourful) {
        clr = m_colours[size_t(m_colourIndex)];
        m_colourIndex = (m_colourIndex + 1) % int(m_colours.size());
    }
    for (LightSlot& k : slots) {
        if (!HasKey(k)) continue;
        double a = k.left, b = k.right;
        if (k.nVk == 32) {  // the space bar counts as one key wide, at its centre
            const double c = (k.left + k.right) / 2.0;
            a = c - m_firstW / 2, b = c + m_firstW / 2;
        }
        const bool on = (a < r1 && b > l1) || (a < r2 && b > l2);
        k.nLevel = on ? 200 : 0;
        if (on) k.clr = clr;
    }
    m_bandOff += m_bandStep;
    const double overlap = (m_boxL + m_bandOff + m_band) - (m_boxR - m_bandOff - m_band);
    if (m_bandStep > 0 && overlap > m_band / 2) m_bandStep = -m_bandStep;
    if (m_bandStep < 0 && m_bandOff <= -m_band / 2) m_bandStep = -m_bandStep;
}

bool CEffectEngine::KeyBox(const std::vector<LightSlot>& slots)
{
    double l = 1e9, t = 1e9, r = -1e9, b = -1e9;
    bool any = false;
    for (const LightSlot& k : slots) {
        if (!HasKey(k)) continue;
        l = std::min(l, double(k.left)), t = std::min(t, double(k.top));
        r = std::max(r, double(k.right)), b = std::max(b, double(k.bottom));
        any = true;
    }
    if (!any) l = t = r = b = 0;
    m_boxL = l, m_boxT = t, m_boxR = r, m_boxB = b;
    return any;
}

void CEffectEngine::FrameTriangle(std::vector<LightSlot>& slots)
{
    Dim(slots, 8, 0);
    // The keys all lie below and beside the corner, so the right triangle
    // with its legs along the top edge and the side is the part of the
    // diamond around the corner that covers the view.
    m_dr += 20;
    const double cx = m_corner == 0 ? m_boxL : m_boxR;
    const uint32_t clr = ScaleColor(m_s.colourful ? Palette(6) : m_s.clr, m_level);
    bool lit = false;
    for (LightSlot& k : slots) {
        if (!HasKey(k)) continue;
        if (k.nLevel <= 0 && KeyInDiamond(k, cx, m_boxT, m_dr) == DiamondSide::Edge) {
            k.clr = clr;
            k.nLevel = 200;
        }
        lit |= k.nLevel > 0;
    }
    if (!lit && m_dr >= (m_boxR - m_boxL) + (m_boxB - m_boxT)) {
        m_corner = 1 - m_corner;
        m_dr = 0;
    }
}

void CEffectEngine::FrameUnitsDiamond(std::vector<LightSlot>& slots)
{
    Dim(slots, m_decay, 0);
    if (m_phaseNo == 0) {
        if (m_seq < m_lines.size()) {
            const uint32_t clr = ScaleColor(m_s.colourful ? Palette(6) : m_s.clr, m_level);
            for (int k : m_lines[m_seq]) {
                slots[size_t(k)].clr = clr;
                slots[size_t(k)].nLevel = 200;
            }
        }
        if (++m_seq >= m_lines.size()) {
            m_phaseNo = 1;
            m_dr = 0;
        }
        return;
    }
    m_dr += 20;
    const uint32_t clr = ScaleColor(m_s.colourful ? Palette(6) : m_s.clr, m_level);
    bool lit = false, filled = true;
    for (LightSlot& k : slots) {
        if (!HasKey(k)) continue;
        const DiamondSide side = KeyInDiamond(k, m_dx, m_dy, m_dr);
        if (side != DiamondSide::Inside) filled = false;
        if (side == DiamondSide::Edge && !(k.nVk == 32 && k.nLevel > 0)) {
            k.clr = clr;
            k.nLevel = 200;
        }
        lit |= k.nLevel > 0;
    }
    if (filled && !lit) {
        m_phaseNo = 0;
        m_seq = 0;
    }
}

void CEffectEngine::FrameRing(std::vector<LightSlot>& slots)
{
    Dim(slots, 10, 10);
    auto anyLit = [&] {
        return std::any_of(slots.begin(), slots.end(), [](const LightSlot& k) { return k.nLevel > 0; });
    };
    auto light = [&](int k) {
        slots[size_t(k)].clr = ScaleColor(m_s.colourful ? Palette(6) : m_s.clr, m_level);
        slots[size_t(k)].nLevel = 200;
    };
    // A phase whose keys are all out waits until the last of them has faded;
    // the next phase then begins in the same frame.
    if (m_phaseNo == 0) {
        if (m_pathPos < m_path.size()) {
            light(m_path[m_pathPos++]);
            return;
        }
        if (anyLit()) return;
        m_phaseNo = 1;
        m_frameNo = 0;
    }
    if (m_phaseNo == 1) {
        const size_t next = size_t(m_frameNo / 4);
        if (next < m_inner.size()) {
            if (m_frameNo++ % 4 == 0) light(m_inner[next]);
            return;
        }
        if (anyLit()) return;
        m_phaseNo = 2;
        m_dr = 0;
    }
    if (m_phaseNo == 2) {
        m_dr += 15;
        bool filled = true;
        for (LightSlot& k : slots) {
            if (!HasKey(k)) continue;
            const DiamondSide side = KeyInDiamond(k, m_dx, m_dy, m_dr);
            if (side != DiamondSide::Inside) filled = false;
            if (side == DiamondSide::Edge && k.nLevel <= 0) light(int(&k - slots.data()));
        }
        if (filled && !anyLit()) {
            m_phaseNo = 3;
            m_pauseLeft = (500 + m_period - 1) / m_period;
        }
        return;
    }
    // The pause of 500 ms, then the outer path again.
    if (m_pauseLeft > 0) {
        --m_pauseLeft;
        return;
    }
    m_phaseNo = 0;
    m_pathPos = 0;
    if (!m_path.empty()) light(m_path[m_pathPos++]);
}

void CEffectEngine::FrameSweep(std::vector<LightSlot>& slots)
{
    Dim(slots, 20, 0);
    if (m_lines.empty()) return;
    auto colour = [&] { return ScaleColor(m_s.colourful ? Palette(6) : m_s.clr, m_level); };
    auto afterUnit = [&] {
        // After the last unit, half a second's pause.
        if (m_seq >= m_lines.size()) {
            m_phaseNo = 2;
            m_pauseLeft = (500 + m_period - 1) / m_period;
        }
    };
    if (m_phaseNo == 2) {
        if (m_pauseLeft > 0) {
            --m_pauseLeft;
            return;
        }
        m_phaseNo = 0;
        m_seq = 0;
    }
    if (m_phaseNo == 0) {
        if (m_seq != m_target) {
            const uint32_t clr = colour();
            for (int k : m_lines[m_seq]) {
                slots[size_t(k)].clr = clr;
                slots[size_t(k)].nLevel = 200;
            }
            ++m_seq;
            afterUnit();
            return;
        }
        // The target waits for the keys before it to fade out, then blinks.
        if (std::any_of(slots.begin(), slots.end(), [](const LightSlot& k) { return k.nLevel > 0; })) return;
        m_phaseNo = 1;
        m_frameNo = 0;
        m_colours.clear();
        for (int i = 0; i < 7; ++i) m_colours.push_back(colour());
    }
    // Every fourth frame the unit is drawn again with one key, moving along
    // the unit, brighter in the next of the seven colours; three passes.
    const std::vector<int>& unit = m_lines[m_target];
    if (m_frameNo++ % 4 != 0) return;
    const int redraw = (m_frameNo - 1) / 4;
    const uint32_t clr = colour();
    for (int k : unit) {
        slots[size_t(k)].clr = clr;
        slots[size_t(k)].nLevel = 200;
    }
    LightSlot& moving = slots[size_t(unit[size_t(redraw) % unit.size()])];
    moving.clr = m_colours[size_t(redraw % 7)];
    moving.nLevel = 255;
    if (redraw + 1 >= 3 * int(unit.size())) {
        m_phaseNo = 0;
        m_seq = m_target + 1;
        afterUnit();
    }
}
