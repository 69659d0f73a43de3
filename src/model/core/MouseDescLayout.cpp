// The mouse key layout: what every key slot of every mode does by default, where
// its button sits on the key page and which matrix position it drives.
#include <algorithm>
#include <climits>
#include <cstring>

#include "core/Log.h"
#include "core/MouseDesc.h"

namespace {

constexpr int32_t kKeyLeft = 45;
constexpr int32_t kKeyRight = 250;
constexpr int32_t kKeyHeight = 24;
// Used when no sensor section describes the current sensor.
constexpr int32_t kDefKeyY = 10;
constexpr int32_t kDefKeyH = 6;

int32_t ToInt32(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

}  // namespace

static_assert(sizeof(g_MsKeyLayout) == sizeof(KeyCfgFile::Key));

void BuildMouseKeyLayout(const KeyCfgFile* pKeyCfg, IPrompt& prompt)
{
    const SensorCfg* s = pSensorCfg;
    const int nView = gVar.nViewKeyNum < 1 ? kMsKeyCount : std::min<int>(gVar.nViewKeyNum, kMsKeyCount);
    const int64_t nKeyY = s ? s->nKEYY : kDefKeyY;
    const int64_t nKeyH = s ? s->nKEYH : kDefKeyH;

    // Buttons beyond the ones in view reuse the rectangles of the first ones.
    ZRect rc[kMsKeyCount];
    for (int i = 0; i < kMsKeyCount; ++i) {
        if (i >= nView) {
            rc[i] = rc[i - nView];
            continue;
        }
        const int64_t nTop = nKeyY + int64_t(i) * (nKeyH + kKeyHeight);
        rc[i] = {kKeyLeft, ToInt32(nTop), kKeyRight, ToInt32(nTop + kKeyHeight)};
    }

    if (pKeyCfg && KeyCfgHasLayout(*pKeyCfg)) {
        std::memcpy(&g_MsKeyLayout, &pKeyCfg->Key, sizeof g_MsKeyLayout);
        LogPrintf("BuildMouseKeyLayout: key functions from keycfg.kyg");
    } else if (s) {
        std::copy(&s->Key[0][0], &s->Key[0][0] + kMsModeCount * kMsKeyCount, &g_MsKeyLayout[0][0]);
        LogPrintf("BuildMouseKeyLayout: key functions of sensor 0x%04X", unsigned(s->nSensor));
    } else {
        std::fill(&g_MsKeyLayout[0][0], &g_MsKeyLayout[0][0] + kMsModeCount * kMsKeyCount, KeyInfo{});
        LogPrintf("BuildMouseKeyLayout: no sensor description for 0x%04X; the keys have no function",
                  unsigned(gVar.Ms.nMsSensor));
    }

    // The slot's place on the page and in the key matrix belong to the mouse,
    // not to the stored functions.
    for (int m = 0; m < kMsModeCount; ++m) {
        for (int i = 0; i < kMsKeyCount; ++i) {
            g_MsKeyLayout[m][i].rcKey = rc[i];
            g_MsKeyLayout[m][i].MatrixInx = s ? s->Key[m][i].MatrixInx : 0;
        }
    }

    // A key drives the same matrix position in every mode; a difference is a
    // mistake in the description. One message for all of them, each one logged.
    int nDiff = 0;
    for (int i = 0; i < kMsKeyCount; ++i) {
        if (g_MsKeyLayout[0][i].MatrixInx == g_MsKeyLayout[1][i].MatrixInx) continue;
        LogPrintf("Matrix index repeat: key %d is at %d in mode 1 and at %d in mode 2", i + 1,
                  g_MsKeyLayout[0][i].MatrixInx, g_MsKeyLayout[1][i].MatrixInx);
        ++nDiff;
    }
    if (nDiff > 0) prompt.ShowMessage(u"Matrix index repeat", u"Warning");
}
