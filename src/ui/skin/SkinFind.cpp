// Case-insensitive file lookup inside a skin folder. Kept apart from the image
// helpers so that the skin generator can check its own output with the very
// lookup the program uses, without the program's options.
#include <QDir>
#include <QFileInfo>
#include <cmath>

#include "ui/skin/SkinImages.h"

namespace skin {

namespace {

// The entry of the folder named like strPart in any letter case; the exact
// spelling wins when it exists.
QString FindEntry(const QDir& dir, const QString& strPart)
{
    if (QFileInfo::exists(dir.filePath(strPart))) return strPart;
    const QStringList entries = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString& strEntry : entries) {
        if (strEntry.compare(strPart, Qt::CaseInsensitive) == 0) return strEntry;
    }
    return {};
}

}  // namespace

std::span<const double> GeneratedScales()
{
    static constexpr double kScales[] = {1.0, 1.5, 2.0};
    return kScales;
}

QString ScaledFileName(const QString& strName, double fScale)
{
    if (std::lround(fScale * 100.0) == 100) return strName;
    const qsizetype nDot = strName.lastIndexOf(QLatin1Char('.'));
    const qsizetype nSlash = strName.lastIndexOf(QLatin1Char('/'));
    const QString strSuffix = QStringLiteral("@%1x").arg(QString::number(fScale, 'g', 3));
    if (nDot <= nSlash + 1) return strName + strSuffix;
    return strName.left(nDot) + strSuffix + strName.mid(nDot);
}

QString FindCaseInsensitive(const QString& strFolder, const QString& strName)
{
    if (strFolder.isEmpty() || strName.isEmpty()) return {};
    // Names written on other systems separate folders with a backslash.
    QString strRel = strName;
    strRel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // A skin name never leaves its folder: no absolute names, no "..".
    if (strRel.startsWith(QLatin1Char('/'))) return {};
    const QStringList parts = strRel.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.isEmpty()) return {};
    QDir dir(strFolder);
    if (!dir.exists()) return {};
    QString strPath = dir.path();
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& strPart = parts[i];
        if (strPart == QLatin1String(".") || strPart == QLatin1String("..")) return {};
        const QString strEntry = FindEntry(QDir(strPath), strPart);
        if (strEntry.isEmpty()) return {};
        strPath = QDir(strPath).filePath(strEntry);
        const QFileInfo info(strPath);
        if (i + 1 < parts.size() ? !info.isDir() : !info.isFile()) return {};
    }
    return strPath;
}

}  // namespace skin
