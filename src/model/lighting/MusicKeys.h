// The keys music lighting draws on: the keyboard's keys with their LED index
// and place (from the key table), the six rows, and the key groups of the
// effect files in the ET folder. Reading those files is the one place that
// checks them: a key name that names no key, a key without a light or one
// whose LED lies past the frame is dropped, and a file that is missing or
// holds nothing gives an empty group list and a log line, never an index past
// a buffer.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "keys/KeyInfo.h"

constexpr int kMusicLeds = 126;             // LED indexes 0..125
constexpr size_t kMusicFrameBytes = 378;    // three bytes per LED
constexpr int kMusicRows = 6;               // function keys, digits, Q, A, X, space
constexpr int kEtMaxUnits = 25;             // units of a colour wave (stream_h.txt, flower.txt)
constexpr int kEtMaxUnitKeys = 30;
constexpr int kEtMaxBars = 30;              // bars of audiobar.txt, happy.txt
constexpr int kEtMaxSegments = 8;
constexpr int kEtMaxSegmentKeys = 8;

struct MusicKey {
    int nLed = 0;
    ZRect rc{};
    uint8_t vk = 0;       // the key's own code (a modifier key by its sided code)
};

struct MusicLayout {
    std::vector<MusicKey> keys;                      // lit keys only
    ZRect bounds{};                                  // around every key
    int nKeyHeight = 0;
    std::array<std::vector<int>, kMusicRows> rows;   // LED indexes, left to right
    // The LED of a key code, -1 when no key has it. Generic and left Shift,
    // Ctrl and Alt name the same key.
    int LedOfVk(uint8_t vk) const;
    // The LED of the key under a point, -1 when none.
    int LedAt(int x, int y) const;
};

// The layout of a key table (g_defKEY): keys with a key function and an LED
// index 0..125. The rows are the keys level with F1, 1, Q, A, X and Space.
MusicLayout MakeMusicLayout(std::span<const KeyInfo> keys);

using LedGroup = std::vector<int>;  // LED indexes

// stream_h.txt, flower.txt: one unit per line, key names separated by ",".
struct EtUnits {
    bool bLoaded = false;
    std::vector<LedGroup> units;
};
// audiobar.txt, happy.txt: one bar per line, segments separated by ":", each a
// list of key names separated by ","; segment 1 lights first.
struct EtBars {
    bool bLoaded = false;
    std::vector<std::vector<LedGroup>> bars;
};

// Lines that are empty or begin with ";" are skipped; unknown names are
// logged and dropped. bLoaded is false (and a line logged) when the file
// cannot be read or gives no group at all.
EtUnits ReadEtUnits(const std::filesystem::path& file, const MusicLayout& layout);
EtBars ReadEtBars(const std::filesystem::path& file, const MusicLayout& layout);
