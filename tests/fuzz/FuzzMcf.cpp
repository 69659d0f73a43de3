// Fuzzes the macro file decoder and the text form of macros and bullets.
// Checks beyond "no crash, no sanitizer report":
// - a deciphered file enciphers back to the same bytes;
// - a decoded macro or bullet printed as text reads back as the same record
//   whenever its values are ones the text form accepts, and the text of a
//   record never fails for a reason other than such a value;
// - any input read as text either fails with line numbers inside the text, or
//   gives a record that prints and reads back unchanged.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "keys/MacroCodec.h"
#include "keys/MacroText.h"

#define FUZZ_CHECK(cond)                                                                    \
    do {                                                                                    \
        if (!(cond)) {                                                                      \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                   \
        }                                                                                   \
    } while (0)

namespace {

bool SameRecord(const MacroRecord& a, const MacroRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Values a record may hold that the text form refuses (it refuses them from a
// user too): wheel or movement amounts above 127, bullet movements of -128, a
// name that fills all 40 characters.
bool TextCanHold(const MacroRecord& rec, MacroKind kind)
{
    if (rec.szName[kMacroNameLen - 1] != 0) return false;
    const int n = kind == MacroKind::Bullet ? BulletStepCount(rec) : MacroActionCount(rec);
    for (int i = 0; i < n; ++i) {
        const MacroAction& a = rec.Action[i];
        if (kind == MacroKind::Macro && a.byCode >= kMacroCodeWheelUp && a.byCode <= kMacroCodeMoveRight && a.byParam > 127)
            return false;
        if (kind == MacroKind::Bullet && a.byCode == kBulletCodeMove && ((a.wState & 0xFF) == 0x80 || (a.wState >> 8) == 0x80))
            return false;
    }
    return true;
}

void CheckRecordText(const MacroRecord& rec, MacroKind kind)
{
    const std::string text = MacroToText(rec, kind);
    MacroRecord back{};
    std::vector<MacroTextError> errors;
    const bool bOk = ParseMacroText(text, kind, back, errors);
    if (TextCanHold(rec, kind)) {
        FUZZ_CHECK(bOk);
        FUZZ_CHECK(SameRecord(back, CanonicalMacroRecord(rec, kind)));
    }
}

void CheckText(std::string_view text, MacroKind kind)
{
    MacroRecord rec{};
    std::vector<MacroTextError> errors;
    if (!ParseMacroText(text, kind, rec, errors)) {
        FUZZ_CHECK(!errors.empty());
        const long nLines = 1 + long(std::count(text.begin(), text.end(), '\n'));
        for (const MacroTextError& e : errors) FUZZ_CHECK(e.nLine >= 1 && e.nLine <= nLines && !e.strReason.empty());
        return;
    }
    FUZZ_CHECK(IsMacroRecord(rec));
    FUZZ_CHECK(SameRecord(rec, CanonicalMacroRecord(rec, kind)));
    CheckRecordText(rec, kind);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> raw(data, size);
    MacroFileForm form{};
    const MacroRecord rec = DecodeMacroFile(raw, &form);
    if (form == MacroFileForm::Tea) {
        const MacroFileBytes enc = EncodeMacroFile(rec);
        MacroFileBytes padded{};
        std::memcpy(padded.data(), data, std::min(size, padded.size()));
        FUZZ_CHECK(enc == padded);
    }
    (void)MouseCodesAllowed(rec, data && size ? data[0] : 0);
    // The raw bytes as a record, so the text form sees every field value (the
    // text form always makes a record with the magic).
    MacroRecord plain = MacroRecordFromBytes(raw);
    plain.dwMagic = MACRO_MAGIC;
    CheckRecordText(plain, MacroKind::Macro);
    CheckRecordText(plain, MacroKind::Bullet);
    if (IsMacroRecord(rec)) CheckRecordText(rec, MacroKind::Macro);

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckText(text, MacroKind::Macro);
    CheckText(text, MacroKind::Bullet);
    return 0;
}
