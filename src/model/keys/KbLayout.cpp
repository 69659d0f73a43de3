#include "keys/KbLayout.h"

#include <span>

#include "core/Gvar.h"

namespace {

struct VkPair {
    uint8_t from, to;
};

// Stored code -> code whose name the key shows.
constexpr VkPair kDisplay1[] = {{89, 90},   {90, 89},   {186, 192}, {187, 221}, {189, 219},
                                {191, 189}, {192, 220}, {219, 186}, {220, 191}, {221, 187}};
constexpr VkPair kDisplay2[] = {{65, 81},   {81, 65},   {87, 90},   {90, 87},   {77, 188},
                                {186, 77},  {188, 190}, {189, 219}, {190, 191}, {191, 223},
                                {192, 222}, {219, 221}, {221, 186}, {222, 192}};
constexpr VkPair kDisplay3[] = {{186, 192}, {187, 221}, {189, 219}, {191, 189},
                                {192, 220}, {219, 186}, {220, 191}, {221, 187}};

// Received code -> stored code.
constexpr VkPair kCapture1[] = {{89, 90},   {90, 89},   {186, 219}, {187, 221}, {189, 191},
                                {191, 220}, {192, 186}, {219, 189}, {220, 192}, {221, 187}};
constexpr VkPair kCapture2[] = {{65, 81},   {81, 65},   {87, 90},   {90, 87},   {77, 186},
                                {186, 221}, {188, 77},  {190, 188}, {191, 190}, {192, 222},
                                {219, 189}, {221, 219}, {222, 192}, {223, 191}};
constexpr VkPair kCapture3[] = {{186, 219}, {187, 221}, {189, 191}, {191, 220},
                                {192, 186}, {219, 189}, {220, 192}, {221, 187}};

uint8_t Remap(uint8_t vk, std::span<const VkPair> pairs)
{
    for (const VkPair& p : pairs)
        if (p.from == vk) return p.to;
    return vk;
}

}  // namespace

uint8_t RemapForDisplay(uint8_t vk, int nKbType)
{
    switch (nKbType) {
    case 1: return Remap(vk, kDisplay1);
    case 2: return Remap(vk, kDisplay2);
    case 3: return Remap(vk, kDisplay3);
    default: return vk;
    }
}

uint8_t RemapFromCapture(uint8_t vk, int nKbType)
{
    switch (nKbType) {
    case 1: return Remap(vk, kCapture1);
    case 2: return Remap(vk, kCapture2);
    case 3: return Remap(vk, kCapture3);
    default: return vk;
    }
}

uint8_t RemapForDisplay(uint8_t vk) { return RemapForDisplay(vk, gVar.nKbType); }
uint8_t RemapFromCapture(uint8_t vk) { return RemapFromCapture(vk, gVar.nKbType); }
