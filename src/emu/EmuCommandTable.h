// A virtual firmware's commands as a table: the code the host sends and the
// member that handles it. The firmware looks a command up here instead of
// switching over codes, and a code the table does not hold is refused in one
// place, with one text.
//
//   const EmuCommand<CEmuPad> CEmuPad::kCommands[] = {{0x02, &CEmuPad::OnMode}, ...};
//   if (std::string v = RunEmuCommand(*this, kCommands, r[1], r, "command"); !v.empty()) Violation(v);
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "emu/EmuHex.h"

template <typename Fw>
struct EmuCommand {
    uint8_t byCode;
    void (Fw::*fn)(std::span<const uint8_t> report);
};

// Runs the handler of byCode on the report; for a code the table lacks, the
// violation text "unknown <what> <code>", else empty.
template <typename Fw>
std::string RunEmuCommand(Fw& fw, std::span<const EmuCommand<Fw>> table, uint8_t byCode,
                          std::span<const uint8_t> report, const char* pszWhat = "command")
{
    for (const EmuCommand<Fw>& c : table) {
        if (c.byCode != byCode) continue;
        (fw.*c.fn)(report);
        return {};
    }
    return std::string("unknown ") + pszWhat + " " + Hex2(byCode);
}
