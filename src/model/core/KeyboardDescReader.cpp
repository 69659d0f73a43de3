#include "core/KeyboardDescReader.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <vector>

#include "core/IniValues.h"
#include "core/Log.h"
#include "core/Utf.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// True when the integer reader finds at least one digit (otherwise it gives 0).
bool HasIntDigits(std::string_view s)
{
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X'))
        return i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 2]));
    return i < s.size() && s[i] >= '0' && s[i] <= '9';
}

int32_t Clamp32(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

}  // namespace

ZRect RectFromXywh(int32_t x, int32_t y, int32_t w, int32_t h)
{
    return {x, y, Clamp32(int64_t(x) + w), Clamp32(int64_t(y) + h)};
}

std::optional<std::string> CKbReader::Value(std::string_view key) const
{
    std::optional<std::string> value = m_cfg.Raw(m_section, key);
    if (value && value->empty()) value.reset();
    return value;
}

std::string CKbReader::String(std::string_view key, size_t nCapacity) const
{
    return m_cfg.GetString(m_section, key, "", nCapacity);
}

int32_t CKbReader::Int(std::string_view key, int32_t def) const
{
    const std::optional<std::string> value = Value(key);
    if (!value) return def;
    if (!HasIntDigits(*value)) Note(key, "not a number, 0 used", *value);
    return ParseIniInt(*value);
}

int32_t CKbReader::IntIn(std::string_view key, int32_t def, int32_t lo, int32_t hi) const
{
    const int32_t v = Int(key, def);
    const int32_t vIn = std::clamp(v, lo, hi);
    if (vIn != v) Note(key, "out of range, brought into range", std::to_string(v));
    return vIn;
}

uint16_t CKbReader::Word(std::string_view key, int32_t def) const
{
    return uint16_t(uint32_t(Int(key, def)) & 0xFFFF);
}

uint8_t CKbReader::Byte(std::string_view key, int32_t def) const
{
    return uint8_t(uint32_t(Int(key, def)) & 0xFF);
}

ZColor CKbReader::Color(std::string_view key, ZColor def) const
{
    const std::optional<std::string> value = Value(key);
    ZColor clr = def;
    if (value && !ParseColor(*value, clr)) {
        Note(key, "not a colour, default used", *value);
        clr = def;
    }
    return clr;
}

ZPoint CKbReader::Point(std::string_view key, ZPoint def) const
{
    const std::optional<std::string> value = Value(key);
    ZPoint pt = def;
    if (value && !ParsePoint(*value, pt)) {
        Error(key, "Wrong POINT num", *value);
        pt = def;
    }
    return pt;
}

ZRect CKbReader::RectXywh(std::string_view key, ZRect def) const
{
    const std::optional<std::string> value = Value(key);
    ZRect rc{};
    if (!value) return def;
    if (!ParseRect(*value, rc)) {
        Error(key, "Wrong rect num", *value);
        return def;
    }
    return RectFromXywh(rc.left, rc.top, rc.right, rc.bottom);
}

size_t CKbReader::Bytes(std::string_view key, int nRadix, std::span<uint8_t> dst) const
{
    const std::optional<std::string> value = Value(key);
    if (!value) return 0;
    const std::vector<int32_t> nums = ParseNumberList(*value, nRadix, dst.size());
    bool bNoted = false;
    for (size_t i = 0; i < nums.size(); ++i) {
        if (nums[i] >= 0 && nums[i] <= 255) {
            dst[i] = uint8_t(nums[i]);
        } else if (!bNoted) {
            Note(key, "an item is not a byte and is left as it was", *value);
            bNoted = true;
        }
    }
    return nums.size();
}

size_t CKbReader::Ints(std::string_view key, int nRadix, std::span<int32_t> dst) const
{
    const std::optional<std::string> value = Value(key);
    if (!value) return 0;
    const std::vector<int32_t> nums = ParseNumberList(*value, nRadix, dst.size());
    std::copy(nums.begin(), nums.end(), dst.begin());
    return nums.size();
}

void CKbReader::Show(std::string_view key, std::string_view text, std::u16string_view caption,
                     std::string_view value) const
{
    Note(key, text, value);
    m_prompt.ShowSettingMessage(Utf8ToU16(text), caption, "[" + m_section + "] " + std::string(key));
}

void CKbReader::Note(std::string_view key, std::string_view text, std::string_view value) const
{
    LogPrintf("[%s] %.*s: %.*s (value \"%.*s\")", m_section.c_str(), int(key.size()), key.data(), int(text.size()),
              text.data(), int(value.size()), value.data());
}
