// Reads the values of one section of the keyboard or pad description with the
// value syntaxes of cfg.ini, and reports what it cannot use: shown through the
// prompt with the caption the check names, or only logged for values the
// program corrects itself. Every report names the section and the key.
// Missing and empty keys give the default without a word.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/IPrompt.h"
#include "core/Ini.h"
#include "core/Types.h"

class CKbReader {
public:
    CKbReader(const CIniFile& cfg, std::string_view section, IPrompt& prompt)
        : m_cfg(cfg), m_section(section), m_prompt(prompt) {}

    const CIniFile& Cfg() const { return m_cfg; }
    std::string_view Section() const { return m_section; }

    // The stored value; nothing when the key is missing or empty.
    std::optional<std::string> Value(std::string_view key) const;
    std::string String(std::string_view key, size_t nCapacity) const;

    // Integer syntax of cfg.ini (0x for hexadecimal; no digits reads as 0, logged).
    int32_t Int(std::string_view key, int32_t def) const;
    // The integer brought into lo..hi (logged when it had to be).
    int32_t IntIn(std::string_view key, int32_t def, int32_t lo, int32_t hi) const;
    // Only the low 16 / 8 bits are kept, as the fields are words / bytes.
    uint16_t Word(std::string_view key, int32_t def) const;
    uint8_t Byte(std::string_view key, int32_t def) const;

    ZColor Color(std::string_view key, ZColor def) const;
    // "Wrong POINT num" (Error) and the default unless exactly two numbers.
    ZPoint Point(std::string_view key, ZPoint def) const;
    // Written x, y, width, height; stored as left, top, right, bottom. "Wrong
    // rect num" (Error) and the default unless exactly four numbers.
    ZRect RectXywh(std::string_view key, ZRect def) const;

    // A number list into dst from its start, as far as it parses; the items
    // not given keep what dst holds. Byte items outside 0..255 are left as they
    // were (logged). Returns the count of items parsed, 0 when the key is
    // missing or empty.
    size_t Bytes(std::string_view key, int nRadix, std::span<uint8_t> dst) const;
    size_t Ints(std::string_view key, int nRadix, std::span<int32_t> dst) const;

    void Show(std::string_view key, std::string_view text, std::u16string_view caption,
              std::string_view value = {}) const;
    void Error(std::string_view key, std::string_view text, std::string_view value = {}) const
    {
        Show(key, text, u"Error", value);
    }
    void Warning(std::string_view key, std::string_view text, std::string_view value = {}) const
    {
        Show(key, text, u"Warning", value);
    }
    // Logged only: values corrected without bothering the user.
    void Note(std::string_view key, std::string_view text, std::string_view value = {}) const;

private:
    const CIniFile& m_cfg;
    std::string m_section;
    IPrompt& m_prompt;
};

// Left, top, right, bottom of a rectangle written x, y, width, height; edges
// beyond the 32-bit range are held at its ends.
ZRect RectFromXywh(int32_t x, int32_t y, int32_t w, int32_t h);
