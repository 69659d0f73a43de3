// The settings pages of the keyboard and the pad: the device's picture above,
// its lighting page in the lower band. The keyboard's picture is the key view,
// which shows the lighting preview and the per-key colours the lighting page
// paints. The keyboard's key page comes later; until then its navigation
// target shows the picture and says so.
#pragma once

#include "ui/pages/Page.h"

class CKBColorDlg;
class CLedDlg;

class CDeviceSettingDlg : public CPage {
    Q_OBJECT
public:
    // kind: the keyboard or the pad.
    CDeviceSettingDlg(const PageContext& ctx, DevKind kind, QWidget* pParent);

    void ShowView(PageId id) override;
    void Reload() override;
    void Retext() override;
    void Reskin() override;
    CLedDlg* Led() const { return m_pLed; }
    // The keyboard's picture with its keys (null on the pad's page).
    CKBColorDlg* KeyView() const { return m_pView; }

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QString PictureName() const;
    QRect PictureRect(const QImage& img) const;
    void PlaceKeyView();

    CLedDlg* m_pLed = nullptr;
    CKBColorDlg* m_pView = nullptr;
    PageId m_view = PageId::None;
};

CPage* MakeKeyboardSettings(const PageContext& ctx, QWidget* pParent);
CPage* MakePadSettings(const PageContext& ctx, QWidget* pParent);
