// What the wired-mouse tests share: the mouse description they run with, a
// virtual mouse behind the emulator backend, the device object on a virtual
// clock, captured log lines, and helpers to read journals and bytes.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/Gvar.h"
#include "core/Ini.h"
#include "core/IPrompt.h"
#include "core/MouseDesc.h"
#include "core/SensorTables.h"
#include "core/Utf.h"
#include "device/ApplySnapshot.h"
#include "device/mirex/DevMirex.h"
#include "emu/EmuBackend.h"
#include "emu/EmuHex.h"
#include "emu/VirtualClock.h"
#include "emu/mirex/EmuMirex.h"
#include "keys/FunId.h"
#include "model/device/FakeHid.h"

namespace mirextest {

using namespace std::chrono_literals;

// A wired mouse with sensor 0x3360 (code 6): six levels, three modes, seven
// keys, lift-off and debounce tables.
inline constexpr std::string_view kMouseIni = R"([MS]
VID=9610
PID=1007
Sensor=13152
LightUI=1,2,3,4
LightHW=1,2,3,4
SpeedUI=1,2,3
SpeedHW=1,2,3
ShowLOD=1
LodUI=1,2,3
LodHW=a,14,1e
LOD=1
DebounceUi=2,4,6,8
DebounceHw=1,2,3,4
DefDebounce=1
[SENSOR_1]
Sensor=13152
DM=6
DPI=1000,1600,2000,4000,6000,8000
MDNUM=9
KM=14
K1_1=1,11,0,1
K2_1=1,13,0,2
K3_1=1,12,0,3
K4_1=1,15,0,4
K5_1=1,14,0,5
K6_1=8,aa,0,6
K7_1=8,ab,0,7
)";

// Loads the description above (after the given extra MS lines) into a cleared gVar.
inline void LoadMouse(int nMsFw, std::string_view extraMs = {})
{
    ClearGvar();
    gVar.nMsFw = nMsFw;
    InitSensorTables();
    pSensorCfg = nullptr;
    std::string text(kMouseIni);
    text.insert(5, std::string(extraMs) + (extraMs.empty() ? "" : "\n"));
    CRecordingPrompt prompt;
    LoadMouseDescription(CIniFile::FromBytes(text), prompt);
    BuildMouseKeyLayout(nullptr, prompt);
    g_nCurMode = -1;
    for (int& n : g_nCurDpiLevel) n = -1;
}

class CRecordingPointer final : public IOsPointerSettings {
public:
    bool Apply(const MsSysSettings& sys) override
    {
        m_calls.push_back(sys);
        return true;
    }
    std::vector<MsSysSettings> m_calls;
};

// A key record of a function at a slot.
inline KeyInfo Key(uint32_t dwFunID, uint32_t dwMacroID = 0, uint32_t dwParam = 0)
{
    KeyInfo k{};
    k.FunID = dwFunID;
    k.MacroID = dwMacroID;
    k.dwParam = dwParam;
    return k;
}

inline MacroRecord Macro(uint32_t id, std::initializer_list<MacroAction> actions, uint32_t nMode = 0,
                         uint16_t wLoop = 1)
{
    MacroRecord r{};
    r.dwMagic = MACRO_MAGIC;
    r.MacroID = id;
    r.nRepeatMode = nMode;
    r.wLoopCount = wLoop;
    size_t i = 0;
    for (const MacroAction& a : actions) r.Action[i++] = a;
    return r;
}

inline MacroAction Act(uint8_t code, uint8_t param, uint16_t state, uint32_t delay)
{
    MacroAction a{code, param, state, {}};
    a.SetDelay(delay);
    return a;
}

// The first n bytes of a journal line: "<op> <role> <hex>".
inline std::string Head(const std::string& line, size_t nBytes)
{
    size_t nSpaces = 0, i = 0;
    for (; i < line.size(); ++i)
        if (line[i] == ' ' && ++nSpaces == 2 + nBytes) break;
    return line.substr(0, i);
}
inline std::vector<std::string> Heads(const std::vector<std::string>& lines, size_t nBytes)
{
    std::vector<std::string> out;
    for (const auto& l : lines) out.push_back(Head(l, nBytes));
    return out;
}

// The wired mouse as the program meets it: a virtual mouse behind the
// emulator backend and the device object, both on one virtual clock.
class MirexDeviceFixture : public ::testing::Test {
protected:
    void SetUp() override { Build(1); }

    void Build(int nMsFw, std::string_view extraMs = {}, int nSensorCode = 6)
    {
        m_dev.reset();
        LoadMouse(nMsFw, extraMs);
        EmuMirexConfig cfg = MirexConfigFor(0x258A, 0x1007, 0x3360);
        cfg.bySensorCode = uint8_t(nSensorCode);
        m_backend = std::make_unique<CEmuBackend>();
        m_mouse = std::make_shared<CEmuMirex>(cfg, m_clock);
        m_backend->AddDevice(m_mouse);
        m_dev = std::make_unique<CDevMirex>(*m_backend, m_clock, m_notices, nMsFw, &m_pointer);
        m_dev->SetMainWindow(&m_wnd);
    }
    void TearDown() override { m_dev.reset(); }

    ProfileRecord NewProfile()
    {
        ProfileRecord pro{};
        pro.dwMagic = kProfileMagic;
        pro.nID = 0x123456;
        m_dev->FillDefault(pro);
        return pro;
    }
    std::unique_ptr<ApplySnapshot> Snap(const ProfileRecord& pro, bool bReset = false)
    {
        return MakeApplySnapshot(pro, m_macros, m_bullets, pSensorCfg, gVar.Ms.nMsSensor, g_nCurDpiLevel, g_nCurMode,
                                 bReset);
    }
    int Apply(const ProfileRecord& pro, uint32_t nFlags, bool bReset = false)
    {
        auto snap = Snap(pro, bReset);
        return m_dev->ApplySetting(*snap, &m_progress, kMsgApplyProgress, nFlags, std::stop_token());
    }
    // Discovery, and what it found taken into the program's state, as the
    // main window does.
    int Find()
    {
        const int n = m_dev->FindHIDDevice();
        if (n == 1) m_dev->Publish(m_prompt);
        return n;
    }
    // Finds the mouse and forgets what discovery moved.
    void Connect()
    {
        ASSERT_EQ(Find(), 1);
        m_backend->Journal()->Clear();
        m_clock.ClearSleeps();
        ClearMessages();
    }
    void ClearMessages()
    {
        m_prompt.Clear();
        m_notices.Clear();
    }
    std::vector<std::string> Journal() const { return m_backend->Journal()->Lines(); }
    std::vector<std::string> Messages() const
    {
        std::vector<std::string> v;
        for (const auto& e : m_notices.Entries()) v.push_back(U16ToUtf8(e.text));
        for (const auto& e : m_prompt.Entries()) v.push_back(U16ToUtf8(e.text));
        return v;
    }
    std::vector<intptr_t> Progress() const
    {
        std::vector<intptr_t> v;
        for (const auto& m : m_progress.Msgs()) v.push_back(intptr_t(m.wParam));
        return v;
    }
    int SleepsOf(std::chrono::milliseconds d) const
    {
        int n = 0;
        for (const auto s : m_clock.Sleeps()) n += s == d;
        return n;
    }

    fake::CLogCapture m_log;
    CVirtualClock m_clock;
    CRecordingPrompt m_prompt;   // the user-interface thread's prompt
    CNoticeQueue m_notices;      // what the device tells the user
    CRecordingPointer m_pointer;
    fake::CTarget m_wnd;
    fake::CTarget m_progress;
    CMacroList m_macros;
    CMacroList m_bullets;
    std::unique_ptr<CEmuBackend> m_backend;
    std::shared_ptr<CEmuMirex> m_mouse;
    std::unique_ptr<CDevMirex> m_dev;
};

}  // namespace mirextest
