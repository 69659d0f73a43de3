// The file hooks of the model on POSIX: opening without blocking and checking
// the opened file's type, and fsync for durable saves.
#pragma once

// Installs the process-wide file hooks of the model; call once at start-up.
void InstallPosixFileHooks();
