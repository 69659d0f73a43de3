#include "lighting/MusicEffects.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr int kFrameMs = 30;
constexpr int kSilentLoops = 100;  // after these, one frame every kSilentLoops + 1 loops

struct WaveDef {
    const uint32_t* pColours;
    int nColours;
    int nHold, nFade;  // ms
};
constexpr uint32_t kStreamColours[] = {0x0000C8, 0xFF0000, 0x00FF00};
constexpr uint32_t kFlowerColours[] = {0x0000FF, 0xFF00FF, 0x00FFFF, 0x00FF00, 0xFF0000, 0xFFFF00};
constexpr WaveDef kStream{kStreamColours, 3, 120, 450};
constexpr WaveDef kFlower{kFlowerColours, 6, 120, 240};
constexpr uint32_t kSplashColours[] = {0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFF00, 0xFF0000, 0x00FF00, 0x0080FF, 0x008000};

uint32_t Blend(uint32_t a, uint32_t b, double f)
{
    uint32_t out = 0;
    for (int k = 0; k < 3; ++k) {
        const double ca = a >> (8 * k) & 0xFF, cb = b >> (8 * k) & 0xFF;
        out |= uint32_t(std::lround(ca + (cb - ca) * f)) << (8 * k);
    }
    return out;
}

class CPainter {
public:
    CPainter(MusicFrame& frame, const RgbIndex& idx, const MusicEffectState& st, const MusicSettings& s)
        : m_frame(frame), m_st(st), m_s(s)
    {
        for (int k = 0; k < 3; ++k) m_idx[size_t(k)] = std::min<uint8_t>(idx[size_t(k)], 2);
    }
    // The colour a lit key takes: the wave's or the single colour.
    uint32_t KeyColour(int nLed) const
    {
        return m_s.bMusicColorful ? m_st.anim[size_t(nLed)] : (m_s.clrMusic & 0xFFFFFF);
    }
    void Set(int nLed, uint32_t clr)
    {
        if (nLed < 0 || nLed >= kMusicLeds) return;
        uint8_t* p = &m_frame[size_t(nLed) * 3];
        p[m_idx[0]] = uint8_t(clr);
        p[m_idx[1]] = uint8_t(clr >> 8);
        p[m_idx[2]] = uint8_t(clr >> 16);
    }
    void Light(int nLed, double f = 1.0)
    {
        if (nLed >= 0 && nLed < kMusicLeds) Set(nLed, Dim(KeyColour(nLed), f));
    }
    void LightGroup(const LedGroup& g, double f = 1.0, size_t nMax = SIZE_MAX)
    {
        for (size_t i = 0; i < g.size() && i < nMax; ++i) Light(g[i], f);
    }
    // Elements 1..n fully and element n+1 by the remainder, for level L of 0..100.
    template <class Fn>
    static void Fill(int nElements, int nLevel, Fn light)
    {
        if (nElements <= 0) return;
        const double dEach = 100.0 / nElements;
        const int n = std::min(nElements, int(nLevel / dEach));
        for (int i = 0; i < n; ++i) light(i, 1.0);
        const double r = nLevel - n * dEach;
        if (r > 1e-9 && n < nElements) light(n, r / dEach);
    }
    void Bar(const std::vector<LedGroup>& segs, int nLevel)
    {
        Fill(int(segs.size()), nLevel, [&](int i, double f) { LightGroup(segs[size_t(i)], f); });
    }

private:
    MusicFrame& m_frame;
    const MusicEffectState& m_st;
    const MusicSettings& m_s;
    std::array<uint8_t, 3> m_idx{};
};

int Random(std::mt19937& rng, int lo, int hi)  // lo..hi inclusive
{
    if (hi <= lo) return lo;
    return std::uniform_int_distribution<int>(lo, hi)(rng);
}

// A rising value that reaches nMin is a beat; the next needs the value below nMin first.
bool Beat(int v, int& nPrev, bool& bArmed, int nMin)
{
    bool bBeat = false;
    if (v < nMin)
        bArmed = true;
    else if (bArmed && v > nPrev) {
        bBeat = true;
        bArmed = false;
    }
    nPrev = v;
    return bBeat;
}

int AnimEvery(int nMode)
{
    switch (nMode) {
    case kMusicFlower:
    case kMusicDashes: return 2;
    case kMusicHistory: return 0;  // every frame it draws
    default: return 5;
    }
}

void UpdateWave(MusicEffectState& st, const MusicGroups& g, int nMode)
{
    const bool bFlower = nMode == kMusicFlower;
    const std::vector<LedGroup>& units = bFlower ? g.flower.units : g.stream.units;
    const int n = int(units.size());
    for (int u = 0; u < n; ++u) {
        const uint32_t clr = WaveColour(bFlower, u, n, st.nAnimStep);
        for (int nLed : units[size_t(u)])
            if (nLed >= 0 && nLed < kMusicLeds) st.anim[size_t(nLed)] = clr;
    }
}

int RowLevel(const BandLevels& lv, int r) { return lv[size_t(r)]; }

// The keys of a row from index a to b (inclusive), clipped to the row.
void LightRun(CPainter& p, const std::vector<int>& row, int a, int b, double f = 1.0)
{
    for (int i = std::max(a, 0); i <= b && i < int(row.size()); ++i) p.Light(row[size_t(i)], f);
}

bool Splashes(MusicEffectState& st, const MusicLayout& l, const MusicSettings& s, const BandLevels& lv, CPainter& p)
{
    const int v = lv[0];
    const ZRect& b = l.bounds;
    if (Beat(v, st.nPrev0, st.bArmed0, 50)) {
        auto& c = st.circle;
        c.bOn = true;
        c.x = Random(st.rng, b.left, b.right);
        c.y = (b.top + b.bottom) / 2 + Random(st.rng, -40, 40);
        c.r = 0;
        c.rMax = std::max(1, (b.right - b.left) / 2 * v / 100);
        c.clr = s.bMusicColorful ? kSplashColours[Random(st.rng, 0, 7)] : (s.clrMusic & 0xFFFFFF);
    }
    if (st.circle.bOn) {
        auto& c = st.circle;
        c.r = std::min(c.rMax, c.r + std::max(1, v / 5));
        for (const MusicKey& k : l.keys) {
            int nIn = 0;
            for (int x : {k.rc.left, k.rc.right})
                for (int y : {k.rc.top, k.rc.bottom}) {
                    const double dx = x - c.x, dy = y - c.y;
                    if (dx * dx + dy * dy <= double(c.r) * c.r) ++nIn;
                }
            static constexpr double kShare[] = {0, 0.2, 0.4, 0.7, 1.0};
            if (nIn > 0) p.Set(k.nLed, Dim(c.clr, kShare[nIn]));
        }
        if (c.r >= c.rMax) c.bOn = false;
        return true;
    }
    if (st.nLoop % 3 != 0) return false;
    for (int q = 0; q < 2; ++q) {
        const int nSide = std::max(1, lv[size_t(q)] * l.nKeyHeight * 3 / 100);
        if (lv[size_t(q)] == 0) continue;
        const int x = Random(st.rng, b.left, std::max(b.left, b.right - nSide));
        const int y = Random(st.rng, b.top, std::max(b.top, b.bottom - nSide));
        for (const MusicKey& k : l.keys) {
            const int cx = (k.rc.left + k.rc.right) / 2, cy = (k.rc.top + k.rc.bottom) / 2;
            if (cx >= x && cx < x + nSide && cy >= y && cy < y + nSide) p.Light(k.nLed);
        }
    }
    return true;
}

bool Dashes(MusicEffectState& st, const MusicLayout& l, const BandLevels& lv, CPainter& p)
{
    if (Beat(lv[1], st.nPrev1, st.bArmed1, 60)) st.nFlash = 2;
    if (st.nFlash > 0) {
        --st.nFlash;
        for (const MusicKey& k : l.keys) p.Light(k.nLed);
        return true;
    }
    if (st.nLoop % 2 != 0) return false;
    for (int r = 0; r < kMusicRows; ++r) {
        const std::vector<int>& row = l.rows[size_t(r)];
        auto& d = st.dashes[size_t(r)];
        const int nRow = int(row.size());
        if (nRow == 0) continue;
        if (!d.bOn && RowLevel(lv, r) > 0) {
            d.bOn = true;
            d.nStart = Random(st.rng, 0, std::max(0, nRow / 3 - 1));
            d.nLen = std::min(nRow - d.nStart, nRow * RowLevel(lv, r) / 100 + 1);
            d.nLit = 1;
            d.nKind = Random(st.rng, 1, 3);
        }
        if (!d.bOn) continue;
        const int nHead = d.nStart + d.nLit - 1;
        for (int i = d.nStart; i <= nHead; ++i) {
            double f = 1.0;
            if (d.nKind == 2) f = double(i - d.nStart + 1) / d.nLit;      // fading tail
            if (d.nKind == 3 && nHead - i >= 3) continue;                  // the head only
            LightRun(p, row, i, i, f);
        }
        d.nLit += d.nLit > 6 ? 2 : 1;
        if (d.nLit > d.nLen) d.bOn = false;
    }
    return true;
}

bool Spread(MusicEffectState& st, const MusicLayout& l, const BandLevels& lv, CPainter& p)
{
    if (Beat(lv[0], st.nPrev0, st.bArmed0, 60)) st.nFlash = 2;
    if (st.nFlash > 0) {
        --st.nFlash;
        return true;  // a blank frame
    }
    if (st.nLoop % 2 != 0) return false;
    for (int r = 0; r < kMusicRows; ++r) {
        const std::vector<int>& row = l.rows[size_t(r)];
        const int nRow = int(row.size());
        if (nRow == 0) continue;
        const int nMid = nRow / 2;
        const int nHalf = (nRow + 1) / 2;
        const double dLevel = std::min(100.0, RowLevel(lv, r) * 1.3);
        const int nLit = int(dLevel * nHalf / 100.0);
        LightRun(p, row, nMid - nLit, nMid + nLit - (nRow % 2 == 0 ? 1 : 0));
        int& w = st.sweep[size_t(r)];
        if (w == 0 && RowLevel(lv, r) > 49) w = 1;
        if (w > 0) {
            LightRun(p, row, nMid - w, nMid - w);
            LightRun(p, row, nMid + w, nMid + w);
            if (++w > nHalf) w = 0;
        }
    }
    return true;
}

void DrawWave(MusicEffectState& st, const MusicLayout& l, const BandLevels& lv, CPainter& p)
{
    const ZRect& b = l.bounds;
    const int kh = std::max(1, l.nKeyHeight);
    const int nWidth = b.right - b.left;
    const int cy = (b.top + b.bottom) / 2;
    double a = lv[0] * ((b.bottom - b.top) / 2.0 + kh) / 100.0;
    if (lv[0] > 0) a = std::max(a, double(kh));
    const int nStep = std::max(1, kh / 2);
    for (int x = 0; x <= 720; x += nStep) {
        const double rad = (x + st.nPhase) * std::numbers::pi / 180.0;
        const int px = b.left + 5 + x * nWidth / 720;
        const int py = cy + int(std::floor(std::sin(rad) * a));
        p.Light(l.LedAt(px, py));
    }
    st.nPhase -= 20;
    if (st.nPhase < 0) st.nPhase += 720;
}
}  // namespace

uint32_t Dim(uint32_t clr, double f)
{
    f = std::clamp(f, 0.0, 1.0);
    uint32_t out = 0;
    for (int k = 0; k < 3; ++k) out |= uint32_t((clr >> (8 * k) & 0xFF) * f) << (8 * k);
    return out;
}

uint32_t WaveColour(bool bFlower, int u, int nUnits, int nStep)
{
    const WaveDef& w = bFlower ? kFlower : kStream;
    const int nPeriod = w.nHold + w.nFade;
    const int nCycle = w.nColours * nPeriod;
    const int nGap = bFlower ? std::max(1, nCycle / std::max(1, nUnits) / 2) : 120;
    const long long t = (1LL * nStep * kFrameMs + 1LL * (nUnits - 1 - u) * nGap) % nCycle;
    const int c = int(t / nPeriod), within = int(t % nPeriod);
    if (within < w.nHold) return w.pColours[c];
    return Blend(w.pColours[c], w.pColours[(c + 1) % w.nColours], double(within - w.nHold) / w.nFade);
}

MusicGroups LoadMusicGroups(const std::filesystem::path& etDir, const MusicLayout& layout, int nMode,
                            std::vector<std::string>* pMissing)
{
    MusicGroups g;
    auto missing = [&](const char* psz) {
        if (pMissing) pMissing->push_back(psz);
    };
    if (nMode == kMusicFlower) {
        g.flower = ReadEtUnits(etDir / "flower.txt", layout);
        if (!g.flower.bLoaded) missing("flower");
    } else {
        g.stream = ReadEtUnits(etDir / "stream_h.txt", layout);
        if (!g.stream.bLoaded) missing("stream");
    }
    if (nMode == kMusicBars || nMode == kMusicHistory) {
        g.audiobar = ReadEtBars(etDir / "audiobar.txt", layout);
        if (!g.audiobar.bLoaded) missing("audiobar");
    }
    if (nMode == kMusicHappy) {
        g.happy = ReadEtBars(etDir / "happy.txt", layout);
        if (!g.happy.bLoaded) missing("audiobar");
    }
    return g;
}

bool MusicStep(MusicEffectState& st, const MusicLayout& l, const MusicGroups& g, const MusicSettings& s,
               const RgbIndex& rgbIndex, const BandLevels& in, MusicFrame& frame)
{
    frame.fill(0);
    BandLevels lv;
    bool bSilent = true;
    for (size_t i = 0; i < lv.size(); ++i) {
        lv[i] = std::clamp(in[i], 0, 100);
        if (lv[i] != 0) bSilent = false;
    }
    const uint64_t nLoop = st.nLoop++;
    if (bSilent) {
        ++st.nSilent;
        if (st.nSilent > kSilentLoops && st.nSilent % (kSilentLoops + 1) != 0) return false;
    } else {
        st.nSilent = 0;
    }
    const int nMode = std::clamp(s.nMusicMode, 0, kMusicModeCount - 1);
    const int nEvery = AnimEvery(nMode);
    if (s.bMusicColorful && nEvery > 0 && nLoop % uint64_t(nEvery) == 0) {
        UpdateWave(st, g, nMode);
        ++st.nAnimStep;
    }
    CPainter p(frame, rgbIndex, st, s);
    switch (nMode) {
    case kMusicBars:
        for (size_t i = 0; i < g.audiobar.bars.size(); ++i)
            p.Bar(g.audiobar.bars[i], i < lv.size() ? lv[i] : 0);
        return true;
    case kMusicFlower: {
        st.nFlower = std::max(lv[0], st.nFlower - 5);
        const auto& units = g.flower.units;
        CPainter::Fill(int(units.size()), st.nFlower,
                       [&](int i, double f) { p.LightGroup(units[size_t(i)], f, 25); });
        return true;
    }
    case kMusicKeyRows: {
        const int n = int(l.rows[0].size());
        for (int r = 0; r < kMusicRows; ++r) {
            const std::vector<int>& row = l.rows[size_t(r)];
            CPainter::Fill(n, lv[size_t(r)], [&](int i, double f) { LightRun(p, row, i, i, f); });
        }
        return true;
    }
    case kMusicPulse: {
        const int e = lv[1] != 0 ? lv[1] : lv[11];
        if (!s.bMusicColorful) {
            st.nHeld = e;
            st.clrHeld = s.clrMusic & 0xFFFFFF;
        } else if (e >= st.nHeld && e >= 1) {
            st.nHeld = e;
            st.clrHeld = e <= 40 ? 0xFF0000 : e <= 50 ? 0xFFFF00 : e <= 60 ? 0x00FF00 : e <= 70 ? 0x00FFFF
                       : e <= 80 ? 0x0080FF : e <= 90 ? 0xFF00FF : 0x0000FF;
        } else {
            st.nHeld = std::max(0, st.nHeld - 10);
        }
        for (const MusicKey& k : l.keys) p.Set(k.nLed, Dim(st.clrHeld, st.nHeld / 100.0));
        return true;
    }
    case kMusicHistory: {
        if (nLoop % 2 != 0) return false;
        std::copy_backward(st.history.begin(), st.history.end() - 1, st.history.end());
        st.history[0] = lv[0];
        if (s.bMusicColorful) {
            UpdateWave(st, g, nMode);
            ++st.nAnimStep;
        }
        for (size_t i = 0; i < g.audiobar.bars.size() && i < st.history.size(); ++i)
            p.Bar(g.audiobar.bars[i], st.history[i]);
        return true;
    }
    case kMusicSplashes: return Splashes(st, l, s, lv, p);
    case kMusicHappy: {
        static constexpr int kBands[4] = {0, 0, 1, 0};
        for (size_t i = 0; i < g.happy.bars.size() && i < 4; ++i) p.Bar(g.happy.bars[i], lv[size_t(kBands[i])]);
        return true;
    }
    case kMusicDashes: return Dashes(st, l, lv, p);
    case kMusicSpread: return Spread(st, l, lv, p);
    case kMusicWave: DrawWave(st, l, lv, p); return true;
    default: return false;
    }
}
