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
#include <optional>
#include <algorithm>
#include <string>

#include "core/Log.h"
#include "core/SensorTables.h"
#include "core/Utf.h"
#include "device/mirex/MirexSettingCodes.h"
#include "device/ApplySnapshot.h"
#include "device/mirex/DevMirex.h"
#include "device/mirex/MirexGeneral.h"
#include "device/mirex/MirexKeyPlan.h"
#include "device/mirex/MirexProtocol.h"

using namespace mirex;

class CDevMirex::CApplyRun {
public:
    CApplyRun(CDevMirex& dev, ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, std::stop_token stop)
        : m_dev(dev), m_snap(snap), m_pProgress(pProgress), m_nMsg(nMsg), m_stop(std::move(stop)),
          m_opt(MirexOptions::FromGvar()), m_bGoOn(gVar.nGoWithNoDev != 0), m_bHadDevice(dev.GetHandle() != nullptr)
    {
    }

    int Run(uint32_t nFlags)
    {
        LogPrintf("Apply_Mirex");
        if (m_snap.pro.nID == 0) return 0;
        if (!m_pProgress) LogPrintf("hWnd=0");
        if (m_snap.bReset) LogPrintf("Apply Reset...");
        m_nModes = ModeCount();
        m_nCurMode = m_snap.pro.Ms.ProMirex.nMode;
        if (m_nCurMode < 0 || m_nCurMode >= m_nModes) {
            LogPrintf("Apply_Mirex: profile mode %d does not exist, mode 1 written", m_nCurMode);
            m_nCurMode = 0;
        }
        const bool bDone = Steps(nFlags);
        if (bDone && !m_bStopped) {
            Progress(100);
            Pause(kDonePause);
        }
        // The mouse stores macro buffers after the job: give it the time.
        if (m_bBuffersWritten && !m_bStopped) Pause(kMacroSettle);
        if (m_bStopped) return 0;
        return bDone && !(m_bFailed && m_bHadDevice) ? 1 : 0;
    }

private:
    // False when the job ends with failure.
    bool Steps(uint32_t nFlags)
    {
        // The lighting lives in the general block: a lighting-only job writes it too.
        if ((nFlags & (kApplyGeneral | kApplyLed)) && !WriteGeneral()) return false;
        Progress(40);
        if (nFlags & kApplyOsPointer) {
            ApplyPointer();
            if (nFlags == kApplyOsPointer) return true;
        }
        Progress(60);
        if ((nFlags & kApplyKeys) && !WriteKeys()) return false;
        Progress(80);
        if ((nFlags & kApplyLod) && !WriteLiftOff()) return false;
        if ((nFlags & kApplyDebounce) && !WriteDebounce()) return false;
        return !m_bStopped;
    }

    int ModeCount() const
    {
        if ((m_opt.nMsFw & 0xF0) || gVar.Ms.nPopByte1 == 3 || m_opt.Kind() == 5) return 2;
        return m_snap.sensor ? std::clamp(m_snap.sensor->nMDNUM, 1, int(kModeMax)) : kModeMax;
    }

    // A failed step: logged; true when the job goes on.
    bool Failed(const std::string& strLog)
    {
        LogPrintf("%s", strLog.c_str());
        m_bFailed = true;
        return m_bGoOn;
    }

    void Progress(int nPercent)
    {
        if (m_pProgress) m_pProgress->Post(m_nMsg, uintptr_t(nPercent), 0);
    }

    bool Pause(IClock::Duration d)
    {
        if (m_bStopped) return false;
        if (!m_dev.Pause(m_stop, d)) m_bStopped = true;
        return !m_bStopped;
    }

    // The system error of the command interface's last call. Read under the
    // command lock, so the handle cannot be closed meanwhile.
    int LastErr() const
    {
        const CmdLock lock = m_dev.LockCmd();
        const IHidHandle* h = m_dev.GetHandle();
        return h ? h->LastError() : kHidErrNoDevice;
    }

    bool WriteGeneral()
    {
        for (int m = 0; m < m_nModes; ++m) {
            if (!m_snap.bReset && m != m_nCurMode) continue;
            LogPrintf("Writing Mode %x -----------", m + 1);
            if (!Pause(kStepPause)) return false;
            GeneralBlock block{};
            if (!m_dev.GetProfile(m + 1, block)) {
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
            if (!m_dev.SendData(MakeGeneralReport(m + 1, block)) && !Failed(Fmt("SetProfile, err=0x%x", LastErr())))
                return false;
        }
        return Pause(kStepPause);
    }

    void ApplyPointer()
    {
        if ((gVar.Ms.nShowSys & 0x07) == 0) return;
        const MsSysSettings& sys = m_snap.pro.Ms.Mode[m_nCurMode].Sys;
        if (!m_dev.m_pPointer) {
            LogPrintf("Pointer settings: this desktop gives no way to set them");
            return;
        }
        if (!m_dev.m_pPointer->Apply(sys)) LogPrintf("Pointer settings: the desktop refused them");
    }

    bool WriteKeys()
    {
        MirexKeyInput in;
        in.pMs = &m_snap.pro.Ms;
        in.nModes = m_nModes;
        {
            std::lock_guard lock(m_dev.m_mtxLayout);
            std::copy(&m_dev.m_nMatrixPos[0][0], &m_dev.m_nMatrixPos[0][0] + kMsModeNum * kMsKeyNum,
                      &in.nMatrixPos[0][0]);
        }
        in.pMacros = &m_snap.macros;
        in.pBullets = &m_snap.bullets;
        in.nSensor = m_snap.nMsSensor;
        in.nMsFw = m_opt.nMsFw;
        const MirexKeyPlan plan = BuildKeyPlan(in);
        for (int m = 0; m < plan.nModes; ++m) {
            LogPrintf("-------KeyMode%d-------", m + 1);
            for (size_t i = 0; i < kMatrixEntries; ++i) LogPrintf("Matrix[%d][%zu] = 0x%08x", m, i, plan.matrix[m][i]);
        }
        if (!plan.notices.empty()) {
            // One notice for all of them, not a box per key.
            std::string strText;
            for (const std::string& s : plan.notices) strText.append(strText.empty() ? "" : "\n").append(s);
            m_dev.m_prompt.ShowMessage(Utf8ToU16(strText), u"");
        }
        for (const MirexBuffer& b : plan.macros) {
            m_bBuffersWritten = true;
            if (!m_dev.SendData(MakeMacroReport(b.nNumber, b.bytes)) && !Failed("SetMacro Err")) return false;
            if (!Pause(kMacroPause)) return false;
        }
        for (const MirexBuffer& b : plan.bullets) {
            m_bBuffersWritten = true;
            if (!m_dev.SendData(MakeMacroReport(b.nNumber, b.bytes)) &&
                !Failed(Fmt("SetMacro Bullet Err, k=%d", b.nNumber)))
                return false;
            if (!Pause(kMacroPause)) return false;
        }
        for (int m = 0; m < plan.nModes; ++m) {
            if (!m_dev.SendData(MakeMatrixReport(m + 1, plan.matrix[m])) && !Failed(Fmt("SetMatrix Err, k=%d", m)))
                return false;
            if (!Pause(kStepPause)) return false;
        }
        return Pause(kStepPause);
    }

    bool WriteLiftOff()
    {
        const std::optional<uint8_t> byHw = LiftOffHwCode(gVar.Ms, m_snap.pro.Ms.Mode[m_nCurMode].nLod);
        if (!byHw) return true;
        if (!m_dev.SendCmd(MakeLiftOffCmd(*byHw)) && !Failed("SetLOD2 Err")) return false;
        return Pause(kStepPause);
    }

    bool WriteDebounce()
    {
        const std::optional<uint8_t> byHw = DebounceHwCode(gVar.Ms, m_snap.pro.Ms.nDebounce);
        if (!byHw) return true;
        if (!m_dev.SendCmd(MakeDebounceCmd(*byHw)) && !Failed("SetDebounce Err")) return false;
        return Pause(kStepPause);
    }

    static std::string Fmt(const char* pszFormat, auto... args)
    {
        std::string s;
        AppendFormat(s, pszFormat, args...);
        return s;
    }

    CDevMirex& m_dev;
    ApplySnapshot& m_snap;
    IMsgTarget* m_pProgress;
    const uint32_t m_nMsg;
    const std::stop_token m_stop;
    const MirexOptions m_opt;
    const bool m_bGoOn;
    const bool m_bHadDevice;
    int m_nModes = 3;
    int m_nCurMode = 0;
    bool m_bFailed = false;
    bool m_bStopped = false;
    bool m_bBuffersWritten = false;
};

int CDevMirex::ApplySetting(ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, uint32_t nFlags,
                            std::stop_token stop)
{
    return CApplyRun(*this, snap, pProgress, nMsg, std::move(stop)).Run(nFlags);
}
