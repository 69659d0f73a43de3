// The system page of the mouse: the desktop's pointer settings the profile
// carries (speed, precision, wheel lines, double-click time), the report
// rate, the lift-off distance and debounce time where the mouse has them,
// and its sleep and light options. A slider stores when it is let go; a
// check box at once; each asks for the apply flag of what it changed.
#pragma once

#include <QHash>
#include <QWidget>
#include <utility>

#include "platform/GnomePointerSettings.h"
#include "ui/pages/mouse/MsPageLink.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;

class CSysDlg : public QWidget {
    Q_OBJECT
public:
    CSysDlg(const MsPageLink& link, const OsPointerAbility& os, QWidget* pParent);

    void LoadFromProfile();
    void Reskin();
    void Retext();
    void SetOsAbility(const OsPointerAbility& os);

    QSlider* SpeedSlider() const { return m_pSpeed; }
    QSlider* WheelSlider() const { return m_pWheel; }
    QSlider* DoubleClickSlider() const { return m_pDblClick; }
    QSlider* RateSlider() const { return m_pRate; }
    QSlider* LiftOffSlider() const { return m_pLod; }
    QSlider* DebounceSlider() const { return m_pDebounce; }
    QCheckBox* PrecisionBox() const { return m_pPrecision; }
    QCheckBox* OneScreenBox() const { return m_pOneScreen; }
    QCheckBox* NoSleepBox() const { return m_pNoSleep; }
    QCheckBox* LedOffBox() const { return m_pLedOff; }
    QPushButton* ResetButton() const { return m_pReset; }
    QLabel* OsNote() const { return m_pOsNote; }
    QLabel* ValueLabel(const QSlider* pSlider) const;

private:
    QSlider* AddSlider(const QString& strName, int nMin, int nMax);
    void Layout();
    void ShowValues();
    void OnSlider(QSlider* pSlider);
    void OnCheck(QCheckBox* pBox);
    void OnReset();

    MsPageLink m_link;
    OsPointerAbility m_os;
    bool m_bLoading = false;
    QSlider* m_pSpeed = nullptr;
    QSlider* m_pWheel = nullptr;
    QSlider* m_pDblClick = nullptr;
    QSlider* m_pRate = nullptr;
    QSlider* m_pLod = nullptr;
    QSlider* m_pDebounce = nullptr;
    QCheckBox* m_pPrecision = nullptr;
    QCheckBox* m_pOneScreen = nullptr;
    QCheckBox* m_pNoSleep = nullptr;
    QCheckBox* m_pLedOff = nullptr;
    QPushButton* m_pReset = nullptr;
    QLabel* m_pOsNote = nullptr;
    QHash<const QSlider*, std::pair<QLabel*, QLabel*>> m_labels;  // name, value
};
