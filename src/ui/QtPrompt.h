// Messages and questions of the model shown as modal message boxes. The
// skinned message windows take this place once they exist.
#pragma once

#include "core/IPrompt.h"

class CQtPrompt final : public IPrompt {
public:
    void ShowMessage(std::u16string_view text, std::u16string_view caption) override;
    bool AskYesNo(std::u16string_view text, std::u16string_view caption) override;
};
