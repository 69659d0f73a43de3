// Starts a downloaded file the way the desktop opens it. A failure is reported,
// never fatal: the caller keeps the program running and tells the user.
#pragma once

#include <filesystem>
#include <string>

class ILauncher {
public:
    virtual ~ILauncher() = default;
    // True when the file was handed to its opener; strWhy says why not.
    virtual bool Open(const std::filesystem::path& path, std::string& strWhy) = 0;
};
