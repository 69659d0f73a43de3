// The device list: the HID interfaces present, as the backend enumerates them,
// narrowed to one vendor and its product identifiers, and the rules by which a
// family picks its interfaces from it (usage page and usage, report lengths,
// report id; when several qualify, the last one found wins).
//
// The list holds kHidDevListSize entries; an empty entry has an empty path.
// Interfaces beyond that are dropped, with a log line naming each.
#pragma once

#include <array>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "device/IHidBackend.h"

constexpr int kHidDevListSize = 30;
constexpr int kUsagePageVendor = 0xFF00;

class CHidDevList {
public:
    using Entries = std::array<HidDevInfo, kHidDevListSize>;

    // Clears the list and fills it with the interfaces of vendor nVID whose
    // product identifier is one of pids; nVID 0 with no non-zero product
    // accepts every interface. Returns the number of entries filled.
    int EnumHidDevices(IHidBackend& backend, int nVID, int nPID, int nPID2);
    int EnumHidDevices(IHidBackend& backend, int nVID, std::span<const int> pids);
    void Clear();
    // The first entry with an empty path; null when all are used.
    HidDevInfo* FindFreeDevEntry();

    int Count() const;
    const Entries& All() const { return m_entries; }
    const HidDevInfo& operator[](int i) const { return m_entries[size_t(i)]; }
    auto begin() const { return m_entries.begin(); }
    auto end() const { return m_entries.end(); }

private:
    Entries m_entries{};
};

// What a family asks of one of its interfaces; 0 (or -1 for the report id)
// leaves a field open.
struct HidPick {
    int nUsagePage = kUsagePageVendor;
    int nUsage = 1;
    int nFeatureLen = 0;
    int nInputLen = 0;
    int nOutputLen = 0;
    int nReportId = -1;
};

bool MatchesPick(const HidDevInfo& info, const HidPick& pick);
// The last used entry that matches (the rule of every family); null for none.
const HidDevInfo* PickLast(const CHidDevList& list, const HidPick& pick);
// Every used entry that matches, in list order.
std::vector<const HidDevInfo*> PickAll(const CHidDevList& list, const HidPick& pick);
