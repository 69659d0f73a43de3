// The keyboard preview: turns an effect code, speed, brightness, colour and
// the colourful flag into an effect and colours the key slots of the keyboard
// view frame by frame. Nothing here is sent to a device. A frame is a pure
// function of the unit library, the settings (random effects draw from a
// generator seeded by the settings) and the number of steps taken.
#pragma once

#include <array>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "lighting/EffectUnitFile.h"

// One key slot of the keyboard view: colour R | G<<8 | B<<16, the level at
// which it is drawn (0 = dark; may go below 0, drawn dark), the key code it
// shows (0 = empty) and its rectangle on the picture.
struct LightSlot {
    uint32_t clr = 0;
    int nLevel = 0;
    uint8_t nVk = 0;
    int left = 0, top = 0, right = 0, bottom = 0;
};

struct EffectSettings {
    int code = 0;        // effect code of the mode
    int speed = 0;       // speed value, clamped to the tables
    int bright = 4;      // brightness value, clamped to the tables
    uint32_t clr = 0x0000FF;
    bool colourful = false;
    int respireType = 0;  // KB RespireType
    uint32_t seed = 1;
};

// Colour helpers: each channel × level / 10; linear blend of each channel,
// step of steps (truncated toward zero; steps <= 0 gives the first colour).
uint32_t ScaleColor(uint32_t clr, int level);
uint32_t BlendColor(uint32_t from, uint32_t to, int steps, int step);

// Brightness value → ScaleColor level: 0 → 0, 1 → 4, 2 → 6, 3 → 8, else 10.
int BrightLevel(int bright);

// The slot showing a key, -1 when the key is not on the view. The left-hand
// Shift, Ctrl and Alt also find the generic codes the key table stores.
int FindSlot(const std::vector<LightSlot>& slots, uint8_t vk);

// A colour sweep over units of keys.
struct WaveProgram {
    struct Unit {
        std::vector<int> slots;  // slots of the unit's keys found on the view
        int nPhase = 0;
    };
    std::array<uint32_t, 6> clrWave{};
    int nWaveColors = 0;
    int nHold = 0, nFade = 0, nCycle = 0;
    int nPeriod = 0;
    int nUnitLevel = 0;
    std::vector<Unit> units;
    bool valid = false;
};

// Lays out the wave: refuses (returns false, wave unchanged) more than 25
// units, no unit, no colour, or a hold or fade that is not a multiple of the
// period. The phase step between neighbours is (hold + fade) × factor / units.
bool BuildWave(WaveProgram& w, std::vector<WaveProgram::Unit> units, const std::vector<uint32_t>& colours,
               int period, int hold, int fade, double factor, bool forward);

// One wave frame: every unit's keys take the unit's colour at the unit level.
void WaveFrame(WaveProgram& w, std::vector<LightSlot>& slots);

// The running light's path through the units: row 0 left to right, row 1
// back, ..., then up again through the rows between the last and the first.
std::vector<uint8_t> PaomaPath(const std::vector<EffectUnit>& rows);

// Where a key's outline lies against the diamond |x − cx| + |y − cy| <= r:
// outside, on its edge (partly inside, partly outside) or inside.
enum class DiamondSide { Outside, Edge, Inside };
DiamondSide KeyInDiamond(const LightSlot& k, double cx, double cy, double r);

class CEffectEngine {
public:
    explicit CEffectEngine(UnitLibrary units) : m_units(std::move(units)) {}

    // Clears the view and starts the effect with its first frame. An effect
    // code without a preview plays the empty effect (all keys dark).
    void Start(const EffectSettings& s, std::vector<LightSlot>& slots);
    // One frame.
    void Step(std::vector<LightSlot>& slots);

    // A key pressed while the key-capturing effects (17, 18, 19, 20, 24) run.
    void Press(uint8_t vk, std::vector<LightSlot>& slots);

    int Type() const { return m_type; }
    // Frame period in ms; 0 = a still picture.
    int Period() const { return m_period; }

private:
    uint32_t Palette(int n);
    void FrameStatic(std::vector<LightSlot>& slots);
    void FrameBreathing(std::vector<LightSlot>& slots);
    void FramePaoma(std::vector<LightSlot>& slots);
    void FrameTwinkle(std::vector<LightSlot>& slots);
    void FrameShimmer(std::vector<LightSlot>& slots);
    void FrameBreath(std::vector<LightSlot>& slots);
    void FrameSparks(std::vector<LightSlot>& slots);
    void FrameReactive(std::vector<LightSlot>& slots);
    void FrameGap(std::vector<LightSlot>& slots);
    void FrameDrops(std::vector<LightSlot>& slots);
    void FramePingPong(std::vector<LightSlot>& slots);
    void FrameSine(std::vector<LightSlot>& slots);
    void FrameSequence(std::vector<LightSlot>& slots);
    void FrameStream(std::vector<LightSlot>& slots);
    void FrameBands(std::vector<LightSlot>& slots);
    uint32_t DiamondColour();
    void FrameCross(std::vector<LightSlot>& slots);
    void FrameDiamond(std::vector<LightSlot>& slots);
    void FrameTriangle(std::vector<LightSlot>& slots);
    void FrameRing(std::vector<LightSlot>& slots);
    void FrameSweep(std::vector<LightSlot>& slots);
    void FrameUnitsDiamond(std::vector<LightSlot>& slots);
    bool KeyBox(const std::vector<LightSlot>& slots);
    std::vector<WaveProgram::Unit> UnitsOnView(const std::vector<EffectUnit>& units,
                                               const std::vector<LightSlot>& slots) const;
    std::vector<WaveProgram::Unit> RowsOnView(const std::vector<LightSlot>& slots) const;

    UnitLibrary m_units;
    EffectSettings m_s;
    int m_type = 0;
    int m_period = 0;
    int m_level = 10;  // ScaleColor level
    std::mt19937 m_rng;
    uint32_t m_lastDraw = 0xFFFFFFFF;
    WaveProgram m_wave;
    // Breathing, paoma, twinkle, shimmer, breath, sparks.
    std::vector<uint32_t> m_colours;
    int m_colourIndex = 0;
    int m_breathLevel = 5;
    bool m_rising = true;
    std::vector<int> m_path;  // slots of the running light
    size_t m_pathPos = 0;
    std::vector<int> m_phases;
    int m_startLevel = 0, m_decay = 0;
    // Falling drops and ping-pong rows: slots per column or row, a position
    // each (-1: idle) and, for the rows, a direction.
    std::vector<std::vector<int>> m_lines;
    std::vector<int> m_linePos, m_lineDir;
    // Sine wave: the keys' box and the phase in degrees.
    int m_x0 = 0, m_yc = 0, m_amp = 0, m_sineN = 360, m_phase = 360;
    double m_xstep = 0;
    // Unit sequence: frames each line stays, the line shown, frames left on it.
    std::vector<int> m_lineFrames;
    size_t m_seq = 0;
    int m_seqLeft = 0;
    // Stream: time in the cycle, hold, fade, dark, stagger, direction.
    int m_t = 0, m_hold = 0, m_fade = 0, m_dark = 50, m_stagger = 0;
    bool m_reverse = false;
    // Closing bands: the keys' left and right edge, the band width, the left
    // band's offset from the left edge and its step (negative: apart).
    double m_boxL = 0, m_boxR = 0, m_band = 0, m_bandOff = 0, m_bandStep = 0, m_firstW = 0;

    // Reactive cross: the rows and columns as slots, and the runners started
    // by key presses (at most 10): a row and its place in it, a column and its
    // place in it, and how far the light has gone from the start.
    struct Runner {
        int row = -1, rowPos = 0, col = -1, colPos = 0, dist = 0;
    };
    std::vector<std::vector<int>> m_crossRows, m_crossCols;
    std::vector<Runner> m_runners;
    // Diamonds (reactive, ring, units then diamond) and the triangle: the
    // centre, the half-diagonal or leg, the growth per frame of the reactive
    // one and whether it is running; its six colours are in m_colours.
    double m_dx = 0, m_dy = 0, m_dr = 0;
    int m_dStep = 15;
    bool m_dActive = false;
    // Triangle sweep and units then diamond: the keys' box, the corner the
    // triangle grows from (0 top-left, 1 top-right) and the phase.
    double m_boxT = 0, m_boxB = 0;
    int m_corner = 0, m_phaseNo = 0;
    // Ring path: the inner path's slots, frames into the inner path and the
    // dark frames left of the pause.
    std::vector<int> m_inner;
    int m_frameNo = 0, m_pauseLeft = 0;
    // Column sweep: the unit that blinks.
    size_t m_target = 0;

public:
    // The closing bands' step per frame, in pixels.
    double BandStep() const { return m_bandStep; }

private:
};
