#include "ui/skin/SkinControls.h"

#include <QDir>
#include <QFileInfo>

#include "core/IPrompt.h"
#include "core/Options.h"
#include "ui/QtText.h"
#include "ui/skin/PngSliderBar.h"
#include "ui/skin/SkinContext.h"
#include "ui/skin/SliderScale.h"

namespace skin::detail {

bool LoadButtonImages(const QString& strNr, const QString& strOv, const QString& strDn, IPrompt* pPrompt,
                      StateImages& images)
{
    bool bAllLoaded = false;
    images = LoadStateImages(strNr, strOv, strDn, pPrompt, bAllLoaded);
    return bAllLoaded && images.IsComplete();
}

void SetUpButton(CPngBtn& btn, const StateImages& images, const QImage& imgPageBack, const QString& strText,
                 bool bCheckMode, const QRect& rc, double fScale)
{
    btn.SetImages(images.nr, images.ov, images.dn);
    const QRect rcBtn = rc.size().isEmpty() ? QRect(rc.topLeft(), LogicalSize(images.nr)) : rc;
    btn.setGeometry(rcBtn);
    if (!imgPageBack.isNull()) btn.SetBackground(imgPageBack, rcBtn);
    btn.SetScale(float(fScale));
    btn.setCheckable(bCheckMode);
    if (!strText.isEmpty()) btn.setText(strText);
    btn.show();
}

}  // namespace skin::detail

namespace {

// The name as the user would look for it: a full path as given, else where the
// chosen skin folder would hold it.
QString ChosenFileName(const QString& strNameOrPath, const skin::SkinTheme& theme)
{
    if (QFileInfo(strNameOrPath).isAbsolute()) return strNameOrPath;
    const QString strDir = theme.strSkinDir.isEmpty() ? QString::fromStdString(GetSkinDir().string()) : theme.strSkinDir;
    return QDir(strDir).filePath(strNameOrPath);
}

}  // namespace

CPngSliderBar* CreateSkinSlider(QWidget* pParent, const QImage& imgThumb, const QString& strTrack,
                                const QString& strFill, int nLow, int nHigh, const QRect& rc,
                                const QImage& imgPageBack, const QImage& imgMark, IPrompt* pPrompt,
                                const skin::SkinTheme& theme)
{
    if (imgThumb.isNull()) {
        skin::Warn(QStringLiteral("Slider img is null"), QStringLiteral("Error"), pPrompt);
        return nullptr;
    }
    const QImage imgTrack = skin::LoadChosen(strTrack);
    if (imgTrack.isNull()) {
        skin::Warn(QStringLiteral("File not exist: %1").arg(ChosenFileName(strTrack, theme)), QStringLiteral("Error"), pPrompt);
        return nullptr;
    }
    const QImage imgFill = strFill.isEmpty() ? QImage() : skin::LoadChosen(strFill);
    auto* pBar = new CPngSliderBar(pParent, Qt::Horizontal, theme);
    pBar->SetPrompt(pPrompt);
    pBar->setGeometry(rc);
    const QImage imgBack = imgPageBack.isNull() ? QImage() : skin::CutBackground(imgPageBack, rc);
    pBar->SetImages(imgTrack, imgFill, imgThumb, imgBack);
    pBar->setRange(nLow, nHigh);
    pBar->SetMarkImage(imgMark);
    pBar->SetLiveNotify(true);
    pBar->ComputeScale();
    pBar->SelectValue(nLow);
    pBar->show();
    return pBar;
}

void SetButtonImages(QWidget* pPage, const QImage& imgPageBack, std::span<const SkinButtonImages> buttons)
{
    for (const SkinButtonImages& entry : buttons) {
        if (!entry.pBtn) continue;
        const QImage imgNr = skin::LoadChosen(entry.strNr);
        if (imgNr.isNull()) continue;
        QImage imgOv = skin::LoadChosen(entry.strOv);
        QImage imgDn = skin::LoadChosen(entry.strDn);
        if (imgOv.isNull()) imgOv = imgNr;
        if (imgDn.isNull()) imgDn = imgNr;
        entry.pBtn->SetImages(imgNr, imgOv, imgDn);
        const QPoint pt = pPage ? entry.pBtn->mapTo(pPage, QPoint(0, 0)) : entry.pBtn->pos();
        if (!imgPageBack.isNull()) entry.pBtn->SetBackground(imgPageBack, QRect(pt, entry.pBtn->size()));
    }
}

void SetSliderImages(QWidget* pPage, const QImage& imgPageBack, CPngSliderBar* pSlider1, CPngSliderBar* pSlider2)
{
    const QImage imgTrack = skin::LoadChosen(QStringLiteral("bar.png"));
    if (imgTrack.isNull()) return;
    const QImage imgFill = skin::LoadChosen(QStringLiteral("bar_ov.png"));
    const QImage imgThumb = skin::LoadChosen(QStringLiteral("slider2.png"));
    for (CPngSliderBar* pBar : {pSlider1, pSlider2}) {
        if (!pBar) continue;
        const QPoint pt = pPage ? pBar->mapTo(pPage, QPoint(0, 0)) : pBar->pos();
        const QImage imgBack =
            imgPageBack.isNull() ? QImage() : skin::CutBackground(imgPageBack, QRect(pt, pBar->size()));
        pBar->SetImages(imgTrack, imgFill, imgThumb, imgBack);
    }
}
