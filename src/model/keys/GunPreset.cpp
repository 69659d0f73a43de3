#include "keys/GunPreset.h"

#include <algorithm>
#include <charconv>

namespace {

// The colours of the guns' default records.
constexpr uint32_t kGunColours[kGunCount] = {0x0000FF, 0xFF0000, 0x00FF00, 0xFFFF00, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

constexpr int kGunModeBlock = 1;  // presets live in the second mode

// The digits the field starts with; -1 for none.
long long LeadingNumber(std::u16string_view text)
{
    std::string s;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') break;
        s += char(c);
        if (s.size() > 12) break;  // far beyond every limit already
    }
    if (s.empty()) return -1;
    long long n = 0;
    std::from_chars(s.data(), s.data() + s.size(), n);
    return n;
}

std::u16string Num(long long n)
{
    std::u16string s;
    for (char c : std::to_string(n)) s += char16_t(c);
    return s;
}

}  // namespace

int GunScopeValue(const uint8_t (&gunValue)[kGunValueCount], int nGun, int nScope)
{
    const int i = nGun * kScopeCount + nScope;
    return i >= 0 && i < kGunValueCount ? gunValue[i] : 0;
}

std::array<GunPreset, kGunCount> DefaultGunPresets(const uint8_t (&gunValue)[kGunValueCount])
{
    std::array<GunPreset, kGunCount> a{};
    for (int g = 0; g < kGunCount; ++g)
        a[size_t(g)] = {g, 0, GunScopeValue(gunValue, g, 0), kGunDefaultSpeed, kGunColours[g], 0};
    return a;
}

bool GunPresetOfKey(const KeyInfo& key, GunPreset& preset, bool& bBullet)
{
    bBullet = FunClass(key.FunID) == FUN_BULLET;
    if (key.FunID != kFunGunPreset && !bBullet) return false;
    const GunPresetParam p = UnpackGunPreset(key.dwParam);
    preset.nGun = std::min<int>(p.nGun, kGunCount - 1);
    preset.nScope = std::min<int>(p.nScope, kScopeCount - 1);
    preset.nValue = p.byCompensation;
    preset.nSpeed = p.bySpeed;
    preset.dwColor = key.dwColor;
    preset.dwBullet = bBullet ? key.MacroID : 0;
    return true;
}

KeyInfo GunPresetKeyRecord(const GunPreset& preset, bool bBullet)
{
    KeyInfo k{};
    k.FunID = bBullet ? MakeFunID(FUN_BULLET, 0) : kFunGunPreset;
    k.dwParam = PackGunPreset({uint8_t(preset.nGun), uint8_t(preset.nScope), uint8_t(preset.nValue),
                               uint8_t(preset.nSpeed)});
    k.dwColor = preset.dwColor;
    k.MacroID = bBullet ? preset.dwBullet : 0;
    return k;
}

std::u16string FixGunField(std::u16string_view text, int nMax)
{
    if (text.empty()) return {};
    const long long n = LeadingNumber(text);
    if (n <= 0) return u"1";
    if (n > nMax) return Num(nMax);
    return Num(n);
}

int GunFieldValue(std::u16string_view text)
{
    const long long n = LeadingNumber(text);
    return n < 0 ? kGunEmptyField : int(n & 0xFF);
}

uint8_t GunOption(const ProfileRecord& pro) { return pro.Ms.Mode[kGunModeBlock].nGunOption; }

void SetGunOption(ProfileRecord& pro, bool bOn) { pro.Ms.Mode[kGunModeBlock].nGunOption = bOn ? 1 : 0; }

bool CheckGunOption(const ProfileRecord* pro)
{
    if (!pro) return false;
    if (GunOption(*pro) == 0) return true;
    const MsModeSettings& mode = pro->Ms.Mode[kGunModeBlock];
    const int nSet = std::clamp<int>(mode.nKeySet, 0, kMsKeySetNum - 1);
    bool bPreset = false, bSwitch = false;
    for (const KeyInfo& k : mode.Key[nSet]) {
        bPreset = bPreset || k.FunID == kFunGunPreset;
        bSwitch = bSwitch || k.FunID == kFunGunSwitch;
    }
    return bSwitch || !bPreset;
}
