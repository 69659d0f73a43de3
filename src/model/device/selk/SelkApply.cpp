// CDevSelk::ApplySetting: a profile snapshot onto the Selk keyboard.
//
// Order and pauses, for the flags asked for (1 keys and macros, 2 lighting,
// 4 or 0x10 per-key colours; 4 or 0x10 alone: only the current group's block):
//         progress 20; the configuration read when lighting is asked for or
//         the description wants the configuration checked; a keyboard in
//         another configuration is told so and nothing is written
//   2     20 ms; the configuration written with bytes 13 and 14 cleared, 10 ms;
//         the lighting part filled; outside the per-key colour mode the mode
//         colour table written, 40 ms
//         progress 40
//   4/10  per-key colours, in the per-key colour mode: the lighting blocks, 25 ms after each
//   1     the macro blocks, 25 ms after each; the key block read (SyncKB), 20 ms;
//         the key block, 10 ms (not when the read failed)
//   2     the configuration written, 10 ms
//         progress 100, 500 ms (with a progress window), 20 ms
//
// The configuration and, with SyncKB, the key block are written back only
// after a good read, also with GoWithNoDev: a failed read never leads to
// writing back bytes the keyboard did not give (an unmerged key block would
// clear the keyboard's Fn layer).
#include <algorithm>
#include <array>
#include <string>

#include "core/Log.h"
#include "device/ApplySnapshot.h"
#include "device/kb/KbApplyRun.h"
#include "device/kb/KbKeyMatrix.h"
#include "device/kb/KbMacro128.h"
#include "device/selk/DevSelk.h"
#include "device/selk/SelkCodes.h"

using namespace selk;

class CDevSelk::CApplyRun final : public kb::CKbBlockApplyRun {
public:
    CApplyRun(CDevSelk& dev, ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, std::stop_token stop)
        : CKbBlockApplyRun(dev, snap, pProgress, nMsg, std::move(stop)), m_drv(dev.Selk())
    {
    }

    int Run(uint32_t nFlags)
    {
        if (!Begin("CDevSelk::ApplySetting")) return 0;
        if (!(nFlags & kb::kFlagsOfBlockKeyboard)) return 1;  // nothing of the keyboard's asked for
        if (m_d.nKbFw == 0) {
            LogPrintf("CDevSelk::ApplySetting: no keyboard description in the job");
            return 0;
        }
        m_bOneGroup = (nFlags & kb::kFlagsOfBlockKeyboard) == 0x04 || (nFlags & kb::kFlagsOfBlockKeyboard) == 0x10;
        Progress(20);
        if ((nFlags & kb::kFlagLighting) || m_d.kb.nTipForDevCfg) {
            if (!ReadConfiguration()) return 0;
            if (m_bCfgRead && OtherConfiguration(m_cfg[kCfgInUse])) return RefuseOtherConfiguration();
        }
        return RunBlockSteps(nFlags, {kDoneWithProgress, kDoneQuiet});
    }

private:
    bool ReadConfiguration()
    {
        m_bCfgRead = m_drv.GetProfile(m_cfg);
        if (m_bCfgRead) return true;
        return Failed(Fmt("GetProfile error, err=0x%x", LastErr()));
    }

    void DumpCfg(const char* pszWhen)
    {
        LogPrintf("Cfg(%s-Global): ", pszWhen);
        LogHex(m_cfg.data(), kCfgGlobalLen, 32, "");
        LogPrintf("Cfg(%s-Pro1): ", pszWhen);
        LogHex(m_cfg.data() + kCfgPAt, kCfgPLen, 32, "");
    }

    bool Lighting() override
    {
        if (!m_bCfgRead) return true;  // logged; nothing the keyboard gave to change
        DumpCfg("Load");
        if (!Pause(kAfterCfgRead)) return false;
        ClearModeBytes(m_cfg);
        if (!m_drv.SetProfile(m_cfg) && !Failed(Fmt("SetProfile error, err=0x%x", LastErr()))) return false;
        if (!Pause(kAfterCfgWrite)) return false;
        FillConfig(m_cfg, m_block, m_d, m_snap.bReset);
        m_bCfgFilled = true;
        if (m_d.IsGameMode(m_block.LedMode())) return true;
        const SelkBlock tab = BuildRgbTable(m_block, m_d);
        LogPrintf("rgbTab: ");
        LogHex(tab.data(), kRgbTableAt + size_t(m_d.nModeCount) * kRgbModeLen, 32, "");
        if (!m_drv.SetRgbTable(tab) && !Failed(Fmt("SetProfile error, err=0x%x", LastErr()))) return false;
        return Pause(kAfterRgbTable);
    }

    bool Colours() override
    {
        if (!m_d.IsGameMode(m_block.LedMode())) return true;
        int nFirst = 0, nEnd = LedBlockCount(m_d);
        if (m_bOneGroup) {
            const int g = m_block.CurGroup();
            if (g < 0 || g >= m_d.GroupCount()) {
                LogPrintf("SetLedMatrix: group %d is not one of the keyboard's %d; nothing written", g,
                          m_d.GroupCount());
                return true;
            }
            nFirst = g / kGroupsPerBlock;
            nEnd = nFirst + 1;
        }
        for (int b = nFirst; b < nEnd; ++b) {
            const std::optional<uint8_t> addr = LedBlockAddr(m_d, b);
            if (!addr) {
                if (!Failed(Fmt("SetLedMatrix: block %d has no place on the keyboard", b))) return false;
                continue;
            }
            const SelkBlock bytes = BuildLedBlock(m_block, m_d, b);
            if (!m_drv.SetLedMatrix(*addr, bytes) &&
                !Failed(Fmt("SetLedMatrix(0x%X), err=0x%x", unsigned(*addr), LastErr())))
                return false;
            if (!Pause(kAfterLedBlock)) return false;
        }
        return true;
    }

    bool Keys() override
    {
        LogPrintf("FillMatrix 0x%08X---------------------------------------", unsigned(m_snap.pro.nID));
        kb::KbMatrixPlan plan = BuildMatrix(m_block, m_d, m_snap.macros);
        TellInvalidSlots(plan.invalidSlots);
        const std::vector<kb::Macro128> buffers = kb::PlaceMacros(plan, m_snap.macros, kMacroBufferNum, kMacroStyle);
        const std::vector<kb::MacroBlock> blocks = kb::MacroBlocks(buffers);
        for (size_t b = 0; b < blocks.size() && b < std::size(kMacroAddr); ++b) {
            LogPrintf("Macro(0x%X):", unsigned(kMacroAddr[b]));
            LogHex(blocks[b].data(), blocks[b].size(), 32, "");
            if (!m_drv.SetMacroData(kMacroAddr[b], blocks[b]) &&
                !Failed(Fmt("SetMacroData(%x) error, err=0x%x", unsigned(kMacroAddr[b]), LastErr())))
                return false;
            if (!Pause(kAfterMacroBlock)) return false;
        }
        DumpMatrix(plan.codes);
        kb::KbCodeBlock codes = plan.codes;
        if (m_d.kb.nSyncKB) {
            SelkBlock cur{};
            if (!m_drv.GetKeyMatrix(cur)) {
                LogPrintf("Read matrix err, bSyncKB=1");
                return Failed("FillMatrix Err");  // the key block is not written
            }
            LogPrintf("bSyncKB");
            codes = MergeIntoCurrent(kb::CodeBlockFromBytes(cur), plan.codes);
            if (!Pause(kAfterMatrixRead)) return false;
        }
        const auto bytes = kb::CodeBlockBytes(codes);
        LogPrintf("FwMatrix--------");
        LogHex(bytes.data(), bytes.size(), 32, "");
        if (!m_drv.SetKeyMatrix(bytes) && !Failed(Fmt("SetKeyMatrix error, err=0x%x", LastErr()))) return false;
        return Pause(kAfterMatrixWrite);
    }

    static void DumpMatrix(const kb::KbCodeBlock& codes)
    {
        const auto bytes = kb::CodeBlockBytes(codes);
        LogPrintf("Key Matrix----------------------------");
        LogHex(bytes.data(), 4 * kb::kKbMatrixCodes, 32, "");
        LogPrintf("Fn Matrix (Single key func)----------------------------");
        LogHex(bytes.data() + 4 * kb::kKbMatrixCodes, 4 * size_t(kFnEntries), 32, "");
        LogPrintf("Fn Matrix (Fn Combo key func)----------------------------");
        LogHex(bytes.data() + 4 * (kb::kKbMatrixCodes + kFnEntries), 4 * size_t(kFnEntries), 32, "");
    }

    bool SaveConfiguration() override
    {
        if (!m_bCfgFilled) return true;  // never write back what was not read
        DumpCfg("Save");
        if (!m_drv.SetProfile(m_cfg) && !Failed(Fmt("SetProfile error, err=0x%x", LastErr()))) return false;
        return Pause(kAfterCfgWrite);
    }

    CDrvSelk& m_drv;
    bool m_bOneGroup = false;
    SelkCfg m_cfg{};
    bool m_bCfgRead = false;
    bool m_bCfgFilled = false;
};

int CDevSelk::ApplySetting(ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, uint32_t nFlags,
                           std::stop_token stop)
{
    return CApplyRun(*this, snap, pProgress, nMsg, std::move(stop)).Run(nFlags);
}
