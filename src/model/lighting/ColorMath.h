// The arithmetic of the colour pickers, apart from any window: colours as
// R | G<<8 | B<<16, the colour wheel (hue round the circle counter-clockwise
// from the right, white in the middle, full value at the rim) and the typed
// red, green and blue values.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace colormath {

constexpr uint32_t Pack(int r, int g, int b) { return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16; }
constexpr int Red(uint32_t c) { return int(c & 0xFF); }
constexpr int Green(uint32_t c) { return int(c >> 8 & 0xFF); }
constexpr int Blue(uint32_t c) { return int(c >> 16 & 0xFF); }

// Whether (dx, dy) from the wheel's centre (dy down) lies on a wheel of radius r.
bool OnWheel(double dx, double dy, double r);
// The colour the wheel shows at (dx, dy); a point past the rim takes the rim's
// colour in its direction.
uint32_t WheelColour(double dx, double dy, double r);
// Where the wheel shows the colour nearest to clr (its hue and saturation; the
// value is not on the wheel): the offset from the centre, dy down.
void WheelPoint(uint32_t clr, double r, double& dx, double& dy);

// A typed channel value. Empty counts as 0. Text that is not a whole decimal
// number is refused (ok false). The number itself is kept (up to 9 digits; more
// count as 999999999) so that each caller applies its own rule above 255.
struct Typed {
    int value = 0;
    bool ok = true;
};
Typed ParseChannel(std::string_view text);

// The panel's rule: a value above 255 is corrected to 255 on the spot. Returns
// the value to use (0..255) and sets corrected when the text must become "255".
int ClampChannel(std::string_view text, bool& corrected, bool& ok);

// The RGB editor's palette: 40 colours, 5 rows of 8, row by row.
uint32_t PaletteColour(int index);
constexpr int kPaletteCount = 40;
// The RGB editor's gradient strip at t in 0..1 (clamped).
uint32_t GradientColour(double t);

}  // namespace colormath
