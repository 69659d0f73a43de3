#include "ui/skin/SkinContext.h"

#include <optional>

#include "core/IPrompt.h"
#include "core/Log.h"
#include "ui/QtText.h"
#include "ui/skin/SkinFont.h"

namespace skin {

namespace {
IPrompt* s_pPrompt = nullptr;
std::optional<QFont> s_font;
}  // namespace

void SetPrompt(IPrompt* pPrompt) { s_pPrompt = pPrompt; }
IPrompt* Prompt() { return s_pPrompt; }

void Warn(const QString& strText, const QString& strCaption, IPrompt* pPrompt)
{
    LogPrintf("%s: %s\n", strCaption.toUtf8().constData(), strText.toUtf8().constData());
    if (!pPrompt) pPrompt = s_pPrompt;
    if (pPrompt) pPrompt->ShowMessage(ToU16(strText), ToU16(strCaption));
}

void SetInterfaceFont(const QFont& font) { s_font = font; }

QFont ControlFont(int nPixelSize, QFont::Weight weight)
{
    QFont font(InterfaceFamily());
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(nPixelSize);
    font.setWeight(weight);
    return font;
}

QFont InterfaceFont() { return s_font ? *s_font : ControlFont(15, QFont::Normal); }

}  // namespace skin
