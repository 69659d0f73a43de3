#include "core/ProList.h"

#include <new>

CProList g_ProList;
ProfileRecord* pFile = nullptr;

ProfileRecord* CProList::Find(uint32_t id)
{
    if (id == 0) return nullptr;
    for (const auto& p : m_items)
        if (p->nID == id) return p.get();
    return nullptr;
}

const ProfileRecord* CProList::Find(uint32_t id) const { return const_cast<CProList*>(this)->Find(id); }

int CProList::IndexOf(const ProfileRecord* p) const
{
    for (size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].get() == p) return int(i);
    return -1;
}

ProfileRecord* CProList::AddProfileCopy(const ProfileRecord& rec)
{
    try {
        auto p = std::make_unique<ProfileRecord>(rec);
        return Add(std::move(p));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

ProfileRecord* CProList::Add(std::unique_ptr<ProfileRecord> p)
{
    ProfileRecord* pRaw = p.get();
    m_items.push_back(std::move(p));
    return pRaw;
}

bool CProList::Remove(const ProfileRecord* p)
{
    for (auto it = m_items.begin(); it != m_items.end(); ++it) {
        if (it->get() == p) {
            m_items.erase(it);
            return true;
        }
    }
    return false;
}
