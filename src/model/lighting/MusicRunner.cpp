#include "lighting/MusicRunner.h"

#include "core/Log.h"

using Clock = std::chrono::steady_clock;

CMusicRunner::CMusicRunner(const CPeakMeter& meter, IMusicOutput& out, MusicRunnerCfg cfg)
    : m_meter(meter), m_out(out), m_cfg(std::move(cfg))
{
}

CMusicRunner::~CMusicRunner() { Stop(); }

void CMusicRunner::SetSettings(const MusicSettings& s)
{
    std::lock_guard lock(m_mtx);
    m_settings = s;
}

void CMusicRunner::SetMissingFileCallback(std::function<void(const std::string&)> fn)
{
    std::lock_guard lock(m_mtx);
    m_fnMissing = std::move(fn);
}

void CMusicRunner::Start()
{
    if (m_thread.joinable()) return;
    m_thread = std::jthread([this](std::stop_token stop) { Run(stop); });
}

void CMusicRunner::Stop()
{
    if (!m_thread.joinable()) return;
    m_thread.request_stop();
    m_cv.notify_all();
    m_thread.join();
    m_thread = std::jthread();
}

Clock::time_point CMusicRunner::LastSendTime() const
{
    return Clock::time_point(Clock::duration(m_nLastSend.load()));
}

bool CMusicRunner::Wait(std::stop_token stop, Clock::time_point until)
{
    std::unique_lock lock(m_mtx);
    m_cv.wait_until(lock, stop, until, [] { return false; });
    return !stop.stop_requested();
}

void CMusicRunner::Run(std::stop_token stop)
{
    MusicEffectState st(m_cfg.nSeed);
    MusicGroups groups;
    bool bLoaded = false;
    MusicSettings last;
    MusicFrame frame{};
    bool bDirty = false;  // a frame went out since the keyboard's lighting was restored
    Clock::time_point next = Clock::now();
    while (!stop.stop_requested()) {
        next += m_cfg.period;
        MusicSettings s;
        {
            std::lock_guard lock(m_mtx);
            s = m_settings;
        }
        const bool bPresent = m_out.Present();
        if (!bPresent && !m_cfg.bGoWithNoDev) {
            bDirty = false;  // a keyboard that went away has nothing to restore
            next = Clock::now() + m_cfg.idle;
            if (!Wait(stop, next)) break;
            continue;
        }
        if (!bLoaded || s.nMusicMode != last.nMusicMode || s.bMusicColorful != last.bMusicColorful ||
            s.clrMusic != last.clrMusic) {
            st = MusicEffectState(m_cfg.nSeed);
            std::vector<std::string> missing;
            groups = LoadMusicGroups(m_cfg.etDir, m_cfg.layout, s.nMusicMode, &missing);
            for (const std::string& name : missing) {
                LogPrintf("init_%s failed", name.c_str());
                if (!m_told.insert(name).second) continue;
                std::function<void(const std::string&)> fn;
                {
                    std::lock_guard lock(m_mtx);
                    fn = m_fnMissing;
                }
                if (fn) fn(name);
            }
            bLoaded = true;
            last = s;
        }
        BandLevels levels{};
        int buf[CPeakMeter::kMaxBands] = {};
        if (m_meter.GetLevels(buf, CPeakMeter::kMaxBands) >= kBandCount)
            std::copy_n(buf, kBandCount, levels.begin());
        if (MusicStep(st, m_cfg.layout, groups, s, m_cfg.rgbIndex, levels, frame) && bPresent && !m_out.Paused()) {
            if (m_out.SendFrame(frame)) {
                bDirty = true;
                m_nLastSend = Clock::now().time_since_epoch().count();
                ++m_nSent;
            } else {
                ++m_nRefused;
                LogPrintf("Set music real data failed");
            }
        }
        if (Clock::now() > next + m_cfg.period) next = Clock::now();  // a slow send: no burst to catch up
        if (!Wait(stop, next)) break;
    }
    if (bDirty && m_out.Present()) {
        if (!m_out.Restore()) LogPrintf("Music lighting: the keyboard's lighting could not be restored");
        ++m_nRestores;
    }
}
