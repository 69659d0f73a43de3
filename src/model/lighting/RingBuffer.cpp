#include "lighting/RingBuffer.h"

#include <algorithm>
#include <cstring>
#include <new>

bool CRingBuffer::Create(size_t nSize)
{
    m_pData.reset(nSize ? new (std::nothrow) uint8_t[nSize] : nullptr);
    m_nSize = m_pData ? nSize : 0;
    Clear();
    return m_pData != nullptr;
}

void CRingBuffer::Write(const uint8_t* pData, size_t nBytes)
{
    if (!m_pData || nBytes == 0) return;
    if (nBytes > m_nSize) {  // only the newest bytes can be kept
        m_nWritten += nBytes - m_nSize;
        pData += nBytes - m_nSize;
        nBytes = m_nSize;
    }
    const size_t nOffset = size_t(m_nWritten % m_nSize);
    const size_t nFirst = std::min(nBytes, m_nSize - nOffset);
    std::memcpy(m_pData.get() + nOffset, pData, nFirst);
    std::memcpy(m_pData.get(), pData + nFirst, nBytes - nFirst);
    m_nWritten += nBytes;
    if (m_nWritten - m_nRead > m_nSize) m_nRead = m_nWritten - m_nSize;
}

size_t CRingBuffer::Read(uint8_t* pData, size_t nBytes)
{
    if (!m_pData) return 0;
    nBytes = std::min(nBytes, Unread());
    const size_t nOffset = size_t(m_nRead % m_nSize);
    const size_t nFirst = std::min(nBytes, m_nSize - nOffset);
    std::memcpy(pData, m_pData.get() + nOffset, nFirst);
    std::memcpy(pData + nFirst, m_pData.get(), nBytes - nFirst);
    m_nRead += nBytes;
    return nBytes;
}
