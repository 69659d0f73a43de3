#include "ui/skin/SkinFont.h"

#include <QDir>
#include <QFontDatabase>

#include "core/Gvar.h"
#include "core/Log.h"
#include "ui/skin/SkinImages.h"

namespace skin {

namespace {

// Family of the application font while one is registered.
QString s_strAppFamily;

bool IsDefaultFace(const QString& strFace)
{
    return strFace.isEmpty() || strFace.compare(QLatin1String(kDefaultFace), Qt::CaseInsensitive) == 0 ||
           strFace.compare(QLatin1String("MS Shell Dlg 2"), Qt::CaseInsensitive) == 0;
}

QString ConfiguredFace()
{
    return QString::fromUtf16(gVar.szFontName, qsizetype(std::char_traits<char16_t>::length(gVar.szFontName)))
        .trimmed();
}

}  // namespace

QString InstalledSansFamily()
{
    for (const char* pszFace : {"Noto Sans", "DejaVu Sans", "Liberation Sans", "Cantarell", "FreeSans", "Arial"}) {
        if (QFontDatabase::hasFamily(QLatin1String(pszFace))) return QLatin1String(pszFace);
    }
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

QString InterfaceFamily()
{
    const QString strFace = ConfiguredFace();
    if (!IsDefaultFace(strFace)) return strFace;
    // The default face means "no preference": a font the installation ships
    // is its preference.
    return s_strAppFamily.isEmpty() ? InstalledSansFamily() : s_strAppFamily;
}

void InstallFontSubstitutes()
{
    const QString strFace = ConfiguredFace();
    const QString strReal = IsDefaultFace(strFace) ? InterfaceFamily() : InstalledSansFamily();
    for (const char* pszFace : {kDefaultFace, "MS Shell Dlg 2"}) {
        QFont::removeSubstitutions(QLatin1String(pszFace));
        QFont::insertSubstitution(QLatin1String(pszFace), strReal);
    }
    if (!IsDefaultFace(strFace) && !QFontDatabase::hasFamily(strFace)) {
        LogPrintf("Font %s is not installed; %s is used\n", strFace.toUtf8().constData(),
                  strReal.toUtf8().constData());
        QFont::removeSubstitutions(strFace);
        QFont::insertSubstitution(strFace, strReal);
    }
}

int FontHeightForScreenWidth(int nWidth)
{
    static constexpr int kDefaults[3] = {14, 20, 24};
    const int i = nWidth < 2500 ? 0 : nWidth < 3500 ? 1 : 2;
    return gVar.FontSize[i] ? int(gVar.FontSize[i]) : kDefaults[i];
}

QFont::Weight FontWeightForScreenWidth(int nWidth) { return nWidth < 3500 ? QFont::DemiBold : QFont::Bold; }

QFont MakeInterfaceFont(int nScreenWidth)
{
    QFont font(InterfaceFamily());
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(FontHeightForScreenWidth(nScreenWidth));
    font.setWeight(FontWeightForScreenWidth(nScreenWidth));
    return font;
}

CAppFont::~CAppFont() { Release(); }

bool CAppFont::Load(const QString& strAppDir)
{
    Release();
    const QString kName = QStringLiteral("appfont.ttf");
    for (const QString& strFolder : {strAppDir, QDir(strAppDir).filePath(QStringLiteral("skins"))}) {
        const QString strPath = FindCaseInsensitive(strFolder, kName);
        if (strPath.isEmpty()) continue;
        const int nId = QFontDatabase::addApplicationFont(strPath);
        const QStringList families = nId >= 0 ? QFontDatabase::applicationFontFamilies(nId) : QStringList();
        if (families.isEmpty()) {
            if (nId >= 0) QFontDatabase::removeApplicationFont(nId);
            LogPrintf("Font file not usable: %s\n", strPath.toUtf8().constData());
            continue;
        }
        m_nId = nId;
        m_strFamily = families.first();
        m_strPath = strPath;
        s_strAppFamily = m_strFamily;
        LogPrintf("Application font %s from %s\n", m_strFamily.toUtf8().constData(), strPath.toUtf8().constData());
        return true;
    }
    return false;
}

void CAppFont::Release()
{
    if (m_nId < 0) return;
    QFontDatabase::removeApplicationFont(m_nId);
    if (s_strAppFamily == m_strFamily) s_strAppFamily.clear();
    m_nId = -1;
    m_strFamily.clear();
    m_strPath.clear();
}

}  // namespace skin
