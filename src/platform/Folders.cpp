#include "platform/Folders.h"

#include <QStandardPaths>
#include <QString>
#include <cstdlib>

namespace fs = std::filesystem;

#ifndef ZV_INSTALL_DATADIR
#define ZV_INSTALL_DATADIR "/usr/share/zorvik"
#endif

fs::path ResolveAppDir()
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec && fs::exists(exe.parent_path() / "cfg.ini", ec)) return exe.parent_path();
    const fs::path installed = ZV_INSTALL_DATADIR;
    if (fs::exists(installed / "cfg.ini", ec)) return installed;
    return ec ? fs::path() : (exe.empty() ? fs::path() : exe.parent_path());
}

fs::path UserDataRoot()
{
    if (const char* p = std::getenv("XDG_DATA_HOME"); p && *p && fs::path(p).is_absolute()) return p;
    if (const char* h = std::getenv("HOME"); h && *h) return fs::path(h) / ".local" / "share";
    return fs::temp_directory_path();
}

fs::path DesktopDir()
{
    const QString s = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (s.isEmpty()) return {};
    const fs::path p = s.toStdString();
    std::error_code ec;
    // QStandardPaths answers the home folder itself when no desktop is configured.
    if (p == fs::path(QStandardPaths::writableLocation(QStandardPaths::HomeLocation).toStdString())) return {};
    return fs::is_directory(p, ec) ? p : fs::path();
}
