// The music effects: from the band levels to one frame of key colours. Each
// call of MusicStep is one loop of the effect thread (30 ms apart); what an
// effect carries from one loop to the next (a falling level, a history, a
// circle, the colour wave) is in MusicEffectState, whose random numbers come
// from a seeded generator, so a run is the same for the same input.
//
// The frame holds three bytes per LED 0..125; within a triple red, green and
// blue go to the positions rgbIndex names (the keyboard's RGBIndex).
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "lighting/MusicKeys.h"
#include "lighting/MusicSettings.h"
#include "lighting/SoundBands.h"

using MusicFrame = std::array<uint8_t, kMusicFrameBytes>;
using RgbIndex = std::array<uint8_t, 3>;

enum MusicMode : int {
    kMusicBars = 0,     // audiobar.txt, bar i shows band i
    kMusicFlower,       // flower.txt, rings out from the centre with band 0
    kMusicKeyRows,      // the six key rows show bands 0..5
    kMusicPulse,        // every key with band 1 (or 11)
    kMusicHistory,      // audiobar.txt, bar i shows band 0 of i steps earlier
    kMusicSplashes,     // circles on beats, squares between them
    kMusicHappy,        // the first four bars of happy.txt
    kMusicDashes,       // dashes running along the rows
    kMusicSpread,       // rows lit from their middle outwards
    kMusicWave,         // a sine wave across the keyboard
};

// The key groups of the ET files an effect uses.
struct MusicGroups {
    EtUnits stream, flower;
    EtBars audiobar, happy;
};

// Reads the files mode nMode needs from etDir; the names of those that gave
// nothing go to pMissing ("flower", "stream", "audiobar").
MusicGroups LoadMusicGroups(const std::filesystem::path& etDir, const MusicLayout& layout, int nMode,
                            std::vector<std::string>* pMissing);

struct MusicEffectState {
    explicit MusicEffectState(uint32_t nSeed = 1) : rng(nSeed) {}
    std::mt19937 rng;
    uint64_t nLoop = 0;
    int nSilent = 0;                    // loops in a row with every level 0
    int nAnimStep = 0;                  // steps of the colour wave
    std::array<uint32_t, kMusicLeds> anim{};  // the wave's colour of every LED
    int nFlower = 0;                    // falling level of the flower
    int nHeld = 0;                      // pulse: held level and its colour
    uint32_t clrHeld = 0;
    std::array<int, kEtMaxBars> history{};
    int nPrev0 = 0, nPrev1 = 0;         // band 0 and 1 of the last loop (beats)
    bool bArmed0 = true, bArmed1 = true;
    struct Circle { bool bOn = false; int x = 0, y = 0, r = 0, rMax = 0; uint32_t clr = 0; } circle;
    struct Dash { bool bOn = false; int nStart = 0, nLen = 0, nLit = 0, nKind = 1; };
    std::array<Dash, kMusicRows> dashes{};
    int nFlash = 0;                     // frames left of a beat's flash or blank
    uint32_t clrFlash = 0;
    std::array<int, kMusicRows> sweep{};  // spread: keys out from the middle, 0 idle
    int nPhase = 360;                   // wave phase in degrees
};

// One loop: clears the frame and draws it. False when this loop sends
// nothing (the silence rule, or a loop the effect skips).
bool MusicStep(MusicEffectState& st, const MusicLayout& layout, const MusicGroups& groups, const MusicSettings& s,
               const RgbIndex& rgbIndex, const BandLevels& levels, MusicFrame& frame);

// The colour of the wave for unit u of nUnits at nStep, for the stream
// (bFlower false) or the flower wave. R | G<<8 | B<<16.
uint32_t WaveColour(bool bFlower, int u, int nUnits, int nStep);
// Each channel of clr times f (0..1).
uint32_t Dim(uint32_t clr, double f);
