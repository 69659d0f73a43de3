// The virtual Selk keyboard's memory rule: a write that reaches into another
// object is recorded as a violation, and still lands, as on the keyboard's
// memory, so that the damage shows.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "emu/EmuBackend.h"
#include "emu/VirtualClock.h"
#include "emu/selk/EmuSelk.h"

namespace {

struct Overlap {
    const char* what;
    int nLedAddr;                 // first lighting block of the keyboard
    uint8_t byCmd, byAddr, byFlag;
    std::vector<std::string> rules;  // what the violations say, in order
    int nDamagedPage;             // a page of the other object that the write changed
};

}  // namespace

TEST(EmuSelk, AWriteIntoAnotherObjectIsAViolationAndLands)
{
    const Overlap cases[] = {
        {"a lighting block placed over the colour table", 0xA6, 9, 0xA6, 0x40,
         {"data 09@a6: the write overlaps the colour table at a8"}, 0xA8},
        {"macros written one page into the key block", 0xAC, 5, 0xC9, 0x40,
         {"data: command 05 at address c9, which holds no such object",
          "data 05@c9: the write overlaps the key block at c8", "data 05@c9: the write overlaps the macros at cc"},
         0xCC},
        {"a block at the last pages", 0xAC, 5, 0xFE, 0x40,
         {"data: command 05 at address fe, which holds no such object", "data 05@fe: the write runs past the last page"},
         0xFF},
    };
    for (const Overlap& c : cases) {
        SCOPED_TRACE(c.what);
        CVirtualClock clock;
        CEmuBackend backend;
        EmuSelkConfig cfg;
        cfg.nLedAddr = c.nLedAddr;
        cfg.nLedBlocks = 1;
        auto kb = std::make_shared<CEmuSelk>(cfg, clock);
        backend.AddDevice(kb);
        const auto data = backend.Open("emu:kb20/data");
        ASSERT_TRUE(data);
        const std::vector<uint8_t> before = kb->Memory(c.nDamagedPage, 1);

        std::array<uint8_t, 1032> r{6, c.byCmd, c.byAddr, 0, c.byFlag};
        std::fill(r.begin() + 8, r.end(), uint8_t{0x5C});
        data->SetFeature(r);
        EXPECT_EQ(kb->Violations(), c.rules);
        EXPECT_NE(kb->Memory(c.nDamagedPage, 1), before);
        EXPECT_EQ(kb->Memory(c.nDamagedPage, 1)[0], 0x5C);
    }
}

TEST(EmuSelk, WritesOfObjectsInTheirOwnPlaceAreNoViolation)
{
    CVirtualClock clock;
    CEmuBackend backend;
    auto kb = std::make_shared<CEmuSelk>(EmuSelkConfig{}, clock);
    backend.AddDevice(kb);
    const auto data = backend.Open("emu:kb20/data");
    ASSERT_TRUE(data);
    // Key block, every macro block, colour table, the lighting blocks, configuration.
    const std::pair<uint8_t, uint8_t> writes[] = {{4, 0xC8}, {5, 0xCC}, {5, 0xD0}, {5, 0xD4}, {5, 0xD8},
                                                  {8, 0xA8}, {9, 0xAC}, {9, 0xB0}, {9, 0xB4}, {3, 0x00}};
    for (const auto& [byCmd, byAddr] : writes) {
        std::array<uint8_t, 1032> r{6, byCmd, byAddr, 0, uint8_t(byCmd == 3 ? 0 : 0x40)};
        EXPECT_TRUE(data->SetFeature(r));
    }
    EXPECT_EQ(kb->Violations(), std::vector<std::string>{});
}
