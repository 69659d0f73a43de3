// The macro file encoding (.mcf for macros, .mcb for bullet macros; the same
// record and the same encoding). Writers produce the record enciphered with TEA
// in 185 blocks of 8 bytes; readers also accept a plain record and the older
// byte-rotated form. Pure functions: no files here.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "keys/MacroRecord.h"

using MacroFileBytes = std::array<uint8_t, kMacroRecordSize>;

// First word of a file in the byte-rotated form (the magic's bytes rotated right by 2).
constexpr uint32_t kMacroRotatedMark = 0xBEFE2228;

// The program's fixed 128-bit key. Changing it makes every existing file unreadable.
constexpr std::array<uint32_t, 4> kMacroFileKey = {0x5A6F7276, 0x696B4D61, 0x63726F46, 0x696C6531};

// One TEA block (32 rounds, delta 0x9E3779B9).
void TeaEncipher(uint32_t& v0, uint32_t& v1, const std::array<uint32_t, 4>& key);
void TeaDecipher(uint32_t& v0, uint32_t& v1, const std::array<uint32_t, 4>& key);

MacroFileBytes MacroRecordBytes(const MacroRecord& rec);
// Up to 1480 bytes; a shorter input counts as zero-padded, a longer one is cut.
MacroRecord MacroRecordFromBytes(std::span<const uint8_t> bytes);

enum class MacroFileForm { Plain, Rotated, Tea };

// The enciphered 1480 bytes of a record, exactly as written.
MacroFileBytes EncodeMacroFile(const MacroRecord& rec);
// The record of a file's bytes (up to 1480, shorter counts as zero-padded):
// plain when they start with the magic, rotated when they start with
// kMacroRotatedMark and rotate to the magic with a non-zero identifier,
// deciphered otherwise. The caller checks the magic (IsMacroRecord).
MacroRecord DecodeMacroFile(std::span<const uint8_t> raw, MacroFileForm* pForm = nullptr);

inline bool IsMacroRecord(const MacroRecord& rec) { return rec.dwMagic == MACRO_MAGIC; }

// False when the action list holds a mouse code (240..246, compared as the
// whole code word) whose bit (0 for 240 ... 6 for 246) is clear in the
// MacroHasMsKey option. The walk stops at the first entry whose code word is 0.
bool MouseCodesAllowed(const MacroRecord& rec, int32_t nMacroHasMsKey);
