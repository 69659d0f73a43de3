#include "keys/BulletSteps.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "core/Utf.h"
#include "keys/KeyCodes.h"
#include "keys/KeyNames.h"
#include "keys/MacroFile.h"
#include "text/TextCatalogue.h"

namespace {

constexpr uint32_t kKeyPauseMs = 50;     // between the press and the release of an inserted key
constexpr uint16_t kFireClickMs = 20;

std::u16string Text(const char* key)
{
    const std::u16string* p = FindText(key);
    return p ? *p : Utf8ToU16(key);
}

std::u16string Num(long long n) { return Utf8ToU16(std::to_string(n)); }

std::u16string CodeName(uint8_t byCode)
{
    switch (byCode) {
    case 240: return Text("tc_click");
    case 241: return Text("tc_menu");
    case 242: return Text("tc_middle");
    case 243: return Text("tc_forward");
    case 244: return Text("tc_back");
    case 245: return Text("tc_scrollup");
    case 246: return Text("tc_scrolldown");
    default: return GetKeyName(byCode);
    }
}

}  // namespace

BulletStepKind BulletEntryKind(const MacroAction& a)
{
    if (a.byCode == kBulletCodeMove) return BulletStepKind::Move;
    if (a.byParam != 0) return a.wState != 0 ? BulletStepKind::Press : BulletStepKind::Release;
    return BulletStepKind::Click;
}

std::vector<BulletItem> ReadBulletItems(const MacroRecord& rec)
{
    std::vector<BulletItem> items;
    for (int i = 0; i < kBulletEntryMax; ++i) {
        const MacroAction& a = rec.Action[i];
        if (a.EndsBullet()) break;
        const BulletStepKind kind = BulletEntryKind(a);
        switch (kind) {
        case BulletStepKind::Move: items.push_back({kind, a.wState}); break;
        case BulletStepKind::Click: items.push_back(BulletClick(a.byCode, a.wState)); break;
        default: items.push_back({kind, a.byCode}); break;
        }
        if (a.Delay() != 0) items.push_back(BulletPause(a.Delay()));
    }
    return items;
}

void MergeBulletPauses(std::vector<BulletItem>& items)
{
    std::vector<BulletItem> out;
    out.reserve(items.size());
    for (const BulletItem& it : items) {
        if (it.kind == BulletStepKind::Pause && !out.empty() && out.back().kind == BulletStepKind::Pause) {
            // Sums past 32 bits stay at the largest pause rather than wrapping to a short one.
            const uint64_t sum = uint64_t(out.back().dwValue) + it.dwValue;
            out.back().dwValue = uint32_t(std::min<uint64_t>(sum, UINT32_MAX));
            continue;
        }
        out.push_back(it);
    }
    items = std::move(out);
}

void WriteBulletItems(std::span<const BulletItem> items, MacroRecord& rec)
{
    std::memset(rec.Action, 0, sizeof(rec.Action));
    int n = 0;
    for (size_t i = 0; i < items.size() && n < kBulletEntryMax; ++i) {
        const BulletItem& it = items[i];
        if (it.kind == BulletStepKind::Pause) continue;  // a pause with no step before it
        MacroAction& a = rec.Action[n++];
        switch (it.kind) {
        case BulletStepKind::Move:
            a.byCode = kBulletCodeMove;
            a.wState = uint16_t(it.dwValue);
            break;
        case BulletStepKind::Click:
            a.byCode = BulletClickCode(it.dwValue);
            a.wState = BulletClickMs(it.dwValue);
            break;
        case BulletStepKind::Press:
        case BulletStepKind::Release:
            a.byCode = uint8_t(it.dwValue);
            a.byParam = uint8_t(kBulletPressFlag >> 8);
            a.wState = it.kind == BulletStepKind::Press ? 1 : 0;
            break;
        case BulletStepKind::Pause: break;
        }
        if (i + 1 < items.size() && items[i + 1].kind == BulletStepKind::Pause) a.SetDelay(items[++i].dwValue);
    }
}

int BulletWeight(std::span<const BulletItem> items)
{
    int n = 0;
    for (const BulletItem& it : items) n += it.kind == BulletStepKind::Move ? 2 : it.kind == BulletStepKind::Click ? 1 : 0;
    return n;
}

std::vector<BulletItem> BulletItemsForCode(uint8_t byMenuCode)
{
    if (byMenuCode == 0xF0) return {BulletClick(kMacroCodeLButton, kFireClickMs)};
    if (byMenuCode >= 0xF1 && byMenuCode <= 0xF4) return BulletKeyItems(byMenuCode);
    if (byMenuCode == 0xF5 || byMenuCode == 0xF6) return {BulletClick(byMenuCode, 1)};
    return {};
}

std::vector<BulletItem> BulletKeyItems(uint8_t byVk)
{
    if (byVk == 0) return {};
    return {BulletPress(byVk), BulletPause(kKeyPauseMs), BulletRelease(byVk)};
}

std::vector<BulletItem> BulletShotItems(uint8_t byFireCode)
{
    return {BulletClick(byFireCode, kFireClickMs), BulletPause(10), BulletMove(0, 10), BulletPause(20)};
}

uint8_t BulletModifierKey(uint8_t byModifiers)
{
    static constexpr uint8_t kKeys[8] = {kVkLControl, kVkLShift, kVkLMenu, kVkLWin,
                                         kVkRControl, kVkRShift, kVkRMenu, kVkRWin};
    for (int i = 0; i < 8; ++i)
        if (byModifiers & (1u << i)) return kKeys[i];
    return 0;
}

std::u16string BulletItemText(const BulletItem& item, uint32_t dwFireCode)
{
    switch (item.kind) {
    case BulletStepKind::Move:
        return Text("tc_bullet1") + u"     X= " + Num(BulletMoveX(item.dwValue)) + u",   Y= " +
               Num(BulletMoveY(item.dwValue));
    case BulletStepKind::Pause: return Num(item.dwValue) + u" ms";
    case BulletStepKind::Click: {
        const uint8_t byCode = BulletClickCode(item.dwValue);
        const std::u16string strName = byCode == dwFireCode ? Text("tc_bullet5") : CodeName(byCode);
        return strName + u"        " + Num(BulletClickMs(item.dwValue)) + u" ms";
    }
    case BulletStepKind::Press:
    case BulletStepKind::Release: return CodeName(uint8_t(item.dwValue));
    }
    return {};
}

const char* BulletItemIcon(BulletStepKind kind)
{
    switch (kind) {
    case BulletStepKind::Move: return "flag.png";
    case BulletStepKind::Pause: return "mac_delay.png";
    case BulletStepKind::Click: return "fire.png";
    case BulletStepKind::Press: return "mac_keydn.png";
    case BulletStepKind::Release: return "mac_keyup.png";
    }
    return "";
}

bool ParseBulletField(std::u16string_view text, bool bMovement, int& nValue)
{
    nValue = 0;
    std::string s;
    for (char16_t c : text) {
        if (c > 0x7F) return false;
        s += char(c);
    }
    long long n = 0;
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
    if (s.empty() || ec != std::errc() || p != s.data() + s.size()) return false;
    const bool bOk = bMovement ? (n >= -kBulletMoveMax && n <= kBulletMoveMax) : (n >= 0 && n <= kBulletTimeMax);
    if (bOk) nValue = int(n);
    return bOk;
}

bool RepairBulletRecord(MacroRecord& rec)
{
    bool bChanged = false;
    const auto fix = [&bChanged](auto& field, auto value) {
        if (field != value) {
            field = value;
            bChanged = true;
        }
    };
    fix(rec.szName[kMacroNameMax], char16_t(0));
    if (rec.nRepeatMode > 2) fix(rec.nRepeatMode, 0u);
    if (rec.wLoopCount == 0) fix(rec.wLoopCount, uint16_t(1));
    if (rec.nFireCode == 0 || rec.nFireCode > 0xFF) fix(rec.nFireCode, kBulletFireCode);
    fix(rec.byReserved103, uint8_t(0));
    for (uint8_t& b : rec.byReserved1474) fix(b, uint8_t(0));
    bool bEnded = false;
    for (int i = 0; i < kMacroActionNum; ++i) {
        MacroAction& a = rec.Action[i];
        if (bEnded || i >= kBulletEntryMax) {
            if (a.byCode || a.byParam || a.wState || a.Delay()) {
                a = MacroAction{};
                bChanged = true;
            }
            continue;
        }
        if (a.EndsBullet()) {
            bEnded = true;
            if (a.byParam || a.wState) {
                a = MacroAction{};
                bChanged = true;
            }
            continue;
        }
        if (a.byCode == kBulletCodeMove) {
            // -128 has no opposite; it is read as -127.
            const int x = std::max(BulletMoveX(a.wState), -kBulletMoveMax), y = std::max(BulletMoveY(a.wState), -kBulletMoveMax);
            fix(a.wState, uint16_t(BulletMoveValue(x, y)));
        }
    }
    return bChanged;
}

int BulletShotLimit(bool bSingleClick) { return bSingleClick ? kBulletShotMaxSingle : kBulletShotMax; }

BulletGenInput NormaliseBulletInput(BulletGenInput in)
{
    in.nShots = std::clamp(in.nShots, 0, BulletShotLimit(in.bSingleClick));
    if (in.nClickMs <= 0) in.nClickMs = 10;
    if (in.nIntervalMs <= 0) in.nIntervalMs = 10;
    in.nClickMs = std::min<int>(in.nClickMs, kBulletTimeMax);
    in.nIntervalMs = std::min<int>(in.nIntervalMs, kBulletTimeMax);
    if (in.nStepY < 0) in.nStepY = 10;
    in.nStepY = std::min(in.nStepY, kBulletMoveMax);
    return in;
}

MacroRecord BuildBulletRecord(const BulletGenInput& in, uint32_t id)
{
    MacroRecord rec = MakeNewMacroRecord(in.strName.substr(0, kMacroNameMax), id, MacroKind::Bullet);
    rec.dwFlags = 0;
    std::vector<BulletItem> items;
    const int nY = std::clamp(in.nStepY, 0, kBulletMoveMax);
    const auto nClick = uint16_t(std::clamp<int>(in.nClickMs, 0, kBulletTimeMax));
    for (int j = 0; j < in.nShots && int(items.size()) < 2 * kBulletEntryMax; ++j) {
        if (!in.bSingleClick || j == 0) {
            items.push_back(BulletClick(kMacroCodeLButton, in.bSingleClick ? 0 : nClick));
            items.push_back(BulletPause(10));
        }
        items.push_back(BulletMove(0, nY));
        items.push_back(BulletPause(uint32_t(std::max(in.nIntervalMs, 0))));
    }
    WriteBulletItems(items, rec);
    return rec;
}
