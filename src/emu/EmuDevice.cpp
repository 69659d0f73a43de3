#include "emu/EmuDevice.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <sstream>

#include "emu/EmuHandle.h"
#include "emu/EmuHex.h"
#include "core/AtomicFile.h"

namespace {

constexpr std::uintmax_t kStateFileMax = 4 << 20;  // far above any device's state

}  // namespace

// ---- CEmuHandle --------------------------------------------------------------------

CEmuHandle::CEmuHandle(std::shared_ptr<CEmuDevice> dev, int nIface, uint64_t nGen)
    : m_dev(std::move(dev)), m_nIface(nIface), m_nGen(nGen)
{
    m_dev->Register(this);
}

CEmuHandle::~CEmuHandle() { m_dev->Unregister(this); }

bool CEmuHandle::SetFeature(std::span<const uint8_t> report)
{
    int nErr = 0;
    const bool b = m_dev->HandleSet(m_nIface, m_nGen, report, nErr);
    m_nErr = nErr;
    return b;
}

bool CEmuHandle::GetFeature(std::span<uint8_t> buf)
{
    int nErr = 0;
    const bool b = m_dev->HandleGet(m_nIface, m_nGen, buf, nErr);
    m_nErr = nErr;
    return b;
}

bool CEmuHandle::WriteOutput(std::span<const uint8_t> report)
{
    int nErr = 0;
    const bool b = m_dev->HandleWrite(m_nIface, m_nGen, report, nErr);
    m_nErr = nErr;
    return b;
}

int CEmuHandle::ReadInput(std::span<uint8_t> buf, std::chrono::milliseconds timeout)
{
    int nErr = 0;
    const int n = m_dev->HandleRead(*this, buf, timeout, nErr);
    if (n < 0) m_nErr = nErr;
    return n;
}

void CEmuHandle::CancelRead() { m_dev->HandleCancel(*this); }

// ---- CEmuDevice ----------------------------------------------------------------------

CEmuDevice::CEmuDevice(std::string strName, IClock& clock)
    : m_clock(clock), m_strName(std::move(strName)), m_journal(std::make_shared<CEmuJournal>())
{
}

CEmuDevice::~CEmuDevice() = default;

int CEmuDevice::AddInterface(std::string strRole, HidDevInfo info)
{
    std::lock_guard lock(m_mtx);
    info.szPath = "emu:" + m_strName + "/" + strRole;
    m_ifaces.push_back({std::move(strRole), std::move(info)});
    return int(m_ifaces.size()) - 1;
}

std::vector<HidDevInfo> CEmuDevice::Interfaces() const
{
    std::lock_guard lock(m_mtx);
    std::vector<HidDevInfo> out;
    for (const Interface& i : m_ifaces) out.push_back(i.info);
    return out;
}

int CEmuDevice::FindInterface(const std::string& strPath) const
{
    std::lock_guard lock(m_mtx);
    for (size_t i = 0; i < m_ifaces.size(); ++i)
        if (m_ifaces[i].info.szPath == strPath) return int(i);
    return -1;
}

std::string CEmuDevice::Role(int nIface) const
{
    return nIface >= 0 && size_t(nIface) < m_ifaces.size() ? m_ifaces[size_t(nIface)].strRole : std::string();
}

bool CEmuDevice::IsPlugged() const
{
    std::lock_guard lock(m_mtx);
    return m_bPlugged;
}

void CEmuDevice::Plug()
{
    {
        std::lock_guard lock(m_mtx);
        if (m_bPlugged) return;
        m_bPlugged = true;
        ++m_nGen;
        m_plugEvents.push_back(true);
    }
    TellPlugEvents();
}

void CEmuDevice::Unplug()
{
    {
        std::lock_guard lock(m_mtx);
        UnplugLocked();
    }
    TellPlugEvents();
}

void CEmuDevice::UnplugLocked()
{
    if (m_bPlugged) m_plugEvents.push_back(false);
    m_bPlugged = false;
    m_bTransaction = false;
    m_cvInput.notify_all();  // waiting reads end with an error
}

void CEmuDevice::SetPlugHook(PlugHook fn)
{
    std::lock_guard lock(m_mtx);
    m_plugHook = std::move(fn);
}

void CEmuDevice::TellPlugEvents()
{
    std::vector<bool> events;
    PlugHook hook;
    {
        std::lock_guard lock(m_mtx);
        events.swap(m_plugEvents);
        hook = m_plugHook;
    }
    if (hook)
        for (const bool bArrived : events) hook(*this, bArrived);
}

int CEmuDevice::WaitingReads() const
{
    std::lock_guard lock(m_mtx);
    return m_nWaitingReads;
}

void CEmuDevice::FailNext(int n)
{
    std::lock_guard lock(m_mtx);
    m_nFailNext = std::max(n, 0);
}

void CEmuDevice::UnplugAfter(int n)
{
    {
        std::lock_guard lock(m_mtx);
        if (n <= 0) UnplugLocked();
        else m_nUnplugAfter = n;
    }
    TellPlugEvents();
}

void CEmuDevice::RefuseOpen(bool bRefuse)
{
    std::lock_guard lock(m_mtx);
    m_bRefuseOpen = bRefuse;
}

void CEmuDevice::AnswerGarbage(int n)
{
    std::lock_guard lock(m_mtx);
    m_nGarbage = n;
}

void CEmuDevice::SetMouseOff(bool bOff)
{
    std::lock_guard lock(m_mtx);
    m_bMouseOff = bOff;
}

bool CEmuDevice::IsMouseOff() const
{
    std::lock_guard lock(m_mtx);
    return m_bMouseOff;
}

void CEmuDevice::SetJournal(std::shared_ptr<CEmuJournal> journal)
{
    std::lock_guard lock(m_mtx);
    if (journal) m_journal = std::move(journal);
}

std::shared_ptr<CEmuJournal> CEmuDevice::Journal() const
{
    std::lock_guard lock(m_mtx);
    return m_journal;
}

std::vector<std::string> CEmuDevice::Violations() const
{
    std::lock_guard lock(m_mtx);
    return m_violations;
}

void CEmuDevice::ClearViolations()
{
    std::lock_guard lock(m_mtx);
    m_violations.clear();
}

int CEmuDevice::FailedTransfers() const
{
    std::lock_guard lock(m_mtx);
    return m_nFailed;
}

void CEmuDevice::Violation(std::string strRule)
{
    if (!strRule.empty()) m_violations.push_back(std::move(strRule));
}

bool CEmuDevice::InjectInput(std::string_view role, std::span<const uint8_t> report)
{
    std::lock_guard lock(m_mtx);
    if (!m_bPlugged) return false;
    for (size_t i = 0; i < m_ifaces.size(); ++i) {
        if (m_ifaces[i].strRole != role) continue;
        PushInputLocked(int(i), report);
        return true;
    }
    return false;
}

void CEmuDevice::PushInputLocked(int nIface, std::span<const uint8_t> report)
{
    if (!m_bPlugged) return;
    for (CEmuHandle* h : m_handles) {
        if (h->m_nIface != nIface || h->m_nGen != m_nGen) continue;
        if (h->m_queue.size() == CEmuHandle::kQueueMax) h->m_queue.pop_front();  // the oldest is lost, as in the kernel
        h->m_queue.emplace_back(report.begin(), report.end());
    }
    m_cvInput.notify_all();
}

void CEmuDevice::BeginTransaction()
{
    m_bTransaction = true;
    m_tCommand = m_clock.Now();
    m_cmdThread = std::this_thread::get_id();
}

void CEmuDevice::EndTransaction(IClock::Duration minGap, std::string_view what)
{
    if (!m_bTransaction) {
        Violation("read of " + std::string(what) + " without a command before it");
        return;
    }
    m_bTransaction = false;
    const auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(m_clock.Now() - m_tCommand);
    const auto need = std::chrono::duration_cast<std::chrono::milliseconds>(minGap);
    if (gap < need)
        Violation(std::string(what) + " read " + std::to_string(gap.count()) + " ms after its command, " +
                  std::to_string(need.count()) + " ms needed");
}

void CEmuDevice::OnWriteOutput(int nIface, std::span<const uint8_t>)
{
    Violation("output report on " + Role(nIface) + ", which takes none");
}

void CEmuDevice::OnGetFeatureMouseOff(int, std::span<uint8_t> buf)
{
    if (buf.size() > 1) std::fill(buf.begin() + 1, buf.end(), uint8_t{0});
}

bool CEmuDevice::CanOpen(uint64_t& nGen) const
{
    std::lock_guard lock(m_mtx);
    nGen = m_nGen;
    return m_bPlugged && !m_bRefuseOpen;
}

void CEmuDevice::Register(CEmuHandle* h)
{
    std::lock_guard lock(m_mtx);
    m_handles.push_back(h);
}

void CEmuDevice::Unregister(CEmuHandle* h)
{
    std::lock_guard lock(m_mtx);
    std::erase(m_handles, h);
}

bool CEmuDevice::Admit(int nIface, uint64_t nGen, std::span<const uint8_t> report, size_t nLen, const char* pszOp,
                       int& nErr)
{
    if (!m_bPlugged || nGen != m_nGen) {
        nErr = ENODEV;
        ++m_nFailed;
        return false;
    }
    const Interface& iface = m_ifaces[size_t(nIface)];
    if (m_bTransaction && std::this_thread::get_id() != m_cmdThread)
        Violation(std::string(pszOp) + " on " + iface.strRole + " from another thread between a command and its answer");
    const std::string strWhat = std::string(pszOp) + " " + iface.strRole + " " + EmuHex(report);
    bool bRefused = false;
    if (nLen == 0) {
        Violation(strWhat + ": the interface has no such report");
        bRefused = true;
    } else if (report.size() != nLen) {
        Violation(strWhat + ": " + std::to_string(report.size()) + " bytes, the report has " + std::to_string(nLen));
        bRefused = true;
    } else if (iface.info.nReportId != 0 && report[0] != iface.info.nReportId) {
        Violation(strWhat + ": report id " + std::to_string(report[0]) + ", the interface takes " +
                  std::to_string(iface.info.nReportId));
        bRefused = true;
    }
    if (!bRefused && m_nFailNext > 0) {
        --m_nFailNext;
        bRefused = true;
    }
    if (bRefused) {
        nErr = EPIPE;  // what a stalled USB request gives
        ++m_nFailed;
        return false;
    }
    return true;
}

void CEmuDevice::Moved()
{
    if (m_nUnplugAfter > 0 && --m_nUnplugAfter == 0) {
        m_nUnplugAfter = -1;
        UnplugLocked();
    }
}

uint8_t CEmuDevice::NextNoise()
{
    m_nNoise ^= m_nNoise << 13;
    m_nNoise ^= m_nNoise >> 17;
    m_nNoise ^= m_nNoise << 5;
    return uint8_t(m_nNoise >> 7);
}

bool CEmuDevice::HandleSet(int nIface, uint64_t nGen, std::span<const uint8_t> report, int& nErr)
{
    // A fault switch may pull the device during the transfer: told once the lock is free.
    const bool b = [&] {
        std::lock_guard lock(m_mtx);
        if (!Admit(nIface, nGen, report, size_t(m_ifaces[size_t(nIface)].info.nFeatureLen), "setf", nErr)) return false;
        m_journal->Add("setf", m_ifaces[size_t(nIface)].strRole, report);
        if (m_bMouseOff) OnSetFeatureMouseOff(nIface, report);
        else OnSetFeature(nIface, report);
        Moved();
        return true;
    }();
    TellPlugEvents();
    return b;
}

bool CEmuDevice::HandleGet(int nIface, uint64_t nGen, std::span<uint8_t> buf, int& nErr)
{
    // A fault switch may pull the device during the transfer: told once the lock is free.
    const bool b = [&] {
        std::lock_guard lock(m_mtx);
        if (!Admit(nIface, nGen, buf, size_t(m_ifaces[size_t(nIface)].info.nFeatureLen), "getf", nErr)) return false;
        if (!m_bMouseOff && RefusesGet(nIface)) {
            nErr = EPIPE;
            ++m_nFailed;
            return false;
        }
        if (m_bMouseOff) OnGetFeatureMouseOff(nIface, buf);
        else OnGetFeature(nIface, buf);
        if (m_nGarbage != 0) {
            for (size_t i = 1; i < buf.size(); ++i) buf[i] = NextNoise();
            if (m_nGarbage > 0) --m_nGarbage;
        }
        m_journal->Add("getf", m_ifaces[size_t(nIface)].strRole, buf);
        Moved();
        return true;
    }();
    TellPlugEvents();
    return b;
}

bool CEmuDevice::HandleWrite(int nIface, uint64_t nGen, std::span<const uint8_t> report, int& nErr)
{
    // A fault switch may pull the device during the transfer: told once the lock is free.
    const bool b = [&] {
        std::lock_guard lock(m_mtx);
        if (!Admit(nIface, nGen, report, size_t(m_ifaces[size_t(nIface)].info.nOutputLen), "write", nErr)) return false;
        m_journal->Add("write", m_ifaces[size_t(nIface)].strRole, report);
        if (!m_bMouseOff) OnWriteOutput(nIface, report);
        Moved();
        return true;
    }();
    TellPlugEvents();
    return b;
}

int CEmuDevice::HandleRead(CEmuHandle& h, std::span<uint8_t> buf, std::chrono::milliseconds timeout, int& nErr)
{
    std::unique_lock lock(m_mtx);
    const auto alive = [&] { return m_bPlugged && h.m_nGen == m_nGen; };
    ++m_nWaitingReads;
    m_cvInput.wait_for(lock, timeout, [&] { return h.m_bCancel || !alive() || !h.m_queue.empty(); });
    --m_nWaitingReads;
    if (h.m_bCancel) {
        h.m_bCancel = false;
        return 0;
    }
    if (!alive()) {
        nErr = ENODEV;
        return -1;
    }
    if (h.m_queue.empty()) return 0;
    const std::vector<uint8_t> report = std::move(h.m_queue.front());
    h.m_queue.pop_front();
    const size_t n = std::min(buf.size(), report.size());
    std::copy_n(report.begin(), n, buf.begin());
    m_journal->Add("read", m_ifaces[size_t(h.m_nIface)].strRole, buf.first(n));
    return int(n);
}

void CEmuDevice::HandleCancel(CEmuHandle& h)
{
    std::lock_guard lock(m_mtx);
    h.m_bCancel = true;
    m_cvInput.notify_all();
}

bool CEmuDevice::SaveState(const std::filesystem::path& path, std::string& strErr) const
{
    std::string text;
    {
        std::lock_guard lock(m_mtx);
        text = StateText();
    }
    return WriteFileAtomic(path, text, strErr);
}

bool CEmuDevice::LoadState(const std::filesystem::path& path, std::string& strErr)
{
    std::error_code ec;
    const std::uintmax_t nSize = std::filesystem::file_size(path, ec);
    if (ec) {
        strErr = "cannot read " + path.string() + ": " + ec.message();
        return false;
    }
    if (nSize > kStateFileMax) {
        strErr = path.string() + " is too large for a device state";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    if (!in && !in.eof()) {
        strErr = "cannot read " + path.string();
        return false;
    }
    std::lock_guard lock(m_mtx);
    if (!RestoreStateText(ss.str(), strErr)) {
        strErr = path.string() + ": " + strErr;
        return false;
    }
    return true;
}
