#include "keys/MacroCodec.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint32_t kTeaDelta = 0x9E3779B9;
constexpr uint32_t kTeaDecipherSum = 0xC6EF3720;  // 32 * delta

uint32_t LoadLE(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

void StoreLE(uint8_t* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}

MacroFileBytes Padded(std::span<const uint8_t> raw)
{
    MacroFileBytes bytes{};
    std::copy_n(raw.begin(), std::min(raw.size(), bytes.size()), bytes.begin());
    return bytes;
}

MacroRecord FromFileBytes(const MacroFileBytes& bytes)
{
    MacroRecord rec;
    std::memcpy(&rec, bytes.data(), sizeof rec);
    return rec;
}

}  // namespace

void TeaEncipher(uint32_t& v0, uint32_t& v1, const std::array<uint32_t, 4>& k)
{
    uint32_t sum = 0;
    for (int i = 0; i < 32; ++i) {
        sum += kTeaDelta;
        v0 += ((v1 << 4) + k[0]) ^ (v1 + sum) ^ ((v1 >> 5) + k[1]);
        v1 += ((v0 << 4) + k[2]) ^ (v0 + sum) ^ ((v0 >> 5) + k[3]);
    }
}

void TeaDecipher(uint32_t& v0, uint32_t& v1, const std::array<uint32_t, 4>& k)
{
    uint32_t sum = kTeaDecipherSum;
    for (int i = 0; i < 32; ++i) {
        v1 -= ((v0 << 4) + k[2]) ^ (v0 + sum) ^ ((v0 >> 5) + k[3]);
        v0 -= ((v1 << 4) + k[0]) ^ (v1 + sum) ^ ((v1 >> 5) + k[1]);
        sum -= kTeaDelta;
    }
}

MacroFileBytes MacroRecordBytes(const MacroRecord& rec)
{
    MacroFileBytes bytes;
    std::memcpy(bytes.data(), &rec, sizeof rec);
    return bytes;
}

MacroRecord MacroRecordFromBytes(std::span<const uint8_t> bytes) { return FromFileBytes(Padded(bytes)); }

MacroFileBytes EncodeMacroFile(const MacroRecord& rec)
{
    MacroFileBytes bytes = MacroRecordBytes(rec);
    for (size_t off = 0; off < bytes.size(); off += 8) {
        uint32_t v0 = LoadLE(&bytes[off]), v1 = LoadLE(&bytes[off + 4]);
        TeaEncipher(v0, v1, kMacroFileKey);
        StoreLE(&bytes[off], v0);
        StoreLE(&bytes[off + 4], v1);
    }
    return bytes;
}

MacroRecord DecodeMacroFile(std::span<const uint8_t> raw, MacroFileForm* pForm)
{
    MacroFileBytes bytes = Padded(raw);
    const uint32_t dwFirst = LoadLE(bytes.data());
    if (dwFirst == MACRO_MAGIC) {
        if (pForm) *pForm = MacroFileForm::Plain;
        return FromFileBytes(bytes);
    }
    if (dwFirst == kMacroRotatedMark) {
        MacroFileBytes rotated = bytes;
        for (uint8_t& b : rotated) b = uint8_t(b << 2 | b >> 6);
        const MacroRecord rec = FromFileBytes(rotated);
        if (rec.dwMagic == MACRO_MAGIC && rec.MacroID != 0) {
            if (pForm) *pForm = MacroFileForm::Rotated;
            return rec;
        }
    }
    for (size_t off = 0; off < bytes.size(); off += 8) {
        uint32_t v0 = LoadLE(&bytes[off]), v1 = LoadLE(&bytes[off + 4]);
        TeaDecipher(v0, v1, kMacroFileKey);
        StoreLE(&bytes[off], v0);
        StoreLE(&bytes[off + 4], v1);
    }
    if (pForm) *pForm = MacroFileForm::Tea;
    return FromFileBytes(bytes);
}

bool MouseCodesAllowed(const MacroRecord& rec, int32_t nMacroHasMsKey)
{
    for (const MacroAction& a : rec.Action) {
        const uint16_t wCode = a.CodeWord();
        if (wCode == 0) break;
        if (wCode >= kMacroCodeLButton && wCode <= kMacroCodeWheelDown) {
            const int nBit = wCode - kMacroCodeLButton;
            if (!(uint32_t(nMacroHasMsKey) >> nBit & 1u)) return false;
        }
    }
    return true;
}

int MacroActionCount(const MacroRecord& rec)
{
    int n = 0;
    while (n < kMacroActionNum && !rec.Action[n].EndsMacro()) ++n;
    return n;
}

int BulletStepCount(const MacroRecord& rec)
{
    int n = 0;
    while (n < kMacroActionNum && !rec.Action[n].EndsBullet()) ++n;
    return n;
}
