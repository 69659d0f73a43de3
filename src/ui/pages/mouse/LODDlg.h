// The lift-off page: the lift-off distances the mouse description offers, one
// cell each, the one of the current mode selected; a click stores it and asks
// for the lift-off apply.
#pragma once

#include <QWidget>
#include <array>

#include "ui/pages/mouse/MsPageLink.h"

class CDpiGridDlg;
class QLabel;
class QPushButton;

class CLODDlg : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCells = 8;
    CLODDlg(const MsPageLink& link, QWidget* pParent);

    void LoadFromProfile();
    void Reskin();
    void Retext();
    // The distances offered (0: the page has nothing to set, see Note()).
    int Levels() const;
    int Selected() const;
    CDpiGridDlg* Cell(int i) const { return m_cells[size_t(i)]; }
    QPushButton* ResetButton() const { return m_pReset; }
    QLabel* Note() const { return m_pNote; }

private:
    void OnCell(int nLevel);
    void OnReset();

    MsPageLink m_link;
    std::array<CDpiGridDlg*, kCells> m_cells{};
    QLabel* m_pTitle = nullptr;
    QLabel* m_pNote = nullptr;
    QPushButton* m_pReset = nullptr;
};
