// Starts a downloaded file with the desktop's opener (xdg-open): the desktop
// decides what opens an installer or a firmware file. The file is never made
// executable here.
#pragma once

#include <string>

#include "update/ILauncher.h"

class CDesktopLauncher final : public ILauncher {
public:
    // The opener is run as: opener <file>, in the file's folder, detached.
    explicit CDesktopLauncher(std::string strOpener = "xdg-open") : m_strOpener(std::move(strOpener)) {}
    bool Open(const std::filesystem::path& path, std::string& strWhy) override;

private:
    std::string m_strOpener;
};
