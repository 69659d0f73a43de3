#include "lighting/MusicSettings.h"

#include <algorithm>

#include "core/AtomicFile.h"
#include "core/FileAccess.h"
#include "core/IPrompt.h"
#include "core/Log.h"
#include "core/Utf.h"

namespace fs = std::filesystem;

namespace {
int32_t ReadLe(std::string_view b, size_t i)
{
    uint32_t v = 0;
    for (int k = 3; k >= 0; --k) v = v << 8 | uint8_t(b[i * 4 + size_t(k)]);
    return int32_t(v);
}

void WriteLe(std::string& b, int32_t n)
{
    for (int k = 0; k < 4; ++k) b.push_back(char(uint32_t(n) >> (8 * k) & 0xFF));
}

bool IsBool(int32_t n) { return n == 0 || n == 1; }
}  // namespace

float SensitivityGain(int nPos)
{
    return float(std::clamp(nPos, 0, kSensitivitySteps - 1)) * 0.1f + 0.5f;
}

AudioDctProblems DecodeAudioDct(std::string_view bytes, MusicSettings& s)
{
    s = MusicSettings{};
    AudioDctProblems p;
    p.bWrongSize = bytes.size() != kAudioDctSize;
    const size_t nFields = std::min(bytes.size(), kAudioDctSize) / 4;
    auto take = [&](size_t i, auto valid, auto& field) {
        if (i >= nFields) return;
        const int32_t v = ReadLe(bytes, i);
        if (valid(v))
            field = decltype(field)(v);
        else
            ++p.nBadFields;
    };
    take(0, IsBool, s.bMusicOff);
    take(1, [](int32_t v) { return v >= 0 && v < kMusicModeCount; }, s.nMusicMode);
    take(2, IsBool, s.bMusicColorful);
    take(3, [](int32_t v) { return v >= 0 && v < kSensitivitySteps; }, s.nSensitivity);
    take(4, [](int32_t v) { return std::ranges::find(kMusicAverages, v) != kMusicAverages.end(); }, s.nAverage);
    take(5, [](int32_t v) { return (uint32_t(v) & 0xFF000000u) == 0; }, s.clrMusic);
    if (nFields > 6) s.nUpdate[0] = ReadLe(bytes, 6);
    if (nFields > 7) s.nUpdate[1] = ReadLe(bytes, 7);
    return p;
}

std::string EncodeAudioDct(const MusicSettings& s)
{
    std::string b;
    for (int32_t n : {s.bMusicOff, s.nMusicMode, s.bMusicColorful, s.nSensitivity, s.nAverage, int32_t(s.clrMusic),
                      s.nUpdate[0], s.nUpdate[1]})
        WriteLe(b, n);
    return b;
}

MusicSettings LoadAudioDct(const fs::path& userDir, IPrompt* pPrompt)
{
    MusicSettings s;
    const fs::path file = userDir / "audio.dct";
    std::string bytes;
    const FileRead read = ReadRegularFile(file, kAudioDctSize + 1, bytes);
    if (read.status == ReadStatus::Missing) return s;
    if (!read.Ok()) {
        LogPrintf("audio.dct: cannot be read (%s), music settings are the defaults", read.Reason().c_str());
        return s;
    }
    const AudioDctProblems p = DecodeAudioDct(bytes, s);
    if (!p.Damaged()) return s;
    LogPrintf("audio.dct is damaged (%zu bytes, %d bad values)", bytes.size(), p.nBadFields);
    std::string strErr;
    const bool bKept = KeepAside(file, strErr);
    if (!bKept) LogPrintf("audio.dct could not be kept aside: %s", strErr.c_str());
    if (pPrompt) {
        std::u16string text = u"The music lighting settings (audio.dct) were damaged; defaults are used where they were "
                              u"unreadable.";
        if (bKept) text += u" The damaged file was kept as " + Utf8ToU16(KeptAsidePath(file).filename().string()) + u".";
        pPrompt->ShowMessage(text, u"Warning");
    }
    return s;
}

bool SaveAudioDct(const fs::path& userDir, const MusicSettings& s, std::string& strErr)
{
    if (WriteFileAtomic(userDir / "audio.dct", EncodeAudioDct(s), strErr)) return true;
    LogPrintf("audio.dct not written: %s", strErr.c_str());
    return false;
}
