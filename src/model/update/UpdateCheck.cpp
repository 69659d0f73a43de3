#include "update/UpdateCheck.h"

#include <system_error>

#include "core/Gvar.h"
#include "core/Log.h"
#include "core/Utf.h"
#include "keys/MacroFile.h"  // MakeSureFolderExist
#include "text/TextCatalogue.h"
#include "text/XmlReader.h"

namespace fs = std::filesystem;

const char* UpdateOutcomeName(UpdateOutcome o)
{
    switch (o) {
    case UpdateOutcome::None: return "none";
    case UpdateOutcome::UpToDate: return "up-to-date";
    case UpdateOutcome::Marked: return "marked";
    case UpdateOutcome::Unreachable: return "unreachable";
    case UpdateOutcome::BadDescription: return "bad-description";
    case UpdateOutcome::Failed: return "failed";
    case UpdateOutcome::Started: return "started";
    case UpdateOutcome::Cancelled: return "cancelled";
    case UpdateOutcome::Off: return "off";
    }
    return "?";
}

UpdateSnapshot UpdateSnapshotFromGlobals(int32_t nKbVer, uint16_t nKbModel)
{
    UpdateSnapshot s;
    s.userDir = g_szUserDir;
    s.strBaseUrl = U16ToUtf8(FixedView(gVar.szUpateUrl));
    s.nVer = gVar.nVer;
    s.nKbVid = gVar.Kb.nVID;
    s.nKbPid = gVar.Kb.nPID;
    s.nKbVer = nKbVer;
    s.nKbModel = nKbModel;
    s.strCaption = gVar.pszTitle ? std::u16string(gVar.pszTitle) : std::u16string();
    s.strUpToDate = gText.tc_spr(6);
    s.strAskProgram = gText.tc_spr(7);
    s.strAskFirmware = gText.tc_spr(8);
    s.strFailed = gText.tc_spr(10);
    s.strUnreachable = gText.tc_spr(11);
    return s;
}

CUpdateCheck::CUpdateCheck(IDownloader& downloader, ILauncher& launcher, IClock& clock, IMsgTarget& target,
                           IPrompt& prompt, IUpdateView& view)
    : m_downloader(downloader), m_launcher(launcher), m_clock(clock), m_target(target), m_prompt(prompt),
      m_view(view)
{
}

CUpdateCheck::~CUpdateCheck()
{
    m_runStop.request_stop();
    if (m_thread.joinable()) {
        m_thread.request_stop();
        m_cv.notify_all();
        m_thread.join();
    }
}

// ---- owner's thread --------------------------------------------------------------

bool CUpdateCheck::Start(int nType, bool bUserCheck, UpdateSnapshot snap)
{
    if (m_bRunning) {
        LogPrintf("UpdateThread return\n");
        return false;
    }
    const std::optional<std::string> url = UpdateDescUrl(snap.strBaseUrl);
    if (!url) {
        // An empty or relative location would fetch from nowhere in particular.
        LogPrintf("Update check off: no usable update address \"%s\"\n", snap.strBaseUrl.c_str());
        if (bUserCheck) m_prompt.ShowMessage(kUpdateOffText, snap.strCaption);
        m_view.UpdateFinished(UpdateOutcome::Off);
        return false;
    }
    m_bRunning = true;
    ++m_nRun;
    m_snap = std::move(snap);
    m_query = UpdateQuery{nType, bUserCheck, m_snap.nVer, m_snap.nKbVid, m_snap.nKbPid, m_snap.nKbVer};
    m_desc = {};
    m_cursor = {};
    m_bMarked = false;
    m_runStop = std::stop_source();

    Job job;
    job.kind = JobKind::Fetch;
    job.nRun = m_nRun;
    job.strUrl = *url;
    job.path = m_snap.userDir / kUpdateDescName;
    job.nMaxBytes = kMaxDescBytes;
    job.delay = m_snap.startDelay;
    job.stop = m_runStop.get_token();
    LogPrintf("UpdateThread Start, DriverVersion=0x%x, UpdateType=%d....\n", uint32_t(m_snap.nVer), nType);
    Queue(std::move(job));
    return true;
}

void CUpdateCheck::Cancel()
{
    if (!m_bRunning) return;
    LogPrintf("Update check cancelled\n");
    Finish(UpdateOutcome::Cancelled);
}

void CUpdateCheck::OnMessage(uintptr_t wParam, intptr_t lParam)
{
    const auto ev = UpdateEvent(wParam);
    const uint32_t nRun = uint32_t(uint64_t(lParam) >> 8);
    if (!m_bRunning || nRun != m_nRun) return;  // a cancelled or finished run
    switch (ev) {
    case UpdateEvent::Progress:
        m_view.SetUpdateProgress(int(lParam & 0xFF));
        return;
    case UpdateEvent::FetchFailed:
        if (m_query.bUserCheck) Tell(m_snap.strUnreachable);
        Finish(UpdateOutcome::Unreachable);
        return;
    case UpdateEvent::LoadFailed:
        if (m_query.bUserCheck) Tell(m_snap.strFailed);
        Finish(UpdateOutcome::BadDescription);
        return;
    case UpdateEvent::Fetched: {
        std::lock_guard lock(m_mtx);
        if (m_result.nRun != nRun) return;
        m_desc = std::move(m_result.desc);
        m_result.desc = {};
    }
        m_view.SetUpdateProgress(0);
        LogPrintf("Start to check xml\n");
        Advance();
        return;
    case UpdateEvent::DownloadFailed:
        if (m_query.bUserCheck) Tell(m_snap.strFailed);
        Finish(UpdateOutcome::Failed);
        return;
    case UpdateEvent::Downloaded: {
        // Offer left the cursor on the part whose file this is.
        const UpdateFile file = m_cursor.bFirmware ? UpdateFile::Firmware : UpdateFile::Program;
        HandOver(file, file == UpdateFile::Program ? m_szDrvFile : m_szFwFile);
        return;
    }
    }
}

void CUpdateCheck::Advance()
{
    for (;;) {
        const UpdateStep step = NextUpdateStep(m_desc, m_query, m_cursor);
        for (const std::string& line : step.logs) LogPrintf("%s\n", line.c_str());
        switch (step.action) {
        case UpdateAction::Finish:
            Finish(m_bMarked ? UpdateOutcome::Marked : UpdateOutcome::None);
            return;
        case UpdateAction::ProgramUpToDate:
        case UpdateAction::FirmwareUpToDate:
            if (m_query.bUserCheck) Tell(m_snap.strUpToDate);
            Finish(UpdateOutcome::UpToDate);
            return;
        case UpdateAction::ProgramMark:
        case UpdateAction::FirmwareMark:
            m_view.ShowUpdateMark(step.action == UpdateAction::ProgramMark ? 1 : 2);
            m_bMarked = true;
            m_cursor = step.next;
            continue;
        case UpdateAction::AskProgram:
        case UpdateAction::AskFirmware:
            Offer(step, step.action == UpdateAction::AskProgram ? UpdateFile::Program : UpdateFile::Firmware);
            return;
        }
    }
}

// Asks about one newer version; on yes downloads it (or takes the complete
// file already there), on no goes on with the walk.
void CUpdateCheck::Offer(const UpdateStep& step, UpdateFile file)
{
    const bool bFw = file == UpdateFile::Firmware;
    const std::optional<std::string> name = UpdateFileName(step.strUrl);
    fs::path folder = m_snap.userDir;
    if (bFw) folder /= FirmwareFolderName(m_desc.entries[step.iEntry].pid.nValue, m_snap.nKbModel);
    if (!name) {
        // No file name that stays inside the folder: nothing can be fetched.
        LogPrintf("Update location without a usable file name: \"%s\"\n", step.strUrl.c_str());
        Tell(m_snap.strFailed);
        Finish(UpdateOutcome::Failed);
        return;
    }
    std::string strErr;
    if (bFw && !MakeSureFolderExist(folder, strErr)) {
        LogPrintf("Download FW Err: %s\n", strErr.c_str());
        Tell(m_snap.strFailed);
        Finish(UpdateOutcome::Failed);
        return;
    }
    if (!m_prompt.AskYesNo(bFw ? m_snap.strAskFirmware : m_snap.strAskProgram, m_snap.strCaption)) {
        m_cursor = step.next;
        Advance();
        return;
    }

    const fs::path path = folder / fs::path(*name);
    (bFw ? m_szFwFile : m_szDrvFile) = path;
    m_cursor = {step.iEntry, bFw};
    std::error_code ec;
    const uintmax_t nHave = fs::is_regular_file(path, ec) ? fs::file_size(path, ec) : 0;
    if (!ec && nHave > 0 && JudgeDownloadedSize(file, nHave) == SizeVerdict::Start) {
        // Downloads are renamed into place only when complete, so a file under
        // the final name is a whole one. A file refused earlier for its size is
        // fetched again instead of being refused on every check.
        LogPrintf("%s has download\n", bFw ? path.string().c_str() : name->c_str());
        HandOver(file, path);
        return;
    }
    if (bFw) LogPrintf("Start to download %s\n", step.strUrl.c_str());
    Job job;
    job.kind = JobKind::Download;
    job.nRun = m_nRun;
    job.strUrl = step.strUrl;
    job.path = path;
    job.nMaxBytes = bFw ? kMaxFirmwareBytes : kMaxProgramBytes;
    job.file = file;
    job.stop = m_runStop.get_token();
    Queue(std::move(job));
}

void CUpdateCheck::HandOver(UpdateFile file, const fs::path& path)
{
    const bool bFw = file == UpdateFile::Firmware;
    std::error_code ec;
    const uintmax_t nSize = fs::file_size(path, ec);
    const std::optional<uint64_t> size = ec ? std::nullopt : std::optional<uint64_t>(nSize);
    switch (JudgeDownloadedSize(file, size)) {
    case SizeVerdict::Start:
        break;
    case SizeVerdict::RefuseKeep:
        if (size) LogPrintf("Drv file size wrong= %d\n", int(*size));
        else LogPrintf("Downloaded file unreadable: %s (%s)\n", path.string().c_str(), ec.message().c_str());
        Tell(m_snap.strFailed);
        Finish(UpdateOutcome::Failed);
        return;
    case SizeVerdict::RefuseDelete:
        LogPrintf("Fw file size wrong=%d\n", int(*size));
        fs::remove(path, ec);
        Tell(m_snap.strFailed);
        Finish(UpdateOutcome::Failed);
        return;
    }
    std::string strWhy;
    if (!m_launcher.Open(path, strWhy)) {
        // The program stays: the user still has it, and is told.
        LogPrintf("Cannot start %s: %s\n", path.string().c_str(), strWhy.c_str());
        Tell(m_snap.strFailed);
        Finish(UpdateOutcome::Failed);
        return;
    }
    LogPrintf("Started %s %s\n", bFw ? "firmware" : "installer", path.string().c_str());
    Finish(UpdateOutcome::Started);
    m_view.QuitForInstall();
}

void CUpdateCheck::Finish(UpdateOutcome outcome)
{
    m_bRunning = false;
    m_runStop.request_stop();  // a download still running for this run is cut off
    ++m_nRun;  // anything the worker still posts for this run is dropped
    m_view.UpdateFinished(outcome);
}

void CUpdateCheck::Tell(const std::u16string& text) { m_prompt.ShowMessage(text, m_snap.strCaption); }

void CUpdateCheck::Queue(Job job)
{
    {
        std::lock_guard lock(m_mtx);
        m_jobs.push_back(std::move(job));
    }
    if (!m_thread.joinable()) m_thread = std::jthread([this](std::stop_token stop) { WorkerMain(stop); });
    m_cv.notify_all();
}

// ---- worker ----------------------------------------------------------------------

void CUpdateCheck::Post(UpdateEvent ev, uint32_t nRun, int nPercent)
{
    m_target.Post(kMsgUpdate, uintptr_t(ev), intptr_t(uint64_t(nRun) << 8 | uint64_t(nPercent & 0xFF)));
}

void CUpdateCheck::WorkerMain(std::stop_token stop)
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mtx);
            if (!m_cv.wait(lock, stop, [this] { return !m_jobs.empty(); })) return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        if (job.stop.stop_requested()) continue;
        if (job.kind == JobKind::Fetch) RunFetch(job, stop);
        else RunDownload(job, stop);
    }
}

void CUpdateCheck::RunFetch(const Job& job, std::stop_token stop)
{
    if (!m_clock.SleepUnless(job.delay, job.stop) || stop.stop_requested()) return;
    std::error_code ec;
    fs::remove(job.path, ec);
    LogPrintf("Download %s\n", job.strUrl.c_str());
    DownloadRequest req;
    req.strUrl = job.strUrl;
    req.path = job.path;
    req.nMaxBytes = job.nMaxBytes;
    req.cancelled = [&] { return stop.stop_requested() || job.stop.stop_requested(); };
    const DownloadResult r = m_downloader.Download(req);
    if (!r.Ok()) {
        LogPrintf("Download Err=0x%x %s\n", unsigned(r.nCode), r.strWhy.c_str());
        Post(UpdateEvent::FetchFailed, job.nRun);
        return;
    }
    CXmlReader reader;
    UpdateDesc desc;
    if (!reader.LoadFile(job.path) || !reader.SetDocument() || !ReadUpdateDesc(reader, desc)) {
        LogPrintf("Load XML Failed %s\n", U16ToUtf8(reader.GetResultText()).c_str());
        Post(UpdateEvent::LoadFailed, job.nRun);
        return;
    }
    {
        std::lock_guard lock(m_mtx);
        m_result.nRun = job.nRun;
        m_result.desc = std::move(desc);
    }
    Post(UpdateEvent::Fetched, job.nRun);
}

void CUpdateCheck::RunDownload(const Job& job, std::stop_token stop)
{
    Post(UpdateEvent::Progress, job.nRun, 0);
    int nLast = 0;
    DownloadRequest req;
    req.strUrl = job.strUrl;
    req.path = job.path;
    req.nMaxBytes = job.nMaxBytes;
    req.progress = [&](int nPercent) {
        if (nPercent == nLast) return;
        nLast = nPercent;
        Post(UpdateEvent::Progress, job.nRun, nPercent);
    };
    req.cancelled = [&] { return stop.stop_requested() || job.stop.stop_requested(); };
    const DownloadResult r = m_downloader.Download(req);
    if (!r.Ok()) {
        LogPrintf(job.file == UpdateFile::Program ? "Download DRV Err=0x%x %s\n" : "Download FW Err=0x%x %s\n",
                  unsigned(r.nCode), r.strWhy.c_str());
        Post(UpdateEvent::DownloadFailed, job.nRun);
        return;
    }
    Post(UpdateEvent::Downloaded, job.nRun);
}
