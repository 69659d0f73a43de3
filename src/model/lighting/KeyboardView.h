// Where the keys of the keyboard view are: one slot per line of the
// description's key table (in its order), each with its rectangle on the
// keyboard picture and the key code it shows, and at most one key drawn by an
// outline instead of its rectangle (an ISO Enter). The view, the lighting page
// and the previews ask these functions which key lies under a point, which keys
// a dragged rectangle takes, which keys share a row, and how large the keys
// are. Nothing here knows about windows; a copy of the layout may be read from
// any thread.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/Types.h"
#include "lighting/EffectUnitEngine.h"

struct KeyInfo;

// Slots the view keeps (the key table's length).
constexpr int kKbViewSlots = 132;

struct KeyLayout {
    // kKbViewSlots slots; the first nUsed come from the key table, the rest are empty.
    std::vector<LightSlot> keys = std::vector<LightSlot>(kKbViewSlots);
    int nUsed = 0;
    // The slot drawn by its outline (-1 none) and the outline, closed or not.
    int nOutlineSlot = -1;
    std::vector<ZPoint> outline;
};

// The key code a key-table record shows: the key of a class-2 function, the
// modifier key of a lone modifier; 0 for the other classes.
uint8_t KeyCodeOf(const KeyInfo& k);

// The layout of nUsed key-table records (at most kKbViewSlots are taken). The
// outline is kept when a used slot shows nOutlineVk and the outline has at
// least three points.
KeyLayout BuildKeyLayout(std::span<const KeyInfo> keys, int nUsed, int nOutlineVk, std::span<const ZPoint> outline);

// The same layout with every rectangle and outline point multiplied by f,
// always from the unscaled layout given (so scaling twice never compounds).
// f of 1 (scaling off) leaves it as it is.
KeyLayout ScaleLayout(const KeyLayout& base, double f);

// The used slot showing key code vk (the left-hand Shift, Ctrl and Alt also
// by their generic codes), or -1. Code 0 finds nothing.
int FindKey(const KeyLayout& l, uint8_t vk);

// The used slot whose key holds the point (the outlined key by its outline), or -1.
int KeyAtPoint(const KeyLayout& l, ZPoint pt);

// True when pt lies inside the closed polygon (even-odd rule).
bool PointInPolygon(std::span<const ZPoint> poly, ZPoint pt);

// The codes of the used keys whose vertical extent holds the vertical centre of
// the key showing vk, sorted by their left edge; empty when vk is not on the view.
std::vector<uint8_t> RowOfKey(const KeyLayout& l, uint8_t vk);

// Height of the Esc key, or of the A key when Esc has none; 0 without either.
int KeyHeight(const KeyLayout& l);

// The smallest rectangle holding every used key with a non-empty rectangle;
// empty (all zero) when there is none.
ZRect KeysBounds(const KeyLayout& l);

// The used slots a dragged rectangle takes: those with any corner of their
// rectangle (or any point of the outline, for the outlined key) inside it,
// edges included. The rectangle may be given with its corners in any order.
std::vector<int> KeysInBand(const KeyLayout& l, ZRect band);
