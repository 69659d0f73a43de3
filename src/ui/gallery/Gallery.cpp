#include "ui/gallery/Gallery.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>

#include "core/Gvar.h"
#include "core/Log.h"
#include "ui/skin/SkinContext.h"
#include "ui/skin/SkinFont.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/SkinTheme.h"
#include "ui/gallery/GalleryPage.h"

namespace {

// A skin's name for the folder of its set: the last part of its folder
// ("skins\dark" -> "dark"), letters, digits, '-' and '_' only.
QString SkinId(const LangSkinEntry& entry, int nIndex)
{
    QString strDir = QString::fromUtf16(entry.szDir);
    strDir.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QString strId = strDir.section(QLatin1Char('/'), -1, -1, QString::SectionSkipEmpty).toLower();
    strId.remove(QRegularExpression(QStringLiteral("[^a-z0-9_-]")));
    return strId.isEmpty() ? QStringLiteral("skin%1").arg(nIndex + 1) : strId;
}

// The screen width whose font options belong to a scale.
int ScreenWidthForScale(double fScale) { return fScale > 1.0 ? 3000 : 1920; }

}  // namespace

bool CGallery::Run()
{
    if (!QDir().mkpath(m_strDir)) {
        m_errors << QStringLiteral("cannot make the folder %1").arg(m_strDir);
        return false;
    }
    // The fonts as the program's windows get them.
    skin::CAppFont appFont;
    appFont.Load(QString::fromStdU16String(g_szAppDir.u16string()));
    skin::InstallFontSubstitutes();

    const int nSavedSkin = gVar.nSkinsIndex;
    const double fSavedScale = skin::InterfaceScale();
    const QFont fontSaved = skin::InterfaceFont();
    const skin::SkinTheme themeSaved = skin::Theme();

    std::vector<std::pair<int, QString>> skins;
    QStringList ids;
    for (int i = 0; i < std::min(gVar.nSkinsNum, kLangSkinMax); ++i) {
        QString strId = SkinId(gVar.Skins[i], i);
        if (ids.contains(strId)) strId += QStringLiteral("-%1").arg(i + 1);
        ids << strId;
        skins.push_back({i, strId});
    }
    // An installation without a skin list draws from the skins folder itself.
    if (skins.empty()) skins.push_back({gVar.nSkinsIndex, QStringLiteral("skins")});

    for (const auto& [nIndex, strId] : skins) {
        gVar.nSkinsIndex = nIndex;
        for (const Scale& scale : Scales()) {
            skin::SetInterfaceScale(scale.fInterface);
            skin::SetInterfaceFont(skin::MakeInterfaceFont(ScreenWidthForScale(scale.fInterface)));
            skin::SkinTheme theme = skin::ThemeFromOptions();
            theme.fPixelRatio = scale.fPixelRatio;
            skin::SetTheme(theme);
            gallery::SetShotRatio(scale.fPixelRatio);
            RenderSet(strId + QLatin1Char('-') + QLatin1String(scale.pszName));
        }
        gallery::SetShotRatio(1.0);
    }

    gVar.nSkinsIndex = nSavedSkin;
    skin::SetInterfaceScale(fSavedScale);
    skin::SetInterfaceFont(fontSaved);
    skin::SetTheme(themeSaved);
    if (m_files.isEmpty()) m_errors << QStringLiteral("nothing was drawn");
    return m_errors.isEmpty();
}

void CGallery::RenderSet(const QString& strSet)
{
    LogPrintf("Gallery: %s\n", strSet.toUtf8().constData());
    std::vector<Shot> shots;
    Buttons(shots);
    CheckBoxes(shots);
    NaviButtons(shots);
    Combos(shots);
    Tree(shots);
    Sliders(shots);
    MessageWindows(shots);
    QueryWindows(shots);
    NoticeWindows(shots);
    ProgressWindows(shots);
    QApplication::processEvents();

    for (const Shot& shot : shots) {
        if (shot.second.isNull() || shot.second.width() < 4 || shot.second.height() < 4) {
            m_errors << QStringLiteral("%1/%2: nothing drawn").arg(strSet, shot.first);
            continue;
        }
        Save(shot.second, strSet + QLatin1Char('/') + shot.first + QStringLiteral(".png"));
    }
    Save(Sheet(shots), strSet + QStringLiteral("/sheet.png"));
}

bool CGallery::Save(const QImage& img, const QString& strRelPath)
{
    const QString strPath = QDir(m_strDir).filePath(strRelPath);
    QDir().mkpath(QFileInfo(strPath).path());
    // Written whole or not at all.
    QSaveFile file(strPath);
    if (!file.open(QIODevice::WriteOnly) || !img.save(&file, "PNG") || !file.commit()) {
        m_errors << QStringLiteral("cannot write %1").arg(strPath);
        return false;
    }
    m_files << strRelPath;
    return true;
}

QImage CGallery::Sheet(const std::vector<Shot>& shots) const
{
    const QFont font = skin::ControlFont(12, QFont::Normal);
    const QFontMetrics fm(font);
    const int nGap = 16, nLabel = fm.height() + 4;
    // Laid out in the shots' own units; a sheet of 200 % shots holds twice the pixels.
    const double fRatio = gallery::ShotRatio();
    const auto sizeOf = [](const QImage& img) { return skin::LogicalSize(img); };
    int nWidth = 1100;
    for (const Shot& shot : shots) nWidth = std::max(nWidth, sizeOf(shot.second).width() + 2 * nGap);

    // Flow the pictures into rows, each with its name under it.
    struct Cell {
        QPoint pt;
        const Shot* pShot;
    };
    std::vector<Cell> cells;
    int x = nGap, y = nGap, nRowHeight = 0;
    for (const Shot& shot : shots) {
        const int w = std::max(sizeOf(shot.second).width(), fm.horizontalAdvance(shot.first));
        if (x > nGap && x + w + nGap > nWidth) {
            x = nGap;
            y += nRowHeight + nLabel + nGap;
            nRowHeight = 0;
        }
        cells.push_back({QPoint(x, y), &shot});
        x += w + nGap;
        nRowHeight = std::max(nRowHeight, sizeOf(shot.second).height());
    }
    const QSize sizeSheet(nWidth, y + nRowHeight + nLabel + nGap);
    QImage sheet(QSize(int(sizeSheet.width() * fRatio), int(sizeSheet.height() * fRatio)),
                 QImage::Format_ARGB32_Premultiplied);
    sheet.setDevicePixelRatio(fRatio);
    sheet.fill(QColor(0x2a, 0x2d, 0x32));
    QPainter p(&sheet);
    p.setFont(font);
    p.setPen(QColor(0xd8, 0xdc, 0xe0));
    for (const Cell& c : cells) {
        p.drawImage(c.pt, c.pShot->second);
        p.drawText(QPoint(c.pt.x(), c.pt.y() + sizeOf(c.pShot->second).height() + fm.ascent() + 2), c.pShot->first);
    }
    return sheet;
}
