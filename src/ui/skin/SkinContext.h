// What every skinned control shares with the program around it: where its
// warnings go and which font its captions use. The program sets both once at
// start-up; until then warnings only reach the log and captions use the default
// font.
#pragma once

#include <QFont>
#include <QString>

class IPrompt;

namespace skin {

// The prompt that shows a control's warnings (a misconfigured slider, a slider
// pressed without values). Null: the warning is only logged.
void SetPrompt(IPrompt* pPrompt);
IPrompt* Prompt();
// Logs the warning and shows it through pPrompt, or through Prompt() when pPrompt is null.
void Warn(const QString& strText, const QString& strCaption, IPrompt* pPrompt = nullptr);

// The interface font for captions, chosen by the main window for the screen
// (MakeInterfaceFont). Before it is set: the interface face at 15 pixels.
void SetInterfaceFont(const QFont& font);
QFont InterfaceFont();
// The interface face at a pixel height and weight, for a control's own font.
QFont ControlFont(int nPixelSize, QFont::Weight weight);

}  // namespace skin
