// The prompt of programs without windows (the command-line tool, screenshot
// runs): messages go to a stream as "caption: text", questions are answered no.
#pragma once

#include <ostream>

#include "core/IPrompt.h"
#include "core/Utf.h"

class CStreamPrompt final : public IPrompt {
public:
    explicit CStreamPrompt(std::ostream& out) : m_out(out) {}
    void ShowMessage(std::u16string_view text, std::u16string_view caption) override
    {
        m_out << U16ToUtf8(caption) << ": " << U16ToUtf8(text) << '\n';
    }
    bool AskYesNo(std::u16string_view text, std::u16string_view caption) override
    {
        ShowMessage(text, caption);
        m_out << "(answered no: no one to ask)\n";
        return false;
    }

private:
    std::ostream& m_out;
};
