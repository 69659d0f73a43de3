// Backgrounds of the main window, the pages and the dialogs, and the logo.
// The page backgrounds are cut from the same window background the main
// window uses, so a page never shows a seam against the window around it.
#pragma once

#include <QImage>

#include "Paint.h"

namespace skingen {

// The layout the backgrounds are drawn for: main window 1063 x 800, pages in
// (0, 95)-(1063, 767), the lower band of every settings page at page
// (4, 474)-(1060, 671), the profile list left of the pages' cut-out.
inline constexpr int kWindowWidth = 1063;
inline constexpr int kHeaderBottom = 95;
inline constexpr int kPagesBottom = 767;

QImage MainBackground(const Palette& pal, QSize size);
QImage SupportBackground(const Palette& pal, QSize size);
QImage MacroBackground(const Palette& pal, QSize size);

enum class DialogKind { Message, Options, Colours, Progress };
QImage DialogBackground(const Palette& pal, QSize size, DialogKind kind);
QImage NoticeBackground(const Palette& pal, QSize size);
QImage ProgressBackground(const Palette& pal, QSize size, bool bFilled);
QImage GunPresetsBackground(const Palette& pal, QSize size, bool bHover);
QImage Logo(const Palette& pal, QSize size);
// The program's icon: the emblem alone on a dark rounded square.
QImage AppIcon(QSize size);

}  // namespace skingen
