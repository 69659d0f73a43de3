// Small value types shared by the records: points, rectangles and colours as
// they appear in cfg.ini and in the interface layout.
#pragma once

#include <cstdint>

// A colour is R | G<<8 | B<<16 everywhere in records, files and messages.
using ZColor = uint32_t;
constexpr ZColor MakeColor(uint8_t r, uint8_t g, uint8_t b) { return ZColor(r) | ZColor(g) << 8 | ZColor(b) << 16; }

struct ZPoint { int32_t x = 0, y = 0; };
struct ZRect { int32_t left = 0, top = 0, right = 0, bottom = 0; };

static_assert(sizeof(ZPoint) == 8 && sizeof(ZRect) == 16);
