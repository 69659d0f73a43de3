// Unit files of the keyboard preview: the reader's checks, colour filling and
// the built-in fallbacks.
#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <fstream>
#include <string>

#include "lighting/EffectUnitFile.h"

namespace {

struct ParseCase {
    const char* text;
    std::vector<std::vector<uint8_t>> keys;
    std::vector<uint32_t> colours;  // 0 and no colour are told apart by hasClr below
    std::vector<bool> hasClr;
    size_t problems;
};

TEST(EffectUnitFile, ParsesLinesIntoUnits)
{
    const ParseCase cases[] = {
        // comments and empty lines, even with key names after the semicolon
        {"; a, s, d\n\n  \na, s : 255,0,0\n", {{'A', 'S'}}, {0x0000FF}, {true}, 0},
        // no colour part; unknown words dropped; a line of unknown words is no unit
        {"q, bogus, w\nnothing, here\r\n", {{'Q', 'W'}}, {0}, {false}, 0},
        // colour packed R | G<<8 | B<<16, spaces around numbers allowed
        {"esc: 1, 2, 3", {{27}}, {0x030201}, {true}, 0},
        // channel above 255 clamped, reported once
        {"a:300,0,0\ns:0,999,0", {{'A'}, {'S'}}, {0x0000FF, 0x00FF00}, {true, true}, 1},
        // not a whole number: the leading digits count, reported
        {"a:12x,0,7", {{'A'}}, {0x07000C}, {true}, 1},
        // two numbers only: reported, missing channel 0
        {"a:5,6", {{'A'}}, {0x000605}, {true}, 1},
        // the left-hand modifiers by their words
        {"shift,ctrl,alt", {{160, 162, 164}}, {0}, {false}, 0},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.text);
        const UnitFileResult r = ParseUnitText(c.text, "t.txt");
        ASSERT_EQ(r.units.size(), c.keys.size());
        for (size_t i = 0; i < r.units.size(); ++i) {
            EXPECT_EQ(r.units[i].vks, c.keys[i]);
            EXPECT_EQ(r.units[i].clr, c.colours[i]);
            EXPECT_EQ(r.units[i].hasClr, c.hasClr[i]);
        }
        EXPECT_EQ(r.problems.size(), c.problems);
    }
}

TEST(EffectUnitFile, KeepsAtMostThirtyKeysAndThirtyUnitsAndReadsLongLinesWhole)
{
    std::string longLine;
    for (int i = 0; i < 40; ++i) longLine += (i % 2 ? "a,     " : "q,     ");  // well over 260 characters
    longLine += ": 0,0,255\n";
    ASSERT_GT(longLine.size(), 260u);
    UnitFileResult r = ParseUnitText(longLine, "t.txt");
    ASSERT_EQ(r.units.size(), 1u);  // not split into two units
    EXPECT_EQ(r.units[0].vks.size(), 30u);
    EXPECT_EQ(r.units[0].clr, 0xFF0000u);
    EXPECT_EQ(r.problems.size(), 1u);

    std::string many;
    for (int i = 0; i < 35; ++i) many += "z\n";
    EXPECT_EQ(ParseUnitText(many, "t.txt").units.size(), 30u);
}

TEST(EffectUnitFile, FillsMissingColoursByBlending)
{
    // Three units, first and last coloured: the middle one is the blend at step 1 of 2.
    UnitFileResult r = ParseUnitText("a:200,0,0\ns,d,f\ng:0,0,100\n", "fixon_unit.txt");
    ASSERT_EQ(r.units.size(), 3u);
    EXPECT_TRUE(FillUnitColours(r.units));
    EXPECT_EQ(r.units[1].clr, 0x320064u);  // R 200→0: 100, B 0→100: 50

    // Four units between red and blue: steps 1/3 and 2/3.
    r = ParseUnitText("a:255,0,0\ns\nd\nf:0,0,255\n", "x");
    EXPECT_TRUE(FillUnitColours(r.units));
    EXPECT_EQ(r.units[1].clr, 0x5500AAu);
    EXPECT_EQ(r.units[2].clr, 0xAA0055u);

    // Last unit without colour: refused, the rest still filled where possible.
    r = ParseUnitText("a:255,0,0\ns\nd:0,0,255\nf\n", "x");
    EXPECT_FALSE(FillUnitColours(r.units));
    EXPECT_EQ(r.units[1].clr, 0x7F0080u);
    EXPECT_FALSE(r.units[3].hasClr);
}

class UnitFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() /
              ("zv-units-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    void Write(const char* name, const std::string& text)
    {
        std::ofstream(dir / name, std::ios::binary) << text;
    }
    std::filesystem::path dir;
};

TEST_F(UnitFolder, MissingEmptyOrKeylessFilesTakeTheBuiltInUnits)
{
    Write("stream_unit.txt", "");
    Write("wheel_unit.txt", "; nothing but comments\nbogus,words\n");
    Write("flower_unit.txt", "a,s\nd:0,255,0\n");
    const UnitLibrary lib = LoadUnitLibrary(dir);
    const UnitLibrary builtIn = BuiltInUnitLibrary();
    for (UnitSet s : {UnitSet::Stream, UnitSet::Wheel, UnitSet::Paoma}) {
        ASSERT_FALSE(builtIn.Get(s).empty());
        ASSERT_EQ(lib.Get(s).size(), builtIn.Get(s).size());
        EXPECT_EQ(lib.Get(s)[0].vks, builtIn.Get(s)[0].vks);
    }
    ASSERT_EQ(lib.Get(UnitSet::Flower).size(), 2u);
    EXPECT_EQ(lib.Get(UnitSet::Flower)[1].vks, std::vector<uint8_t>{'D'});
    EXPECT_TRUE(lib.problems.empty());
}

TEST_F(UnitFolder, FixonAndBreathNeedEndColoursAndBreathPrefersTheSecondFile)
{
    Write("fixon_unit.txt", "a\ns:0,0,255\n");
    Write("breath_unit.txt", "a:1,1,1\n");
    Write("breath2_unit.txt", "q:9,9,9\nw\n");
    const UnitLibrary lib = LoadUnitLibrary(dir);
    ASSERT_EQ(lib.problems.size(), 2u);
    EXPECT_EQ(lib.problems[0], "fixon_unit.txt第一个和最后一个单元的颜色不能为空");
    EXPECT_EQ(lib.problems[1], "breath2_unit.txt第一个和最后一个单元的颜色不能为空");
    ASSERT_EQ(lib.Get(UnitSet::Breath).size(), 2u);
    EXPECT_EQ(lib.Get(UnitSet::Breath)[0].vks, std::vector<uint8_t>{'Q'});
    // The filling goes on: the fixon units stay, the uncoloured first unit dark.
    ASSERT_EQ(lib.Get(UnitSet::Fixon).size(), 2u);
    EXPECT_EQ(lib.Get(UnitSet::Fixon)[0].clr, 0u);
}

TEST(EffectUnitFile, BuiltInUnitsAreColouredAndStreamSwapsYAndZForLayoutsTwoAndThree)
{
    const UnitLibrary lib = BuiltInUnitLibrary();
    for (UnitSet s : {UnitSet::Fixon, UnitSet::Breath}) {
        for (const EffectUnit& u : lib.Get(s)) EXPECT_TRUE(u.hasClr);
    }
    auto has = [](const std::vector<EffectUnit>& units, size_t i, uint8_t vk) {
        return std::find(units[i].vks.begin(), units[i].vks.end(), vk) != units[i].vks.end();
    };
    const std::vector<EffectUnit> plain = BuiltInUnits(UnitSet::Stream, 0);
    const std::vector<EffectUnit> swapped = BuiltInUnits(UnitSet::Stream, 2);
    EXPECT_TRUE(has(plain, 1, 'Z'));
    EXPECT_TRUE(has(swapped, 1, 'Y'));
    EXPECT_TRUE(has(plain, 6, 'Y'));
    EXPECT_TRUE(has(swapped, 6, 'Z'));
}

}  // namespace

namespace {

// The unit files the application folder ships: every file reads without a
// problem, gives its own units (no fallback), and every key of the demo
// keyboard is in a column of the stream and the perfect set and a row of the
// running light.
TEST(EffectUnitFile, ShippedFilesReadCleanlyAndCoverTheDemoKeyboard)
{
    const std::filesystem::path dir = std::filesystem::path(ZV_APP_DIR) / "Cartoon";
    for (int i = 0; i < int(UnitSet::Count); ++i) {
        const char* name = UnitFileName(UnitSet(i));
        SCOPED_TRACE(name);
        const UnitFileResult r = ReadUnitFile(dir / name);
        EXPECT_FALSE(r.units.empty());
        EXPECT_TRUE(r.problems.empty());
        EXPECT_LE(r.units.size(), 25u);  // the wave effects take at most 25
    }
    const UnitLibrary lib = LoadUnitLibrary(dir);
    EXPECT_TRUE(lib.problems.empty());

    // Key codes of the demo keyboard (data/cfg.ini, KBKEY), generic
    // modifiers as the key table stores them.
    std::vector<uint8_t> demo;
    std::ifstream cfg(std::filesystem::path(ZV_SOURCE_DIR) / "data" / "cfg.ini");
    std::string line;
    bool inTable = false;
    while (std::getline(cfg, line)) {
        if (!line.empty() && line[0] == '[') inTable = line.rfind("[KBKEY]", 0) == 0;
        if (!inTable || line.size() < 2 || line[0] != 'K') continue;
        std::vector<std::string> f;
        std::string cur;
        for (char c : line.substr(line.find('=') + 1)) {
            if (c == ',') f.push_back(cur), cur.clear();
            else cur += c;
        }
        f.push_back(cur);
        if (f.size() >= 8 && f[4] == "2") demo.push_back(uint8_t(std::stoi(f[5], nullptr, 16)));
    }
    ASSERT_EQ(demo.size(), 104u);
    // The reactive cross runs along a pressed key's running-light row and its
    // column of the perfect set.
    for (UnitSet set : {UnitSet::Stream, UnitSet::Paoma, UnitSet::Fixon, UnitSet::Perfect}) {
        for (uint8_t vk : demo) {
            bool found = false;
            for (const EffectUnit& u : lib.Get(set)) {
                for (uint8_t k : u.vks) {
                    found |= k == vk || (k == 160 && vk == 16) || (k == 162 && vk == 17) || (k == 164 && vk == 18);
                }
            }
            EXPECT_TRUE(found) << UnitFileName(set) << " misses key " << int(vk);
        }
    }
}

}  // namespace
