// How pages make their skinned controls from image names, and how they give
// existing controls the images of another skin. A creation helper returns null
// when the images do not allow the control (the reason has been shown through
// the prompt); a page must treat every control it created this way as optional.
#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <span>

#include "ui/skin/PngBtn.h"
#include "ui/skin/SkinImages.h"

class IPrompt;
class QWidget;
class CPngSliderBar;

namespace skin::detail {
// Loads the three state images ("The size of %s is not equal" on a size
// mismatch); false when any of them did not load.
bool LoadButtonImages(const QString& strNr, const QString& strOv, const QString& strDn, IPrompt* pPrompt,
                      StateImages& images);
// Images, geometry (rc, or the normal image's size at rc's corner when rc has no
// size), background piece, caption colours, font and scale of a new button.
void SetUpButton(CPngBtn& btn, const StateImages& images, const QImage& imgPageBack, const QString& strText,
                 bool bCheckMode, const QRect& rc, double fScale);
}  // namespace skin::detail

// A skinned button from three images, by name in the chosen skin folder or by
// full path, shown at rc in pParent (at the normal image's size when rc has no
// size). Null when not all three images load. TButton is CPngBtn or a subclass
// (CNaviBtn, CComboBtn). A check-mode button is checkable (check box, radio).
template <class TButton = CPngBtn>
TButton* CreateSkinButton(QWidget* pParent, const QImage& imgPageBack, const QString& strNr, const QString& strOv,
                          const QString& strDn, const QString& strText, bool bCheckMode, const QRect& rc,
                          IPrompt* pPrompt, const skin::SkinTheme& theme = skin::Theme())
{
    skin::StateImages images;
    if (!skin::detail::LoadButtonImages(strNr, strOv, strDn, pPrompt, images)) return nullptr;
    auto* pBtn = new TButton(pParent, theme);
    skin::detail::SetUpButton(*pBtn, images, imgPageBack, strText, bCheckMode, rc, theme.fScale);
    return pBtn;
}

// The same without a caption, at the normal image's size at pt.
template <class TButton = CPngBtn>
TButton* CreateSkinButton(QWidget* pParent, const QImage& imgPageBack, const QString& strNr, const QString& strOv,
                          const QString& strDn, bool bCheckMode, const QPoint& pt, IPrompt* pPrompt,
                          const skin::SkinTheme& theme = skin::Theme())
{
    return CreateSkinButton<TButton>(pParent, imgPageBack, strNr, strOv, strDn, QString(), bCheckMode,
                                     QRect(pt, QSize()), pPrompt, theme);
}

// A skinned slider over the page background: the thumb picture, a track and an
// optional filled track (by name in the chosen skin folder or full path), range
// nLow..nHigh at nLow, one scale position per value, optional scale marks.
// Null, after "Slider img is null" or "File not exist: %s", without a thumb or a track.
CPngSliderBar* CreateSkinSlider(QWidget* pParent, const QImage& imgThumb, const QString& strTrack,
                                const QString& strFill, int nLow, int nHigh, const QRect& rc,
                                const QImage& imgPageBack, const QImage& imgMark, IPrompt* pPrompt,
                                const skin::SkinTheme& theme = skin::Theme());

// New state images for existing buttons of a page (after a skin change). A
// hover or pressed image that does not load becomes the normal one; a button
// whose normal image does not load keeps its old images. Null buttons are skipped.
struct SkinButtonImages {
    CPngBtn* pBtn;
    QString strNr, strOv, strDn;
};
void SetButtonImages(QWidget* pPage, const QImage& imgPageBack, std::span<const SkinButtonImages> buttons);

// "bar.png", "bar_ov.png" and "slider2.png" of the chosen skin for up to two
// sliders of a page; null sliders are skipped, and nothing changes without "bar.png".
void SetSliderImages(QWidget* pPage, const QImage& imgPageBack, CPngSliderBar* pSlider1,
                     CPngSliderBar* pSlider2 = nullptr);
