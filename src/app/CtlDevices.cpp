#include "CtlDevices.h"

#include <charconv>
#include <system_error>

#include "core/Gvar.h"
#include "device/FamilyRegistry.h"
#include "emu/EmuBackend.h"
#include "emu/mirex/EmuMirex.h"
#include "emu/w24g/EmuReceiver.h"
#include "emu/w24g/EmuW24Mouse.h"
#include "platform/HidapiBackend.h"
#include "text/TextCatalogue.h"

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

CCtlDevices::CCtlDevices(CtlDeviceOptions opt, IPrompt& prompt) : m_opt(std::move(opt)), m_prompt(prompt) {}

CCtlDevices::~CCtlDevices()
{
    // The device objects close their handles before the backend goes.
    m_hub.reset();
}

fs::path CCtlDevices::StatePath(const std::string& strName) const { return g_szUserDir / "emu" / (strName + ".state"); }

bool CCtlDevices::Open(std::ostream& err)
{
    if (m_opt.bEmulate) {
        auto emu = std::make_unique<CEmuBackend>();
        m_pEmu = emu.get();
        m_backend = std::move(emu);
        AddEmulatedDevices(err);
        using K = EmuFault::Kind;
        for (const auto& dev : m_pEmu->Devices()) {
            if (m_opt.fault.kind == K::RefuseOpen) dev->RefuseOpen(true);
            if (m_opt.fault.kind == K::MouseOff) dev->SetMouseOff(true);
        }
    } else {
        m_backend = std::make_unique<CHidapiBackend>();
    }
    // No pointer-settings object: the tool never changes the desktop's pointer.
    m_hub = std::make_unique<CDeviceHub>(*m_backend, m_clock, m_notices, nullptr);
    m_hub->Open();
    return true;
}

// The virtual devices of the configured families.
void CCtlDevices::AddEmulatedDevices(std::ostream& err)
{
    if (gVar.nMsFw == 0) return;
    if (IsWirelessMouseKind(gVar.nMsFw)) {
        const EmuW24Config cfg =
            W24ConfigFor(gVar.Ms.nVID, gVar.Ms.nPID[0], gVar.Ms.nPID2[0], gVar.nMsFw, gVar.Ms.nMsSensor);
        const EmuW24Rig rig = MakeW24Rig(cfg, m_clock, *m_pEmu);
        // Both links reach one mouse: one state file, through the receiver.
        m_stateful.push_back({rig.receiver, cfg.strName});
    } else {
        const EmuMirexConfig cfg = MirexConfigFor(gVar.Ms.nVID, gVar.Ms.nPID[0], gVar.Ms.nMsSensor);
        auto mouse = std::make_shared<CEmuMirex>(cfg, m_clock);
        m_pEmu->AddDevice(mouse);
        m_stateful.push_back({mouse, cfg.strName});
    }
    for (StatefulDevice& sd : m_stateful) LoadState(sd, err);
}

void CCtlDevices::LoadState(StatefulDevice& sd, std::ostream& err)
{
    const fs::path path = StatePath(sd.strName);
    std::error_code ec;
    if (!fs::exists(path, ec)) return;  // a fresh device
    std::string strErr;
    if (sd.dev->LoadState(path, strErr)) return;
    // Never overwrite what could not be read: keep it aside, start fresh.
    fs::path bad = path;
    bad += ".bad";
    fs::rename(path, bad, ec);
    if (ec) {
        err << "zorvikctl: the state of virtual device " << sd.strName << " cannot be read (" << strErr
            << ") nor kept aside (" << ec.message() << "); it is left as it is and not updated\n";
        sd.bSave = false;
    } else {
        err << "zorvikctl: the state of virtual device " << sd.strName << " cannot be read (" << strErr
            << "); kept as " << bad.filename().string() << ", the device starts fresh\n";
    }
}

void CCtlDevices::ArmTransferFaults()
{
    if (!m_pEmu) return;
    using K = EmuFault::Kind;
    for (const auto& dev : m_pEmu->Devices()) {
        switch (m_opt.fault.kind) {
        case K::Fail: dev->FailNext(m_opt.fault.n); break;
        case K::UnplugAfter: dev->UnplugAfter(m_opt.fault.n); break;
        case K::Garbage: dev->AnswerGarbage(-1); break;
        default: break;
        }
    }
}

std::string CCtlDevices::DescribeEmulated() const
{
    std::string out;
    for (const StatefulDevice& sd : m_stateful) {
        out += "== " + sd.strName + " ==\n";
        std::string s = sd.dev->DescribeState();
        if (!s.empty() && s.back() != '\n') s += '\n';
        out += s;
    }
    return out;
}

bool CCtlDevices::Finish(std::ostream& err)
{
    if (m_bFinished || !m_pEmu) return true;
    m_bFinished = true;
    // The handles close first, so that nothing moves while the state is stored.
    m_hub->Close();
    bool bOk = true;
    std::string strErr;
    for (const StatefulDevice& sd : m_stateful) {
        if (!sd.bSave) continue;
        std::error_code ec;
        fs::create_directories(StatePath(sd.strName).parent_path(), ec);
        if (ec || !sd.dev->SaveState(StatePath(sd.strName), strErr)) {
            err << "zorvikctl: the state of virtual device " << sd.strName << " could not be stored: "
                << (ec ? ec.message() : strErr) << '\n';
            bOk = false;
        }
    }
    if (!m_opt.journal.empty() && !m_pEmu->Journal()->WriteFile(m_opt.journal, strErr)) {
        err << "zorvikctl: the journal could not be written: " << strErr << '\n';
        bOk = false;
    }
    for (const std::string& v : m_pEmu->Violations()) {
        err << "zorvikctl: protocol rule broken: " << v << '\n';
        bOk = false;
    }
    return bOk;
}
