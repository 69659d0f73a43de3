// The working profile as the pages edit it. A page changes the current
// profile record in place and then says so with Changed: the profile list is
// saved (atomically, through the profile store), and when the installation
// applies at once (ApplyNow) the device of the page receives only what
// changed, as a partial apply on its worker. Without ApplyNow the change waits
// for the main Apply button. Everything here runs on the user-interface thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "core/ProList.h"
#include "core/ProfileStore.h"

class CDeviceHub;

constexpr size_t kNoFamily = size_t(-1);

class CProfileEditor {
public:
    // pHub may be null (no device is ever written). The list and the current
    // pointer are the program's (g_ProList and pFile in the desktop program).
    CProfileEditor(CProList& list, ProfileRecord*& pCurrent, CProfileStore& store, CDeviceHub* pHub);

    ProfileRecord* Current() const { return m_pCurrent; }
    CProList& List() const { return m_list; }
    CProfileStore& Store() const { return m_store; }

    // Whether edits reach the device at once; from [OPT] ApplyNow unless set here.
    bool ApplyNow() const { return m_bApplyNow; }
    void SetApplyNow(bool b) { m_bApplyNow = b; }

    enum class Result { Saved, Applying, NotSaved, NoProfile };
    // The current profile was edited. nFamily: the hub index of the device the
    // edit belongs to (kNoFamily: none, nothing is applied); nFlags: what
    // changed, in the family's apply flags. A failed save is reported through
    // the save-failure handler, and the apply still runs.
    Result Changed(size_t nFamily, uint32_t nFlags);

    // Writes pro.dct and curid.dct now; false with the reason.
    bool Save(std::string& strErr);

    // Called with the reason when a save after an edit failed (the window
    // tells the user once per failure).
    void OnSaveFailed(std::function<void(const std::string&)> fn) { m_onSaveFailed = std::move(fn); }

    // The apply jobs posted by Changed so far (tests and the log).
    int PartialApplies() const { return m_nApplies; }

private:
    CProList& m_list;
    ProfileRecord*& m_pCurrent;
    CProfileStore& m_store;
    CDeviceHub* m_pHub;
    bool m_bApplyNow;
    int m_nApplies = 0;
    std::function<void(const std::string&)> m_onSaveFailed;
};
