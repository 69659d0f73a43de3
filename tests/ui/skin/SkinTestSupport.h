// Helpers for the skinned-control tests: solid test images, pixel reads of what
// a control drew, pointer events as a user makes them, and a guard that puts the
// global options and skin folder back after a test.
#pragma once

#include <QApplication>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>
#include <filesystem>
#include <memory>

#include "core/Gvar.h"
#include "core/IPrompt.h"
#include "ui/skin/SkinContext.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/SkinTheme.h"

namespace skintest {

inline QImage Solid(int w, int h, QRgb argb)
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(QColor::fromRgba(argb));
    return img;
}

// What the widget shows at a point, as 0xAARRGGBB.
inline QRgb PixelAt(QWidget* pWidget, int x, int y)
{
    return pWidget->grab().toImage().convertToFormat(QImage::Format_ARGB32).pixel(x, y) | 0;
}

// Pixels of the image in rc that differ from the colour; used to find drawn text.
inline int CountNot(const QImage& img, const QRect& rc, QRgb clr)
{
    int n = 0;
    const QImage im = img.convertToFormat(QImage::Format_ARGB32);
    for (int y = rc.top(); y <= rc.bottom(); ++y)
        for (int x = rc.left(); x <= rc.right(); ++x)
            if ((im.pixel(x, y) & 0xFFFFFF) != (clr & 0xFFFFFF)) ++n;
    return n;
}

// Leftmost and rightmost columns holding a pixel that is not clr; -1 when none.
inline std::pair<int, int> InkColumns(const QImage& img, QRgb clr)
{
    const QImage im = img.convertToFormat(QImage::Format_ARGB32);
    int nFirst = -1, nLast = -1;
    for (int x = 0; x < im.width(); ++x)
        for (int y = 0; y < im.height(); ++y)
            if ((im.pixel(x, y) & 0xFFFFFF) != (clr & 0xFFFFFF)) {
                if (nFirst < 0) nFirst = x;
                nLast = x;
                break;
            }
    return {nFirst, nLast};
}

inline void Enter(QWidget* pWidget)
{
    const QPointF pt(2, 2);
    QEnterEvent e(pt, pt, pWidget->mapToGlobal(pt));
    QCoreApplication::sendEvent(pWidget, &e);
}

inline void Leave(QWidget* pWidget)
{
    QEvent e(QEvent::Leave);
    QCoreApplication::sendEvent(pWidget, &e);
}

inline void Mouse(QWidget* pWidget, QEvent::Type type, QPoint pt, Qt::MouseButton button, Qt::MouseButtons buttons)
{
    QMouseEvent e(type, QPointF(pt), pWidget->mapToGlobal(QPointF(pt)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(pWidget, &e);
}

inline void Wheel(QWidget* pWidget, int nDelta)
{
    const QPointF pt(pWidget->width() / 2, pWidget->height() / 2);
    QWheelEvent e(pt, pWidget->mapToGlobal(pt), QPoint(), QPoint(0, nDelta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(pWidget, &e);
}

// Restores gVar, the application folder, the control prompt and the theme
// after a test, and starts and ends it with an empty image cache.
class CGlobalsGuard {
public:
    CGlobalsGuard()
        : m_pSaved(std::make_unique<GlobalVar>(gVar)), m_appDir(g_szAppDir), m_fScale(g_fScale),
          m_pPrompt(skin::Prompt()), m_theme(skin::Theme())
    {
        skin::ClearImageCache();
    }
    ~CGlobalsGuard()
    {
        gVar = *m_pSaved;
        g_szAppDir = m_appDir;
        g_fScale = m_fScale;
        skin::SetPrompt(m_pPrompt);
        skin::SetTheme(m_theme);
        skin::ClearImageCache();
    }

private:
    std::unique_ptr<GlobalVar> m_pSaved;  // large: kept off the stack
    std::filesystem::path m_appDir;
    float m_fScale;
    IPrompt* m_pPrompt;
    skin::SkinTheme m_theme;
};

}  // namespace skintest
