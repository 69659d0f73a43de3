// The mouse page of the main window: one page for the mouse's lighting, DPI,
// settings and lift-off views. The mouse picture and the key list stay on
// top while the lower band shows the lighting, DPI or system page; the
// lift-off view takes the place of the picture and the keys. The report-rate
// page and, for a mouse with a battery, the battery page sit beside them.
#pragma once

#include "ui/pages/Page.h"
#include "ui/pages/mouse/MsPageLink.h"

class CDpiDlg;
class CKeyMarkDlg;
class CKeyMsDlg;
class CLedDlg;
class CLODDlg;
class CPowerDlg;
class CRateDlg;
class CSysDlg;
class QLabel;

class CMsSettingDlg : public CPage {
    Q_OBJECT
public:
    CMsSettingDlg(const PageContext& ctx, QWidget* pParent);

    void ShowView(PageId id) override;
    void Reload() override;
    void Retext() override;
    void Reskin() override;
    void DeviceEvent(const ::DeviceEvent& e) override;
    void SetBusy(bool bBusy) override;

    // The mouse picture and the key list of other pages take the reserved places.
    void SetPictureWidget(QWidget* pWidget);
    void SetKeyListWidget(QWidget* pWidget);
    // The battery read-out (state 0 on battery, 1 charging, 2 charging ended).
    void SetPowerStatus(int nState, int nLevel);
    // The battery as the device hub last read it.
    void ShowBattery();

    PageId View() const { return m_view; }
    CDpiDlg* DpiPage() const { return m_pDpi; }
    CSysDlg* SysPage() const { return m_pSys; }
    CRateDlg* RatePage() const { return m_pRate; }
    CLODDlg* LiftOffPage() const { return m_pLod; }
    CPowerDlg* PowerPage() const { return m_pPower; }
    QWidget* PictureArea() const { return m_pPicture; }
    QWidget* KeyListArea() const { return m_pKeyList; }
    QWidget* LightingArea() const { return m_pLighting; }
    CKeyMarkDlg* Picture() const { return m_pMark; }
    CKeyMsDlg* Keys() const { return m_pKeys; }
    CLedDlg* Led() const { return m_pLed; }

private:
    void Place();
    void ShowChildren();
    static void Replace(QWidget*& pSlot, QWidget* pWidget, QWidget* pParent);
    // The picture previews what the lighting page shows.
    void Preview();

    MsPageLink m_link;
    PageId m_view = PageId::MouseDpi;
    QWidget* m_pPicture = nullptr;
    QWidget* m_pKeyList = nullptr;
    QWidget* m_pLighting = nullptr;
    QLabel* m_pLightingName = nullptr;
    CDpiDlg* m_pDpi = nullptr;
    CSysDlg* m_pSys = nullptr;
    CRateDlg* m_pRate = nullptr;
    CLODDlg* m_pLod = nullptr;
    CPowerDlg* m_pPower = nullptr;
    CKeyMarkDlg* m_pMark = nullptr;
    CKeyMsDlg* m_pKeys = nullptr;
    CLedDlg* m_pLed = nullptr;
};
