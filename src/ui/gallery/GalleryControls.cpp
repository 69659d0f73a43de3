// The gallery's controls: buttons, check and radio boxes, navigation buttons,
// combo buttons closed and open, the tree, and the three kinds of slider.
#include <QApplication>
#include <QPainter>

#include "core/Gvar.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "ui/gallery/Gallery.h"
#include "ui/gallery/GalleryPage.h"
#include "ui/skin/ComboBtn.h"
#include "ui/skin/MSliderBar.h"
#include "ui/skin/NaviBtn.h"
#include "ui/skin/PngHProgressBar.h"
#include "ui/skin/PngSliderBar.h"
#include "ui/skin/SkinContext.h"
#include "ui/skin/SkinControls.h"
#include "ui/skin/TreeCtrlEx.h"

using namespace gallery;

namespace {

constexpr int kMargin = 8;

// The page around a control, with a margin.
QRect Around(const QWidget* pControl)
{
    return pControl->geometry().adjusted(-S(kMargin), -S(kMargin), S(kMargin), S(kMargin));
}

// Normal, hover, pressed (checked for a check box) and disabled.
void ButtonStates(std::vector<std::pair<QString, QImage>>& shots, const QString& strName, QWidget* pPage,
                  CPngBtn* pBtn)
{
    if (!pBtn) return;
    const QRect rc = Around(pBtn);
    shots.push_back({strName + QStringLiteral("-normal"), ShotOf(pPage, rc)});
    Enter(pBtn);
    shots.push_back({strName + QStringLiteral("-hover"), ShotOf(pPage, rc)});
    if (pBtn->isCheckable()) {
        pBtn->setChecked(true);
        shots.push_back({strName + QStringLiteral("-checked"), ShotOf(pPage, rc)});
        pBtn->setChecked(false);
    } else {
        pBtn->setDown(true);
        shots.push_back({strName + QStringLiteral("-pressed"), ShotOf(pPage, rc)});
        pBtn->setDown(false);
    }
    Leave(pBtn);
    pBtn->setEnabled(false);
    shots.push_back({strName + QStringLiteral("-disabled"), ShotOf(pPage, rc)});
}

QString Text(const std::u16string& str) { return ToQString(str); }

}  // namespace

void CGallery::Buttons(std::vector<Shot>& shots)
{
    CGalleryPage page(140, 50);
    CPngBtn* pBtn = CreateSkinButton(&page, page.Back(), QStringLiteral("button3_nr.png"),
                                     QStringLiteral("button3_ov.png"), QStringLiteral("button3_ov.png"),
                                     Text(gText.tc_apply), false, S(QRect(kMargin, kMargin, 92, 26)), nullptr);
    if (!pBtn) Missing(QStringLiteral("button"));
    ButtonStates(shots, QStringLiteral("button"), &page, pBtn);

    CGalleryPage page2(140, 50);
    pBtn = CreateSkinButton(&page2, page2.Back(), QStringLiteral("button_nr.png"), QStringLiteral("button_ov.png"),
                            QStringLiteral("button_ov.png"), Text(gText.tc_cancel), false,
                            S(QRect(kMargin, kMargin, 124, 22)), nullptr);
    if (!pBtn) Missing(QStringLiteral("msgbutton"));
    ButtonStates(shots, QStringLiteral("msgbutton"), &page2, pBtn);
}

void CGallery::CheckBoxes(std::vector<Shot>& shots)
{
    for (const char* pszStem : {"check", "radio"}) {
        const QString strStem = QString::fromLatin1(pszStem);
        CGalleryPage page(40, 40);
        CPngBtn* pBox = CreateSkinButton(&page, page.Back(), strStem + QStringLiteral("_nr.png"),
                                         strStem + QStringLiteral("_ov.png"), strStem + QStringLiteral("_dn.png"),
                                         QString(), true, S(QRect(kMargin, kMargin, 17, 17)), nullptr);
        if (!pBox) Missing(strStem);
        ButtonStates(shots, strStem, &page, pBox);
    }
}

void CGallery::NaviButtons(std::vector<Shot>& shots)
{
    CGalleryPage page(110, 80);
    // The navigation pictures have no hover picture: hover shows the selected one.
    auto* pNavi = CreateSkinButton<CNaviBtn>(&page, page.Back(), QStringLiteral("mac_nr.png"),
                                             QStringLiteral("mac_dn.png"), QStringLiteral("mac_dn.png"),
                                             Text(gText.tc_macro), true, S(QRect(kMargin, kMargin, 90, 62)),
                                             nullptr);
    if (!pNavi) Missing(QStringLiteral("navi"));
    ButtonStates(shots, QStringLiteral("navi"), &page, pNavi);
}

void CGallery::Combos(std::vector<Shot>& shots)
{
    CGalleryPage page(180, 40);
    auto* pCombo = CreateSkinButton<CComboBtn>(&page, page.Back(), QStringLiteral("combo2_nr.png"),
                                               QStringLiteral("combo2_ov.png"), QStringLiteral("combo2_ov.png"),
                                               QString(), false, S(QRect(kMargin, kMargin, 160, 24)), nullptr);
    if (!pCombo) return Missing(QStringLiteral("combo"));
    for (int i = 1; i <= 6; ++i) pCombo->AddItem(0, i, Text(gText.tc_ms_led(i)));
    pCombo->SelectIndex(2);
    const QRect rc = Around(pCombo);
    shots.push_back({QStringLiteral("combo-closed"), ShotOf(&page, rc)});
    Enter(pCombo);
    shots.push_back({QStringLiteral("combo-hover"), ShotOf(&page, rc)});

    // Open: the list window under the button, one row under the pointer.
    auto* pList = dynamic_cast<QWidget*>(pCombo->Menu());
    if (pList) pList->setAttribute(Qt::WA_DontShowOnScreen);
    if (pList && pCombo->OpenList()) {
        QApplication::processEvents();
        MoveTo(pList, QPoint(pList->width() / 2, pList->height() * 3 / 12));
        const QPoint ptList = pList->pos() - page.mapToGlobal(QPoint(0, 0));
        const QRect rcList(ptList, pList->size());
        const QRect rcAll = rc.united(rcList.adjusted(-S(kMargin), 0, S(kMargin), S(kMargin)));
        const double fRatio = ShotRatio();
        QImage img(QSize(int(rcAll.width() * fRatio), int(rcAll.height() * fRatio)), QImage::Format_ARGB32_Premultiplied);
        img.setDevicePixelRatio(fRatio);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.drawImage(rc.topLeft() - rcAll.topLeft(), ShotOf(&page, rc));
        p.drawImage(rcList.topLeft() - rcAll.topLeft(), ShotOfWidget(pList));
        p.end();
        shots.push_back({QStringLiteral("combo-open"), img});
        pCombo->Menu()->Close();
    }
    Leave(pCombo);
    pCombo->setEnabled(false);
    shots.push_back({QStringLiteral("combo-disabled"), ShotOf(&page, rc)});
}

void CGallery::Tree(std::vector<Shot>& shots)
{
    CGalleryPage page(236, 196);
    const skin::SkinTheme& theme = skin::Theme();
    const QRect rcTree = S(QRect(kMargin, kMargin, 220, 180));
    auto* pTree = new CTreeCtrlEx(&page, rcTree, page.Back(), QStringLiteral("open.png"), QStringLiteral("close.png"));
    TreeLook& look = pTree->Look();
    look.nIndentGap = 4;  // before the scale, which scales it
    pTree->SetScale(float(theme.fScale));
    look.clrSelRow = theme.clrListItem.rgb();
    look.bHoverRow = true;
    look.clrHoverRow = 0x30FFFFFF;
    pTree->LookChanged();
    pTree->show();

    const QImage imgKey = skin::LoadChosen(QStringLiteral("mac_keydn.png"));
    const QImage imgFire = skin::LoadChosen(QStringLiteral("fire.png"));
    const QImage imgDelay = skin::LoadChosen(QStringLiteral("mac_delay.png"));
    QTreeWidgetItem* pFolder = pTree->AddItem(true, nullptr, false, QImage(), Text(gText.tc_macro_list), 1, 0);
    pTree->AddItem(false, pFolder, false, imgKey, QStringLiteral("Reload"), 2, 0);
    QTreeWidgetItem* pSel = pTree->AddItem(false, pFolder, false, imgFire, QStringLiteral("Burst fire"), 3, 0);
    pTree->AddItem(false, pFolder, false, imgDelay, QStringLiteral("Slow walk with a long name for the tooltip"), 4, 0);
    QTreeWidgetItem* pFolder2 = pTree->AddItem(true, nullptr, false, QImage(), Text(gText.tc_bullet(4)), 5, 0);
    pTree->AddItem(false, pFolder2, false, imgFire, QStringLiteral("Rifle"), 6, 0);
    QTreeWidgetItem* pLeaf = pTree->AddItem(false, nullptr, false, imgKey, QStringLiteral("Jump"), 7, 0);
    pTree->Expand(TreeExpand::Expand, pFolder);
    pTree->Expand(TreeExpand::Collapse, pFolder2);
    pTree->Select(pSel);
    QApplication::processEvents();
    MoveTo(pTree->viewport(), pTree->visualItemRect(pLeaf).center());
    shots.push_back({QStringLiteral("tree"), ShotOf(&page, Around(pTree))});
}

void CGallery::Sliders(std::vector<Shot>& shots)
{
    struct Stop {
        const char* pszName;
        int nValue;
    };
    constexpr Stop kStops[] = {{"low", 0}, {"mid", 50}, {"high", 100}};

    // The image slider, with its pictures at the interface scale.
    {
        CGalleryPage page(426, 29);
        const QRect rc = S(QRect(kMargin, kMargin, 410, 13));
        const QImage imgThumb = skin::LoadChosenScaled(QStringLiteral("slider2.png"));
        CPngSliderBar* pBar = CreateSkinSlider(&page, imgThumb, QStringLiteral("bar.png"), QStringLiteral("bar_ov.png"),
                                               0, 100, rc, page.Back(), QImage(), nullptr);
        if (!pBar) Missing(QStringLiteral("slider"));
        if (pBar) {
            pBar->SetImages(skin::LoadChosenScaled(QStringLiteral("bar.png")),
                            skin::LoadChosenScaled(QStringLiteral("bar_ov.png")), imgThumb,
                            skin::CutBackground(page.Back(), rc));
            pBar->ComputeScale();
            for (const Stop& stop : kStops) {
                pBar->SelectValue(stop.nValue);
                shots.push_back({QStringLiteral("slider-") + QLatin1String(stop.pszName), ShotOf(&page, Around(pBar))});
            }
            pBar->SelectValue(50);
            pBar->setEnabled(false);
            shots.push_back({QStringLiteral("slider-disabled"), ShotOf(&page, Around(pBar))});
        }
    }
    // The drawn slider in the configured bar colours.
    {
        CGalleryPage page(426, 29);
        const QRect rc(kMargin, kMargin, 410, 13);
        auto* pBar = new CMSliderBar(&page, rc, skin::LoadCommon(QStringLiteral("slider.png")));
        pBar->SetBackground(page.Back(), S(rc));
        pBar->SetColors(gVar.clrBarNr, gVar.clrBarOv);
        pBar->SetValueRange(0, 100);
        pBar->show();
        pBar->SetScale(float(skin::InterfaceScale()));
        for (const Stop& stop : kStops) {
            pBar->SelectValue(stop.nValue);
            shots.push_back({QStringLiteral("mslider-") + QLatin1String(stop.pszName), ShotOf(&page, Around(pBar))});
        }
    }
    // The picture progress bar.
    {
        CGalleryPage page(316, 28);
        auto* pBar = new CPngHProgressBar(&page, skin::LoadCommonScaled(QStringLiteral("bar.png")),
                                          skin::LoadCommonScaled(QStringLiteral("bar_ov.png")),
                                          S(QRect(kMargin, kMargin, 300, 12)));
        pBar->SetDraggable(false);
        pBar->show();
        pBar->SetRange(0, 100);
        for (const Stop& stop : kStops) {
            pBar->SetPos(stop.nValue);
            shots.push_back({QStringLiteral("hprogress-") + QLatin1String(stop.pszName), ShotOf(&page, Around(pBar))});
        }
    }
}
