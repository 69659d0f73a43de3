// Where model threads post what the windows must know (input reports of a
// device, apply progress, update results). Safe to call from any thread; the
// user interface implements it with queued events.
#pragma once

#include <cstdint>

// Message numbers the windows and workers share.
constexpr uint32_t kMsgApplyProgress = 1067;  // apply worker -> progress window: percentage
constexpr uint32_t kMsgApplyDone = 1068;      // apply worker -> progress and main window: result, flags
constexpr uint32_t kMsgTray = 1132;           // second instance, tray icon -> main window
constexpr uint32_t kMsgMenuChoice = 1143;     // function menu -> owner
constexpr uint32_t kMsgInputReport = 2027;    // mouse listener -> main window: input report bytes 1-4

class IMsgTarget {
public:
    virtual ~IMsgTarget() = default;
    virtual void Post(uint32_t nMsg, uintptr_t wParam, intptr_t lParam) = 0;
};
