// Saving files so that a crash, a full disk or a failed write never leaves a
// torn or half-written file behind, and so that a file that failed to load is
// kept for the user instead of being overwritten by defaults.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>

// Writes the bytes to a new file with a unique name in the target's folder,
// flushes it, syncs it to the disk, closes it, checks its size, then renames it over the target (one
// step on the same disk: readers see the old file or the new one, never a mix).
// The old file's permission bits carry over. A target that is a symbolic link is
// resolved and the file it points to is replaced, so the link stays.
// On any failure the temporary file is removed, the target is untouched and
// strErr says why. The folder must exist; it is not created here.
bool WriteFileAtomic(const std::filesystem::path& target, std::string_view bytes, std::string& strErr);

// Renames a file that failed to load to "<name>.bad" beside it (pro.dct ->
// pro.dct.bad), replacing an older one, so that defaults can be written in its
// place without losing what the user had. True when the file was moved or did
// not exist (nothing to keep); false with the reason otherwise, in which case the
// caller should not overwrite the file.
bool KeepAside(const std::filesystem::path& file, std::string& strErr);
// The name KeepAside gives a file.
std::filesystem::path KeptAsidePath(const std::filesystem::path& file);

// True for the name WriteFileAtomic gives its temporary files: ".NAME.<16 hex>.tmp".
bool IsAtomicTempName(std::string_view name);
// Removes the temporary files that saves interrupted by a crash or a power cut
// left in a folder we write, and in its sub-folders down to nDepth levels: only
// regular files with exactly that name pattern, last written at least minAge
// ago (a save running in another process is never touched). Links are not
// followed. The number removed; each is logged.
int RemoveStaleTempFiles(const std::filesystem::path& dir, std::chrono::seconds minAge, int nDepth);
