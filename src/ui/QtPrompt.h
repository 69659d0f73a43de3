// Messages and questions of the model shown as plain modal message boxes: the
// fallback of the skinned prompt when the skin's message window cannot be drawn.
#pragma once

#include "core/IPrompt.h"

class CQtPrompt final : public IPrompt {
public:
    void ShowMessage(std::u16string_view text, std::u16string_view caption) override;
    bool AskYesNo(std::u16string_view text, std::u16string_view caption) override;
};
