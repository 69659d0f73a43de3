// The support page's two choices, read by the main window: whether the update
// check runs when the window starts, and what the exit button does. They last
// until the program ends and are not stored: every run starts with no start-up
// check and an exit button that quits.
#pragma once

#include <cstdint>

struct SupportChoices {
    bool bCheckAtStart = false;
    int32_t nCloseAction = 0;  // 0: the exit button quits; 1: it hides the window
};

// User-interface thread only.
extern SupportChoices g_supportChoices;
