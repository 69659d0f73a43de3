// Per-key colours as the keyboards take them. The profile keeps one colour per
// key slot and group; a keyboard wants them by LED position, either as three
// planes (one byte of one colour component per LED position, the planes in
// the order the description's GameRGBIndex gives) or as one plane of on/off
// bytes (single-colour keyboards). Mode colours go as three-byte triples in
// the order of RGBIndex. An LED position outside the plane is left out and
// logged, never written past the plane.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/Types.h"
#include "device/kb/KbBlock.h"
#include "device/kb/KbDescSnap.h"

namespace kb {

// Red, green and blue of clr at the positions idx gives (idx[0] the place of
// red, ...); a position above 2 drops its component.
std::array<uint8_t, 3> ColourTriple(ZColor clr, const uint8_t (&idx)[3]);

// Group g as three planes of nWidth bytes: component c of a slot's colour at
// plane idx[c], byte LedInx of the slot's default record. Slots without a
// default function are left out.
std::vector<uint8_t> GroupPlanes(const CKbBlock& block, const KbDescSnap& d, int g, int nWidth,
                                 const uint8_t (&idx)[3]);
// Group g as one plane of nWidth bytes: 1 at a slot's LED position when its colour is not black.
std::vector<uint8_t> GroupOnOffPlane(const CKbBlock& block, const KbDescSnap& d, int g, int nWidth);

}  // namespace kb
