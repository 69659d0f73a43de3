#include "device/varorgb/VaroRgbCodes.h"

#include <algorithm>
#include <utility>

#include "core/Log.h"
#include "device/kb/KbUsage.h"
#include "keys/FunId.h"
#include "keys/KeyCodes.h"

namespace varorgb {

namespace {

constexpr std::pair<uint32_t, uint32_t> kMouseCodes[] = {
    {kMsLeft, 0xF0000007}, {kMsMiddle, 0xF2000007}, {kMsRight, 0xF1000007},
    {kMsForward, 0xF3000007}, {kMsBack, 0xF4000007},
};

// Lone modifier bit -> code; a lone right Win is sent as the left Win.
constexpr std::pair<uint8_t, uint32_t> kModifierCodes[] = {
    {kModLCtrl, 0xE0000006}, {kModLShift, 0xE1000006}, {kModLAlt, 0xE2000006}, {kModLWin, 0xE3000006},
    {kModRWin, 0xE3000006},  {kModRCtrl, 0xE4000006},  {kModRShift, 0xE5000006}, {kModRAlt, 0xE6000006},
};

constexpr std::pair<uint32_t, uint32_t> kSpecialCodes[] = {
    {kSpKeyOff, 0},           {kSpMsg16, 0x0003000B}, {kSpMsg17, 0x00030012}, {kSpSpeedUp, 0x0001000D},
    {kSpSpeedDown, 0x0002000D}, {kSpB4, 0x0003000D},  {kSpKbBrightUp, 0x0001000C},
    {kSpKbBrightDown, 0x0002000C}, {kSpB7, 0x0003000C},
};

template <class K, size_t N>
std::optional<uint32_t> Lookup(const std::pair<K, uint32_t> (&table)[N], uint32_t key)
{
    for (const auto& [k, v] : table)
        if (k == key) return v;
    return std::nullopt;
}

std::optional<uint32_t> KeyClassCode(const KeyInfo& key, int32_t nVkCustom)
{
    if (key.byModifier == 0 && key.byKey1 == kVkFn) return kCodeFn;
    if (key.byModifier == 0 && key.byKey1 == kVkFn2) return kCodeFn2;
    if (key.byKey1 == kVkCustom) return uint32_t(nVkCustom);
    if (const uint16_t wUsage = kb::KbConsumerUsage(key)) return kb::ConsumerCode(wUsage, kKindConsumer);
    if (key.byKey1 == 0) {
        if (const auto c = Lookup(kModifierCodes, key.byModifier)) return c;
        if (key.byModifier == 0) return std::nullopt;
    }
    const uint8_t byUsage = kb::KbVkToHid(key.byKey1);
    if (byUsage == 0 && key.byModifier == 0) return std::nullopt;  // nothing the keyboard could send
    return uint32_t(key.byModifier) << 16 | uint32_t(byUsage) << 24;
}

}  // namespace

std::optional<uint32_t> VaroRgbKeyCode(const KeyInfo& key, const MacroRecord* pMacro, int32_t nVkCustom)
{
    const uint32_t v = FunValue(key.FunID);
    switch (FunClass(key.FunID)) {
    case FUN_MOUSE: return Lookup(kMouseCodes, v);
    case FUN_KEY: return KeyClassCode(key, nVkCustom);
    case FUN_APP:
    case FUN_MEDIA: {
        const uint16_t wUsage = ConsumerUsage(v);
        if (!wUsage) return std::nullopt;
        return kb::ConsumerCode(wUsage, kKindConsumer);
    }
    case FUN_MACRO:
        if (!pMacro) {
            LogPrintf("keyinfo_to_hardware_code can't find macro id 0x%x", unsigned(key.MacroID));
            return std::nullopt;
        }
        switch (pMacro->nRepeatMode) {
        case 0: return 0x00010010u;
        case 1: return 0x00020010u;
        case 2: return 0x00040010u;
        default: return 0x00000010u;
        }
    case FUN_SPECIAL: return Lookup(kSpecialCodes, v);
    case FUN_HW: return key.dwParam;
    default: return std::nullopt;
    }
}

}  // namespace varorgb
