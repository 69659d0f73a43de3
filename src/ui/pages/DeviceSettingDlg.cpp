#include "ui/pages/DeviceSettingDlg.h"

#include <QPainter>

#include "core/Gvar.h"
#include "ui/lighting/KBColorDlg.h"
#include "ui/lighting/LedDlg.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/SkinTheme.h"

namespace {
// The lower band of the page, where the lighting page goes (unscaled page pixels).
constexpr QRect kBand{8, 478, 1047, 189};
// The picture area right of the profile list.
constexpr QRect kPictureArea{262, 10, 790, 450};

QRect Scaled(const QRect& rc)
{
    const double f = skin::InterfaceScale();
    return QRect(qRound(rc.x() * f), qRound(rc.y() * f), qRound(rc.width() * f), qRound(rc.height() * f));
}
}  // namespace

CDeviceSettingDlg::CDeviceSettingDlg(const PageContext& ctx, DevKind kind, QWidget* pParent)
    : CPage(ctx, kind, pParent)
{
    if (kind == DevKind::Keyboard) {
        m_pView = new CKBColorDlg(this);
        PlaceKeyView();
    }
    const LedDesign design = kind == DevKind::Keyboard ? KeyboardLedDesign(gVar.nKbFw) : LedDesign::Pad;
    if (design == LedDesign::None) return;
    m_pLed = new CLedDlg(
        design, [this] { return Profile(); }, [this](uint32_t nFlags) { Edited(nFlags); }, this);
    m_pLed->setGeometry(Scaled(kBand));
    if (m_pView) m_pLed->SetKeyView(m_pView);
}

void CDeviceSettingDlg::PlaceKeyView()
{
    if (!m_pView) return;
    const QImage img = skin::LoadCommonScaled(PictureName());
    const QSize file = m_pView->ImageSize();
    if (img.isNull() || file.isEmpty()) {
        m_pView->ScaleKeys(skin::InterfaceScale());
        m_pView->move(Scaled(kPictureArea).topLeft());
        return;
    }
    // The keys follow the picture wherever it is drawn and at whatever size.
    const QRect rc = PictureRect(img);
    m_pView->ScaleKeys(double(rc.width()) / file.width());
    m_pView->setGeometry(rc);
}

void CDeviceSettingDlg::Reskin()
{
    if (m_pView) {
        m_pView->LoadFromDescription();
        PlaceKeyView();
    }
    if (m_pLed) m_pLed->LoadFromProfile();
    update();
}

void CDeviceSettingDlg::ShowView(PageId id)
{
    m_view = id;
    if (m_pLed) m_pLed->setVisible(id != PageId::KbKeys);
    // The key page points at keys; the lighting page shows colours.
    if (m_pView) m_pView->SetViewMode(id == PageId::KbKeys ? CKBColorDlg::kSelect : CKBColorDlg::kColours);
    update();
}

void CDeviceSettingDlg::Reload()
{
    if (m_pLed) m_pLed->LoadFromProfile();
}

void CDeviceSettingDlg::Retext()
{
    if (m_pLed) m_pLed->ReloadTexts();
    update();
}

QString CDeviceSettingDlg::PictureName() const
{
    return Kind() == DevKind::Keyboard ? QStringLiteral("keyimg.png") : QStringLiteral("pad_nr.png");
}

QRect CDeviceSettingDlg::PictureRect(const QImage& img) const
{
    const QSize size = skin::LogicalSize(img);
    const QRect area = Scaled(kPictureArea);
    if (Kind() == DevKind::Pad && (gVar.Pad.ptPadDlg.x || gVar.Pad.ptPadDlg.y)) {
        const double f = skin::InterfaceScale();
        return QRect(QPoint(qRound(gVar.Pad.ptPadDlg.x * f), qRound(gVar.Pad.ptPadDlg.y * f)), size);
    }
    // Centred in the area, made smaller when it does not fit.
    const QSize fit = size.scaled(area.size(), size.width() > area.width() || size.height() > area.height()
                                                   ? Qt::KeepAspectRatio
                                                   : Qt::IgnoreAspectRatio);
    const QSize use = size.width() > area.width() || size.height() > area.height() ? fit : size;
    return QRect(area.center() - QPoint(use.width() / 2, use.height() / 2), use);
}

void CDeviceSettingDlg::paintEvent(QPaintEvent* e)
{
    CPage::paintEvent(e);
    QPainter painter(this);
    const QImage img = m_pView ? QImage() : skin::LoadCommonScaled(PictureName());
    if (!img.isNull()) painter.drawImage(PictureRect(img), img);
    if (m_view == PageId::KbKeys) {
        painter.setPen(skin::Theme().clrText);
        painter.drawText(Scaled(kBand), Qt::AlignCenter, QStringLiteral("The key page of the keyboard comes here."));
    }
}

CPage* MakeKeyboardSettings(const PageContext& ctx, QWidget* pParent)
{
    return new CDeviceSettingDlg(ctx, DevKind::Keyboard, pParent);
}

CPage* MakePadSettings(const PageContext& ctx, QWidget* pParent)
{
    return new CDeviceSettingDlg(ctx, DevKind::Pad, pParent);
}
