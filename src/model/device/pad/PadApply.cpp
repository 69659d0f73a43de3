// CDevPad::ApplySetting: the current effect of a profile snapshot onto the pad.
//
//   progress 20
//   read the block
//   rewrite bytes 2..25 from the current effect record; pause; write the block
//   progress 80, 100; pause
//
// Every job does all of it, whatever its flags: the block is the pad's only
// setting. A failed read ends the job unless GoWithNoDev is set; either way
// the block is then not written, since only the pad knows its first two
// bytes. A job that went on after a failure still reports failure when a pad
// was connected (without any pad at all, as in a demo, it succeeds).
#include "core/Log.h"
#include "device/ApplyRun.h"
#include "device/pad/DevPad.h"

using namespace pad;

namespace {

// The pad's job takes every flag.
constexpr uint32_t kApplyAnyFlags = 0xFFFFFFFFu;

}  // namespace

class CDevPad::CApplyRun final : public CApplyRunBase {
public:
    CApplyRun(CDevPad& dev, ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, std::stop_token stop)
        : CApplyRunBase(dev, snap, pProgress, nMsg, std::move(stop)), m_pad(dev)
    {
    }

    int Run(uint32_t nFlags)
    {
        if (!Begin("Apply_PAD_STD")) return 0;
        if (m_pad.FwType() != kPadFw) {
            LogPrintf("Apply_PAD_STD: pad firmware %d is not one this program writes", m_pad.FwType());
            return 0;
        }
        Progress(20);
        static constexpr ApplyStep<CApplyRun> kSteps[] = {
            {kApplyAnyFlags, &CApplyRun::ReadBlock},
            {kApplyAnyFlags, &CApplyRun::WriteBlock, 80},
        };
        return RunSteps<CApplyRun>(*this, kSteps, nFlags, {kDonePause, {}});
    }

private:
    bool ReadBlock()
    {
        if (!m_pad.m_drv.GetCommand(m_block)) return Failed(Fmt("Get general data error, err=0x%x", LastErr()));
        m_bRead = true;
        LogPrintf("General(Load): ");
        LogHex(m_block.data(), m_block.size(), 13, "");
        return true;
    }

    bool WriteBlock()
    {
        if (!m_bRead) {
            LogPrintf("General(Save): not written, the pad's block was not read");
            return true;
        }
        int nIndex = m_snap.pro.Pad.nLedMode;
        if (!IsEffectIndex(nIndex)) {
            LogPrintf("Apply_PAD_STD: profile effect %d does not exist, effect 0 written", nIndex);
            nIndex = 0;
        }
        PutLighting(m_block, nIndex, m_snap.pro.Pad.Mode[nIndex]);
        LogPrintf("General(Save):-------------");
        LogHex(m_block.data(), m_block.size(), 13, "");
        if (!Pause(kSendPause)) return false;
        if (!m_pad.m_drv.SendCommand(m_block)) return Failed(Fmt("Set general data error, err=0x%x", LastErr()));
        return true;
    }

    CDevPad& m_pad;
    PadBlock m_block{};
    bool m_bRead = false;
};

int CDevPad::ApplySetting(ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, uint32_t nFlags,
                          std::stop_token stop)
{
    return CApplyRun(*this, snap, pProgress, nMsg, std::move(stop)).Run(nFlags);
}
