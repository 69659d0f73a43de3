#include "keys/MacroId.h"

uint32_t NewMacroId(const TimeOfDayClock& clock, const CMacroList& macros, const CMacroList& bullets)
{
    return NewStampId(clock, [&](uint32_t id) { return macros.FindById(id) || bullets.FindById(id); });
}

uint32_t NewMacroId(const TimeOfDayClock& clock) { return NewMacroId(clock, g_MacroList, g_BulletList); }
