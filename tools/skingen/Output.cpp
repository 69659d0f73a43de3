#include "Output.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>
#include <cmath>
#include <map>
#include <set>

#include "Controls.h"
#include "Devices.h"
#include "Paint.h"
#include "Registry.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/SkinManifest.h"

namespace skingen {

namespace {

using skin::SkinFolder;

struct SkinSet {
    const char* pszFolder;
    const Palette& (*palette)();
};
// The skins cfg.ini lists: Skins1=Dark,skins\dark and Skins2=Light,skins\light.
constexpr SkinSet kSkins[] = {{"dark", &DarkPalette}, {"light", &LightPalette}};

QStringList FoldersOf(const QString& strSkinsDir, SkinFolder folder)
{
    const QDir dir(strSkinsDir);
    switch (folder) {
    case SkinFolder::Chosen: {
        QStringList list;
        for (const SkinSet& s : kSkins) list << dir.filePath(QLatin1String(s.pszFolder));
        return list;
    }
    case SkinFolder::Common: return {dir.path()};
    case SkinFolder::Mouse: return {dir.filePath(QStringLiteral("mouse"))};
    }
    return {};
}

const Palette& PaletteOf(const QString& strFolder)
{
    for (const SkinSet& s : kSkins)
        if (QFileInfo(strFolder).fileName() == QLatin1String(s.pszFolder)) return s.palette();
    return DarkPalette();
}

// The existing file of that name in any letter case, so that a rerun replaces
// it instead of adding a second spelling beside it.
QString TargetPath(const QString& strFolder, const QString& strName)
{
    const QString strFound = skin::FindCaseInsensitive(strFolder, strName);
    return strFound.isEmpty() ? QDir(strFolder).filePath(strName) : strFound;
}

QImage ReadByContent(const QString& strPath)
{
    QImageReader reader(strPath);
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

// Device pictures, their masks and the colour wheel are read pixel by pixel
// (LED masks, marks, the eyedropper): they stay at one scale. Every other
// image is also drawn at the larger scales a screen may ask for.
bool DrawnAtEveryScale(const skin::SkinImageEntry& entry)
{
    if (entry.folder == SkinFolder::Mouse || entry.AnySize()) return false;
    const QString strName = QString::fromLatin1(entry.pszName).toLower();
    if (strName.endsWith(QLatin1String(".skn")) || strName.startsWith(QLatin1String("mouse/")) ||
        strName == QLatin1String("colorwheel.png"))
        return false;
    for (const skin::MaskPair& pair : skin::MaskPairs())
        if (strName == QString::fromLatin1(pair.pszPicture).toLower()) return false;
    return true;
}

QString ColorText(const QColor& c) { return QStringLiteral("%1,%2,%3").arg(c.red()).arg(c.green()).arg(c.blue()); }

// The text colours the program draws with on this skin's surfaces.
bool WriteSkinIni(const QString& strFolder, const Palette& pal, QString& strError)
{
    QString str = QStringLiteral("; Drawn by skingen with the images: the colours the program writes with on them.\n"
                                 "[Colors]\n");
    const std::pair<const char*, QColor> colours[] = {
        {"Window", pal.bgBottom},       {"Text", pal.uiText},           {"Warning", pal.uiWarning},     {"ButtonText", pal.btnText},
        {"ButtonTextHover", pal.btnTextOv}, {"ButtonTextDown", pal.btnTextDn}, {"MenuText", pal.menuText},
        {"MenuTextHover", pal.menuTextOv},  {"ListBack", pal.listBack},        {"ListItem", pal.listItem},
        {"FieldBack", pal.field},       {"FieldText", pal.fieldText},   {"FieldBorder", pal.fieldBorder},
        {"Selection", pal.selection},
    };
    for (const auto& [pszKey, clr] : colours) str += QString::fromLatin1(pszKey) + QStringLiteral("=") + ColorText(clr) + QStringLiteral("\n");
    QDir().mkpath(strFolder);
    QSaveFile file(QDir(strFolder).filePath(QStringLiteral("skin.ini")));
    if (!file.open(QIODevice::WriteOnly) || file.write(str.toUtf8()) < 0 || !file.commit()) {
        strError = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    return true;
}

}  // namespace

bool SaveImage(const QImage& img, const QString& strPath, QString& strError)
{
    QDir().mkpath(QFileInfo(strPath).path());
    QSaveFile file(strPath);
    if (!file.open(QIODevice::WriteOnly) || !img.save(&file, "PNG") || !file.commit()) {
        strError = QStringLiteral("cannot write %1: %2").arg(strPath, file.errorString());
        return false;
    }
    return true;
}

QStringList WriteSkins(const QString& strSkinsDir, const KeyboardLayout& keyboard, int& nWritten)
{
    QStringList problems;
    std::set<QString> done;  // folder + lower-case name: one file per name in any spelling
    nWritten = 0;
    for (const skin::SkinImageEntry& entry : skin::RequiredImages()) {
        const QString strName = QString::fromLatin1(entry.pszName);
        for (const QString& strFolder : FoldersOf(strSkinsDir, entry.folder)) {
            if (!done.insert(strFolder + QLatin1Char('|') + strName.toLower()).second) continue;
            for (double fScale : skin::GeneratedScales()) {
                const bool bPlain = fScale == 1.0;
                if (!bPlain && !DrawnAtEveryScale(entry)) continue;
                SetDrawScale(fScale);
                const QImage img = DrawSkinImage(entry.folder, strName, PaletteOf(strFolder), entry.Size(), keyboard);
                SetDrawScale(1.0);
                if (img.isNull()) {
                    problems << QStringLiteral("no drawing for %1").arg(strName);
                    break;
                }
                // The plain file keeps the spelling already on disk; a variant is named after it.
                const QString strPlain = TargetPath(strFolder, strName);
                const QString strPath = bPlain ? strPlain
                                               : QDir(QFileInfo(strPlain).path())
                                                     .filePath(skin::ScaledFileName(QFileInfo(strPlain).fileName(), fScale));
                QString strError;
                if (!SaveImage(img, strPath, strError)) problems << strError;
                else ++nWritten;
            }
        }
    }
    for (const SkinSet& s : kSkins) {
        QString strError;
        if (!WriteSkinIni(QDir(strSkinsDir).filePath(QLatin1String(s.pszFolder)), s.palette(), strError))
            problems << strError;
    }
    return problems;
}

QStringList CheckSkins(const QString& strSkinsDir)
{
    QStringList problems;
    std::map<QString, std::pair<QString, QSize>> stateSizes;  // folder + stem -> first image and its size
    for (const skin::SkinImageEntry& entry : skin::RequiredImages()) {
        const QString strName = QString::fromLatin1(entry.pszName);
        for (const QString& strFolder : FoldersOf(strSkinsDir, entry.folder)) {
            const QString strPath = skin::FindCaseInsensitive(strFolder, strName);
            if (strPath.isEmpty()) {
                problems << QStringLiteral("missing %1 in %2").arg(strName, strFolder);
                continue;
            }
            const QImage img = ReadByContent(strPath);
            if (img.isNull()) {
                problems << QStringLiteral("unreadable %1").arg(strPath);
                continue;
            }
            if (!entry.AnySize() && img.size() != entry.Size())
                problems << QStringLiteral("%1 is %2 x %3, not %4 x %5")
                                .arg(strPath)
                                .arg(img.width())
                                .arg(img.height())
                                .arg(entry.nWidth)
                                .arg(entry.nHeight);
            // The larger drawings: each exactly its scale times the plain size.
            if (DrawnAtEveryScale(entry)) {
                for (double fScale : skin::GeneratedScales()) {
                    if (fScale == 1.0) continue;
                    const QString strVariant = skin::FindCaseInsensitive(
                        QFileInfo(strPath).path(), skin::ScaledFileName(QFileInfo(strPath).fileName(), fScale));
                    const QImage variant = strVariant.isEmpty() ? QImage() : ReadByContent(strVariant);
                    const QSize want(int(std::lround(img.width() * fScale)), int(std::lround(img.height() * fScale)));
                    if (variant.size() != want)
                        problems << QStringLiteral("%1 at %2x: missing or not %3 x %4")
                                        .arg(strPath)
                                        .arg(fScale)
                                        .arg(want.width())
                                        .arg(want.height());
                }
            }
            const QString strStem = skin::StateStem(strName);
            if (strStem.isEmpty()) continue;
            const auto [it, bNew] = stateSizes.try_emplace(strFolder + QLatin1Char('|') + strStem, strName, img.size());
            if (!bNew && it->second.second != img.size())
                problems << QStringLiteral("%1 and %2 differ in size in %3").arg(it->second.first, strName, strFolder);
        }
    }
    for (const skin::MaskPair& pair : skin::MaskPairs()) {
        const QString strMask = skin::FindCaseInsensitive(FoldersOf(strSkinsDir, pair.maskFolder).first(),
                                                          QString::fromLatin1(pair.pszMask));
        const QString strPicture = skin::FindCaseInsensitive(FoldersOf(strSkinsDir, pair.pictureFolder).first(),
                                                             QString::fromLatin1(pair.pszPicture));
        if (strMask.isEmpty() || strPicture.isEmpty()) continue;  // reported above
        const QImage mask = ReadByContent(strMask), picture = ReadByContent(strPicture);
        if (mask.size() != picture.size()) problems << QStringLiteral("%1 is not the size of %2").arg(strMask, strPicture);
        if (!mask.hasAlphaChannel()) problems << QStringLiteral("%1 has no alpha channel").arg(strMask);
    }
    return problems;
}

QStringList WriteBrokenSet(const QString& strAppDir)
{
    QStringList problems;
    const QDir skins(QDir(strAppDir).filePath(QStringLiteral("skins")));
    QDir().mkpath(skins.filePath(QStringLiteral("mouse")));
    const Palette& pal = DarkPalette();
    const QSize box(17, 17);
    struct Item {
        QString strName;
        QImage img;
    };
    const Item items[] = {
        {QStringLiteral("check_nr.png"), CheckBox(pal, box, State::Nr)},
        {QStringLiteral("check_ov.png"), CheckBox(pal, QSize(18, 17), State::Ov)},  // one pixel wider
        {QStringLiteral("check_dn.png"), CheckBox(pal, box, State::Dn)},
        {QStringLiteral("lightleft_nr.png"), IconButton(pal, QSize(24, 24), State::Nr, Icon::ChevronLeft)},
        {QStringLiteral("mouse/mouse_nr.png"), MousePicture(QSize(320, 410), MouseView::Top)},
        {QStringLiteral("ms_mk.skn"), MouseMask(QSize(321, 410))},  // one column too many
    };
    for (const Item& item : items) {
        QString strError;
        if (!SaveImage(item.img, skins.filePath(item.strName), strError)) problems << strError;
    }
    // The pressed image of the direction button is missing.
    QFile::remove(skins.filePath(QStringLiteral("lightleft_dn.png")));
    // An empty background: the message window has nothing to show.
    QSaveFile empty(skins.filePath(QStringLiteral("msg_nr.png")));
    if (!empty.open(QIODevice::WriteOnly) || !empty.commit()) problems << QStringLiteral("cannot write the empty msg_nr.png");
    return problems;
}

QStringList WriteContactSheets(const QString& strSkinsDir, const QString& strSheetPrefix)
{
    QStringList problems;
    const QDir dir(strSkinsDir);
    const QStringList folders = {dir.filePath(QStringLiteral("dark")), dir.filePath(QStringLiteral("light")), dir.path(),
                                 dir.filePath(QStringLiteral("mouse"))};
    const QStringList names = {QStringLiteral("dark"), QStringLiteral("light"), QStringLiteral("common"), QStringLiteral("mouse")};
    for (qsizetype i = 0; i < folders.size(); ++i) {
        const QDir folder(folders[i]);
        const QStringList files = folder.entryList({QStringLiteral("*.png"), QStringLiteral("*.skn")}, QDir::Files, QDir::Name);
        // Lay the images out in rows, large ones scaled down, each labelled.
        const int nSheetWidth = 1500, nMaxCell = 480, nGap = 14, nLabel = 16;
        struct Cell {
            QImage img;
            QString strName;
            QRect rc;
        };
        std::vector<Cell> cells;
        int x = nGap, y = nGap, nRowHeight = 0;
        for (const QString& strFile : files) {
            QImage img = ReadByContent(folder.filePath(strFile));
            if (img.isNull()) continue;
            const QString strLabel = QStringLiteral("%1 %2x%3").arg(strFile).arg(img.width()).arg(img.height());
            if (img.width() > nMaxCell) img = img.scaledToWidth(nMaxCell, Qt::SmoothTransformation);
            const int w = std::max(img.width(), QFontMetrics(Face(10)).horizontalAdvance(strLabel));
            if (x + w > nSheetWidth - nGap) {
                x = nGap;
                y += nRowHeight + nLabel + nGap;
                nRowHeight = 0;
            }
            cells.push_back({img, strLabel, QRect(x, y, w, img.height())});
            x += w + nGap;
            nRowHeight = std::max(nRowHeight, img.height());
        }
        const Palette& pal = i < 2 ? (i == 0 ? DarkPalette() : LightPalette()) : DarkPalette();
        const QImage sheet = Draw(QSize(nSheetWidth, y + nRowHeight + nLabel + nGap), [&](QPainter& p) {
            p.fillRect(QRect(0, 0, nSheetWidth, y + nRowHeight + nLabel + nGap), i < 2 ? pal.bgBottom : QColor(0x55, 0x5b, 0x64));
            for (const Cell& c : cells) {
                p.drawImage(c.rc.topLeft(), c.img);
                Text(p, QRectF(c.rc.left(), c.rc.bottom() + 2, c.rc.width() + 40, nLabel), c.strName, QColor(0xe0, 0xe4, 0xe9), 10,
                     QFont::Normal, Qt::AlignLeft | Qt::AlignTop);
            }
        });
        QString strError;
        if (!SaveImage(sheet, strSheetPrefix + QLatin1Char('-') + names[i] + QStringLiteral(".png"), strError)) problems << strError;
    }
    return problems;
}

}  // namespace skingen
