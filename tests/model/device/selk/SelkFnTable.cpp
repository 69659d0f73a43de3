// The Fn layer of a fixture for the Selk keyboard tests (a file of its own:
// the description's header and the profile record's name some counts alike).
#include "core/KeyboardDesc.h"

namespace selktest {

void LoadFnTable(const CIniFile& cfg, IPrompt& prompt) { BuildFnTable(cfg, prompt); }

}  // namespace selktest
