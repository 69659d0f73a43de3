// The apply steps both mouse families take the same way: the key matrices
// with the macro and bullet buffers their keys play, lift-off, debounce and
// the desktop's pointer settings. A family's run derives from this, sends its
// own reports through the hooks below and adds its general-block step.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "device/ApplyRun.h"
#include "device/mouse/IOsPointerSettings.h"
#include "device/mouse/MouseKeyPlan.h"
#include "device/mouse/MouseOptions.h"
#include "device/mouse/MouseReports.h"

namespace mouse {

class CMouseApplyRun : public CApplyRunBase {
public:
    CMouseApplyRun(CHidDev& dev, ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, std::stop_token stop,
                   IOsPointerSettings* pPointer);

protected:
    // The job's steps in the mouse order, progress after each: the general
    // block (when the flags meet nGeneralFlags) 40, the desktop's pointer
    // (alone when the flags are exactly its own) 60, the keys 80, lift-off,
    // debounce; then the final pauses.
    int RunMouseSteps(uint32_t nFlags, uint32_t nGeneralFlags);

    // ---- the family's steps ---------------------------------------------------------
    virtual bool WriteGeneral() = 0;
    virtual bool WriteJobPointer() = 0;
    virtual bool WriteJobKeys() = 0;
    virtual bool WriteJobLiftOff() = 0;

    // What a failed buffer or matrix write logs.
    enum class Fail { Macro, Bullet, Matrix };

    // ---- the family's reports ---------------------------------------------------------
    virtual bool SendCommand(uint8_t byCmd, uint8_t byParam) = 0;
    virtual bool SendBuffer(int nNumber, std::span<const uint8_t> bytes) = 0;
    virtual bool SendMatrix(int nRecord, const KeyMatrix& matrix) = 0;
    virtual std::string FailText(Fail what, int n) const = 0;

    // ---- shared steps -------------------------------------------------------------------
    // The key plan of in, written: buffers (a pause after each), then the
    // matrix of plan mode m as record nFirstRecord + m, a pause after each
    // when bPauseEachMatrix, and one at the end.
    bool WriteKeys(const MouseKeyInput& in, int nFirstRecord, bool bPauseEachMatrix);
    // The key input of the snapshot for nModes modes starting with mode nFirst.
    MouseKeyInput KeyInput(int nFirst, int nModes) const;
    bool WriteLiftOff(const MsModeSettings& mode);
    bool WriteDebounce();
    // The desktop's pointer settings of the mode (never fails the job).
    bool ApplyPointer(const MsModeSettings& mode);

    const MsDesc& Desc() const { return m_snap.opt.ms; }

private:
    IOsPointerSettings* const m_pPointer;
};

}  // namespace mouse
