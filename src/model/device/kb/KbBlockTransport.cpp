#include "device/kb/KbBlockTransport.h"

#include <algorithm>

#include "core/Log.h"

namespace kb {

BlockCmdReport MakeBlockCmd(uint8_t byCmd, uint8_t byAddr) { return {kBlockCmdId, byCmd, byAddr, 0, 0, 0}; }

BlockDataReport MakeBlockData(uint8_t byCmd, uint8_t byAddr, bool b1024, std::span<const uint8_t> payload)
{
    BlockDataReport r{};
    r[0] = kBlockDataId;
    r[1] = byCmd;
    r[2] = byAddr;
    r[4] = b1024 ? kBlockFlag1024 : 0;
    std::copy_n(payload.begin(), std::min(payload.size(), kBlockPayloadMax), r.begin() + kBlockPayloadAt);
    return r;
}

bool CKbBlockTransport::Read(uint8_t byCmd, uint8_t byAddr, std::span<uint8_t> out, bool bCheckEcho)
{
    const uint8_t byRead = uint8_t(byCmd | kBlockRead);
    const BlockCmdReport cmd = MakeBlockCmd(byRead, byAddr);
    BlockDataReport ans{};
    ans[0] = kBlockDataId;
    if (!m_drv.Transact(HidRole::Cmd, cmd, "SendCommand", HidRole::Data, ans, "GetCommand", kReadGap)) return false;
    if (bCheckEcho && ans[1] != byRead) {
        LogPrintf("Read 0x%02x at 0x%02x: the answer is for 0x%02x", byRead, byAddr, ans[1]);
        return false;
    }
    std::copy_n(ans.begin() + kBlockPayloadAt, std::min(out.size(), kBlockPayloadMax), out.begin());
    return true;
}

bool CKbBlockTransport::Write(uint8_t byCmd, uint8_t byAddr, std::span<const uint8_t> payload, bool b1024)
{
    return m_drv.SendFeature(HidRole::Data, MakeBlockData(byCmd, byAddr, b1024, payload), "SendCommand");
}

}  // namespace kb
