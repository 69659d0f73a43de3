// The interface font: the configured face (FontName) made real on this system,
// at the height and weight the options give for the screen width; and
// "appfont.ttf", a font file an installation may ship beside the program or in
// its skins folder, registered for this process only.
#pragma once

#include <QFont>
#include <QString>

namespace skin {

// The Windows dialog face that options and controls name by default.
inline constexpr const char* kDefaultFace = "MS Shell Dlg";

// The face the interface uses: FontName; when that is empty or the default
// face, the family of the registered application font, else a sans-serif face
// installed here.
QString InterfaceFamily();
// A sans-serif face that exists on this system (for the default face).
QString InstalledSansFamily();
// Lets every font asked for by the default face's name ("MS Shell Dlg",
// "MS Shell Dlg 2"), and a configured face that is not installed, come out
// as InterfaceFamily(). Call once the application object exists.
void InstallFontSubstitutes();

// Pixel height from the three FontSize options: the first below 2500 pixels
// of screen width, the second up to 3499, the third above (0 takes 14, 20, 24).
int FontHeightForScreenWidth(int nWidth);
// 600 up to 3499 pixels of screen width, 700 above.
QFont::Weight FontWeightForScreenWidth(int nWidth);
// The interface font for a screen of that width.
QFont MakeInterfaceFont(int nScreenWidth);

// "appfont.ttf" registered for the process while the object lives; released
// when it goes (or by Release) so that nothing stays registered after exit.
class CAppFont {
public:
    CAppFont() = default;
    ~CAppFont();
    CAppFont(const CAppFont&) = delete;
    CAppFont& operator=(const CAppFont&) = delete;

    // Looks for "appfont.ttf" (any letter case) in the application folder,
    // then in its "skins" folder, and registers the first one that loads.
    bool Load(const QString& strAppDir);
    void Release();
    bool IsLoaded() const { return m_nId >= 0; }
    QString Family() const { return m_strFamily; }
    QString FilePath() const { return m_strPath; }

private:
    int m_nId = -1;
    QString m_strFamily;
    QString m_strPath;
};

}  // namespace skin
