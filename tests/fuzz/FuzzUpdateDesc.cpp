// Feeds arbitrary bytes to the update description reader and walks every
// decision over what it read, for each kind of check and both answers.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "update/UpdateRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    UpdateDesc desc;
    if (!ReadUpdateDescBytes(std::string_view(reinterpret_cast<const char*>(pData), nSize), desc)) return 0;
    for (const int nType : {kUpdateProgram, kUpdateFirmware, kUpdateBoth}) {
        for (const bool bUser : {false, true}) {
            const UpdateQuery q{nType, bUser, 0x15, 0x1A2B, 0x3C4D, 0x0105};
            UpdateCursor at;
            // Every step moves the walk on (answered no), so it ends within twice the entries.
            for (size_t nSteps = 0; nSteps <= 2 * desc.entries.size() + 1; ++nSteps) {
                const UpdateStep s = NextUpdateStep(desc, q, at);
                if (s.action == UpdateAction::Finish || s.action == UpdateAction::ProgramUpToDate ||
                    s.action == UpdateAction::FirmwareUpToDate)
                    break;
                if (s.iEntry >= desc.entries.size()) __builtin_trap();
                if (UpdateFileName(s.strUrl)) (void)FirmwareFolderName(desc.entries[s.iEntry].pid.nValue, 22);
                if (!(at.iEntry < s.next.iEntry || (at.iEntry == s.next.iEntry && !at.bFirmware && s.next.bFirmware)))
                    __builtin_trap();  // the walk must move forward
                at = s.next;
            }
        }
    }
    return 0;
}
