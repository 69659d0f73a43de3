// What the mouse host hands each of its pages: the current profile, the
// current mode inside it, the way to report an edit, and the prompt. The
// host is the CPage; its pages are plain widgets that edit through this.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>

#include <QRect>
#include <QString>

#include "core/IPrompt.h"
#include "core/ProfileRecord.h"

struct MsPageLink {
    std::function<ProfileRecord*()> profile;  // null while no profile is loaded
    std::function<void(uint32_t)> edited;     // stores, and with ApplyNow sends the flags' part
    std::function<IPrompt&()> prompt;

    // The mode the pages edit: the profile's current one, brought into range.
    MsModeSettings* Mode() const
    {
        ProfileRecord* p = profile ? profile() : nullptr;
        if (!p) return nullptr;
        return &p->Ms.Mode[std::clamp(int(p->Ms.ProMirex.nMode), 0, kMsModeNum - 1)];
    }
    int ModeIndex() const
    {
        ProfileRecord* p = profile ? profile() : nullptr;
        return p ? std::clamp(int(p->Ms.ProMirex.nMode), 0, kMsModeNum - 1) : 0;
    }
};

// The style sheet of the plain controls of the mouse pages, in the skin's colours.
QString MsPageStyle();
// A rectangle of the pages' 1.0 layout at the interface scale.
QRect MsScaled(int x, int y, int w, int h);
