#include "device/mirex/MirexReports.h"

#include <algorithm>

namespace mirex {

CmdReport MakeGetGeneralCmd(int nMode) { return MakeCmd(GeneralCmd(ClampMode(nMode))); }

DataReport MakeGeneralReport(int nMode, const GeneralBlock& block)
{
    DataReport r = RecordHeader(GeneralRecord(ClampMode(nMode)), 0, kGeneralTag);
    std::ranges::copy(block, r.begin() + kPayloadAt);
    return r;
}

int ParseModeAnswer(std::span<const uint8_t> answer)
{
    if (answer.size() < 2 || answer[0] != kCmdReportId) return 0xFF;
    return answer[1] >= 1 && answer[1] <= kModeMax ? answer[1] : 0xFF;
}

GeneralBlock GeneralFromAnswer(std::span<const uint8_t> answer)
{
    GeneralBlock b{};
    if (answer.size() > kPayloadAt)
        std::copy_n(answer.begin() + kPayloadAt, std::min(kGeneralLen, answer.size() - kPayloadAt), b.begin());
    return b;
}

}  // namespace mirex
