// The options window's OK: the sound path check, what goes into the profile
// and what into lang.ini.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "core/AppOptions.h"
#include "core/Ini.h"
#include "core/Utf.h"

namespace fs = std::filesystem;

namespace {

TEST(AppOptions, OkChecksTheSoundAndStoresTheChoices)
{
    test::CTempDir dir;
    const fs::path ini = dir / "lang.ini";
    test::WriteBytes(ini, "[OPT]\nLangIndex=0\nOther=7\n");
    test::WriteBytes(dir / "ding.wav", "RIFF");
    const auto isFile = [](const fs::path& p) { return fs::is_regular_file(p); };
    auto pro = std::make_unique<ProfileRecord>();
    CopyToFixed(pro->szSound, u"/old.wav");

    AppOptionsChoice c;
    c.nLangIndex = 1;
    c.nSkinsIndex = 2;
    c.bPlaySound = true;
    c.strSoundPath = (dir / "missing.wav").u16string();
    AppOptionsResult r = ConfirmAppOptions(c, pro.get(), false, ini, isFile);
    EXPECT_FALSE(r.bClose);
    EXPECT_EQ(r.strMessage, u"Invalid File Path.");
    EXPECT_EQ(ProfileSoundPath(*pro), u"/old.wav");
    EXPECT_EQ(test::ReadBytes(ini), "[OPT]\nLangIndex=0\nOther=7\n") << "nothing written while the window stays";

    c.strSoundPath = (dir / "ding.wav").u16string();
    r = ConfirmAppOptions(c, pro.get(), false, ini, isFile);
    EXPECT_TRUE(r.bClose);
    EXPECT_TRUE(r.strMessage.empty());
    EXPECT_TRUE(r.bProfileChanged);
    EXPECT_TRUE(r.bPlaySound);
    EXPECT_EQ(ProfileSoundPath(*pro), c.strSoundPath);
    const CIniFile read = CIniFile::Load(ini);
    EXPECT_EQ(read.GetInt("OPT", "LangIndex", -1), 1);
    EXPECT_EQ(read.GetInt("OPT", "SkinsIndex", -1), 2);
    EXPECT_EQ(read.GetInt("OPT", "PlaySound", -1), 1);
    EXPECT_EQ(read.GetInt("OPT", "Other", -1), 7);

    // An empty path with the switch on keeps the profile's sound.
    c.strSoundPath.clear();
    r = ConfirmAppOptions(c, pro.get(), true, ini, isFile);
    EXPECT_TRUE(r.bClose);
    EXPECT_FALSE(r.bProfileChanged);
    EXPECT_EQ(ProfileSoundPath(*pro), (dir / "ding.wav").u16string());

    // Without a current profile nothing is written.
    test::WriteBytes(ini, "");
    r = ConfirmAppOptions(c, nullptr, false, ini, isFile);
    EXPECT_TRUE(r.bClose);
    EXPECT_EQ(test::ReadBytes(ini), "");
}

}  // namespace
