// CDevVaro::ApplySetting: a profile snapshot onto the type-21 keyboard.
//
// Order and pauses, for the flags asked for (each report tried three times,
// 200 ms apart, by the transport):
//   2  lighting: the lighting state is read (the keyboard must answer), 50 ms,
//      progress 20; on a reset the per-key colour mode and a cleared colour
//      report first, 100 ms after each; the lighting report, 100 ms
//   4  per-key colours of the current group, 100 ms
//   1  keys: the codes by matrix position, progress 70; the macros the keys
//      play, numbered for this job, 100 ms; with SyncKB the keyboard's codes
//      are read (50 ms) and the new ones put over them; the matrix, 40 ms
//      progress 100, 500 ms
//
// The matrix is written over the keyboard's codes only when they could be
// read: a failed read never leads to writing back codes the keyboard did not
// give, also with GoWithNoDev.
#include <algorithm>
#include <array>
#include <string>

#include "core/Log.h"
#include "core/Utf.h"
#include "device/ApplySnapshot.h"
#include "device/kb/KbApplyRun.h"
#include "device/kb/KbMacroNumbers.h"
#include "device/varo/DevVaro.h"
#include "device/varo/VaroCodes.h"
#include "keys/FunId.h"

using namespace varo;

class CDevVaro::CApplyRun final : public kb::CKbApplyRun {
public:
    CApplyRun(CDevVaro& dev, ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, std::stop_token stop)
        : CKbApplyRun(dev, snap, pProgress, nMsg, std::move(stop)), m_kb(dev)
    {
    }

    int Run(uint32_t nFlags)
    {
        if (!Begin("Apply_KVaro")) return 0;
        if (!(nFlags & (kb::kFlagKeys | kb::kFlagLighting | kb::kFlagKeyColours))) return 1;  // nothing of the keyboard's asked for
        if (m_d.nKbFw != kFwType) {
            LogPrintf("Apply_KVaro: no description of this keyboard in the job");
            return 0;
        }
        static constexpr ApplyStep<CApplyRun> kSteps[] = {
            {kb::kFlagLighting, &CApplyRun::Lighting},
            {kb::kFlagKeyColours, &CApplyRun::Colours},
            {kb::kFlagKeys, &CApplyRun::Keys},
        };
        return RunSteps<CApplyRun>(*this, kSteps, nFlags, ApplyTiming{kDone, IClock::Duration::zero()});
    }

private:
    CHidDrv& Io() { return m_kb.Drv(); }
    int Err(HidRole role) const { return m_kb.Drv().LastError(role); }

    bool Send(HidRole role, std::span<const uint8_t> r) { return Io().SendFeature(role, r, "SendCommand"); }

    bool Lighting()
    {
        LedReport cur{};
        if (m_kb.ReadLedState(cur)) {
            LogPrintf("LED(Load): ");
            LogHex(cur.data() + 1, kLedDataLen, 32, "");
        } else if (!Failed("Get LED Failed.")) {
            return false;
        }
        if (!Pause(kAfterLedRead)) return false;
        Progress(20);
        if (m_snap.bReset) {
            const LedReport r = BuildResetLedReport(m_block, m_d);
            LogPrintf("Reset: Led[0]=%d, Led[1]=%d", r[1], r[2]);
            if (!Send(kRoleLed, r) && !Failed(Fmt("Set led data, err=0x%x", Err(kRoleLed)))) return false;
            if (!Pause(kAfterWrite)) return false;
            if (!Send(kRoleColour, ClearColourReport()) &&
                !Failed(Fmt("Set color group %d failed", std::max(m_block.CurGroup(), 0))))
                return false;
            if (!Pause(kAfterWrite)) return false;
        }
        const std::optional<LedReport> r = BuildLedReport(m_block, m_d);
        if (!r) return Failed("The lighting mode of the profile is none of the keyboard's");
        LogPrintf("LED(Save): ");
        LogHex(r->data() + 1, kLedDataLen, 32, "");
        if (!Send(kRoleLed, *r) && !Failed(Fmt("Set led data, err=0x%x", Err(kRoleLed)))) return false;
        return Pause(kAfterWrite);
    }

    bool Colours()
    {
        const int g = m_block.CurGroup();
        const std::optional<ColourReport> r = BuildColourReport(m_block, m_d, g);
        if (!r) return Failed(Fmt("Set color group %d failed", g));
        LogPrintf("KeyColor: clrData[0]=%d", (*r)[1]);
        LogPrintf("R: ");
        LogHex(r->data() + 2, kPlaneWidth, 32, "");
        LogPrintf("G: ");
        LogHex(r->data() + 2 + kPlaneWidth, kPlaneWidth, 32, "");
        LogPrintf("B: ");
        LogHex(r->data() + 2 + 2 * kPlaneWidth, kPlaneWidth, 32, "");
        if (!Send(kRoleColour, *r) && !Failed(Fmt("Set color group %d failed", g))) return false;
        return Pause(kAfterWrite);
    }

    std::optional<uint32_t> CodeOf(const KeyInfo& k) const
    {
        const MacroRecord* pMacro = FunClass(k.FunID) == FUN_MACRO ? m_snap.macros.FindById(k.MacroID) : nullptr;
        return VaroKeyCode(k, pMacro);
    }

    bool Keys()
    {
        VaroMatrixPlan plan = BuildVaroMatrix(m_block, m_d, [this](const KeyInfo& k) { return CodeOf(k); });
        Progress(70);
        if (!PlaceMacros(plan)) return false;
        // One message for the whole job, naming the first key the keyboard cannot take.
        if (!plan.invalidSlots.empty())
            Notice(Utf8ToU16(Fmt("Invaild key code, Key[%d]", plan.invalidSlots.front())), u"Error");
        if (!plan.badPositionSlots.empty()) Notice(u"Matrix inx warning", u"Warning");
        LogPrintf("Key Matrix----------------------------");
        MatrixReport out = BuildMatrixReport(plan.codes);
        LogHex(out.data() + 1, kMatrixReportLen - 1, 32, "");
        if (m_d.kb.nSyncKB == 1) {
            LogPrintf("SyncKB=1");
            MatrixCodes cur{};
            if (!m_kb.ReadMatrix(cur)) return Failed(Fmt("Get matrix failed, err=0x%x", Err(kRoleMatrix)));
            out = BuildMatrixReport(MergeOver(cur, plan.codes));
            LogPrintf("-------After Sync--------");
            LogHex(out.data() + 1, kMatrixReportLen - 1, 32, "");
            if (!Pause(kAfterMatrixRead)) return false;
        }
        if (!Send(kRoleMatrix, out) && !Failed(Fmt("Set matrix, err=0x%x", Err(kRoleMatrix)))) return false;
        return Pause(kAfterMatrix);
    }

    // Numbers the macros the keys play (this job only: the program's macro
    // records are not touched), puts the numbers into their codes and writes
    // the macro area. A key beyond the tenth macro keeps the keyboard's own
    // function and is reported with the keys the keyboard cannot take.
    bool PlaceMacros(VaroMatrixPlan& plan)
    {
        LogPrintf("MacroBufferSize= %d", int(kMacroBufferLen));
        kb::CKbMacroNumbers numbers(kMacroBufferNum);
        std::array<uint8_t, kMacroAreaLen> area{};
        for (const kb::KbMacroRef& ref : plan.macros) {
            uint32_t& code = plan.codes[size_t(ref.nCodeIndex)];
            const MacroRecord* pMacro = m_snap.macros.FindById(ref.dwMacroID);
            if (!pMacro) {  // the code was made from it: cannot happen, but never point at nothing
                LogPrintf("Key[%d][%d] Set To Macro NULL", ref.nSlot, ref.nCodeIndex);
                code = 0;
                continue;
            }
            LogPrintf("Key[%d][%d] Set To Macro 0x%08x", ref.nSlot, ref.nCodeIndex, unsigned(ref.dwMacroID));
            bool bNew = false;
            const int n = numbers.NumberOf(ref.dwMacroID, bNew);
            if (n == 0) {
                LogPrintf("Key[%d]: no macro buffer left (%d in use); the key keeps the keyboard's function",
                          ref.nSlot, kMacroBufferNum);
                plan.invalidSlots.push_back(ref.nSlot);
                code = 0;
                continue;
            }
            if (bNew) {
                LogPrintf("New Assign Buffer_ID= %d", n);
                VaroMacro(*pMacro, std::span<uint8_t, kMacroBufferLen>(area.data() + size_t(n - 1) * kMacroBufferLen,
                                                                        kMacroBufferLen));
            }
            code = WithMacroBuffer(code, n, pMacro->wLoopCount);
            LogPrintf("Matrix[%d][%d] = 0x%08x", ref.nSlot, ref.nCodeIndex, unsigned(code));
        }
        std::ranges::sort(plan.invalidSlots);
        if (numbers.Count() == 0) return true;
        for (int b = 0; b < numbers.Count(); ++b) {
            LogPrintf("Macro[%d]", b);
            LogHex(area.data() + size_t(b) * kMacroBufferLen, kMacroBufferLen, 32, "");
        }
        if (!Send(kRoleMacro, BuildMacroReport(area)) &&
            !Failed(Fmt("Set macro failed, err=0x%x", Err(kRoleMacro))))
            return false;
        BuffersWritten();
        return Pause(kAfterWrite);
    }

    CDevVaro& m_kb;
};

int CDevVaro::ApplySetting(ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, uint32_t nFlags,
                           std::stop_token stop)
{
    return RunBusy([&] { return CApplyRun(*this, snap, pProgress, nMsg, std::move(stop)).Run(nFlags); });
}
