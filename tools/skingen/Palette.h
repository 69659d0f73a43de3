// The colours of one skin. Both skins share every size; the dark one has light
// text on dark surfaces, the light one dark text on light surfaces. The text
// colours the program draws with are written beside the images ("skin.ini"),
// so each skin's text keeps its contrast whatever the installation's defaults.
#pragma once

#include <QColor>
#include <QString>

namespace skingen {

struct Palette {
    QString strName;
    QColor bgTop, bgBottom;        // window background, top to bottom
    QColor header, headerLine;     // title band of the main window and dialogs
    QColor footer;
    QColor card, cardBorder, cardHighlight;
    QColor plate, plateTop;        // buttons and lists, bottom and top of their gradient
    QColor plateHover, plateHoverTop;
    QColor plateBorder;
    QColor field, fieldBorder;     // sunken things: boxes, tracks, cells
    QColor glyph, glyphHover, glyphDim;
    QColor accent;
    QColor text;                   // the little text drawn into images
    QColor track;
    QColor danger;
    QColor shell, shellTop;        // device bodies (shared pictures are drawn with the dark palette)
    // What the program writes with on these surfaces (skin.ini).
    QColor uiText, uiWarning;                    // on window and dialog backgrounds
    QColor btnText, btnTextOv, btnTextDn;        // on the plates, by state
    QColor menuText, menuTextOv, listBack, listItem;
    QColor fieldText, selection;                 // edit fields are the sunken 'field' colour
};

const Palette& DarkPalette();
const Palette& LightPalette();

inline QColor WithAlpha(QColor c, int nAlpha)
{
    c.setAlpha(nAlpha);
    return c;
}

// a over b, straight colours.
inline QColor Mix(const QColor& a, const QColor& b, double fA)
{
    return QColor::fromRgbF(float(a.redF() * fA + b.redF() * (1 - fA)), float(a.greenF() * fA + b.greenF() * (1 - fA)),
                            float(a.blueF() * fA + b.blueF() * (1 - fA)));
}

}  // namespace skingen
