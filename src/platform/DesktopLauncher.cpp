#include "platform/DesktopLauncher.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <system_error>

bool CDesktopLauncher::Open(const std::filesystem::path& path, std::string& strWhy)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        strWhy = "no such file";
        return false;
    }
    const QString file = QString::fromStdString(path.string());
    const QString folder = QString::fromStdString(path.parent_path().string());
    qint64 nPid = 0;
    if (!QProcess::startDetached(QString::fromStdString(m_strOpener), QStringList{file}, folder, &nPid)) {
        strWhy = "cannot run " + m_strOpener;
        return false;
    }
    return true;
}
