// Bytes as text: lower-case hex pairs separated by single spaces, the form of
// the emulator's journal and of its saved state.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

std::string EmuHex(std::span<const uint8_t> bytes);
// One byte as two lower-case hex digits ("7b"), for violation texts.
std::string Hex2(unsigned v);
// The bytes of a hex text (pairs separated by blanks); none when the text holds
// anything else, a lone digit, or more than nMax bytes.
std::optional<std::vector<uint8_t>> EmuParseHex(std::string_view text, size_t nMax);
