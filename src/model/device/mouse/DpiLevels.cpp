#include "device/mouse/DpiLevels.h"

#include <algorithm>
#include <cstdlib>

#include "core/SensorTables.h"

namespace mouse {

CDpiLevels::CDpiLevels(MsModeSettings& mode, const SensorCfg* pSensor, bool bShowXYOption, int nCurLevel)
    : m_mode(mode)
{
    if (!pSensor) return;
    m_pSteps = FindSensorTable(pSensor->nSensor);
    if (m_pSteps && m_pSteps->nCount <= 0) m_pSteps = nullptr;
    m_nLevels = std::clamp(pSensor->nDM, 0, kMsDpiLevelNum);
    m_bXYShown = bShowXYOption && (pSensor->nSensor == 0x9800 || pSensor->nSensor == 0x3360);
    // A count from a profile of another sensor, or a damaged one, is brought into range.
    if (m_nLevels > 0) m_mode.nDpiNum = std::clamp(m_mode.nDpiNum, 1, m_nLevels);
    if (!m_bXYShown) m_mode.bXYSeparate = 0;
    m_nSelected = nCurLevel >= 0 && nCurLevel < m_mode.nDpiNum ? nCurLevel : 0;
}

int CDpiLevels::Steps() const { return m_pSteps ? std::min(m_pSteps->nCount, kSensorDpiMax) : 0; }

int CDpiLevels::StepValue(int nStep) const
{
    return Steps() > 0 ? m_pSteps->Dpi[std::clamp(nStep, 0, Steps() - 1)] : 0;
}

int CDpiLevels::StepOfSelected(DpiAxis axis) const
{
    const MsDpiLevel& lv = m_mode.Dpi[m_nSelected];
    const int nValue = axis == DpiAxis::Y && XYSeparate() ? lv.nDpiY : lv.nDpiX;
    int nBest = 0;
    for (int i = 1; i < Steps(); ++i)
        if (std::abs(m_pSteps->Dpi[i] - nValue) < std::abs(m_pSteps->Dpi[nBest] - nValue)) nBest = i;
    return nBest;
}

bool CDpiLevels::SetCount(int n)
{
    if (!Usable() || n < 1 || n > m_nLevels) return false;
    m_mode.nDpiNum = n;
    for (int i = 0; i < kMsDpiLevelNum; ++i) m_mode.Dpi[i].bDisabled = i < n ? 0 : 1;
    m_nSelected = 0;
    return true;
}

bool CDpiLevels::Select(int nLevel)
{
    if (nLevel < 0 || nLevel >= m_mode.nDpiNum) return false;
    m_nSelected = nLevel;
    return true;
}

int CDpiLevels::Moving(DpiAxis, int nStep) const { return StepValue(nStep); }

bool CDpiLevels::Release(DpiAxis axis, int nStep)
{
    if (!Usable()) return false;
    MsDpiLevel& lv = m_mode.Dpi[m_nSelected];
    const int nValue = StepValue(nStep);
    if (!XYSeparate())
        lv.nDpiX = lv.nDpiY = nValue;
    else
        (axis == DpiAxis::X ? lv.nDpiX : lv.nDpiY) = nValue;
    return true;
}

bool CDpiLevels::SetColour(ZColor clr)
{
    if (!Usable()) return false;
    m_mode.Dpi[m_nSelected].clr = clr;
    return true;
}

bool CDpiLevels::ToggleXY()
{
    if (!Usable() || !m_bXYShown) return false;
    m_mode.bXYSeparate = XYSeparate() ? 0 : 1;
    if (!XYSeparate())
        for (MsDpiLevel& lv : m_mode.Dpi) lv.nDpiY = lv.nDpiX;
    return true;
}

}  // namespace mouse
