// The skeleton of one apply job, shared by every family: the steps the job's
// flags ask for, in the family's order, with progress after each; a failed
// step that ends the job unless GoWithNoDev is set (the job then goes on but
// still reports failure when a device was connected); pauses that end early
// at shutdown; the final pauses; notices joined into one for the user. A
// family derives its run from it and supplies a table of steps and the steps.
//
// A run lives on the apply worker for one job and reads only the job's
// snapshot.
#pragma once

#include <cstdint>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

#include "core/Log.h"
#include "device/ApplySnapshot.h"
#include "device/HidDev.h"
#include "device/IClock.h"
#include "device/IMsgTarget.h"

// One step of a family's apply: it runs when the job's flags meet nFlags;
// progress nProgressAfter (0: none) is posted after it whether it ran or not.
// A step marked bAlone ends the job when the flags are exactly its own.
template <class Run>
struct ApplyStep {
    uint32_t nFlags;
    bool (Run::*fn)();
    int nProgressAfter = 0;
    bool bAlone = false;
};

// The pauses at the end of a job.
struct ApplyTiming {
    IClock::Duration done;        // after a successful job
    IClock::Duration settle;      // more when buffers were written (the device stores them after the job)
};

class CApplyRunBase {
public:
    CApplyRunBase(CHidDev& dev, ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, std::stop_token stop);
    virtual ~CApplyRunBase() = default;
    CApplyRunBase(const CApplyRunBase&) = delete;
    CApplyRunBase& operator=(const CApplyRunBase&) = delete;

protected:
    // Logs the job's start under the family's name; false when the snapshot
    // holds no profile (nothing may be written then).
    bool Begin(const char* pszName);
    // Runs the steps for nFlags, then the final pauses; the job's result (1 or 0).
    template <class Run>
    int RunSteps(Run& run, std::span<const ApplyStep<Run>> steps, uint32_t nFlags, const ApplyTiming& timing)
    {
        return Finish(Steps(run, steps, nFlags), timing);
    }

    // A failed step: logged; true when the job goes on.
    bool Failed(const std::string& strLog);
    void Progress(int nPercent);
    // A pause that ends early at shutdown; false then (and from then on).
    bool Pause(IClock::Duration d);
    // What the user is told once for the whole job, one line per problem.
    void Notice(const std::vector<std::string>& lines);
    void Notice(std::u16string_view text, std::u16string_view caption);
    // The system error of the command interface's last call.
    int LastErr() const { return m_dev.Drv().LastError(HidRole::Cmd); }
    bool GoOn() const { return m_bGoOn; }
    bool Stopped() const { return m_bStopped; }
    void BuffersWritten() { m_bBuffersWritten = true; }

    template <class... Args>
    static std::string Fmt(const char* pszFormat, Args... args)
    {
        std::string s;
        AppendFormat(s, pszFormat, args...);
        return s;
    }

    CHidDev& m_dev;
    ApplySnapshot& m_snap;

private:
    template <class Run>
    bool Steps(Run& run, std::span<const ApplyStep<Run>> steps, uint32_t nFlags)
    {
        for (const ApplyStep<Run>& s : steps) {
            if (nFlags & s.nFlags) {
                if (!(run.*s.fn)()) return false;
                if (s.bAlone && nFlags == s.nFlags) return true;
            }
            if (s.nProgressAfter) Progress(s.nProgressAfter);
        }
        return !m_bStopped;
    }
    int Finish(bool bDone, const ApplyTiming& timing);

    IMsgTarget* const m_pProgress;
    const uint32_t m_nMsg;
    const std::stop_token m_stop;
    const bool m_bGoOn;
    const bool m_bHadDevice;
    bool m_bFailed = false;
    bool m_bStopped = false;
    bool m_bBuffersWritten = false;
};
