#include "platform/HidInputReader.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

void DrainWake(int fd)
{
    uint64_t n = 0;
    while (read(fd, &n, sizeof n) == ssize_t(sizeof n)) {}
}

}  // namespace

CHidInputReader::CHidInputReader(int fd) : m_fd(fd), m_wakeFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    if (m_wakeFd < 0) m_nLastError = errno;
}

CHidInputReader::~CHidInputReader()
{
    if (m_fd >= 0) close(m_fd);
    if (m_wakeFd >= 0) close(m_wakeFd);
}

void CHidInputReader::AcceptOnly(std::vector<uint8_t> ids)
{
    m_bFilter = true;
    m_acceptIds = std::move(ids);
}

bool CHidInputReader::Accepts(uint8_t byId) const
{
    return !m_bFilter || std::find(m_acceptIds.begin(), m_acceptIds.end(), byId) != m_acceptIds.end();
}

void CHidInputReader::Cancel()
{
    if (m_wakeFd < 0) return;
    const uint64_t nOne = 1;
    // Only fails when the counter is saturated, and then a wake-up is pending anyway.
    [[maybe_unused]] const ssize_t n = write(m_wakeFd, &nOne, sizeof nOne);
}

int CHidInputReader::Read(std::span<uint8_t> buf, std::chrono::milliseconds timeout)
{
    if (!IsValid()) return -1;
    if (buf.empty()) return 0;
    const bool bForever = timeout.count() < 0;
    const Clock::time_point deadline = bForever ? Clock::time_point::max() : Clock::now() + timeout;
    for (;;) {
        int nWaitMs = -1;
        if (!bForever) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            nWaitMs = int(std::clamp<long long>(left.count(), 0, INT_MAX));
        }
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
        const int nReady = poll(fds, 2, nWaitMs);
        if (nReady < 0) {
            if (errno == EINTR) continue;
            m_nLastError = errno;
            return -1;
        }
        if (fds[1].revents & POLLIN) {
            DrainWake(m_wakeFd);
            return 0;
        }
        if (nReady == 0) return 0;  // time is up
        if (fds[0].revents & POLLIN) {
            // One read gives one whole report (cut to the buffer when longer).
            const ssize_t nRead = read(m_fd, buf.data(), buf.size());
            if (nRead < 0) {
                if (errno == EINTR || errno == EAGAIN) continue;
                m_nLastError = errno;
                return -1;
            }
            if (nRead == 0) {  // end of file: the other side is gone
                m_nLastError = ENODEV;
                return -1;
            }
            if (Accepts(buf[0])) return int(nRead);
            if (!bForever && Clock::now() >= deadline) return 0;  // a report of another collection
            continue;
        }
        if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            // The node reports an unplugged device this way; reports queued
            // before it were read above.
            m_nLastError = ENODEV;
            return -1;
        }
    }
}
