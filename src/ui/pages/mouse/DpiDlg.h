// The DPI page of the mouse host: the levels of the current mode, how many
// are in use, the resolution of each from the sensor's step list (X and Y
// apart where the sensor has both), the colour of each, the level selected.
// Every change goes into the profile at once and is reported with the
// general apply flag.
#pragma once

#include <QWidget>
#include <array>
#include <optional>

#include "device/mouse/DpiLevels.h"
#include "ui/pages/mouse/MsPageLink.h"

class CDpiGridDlg;
class CMSliderBar;
class QComboBox;
class QLabel;
class QPushButton;
class QToolButton;

class CDpiDlg : public QWidget {
    Q_OBJECT
public:
    CDpiDlg(const MsPageLink& link, QWidget* pParent);

    // Fills the controls from the current mode and the current sensor (a
    // sensor switch changes the step list: the sliders are rebuilt).
    void LoadFromProfile();
    // The mouse switched to this level itself: it becomes the selected one.
    void SelectLevel(int nLevel);
    void Reskin();
    void Retext();

    int Selected() const { return m_nSelected; }
    CDpiGridDlg* Cell(int i) const { return m_cells[size_t(i)]; }
    CMSliderBar* SliderX() const { return m_pSliderX; }
    CMSliderBar* SliderY() const { return m_pSliderY; }
    QComboBox* CountBox() const { return m_pCount; }
    QPushButton* AddButton() const { return m_pAdd; }
    QPushButton* RemoveButton() const { return m_pRemove; }
    QPushButton* XYButton() const { return m_pXY; }
    QPushButton* ResetButton() const { return m_pReset; }
    QToolButton* Swatch(int i) const { return m_swatches[size_t(i)]; }
    // Opens the colour picker for the chosen level's colour.
    QToolButton* MoreColours() const { return m_pMore; }
    // The chosen level takes this colour (what the picker's OK does).
    bool ChooseLevelColour(ZColor clr);
    QLabel* Note() const { return m_pNote; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    std::optional<mouse::CDpiLevels> Levels() const;
    void BuildSliders();
    void Layout();
    void ShowLevels();
    void Store();
    void OnCell(int nLevel);
    void OnMoving(mouse::DpiAxis axis, int nValue);
    void OnReleased(mouse::DpiAxis axis);
    void OnCount(int nCount);
    void OnAddRemove(int nDelta);
    void OnSwatch(int i);
    void OnMoreColours();
    void OnXY();
    void OnReset();
    // Level values the sensor does not list take the nearest step.
    bool SnapToSteps();

    MsPageLink m_link;
    int m_nSelected = 0;
    int m_nStepSensor = -1;   // the sensor whose step list the sliders hold
    bool m_bLoading = false;
    std::array<CDpiGridDlg*, kMsDpiLevelNum> m_cells{};
    std::array<QToolButton*, 8> m_swatches{};
    QToolButton* m_pMore = nullptr;
    CMSliderBar* m_pSliderX = nullptr;
    CMSliderBar* m_pSliderY = nullptr;
    QLabel* m_pLowX = nullptr;
    QLabel* m_pHighX = nullptr;
    QLabel* m_pLowY = nullptr;
    QLabel* m_pHighY = nullptr;
    QLabel* m_pCountLabel = nullptr;
    QComboBox* m_pCount = nullptr;
    QPushButton* m_pAdd = nullptr;
    QPushButton* m_pRemove = nullptr;
    QPushButton* m_pXY = nullptr;
    QPushButton* m_pReset = nullptr;
    QLabel* m_pNote = nullptr;
};
