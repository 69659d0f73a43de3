#include "keys/MacroList.h"

#include <new>

#include "core/TimeOfDay.h"

CMacroList g_MacroList;
CMacroList g_BulletList;

MacroRecord* CMacroList::Add(const MacroRecord& rec)
{
    if (IsFull()) return nullptr;
    auto p = std::unique_ptr<MacroRecord>(new (std::nothrow) MacroRecord(rec));
    if (!p) return nullptr;
    MacroRecord* pRaw = p.get();
    try {
        m_items.push_back(std::move(p));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return pRaw;
}

bool CMacroList::Remove(const MacroRecord* pRec)
{
    for (auto it = m_items.begin(); it != m_items.end(); ++it) {
        if (it->get() == pRec) {
            m_items.erase(it);
            return true;
        }
    }
    return false;
}

MacroRecord* CMacroList::FindById(uint32_t id)
{
    id &= kStampIdMask;
    if (id == 0) return nullptr;
    for (const auto& p : m_items)
        if ((p->MacroID & kStampIdMask) == id) return p.get();
    return nullptr;
}

const MacroRecord* CMacroList::FindById(uint32_t id) const { return const_cast<CMacroList*>(this)->FindById(id); }

bool CMacroList::Contains(const MacroRecord* pRec) const
{
    for (const auto& p : m_items)
        if (p.get() == pRec) return true;
    return false;
}

MacroRecord* GetMacroById(uint32_t id) { return g_MacroList.FindById(id); }
MacroRecord* GetBulletById(uint32_t id) { return g_BulletList.FindById(id); }
