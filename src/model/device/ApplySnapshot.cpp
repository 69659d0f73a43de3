#include "device/ApplySnapshot.h"

#include <algorithm>

#include "keys/FunId.h"

namespace {

void CopyReferenced(uint32_t dwFunID, uint32_t dwMacroID, const CMacroList& macros, const CMacroList& bullets,
                    ApplySnapshot& snap)
{
    const uint8_t byClass = FunClass(dwFunID);
    if (byClass != FUN_MACRO && byClass != FUN_BULLET) return;
    const CMacroList& from = byClass == FUN_MACRO ? macros : bullets;
    CMacroList& to = byClass == FUN_MACRO ? snap.macros : snap.bullets;
    const MacroRecord* pRec = from.FindById(dwMacroID);
    if (pRec && !to.FindById(dwMacroID)) to.Add(*pRec);
}

void CopyReferenced(const KeyInfo& key, const CMacroList& macros, const CMacroList& bullets, ApplySnapshot& snap)
{
    CopyReferenced(key.FunID, key.MacroID, macros, bullets, snap);
    CopyReferenced(key.FnFun.FunID, key.FnFun.MacroID, macros, bullets, snap);
}

}  // namespace

std::unique_ptr<ApplySnapshot> MakeApplySnapshot(const ProfileRecord& pro, const CMacroList& macros,
                                                 const CMacroList& bullets, const SensorCfg* pSensor,
                                                 int nMsSensor, const int (&nCurDpiLevel)[kMsModeCount],
                                                 int nCurMode, bool bReset)
{
    auto snap = std::make_unique<ApplySnapshot>();
    snap->pro = pro;
    for (const MsModeSettings& mode : pro.Ms.Mode)
        for (const auto& table : mode.Key)
            for (const KeyInfo& key : table) CopyReferenced(key, macros, bullets, *snap);
    for (const KeyInfo& key : pro.Kb.Key) CopyReferenced(key, macros, bullets, *snap);
    for (const KeyInfo& key : pro.Kb.DirectKey) CopyReferenced(key, macros, bullets, *snap);
    if (pSensor) snap->sensor = *pSensor;
    snap->nMsSensor = nMsSensor;
    std::ranges::copy(nCurDpiLevel, snap->nCurDpiLevel);
    snap->nCurMode = nCurMode;
    snap->bReset = bReset;
    snap->opt.bGoWithNoDev = gVar.nGoWithNoDev != 0;
    snap->opt.nMsFw = gVar.nMsFw;
    snap->opt.nSubMsFw = gVar.nSubMsFw;
    snap->opt.ms = gVar.Ms;
    for (int m = 0; m < kMsModeNum; ++m)
        for (int k = 0; k < kMsKeyNum; ++k) snap->opt.nMatrixPos[m][k] = g_MsKeyLayout[m][k].MatrixInx;
    if (gVar.nKbFw != 0) snap->opt.kb = kb::MakeKbDescSnap(gVar, g_defKEY);
    return snap;
}
