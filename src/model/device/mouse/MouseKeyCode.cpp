#include "device/mouse/MouseKeyCode.h"

#include <array>
#include <utility>

#include "core/Log.h"
#include "core/SensorTables.h"
#include "device/mouse/MouseProtocol.h"
#include "keys/FunId.h"
#include "keys/KeyCodes.h"

namespace mouse {

namespace {

// Virtual key -> HID keyboard usage. The standard keys, then the program's own
// codes for keypad Enter and the extra keys of international layouts.
constexpr std::pair<uint8_t, uint8_t> kVkHid[] = {
    {0x08, 0x2A}, {0x09, 0x2B}, {0x0D, 0x28}, {0x10, 0xE1}, {0x11, 0xE0}, {0x12, 0xE2}, {0x13, 0x48},
    {0x14, 0x39}, {0x1B, 0x29}, {0x20, 0x2C}, {0x21, 0x4B}, {0x22, 0x4E}, {0x23, 0x4D}, {0x24, 0x4A},
    {0x25, 0x50}, {0x26, 0x52}, {0x27, 0x4F}, {0x28, 0x51}, {0x2C, 0x46}, {0x2D, 0x49}, {0x2E, 0x4C},
    {0x30, 0x27}, {0x5B, 0xE3}, {0x5C, 0xE7}, {0x5D, 0x65},
    {0x60, 0x62}, {0x6A, 0x55}, {0x6B, 0x57}, {0x6D, 0x56}, {0x6E, 0x63}, {0x6F, 0x54},
    {0x7C, 0x68}, {0x90, 0x53}, {0x91, 0x47},
    {0xA0, 0xE1}, {0xA1, 0xE5}, {0xA2, 0xE0}, {0xA3, 0xE4}, {0xA4, 0xE2}, {0xA5, 0xE6},
    {0xBA, 0x33}, {0xBB, 0x2E}, {0xBC, 0x36}, {0xBD, 0x2D}, {0xBE, 0x37}, {0xBF, 0x38}, {0xC0, 0x35},
    {0xDB, 0x2F}, {0xDC, 0x31}, {0xDD, 0x30}, {0xDE, 0x34},
    // program-specific codes
    {kVkNumEnter, 0x58}, {kVkK45, 0x64}, {kVkCustom, 0x32}, {kVkK56, 0x87}, {kVkK107, 0x85},
    {kVkK14, 0x89}, {kVkK133, 0x88}, {kVkK132, 0x8A}, {kVkK131, 0x8B},
};

// Special functions with a fixed code.
constexpr std::pair<uint32_t, uint32_t> kSpecialCodes[] = {
    {kSpKeyOff, kKeyOff},         {kSpLightOnOff, 0x250},        {kSpDpiUp, 0x141},
    {kSpDpiDown, 0x241},          {kSpDpiCycle, 0x41},           {kSpModeSwitch, 0x650},
    {kSpReportRateSwitch, 0x450}, {kSpLightModeSwitch, 0x750},   {kSpKeySnipe, 0x950},
    {kSpGunSwitch, 0x850},        {kSpReportRateUp, 0x10450},    {kSpReportRateDown, 0x20450},
};

// Mouse buttons as key functions.
constexpr std::pair<uint32_t, uint32_t> kMouseCodes[] = {
    {kMsLeft, 0x111},  {kMsMiddle, 0x411},       {kMsRight, 0x211},   {kMsForward, 0x1011}, {kMsBack, 0x811},
    {kMsDoubleClick, 0x2320131}, {kMsThree, 0x3320131}, {kMsWheelUp, 0x112}, {kMsWheelDown, 0xFF12},
};

// Consumer value -> bit of the 0x22 mask.
constexpr std::pair<uint32_t, int> kMediaBits[] = {
    {kCcNextTrack, 0}, {kCcPrevTrack, 1}, {kCcStop, 2},       {kCcPlayPause, 3},  {kCcMute, 4},
    {kCcVolumeUp, 6},  {kCcVolumeDown, 7}, {kCcMediaSelect, 8}, {kCcMyComputer, 9}, {kCcMail, 12},
    {kCcCalculator, 13}, {kCcSearch, 16}, {kCcBrowserHome, 17}, {kCcBrowserBack, 18},
    {kCcBrowserForward, 19}, {kCcBrowserStop, 20}, {kCcBrowserRefresh, 21}, {kCcFavourites, 22},
};

template <class T, size_t N>
std::optional<uint32_t> Lookup(const std::pair<uint32_t, T> (&table)[N], uint32_t key)
{
    for (const auto& [k, v] : table)
        if (k == key) return uint32_t(v);
    return std::nullopt;
}

constexpr uint32_t Bytes(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3)
{
    return uint32_t(b0) | uint32_t(b1) << 8 | uint32_t(b2) << 16 | uint32_t(b3) << 24;
}

std::optional<uint32_t> ConsumerCode(uint32_t dwValue)
{
    const int nBit = MediaBit(dwValue);
    if (nBit < 0) return std::nullopt;
    return 0x22u | (uint32_t(1) << nBit) << 8;
}

std::optional<uint32_t> FireKeyCode(uint32_t dwParam)
{
    const FireKeyParam p = UnpackFireKey(dwParam);
    uint8_t by0 = 0x32, by1 = 0;
    // Mouse buttons left, right, middle, forward, back: the fire key's own bit order.
    constexpr uint8_t kButtonBits[] = {0x01, 0x02, 0x04, 0x10, 0x08};
    if (const uint8_t bit = ModifierBitOfVk(p.byKey)) {
        by0 = 0x33;
        by1 = bit;
    } else if (p.byKey >= kVkMsLeft && p.byKey <= kVkMsBack) {
        by0 = 0x31;
        by1 = kButtonBits[p.byKey - kVkMsLeft];
    } else {
        by1 = VkToHid(p.byKey);
    }
    return Bytes(by0, by1, p.byFire2, p.byFire1);
}

std::optional<uint32_t> SnipeCode(uint32_t dwStep, int32_t nSensor)
{
    const SensorDpiTable* pTable = FindSensorTable(nSensor);
    if (!pTable || dwStep < 1 || dwStep > uint32_t(pTable->nCount)) {
        LogPrintf("Snipe key: step %u is not a step of sensor 0x%04x", dwStep, unsigned(nSensor));
        return std::nullopt;
    }
    uint16_t wLock = pTable->LockCode[dwStep - 1];
    if (wLock > 0xFF) {
        LogPrintf("Snipe key: lock code %u of step %u does not fit a byte, 255 sent", wLock, dwStep);
        wLock = 0xFF;
    }
    return Bytes(0x42, uint8_t(wLock), 0, 0);
}

std::optional<uint32_t> GunPresetCode(uint32_t dwParam)
{
    const GunPresetParam g = UnpackGunPreset(dwParam);
    const uint8_t byScope = g.nScope <= 2 ? g.nScope : 0;
    return Bytes(kBulletKeyByte, uint8_t((g.nGun & 0x0F) + 1 + 16 * byScope), g.bySpeed, g.byCompensation);
}

std::optional<uint32_t> SpecialCode(const KeyInfo& key, int32_t nSensor)
{
    const uint32_t v = FunValue(key.FunID);
    switch (v) {
    case kSpFire: return FireKeyCode(key.dwParam);
    case kSpSnipe: return SnipeCode(key.dwParam, nSensor);
    case kSpCustomKey: return key.dwParam;
    case kSpGunPreset: return GunPresetCode(key.dwParam);
    default: return Lookup(kSpecialCodes, v);
    }
}

std::optional<uint32_t> KeyComboCode(const KeyInfo& key)
{
    // A media key stored as a key is sent as its consumer function.
    if (key.byModifier == 0 && key.byKey2 == 0)
        if (const uint32_t cc = MediaVkToConsumer(key.byKey1)) return ConsumerCode(cc);
    return Bytes(0x21, key.byModifier, VkToHid(key.byKey1), VkToHid(key.byKey2));
}

}  // namespace

uint8_t VkToHid(uint8_t vk)
{
    if (vk >= 'A' && vk <= 'Z') return uint8_t(0x04 + (vk - 'A'));
    if (vk >= '1' && vk <= '9') return uint8_t(0x1E + (vk - '1'));
    if (vk >= 0x70 && vk <= 0x7B) return uint8_t(0x3A + (vk - 0x70));  // F1..F12
    if (vk >= 0x61 && vk <= 0x69) return uint8_t(0x59 + (vk - 0x61));  // keypad 1..9
    for (const auto& [k, h] : kVkHid)
        if (k == vk) return h;
    return 0;
}

int MediaBit(uint32_t dwValue)
{
    const auto bit = Lookup(kMediaBits, dwValue);
    return bit ? int(*bit) : -1;
}

uint8_t RepeatModeByte(uint32_t nRepeatMode)
{
    switch (nRepeatMode) {
    case 1: return 2;
    case 2: return 4;
    default: return 1;
    }
}

uint8_t RepeatCountByte(uint32_t nLoopCount)
{
    if (nLoopCount == 0) return 1;
    return uint8_t(nLoopCount > 0xFF ? 0xFF : nLoopCount);
}

std::optional<uint32_t> MouseKeyCode(const KeyInfo& key, int32_t nSensor, const MacroRecord* pRecord)
{
    const uint32_t v = FunValue(key.FunID);
    const uint8_t byMode = pRecord ? RepeatModeByte(pRecord->nRepeatMode) : 1;
    const uint8_t byCount = pRecord ? RepeatCountByte(pRecord->wLoopCount) : 1;
    switch (FunClass(key.FunID)) {
    case FUN_MOUSE: return Lookup(kMouseCodes, v);
    case FUN_KEY: return KeyComboCode(key);
    case FUN_APP:
    case FUN_MEDIA: return ConsumerCode(v);
    case FUN_MACRO: return Bytes(kMacroKeyByte, 0, byMode, byCount);
    case FUN_SPECIAL: return SpecialCode(key, nSensor);
    case FUN_HW:
    case FUN_EXKEY:
        LogPrintf("FUN_HW dwHdCode=0x%x", key.dwParam);
        return key.dwParam;
    case FUN_BULLET: return Bytes(kBulletKeyByte, kBulletBufferFlag, byMode, byCount);
    default: return std::nullopt;
    }
}

}  // namespace mouse
