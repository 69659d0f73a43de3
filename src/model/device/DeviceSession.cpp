#include "device/DeviceSession.h"

#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "core/Gvar.h"
#include "core/ProList.h"
#include "core/ProfileStore.h"
#include "core/Utf.h"
#include "device/mouse/MouseKeyPlan.h"
#include "keys/GunPreset.h"
#include "keys/MacroFolder.h"
#include "keys/MacroList.h"
#include "text/TextCatalogue.h"

namespace {

// Waits for a job's kMsgApplyDone.
class CJobResult final : public IMsgTarget {
public:
    void Post(uint32_t nMsg, uintptr_t wParam, intptr_t) override
    {
        if (nMsg != kMsgApplyDone) return;
        std::lock_guard lock(m_mtx);
        m_bDone = true;
        m_bOk = wParam != 0;
        m_cv.notify_all();
    }
    bool Wait()
    {
        std::unique_lock lock(m_mtx);
        m_cv.wait(lock, [this] { return m_bDone; });
        return m_bOk;
    }

private:
    std::mutex m_mtx;
    std::condition_variable m_cv;
    bool m_bDone = false;
    bool m_bOk = false;
};

}  // namespace

bool ApplyRunResult::Ok() const
{
    if (!strProblem.empty() || !strSaveError.empty()) return false;
    for (const FamilyApplyResult& f : families)
        if (!f.bOk) return false;
    return true;
}

bool LoadMacroLists(std::string& strErr)
{
    MacroContext ctx;
    ctx.nMid = gVar.nMid;
    ctx.nMacroHasMsKey = gVar.nMacroHasMsKey;
    MacroScanOptions scan;
    scan.bGroups = gVar.nMacroDir != 0;
    // The macros of imported key layouts sit beside the user's own, in one
    // folder for both kinds.
    MacroScanOptions flat = scan;
    flat.bGroups = false;
    for (const MacroKind kind : {MacroKind::Macro, MacroKind::Bullet})
        for (const auto& [folder, opt] : {std::pair{FolderOf(kind, g_szUserDir, gVar.nMid), scan},
                                          std::pair{OrgMacFolder(g_szUserDir), flat}})
            if (!ScanMacroFolder(folder, kind, opt, ctx)) {
                // The keys that play them would be written without their macros.
                strErr = "the folder " + folder.string() + " cannot be read";
                return false;
            }
    return true;
}

ApplyRunResult ApplyCurrentProfile(CDeviceHub& hub, IPrompt& prompt, uint32_t nFlags, bool bReset)
{
    ApplyRunResult r;
    CProfileStore store(g_szUserDir, prompt);
    CProList list;
    ProfileStartup startup;
    startup.nProfileNum = gVar.nProfileNum;
    startup.defaults.fill = [&hub](ProfileRecord& pro) {
        for (size_t i = 0; i < hub.Count(); ++i) hub.Device(i).FillDefault(pro);
    };
    ProfileRecord* pCurrent = LoadOrCreateProfiles(store, list, startup, prompt);
    if (!pCurrent) {
        r.strProblem = "no profile could be loaded or made in " + g_szUserDir.string();
        return r;
    }
    if (!LoadMacroLists(r.strProblem)) return r;

    if (bReset) {
        for (size_t i = 0; i < hub.Count(); ++i) hub.Device(i).FillDefault(*pCurrent);
        // The sensor's reset level becomes the current level of every mode.
        if (pSensorCfg && pSensorCfg->nDefLevel >= 0)
            for (int& n : g_nCurDpiLevel) n = pSensorCfg->nDefLevel;
    }
    bool bStore = bReset;
    // The profile's mode follows the mode the device reported, as the main
    // window keeps it (defaults included); a wireless mouse's mode is the
    // profile of its link.
    if (g_nCurMode >= 1 && g_nCurMode <= kMsModeCount && pCurrent->Ms.ProMirex.nMode != g_nCurMode - 1) {
        pCurrent->Ms.ProMirex.nMode = g_nCurMode - 1;
        bStore = true;
    }
    r.strProfileName = std::u16string(FixedView(pCurrent->szName));
    // With the gun preset option on, a gun preset in the second mode needs
    // the preset switch on another button; the mouse is not written without it.
    if (!bReset && mouse::HasBullets(gVar.nMsFw) && !CheckGunOption(pCurrent)) {
        const std::u16string* pText = FindText("tc_chiji7");
        r.strProblem = pText ? U16ToUtf8(*pText) : "tc_chiji7";
        return r;
    }
    for (size_t i = 0; i < hub.Count(); ++i) {
        if (hub.IsSpare(i) && !hub.Device(i).IsConnected()) continue;  // not attached
        auto result = std::make_shared<CJobResult>();
        const uint32_t nJob = nFlags ? nFlags : hub.FullApply(i);
        const bool bOk = hub.RequestApply(i, nJob, *pCurrent, bReset, result) && result->Wait();
        r.families.push_back({hub.Name(i), bOk});
    }
    // Reset: the defaults are the profile's now, whatever the devices took.
    if (bStore && !store.SaveProfiles(list, r.strSaveError) && r.strSaveError.empty())
        r.strSaveError = "the profiles could not be saved";
    return r;
}
