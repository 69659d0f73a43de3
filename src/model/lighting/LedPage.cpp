#include "lighting/LedPage.h"

#include <algorithm>

#include "core/Gvar.h"
#include "text/TextCatalogue.h"

namespace {
constexpr size_t kModeNameMax = 39;
constexpr int kKbModesNamed = 24;
constexpr int kMsModesNamed = kMsLedOptNum;
constexpr int kPadModesNamed = kPadLedModeNum;
constexpr int kKbColours = 7, kMsColours = 10, kPadColours = 7;
// The pad's brightness steps, as the pad takes them.
constexpr int kPadBright[] = {0x20, 0x50, 0x70, 0x100};
constexpr int kPadSpeedLow = 1, kPadSpeedHigh = 4;

// The mode directions each design stores for its first and second button.
struct DirectCodes {
    int nFirst, nSecond;
};
constexpr DirectCodes kKbDirect{1, 2}, kMsDirect{3, 4}, kPadDirect{6, 5};

std::vector<int> Range(int nLow, int nHigh)
{
    std::vector<int> v;
    for (int n = nLow; n <= nHigh; ++n) v.push_back(n);
    return v;
}

// Byte 1 the lowest value, byte 2 the highest; an empty or reversed range gives the default.
std::vector<int> PackedRange(int32_t nPacked, int nDefLow, int nDefHigh)
{
    const int nLow = (nPacked >> 8) & 0xFF, nHigh = (nPacked >> 16) & 0xFF;
    return nHigh >= nLow && nPacked != 0 ? Range(nLow, nHigh) : Range(nDefLow, nDefHigh);
}

// A mouse list slider: the positions 0..n-1 of a table of n values.
std::vector<int> Positions(int32_t nCount, int nDefault)
{
    const int n = nCount > 0 && nCount <= 8 ? nCount : nDefault;
    return Range(0, n - 1);
}

std::u16string Cut(const std::u16string& s) { return s.size() > kModeNameMax ? s.substr(0, kModeNameMax) : s; }

const std::u16string& ModeName(LedDesign d, const CTextTable& text, int i, int32_t nKbFw)
{
    switch (d) {
    case LedDesign::Keyboard:
        if (nKbFw == 21 && !text.tc_Varo_led(i + 1).empty()) return text.tc_Varo_led(i + 1);
        return text.tc_kb_led(i + 1);
    case LedDesign::Mouse: return text.tc_ms_led(i + 1);
    case LedDesign::Pad: return text.tc_pad_led(i + 1);
    case LedDesign::None: break;
    }
    static const std::u16string s_strEmpty;
    return s_strEmpty;
}

int NamedModes(LedDesign d)
{
    return d == LedDesign::Keyboard ? kKbModesNamed : d == LedDesign::Mouse ? kMsModesNamed
                                                    : d == LedDesign::Pad   ? kPadModesNamed
                                                                            : 0;
}

int DirectOf(int nStored, DirectCodes c) { return nStored == c.nFirst ? 1 : nStored == c.nSecond ? 2 : 0; }
int StoredDirect(int nDirect, DirectCodes c, int nOld)
{
    return nDirect == 1 ? c.nFirst : nDirect == 2 ? c.nSecond : nOld;
}
bool Offers(const std::vector<int>& values, int n) { return std::find(values.begin(), values.end(), n) != values.end(); }
}  // namespace

LedDesign KeyboardLedDesign(int32_t nKbFw)
{
    return nKbFw >= 20 && nKbFw <= 24 ? LedDesign::Keyboard : LedDesign::None;
}

LedDesign MouseLedDesign(int32_t nMsFw) { return nMsFw != 0 ? LedDesign::Mouse : LedDesign::None; }

int LedModeCount(LedDesign d)
{
    return d == LedDesign::Keyboard ? kKbLedModeNum : d == LedDesign::Mouse ? kMsLedModeNum
                                                    : d == LedDesign::Pad   ? kPadLedModeNum
                                                                            : 0;
}

std::vector<LedModeItem> LedModeList(LedDesign d, const CTextTable& text, int32_t nLedMask, int32_t nKbFw,
                                     int& nCounted)
{
    std::vector<LedModeItem> list;
    nCounted = 0;
    const int nMax = std::min(NamedModes(d), LedModeCount(d));
    for (int i = 0; i < nMax; ++i) {
        const std::u16string& name = ModeName(d, text, i, nKbFw);
        if (name.empty()) break;
        ++nCounted;
        if (i < 32 && (nLedMask >> i) & 1) continue;
        list.push_back({i, Cut(name)});
    }
    return list;
}

LedControls LedControlsOf(LedDesign d, int nMode)
{
    LedControls c;
    if (nMode < 0 || nMode >= LedModeCount(d)) return c;
    switch (d) {
    case LedDesign::Keyboard: {
        const KbDesc& kb = gVar.Kb;
        if (kb.nGaoshouIndex != 0 && nMode == kb.nGaoshouIndex) {
            c.bGame = true;
            return c;
        }
        if (nMode >= kKbLedOptNum) return c;
        const LedOptKb& o = kb.LedOpt[nMode];
        const bool b21 = gVar.nKbFw == 21;
        c.bSpeed = o.bSpeed != 0;
        c.bBright = o.bBright != 0;
        c.bDirect = o.bDirect != 0;
        c.bFlag = o.bColorful != 0;
        c.nColors = o.nColors != 0 ? 1 : 0;
        c.speedValues = PackedRange(kb.nSpeedNum, b21 ? 0 : 1, 4);
        c.brightValues = PackedRange(kb.nBriNum, b21 ? 0 : 1, b21 ? 5 : 4);
        return c;
    }
    case LedDesign::Mouse: {
        const MsDesc& ms = gVar.Ms;
        if (nMode >= kMsLedOptNum || !ms.LedOpt[nMode].bValid) return c;
        const LedOptMs& o = ms.LedOpt[nMode];
        c.bSpeed = o.nPara2 != 0;
        c.bBright = o.nPara3 != 0;
        c.bDirect = o.nPara4 != 0;
        c.bFlag = o.nPara5 != 0;
        c.nColors = std::clamp(int(o.nClrNum), 0, kMsColours);
        c.bAddRemove = c.nColors > 1;
        c.speedValues = Positions(ms.nSpeedNum, 3);
        c.brightValues = Positions(ms.nLightNum, 4);
        return c;
    }
    case LedDesign::Pad:
        c.bSpeed = c.bBright = c.bDirect = c.bFlag = true;
        c.nColors = kPadColours;
        c.speedValues = Range(kPadSpeedLow, kPadSpeedHigh);
        c.brightValues.assign(std::begin(kPadBright), std::end(kPadBright));
        return c;
    case LedDesign::None: break;
    }
    return c;
}

int CurrentLedMode(LedDesign d, const ProfileRecord& pro)
{
    switch (d) {
    case LedDesign::Keyboard: return pro.Kb.nLedMode;
    case LedDesign::Mouse: return pro.Ms.Mode[std::clamp(pro.Ms.ProMirex.nMode, 0, kMsModeNum - 1)].Led.nLedMode;
    case LedDesign::Pad: return pro.Pad.nLedMode;
    case LedDesign::None: break;
    }
    return 0;
}

bool SetCurrentLedMode(LedDesign d, ProfileRecord& pro, int nMode)
{
    if (nMode < 0 || nMode >= LedModeCount(d)) return false;
    switch (d) {
    case LedDesign::Keyboard: pro.Kb.nLedMode = nMode; return true;
    case LedDesign::Mouse:
        pro.Ms.Mode[std::clamp(pro.Ms.ProMirex.nMode, 0, kMsModeNum - 1)].Led.nLedMode = nMode;
        return true;
    case LedDesign::Pad: pro.Pad.nLedMode = nMode; return true;
    case LedDesign::None: break;
    }
    return false;
}

LedValues ReadLedValues(LedDesign d, const ProfileRecord& pro, int nMode)
{
    LedValues v;
    if (nMode < 0 || nMode >= LedModeCount(d)) return v;
    switch (d) {
    case LedDesign::Keyboard: {
        const KbLedMode& m = pro.Kb.Led[nMode];
        v.nSpeed = m.nSpeed;
        v.nBright = m.nBright;
        v.nDirect = DirectOf(m.nDirect, kKbDirect);
        v.bFlag = m.bColorful != 0;
        v.colours.assign(std::begin(m.clr), std::end(m.clr));
        v.nSelected = std::clamp(int(m.nClrIndex), 0, kKbColours - 1);
        break;
    }
    case LedDesign::Mouse: {
        const MsLedMode& m = pro.Ms.Mode[std::clamp(pro.Ms.ProMirex.nMode, 0, kMsModeNum - 1)].Led.Mode[nMode];
        v.nSpeed = m.nSpeed;
        v.nBright = m.nBright;
        v.nDirect = DirectOf(m.nDirect, kMsDirect);
        v.bFlag = m.bFlag != 0;
        v.colours.assign(std::begin(m.clr), std::end(m.clr));
        v.nColorCount = m.nColorCount;
        break;
    }
    case LedDesign::Pad: {
        const PadLedMode& m = pro.Pad.Mode[nMode];
        v.nSpeed = m.nSpeed & 0x0F;
        v.nBright = m.nBright;
        v.nDirect = DirectOf(m.nDirect, kPadDirect);
        v.bFlag = m.bFlag != 0;
        v.colours.assign(std::begin(m.clr), std::end(m.clr));
        break;
    }
    case LedDesign::None: break;
    }
    return v;
}

bool WriteLedValues(LedDesign d, ProfileRecord& pro, int nMode, const LedValues& v)
{
    if (nMode < 0 || nMode >= LedModeCount(d)) return false;
    const LedControls c = LedControlsOf(d, nMode);
    auto copyColours = [&v](ZColor* pClr, int nCount) {
        for (int i = 0; i < nCount && size_t(i) < v.colours.size(); ++i) pClr[i] = v.colours[size_t(i)] & 0xFFFFFF;
    };
    switch (d) {
    case LedDesign::Keyboard: {
        KbLedMode& m = pro.Kb.Led[nMode];
        if (Offers(c.speedValues, v.nSpeed)) m.nSpeed = v.nSpeed;
        if (Offers(c.brightValues, v.nBright)) m.nBright = v.nBright;
        m.nDirect = StoredDirect(v.nDirect, kKbDirect, m.nDirect);
        m.bColorful = v.bFlag ? 1 : 0;
        copyColours(m.clr, kKbColours);
        m.nClrIndex = std::clamp(v.nSelected, 0, kKbColours - 1);
        return true;
    }
    case LedDesign::Mouse: {
        MsLedMode& m = pro.Ms.Mode[std::clamp(pro.Ms.ProMirex.nMode, 0, kMsModeNum - 1)].Led.Mode[nMode];
        if (Offers(c.speedValues, v.nSpeed)) m.nSpeed = v.nSpeed;
        if (Offers(c.brightValues, v.nBright)) m.nBright = v.nBright;
        m.nDirect = StoredDirect(v.nDirect, kMsDirect, m.nDirect);
        m.bFlag = v.bFlag ? 1 : 0;
        copyColours(m.clr, kMsColours);
        const int nCount = c.nColors > 0 ? std::clamp(v.nColorCount, 1, c.nColors) : 0;
        m.nColorCount = nCount;
        m.nColorMask = nCount > 0 ? (1 << nCount) - 1 : 0;
        // An effect that shows colours but has none in use lights every one.
        if (nMode == 7 && nCount == 0) m.nColorMask = 255;
        return true;
    }
    case LedDesign::Pad: {
        PadLedMode& m = pro.Pad.Mode[nMode];
        if (Offers(c.speedValues, v.nSpeed)) m.nSpeed = (m.nSpeed & ~0x0F) | v.nSpeed;
        if (Offers(c.brightValues, v.nBright)) m.nBright = v.nBright;
        m.nDirect = StoredDirect(v.nDirect, kPadDirect, m.nDirect);
        m.bFlag = v.bFlag ? 1 : 0;
        copyColours(m.clr, kPadColours);
        m.nColorMask = (1 << kPadColours) - 1;
        return true;
    }
    case LedDesign::None: break;
    }
    return false;
}

int GameGroupCount() { return std::clamp(int(gVar.Kb.nGaoshouGroupNum), 1, kKbGameGroupNum); }

bool GameGroupListShown() { return GameGroupCount() >= 2 && gVar.Kb.nShowGaoshouGroup != 0; }

bool GameGroupEditable(int g)
{
    return g >= 0 && g < kKbGameGroupNum && g >= gVar.Kb.CustomGp[0] && g <= gVar.Kb.CustomGp[1];
}

bool GameKeyPaintable(int nSlot)
{
    if (nSlot < 0 || nSlot >= std::min(int(gVar.Kb.nKeyNum), kKbDefKeyNum)) return false;
    if (g_defKEY[nSlot].LedInx < 0) return false;
    return std::none_of(std::begin(gVar.Kb.KeyNotToSetColor), std::end(gVar.Kb.KeyNotToSetColor),
                        [nSlot](uint8_t n) { return n == nSlot; });
}

int CurrentGameGroup(const ProfileRecord& pro)
{
    const int g = pro.Kb.nCurGameGroup;
    return g < kKbGameGroupNum ? g : 0;
}
