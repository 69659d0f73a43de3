// The update check: fetches the update description on a worker thread, walks
// its entries (UpdateRules.h), asks the user, downloads the installer or the
// firmware file on the worker and starts it once the user has said yes.
//
// Threads. Start, Cancel and OnMessage belong to the owner's thread (the user
// interface's). The worker only downloads and reads the description; it posts
// kMsgUpdate to the message target and never waits for a window. The owner
// hands every kMsgUpdate it receives back to OnMessage, which asks the
// questions, shows the messages and starts the next download. So a question
// is asked by the thread that owns the windows, and a worker that is cancelled
// or stopped never waits for an answer.
//
// Lock order: m_mtx is taken alone; no call into the downloader, the message
// target, the prompt or the view is made while holding it.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>

#include "core/IPrompt.h"
#include "device/IClock.h"
#include "device/IMsgTarget.h"
#include "update/IDownloader.h"
#include "update/ILauncher.h"
#include "update/UpdateDesc.h"
#include "update/UpdateRules.h"

// Update thread -> its owner: wParam an UpdateEvent, lParam the run number
// (and, for progress, the percentage in the low 8 bits).
constexpr uint32_t kMsgUpdate = 1112;

enum class UpdateEvent : uintptr_t {
    Progress = 1,     // a download's percentage
    Fetched,          // the description was read
    FetchFailed,      // the description could not be downloaded
    LoadFailed,       // it was downloaded but is not a well-formed document
    Downloaded,       // the installer or firmware file is complete
    DownloadFailed,   // it is not
};

// How a run ended.
enum class UpdateOutcome {
    None,          // nothing applied to this keyboard, or every offer was declined
    UpToDate,      // told the user it is current
    Marked,        // newer versions marked (a check the user did not start)
    Unreachable,   // the description could not be downloaded
    BadDescription,
    Failed,        // a download, the size check or the launch failed
    Started,       // a downloaded file was started; the program should end
    Cancelled,
    Off,           // no update location is configured
};
const char* UpdateOutcomeName(UpdateOutcome o);

// What the page shows of a run.
class IUpdateView {
public:
    virtual ~IUpdateView() = default;
    // Bit 0 a newer program, bit 1 a newer firmware.
    virtual void ShowUpdateMark(int nWhich) = 0;
    virtual void SetUpdateProgress(int nPercent) = 0;
    // The run has ended; a new one may start.
    virtual void UpdateFinished(UpdateOutcome outcome) = 0;
    // A downloaded file was started: the program ends so that it can be replaced.
    virtual void QuitForInstall() = 0;
};

// Everything a run needs, taken on the owner's thread when it starts.
struct UpdateSnapshot {
    std::filesystem::path userDir;  // downloads go here (firmware in a folder per keyboard)
    std::string strBaseUrl;         // the update location (UTF-8)
    int32_t nVer = 0;
    uint16_t nKbVid = 0, nKbPid = 0;
    int32_t nKbVer = 0;             // 0 without a keyboard
    uint16_t nKbModel = 0;          // lower half of the firmware folder number
    std::u16string strCaption;
    // The catalogue's texts: up to date, new program, new firmware, failed, unreachable.
    std::u16string strUpToDate, strAskProgram, strAskFirmware, strFailed, strUnreachable;
    std::chrono::milliseconds startDelay{1000};  // a pause before the first download
};

// The snapshot from the global state and the catalogue; the keyboard's
// firmware version and model code come from the caller, who owns the device.
UpdateSnapshot UpdateSnapshotFromGlobals(int32_t nKbVer, uint16_t nKbModel);

// Shown when the check is started by the user but no update location is set.
constexpr char16_t kUpdateOffText[] = u"The update check is off: no update address is configured (UpateUrl).";

class CUpdateCheck {
public:
    // Everything given must outlive the object; the target must accept posts
    // until the destructor has returned.
    CUpdateCheck(IDownloader& downloader, ILauncher& launcher, IClock& clock, IMsgTarget& target, IPrompt& prompt,
                 IUpdateView& view);
    // Cancels the run and joins the worker.
    ~CUpdateCheck();
    CUpdateCheck(const CUpdateCheck&) = delete;
    CUpdateCheck& operator=(const CUpdateCheck&) = delete;

    // Starts a run (UpdateThread): nType kUpdateProgram, kUpdateFirmware or
    // both; bUserCheck when the user asked, so that every outcome is shown.
    // Returns at once; false, logging "UpdateThread return", while a run is
    // active, and false when no update location is configured.
    bool Start(int nType, bool bUserCheck, UpdateSnapshot snap);
    // Ends the active run: a download in progress is cut off, its partial file
    // removed, and nothing more of the run is shown or started.
    void Cancel();
    bool IsRunning() const { return m_bRunning; }
    // Every kMsgUpdate the target receives, on the owner's thread.
    void OnMessage(uintptr_t wParam, intptr_t lParam);

    // Files handed over by the last run (for the page's log and tests).
    const std::filesystem::path& DrvFile() const { return m_szDrvFile; }
    const std::filesystem::path& FwFile() const { return m_szFwFile; }

private:
    enum class JobKind { Fetch, Download };
    struct Job {
        JobKind kind = JobKind::Fetch;
        uint32_t nRun = 0;
        std::string strUrl;
        std::filesystem::path path;
        uint64_t nMaxBytes = 0;
        UpdateFile file = UpdateFile::Program;
        std::chrono::milliseconds delay{0};
        std::stop_token stop;  // the run's cancellation
    };
    // The description the worker read for the run nRun, left for OnMessage.
    struct Result {
        uint32_t nRun = 0;
        UpdateDesc desc;
    };

    void WorkerMain(std::stop_token stop);
    void RunFetch(const Job& job, std::stop_token stop);
    void RunDownload(const Job& job, std::stop_token stop);
    void Post(UpdateEvent ev, uint32_t nRun, int nPercent = 0);
    void Queue(Job job);

    void Advance();
    void Offer(const UpdateStep& step, UpdateFile file);
    void HandOver(UpdateFile file, const std::filesystem::path& path);
    void Finish(UpdateOutcome outcome);
    void Tell(const std::u16string& text);

    IDownloader& m_downloader;
    ILauncher& m_launcher;
    IClock& m_clock;
    IMsgTarget& m_target;
    IPrompt& m_prompt;
    IUpdateView& m_view;

    // Owner's thread only.
    bool m_bRunning = false;  // g_bUpdateing
    uint32_t m_nRun = 0;      // number of the active run; messages of others are dropped
    UpdateSnapshot m_snap;
    UpdateQuery m_query;
    UpdateDesc m_desc;
    UpdateCursor m_cursor;
    bool m_bMarked = false;
    std::stop_source m_runStop;
    std::filesystem::path m_szDrvFile, m_szFwFile;

    mutable std::mutex m_mtx;
    std::condition_variable_any m_cv;
    std::deque<Job> m_jobs;      // guarded by m_mtx
    Result m_result;             // guarded by m_mtx
    std::jthread m_thread;       // last member: stopped and joined first
};
