// The address-based transport of the keyboards with a command interface
// (feature report 5) and a data interface (feature report 6): each on-board
// object (configuration, key block, colour table, lighting blocks, macro
// blocks) is written as a data report [6, cmd, address, 0, size flag, 0, 0, 0,
// payload] and read by sending [5, cmd | 0x80, address, 0, 0, 0] and reading
// report 6 a short while later; the answer repeats the read command in its
// first data byte. A family gives its addresses in a KbBlockMap.
//
// The command report goes with the length the interface declares (6 bytes,
// report id included): the trailing zero of the 7-byte form is left off.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <span>
#include <vector>

#include "device/HidDrv.h"

namespace kb {

constexpr uint8_t kBlockCmdId = 5;
constexpr uint8_t kBlockDataId = 6;
constexpr size_t kBlockCmdLen = 6;        // report id included
constexpr size_t kBlockDataLen = 1032;    // report id included
constexpr size_t kBlockPayloadAt = 8;     // report id, then 7 header bytes
constexpr size_t kBlockPayloadMax = kBlockDataLen - kBlockPayloadAt;  // 1024
constexpr uint8_t kBlockFlag1024 = 0x40;  // header byte for the 1024-byte objects
constexpr uint8_t kBlockRead = 0x80;      // a read command is the write command with this bit

// A family's on-board objects and where they live.
struct KbBlockMap {
    uint8_t byCfgAddr;                    // configuration
    size_t nCfgLen;
    uint8_t byMatrixAddr;                 // key block
    uint8_t byRgbAddr;                    // mode colour table
    std::array<uint8_t, 2> ledAddr;       // per-key lighting blocks
    std::array<uint8_t, 4> macroAddr;     // macro blocks
};

// Write commands of the objects.
constexpr uint8_t kBlockCmdCfg = 3;
constexpr uint8_t kBlockCmdMatrix = 4;
constexpr uint8_t kBlockCmdMacro = 5;
constexpr uint8_t kBlockCmdRgb = 8;
constexpr uint8_t kBlockCmdLed = 9;

using BlockCmdReport = std::array<uint8_t, kBlockCmdLen>;
using BlockDataReport = std::array<uint8_t, kBlockDataLen>;

BlockCmdReport MakeBlockCmd(uint8_t byCmd, uint8_t byAddr);
// payload beyond 1024 bytes is cut off.
BlockDataReport MakeBlockData(uint8_t byCmd, uint8_t byAddr, bool b1024, std::span<const uint8_t> payload);

class CKbBlockTransport {
public:
    // The pause between a read command and the read of its answer.
    static constexpr std::chrono::milliseconds kReadGap{20};

    explicit CKbBlockTransport(CHidDrv& drv) : m_drv(drv) {}

    // Reads object (cmd | 0x80) at byAddr into out (its length: the payload
    // wanted). With bCheckEcho an answer that does not repeat the command
    // fails the read.
    bool Read(uint8_t byCmd, uint8_t byAddr, std::span<uint8_t> out, bool bCheckEcho = true);
    bool Write(uint8_t byCmd, uint8_t byAddr, std::span<const uint8_t> payload, bool b1024);

private:
    CHidDrv& m_drv;
};

}  // namespace kb
