// Fuzzes what the program does with a bullet file's record once it is read:
// the repair of out-of-range values, the step list, writing it back, and the
// wired mouse's buffer. Checks beyond "no crash, no sanitizer report":
// - the repair is done in one pass (a repaired record needs no second one);
// - the step list of a repaired record writes back to entries that read as
//   the same list, within the 170 entries a bullet holds;
// - the mouse's buffer never passes 506 bytes, announces the events it
//   holds, and holds no more events than the bullet makes.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "device/mouse/MouseMacro.h"
#include "device/mouse/MouseProtocol.h"
#include "keys/BulletSteps.h"
#include "keys/MacroCodec.h"

#define FUZZ_CHECK(cond)                                                                    \
    do {                                                                                    \
        if (!(cond)) {                                                                      \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                   \
        }                                                                                   \
    } while (0)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> raw(data, size);
    // Both what a file decodes to and the raw bytes as they stand, so every
    // field value is reached.
    for (MacroRecord rec : {DecodeMacroFile(raw), MacroRecordFromBytes(raw)}) {
        RepairBulletRecord(rec);
        MacroRecord again = rec;
        FUZZ_CHECK(!RepairBulletRecord(again));

        const std::vector<BulletItem> items = ReadBulletItems(rec);
        FUZZ_CHECK(BulletWeight(items) <= 2 * kBulletEntryMax);
        MacroRecord back = rec;
        WriteBulletItems(items, back);
        FUZZ_CHECK(ReadBulletItems(back) == items);

        std::array<uint8_t, mouse::kMacroBufferMax> buf{};
        const size_t n = mouse::BulletToHd(rec, buf);
        FUZZ_CHECK(n <= mouse::kMacroBufferMax);
        if (n >= 2) {
            const size_t nEvents = size_t(buf[0]) << 8 | buf[1];
            FUZZ_CHECK(n == 2 + 3 * nEvents);
            FUZZ_CHECK(int(nEvents) <= mouse::BulletHdEvents(rec));
        }
    }
    return 0;
}
