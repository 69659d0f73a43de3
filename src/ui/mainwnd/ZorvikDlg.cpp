#include "ui/mainwnd/ZorvikDlg.h"

#include <QLabel>
#include <QVBoxLayout>

#include "core/Gvar.h"
#include "core/Log.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "ui/skin/SkinTheme.h"

CZorvikDlg::CZorvikDlg(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(ToQString(gVar.pszTitle ? std::u16string_view(gVar.pszTitle) : std::u16string_view()));
    setObjectName(QStringLiteral("ZorvikDlg"));
    resize(720, 420);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, skin::Theme().clrWindow);
    pal.setColor(QPalette::WindowText, skin::Theme().clrText);
    setPalette(pal);

    auto* pLayout = new QVBoxLayout(this);
    auto* pTitle = new QLabel(windowTitle(), this);
    QFont font = pTitle->font();
    font.setPointSize(22);
    font.setBold(true);
    pTitle->setFont(font);
    pTitle->setAlignment(Qt::AlignCenter);
    pLayout->addStretch(1);
    pLayout->addWidget(pTitle);
    const std::u16string& strVersion = gText.tc_version;
    if (!strVersion.empty()) {
        auto* pVer = new QLabel(ToQString(strVersion), this);
        pVer->setAlignment(Qt::AlignCenter);
        pLayout->addWidget(pVer);
    }
    m_pDevices = new QLabel(this);
    m_pDevices->setObjectName(QStringLiteral("devices"));
    m_pDevices->setAlignment(Qt::AlignCenter);
    pLayout->addWidget(m_pDevices);
    pLayout->addStretch(1);
}

void CZorvikDlg::SetDevices(const QStringList& lines) { m_pDevices->setText(lines.join(QLatin1Char('\n'))); }

void CZorvikDlg::ShowAndActivate()
{
    LogPrintf("Show window (tray click)");
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}
