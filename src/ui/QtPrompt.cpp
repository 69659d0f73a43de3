#include "ui/QtPrompt.h"

#include <QMessageBox>

#include "ui/QtText.h"

void CQtPrompt::ShowMessage(std::u16string_view text, std::u16string_view caption)
{
    QMessageBox::warning(nullptr, ToQString(caption), ToQString(text), QMessageBox::Ok);
}

bool CQtPrompt::AskYesNo(std::u16string_view text, std::u16string_view caption)
{
    return QMessageBox::question(nullptr, ToQString(caption), ToQString(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}
