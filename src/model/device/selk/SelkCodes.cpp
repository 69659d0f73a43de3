#include "device/selk/SelkCodes.h"

#include <utility>

#include "core/Log.h"
#include "device/kb/KbUsage.h"
#include "device/selk/SelkProtocol.h"
#include "keys/FunId.h"
#include "keys/KeyCodes.h"

namespace selk {

namespace {

constexpr uint32_t kCodeFn = 0x20000000;
constexpr uint32_t kCodeThree = 0x00000130;   // the mouse's third function, as a key
constexpr uint8_t kUsageKeypadEnter = 0x58;

constexpr std::pair<uint32_t, uint32_t> kMouseCodes[] = {
    {kMsLeft, 0x070000F0}, {kMsMiddle, 0x070000F2}, {kMsRight, 0x070000F1},
    {kMsForward, 0x070000F3}, {kMsBack, 0x070000F4}, {kMsThree, kCodeThree},
};

// Lone modifier bit -> code; a lone right Win is sent as the left Win.
constexpr std::pair<uint32_t, uint32_t> kModifierCodes[] = {
    {kModLCtrl, 0x060000E0}, {kModLShift, 0x060000E1}, {kModLAlt, 0x060000E2}, {kModLWin, 0x060000E3},
    {kModRWin, 0x060000E3},  {kModRCtrl, 0x060000E4},  {kModRShift, 0x060000E5}, {kModRAlt, 0x060000E6},
};

// The consumer functions the keyboard has.
constexpr uint32_t kConsumerValues[] = {33, 34, 35, 36, 37, 38, 39, 40, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57};

constexpr std::pair<uint32_t, uint32_t> kSpecialCodes[] = {
    {kMsThree, kCodeThree},        {kSpKeyOff, 0},
    {kSpSnipe, 0x00008140},        {kSpLightOnOff, 0x00000250}, {kSpDpiUp, 0x00002040},
    {kSpDpiDown, 0x00004040},      {kSpDpiCycle, 0x00000040},   {kSpModeSwitch, 0x00000650},
    {kSpMsg16, 0x0B000300},        {kSpMsg17, 0x12000300},      {kSpSpeedUp, 0x0D000100},
    {kSpSpeedDown, 0x0D000200},    {kSpB4, 0x0D000300},         {kSpKbBrightUp, 0x0C000100},
    {kSpKbBrightDown, 0x0C000200}, {kSpB7, 0x0C000300},
};

template <class K, size_t N>
std::optional<uint32_t> Lookup(const std::pair<K, uint32_t> (&table)[N], uint32_t key)
{
    for (const auto& [k, v] : table)
        if (k == key) return v;
    return std::nullopt;
}

std::optional<uint32_t> KeyClassCode(const KeyInfo& key, int nMatrixPos)
{
    if (key.byModifier == 0 && key.byKey1 == kVkFn) return kCodeFn;
    if (key.byKey1 == 0) {
        if (key.byModifier == 0) return std::nullopt;
        if (const auto c = Lookup(kModifierCodes, key.byModifier)) return c;
        LogPrintf("Key: modifiers 0x%02x without a key have no code of their own; the key keeps its function",
                  unsigned(key.byModifier));
        return 0u;
    }
    uint8_t byUsage = kb::KbVkToHid(key.byKey1);
    if (key.byKey1 == kVkReturn && nMatrixPos == kKeypadEnterPos) byUsage = kUsageKeypadEnter;
    if (byUsage == 0) return std::nullopt;  // nothing the keyboard could send
    return uint32_t(key.byModifier) << 8 | byUsage;
}

// The fire key's key byte: modifiers by their usages, mouse buttons as
// themselves, other keys by the usage table.
uint8_t FireKeyUsage(uint8_t vk)
{
    switch (vk) {
    case kVkLWin: return 0xE3;
    case kVkRWin: return 0xE7;
    case kVkLShift: return 0xE1;
    case kVkRShift: return 0xE5;
    case kVkLControl: return 0xE0;
    case kVkRControl: return 0xE4;
    case kVkLMenu: return 0xE2;
    case kVkRMenu: return 0xE6;
    default: break;
    }
    if (vk >= kVkMsLeft && vk <= kVkMsTilt2) return vk;
    return kb::KbVkToHid(vk);
}

std::optional<uint32_t> SpecialCode(const KeyInfo& key)
{
    const uint32_t v = FunValue(key.FunID);
    if (v == kSpFire) {
        const uint8_t byKey = FireKeyUsage(uint8_t(key.dwParam >> 16));
        if (byKey == 0) return std::nullopt;
        return (key.dwParam & 0xFF) << 24 | (key.dwParam >> 8 & 0xFF) << 16 | uint32_t(byKey) << 8 | 0x20;
    }
    return Lookup(kSpecialCodes, v);
}

}  // namespace

std::optional<uint32_t> SelkKeyCode(const KeyInfo& key, const MacroRecord* pMacro, int nMatrixPos)
{
    const uint32_t v = FunValue(key.FunID);
    switch (FunClass(key.FunID)) {
    case FUN_MOUSE: return Lookup(kMouseCodes, v);
    case FUN_KEY: return KeyClassCode(key, nMatrixPos);
    case FUN_APP:
    case FUN_MEDIA:
        for (const uint32_t c : kConsumerValues)
            if (c == v) return 0x04000000u | ConsumerUsage(v);
        return std::nullopt;
    case FUN_MACRO:
        if (!pMacro) {
            LogPrintf("keyinfo_to_hardware_code can't find macro id 0x%x", unsigned(key.MacroID));
            return std::nullopt;
        }
        switch (pMacro->nRepeatMode) {
        case 0: return 0x10000100u;
        case 1: return 0x10000500u;
        case 2: return 0x10000400u;
        default: return 0x10000000u;
        }
    case FUN_SPECIAL: return SpecialCode(key);
    case FUN_HW: return key.dwParam;
    default: return std::nullopt;
    }
}

}  // namespace selk
