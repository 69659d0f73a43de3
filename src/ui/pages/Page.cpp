#include "ui/pages/Page.h"

#include <QKeyEvent>
#include <QPainter>

#include "core/Gvar.h"
#include "device/DeviceHub.h"
#include "ui/skin/SkinImages.h"

namespace {
// Answers nothing and asks nothing, for a page made without a prompt.
class CSilentPrompt final : public IPrompt {
public:
    void ShowMessage(std::u16string_view, std::u16string_view) override {}
    bool AskYesNo(std::u16string_view, std::u16string_view) override { return false; }
};
}  // namespace

CPage::CPage(const PageContext& ctx, DevKind kind, QWidget* pParent) : QWidget(pParent), m_ctx(ctx), m_kind(kind)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

size_t CPage::Family() const
{
    const DevKind kind = m_kind != DevKind::None ? m_kind : m_ctx.currentDevice ? m_ctx.currentDevice() : DevKind::None;
    return m_ctx.familyOf ? m_ctx.familyOf(kind) : kNoFamily;
}

bool CPage::DeviceOpen() const
{
    const size_t i = Family();
    return m_ctx.pHub && i < m_ctx.pHub->Count() && m_ctx.pHub->Device(i).IsConnected();
}

CProfileEditor::Result CPage::Edited(uint32_t nFlags)
{
    if (!m_ctx.pProfile) return CProfileEditor::Result::NoProfile;
    return m_ctx.pProfile->Changed(Family(), nFlags);
}

IPrompt& CPage::Prompt() const
{
    static CSilentPrompt silent;
    return m_ctx.pPrompt ? *m_ctx.pPrompt : silent;
}

void CPage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QImage bkg = skin::LoadChosenScaled(QStringLiteral("main_nr.png"));
    if (bkg.isNull()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    // Where this page sits on the main window, in logical pixels.
    const QPoint origin = parentWidget() ? mapTo(window(), QPoint(0, 0)) : QPoint(0, 0);
    const double dpr = bkg.devicePixelRatio();
    const QRect src(QPointF(origin.x() * dpr, origin.y() * dpr).toPoint(),
                    QSizeF(width() * dpr, height() * dpr).toSize());
    painter.drawImage(rect(), bkg, src);
}

bool CPage::SwallowPageKey(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Space:
    case Qt::Key_F1: e->accept(); return true;
    default: return false;
    }
}
