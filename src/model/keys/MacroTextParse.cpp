// Reading the text form of macros and bullets (MacroText.h): one line at a
// time, every bad line reported with its number and what is wrong with it.
#include <cstring>
#include <vector>

#include "core/Utf.h"
#include "keys/MacroText.h"
#include "keys/MacroTextWords.h"

using namespace macrotext;

namespace {

bool UnquoteName(std::string_view s, std::u16string& out, std::string& strWhy)
{
    if (s.size() < 2 || s.front() != '"' || s.back() != '"') { strWhy = "the name must be in double quotes"; return false; }
    s = s.substr(1, s.size() - 2);
    std::string run;  // plain UTF-8 between escapes
    auto flush = [&] {
        if (!IsValidUtf8(run)) return false;
        out += Utf8ToU16(run);
        run.clear();
        return true;
    };
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '"') { strWhy = "a quote inside the name must be written \\\""; return false; }
        if (s[i] != '\\') { run += s[i]; continue; }
        if (!flush()) { strWhy = "the name is not valid UTF-8"; return false; }
        if (++i >= s.size()) { strWhy = "the name ends with a lone backslash"; return false; }
        const char e = s[i];
        if (e == '"' || e == '\\') out += char16_t(e);
        else if (e == 'n') out += u'\n';
        else if (e == 't') out += u'\t';
        else if (e == 'x' || e == 'u') {
            const size_t nDigits = e == 'x' ? 2 : 4;
            unsigned v = 0;
            for (size_t k = 0; k < nDigits; ++k) {
                const int h = i + 1 + k < s.size() ? HexValue(s[i + 1 + k]) : -1;
                if (h < 0) { strWhy = Printf("\\%c needs %zu hex digits", e, nDigits); return false; }
                v = v * 16 + unsigned(h);
            }
            out += char16_t(v);
            i += nDigits;
        } else { strWhy = Printf("unknown escape \\%c in the name", e); return false; }
    }
    if (!flush()) { strWhy = "the name is not valid UTF-8"; return false; }
    return true;
}

// ---- parsing -------------------------------------------------------------------------

std::vector<std::string_view> SplitWords(std::string_view line)
{
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        const size_t nStart = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
        if (i > nStart) words.push_back(line.substr(nStart, i - nStart));
    }
    return words;
}

bool ParseMs(std::string_view w, uint32_t& ms)
{
    return w.size() > 2 && EqualsNoCase(w.substr(w.size() - 2), "ms") && ParseNumber(w.substr(0, w.size() - 2), ms);
}

// The words after the verb and its operands: an optional delay, then extras.
struct Tail {
    uint32_t nDelay = 0;
    bool bState = false, bParam = false, bFlag = false;
    uint16_t wState = 0;
    uint8_t byParam = 0, byFlag = 0;
};

bool ParseTail(const std::vector<std::string_view>& w, size_t i, MacroKind kind, Tail& t, std::string& strWhy)
{
    if (i < w.size() && ParseMs(w[i], t.nDelay)) ++i;
    for (; i < w.size(); ++i) {
        const std::string_view s = w[i];
        const size_t nEq = s.find('=');
        const std::string_view key = s.substr(0, nEq), val = nEq == std::string_view::npos ? "" : s.substr(nEq + 1);
        if (nEq != std::string_view::npos && key == "state" && ParseNumber(val, t.wState)) t.bState = true;
        else if (nEq != std::string_view::npos && key == "param" && kind == MacroKind::Macro && ParseNumber(val, t.byParam)) t.bParam = true;
        else if (nEq != std::string_view::npos && key == "flag" && kind == MacroKind::Bullet && ParseNumber(val, t.byFlag)) t.bFlag = true;
        else {
            strWhy = "unexpected \"" + std::string(s) + "\" (expected a delay like 50ms" +
                     (kind == MacroKind::Macro ? ", state=N or param=N)" : ", state=N or flag=N)");
            if (nEq != std::string_view::npos && (key == "state" || key == "param" || key == "flag"))
                strWhy = "bad value in \"" + std::string(s) + "\"";
            return false;
        }
    }
    return true;
}

bool ParseAmount(std::string_view w, uint8_t& v, std::string& strWhy)
{
    unsigned n = 0;
    if (!ParseNumber(w, n) || n > 127) { strWhy = "amount \"" + std::string(w) + "\" is not a number from 0 to 127"; return false; }
    v = uint8_t(n);
    return true;
}

bool ParseKey(std::string_view w, uint8_t& code, std::string& strWhy)
{
    if (ParseMacroTextKeyName(w, code)) return true;
    strWhy = "unknown key \"" + std::string(w) + "\"";
    return false;
}

bool ParseMacroAction(const std::vector<std::string_view>& w, MacroAction& a, std::string& strWhy)
{
    const std::string_view verb = w[0];
    size_t i = 1;
    bool bPress = false;
    if (EqualsNoCase(verb, "down") || EqualsNoCase(verb, "up")) {
        if (w.size() < 2) { strWhy = "which key? (down A)"; return false; }
        if (!ParseKey(w[1], a.byCode, strWhy)) return false;
        bPress = EqualsNoCase(verb, "down");
        i = 2;
    } else if (EqualsNoCase(verb, "wheel")) {
        if (w.size() < 3 || !(EqualsNoCase(w[1], "up") || EqualsNoCase(w[1], "down"))) {
            strWhy = "wheel needs up or down and a number of steps (wheel up 3)";
            return false;
        }
        a.byCode = EqualsNoCase(w[1], "up") ? kMacroCodeWheelUp : kMacroCodeWheelDown;
        if (!ParseAmount(w[2], a.byParam, strWhy)) return false;
        i = 3;
    } else if (EqualsNoCase(verb, "move")) {
        size_t nDir = 4;
        for (size_t k = 0; w.size() >= 3 && k < 4; ++k)
            if (EqualsNoCase(w[1], kMoveWords[k])) nDir = k;
        if (nDir == 4) { strWhy = "move needs up, down, left or right and an amount (move left 5)"; return false; }
        a.byCode = uint8_t(kMacroCodeMoveUp + nDir);
        if (!ParseAmount(w[2], a.byParam, strWhy)) return false;
        i = 3;
    } else if (EqualsNoCase(verb, "mouse-action")) a.byCode = kMacroCodeMouseAction;
    else if (EqualsNoCase(verb, "wait")) a.byCode = 0;
    else {
        strWhy = "unknown action \"" + std::string(verb) + "\" (down, up, wheel, move, mouse-action, wait)";
        return false;
    }
    Tail t;
    if (!ParseTail(w, i, MacroKind::Macro, t, strWhy)) return false;
    a.SetDelay(t.nDelay);
    a.wState = t.bState ? t.wState : uint16_t(bPress ? 1 : 0);
    if (bPress && a.wState == 0) { strWhy = "a key press cannot have state=0 (that is a release: up)"; return false; }
    if (!bPress && (EqualsNoCase(verb, "up")) && a.wState != 0) { strWhy = "a release has state 0"; return false; }
    if (t.bParam) {
        if (a.byCode == kMacroCodeWheelUp || a.byCode == kMacroCodeWheelDown ||
            (a.byCode >= kMacroCodeMoveUp && a.byCode <= kMacroCodeMoveRight)) {
            strWhy = "param= is the amount of this action; write it after the direction";
            return false;
        }
        a.byParam = t.byParam;
    }
    return true;
}

bool ParseBulletStep(const std::vector<std::string_view>& w, MacroAction& a, std::string& strWhy)
{
    const std::string_view verb = w[0];
    size_t i = 1;
    uint8_t byFlag = 0;
    uint16_t wState = 0;
    if (EqualsNoCase(verb, "move")) {
        int x = 0, y = 0;
        const std::string_view xy = w.size() >= 2 ? w[1] : std::string_view();
        const size_t nComma = xy.find(',');
        if (nComma == std::string_view::npos || !ParseNumber(xy.substr(0, nComma), x) ||
            !ParseNumber(xy.substr(nComma + 1), y) || x < -127 || x > 127 || y < -127 || y > 127) {
            strWhy = "move needs X,Y from -127 to 127 (move 0,10)";
            return false;
        }
        a.byCode = kBulletCodeMove;
        wState = uint16_t(uint8_t(int8_t(x)) | uint8_t(int8_t(y)) << 8);
        i = 2;
    } else if (EqualsNoCase(verb, "click")) {
        uint32_t nHold = 0;
        if (w.size() < 4 || !EqualsNoCase(w[2], "for") || !ParseMs(w[3], nHold) || nHold > 0xFFFF) {
            strWhy = "click needs a key and how long it is held, up to 65535 ms (click LButton for 20ms)";
            return false;
        }
        if (!ParseKey(w[1], a.byCode, strWhy)) return false;
        wState = uint16_t(nHold);
        i = 4;
    } else if (EqualsNoCase(verb, "down") || EqualsNoCase(verb, "up")) {
        if (w.size() < 2) { strWhy = "which key? (down A)"; return false; }
        if (!ParseKey(w[1], a.byCode, strWhy)) return false;
        byFlag = 1;
        wState = EqualsNoCase(verb, "down") ? 1 : 0;
        i = 2;
    } else if (EqualsNoCase(verb, "wait")) a.byCode = 0;
    else {
        strWhy = "unknown step \"" + std::string(verb) + "\" (move, click, down, up, wait)";
        return false;
    }
    Tail t;
    if (!ParseTail(w, i, MacroKind::Bullet, t, strWhy)) return false;
    a.SetDelay(t.nDelay);
    a.byParam = t.bFlag ? t.byFlag : byFlag;
    a.wState = t.bState ? t.wState : wState;
    if (t.bState && (EqualsNoCase(verb, "move") || EqualsNoCase(verb, "click"))) {
        strWhy = "state= is given by the step itself here";
        return false;
    }
    if (a.byCode != kBulletCodeMove && (EqualsNoCase(verb, "down") || EqualsNoCase(verb, "up"))) {
        if (a.byParam == 0) { strWhy = "a press or release needs a non-zero flag"; return false; }
        if ((a.wState != 0) != EqualsNoCase(verb, "down")) { strWhy = "the state does not match down or up"; return false; }
    }
    if (a.byCode == kBulletCodeMove && !EqualsNoCase(verb, "move")) {
        strWhy = "key code 252 is a movement in a bullet (move X,Y)";
        return false;
    }
    if (EqualsNoCase(verb, "wait") && a.byParam != 0) { strWhy = "wait has flag 0 (a step with a flag is down or up)"; return false; }
    if (EqualsNoCase(verb, "click") && (a.byCode == 0 || a.byParam != 0)) {
        strWhy = a.byCode == 0 ? "a timed click needs a key" : "a timed click has flag 0";
        return false;
    }
    return true;
}

struct Header {
    bool bSeen[12] = {};
};

enum HeaderKey { kKind, kName, kId, kRepeat, kLoops, kAutoDelay, kFire, kOwner, kLock, kSlot, kFlags, kReserved, kHeaderNum };
constexpr const char* kHeaderWords[kHeaderNum] = {"kind", "name", "id", "repeat", "loops", "auto-delay",
                                                   "fire", "owner", "lock", "slot", "flags", "reserved"};

bool ParseHeader(HeaderKey key, std::string_view rest, const std::vector<std::string_view>& w, MacroKind kind,
                 MacroRecord& rec, std::string& strWhy)
{
    const bool bOneValue = w.size() == 2;
    auto needOne = [&](const char* pszWhat) {
        strWhy = std::string(kHeaderWords[key]) + " needs " + pszWhat;
        return false;
    };
    switch (key) {
    case kKind:
        if (!bOneValue || !(EqualsNoCase(w[1], "macro") || EqualsNoCase(w[1], "bullet"))) return needOne("macro or bullet");
        if (EqualsNoCase(w[1], "bullet") != (kind == MacroKind::Bullet)) {
            strWhy = kind == MacroKind::Bullet ? "this text is a macro, not a bullet" : "this text is a bullet, not a macro";
            return false;
        }
        return true;
    case kName: {
        std::u16string name;
        if (!UnquoteName(rest, name, strWhy)) return false;
        if (name.size() > size_t(kMacroNameMax)) { strWhy = "the name is longer than 39 characters"; return false; }
        CopyToFixed(rec.szName, name);
        return true;
    }
    case kId:
        if (!bOneValue || !ParseNumber(w[1], rec.MacroID)) return needOne("a number (id 0x11492C)");
        return true;
    case kRepeat:
        if (!bOneValue) return needOne("count, until-key or while-held");
        for (uint32_t m = 0; m < 3; ++m)
            if (EqualsNoCase(w[1], kRepeatWords[m])) { rec.nRepeatMode = m; return true; }
        if (!ParseNumber(w[1], rec.nRepeatMode)) return needOne("count, until-key or while-held");
        return true;
    case kLoops:
        if (!bOneValue || !ParseNumber(w[1], rec.wLoopCount)) return needOne("a number from 0 to 65535");
        return true;
    case kAutoDelay:
        if (kind != MacroKind::Macro) { strWhy = "auto-delay is for macros (bullets have fire)"; return false; }
        if (!bOneValue || !ParseNumber(w[1], rec.nAutoDelay)) return needOne("0 or 1");
        return true;
    case kFire: {
        if (kind != MacroKind::Bullet) { strWhy = "fire is for bullets (macros have auto-delay)"; return false; }
        uint8_t code = 0;
        if (bOneValue && ParseMacroTextKeyName(w[1], code)) { rec.nFireCode = code; return true; }
        if (!bOneValue || !ParseNumber(w[1], rec.nFireCode)) return needOne("a button or key (fire LButton)");
        return true;
    }
    case kOwner:
        if (!bOneValue || !ParseNumber(w[1], rec.byOwner)) return needOne("a number from 0 to 255");
        return true;
    case kLock:
        if (bOneValue && EqualsNoCase(w[1], "yes")) rec.byLock = MACRO_LOCK;
        else if (bOneValue && EqualsNoCase(w[1], "no")) rec.byLock = 0;
        else if (!bOneValue || !ParseNumber(w[1], rec.byLock)) return needOne("yes or no");
        return true;
    case kSlot:
        if (!bOneValue || !ParseNumber(w[1], rec.bySlot)) return needOne("a number from 0 to 255");
        return true;
    case kFlags:
        if (!bOneValue || !ParseNumber(w[1], rec.dwFlags)) return needOne("a 32-bit number");
        return true;
    case kReserved: {
        if (!bOneValue || w[1].size() != 14) return needOne("14 hex digits");
        uint8_t b[7];
        for (int k = 0; k < 7; ++k) {
            const int hi = HexValue(w[1][2 * k]), lo = HexValue(w[1][2 * k + 1]);
            if (hi < 0 || lo < 0) return needOne("14 hex digits");
            b[k] = uint8_t(hi * 16 + lo);
        }
        rec.byReserved103 = b[0];
        std::memcpy(rec.byReserved1474, b + 1, 6);
        return true;
    }
    default:
        return false;
    }
}
}  // namespace

bool ParseMacroText(std::string_view text, MacroKind kind, MacroRecord& out, std::vector<MacroTextError>& errors)
{
    const size_t nErrorsBefore = errors.size();
    out = MacroRecord{};
    out.dwMagic = MACRO_MAGIC;
    out.wLoopCount = 1;
    if (kind == MacroKind::Bullet) out.nFireCode = kMacroCodeLButton;
    else out.nAutoDelay = 1;

    bool bSeen[kHeaderNum] = {};
    int nActions = 0;
    int nLine = 0;
    size_t nPos = 0;
    while (nPos < text.size()) {
        size_t nEnd = text.find('\n', nPos);
        if (nEnd == std::string_view::npos) nEnd = text.size();
        std::string_view line = text.substr(nPos, nEnd - nPos);
        nPos = nEnd + 1;
        ++nLine;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::vector<std::string_view> w = SplitWords(line);
        if (w.empty() || w[0][0] == '#') continue;

        std::string strWhy;
        int nKey = -1;
        for (int k = 0; k < kHeaderNum; ++k)
            if (EqualsNoCase(w[0], kHeaderWords[k])) nKey = k;
        if (nKey >= 0) {
            if (bSeen[nKey]) strWhy = std::string(kHeaderWords[nKey]) + " is given twice";
            else {
                bSeen[nKey] = true;
                const size_t nRest = line.find(w[0]) + w[0].size();
                std::string_view rest = line.substr(nRest);
                while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
                while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.remove_suffix(1);
                ParseHeader(HeaderKey(nKey), rest, w, kind, out, strWhy);
            }
        } else if (nActions >= kMacroActionNum) {
            strWhy = "more than 171 actions";
        } else {
            MacroAction a{};
            const bool bOk = kind == MacroKind::Bullet ? ParseBulletStep(w, a, strWhy) : ParseMacroAction(w, a, strWhy);
            if (bOk && (kind == MacroKind::Bullet ? a.EndsBullet() : a.EndsMacro()))
                strWhy = "this entry would end the list: it needs a delay (wait 20ms)";
            else if (bOk) out.Action[nActions++] = a;
        }
        if (!strWhy.empty()) errors.push_back({nLine, strWhy});
    }
    return errors.size() == nErrorsBefore;
}
