#include "ui/pages/mouse/PowerDlg.h"

#include <QPainter>

#include "core/Log.h"
#include "ui/pages/mouse/MsPageLink.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/SkinTheme.h"

namespace {
constexpr int kAnimationMs = 1400;
constexpr int kFrames = 4;   // empty, a third, two thirds, full
}  // namespace

CPowerDlg::CPowerDlg(bool bPowerFw, QWidget* pParent) : QWidget(pParent), m_state(bPowerFw)
{
    setObjectName(QStringLiteral("powerPage"));
    m_timer.setInterval(kAnimationMs);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_nFrame = (m_nFrame + 1) % kFrames;
        update();
    });
    Reskin();
}

void CPowerDlg::Reskin()
{
    resize(MsScaled(0, 0, 200, 36).size());
    update();
}

void CPowerDlg::SetPowerStatus(int nState, int nLevel)
{
    LogPrintf("SetPowerStatus(%d, %d)", nState, nLevel);
    if (m_state.SetPowerStatus(nState, nLevel)) {
        m_nFrame = 0;
        m_timer.start();
    }
    if (!m_state.Animating()) m_timer.stop();
    update();
}

void CPowerDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const skin::SkinTheme& t = skin::Theme();
    const QImage empty = skin::LoadChosenScaled(QStringLiteral("BatteryEmpty.png"));
    const QImage full = skin::LoadChosenScaled(QStringLiteral("BatteryFull.png"));
    const QImage charging = skin::LoadChosenScaled(QStringLiteral("Charging.png"));
    const QSize size = empty.isNull() ? MsScaled(0, 0, 48, 22).size() : skin::LogicalSize(empty);
    const QRect rcBattery(QPoint(0, (height() - size.height()) / 2), size);
    // The filled part: the level shown, or the animation's frame while charging.
    const int nPercent = m_timer.isActive() ? m_nFrame * 100 / (kFrames - 1) : std::clamp(m_state.Shown(), 0, 100);
    if (!empty.isNull()) p.drawImage(rcBattery, empty);
    else p.drawRect(rcBattery.adjusted(0, 0, -1, -1));
    if (!full.isNull()) {
        const int w = rcBattery.width() * nPercent / 100;
        const QImage imgFull = full;
        const double dpr = imgFull.devicePixelRatio();
        p.drawImage(QRect(rcBattery.topLeft(), QSize(w, rcBattery.height())), imgFull,
                    QRect(0, 0, int(w * dpr), imgFull.height()));
    } else {
        p.fillRect(rcBattery.adjusted(2, 2, -2, -2).adjusted(0, 0, -(rcBattery.width() - 4) * (100 - nPercent) / 100, 0),
                   t.clrSelection);
    }
    int x = rcBattery.right() + 8;
    if (m_timer.isActive() && !charging.isNull()) {
        const QSize c = skin::LogicalSize(charging);
        p.drawImage(QPoint(x, (height() - c.height()) / 2), charging);
        x += c.width() + 6;
    }
    p.setPen(t.clrText);
    p.setFont(t.font);
    p.drawText(QRect(x, 0, width() - x, height()), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("%1 %").arg(m_state.Shown()));
}
