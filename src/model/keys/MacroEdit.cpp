#include "keys/MacroEdit.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "core/Log.h"
#include "core/Utf.h"
#include "device/mouse/MouseProtocol.h"
#include "keys/KeyNames.h"
#include "keys/MacroFile.h"
#include "text/TextCatalogue.h"

namespace {

// The longest delay a record can say when no device limits it.
constexpr int kDelayUnlimited = 65535;
constexpr int kAmountMax = 127;

bool CountsBytes(int nKbFw) { return nKbFw >= 20 && nKbFw <= 23; }

bool IsAmountCode(uint8_t code) { return code >= kMacroCodeWheelUp && code <= kMacroCodeMoveRight; }

MacroItem ItemOfAction(const MacroAction& a)
{
    if (a.byCode == kMacroCodeWheelUp || a.byCode == kMacroCodeWheelDown)
        return {MacroItemKind::Wheel, a.CodeWord(), a.wState};
    if (a.byCode >= kMacroCodeMoveUp && a.byCode <= kMacroCodeMouseAction)
        return {MacroItemKind::Move, a.CodeWord(), a.wState};
    return a.wState ? PressItem(a.byCode) : ReleaseItem(a.byCode);
}

MacroEditResult Refused(const MacroItems& items, const MacroSelection& sel, std::u16string strMessage)
{
    MacroEditResult r;
    r.items = items;
    r.selection = sel;
    r.strMessage = std::move(strMessage);
    return r;
}

MacroEditResult Done(MacroItems items, MacroSelection sel)
{
    MacroEditResult r;
    r.bOk = true;
    r.items = std::move(items);
    r.selection = std::move(sel);
    return r;
}

// The valid selected indexes, sorted, each once.
std::vector<int> Sorted(const MacroSelection& sel, size_t nSize)
{
    std::set<int> s;
    for (const int i : sel)
        if (i >= 0 && size_t(i) < nSize) s.insert(i);
    return {s.begin(), s.end()};
}

std::u16string Printf16(const char* pszFormat, int n)
{
    char sz[64];
    std::snprintf(sz, sizeof sz, pszFormat, n);
    return Utf8ToU16(sz);
}

const std::u16string& AmountLabel(uint8_t code)
{
    switch (code) {
    case kMacroCodeWheelUp: return gText.tc_scrollup;
    case kMacroCodeWheelDown: return gText.tc_scrolldown;
    case kMacroCodeMoveUp: return gText.tc_macro_msg27;
    case kMacroCodeMoveDown: return gText.tc_macro_msg28;
    case kMacroCodeMoveLeft: return gText.tc_macro_msg25;
    case kMacroCodeMoveRight: return gText.tc_macro_msg26;
    default: return gText.tc_macro_msg29;
    }
}

}  // namespace

MacroLimits MacroLimitsFor(const HwParam& hw, int32_t nMsFw, int32_t nKbFw, int32_t nMacroHasMsKey)
{
    MacroLimits lim;
    lim.nDelayMin = std::max(1, int(hw.nDelayMin));
    lim.nDelayMax = hw.nDelayMax > 0 ? int(hw.nDelayMax) : kDelayUnlimited;
    lim.nLoopMax = std::max(1, int(hw.nLoopMax));
    lim.nMaxEntries = kMacroActionNum;
    // The mouse plays a macro from one buffer of a fixed number of events.
    if (nMsFw != 0) lim.nMaxEntries = std::min(lim.nMaxEntries, int(mouse::kMacroEventMax));
    if (nMsFw != 0 && nKbFw == 0 && hw.nMaxAction > 0) lim.nMaxEntries = std::min(lim.nMaxEntries, int(hw.nMaxAction));
    if (CountsBytes(nKbFw) || nKbFw == 21) {
        lim.nKbFw = nKbFw;
        lim.nKbBufferSize = hw.nMacroBufferSize;
    }
    lim.nMacroHasMsKey = nMacroHasMsKey;
    return lim;
}

MacroLimits InstalledMacroLimits()
{
    const bool bKb = gVar.nKbFw >= 20 && gVar.nKbFw <= 24;
    return MacroLimitsFor(hwParam, gVar.nMsFw, bKb ? gVar.nKbFw : 0, gVar.nMacroHasMsKey);
}

// ---- record <-> items ----------------------------------------------------------------

MacroItems ItemsFromRecord(const MacroRecord& rec, const MacroLimits& lim)
{
    MacroItems items;
    const int n = MacroActionCount(rec);
    for (int i = 0; i < n; ++i) {
        const MacroAction& a = rec.Action[i];
        MacroItems next = items;
        if (a.CodeWord() != 0) next.push_back(ItemOfAction(a));
        if (a.Delay() != 0) next.push_back(DelayItem(a.Delay()));
        if (CountsBytes(lim.nKbFw) || lim.nKbFw == 21) {
            if (lim.nKbBufferSize > 0 && KbMacroBytes(next, lim) > lim.nKbBufferSize) break;
        }
        items = std::move(next);
    }
    return items;
}

MacroItems NormaliseItems(const MacroItems& items, const MacroLimits& lim)
{
    MacroItems out;
    size_t i = 0;
    while (i < items.size() && (items[i].kind == MacroItemKind::Delay || items[i].kind == MacroItemKind::Release)) ++i;
    for (; i < items.size(); ++i) {
        const MacroItem& it = items[i];
        if (it.kind == MacroItemKind::Delay && !out.empty() && out.back().kind == MacroItemKind::Delay) {
            const uint64_t sum = uint64_t(out.back().nValue) + it.nValue;
            out.back().nValue = uint32_t(std::min<uint64_t>(sum, uint64_t(lim.nDelayMax)));
            continue;
        }
        out.push_back(it);
        if (out.back().kind == MacroItemKind::Delay)
            out.back().nValue = std::min<uint32_t>(out.back().nValue, uint32_t(lim.nDelayMax));
    }
    return out;
}

void ItemsToRecord(const MacroItems& items, const MacroLimits& lim, MacroRecord& rec)
{
    for (MacroAction& a : rec.Action) a = MacroAction{};
    int n = -1;  // the entry the next delay belongs to
    for (const MacroItem& it : NormaliseItems(items, lim)) {
        if (it.kind == MacroItemKind::Delay) {
            if (n >= 0) rec.Action[n].SetDelay(it.nValue);
            continue;
        }
        if ((it.kind == MacroItemKind::Press || it.kind == MacroItemKind::Release) && (it.nValue & 0xFF) == 0) {
            LogPrintf("Capture keycode=0");
            n = -1;  // its delay has no entry either
            continue;
        }
        if (n + 1 >= kMacroActionNum) break;
        MacroAction& a = rec.Action[++n];
        if (it.kind == MacroItemKind::Press || it.kind == MacroItemKind::Release) {
            a.byCode = uint8_t(it.nValue);
            a.wState = it.kind == MacroItemKind::Press ? 1 : 0;
        } else {
            a.byCode = uint8_t(it.nValue);
            a.byParam = uint8_t(it.nValue >> 8);
            a.wState = it.wState;
        }
    }
}

// ---- limits ---------------------------------------------------------------------------

int MacroEntryCount(const MacroItems& items)
{
    return int(std::count_if(items.begin(), items.end(), [](const MacroItem& it) { return it.IsAction(); }));
}

int KbMacroBytes(const MacroItems& items, const MacroLimits& lim)
{
    if (!CountsBytes(lim.nKbFw) && lim.nKbFw != 21) return 0;
    int nBytes = lim.nKbFw == 21 ? 0 : 4;
    for (const MacroItem& it : NormaliseItems(items, lim)) {
        const bool bKey = it.kind == MacroItemKind::Press || it.kind == MacroItemKind::Release;
        if (lim.nKbFw == 21) {
            if (bKey) nBytes += 3;
        } else if (bKey) {
            nBytes += 2;
        } else if (it.kind == MacroItemKind::Delay && it.nValue > 127) {
            nBytes += 4;
        }
    }
    return nBytes;
}

bool MacroFits(const MacroItems& items, const MacroLimits& lim)
{
    if (MacroEntryCount(NormaliseItems(items, lim)) > lim.nMaxEntries) return false;
    if (lim.nKbBufferSize > 0 && KbMacroBytes(items, lim) > lim.nKbBufferSize) return false;
    return true;
}

std::u16string MacroFullText()
{
    return gText.tc_macro_msg36.empty() ? std::u16string(u"The number of key has reached its maximum.")
                                        : gText.tc_macro_msg36;
}

// ---- editing ------------------------------------------------------------------------------

MacroEditResult InsertItems(const MacroItems& items, const MacroSelection& sel, const MacroItems& add,
                            const MacroLimits& lim)
{
    const std::vector<int> s = Sorted(sel, items.size());
    const size_t nAt = s.empty() ? items.size() : size_t(s.back()) + 1;
    MacroItems next = items;
    next.insert(next.begin() + std::ptrdiff_t(nAt), add.begin(), add.end());
    if (!MacroFits(next, lim)) return Refused(items, sel, MacroFullText());
    MacroSelection after;
    for (size_t i = 0; i < add.size(); ++i) after.push_back(int(nAt + i));
    return Done(std::move(next), std::move(after));
}

MacroItems KeyStroke(uint8_t code, bool bAutoDelay)
{
    MacroItems v{PressItem(code)};
    if (bAutoDelay) v.push_back(DelayItem(50));
    v.push_back(ReleaseItem(code));
    return v;
}

MacroItem DelayOf(int64_t ms, const MacroLimits& lim)
{
    return DelayItem(uint32_t(std::clamp<int64_t>(ms, lim.nDelayMin, lim.nDelayMax)));
}

MacroItem WheelStep(uint8_t code) { return {MacroItemKind::Wheel, code, 1}; }

bool AmountItem(uint8_t code, int nAmount, MacroItem& out, std::u16string& strMessage)
{
    if (!IsAmountCode(code) || nAmount < 0 || nAmount > kAmountMax) {
        strMessage = u"Invalid value. 0~127";
        return false;
    }
    const bool bWheel = code == kMacroCodeWheelUp || code == kMacroCodeWheelDown;
    out = {bWheel ? MacroItemKind::Wheel : MacroItemKind::Move, uint32_t(code) | uint32_t(nAmount) << 8, 1};
    return true;
}

MacroEditResult EditDelays(const MacroItems& items, const MacroSelection& sel, int64_t ms, const MacroLimits& lim)
{
    MacroItems next = items;
    bool bAny = false;
    for (const int i : Sorted(sel, items.size())) {
        if (next[size_t(i)].kind != MacroItemKind::Delay) continue;
        next[size_t(i)] = DelayOf(ms, lim);
        bAny = true;
    }
    if (!bAny) return Refused(items, sel, {});
    return Done(std::move(next), sel);
}

MacroEditResult EditAmount(const MacroItems& items, int nIndex, uint8_t code, int nAmount)
{
    const MacroSelection sel{nIndex};
    if (nIndex < 0 || size_t(nIndex) >= items.size()) return Refused(items, sel, {});
    const MacroItem& old = items[size_t(nIndex)];
    if (old.kind != MacroItemKind::Move && old.kind != MacroItemKind::Wheel) return Refused(items, sel, {});
    MacroItem it;
    std::u16string strMessage;
    if (!AmountItem(code, nAmount, it, strMessage)) return Refused(items, sel, strMessage);
    it.wState = old.wState;
    MacroItems next = items;
    next[size_t(nIndex)] = it;
    return Done(std::move(next), sel);
}

MacroEditResult MoveItems(const MacroItems& items, const MacroSelection& sel, int nStep)
{
    std::vector<int> s = Sorted(sel, items.size());
    if (s.empty() || (nStep != -1 && nStep != 1)) return Refused(items, sel, {});
    MacroItems next = items;
    std::vector<bool> selected(items.size(), false);
    for (const int i : s) selected[size_t(i)] = true;
    // Up: walk from the top, each selected item trades places with an
    // unselected one above it; down: the same from the bottom. A block that
    // touches the edge stays where it is.
    const int n = int(items.size());
    auto step = [&](int i) {
        const int j = i + nStep;
        if (j < 0 || j >= n || selected[size_t(j)]) return;
        std::swap(next[size_t(i)], next[size_t(j)]);
        selected[size_t(j)] = true;
        selected[size_t(i)] = false;
    };
    if (nStep < 0) {
        for (int i = 0; i < n; ++i)
            if (selected[size_t(i)]) step(i);
    } else {
        for (int i = n - 1; i >= 0; --i)
            if (selected[size_t(i)]) step(i);
    }
    MacroSelection after;
    for (int i = 0; i < n; ++i)
        if (selected[size_t(i)]) after.push_back(i);
    return Done(std::move(next), std::move(after));
}

MacroEditResult DeleteItems(const MacroItems& items, const MacroSelection& sel)
{
    const std::vector<int> s = Sorted(sel, items.size());
    if (s.empty()) return Refused(items, sel, {});
    MacroItems next;
    for (size_t i = 0; i < items.size(); ++i)
        if (!std::binary_search(s.begin(), s.end(), int(i))) next.push_back(items[i]);
    MacroSelection after;
    const int nNext = s.back() + 1 - int(s.size());  // the item that followed the last one removed
    if (!next.empty()) after.push_back(std::min(nNext, int(next.size()) - 1));
    return Done(std::move(next), std::move(after));
}

// ---- texts, names, counts -----------------------------------------------------------------

std::u16string MacroItemText(const MacroItem& item, int nKbType)
{
    switch (item.kind) {
    case MacroItemKind::Delay: return Printf16("%d ms", int(item.nValue));
    case MacroItemKind::Move:
    case MacroItemKind::Wheel: {
        const uint8_t code = uint8_t(item.nValue);
        if (code == kMacroCodeMouseAction) return gText.tc_macro_msg29;
        return AmountLabel(code) + Printf16(" %d", int((item.nValue >> 8) & 0xFF));
    }
    case MacroItemKind::Press:
    case MacroItemKind::Release: break;
    }
    switch (uint8_t(item.nValue)) {
    case 240: return gText.tc_click;
    case 241: return gText.tc_menu;
    case 242: return gText.tc_middle;
    case 243: return gText.tc_forward;
    case 244: return gText.tc_back;
    case kMacroCodeWheelUp: return gText.tc_scrollup;
    case kMacroCodeWheelDown: return gText.tc_scrolldown;
    default: return GetKeyName(item.nValue & 0xFF, nKbType);
    }
}

bool CheckMacroName(std::u16string_view name, std::u16string& out, std::u16string& strMessage)
{
    strMessage = u"Invalid name.";
    if (name.empty() || name.find_first_of(u"/\\?+=-*&%!#") != std::u16string_view::npos) return false;
    std::u16string s(name);
    if (const size_t nDot = s.rfind(u'.'); nDot != std::u16string::npos) s.erase(nDot);
    // What is left becomes a file or folder name: ".x" would leave nothing, and
    // a leading dot or trailing space would hide it from the next scan.
    if (!IsSafeMacroName(s)) return false;
    out = std::move(s);
    strMessage.clear();
    return true;
}

std::u16string LoopCountFieldText(std::u16string_view text, int nLoopMax)
{
    if (text.empty()) return {};
    long long n = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9') return std::u16string(text);
        n = std::min<long long>(n * 10 + (c - u'0'), 1LL << 40);
    }
    if (n == 0) return u"1";
    if (n > nLoopMax) return Printf16("%d", nLoopMax);
    return std::u16string(text);
}
