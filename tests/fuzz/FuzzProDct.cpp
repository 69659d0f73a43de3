// Fuzzes the pro.dct reader. Raw bytes rarely reach a record (54396 bytes with
// a magic), so each input is also read as a recipe for a file: which of 13
// slots hold a used record, a record with a bad magic or identifier 0, or
// zeros, what the records contain, and where the file is cut. Beyond "no crash,
// no sanitizer report" it checks what callers rely on: at most 12 records, each
// used and with its own identifier, and what was loaded stores and loads back
// unchanged.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <string_view>

#include "core/ProfileStore.h"

#define FUZZ_CHECK(cond)                                                                    \
    do {                                                                                    \
        if (!(cond)) {                                                                      \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                   \
        }                                                                                   \
    } while (0)

namespace {

constexpr size_t kRec = sizeof(ProfileRecord);

// The image lives on between inputs: a fresh 700 KB allocation per input costs
// more in page faults than the reading it feeds.
std::string_view Recipe(const uint8_t* data, size_t size)
{
    static std::string img;
    img.assign((kProfileSlotNum + 1) * kRec, '\0');
    size_t nPos = 4;
    auto next = [&] { return size ? data[nPos++ % size] : uint8_t(0); };
    for (size_t k = 0; k <= size_t(kProfileSlotNum); ++k) {
        const uint8_t byKind = next();
        if ((byKind & 3) == 0) continue;  // an unused slot
        char* p = img.data() + k * kRec;
        const uint8_t byFill = next();
        for (size_t i = 0; i < kRec; i += 997) p[i] = char(byFill + i);  // some content everywhere
        const uint32_t magic = (byKind & 3) == 3 ? 0xFCFB7799u : kProfileMagic;
        const uint32_t id = (byKind & 4) ? 0 : (byKind & 8) ? 0x0101 : uint32_t(next()) << 8 | next();
        std::memcpy(p + 4, &magic, 4);
        std::memcpy(p + 8, &id, 4);
    }
    const size_t nCut = size >= 4 ? (size_t(data[0]) | size_t(data[1]) << 8 | size_t(data[2]) << 16) % (img.size() + 1)
                                  : kProDctSize;
    return std::string_view(img).substr(0, data && size > 3 && (data[3] & 1) ? kProDctSize : nCut);
}

// Stores the list as a file image and reads the image back.
void CheckStoreAndLoad(const CProList& list)
{
    int nSaved = 0;
    const std::string img = EncodeProDct(list, nSaved);
    FUZZ_CHECK(img.size() == kProDctSize);
    FUZZ_CHECK(nSaved == list.Count());
    CProList back;
    const ProDctDecode dec2 = DecodeProDct(img, back);
    // A stored list always reads back whole; an empty one is no file the program writes.
    FUZZ_CHECK(list.Count() == 0 ? dec2.Damaged() : !dec2.Damaged());
    FUZZ_CHECK(dec2.nRenumbered == 0);
    FUZZ_CHECK(back.Count() == list.Count());
    for (int i = 0; i < list.Count(); ++i) FUZZ_CHECK(std::memcmp(back.At(i), list.At(i), kRec) == 0);
}

void Check(std::string_view bytes)
{
    CProList list;
    const ProDctDecode dec = DecodeProDct(bytes, list);
    FUZZ_CHECK(dec.nLoaded == list.Count());
    FUZZ_CHECK(list.Count() <= kProfileSlotNum);
    FUZZ_CHECK(dec.bWrongSize == (bytes.size() != kProDctSize));
    std::set<uint32_t> ids;
    for (const auto& p : list) {
        FUZZ_CHECK(IsUsedProfileSlot(*p));
        FUZZ_CHECK(ids.insert(p->nID).second);
    }
    // An empty list stores as the same all-zero image whatever the input was, so
    // its store and load is checked once at start-up rather than on every input.
    if (list.Count() > 0) CheckStoreAndLoad(list);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    CheckStoreAndLoad(CProList{});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Check(std::string_view(reinterpret_cast<const char*>(data), size));
    Check(Recipe(data, size));
    return 0;
}
