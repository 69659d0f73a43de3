#include "lighting/KeyboardView.h"

#include <algorithm>
#include <cmath>

#include "keys/KeyInfo.h"

namespace {

constexpr uint8_t kVkEscape = 0x1B;
constexpr uint8_t kVkA = 'A';

bool Used(const KeyLayout& l, int i) { return i >= 0 && i < l.nUsed && i < int(l.keys.size()); }

bool Empty(const LightSlot& s) { return s.right <= s.left || s.bottom <= s.top; }

bool RectHolds(const LightSlot& s, ZPoint pt)
{
    return pt.x >= s.left && pt.x < s.right && pt.y >= s.top && pt.y < s.bottom;
}

bool BandHolds(const ZRect& b, ZPoint pt)
{
    return pt.x >= b.left && pt.x <= b.right && pt.y >= b.top && pt.y <= b.bottom;
}

int Scale(int v, double f) { return int(std::lround(v * f)); }

}  // namespace

uint8_t KeyCodeOf(const KeyInfo& k)
{
    if ((k.FunID >> 24) != 2) return 0;
    return k.byKey1 ? k.byKey1 : k.byModVk;
}

KeyLayout BuildKeyLayout(std::span<const KeyInfo> keys, int nUsed, int nOutlineVk, std::span<const ZPoint> outline)
{
    KeyLayout l;
    l.nUsed = std::clamp(nUsed, 0, std::min(kKbViewSlots, int(keys.size())));
    for (int i = 0; i < l.nUsed; ++i) {
        const KeyInfo& k = keys[size_t(i)];
        LightSlot& s = l.keys[size_t(i)];
        s.nVk = KeyCodeOf(k);
        s.left = k.rcKey.left;
        s.top = k.rcKey.top;
        s.right = k.rcKey.right;
        s.bottom = k.rcKey.bottom;
        s.nLevel = 200;
    }
    if (nOutlineVk > 0 && nOutlineVk < 256 && outline.size() >= 3) {
        const int nSlot = FindKey(l, uint8_t(nOutlineVk));
        if (nSlot >= 0) {
            l.nOutlineSlot = nSlot;
            l.outline.assign(outline.begin(), outline.end());
        }
    }
    return l;
}

KeyLayout ScaleLayout(const KeyLayout& base, double f)
{
    KeyLayout l = base;
    if (!(f > 0) || f == 1.0) return l;
    for (LightSlot& s : l.keys) {
        s.left = Scale(s.left, f);
        s.top = Scale(s.top, f);
        s.right = Scale(s.right, f);
        s.bottom = Scale(s.bottom, f);
    }
    for (ZPoint& p : l.outline) p = {Scale(p.x, f), Scale(p.y, f)};
    return l;
}

int FindKey(const KeyLayout& l, uint8_t vk)
{
    if (vk == 0) return -1;
    const int n = FindSlot(l.keys, vk);
    return Used(l, n) ? n : -1;
}

bool PointInPolygon(std::span<const ZPoint> poly, ZPoint pt)
{
    bool bIn = false;
    const size_t n = poly.size();
    if (n < 3) return false;
    // Even-odd rule with half-open edges: a ray to the right crosses each edge
    // whose vertical span holds pt.y (upper end included, lower end not).
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const ZPoint a = poly[i], b = poly[j];
        if ((a.y > pt.y) == (b.y > pt.y)) continue;
        const double x = a.x + double(pt.y - a.y) * double(b.x - a.x) / double(b.y - a.y);
        if (pt.x < x) bIn = !bIn;
    }
    return bIn;
}

int KeyAtPoint(const KeyLayout& l, ZPoint pt)
{
    // The outlined key first: its rectangle may reach under a neighbour's.
    if (Used(l, l.nOutlineSlot) && PointInPolygon(l.outline, pt)) return l.nOutlineSlot;
    for (int i = 0; i < l.nUsed; ++i) {
        if (i == l.nOutlineSlot && !l.outline.empty()) continue;
        if (RectHolds(l.keys[size_t(i)], pt)) return i;
    }
    return -1;
}

std::vector<uint8_t> RowOfKey(const KeyLayout& l, uint8_t vk)
{
    const int nKey = FindKey(l, vk);
    if (nKey < 0) return {};
    const LightSlot& k = l.keys[size_t(nKey)];
    const int yc = (k.top + k.bottom) / 2;
    std::vector<const LightSlot*> row;
    for (int i = 0; i < l.nUsed; ++i) {
        const LightSlot& s = l.keys[size_t(i)];
        if (s.nVk != 0 && !Empty(s) && s.top <= yc && yc < s.bottom) row.push_back(&s);
    }
    std::stable_sort(row.begin(), row.end(), [](const LightSlot* a, const LightSlot* b) { return a->left < b->left; });
    std::vector<uint8_t> out;
    out.reserve(row.size());
    for (const LightSlot* s : row) out.push_back(s->nVk);
    return out;
}

int KeyHeight(const KeyLayout& l)
{
    for (uint8_t vk : {kVkEscape, kVkA}) {
        const int n = FindKey(l, vk);
        if (n < 0) continue;
        const LightSlot& s = l.keys[size_t(n)];
        if (s.bottom > s.top) return s.bottom - s.top;
    }
    return 0;
}

ZRect KeysBounds(const KeyLayout& l)
{
    ZRect rc;
    bool bAny = false;
    for (int i = 0; i < l.nUsed; ++i) {
        const LightSlot& s = l.keys[size_t(i)];
        if (Empty(s)) continue;
        if (!bAny) {
            rc = {s.left, s.top, s.right, s.bottom};
            bAny = true;
            continue;
        }
        rc.left = std::min(rc.left, s.left);
        rc.top = std::min(rc.top, s.top);
        rc.right = std::max(rc.right, s.right);
        rc.bottom = std::max(rc.bottom, s.bottom);
    }
    return rc;
}

std::vector<int> KeysInBand(const KeyLayout& l, ZRect band)
{
    const ZRect b{std::min(band.left, band.right), std::min(band.top, band.bottom), std::max(band.left, band.right),
                  std::max(band.top, band.bottom)};
    std::vector<int> out;
    for (int i = 0; i < l.nUsed; ++i) {
        const LightSlot& s = l.keys[size_t(i)];
        bool bTaken = false;
        if (i == l.nOutlineSlot && !l.outline.empty()) {
            bTaken = std::any_of(l.outline.begin(), l.outline.end(), [&](ZPoint p) { return BandHolds(b, p); });
        } else if (!Empty(s)) {
            // The right and bottom edges are the last pixels of the key.
            const ZPoint corners[4] = {
                {s.left, s.top}, {s.right - 1, s.top}, {s.left, s.bottom - 1}, {s.right - 1, s.bottom - 1}};
            bTaken = std::any_of(std::begin(corners), std::end(corners), [&](ZPoint p) { return BandHolds(b, p); });
        }
        if (bTaken) out.push_back(i);
    }
    return out;
}
