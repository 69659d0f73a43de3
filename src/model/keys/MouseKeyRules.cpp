#include "keys/MouseKeyRules.h"

#include <algorithm>
#include <set>

#include "core/Gvar.h"
#include "keys/FunId.h"
#include "keys/FunctionText.h"
#include "text/TextCatalogue.h"

namespace {

std::u16string Text(const MouseKeyContext& ctx, const char* key)
{
    if (ctx.text) return ctx.text(key);
    const std::u16string* p = FindText(key);
    return p ? *p : std::u16string();
}

KeyInfo (&Table(ProfileRecord& pro, int nMode, int nSet))[kMsKeyNum]
{
    MsModeSettings& m = pro.Ms.Mode[std::clamp(nMode, 0, kMsModeNum - 1)];
    return m.Key[std::clamp(nSet, 0, kMsKeySetNum - 1)];
}
const KeyInfo (&Table(const ProfileRecord& pro, int nMode, int nSet))[kMsKeyNum]
{
    return Table(const_cast<ProfileRecord&>(pro), nMode, nSet);
}
// The key table a mode uses now.
int ActiveSet(const ProfileRecord& pro, int nMode) { return std::clamp(pro.Ms.Mode[nMode].nKeySet, 0, kMsKeySetNum - 1); }

int Keys(const MouseKeyContext& ctx) { return std::clamp(ctx.nKM, 1, kMsKeyNum); }

KeyInfo DefaultOf(const MouseKeyContext& ctx, int nMode, int nSlot)
{
    return ctx.pLayout ? ctx.pLayout[std::clamp(nMode, 0, kMsModeNum - 1)][nSlot] : KeyInfo{};
}

ChooseStep Refuse(std::u16string text)
{
    ChooseStep s;
    s.bRefused = true;
    s.strMessage = std::move(text);
    return s;
}

// A table keeps a left button after slot nSlot takes dwNew.
bool KeepsLeftButton(const KeyInfo (&t)[kMsKeyNum], int nSlot, uint32_t dwNew, int nKeys)
{
    if (dwNew == kFunLeftClick) return true;
    for (int i = 0; i < nKeys; ++i)
        if (i != nSlot && t[i].FunID == kFunLeftClick) return true;
    return false;
}

}  // namespace

MouseKeyContext MouseKeyContext::FromGvar(const ProfileRecord& pro)
{
    MouseKeyContext c;
    c.nMode = std::clamp(pro.Ms.ProMirex.nMode, 0, kMsModeNum - 1);
    c.nKeySet = ActiveSet(pro, c.nMode);
    c.nKM = pSensorCfg && pSensorCfg->nKM > 0 ? pSensorCfg->nKM : 7;
    c.nMsFw = gVar.nMsFw;
    c.nGunKeyParam = gVar.Ms.nGunKeyParam;
    c.pExKey = gVar.Ms.ExKey;
    c.pLayout = g_MsKeyLayout;
    c.isValid = [](const KeyInfo& k) { return IsFunctionValid(k); };
    return c;
}

KeyInfo MacroKeyRecord(uint32_t nMacroId)
{
    KeyInfo k{};
    k.FunID = kFunMacro;
    k.MacroID = nMacroId & 0xFFFFFF;
    return k;
}

KeyInfo CapturedKeyRecord(uint8_t byModifier, uint8_t byKey1, uint8_t byKey2)
{
    KeyInfo k{};
    k.FunID = byModifier ? kFunKeyCombo : kFunKeyPlain;
    k.byModifier = byModifier;
    k.byKey1 = byKey1;
    k.byKey2 = byKey2;
    return k;
}

KeyInfo FireKeyRecord(uint8_t byKey, uint8_t byInterval, uint8_t byCount)
{
    KeyInfo k{};
    k.FunID = kFunFire;
    FireKeyParam fire{};
    fire.byKey = byKey;
    fire.byFire2 = byInterval;
    fire.byFire1 = byCount;
    k.dwParam = PackFireKey(fire);
    return k;
}

KeyInfo KeySnipeRecord(ZColor clr)
{
    KeyInfo k{};
    k.FunID = kFunKeySnipe;
    k.dwParam = clr;
    return k;
}

ChooseStep ChooseFunction(uint32_t dwCode, int nSlot, const ProfileRecord& pro, const MouseKeyContext& ctx,
                          bool bHaveMacros)
{
    if (nSlot < 0 || nSlot >= kMsKeyNum) return Refuse(u"");
    const auto& cur = Table(pro, ctx.nMode, ctx.nKeySet);
    const uint8_t byClass = FunClass(dwCode);
    const uint32_t dwValue = FunValue(dwCode);
    ChooseStep s;
    s.rec.FunID = dwCode;
    switch (byClass) {
    case FUN_MACRO:
        if (!bHaveMacros) return Refuse(Text(ctx, "tc_msg9"));
        s.dialog = KeyDialog::MacroPicker;
        return s;
    case FUN_KEY:
        s.dialog = KeyDialog::KeyCapture;
        return s;
    case FUN_SPECIAL:
        switch (dwValue & 0xFF) {
        case kSpFire:
            s.dialog = KeyDialog::FireKey;
            return s;
        case kSpSnipe:
            s.rec.FunID = kFunSnipe;
            s.rec.dwParam = (dwCode >> 8 & 0xFF) + 1;
            return s;
        case kSpKeySnipe:
            for (int i = 0; i < kMsKeyNum; ++i)
                if (i != nSlot && cur[i].FunID == kFunKeySnipe) return Refuse(Text(ctx, "tc_keysnipe2"));
            s.dialog = KeyDialog::ColourPanel;
            return s;
        case kSpCustomKey:
            s.rec.dwParam = uint32_t(ctx.nGunKeyParam);
            return s;
        default:
            return s;
        }
    case FUN_EXKEY:
        if (dwValue >= kExKeyIndexCount || !ctx.pExKey || ctx.pExKey[dwValue] == 0) return Refuse(u"Wrong Ex Key Index");
        s.rec.dwParam = uint32_t(ctx.pExKey[dwValue]);
        return s;
    case FUN_MENU:
        if (dwValue == kMenuGunSwitch) {
            s.rec.FunID = kFunGunSwitch;
            return s;
        }
        if (dwValue == kMenuGunPreset) {
            const uint32_t dwCur = cur[nSlot].FunID;
            if (dwCur != kFunGunPreset && FunClass(dwCur) != FUN_BULLET) {
                const auto& second = Table(pro, 1, ActiveSet(pro, 1));
                const int nUsed = int(std::count_if(std::begin(second), std::end(second), [](const KeyInfo& k) {
                    return k.FunID == kFunGunPreset || FunClass(k.FunID) == FUN_BULLET;
                }));
                const int nMax = ctx.nKM > 0 ? ctx.nKM - 1 : 6;
                if (nUsed > nMax) return Refuse(Text(ctx, "tc_chiji20"));
            }
            s.dialog = KeyDialog::GunPresets;
            return s;
        }
        return Refuse(u"");
    default:
        return s;
    }
}

AssignResult AssignKey(ProfileRecord& pro, int nSlot, KeyInfo rec, const MouseKeyContext& ctx)
{
    AssignResult r;
    if (nSlot < 0 || nSlot >= kMsKeyNum) return r;
    const int nKeys = Keys(ctx);
    auto& edited = Table(pro, ctx.nMode, ctx.nKeySet);
    auto& first = Table(pro, 0, ActiveSet(pro, 0));
    auto& second = Table(pro, 1, ActiveSet(pro, 1));
    const bool bModeSwitch = rec.FunID == kFunModeSwitch;
    const bool bUndoSwitch = !bModeSwitch && (first[nSlot].FunID == kFunModeSwitch || second[nSlot].FunID == kFunModeSwitch);

    // Every table the store writes keeps a left button.
    const auto keeps = [&](const KeyInfo (&t)[kMsKeyNum], uint32_t dwNew) { return KeepsLeftButton(t, nSlot, dwNew, nKeys); };
    bool bLeftOk = true;
    if (bModeSwitch) {
        bLeftOk = keeps(first, rec.FunID) && keeps(second, rec.FunID);
    } else {
        bLeftOk = keeps(edited, rec.FunID);
        if (bUndoSwitch) {
            bLeftOk = bLeftOk && keeps(first, DefaultOf(ctx, 0, nSlot).FunID) &&
                      keeps(second, DefaultOf(ctx, 0, nSlot).FunID);
        }
    }
    if (!bLeftOk) {
        r.strMessage = Text(ctx, "tc_ms12");
        return r;
    }

    // A macro or bullet not referenced yet must fit the mouse's buffers.
    const uint8_t byClass = FunClass(rec.FunID);
    if (byClass == FUN_MACRO || byClass == FUN_BULLET) {
        std::set<uint32_t> macros, bullets;
        bool bKnown = false;
        for (int m = 0; m < kMsModeNum; ++m) {
            const auto& t = Table(pro, m, ActiveSet(pro, m));
            for (int i = 0; i < std::min(20, kMsKeyNum); ++i) {
                if (&t == &edited && i == nSlot) continue;
                const uint8_t c = FunClass(t[i].FunID);
                if (c != FUN_MACRO && c != FUN_BULLET) continue;
                if (c == byClass && t[i].MacroID == rec.MacroID) bKnown = true;
                (c == FUN_MACRO ? macros : bullets).insert(t[i].MacroID);
            }
        }
        if (!bKnown) {
            const int M = int(std::min<size_t>(macros.size(), 20)), B = int(std::min<size_t>(bullets.size(), 20));
            const int nKind = ctx.nMsFw & 0x0F;
            const bool bBullet = byClass == FUN_BULLET;
            bool bRefuse;
            if (nKind == 1 || nKind == 3)
                bRefuse = M + B > 13 || (bBullet && B >= 8);
            else if (nKind == 4)
                bRefuse = M + B >= 20;
            else
                bRefuse = bBullet ? B > 9 : M >= 10;
            if (bRefuse) {
                r.strMessage = Text(ctx, "tc_msg26");
                return r;
            }
        }
    }

    rec.MatrixInx = DefaultOf(ctx, 0, nSlot).MatrixInx;
    if (bModeSwitch) {
        first[nSlot] = rec;
        second[nSlot] = rec;
    } else {
        if (bUndoSwitch) first[nSlot] = second[nSlot] = DefaultOf(ctx, 0, nSlot);
        edited[nSlot] = rec;
    }
    r.bOk = true;
    return r;
}

int ResetDanglingKeys(ProfileRecord& pro, const MouseKeyContext& ctx)
{
    if (!ctx.isValid) return 0;
    auto& t = Table(pro, ctx.nMode, ctx.nKeySet);
    int n = 0;
    for (int i = 0; i < Keys(ctx); ++i)
        if (!ctx.isValid(t[i])) {
            t[i] = DefaultOf(ctx, ctx.nMode, i);
            ++n;
        }
    return n;
}
