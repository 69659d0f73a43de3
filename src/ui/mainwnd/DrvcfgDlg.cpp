#include "ui/mainwnd/DrvcfgDlg.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <system_error>

#include "core/AppOptions.h"
#include "core/Gvar.h"
#include "core/IPrompt.h"
#include "core/Log.h"
#include "core/Options.h"
#include "core/Utf.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "ui/mainwnd/SoundPlayer.h"
#include "ui/skin/ComboBtn.h"
#include "ui/skin/SkinControls.h"

namespace fs = std::filesystem;

namespace {

// The layout at scale 1 on the 460 x 300 background.
constexpr QRect kLangList(30, 66, 115, 20), kSkinList(230, 66, 115, 20);
constexpr QRect kPath(30, 134, 360, 22), kBrowse(398, 134, 28, 22);
constexpr QRect kSwitch(30, 180, 17, 17);
constexpr int kLabelWidth = 200, kTextGap = 10;

bool IsFile(const fs::path& path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

QString DefaultChooser(QWidget* pParent, const QString& strCurrent)
{
    const QString strDir = strCurrent.isEmpty() ? QString() : QFileInfo(strCurrent).absolutePath();
    QString strFile = QFileDialog::getOpenFileName(pParent, QString(), strDir, QStringLiteral("wav (*.wav)"));
    if (!strFile.isEmpty() && QFileInfo(strFile).suffix().isEmpty()) strFile += QStringLiteral(".wav");
    return strFile;
}

}  // namespace

CDrvcfgDlg::CDrvcfgDlg(QWidget* pOwner, IPrompt& prompt, ProfileRecord* pCurrent, ISoundPlayer& player)
    : CSkinDialog(pOwner), m_prompt(prompt), m_pCurrent(pCurrent), m_player(player), m_chooser(&DefaultChooser)
{
    setObjectName(QStringLiteral("Options"));
    if (!SetBackgroundFile(QStringLiteral("pickfundlg.png"))) {
        LogPrintf("pickfundlg.png missing; options window not shown\n");
        return;
    }
    const int W = BaseSize().width(), H = BaseSize().height();
    AddCloseButton();
    m_pOk = AddButton(QStringLiteral("button3_nr.png"), QStringLiteral("button3_ov.png"), QPoint(W - 224, H - 42),
                      QString());
    m_pCancel = AddButton(QStringLiteral("button3_nr.png"), QStringLiteral("button3_ov.png"), QPoint(W - 122, H - 42),
                          QString());
    if (m_pOk) connect(m_pOk, &QAbstractButton::clicked, this, &CDrvcfgDlg::OnOK);
    if (m_pCancel) connect(m_pCancel, &QAbstractButton::clicked, this, &CDrvcfgDlg::reject);

    auto combo = [&](const QRect& rc, const LangSkinEntry* pEntries, int nCount, int nSel) -> CComboBtn* {
        if (nCount <= 0) return nullptr;  // no list: no control and no label
        auto* p = CreateSkinButton<CComboBtn>(this, QImage(), QStringLiteral("combo_nr.png"),
                                              QStringLiteral("combo_ov.png"), QStringLiteral("combo_ov.png"),
                                              QString(), false, S(rc), &m_prompt, Theme());
        if (!p) return nullptr;
        PlaceButton(p, S(rc));
        for (int i = 0; i < nCount && i < kLangSkinMax; ++i)
            p->AddItem(0, i, ToQString(FixedView(pEntries[i].szName)));
        p->SelectValue(nSel);
        return p;
    };
    m_pLang = combo(kLangList, gVar.Lang, gVar.nLangNum, gVar.nLangIndex);
    m_pSkin = combo(kSkinList, gVar.Skins, gVar.nSkinsNum, gVar.nSkinsIndex);
    if (m_pLang) connect(m_pLang, &CComboBtn::changed, this, &CDrvcfgDlg::OnLanguage);
    if (m_pSkin) connect(m_pSkin, &CComboBtn::changed, this, &CDrvcfgDlg::OnSkin);

    m_pPath = new QLineEdit(this);
    m_pPath->setFrame(false);
    m_pPath->setFont(font());
    m_pPath->setStyleSheet(QStringLiteral("QLineEdit { color: #c8c8c8; background: #646464; border: none; padding: 0 3px; }"));
    m_pPath->setGeometry(S(kPath));
    if (m_pCurrent) m_pPath->setText(ToQString(ProfileSoundPath(*m_pCurrent)));

    m_pBrowse = CreateSkinButton(this, QImage(), QStringLiteral("dot_nr.png"), QStringLiteral("dot_ov.png"),
                                 QStringLiteral("dot_ov.png"), QString(), false, S(kBrowse), &m_prompt, Theme());
    PlaceButton(m_pBrowse, S(kBrowse));
    if (m_pBrowse) connect(m_pBrowse, &QAbstractButton::clicked, this, &CDrvcfgDlg::OnBrowse);

    m_pSwitch = CreateSkinButton(this, QImage(), QStringLiteral("check_nr.png"), QStringLiteral("check_ov.png"),
                                 QStringLiteral("check_dn.png"), QString(), true, S(kSwitch), &m_prompt, Theme());
    PlaceButton(m_pSwitch, S(kSwitch));
    if (m_pSwitch) {
        m_pSwitch->setChecked(g_bPlaySound);
        connect(m_pSwitch, &QAbstractButton::clicked, this, &CDrvcfgDlg::OnSwitch);
    }
    ApplyCaptions();
}

void CDrvcfgDlg::ApplyCaptions()
{
    setWindowTitle(ToQString(gText.tc_title));
    if (m_pOk) m_pOk->setText(ToQString(gText.tc_ok));
    if (m_pCancel) m_pCancel->setText(ToQString(gText.tc_cancel));
    update();
}

void CDrvcfgDlg::OnLanguage(int nIndex)
{
    if (nIndex < 0 || nIndex >= gVar.nLangNum) return;
    gVar.nLangIndex = nIndex;
    const fs::path path = CataloguePath();
    const CatalogueLoad load = LoadTextCatalogue(path);
    if (!load.Usable()) LogPrintf("Text catalogue %s: %s\n", path.string().c_str(), load.strWhy.c_str());
    // lang.ini is written only on OK: after Cancel this run keeps the new
    // language and the next start has the old one.
    ApplyCaptions();
    emit languageChanged();
}

void CDrvcfgDlg::OnSkin(int nIndex)
{
    // The skin is read once at start-up, with every image and colour of the
    // window made from it; the choice goes to lang.ini on OK and is in force
    // from the next start.
    if (nIndex >= 0 && nIndex < gVar.nSkinsNum) gVar.nSkinsIndex = nIndex;
}

void CDrvcfgDlg::OnBrowse()
{
    const QString strFile = m_chooser ? m_chooser(this, m_pPath->text()) : QString();
    if (strFile.isEmpty()) return;
    m_pPath->setText(strFile);
    if (m_pSwitch) m_pSwitch->setChecked(true);
}

void CDrvcfgDlg::OnSwitch(bool bChecked)
{
    if (!bChecked) {
        m_player.Stop();
        return;
    }
    const fs::path path(ToU16(m_pPath->text()));
    if (!m_pPath->text().isEmpty() && IsFile(path)) m_player.PlayLooping(path);
}

void CDrvcfgDlg::OnOK()
{
    AppOptionsChoice choice;
    choice.nLangIndex = gVar.nLangIndex;
    choice.nSkinsIndex = gVar.nSkinsIndex;
    choice.bPlaySound = m_pSwitch ? m_pSwitch->isChecked() : g_bPlaySound;
    choice.strSoundPath = ToU16(m_pPath->text());
    const AppOptionsResult r = ConfirmAppOptions(choice, m_pCurrent, g_bPlaySound, g_szUserDir / "lang.ini", &IsFile);
    if (!r.bClose) {
        m_prompt.ShowMessage(r.strMessage, u"");
        m_pPath->setFocus(Qt::OtherFocusReason);
        return;
    }
    g_bPlaySound = r.bPlaySound;
    // The choices hold for this run even when they could not be kept.
    if (!r.strMessage.empty()) m_prompt.ShowMessage(r.strMessage, u"");
    done(kIdOk);
}

void CDrvcfgDlg::keyPressEvent(QKeyEvent* e)
{
    if (!HandleDialogKey(e, [this] { OnOK(); }, [this] { reject(); })) CSkinDialog::keyPressEvent(e);
}

void CDrvcfgDlg::paintEvent(QPaintEvent* e)
{
    CSkinDialog::paintEvent(e);
    QPainter p(this);
    p.setFont(font());
    auto label = [&](const QRect& rc, const std::u16string& text) {
        p.setPen(TextColorOver(rc));
        const QRect r = S(rc);
        p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                   p.fontMetrics().elidedText(ToQString(text), Qt::ElideRight, r.width()));
    };
    if (m_pLang) label(QRect(kLangList.left(), kLangList.top() - 21, kLabelWidth, 19), gText.tc_msg(27));
    if (m_pSkin) label(QRect(kSkinList.left(), kSkinList.top() - 21, kLabelWidth, 19), gText.tc_msg(28));
    label(QRect(kPath.left(), kPath.top() - 21, kLabelWidth, 19), gText.tc_msg(29));
    if (m_pSwitch)
        label(QRect(kSwitch.right() + 1 + kTextGap, kSwitch.top() - 2, 360, kSwitch.height() + 4), gText.tc_msg(30));
}

bool RunOptionsDialog(QWidget* owner, IPrompt& prompt, ProfileRecord* pCurrent, ISoundPlayer& player,
                      const std::function<void()>& onLanguageChanged)
{
    CDrvcfgDlg dlg(owner, prompt, pCurrent, player);
    if (onLanguageChanged) QObject::connect(&dlg, &CDrvcfgDlg::languageChanged, &dlg, onLanguageChanged);
    if (dlg.exec() != CSkinDialog::kIdOk) return false;
    if (pCurrent) {
        const fs::path sound(ProfileSoundPath(*pCurrent));
        if (g_bPlaySound && !sound.empty() && IsFile(sound)) {
            player.Stop();
            player.PlayLooping(sound);
        } else if (!g_bPlaySound) {
            player.Stop();
        }
    }
    return true;
}
