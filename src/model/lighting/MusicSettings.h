// The music page's choices and audio.dct, the file that keeps them: 32 bytes,
// eight 32-bit little-endian integers in the per-user folder. This is the one
// place that checks what the file holds: a value out of its range is replaced
// by its default, so no later user meets a mode, table position or smoothing
// length it could index past.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

class IPrompt;

constexpr int kMusicModeCount = 10;
constexpr int kSensitivitySteps = 16;  // 0.5, 0.6 ... 2.0
constexpr std::array<int, 5> kMusicAverages = {4, 6, 8, 10, 12};
constexpr size_t kAudioDctSize = 32;

struct MusicSettings {
    int bMusicOff = 1;
    int nMusicMode = 0;
    int bMusicColorful = 1;
    int nSensitivity = 5;
    int nAverage = 4;
    uint32_t clrMusic = 0x0000FF;  // R | G<<8 | B<<16
    int32_t nUpdate[2] = {0, 0};   // the update page's two choices, kept as read
    bool operator==(const MusicSettings&) const = default;
};

// The meter gain of a sensitivity position (position * 0.1 + 0.5); positions
// out of range are taken as the nearest end.
float SensitivityGain(int nPos);

// What DecodeAudioDct found wrong; nothing when the file was sound.
struct AudioDctProblems {
    bool bWrongSize = false;
    int nBadFields = 0;
    bool Damaged() const { return bWrongSize || nBadFields > 0; }
};

// Fields of the bytes into s, starting from defaults. Each field is checked;
// a missing or bad one keeps its default.
AudioDctProblems DecodeAudioDct(std::string_view bytes, MusicSettings& s);
std::string EncodeAudioDct(const MusicSettings& s);

// audio.dct in userDir. A missing file gives the defaults; a damaged one gives
// what could be read, is moved aside to audio.dct.bad and the user is told
// through pPrompt (when given). The outcome is logged.
MusicSettings LoadAudioDct(const std::filesystem::path& userDir, IPrompt* pPrompt);
// Writes audio.dct atomically; false with the reason in strErr.
bool SaveAudioDct(const std::filesystem::path& userDir, const MusicSettings& s, std::string& strErr);
