// State images of the controls and the small pictures the pages use. Every
// function draws one image at the size asked for, so the images of one control
// share their size by construction.
#pragma once

#include <QImage>

#include "Icons.h"
#include "Paint.h"

namespace skingen {

QImage PushButton(const Palette& pal, QSize size, State state);
QImage ComboButton(const Palette& pal, QSize size, State state);
QImage IconButton(const Palette& pal, QSize size, State state, Icon icon, const QColor* pGlyph = nullptr);
QImage WindowButton(const Palette& pal, QSize size, State state, Icon icon, bool bDanger);
QImage CheckBox(const Palette& pal, QSize size, State state);
QImage RadioBox(const Palette& pal, QSize size, State state);
QImage Switch(const Palette& pal, QSize size, bool bOn);
QImage NaviButton(const Palette& pal, QSize size, State state, Icon icon);
QImage DeviceButton(const Palette& pal, QSize size, State state, Icon icon);
QImage LevelCell(const Palette& pal, QSize size, bool bSelected, bool bTwoLines);
QImage RateLabel(const Palette& pal, QSize size, const QString& strRate);
enum class BatteryKind { Empty, Full, Charging };
QImage Battery(const Palette& pal, QSize size, BatteryKind kind);
QImage KeyboardButton(const Palette& pal, QSize size, State state);
QImage DotButton(const Palette& pal, QSize size, State state);

// Slider parts: a track line across the middle, its filled twin, thumbs, marks.
QImage Track(const Palette& pal, QSize size, bool bFilled);
QImage Groove(const Palette& pal, QSize size, bool bFilled);  // full-height progress groove
QImage RgbTrack(const Palette& pal, QSize size);
QImage Thumb(const Palette& pal, QSize size, bool bOutline);
QImage ScaleDot(const Palette& pal, QSize size);
QImage RgbPointer(const Palette& pal, QSize size);
QImage ColourWheel(QSize size);
QImage ColourRing(const Palette& pal, QSize size);

// Small pictures.
QImage ListIcon(QSize size, Icon icon, const QColor& color);
QImage NumberBadge(const Palette& pal, QSize size, int n);
QImage TreeGlyph(const Palette& pal, QSize size, bool bExpanded);
QImage MenuItem(const Palette& pal, QSize size, bool bHover, bool bHasSub);
QImage AudioBar(QSize size);
QImage UpdateMark(QSize size);
QImage HeightPicture(const Palette& pal, QSize size);
QImage FireKeyLogo(const Palette& pal, QSize size);

}  // namespace skingen
