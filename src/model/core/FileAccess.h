// Reading the files the program stores or is given, and making written files
// durable. Every reader goes through ReadRegularFile, so that a pipe, a device
// or a folder in place of a file is refused with a clear reason instead of
// blocking start-up or a command. The operating-system side (opening without
// blocking, syncing to the disk) is a hook the platform layer installs; without
// it the standard library does what it can.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

enum class OpenStatus { Ok, Missing, NotRegular, Failed };

struct OpenedFile {
    std::FILE* f = nullptr;  // open for reading in binary mode when status is Ok; the caller closes it
    OpenStatus status = OpenStatus::Failed;
    int nErrno = 0;
};

struct FileHooks {
    // Opens a file for reading without ever blocking on it, and only when it is a
    // regular file (checked on the opened file, not on its name).
    std::function<OpenedFile(const std::filesystem::path&)> openRead;
    // Makes the written and flushed bytes of the file durable; false when they may not be.
    std::function<bool(std::FILE*)> syncFile;
    // Makes a rename inside the folder durable.
    std::function<bool(const std::filesystem::path&)> syncFolder;
};
// Installs the hooks for the whole process; an empty member keeps the standard
// library's fallback for that operation. Safe to call while other threads read.
void SetFileHooks(FileHooks hooks);

// Opens through the hook, or, without one, checks the name and opens with fopen
// (which narrows, but cannot close, the window in which the file could change).
OpenedFile OpenRegularFile(const std::filesystem::path& path);
// Through the hooks; true without one (fflush has done what the library can).
bool SyncFile(std::FILE* f);
bool SyncFolder(const std::filesystem::path& dir);

enum class ReadStatus { Ok, Missing, NotRegular, Failed };

struct FileRead {
    ReadStatus status = ReadStatus::Failed;
    int nErrno = 0;
    bool bOpened = false;  // the file was opened (a Failed status then means a read error)
    bool bMore = false;  // the file holds more than the bytes read (only the first nMax were read)
    bool Ok() const { return status == ReadStatus::Ok; }
    // Why the file could not be read, for messages: "not found", "not a regular
    // file (a pipe, a device or a folder)", or the system's reason.
    std::string Reason() const;
};

// Reads at most nMax bytes of a regular file into out (emptied first).
FileRead ReadRegularFile(const std::filesystem::path& path, size_t nMax, std::string& out);
