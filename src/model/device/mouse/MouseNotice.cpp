#include "device/mouse/MouseNotice.h"

#include <cstdio>

#include "core/Gvar.h"
#include "core/Utf.h"
#include "text/TextCatalogue.h"

namespace {

std::u16string Fmt(const char* fmt, int n)
{
    char sz[32];
    std::snprintf(sz, sizeof sz, fmt, n);
    return Utf8ToU16(sz);
}

std::u16string Line(std::u16string s)
{
    if (s.size() > kNoticeLineMax) s.resize(kNoticeLineMax);
    return s;
}

std::u16string TextOf(const char* key)
{
    const std::u16string* p = FindText(key);
    return p ? *p : std::u16string();
}

// Lines 1 to 3: the level and its resolution, X and Y apart on the sensors that have both.
void LevelLines(MouseNotice& n, const MsModeSettings& mode, int nLevel, const MouseNoticeOptions& opt)
{
    const MsDpiLevel& d = mode.Dpi[nLevel];
    n.lines[0] = Fmt("DPI-%d", nLevel + 1);
    if (opt.bShowXY && (opt.nSensor == 0x9800 || opt.nSensor == 0x3360)) {
        n.lines[1] = Fmt("X %d", d.nDpiX);
        n.lines[2] = Fmt("Y %d", d.nDpiY);
    } else {
        n.lines[1] = Fmt("%d", d.nDpiX);
    }
}

int ValidMode(int n) { return n >= 0 && n < kMsModeNum ? n : -1; }

MouseNotice ThroughReceiver(const DeviceEvent& e, const ProfileRecord& pro, const MouseNoticeOptions& opt)
{
    MouseNotice n;
    n.bHandled = true;
    const int nMode = ValidMode(e.nMode) >= 0 ? e.nMode : 0;
    if (nMode != pro.Ms.ProMirex.nMode) n.nNewMode = nMode;
    const int nDm = std::min(opt.nDM, kMsDpiLevelNum);
    if (e.nLevel < 0 || e.nLevel >= nDm) {
        char sz[48];
        std::snprintf(sz, sizeof sz, "nCurDpiLevel = %d", e.nLevel);
        n.strLog = sz;
        return n;
    }
    LevelLines(n, pro.Ms.Mode[nMode], e.nLevel, opt);
    if (opt.bSingleMode)
        n.nCurDpiLevel[0] = n.nCurDpiLevel[1] = e.nLevel;
    else
        n.nCurDpiLevel[size_t(nMode)] = e.nLevel;
    n.nSelectLevel = e.nLevel;
    if (opt.bShowUsbRate) {
        static constexpr int kRates[] = {125, 250, 500, 1000};
        if (e.nRateCode < 1 || e.nRateCode > 4) {
            n.strLog = "Wrong rate value";
            n.nSelectLevel = -1;
            n.lines = {};
            return n;
        }
        n.nRateHz = kRates[e.nRateCode - 1];
        n.lines[3] = Fmt("%d Hz", n.nRateHz);
    }
    n.bShow = true;
    return n;
}

MouseNotice OnCable(const DeviceEvent& e, const ProfileRecord& pro, const MouseNoticeOptions& opt)
{
    MouseNotice n;
    // A report without its mode names a level of the mode the profile is in.
    const int nMode = ValidMode(e.nMode) >= 0 ? e.nMode : ValidMode(pro.Ms.ProMirex.nMode);
    if (nMode < 0 || e.nLevelOrdinal < 1) {
        n.strLog = "no level in the report";
        return n;
    }
    const MsModeSettings& mode = pro.Ms.Mode[nMode];
    const int nDm = std::min(opt.nDM, kMsDpiLevelNum);
    int nLevel = -1;
    for (int i = 0, nSeen = 0; i < nDm; ++i)
        if (!mode.Dpi[i].bDisabled && ++nSeen == e.nLevelOrdinal) {
            nLevel = i;
            break;
        }
    if (nLevel < 0) {
        n.strLog = "no enabled level " + std::to_string(e.nLevelOrdinal);
        return n;
    }
    n.bHandled = true;
    LevelLines(n, mode, nLevel, opt);
    if (opt.bPopByte1 && e.nMode >= 0) {
        const int m = e.nMode + 1;
        if (opt.bBullets)
            n.lines[3] = m == 1 ? TextOf("tc_chiji17") : m == 2 ? TextOf("tc_chiji19") : std::u16string();
        else
            n.lines[3] = TextOf("tc_ms7") + Fmt(" %d", m);
    }
    n.nCurDpiLevel[size_t(nMode)] = nLevel;
    n.nSelectLevel = nLevel;
    n.bShow = opt.bPop;
    if (e.nMode >= 0 && e.nMode != pro.Ms.ProMirex.nMode) n.nNewMode = e.nMode;
    if (e.nExtra > 0) n.nPerformance = e.nExtra;
    return n;
}

}  // namespace

MouseNoticeOptions MouseNoticeOptions::FromGvar()
{
    MouseNoticeOptions o;
    o.bReceiverFamily = (gVar.nMsFw & 0x0F) == 5;
    o.bSingleMode = gVar.Ms.nSingleMode != 0;
    o.bShowXY = gVar.Ms.nShowXY != 0;
    o.bShowUsbRate = gVar.Ms.nShowUsbRate != 0;
    o.bPop = gVar.Ms.nPop != 0;
    o.bPopByte1 = gVar.Ms.nPopByte1 == 1;
    o.bBullets = (gVar.nMsFw & 0xFF) > 15;
    o.nDM = pSensorCfg ? pSensorCfg->nDM : 0;
    o.nSensor = gVar.Ms.nMsSensor;
    return o;
}

MouseNotice InterpretMouseEvent(const DeviceEvent& e, const ProfileRecord& pro, const MouseNoticeOptions& opt)
{
    MouseNotice n = opt.bReceiverFamily ? ThroughReceiver(e, pro, opt) : OnCable(e, pro, opt);
    for (auto& s : n.lines) s = Line(std::move(s));
    return n;
}
