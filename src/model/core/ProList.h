// CProList: the profiles in memory, in list order. Each entry owns its heap
// copy of a profile record (54 KB, too large to move around by value); an
// entry's address stays valid until it is removed. pFile points at the current
// one. Both belong to the user-interface thread.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/ProfileRecord.h"

class CProList {
public:
    using Storage = std::vector<std::unique_ptr<ProfileRecord>>;

    int Count() const { return int(m_items.size()); }
    bool Empty() const { return m_items.empty(); }
    ProfileRecord* At(int i) { return i >= 0 && i < Count() ? m_items[size_t(i)].get() : nullptr; }
    const ProfileRecord* At(int i) const { return i >= 0 && i < Count() ? m_items[size_t(i)].get() : nullptr; }
    // The first record with that identifier; null for none and for 0.
    ProfileRecord* Find(uint32_t id);
    const ProfileRecord* Find(uint32_t id) const;
    int IndexOf(const ProfileRecord* p) const;

    // Appends a copy; the new entry, or null when memory runs out.
    ProfileRecord* AddProfileCopy(const ProfileRecord& rec);
    // Appends a record made elsewhere (never null).
    ProfileRecord* Add(std::unique_ptr<ProfileRecord> p);
    bool Remove(const ProfileRecord* p);
    void Clear() { m_items.clear(); }

    Storage::const_iterator begin() const { return m_items.begin(); }
    Storage::const_iterator end() const { return m_items.end(); }

private:
    Storage m_items;
};

extern CProList g_ProList;
extern ProfileRecord* pFile;  // the current profile; null only while the list is empty
