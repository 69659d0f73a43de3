// Where the program finds its shipped files and keeps the user's.
#pragma once

#include <filesystem>

// The folder of the running executable when it holds cfg.ini, else the
// installed data folder (<prefix>/share/zorvik). Empty when neither exists.
std::filesystem::path ResolveAppDir();
// The folder under which per-user folders are made: $XDG_DATA_HOME, else ~/.local/share.
std::filesystem::path UserDataRoot();
// The user's desktop folder when it exists, else empty.
std::filesystem::path DesktopDir();
