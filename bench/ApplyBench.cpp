// The cost of a full apply to the emulated wired mouse, to the emulated pad
// and to the emulated RGB keyboard, with the real waits. The protocol's pauses (the gap between a command
// and its answer, the waits between steps) make a floor no implementation can
// go below; this program measures a full apply, sums the waits it asked the
// clock for, and prints the ratio of the two. What is above 1.0 is our own
// overhead. No threshold is checked here: the ratio is for people and for
// comparing runs.
//
//   apply_bench [RUNS]     (default 3)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <mutex>
#include <stop_token>
#include <unistd.h>

#include "core/Gvar.h"
#include "core/INoticeSink.h"
#include "core/ProfileRecord.h"
#include "core/StreamPrompt.h"
#include "core/Startup.h"
#include "device/ApplySnapshot.h"
#include "device/IClock.h"
#include "device/mirex/DevMirex.h"
#include "device/pad/DevPad.h"
#include "device/varorgb/DevVaroRGB.h"
#include "emu/EmuBackend.h"
#include "emu/mirex/EmuMirex.h"
#include "emu/pad/EmuPad.h"
#include "emu/varorgb/EmuVaroRgb.h"
#include "keys/MacroList.h"

namespace fs = std::filesystem;

namespace {

// The system clock, counting every wait asked of it.
class CCountingClock final : public IClock {
public:
    TimePoint Now() const override { return m_real.Now(); }
    void Sleep(Duration d) override
    {
        Count(d);
        m_real.Sleep(d);
    }
    bool SleepUnless(Duration d, std::stop_token stop) override
    {
        Count(d);
        return m_real.SleepUnless(d, stop);
    }
    Duration Asked() const
    {
        std::lock_guard lock(m_mtx);
        return m_asked;
    }
    void Reset()
    {
        std::lock_guard lock(m_mtx);
        m_asked = {};
    }

private:
    void Count(Duration d)
    {
        std::lock_guard lock(m_mtx);
        m_asked += d;
    }
    CSystemClock m_real;
    mutable std::mutex m_mtx;
    Duration m_asked{};
};

double Ms(IClock::Duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

// Runs a device's full apply nRuns times against the counting clock and
// prints each run and the best ratio; false when a run failed.
bool Measure(const char* pszWhat, int nRuns, CHidDev& dev, CCountingClock& clock, CEmuBackend& backend,
             const ProfileRecord& pro, uint32_t nFlags, bool bReset)
{
    const CMacroList none;
    double best = 0;
    for (int i = 0; i < nRuns; ++i) {
        auto snap = MakeApplySnapshot(pro, none, none, pSensorCfg, gVar.Ms.nMsSensor, g_nCurDpiLevel, g_nCurMode,
                                      bReset);
        backend.Journal()->Clear();
        clock.Reset();
        const auto t0 = std::chrono::steady_clock::now();
        const int nOk = dev.ApplySetting(*snap, nullptr, 0, nFlags, std::stop_token());
        const auto elapsed = std::chrono::steady_clock::now() - t0;
        const IClock::Duration floor = clock.Asked();
        if (!nOk) {
            std::cerr << "apply_bench: the apply to the " << pszWhat << " failed\n";
            return false;
        }
        const double ratio = Ms(floor) > 0 ? Ms(elapsed) / Ms(floor) : 0;
        best = i == 0 ? ratio : std::min(best, ratio);
        std::printf("%s, run %d: %zu transfers, %.1f ms elapsed, %.1f ms of waits asked for, ratio %.3f\n", pszWhat,
                    i + 1, backend.Journal()->Size(), Ms(elapsed), Ms(floor), ratio);
    }
    std::printf("full apply, %s: best ratio %.3f (1.000 = the waits alone)\n", pszWhat, best);
    return true;
}

int main(int argc, char** argv)
{
    const int nRuns = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

    // The demo installation, with a user folder of our own.
    const fs::path userRoot = fs::temp_directory_path() / ("zorvik-bench-" + std::to_string(::getpid()));
    CStreamPrompt prompt(std::cerr);
    StartupFolders folders;
    folders.appDir = fs::path(ZV_SOURCE_DIR) / "data";
    folders.userRoot = userRoot;
    folders.userDirOverride = userRoot / "user";
    folders.logDir = userRoot;
    if (!RunStartupDataSteps(folders, prompt) || gVar.nMsFw == 0 || (gVar.nMsFw & 0x0F) == 4 ||
        (gVar.nMsFw & 0x0F) == 5) {
        std::cerr << "apply_bench: the demo installation does not describe a wired mouse\n";
        fs::remove_all(userRoot);
        return 1;
    }

    CCountingClock clock;
    CEmuBackend backend;
    auto mouse = std::make_shared<CEmuMirex>(MirexConfigFor(gVar.Ms.nVID, gVar.Ms.nPID[0], gVar.Ms.nMsSensor), clock);
    backend.AddDevice(mouse);
    int rc = 0;
    {
        CImmediateNotices notices(prompt);
        CDevMirex dev(backend, clock, notices, gVar.nMsFw);
        if (dev.FindHIDDevice() != 1) {
            std::cerr << "apply_bench: the virtual mouse was not found\n";
            rc = 1;
        } else {
            dev.Publish(prompt);
        }
        ProfileRecord pro{};
        pro.dwMagic = kProfileMagic;
        pro.nID = 0x00B00001;
        dev.FillDefault(pro);
        if (rc == 0 && !Measure("wired mouse (reset)", nRuns, dev, clock, backend, pro,
                                kApplyFullMouse & ~kApplyOsPointer, /*bReset=*/true))
            rc = 1;

        // The pad of the same installation, when it has one.
        if (rc == 0 && gVar.nPadFw == pad::kPadFw) {
            backend.AddDevice(std::make_shared<CEmuPad>(PadConfigFor(gVar.Pad.nVID, gVar.Pad.nPID), clock));
            CDevPad pad(backend, clock, notices, gVar.nPadFw);
            pad.FillDefault(pro);
            if (pad.FindHIDDevice() != 1) {
                std::cerr << "apply_bench: the virtual pad was not found\n";
                rc = 1;
            } else if (!Measure("pad", nRuns, pad, clock, backend, pro, kApplyFullKbPad, false)) {
                rc = 1;
            }
        }

        // The RGB keyboard of the same installation, when it has one.
        if (rc == 0 && gVar.nKbFw == 22) {
            backend.AddDevice(std::make_shared<CEmuVaroRgb>(VaroRgbConfigFor(gVar), clock));
            CDevVaroRGB kb(backend, clock, notices, gVar.nKbFw);
            kb.FillDefault(pro);
            if (kb.FindHIDDevice() != 1) {
                std::cerr << "apply_bench: the virtual keyboard was not found\n";
                rc = 1;
            } else if (!Measure("keyboard (type 22)", nRuns, kb, clock, backend, pro, kApplyFullKbPad, false)) {
                rc = 1;
            }
        }
    }
    for (const std::string& v : backend.Violations()) {
        std::cerr << "apply_bench: protocol rule broken: " << v << '\n';
        rc = 1;
    }
    std::error_code ec;
    fs::remove_all(userRoot, ec);
    return rc;
}
