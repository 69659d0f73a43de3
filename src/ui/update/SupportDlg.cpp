#include "ui/update/SupportDlg.h"

#include <QApplication>
#include <QMetaMethod>
#include <QPainter>
#include <cmath>

#include "core/Gvar.h"
#include "core/Log.h"
#include "device/DeviceHub.h"
#include "device/IClock.h"
#include "platform/CurlDownloader.h"
#include "platform/DesktopLauncher.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "ui/mainwnd/QtMsgTarget.h"
#include "ui/skin/PngHProgressBar.h"
#include "ui/skin/SkinControls.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/SkinTheme.h"
#include "update/SupportChoices.h"

namespace {

// The layout at scale 1, in page pixels.
constexpr int kLeft = 150;
constexpr int kLineTop = 100, kLineHeight = 22, kLineGap = 15, kLabelWidth = 180;
constexpr QSize kButtonSize(190, 24);
constexpr int kIdleTop = 270, kButtonGap = 20;
constexpr int kBoxSize = 17;
constexpr int kBarBelowBox = 60, kRadioBelowBar = 80, kRadioGap = 12;
constexpr int kTextGap = 10, kChoiceTextWidth = 360;  // to the panel's right edge
constexpr QPoint kLogoAt(673, 90);
constexpr QRect kRightText(680, 280, 315, 44), kUrlText(680, 364, 315, 30);
constexpr int kMarkX = 174;  // the mark's place on a check button

int S(int v) { return int(std::floor(v * skin::InterfaceScale() + 1e-6)); }

QRect S(const QRect& rc)
{
    const int l = S(rc.left()), t = S(rc.top());
    return QRect(l, t, S(rc.left() + rc.width()) - l, S(rc.top() + rc.height()) - t);
}

// A skin image of the chosen skin, or of the common folder when the skin has none.
QImage LoadSkinOrCommon(const QString& strName)
{
    QImage img = skin::LoadChosenScaled(strName);
    if (img.isNull()) img = skin::LoadCommonScaled(strName);
    return img;
}

QString VersionText(int32_t nMajor, int32_t nMinor)
{
    return QStringLiteral("V%1.%2").arg(QString::number(nMajor, 16), QString::number(nMinor, 16));
}

}  // namespace

CSupportDlg::CSupportDlg(const PageContext& ctx, QWidget* pParent, Services services)
    : CPage(ctx, DevKind::None, pParent), m_services(services)
{
    if (!m_services.pDownloader) {
        m_pOwnDownloader = std::make_unique<CCurlDownloader>();
        m_services.pDownloader = m_pOwnDownloader.get();
    }
    if (!m_services.pLauncher) {
        m_pOwnLauncher = std::make_unique<CDesktopLauncher>();
        m_services.pLauncher = m_pOwnLauncher.get();
    }
    if (!m_services.pClock) {
        m_pOwnClock = std::make_unique<CSystemClock>();
        m_services.pClock = m_pOwnClock.get();
    }
    m_pTarget = new CQtMsgTarget(this);
    m_pCheck = std::make_unique<CUpdateCheck>(*m_services.pDownloader, *m_services.pLauncher, *m_services.pClock,
                                              *m_pTarget, Prompt(), *this);
    connect(m_pTarget, &CQtMsgTarget::posted, this, [this](quint32 nMsg, quintptr wParam, qintptr lParam) {
        if (nMsg == kMsgUpdate && m_pCheck) m_pCheck->OnMessage(wParam, lParam);
    });
    setObjectName(QStringLiteral("Support"));
    BuildControls();
    SyncChoices();
}

CSupportDlg::~CSupportDlg()
{
    // The worker is cut off and joined before the message target goes.
    m_pCheck.reset();
}

void CSupportDlg::BuildControls()
{
    m_imgBack = skin::LoadChosenScaled(QStringLiteral("support_nr.png"));
    m_imgLogo = LoadSkinOrCommon(QStringLiteral("logo.png"));
    if (m_imgLogo.width() == 0) m_imgLogo = QImage();
    m_imgTip = LoadSkinOrCommon(QStringLiteral("btn_tip.png"));
    const QSize size = m_imgBack.isNull() ? QSize(S(1063), S(672)) : skin::LogicalSize(m_imgBack);
    resize(size);
    // The controls' own pieces of background are cut from the page's.
    const QImage imgPage = m_imgBack.isNull() ? QImage() : m_imgBack;

    IPrompt* pPrompt = &Prompt();
    const QString strBtnNr = QStringLiteral("supbtn_nr.png"), strBtnOv = QStringLiteral("supbtn_ov.png");
    auto button = [&](int nTop) {
        return CreateSkinButton(this, imgPage, strBtnNr, strBtnOv, strBtnNr, QString(), false,
                                S(QRect(QPoint(kLeft, nTop), kButtonSize)), pPrompt);
    };
    const int nDrvTop = kIdleTop + kButtonSize.height() + kButtonGap;
    const int nFwTop = nDrvTop + kButtonSize.height() + kButtonGap;
    const int nBoxTop = nFwTop + kButtonSize.height() + kButtonGap;
    m_pBtnIdle = button(kIdleTop);
    m_pBtnDrv = button(nDrvTop);
    m_pBtnFw = button(nFwTop);
    m_pChkStart = CreateSkinButton(this, imgPage, QStringLiteral("check_nr.png"), QStringLiteral("check_ov.png"),
                                   QStringLiteral("check_dn.png"), QString(), true,
                                   S(QRect(kLeft, nBoxTop, kBoxSize, kBoxSize)), pPrompt);

    QImage imgBar = LoadSkinOrCommon(QStringLiteral("bar.png"));
    QImage imgBarOv = LoadSkinOrCommon(QStringLiteral("bar_ov.png"));
    if (imgBarOv.width() == 0) pPrompt->ShowMessage(u"missing bar_ov.png", u"");
    const int nBarTop = nBoxTop + kBoxSize + kBarBelowBox;
    const QSize barSize = imgBar.isNull() ? QSize(S(410), S(13)) : skin::LogicalSize(imgBar);
    m_pProgress = new CPngHProgressBar(this, imgBar, imgBarOv, QRect(QPoint(S(kLeft), S(nBarTop)), barSize));
    m_pProgress->SetDraggable(false);
    m_pProgress->SetRange(0, 100);
    m_pProgress->SetPos(0);

    const int nBarBottom = nBarTop + int(std::lround(barSize.height() / skin::InterfaceScale()));
    const int nQuitTop = nBarBottom + kRadioBelowBar;
    const int nHideTop = nQuitTop + kBoxSize + kRadioGap;
    auto radio = [&](int nTop) {
        CPngBtn* p = CreateSkinButton(this, imgPage, QStringLiteral("radio_nr.png"), QStringLiteral("radio_ov.png"),
                                      QStringLiteral("radio_dn.png"), QString(), true,
                                      S(QRect(kLeft, nTop, kBoxSize, kBoxSize)), pPrompt);
        // The two are set together in SyncChoices; Qt's exclusivity would fight it.
        if (p) p->setAutoExclusive(false);
        return p;
    };
    m_pRadQuit = radio(nQuitTop);
    m_pRadHide = radio(nHideTop);

    if (m_pBtnDrv) connect(m_pBtnDrv, &QAbstractButton::clicked, this, [this] { OnCheckClicked(kUpdateProgram); });
    if (m_pBtnFw) connect(m_pBtnFw, &QAbstractButton::clicked, this, [this] { OnCheckClicked(kUpdateFirmware); });
    if (m_pChkStart)
        connect(m_pChkStart, &QAbstractButton::clicked, this, [this](bool bChecked) {
            g_supportChoices.bCheckAtStart = bChecked;
        });
    if (m_pRadQuit)
        connect(m_pRadQuit, &QAbstractButton::clicked, this, [this] {
            g_supportChoices.nCloseAction = 0;
            SyncChoices();
        });
    if (m_pRadHide)
        connect(m_pRadHide, &QAbstractButton::clicked, this, [this] {
            g_supportChoices.nCloseAction = 1;
            SyncChoices();
        });
    ApplyCaptions();
    UpdateButtons();
}

void CSupportDlg::ApplyCaptions()
{
    if (m_pBtnIdle) m_pBtnIdle->setText(ToQString(gText.tc_spr(13)));
    if (m_pBtnDrv)
        m_pBtnDrv->setText(ToQString(m_nRunType == kUpdateProgram ? gText.tc_cancel : gText.tc_spr(4)));
    if (m_pBtnFw)
        m_pBtnFw->setText(ToQString(m_nRunType == kUpdateFirmware ? gText.tc_cancel : gText.tc_spr(14)));
}

// While a check runs, the button that started it cancels it and the other
// check waits; a check the window started (no button) leaves both enabled,
// and a click then cancels it too.
void CSupportDlg::UpdateButtons()
{
    ApplyCaptions();
    if (m_pBtnDrv) m_pBtnDrv->setEnabled(m_nRunType == 0 || m_nRunType != kUpdateFirmware);
    if (m_pBtnFw) m_pBtnFw->setEnabled(m_nRunType == 0 || m_nRunType != kUpdateProgram);
}

void CSupportDlg::OnCheckClicked(int nType)
{
    LogPrintf(nType == kUpdateProgram ? "Drv Update clicked. g_bUpdateing=%d\n" : "Fw Update clicked. g_bUpdateing=%d\n",
              int(IsChecking()));
    if (Busy()) return;
    if (IsChecking()) {
        CancelCheck();
        return;
    }
    StartCheck(nType, true);
}

bool CSupportDlg::StartCheck(int nType, bool bUserCheck)
{
    if (IsChecking()) {
        LogPrintf("UpdateThread return\n");
        return false;
    }
    m_nRunType = nType;
    m_bUserRun = bUserCheck;
    UpdateButtons();
    const bool bStarted = m_pCheck->Start(nType, bUserCheck, UpdateSnapshotFromGlobals(KeyboardFwVersion(), uint16_t(gVar.nKbFw)));
    if (!bStarted) {
        m_nRunType = 0;
        UpdateButtons();
    }
    return bStarted;
}

void CSupportDlg::CancelCheck()
{
    if (m_pCheck) m_pCheck->Cancel();
}

bool CSupportDlg::IsChecking() const { return m_pCheck && m_pCheck->IsRunning(); }

int32_t CSupportDlg::KeyboardFwVersion() const
{
    const PageContext& ctx = Ctx();
    if (!ctx.pHub || !ctx.familyOf) return 0;
    const size_t i = ctx.familyOf(DevKind::Keyboard);
    if (i >= ctx.pHub->Count() || !ctx.pHub->Device(i).IsConnected()) return 0;
    return ctx.pHub->Device(i).FwVersion();
}

QString CSupportDlg::FirmwareText() const
{
    const int32_t nVer = KeyboardFwVersion();
    if (nVer <= 0) return QStringLiteral("N/A");
    return VersionText(nVer >> 8, nVer & 0xFF);
}

void CSupportDlg::SyncChoices()
{
    const bool bStart = g_supportChoices.bCheckAtStart;
    const bool bHide = g_supportChoices.nCloseAction == 1;
    if (m_pChkStart && m_pChkStart->isChecked() != bStart) m_pChkStart->setChecked(bStart);
    if (m_pRadQuit && m_pRadQuit->isChecked() == bHide) m_pRadQuit->setChecked(!bHide);
    if (m_pRadHide && m_pRadHide->isChecked() != bHide) m_pRadHide->setChecked(bHide);
}

void CSupportDlg::Reload()
{
    SyncChoices();
    update();  // the keyboard's firmware version may have changed
}

void CSupportDlg::Retext()
{
    ApplyCaptions();
    update();
}

void CSupportDlg::Reskin()
{
    m_imgBack = skin::LoadChosenScaled(QStringLiteral("support_nr.png"));
    m_imgLogo = LoadSkinOrCommon(QStringLiteral("logo.png"));
    if (m_imgLogo.width() == 0) m_imgLogo = QImage();
    m_imgTip = LoadSkinOrCommon(QStringLiteral("btn_tip.png"));
    const QString strBtnNr = QStringLiteral("supbtn_nr.png"), strBtnOv = QStringLiteral("supbtn_ov.png");
    const SkinButtonImages buttons[] = {
        {m_pBtnIdle, strBtnNr, strBtnOv, strBtnNr},
        {m_pBtnDrv, strBtnNr, strBtnOv, strBtnNr},
        {m_pBtnFw, strBtnNr, strBtnOv, strBtnNr},
        {m_pChkStart, QStringLiteral("check_nr.png"), QStringLiteral("check_ov.png"), QStringLiteral("check_dn.png")},
        {m_pRadQuit, QStringLiteral("radio_nr.png"), QStringLiteral("radio_ov.png"), QStringLiteral("radio_dn.png")},
        {m_pRadHide, QStringLiteral("radio_nr.png"), QStringLiteral("radio_ov.png"), QStringLiteral("radio_dn.png")},
    };
    SetButtonImages(this, m_imgBack, buttons);
    const skin::SkinTheme& theme = skin::Theme();
    for (const SkinButtonImages& b : buttons)
        if (b.pBtn)
            b.pBtn->SetTextColors(ToZColor(theme.clrBtnTextNr), ToZColor(theme.clrBtnTextOv),
                                  ToZColor(theme.clrBtnTextDn));
    PlaceMarkIcons();
    update();
}

// ---- IUpdateView ---------------------------------------------------------------------

void CSupportDlg::ShowUpdateMark(int nWhich) { SetMarks(m_nMarks | (nWhich & 3)); }

void CSupportDlg::SetMarks(int nMarks)
{
    const bool bWas = m_nMarks != 0;
    m_nMarks = nMarks;
    PlaceMarkIcons();
    if (bWas != (m_nMarks != 0)) emit updateMarkChanged(m_nMarks != 0);
}

void CSupportDlg::PlaceMarkIcons()
{
    const QImage none;
    if (m_pBtnDrv) m_pBtnDrv->SetIcon((m_nMarks & 1) ? m_imgTip : none, kMarkX, -1);
    if (m_pBtnFw) m_pBtnFw->SetIcon((m_nMarks & 2) ? m_imgTip : none, kMarkX, -1);
    if (m_pBtnDrv) m_pBtnDrv->update();
    if (m_pBtnFw) m_pBtnFw->update();
}

void CSupportDlg::SetUpdateProgress(int nPercent)
{
    if (m_pProgress) m_pProgress->SetPos(nPercent);
}

void CSupportDlg::UpdateFinished(UpdateOutcome outcome)
{
    LogPrintf("Update check ended: %s\n", UpdateOutcomeName(outcome));
    // A check the user started that found the program (or the firmware)
    // current takes back that part's mark.
    if (outcome == UpdateOutcome::UpToDate && m_bUserRun && m_nRunType != kUpdateBoth)
        SetMarks(m_nMarks & ~(m_nRunType == kUpdateProgram ? 1 : 2));
    m_lastOutcome = outcome;
    m_nRunType = 0;
    m_bUserRun = false;
    if (m_pProgress && outcome != UpdateOutcome::Started) m_pProgress->SetPos(0);
    UpdateButtons();
    emit checkFinished(int(outcome));
}

void CSupportDlg::QuitForInstall()
{
    if (isSignalConnected(QMetaMethod::fromSignal(&CSupportDlg::quitForInstall))) {
        emit quitForInstall();
        return;
    }
    if (window()) window()->hide();
    QCoreApplication::quit();
}

// ---- painting -------------------------------------------------------------------------

void CSupportDlg::paintEvent(QPaintEvent* e)
{
    if (m_imgBack.isNull()) {
        CPage::paintEvent(e);
    }
    QPainter p(this);
    if (!m_imgBack.isNull()) p.drawImage(rect(), m_imgBack);
    if (!m_imgLogo.isNull()) p.drawImage(QPoint(S(kLogoAt.x()), S(kLogoAt.y())), m_imgLogo);

    p.setFont(skin::Theme().font);
    p.setPen(skin::Theme().clrText);
    auto line = [&](const QRect& rc, const QString& str, Qt::Alignment align = Qt::AlignLeft) {
        const QRect r = S(rc);
        p.drawText(r, align | Qt::AlignVCenter | Qt::TextSingleLine,
                   p.fontMetrics().elidedText(str, Qt::ElideRight, r.width()));
    };
    const QString values[] = {
        gVar.pszTitle ? ToQString(std::u16string_view(gVar.pszTitle)) : QString(),
        VersionText(gVar.nVer >> 4, gVar.nVer & 0xF),
        FirmwareText(),
    };
    const int nValueWidth[] = {200, 100, 100};
    for (int i = 0; i < 3; ++i) {
        const int nTop = kLineTop + i * (kLineHeight + kLineGap);
        line(QRect(kLeft, nTop, kLabelWidth, kLineHeight), ToQString(gText.tc_spr(i + 1)));
        line(QRect(kLeft + kLabelWidth, nTop, nValueWidth[i], kLineHeight), values[i]);
    }
    const qreal fScale = skin::InterfaceScale();
    auto unscaled = [fScale](const QRect& rc) {
        return QRect(int(std::lround(rc.x() / fScale)), int(std::lround(rc.y() / fScale)),
                     int(std::lround(rc.width() / fScale)), int(std::lround(rc.height() / fScale)));
    };
    if (m_pChkStart) {
        const QRect rc = unscaled(m_pChkStart->geometry());
        line(QRect(rc.right() + 1 + kTextGap, rc.top() - 2, kChoiceTextWidth, rc.height() + 4), ToQString(gText.tc_spr(5)));
    }
    if (m_pProgress) {
        const QRect rc = unscaled(m_pProgress->geometry());
        line(QRect(rc.left(), rc.top() - 26, rc.width(), 21), ToQString(gText.tc_spr(9)));
    }
    if (m_pRadQuit) {
        const QRect rc = unscaled(m_pRadQuit->geometry());
        line(QRect(rc.left(), rc.top() - 30, kChoiceTextWidth, 20), ToQString(gText.tc_spr(16)));
        line(QRect(rc.right() + 1 + kTextGap, rc.top() - 2, kChoiceTextWidth, rc.height() + 4), ToQString(gText.tc_spr(17)));
    }
    if (m_pRadHide) {
        const QRect rc = unscaled(m_pRadHide->geometry());
        line(QRect(rc.right() + 1 + kTextGap, rc.top() - 2, kChoiceTextWidth, rc.height() + 4), ToQString(gText.tc_spr(18)));
    }

    // The right-hand texts in the page's large bold font.
    QFont big = skin::Theme().font;
    big.setPixelSize(S(15));
    big.setBold(true);
    p.setFont(big);
    p.drawText(S(kRightText), Qt::AlignCenter | Qt::TextWordWrap, ToQString(gText.tc_spr(15)));
    line(kUrlText, ToQString(gText.tc_support_url), Qt::AlignHCenter);
}

CPage* MakeSupportPage(const PageContext& ctx, QWidget* pParent) { return new CSupportDlg(ctx, pParent); }
