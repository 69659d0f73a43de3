// Value syntaxes built on INI strings: number lists, colours, colour lists,
// points and rectangles. Pure parsers; messages about bad values are the
// caller's (the options code), which knows the key.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/Types.h"

// Comma-separated numbers in radix 10 (optional sign) or 16 (optional 0x);
// stops at the first item that is not entirely a number, or at nCapacity items.
// Blanks around an item are allowed. A decimal item must fit int32; a
// hexadecimal one may use all 32 bits (0xFFFFFFFF is -1); a larger number ends
// the list like text does.
std::vector<int32_t> ParseNumberList(std::string_view text, int nRadix, size_t nCapacity);
// Mixed radix: item i is read in radixes[i]; the list ends with radixes.
std::vector<int32_t> ParseMixedList(std::string_view text, const std::vector<int>& radixes);

// R | G<<8 | B<<16, each component clamped to 0..255; missing components are 0.
// False, clr unchanged, when the first item is not a number.
bool ParseColor(std::string_view text, ZColor& clr);
// Up to nMax colours taken three numbers at a time; ends at the first all-zero
// colour or the first item that is not a number. Components are clamped; a last
// colour cut short gets 0 for its missing components.
std::vector<ZColor> ParseColorList(std::string_view text, size_t nMax);

// False unless the text is exactly two (four) decimal numbers and nothing else.
bool ParsePoint(std::string_view text, ZPoint& pt);
bool ParseRect(std::string_view text, ZRect& rc);
