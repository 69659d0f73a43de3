#include "core/PadDesc.h"

#include <algorithm>
#include <iterator>

#include "core/Gvar.h"
#include "core/KeyboardDescReader.h"
#include "core/Log.h"

void LoadPadDescription(const CIniFile& cfg, IPrompt& prompt)
{
    PadDesc& pad = gVar.Pad;
    pad = PadDesc{};
    const CKbReader r(cfg, "PAD", prompt);
    pad.nVID = r.Word("VID", 0);
    pad.nPID = r.Word("PID", 0);
    pad.nShowEffect = r.Int("ShowEffect", 0);
    pad.nLedMask = r.Int("LedMask", 0);
    pad.ptPadDlg = r.Point("ptPadDlg", {380, 60});
    // The default lighting: [0] the mode, [1..4] its speed, brightness,
    // direction and flag. A mode the pad does not have would pick a record
    // outside the profile's mode table, so such a list is not used at all.
    r.Ints("LedParam", 16, pad.LedParam);
    if (pad.LedParam[0] < 0 || pad.LedParam[0] >= kPadLedModeNum) {
        r.Note("LedParam", "the mode is not a pad LED mode; no default lighting", r.Value("LedParam").value_or(""));
        std::fill(std::begin(pad.LedParam), std::end(pad.LedParam), 0);
    }
    pad.ptEft1 = r.Point("ptEft1", {66, 31});
    pad.ptEft2 = r.Point("ptEft2", {454, 304});
    pad.nEftGridW = r.Int("EftGridW", 18);
    LogPrintf("LoadPadDescription: VID=%04X, PID=%04X, LedParam=%d,%d,%d,%d,%d", unsigned(pad.nVID),
              unsigned(pad.nPID), pad.LedParam[0], pad.LedParam[1], pad.LedParam[2], pad.LedParam[3],
              pad.LedParam[4]);
}
