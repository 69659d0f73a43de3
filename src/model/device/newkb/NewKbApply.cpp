// CDevNew::ApplySetting: a profile snapshot onto one type-24 keyboard.
//
// Order and pauses, for the flags asked for:
//         progress 20, 20 ms
//   1     keys: (SyncKB: 30 ms, key matrix read) matrix filled, 30 ms, key
//         matrix written; with macros: 30 ms, macro area written
//   2     lighting: 30 ms, lighting block written, progress 40, 30 ms, read
//         back; outside the per-key colour mode the mode colour table written
//   4     per-key colours, in the per-key colour mode: per group 30 ms,
//         written, 30 ms, read back
//         progress 100, 500 ms (30 ms without a progress window)
// Every write is chunked with 20 ms before each chunk.
//
// A matrix that is read, changed and written back is written only when its
// read succeeded, also with GoWithNoDev: a failed read never switches keys
// off that the profile leaves alone.
#include <array>
#include <string>
#include <vector>

#include "core/Log.h"
#include "core/SensorTables.h"
#include "device/ApplySnapshot.h"
#include "device/kb/KbApplyRun.h"
#include "device/newkb/DevNew.h"
#include "device/newkb/NewKbReports.h"

namespace newkb {

class CDevNew::CApplyRun final : public kb::CKbApplyRun {
public:
    CApplyRun(CDevNew& dev, ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, std::stop_token stop)
        : CKbApplyRun(dev, snap, pProgress, nMsg, std::move(stop)), m_kb(dev)
    {
    }

    int Run(uint32_t nFlags)
    {
        if (!Begin("CDevNew::ApplySetting")) return 0;
        LogPrintf("CDevNew::ApplySetting: hWnd=%x, unit %d", unsigned(m_bProgressWindow), m_kb.Unit());
        if (!(nFlags & (kb::kFlagKeys | kb::kFlagLighting | kb::kFlagKeyColours))) return 1;  // nothing of the keyboard's asked for
        if (m_d.nKbFw == 0) {
            LogPrintf("CDevNew::ApplySetting: no keyboard description in the job");
            return 0;
        }
        Progress(20);
        if (!Pause(kStartPause)) return 0;
        static constexpr ApplyStep<CApplyRun> kSteps[] = {
            {kb::kFlagKeys, &CApplyRun::Keys},
            {kb::kFlagLighting, &CApplyRun::Lighting},
            {kb::kFlagKeyColours, &CApplyRun::Groups},
        };
        return RunKbSteps<CApplyRun>(*this, kSteps, nFlags, {kDoneWithProgress, kDoneQuiet});
    }

private:
    bool Write(uint8_t byCmd, uint8_t byIndex, std::span<const uint8_t> data)
    {
        return m_kb.m_drv.AccessWrite(byCmd, byIndex, data, kWriteDelay);
    }

    bool Keys()
    {
        std::optional<MatrixCodes> current;
        if (m_d.kb.nSyncKB) {
            if (!Pause(kStepPause)) return false;
            std::array<uint8_t, kMatrixLen> cur{};
            if (!m_kb.GetMatrix(cur)) {
                LogPrintf("Read matrix err, bSyncKB=1");
                return Failed("FillMatrix Err");  // the matrix is not written
            }
            current = MatrixFromBytes(cur);
        }
        LogPrintf("Matrix (Load)-------------------------");
        const SensorDpiTable* pSnipe = FindSensorTable(m_snap.nMsSensor);
        const MatrixPlan plan = FillMatrix(
            m_block, m_d, current, [this](uint32_t id) { return m_snap.macros.FindById(id); },
            m_snap.nMsSensor ? pSnipe : nullptr);
        TellInvalidSlots(plan.invalidSlots);
        if (!plan.strError.empty()) return Failed("FillMatrix Err");
        if (!Pause(kStepPause)) return false;
        const auto bytes = MatrixBytes(plan.codes);
        LogPrintf("Matrix (Save)-------------------------");
        LogHex(bytes.data(), bytes.size(), 32, "");
        if (!Write(kCmdMatrix, 0, bytes) && !Failed("SetMatrix failed")) return false;
        if (plan.nMacros == 0) return true;
        LogPrintf("Macro data:");
        if (!Pause(kStepPause)) return false;
        LogHex(plan.area.data(), plan.area.size(), 32, "");
        if (!Write(kCmdMacro, 0, plan.area) && !Failed("SetMacro failed")) return false;
        return true;
    }

    bool Lighting()
    {
        std::array<uint8_t, kLedLen> led = LightingBlock(m_block, m_d);
        LogPrintf("Cfg(Load-Global): ");
        LogHex(led.data(), kLedGlobalLen, 32, "");
        LogPrintf("Cfg(Load-Pro1): ");
        LogHex(led.data() + kLedGlobalLen, kLedPLen, 32, "");
        if (!Pause(kStepPause)) return false;
        if (!Write(kCmdLed, 0, led) && !Failed("SetLED failed")) return false;
        Progress(40);
        if (!Pause(kStepPause)) return false;
        m_kb.GetLED(led);  // read back; what it says is not used
        if (m_d.IsGameMode(m_block.LedMode())) return true;
        const std::vector<uint8_t> tab = RgbTable(m_block, m_d);
        LogPrintf("rgbTab: ");
        LogHex(tab.data(), tab.size(), 32, "");
        if (!tab.empty() && !Write(kCmdRgbTable, 0, tab)) {
            LogPrintf("SetLedRgbTab failed");
            if (!Failed("SetLedRgbTab error")) return false;
        }
        return true;
    }

    bool Groups()
    {
        if (!m_d.IsGameMode(m_block.LedMode()) || m_d.GroupCount() <= 0) return true;
        for (int i = 0; i < m_d.GroupCount(); ++i) {
            const std::vector<uint8_t> colours = GroupColours(m_block, m_d, i);
            LogPrintf("ColorGroup[%d]: ", i);
            LogHex(colours.data(), colours.size(), 32, "");
            if (!Pause(kStepPause)) return false;
            if (!Write(kCmdGame, uint8_t(i), colours) && !Failed("SetGame failed")) return false;
            if (!Pause(kStepPause)) return false;
            std::array<uint8_t, kGameLen> back{};
            m_kb.GetGame(i, back);  // read back; what it says is not used
        }
        return true;
    }

    CDevNew& m_kb;
};

int CDevNew::ApplySetting(ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, uint32_t nFlags,
                          std::stop_token stop)
{
    return RunBusy([&] { return CApplyRun(*this, snap, pProgress, nMsg, std::move(stop)).Run(nFlags); });
}

}  // namespace newkb
