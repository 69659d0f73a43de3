// What a keyboard that can show music lighting offers the music effect
// thread. Every call goes through the family's command lock, so a frame never
// interleaves with an apply's transfers; while an apply runs a frame is
// dropped by the family.
#pragma once

#include <cstdint>
#include <span>

#include "device/kb/KbDescSnap.h"

struct KbSettings;

class IMusicDevice {
public:
    virtual ~IMusicDevice() = default;
    // The keyboard is open and has the interface music frames go to.
    virtual bool MusicReady() const = 0;
    // One frame: three bytes per LED 0..125 (378 bytes). False when it was refused.
    virtual bool SendMusicFrame(std::span<const uint8_t> frame) = 0;
    // The keyboard shows the profile's lighting again after music lighting.
    virtual bool RestoreAfterMusic(const kb::KbDescSnap& d, const KbSettings& s) = 0;
};
