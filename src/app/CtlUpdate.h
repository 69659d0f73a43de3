// zorvikctl update-check: what the update check would offer, without asking,
// downloading anything but the description, or starting anything.
#pragma once

#include <string>
#include <vector>

// args: the command's words after "update-check". The installation must be
// loaded (the update location, the program version, the keyboard's ids).
// Returns the tool's exit status.
int CtlUpdateCheck(const std::vector<std::string>& args);
