// Fuzzes the keycfg.kyg reader and the macro records inside it. An input is
// read as it is and, stretched to the file's exact size, as a whole file whose
// first word is the magic or not. Checks: only the exact size is taken, the
// buffer then holds exactly the file, and every slot that decodes to a macro
// writes back as the same record.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "core/KeyCfg.h"
#include "keys/MacroCodec.h"

#define FUZZ_CHECK(cond)                                                                    \
    do {                                                                                    \
        if (!(cond)) {                                                                      \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                   \
        }                                                                                   \
    } while (0)

namespace {

void Check(std::string_view bytes)
{
    auto buf = std::make_unique<KeyCfgFile>();
    std::memset(buf.get(), 0x5A, sizeof *buf);
    const KeyCfgState state = DecodeKeyCfg(bytes, *buf);
    if (bytes.size() != sizeof(KeyCfgFile)) {
        FUZZ_CHECK(state == KeyCfgState::WrongSize);
        FUZZ_CHECK(buf->dwMagic == 0x5A5A5A5Au);  // untouched
        return;
    }
    FUZZ_CHECK((state == KeyCfgState::Ok) == KeyCfgHasLayout(*buf));
    FUZZ_CHECK(state == KeyCfgState::Ok || state == KeyCfgState::WrongMagic);
    FUZZ_CHECK(EncodeKeyCfg(*buf) == bytes);
    for (int i = 0; i < kKeyCfgMacroNum; ++i) {
        const auto rec = KeyCfgMacro(*buf, i);
        if (!rec) continue;
        FUZZ_CHECK(IsMacroRecord(*rec));
        const MacroFileBytes enc = EncodeMacroFile(*rec);
        const MacroRecord back = DecodeMacroFile(enc);
        FUZZ_CHECK(std::memcmp(&back, &*rec, sizeof back) == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view raw(reinterpret_cast<const char*>(data), size);
    Check(raw);
    if (size == 0) return 0;
    // The input repeated to the file's size, byte i being raw[i % size]: one copy
    // of the input, then the filled part doubled until the file is full.
    std::string whole(sizeof(KeyCfgFile), '\0');
    size_t nFilled = std::min(size, whole.size());
    std::memcpy(whole.data(), data, nFilled);
    while (nFilled < whole.size()) {
        const size_t n = std::min(nFilled, whole.size() - nFilled);
        std::memcpy(whole.data() + nFilled, whole.data(), n);
        nFilled += n;
    }
    if (data[0] & 1) {
        const uint32_t magic = kKeyCfgMagic;
        std::memcpy(whole.data(), &magic, 4);
    }
    if (data[0] & 2) {  // a slot holding a real enciphered macro made from the input
        MacroRecord rec = MacroRecordFromBytes(std::span<const uint8_t>(data, size));
        rec.dwMagic = MACRO_MAGIC;
        const MacroFileBytes enc = EncodeMacroFile(rec);
        std::memcpy(whole.data() + 4 + (data[0] >> 4) % kKeyCfgMacroNum * kMacroRecordSize, enc.data(), enc.size());
    }
    Check(whole);
    return 0;
}
