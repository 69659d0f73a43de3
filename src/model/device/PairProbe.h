// Pairing of command and input interfaces when several identical keyboards
// may be attached: each keyboard's command interface answers a probe report
// with an input report on its own input interface, which tells which two
// interfaces belong to one keyboard.
//
// All reads are made on the calling thread. Before each probe the unpaired
// input interfaces are emptied of reports already waiting; after the probe's
// wait, a command interface is paired only when exactly one of them holds a
// reply (report id 9), so a spontaneous report or a reply that comes too late
// never pairs the wrong interfaces. Handles of interfaces left unpaired are
// closed before the probe returns.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "device/IClock.h"
#include "device/IHidBackend.h"

constexpr int kPairSlots = 5;
constexpr int kPairInputLen = 4;           // input interfaces: input report length
constexpr int kPairFeatureLen = 520;       // command interfaces: feature report length
constexpr uint8_t kPairReplyId = 9;        // the reply's input report id
constexpr int kPairReplyMax = 520;
constexpr std::chrono::milliseconds kPairWait{100};

struct HidPair {
    std::string strCmdPath;
    std::string strNotifyPath;
    std::unique_ptr<IHidHandle> hCmd;
    std::unique_ptr<IHidHandle> hNotify;
};

// The probe feature report: 520 bytes, 06 AA C7 00 00 01 00 02 then zeros.
std::vector<uint8_t> PairProbeReport();

// Enumerates nVID with nPID and nPID2, probes every command interface whose
// path is not in inUse, and appends each pair found to pairs (no more than
// kPairSlots pairs in all). Returns the number of pairs found by this call.
int ProbePairs(IHidBackend& backend, IClock& clock, int nVID, int nPID, int nPID2,
               const std::vector<std::string>& inUse, std::vector<HidPair>& pairs);
