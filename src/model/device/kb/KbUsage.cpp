#include "device/kb/KbUsage.h"

#include <utility>

#include "keys/FunId.h"
#include "keys/KeyCodes.h"

namespace kb {

namespace {

// usage : virtual key, as the keyboards' firmware lists them; the first match wins.
constexpr std::pair<uint8_t, uint8_t> kUsageVk[] = {
    {0x64, 226}, {0x29, 27},  {0x3A, 112}, {0x3B, 113}, {0x3C, 114}, {0x3D, 115}, {0x3E, 116}, {0x3F, 117},
    {0x40, 118}, {0x41, 119}, {0x42, 120}, {0x43, 121}, {0x44, 122}, {0x45, 123}, {0x68, 124}, {0x04, 65},
    {0x05, 66},  {0x06, 67},  {0x07, 68},  {0x08, 69},  {0x09, 70},  {0x0A, 71},  {0x0B, 72},  {0x0C, 73},
    {0x0D, 74},  {0x0E, 75},  {0x0F, 76},  {0x10, 77},  {0x11, 78},  {0x12, 79},  {0x13, 80},  {0x14, 81},
    {0x15, 82},  {0x16, 83},  {0x17, 84},  {0x18, 85},  {0x19, 86},  {0x1A, 87},  {0x1B, 88},  {0x1C, 89},
    {0x1D, 90},  {0x1E, 49},  {0x1F, 50},  {0x20, 51},  {0x21, 52},  {0x22, 53},  {0x23, 54},  {0x24, 55},
    {0x25, 56},  {0x26, 57},  {0x27, 48},  {0x2B, 9},   {0x39, 20},  {0x28, 13},  {0x2A, 8},   {0x2C, 32},
    {0x2F, 219}, {0x30, 221}, {0x31, 220}, {0x33, 186}, {0x34, 222}, {0x36, 188}, {0x37, 190}, {0x38, 191},
    {0x35, 192}, {0x2E, 187}, {0x2D, 189}, {0x46, 44},  {0x47, 145}, {0x48, 19},  {0x49, 45},  {0x4A, 36},
    {0x4B, 33},  {0x4C, 46},  {0x4D, 35},  {0x4E, 34},  {0x52, 38},  {0x51, 40},  {0x50, 37},  {0x4F, 39},
    {0x59, 97},  {0x5A, 98},  {0x5B, 99},  {0x5C, 100}, {0x5D, 101}, {0x5E, 102}, {0x5F, 103}, {0x60, 104},
    {0x61, 105}, {0x62, 96},  {0x57, 107}, {0x56, 109}, {0x55, 106}, {0x54, 111}, {0x53, 144}, {0x58, 253},
    {0x63, 110}, {0xE0, 162}, {0xE1, 160}, {0xE2, 164}, {0xE3, 91},  {0xE4, 163}, {0xE5, 161}, {0xE6, 165},
    {0xE7, 92},  {0x65, 93},  {0x85, 194}, {0x87, 193}, {0x89, 195}, {0x32, 216}, {0x8A, 218}, {0x88, 215},
    {0x8B, 235},
};

}  // namespace

uint8_t KbVkToHid(uint8_t vk)
{
    for (const auto& [usage, v] : kUsageVk)
        if (v == vk) return usage;
    return 0;
}

uint8_t ModifierUsage(uint8_t vk)
{
    const uint8_t byBit = ModifierBitOfVk(vk);
    for (uint8_t i = 0; i < 8; ++i)
        if (byBit == (1u << i)) return uint8_t(0xE0 + i);
    return 0;
}

uint16_t KbConsumerUsage(const KeyInfo& key)
{
    const uint8_t byClass = FunClass(key.FunID);
    if (IsConsumerClass(byClass)) return ConsumerUsage(FunValue(key.FunID));
    if (byClass == FUN_KEY) {
        const uint32_t v = MediaVkToConsumer(key.byKey1);
        return v ? ConsumerUsage(v) : 0;
    }
    return 0;
}

}  // namespace kb
