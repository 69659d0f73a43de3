#include "device/InterfaceSpec.h"

bool InterfaceChoice::Complete(std::span<const HidInterfaceSpec> specs) const
{
    for (const HidInterfaceSpec& s : specs)
        if (s.bRequired && !Of(s.role)) return false;
    return true;
}

InterfaceChoice ChooseInterfaces(std::span<const HidDevInfo> list, std::span<const HidInterfaceSpec> specs,
                                 const std::function<bool(const HidDevInfo&)>& accept, bool bFirstSpecOnly)
{
    InterfaceChoice c;
    for (const HidDevInfo& d : list) {
        if (!accept(d)) continue;
        for (const HidInterfaceSpec& s : specs) {
            if (!MatchesPick(d, s.pick)) continue;
            c.info[size_t(s.role)] = &d;
            if (bFirstSpecOnly) break;
        }
    }
    return c;
}

FindResult OpenInterfaces(IHidBackend& backend, const InterfaceChoice& choice,
                          std::span<const HidInterfaceSpec> specs, HandleSet& out)
{
    out = {};
    if (!choice.Complete(specs)) return FindResult::NotFound;
    for (const HidInterfaceSpec& s : specs) {
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
