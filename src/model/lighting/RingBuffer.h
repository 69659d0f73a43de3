// A byte ring between the capture's packets and the fixed blocks the transform
// takes. Writing never refuses: when the writer gets more than the capacity
// ahead, the oldest unread bytes are dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class CRingBuffer {
public:
    static constexpr size_t kDefaultSize = 0x200000;  // 2 MiB

    // False when the memory cannot be had.
    bool Create(size_t nSize = kDefaultSize);
    bool IsCreated() const { return m_pData != nullptr; }
    void Clear() { m_nWritten = m_nRead = 0; }

    void Write(const uint8_t* pData, size_t nBytes);
    // Copies up to nBytes unread bytes; returns how many.
    size_t Read(uint8_t* pData, size_t nBytes);
    size_t Unread() const { return size_t(m_nWritten - m_nRead); }
    uint64_t TotalWritten() const { return m_nWritten; }
    uint64_t TotalRead() const { return m_nRead; }
    size_t Size() const { return m_nSize; }

private:
    std::unique_ptr<uint8_t[]> m_pData;
    size_t m_nSize = 0;
    uint64_t m_nWritten = 0, m_nRead = 0;  // offsets are these modulo the size
};
