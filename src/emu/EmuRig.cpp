#include "emu/EmuRig.h"

#include <charconv>
#include <system_error>

#include "core/AtomicFile.h"
#include "core/Gvar.h"

namespace fs = std::filesystem;

namespace {

bool ParseCount(std::string_view text, int& n)
{
    const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    return ec == std::errc() && p == text.data() + text.size() && n >= 0;
}

}  // namespace

bool ParseEmuFault(const std::string& strText, EmuFault& fault)
{
    using K = EmuFault::Kind;
    fault = {};
    const size_t eq = strText.find('=');
    const std::string key = strText.substr(0, eq);
    if (eq == std::string::npos) {
        if (key == "refuse-open") fault.kind = K::RefuseOpen;
        else if (key == "garbage") fault.kind = K::Garbage;
        else if (key == "mouse-off") fault.kind = K::MouseOff;
        return fault.kind != K::None;
    }
    if (key == "fail") fault.kind = K::Fail;
    else if (key == "unplug-after") fault.kind = K::UnplugAfter;
    else return false;
    if (!ParseCount(std::string_view(strText).substr(eq + 1), fault.n)) {
        fault = {};
        return false;
    }
    return true;
}

CEmuRig::CEmuRig(IClock& clock) : m_backend(std::make_unique<CEmuBackend>()), m_clock(clock) {}

CEmuRig::~CEmuRig() = default;

fs::path CEmuRig::StatePath(const std::string& strName) const { return m_stateDir / (strName + ".state"); }

void CEmuRig::AddConfigured(const GlobalVar& gv, const fs::path& stateDir, std::vector<std::string>& notes)
{
    m_stateDir = stateDir;
    for (const EmuFamily& f : EmuFamilies()) {
        if (!f.configured(gv)) continue;
        for (EmuStatefulDevice& sd : f.make(gv, m_clock, *m_backend)) m_entries.push_back({std::move(sd)});
    }
    if (m_stateDir.empty()) return;
    for (Entry& e : m_entries) Load(e, notes);
}

void CEmuRig::Load(Entry& e, std::vector<std::string>& notes) const
{
    const fs::path path = StatePath(e.sd.strName);
    std::error_code ec;
    if (!fs::exists(path, ec)) return;  // a fresh device
    std::string strErr;
    if (e.sd.dev->LoadState(path, strErr)) return;
    // Never overwrite what could not be read: keep it aside, start fresh.
    std::string strWhy;
    if (!KeepAside(path, strWhy)) {
        notes.push_back("the state of virtual device " + e.sd.strName + " cannot be read (" + strErr +
                        ") nor kept aside (" + strWhy + "); it is left as it is and not updated");
        e.bSave = false;
        return;
    }
    notes.push_back("the state of virtual device " + e.sd.strName + " cannot be read (" + strErr + "); kept as " +
                    KeptAsidePath(path).filename().string() + ", the device starts fresh");
}

void CEmuRig::ArmOpenFaults(const EmuFault& fault)
{
    using K = EmuFault::Kind;
    for (const auto& dev : m_backend->Devices()) {
        if (fault.kind == K::RefuseOpen) dev->RefuseOpen(true);
        if (fault.kind == K::MouseOff) dev->SetMouseOff(true);
    }
}

void CEmuRig::ArmTransferFaults(const EmuFault& fault)
{
    using K = EmuFault::Kind;
    for (const auto& dev : m_backend->Devices()) {
        switch (fault.kind) {
        case K::Fail: dev->FailNext(fault.n); break;
        case K::UnplugAfter: dev->UnplugAfter(fault.n); break;
        case K::Garbage: dev->AnswerGarbage(-1); break;
        default: break;
        }
    }
}

std::string CEmuRig::Describe() const
{
    std::string out;
    for (const Entry& e : m_entries) {
        out += "== " + e.sd.strName + " ==\n";
        std::string s = e.sd.dev->DescribeState();
        if (!s.empty() && s.back() != '\n') s += '\n';
        out += s;
    }
    return out;
}

bool CEmuRig::Finish(const fs::path& journal, std::vector<std::string>& notes)
{
    bool bOk = true;
    std::string strErr;
    for (const Entry& e : m_entries) {
        if (!e.bSave || m_stateDir.empty()) continue;
        std::error_code ec;
        fs::create_directories(m_stateDir, ec);
        if (ec || !e.sd.dev->SaveState(StatePath(e.sd.strName), strErr)) {
            notes.push_back("the state of virtual device " + e.sd.strName +
                            " could not be stored: " + (ec ? ec.message() : strErr));
            bOk = false;
        }
    }
    if (!journal.empty() && !m_backend->Journal()->WriteFile(journal, strErr)) {
        notes.push_back("the journal could not be written: " + strErr);
        bOk = false;
    }
    for (const std::string& v : m_backend->Violations()) {
        notes.push_back("protocol rule broken: " + v);
        bOk = false;
    }
    return bOk;
}
