// The music effect thread: every 30 ms it takes the meter's smoothed levels,
// draws one frame with the chosen effect and sends it to the keyboard. It
// runs while music lighting is on; Stop ends it within one loop, joins it and
// (as its last act, on its own thread, so that no frame can follow) has the
// keyboard show its own lighting again when a frame was sent since the last
// restore and the keyboard is still there.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <span>
#include <stop_token>
#include <string>
#include <thread>

#include "lighting/MusicEffects.h"
#include "lighting/PeakMeter.h"

// Where the frames go: the keyboard behind the device hub in the program, a
// recorder in tests. Called on the effect thread.
class IMusicOutput {
public:
    virtual ~IMusicOutput() = default;
    // A keyboard that takes music frames is attached.
    virtual bool Present() = 0;
    // An apply is writing to the keyboard: frames wait.
    virtual bool Paused() = 0;
    virtual bool SendFrame(std::span<const uint8_t> frame) = 0;
    // The keyboard shows its own lighting again.
    virtual bool Restore() = 0;
};

struct MusicRunnerCfg {
    MusicLayout layout;
    RgbIndex rgbIndex{2, 1, 0};
    std::filesystem::path etDir;
    bool bGoWithNoDev = false;          // draw (and count frames) with no keyboard
    uint32_t nSeed = 1;
    std::chrono::milliseconds period{30};
    std::chrono::milliseconds idle{300};  // between looks for a keyboard
};

class CMusicRunner {
public:
    CMusicRunner(const CPeakMeter& meter, IMusicOutput& out, MusicRunnerCfg cfg);
    ~CMusicRunner();
    CMusicRunner(const CMusicRunner&) = delete;
    CMusicRunner& operator=(const CMusicRunner&) = delete;

    // Taken at the next loop; a change of effect, colour choice or colour
    // reloads the key groups and starts the effect afresh.
    void SetSettings(const MusicSettings& s);
    // Told (on the effect thread, must not block) the first time an effect
    // file gives nothing: "flower", "stream" or "audiobar".
    void SetMissingFileCallback(std::function<void(const std::string&)> fn);

    // Starts the thread; nothing when it runs.
    void Start();
    // Ends and joins the thread (which restores the keyboard's lighting).
    void Stop();
    bool Running() const { return m_thread.joinable(); }

    uint64_t FramesSent() const { return m_nSent.load(); }
    uint64_t FramesRefused() const { return m_nRefused.load(); }
    int Restores() const { return m_nRestores.load(); }
    // The steady-clock time the last frame was handed to the output.
    std::chrono::steady_clock::time_point LastSendTime() const;

private:
    void Run(std::stop_token stop);
    bool Wait(std::stop_token stop, std::chrono::steady_clock::time_point until);

    const CPeakMeter& m_meter;
    IMusicOutput& m_out;
    const MusicRunnerCfg m_cfg;
    mutable std::mutex m_mtx;   // guards the settings, the callback and the wait
    std::condition_variable_any m_cv;
    MusicSettings m_settings;
    std::function<void(const std::string&)> m_fnMissing;
    std::set<std::string> m_told;  // effect thread only
    std::atomic<uint64_t> m_nSent{0}, m_nRefused{0};
    std::atomic<int> m_nRestores{0};
    std::atomic<int64_t> m_nLastSend{0};
    std::jthread m_thread;
};
