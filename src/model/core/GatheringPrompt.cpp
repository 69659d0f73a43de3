#include "core/GatheringPrompt.h"

#include <algorithm>

#include "core/Utf.h"

void CGatheringPrompt::ShowMessage(std::u16string_view text, std::u16string_view caption)
{
    m_items.push_back({std::u16string(text), std::u16string(caption), {}});
}

void CGatheringPrompt::ShowSettingMessage(std::u16string_view text, std::u16string_view caption, std::string_view where)
{
    m_items.push_back({std::u16string(text), std::u16string(caption), std::string(where)});
}

bool CGatheringPrompt::AskYesNo(std::u16string_view text, std::u16string_view caption)
{
    Flush();
    return m_target.AskYesNo(text, caption);
}

void CGatheringPrompt::Flush()
{
    if (m_items.empty()) return;
    std::vector<Item> items;
    items.swap(m_items);
    if (items.size() == 1) {
        m_target.ShowMessage(items[0].text, items[0].caption);
        return;
    }
    const bool bError = std::any_of(items.begin(), items.end(), [](const Item& i) { return i.caption == u"Error"; });
    std::u16string text = Utf8ToU16("The settings have " + std::to_string(items.size()) +
                                    " problems; each is also written to Log.txt:");
    const size_t nListed = std::min(items.size(), kMaxListed);
    for (size_t i = 0; i < nListed; ++i) {
        std::u16string line = items[i].text;
        // Messages may end in blanks or line breaks of their own; the list keeps one line each.
        while (!line.empty() && (line.back() == u' ' || line.back() == u'\n' || line.back() == u'\r')) line.pop_back();
        while (!line.empty() && (line.front() == u' ' || line.front() == u'\n')) line.erase(0, 1);
        std::replace(line.begin(), line.end(), u'\n', u' ');
        text += u"\n- " + line;
        if (!items[i].where.empty()) text += u" (" + Utf8ToU16(items[i].where) + u")";
    }
    if (items.size() > nListed) text += Utf8ToU16("\n... and " + std::to_string(items.size() - nListed) + " more.");
    m_target.ShowMessage(text, bError ? std::u16string_view(u"Error") : std::u16string_view(items[0].caption));
}
