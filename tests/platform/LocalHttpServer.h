// A small HTTP/1.0 server on 127.0.0.1 for download tests, on its own thread.
// Each route is scripted: status, headers, body, and misbehaviour (a body cut
// short of its Content-Length, no length at all, a stall before the body).
// Unknown paths answer 404. Requests are counted per path.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace test {

struct HttpRoute {
    int nStatus = 200;
    std::string body;
    std::vector<std::string> headers;  // extra lines, such as "Location: /x"
    bool bNoLength = false;            // no Content-Length: the body ends when the connection closes
    size_t nCutAfter = std::string::npos;  // close after this many body bytes (Content-Length stays the full size)
    std::chrono::milliseconds stall{0};    // wait this long after the headers before the body
    size_t nChunk = 0;                     // send the body in pieces of this size (0: at once)
    std::chrono::milliseconds chunkGap{0}; // and wait this long between them

    HttpRoute NoLength() const { HttpRoute r = *this; r.bNoLength = true; return r; }
    HttpRoute CutAfter(size_t n) const { HttpRoute r = *this; r.nCutAfter = n; return r; }
    HttpRoute Stall(std::chrono::milliseconds d) const { HttpRoute r = *this; r.stall = d; return r; }
    HttpRoute Trickle(size_t nBytes, std::chrono::milliseconds gap) const
    {
        HttpRoute r = *this;
        r.nChunk = nBytes;
        r.chunkGap = gap;
        return r;
    }
};

inline HttpRoute Reply(int nStatus, std::string body = {}, std::vector<std::string> headers = {})
{
    HttpRoute r;
    r.nStatus = nStatus;
    r.body = std::move(body);
    r.headers = std::move(headers);
    return r;
}

class CLocalHttpServer {
public:
    CLocalHttpServer()
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (m_fd < 0) throw std::runtime_error("socket");
        const int nOne = 1;
        ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &nOne, sizeof nOne);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;  // any free port
        socklen_t nLen = sizeof addr;
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(m_fd, 8) != 0 ||
            ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&addr), &nLen) != 0) {
            ::close(m_fd);
            throw std::runtime_error("bind");
        }
        m_nPort = ntohs(addr.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~CLocalHttpServer()
    {
        m_bStop = true;
        m_thread.join();
        ::close(m_fd);
    }
    CLocalHttpServer(const CLocalHttpServer&) = delete;
    CLocalHttpServer& operator=(const CLocalHttpServer&) = delete;

    void Route(const std::string& path, HttpRoute route)
    {
        std::lock_guard lock(m_mtx);
        m_routes[path] = std::move(route);
    }
    std::string Url(std::string_view path) const { return "http://127.0.0.1:" + std::to_string(m_nPort) + std::string(path); }
    int Requests(const std::string& path) const
    {
        std::lock_guard lock(m_mtx);
        const auto it = m_counts.find(path);
        return it == m_counts.end() ? 0 : it->second;
    }

private:
    // Waits for fd to become ready, a slice at a time so that the destructor is never kept waiting.
    bool WaitReady(int fd, short nEvents, std::chrono::milliseconds limit)
    {
        const auto tEnd = std::chrono::steady_clock::now() + limit;
        while (!m_bStop && std::chrono::steady_clock::now() < tEnd) {
            pollfd p{fd, nEvents, 0};
            if (::poll(&p, 1, 20) > 0) return true;
        }
        return false;
    }
    // Waits d, or less when the client has gone away (false then).
    bool Pause(int fd, std::chrono::milliseconds d)
    {
        const auto tEnd = std::chrono::steady_clock::now() + d;
        while (!m_bStop && std::chrono::steady_clock::now() < tEnd) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 5) > 0) {
                char c;
                if (::recv(fd, &c, 1, MSG_PEEK | MSG_DONTWAIT) <= 0) return false;
            }
        }
        return !m_bStop;
    }
    bool SendAll(int fd, std::string_view data)
    {
        while (!data.empty()) {
            if (!WaitReady(fd, POLLOUT, std::chrono::seconds(5))) return false;
            const ssize_t n = ::send(fd, data.data(), data.size(), MSG_NOSIGNAL);
            if (n <= 0) return false;
            data.remove_prefix(size_t(n));
        }
        return true;
    }

    void Serve()
    {
        while (!m_bStop) {
            if (!WaitReady(m_fd, POLLIN, std::chrono::milliseconds(50))) continue;
            const int fd = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            Answer(fd);
            ::shutdown(fd, SHUT_RDWR);
            ::close(fd);
        }
    }

    void Answer(int fd)
    {
        std::string req;
        char buf[4096];
        while (req.find("\r\n\r\n") == std::string::npos && req.size() < 65536) {
            if (!WaitReady(fd, POLLIN, std::chrono::seconds(5))) return;
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) return;
            req.append(buf, size_t(n));
        }
        const size_t nSp1 = req.find(' '), nSp2 = req.find(' ', nSp1 + 1);
        if (nSp1 == std::string::npos || nSp2 == std::string::npos) return;
        const std::string path = req.substr(nSp1 + 1, nSp2 - nSp1 - 1);
        HttpRoute r;
        {
            std::lock_guard lock(m_mtx);
            ++m_counts[path];
            const auto it = m_routes.find(path);
            if (it != m_routes.end()) r = it->second;
            else r = Reply(404, "<html><body>Not Found</body></html>");
        }
        std::string head = "HTTP/1.0 " + std::to_string(r.nStatus) + (r.nStatus < 400 ? " OK" : " Error") + "\r\n";
        for (const std::string& h : r.headers) head += h + "\r\n";
        if (!r.bNoLength) head += "Content-Length: " + std::to_string(r.body.size()) + "\r\n";
        head += "Connection: close\r\n\r\n";
        if (!SendAll(fd, head) || !Pause(fd, r.stall)) return;
        std::string_view body = r.body;
        if (r.nCutAfter < body.size()) body = body.substr(0, r.nCutAfter);
        const size_t nChunk = r.nChunk ? r.nChunk : body.size() + 1;
        while (!body.empty()) {
            const std::string_view piece = body.substr(0, nChunk);
            if (!SendAll(fd, piece)) return;
            body.remove_prefix(piece.size());
            if (!body.empty() && !Pause(fd, r.chunkGap)) return;
        }
    }

    int m_fd = -1;
    uint16_t m_nPort = 0;
    std::atomic<bool> m_bStop{false};
    mutable std::mutex m_mtx;
    std::map<std::string, HttpRoute> m_routes;  // guarded by m_mtx
    std::map<std::string, int> m_counts;        // guarded by m_mtx
    std::thread m_thread;
};

}  // namespace test
