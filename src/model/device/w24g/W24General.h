// The 148-byte general block of one profile of the wireless mouse: DPI levels
// (16-bit codes) and their colours, report rate, lighting, the second lighting
// zone and the system flags. The host reads the block, changes the parts it
// owns and writes it back, so bytes it does not know survive.
#pragma once

#include <cstdint>
#include <optional>

#include "core/ProfileRecord.h"
#include "device/mouse/MouseBlock.h"
#include "device/mouse/MouseOptions.h"
#include "device/w24g/W24Reports.h"

namespace w24g {

// The description options the block depends on, copied from gVar so that the
// builders are plain functions of their arguments. The lighting tables and
// switches shared with the wired family are in base.
struct W24Options {
    mouse::MouseOptions base;
    int32_t nLedMask = 0;            // bit i set: effect i is not offered (and not written)
    int32_t nSubMsFw = 0;            // 1: the colourful-steady effect keeps its colours in the type-6 area
    int32_t nShowNoSleep = 0;
    int32_t nLedOFFWhenMoving = 0;
    int32_t nShowMotionSync = 0;

    static W24Options FromDesc(const MsDesc& ms, int32_t nMsFw, int32_t nSubMsFw);
    // The installation's options (gVar): user-interface thread and tests.
    static W24Options FromGvar() { return FromDesc(gVar.Ms, gVar.nMsFw, gVar.nSubMsFw); }
};

// The second lighting zone as the block holds it.
struct W24Zone {
    uint8_t byOption = 0;            // 0..2
    uint8_t byValue = 0;             // the option's first value; 0 is sent for option 0
    ZColor clr = 0;
};

// Settings of a profile that the profile record has no place for yet. What is
// not given stays as the mouse has it.
struct W24Extras {
    std::optional<bool> bMotionSync;
    std::optional<W24Zone> zone;
};

// Whether a block read from the mouse can be trusted: its sensor code names a
// known sensor (nSensor itself when it is not 0) and its rate code is 1..4. A
// mouse that is off or half awake answers zeros or noise.
bool IsPlausible(const GeneralBlock& block, int32_t nSensor = 0);

// The current level index (0..7) that byte 3 names, or none when the byte is
// below 16, counts fewer enabled levels than its current level, or names a
// level beyond the block's eight.
std::optional<int> CurLevelFromBlock(const GeneralBlock& block);

// The 16-bit hardware code of a resolution. A resolution the sensor does not
// list (a profile made for another sensor) takes its nearest step, logged; a
// resolution of 0 (an unused level) is sent as 0.
uint16_t DpiCode16(int32_t nSensor, int32_t nDpi);

// Bytes 0 and 2..60: magic, rate, levels, level codes and colours from the
// mode's settings. nCurLevel is the current level index (-1: none).
void UpdateDpiPart(GeneralBlock& block, const MsModeSettings& mode, int nCurLevel, int32_t nSensor, bool bReset,
                   const W24Options& opt);

// Bytes 61..133: the current effect type and the data of the effects written
// (the current one, or every offered one with ApplyAllLed). Indexes from the
// profile or the description that fall outside their tables are logged and
// skipped; colours never run past the room of their effect.
void UpdateLightingPart(GeneralBlock& block, const MsModeSettings& mode, const W24Options& opt);

// Bytes 139..145: the second zone, the trailer and the system flags. Bit 7 of
// byte 145 is the no-sleep flag; a mouse with the motion-sync option reads it
// as its motion-sync flag instead, which then wins.
void UpdateSystemPart(GeneralBlock& block, const MsSettings& ms, const W24Extras& extras, const W24Options& opt);

}  // namespace w24g
