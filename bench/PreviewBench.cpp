// The cost of the keyboard preview: the effect engine stepping 132 key slots
// 30 times a second, as the keyboard view's timer does.
//
// For each effect the program runs SECONDS of animation in real time (a frame
// every 1/30 s, sleeping in between) and measures the process CPU time with
// getrusage; the same span with the frames left out, measured in the same run
// just before, is the idle reference. It prints the CPU share of one core of
// both and the ratio busy / idle; it checks nothing.
//
//   preview_bench [SECONDS]    (default 1 second per effect)
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "lighting/EffectUnitEngine.h"

namespace {

double CpuSeconds()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) + double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

// 132 slots in rows of 22 keys 40 pixels apart, with the key codes of the
// built-in columns spread over them so that the unit effects find their keys.
std::vector<LightSlot> Keyboard132()
{
    std::vector<LightSlot> slots(132);
    std::vector<uint8_t> codes;
    for (const EffectUnit& u : BuiltInUnits(UnitSet::Stream)) codes.insert(codes.end(), u.vks.begin(), u.vks.end());
    for (size_t i = 0; i < slots.size(); ++i) {
        LightSlot& s = slots[i];
        s.left = int(i % 22) * 40, s.top = int(i / 22) * 40;
        s.right = s.left + 38, s.bottom = s.top + 38;
        s.nVk = i < codes.size() ? codes[i] : uint8_t(0);
    }
    return slots;
}

// CPU seconds over `seconds` of real time at 30 frames a second; step runs
// each frame (or nothing for the idle reference).
template <typename F>
double Run(double seconds, F step)
{
    using clock = std::chrono::steady_clock;
    const auto frame = std::chrono::microseconds(1000000 / 30);
    const int frames = int(seconds * 30);
    const double c0 = CpuSeconds();
    auto next = clock::now();
    for (int i = 0; i < frames; ++i) {
        step();
        next += frame;
        std::this_thread::sleep_until(next);
    }
    return CpuSeconds() - c0;
}

}  // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 1.0;
    if (seconds <= 0) {
        std::fprintf(stderr, "usage: preview_bench [SECONDS]\n");
        return 2;
    }
    const UnitLibrary lib = BuiltInUnitLibrary();
    std::printf("%-6s %12s %12s %8s\n", "effect", "idle %core", "busy %core", "ratio");
    for (int code : {2, 3, 5, 7, 13, 14, 16, 21, 22, 28, 30, 37}) {
        CEffectEngine engine(lib);
        std::vector<LightSlot> slots = Keyboard132();
        EffectSettings s;
        s.code = code, s.speed = 5, s.colourful = true;
        engine.Start(s, slots);
        const double idle = Run(seconds, [] {});
        const double busy = Run(seconds, [&] { engine.Step(slots); });
        const double ratio = idle > 0 ? busy / idle : 0.0;
        std::printf("%-6d %11.3f%% %11.3f%% %8.2f%s\n", code, 100 * idle / seconds, 100 * busy / seconds, ratio,
                    idle > 0 ? "" : " (idle below the clock's resolution)");
    }
    return 0;
}
