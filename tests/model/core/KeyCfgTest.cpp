// keycfg.kyg: layout, round trip, and what a damaged or missing file does.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "TestSupport.h"
#include "core/KeyCfg.h"
#include "core/Utf.h"
#include "keys/MacroCodec.h"

namespace fs = std::filesystem;

namespace {

std::unique_ptr<KeyCfgFile> MakeKeyCfg()
{
    auto p = std::make_unique<KeyCfgFile>();
    p->dwMagic = kKeyCfgMagic;
    MacroRecord rec{};
    rec.dwMagic = MACRO_MAGIC;
    rec.MacroID = 0x123;
    rec.bySlot = 12;  // the kind of the record inside a key configuration
    CopyToFixed(rec.szName, u"Spray");
    const MacroFileBytes enc = EncodeMacroFile(rec);
    std::memcpy(p->byMacro[0], enc.data(), enc.size());
    rec.MacroID = 0x456;
    const MacroFileBytes plain = MacroRecordBytes(rec);
    std::memcpy(p->byMacro[14], plain.data(), plain.size());
    p->Key[0][0].FunID = 0x01000011;
    p->Key[2][20].MacroID = 0x123;
    return p;
}

uint32_t LE32(const std::string& s, size_t off)
{
    const auto* p = reinterpret_cast<const uint8_t*>(s.data() + off);
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace

TEST(KeyCfg, LayoutAndRoundTrip)
{
    test::CTempDir dir;
    CRecordingPrompt prompt;
    const auto cfg = MakeKeyCfg();
    const std::string bytes = EncodeKeyCfg(*cfg);
    ASSERT_EQ(bytes.size(), 27748u);
    EXPECT_EQ(LE32(bytes, 0), 0x4D1CEE01u);
    EXPECT_EQ(LE32(bytes, 4 + 14 * 1480), MACRO_MAGIC);         // the plain slot
    EXPECT_EQ(LE32(bytes, 22204), 0x01000011u);                  // mode 0, key 0
    EXPECT_EQ(LE32(bytes, 22204 + (2 * 21 + 20) * 88 + 24), 0x123u);

    std::string strErr;
    ASSERT_TRUE(WriteKeyCfg(dir.Path(), *cfg, strErr)) << strErr;
    EXPECT_EQ(test::ReadBytes(dir / "keycfg.kyg"), bytes);
    auto back = std::make_unique<KeyCfgFile>();
    EXPECT_EQ(ReadKeyCfg(dir.Path(), *back, prompt), KeyCfgState::Ok);
    EXPECT_EQ(EncodeKeyCfg(*back), bytes);
    EXPECT_TRUE(prompt.Entries().empty());

    const auto m0 = KeyCfgMacro(*back, 0);
    ASSERT_TRUE(m0.has_value());
    EXPECT_EQ(m0->MacroID, 0x123u);
    EXPECT_EQ(m0->bySlot, 12);
    EXPECT_EQ(FixedView(m0->szName), u"Spray");
    ASSERT_TRUE(KeyCfgMacro(*back, 14).has_value());
    EXPECT_EQ(KeyCfgMacro(*back, 14)->MacroID, 0x456u);
    EXPECT_FALSE(KeyCfgMacro(*back, 1).has_value());
    EXPECT_FALSE(KeyCfgMacro(*back, 15).has_value());
}

TEST(KeyCfg, DamagedFilesAreKeptAsideAndTold)
{
    const std::string good = EncodeKeyCfg(*MakeKeyCfg());
    std::string badMagic = good;
    badMagic[0] = 0;
    const struct { const char* pszWhat; std::string bytes; KeyCfgState state; bool bFilled; } rows[] = {
        {"one byte short", good.substr(0, good.size() - 1), KeyCfgState::WrongSize, false},
        {"one byte long", good + "x", KeyCfgState::WrongSize, false},
        {"wrong magic", badMagic, KeyCfgState::WrongMagic, true},  // read, but its layout is not used
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszWhat);
        test::CTempDir dir;
        CRecordingPrompt prompt;
        test::WriteBytes(dir / "keycfg.kyg", row.bytes);
        auto buf = std::make_unique<KeyCfgFile>();
        buf->Key[1][1].FunID = 0xDEAD;
        EXPECT_EQ(ReadKeyCfg(dir.Path(), *buf, prompt), row.state);
        EXPECT_EQ(buf->Key[1][1].FunID == 0xDEAD, !row.bFilled);
        EXPECT_FALSE(KeyCfgHasLayout(*buf));
        EXPECT_EQ(test::ReadBytes(dir / "keycfg.kyg.bad"), row.bytes);
        EXPECT_EQ(prompt.Entries().size(), 1u);
    }

    test::CTempDir dir;
    CRecordingPrompt prompt;
    auto buf = std::make_unique<KeyCfgFile>();
    EXPECT_EQ(ReadKeyCfg(dir.Path(), *buf, prompt), KeyCfgState::Missing);
    EXPECT_TRUE(prompt.Entries().empty());
    fs::create_directory(dir / "keycfg.kyg");
    EXPECT_EQ(ReadKeyCfg(dir.Path(), *buf, prompt), KeyCfgState::Unreadable);
    EXPECT_EQ(prompt.Entries().size(), 1u);
}

TEST(KeyCfg, FailedWriteSaysWhy)
{
    test::CTempDir dir;
    std::string strErr;
    EXPECT_FALSE(WriteKeyCfg(dir / "missing", *MakeKeyCfg(), strErr));
    EXPECT_FALSE(strErr.empty());
    fs::create_directory(dir / "keycfg.kyg");
    strErr.clear();
    EXPECT_FALSE(WriteKeyCfg(dir.Path(), *MakeKeyCfg(), strErr));
    EXPECT_FALSE(strErr.empty());
    EXPECT_TRUE(fs::is_directory(dir / "keycfg.kyg"));
}
