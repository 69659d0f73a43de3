// The rules every data record of this maker's firmware follows, checked by
// the virtual devices: [report id, kind, tag, tag, 0, 0, 0, 0, payload...,
// last byte 0]. Each check gives the text of the broken rule, empty when the
// record keeps it; the device records the text as a violation.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// "record 21": how violations name a record (by its kind byte).
std::string EmuRecordName(std::span<const uint8_t> r);
// The header bytes 3 to 6 are zero and the last byte is 0 (every broken rule, in that order: last byte first).
std::vector<std::string> CheckDataRecord(std::span<const uint8_t> r);
// The two tag bytes after the kind.
std::string CheckTag(std::span<const uint8_t> r, uint8_t byTag1, uint8_t byTag2);
// A payload byte with a fixed value ("block starts with 00, not 64").
std::string CheckByte(std::span<const uint8_t> r, const char* pszWhat, uint8_t byGot, uint8_t byWant);
