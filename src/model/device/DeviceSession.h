// The whole apply of the apply and reset buttons, for every connected family:
// the stored profiles loaded (or made), the current profile reset to the
// defaults when asked, its mode set to the mode the device reports, a job per
// family with a snapshot, the results waited for, and the profiles saved when
// they changed. The command-line tool runs it as it stands; the main window
// runs the same steps with its own progress window.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/IPrompt.h"
#include "device/DeviceHub.h"

struct FamilyApplyResult {
    std::string strFamily;
    bool bOk = false;
};

struct ApplyRunResult {
    std::string strProblem;           // why nothing was written; empty when the jobs ran
    std::u16string strProfileName;    // the profile written
    std::vector<FamilyApplyResult> families;
    std::string strSaveError;         // the profiles changed and could not be saved
    bool Ok() const;
};

// Loads the macro and bullet folders of the user folder, and the macros of
// imported key layouts (OrgMac), into the program's lists; false (with the
// folder in strErr) when one cannot be read.
bool LoadMacroLists(std::string& strErr);

// Every family of the hub must have been found (FindNow or FindLater, then
// Publish). nFlags 0: each family's full apply.
ApplyRunResult ApplyCurrentProfile(CDeviceHub& hub, IPrompt& prompt, uint32_t nFlags, bool bReset);
