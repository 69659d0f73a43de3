#include "ui/skin/SkinTheme.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>
#include <optional>

#include "core/Gvar.h"
#include "core/Ini.h"
#include "core/IniValues.h"
#include "core/Log.h"
#include "core/Options.h"
#include "ui/QtText.h"
#include "ui/skin/SkinContext.h"
#include "ui/skin/SkinImages.h"

namespace skin {

namespace {

std::optional<SkinTheme> s_theme;

SkinTheme DefaultTheme()
{
    SkinTheme theme;
    theme.font = InterfaceFont();
    return theme;
}

double Linear(double c)
{
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& c)
{
    return 0.2126 * Linear(c.redF()) + 0.7152 * Linear(c.greenF()) + 0.0722 * Linear(c.blueF());
}

}  // namespace

const SkinTheme& Theme()
{
    if (!s_theme) s_theme = DefaultTheme();
    return *s_theme;
}

void SetTheme(const SkinTheme& theme) { s_theme = theme; }

void ReadSkinColors(const QString& strIniPath, SkinTheme& theme)
{
    const CIniFile ini = CIniFile::Load(strIniPath.toStdU16String());
    if (!ini.Exists()) return;
    struct Key {
        const char* pszKey;
        QColor SkinTheme::*pColor;
    };
    static constexpr Key kKeys[] = {
        {"Window", &SkinTheme::clrWindow},
        {"Text", &SkinTheme::clrText},
        {"Warning", &SkinTheme::clrWarning},
        {"ButtonText", &SkinTheme::clrBtnTextNr},
        {"ButtonTextHover", &SkinTheme::clrBtnTextOv},
        {"ButtonTextDown", &SkinTheme::clrBtnTextDn},
        {"MenuText", &SkinTheme::clrMenuTextNr},
        {"MenuTextHover", &SkinTheme::clrMenuTextOv},
        {"ListBack", &SkinTheme::clrListBack},
        {"ListItem", &SkinTheme::clrListItem},
        {"FieldBack", &SkinTheme::clrFieldBack},
        {"FieldText", &SkinTheme::clrFieldText},
        {"FieldBorder", &SkinTheme::clrFieldBorder},
        {"Selection", &SkinTheme::clrSelection},
    };
    for (const Key& key : kKeys) {
        const std::optional<std::string> value = ini.Raw("Colors", key.pszKey);
        if (!value) continue;
        ZColor clr = 0;
        if (!ParseColor(*value, clr)) {
            LogPrintf("%s: Colors/%s is not a colour: %s\n", strIniPath.toUtf8().constData(), key.pszKey,
                      value->c_str());
            continue;
        }
        theme.*key.pColor = ToQColor(clr);
    }
}

SkinTheme ThemeFromOptions()
{
    SkinTheme theme;
    theme.strSkinDir = QString::fromStdU16String(GetSkinDir().generic_u16string());
    if (gVar.pszTitle) theme.strTitle = QString::fromUtf16(gVar.pszTitle);
    theme.clrWindow = ToQColor(gVar.clrPopWndBkg);
    theme.clrText = ToQColor(gVar.clrTxt);
    theme.clrBtnTextNr = ToQColor(gVar.clrBtnTxtNr);
    theme.clrBtnTextOv = ToQColor(gVar.clrBtnTxtOv);
    theme.clrBtnTextDn = ToQColor(gVar.clrBtnTxtDn);
    theme.clrMenuTextNr = ToQColor(gVar.clrMenuTxtNr);
    theme.clrMenuTextOv = ToQColor(gVar.clrMenuTxtOv);
    theme.clrListBack = ToQColor(gVar.clrLstBoxBkg);
    theme.clrListItem = ToQColor(gVar.clrLstBoxItem);
    if (!theme.strSkinDir.isEmpty()) {
        const QString strIni = FindCaseInsensitive(theme.strSkinDir, QStringLiteral("skin.ini"));
        if (!strIni.isEmpty()) ReadSkinColors(strIni, theme);
    }
    theme.font = InterfaceFont();
    theme.fScale = InterfaceScale();
    if (const QScreen* pScreen = QGuiApplication::primaryScreen()) theme.fPixelRatio = pScreen->devicePixelRatio();
    theme.bFrameDebug = gVar.nFrameDebug != 0;
    theme.bTips = gVar.nBtnTips != 0;
    return theme;
}

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace skin
