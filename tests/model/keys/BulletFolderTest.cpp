// Bullet files in the bullet folder: a generated bullet written and read back
// byte for byte, damaged files kept aside, and out-of-range values repaired
// once, where records are read.
#include <gtest/gtest.h>

#include <cstring>

#include "TestSupport.h"
#include "keys/BulletSteps.h"
#include "keys/MacroFolder.h"

namespace fs = std::filesystem;

TEST(BulletFolder, GeneratedBulletRoundTripsThroughItsFile)
{
    test::CTempDir dir;
    CMacroList macros, bullets;
    MacroContext ctx;
    ctx.pMacros = &macros;
    ctx.pBullets = &bullets;
    ctx.clock = [] { return TimeOfDay{17, 5, 9, 300}; };
    const fs::path folder = BulletFolder(dir.Path(), 2);
    EXPECT_EQ(folder.filename(), "BMac2");

    MacroRecord rec = BuildBulletRecord({7, u"Spray", 20, 25, 6, false}, ctx.NewId());
    const MacroOpResult r = AddMacroFile(folder, rec, MacroKind::Bullet, ctx);
    ASSERT_TRUE(r.bOk) << std::string(r.strMessage.begin(), r.strMessage.end());
    EXPECT_EQ(r.path, folder / "Spray.mcb");
    EXPECT_EQ(fs::file_size(r.path), kMacroRecordSize);
    // Enciphered on disk: the magic is not in the clear.
    EXPECT_NE(test::ReadBytes(r.path).substr(0, 4), std::string("\xA0\x88\xFB\xFA", 4));

    CMacroList loaded;
    MacroContext ctx2 = ctx;
    ctx2.pBullets = &loaded;
    CMacroList none;
    ctx2.pMacros = &none;
    ASSERT_TRUE(ScanMacroFolder(folder, MacroKind::Bullet, {}, ctx2));
    ASSERT_EQ(loaded.Count(), 1);
    const MacroRecord& back = **loaded.begin();
    rec.dwFlags = 0;
    EXPECT_EQ(std::memcmp(&back, &rec, sizeof rec), 0);
}

TEST(BulletFolder, DamagedFilesAreKeptAsideAndBadValuesRepaired)
{
    test::CTempDir dir;
    CMacroList macros, bullets;
    MacroContext ctx;
    ctx.pMacros = &macros;
    ctx.pBullets = &bullets;
    const fs::path folder = BulletFolder(dir.Path(), 0);
    fs::create_directories(folder);
    test::WriteBytes(folder / "torn.mcb", std::string(100, '\x5a'));
    MacroRecord odd = BuildBulletRecord(BulletGenInput{}, 0x10203);
    odd.nRepeatMode = 5;
    odd.wLoopCount = 0;
    std::string strErr;
    ASSERT_TRUE(save_macro_to_file_mcb(folder / "odd.mcb", odd, false, strErr)) << strErr;

    std::vector<fs::path> kept;
    MacroScanOptions opt;
    opt.pKeptAside = &kept;
    ASSERT_TRUE(ScanMacroFolder(folder, MacroKind::Bullet, opt, ctx));
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0], folder / "torn.mcb.bad");
    EXPECT_TRUE(fs::exists(folder / "torn.mcb.bad"));
    EXPECT_FALSE(fs::exists(folder / "torn.mcb"));
    ASSERT_EQ(bullets.Count(), 1);
    const MacroRecord& rec = **bullets.begin();
    EXPECT_EQ(rec.nRepeatMode, 0u);
    EXPECT_EQ(rec.wLoopCount, 1);
    // Without the switch a damaged file is only skipped.
    test::WriteBytes(folder / "torn2.mcb", std::string(100, '\x5a'));
    bullets.Clear();
    ASSERT_TRUE(ScanMacroFolder(folder, MacroKind::Bullet, {}, ctx));
    EXPECT_TRUE(fs::exists(folder / "torn2.mcb"));
}
