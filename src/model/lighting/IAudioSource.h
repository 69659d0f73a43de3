// Where the sound being played comes from: a capture session behind a small
// interface, so the band code runs the same on the sound server's monitor
// and on the synthetic source of tests and the bench.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct AudioFormat {
    unsigned nSampleRate = 0;
    unsigned nChannels = 0;
    unsigned nBitsPerSample = 0;  // 8 (unsigned), 16 (signed) or 32 (float)
    bool bFloat = false;
    unsigned BlockAlign() const { return nChannels * nBitsPerSample / 8; }
};

enum class AudioStatus {
    Capturing,  // a session runs (again after a change of the default output)
    NoServer,   // no sound server could be reached
    NoDevice,   // the server has no output to capture
    Lost,       // the server went away while capturing
    Failed,     // anything else that ended capture
    Stopped,    // capture ended because it was asked to
};

// What a source calls, all on its capture thread.
class IAudioSink {
public:
    virtual ~IAudioSink() = default;
    // A session begins on strDevId with this format; again after the default
    // output moved elsewhere. False refuses the format and ends capture.
    virtual bool OnFormat(const AudioFormat& fmt, const std::string& strDevId) = 0;
    // One packet of whole frames. pData is null for a packet that is silent
    // (a gap in the stream, a muted output): nBytes of silence.
    virtual void OnPacket(const uint8_t* pData, size_t nBytes) = 0;
    // What happened, for the log and the page. Must not block.
    virtual void OnStatus(AudioStatus status, const std::string& strText) = 0;
};

class IAudioSource {
public:
    virtual ~IAudioSource() = default;
    // Begins capture on the source's own thread and returns at once; a capture
    // still running is stopped first.
    virtual void Start(IAudioSink& sink) = 0;
    // Ends capture and joins the thread: no sink call happens after it returns.
    // Never called from inside a sink call.
    virtual void Stop() = 0;
};
