// The text form of macros and bullets: what it prints, that printed text reads
// back to the same record (and the same file), and what it says about bad lines.
#include <gtest/gtest.h>

#include <random>

#include "TestSupport.h"
#include "core/Utf.h"
#include "keys/MacroCodec.h"
#include "keys/MacroFile.h"
#include "keys/MacroText.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Fixture(const char* pszName)
{
    const std::string s = test::ReadBytes(test::FixtureDir() / "state" / pszName);
    return {s.begin(), s.end()};
}

std::vector<uint8_t> Bytes(const MacroRecord& r)
{
    const MacroFileBytes b = MacroRecordBytes(r);
    return {b.begin(), b.end()};
}

MacroRecord Parse(std::string_view text, MacroKind kind)
{
    MacroRecord r{};
    std::vector<MacroTextError> errors;
    EXPECT_TRUE(ParseMacroText(text, kind, r, errors)) << (errors.empty() ? "" : errors[0].strReason);
    return r;
}

MacroAction Act(uint8_t code, uint8_t param, uint16_t state, uint32_t delay)
{
    MacroAction a{};
    a.byCode = code;
    a.byParam = param;
    a.wState = state;
    a.SetDelay(delay);
    return a;
}

}  // namespace

TEST(MacroText, PrintsAMacroFile)
{
    const MacroRecord rec = DecodeMacroFile(Fixture("copy_tea.mcf"));
    EXPECT_EQ(MacroToText(rec, MacroKind::Macro),
              "kind macro\n"
              "name \"Copy\"\n"
              "id 0x11492C\n"
              "repeat count\n"
              "loops 1\n"
              "auto-delay 1\n"
              "owner 0\n"
              "lock no\n"
              "down LCtrl 50ms\n"
              "down C 50ms\n"
              "up C 50ms\n"
              "up LCtrl 50ms\n"
              "down LButton 50ms\n"
              "up LButton\n"
              "wheel down 2 20ms\n");
}

TEST(MacroText, PrintsABulletFile)
{
    const MacroRecord rec = DecodeMacroFile(Fixture("bullet_tea.mcb"));
    std::string want = "kind bullet\nname \"Bullet\"\nid 0x0A0B0C\nrepeat count\nloops 1\nfire LButton\nowner 0\nlock no\n";
    for (int i = 0; i < 5; ++i) want += "click LButton for 20ms 10ms\nmove 0,10 20ms\n";
    EXPECT_EQ(MacroToText(rec, MacroKind::Bullet), want);
}

// What the command-line tool does: print a file, read the text back into a
// new file: the same bytes.
TEST(MacroText, PrintedFileWrittenBackIsTheSameFile)
{
    test::CTempDir dir;
    CMacroList macros, bullets;
    MacroContext ctx;
    ctx.pMacros = &macros;
    ctx.pBullets = &bullets;
    ctx.clock = [] { return TimeOfDay{1, 2, 3, 4}; };
    for (const char* pszFixture : {"copy_tea.mcf", "copy_plain.mcf", "copy_rotated.mcf", "bullet_tea.mcb"}) {
        SCOPED_TRACE(pszFixture);
        const fs::path src = test::FixtureDir() / "state" / pszFixture;
        const MacroKind kind = MacroKindOfFile(src);
        std::string text, strErr;
        ASSERT_TRUE(MacroFileToText(src, kind, text, strErr)) << strErr;
        const fs::path out = dir / (std::string("new-") + pszFixture);
        std::vector<MacroTextError> errors;
        ASSERT_TRUE(WriteMacroFileFromText(text, out, kind, ctx, errors, strErr)) << strErr;
        const std::string bytes = test::ReadBytes(out);
        const std::string want = test::ReadBytes(test::FixtureDir() / "state" / (kind == MacroKind::Bullet ? "bullet_tea.mcb" : "copy_tea.mcf"));
        EXPECT_EQ(bytes, want);
    }
    EXPECT_EQ(MacroKindOfFile("x.mcbz"), MacroKind::Bullet);
    EXPECT_EQ(MacroKindOfFile("x.MCB"), MacroKind::Macro);
}

TEST(MacroText, WritingFromTextNeverReplacesAFileOrReusesAnIdentifier)
{
    test::CTempDir dir;
    CMacroList macros, bullets;
    MacroContext ctx;
    ctx.pMacros = &macros;
    ctx.pBullets = &bullets;
    ctx.clock = [] { return TimeOfDay{17, 5, 9, 300}; };
    MacroRecord taken{};
    taken.MacroID = 0x11492C;
    bullets.Add(taken);

    std::vector<MacroTextError> errors;
    std::string strErr, strNote;
    ASSERT_TRUE(WriteMacroFileFromText("id 0x11492C\ndown A 5ms\nup A\n", dir / "Hello.mcf", MacroKind::Macro, ctx, errors,
                                       strErr, &strNote)) << strErr;
    const MacroFileRead read = ReadMacroFile(dir / "Hello.mcf");
    EXPECT_EQ(read.rec.MacroID, 0x11492Du);  // the clock's stamp is taken too: moved on
    EXPECT_NE(strNote.find("taken"), std::string::npos);
    EXPECT_EQ(FixedView(read.rec.szName), u"Hello");
    EXPECT_EQ(MacroActionCount(read.rec), 2);

    const std::string before = test::ReadBytes(dir / "Hello.mcf");
    EXPECT_FALSE(WriteMacroFileFromText("down B\n", dir / "Hello.mcf", MacroKind::Macro, ctx, errors, strErr));
    EXPECT_NE(strErr.find("exists"), std::string::npos);
    EXPECT_EQ(test::ReadBytes(dir / "Hello.mcf"), before);

    EXPECT_FALSE(WriteMacroFileFromText("down Q\nnonsense\n", dir / "Bad.mcf", MacroKind::Macro, ctx, errors, strErr));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].nLine, 2);
    EXPECT_FALSE(fs::exists(dir / "Bad.mcf"));

    std::string text;
    test::WriteBytes(dir / "junk.mcf", std::string(1480, 'j'));
    EXPECT_FALSE(MacroFileToText(dir / "junk.mcf", MacroKind::Macro, text, strErr));
    EXPECT_NE(strErr.find("not a valid macro file"), std::string::npos);
    EXPECT_FALSE(MacroFileToText(dir / "none.mcf", MacroKind::Macro, text, strErr));
}

// Records with every field and oddity the text must carry.
TEST(MacroText, UnusualRecordsRoundTrip)
{
    MacroRecord base{};
    base.dwMagic = MACRO_MAGIC;
    base.MacroID = 0x00ABCD;
    base.wLoopCount = 3;

    std::vector<std::pair<const char*, MacroRecord>> rows;
    auto add = [&](const char* pszWhat, MacroKind kind, auto change) {
        MacroRecord r = base;
        if (kind == MacroKind::Bullet) r.nFireCode = 240;
        change(r);
        rows.emplace_back(pszWhat, r);
        SCOPED_TRACE(pszWhat);
        const std::string text = MacroToText(r, kind);
        EXPECT_EQ(Bytes(Parse(text, kind)), Bytes(CanonicalMacroRecord(r, kind))) << text;
    };
    add("name with quotes, escapes, non-ASCII and a lone surrogate", MacroKind::Macro, [](MacroRecord& r) {
        const std::u16string name = u"a \"b\" \\c\n\t\x01 \u00e4\u4e2d\U0001F600 \xD800z";
        CopyToFixed(r.szName, name);
    });
    add("header values off the usual", MacroKind::Macro, [](MacroRecord& r) {
        r.nRepeatMode = 7;
        r.nAutoDelay = 0;
        r.byOwner = 200;
        r.byLock = 5;
        r.bySlot = 9;
        r.dwFlags = 0xC0000001;
        r.byReserved103 = 0x12;
        r.byReserved1474[5] = 0xFE;
    });
    add("state and param the verbs do not imply", MacroKind::Macro, [](MacroRecord& r) {
        r.Action[0] = Act(65, 3, 0x80, 1);
        r.Action[1] = Act(245, 0, 1, 0);       // wheel up as the editor inserts it
        r.Action[2] = Act(246, 0, 1, 0);
        r.Action[3] = Act(0, 0, 4, 20);        // only a delay
        r.Action[4] = Act(0, 7, 0, 0);         // code word 7 << 8: not the end
        r.Action[5] = Act(251, 2, 9, 4294967295u);
        r.Action[6] = Act(250, 127, 0, 5);
        r.Action[7] = Act(252, 0, 1, 0);       // a key in a macro
        r.Action[8] = Act(7, 0, 0, 0);         // a code without a word
    });
    add("all 171 actions", MacroKind::Macro, [](MacroRecord& r) {
        for (int i = 0; i < kMacroActionNum; ++i) r.Action[i] = Act(uint8_t(65 + i % 26), 0, uint16_t(i % 2), uint32_t(i));
    });
    add("bullet steps of every kind", MacroKind::Bullet, [](MacroRecord& r) {
        r.nFireCode = 241;
        r.nRepeatMode = 2;
        r.Action[0] = Act(252, 0, uint16_t(uint8_t(-127) | uint8_t(127) << 8), 20);
        r.Action[1] = Act(252, 1, 0, 0);       // a movement with a flag byte
        r.Action[2] = Act(240, 0, 0, 0);       // a click held 0 ms
        r.Action[3] = Act(65, 1, 1, 50);
        r.Action[4] = Act(65, 1, 0, 0);
        r.Action[5] = Act(66, 2, 7, 0);        // flag 2, state 7
        r.Action[6] = Act(0, 0, 3, 30);        // wait with a state
        r.Action[7] = Act(0, 4, 1, 0);         // code 0 with a flag: a press of code 0
    });
    add("bullet fire code above a byte", MacroKind::Bullet, [](MacroRecord& r) { r.nFireCode = 0x1F0; });
}

// Randomly built records of every action kind print and read back unchanged.
TEST(MacroText, RandomRecordsRoundTrip)
{
    std::mt19937 rng(12345);
    auto pick = [&](uint32_t n) { return uint32_t(rng() % n); };
    for (int nCase = 0; nCase < 300; ++nCase) {
        const MacroKind kind = nCase % 2 ? MacroKind::Bullet : MacroKind::Macro;
        MacroRecord r{};
        r.dwMagic = MACRO_MAGIC;
        r.MacroID = pick(0x1000000);
        r.wLoopCount = uint16_t(pick(65536));
        r.nRepeatMode = pick(4);
        for (int i = 0; i < 39; ++i) r.szName[i] = char16_t(u'a' + pick(26));
        const int n = int(pick(kMacroActionNum + 1));
        for (int i = 0; i < n; ++i) {
            MacroAction& a = r.Action[i];
            a.byCode = uint8_t(pick(256));
            a.byParam = uint8_t(pick(3) == 0 ? pick(256) : 0);
            a.wState = uint16_t(pick(3) == 0 ? pick(65536) : pick(2));
            a.SetDelay(pick(2) ? pick(100000) : 0);
            if (kind == MacroKind::Macro && a.byCode >= 245 && a.byCode <= 250) a.byParam &= 0x7F;
            if (kind == MacroKind::Bullet && a.byCode == kBulletCodeMove) {
                if ((a.wState & 0xFF) == 0x80) a.wState ^= 0x01;      // -128 is no movement the form accepts
                if ((a.wState >> 8) == 0x80) a.wState ^= 0x0100;
            }
            if (kind == MacroKind::Macro ? a.EndsMacro() : a.EndsBullet()) a.SetDelay(1);
        }
        const std::string text = MacroToText(r, kind);
        MacroRecord back{};
        std::vector<MacroTextError> errors;
        ASSERT_TRUE(ParseMacroText(text, kind, back, errors)) << "line " << errors[0].nLine << ": "
                                                               << errors[0].strReason << "\n" << text;
        ASSERT_EQ(Bytes(back), Bytes(CanonicalMacroRecord(r, kind))) << text;
    }
}

TEST(MacroText, KeyNamesReadBackToTheirCodes)
{
    for (int code = 0; code < 256; ++code) {
        uint8_t back = 0;
        const std::string name = MacroTextKeyName(uint8_t(code));
        ASSERT_TRUE(ParseMacroTextKeyName(name, back)) << name;
        EXPECT_EQ(back, code) << name;
    }
    const struct { const char* psz; int code; } rows[] = {
        {"a", 65}, {"F24", 135}, {"f1", 112}, {"num7", 103}, {"lctrl", 162}, {"VK0x2A", 42}, {"vk255", 255},
        {"\\", 220}, {"NumEnter", 253}, {"BackButton", 244}};
    for (const auto& row : rows) {
        uint8_t code = 0;
        EXPECT_TRUE(ParseMacroTextKeyName(row.psz, code)) << row.psz;
        EXPECT_EQ(code, row.code) << row.psz;
    }
    uint8_t code = 0;
    for (const char* psz : {"F0", "F25", "F01", "vk256", "Num10", "", "Ctrl+C"}) EXPECT_FALSE(ParseMacroTextKeyName(psz, code)) << psz;
}

// Hand-written text: comments, blank lines, any case, defaults for what is not said.
TEST(MacroText, ReadsHandWrittenText)
{
    const MacroRecord r = Parse("# a comment\r\n\r\nname \"Hi\"\r\nDOWN h 30ms\r\n  up H  \r\nmove left 5 8ms\r\nwait 100ms\n",
                                MacroKind::Macro);
    EXPECT_EQ(r.dwMagic, MACRO_MAGIC);
    EXPECT_EQ(r.MacroID, 0u);
    EXPECT_EQ(r.nAutoDelay, 1u);
    EXPECT_EQ(r.wLoopCount, 1);
    EXPECT_EQ(FixedView(r.szName), u"Hi");
    ASSERT_EQ(MacroActionCount(r), 4);
    EXPECT_EQ(r.Action[0].CodeWord(), 72);
    EXPECT_EQ(r.Action[0].wState, 1);
    EXPECT_EQ(r.Action[0].Delay(), 30u);
    EXPECT_EQ(r.Action[1].wState, 0);
    EXPECT_EQ(r.Action[2].CodeWord(), 249 | 5 << 8);
    EXPECT_EQ(r.Action[3].CodeWord(), 0);
    EXPECT_EQ(r.Action[3].Delay(), 100u);

    const MacroRecord b = Parse("move -3,7\nclick a for 15ms\n", MacroKind::Bullet);
    EXPECT_EQ(b.nFireCode, 240u);
    EXPECT_EQ(b.Action[0].wState, 0x07FD);
    EXPECT_EQ(b.Action[1].byCode, 65);
    EXPECT_EQ(b.Action[1].wState, 15);
}

TEST(MacroText, BadLinesAreReportedWithTheirNumberAndReason)
{
    const struct { MacroKind kind; const char* pszText; int nLine; const char* pszReason; } rows[] = {
        {MacroKind::Macro, "down A\njump B\n", 2, "unknown action"},
        {MacroKind::Macro, "down Foo 10ms\n", 1, "unknown key \"Foo\""},
        {MacroKind::Macro, "down A 10s\n", 1, "unexpected \"10s\""},
        {MacroKind::Macro, "wheel up 200\n", 1, "0 to 127"},
        {MacroKind::Macro, "move sideways 3\n", 1, "up, down, left or right"},
        {MacroKind::Macro, "wait\n", 1, "would end the list"},
        {MacroKind::Macro, "down A state=0\n", 1, "release"},
        {MacroKind::Macro, "down A state=x\n", 1, "bad value"},
        {MacroKind::Macro, "name Copy\n", 1, "double quotes"},
        {MacroKind::Macro, "name \"0123456789012345678901234567890123456789\"\n", 1, "longer than 39"},
        {MacroKind::Macro, "name \"a\\q\"\n", 1, "unknown escape"},
        {MacroKind::Macro, "loops 1\nloops 2\n", 2, "twice"},
        {MacroKind::Macro, "loops 70000\n", 1, "0 to 65535"},
        {MacroKind::Macro, "kind bullet\n", 1, "bullet, not a macro"},
        {MacroKind::Macro, "fire LButton\n", 1, "for bullets"},
        {MacroKind::Bullet, "move 0,128\n", 1, "-127 to 127"},
        {MacroKind::Bullet, "move 5\n", 1, "X,Y"},
        {MacroKind::Bullet, "click LButton 20ms\n", 1, "held"},
        {MacroKind::Bullet, "down vk252\n", 1, "movement"},
        {MacroKind::Bullet, "down A flag=0\n", 1, "non-zero flag"},
        {MacroKind::Bullet, "auto-delay 1\n", 1, "for macros"},
        {MacroKind::Bullet, "wheel up 1\n", 1, "unknown step"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pszText);
        MacroRecord r{};
        std::vector<MacroTextError> errors;
        EXPECT_FALSE(ParseMacroText(row.pszText, row.kind, r, errors));
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].nLine, row.nLine);
        EXPECT_NE(errors[0].strReason.find(row.pszReason), std::string::npos) << errors[0].strReason;
    }
    // Every bad line is reported, not only the first.
    std::string text = "down A\n";
    for (int i = 0; i < kMacroActionNum; ++i) text += "up A\n";
    text += "bogus\n";
    MacroRecord r{};
    std::vector<MacroTextError> errors;
    EXPECT_FALSE(ParseMacroText(text, MacroKind::Macro, r, errors));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].nLine, 173 - 1);
    EXPECT_EQ(errors[1].nLine, 173);
    EXPECT_NE(errors[0].strReason.find("more than 171"), std::string::npos);
}
