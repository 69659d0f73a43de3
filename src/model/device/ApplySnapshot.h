// What an apply job writes, copied on the user-interface thread when the job is
// requested. The apply worker and the device families read only this copy, so
// the user may go on editing, switch or delete the profile, or delete a macro
// while a job runs, and a job never changes what the user sees or what is on disk.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "core/Gvar.h"
#include "core/ProfileRecord.h"
#include "device/kb/KbDescSnap.h"
#include "keys/MacroList.h"

// Request flags of an apply job (combined).
constexpr uint32_t kApplyKeys = 0x0001;       // keys, macros and key matrix
constexpr uint32_t kApplyGeneral = 0x0002;    // DPI, report rate and the other per-mode settings
constexpr uint32_t kApplyLed = 0x0004;        // lighting
constexpr uint32_t kApplyOsPointer = 0x0008;  // the operating system's pointer settings
constexpr uint32_t kApplyLod = 0x0020;        // lift-off distance
constexpr uint32_t kApplyDebounce = 0x0040;   // debounce time
constexpr uint32_t kApplyProgress = 0x8000;   // a progress window waits for this job
// The apply and reset buttons. The mouse job includes debounce: a debounce
// change made without ApplyNow waits for this job and would otherwise never
// reach the mouse.
constexpr uint32_t kApplyFullMouse = kApplyProgress | kApplyKeys | kApplyGeneral | kApplyLed | kApplyOsPointer |
                                     kApplyLod | kApplyDebounce;
static_assert(kApplyFullMouse == 0x806F);
constexpr uint32_t kApplyFullKbPad = kApplyProgress | kApplyKeys | kApplyGeneral | kApplyLed;

// What a job needs of the installation, copied with the profile on the
// user-interface thread, so that the worker never reads gVar or the key layout.
struct ApplyOptions {
    bool bGoWithNoDev = false;           // go on after a failed step, and without a device
    int32_t nMsFw = 0;                   // the mouse's firmware type
    int32_t nSubMsFw = 0;
    MsDesc ms{};                         // the mouse description
    int nMatrixPos[kMsModeNum][kMsKeyNum] = {};  // key slot -> matrix position, from the mouse key layout
    kb::KbDescSnap kb;                   // the keyboard description (nKbFw 0 when none is configured)
};

struct ApplySnapshot {
    ApplyOptions opt;                    // the installation's options for this job
    ProfileRecord pro{};                 // the current profile record
    CMacroList macros;                   // the macros the profile's keys name (class 5)
    CMacroList bullets;                  // the bullet macros they name (class 12)
    std::optional<SensorCfg> sensor;     // the current sensor's description; none when unknown
    int nMsSensor = 0;                   // the current sensor's identifier
    int nCurDpiLevel[kMsModeCount] = {};  // DPI level index per mode
    int nCurMode = -1;                   // mode the mouse reported last, -1 unknown
    bool bReset = false;                 // the job is a reset: write every mode
};

// Copies the profile and the macro and bullet records its keys refer to (mouse
// keys of every mode and key table, keyboard keys, their Fn functions and the
// direct keys). A key naming a record that no longer exists copies nothing; the
// family logs it when it builds the key. The sensor is copied when not null.
// The options come from gVar and the mouse key layout: user-interface thread.
std::unique_ptr<ApplySnapshot> MakeApplySnapshot(const ProfileRecord& pro, const CMacroList& macros,
                                                 const CMacroList& bullets, const SensorCfg* pSensor,
                                                 int nMsSensor, const int (&nCurDpiLevel)[kMsModeCount],
                                                 int nCurMode, bool bReset);
