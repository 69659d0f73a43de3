#include "device/ProfileEditor.h"

#include "core/Gvar.h"
#include "core/Log.h"
#include "core/ProfileOps.h"
#include "device/DeviceHub.h"

CProfileEditor::CProfileEditor(CProList& list, ProfileRecord*& pCurrent, CProfileStore& store, CDeviceHub* pHub)
    : m_list(list), m_pCurrent(pCurrent), m_store(store), m_pHub(pHub), m_bApplyNow(gVar.nApplyNow != 0)
{
}

bool CProfileEditor::Save(std::string& strErr)
{
    return StoreProfiles(m_store, m_list, m_pCurrent, strErr);
}

CProfileEditor::Result CProfileEditor::Changed(size_t nFamily, uint32_t nFlags)
{
    if (!m_pCurrent) return Result::NoProfile;
    std::string strErr;
    const bool bSaved = Save(strErr);
    if (!bSaved) {
        LogPrintf("Saving the profiles failed: %s", strErr.c_str());
        if (m_onSaveFailed) m_onSaveFailed(strErr);
    }
    // A partial apply: the job carries no progress window, and a failure comes
    // back through the hub's notices.
    if (m_bApplyNow && m_pHub && nFamily < m_pHub->Count() && nFlags != 0 &&
        m_pHub->Device(nFamily).IsConnected()) {
        if (m_pHub->RequestApply(nFamily, nFlags, *m_pCurrent, false)) {
            ++m_nApplies;
            return bSaved ? Result::Applying : Result::NotSaved;
        }
        LogPrintf("ApplyNow: the job 0x%x for %s could not be queued", nFlags, m_pHub->Name(nFamily));
    }
    return bSaved ? Result::Saved : Result::NotSaved;
}
