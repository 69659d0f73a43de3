// The key block the keyboards keep: one 32-bit code per matrix position
// (132), then the Fn layer as two tables of MaxFnNum codes, the functions of
// the keys with Fn (single-key functions) and their second functions (Fn
// combinations). Codes are little-endian on the wire; byte 0 is the kind.
// An Fn reference at a matrix position is kind 2 with the Fn entry in byte 3.
//
// The builder puts each key slot's code at the matrix position of its default
// record, the Fn functions into their tables, and remembers where each macro
// key's code went so that the apply can fill in the buffer number. Every
// position and Fn entry is checked before it is used.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "device/kb/KbBlock.h"
#include "device/kb/KbDescSnap.h"

namespace kb {

constexpr int kKbBlockCodes = 256;        // a 1024-byte block
constexpr int kKbMatrixCodes = 132;       // matrix positions 0..131
using KbCodeBlock = std::array<uint32_t, kKbBlockCodes>;

constexpr uint8_t kFnRefKind = 0x02;
constexpr uint32_t FnRef(int e) { return kFnRefKind | uint32_t(e & 0xFF) << 24; }
constexpr bool IsFnRef(uint32_t c) { return (c & 0xFF) == kFnRefKind; }
constexpr int FnRefEntry(uint32_t c) { return int(c >> 24); }

// The family's code of a key function; none when it has no hardware form.
using KbCodeOf = std::function<std::optional<uint32_t>(const KeyInfo& key)>;

// Where a macro key's code went in the block, and which macro it plays.
struct KbMacroRef {
    int nSlot;
    int nCodeIndex;       // index into the code block
    uint32_t dwMacroID;
};

struct KbMatrixPlan {
    KbCodeBlock codes{};
    std::vector<KbMacroRef> macros;
    std::vector<int> invalidSlots;        // slots whose function has no code, or no valid position
};

struct KbMatrixLayout {
    int nMaxFn = 48;                      // entries per Fn table
    int FnSingleAt() const { return kKbMatrixCodes; }
    int FnComboAt() const { return kKbMatrixCodes + nMaxFn; }
};
// The layout of a description: MaxFnNum entries, as many as fit in the block.
KbMatrixLayout MatrixLayoutOf(const KbDescSnap& d);

// With the keyboard's current block (sync): start from it; a key whose
// position holds an Fn reference puts its code into that Fn entry, any other
// key replaces the code at its position. Keys without a function keep the
// keyboard's codes.
KbMatrixPlan BuildMatrixSynced(const CKbBlock& block, const KbDescSnap& d, const KbCodeBlock& current,
                               const KbCodeOf& codeOf);
// Without it: start from zeros; the first key on a position keeps it; a key
// whose record names an Fn entry gets the Fn reference at its position, its
// code in the single-key table and its Fn function in the combination table.
KbMatrixPlan BuildMatrixFresh(const CKbBlock& block, const KbDescSnap& d, const KbCodeOf& codeOf);
// The same with a layout of the family's own (a keyboard whose Fn tables do not follow MaxFnNum).
KbMatrixPlan BuildMatrixFresh(const CKbBlock& block, const KbDescSnap& d, const KbMatrixLayout& l,
                              const KbCodeOf& codeOf);

// The block as bytes, little-endian, and back.
std::array<uint8_t, 4 * kKbBlockCodes> CodeBlockBytes(const KbCodeBlock& codes);
KbCodeBlock CodeBlockFromBytes(std::span<const uint8_t> bytes);

}  // namespace kb
