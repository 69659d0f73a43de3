#include "platform/PulseAudioSource.h"

#include <pulse/pulseaudio.h>
#include <strings.h>

#include <string>

#include "core/Log.h"

namespace {

constexpr int kReconnectTries = 5;            // after the server went away
constexpr pa_usec_t kReconnectDelay = 1000000;
constexpr int kStreamFailures = 3;            // in a row, without data in between
constexpr pa_usec_t kFragment = 10000;        // 10 ms of sound per read

// Everything of one capture thread; lives on its stack, touched only by it
// (libpulse calls back on the thread that iterates the loop).
struct CPulseSession {
    pa_mainloop* pLoop = nullptr;
    pa_mainloop_api* pApi = nullptr;
    IAudioSink* pSink = nullptr;
    pa_context* pCtx = nullptr;
    pa_stream* pStream = nullptr;
    pa_time_event* pTimer = nullptr;

    std::string strSink;          // default output being captured
    uint32_t nSinkIndex = PA_INVALID_INDEX;
    bool bMuted = false;
    bool bEverReady = false;      // a connection was made once
    bool bCapturing = false;
    bool bDone = false;
    int nReconnects = 0;
    int nStreamFailures = 0;
    // Work the callbacks leave for the loop, so no object is freed inside its own callback.
    bool bContextFailed = false, bStreamFailed = false, bReconnectDue = false;

    void Status(AudioStatus s, const std::string& strText) { pSink->OnStatus(s, strText); }
    void End(AudioStatus s, const std::string& strText)
    {
        Status(s, strText);
        bDone = true;
    }
    std::string ContextError() const { return pCtx ? pa_strerror(pa_context_errno(pCtx)) : "no context"; }

    void Connect();
    void DropStream();
    void DropContext();
    void AskServerInfo();
    void OpenStream(const pa_sink_info& info);
    void AfterIterate();
};

void Unref(pa_operation* op)
{
    if (op) pa_operation_unref(op);
}

void CPulseSession::DropStream()
{
    if (!pStream) return;
    pa_stream_set_state_callback(pStream, nullptr, nullptr);
    pa_stream_set_read_callback(pStream, nullptr, nullptr);
    pa_stream_disconnect(pStream);
    pa_stream_unref(pStream);
    pStream = nullptr;
}

void CPulseSession::DropContext()
{
    DropStream();
    if (!pCtx) return;
    pa_context_set_state_callback(pCtx, nullptr, nullptr);
    pa_context_set_subscribe_callback(pCtx, nullptr, nullptr);
    pa_context_disconnect(pCtx);
    pa_context_unref(pCtx);
    pCtx = nullptr;
}

void CPulseSession::Connect()
{
    pCtx = pa_context_new(pApi, "Zorvik");
    if (!pCtx) return End(AudioStatus::Failed, "cannot create a sound server context");
    pa_context_set_state_callback(
        pCtx,
        [](pa_context* c, void* p) {
            auto* s = static_cast<CPulseSession*>(p);
            switch (pa_context_get_state(c)) {
            case PA_CONTEXT_READY:
                s->bEverReady = true;
                s->nReconnects = 0;
                pa_context_set_subscribe_callback(
                    c,
                    [](pa_context* c, pa_subscription_event_type_t t, uint32_t idx, void* p) {
                        auto* s = static_cast<CPulseSession*>(p);
                        const unsigned nFacility = t & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
                        const unsigned nType = t & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
                        if (nFacility == PA_SUBSCRIPTION_EVENT_SERVER && nType == PA_SUBSCRIPTION_EVENT_CHANGE) {
                            s->AskServerInfo();
                        } else if (nFacility == PA_SUBSCRIPTION_EVENT_SINK && nType == PA_SUBSCRIPTION_EVENT_CHANGE &&
                                   idx == s->nSinkIndex) {
                            // Mute of the output being captured; its monitor may
                            // be taken before the output's own volume.
                            Unref(pa_context_get_sink_info_by_index(
                                c, idx,
                                [](pa_context*, const pa_sink_info* i, int eol, void* p) {
                                    auto* s = static_cast<CPulseSession*>(p);
                                    if (eol == 0 && i && i->index == s->nSinkIndex) s->bMuted = i->mute != 0;
                                },
                                s));
                        }
                    },
                    s);
                Unref(pa_context_subscribe(
                    c, pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SERVER | PA_SUBSCRIPTION_MASK_SINK), nullptr,
                    nullptr));
                s->AskServerInfo();
                break;
            case PA_CONTEXT_FAILED:
            case PA_CONTEXT_TERMINATED:
                s->bContextFailed = true;
                break;
            default:
                break;
            }
        },
        this);
    if (pa_context_connect(pCtx, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) bContextFailed = true;
}

void CPulseSession::AskServerInfo()
{
    Unref(pa_context_get_server_info(
        pCtx,
        [](pa_context* c, const pa_server_info* info, void* p) {
            auto* s = static_cast<CPulseSession*>(p);
            if (!info || !info->default_sink_name || !*info->default_sink_name) {
                s->DropStream();
                s->strSink.clear();
                s->bCapturing = false;
                LogPrintf("Audio capture: the sound server has no default output");
                s->Status(AudioStatus::NoDevice, "the sound server has no output to capture");
                return;  // waits for an output to appear
            }
            if (s->pStream && strcasecmp(info->default_sink_name, s->strSink.c_str()) == 0) return;
            if (s->pStream) LogPrintf("Audio capture: default output now %s", info->default_sink_name);
            s->DropStream();
            s->strSink = info->default_sink_name;
            Unref(pa_context_get_sink_info_by_name(
                c, info->default_sink_name,
                [](pa_context*, const pa_sink_info* i, int eol, void* p) {
                    auto* s = static_cast<CPulseSession*>(p);
                    if (eol != 0 || !i) {
                        if (eol < 0) s->Status(AudioStatus::NoDevice, "the default output cannot be found");
                        return;
                    }
                    // Only the newest answer counts when the default moved twice.
                    if (strcasecmp(i->name, s->strSink.c_str()) == 0 && !s->pStream) s->OpenStream(*i);
                },
                s));
        },
        this));
}

void CPulseSession::OpenStream(const pa_sink_info& info)
{
    // The server converts for us: float when the output mixes in float, 16-bit
    // otherwise; at most two channels (only the first two are used); the
    // output's own rate, whatever it is.
    pa_sample_spec ss;
    const bool bFloat = info.sample_spec.format == PA_SAMPLE_FLOAT32LE || info.sample_spec.format == PA_SAMPLE_FLOAT32BE;
    ss.format = bFloat ? PA_SAMPLE_FLOAT32LE : PA_SAMPLE_S16LE;
    ss.rate = info.sample_spec.rate;
    ss.channels = uint8_t(info.sample_spec.channels >= 2 ? 2 : 1);
    nSinkIndex = info.index;
    bMuted = info.mute != 0;
    LogPrintf("Audio capture: output %s, %s %u Hz %u ch, monitor %s", info.name,
              pa_sample_format_to_string(info.sample_spec.format), unsigned(info.sample_spec.rate),
              unsigned(info.sample_spec.channels), info.monitor_source_name ? info.monitor_source_name : "(none)");
    if (!pa_sample_spec_valid(&ss) || !info.monitor_source_name)
        return End(AudioStatus::Failed, std::string("the output ") + info.name + " cannot be captured");

    const AudioFormat fmt{ss.rate, ss.channels, bFloat ? 32u : 16u, bFloat};
    if (!pSink->OnFormat(fmt, info.name)) return void(bDone = true);

    pa_channel_map map;
    pa_channel_map_init_auto(&map, ss.channels, PA_CHANNEL_MAP_DEFAULT);
    pStream = pa_stream_new(pCtx, "Music lighting", &ss, &map);
    if (!pStream) return End(AudioStatus::Failed, "cannot create a capture stream: " + ContextError());
    pa_stream_set_state_callback(
        pStream,
        [](pa_stream* st, void* p) {
            auto* s = static_cast<CPulseSession*>(p);
            if (pa_stream_get_state(st) == PA_STREAM_FAILED) s->bStreamFailed = true;
            if (pa_stream_get_state(st) == PA_STREAM_READY)
                s->Status(AudioStatus::Capturing, "capturing " + s->strSink);
        },
        this);
    pa_stream_set_read_callback(
        pStream,
        [](pa_stream* st, size_t, void* p) {
            auto* s = static_cast<CPulseSession*>(p);
            const void* pData = nullptr;
            size_t nBytes = 0;
            while (pa_stream_peek(st, &pData, &nBytes) == 0 && nBytes > 0) {
                // No data with a length is a gap in the stream: silence.
                s->pSink->OnPacket(s->bMuted ? nullptr : static_cast<const uint8_t*>(pData), nBytes);
                s->nStreamFailures = 0;
                pa_stream_drop(st);
            }
        },
        this);
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.tlength = attr.prebuf = attr.minreq = uint32_t(-1);
    attr.fragsize = uint32_t(pa_usec_to_bytes(kFragment, &ss));
    // Not moved by the server: our own restart is the one path to a new output.
    if (pa_stream_connect_record(pStream, info.monitor_source_name, &attr,
                                 pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE)) < 0)
        return End(AudioStatus::Failed, "cannot capture " + strSink + ": " + ContextError());
    bCapturing = true;
}

void CPulseSession::AfterIterate()
{
    if (bStreamFailed) {
        bStreamFailed = false;
        // The output went away (a stream that may not move fails then), or the
        // server refused the stream: look at the default output again.
        LogPrintf("Audio capture: stream of %s failed: %s", strSink.c_str(), ContextError().c_str());
        DropStream();
        strSink.clear();
        if (++nStreamFailures >= kStreamFailures) return End(AudioStatus::Failed, "capture failed: " + ContextError());
        if (pCtx && pa_context_get_state(pCtx) == PA_CONTEXT_READY) AskServerInfo();
    }
    if (bContextFailed) {
        bContextFailed = false;
        const std::string strErr = ContextError();
        DropContext();
        strSink.clear();
        if (!bEverReady) return End(AudioStatus::NoServer, "no sound server (" + strErr + ")");
        if (nReconnects >= kReconnectTries) return End(AudioStatus::Lost, "the sound server went away (" + strErr + ")");
        ++nReconnects;
        LogPrintf("Audio capture: sound server connection lost (%s), reconnecting", strErr.c_str());
        Status(AudioStatus::Lost, "the sound server went away; reconnecting");
        timeval tv;
        pa_timeval_add(pa_gettimeofday(&tv), kReconnectDelay);
        pTimer = pApi->time_new(
            pApi, &tv,
            [](pa_mainloop_api*, pa_time_event*, const timeval*, void* p) {
                static_cast<CPulseSession*>(p)->bReconnectDue = true;
            },
            this);
    }
    if (bReconnectDue) {
        bReconnectDue = false;
        pApi->time_free(pTimer);
        pTimer = nullptr;
        Connect();
    }
}

}  // namespace

CPulseAudioSource::~CPulseAudioSource() { Stop(); }

void CPulseAudioSource::Start(IAudioSink& sink)
{
    Stop();
    m_bEnded = false;
    m_thread = std::jthread([this, pSink = &sink](std::stop_token stop) { Run(stop, pSink); });
}

void CPulseAudioSource::Stop()
{
    if (!m_thread.joinable()) return;
    m_thread.request_stop();
    {
        std::lock_guard lock(m_mtxLoop);
        if (m_pLoop) pa_mainloop_wakeup(m_pLoop);  // safe from another thread
    }
    m_thread.join();
}

void CPulseAudioSource::Run(std::stop_token stop, IAudioSink* pSink)
{
    CPulseSession s;
    s.pSink = pSink;
    s.pLoop = pa_mainloop_new();
    if (!s.pLoop) {
        pSink->OnStatus(AudioStatus::Failed, "cannot create the capture loop");
        m_bEnded = true;
        return;
    }
    {
        std::lock_guard lock(m_mtxLoop);
        m_pLoop = s.pLoop;
    }
    s.pApi = pa_mainloop_get_api(s.pLoop);
    s.Connect();
    // A stop request between the check and the poll is not lost: the wake-up
    // makes the next poll return at once.
    while (!stop.stop_requested() && !s.bDone) {
        s.AfterIterate();
        if (s.bDone || stop.stop_requested()) break;
        if (pa_mainloop_iterate(s.pLoop, 1, nullptr) < 0) break;
    }
    if (s.pTimer) s.pApi->time_free(s.pTimer);
    s.DropContext();
    {
        std::lock_guard lock(m_mtxLoop);
        m_pLoop = nullptr;
    }
    pa_mainloop_free(s.pLoop);
    // Ended by a stop request: say so; ended by itself: its status stands.
    if (!s.bDone) pSink->OnStatus(AudioStatus::Stopped, "capture stopped");
    m_bEnded = s.bDone;
}
