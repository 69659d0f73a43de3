// The virtual wireless mouse: what it keeps on board, and what the user does
// at it. The host reaches it through one of two USB links, each a device of
// its own (EmuReceiver.h): its 2.4 GHz receiver, or its own cable. Both links
// speak the same firmware and reach the same state:
//   - per profile (1 on the cable, 2 through the receiver) the 148-byte general
//     block, the 20-entry key matrix and the lift-off level;
//   - macro buffers by number, the last lift-off and debounce values set;
//   - the battery, and whether the cable is connected.
// While the cable is connected the mouse talks over the cable; otherwise
// through the receiver, as long as it is switched on.
//
// Lock order: a link's device lock, then the mouse's. The mouse never calls a
// link while holding its own lock.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "emu/mouse/EmuMouseMemory.h"

class CEmuW24Link;
class CEmuReceiver;
class CEmuBackend;
class IClock;
struct EmuW24Rig;

struct EmuW24Config {
    std::string strName = "w24g";            // the links are "<name>-cable" and "<name>-receiver"
    int nVID = 0x258A;
    int nPIDCable = 0x1021;
    int nPIDReceiver = 0x1022;
    int nKind = 5;                           // 4: data report 6, tag 9f; 5: data report 8, tag 92, matrix trailer
    int nVersion = 0x0105;
    uint8_t bySensorCode = 20;               // the 6-bit code in byte 1 of every block
    std::vector<uint16_t> dpiCodes;          // initial level codes, at most 8 (empty: none enabled)
    uint8_t byCurrentLevel = 1;              // counted from 1
    uint8_t byRateCode = 4;
    std::vector<std::array<uint8_t, 3>> levelColours;  // as the block holds them
    bool bCableConnected = false;
    bool bReceiverPlugged = true;
    int nBattery = 80;
    int nVoltage = 3900;
    // With the mouse off the receiver answers block reads from its last copy
    // of each block (true) or with zeros (false).
    bool bOffAnswersCopy = true;
    bool bPointerInterface = true;           // the ordinary pointer collection beside the vendor ones
};

// A kind 4 or 5 mouse (low four bits of nMsFw) with sensor nSensor at its
// default levels, for the demo and the command-line tool.
EmuW24Config W24ConfigFor(int nVID, int nPID, int nPID2, int32_t nMsFw, int32_t nSensor);

class CEmuW24Mouse {
public:
    static constexpr int kProfiles = 2;
    static constexpr size_t kBlockLen = 148;
    static constexpr int kBlockTrailerAt = 144;
    static constexpr uint8_t kTrailer = 0xA5;
    static const EmuMouseLayout kLayout;

    struct State : EmuMouseState<kProfiles, kBlockLen> {
        std::array<int, kProfiles> nLiftOffLevel{};             // level index the mouse reports per profile
        int nModeSet = -1;                                      // last mode command, -1 never
        int nBattery = 0;
        int nVoltage = 0;
        bool bCable = false;                                    // the cable is connected
    };

    explicit CEmuW24Mouse(const EmuW24Config& cfg);

    const EmuW24Config& Config() const { return m_cfg; }
    State GetState() const;
    // The key code at matrix position 1..20 of profile 1..2.
    uint32_t KeyCode(int p, int nPos) const;
    uint8_t SensorCode() const;

    // ---- the user at the mouse --------------------------------------------------------
    // Each reports on the link the mouse talks through, [7, link, rate, level, battery, 0, 0, 0];
    // false when no link carries it (mouse off, nothing plugged).

    // The DPI button: the next enabled level of the profile in use.
    bool PressDpiButton();
    // The cable goes in or out: the mouse moves to the cable, or back to the receiver.
    bool PlugCable();
    bool PullCable();
    // The battery changes.
    bool SetBattery(int nLevel, int nVoltage);
    // Switched off (the receiver stays plugged in and answers alone) or on again.
    void SwitchOff(bool bOff);

    // ---- device variants ---------------------------------------------------------------

    void SetSensorCode(uint8_t byCode);
    void SetLiftOffLevel(int p, int nLevel);
    // Replaces a profile's block (a mouse holding odd values).
    void SetBlock(int p, std::span<const uint8_t> block);

    // ---- state --------------------------------------------------------------------------

    std::string Describe() const;
    std::string StateText() const;
    bool RestoreStateText(std::string_view text, std::string& strErr);

private:
    friend class CEmuW24Link;
    friend class CEmuReceiver;
    friend EmuW24Rig MakeW24Rig(const EmuW24Config&, IClock&, CEmuBackend&);

    // Called once by MakeW24Rig, before use.
    void Attach(const std::shared_ptr<CEmuReceiver>& receiver, const std::shared_ptr<CEmuW24Link>& cable);
    // Called by the links (their device lock held).
    std::array<uint8_t, kBlockLen> Block(int p) const;
    void StoreBlock(int p, std::span<const uint8_t> block);
    void StoreMatrix(int p, std::span<const uint8_t> matrix);
    void StoreMacro(int n, std::span<const uint8_t> buffer);
    void StoreLiftOff(int v);
    void StoreDebounce(int v);
    void StoreMode(int v);
    int LiftOffLevel(int p) const;
    bool CableConnected() const;

    std::shared_ptr<CEmuW24Link> ActiveLink() const;
    std::vector<uint8_t> ReportLocked(bool bCable) const;
    std::string DescribeLocked() const;
    void BindState(CEmuStateTable& t, State& s) const;

    const EmuW24Config m_cfg;
    mutable std::mutex m_mtx;
    State m_state;                        // guarded by m_mtx
    uint8_t m_bySensorCode;               // guarded by m_mtx
    std::weak_ptr<CEmuW24Link> m_cable;   // set once, before use
    std::weak_ptr<CEmuReceiver> m_receiver;
};

// A mouse with both its links, added to a backend: the receiver first, then
// the cable (plugged as the configuration says).
struct EmuW24Rig {
    std::shared_ptr<CEmuW24Mouse> mouse;
    std::shared_ptr<CEmuReceiver> receiver;
    std::shared_ptr<CEmuW24Link> cable;
};
EmuW24Rig MakeW24Rig(const EmuW24Config& cfg, IClock& clock, CEmuBackend& backend);
