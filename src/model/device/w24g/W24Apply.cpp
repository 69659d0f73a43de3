// CDev24G::ApplySetting: a profile snapshot onto the wireless mouse. Only the
// profile of the current connection is written (1 on the cable, 2 through the
// receiver), from the profile's mode of that connection.
//
// Order and pauses, for the flags asked for:
//   2     read the block, change it, write it; pause
//         progress 40
//   8     the system's pointer settings (nothing else when the flags are exactly 8)
//         progress 60
//   1     macro buffers (60 ms after each), bullet buffers (60 ms), the matrix; pause
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
#include <memory>
#include <string>

#include "core/Log.h"
#include "core/SensorTables.h"
#include "core/Utf.h"
#include "device/ApplySnapshot.h"
#include "device/mirex/MirexKeyPlan.h"
#include "device/mirex/MirexSettingCodes.h"
#include "device/w24g/Dev24G.h"
#include "device/w24g/W24General.h"

using namespace w24g;

class CDev24G::CApplyRun {
public:
    CApplyRun(CDev24G& dev, ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, std::stop_token stop)
        : m_dev(dev), m_snap(snap), m_pProgress(pProgress), m_nMsg(nMsg), m_stop(std::move(stop)),
          m_opt(W24Options::FromGvar()), m_bGoOn(gVar.nGoWithNoDev != 0), m_bHadDevice(dev.GetHandle() != nullptr),
          m_bWireless(dev.IsWireless())
    {
    }

    int Run(uint32_t nFlags)
    {
        LogPrintf("Apply_24G");
        if (m_snap.pro.nID == 0) return 0;
        if (!m_pProgress) LogPrintf("hWnd=0");
        if (m_snap.bReset) LogPrintf("Apply Reset...");
        if (!ChooseProfile()) return 0;
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
    // The profile to write and the profile record's mode block it comes from;
    // false when the profile does not belong to the connection.
    bool ChooseProfile()
    {
        if (gVar.Ms.nSingleMode) {
            m_p = m_bWireless ? 2 : 1;
            m_nModeBlock = 0;
            LogPrintf("SingleMode, nProIndex=%d", m_p);
            return true;
        }
        const int nMode = m_snap.pro.Ms.ProMirex.nMode;
        m_p = nMode + 1;
        m_nModeBlock = std::clamp(nMode, 0, kMsModeNum - 1);
        // Writing the cable's settings into the receiver's profile (or the other
        // way round) would leave the mouse with the wrong profile on each link,
        // whatever the log level.
        const int nWanted = m_bWireless ? 2 : 1;
        if (m_p != nWanted) {
            LogPrintf("Apply_24G: profile %d does not belong to the %s connection", m_p,
                      m_bWireless ? "receiver" : "cable");
            m_dev.m_prompt.ShowMessage(m_bWireless ? u"1002" : u"1001", u" ");
            return false;
        }
        return true;
    }

    // False when the job ends with failure.
    bool Steps(uint32_t nFlags)
    {
        if ((nFlags & kApplyGeneral) && !WriteGeneral()) return false;
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

    const MsModeSettings& Mode() const { return m_snap.pro.Ms.Mode[m_nModeBlock]; }

    // A failed step: logged; true when the job goes on.
    bool Failed(const std::string& strLog)
    {
        LogPrintf("%s", strLog.c_str());
        m_bFailed = true;
        return m_bGoOn;
    }

    void Warn(const char16_t* pszText)
    {
        if (!m_bGoOn) m_dev.m_prompt.ShowMessage(pszText, u" ");
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

    int LastErr() const
    {
        const IHidHandle* h = m_dev.GetHandle();
        return h ? h->LastError() : 0;
    }

    bool WriteGeneral()
    {
        LogPrintf("Writing Mode %x (PID=%04X)-----------", m_p, unsigned(m_dev.GetPID()));
        GeneralBlock block{};
        if (!m_dev.GetProfile(m_p, block)) return Failed(Fmt("Get general data error, err=0x%x", LastErr()));
        LogPrintf("General(Load):-------------");
        LogHex(block.data(), block.size(), 10, "");
        if (IsPlausible(block, m_snap.nMsSensor)) {
            m_dev.SetLastGood(m_p, block);
        } else if (const std::optional<GeneralBlock> last = m_dev.LastGood(m_p); last && (*last)[1] && (*last)[2]) {
            // A mouse half awake answers zeros or noise: write onto what it
            // held the last time it answered properly, not onto that.
            block = *last;
            LogPrintf("lastGeneral:-------------");
            LogHex(block.data(), 146, 10, "");
        } else {
            // Nothing trustworthy to change: writing this back could wipe the
            // mouse's settings, so the block is left alone.
            Warn(u"Warning: value=0");
            if ((block[kGbSensor] & 0x3F) == 0) Warn(u"Tips: rsn=0");
            return Failed("General: the block read is not plausible and none was read before, not written");
        }
        int nCur = m_snap.nCurDpiLevel[m_p - 1];
        if (nCur < 0) nCur = m_snap.sensor ? m_snap.sensor->nDefLevel : -1;
        LogPrintf("g_nCurDpiLevel[%d]=%d", m_p - 1, nCur);
        UpdateDpiPart(block, Mode(), nCur, m_snap.nMsSensor, m_snap.bReset, m_opt);
        if (m_opt.base.nShowLED) UpdateLightingPart(block, Mode(), m_opt);
        UpdateSystemPart(block, m_snap.pro.Ms, W24Extras{}, m_opt);
        LogPrintf("General(Save):-------------");
        LogHex(block.data(), block.size(), 10, "");
        if (!m_dev.SetProfile(m_p, block) && !Failed(Fmt("SetProfile, err=0x%x", LastErr()))) return false;
        return Pause(kStepPause);
    }

    void ApplyPointer()
    {
        if ((gVar.Ms.nShowSys & 0x07) == 0) return;
        if (!m_dev.m_pPointer) {
            LogPrintf("Pointer settings: this desktop gives no way to set them");
            return;
        }
        if (!m_dev.m_pPointer->Apply(Mode().Sys)) LogPrintf("Pointer settings: the desktop refused them");
    }

    bool WriteKeys()
    {
        // The wired family's plan builder makes the matrix and buffers of the
        // first modes; only the connection's mode is written here, so it is
        // given that mode alone (buffers for the other modes would be wasted).
        auto pMs = std::make_unique<MsSettings>(m_snap.pro.Ms);
        if (m_nModeBlock != 0) pMs->Mode[0] = m_snap.pro.Ms.Mode[m_nModeBlock];
        mirex::MirexKeyInput in;
        in.pMs = pMs.get();
        in.nModes = 1;
        {
            std::lock_guard lock(m_dev.m_mtxLayout);
            std::copy(std::begin(m_dev.m_nMatrixPos[m_nModeBlock]), std::end(m_dev.m_nMatrixPos[m_nModeBlock]),
                      in.nMatrixPos[0]);
        }
        in.pMacros = &m_snap.macros;
        in.pBullets = &m_snap.bullets;
        in.nSensor = m_snap.nMsSensor;
        in.nMsFw = m_opt.base.nMsFw;
        const mirex::MirexKeyPlan plan = mirex::BuildKeyPlan(in);
        LogPrintf("-------KeyMode%d-------", m_p);
        for (size_t i = 0; i < plan.matrix[0].size(); ++i)
            LogPrintf("Matrix[%d][%zu] = 0x%08x", m_p - 1, i, plan.matrix[0][i]);
        if (!plan.notices.empty()) {
            // One notice for all of them, not a box per key.
            std::string strText;
            for (const std::string& s : plan.notices) strText.append(strText.empty() ? "" : "\n").append(s);
            m_dev.m_prompt.ShowMessage(Utf8ToU16(strText), u"");
        }
        for (const mirex::MirexBuffer& b : plan.macros) {
            m_bBuffersWritten = true;
            if (!m_dev.SendData(MakeMacroReport(m_dev.m_kind, b.nNumber, b.bytes)) &&
                !Failed(Fmt("SetMacro, err=0x%x", LastErr())))
                return false;
            if (!Pause(kMacroPause)) return false;
        }
        for (const mirex::MirexBuffer& b : plan.bullets) {
            m_bBuffersWritten = true;
            if (!m_dev.SendData(MakeMacroReport(m_dev.m_kind, b.nNumber, b.bytes)) &&
                !Failed(Fmt("SetMacro Bullet Err, k=%d", b.nNumber)))
                return false;
            if (!Pause(kMacroPause)) return false;
        }
        if (!m_dev.SendData(MakeMatrixReport(m_dev.m_kind, m_p, plan.matrix[0])) &&
            !Failed(Fmt("SetMatrix, err=0x%x", LastErr())))
            return false;
        return Pause(kStepPause);
    }

    bool WriteLiftOff()
    {
        if (m_bWireless && gVar.Ms.nShowLOD != 0 && gVar.Ms.nWirlessLOD == 0) {
            LogPrintf("SetLOD2: not set through the receiver");
            return true;
        }
        const std::optional<uint8_t> byHw = mirex::LiftOffHwCode(gVar.Ms, Mode().nLod);
        if (!byHw) return true;
        if (!m_dev.SendCmd(MakeLiftOffCmd(*byHw)) && !Failed("SetLOD2 Err")) return false;
        return Pause(kStepPause);
    }

    bool WriteDebounce()
    {
        const std::optional<uint8_t> byHw = mirex::DebounceHwCode(gVar.Ms, m_snap.pro.Ms.nDebounce);
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

    CDev24G& m_dev;
    ApplySnapshot& m_snap;
    IMsgTarget* m_pProgress;
    const uint32_t m_nMsg;
    const std::stop_token m_stop;
    const W24Options m_opt;
    const bool m_bGoOn;
    const bool m_bHadDevice;
    const bool m_bWireless;
    int m_p = 1;            // profile written, 1..2
    int m_nModeBlock = 0;   // mode block of the profile record it comes from
    bool m_bFailed = false;
    bool m_bStopped = false;
    bool m_bBuffersWritten = false;
};

int CDev24G::ApplySetting(ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, uint32_t nFlags,
                          std::stop_token stop)
{
    return CApplyRun(*this, snap, pProgress, nMsg, std::move(stop)).Run(nFlags);
}
