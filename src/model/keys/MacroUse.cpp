#include "keys/MacroUse.h"

#include "keys/FunId.h"
#include "keys/MacroId.h"

namespace {
bool Plays(uint32_t dwFunID, uint32_t nKeyMacro, uint32_t nMacroId)
{
    return FunClass(dwFunID) == FUN_MACRO && (nKeyMacro & kStampIdMask) == nMacroId;
}
}  // namespace

MacroUsers WhoPlaysMacro(const ProfileRecord& pro, uint32_t nMacroId)
{
    MacroUsers u;
    nMacroId &= kStampIdMask;
    if (nMacroId == 0) return u;
    for (const MsModeSettings& mode : pro.Ms.Mode)
        for (const auto& set : mode.Key)
            for (const KeyInfo& k : set)
                if (Plays(k.FunID, k.MacroID, nMacroId)) u.bMouse = true;
    for (const KeyInfo& k : pro.Kb.Key)
        if (Plays(k.FunID, k.MacroID, nMacroId) || Plays(k.FnFun.FunID, k.FnFun.MacroID, nMacroId)) u.bKeyboard = true;
    for (const KeyInfo& k : pro.Kb.DirectKey)
        if (Plays(k.FunID, k.MacroID, nMacroId)) u.bKeyboard = true;
    return u;
}
