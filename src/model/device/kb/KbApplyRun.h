// What the keyboard families' apply runs share: the job's keyboard
// description and key block, the flags every keyboard reads alike, the final
// pauses, and the notices they give alike. The two block-transport families
// (configuration, colours, keys, configuration again) also share the order
// of their steps: CKbBlockApplyRun.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "device/ApplyRun.h"
#include "device/kb/KbBlock.h"
#include "device/kb/KbDescSnap.h"

namespace kb {

constexpr uint32_t kFlagKeys = 0x01;
constexpr uint32_t kFlagLighting = 0x02;
constexpr uint32_t kFlagKeyColours = 0x04;
// The block-transport families take 4 and 0x10 alike for the per-key colours.
constexpr uint32_t kFlagBlockColours = kFlagKeyColours | 0x10;
constexpr uint32_t kFlagsOfBlockKeyboard = kFlagKeys | kFlagLighting | kFlagBlockColours;

// The last pause of a successful keyboard job: with a progress window
// showing and without one.
struct KbDonePauses {
    IClock::Duration withProgress;
    IClock::Duration quiet;
};

class CKbApplyRun : public CApplyRunBase {
protected:
    CKbApplyRun(CHidDev& dev, ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, std::stop_token stop);

    // The family's steps for nFlags, then the final pause of done.
    template <class Run>
    int RunKbSteps(Run& run, std::span<const ApplyStep<Run>> steps, uint32_t nFlags, const KbDonePauses& done)
    {
        const ApplyTiming timing{m_bProgressWindow ? done.withProgress : done.quiet, IClock::Duration::zero()};
        return RunSteps<Run>(run, steps, nFlags, timing);
    }

    // One notice naming every key slot whose function the keyboard cannot take.
    void TellInvalidSlots(const std::vector<int>& slots);
    // The catalogue's text pszKey (fallback when the catalogue has none) as a notice.
    void Tell(const char* pszKey, std::u16string_view fallback);

    const KbDescSnap& m_d;
    const CKbBlock m_block;
    const bool m_bProgressWindow;
};

// The run of the families that write blocks through the block transport:
// lighting (the configuration filled, progress 40), the per-key colours, the
// keys and macros, and the configuration written back, for the flags asked for.
class CKbBlockApplyRun : public CKbApplyRun {
protected:
    using CKbApplyRun::CKbApplyRun;

    int RunBlockSteps(uint32_t nFlags, const KbDonePauses& done);

    // A keyboard that is not to be written (in another configuration, in
    // wireless mode): the user is told, nothing is written and the job ends
    // with 1.
    int Refuse(const char* pszKey, std::u16string_view fallback);
    // Whether the description asks to check the configuration in use
    // (TipForDevCfg) and the keyboard's, byInUse, is not the description's.
    bool OtherConfiguration(uint8_t byInUse) const;
    int RefuseOtherConfiguration() { return Refuse("tc_tipfordevcfg", u"The keyboard uses another configuration."); }

    virtual bool Lighting() = 0;
    virtual bool Colours() = 0;
    virtual bool Keys() = 0;
    virtual bool SaveConfiguration() = 0;
};

}  // namespace kb
