// Where skin images come from and how they are prepared for drawing: the
// chosen skin folder, the common folder shared by every skin, the mouse
// pictures; state images (_nr, _ov, _dn); backgrounds cut from a page; the
// interface scale. File names are found case-insensitively, because skins
// written on other systems spell the same file "Check_nr.png" and "check_nr.png".
#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <span>
#include <vector>

class QWidget;
class QPainter;
class IPrompt;

namespace skin {

// Full path of a file in the chosen skin folder, the common folder or the mouse
// picture folder; empty when no file of that name (in any letter case) exists.
QString ChosenPath(const QString& strName);
QString CommonPath(const QString& strName);
QString MousePath(const QString& strName);
// The same lookup inside any folder.
QString FindCaseInsensitive(const QString& strFolder, const QString& strName);

// An image from the chosen folder (a full path is used as it is); null when
// missing. Its logical size is the file's; on a screen with a device pixel
// ratio above 1 (the theme's) it holds that many more pixels and says so
// (QImage::devicePixelRatio), so Qt draws it sharp at its logical size.
QImage LoadChosen(const QString& strNameOrPath);
QImage LoadCommon(const QString& strName);
QImage LoadMouse(const QString& strName);
// The same at the interface scale: the logical size is the file's times
// InterfaceScale(), the pixels are drawn for that scale (replaces
// ScaleImage(LoadChosen(...)), which enlarges the pixels).
QImage LoadChosenScaled(const QString& strNameOrPath);
QImage LoadCommonScaled(const QString& strName);

// The one image cache. Every skin image is decoded once per file, interface
// scale and device pixel ratio, and handed out as a shared copy. The skin
// generator writes each control and window image at the scales a screen
// asks for most ("name@1.5x.png", "name@2x.png" beside "name.png"); an image
// is made from the smallest of them that is at least as large as asked, or
// the largest there is, smoothly resized to the exact pixel size.
// fScale: interface scale; fPixelRatio: the screen's device pixel ratio.
// A file replaced on disk is read again (the key holds its size and time).
QImage LoadImageFile(const QString& strPath, double fScale, double fPixelRatio);
// The variant scales the generator writes, and the name of one ("a_nr.png",
// 2.0 -> "a_nr@2x.png"; 1.0 -> the name itself).
std::span<const double> GeneratedScales();
QString ScaledFileName(const QString& strName, double fScale);
// Forgets every image (after a skin change: the next look-ups read the new skin).
void ClearImageCache();
int ImageCacheCount();
// The size an image is drawn at: its pixels divided by its device pixel ratio.
QSize LogicalSize(const QImage& img);

// The three state images of a control. Hover and pressed images that do not load
// fall back to the normal image.
struct StateImages {
    QImage nr, ov, dn;
    bool IsComplete() const { return !nr.isNull() && !ov.isNull() && !dn.isNull(); }
};
// Loads and checks them: a hover or pressed image whose size differs from the
// normal one shows "The size of %s is not equal" (normal image's name, empty
// caption) once. bAllLoaded is false when any of the three did not load.
StateImages LoadStateImages(const QString& strNr, const QString& strOv, const QString& strDn, IPrompt* pPrompt,
                            bool& bAllLoaded);

// A copy of part of an image, optionally filled over with a tint at an opacity
// 0..255. rc is in the image's logical pixels; the copy keeps its pixel ratio.
QImage CutBackground(const QImage& img, const QRect& rc, const QColor* pTint = nullptr, int nTintAlpha = 0);
// Part of the background with the overlay drawn over it.
QImage ComposeImage(const QImage& background, const QRect& rcBackground, const QImage& overlay,
                    const QRect& rcOverlay);

// The interface scale: 1.0 below 2500 pixels of screen width, 1.4 up to 2799,
// 1.5 up to 3499, 1.9 above.
double ScaleForScreenWidth(int nWidth);
double InterfaceScale();
// Also the current theme's scale.
void SetInterfaceScale(double fScale);
// The image at size x scale (nearest neighbour); the image itself at scale 1.
QImage ScaleImage(const QImage& img);
// Moves and resizes a control by the interface scale, in its parent's coordinates.
void ScaleWindow(QWidget* pControl);
void CenterOnParent(QWidget* pWindow, int nWidth, int nHeight);
// Draws the text centred on one line, or wrapped at word boundaries with the
// lines centred vertically when it does not fit; returns the rectangle used.
QRect DrawTextFit(QPainter& painter, const QString& strText, const QRect& rc);

// The alpha bytes of a .skn mask, row by row; empty when it cannot be loaded.
// The file is read by its content, whatever its suffix; a picture without an
// alpha channel is refused (it would light every pixel of the picture).
std::vector<uint8_t> LoadMask(const QString& strPath, QSize& size);

// A mask checked against the picture it belongs to.
enum class MaskLoad { Ok, Missing, WrongSize };
MaskLoad LoadMaskFor(const QString& strPath, QSize pictureSize, std::vector<uint8_t>& alpha);

// The LED colour laid over a picture pixel with the strength a (0..255): each
// channel = a/255 x LED + (1 - a/255) x picture, whole numbers; the picture's
// alpha is kept. Both colours are straight (not premultiplied).
QRgb BlendMaskPixel(QRgb picture, QRgb led, uint8_t a);
// The whole picture with the LED colour laid over it through the mask (one
// byte per pixel, row by row, of the picture's size); the picture itself when
// the mask does not fit it.
QImage ApplyMask(const QImage& picture, const std::vector<uint8_t>& mask, QRgb led);

}  // namespace skin
