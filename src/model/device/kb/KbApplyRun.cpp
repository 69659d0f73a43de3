#include "device/kb/KbApplyRun.h"

#include <string>

#include "core/Log.h"
#include "text/TextCatalogue.h"

namespace kb {

CKbApplyRun::CKbApplyRun(CHidDev& dev, ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg,
                         std::stop_token stop)
    : CApplyRunBase(dev, snap, pProgress, nMsg, std::move(stop)), m_d(snap.opt.kb), m_block(snap.pro.Kb),
      m_bProgressWindow(pProgress != nullptr)
{
}

void CKbApplyRun::TellInvalidSlots(const std::vector<int>& slots)
{
    std::vector<std::string> lines;
    for (const int i : slots)
        lines.push_back(Fmt("Get Invaild keycode, key index=%d, MatrixInx=%d", i, int(m_d.defKey[size_t(i)].MatrixInx)));
    Notice(lines);
}

void CKbApplyRun::Tell(const char* pszKey, std::u16string_view fallback)
{
    const std::u16string* p = FindText(pszKey);
    Notice(p && !p->empty() ? std::u16string_view(*p) : fallback, u"");
}

int CKbBlockApplyRun::RunBlockSteps(uint32_t nFlags, const KbDonePauses& done)
{
    static constexpr ApplyStep<CKbBlockApplyRun> kSteps[] = {
        {kFlagLighting, &CKbBlockApplyRun::Lighting, 40},
        {kFlagBlockColours, &CKbBlockApplyRun::Colours},
        {kFlagKeys, &CKbBlockApplyRun::Keys},
        {kFlagLighting, &CKbBlockApplyRun::SaveConfiguration},
    };
    return RunKbSteps<CKbBlockApplyRun>(*this, kSteps, nFlags, done);
}

int CKbBlockApplyRun::Refuse(const char* pszKey, std::u16string_view fallback)
{
    Tell(pszKey, fallback);
    Progress(100);
    return 1;
}

bool CKbBlockApplyRun::OtherConfiguration(uint8_t byInUse) const
{
    if (!m_d.kb.nTipForDevCfg) return false;
    LogPrintf("Cfg[0]=%x, gVar.Kb.nOurCfg=%x", byInUse, unsigned(m_d.kb.nOurCfg));
    return byInUse != m_d.kb.nOurCfg;
}

}  // namespace kb
