// The transfer rule every family follows: a report moves in one call with the
// report id in byte 0; a failed call is tried again, up to kHidTries calls in
// all, kHidRetryGap apart; after the last failure "<name> err=<errno>" is
// logged and the transfer fails. The callers hold their object's command lock,
// which also keeps the handle open for the whole transfer.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>

#include "device/IClock.h"
#include "device/IHidBackend.h"

constexpr int kHidTries = 3;
constexpr std::chrono::milliseconds kHidRetryGap{200};
// The pause between a command and the read of its answer.
constexpr std::chrono::milliseconds kHidCmdDelay{30};

// A null handle fails at once with ENODEV in the log: there is nothing to try again.
// A family whose device wants another pause between tries gives it as gap.
bool SetFeatureTries(IHidHandle* pHandle, IClock& clock, std::span<const uint8_t> report, const char* pszName,
                     IClock::Duration gap = kHidRetryGap);
bool GetFeatureTries(IHidHandle* pHandle, IClock& clock, std::span<uint8_t> buf, const char* pszName,
                     IClock::Duration gap = kHidRetryGap);
bool WriteOutputTries(IHidHandle* pHandle, IClock& clock, std::span<const uint8_t> report, const char* pszName);
