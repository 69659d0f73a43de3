#include "ui/gallery/GalleryPage.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "ui/skin/SkinImages.h"

namespace gallery {

int S(int v) { return int(std::floor(v * skin::InterfaceScale() + 1e-6)); }

QRect S(const QRect& rc)
{
    const int l = S(rc.left()), t = S(rc.top());
    return QRect(l, t, S(rc.left() + rc.width()) - l, S(rc.top() + rc.height()) - t);
}

CGalleryPage::CGalleryPage(int w, int h)
{
    setAttribute(Qt::WA_DontShowOnScreen);
    const QSize size(S(w), S(h));
    const QImage imgMain = skin::LoadChosenScaled(QStringLiteral("main_nr.png"));
    // The open part of the main window, right of the profile list and below the title.
    m_imgBack = skin::CutBackground(imgMain, QRect(QPoint(S(280), S(110)), size));
    if (m_imgBack.isNull()) {
        m_imgBack = QImage(size, QImage::Format_ARGB32_Premultiplied);
        m_imgBack.fill(QColor(0x30, 0x30, 0x30));
    }
    resize(size);
    show();
}

void CGalleryPage::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(QPoint(0, 0), m_imgBack);
}

namespace {
double s_fShotRatio = 1.0;
}  // namespace

void SetShotRatio(double fRatio) { s_fShotRatio = fRatio > 0 ? fRatio : 1.0; }
double ShotRatio() { return s_fShotRatio; }

QImage ShotOf(QWidget* pPage, const QRect& rc)
{
    QApplication::processEvents();
    // Drawn into an image of the shot ratio, as a screen of that pixel ratio would show it.
    QImage img(QSize(int(std::lround(rc.width() * s_fShotRatio)), int(std::lround(rc.height() * s_fShotRatio))),
               QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(s_fShotRatio);
    img.fill(Qt::transparent);
    pPage->render(&img, QPoint(), QRegion(rc));
    return img;
}

QImage ShotOfWidget(QWidget* pWidget) { return ShotOf(pWidget, pWidget->rect()); }

QImage ShotOfWindow(QWidget* pWindow)
{
    if (!pWindow->isVisible()) {
        pWindow->setAttribute(Qt::WA_DontShowOnScreen);
        pWindow->show();
    }
    return ShotOfWidget(pWindow);
}

void Enter(QWidget* pWidget)
{
    const QPointF pt(2, 2);
    QEnterEvent e(pt, pt, pWidget->mapToGlobal(pt));
    QCoreApplication::sendEvent(pWidget, &e);
}

void Leave(QWidget* pWidget)
{
    QEvent e(QEvent::Leave);
    QCoreApplication::sendEvent(pWidget, &e);
}

void MoveTo(QWidget* pWidget, const QPoint& pt)
{
    QMouseEvent e(QEvent::MouseMove, QPointF(pt), pWidget->mapToGlobal(QPointF(pt)), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(pWidget, &e);
}

}  // namespace gallery
