// CDevSelk: the Selk keyboard (firmware type 20), and CDrvSelk, its
// transport. The keyboard has a command and a data interface and no music
// or wireless handling. It writes profiles through the block transport
// (configuration, colour table, lighting blocks, macros, key block); the
// bytes are built by the pure functions of this folder and of kb/, and this
// class moves them in order with the pauses the keyboard needs.
#pragma once

#include <cstdint>
#include <span>
#include <stop_token>

#include "device/HidDrv.h"
#include "device/kb/KbBlockTransport.h"
#include "device/kb/KbHidDev.h"
#include "device/selk/SelkBlocks.h"

// The objects of the keyboard, one call each. The configuration's read must
// answer with its own command; the key block's read is taken whatever
// command the answer repeats (the keyboard's answer carries another there).
class CDrvSelk final : public CHidDrv {
public:
    explicit CDrvSelk(IClock& clock) : CHidDrv(clock), m_io(*this) {}

    bool GetProfile(selk::SelkCfg& cfg);
    bool SetProfile(const selk::SelkCfg& cfg);
    bool GetKeyMatrix(selk::SelkBlock& block);
    bool SetKeyMatrix(std::span<const uint8_t> block);
    bool SetRgbTable(const selk::SelkBlock& table);
    bool SetLedMatrix(uint8_t byAddr, const selk::SelkBlock& block);
    bool SetMacroData(uint8_t byAddr, std::span<const uint8_t> block);

private:
    kb::CKbBlockTransport m_io;
};

class CDevSelk final : public CKbHidDev {
public:
    CDevSelk(IHidBackend& backend, IClock& clock, INoticeSink& notices);
    ~CDevSelk() override;

    // 1 found (command and data interfaces open), 0 not found or not openable.
    int FindHIDDevice() override;
    int ApplySetting(ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, uint32_t nFlags,
                     std::stop_token stop) override;

    CDrvSelk& Selk() const { return static_cast<CDrvSelk&>(Drv()); }

private:
    class CApplyRun;

    // LEDParam's speed and brightness from 1, and DefLed's mode. The
    // description has no direct-key table of its own: the profile's direct
    // keys stay empty.
    kb::KbLightingPolicy LightingPolicy() const override { return {.bSpeedBrightFromOne = true, .bDefLed = true}; }
};
