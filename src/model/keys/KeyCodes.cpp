#include "keys/KeyCodes.h"

#include "keys/FunId.h"
#include "keys/KeyInfo.h"

uint8_t GetSingleVk(const KeyInfo& key)
{
    if (FunClass(key.FunID) != FUN_KEY) return 0;
    if (key.byModifier == 0) return key.byKey1;
    // Ctrl before Shift before Alt before Win, the left key before the right.
    static constexpr uint8_t kOrder[] = {kModLCtrl, kModRCtrl, kModLShift, kModRShift,
                                         kModLAlt,  kModRAlt,  kModLWin,   kModRWin};
    for (const uint8_t bit : kOrder)
        if (key.byModifier & bit) return VkOfModifierBit(bit);
    return 0;
}
