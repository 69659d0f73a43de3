#include "lighting/ColorMath.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace colormath {

namespace {

uint32_t FromRgbHex(uint32_t rgb) { return Pack(int(rgb >> 16 & 0xFF), int(rgb >> 8 & 0xFF), int(rgb & 0xFF)); }

// Hue 0..1, saturation 0..1, value 1.
uint32_t FromHsv(double h, double s)
{
    h = h - std::floor(h);
    s = std::clamp(s, 0.0, 1.0);
    const double h6 = h * 6.0;
    const int i = int(h6) % 6;
    const double f = h6 - std::floor(h6);
    const double v = 1.0, p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    double r = 0, g = 0, b = 0;
    switch (i) {
    case 0: r = v, g = t, b = p; break;
    case 1: r = q, g = v, b = p; break;
    case 2: r = p, g = v, b = t; break;
    case 3: r = p, g = q, b = v; break;
    case 4: r = t, g = p, b = v; break;
    default: r = v, g = p, b = q; break;
    }
    auto ch = [](double x) { return int(std::lround(x * 255.0)); };
    return Pack(ch(r), ch(g), ch(b));
}

}  // namespace

bool OnWheel(double dx, double dy, double r) { return r > 0 && dx * dx + dy * dy <= r * r; }

uint32_t WheelColour(double dx, double dy, double r)
{
    if (r <= 0) return Pack(255, 255, 255);
    double hue = std::atan2(-dy, dx) / (2 * std::numbers::pi);
    if (hue < 0) hue += 1;
    return FromHsv(hue, std::hypot(dx, dy) / r);
}

void WheelPoint(uint32_t clr, double r, double& dx, double& dy)
{
    const double R = Red(clr) / 255.0, G = Green(clr) / 255.0, B = Blue(clr) / 255.0;
    const double mx = std::max({R, G, B}), mn = std::min({R, G, B});
    const double d = mx - mn;
    double h = 0;
    if (d > 0) {
        if (mx == R) h = std::fmod((G - B) / d, 6.0);
        else if (mx == G) h = (B - R) / d + 2;
        else h = (R - G) / d + 4;
        h /= 6;
        if (h < 0) h += 1;
    }
    const double s = mx > 0 ? d / mx : 0;
    const double a = h * 2 * std::numbers::pi;
    dx = std::cos(a) * s * r;
    dy = -std::sin(a) * s * r;
}

Typed ParseChannel(std::string_view text)
{
    Typed t;
    const size_t a = text.find_first_not_of(' ');
    if (a == std::string_view::npos) return t;  // empty: 0
    text = text.substr(a, text.find_last_not_of(' ') - a + 1);
    long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return Typed{0, false};
        v = std::min(999999999L, v * 10 + (c - '0'));
    }
    t.value = int(v);
    return t;
}

int ClampChannel(std::string_view text, bool& corrected, bool& ok)
{
    const Typed t = ParseChannel(text);
    ok = t.ok;
    corrected = t.ok && t.value > 255;
    return t.ok ? std::min(t.value, 255) : 0;
}

uint32_t PaletteColour(int index)
{
    static const uint32_t kRgb[kPaletteCount] = {
        0xFFFFFF, 0xFFC0C0, 0xFFE0C0, 0xFFFFC0, 0xC0FFC0, 0xC0FFFF, 0xC0C0FF, 0xFFC0FF,
        0xE0E0E0, 0xFF8080, 0xFFE080, 0xFFFF80, 0x80FF80, 0x80FFFF, 0x8080FF, 0xFF80FF,
        0xC0C0C0, 0xFF0000, 0xFFC000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF, 0xFF69B4,
        0x808080, 0xC00000, 0xFF8000, 0xC0C000, 0x00C000, 0x00C0C0, 0x0000C0, 0xC000C0,
        0x404040, 0x800000, 0x804000, 0x808000, 0x008000, 0x008080, 0x000080, 0x800080,
    };
    return FromRgbHex(kRgb[std::clamp(index, 0, kPaletteCount - 1)]);
}

uint32_t GradientColour(double t)
{
    struct Stop {
        double at;
        uint32_t rgb;
    };
    static const Stop kStops[] = {{0, 0x0000FF},    {0.15, 0x670874}, {0.30, 0xFF0080}, {0.45, 0xFF8000},
                                  {0.60, 0xFFFF00}, {0.75, 0x00FF00}, {1.0, 0xFF0000}};
    t = std::clamp(t, 0.0, 1.0);
    for (size_t i = 1; i < std::size(kStops); ++i) {
        if (t <= kStops[i].at) {
            const Stop& a = kStops[i - 1];
            const Stop& b = kStops[i];
            const double f = (t - a.at) / (b.at - a.at);
            auto ch = [&](int shift) {
                const int x = int(a.rgb >> shift & 0xFF), y = int(b.rgb >> shift & 0xFF);
                return int(std::lround(x + (y - x) * f));
            };
            return Pack(ch(16), ch(8), ch(0));
        }
    }
    return FromRgbHex(kStops[std::size(kStops) - 1].rgb);
}

}  // namespace colormath
