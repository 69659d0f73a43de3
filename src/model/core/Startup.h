// The data steps of start-up, shared by the program and the command-line tool:
// options and device descriptions into gVar, the log, the per-user folder,
// post-initialisation, the language and skin lists, the text catalogue, the
// title and the launch line. What follows (single instance, main window) is
// the program's own.
#pragma once

#include <filesystem>
#include <string>

#include "core/IPrompt.h"

struct StartupFolders {
    std::filesystem::path appDir;           // shipped files: cfg.ini, language folders, skins
    std::filesystem::path userRoot;         // the per-user folder is made below it
    std::filesystem::path userDirOverride;  // a given per-user folder instead (tests, --user-dir)
    std::filesystem::path logDir;           // where Log.txt goes; empty: the per-user folder
};

// Runs the steps in order; false only when start-up cannot go on.
bool RunStartupDataSteps(const StartupFolders& folders, IPrompt& prompt);

// The single-instance name of this device configuration: "MUTEX_BY_COMBOMirex"
// with a mouse and a keyboard or with neither, "MUTEX_BY_MS_%04X" for a mouse
// alone, "MUTEX_BY_KB_%04X_%02X" for a keyboard alone.
std::string MutexName();
