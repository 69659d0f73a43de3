#include "device/mirex/MirexReports.h"

#include <algorithm>

namespace mirex {

namespace {

DataReport RecordHeader(uint8_t byKind, uint8_t byB1, uint8_t byB2)
{
    DataReport r{};
    r[0] = kDataReportId;
    r[1] = byKind;
    r[2] = byB1;
    r[3] = byB2;
    return r;  // record bytes 3..6 and the trailing byte stay 0
}

int ClampMode(int nMode) { return nMode >= 1 && nMode <= kModeMax ? nMode : 1; }

}  // namespace

CmdReport MakeCmd(uint8_t byCmd, uint8_t byP1, uint8_t byP2, uint8_t byP3, uint8_t byP4)
{
    return {kCmdReportId, byCmd, byP1, byP2, byP3, byP4};
}

CmdReport MakeSetModeCmd(int nMode)
{
    return MakeCmd(kCmdMode, uint8_t(nMode >= 0 && nMode < kModeMax ? nMode + 1 : 1));
}

CmdReport MakeGetGeneralCmd(int nMode) { return MakeCmd(GeneralCmd(ClampMode(nMode))); }

DataReport MakeGeneralReport(int nMode, const GeneralBlock& block)
{
    DataReport r = RecordHeader(GeneralRecord(ClampMode(nMode)), 0, kGeneralTag);
    std::ranges::copy(block, r.begin() + kPayloadAt);
    return r;
}

DataReport MakeMatrixReport(int nMode, const KeyMatrix& matrix)
{
    DataReport r = RecordHeader(MatrixRecord(ClampMode(nMode)), 0, kMatrixTag);
    for (size_t i = 0; i < matrix.size(); ++i)
        for (size_t b = 0; b < 4; ++b) r[kPayloadAt + 4 * i + b] = uint8_t(matrix[i] >> (8 * b));
    return r;
}

DataReport MakeMacroReport(int nBuffer, std::span<const uint8_t> buffer)
{
    DataReport r = RecordHeader(kMacroRecord, kMacroTag, 0);
    r[kMacroNumberAt] = uint8_t(nBuffer);
    const size_t n = std::min(buffer.size(), kMacroPayloadLen);
    std::copy_n(buffer.begin(), n, r.begin() + kMacroPayloadAt);
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
