// Reads the values of one section of the mouse description with its messages:
// the shared reading layer of MouseDesc.cpp and MouseDescSensor.cpp. Missing
// and empty keys give the default without a word; bad values are shown (the
// caption each check of the description names) or logged, always with the
// section and key.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/IPrompt.h"
#include "core/Ini.h"
#include "core/Types.h"

class CMsReader {
public:
    using KeyList = std::vector<std::pair<std::string, std::string>>;

    CMsReader(const CIniFile& cfg, IPrompt& prompt, KeyList* pKeysRead)
        : m_cfg(cfg), m_prompt(prompt), m_pKeysRead(pKeysRead) {}

    void SetSection(std::string_view section) { m_section = section; }
    const std::string& Section() const { return m_section; }
    IPrompt& Prompt() { return m_prompt; }

    // The stored value, nothing when the key is missing or empty.
    std::optional<std::string> Value(std::string_view key);
    int32_t Int(std::string_view key, int32_t def);
    // A number list in radix 10 or 16, as far as it parses (at most nCapacity
    // items); nothing when the key is missing or empty.
    std::optional<std::vector<int32_t>> List(std::string_view key, int nRadix, size_t nCapacity);
    // A list of bytes into dst; an item outside 0..255 ends it (logged). The
    // count of bytes read (0 when nothing parses), -1 when the key is missing or
    // empty. dst is cleared.
    int Bytes(std::string_view key, int nRadix, std::span<uint8_t> dst);
    // "Wrong POINT num" / "Wrong rect num" (Error) and the default for a value
    // that is not exactly two / four numbers.
    ZPoint Point(std::string_view key, ZPoint def);
    ZRect Rect(std::string_view key, ZRect def);
    ZColor Color(std::string_view key, ZColor def);
    // Up to dst.size() colours; the default list when none is given.
    void Colors(std::string_view key, std::span<const ZColor> def, std::span<ZColor> dst);

    void Warning(std::string_view key, std::string_view text, std::string_view value = {});
    void Error(std::string_view key, std::string_view text, std::string_view value = {});
    // Logged only: values corrected without bothering the user.
    void Note(std::string_view key, std::string_view text, std::string_view value = {});

private:
    void Show(std::string_view key, std::string_view text, std::string_view value, std::u16string_view caption);
    void Record(std::string_view key);

    const CIniFile& m_cfg;
    IPrompt& m_prompt;
    KeyList* m_pKeysRead;
    std::string m_section;
};

// The colour of three list numbers, each clamped to 0..255.
ZColor ColorOf(int32_t r, int32_t g, int32_t b);

struct SensorCfg;
// Reads section SENSOR_<nSection> into cfg (cleared first); the slot stays
// empty (nSensor 0) when the section names no sensor or an unknown one.
void LoadSensorSection(CMsReader& r, int nSection, SensorCfg& cfg);
