#include "ui/skin/SkinImages.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "core/Gvar.h"
#include "core/IPrompt.h"
#include "core/Log.h"
#include "core/Options.h"
#include "ui/QtText.h"
#include "ui/skin/SkinTheme.h"

namespace fs = std::filesystem;

namespace skin {

namespace {

QString ToQPath(const fs::path& path) { return QString::fromStdU16String(path.generic_u16string()); }

QString CommonFolder() { return ToQPath(g_szAppDir / "skins"); }
QString MouseFolder() { return ToQPath(g_szAppDir / "skins" / "mouse"); }

// Reads by content, so that a mask named ".skn" loads as the PNG it is.
QImage ReadImage(const QString& strPath)
{
    QImageReader reader(strPath);
    reader.setDecideFormatFromContent(true);
    QImage img = reader.read();
    if (img.isNull()) {
        LogPrintf("Skin image not readable: %s (%s)\n", strPath.toUtf8().constData(),
                  reader.errorString().toUtf8().constData());
        return {};
    }
    return img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage LoadFound(const QString& strPath, const QString& strWhat, double fScale = 1.0)
{
    if (strPath.isEmpty()) {
        LogPrintf("Skin image missing: %s\n", strWhat.toUtf8().constData());
        return {};
    }
    return LoadImageFile(strPath, fScale, Theme().fPixelRatio);
}

// Scales kept as hundredths, so 1.4 and 1.9 make stable keys.
int Hundredths(double f) { return int(std::lround(f * 100.0)); }

struct CachedImage {
    qint64 nFileSize = -1;
    qint64 nModified = 0;
    QImage img;
};

QHash<QString, CachedImage>& Cache()
{
    static QHash<QString, CachedImage> cache;
    return cache;
}

// A full path is looked up in its own folder (its file name in any letter
// case); a plain name in the chosen skin folder.
QString ResolveChosen(const QString& strNameOrPath)
{
    QString strPath = strNameOrPath;
    strPath.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QFileInfo info(strPath);
    if (info.isAbsolute()) return FindCaseInsensitive(info.path(), info.fileName());
    return ChosenPath(strNameOrPath);
}

// Whole pixels of v x fScale; the small bias keeps 100 x 1.9 at 190 although
// 1.9 has no exact binary form.
int ScaledInt(int v, double fScale)
{
    const double f = v * fScale;
    return int(f + (f >= 0 ? 1e-6 : -1e-6));
}

}  // namespace

// The theme's skin folder once the program has set one, else the options' choice.
static QString ChosenFolder()
{
    const QString& strDir = Theme().strSkinDir;
    return strDir.isEmpty() ? ToQPath(GetSkinDir()) : strDir;
}

QString ChosenPath(const QString& strName) { return FindCaseInsensitive(ChosenFolder(), strName); }
QString CommonPath(const QString& strName) { return FindCaseInsensitive(CommonFolder(), strName); }
QString MousePath(const QString& strName) { return FindCaseInsensitive(MouseFolder(), strName); }

QImage LoadChosen(const QString& strNameOrPath) { return LoadFound(ResolveChosen(strNameOrPath), strNameOrPath); }
QImage LoadCommon(const QString& strName) { return LoadFound(CommonPath(strName), strName); }
QImage LoadMouse(const QString& strName) { return LoadFound(MousePath(strName), strName); }
QImage LoadChosenScaled(const QString& strNameOrPath)
{
    return LoadFound(ResolveChosen(strNameOrPath), strNameOrPath, InterfaceScale());
}
QImage LoadCommonScaled(const QString& strName) { return LoadFound(CommonPath(strName), strName, InterfaceScale()); }

QImage LoadImageFile(const QString& strPath, double fScale, double fPixelRatio)
{
    if (!(fScale > 0.0) || !(fPixelRatio > 0.0)) fScale = fPixelRatio = 1.0;
    const double fPixels = double(Hundredths(fScale * fPixelRatio)) / 100.0;
    const QFileInfo info(strPath);
    const QString strKey = QStringLiteral("%1|%2|%3").arg(info.absoluteFilePath()).arg(Hundredths(fScale)).arg(
        Hundredths(fPixelRatio));
    std::error_code ec;
    const auto modified = fs::last_write_time(fs::path(strPath.toStdU16String()), ec);
    const qint64 nSize = info.size(), nModified = ec ? 0 : qint64(modified.time_since_epoch().count());
    auto it = Cache().find(strKey);
    if (it != Cache().end() && it->nFileSize == nSize && it->nModified == nModified) return it->img;

    // The logical size is the plain file's; its pixels come from the best variant.
    QImage img;
    if (Hundredths(fPixels) == 100) {
        img = ReadImage(strPath);
    } else {
        const QImage base = LoadImageFile(strPath, 1.0, 1.0);
        if (base.isNull()) return {};
        QString strSource = strPath;
        double fBest = 1.0;
        for (double f : GeneratedScales()) {
            if (Hundredths(f) == 100) continue;
            const QString strVariant = FindCaseInsensitive(info.path(), ScaledFileName(info.fileName(), f));
            if (strVariant.isEmpty()) continue;
            // The smallest variant at least as large as asked, else the largest.
            const bool bBetter = fBest < fPixels ? f > fBest : (f >= fPixels && f < fBest);
            if (bBetter) {
                fBest = f;
                strSource = strVariant;
            }
        }
        img = strSource == strPath ? base : ReadImage(strSource);
        if (img.isNull()) img = base;
        const QSize target(std::max(1, int(std::lround(base.width() * fPixels))),
                           std::max(1, int(std::lround(base.height() * fPixels))));
        if (img.size() != target) img = img.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    if (img.isNull()) return {};
    img.setDevicePixelRatio(fPixelRatio);
    Cache().insert(strKey, {nSize, nModified, img});
    return img;
}

void ClearImageCache() { Cache().clear(); }
int ImageCacheCount() { return int(Cache().size()); }

QSize LogicalSize(const QImage& img) { return img.deviceIndependentSize().toSize(); }

StateImages LoadStateImages(const QString& strNr, const QString& strOv, const QString& strDn, IPrompt* pPrompt,
                            bool& bAllLoaded)
{
    StateImages images;
    images.nr = LoadChosen(strNr);
    images.ov = LoadChosen(strOv);
    images.dn = LoadChosen(strDn);
    bAllLoaded = images.IsComplete();
    // A missing image counts as size 0, so a missing hover or pressed image is
    // reported like a wrong-sized one; one message for the whole set.
    const QSize sizeNr = images.nr.size();
    if (images.ov.size() != sizeNr || images.dn.size() != sizeNr) {
        const QString strText = QStringLiteral("The size of %1 is not equal").arg(strNr);
        LogPrintf("%s\n", strText.toUtf8().constData());
        if (pPrompt) pPrompt->ShowMessage(ToU16(strText), u"");
    }
    if (images.ov.isNull()) images.ov = images.nr;
    if (images.dn.isNull()) images.dn = images.nr;
    return images;
}

QImage CutBackground(const QImage& img, const QRect& rc, const QColor* pTint, int nTintAlpha)
{
    if (rc.isEmpty()) return {};
    const double fRatio = img.isNull() ? 1.0 : img.devicePixelRatio();
    QImage cut(QSize(int(std::lround(rc.width() * fRatio)), int(std::lround(rc.height() * fRatio))),
               QImage::Format_ARGB32_Premultiplied);
    cut.setDevicePixelRatio(fRatio);
    cut.fill(Qt::transparent);
    QPainter painter(&cut);
    // Only the part of the rectangle that lies on the image is copied; the
    // rest stays transparent.
    const QRect rcSource = rc.intersected(QRect(QPoint(0, 0), LogicalSize(img)));
    if (!rcSource.isEmpty()) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        const QRectF rcPixels(rcSource.x() * fRatio, rcSource.y() * fRatio, rcSource.width() * fRatio,
                              rcSource.height() * fRatio);
        painter.drawImage(QRectF(rcSource.topLeft() - rc.topLeft(), rcSource.size()), img, rcPixels);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    if (pTint) {
        QColor tint = *pTint;
        tint.setAlpha(std::clamp(nTintAlpha, 0, 255));
        painter.fillRect(cut.rect(), tint);
    }
    return cut;
}

QImage ComposeImage(const QImage& background, const QRect& rcBackground, const QImage& overlay,
                    const QRect& rcOverlay)
{
    const QRect rcTarget = rcOverlay.isEmpty() ? QRect(QPoint(0, 0), LogicalSize(overlay)) : rcOverlay;
    QImage composed;
    if (rcBackground.isEmpty()) {
        composed = QImage(rcTarget.united(QRect(0, 0, 1, 1)).size(), QImage::Format_ARGB32_Premultiplied);
        composed.fill(Qt::transparent);
    } else {
        composed = CutBackground(background, rcBackground);
    }
    if (!overlay.isNull()) {
        QPainter painter(&composed);
        painter.drawImage(rcTarget, overlay);
    }
    return composed;
}

double ScaleForScreenWidth(int nWidth)
{
    if (nWidth < 2500) return 1.0;
    if (nWidth < 2800) return 1.4;
    if (nWidth < 3500) return 1.5;
    return 1.9;
}

double InterfaceScale()
{
    // The stored factor only counts while scaling is on: below 2500 pixels
    // nothing is scaled, whatever the factor holds.
    if (!gVar.bHighDpiScreen || !(g_fScale > 0.0f)) return 1.0;
    return std::round(double(g_fScale) * 100.0) / 100.0;
}

void SetInterfaceScale(double fScale)
{
    const bool bOn = fScale > 1.0 + 1e-9;
    g_fScale = float(bOn ? fScale : 1.0);
    gVar.bHighDpiScreen = bOn;
    // The theme the controls are made with follows.
    SkinTheme theme = Theme();
    theme.fScale = InterfaceScale();
    SetTheme(theme);
}

QImage ScaleImage(const QImage& img)
{
    const double fScale = InterfaceScale();
    if (img.isNull() || fScale == 1.0) return img;
    const double fRatio = img.devicePixelRatio();
    const QSize logical = LogicalSize(img);
    const QSize size(std::max(1, ScaledInt(int(std::lround(logical.width() * fRatio)), fScale)),
                     std::max(1, ScaledInt(int(std::lround(logical.height() * fRatio)), fScale)));
    QImage scaled = img.scaled(size, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    scaled.setDevicePixelRatio(fRatio);
    return scaled;
}

void ScaleWindow(QWidget* pControl)
{
    const double fScale = InterfaceScale();
    if (!pControl || fScale == 1.0) return;
    // The rectangle's four edges are scaled, as the layout options give them.
    const QRect rc = pControl->geometry();
    const int l = ScaledInt(rc.x(), fScale), t = ScaledInt(rc.y(), fScale);
    const int r = ScaledInt(rc.x() + rc.width(), fScale), b = ScaledInt(rc.y() + rc.height(), fScale);
    pControl->setGeometry(l, t, r - l, b - t);
}

void CenterOnParent(QWidget* pWindow, int nWidth, int nHeight)
{
    if (!pWindow) return;
    QWidget* pParent = pWindow->parentWidget();
    QRect rcArea;
    if (!pWindow->isWindow() && pParent) {
        rcArea = pParent->rect();  // a child: centred in its parent's client area
    } else if (pParent) {
        rcArea = QRect(pParent->mapToGlobal(QPoint(0, 0)), pParent->size());
    } else {
        QScreen* pScreen = pWindow->screen() ? pWindow->screen() : QGuiApplication::primaryScreen();
        if (pScreen) rcArea = pScreen->availableGeometry();
    }
    const int x = rcArea.x() + (rcArea.width() - nWidth) / 2;
    const int y = rcArea.y() + (rcArea.height() - nHeight) / 2;
    pWindow->setGeometry(x, y, nWidth, nHeight);
}

QRect DrawTextFit(QPainter& painter, const QString& strText, const QRect& rc)
{
    const QFontMetrics fm = painter.fontMetrics();
    if (fm.horizontalAdvance(strText) <= rc.width()) {
        painter.drawText(rc, Qt::AlignCenter | Qt::TextSingleLine, strText);
        return rc;
    }
    // Too wide: wrap at word boundaries and let the block grow or shrink
    // about the rectangle's vertical centre.
    const int nFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;
    const QRect rcBound = fm.boundingRect(QRect(rc.left(), 0, rc.width(), 1 << 20), nFlags, strText);
    const QRect rcUsed(rc.left(), rc.top() + (rc.height() - rcBound.height()) / 2, rc.width(), rcBound.height());
    painter.drawText(rcUsed, nFlags, strText);
    return rcUsed;
}

std::vector<uint8_t> LoadMask(const QString& strPath, QSize& size)
{
    size = QSize();
    if (strPath.isEmpty()) return {};
    QImageReader reader(strPath);
    reader.setDecideFormatFromContent(true);
    const QImage img = reader.read();
    if (img.isNull()) {
        LogPrintf("Mask not readable: %s (%s)\n", strPath.toUtf8().constData(),
                  reader.errorString().toUtf8().constData());
        return {};
    }
    if (!img.hasAlphaChannel()) {
        LogPrintf("Mask has no alpha channel: %s\n", strPath.toUtf8().constData());
        return {};
    }
    const QImage argb = img.convertToFormat(QImage::Format_ARGB32);
    std::vector<uint8_t> alpha;
    alpha.reserve(size_t(argb.width()) * size_t(argb.height()));
    for (int y = 0; y < argb.height(); ++y) {
        const auto* pLine = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) alpha.push_back(uint8_t(qAlpha(pLine[x])));
    }
    size = argb.size();
    return alpha;
}

MaskLoad LoadMaskFor(const QString& strPath, QSize pictureSize, std::vector<uint8_t>& alpha)
{
    QSize size;
    alpha = LoadMask(strPath, size);
    if (alpha.empty()) return MaskLoad::Missing;
    if (size != pictureSize) {
        alpha.clear();
        return MaskLoad::WrongSize;
    }
    return MaskLoad::Ok;
}

QRgb BlendMaskPixel(QRgb picture, QRgb led, uint8_t a)
{
    const auto mix = [a](int nLed, int nPicture) { return (a * nLed + (255 - a) * nPicture) / 255; };
    return qRgba(mix(qRed(led), qRed(picture)), mix(qGreen(led), qGreen(picture)), mix(qBlue(led), qBlue(picture)),
                 qAlpha(picture));
}

QImage ApplyMask(const QImage& picture, const std::vector<uint8_t>& mask, QRgb led)
{
    if (picture.isNull() || mask.size() != size_t(picture.width()) * size_t(picture.height())) return picture;
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    size_t i = 0;
    for (int y = 0; y < out.height(); ++y) {
        auto* pLine = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x, ++i) {
            if (mask[i]) pLine[x] = BlendMaskPixel(pLine[x], led, mask[i]);
        }
    }
    return out;
}

}  // namespace skin
