// The one list of skin images the program asks for by name: which folder each
// is looked up in and the size the windows and pages are laid out for. The
// skin generator draws exactly this list and checks its output against it; the
// tests check the installed skins against it. A name is listed in every
// spelling the program uses ("check_nr.png" and "Check_nr.png"); lookups ignore
// letter case, so both resolve to one file.
#pragma once

#include <QSize>
#include <QString>
#include <span>

namespace skin {

enum class SkinFolder {
    Chosen,  // the folder of the chosen skin: every skin must hold it
    Common,  // "skins" in the application folder, shared by every skin
    Mouse,   // "skins/mouse" in the application folder
};

struct SkinImageEntry {
    SkinFolder folder;
    const char* pszName;  // as the program passes it; may hold a sub-folder ("mouse/number1.png")
    int nWidth;           // 0 with nHeight 0: any size (the keyboard picture follows the key table)
    int nHeight;
    QSize Size() const { return {nWidth, nHeight}; }
    bool AnySize() const { return nWidth == 0 && nHeight == 0; }
};

std::span<const SkinImageEntry> RequiredImages();

// The stem a control's state images share, lower-cased: "check" for
// "Check_nr.png", "check_ov.png" and "check_dn.png"; empty for a name that is
// not a state image.
QString StateStem(const QString& strName);

// The mask files and the picture each belongs to (same size, pixel for pixel).
struct MaskPair {
    SkinFolder maskFolder;
    const char* pszMask;
    SkinFolder pictureFolder;
    const char* pszPicture;
};
std::span<const MaskPair> MaskPairs();

}  // namespace skin
