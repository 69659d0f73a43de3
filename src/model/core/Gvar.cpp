#include "core/Gvar.h"

#include <memory>
#include <type_traits>

GlobalVar gVar{};
HwParam hwParam{};

std::filesystem::path g_szAppDir;
std::filesystem::path g_szUserDir;

KeyInfo g_MsKeyLayout[kMsModeCount][kMsKeyCount]{};
KeyInfo g_defKEY[kKbDefKeyNum]{};
SensorDpiTable g_SensorDpiTables[kSensorTableNum]{};
SensorCfg* pSensorCfg = nullptr;

int g_nCurMode = -1;
int g_nCurDpiLevel[kMsModeCount] = {-1, -1, -1};
int g_nCurLODLevel[kMsModeCount] = {-1, -1, -1};

float g_fScale = 1.4f;

// Clearing by value-initialising in place: the record is far too large for a
// temporary on the stack, and it holds nothing that needs destroying.
static_assert(std::is_trivially_destructible_v<GlobalVar>);

void ClearGvar()
{
    std::construct_at(&gVar);
}
