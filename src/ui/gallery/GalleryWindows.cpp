// The gallery's windows: the message window in each mode, the number window
// with one and two fields, the notice, and the progress window.
#include <QApplication>
#include <QLineEdit>

#include "keys/KeyCodes.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "ui/gallery/Gallery.h"
#include "ui/gallery/GalleryPage.h"
#include "ui/skin/MsgDlg.h"
#include "ui/skin/NotifyDlg.h"
#include "ui/skin/PngBtn.h"
#include "ui/skin/ProgressDlg.h"
#include "ui/skin/QueryDlg.h"

using namespace gallery;

namespace {

QString Text(const std::u16string& str) { return ToQString(str); }

QString Title() { return Text(gText.tc_title); }

// Shows the window, grabs it and closes it again; null when the skin does not
// allow the window.
QImage Grab(CSkinDialog& dlg)
{
    if (auto* pMsg = qobject_cast<CMsgDlg*>(&dlg)) pMsg->Build();
    if (!dlg.IsSkinned()) return {};
    const QImage img = ShotOfWindow(&dlg);
    dlg.hide();
    return img;
}

}  // namespace

void CGallery::MessageWindows(std::vector<Shot>& shots)
{
    {
        CMsgDlg dlg(nullptr, CMsgDlg::kModeMessage, Text(gText.tc_msg(1)));
        dlg.SetTitle(Title());
        shots.push_back({QStringLiteral("msg-message"), Grab(dlg)});
    }
    {
        // A text too long for one line wraps inside the window.
        CMsgDlg dlg(nullptr, CMsgDlg::kModeMessage, Text(gText.tc_msg(9)) + u' ' + Text(gText.tc_msg(6)));
        dlg.SetTitle(QStringLiteral("Warning"));
        shots.push_back({QStringLiteral("msg-long"), Grab(dlg)});
    }
    {
        CMsgDlg dlg(nullptr, CMsgDlg::kModeQuestion, Text(gText.tc_msg(8)));
        dlg.SetTitle(Title());
        shots.push_back({QStringLiteral("msg-question"), Grab(dlg)});
    }
    {
        // A name typed with a refused character: the text stops before it and the hint shows.
        CMsgDlg dlg(nullptr, CMsgDlg::kModeText, Text(gText.tc_msg(3)));
        dlg.SetTitle(Text(gText.tc_proname));
        dlg.Build();
        if (dlg.Edit()) dlg.Edit()->setText(QStringLiteral("Profile 2.old"));
        shots.push_back({QStringLiteral("msg-text"), Grab(dlg)});
    }
    {
        CMsgDlg dlg(nullptr, CMsgDlg::kModeNumber, Text(gText.tc_dpi));
        dlg.SetInitialText(QStringLiteral("1600"));
        shots.push_back({QStringLiteral("msg-number"), Grab(dlg)});
    }
    {
        // Modifiers chosen with the boxes, the key typed.
        CMsgDlg dlg(nullptr, CMsgDlg::kModeKey, Text(gText.tc_msg(10)));
        dlg.SetModBoxes(true);
        dlg.SetCombo({0, uint8_t('A'), 0});
        dlg.Build();
        if (CPngBtn* pBox = dlg.ModBox(CMsgDlg::kBoxCtrl)) pBox->setChecked(true);
        shots.push_back({QStringLiteral("msg-key"), Grab(dlg)});
    }
    {
        CMsgDlg dlg(nullptr, CMsgDlg::kModeKey, Text(gText.tc_msg(2)));
        dlg.SetCombo({uint8_t(kModLCtrl | kModRShift), uint8_t('S'), 0});
        shots.push_back({QStringLiteral("msg-key-typed"), Grab(dlg)});
    }
}

void CGallery::QueryWindows(std::vector<Shot>& shots)
{
    {
        const int values[] = {800};
        CQueryDlg dlg(nullptr, {Text(gText.tc_dpi)}, 1, values);
        shots.push_back({QStringLiteral("query-one"), Grab(dlg)});
    }
    {
        const int values[] = {5, 30};
        CQueryDlg dlg(nullptr, {Text(gText.tc_bullet(1)), Text(gText.tc_bullet(2))}, 2, values);
        dlg.SetTitle(Text(gText.tc_bullet(4)));
        shots.push_back({QStringLiteral("query-two"), Grab(dlg)});
    }
}

void CGallery::NoticeWindows(std::vector<Shot>& shots)
{
    struct Notice {
        const char* pszName;
        const char* pszLines[4];
    };
    const Notice kNotices[] = {
        {"notify", {"DPI-2", "1600", "", "1000 Hz"}},
        {"notify-four", {"DPI-3", "X 3200", "Y 1600", "500 Hz"}},
    };
    for (const Notice& n : kNotices) {
        CNotifyDlg dlg;
        dlg.setAttribute(Qt::WA_DontShowOnScreen);
        dlg.ShowNotify(QString::fromLatin1(n.pszLines[0]), QString::fromLatin1(n.pszLines[1]),
                       QString::fromLatin1(n.pszLines[2]), QString::fromLatin1(n.pszLines[3]));
        QImage img = ShotOfWindow(&dlg).convertToFormat(QImage::Format_ARGB32);
        // Outside its shape the window shows what lies under it: transparent here.
        const QRegion shape = dlg.mask();
        const double fRatio = img.devicePixelRatio();
        if (!shape.isEmpty()) {
            for (int y = 0; y < img.height(); ++y) {
                auto* pLine = reinterpret_cast<QRgb*>(img.scanLine(y));
                for (int x = 0; x < img.width(); ++x)
                    if (!shape.contains(QPoint(int(x / fRatio), int(y / fRatio)))) pLine[x] = 0;
            }
        }
        dlg.hide();
        shots.push_back({QString::fromLatin1(n.pszName), img});
    }
}

void CGallery::ProgressWindows(std::vector<Shot>& shots)
{
    CProgressDlg dlg(nullptr);
    dlg.PrepareApply();
    for (int nPos : {0, 50, 100}) {
        dlg.OnSetPos(nPos);
        shots.push_back({QStringLiteral("progress-%1").arg(nPos), ShotOfWindow(&dlg)});
    }
    dlg.hide();
}
