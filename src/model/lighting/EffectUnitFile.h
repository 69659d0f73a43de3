// Key groups ("units") of the keyboard preview effects, read from the text
// files of the Cartoon folder beside the program, with built-in units for a
// 104-key keyboard when a file is missing or yields nothing.
//
// A unit file holds one unit per line, in file order:
//     ; a comment (also an empty line)
//     esc, ~, tab, caps : 255,0,0
// The key list is comma-separated key words (KeyWordToVk); unknown words are
// dropped, at most kUnitKeyMax keys are kept. The optional colour after the
// colon is R,G,B in decimal and is stored as R | G<<8 | B<<16. A line without a
// known key is no unit; at most kUnitFileMax units are read.
//
// Reading is the one place that checks these files: every unit handed out has
// 1..kUnitKeyMax keys with non-zero codes, and every colour channel is in
// 0..255. Problems are collected as text for the caller to show once.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

constexpr int kUnitKeyMax = 30;
constexpr int kUnitFileMax = 30;

struct EffectUnit {
    std::vector<uint8_t> vks;  // 1..kUnitKeyMax key codes
    uint32_t clr = 0;          // R | G<<8 | B<<16
    bool hasClr = false;
};

struct UnitFileResult {
    std::vector<EffectUnit> units;
    std::vector<std::string> problems;  // messages for the user, shown once
};

// Parses the text of a unit file; name is used in the messages.
UnitFileResult ParseUnitText(std::string_view text, std::string_view name);

// Reads a unit file. A missing or unreadable file gives no units and no
// problem; the caller then takes the built-in units.
UnitFileResult ReadUnitFile(const std::filesystem::path& path);

// Fills the units without a colour by blending between the coloured units
// around them. Needs the first and the last unit coloured: when one is not,
// returns false with the units otherwise filled (an uncoloured end stays 0).
bool FillUnitColours(std::vector<EffectUnit>& units);

// The unit sets the effects use.
enum class UnitSet { Fixon, Paoma, Stream, Flower, Rotate, Wheel, Perfect, Windmill, Breath, Count };

// File name of a set in the Cartoon folder ("fixon_unit.txt", ...). Breath
// first tries "breath2_unit.txt", then this name.
const char* UnitFileName(UnitSet set);

// The built-in units of a set. nKbLayout 2 or 3 swaps Y and Z in the stream
// columns.
std::vector<EffectUnit> BuiltInUnits(UnitSet set, int nKbLayout = 0);

// All unit sets of one Cartoon folder, read once. A set whose file is missing
// or yields no unit has the built-in units; the fixon and breath sets get their
// missing colours filled.
struct UnitLibrary {
    std::vector<EffectUnit> sets[int(UnitSet::Count)];
    std::vector<std::string> problems;

    const std::vector<EffectUnit>& Get(UnitSet s) const { return sets[int(s)]; }
};

UnitLibrary LoadUnitLibrary(const std::filesystem::path& cartoonDir, int nKbLayout = 0);
UnitLibrary BuiltInUnitLibrary(int nKbLayout = 0);
