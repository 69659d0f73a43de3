#include "device/varo/VaroCodes.h"

#include <algorithm>
#include <utility>

#include "core/Log.h"
#include "device/kb/KbUsage.h"
#include "keys/FunId.h"
#include "keys/KeyCodes.h"

namespace varo {

namespace {

constexpr std::pair<uint32_t, uint32_t> kMouseCodes[] = {
    {kMsLeft, 0x0000F010}, {kMsMiddle, 0x0000F210}, {kMsRight, 0x0000F110},
    {kMsForward, 0x0000F410}, {kMsBack, 0x0000F310}, {kMsThree, 0x00000130},
};

std::optional<uint32_t> MouseCode(uint32_t v)
{
    for (const auto& [k, c] : kMouseCodes)
        if (k == v) return c;
    return std::nullopt;
}

uint32_t KeyClassCode(const KeyInfo& key)
{
    if (key.byModifier == 0 && key.byKey1 == kVkFn) return kCodeFn;
    if (const uint16_t wUsage = kb::KbConsumerUsage(key)) return kb::ConsumerCode(wUsage, kKindConsumer);
    return uint32_t(kKindKey) | uint32_t(key.byModifier) << 8 | uint32_t(kb::KbVkToHid(key.byKey1)) << 16 |
           uint32_t(kb::KbVkToHid(key.byKey2)) << 24;
}

std::optional<uint32_t> ConsumerKeyCode(const KeyInfo& key)
{
    const uint16_t wUsage = kb::KbConsumerUsage(key);
    if (wUsage == 0) return std::nullopt;
    return kb::ConsumerCode(wUsage, kKindConsumer);
}

// Byte 2 of a macro code: the keyboard's bit for repeat modes 0, 1 and 2
// (loop count, until a key, while held); another mode has none.
constexpr uint8_t kRepeatBit[3] = {0x01, 0x02, 0x04};

std::optional<uint32_t> MacroKeyCode(const KeyInfo& key, const MacroRecord* pMacro)
{
    if (pMacro == nullptr) {
        LogPrintf("keyinfo_to_hardware_code can't find macro id 0x%x", unsigned(key.MacroID));
        return std::nullopt;
    }
    const uint32_t nMode = pMacro->nRepeatMode;
    return uint32_t(kKindMacro) | uint32_t(nMode < 3 ? kRepeatBit[nMode] : 0) << 16;
}

struct ActionCode {
    uint8_t byKind;
    uint8_t byCode;  // 0: the action has no code on this keyboard
};

ActionCode ActionOf(uint8_t vk)
{
    if (const uint8_t byBit = ModifierBitOfVk(vk)) return {kActModifier, byBit};
    if (vk == kVkMsLeft || vk == kVkMsRight || vk == kVkMsMiddle) return {kActButton, vk};
    return {kActKey, kb::KbVkToHid(vk)};
}

}  // namespace

std::optional<uint32_t> VaroKeyCode(const KeyInfo& key, const MacroRecord* pMacro)
{
    const uint32_t v = FunValue(key.FunID);
    switch (FunClass(key.FunID)) {
    case FUN_MOUSE: return MouseCode(v);
    case FUN_KEY: return KeyClassCode(key);
    case FUN_APP:
    case FUN_MEDIA: return ConsumerKeyCode(key);
    case FUN_MACRO: return MacroKeyCode(key, pMacro);
    case FUN_SPECIAL: return 0u;  // the key keeps the keyboard's own function
    default: return std::nullopt;
    }
}

uint32_t WithMacroBuffer(uint32_t dwCode, int nBuffer, uint32_t nRepeat)
{
    uint32_t c = (dwCode & 0xFFFF00FFu) | uint32_t((nBuffer - 1) & 0xFF) << 8;
    if (c & 0x00010000u) c = (c & 0x00FFFFFFu) | std::min<uint32_t>(nRepeat, 0xFF) << 24;
    return c;
}

size_t VaroMacro(const MacroRecord& rec, std::span<uint8_t, kMacroBufferLen> out)
{
    std::ranges::fill(out, uint8_t{0});
    size_t n = 0;
    for (const MacroAction& a : rec.Action) {
        if (a.byCode == 0 || n + 3 > out.size()) break;
        const ActionCode ac = ActionOf(a.byCode);
        if (ac.byCode == 0) {
            LogPrintf("StMacro_To_HdMacro: get wrong hid");
            continue;
        }
        uint32_t nUnits = a.Delay() / 10;
        if (nUnits > kActDelayMaxUnits) {
            // The keyboard counts 11 bits; the longest delay it has is kept
            // rather than the low bits of a longer one.
            LogPrintf("StMacro_To_HdMacro: delay %u ms held at %u ms", unsigned(a.Delay()),
                      unsigned(kActDelayMaxUnits * 10));
            nUnits = kActDelayMaxUnits;
        }
        out[n++] = uint8_t((a.wState == 0 ? 0x80 : 0) | (nUnits & 0x7F));
        out[n++] = uint8_t(ac.byKind << 4 | ((nUnits >> 7) & 0x0F));
        out[n++] = ac.byCode;
    }
    return n;
}

}  // namespace varo
