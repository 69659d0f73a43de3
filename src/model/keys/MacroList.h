// The lists of macros and bullet macros in memory. Each element is the list's
// own heap copy of a record, freed when the element is removed; order is the
// order of insertion, and a record's address stays valid until it is removed.
// The lists belong to the user-interface thread; an apply job takes copies.
#pragma once

#include <cstdint>
#include <list>
#include <memory>

#include "keys/MacroRecord.h"

enum class MacroKind { Macro, Bullet };

constexpr int kMacroListMax = 2000;

class CMacroList {
public:
    using Storage = std::list<std::unique_ptr<MacroRecord>>;

    int Count() const { return int(m_items.size()); }
    bool IsFull() const { return Count() >= kMacroListMax; }
    // Adds a copy; null when the list holds kMacroListMax records or memory runs out.
    MacroRecord* Add(const MacroRecord& rec);
    // False when the record is not in this list.
    bool Remove(const MacroRecord* pRec);
    void Clear() { m_items.clear(); }
    // The first record whose identifier has the same low 24 bits; null for none
    // (and for identifier 0, which names no macro).
    MacroRecord* FindById(uint32_t id);
    const MacroRecord* FindById(uint32_t id) const;
    bool Contains(const MacroRecord* pRec) const;

    Storage::const_iterator begin() const { return m_items.begin(); }
    Storage::const_iterator end() const { return m_items.end(); }

private:
    Storage m_items;
};

extern CMacroList g_MacroList;
extern CMacroList g_BulletList;

MacroRecord* GetMacroById(uint32_t id);
MacroRecord* GetBulletById(uint32_t id);

inline CMacroList& ListOf(MacroKind kind) { return kind == MacroKind::Bullet ? g_BulletList : g_MacroList; }
