// One replaceable hook of the model (charset conversion, file access, ...):
// the platform layer installs it at start-up, any thread reads a copy of it.
#pragma once

#include <mutex>
#include <utility>

template <class T>
class CHookSlot {
public:
    void Set(T value)
    {
        std::lock_guard lock(m_mtx);
        m_value = std::move(value);
    }
    T Get() const
    {
        std::lock_guard lock(m_mtx);
        return m_value;
    }

private:
    mutable std::mutex m_mtx;
    T m_value{};
};
