// Gathers the messages of a stretch of work (start-up reading a damaged
// settings file can raise dozens) and shows them as one message, so that a
// damaged file cannot bury the user under windows. Each message is still
// logged by whoever raised it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/IPrompt.h"

class CGatheringPrompt final : public IPrompt {
public:
    // At most this many messages are listed; the rest are counted (they are in the log).
    static constexpr size_t kMaxListed = 12;

    explicit CGatheringPrompt(IPrompt& target) : m_target(target) {}
    ~CGatheringPrompt() override { Flush(); }
    CGatheringPrompt(const CGatheringPrompt&) = delete;
    CGatheringPrompt& operator=(const CGatheringPrompt&) = delete;

    void ShowMessage(std::u16string_view text, std::u16string_view caption) override;
    void ShowSettingMessage(std::u16string_view text, std::u16string_view caption, std::string_view where) override;
    // A question cannot wait: what was gathered is shown first, then it is asked.
    bool AskYesNo(std::u16string_view text, std::u16string_view caption) override;

    // Shows what was gathered: a single message as it is, several as one list
    // (captioned "Error" when any of them is an error). Nothing when none.
    void Flush();
    size_t Pending() const { return m_items.size(); }

private:
    struct Item {
        std::u16string text, caption;
        std::string where;
    };
    IPrompt& m_target;
    std::vector<Item> m_items;
};
