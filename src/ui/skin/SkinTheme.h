// The look every skinned control and window is drawn with, as one value: the
// chosen skin folder, the text colours for each kind of surface, the warning
// colour, the interface font and scale, and the debug frames. The program
// builds it once from the options and the chosen skin (ThemeFromOptions) and
// again after a skin change; controls take it when they are made and never
// read the options themselves, so a test can give them any theme it likes.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

namespace skin {

struct SkinTheme {
    QString strSkinDir;             // the chosen skin's folder (absolute); empty: no skin
    QString strTitle;               // the program's title, the caption of control warnings
    // A plain window's background (where no picture covers it).
    QColor clrWindow{0x16, 0x19, 0x1e};
    // Text on the window and dialog backgrounds, and the warnings shown there.
    QColor clrText{0xc8, 0xc8, 0xc8};
    QColor clrWarning{0xff, 0xb0, 0x40};
    // Button captions: normal, under the pointer, pressed or checked.
    QColor clrBtnTextNr{0xc8, 0xc8, 0xc8}, clrBtnTextOv{0xff, 0xff, 0xff}, clrBtnTextDn{0x43, 0x9c, 0xc8};
    // The opened list of a combo button.
    QColor clrMenuTextNr{0xc8, 0xc8, 0xc8}, clrMenuTextOv{0xff, 0xff, 0xff};
    QColor clrListBack{0x18, 0x18, 0x1c}, clrListItem{0x30, 0x34, 0x3a};
    // Edit fields of the message windows.
    QColor clrFieldBack{0x0f, 0x12, 0x16}, clrFieldText{0xe8, 0xed, 0xf3}, clrFieldBorder{0x47, 0x50, 0x5e};
    QColor clrSelection{0x04, 0x7c, 0xa8};
    QFont font;                     // the interface font
    double fScale = 1.0;            // the interface scale, a zoom on top of the screen's pixel ratio
    double fPixelRatio = 1.0;       // the screen's device pixel ratio: images are loaded with this many pixels per unit
    bool bFrameDebug = false;       // draw every control's frame (layout work)
    bool bTips = true;              // combo captions as tooltips
};

// The theme of the running program; before SetTheme the built-in dark colours,
// the interface font and scale 1.
const SkinTheme& Theme();
void SetTheme(const SkinTheme& theme);

// The theme the options give for the chosen skin: the colours of cfg.ini, each
// replaced by the skin's own from "skin.ini" in its folder where it names one
// (a light skin needs dark text whatever the installation's default), the
// interface font and scale as the main window set them.
SkinTheme ThemeFromOptions();
// Reads the [Colors] section of a skin's "skin.ini" over the colours of
// theme; a missing file leaves them all, a value that is not a colour is
// logged and leaves that one.
void ReadSkinColors(const QString& strIniPath, SkinTheme& theme);

// WCAG contrast ratio of two opaque colours, 1 (same) to 21 (black on white).
double ContrastRatio(const QColor& a, const QColor& b);

}  // namespace skin
