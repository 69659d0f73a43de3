// KeyInfo: the 88-byte record of one key slot, the unit of every key table the
// program keeps (mouse modes, keyboard layers, default tables). Profiles and
// exports store these records byte for byte, and files written by the Windows
// build must load here, so the layout below is a file format: little-endian,
// fields back to back, every offset fixed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "core/Types.h"

// The first 36 bytes of a key record: a key function and its slot data. The Fn
// layer of a keyboard key is kept in this form inside the key's own record.
struct KeyFunc {
    uint32_t FunID;      // class in bits 24-31, value in bits 0-23; 0 = no function
    ZRect rcKey;         // left, top, right, bottom on the page picture
    int32_t MatrixInx;   // hardware key (matrix) index of the slot
    uint32_t MacroID;    // macro or bullet macro referenced by classes 5 and 12
    uint8_t byModifier;  // class 2: modifier bits
    uint8_t byKey1;      // class 2: first virtual key
    uint8_t byKey2;      // class 2: second virtual key
    uint8_t byModVk;     // class 2: virtual key of a lone modifier, else 0
    uint32_t dwParam;    // class-specific parameter
};

struct KeyInfo {
    uint32_t FunID;
    ZRect rcKey;
    int32_t MatrixInx;
    uint32_t MacroID;
    uint8_t byModifier;
    uint8_t byKey1;
    uint8_t byKey2;
    uint8_t byModVk;
    uint32_t dwParam;
    int32_t nFnIndex;   // keyboard: entry of the key in the Fn layer, -1 = none
    KeyFunc FnFun;      // keyboard: the key's Fn-layer function
    int32_t LedInx;     // keyboard: lighting index of the slot
    uint32_t dwColor;   // gun preset colour (R | G<<8 | B<<16)
    uint32_t dwReserved;  // kept as read, written as zero
};

static_assert(sizeof(ZRect) == 16 && offsetof(ZRect, bottom) == 12);

static_assert(sizeof(KeyFunc) == 36);
static_assert(offsetof(KeyFunc, FunID) == 0);
static_assert(offsetof(KeyFunc, rcKey) == 4);
static_assert(offsetof(KeyFunc, MatrixInx) == 20);
static_assert(offsetof(KeyFunc, MacroID) == 24);
static_assert(offsetof(KeyFunc, byModifier) == 28);
static_assert(offsetof(KeyFunc, byKey1) == 29);
static_assert(offsetof(KeyFunc, byKey2) == 30);
static_assert(offsetof(KeyFunc, byModVk) == 31);
static_assert(offsetof(KeyFunc, dwParam) == 32);

static_assert(sizeof(KeyInfo) == 88);
static_assert(offsetof(KeyInfo, FunID) == 0);
static_assert(offsetof(KeyInfo, rcKey) == 4);
static_assert(offsetof(KeyInfo, MatrixInx) == 20);
static_assert(offsetof(KeyInfo, MacroID) == 24);
static_assert(offsetof(KeyInfo, byModifier) == 28);
static_assert(offsetof(KeyInfo, byKey1) == 29);
static_assert(offsetof(KeyInfo, byKey2) == 30);
static_assert(offsetof(KeyInfo, byModVk) == 31);
static_assert(offsetof(KeyInfo, dwParam) == 32);
static_assert(offsetof(KeyInfo, nFnIndex) == 36);
static_assert(offsetof(KeyInfo, FnFun) == 40);
static_assert(offsetof(KeyInfo, LedInx) == 76);
static_assert(offsetof(KeyInfo, dwColor) == 80);
static_assert(offsetof(KeyInfo, dwReserved) == 84);

// Records are copied to and from files with memcpy.
static_assert(std::is_trivially_copyable_v<KeyInfo> && std::is_standard_layout_v<KeyInfo>);
