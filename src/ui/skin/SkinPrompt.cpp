#include "ui/skin/SkinPrompt.h"

#include <QApplication>
#include <QThread>

#include "core/Log.h"
#include "ui/QtPrompt.h"
#include "ui/QtText.h"
#include "ui/skin/MsgDlg.h"

QWidget* CSkinPrompt::Owner() const
{
    if (m_pOwner) return m_pOwner;
    return QApplication::activeWindow();
}

bool CSkinPrompt::Run(int nMode, std::u16string_view text, std::u16string_view caption)
{
    QCoreApplication* pApp = QCoreApplication::instance();
    if (!pApp) return false;
    if (QThread::currentThread() != pApp->thread()) {
        // Windows live on the user interface thread; this thread waits for the answer.
        bool bAnswer = false;
        QMetaObject::invokeMethod(
            pApp, [&] { bAnswer = Run(nMode, text, caption); }, Qt::BlockingQueuedConnection);
        return bAnswer;
    }
    CMsgDlg dlg(Owner(), nMode, ToQString(text));
    dlg.SetTitle(ToQString(caption));
    dlg.Build();
    if (!dlg.IsSkinned()) {
        CQtPrompt plain;
        if (nMode == CMsgDlg::kModeQuestion) return plain.AskYesNo(text, caption);
        plain.ShowMessage(text, caption);
        return true;
    }
    return dlg.exec() == CMsgDlg::kIdOk;
}

void CSkinPrompt::ShowMessage(std::u16string_view text, std::u16string_view caption)
{
    Run(CMsgDlg::kModeMessage, text, caption);
}

bool CSkinPrompt::AskYesNo(std::u16string_view text, std::u16string_view caption)
{
    return Run(CMsgDlg::kModeQuestion, text, caption);
}

std::optional<std::u16string> CSkinPrompt::AskText(std::u16string_view prompt, std::u16string_view caption,
                                                   int nMaxLen)
{
    CMsgDlg dlg(Owner(), CMsgDlg::kModeText, ToQString(prompt));
    dlg.SetTitle(ToQString(caption));
    dlg.SetMaxLen(nMaxLen);
    if (dlg.exec() != CMsgDlg::kIdOk) return std::nullopt;
    return dlg.TextResult().toStdU16String();
}
