// The arithmetic of the skinned sliders and the progress bar: where each value
// sits along a bar, which value lies under a point, how much of a progress bar
// is filled. Plain functions over whole numbers, no widgets, so every rounding
// and tie rule can be checked on its own.
#pragma once

#include <span>
#include <vector>

namespace slider {

// Most positions a slider keeps; longer value lists are refused.
constexpr int kMaxScale = 600;

// Fills nCount thumb-centre positions evenly along a bar nLength long for a thumb
// nThumb wide: the first centre half a thumb from the start, the last half a thumb
// from the end, position i = floor(nThumb / 2 + i * step) with the float step
// (nLength - nThumb) / (nCount - 1). One value sits half a thumb from the start.
// Returns false when the bar has no room for the values (step <= 0); the
// positions are filled all the same so the control stays usable.
bool ComputeScale(int nLength, int nThumb, int nCount, std::vector<int>& positions);

// Centre of value v on a bar of range nLow..nHigh: the scale position of v when
// there is one, else the whole-number spacing nLength / (nHigh - nLow) times
// (v - nLow). A one-value range sits at 0.
int CenterOfValue(int v, int nLow, int nHigh, std::span<const int> scale, int nLength);

// Value under a point of the bar. With scale positions: the nearest one, a tie
// going to the higher value. Without: the nearer grid point of the whole-number
// spacing, a tie going to the lower one. Always within nLow..nHigh.
int ValueAtPoint(int nPoint, int nLow, int nHigh, std::span<const int> scale, int nLength);

// Index of the position nearest to nPoint, a tie going to the higher index; -1
// when there are none.
int NearestIndexTieHigh(std::span<const int> positions, int nPoint);

// Index of the position nearest to nPoint for a slider over a list of values:
// only the half of the list on the point's side of the middle position is
// searched, a tie goes to the lower index; -1 when there are none.
int NearestIndexSplit(std::span<const int> positions, int nPoint);

// Filled width of a progress bar nWidth wide at nPos of nMin..nMax: (nPos - nMin)
// x nWidth / (nMax - nMin), within 0..nWidth; 0 for an empty range.
int ProgressFill(int nPos, int nMin, int nMax, int nWidth);

// Position of a progress bar dragged to x: nMin + (nMax - nMin) x nX / nWidth
// while moving, one more on the release, clamped to nMin..nMax.
int ProgressValueAt(int nX, int nMin, int nMax, int nWidth, bool bRelease);

}  // namespace slider
