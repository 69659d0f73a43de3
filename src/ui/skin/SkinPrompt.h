// What the model shows and asks, in the skinned message window. The caption
// becomes the window's title. A call from a worker thread waits while the user
// interface thread shows the window (so the user interface thread must not be
// waiting for that worker at the same time). When the skin has no message window
// background, the plain system message box shows the text instead, so that no
// message is lost.
#pragma once

#include <QPointer>
#include <QWidget>

#include "core/IPrompt.h"

class CSkinPrompt final : public IPrompt {
public:
    // pOwner: the window the messages are centred on; null: the active window.
    explicit CSkinPrompt(QWidget* pOwner = nullptr) : m_pOwner(pOwner) {}
    void SetOwner(QWidget* pOwner) { m_pOwner = pOwner; }

    void ShowMessage(std::u16string_view text, std::u16string_view caption) override;
    bool AskYesNo(std::u16string_view text, std::u16string_view caption) override;
    // On the user interface thread only.
    std::optional<std::u16string> AskText(std::u16string_view prompt, std::u16string_view caption,
                                          int nMaxLen) override;

private:
    bool Run(int nMode, std::u16string_view text, std::u16string_view caption);
    QWidget* Owner() const;

    QPointer<QWidget> m_pOwner;
};
