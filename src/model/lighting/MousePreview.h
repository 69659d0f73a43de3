// The lighting preview of the mouse picture: small programs that the LED page
// builds and the picture steps on a timer. Each step fills an output of
// colours (one for the whole lit area, or one per band of picture rows); the
// picture then lays that colour over its lit pixels through the mask alpha.
// Plain C++: the window only keeps the timer and draws the result.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/Types.h"

enum class PreviewType : int32_t { Off = 0, Static = 1, Cycle = 2, Breathe = 3, Blink = 4, Flow = 5, Sweep = 8, Rotate = 9 };

struct PreviewProgram {
    PreviewType type = PreviewType::Off;
    int32_t nPeriod = 0;             // ms between steps; 0: one step only
    std::vector<ZColor> colours;     // the program's colour list
    int32_t nIndex = 0;              // current colour (breathe, blink, sweep) or rotation index
    // cycle
    int32_t nCycleSteps = 200, nCounter = 0;
    // breathe
    bool bBrightening = false;
    int32_t nLow = 20, nHigh = 255, nLevel = 255;
    // banded programs (flow, sweep, rotate)
    int32_t nRowsPerBand = 3, nBands = 146;
    // flow
    std::vector<int32_t> phases;     // one per band
    int32_t nFlowCycle = 1000, nPhaseStep = 0;
    // sweep
    int32_t nFadeLen = 420;
    int32_t nSweepDir = 2;           // 2: the head runs up from band 0; 1: down from the last band
    bool bBounce = false;
    int32_t nStep = 0, nHead = 0, nFadeOffset = 0;
    // rotate
    int32_t nSpan = 420, nRotateDir = 1;
};

// Colour operations (red in the low byte).
ZColor ScaleColour10(ZColor c, int nLevel);
ZColor ScaleColour255(ZColor c, int nLevel);
// The colour at position of a gradient through the colours spread over span;
// positions at or beyond the span take the last colour.
ZColor InterpolateColour(const ZColor* pColours, int n, double dSpan, double dPos);
// a/255 of the colour over the pixel.
ZColor BlendColour(ZColor c, ZColor pixel, int a);

// The builders; speed is the speed index 1..3, brightness in tenths 1..10.
PreviewProgram MakeOffProgram();
PreviewProgram MakeStaticProgram(ZColor c, int nBright);
PreviewProgram MakeCycleProgram(const std::array<ZColor, 7>& colours, int nSpeed);
PreviewProgram MakeBreatheProgram(const std::vector<ZColor>& colours, int nSpeed);
PreviewProgram MakeBlinkProgram(ZColor c1, ZColor c2, int nSpeed, int nBright);
PreviewProgram MakeFlowProgram(const std::array<ZColor, 7>& colours, int nDirection, int nBright, int nStep);
PreviewProgram MakeSweepProgram(const std::vector<ZColor>& colours, int nBright, int nStep, bool bBounce);
PreviewProgram MakeRotateProgram(const std::array<ZColor, 7>& colours, int nBright, int nSpeed);

// The fixed colour list of the cycle, flow and rotate previews.
const std::array<ZColor, 7>& PreviewFixedColours();
// The brightness index of an LED mode (1..4) in tenths.
int PreviewBrightTenths(int nBrightIndex);

// What the mouse LED page previews for its current mode.
struct MouseLedPreviewInput {
    int nPreviewCode = 0;        // the LED option's preview code
    int nEffectId = 0;           // the device mode number
    int nMsKind = 0;             // low four bits of the mouse firmware type
    int nSpeed = 0;              // speed index 1..3
    int nBrightIndex = 0;        // brightness index 1..4
    std::vector<ZColor> colours; // the visible colour buttons (up to 10)
    bool bDirection2 = false;    // the direction switch is on
    std::array<ZColor, 7> tailColours{};  // the sweep colours of the mouse
    int nLedModeIndex = 0;       // the current LED mode index
};
PreviewProgram MakeMouseLedPreview(const MouseLedPreviewInput& in);

// A running preview: a copy of the program and its output.
class CMousePreview {
public:
    static constexpr int kOutSize = 500;

    // Starts a program and performs its first step.
    void Run(const PreviewProgram& prog);
    void Stop();
    // One step; false when nothing changed (paused, no program).
    bool Step();
    void SetPaused(bool b) { m_bPaused = b; }
    bool Paused() const { return m_bPaused; }

    bool Running() const { return m_bRunning; }
    const PreviewProgram& Program() const { return m_prog; }
    const std::array<ZColor, kOutSize>& Out() const { return m_out; }
    // The colour the lit pixels of a picture row take now.
    ZColor RowColour(int nRow) const;
    // Lays the preview over an RGB picture (3 bytes a pixel) through the
    // mask (one alpha byte a pixel), into 0xAARRGGBB pixels of the same size.
    // Without a running program the picture is copied unchanged.
    void Compose(const uint8_t* pRgb, const uint8_t* pMask, int nWidth, int nHeight, uint32_t* pDst) const;

private:
    void StepSweep();

    PreviewProgram m_prog;
    std::array<ZColor, kOutSize> m_out{};
    bool m_bRunning = false;
    bool m_bPaused = false;
};
