#include "ui/pages/PageTable.h"

#include <QPainter>

#include "ui/keys/BulletDlg.h"
#include "ui/lighting/MusicDlg.h"
#include "ui/pages/DeviceSettingDlg.h"
#include "ui/pages/macro/MacroDlg.h"
#include "ui/pages/mouse/MsSettingDlg.h"
#include "ui/skin/SkinTheme.h"
#include "ui/update/SupportDlg.h"

namespace {
template <DevKind K>
CPage* MakeNamed(const PageContext& ctx, QWidget* pParent)
{
    return new CNamedPage(ctx, K, pParent);
}

CPage* MakeMusic(const PageContext& ctx, QWidget* pParent) { return new CMusicDlg(ctx, pParent); }
CPage* MakeMouse(const PageContext& ctx, QWidget* pParent) { return new CMsSettingDlg(ctx, pParent); }
CPage* MakeMacro(const PageContext& ctx, QWidget* pParent) { return new CMacroDlg(ctx, pParent); }
CPage* MakeBullet(const PageContext& ctx, QWidget* pParent) { return new CBulletDlg(ctx, pParent); }

constexpr PageEntry kPages[] = {
    {PageId::MouseLighting, "mouse", DevKind::Mouse, &MakeMouse},
    {PageId::MouseDpi, "mouse", DevKind::Mouse, &MakeMouse},
    {PageId::MouseSettings, "mouse", DevKind::Mouse, &MakeMouse},
    {PageId::MouseLiftOff, "mouse", DevKind::Mouse, &MakeMouse},
    {PageId::Macro, "macro", DevKind::None, &MakeMacro},
    {PageId::Bullet, "bullet", DevKind::Mouse, &MakeBullet},
    {PageId::KbLighting, "keyboard", DevKind::Keyboard, &MakeKeyboardSettings},
    {PageId::KbKeys, "keyboard", DevKind::Keyboard, &MakeKeyboardSettings},
    {PageId::Support, "support", DevKind::None, &MakeSupportPage},
    {PageId::Music, "music", DevKind::Keyboard, &MakeMusic},
    {PageId::PadSettings, "pad", DevKind::Pad, &MakePadSettings},
};
}  // namespace

std::span<const PageEntry> PageTable() { return kPages; }

const PageEntry* FindPage(PageId id)
{
    for (const PageEntry& e : kPages)
        if (e.id == id) return &e;
    return nullptr;
}

QString PageName(PageId id)
{
    switch (id) {
    case PageId::MouseLighting: return QStringLiteral("Mouse lighting");
    case PageId::MouseDpi: return QStringLiteral("DPI levels");
    case PageId::MouseSettings: return QStringLiteral("Mouse settings");
    case PageId::MouseLiftOff: return QStringLiteral("Lift-off distance");
    case PageId::Macro: return QStringLiteral("Macros");
    case PageId::Bullet: return QStringLiteral("Bullet macros");
    case PageId::KbLighting: return QStringLiteral("Keyboard lighting");
    case PageId::KbKeys: return QStringLiteral("Keyboard keys");
    case PageId::Support: return QStringLiteral("Support");
    case PageId::Music: return QStringLiteral("Music lighting");
    case PageId::PadSettings: return QStringLiteral("Mouse pad");
    case PageId::None: break;
    }
    return QString();
}

CNamedPage::CNamedPage(const PageContext& ctx, DevKind kind, QWidget* pParent) : CPage(ctx, kind, pParent) {}

void CNamedPage::ShowView(PageId id)
{
    m_id = id;
    update();
}

void CNamedPage::paintEvent(QPaintEvent* e)
{
    CPage::paintEvent(e);
    QPainter painter(this);
    painter.setPen(skin::Theme().clrText);
    painter.drawText(rect().adjusted(0, 0, 0, -rect().height() / 3), Qt::AlignCenter, PageName(m_id));
}
