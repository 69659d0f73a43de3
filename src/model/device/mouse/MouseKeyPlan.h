// Everything flag 1 of an apply writes to the wired mouse: the key matrix of
// each mode and the macro and bullet buffers its keys play, built from the
// job's snapshot alone. Buffer numbers are given per job (a macro used by
// several keys or modes gets one buffer); the macro records are not touched.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/ProfileRecord.h"
#include "device/mouse/MouseReports.h"
#include "keys/MacroList.h"

namespace mouse {

struct MouseKeyInput {
    const MsSettings* pMs = nullptr;       // the profile's mouse part
    int nFirstMode = 0;                    // the profile's mode that plan mode 0 comes from
    int nModes = 3;                        // modes to build, 1..3
    int nMatrixPos[kMsModeNum][kMsKeyNum] = {};  // matrix position (1..20) of each key slot per plan mode
    const CMacroList* pMacros = nullptr;   // the job's macros
    const CMacroList* pBullets = nullptr;  // the job's bullet macros
    int32_t nSensor = 0;                   // for DPI-hold keys
    int32_t nMsFw = 0;                     // kind and bullet support
};

struct MouseBuffer {
    int nNumber = 0;                       // buffer number on the mouse
    uint32_t dwMacroID = 0;
    std::vector<uint8_t> bytes;            // the buffer, at most kMacroBufferMax bytes
};

struct MouseKeyPlan {
    int nModes = 0;
    KeyMatrix matrix[kMsModeNum] = {};
    std::vector<MouseBuffer> macros;       // numbers 1, 2, ...
    std::vector<MouseBuffer> bullets;      // numbers as written: from 11 on kind 2, else after the macros
    std::vector<std::string> notices;      // what the user is told once, one line per problem
};

// How many macro and bullet buffers the mouse takes.
struct MouseBufferCaps {
    int nMacros;
    int nBullets;
    int nTotal;
};
MouseBufferCaps BufferCaps(int32_t nMsFw);
// Whether the mouse plays bullet macros (bits 4..7 of the family value).
constexpr bool HasBullets(int32_t nMsFw) { return (nMsFw & 0xFF) > 15; }

MouseKeyPlan BuildKeyPlan(const MouseKeyInput& in);

}  // namespace mouse
