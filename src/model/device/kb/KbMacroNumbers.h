// Macro buffer numbers of one apply: the first macro a key names gets buffer
// 1, the next new one buffer 2, and so on up to the family's buffer count.
// The numbers live only as long as the job, so nothing is written into the
// program's macro records (which belong to the user-interface thread) and a
// number left from an earlier job can never point a key at a buffer that was
// not written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kb {

class CKbMacroNumbers {
public:
    explicit CKbMacroNumbers(int nCapacity) : m_nCapacity(nCapacity) {}

    // The buffer number (1..capacity) of macro id; bNew is set when this call
    // gave it. 0 when every buffer is taken.
    int NumberOf(uint32_t dwMacroID, bool& bNew);
    // Macro ids by buffer number - 1.
    const std::vector<uint32_t>& Order() const { return m_ids; }
    int Count() const { return int(m_ids.size()); }
    int Capacity() const { return m_nCapacity; }

private:
    int m_nCapacity;
    std::vector<uint32_t> m_ids;
};

}  // namespace kb
