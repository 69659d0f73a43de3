#include "device/w24g/W24Reports.h"

#include <algorithm>

namespace w24g {

namespace {

int ClampProfile(int p) { return p >= 1 && p <= kProfileMax ? p : 1; }

// The wired command in the family's longer report: the two extra bytes stay 0.
CmdReport Widen(const mouse::CmdReport& c)
{
    CmdReport r{};
    std::ranges::copy(c, r.begin());
    return r;
}

}  // namespace

CmdReport MakeCmd(uint8_t byCmd, uint8_t byP1, uint8_t byP2, uint8_t byP3, uint8_t byP4)
{
    return Widen(mouse::MakeCmd(byCmd, byP1, byP2, byP3, byP4));
}

CmdReport MakeSetModeCmd(int nMode) { return Widen(mouse::MakeSetModeCmd(nMode)); }

CmdReport MakeGetGeneralCmd(int p) { return MakeCmd(GeneralCmd(ClampProfile(p))); }

CmdReport MakeGetLiftOffCmd(int p) { return MakeCmd(LiftOffCmd(ClampProfile(p))); }

DataReport MakeGeneralReport(const W24Kind& kind, int p, const GeneralBlock& block)
{
    DataReport r{};
    r[0] = kind.byDataId;
    r[1] = GeneralRecord(ClampProfile(p));
    r[3] = kind.byGeneralTag;
    std::ranges::copy(block, r.begin() + kPayloadAt);
    return r;
}

DataReport MakeMatrixReport(const W24Kind& kind, int p, const KeyMatrix& matrix)
{
    DataReport r = mouse::MakeMatrixReport(ClampProfile(p), matrix);
    r[0] = kind.byDataId;
    if (kind.bMatrixTrailer) r[kMatrixTrailerAt] = kMatrixTrailer;
    return r;
}

DataReport MakeMacroReport(const W24Kind& kind, int nBuffer, std::span<const uint8_t> buffer)
{
    DataReport r = mouse::MakeMacroReport(nBuffer, buffer);
    r[0] = kind.byDataId;
    return r;
}

DataReport MakeDataAnswerBuffer(const W24Kind& kind)
{
    DataReport r{};
    r[0] = kind.byDataId;
    return r;
}

GeneralBlock GeneralFromAnswer(std::span<const uint8_t> answer)
{
    GeneralBlock b{};
    if (answer.size() > kPayloadAt)
        std::copy_n(answer.begin() + kPayloadAt, std::min(kGeneralLen, answer.size() - kPayloadAt), b.begin());
    return b;
}

int LiftOffLevelFromAnswer(std::span<const uint8_t> answer)
{
    if (answer.size() <= kLiftOffAnswerAt) return 0;
    const uint8_t by = answer[kLiftOffAnswerAt];
    return by > 15 ? (by >> 4) - 1 : 0;
}

bool OnlineFromAnswer(std::span<const uint8_t> answer)
{
    return answer.size() >= 3 && answer[0] == kCmdReportId && answer[1] == 1 && answer[2] == 1;
}

std::optional<PowerState> PowerFromAnswer(std::span<const uint8_t> answer)
{
    if (answer.size() < 5 || answer[0] != kCmdReportId) return std::nullopt;
    if (answer[1] != kLinkCable && answer[1] != kLinkReceiver) return std::nullopt;
    PowerState s;
    s.bUsb = answer[1] == kLinkCable;
    s.nLevel = answer[2];
    s.nVoltage = answer[3] | answer[4] << 8;
    return s;
}

}  // namespace w24g
