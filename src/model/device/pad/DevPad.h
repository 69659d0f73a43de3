// The illuminated mouse pad: one vendor interface and one 26-byte block of
// general data that holds the pad's lighting. CDrvPad moves the block;
// CDevPad finds the pad, fills a profile's pad defaults and writes the
// current effect of a profile (read the block, rewrite its lighting bytes,
// write it back). The pad has no keys, macros or listener.
#pragma once

#include <cstdint>
#include <stop_token>

#include "device/HidDev.h"
#include "device/HidDrv.h"
#include "device/pad/PadReports.h"

// The pad's transport: its one interface (the command role, "general" on the
// pad) and the two transfers of its block, each with the transfer rule.
class CDrvPad final : public CHidDrv {
public:
    explicit CDrvPad(IClock& clock) : CHidDrv(clock) {}

    // Reads the block; false when the read failed ("GetCommand err=<errno>"
    // logged) or the answer was not the pad's report.
    bool GetCommand(pad::PadBlock& block);
    // Writes the block; false when it failed ("SendCommand err=<errno>" logged).
    bool SendCommand(const pad::PadBlock& block);
};

class CDevPad final : public CHidDev {
public:
    CDevPad(IHidBackend& backend, IClock& clock, INoticeSink& notices, int nFwType);
    ~CDevPad() override;

    // 1 found and its block readable, 0 otherwise. A description without
    // vendor or product identifier finds nothing (it would match any device).
    int FindHIDDevice() override;
    void FillDefault(ProfileRecord& pro) override;
    // Every job writes the whole lighting of the profile's current effect,
    // whatever its flags. A block that could not be read is never written.
    int ApplySetting(ApplySnapshot& snap, IMsgTarget* pProgress, uint32_t nMsg, uint32_t nFlags,
                     std::stop_token stop) override;
    void ClearHandle() override;
    // The pad sends no input reports.
    std::optional<DeviceEvent> DecodeInput(uint32_t) const override { return std::nullopt; }

private:
    class CApplyRun;

    CDrvPad& m_drv;  // the base's transport
};
