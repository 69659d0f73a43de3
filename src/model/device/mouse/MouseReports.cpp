#include "device/mouse/MouseReports.h"

#include <algorithm>

namespace mouse {

DataReport RecordHeader(uint8_t byKind, uint8_t byB1, uint8_t byB2)
{
    DataReport r{};
    r[0] = kDataReportId;
    r[1] = byKind;
    r[2] = byB1;
    r[3] = byB2;
    return r;  // record bytes 3..6 and the trailing byte stay 0
}

CmdReport MakeCmd(uint8_t byCmd, uint8_t byP1, uint8_t byP2, uint8_t byP3, uint8_t byP4)
{
    return {kCmdReportId, byCmd, byP1, byP2, byP3, byP4};
}

CmdReport MakeSetModeCmd(int nMode)
{
    return MakeCmd(kCmdMode, uint8_t(nMode >= 0 && nMode < kModeMax ? nMode + 1 : 1));
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

}  // namespace mouse
