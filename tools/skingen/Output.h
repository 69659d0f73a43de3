// Writing the skins, checking them against the skin list, the broken set for
// tests and the contact sheets for looking at the result.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include "Keyboard.h"

namespace skingen {

// Writes the file whole or not at all (a temporary file renamed over it).
bool SaveImage(const QImage& img, const QString& strPath, QString& strError);

// Draws every listed image into strSkinsDir: the chosen-skin images into
// "dark" and "light", the shared ones beside them, the mouse pictures into
// "mouse". Returns the problems; empty on success.
QStringList WriteSkins(const QString& strSkinsDir, const KeyboardLayout& keyboard, int& nWritten);

// Every listed name present in every skin, at its size, state images of one
// control equal in size, masks as large as their pictures with alpha.
QStringList CheckSkins(const QString& strSkinsDir);

// An application folder whose "skins" holds one fault of each kind the skin
// loader must catch: a hover image 1 pixel wider than its normal image, a
// missing pressed image, a mouse mask of the wrong size, an empty file.
QStringList WriteBrokenSet(const QString& strAppDir);

// One picture per folder with every image on it, labelled, for a person to look at.
QStringList WriteContactSheets(const QString& strSkinsDir, const QString& strSheetPrefix);

}  // namespace skingen
