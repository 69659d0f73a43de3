#include "emu/EmuRecordRules.h"

#include "emu/EmuHex.h"

std::string EmuRecordName(std::span<const uint8_t> r) { return "record " + Hex2(r.size() > 1 ? r[1] : 0); }

std::vector<std::string> CheckDataRecord(std::span<const uint8_t> r)
{
    std::vector<std::string> out;
    if (r.size() < 8) return {EmuRecordName(r) + ": shorter than its header"};
    if (r.back() != 0) out.push_back(EmuRecordName(r) + ": last byte " + Hex2(r.back()) + ", not 00");
    if (r[4] || r[5] || r[6] || r[7]) out.push_back(EmuRecordName(r) + ": header bytes 3 to 6 not zero");
    return out;
}

std::string CheckTag(std::span<const uint8_t> r, uint8_t byTag1, uint8_t byTag2)
{
    if (r[2] == byTag1 && r[3] == byTag2) return {};
    return EmuRecordName(r) + ": tag " + Hex2(r[2]) + " " + Hex2(r[3]) + ", not " + Hex2(byTag1) + " " + Hex2(byTag2);
}

std::string CheckByte(std::span<const uint8_t> r, const char* pszWhat, uint8_t byGot, uint8_t byWant)
{
    if (byGot == byWant) return {};
    return EmuRecordName(r) + ": " + pszWhat + " " + Hex2(byGot) + ", not " + Hex2(byWant);
}
