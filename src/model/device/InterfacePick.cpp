#include "device/InterfacePick.h"

bool InterfaceChoice::Complete(std::span<const HidInterfaceRule> rules) const
{
    for (const HidInterfaceRule& s : rules)
        if (s.bRequired && !Of(s.role)) return false;
    return true;
}

InterfaceChoice ChooseInterfaces(std::span<const HidDevInfo> list, std::span<const HidInterfaceRule> rules,
                                 const std::function<bool(const HidDevInfo&)>& accept, bool bFirstRuleOnly)
{
    InterfaceChoice c;
    for (const HidDevInfo& d : list) {
        if (!accept(d)) continue;
        for (const HidInterfaceRule& s : rules) {
            if (!MatchesPick(d, s.pick)) continue;
            c.info[size_t(s.role)] = &d;
            if (bFirstRuleOnly) break;
        }
    }
    return c;
}

FindResult OpenInterfaces(IHidBackend& backend, const InterfaceChoice& choice,
                          std::span<const HidInterfaceRule> rules, HandleSet& out)
{
    out = {};
    if (!choice.Complete(rules)) return FindResult::NotFound;
    for (const HidInterfaceRule& s : rules) {
        const HidDevInfo* pInfo = choice.Of(s.role);
        if (!pInfo) continue;
        std::unique_ptr<IHidHandle> h = backend.Open(pInfo->szPath);
        if (!h && s.bRequired) {
            out = {};
            return FindResult::Denied;
        }
        out[size_t(s.role)] = std::move(h);
    }
    return FindResult::Found;
}
