#include "ui/mainwnd/ZorvikDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include "core/Gvar.h"
#include "core/Log.h"
#include "core/Utf.h"
#include "device/DeviceHub.h"
#include "device/FamilyRegistry.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "ui/mainwnd/VirtualDevicesPanel.h"
#include "ui/pages/PageTable.h"
#include "ui/update/SupportDlg.h"
#include "update/SupportChoices.h"
#include "ui/skin/NaviBtn.h"
#include "ui/skin/NotifyDlg.h"
#include "ui/skin/PngBtn.h"
#include "ui/skin/SkinControls.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/SkinContext.h"
#include "ui/skin/SkinTheme.h"
#include "ui/skin/TreeCtrlEx.h"

namespace {
// Places the layout options leave open, in unscaled pixels of the window's picture.
constexpr QPoint kSelectorSlots[3] = {{20, 24}, {88, 24}, {156, 24}};
constexpr QRect kDefaultStatus{232, 30, 290, 24};
constexpr QPoint kExitBtn{1033, 8};
constexpr QPoint kOptionsBtn{961, 8};
constexpr QRect kModeBtn{232, 62, 84, 22};   // the first; the others follow at kModeStep
constexpr int kModeStep = 92;
constexpr QRect kResetBtn{813, 771, 110, 22};
constexpr QRect kApplyBtn{933, 771, 110, 22};
constexpr QRect kVersion{20, 773, 300, 22};
constexpr int kLinkCheckMs = 15000;
constexpr int kProfileTreeX = 18, kProfileTreeW = 224, kProfileTreeBottom = 530;

QString T(const std::u16string& s) { return ToQString(s); }

struct NaviImages {
    NavButton b;
    const char* pszStem;
};
constexpr NaviImages kNaviImages[] = {
    {NavButton::Lighting, "light"},      {NavButton::Dpi, "DPI"},         {NavButton::Settings, "setting"},
    {NavButton::LiftOff, "LOD"},         {NavButton::Macro, "mac"},       {NavButton::Bullet, "trajectory"},
    {NavButton::KbKeys, "setting"},      {NavButton::Support, "navi_support"}, {NavButton::Music, "navi_music"},
};

QString NaviCaption(NavButton b)
{
    switch (b) {
    case NavButton::Lighting: return T(gText.tc_ms(1));
    case NavButton::Dpi: return T(gText.tc_ms(2));
    case NavButton::Settings: return T(gText.tc_ms(3));
    case NavButton::Macro: return T(gText.tc_ms(4));
    case NavButton::Bullet: return T(gText.tc_ms(5));
    case NavButton::LiftOff: return T(gText.tc_lod);
    case NavButton::KbKeys: return T(gText.tc_kb(2));
    case NavButton::Music: return T(gText.tc_kb(3));
    case NavButton::Support: return T(gText.tc_spr(12));
    }
    return QString();
}

const char* SelectorStem(DevKind k)
{
    return k == DevKind::Mouse ? "dev_ms" : k == DevKind::Keyboard ? "dev_kb" : "dev_pad";
}

QRect ToQRect(const ZRect& r) { return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)); }
bool IsEmpty(const ZRect& r) { return r.right <= r.left || r.bottom <= r.top; }
}  // namespace

CZorvikDlg::CZorvikDlg(const MainWindowDeps& deps, QWidget* pParent) : QWidget(pParent), m_deps(deps)
{
    setWindowTitle(ToQString(gVar.pszTitle ? std::u16string_view(gVar.pszTitle) : std::u16string_view()));
    setObjectName(QStringLiteral("ZorvikDlg"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_OpaquePaintEvent);
    const QString strIcon = QString::fromStdString((g_szAppDir / "appico.ico").string());
    const QIcon icon(strIcon);
    // Else the icon the skins carry.
    setWindowIcon(icon.isNull() || icon.availableSizes().isEmpty() ? QIcon(skin::CommonPath(QStringLiteral("appico.png")))
                                                                   : icon);
}

CZorvikDlg::~CZorvikDlg()
{
    // The pages go before the devices they show.
    m_pCurPage = nullptr;
    for (auto& [strGroup, pPage] : m_pages) delete pPage;
    m_pages.clear();
    if (m_pTray) m_pTray->hide();
}

QRect CZorvikDlg::Scaled(const QRect& rc) const
{
    const double f = skin::InterfaceScale();
    if (f == 1.0) return rc;
    const QPoint tl(qRound(rc.left() * f), qRound(rc.top() * f));
    const QPoint br(qRound((rc.right() + 1) * f), qRound((rc.bottom() + 1) * f));
    return QRect(tl, br - QPoint(1, 1));
}

QPoint CZorvikDlg::Scaled(const QPoint& pt) const
{
    const double f = skin::InterfaceScale();
    return QPoint(qRound(pt.x() * f), qRound(pt.y() * f));
}

bool CZorvikDlg::Initialise()
{
    m_nav = NavOptions::FromGvar();
    if (!m_nav.bMouse && !m_nav.bKeyboard && !m_nav.bPad) {
        Prompt().ShowMessage(u"No device family is configured (MsFw, KbFw and PadFw are all 0).",
                             gVar.pszTitle ? gVar.pszTitle : u"");
        return false;
    }
    const QImage bkg = skin::LoadChosenScaled(QStringLiteral("main_nr.png"));
    if (bkg.isNull()) {
        Prompt().ShowMessage(u"Load skins failed.", u"Error");
        return false;
    }
    setFixedSize(skin::LogicalSize(bkg));

    // The profiles: loaded or made, the current one as stored.
    m_pStore = std::make_unique<CProfileStore>(g_szUserDir, Prompt());
    ProfileStartup startup;
    startup.nProfileNum = gVar.nProfileNum;
    startup.strNameWord = gText.tc_proname;
    startup.defaults = Defaults();
    if (m_nav.bKeyboard) startup.nKbAssignedKeys = gVar.Kb.nUIKeyNum;
    pFile = LoadOrCreateProfiles(*m_pStore, g_ProList, startup, Prompt());
    if (!pFile) {
        Prompt().ShowMessage(u"No profile could be loaded or made in the user folder.", u"Error");
        return false;
    }
    m_pEditor = std::make_unique<CProfileEditor>(g_ProList, pFile, *m_pStore, m_deps.pHub);
    m_pEditor->OnSaveFailed([this](const std::string& strErr) {
        Prompt().ShowMessage(u"The profiles could not be saved: " + Utf8ToU16(strErr), u"Error");
    });

    BuildChrome();
    FillProfileList();
    if (!m_deps.bUnattended) {
        m_pNotify = std::make_unique<CNotifyDlg>(this);
        if (m_pNotify->Init())
            m_pNotify->SetPosition(QPoint(50, 50));
        else
            m_pNotify.reset();
        MakeTray();
    }
    if (m_deps.pVirtual) {
        m_pVirtualPanel = new CVirtualDevicesPanel(*m_deps.pVirtual, this);
        m_pVirtualPanel->setObjectName(QStringLiteral("VirtualDevices"));
    }
    if (m_deps.pHub)
        for (size_t i = 0; i < m_deps.pHub->Count(); ++i) m_firstRound.insert(i);
    if (m_nav.bMouse && IsWirelessMouseKind(gVar.nMsFw)) {
        // The link and the battery of a mouse that may be on its receiver,
        // read every 15 seconds while someone can see them.
        auto* pTimer = new QTimer(this);
        pTimer->setObjectName(QStringLiteral("link-check"));
        connect(pTimer, &QTimer::timeout, this, [this] {
            if (isVisible() && !isMinimized() && IsOpen(DevKind::Mouse))
                m_deps.pHub->ReadLinkLater(FamilyOf(DevKind::Mouse));
        });
        pTimer->start(kLinkCheckMs);
    }
    SwitchDevice(FirstDevice(m_nav, OpenState()));
    UpdateDeviceButtons();
    UpdateStatus();
    return true;
}

ProfileDefaults CZorvikDlg::Defaults()
{
    ProfileDefaults d;
    CDeviceHub* pHub = m_deps.pHub;
    d.fill = [pHub](ProfileRecord& pro) {
        if (!pHub) return;
        for (size_t i = 0; i < pHub->Count(); ++i) pHub->Device(i).FillDefault(pro);
    };
    return d;
}

// ---- chrome ---------------------------------------------------------------------------------

CPngBtn* CZorvikDlg::MakeButton(const QString& strNr, const QString& strOv, const QString& strDn, const QPoint& pt,
                                const QString& strName)
{
    const QImage bkg = skin::LoadChosenScaled(QStringLiteral("main_nr.png"));
    CPngBtn* pBtn = CreateSkinButton(this, bkg, strNr, strOv, strDn, false, Scaled(pt), nullptr);
    if (pBtn) {
        pBtn->setObjectName(strName);
        pBtn->setFocusPolicy(Qt::NoFocus);
    } else {
        LogPrintf("Main window: the images of %s are missing", strName.toUtf8().constData());
    }
    return pBtn;
}

void CZorvikDlg::BuildChrome()
{
    const QImage bkg = skin::LoadChosenScaled(QStringLiteral("main_nr.png"));
    const QPoint ptMin = gVar.ptMinBtn.x || gVar.ptMinBtn.y ? QPoint(gVar.ptMinBtn.x, gVar.ptMinBtn.y) : QPoint(997, 8);
    m_pMin = MakeButton(QStringLiteral("min_nr.png"), QStringLiteral("min_ov.png"), QStringLiteral("min_ov.png"),
                        ptMin, QStringLiteral("minimise"));
    if (m_deps.runOptions)
        m_pOptions = MakeButton(QStringLiteral("opt_nr.png"), QStringLiteral("opt_ov.png"),
                                QStringLiteral("opt_ov.png"), kOptionsBtn, QStringLiteral("options"));
    m_pExit = MakeButton(QStringLiteral("exit_nr.png"), QStringLiteral("exit_ov.png"), QStringLiteral("exit_ov.png"),
                         kExitBtn, QStringLiteral("exit"));
    if (m_pMin) connect(m_pMin, &QAbstractButton::clicked, this, [this] { showMinimized(); });
    if (m_pOptions) connect(m_pOptions, &QAbstractButton::clicked, this, &CZorvikDlg::OpenOptions);
    if (m_pExit) connect(m_pExit, &QAbstractButton::clicked, this, &CZorvikDlg::OnExitButton);

    // The page area lies under the rest of the chrome: the profile list and the
    // buttons are raised over it.
    m_pPageArea = new QWidget(this);
    m_pPageArea->setObjectName(QStringLiteral("pages"));
    m_pPageArea->setGeometry(Scaled(ToQRect(gVar.rcSubDlg)));
    m_pPageArea->lower();

    for (int i = 0; i < 3; ++i) {
        const DevKind k = DevKind(i + 1);
        const QString strStem = QString::fromLatin1(SelectorStem(k));
        m_selectors[size_t(i)] = CreateSkinButton(this, bkg, strStem + QStringLiteral("_nr.png"),
                                                  strStem + QStringLiteral("_nr.png"), strStem + QStringLiteral("_dn.png"),
                                                  true, Scaled(kSelectorSlots[i]), nullptr);
        if (CPngBtn* p = m_selectors[size_t(i)]) {
            p->setObjectName(QStringLiteral("device-") + strStem);
            p->setFocusPolicy(Qt::NoFocus);
            p->setAutoExclusive(false);
            connect(p, &QAbstractButton::clicked, this, [this, k] {
                m_firstRound.clear();  // the user chose: discovery no longer chooses for them
                SwitchDevice(k);
            });
        }
    }

    for (const NaviImages& n : kNaviImages) {
        const QString strStem = QString::fromLatin1(n.pszStem);
        auto* p = CreateSkinButton<CNaviBtn>(this, bkg, strStem + QStringLiteral("_nr.png"),
                                             strStem + QStringLiteral("_nr.png"), strStem + QStringLiteral("_dn.png"),
                                             NaviCaption(n.b), true, Scaled(QRect(0, 0, 65, 55)), nullptr);
        if (!p) continue;
        p->setObjectName(QStringLiteral("navi-%1").arg(PageNumberOf(n.b)) +
                         (n.b == NavButton::KbKeys ? QStringLiteral("-keys") : QString()));
        p->setFocusPolicy(Qt::NoFocus);
        p->setAutoExclusive(false);
        p->hide();
        const NavButton b = n.b;
        connect(p, &QAbstractButton::clicked, this, [this, b] { ShowPage(PageNumberOf(b)); });
        m_navi[n.b] = p;
    }

    for (int i = 0; i < 3; ++i) {
        QRect rc = kModeBtn.translated(kModeStep * i, 0);
        CPngBtn* p = CreateSkinButton(this, bkg, QStringLiteral("button_nr.png"), QStringLiteral("button_ov.png"),
                                      QStringLiteral("button_ov.png"),
                                      QStringLiteral("%1 %2").arg(T(gText.tc_ms(7))).arg(i + 1), true, Scaled(rc),
                                      nullptr);
        if (!p) continue;
        p->SetStretch(true);
        p->setObjectName(QStringLiteral("mode-%1").arg(i + 1));
        p->setFocusPolicy(Qt::NoFocus);
        p->setAutoExclusive(false);
        p->hide();
        connect(p, &QAbstractButton::clicked, this, [this, i] {
            if (gVar.Ms.nShowOnlyModeString || !pFile) {
                UpdateDeviceButtons();
                return;
            }
            if (pFile->Ms.ProMirex.nMode != i) {
                LogPrintf("SwitchMode to %d", i);
                pFile->Ms.ProMirex.nMode = i;
                StoreProfiles();
                ReloadPages();
            }
            UpdateDeviceButtons();
        });
        m_modes[size_t(i)] = p;
    }

    // The profile group.
    const int nGroupY = gVar.nProfileGpY > 0 && gVar.nProfileGpY < 500 ? gVar.nProfileGpY : 112;
    m_pAdd = MakeButton(QStringLiteral("add_nr.png"), QStringLiteral("add_ov.png"), QStringLiteral("add_ov.png"),
                        QPoint(kProfileTreeX + 2, nGroupY), QStringLiteral("profile-add"));
    m_pDel = MakeButton(QStringLiteral("del_nr.png"), QStringLiteral("del_ov.png"), QStringLiteral("del_ov.png"),
                        QPoint(kProfileTreeX + 32, nGroupY), QStringLiteral("profile-delete"));
    m_pMenu = MakeButton(QStringLiteral("edit_nr.png"), QStringLiteral("edit_ov.png"), QStringLiteral("edit_ov.png"),
                         QPoint(kProfileTreeX + 62, nGroupY), QStringLiteral("profile-menu"));
    if (m_pAdd) connect(m_pAdd, &QAbstractButton::clicked, this, &CZorvikDlg::AddProfile);
    if (m_pDel) connect(m_pDel, &QAbstractButton::clicked, this, &CZorvikDlg::DeleteProfile);
    if (m_pMenu) connect(m_pMenu, &QAbstractButton::clicked, this, &CZorvikDlg::OnProfileMenu);
    const QRect rcTree(kProfileTreeX, nGroupY + 32, kProfileTreeW, kProfileTreeBottom - nGroupY - 32);
    m_pProfileTree = new CTreeCtrlEx(this, Scaled(rcTree), bkg, QString(), QString());
    m_pProfileTree->setObjectName(QStringLiteral("profiles"));
    {
        const skin::SkinTheme& theme = skin::Theme();
        TreeLook& look = m_pProfileTree->Look();
        look.nIndentGap = 4;
        m_pProfileTree->SetScale(float(theme.fScale));
        look.clrSelRow = theme.clrListItem.rgb();
        look.bHoverRow = true;
        look.clrHoverRow = 0x30FFFFFF;
        look.clrFrame = 0;
        m_pProfileTree->LookChanged();
    }
    connect(m_pProfileTree, &CTreeCtrlEx::itemLeftClick, this, [this](QTreeWidgetItem* pItem) {
        if (!pItem) return;
        if (const TreeItemInfo* pInfo = m_pProfileTree->FindRecord(pItem)) SwitchProfile(uint32_t(pInfo->nKey));
    });

    m_pReset = CreateSkinButton(this, bkg, QStringLiteral("button_nr.png"), QStringLiteral("button_ov.png"),
                                QStringLiteral("button_ov.png"), T(gText.tc_restore), false, Scaled(kResetBtn), nullptr);
    m_pApply = CreateSkinButton(this, bkg, QStringLiteral("button_nr.png"), QStringLiteral("button_ov.png"),
                                QStringLiteral("button_ov.png"), T(gText.tc_apply), false, Scaled(kApplyBtn), nullptr);
    for (auto [p, strName] : {std::pair{m_pReset, "reset"}, std::pair{m_pApply, "apply"}}) {
        if (!p) continue;
        p->SetStretch(true);
        p->setObjectName(QString::fromLatin1(strName));
        p->setFocusPolicy(Qt::NoFocus);
    }
    if (m_pReset) connect(m_pReset, &QAbstractButton::clicked, this, &CZorvikDlg::Reset);
    if (m_pApply) connect(m_pApply, &QAbstractButton::clicked, this, &CZorvikDlg::Apply);

    m_pStatus = new QLabel(this);
    m_pStatus->setObjectName(QStringLiteral("status"));
    m_pStatus->setGeometry(Scaled(IsEmpty(gVar.rcDevStatusBtn) ? kDefaultStatus : ToQRect(gVar.rcDevStatusBtn)));
    m_pVersion = new QLabel(this);
    m_pVersion->setObjectName(QStringLiteral("version"));
    m_pVersion->setGeometry(Scaled(kVersion));
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, skin::Theme().clrText);
    m_pStatus->setPalette(pal);
    m_pVersion->setPalette(pal);
    m_pStatus->setFont(skin::InterfaceFont());
    m_pVersion->setFont(skin::InterfaceFont());

    if (!IsEmpty(gVar.rcWeb)) {
        m_pWeb = new CPngBtn(this);
        m_pWeb->setObjectName(QStringLiteral("web"));
        m_pWeb->setGeometry(Scaled(ToQRect(gVar.rcWeb)));
        m_pWeb->SetBackground(bkg, Scaled(ToQRect(gVar.rcWeb)));
        m_pWeb->setFocusPolicy(Qt::NoFocus);
        m_pWeb->setCursor(Qt::PointingHandCursor);
        connect(m_pWeb, &QAbstractButton::clicked, this, [] {
            if (!gText.tc_web.empty()) QDesktopServices::openUrl(QUrl(T(gText.tc_web)));
        });
    }
    Retext();
}

void CZorvikDlg::Retext()
{
    setWindowTitle(ToQString(gVar.pszTitle ? std::u16string_view(gVar.pszTitle) : std::u16string_view()));
    for (auto& [b, p] : m_navi) p->setText(NaviCaption(b));
    for (int i = 0; i < 3; ++i)
        if (m_modes[size_t(i)]) m_modes[size_t(i)]->setText(QStringLiteral("%1 %2").arg(T(gText.tc_ms(7))).arg(i + 1));
    if (m_pApply) m_pApply->setText(T(gText.tc_apply));
    if (m_pReset) m_pReset->setText(T(gText.tc_restore));
    if (m_pVersion) m_pVersion->setText(T(gText.tc_version));
    if (m_pWeb) {
        m_pWeb->setText(T(gText.tc_web));
        m_pWeb->setVisible(!gText.tc_web.empty());
    }
    if (m_pTray) {
        m_pTray->setToolTip(windowTitle());
        const QList<QAction*> actions = m_pTrayMenu->actions();
        if (actions.size() >= 3) {
            actions[0]->setText(T(gText.tc_config));
            actions[2]->setText(T(gText.tc_exit));
        }
    }
    for (auto& [strGroup, pPage] : m_pages) pPage->Retext();
    UpdateStatus();
    update();
}

void CZorvikDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QImage bkg = skin::LoadChosenScaled(QStringLiteral("main_nr.png"));
    if (!bkg.isNull())
        painter.drawImage(rect(), bkg);
    else
        painter.fillRect(rect(), skin::Theme().clrWindow);
}

void CZorvikDlg::mousePressEvent(QMouseEvent* e)
{
    // The window has no frame: a press on the background moves it.
    if (e->button() == Qt::LeftButton && windowHandle()) windowHandle()->startSystemMove();
    QWidget::mousePressEvent(e);
}

// ---- devices and pages ---------------------------------------------------------------------------

size_t CZorvikDlg::FamilyOf(DevKind kind) const
{
    CDeviceHub* pHub = m_deps.pHub;
    if (!pHub || kind == DevKind::None) return kNoFamily;
    size_t nFirst = kNoFamily;
    for (size_t i = 0; i < pHub->Count(); ++i) {
        if (KindOfFamily(pHub->FamilyName(i)) != kind) continue;
        if (nFirst == kNoFamily) nFirst = i;
        if (pHub->State(i).bConnected) return i;
    }
    return nFirst;
}

bool CZorvikDlg::IsOpen(DevKind kind) const
{
    const size_t i = FamilyOf(kind);
    return i != kNoFamily && m_deps.pHub->State(i).bConnected;
}

DevOpen CZorvikDlg::OpenState() const
{
    DevOpen open;
    open.bMouse = IsOpen(DevKind::Mouse);
    open.bKeyboard = IsOpen(DevKind::Keyboard);
    open.bPad = IsOpen(DevKind::Pad);
    return open;
}

std::vector<DevKind> CZorvikDlg::SelectorsShown() const { return ::SelectorsShown(m_nav, OpenState()); }

std::vector<NavButton> CZorvikDlg::NavigationShown() const
{
    NavOptions opt = m_nav;
    opt.bMusicSupport = m_nav.bMusicSupport;
    return NavigationOf(m_curDev, opt);
}

PageContext CZorvikDlg::MakeContext()
{
    PageContext ctx;
    ctx.pHub = m_deps.pHub;
    ctx.pProfile = m_pEditor.get();
    ctx.pPrompt = m_deps.pPrompt;
    ctx.familyOf = [this](DevKind k) { return FamilyOf(k); };
    ctx.currentDevice = [this] { return m_curDev; };
    return ctx;
}

CPage* CZorvikDlg::PageOf(PageId id)
{
    const PageEntry* pEntry = nullptr;
    for (const PageEntry& e : m_deps.pages.empty() ? PageTable() : m_deps.pages)
        if (e.id == id) {
            pEntry = &e;
            break;
        }
    if (!pEntry) return nullptr;
    const std::string strGroup = pEntry->pszGroup;
    auto it = m_pages.find(strGroup);
    if (it != m_pages.end()) return it->second;
    CPage* pPage = pEntry->make(MakeContext(), m_pPageArea);
    if (!pPage) {
        LogPrintf("Page %s could not be made", pEntry->pszGroup);
        return nullptr;
    }
    pPage->setObjectName(QStringLiteral("page-") + QString::fromLatin1(pEntry->pszGroup));
    pPage->setGeometry(QRect(QPoint(0, 0), m_pPageArea->size()));
    pPage->hide();
    pPage->Reload();
    m_pages[strGroup] = pPage;
    if (auto* pSupport = qobject_cast<CSupportDlg*>(pPage)) {
        // An installer was started: the program makes way for it.
        connect(pSupport, &CSupportDlg::quitForInstall, this, &CZorvikDlg::ExitProgram);
        connect(pSupport, &CSupportDlg::updateMarkChanged, this, [this](bool bMarked) {
            if (auto it = m_navi.find(NavButton::Support); it != m_navi.end())
                it->second->setToolTip(bMarked ? QStringLiteral("An update is available") : QString());
        });
    }
    LogPrintf("Page %s made", pEntry->pszGroup);
    return pPage;
}

void CZorvikDlg::SwitchDevice(DevKind kind)
{
    LogPrintf("CZorvikDlg::SwitchDevice nDev=%d, m_nCurDev=%d", int(kind), int(m_curDev));
    if (kind == m_curDev || kind == DevKind::None) return;
    if (RecorderHolds()) return;
    m_curDev = kind;
    // The pages every device shares show the new one's settings.
    for (auto& [strGroup, pPage] : m_pages)
        if (pPage->Kind() == DevKind::None) pPage->Reload();
    LayOutNavigation();
    ShowPage(FirstPageOf(kind, m_nav));
    UpdateDeviceButtons();
}

bool CZorvikDlg::RecorderHolds()
{
    if (!m_pCurPage || !m_pCurPage->HoldsFocus()) return false;
    Prompt().ShowMessage(gText.tc_macro_msg17, gVar.pszTitle ? gVar.pszTitle : u"");
    return true;
}

bool CZorvikDlg::ShowPage(int nPage)
{
    const PageId id = PageFor(m_curDev, nPage, m_nav);
    if (id == PageId::None) return false;
    if (m_pCurPage && m_curPageId != id && RecorderHolds()) return false;
    CPage* pPage = PageOf(id);
    if (!pPage) return false;
    if (m_pCurPage && m_pCurPage != pPage) m_pCurPage->hide();
    m_nCurPage = nPage;
    m_curPageId = id;
    m_pCurPage = pPage;
    pPage->ShowView(id);
    pPage->show();
    // The profile list stays above the page, except where the page has none.
    const bool bProfiles = ShowsProfiles(nPage);
    for (QWidget* p : {static_cast<QWidget*>(m_pProfileTree), static_cast<QWidget*>(m_pAdd),
                       static_cast<QWidget*>(m_pDel), static_cast<QWidget*>(m_pMenu)})
        if (p) {
            p->setVisible(bProfiles);
            p->raise();
        }
    for (auto& [b, p] : m_navi) p->setChecked(PageNumberOf(b) == nPage && !p->isHidden());
    LogPrintf("ShowPage %d", nPage);
    return true;
}

void CZorvikDlg::Place(CPngBtn* pBtn, const QRect& rc)
{
    // A button draws the piece of the window's picture it stands on.
    pBtn->setGeometry(rc);
    pBtn->SetBackground(skin::LoadChosenScaled(QStringLiteral("main_nr.png")), rc);
}

void CZorvikDlg::LayOutNavigation()
{
    for (auto& [b, p] : m_navi) p->hide();
    const std::vector<NavButton> buttons = NavigationShown();
    const QRect rcNavi = ToQRect(gVar.rcNavi).isValid() ? ToQRect(gVar.rcNavi) : QRect(540, 22, 65, 55);
    int x = rcNavi.left();
    for (NavButton b : buttons) {
        auto it = m_navi.find(b);
        if (it == m_navi.end()) continue;
        Place(it->second, Scaled(QRect(QPoint(x, rcNavi.top()), rcNavi.size())));
        it->second->show();
        x += rcNavi.width() + gVar.nNaviSpc;
    }
    const bool bModes = ShowsModeButtons(m_curDev);
    for (CPngBtn* p : m_modes)
        if (p) p->setVisible(bModes);
}

void CZorvikDlg::UpdateDeviceButtons()
{
    const std::vector<DevKind> shown = SelectorsShown();
    for (CPngBtn* p : m_selectors)
        if (p) p->hide();
    for (size_t slot = 0; slot < shown.size(); ++slot) {
        CPngBtn* p = m_selectors[size_t(int(shown[slot]) - 1)];
        if (!p) continue;
        Place(p, QRect(Scaled(kSelectorSlots[slot]), p->size()));
        p->setChecked(shown[slot] == m_curDev);
        p->show();
    }
    const int nMode = pFile ? pFile->Ms.ProMirex.nMode : 0;
    for (int i = 0; i < 3; ++i)
        if (m_modes[size_t(i)]) m_modes[size_t(i)]->setChecked(i == nMode);
}

QString CZorvikDlg::StatusText() const
{
    if (m_curDev == DevKind::None) return T(gText.tc_msg(13));
    const size_t i = FamilyOf(m_curDev);
    if (i == kNoFamily) return T(gText.tc_msg(13));
    const DeviceState st = m_deps.pHub->State(i);
    if (st.bDenied)
        return QStringLiteral("No access to the %1: install the udev rule 70-zorvik.rules")
            .arg(QString::fromUtf8(m_deps.pHub->FamilyName(i)));
    if (!st.bConnected) return T(gText.tc_msg(13));
    QString str = T(gText.tc_msg(14));
    if (st.nLink >= 0) str += st.nLink ? QStringLiteral(" · receiver") : QStringLiteral(" · cable");
    if (st.bBatteryRead) str += QStringLiteral(" · %1%").arg(st.nBatteryLevel);
    return str;
}

void CZorvikDlg::UpdateStatus()
{
    if (!m_pStatus) return;
    m_pStatus->setText(StatusText());
    QPalette pal = m_pStatus->palette();
    const bool bOpen = m_curDev != DevKind::None && IsOpen(m_curDev);
    pal.setColor(QPalette::WindowText, bOpen ? skin::Theme().clrText : skin::Theme().clrWarning);
    m_pStatus->setPalette(pal);
}

void CZorvikDlg::ReloadPages()
{
    for (auto& [strGroup, pPage] : m_pages) pPage->Reload();
    UpdateDeviceButtons();
}

void CZorvikDlg::SetPagesBusy(bool bBusy)
{
    m_bBusy = bBusy;
    for (auto& [strGroup, pPage] : m_pages) pPage->SetBusy(bBusy);
}

// ---- showing and ending -----------------------------------------------------------------------

void CZorvikDlg::MakeTray()
{
    if (gVar.nTrayIcon != 1 && gVar.nTrayIcon != 3) return;
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        LogPrintf("No system tray: the window stays in the task bar");
        return;
    }
    m_pTray = new QSystemTrayIcon(windowIcon(), this);
    m_pTrayMenu = new QMenu(this);
    m_pTrayMenu->addAction(T(gText.tc_config), this, &CZorvikDlg::ShowAndActivate);
    m_pTrayMenu->addSeparator();
    m_pTrayMenu->addAction(T(gText.tc_exit), this, &CZorvikDlg::ExitProgram);
    m_pTray->setContextMenu(m_pTrayMenu);
    m_pTray->setToolTip(windowTitle());
    connect(m_pTray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::Trigger) ShowAndActivate();
    });
    m_pTray->show();
}

void CZorvikDlg::ShowWhenFound(int nCapMs)
{
    if (m_firstRound.empty()) {
        show();
        return;
    }
    m_bShowPending = true;
    QTimer::singleShot(nCapMs, this, [this] {
        if (!m_bShowPending) return;
        m_bShowPending = false;
        show();
    });
}

void CZorvikDlg::ShowAndActivate()
{
    LogPrintf("OnConfig: show the window");
    if (!isVisible()) ReloadPages();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void CZorvikDlg::OnExitButton()
{
    if (RecorderHolds()) return;
    LogPrintf("m_btnExit bShowSupport=%d, nTrayIcon=%d", gVar.nShowSupport, gVar.nTrayIcon);
    const int nCloseAction = g_supportChoices.nCloseAction;  // the support page's choice
    switch (ExitButtonAction(gVar.nShowSupport != 0, nCloseAction, gVar.nTrayIcon, m_pTray != nullptr)) {
    case ExitAction::Quit: ExitProgram(); break;
    case ExitAction::HideToTray: hide(); break;
    case ExitAction::Minimise: showMinimized(); break;
    }
}

void CZorvikDlg::ExitProgram()
{
    if (m_bExiting) return;
    if (RecorderHolds()) return;
    m_bExiting = true;
    LogPrintf("Exit command");
    StoreProfiles();
    if (m_pTray) m_pTray->hide();
    if (m_pVirtualPanel) m_pVirtualPanel->close();
    emit exitRequested();
}

void CZorvikDlg::closeEvent(QCloseEvent* e)
{
    // Leaving: the application closes its windows on the way out.
    if (m_bExiting) {
        e->accept();
        return;
    }
    // The window manager's close is the exit button.
    e->ignore();
    OnExitButton();
}

void CZorvikDlg::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::LanguageChange) Retext();
}

void CZorvikDlg::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (m_pVirtualPanel && !m_deps.bUnattended && !m_pVirtualPanel->isVisible()) {
        // Beside the main window, where it hides nothing of it.
        m_pVirtualPanel->adjustSize();
        // Right of the window, else below it, else in the screen's bottom left
        // corner: never over the window's own buttons.
        const QRect rcMain = frameGeometry();
        const QSize size = m_pVirtualPanel->frameSize();
        QPoint pt = rcMain.topRight() + QPoint(12, 0);
        if (const QScreen* pScreen = screen()) {
            const QRect rcScreen = pScreen->availableGeometry();
            if (!rcScreen.contains(QRect(pt, size))) pt = rcMain.bottomLeft() + QPoint(0, 12);
            if (!rcScreen.contains(QRect(pt, size)))
                pt = QPoint(rcScreen.left(), rcScreen.bottom() - size.height());
        }
        m_pVirtualPanel->move(pt);
        m_pVirtualPanel->show();
    }
}

void CZorvikDlg::OpenOptions()
{
    SetPagesBusy(true);
    const bool bOk = m_deps.runOptions && m_deps.runOptions(this, pFile);
    SetPagesBusy(false);
    if (bOk) StoreProfiles();
    // A language chosen in the window is in effect whether or not it was kept.
    Retext();
}
