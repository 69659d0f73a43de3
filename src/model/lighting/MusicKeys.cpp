#include "lighting/MusicKeys.h"

#include <algorithm>
#include <climits>
#include <string_view>

#include "core/FileAccess.h"
#include "core/Log.h"
#include "keys/FunId.h"
#include "keys/KeyCodes.h"
#include "keys/KeyWords.h"

namespace {
// The keys whose rows the effects use, top to bottom.
constexpr uint8_t kRowKeys[kMusicRows] = {0x70 /* F1 */, '1', 'Q', 'A', 'X', kVkSpace};
constexpr size_t kEtMaxBytes = 64 * 1024;  // far more than any key list needs

// Left, right and generic modifiers compare by their modifier bit.
bool SameKey(uint8_t a, uint8_t b)
{
    if (a == b) return true;
    const uint8_t ma = ModifierBitOfVk(a), mb = ModifierBitOfVk(b);
    return ma != 0 && ma == mb;
}

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> Split(std::string_view s, char sep)
{
    std::vector<std::string_view> out;
    for (;;) {
        const size_t n = s.find(sep);
        out.push_back(Trim(s.substr(0, n)));
        if (n == std::string_view::npos) return out;
        s.remove_prefix(n + 1);
    }
}

// The key lines of a file, comments and blank lines left out; false when it cannot be read.
bool ReadLines(const std::filesystem::path& file, std::string& text, std::vector<std::string_view>& lines)
{
    const FileRead read = ReadRegularFile(file, kEtMaxBytes, text);
    if (!read.Ok()) {
        LogPrintf("%s: cannot be read (%s)", file.string().c_str(), read.Reason().c_str());
        return false;
    }
    for (std::string_view line : Split(text, '\n')) {
        line = Trim(line);
        if (line.empty() || line.front() == ';') continue;
        lines.push_back(line);
    }
    return true;
}

// The LEDs of a comma-separated key list, at most nMax.
LedGroup ReadGroup(const std::filesystem::path& file, std::string_view line, std::string_view list,
                   const MusicLayout& layout, size_t nMax)
{
    LedGroup g;
    for (std::string_view word : Split(list, ',')) {
        if (word.empty() || g.size() >= nMax) continue;
        const uint8_t vk = text_to_vk(file, line, word, nullptr);
        if (vk == 0) continue;
        const int nLed = layout.LedOfVk(vk);
        if (nLed < 0) {
            LogPrintf("%s: the key \"%.*s\" has no light", file.string().c_str(), int(word.size()), word.data());
            continue;
        }
        g.push_back(nLed);
    }
    return g;
}
}  // namespace

int MusicLayout::LedOfVk(uint8_t vk) const
{
    for (const MusicKey& k : keys)
        if (SameKey(k.vk, vk)) return k.nLed;
    return -1;
}

int MusicLayout::LedAt(int x, int y) const
{
    for (const MusicKey& k : keys)
        if (x >= k.rc.left && x < k.rc.right && y >= k.rc.top && y < k.rc.bottom) return k.nLed;
    return -1;
}

MusicLayout MakeMusicLayout(std::span<const KeyInfo> table)
{
    MusicLayout l;
    l.bounds = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (const KeyInfo& k : table) {
        if (k.FunID == 0 || k.LedInx < 0 || k.LedInx >= kMusicLeds) continue;
        const uint8_t vk = FunClass(k.FunID) == FUN_KEY ? GetSingleVk(k) : 0;
        l.keys.push_back({k.LedInx, k.rcKey, vk});
        l.bounds.left = std::min(l.bounds.left, k.rcKey.left);
        l.bounds.top = std::min(l.bounds.top, k.rcKey.top);
        l.bounds.right = std::max(l.bounds.right, k.rcKey.right);
        l.bounds.bottom = std::max(l.bounds.bottom, k.rcKey.bottom);
    }
    if (l.keys.empty()) {
        l.bounds = {};
        return l;
    }
    for (int r = 0; r < kMusicRows; ++r) {
        const auto ref = std::ranges::find_if(l.keys, [&](const MusicKey& k) { return SameKey(k.vk, kRowKeys[r]); });
        if (ref == l.keys.end()) continue;
        if (l.nKeyHeight == 0) l.nKeyHeight = ref->rc.bottom - ref->rc.top;
        std::vector<const MusicKey*> row;
        for (const MusicKey& k : l.keys) {
            const int cy = (k.rc.top + std::min(k.rc.bottom, k.rc.top + l.nKeyHeight)) / 2;
            if (cy >= ref->rc.top && cy < ref->rc.bottom) row.push_back(&k);
        }
        std::ranges::sort(row, {}, [](const MusicKey* p) { return p->rc.left; });
        for (const MusicKey* p : row) l.rows[size_t(r)].push_back(p->nLed);
    }
    if (l.nKeyHeight <= 0) l.nKeyHeight = std::max(1, l.keys.front().rc.bottom - l.keys.front().rc.top);
    return l;
}

EtUnits ReadEtUnits(const std::filesystem::path& file, const MusicLayout& layout)
{
    EtUnits et;
    std::string text;
    std::vector<std::string_view> lines;
    if (!ReadLines(file, text, lines)) return et;
    for (std::string_view line : lines) {
        if (et.units.size() >= size_t(kEtMaxUnits)) {
            LogPrintf("%s: units past the %dth are left out", file.string().c_str(), kEtMaxUnits);
            break;
        }
        LedGroup g = ReadGroup(file, line, line, layout, kEtMaxUnitKeys);
        if (!g.empty()) et.units.push_back(std::move(g));
    }
    et.bLoaded = !et.units.empty();
    if (!et.bLoaded) LogPrintf("%s: no key group", file.string().c_str());
    return et;
}

EtBars ReadEtBars(const std::filesystem::path& file, const MusicLayout& layout)
{
    EtBars et;
    std::string text;
    std::vector<std::string_view> lines;
    if (!ReadLines(file, text, lines)) return et;
    for (std::string_view line : lines) {
        if (et.bars.size() >= size_t(kEtMaxBars)) {
            LogPrintf("%s: bars past the %dth are left out", file.string().c_str(), kEtMaxBars);
            break;
        }
        std::vector<LedGroup> bar;
        for (std::string_view seg : Split(line, ':')) {
            if (bar.size() >= size_t(kEtMaxSegments)) break;
            LedGroup g = ReadGroup(file, line, seg, layout, kEtMaxSegmentKeys);
            if (!g.empty()) bar.push_back(std::move(g));
        }
        // An empty bar keeps its place, so bar i still follows band i.
        et.bars.push_back(std::move(bar));
    }
    et.bLoaded = std::ranges::any_of(et.bars, [](const auto& b) { return !b.empty(); });
    if (!et.bLoaded) LogPrintf("%s: no key group", file.string().c_str());
    return et;
}
