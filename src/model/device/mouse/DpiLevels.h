// The DPI levels of one mode as the DPI page edits them: how many levels are
// in use, the resolution of each (a step of the sensor's list; X and Y apart
// only on the sensors that have both), the colour of each, the selected level.
// The profile is the truth: every change is written into the mode at once and
// reported, so the page stores and, with ApplyNow, asks for apply flag 2.
#pragma once

#include <optional>

#include "core/Gvar.h"
#include "core/ProfileRecord.h"

namespace mouse {

enum class DpiAxis { X, Y };

class CDpiLevels {
public:
    // bShowXYOption: [MOUSE] ShowXY. nCurLevel: the level the mouse reported
    // for this mode (-1 none). A null sensor or one without steps leaves
    // nothing to edit (Usable() false).
    CDpiLevels(MsModeSettings& mode, const SensorCfg* pSensor, bool bShowXYOption, int nCurLevel);

    bool Usable() const { return m_pSteps != nullptr && m_nLevels > 0; }
    int Levels() const { return m_nLevels; }              // the selector offers 1..Levels()
    int Count() const { return m_mode.nDpiNum; }
    bool XYShown() const { return m_bXYShown; }            // the toggle and the Y slider
    bool XYSeparate() const { return m_mode.bXYSeparate != 0; }
    int Selected() const { return m_nSelected; }
    const MsDpiLevel& Level(int i) const { return m_mode.Dpi[i]; }
    int Steps() const;                                     // slider positions
    int StepValue(int nStep) const;                        // the resolution of a position
    // The slider position of the selected level's value on an axis: its own
    // step, or the nearest one when the sensor does not list the value.
    int StepOfSelected(DpiAxis axis) const;

    // Each returns true when the mode changed.
    bool SetCount(int n);                  // levels 0..n-1 enabled, the rest disabled; selects level 0
    bool Select(int nLevel);               // a level in use; false (nothing) otherwise
    int Moving(DpiAxis axis, int nStep) const;  // the value shown while the slider moves; nothing stored
    bool Release(DpiAxis axis, int nStep); // the selected level takes the step (both axes when not apart)
    bool SetColour(ZColor clr);
    bool ToggleXY();                       // off: every level's Y becomes its X

private:
    MsModeSettings& m_mode;
    const SensorDpiTable* m_pSteps = nullptr;
    int m_nLevels = 0;
    bool m_bXYShown = false;
    int m_nSelected = 0;
};

}  // namespace mouse
