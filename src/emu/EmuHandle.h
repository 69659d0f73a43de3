// An open interface of an emulated device. Everything it does goes through
// its device, under the device's lock; it only keeps what belongs to one open
// handle: the plug generation it was opened in, its queue of input reports and
// a pending cancel of a read.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "emu/EmuDevice.h"
#include "device/IHidBackend.h"

class CEmuHandle final : public IHidHandle {
public:
    CEmuHandle(std::shared_ptr<CEmuDevice> dev, int nIface, uint64_t nGen);
    ~CEmuHandle() override;
    CEmuHandle(const CEmuHandle&) = delete;
    CEmuHandle& operator=(const CEmuHandle&) = delete;

    bool SetFeature(std::span<const uint8_t> report) override;
    bool GetFeature(std::span<uint8_t> buf) override;
    bool WriteOutput(std::span<const uint8_t> report) override;
    int ReadInput(std::span<uint8_t> buf, std::chrono::milliseconds timeout) override;
    void CancelRead() override;
    int LastError() const override { return m_nErr.load(); }

private:
    friend class CEmuDevice;
    static constexpr size_t kQueueMax = 64;  // reports kept for a handle that does not read

    std::shared_ptr<CEmuDevice> m_dev;
    const int m_nIface;
    const uint64_t m_nGen;
    std::atomic<int> m_nErr{0};
    // Guarded by the device's lock.
    std::deque<std::vector<uint8_t>> m_queue;
    bool m_bCancel = false;
};
