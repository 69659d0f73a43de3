// audio.dct: the settings round trip, defaults for a missing file, and every
// damaged value replaced by its default with the file kept aside and the user told.
#include <gtest/gtest.h>

#include <cstring>

#include "TestSupport.h"
#include "core/AtomicFile.h"
#include "core/IPrompt.h"
#include "lighting/MusicSettings.h"

namespace {
std::string Dct(std::initializer_list<int32_t> fields)
{
    std::string b;
    for (int32_t n : fields)
        for (int k = 0; k < 4; ++k) b.push_back(char(uint32_t(n) >> (8 * k) & 0xFF));
    return b;
}
}  // namespace

TEST(AudioDct, RoundTripKeepsEveryFieldAndTheLayout)
{
    test::CTempDir dir;
    MusicSettings s;
    s.bMusicOff = 0;
    s.nMusicMode = 9;
    s.bMusicColorful = 0;
    s.nSensitivity = 15;
    s.nAverage = 12;
    s.clrMusic = 0x123456;
    s.nUpdate[0] = 1;
    s.nUpdate[1] = -7;
    std::string strErr;
    ASSERT_TRUE(SaveAudioDct(dir.Path(), s, strErr)) << strErr;
    EXPECT_EQ(test::ReadBytes(dir.Path() / "audio.dct"), Dct({0, 9, 0, 15, 12, 0x123456, 1, -7}));
    CRecordingPrompt prompt;
    EXPECT_EQ(LoadAudioDct(dir.Path(), &prompt), s);
    EXPECT_TRUE(prompt.Entries().empty());
}

TEST(AudioDct, MissingFileGivesTheDefaultsSilently)
{
    test::CTempDir dir;
    CRecordingPrompt prompt;
    const MusicSettings s = LoadAudioDct(dir.Path(), &prompt);
    EXPECT_EQ(s, MusicSettings{});
    EXPECT_EQ(s.bMusicOff, 1);
    EXPECT_EQ(s.clrMusic, 0x0000FFu);
    EXPECT_TRUE(prompt.Entries().empty());
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "audio.dct"));
}

TEST(AudioDct, DamagedValuesFallBackAndTheFileIsKeptAside)
{
    struct Case {
        const char* pszWhat;
        std::string bytes;
        MusicSettings want;
    };
    MusicSettings good;
    good.bMusicOff = 0;
    good.nMusicMode = 3;
    auto with = [&](auto fn) {
        MusicSettings s = good;
        fn(s);
        return s;
    };
    const Case cases[] = {
        {"mode past the last", Dct({0, 10, 1, 5, 4, 0xFF, 0, 0}), with([](MusicSettings& s) { s.nMusicMode = 0; })},
        {"negative mode", Dct({0, -1, 1, 5, 4, 0xFF, 0, 0}), with([](MusicSettings& s) { s.nMusicMode = 0; })},
        {"sensitivity past the table", Dct({0, 3, 1, 16, 4, 0xFF, 0, 0}), good},
        {"smoothing not in the list", Dct({0, 3, 1, 5, 5, 0xFF, 0, 0}), good},
        {"smoothing past the history", Dct({0, 3, 1, 5, 100000, 0xFF, 0, 0}), good},
        {"switch neither 0 nor 1", Dct({7, 3, 1, 5, 4, 0xFF, 0, 0}), with([](MusicSettings& s) { s.bMusicOff = 1; })},
        {"colour with a high byte", Dct({0, 3, 1, 5, 4, int32_t(0xFF0000FFu), 0, 0}), good},
        {"cut short", Dct({0, 3, 1}), good},
        {"too long", Dct({0, 3, 1, 5, 4, 0xFF, 0, 0}) + "x", good},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pszWhat);
        test::CTempDir dir;
        test::WriteBytes(dir.Path() / "audio.dct", c.bytes);
        CRecordingPrompt prompt;
        EXPECT_EQ(LoadAudioDct(dir.Path(), &prompt), c.want);
        ASSERT_EQ(prompt.Entries().size(), 1u);
        EXPECT_NE(prompt.Entries()[0].text.find(u"audio.dct.bad"), std::u16string::npos);
        EXPECT_FALSE(std::filesystem::exists(dir.Path() / "audio.dct"));
        EXPECT_EQ(test::ReadBytes(KeptAsidePath(dir.Path() / "audio.dct")), c.bytes);
    }
}

TEST(AudioDct, SensitivityTableRunsFromHalfToDouble)
{
    EXPECT_FLOAT_EQ(SensitivityGain(0), 0.5f);
    EXPECT_FLOAT_EQ(SensitivityGain(5), 1.0f);
    EXPECT_FLOAT_EQ(SensitivityGain(15), 2.0f);
    EXPECT_FLOAT_EQ(SensitivityGain(99), 2.0f);
    EXPECT_FLOAT_EQ(SensitivityGain(-3), 0.5f);
}
