#include "emu/EmuHex.h"

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string EmuHex(std::span<const uint8_t> bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string s;
    s.reserve(bytes.size() * 3);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i) s += ' ';
        s += kDigits[bytes[i] >> 4];
        s += kDigits[bytes[i] & 0x0F];
    }
    return s;
}

std::string Hex2(unsigned v)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    return {kDigits[(v >> 4) & 0x0F], kDigits[v & 0x0F]};
}

std::optional<std::vector<uint8_t>> EmuParseHex(std::string_view text, size_t nMax)
{
    std::vector<uint8_t> out;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == '\t') {
            ++i;
            continue;
        }
        if (i + 1 >= text.size()) return std::nullopt;
        const int hi = HexDigit(text[i]), lo = HexDigit(text[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        if (i + 2 < text.size() && text[i + 2] != ' ' && text[i + 2] != '\t') return std::nullopt;
        if (out.size() == nMax) return std::nullopt;
        out.push_back(uint8_t(hi << 4 | lo));
        i += 2;
    }
    return out;
}
