#include "lighting/MousePreview.h"

#include <algorithm>
#include <cmath>

namespace {

int Red(ZColor c) { return int(c & 0xFF); }
int Green(ZColor c) { return int((c >> 8) & 0xFF); }
int Blue(ZColor c) { return int((c >> 16) & 0xFF); }
ZColor Rgb(int r, int g, int b)
{
    return MakeColor(uint8_t(std::clamp(r, 0, 255)), uint8_t(std::clamp(g, 0, 255)), uint8_t(std::clamp(b, 0, 255)));
}

int Period(int nSpeed, int n1, int n2, int n3, int nElse)
{
    switch (nSpeed) {
    case 1: return n1;
    case 2: return n2;
    case 3: return n3;
    default: return nElse;
    }
}

std::vector<ZColor> Scaled(const ZColor* p, size_t n, int nBright)
{
    std::vector<ZColor> v;
    for (size_t i = 0; i < n; ++i)
        v.push_back(ScaleColour10(p[i], nBright));
    return v;
}

}  // namespace

ZColor ScaleColour10(ZColor c, int nLevel)
{
    return Rgb(Red(c) * nLevel / 10, Green(c) * nLevel / 10, Blue(c) * nLevel / 10);
}

ZColor ScaleColour255(ZColor c, int nLevel)
{
    return Rgb(Red(c) * nLevel / 255, Green(c) * nLevel / 255, Blue(c) * nLevel / 255);
}

ZColor InterpolateColour(const ZColor* pColours, int n, double dSpan, double dPos)
{
    if (n <= 0)
        return 0;
    if (n == 1 || dPos >= dSpan || dSpan <= 0)
        return pColours[n - 1];
    if (dPos < 0)
        dPos = 0;
    const double dSeg = dSpan / (n - 1);
    // The last segment ends at the span: never read past the list.
    const int i = std::min(int(std::floor(dPos / dSeg)), n - 2);
    const double t = dPos - i * dSeg;
    const ZColor from = pColours[i], to = pColours[i + 1];
    auto ch = [&](int a, int b) { return int(a + t * (b - a) / dSeg); };
    return Rgb(ch(Red(from), Red(to)), ch(Green(from), Green(to)), ch(Blue(from), Blue(to)));
}

ZColor BlendColour(ZColor c, ZColor pixel, int a)
{
    a = std::clamp(a, 0, 255);
    auto ch = [&](int lit, int pic) { return (a * lit + (255 - a) * pic) / 255; };
    return Rgb(ch(Red(c), Red(pixel)), ch(Green(c), Green(pixel)), ch(Blue(c), Blue(pixel)));
}

PreviewProgram MakeOffProgram() { return {}; }

PreviewProgram MakeStaticProgram(ZColor c, int nBright)
{
    PreviewProgram p;
    p.type = PreviewType::Static;
    p.colours = {ScaleColour10(c, nBright)};
    return p;
}

PreviewProgram MakeCycleProgram(const std::array<ZColor, 7>& colours, int nSpeed)
{
    PreviewProgram p;
    p.type = PreviewType::Cycle;
    p.nPeriod = Period(nSpeed, 200, 100, 30, 0);
    p.colours.assign(colours.begin(), colours.end());
    p.colours.push_back(colours[0]);
    return p;
}

PreviewProgram MakeBreatheProgram(const std::vector<ZColor>& colours, int nSpeed)
{
    if (colours.empty())
        return MakeOffProgram();
    PreviewProgram p;
    p.type = PreviewType::Breathe;
    p.nPeriod = Period(nSpeed, 70, 50, 30, 0);
    p.colours.assign(colours.begin(), colours.begin() + std::min<size_t>(colours.size(), 10));
    return p;
}

PreviewProgram MakeBlinkProgram(ZColor c1, ZColor c2, int nSpeed, int nBright)
{
    PreviewProgram p;
    p.type = PreviewType::Blink;
    p.nPeriod = Period(nSpeed, 350, 250, 150, 0);
    p.colours = {ScaleColour10(c1, nBright), ScaleColour10(c2, nBright)};
    return p;
}

PreviewProgram MakeFlowProgram(const std::array<ZColor, 7>& colours, int nDirection, int nBright, int nStep)
{
    PreviewProgram p;
    p.type = PreviewType::Flow;
    p.nPeriod = 20;
    p.colours = Scaled(colours.data(), colours.size(), nBright);
    p.colours.push_back(p.colours[0]);
    p.nPhaseStep = nStep;
    p.phases.assign(size_t(p.nBands), 0);
    for (int i = 0; i < p.nBands; ++i) {
        const int nBand = nDirection == 2 ? p.nBands - 1 - i : i;
        p.phases[size_t(nBand)] = (2 * i) % (p.nFlowCycle + 1);
    }
    return p;
}

PreviewProgram MakeSweepProgram(const std::vector<ZColor>& colours, int nBright, int nStep, bool bBounce)
{
    if (colours.empty() || nStep <= 0)
        return MakeOffProgram();
    PreviewProgram p;
    p.type = PreviewType::Sweep;
    p.nPeriod = 18;
    p.colours = Scaled(colours.data(), std::min<size_t>(colours.size(), 10), nBright);
    p.nSweepDir = 2;
    p.nStep = nStep;
    p.bBounce = bBounce;
    return p;
}

PreviewProgram MakeRotateProgram(const std::array<ZColor, 7>& colours, int nBright, int nSpeed)
{
    PreviewProgram p;
    p.type = PreviewType::Rotate;
    p.nPeriod = Period(nSpeed, 600, 400, 150, 500);
    p.colours = Scaled(colours.data(), colours.size(), nBright);
    p.nSpan = 60 * 7;
    return p;
}

const std::array<ZColor, 7>& PreviewFixedColours()
{
    static const std::array<ZColor, 7> k = {MakeColor(255, 0, 0),   MakeColor(0, 0, 255),   MakeColor(255, 255, 255),
                                            MakeColor(0, 255, 0),   MakeColor(128, 0, 255), MakeColor(250, 3, 106),
                                            MakeColor(250, 198, 3)};
    return k;
}

int PreviewBrightTenths(int nBrightIndex)
{
    switch (nBrightIndex) {
    case 1: return 2;
    case 2: return 5;
    case 3: return 8;
    case 4: return 10;
    default: return 9;
    }
}

PreviewProgram MakeMouseLedPreview(const MouseLedPreviewInput& in)
{
    const int nBright = PreviewBrightTenths(in.nBrightIndex);
    const std::vector<ZColor> cols(in.colours.begin(), in.colours.begin() + std::min<size_t>(in.colours.size(), 10));
    switch (in.nPreviewCode) {
    case 1:
        return cols.empty() ? MakeOffProgram() : MakeStaticProgram(cols[0], nBright);
    case 2:
        return MakeCycleProgram(PreviewFixedColours(), in.nSpeed);
    case 3:
        return MakeBreatheProgram(cols, in.nSpeed);
    case 4:
        return cols.size() < 2 ? MakeOffProgram() : MakeBlinkProgram(cols[0], cols[1], in.nSpeed, nBright);
    case 5: {
        const int nStep = in.nSpeed == 1 ? 5 : in.nSpeed == 2 ? 10 : in.nSpeed == 3 ? 18 : in.nSpeed;
        return MakeFlowProgram(PreviewFixedColours(), in.bDirection2 ? 2 : 1, nBright, nStep);
    }
    case 8: {
        if (in.nMsKind != 3 || (in.nEffectId != 4 && in.nEffectId != 8))
            return MakeOffProgram();
        std::vector<ZColor> tail;
        for (ZColor c : in.tailColours)
            if (c != 0)
                tail.push_back(c);
        const int nStep = in.nSpeed == 1 ? 2 : in.nSpeed == 2 ? 4 : in.nSpeed == 3 ? 6 : in.nSpeed;
        return MakeSweepProgram(tail, nBright, nStep, in.nEffectId == 4 && in.nLedModeIndex == 3);
    }
    case 9:
        return MakeRotateProgram(PreviewFixedColours(), nBright, in.nSpeed);
    default:
        return MakeOffProgram();
    }
}

void CMousePreview::Run(const PreviewProgram& prog)
{
    m_prog = prog;
    m_out.fill(0);
    m_bRunning = true;
    Step();
}

void CMousePreview::Stop()
{
    m_prog = {};
    m_out.fill(0);
    m_bRunning = false;
}

bool CMousePreview::Step()
{
    if (m_bPaused || !m_bRunning)
        return false;
    PreviewProgram& p = m_prog;
    const int n = int(p.colours.size());
    const int nBands = std::clamp(p.nBands, 0, kOutSize);
    switch (p.type) {
    case PreviewType::Off:
        return false;
    case PreviewType::Static:
        m_out[0] = n ? p.colours[0] : 0;
        break;
    case PreviewType::Cycle:
        m_out[0] = InterpolateColour(p.colours.data(), n, p.nCycleSteps, p.nCounter);
        if (++p.nCounter >= p.nCycleSteps)
            p.nCounter = 0;
        break;
    case PreviewType::Breathe:
        if (!n)
            return false;
        m_out[0] = p.colours[size_t(p.nIndex % n)];
        p.nLevel += p.bBrightening ? 5 : -5;
        if (p.nLevel <= p.nLow) {
            p.nIndex = (p.nIndex + 1) % n;
            p.bBrightening = true;
        } else if (p.nLevel >= p.nHigh) {
            p.bBrightening = false;
        }
        break;
    case PreviewType::Blink:
        if (!n)
            return false;
        m_out[0] = p.colours[size_t(p.nIndex % n)];
        p.nIndex = (p.nIndex + 1) % n;
        break;
    case PreviewType::Flow:
        for (int k = 0; k < nBands && k < int(p.phases.size()); ++k) {
            int& ph = p.phases[size_t(k)];
            m_out[size_t(k)] = InterpolateColour(p.colours.data(), n, p.nFlowCycle, ph);
            ph += p.nPhaseStep;
            if (ph > p.nFlowCycle)
                ph -= p.nFlowCycle;
        }
        break;
    case PreviewType::Sweep:
        if (!n)
            return false;
        StepSweep();
        break;
    case PreviewType::Rotate: {
        if (n < 2)
            return false;
        std::vector<ZColor> list(static_cast<size_t>(n));
        for (int j = 0; j < n; ++j) {
            const int i = p.nRotateDir == 2 ? ((p.nIndex - j) % n + n) % n : (p.nIndex + j) % n;
            list[size_t(j)] = p.colours[size_t(i)];
        }
        for (int k = 0; k < nBands; ++k)
            m_out[size_t(k)] = InterpolateColour(list.data(), n, p.nSpan, 3.0 * k);
        p.nIndex = (p.nIndex + 1) % n;
        break;
    }
    }
    return true;
}

void CMousePreview::StepSweep()
{
    PreviewProgram& p = m_prog;
    const int n = int(p.colours.size());
    const int nBands = std::clamp(p.nBands, 1, kOutSize);
    const ZColor grad[2] = {p.colours[size_t(p.nIndex % n)], 0};
    std::fill(m_out.begin(), m_out.begin() + nBands, 0);
    auto light = [&](int nBand, int j) {
        const int nFade = p.nFadeOffset + 5 * j;
        if (nFade <= p.nFadeLen)
            m_out[size_t(nBand)] = InterpolateColour(grad, 2, p.nFadeLen, nFade);
    };
    bool bMoved = false;
    if (p.nSweepDir == 2) {
        for (int b = std::min(p.nHead, nBands - 1); b >= 0; --b)
            light(b, p.nHead - b);
        if (p.nHead < nBands) {
            p.nHead += p.nStep;
            bMoved = true;
        }
    } else {
        for (int b = std::max(p.nHead, 0); b < nBands; ++b)
            light(b, b - p.nHead);
        if (p.nHead > p.nStep) {
            p.nHead -= p.nStep;
            bMoved = true;
        }
    }
    if (bMoved)
        return;
    // The head is at its end: the streak fades out, then the next colour starts.
    p.nFadeOffset += 5 * p.nStep;
    if (p.nFadeOffset <= p.nFadeLen)
        return;
    p.nFadeOffset = 0;
    p.nIndex = (p.nIndex + 1) % n;
    if (p.bBounce)
        p.nSweepDir = p.nSweepDir == 2 ? 1 : 2;
    p.nHead = p.nSweepDir == 2 ? 0 : nBands - 1;
}

ZColor CMousePreview::RowColour(int nRow) const
{
    switch (m_prog.type) {
    case PreviewType::Static:
    case PreviewType::Cycle:
    case PreviewType::Blink:
        return m_out[0];
    case PreviewType::Breathe:
        return ScaleColour255(m_out[0], std::clamp(m_prog.nLevel, 0, 255));
    case PreviewType::Flow:
    case PreviewType::Sweep:
    case PreviewType::Rotate: {
        const int nRows = std::max(1, m_prog.nRowsPerBand);
        const int nBands = std::clamp(m_prog.nBands, 1, kOutSize);
        return m_out[size_t((std::max(nRow, 0) / nRows) % nBands)];
    }
    default:
        return 0;
    }
}

void CMousePreview::Compose(const uint8_t* pRgb, const uint8_t* pMask, int nWidth, int nHeight, uint32_t* pDst) const
{
    const bool bLit = m_bRunning && m_prog.type != PreviewType::Off && pMask;
    for (int y = 0; y < nHeight; ++y) {
        const ZColor c = bLit ? RowColour(y) : 0;
        for (int x = 0; x < nWidth; ++x) {
            const size_t i = size_t(y) * size_t(nWidth) + size_t(x);
            const uint8_t* px = pRgb + i * 3;
            ZColor pix = MakeColor(px[0], px[1], px[2]);
            if (bLit && pMask[i])
                pix = BlendColour(c, pix, pMask[i]);
            pDst[i] = 0xFF000000u | uint32_t(Red(pix)) << 16 | uint32_t(Green(pix)) << 8 | uint32_t(Blue(pix));
        }
    }
}
