// The report-rate page: four areas, 125, 250, 500 and 1000 Hz; a click
// stores the rate of the current mode and asks for the general apply.
#pragma once

#include <QRect>
#include <QWidget>

#include "ui/pages/mouse/MsPageLink.h"

class CRateDlg : public QWidget {
    Q_OBJECT
public:
    CRateDlg(const MsPageLink& link, QWidget* pParent);

    void LoadFromProfile();
    void Reskin();
    // The area of the stored rate; -1 when the stored value is none of them.
    int Area() const { return m_nArea; }
    QRect AreaRect(int nArea) const;
    void ChooseArea(int nArea);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    MsPageLink m_link;
    int m_nArea = -1;
};
