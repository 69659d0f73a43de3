// The gun presets window of a mouse button: seven guns on the window's
// picture, the scope, compensation value, shooting speed and colour of the
// chosen gun (preset mode), or a bullet macro from the bullet folder (bullet
// mode), and the profile-wide preset option. OK ends with the key record the
// key list assigns.
#pragma once

#include <array>

#include "core/ProfileRecord.h"
#include "keys/GunPreset.h"
#include "ui/skin/SkinDialog.h"

class CPngBtn;
class CTreeCtrlEx;
class IPrompt;
class QLineEdit;
class QPushButton;
class QTreeWidgetItem;

class CChijiDlg : public CSkinDialog {
    Q_OBJECT
public:
    // key: the button's record; pro: the current profile (its option byte).
    CChijiDlg(QWidget* pOwner, const KeyInfo& key, const ProfileRecord& pro, IPrompt* pPrompt);

    int Gun() const { return m_nGun; }
    int Scope() const;
    bool BulletMode() const { return m_bBulletMode; }
    void ChooseGun(int nGun);
    void ChooseScope(int nScope);
    void SetBulletMode(bool bBullet);
    void SetOption(bool bOn);
    void SetColour(uint32_t dwColor);
    uint32_t Colour() const { return m_dwColor; }
    QLineEdit* ValueField() const { return m_pValue; }
    QLineEdit* SpeedField() const { return m_pSpeed; }
    CPngBtn* ScopeRadio(int nScope) const { return nScope >= 0 && nScope < kScopeCount ? m_pScope[nScope] : nullptr; }
    CPngBtn* OptionRadio(int n) const { return n == 0 || n == 1 ? m_pOption[n] : nullptr; }
    CTreeCtrlEx* Tree() const { return m_pTree; }
    // Selects the bullet of that identifier in the tree; false when it is not there.
    bool SelectBullet(uint32_t id);
    // The gun a point of the window (unscaled) lies on, or -1.
    static int GunAt(const QPoint& pt);
    static QRect GunRect(int nGun);

    // OK: false (the window stays open) in bullet mode without a bullet selected.
    bool TryAccept();
    // After OK.
    KeyInfo Result() const { return m_result; }
    bool OptionOn() const { return m_bOption; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    void Build();
    void FillTree();
    void ShowRecord();
    void ShowMode();
    void ApplyTheme();

    IPrompt* m_pPrompt;
    std::array<GunPreset, kGunCount> m_records{};
    int m_nGun = 0;
    int m_nHoverGun = -1;
    int m_nScope = 0;
    uint32_t m_dwColor = 0;
    bool m_bBulletMode = false;
    bool m_bOption = false;
    uint32_t m_dwStartBullet = 0;
    KeyInfo m_result{};
    QImage m_imgHover;       // the window's picture with every gun lit, at the interface scale

    CPngBtn* m_pPresetMode = nullptr;
    CPngBtn* m_pBulletMode = nullptr;
    CPngBtn* m_pScope[kScopeCount] = {};
    CPngBtn* m_pOption[2] = {};
    QLineEdit* m_pValue = nullptr;
    QLineEdit* m_pSpeed = nullptr;
    QPushButton* m_pColour = nullptr;
    CTreeCtrlEx* m_pTree = nullptr;
    CPngBtn* m_pOk = nullptr;
};
