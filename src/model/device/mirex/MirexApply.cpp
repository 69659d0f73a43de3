// CDevMirex::ApplySetting: a profile snapshot onto the wired mouse.
//
// Order and pauses, for the flags asked for:
//   2, 4  per mode to write: pause, read the block, change it, pause, write it; pause
//         progress 40
//   8     the system's pointer settings (nothing else when the flags are exactly 8)
//         progress 60
//   1     macro buffers (60 ms after each), bullet buffers (60 ms), matrices (50 ms); pause
//         progress 80
//   0x20  lift-off command; pause
//   0x40  debounce command; pause
//         progress 100, 1500 ms; 3000 ms more when buffers were written
//
// A failed step is logged and ends the job unless GoWithNoDev is set; the job
// then goes on, but still reports failure when a mouse was connected and a
// transfer failed (without any mouse at all, as in a demo, it succeeds).
#include <algorithm>
#include <string>

#include "core/Log.h"
#include "core/SensorTables.h"
#include "device/ApplySnapshot.h"
#include "device/mirex/DevMirex.h"
#include "device/mirex/MirexGeneral.h"
#include "device/mouse/MouseApplyRun.h"

using namespace mirex;

class CDevMirex::CApplyRun final : public mouse::CMouseApplyRun {
public:
    CApplyRun(CDevMirex& dev, ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, std::stop_token stop)
        : CMouseApplyRun(dev, snap, pProgress, nMsg, std::move(stop), dev.m_pPointer), m_mouse(dev),
          m_opt(MouseOptions::FromDesc(snap.opt.ms, snap.opt.nMsFw))
    {
    }

    int Run(uint32_t nFlags)
    {
        if (!Begin("Apply_Mirex")) return 0;
        m_nModes = ModeCount();
        m_nCurMode = m_snap.pro.Ms.ProMirex.nMode;
        if (m_nCurMode < 0 || m_nCurMode >= m_nModes) {
            LogPrintf("Apply_Mirex: profile mode %d does not exist, mode 1 written", m_nCurMode);
            m_nCurMode = 0;
        }
        // The lighting lives in the general block: a lighting-only job writes it too.
        return RunMouseSteps(nFlags, kApplyGeneral | kApplyLed);
    }

private:
    int ModeCount() const
    {
        if ((m_opt.nMsFw & 0xF0) || m_snap.opt.ms.nPopByte1 == 3 || m_opt.Kind() == 5) return 2;
        return m_snap.sensor ? std::clamp(m_snap.sensor->nMDNUM, 1, int(kModeMax)) : kModeMax;
    }

    bool WriteGeneral() override
    {
        for (int m = 0; m < m_nModes; ++m) {
            if (!m_snap.bReset && m != m_nCurMode) continue;
            LogPrintf("Writing Mode %x -----------", m + 1);
            if (!Pause(kStepPause)) return false;
            GeneralBlock block{};
            if (!m_mouse.GetProfile(m + 1, block)) {
                if (!Failed(Fmt("Get general data error, err=0x%x", LastErr()))) return false;
                continue;  // without the mouse's block there is nothing safe to write back
            }
            // A block of another sensor is not this mouse's answer (noise, or
            // another device): writing it back would spread it.
            const int32_t nSensor = SensorFromCode(block[kGbSensor] & 0x3F);
            if (m_snap.nMsSensor != 0 && nSensor != m_snap.nMsSensor) {
                if (!Failed(Fmt("Get general data error, sensor 0x%x in the block, 0x%x expected", unsigned(nSensor),
                                unsigned(m_snap.nMsSensor))))
                    return false;
                continue;
            }
            LogPrintf("General(Load):");
            LogHex(block.data(), block.size(), 10, "");
            const MsModeSettings& mode = m_snap.pro.Ms.Mode[m];
            int nCur = m_snap.nCurDpiLevel[m];
            if (nCur < 0) nCur = m_snap.sensor ? m_snap.sensor->nDefLevel : -1;
            UpdateDpiPart(block, mode, m, nCur, m_snap.nMsSensor, m_snap.bReset, m_opt);
            if (m_opt.nShowLED) UpdateLightingPart(block, mode, m_opt);
            LogPrintf("General(Save):");
            LogHex(block.data(), block.size(), 10, "");
            if (!Pause(kStepPause)) return false;
            if (!m_mouse.SendData(MakeGeneralReport(m + 1, block)) && !Failed(Fmt("SetProfile, err=0x%x", LastErr())))
                return false;
        }
        return Pause(kStepPause);
    }

    // Every mode's keys; pointer and lift-off of the profile's mode.
    bool WriteJobPointer() override { return ApplyPointer(m_snap.pro.Ms.Mode[m_nCurMode]); }
    bool WriteJobKeys() override { return WriteKeys(KeyInput(0, m_nModes), 1, true); }
    bool WriteJobLiftOff() override { return WriteLiftOff(m_snap.pro.Ms.Mode[m_nCurMode]); }

    bool SendCommand(uint8_t byCmd, uint8_t byParam) override { return m_mouse.SendCmd(MakeCmd(byCmd, byParam)); }
    bool SendBuffer(int nNumber, std::span<const uint8_t> bytes) override
    {
        return m_mouse.SendData(MakeMacroReport(nNumber, bytes));
    }
    bool SendMatrix(int nRecord, const KeyMatrix& matrix) override
    {
        return m_mouse.SendData(MakeMatrixReport(nRecord, matrix));
    }
    std::string FailText(Fail what, int n) const override
    {
        switch (what) {
        case Fail::Macro: return "SetMacro Err";
        case Fail::Bullet: return Fmt("SetMacro Bullet Err, k=%d", n);
        case Fail::Matrix: return Fmt("SetMatrix Err, k=%d", n);
        }
        return {};
    }

    CDevMirex& m_mouse;
    const MouseOptions m_opt;
    int m_nModes = 3;
    int m_nCurMode = 0;
};

int CDevMirex::ApplySetting(ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, uint32_t nFlags,
                            std::stop_token stop)
{
    return CApplyRun(*this, snap, pProgress, nMsg, std::move(stop)).Run(nFlags);
}
