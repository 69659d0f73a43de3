#include "device/mouse/MouseApplyRun.h"

#include <algorithm>
#include <optional>

#include "device/mouse/MouseSettingCodes.h"

namespace mouse {

CMouseApplyRun::CMouseApplyRun(CHidDev& dev, ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg,
                               std::stop_token stop, IOsPointerSettings* pPointer)
    : CApplyRunBase(dev, snap, pProgress, nMsg, std::move(stop)), m_pPointer(pPointer)
{
}

int CMouseApplyRun::RunMouseSteps(uint32_t nFlags, uint32_t nGeneralFlags)
{
    const ApplyStep<CMouseApplyRun> steps[] = {
        {nGeneralFlags, &CMouseApplyRun::WriteGeneral, 40},
        {kApplyOsPointer, &CMouseApplyRun::WriteJobPointer, 60, true},
        {kApplyKeys, &CMouseApplyRun::WriteJobKeys, 80},
        {kApplyLod, &CMouseApplyRun::WriteJobLiftOff},
        {kApplyDebounce, &CMouseApplyRun::WriteDebounce},
    };
    return RunSteps<CMouseApplyRun>(*this, steps, nFlags, {kDonePause, kMacroSettle});
}

MouseKeyInput CMouseApplyRun::KeyInput(int nFirst, int nModes) const
{
    MouseKeyInput in;
    in.pMs = &m_snap.pro.Ms;
    in.nFirstMode = nFirst;
    in.nModes = nModes;
    for (int m = 0; m < nModes && nFirst + m < kMsModeNum; ++m)
        std::copy(std::begin(m_snap.opt.nMatrixPos[nFirst + m]), std::end(m_snap.opt.nMatrixPos[nFirst + m]),
                  in.nMatrixPos[m]);
    in.pMacros = &m_snap.macros;
    in.pBullets = &m_snap.bullets;
    in.nSensor = m_snap.nMsSensor;
    in.nMsFw = m_snap.opt.nMsFw;
    return in;
}

bool CMouseApplyRun::WriteKeys(const MouseKeyInput& in, int nFirstRecord, bool bPauseEachMatrix)
{
    const MouseKeyPlan plan = BuildKeyPlan(in);
    for (int m = 0; m < plan.nModes; ++m) {
        const int nRecord = nFirstRecord + m;
        LogPrintf("-------KeyMode%d-------", nRecord);
        for (size_t i = 0; i < plan.matrix[m].size(); ++i)
            LogPrintf("Matrix[%d][%zu] = 0x%08x", nRecord - 1, i, plan.matrix[m][i]);
    }
    Notice(plan.notices);  // one notice for all of them, not a box per key
    for (const MouseBuffer& b : plan.macros) {
        BuffersWritten();
        if (!SendBuffer(b.nNumber, b.bytes) && !Failed(FailText(Fail::Macro, b.nNumber))) return false;
        if (!Pause(kMacroPause)) return false;
    }
    for (const MouseBuffer& b : plan.bullets) {
        BuffersWritten();
        if (!SendBuffer(b.nNumber, b.bytes) && !Failed(FailText(Fail::Bullet, b.nNumber))) return false;
        if (!Pause(kMacroPause)) return false;
    }
    for (int m = 0; m < plan.nModes; ++m) {
        if (!SendMatrix(nFirstRecord + m, plan.matrix[m]) && !Failed(FailText(Fail::Matrix, nFirstRecord + m - 1)))
            return false;
        if (bPauseEachMatrix && !Pause(kStepPause)) return false;
    }
    return Pause(kStepPause);
}

bool CMouseApplyRun::WriteLiftOff(const MsModeSettings& mode)
{
    const std::optional<uint8_t> byHw = LiftOffHwCode(Desc(), mode.nLod);
    if (!byHw) return true;
    if (!SendCommand(kCmdLiftOff, *byHw) && !Failed("SetLOD2 Err")) return false;
    return Pause(kStepPause);
}

bool CMouseApplyRun::WriteDebounce()
{
    const std::optional<uint8_t> byHw = DebounceHwCode(Desc(), m_snap.pro.Ms.nDebounce);
    if (!byHw) return true;
    if (!SendCommand(kCmdDebounce, *byHw) && !Failed("SetDebounce Err")) return false;
    return Pause(kStepPause);
}

bool CMouseApplyRun::ApplyPointer(const MsModeSettings& mode)
{
    if ((Desc().nShowSys & 0x07) == 0) return true;
    if (!m_pPointer) {
        LogPrintf("Pointer settings: this desktop gives no way to set them");
        return true;
    }
    if (!m_pPointer->Apply(mode.Sys)) LogPrintf("Pointer settings: the desktop refused them");
    return true;
}

}  // namespace mouse
