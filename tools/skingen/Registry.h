// Which drawing makes which file: every name of the skin list maps to one
// drawing, by its folder and its name in any letter case.
#pragma once

#include <QImage>
#include <QString>

#include "Keyboard.h"
#include "Palette.h"
#include "ui/skin/SkinManifest.h"

namespace skingen {

// The image for that name and size; null when no drawing knows the name.
QImage DrawSkinImage(skin::SkinFolder folder, const QString& strName, const Palette& pal, QSize size,
                     const KeyboardLayout& keyboard);

}  // namespace skingen
