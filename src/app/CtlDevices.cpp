#include "CtlDevices.h"

#include "core/Gvar.h"
#include "platform/HidapiBackend.h"

CCtlDevices::CCtlDevices(CtlDeviceOptions opt, IPrompt& prompt) : m_opt(std::move(opt)), m_prompt(prompt) {}

CCtlDevices::~CCtlDevices()
{
    // The device objects close their handles before the backend goes.
    m_hub.reset();
}

bool CCtlDevices::Open(std::ostream& err)
{
    if (m_opt.bEmulate) {
        m_rig = std::make_unique<CEmuRig>(m_clock);
        std::vector<std::string> notes;
        m_rig->AddConfigured(gVar, g_szUserDir / "emu", notes);
        for (const std::string& n : notes) err << "zorvikctl: " << n << '\n';
        m_rig->ArmOpenFaults(m_opt.fault);
    } else {
        m_backend = std::make_unique<CHidapiBackend>();
    }
    // No pointer-settings object: the tool never changes the desktop's pointer.
    m_hub = std::make_unique<CDeviceHub>(Backend(), m_clock, m_notices, nullptr);
    m_hub->Open();
    return true;
}

void CCtlDevices::ArmTransferFaults()
{
    if (m_rig) m_rig->ArmTransferFaults(m_opt.fault);
}

std::string CCtlDevices::DescribeEmulated() const { return m_rig ? m_rig->Describe() : std::string(); }

bool CCtlDevices::Finish(std::ostream& err)
{
    if (m_bFinished || !m_rig) return true;
    m_bFinished = true;
    // The handles close first, so that nothing moves while the state is stored.
    m_hub->Close();
    std::vector<std::string> notes;
    const bool bOk = m_rig->Finish(m_opt.journal, notes);
    for (const std::string& n : notes) err << "zorvikctl: " << n << '\n';
    return bOk;
}
