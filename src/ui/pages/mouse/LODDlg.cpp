#include "ui/pages/mouse/LODDlg.h"

#include <QLabel>
#include <QPushButton>

#include "core/Gvar.h"
#include "device/mouse/MouseDefaults.h"
#include "device/mouse/PerformanceEdit.h"
#include "ui/pages/mouse/DpiGridDlg.h"

CLODDlg::CLODDlg(const MsPageLink& link, QWidget* pParent) : QWidget(pParent), m_link(link)
{
    setObjectName(QStringLiteral("liftOffPage"));
    m_pTitle = new QLabel(this);
    m_pNote = new QLabel(this);
    m_pNote->setWordWrap(true);
    m_pReset = new QPushButton(this);
    connect(m_pReset, &QPushButton::clicked, this, &CLODDlg::OnReset);
    for (int i = 0; i < kCells; ++i) {
        m_cells[size_t(i)] = new CDpiGridDlg(i, this);
        connect(m_cells[size_t(i)], &CDpiGridDlg::clicked, this, &CLODDlg::OnCell);
    }
    Retext();
    Reskin();
}

void CLODDlg::Retext()
{
    m_pTitle->setText(tr("Lift-off distance"));
    m_pReset->setText(tr("Reset"));
    LoadFromProfile();
}

int CLODDlg::Levels() const
{
    // The distances the mouse takes as one index per mode; the per-level
    // table of the adjustable kind is not kept by the profile.
    return gVar.Ms.nShowLOD == 1 ? std::clamp(int(gVar.Ms.nLodNum), 0, kCells) : 0;
}

int CLODDlg::Selected() const
{
    const MsModeSettings* pMode = m_link.Mode();
    return pMode && pMode->nLod < Levels() ? pMode->nLod : -1;
}

void CLODDlg::Reskin()
{
    setStyleSheet(MsPageStyle());
    m_pTitle->setGeometry(MsScaled(20, 20, 300, 24));
    m_pNote->setGeometry(MsScaled(20, 120, 600, 48));
    m_pReset->setGeometry(MsScaled(20 + kCells * 65 + 10, 60, 70, 24));
    for (int i = 0; i < kCells; ++i) {
        m_cells[size_t(i)]->Reskin();
        m_cells[size_t(i)]->move(MsScaled(20 + i * 65, 60, 1, 1).topLeft());
    }
    LoadFromProfile();
}

void CLODDlg::LoadFromProfile()
{
    const int nLevels = Levels();
    const int nSel = Selected();
    for (int i = 0; i < kCells; ++i) {
        CDpiGridDlg* p = m_cells[size_t(i)];
        p->setVisible(i < nLevels);
        if (i >= nLevels) continue;
        p->SetText(tr("%1 mm").arg(gVar.Ms.LodUI[i]));
        p->SetSelected(i == nSel);
    }
    m_pReset->setVisible(nLevels > 0);
    QString strNote;
    if (!m_link.Mode())
        strNote = tr("No profile is loaded.");
    else if (gVar.Ms.nShowLOD == 0)
        strNote = tr("This mouse has no lift-off distance setting.");
    else if (nLevels == 0)
        strNote = tr("The lift-off distances of this mouse are not described: nothing to set here.");
    m_pNote->setText(strNote);
    m_pNote->setVisible(!strNote.isEmpty());
}

void CLODDlg::OnCell(int nLevel)
{
    MsModeSettings* pMode = m_link.Mode();
    if (!pMode || nLevel < 0 || nLevel >= Levels()) return;
    const bool bChanged = pMode->nLod != nLevel;
    pMode->nLod = uint8_t(nLevel);
    LoadFromProfile();
    if (bChanged && m_link.edited) m_link.edited(mouse::ApplyFlagOf(mouse::SysControl::LiftOff));
}

void CLODDlg::OnReset()
{
    ProfileRecord* p = m_link.profile ? m_link.profile() : nullptr;
    if (!p) return;
    // The lift-off index is one of the system settings' defaults; only it is taken.
    ProfileRecord defaults = *p;
    mouse::SetDefaultSys(defaults, 1 << m_link.ModeIndex());
    MsModeSettings* pMode = m_link.Mode();
    pMode->nLod = defaults.Ms.Mode[m_link.ModeIndex()].nLod;
    LoadFromProfile();
    if (m_link.edited) m_link.edited(mouse::ApplyFlagOf(mouse::SysControl::LiftOff));
}
