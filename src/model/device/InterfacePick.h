// Discovery as data: a family lists the interfaces it opens, by role and by
// what it asks of each (HidPick), and this chooses them among the enumerated
// interfaces of its device and opens them. Nothing is opened until every
// required interface has been chosen, so an incomplete device leaves nothing
// open; when several interfaces qualify for a role, the last one found wins.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "device/HidDevList.h"
#include "device/HidDrv.h"
#include "device/IHidBackend.h"

struct HidInterfaceRule {
    HidRole role;
    HidPick pick;
    bool bRequired = true;
};

struct InterfaceChoice {
    std::array<const HidDevInfo*, kHidRoleCount> info{};
    const HidDevInfo* Of(HidRole role) const { return info[size_t(role)]; }
    // Every required interface was found.
    bool Complete(std::span<const HidInterfaceRule> rules) const;
};

// The interfaces of list that belong to the device (accept) and meet the
// rules. With bFirstRuleOnly an interface serves only the first rule it meets
// (rules in the order they should be tried); otherwise every rule it meets.
InterfaceChoice ChooseInterfaces(std::span<const HidDevInfo> list, std::span<const HidInterfaceRule> rules,
                                 const std::function<bool(const HidDevInfo&)>& accept, bool bFirstRuleOnly = false);

enum class FindResult { Found, NotFound, Denied };

using HandleSet = std::array<std::unique_ptr<IHidHandle>, kHidRoleCount>;
// Opens the chosen interfaces in rule order and stops at the first required
// one that does not open. Found: every required one is open (optional ones
// when they opened). Denied: all were there but one would not open (no
// permission). NotFound: a required one is missing.
FindResult OpenInterfaces(IHidBackend& backend, const InterfaceChoice& choice,
                          std::span<const HidInterfaceRule> rules, HandleSet& out);
