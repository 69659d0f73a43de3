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
#include <algorithm>
#include <optional>
#include <string>

#include "core/Log.h"
#include "device/ApplySnapshot.h"
#include "device/mouse/MouseApplyRun.h"
#include "device/w24g/Dev24G.h"
#include "device/w24g/W24General.h"

using namespace w24g;

class CDev24G::CApplyRun final : public mouse::CMouseApplyRun {
public:
    CApplyRun(CDev24G& dev, ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, std::stop_token stop)
        : CMouseApplyRun(dev, snap, pProgress, nMsg, std::move(stop), dev.m_pPointer), m_mouse(dev),
          m_opt(W24Options::FromDesc(snap.opt.ms, snap.opt.nMsFw, snap.opt.nSubMsFw)),
          m_bWireless(dev.IsWireless())
    {
    }

    int Run(uint32_t nFlags)
    {
        if (!Begin("Apply_24G")) return 0;
        if (!ChooseProfile()) return 0;
        return RunMouseSteps(nFlags, kApplyGeneral);
    }

private:
    // The profile to write and the profile record's mode block it comes from;
    // false when the profile does not belong to the connection.
    bool ChooseProfile()
    {
        if (Desc().nSingleMode) {
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
            Notice(m_bWireless ? u"1002" : u"1001", u" ");
            return false;
        }
        return true;
    }

    const MsModeSettings& Mode() const { return m_snap.pro.Ms.Mode[m_nModeBlock]; }

    void Warn(const char16_t* pszText)
    {
        if (!GoOn()) Notice(pszText, u" ");
    }

    bool WriteGeneral() override
    {
        LogPrintf("Writing Mode %x (PID=%04X)-----------", m_p, unsigned(m_mouse.GetPID()));
        GeneralBlock block{};
        if (!m_mouse.GetProfile(m_p, block)) return Failed(Fmt("Get general data error, err=0x%x", LastErr()));
        LogPrintf("General(Load):-------------");
        LogHex(block.data(), block.size(), 10, "");
        if (IsPlausible(block, m_snap.nMsSensor)) {
            m_mouse.SetLastGood(m_p, block);
        } else if (const std::optional<GeneralBlock> last = m_mouse.LastGood(m_p); last && (*last)[1] && (*last)[2]) {
            // A mouse half awake answers zeros or noise: write onto what it
            // held the last time it answered properly, not onto that.
            block = *last;
            LogPrintf("lastGeneral:-------------");
            LogHex(block.data(), block.size(), 10, "");
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
        if (!m_mouse.SetProfile(m_p, block) && !Failed(Fmt("SetProfile, err=0x%x", LastErr()))) return false;
        return Pause(kStepPause);
    }

    bool WriteJobPointer() override { return ApplyPointer(Mode()); }
    // Only the connection's mode is written: the plan is given that mode alone
    // (buffers for the other modes would be wasted).
    bool WriteJobKeys() override { return WriteKeys(KeyInput(m_nModeBlock, 1), m_p, false); }

    bool WriteJobLiftOff() override
    {
        if (m_bWireless && Desc().nShowLOD != 0 && Desc().nWirlessLOD == 0) {
            LogPrintf("SetLOD2: not set through the receiver");
            return true;
        }
        return WriteLiftOff(Mode());
    }

    bool SendCommand(uint8_t byCmd, uint8_t byParam) override { return m_mouse.SendCmd(MakeCmd(byCmd, byParam)); }
    bool SendBuffer(int nNumber, std::span<const uint8_t> bytes) override
    {
        return m_mouse.SendData(MakeMacroReport(m_mouse.m_kind, nNumber, bytes));
    }
    bool SendMatrix(int nRecord, const KeyMatrix& matrix) override
    {
        return m_mouse.SendData(MakeMatrixReport(m_mouse.m_kind, nRecord, matrix));
    }
    std::string FailText(Fail what, int n) const override
    {
        switch (what) {
        case Fail::Macro: return Fmt("SetMacro, err=0x%x", LastErr());
        case Fail::Bullet: return Fmt("SetMacro Bullet Err, k=%d", n);
        case Fail::Matrix: return Fmt("SetMatrix, err=0x%x", LastErr());
        }
        return {};
    }

    CDev24G& m_mouse;
    const W24Options m_opt;
    const bool m_bWireless;
    int m_p = 1;            // profile written, 1..2
    int m_nModeBlock = 0;   // mode block of the profile record it comes from
};

int CDev24G::ApplySetting(ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, uint32_t nFlags,
                          std::stop_token stop)
{
    return CApplyRun(*this, snap, pProgress, nMsg, std::move(stop)).Run(nFlags);
}
