// CDevVaroRGB::ApplySetting: a profile snapshot onto the RGB keyboard.
//
// Order and pauses (w = WaitTm), for the flags asked for:
//         progress 20, w; read the configuration (always: it tells the
//         configuration and the wireless mode); a keyboard in another
//         configuration or in wireless mode is told so and nothing is written
//   2     lighting: the configuration block is filled; type 22 outside the
//         per-key colour mode: colour table read, filled, written; w + 20
//         progress 40
//   4/10  per-key colours, in the per-key colour mode: two lighting blocks, w + 20 after each
//   1     key block: read (SyncKB), 30 ms; macro blocks, w + 20 after each; key block, w + 20
//   2     the configuration written back; w
//         progress 100, 500 ms (20 ms without a progress window)
//
// A block that is read, changed and written back is written only when its
// read succeeded, also with GoWithNoDev: a failed read never leads to writing
// back bytes the keyboard did not give.
#include <algorithm>
#include <array>
#include <string>

#include "core/Log.h"
#include "device/ApplySnapshot.h"
#include "device/kb/KbApplyRun.h"
#include "device/kb/KbKeyMatrix.h"
#include "device/kb/KbMacro128.h"
#include "device/varorgb/DevVaroRGB.h"
#include "device/varorgb/VaroRgbCodes.h"
#include "keys/FunId.h"

using namespace varorgb;

namespace {

constexpr auto kSyncPause = std::chrono::milliseconds(30);

}  // namespace

class CDevVaroRGB::CApplyRun final : public kb::CKbBlockApplyRun {
public:
    CApplyRun(CDevVaroRGB& dev, ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, std::stop_token stop)
        : CKbBlockApplyRun(dev, snap, pProgress, nMsg, std::move(stop)), m_kb(dev),
          m_map(BlockMapFor(dev.FwType(), m_d.kb.nOurCfg)),
          m_wait(std::chrono::milliseconds(std::max(m_d.kb.nWaitTm, 0)))
    {
    }

    int Run(uint32_t nFlags)
    {
        if (!Begin(m_kb.Who())) return 0;
        LogPrintf("%s::ApplySetting: hWnd=%x, nWaitTm=%d", m_kb.Who(), unsigned(m_bProgressWindow),
                  int(m_d.kb.nWaitTm));
        if (!(nFlags & kb::kFlagsOfBlockKeyboard)) return 1;  // nothing of the keyboard's asked for
        if (m_d.nKbFw == 0) {
            LogPrintf("%s::ApplySetting: no keyboard description in the job", m_kb.Who());
            return 0;
        }
        Progress(20);
        if (!Pause(m_wait)) return 0;
        if (!ReadConfiguration()) return 0;
        if (m_bCfgRead && OtherConfiguration(m_cfg[kCfgInUse])) return RefuseOtherConfiguration();
        if (m_bCfgRead && m_d.kb.nTipForWireless && m_cfg[kCfgWireless] != 0) {
            LogPrintf("Cfg[16]=%x", m_cfg[kCfgWireless]);
            return Refuse("tc_kb10", u"Please switch the keyboard to wired mode");
        }
        return RunBlockSteps(nFlags, {kDoneWithProgress, kDoneQuiet});
    }

private:
    IClock::Duration BlockPause() const { return m_wait + kPauseExtra; }

    bool ReadConfiguration()
    {
        m_bCfgRead = m_kb.ReadCfg(m_map, m_cfg);
        if (m_bCfgRead) return true;
        return Failed(Fmt("GetProfile err=0x%x", LastErr()));
    }

    void DumpCfg(const char* pszWhen)
    {
        LogPrintf("Cfg(%s-Global): ", pszWhen);
        LogHex(m_cfg.data(), kCfgBlocksAt, 32, "");
        for (int c = 0; c < (m_d.kb.nOurCfg == 1 ? 2 : 1); ++c) {
            const std::span<uint8_t> P = CfgP(m_cfg, c);
            LogPrintf("Cfg(%s-Pro%d): ", pszWhen, c + 1);
            LogHex(P.data(), P.size(), 32, "");
        }
    }

    bool Lighting() override
    {
        if (!m_bCfgRead) return true;  // logged; nothing the keyboard gave to change
        DumpCfg("Load");
        if (!Pause(m_wait)) return false;
        m_bCfgFilled = FillConfig(m_cfg, m_block, m_d, m_snap.bReset);
        if (!m_bCfgFilled && !Failed("The lighting configuration does not exist on the keyboard")) return false;
        if (m_d.nKbFw != kFwRgb || m_d.IsGameMode(m_block.LedMode())) return true;
        std::array<uint8_t, kb::kBlockPayloadMax> tab{};
        if (!m_kb.m_io.Read(kb::kBlockCmdRgb, m_map.byRgbAddr, tab)) return Failed("GetLedRgbTab error");
        LogPrintf("rgbTab(load): ");
        LogHex(tab.data(), tab.size(), 32, "");
        if (!Pause(m_wait)) return false;
        FillRgbTable(tab, m_block, m_d);
        LogPrintf("rgbTab(save): ");
        LogHex(tab.data(), tab.size(), 32, "");
        if (!m_kb.m_io.Write(kb::kBlockCmdRgb, m_map.byRgbAddr, tab, true) && !Failed("SetLedRgbTab error"))
            return false;
        return Pause(BlockPause());
    }

    bool Colours() override
    {
        if (!m_d.IsGameMode(m_block.LedMode())) return true;
        const std::vector<uint8_t> area = BuildLedArea(m_block, m_d);
        for (size_t b = 0; b < m_map.ledAddr.size(); ++b) {
            const auto part = std::span(area).subspan(b * kb::kBlockPayloadMax, kb::kBlockPayloadMax);
            if (!m_kb.m_io.Write(kb::kBlockCmdLed, m_map.ledAddr[b], part, true) &&
                !Failed(Fmt("SetLedMatrix(0x%X), err=0x%x", unsigned(m_map.ledAddr[b]), LastErr())))
                return false;
            if (!Pause(BlockPause())) return false;
        }
        return true;
    }

    std::optional<uint32_t> CodeOf(const KeyInfo& k) const
    {
        const MacroRecord* pMacro = FunClass(k.FunID) == FUN_MACRO ? m_snap.macros.FindById(k.MacroID) : nullptr;
        return VaroRgbKeyCode(k, pMacro, m_d.kb.nVkCustom);
    }

    bool Keys() override
    {
        const kb::KbMatrixLayout layout = kb::MatrixLayoutOf(m_d);
        LogPrintf("FillMatrix (nMatrixNum=%d, nMaxFnNum=%d, bSyncKB=%d) ---------------------------------------",
                  kb::kKbMatrixCodes, layout.nMaxFn, int(m_d.kb.nSyncKB));
        const kb::KbCodeOf codeOf = [this](const KeyInfo& k) { return CodeOf(k); };
        kb::KbMatrixPlan plan;
        if (m_d.kb.nSyncKB) {
            std::array<uint8_t, kb::kBlockPayloadMax> cur{};
            if (!m_kb.m_io.Read(kb::kBlockCmdMatrix, m_map.byMatrixAddr, cur)) {
                LogPrintf("Read matrix err, bSyncKB=1");
                return Failed("FillMatrix Err");  // the key block is not written
            }
            LogPrintf("Matrix (Load)-------------------------");
            LogHex(cur.data(), cur.size(), 32, "");
            if (!Pause(kSyncPause)) return false;
            plan = kb::BuildMatrixSynced(m_block, m_d, kb::CodeBlockFromBytes(cur), codeOf);
        } else {
            plan = kb::BuildMatrixFresh(m_block, m_d, codeOf);
        }
        if (!PlaceMacros(plan)) return false;
        LogPrintf("Matrix (Save)-------------------------");
        const auto bytes = kb::CodeBlockBytes(plan.codes);
        LogPrintf("Key Matrix----------------------------");
        LogHex(bytes.data(), 4 * kb::kKbMatrixCodes, 32, "");
        LogPrintf("Fn Matrix (Single key func)----------------------------");
        LogHex(bytes.data() + 4 * layout.FnSingleAt(), 4 * size_t(layout.nMaxFn), 32, "");
        LogPrintf("Fn Matrix (Fn Combo key func)----------------------------");
        LogHex(bytes.data() + 4 * layout.FnComboAt(), 4 * size_t(layout.nMaxFn), 32, "");
        if (!m_kb.m_io.Write(kb::kBlockCmdMatrix, m_map.byMatrixAddr, bytes, true) &&
            !Failed(Fmt("SetKeyMatrix error, err=0x%x", LastErr())))
            return false;
        return Pause(BlockPause());
    }

    // Numbers the macros the keys play (this job only), puts the numbers into
    // their codes and writes the macro blocks.
    bool PlaceMacros(kb::KbMatrixPlan& plan)
    {
        const std::vector<kb::Macro128> buffers = kb::PlaceMacros(plan, m_snap.macros, kMacroBufferNum, kMacroStyle);
        if (buffers.empty()) return true;
        LogPrintf("hwParam: nMacroBufferSize=%d, nMacroBufferNum=%d, nMaxAction=%d", int(kb::kMacro128Len),
                  kMacroBufferNum, int(hwParam.nMaxAction));
        const std::vector<kb::MacroBlock> blocks = kb::MacroBlocks(buffers);
        for (size_t b = 0; b < blocks.size() && b < m_map.macroAddr.size(); ++b) {
            LogPrintf("Macro(0x%X):", unsigned(m_map.macroAddr[b]));
            LogHex(blocks[b].data(), blocks[b].size(), 32, "");
            if (!m_kb.m_io.Write(kb::kBlockCmdMacro, m_map.macroAddr[b], blocks[b], true) &&
                !Failed(Fmt("SetMacroData(%x) error, err=0x%x", unsigned(m_map.macroAddr[b]), LastErr())))
                return false;
            if (!Pause(BlockPause())) return false;
        }
        return true;
    }

    bool SaveConfiguration() override
    {
        if (!m_bCfgFilled) return true;  // never write back what was not read
        DumpCfg("Save");
        if (!m_kb.m_io.Write(kb::kBlockCmdCfg, m_map.byCfgAddr, m_cfg, false) &&
            !Failed(Fmt("SetProfile error, err=0x%x", LastErr())))
            return false;
        return Pause(m_wait);
    }

    CDevVaroRGB& m_kb;
    const kb::KbBlockMap m_map;
    const IClock::Duration m_wait;
    CfgBlock m_cfg{};
    bool m_bCfgRead = false;
    bool m_bCfgFilled = false;
};

int CDevVaroRGB::ApplySetting(ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, uint32_t nFlags,
                              std::stop_token stop)
{
    return RunBusy([&] { return CApplyRun(*this, snap, pProgress, nMsg, std::move(stop)).Run(nFlags); });
}
