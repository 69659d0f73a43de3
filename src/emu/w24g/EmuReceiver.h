// The USB links of the virtual wireless mouse (EmuW24Mouse.h). Each is a
// device of its own with three vendor interfaces (cmd: feature report 5, 8
// bytes; data: feature report 8, or 6 on kind 4, 520 bytes; notify: input
// report 7, 8 bytes) and an ordinary pointer interface the host must leave
// alone. CEmuW24Link is the mouse's own cable (product id nPIDCable);
// CEmuReceiver is its 2.4 GHz receiver (nPIDReceiver), which can be plugged in
// while the mouse is switched off or out of range and then answers alone: the
// link question says "off line", block reads get the receiver's last copy (or
// zeros), and what is written is dropped.
//
// The firmware answers the reads the host makes: a profile's general block
// and lift-off level (data report), the link and the battery (cmd report).
// Rules it checks (recorded as violations): report ids and lengths, the 30 ms
// between a command and the read of its answer, a read with no command before
// it, record tags, the block's first byte and trailer, the matrix trailer of
// kind 5, buffer numbers, profiles the mouse does not have, unknown commands.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "emu/EmuCommandTable.h"
#include "emu/EmuDevice.h"
#include "emu/w24g/EmuW24Mouse.h"

class CEmuW24Link : public CEmuDevice {
public:
    CEmuW24Link(std::shared_ptr<CEmuW24Mouse> mouse, bool bCable, IClock& clock);

    bool IsCable() const { return m_bCable; }
    const std::shared_ptr<CEmuW24Mouse>& Mouse() const { return m_mouse; }
    // Pushes an input report on the notify interface.
    bool Report(std::span<const uint8_t> report) { return InjectInput("notify", report); }

    // The mouse's state as text (both links show the same mouse).
    std::string DescribeState() const override;

protected:
    void OnSetFeature(int nIface, std::span<const uint8_t> report) override;
    void OnGetFeature(int nIface, std::span<uint8_t> buf) override;
    std::string StateText() const override;
    bool RestoreStateText(std::string_view text, std::string& strErr) override;

    // What the mouse answers to a command (m_mtx held): arms the answer.
    // Without the mouse (bMouseThere false) the receiver answers alone.
    void OnCommand(std::span<const uint8_t> r, bool bMouseThere);
    void OnRecord(std::span<const uint8_t> r);
    // A block this link has carried, kept for the receiver's answers while the mouse is away.
    virtual void Carried(int p, std::span<const uint8_t> block) {}
    // The block answer of profile p while the mouse is away (zeros by default).
    virtual std::array<uint8_t, CEmuW24Mouse::kBlockLen> AwayBlock(int p) const { return {}; }

    enum class Armed { None, Cmd, Block, LiftOff };
    static const EmuCommand<CEmuW24Link> kCommands[];
    static const EmuCommand<CEmuW24Link> kRecords[];
    // Commands (cmd report): [5, code, value, 0, 0, 0, 0, 0].
    void Arm(Armed what, int p);
    void OnBlockRead(std::span<const uint8_t> r) { Arm(Armed::Block, r[1] >> 4); }
    void OnLiftOffRead(std::span<const uint8_t> r) { Arm(Armed::LiftOff, r[1] & 0x0F); }
    void OnLink(std::span<const uint8_t> r);
    void OnBattery(std::span<const uint8_t> r);
    void OnMode(std::span<const uint8_t> r);
    void OnDebounce(std::span<const uint8_t> r);
    void OnLiftOff(std::span<const uint8_t> r);
    void OnNoSuchProfile(std::span<const uint8_t> r);
    // Records (data report), by kind.
    void OnBlockRecord(std::span<const uint8_t> r);
    void OnMatrixRecord(std::span<const uint8_t> r);
    void OnMacroRecord(std::span<const uint8_t> r);
    void OnNoSuchProfileRecord(std::span<const uint8_t> r);

    const std::shared_ptr<CEmuW24Mouse> m_mouse;
    const bool m_bCable;
    const uint8_t m_byDataId;
    int m_nCmd = -1, m_nData = -1, m_nNotify = -1;

    // The answer the next read of each interface gets (m_mtx held).
    Armed m_armed = Armed::None;
    int m_nArmedProfile = 0;
    std::array<uint8_t, 8> m_cmdAnswer{};
    bool m_armedAway = false;  // the read is answered by the receiver alone (mouse away)
    bool m_bMouseThere = true; // during a command: the mouse takes it
};

class CEmuReceiver final : public CEmuW24Link {
public:
    CEmuReceiver(std::shared_ptr<CEmuW24Mouse> mouse, IClock& clock);

    // The mouse leaves range after n more transfers (0: now), as if switched
    // off, until RestoreLink (now) or RestoreLinkAfter (after n more transfers).
    void LoseLinkAfter(int n);
    void RestoreLink();
    void RestoreLinkAfter(int n);
    // Switched off or out of range.
    bool MouseAway() const;

protected:
    void OnSetFeature(int nIface, std::span<const uint8_t> report) override;
    void OnGetFeature(int nIface, std::span<uint8_t> buf) override;
    void OnSetFeatureMouseOff(int nIface, std::span<const uint8_t> report) override;
    void OnGetFeatureMouseOff(int nIface, std::span<uint8_t> buf) override;
    void Carried(int p, std::span<const uint8_t> block) override;
    std::array<uint8_t, CEmuW24Mouse::kBlockLen> AwayBlock(int p) const override;

private:
    void CountTransfer();

    std::array<std::array<uint8_t, CEmuW24Mouse::kBlockLen>, CEmuW24Mouse::kProfiles> m_copy{};  // m_mtx held
    int m_nLoseAfter = -1;   // m_mtx held; -1 off
    int m_nRestoreAfter = -1;
    bool m_bLinkLost = false;
};
