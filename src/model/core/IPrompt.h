// What the model shows to the user or asks of them. The desktop program shows
// skinned message windows; the command-line tool prints to stderr; tests record
// the texts and script the answers. Every call returns, so start-up continues
// after a configuration message.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class IPrompt {
public:
    virtual ~IPrompt() = default;
    // A modal message with only an OK button.
    virtual void ShowMessage(std::u16string_view text, std::u16string_view caption) = 0;
    // A yes/no question; true for yes.
    virtual bool AskYesNo(std::u16string_view text, std::u16string_view caption) = 0;
    // A message about one value of a settings file; where names it ("[KBKEY] K12").
    // Shown as the text alone, unless the prompt lists several messages together
    // and says where each came from.
    virtual void ShowSettingMessage(std::u16string_view text, std::u16string_view caption, std::string_view where)
    {
        ShowMessage(text, caption);
    }
    // Asks for a line of text (at most nMaxLen characters); nullopt when the
    // user cancelled, or where nobody can answer.
    virtual std::optional<std::u16string> AskText(std::u16string_view prompt, std::u16string_view caption,
                                                  int nMaxLen)
    {
        (void)prompt, (void)caption, (void)nMaxLen;
        return std::nullopt;
    }
};

// Records every message and answers questions from a script (default: no).
class CRecordingPrompt final : public IPrompt {
public:
    struct Entry { std::u16string text, caption; };
    void ShowMessage(std::u16string_view text, std::u16string_view caption) override
    {
        m_entries.push_back({std::u16string(text), std::u16string(caption)});
    }
    bool AskYesNo(std::u16string_view text, std::u16string_view caption) override
    {
        m_entries.push_back({std::u16string(text), std::u16string(caption)});
        if (m_answers.empty()) return false;
        const bool b = m_answers.front();
        m_answers.erase(m_answers.begin());
        return b;
    }
    std::optional<std::u16string> AskText(std::u16string_view prompt, std::u16string_view caption,
                                          int nMaxLen) override
    {
        m_entries.push_back({std::u16string(prompt), std::u16string(caption)});
        if (m_texts.empty()) return std::nullopt;
        std::optional<std::u16string> s = m_texts.front();
        m_texts.erase(m_texts.begin());
        if (s && int(s->size()) > nMaxLen) s->resize(size_t(nMaxLen));
        return s;
    }
    void QueueAnswer(bool b) { m_answers.push_back(b); }
    // The next AskText answer; nullopt stands for Cancel.
    void QueueText(std::optional<std::u16string> s) { m_texts.push_back(std::move(s)); }
    const std::vector<Entry>& Entries() const { return m_entries; }
    void Clear() { m_entries.clear(); }

private:
    std::vector<Entry> m_entries;
    std::vector<bool> m_answers;
    std::vector<std::optional<std::u16string>> m_texts;
};
