#include "device/kb/KbMacroNumbers.h"

namespace kb {

int CKbMacroNumbers::NumberOf(uint32_t dwMacroID, bool& bNew)
{
    bNew = false;
    const uint32_t id = dwMacroID & 0xFFFFFF;  // macros are named by the low 24 bits
    for (std::size_t i = 0; i < m_ids.size(); ++i)
        if (m_ids[i] == id) return int(i) + 1;
    if (int(m_ids.size()) >= m_nCapacity) return 0;
    m_ids.push_back(id);
    bNew = true;
    return int(m_ids.size());
}

}  // namespace kb
