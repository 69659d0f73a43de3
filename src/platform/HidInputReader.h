// Input reports from a hidraw node, read with a time limit and a way to wake a
// waiting read at once from another thread. hidapi's own timed read cannot be
// woken (it polls a descriptor it does not give out), so the handle reads
// through a descriptor of its own: poll() waits on the node and on an eventfd
// that CancelRead writes.
//
// A hidraw node delivers the reports of every top-level collection of its
// interface. When the reader stands for one collection of several, it is
// given that collection's input report ids and passes on only those reports,
// as a handle of that collection alone would.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <span>
#include <vector>

class CHidInputReader {
public:
    // Takes ownership of fd (a hidraw node, or any readable descriptor that
    // delivers one report per read); it is closed with the reader.
    explicit CHidInputReader(int fd);
    ~CHidInputReader();
    CHidInputReader(const CHidInputReader&) = delete;
    CHidInputReader& operator=(const CHidInputReader&) = delete;

    // From now on only reports whose first byte (the report id) is one of
    // ids are passed on; an empty list passes none. Call before reading.
    void AcceptOnly(std::vector<uint8_t> ids);

    // False when the descriptor or the wake-up eventfd is missing; reads fail then.
    bool IsValid() const { return m_fd >= 0 && m_wakeFd >= 0; }

    // The bytes of one report, 0 when the time ran out or CancelRead woke it,
    // -1 when the device is gone or the descriptor fails. A negative timeout
    // waits until a report, a cancel or an error.
    int Read(std::span<uint8_t> buf, std::chrono::milliseconds timeout);

    // Makes the read now waiting return 0 at once; with no read waiting, the
    // next read returns 0 at once instead (a cancel that comes just before
    // the read starts is never lost). Safe from any thread.
    void Cancel();

    // errno of the last failed read (ENODEV when the device went away), 0 when none failed.
    int LastError() const { return m_nLastError; }

private:
    bool Accepts(uint8_t byId) const;

    int m_fd = -1;
    int m_wakeFd = -1;
    bool m_bFilter = false;
    std::vector<uint8_t> m_acceptIds;
    std::atomic<int> m_nLastError{0};
};
