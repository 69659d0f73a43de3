#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "core/Log.h"

namespace {

// The wake-up a second copy sends: the tray message with the left-button-up code,
// then the caption of the window it expects to find.
constexpr const char* kWakePrefix = "1132 0 514 ";
// A first copy busy starting up (or a loaded machine) may take a moment to answer.
constexpr int kConnectTimeoutMs = 3000;
// The longest line a first copy reads; a peer sending more without a line end
// is dropped.
constexpr qsizetype kMaxLine = 4096;

QString RuntimeDir()
{
    QString s = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (s.isEmpty()) s = QDir::tempPath();
    return s;
}

// A socket path must fit sockaddr_un; a long runtime folder or mutex name gets
// a short name made from a hash of the full one instead.
QString SocketPath(const QString& strBase)
{
    const QString strPath = strBase + QStringLiteral(".sock");
    if (size_t(QFile::encodeName(strPath).size()) < sizeof(sockaddr_un::sun_path)) return strPath;
    const QByteArray hash = QCryptographicHash::hash(QFile::encodeName(strBase), QCryptographicHash::Sha1).toHex().left(16);
    return RuntimeDir() + QStringLiteral("/zv-") + QString::fromLatin1(hash) + QStringLiteral(".sock");
}

// The address of path, or false when even the short name does not fit.
bool MakeAddress(const QString& strPath, sockaddr_un& addr)
{
    const QByteArray path = QFile::encodeName(strPath);
    std::memset(&addr, 0, sizeof addr);
    addr.sun_family = AF_UNIX;
    if (size_t(path.size()) >= sizeof addr.sun_path) return false;
    std::memcpy(addr.sun_path, path.constData(), size_t(path.size()));
    return true;
}

// Waits until fd is ready for events or the deadline passes.
bool WaitFor(int fd, short events, std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd p{fd, events, 0};
        const int n = ::poll(&p, 1, int(left.count()));
        if (n > 0) return true;
        if (n < 0 && errno != EINTR) return false;
    }
}

// The second copy's side: sends the wake-up line and reads the one-line answer.
// True when the first copy answered that it showed its window.
bool SendWakeUp(const QString& strSocket, const QString& strTitle)
{
    sockaddr_un addr;
    if (!MakeAddress(strSocket, addr)) return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kConnectTimeoutMs);
    bool bWoken = false;
    bool bConnected = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    // A full backlog (a first copy that has not reached its event loop yet)
    // makes a non-blocking connect fail with EAGAIN: try again until the deadline.
    while (!bConnected && (errno == EAGAIN || errno == EINTR) && std::chrono::steady_clock::now() < deadline) {
        ::usleep(10000);
        bConnected = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    }
    if (bConnected) {
        const QByteArray line = QByteArray(kWakePrefix) + strTitle.toUtf8() + '\n';
        qsizetype nSent = 0;
        while (nSent < line.size()) {
            const ssize_t n = ::send(fd, line.constData() + nSent, size_t(line.size() - nSent), MSG_NOSIGNAL);
            if (n > 0) nSent += n;
            else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                if (!WaitFor(fd, POLLOUT, deadline)) break;
            } else break;
        }
        // The first copy answers 1 when its window has our title and it showed it.
        if (nSent == line.size() && WaitFor(fd, POLLIN, deadline)) {
            char c = 0;
            bWoken = ::recv(fd, &c, 1, 0) == 1 && c == '1';
        }
    }
    ::close(fd);
    return bWoken;
}

}  // namespace

CSingleInstance::CSingleInstance(QObject* parent) : QObject(parent) {}

CSingleInstance::~CSingleInstance() { Release(); }

CSingleInstance::Result CSingleInstance::Acquire(const QString& strMutexName, const QString& strTitle, bool& bWoken)
{
    bWoken = false;
    m_strTitle = strTitle;
    // Per user, so that two users on one machine each run their own copy.
    // Both the lock and the socket live in the user's private runtime folder: a
    // bare socket name would be shared by every session of the machine in the
    // temporary folder, where another session's first copy could replace it.
    const QString strBase = RuntimeDir() + QStringLiteral("/") + strMutexName + QStringLiteral(".") + QString::number(getuid());
    m_strSocket = SocketPath(strBase);
    m_pLock = std::make_unique<QLockFile>(strBase + QStringLiteral(".lock"));
    m_pLock->setStaleLockTime(0);  // only a dead owner's lock is stale
    if (!m_pLock->tryLock(0)) {
        if (m_pLock->error() == QLockFile::LockFailedError) {
            bWoken = SendWakeUp(m_strSocket, strTitle);
            m_pLock.reset();
            return Result::Second;
        }
        LogPrintf("CreateMutex m_hMutex=0, Err=%d", int(m_pLock->error()));
        m_pLock.reset();
        return Result::Unprotected;
    }
    // The lock decides who is first; a socket file still there was left by a
    // copy that crashed, and is replaced.
    sockaddr_un addr;
    int nErr = 0;
    if (!MakeAddress(m_strSocket, addr)) {
        nErr = ENAMETOOLONG;
    } else {
        ::unlink(addr.sun_path);
        m_fdListen = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        if (m_fdListen < 0) {
            nErr = errno;
        } else if (::bind(m_fdListen, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
            nErr = errno;
        } else {
            m_bBound = true;
            ::chmod(addr.sun_path, S_IRUSR | S_IWUSR);  // this user only
            if (::listen(m_fdListen, SOMAXCONN) != 0) nErr = errno;
        }
    }
    if (nErr != 0) {
        LogPrintf("CreateMutex Err=%d", nErr);
        if (m_fdListen >= 0) ::close(m_fdListen);
        m_fdListen = -1;
        if (m_bBound) ::unlink(addr.sun_path);
        m_bBound = false;
        return Result::First;
    }
    m_pListenNotifier = std::make_unique<QSocketNotifier>(m_fdListen, QSocketNotifier::Read);
    connect(m_pListenNotifier.get(), &QSocketNotifier::activated, this, &CSingleInstance::OnConnection);
    return Result::First;
}

void CSingleInstance::Release()
{
    while (!m_clients.empty()) CloseClient(m_clients.back()->fd);
    m_pListenNotifier.reset();
    if (m_fdListen >= 0) ::close(m_fdListen);
    m_fdListen = -1;
    if (m_bBound) QFile::remove(m_strSocket);
    m_bBound = false;
    if (m_pLock) m_pLock->unlock();
    m_pLock.reset();
}

void CSingleInstance::OnConnection()
{
    for (;;) {
        const int fd = ::accept4(m_fdListen, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR) continue;
            return;  // nothing more pending (EAGAIN), or a peer that went away
        }
        auto pClient = std::make_unique<Client>();
        pClient->fd = fd;
        pClient->pNotifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(pClient->pNotifier.get(), &QSocketNotifier::activated, this, [this, fd] { OnClientReadable(fd); });
        m_clients.push_back(std::move(pClient));
    }
}

void CSingleInstance::OnClientReadable(int fd)
{
    const auto it = std::find_if(m_clients.begin(), m_clients.end(), [fd](const auto& p) { return p->fd == fd; });
    if (it == m_clients.end()) return;
    Client& client = **it;
    char buf[1024];
    bool bClosed = false;
    for (;;) {
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n > 0) {
            client.pending.append(buf, n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        bClosed = n == 0 || errno != EAGAIN;
        break;
    }
    bool bShow = false;
    qsizetype nEnd;
    while ((nEnd = client.pending.indexOf('\n')) >= 0) {
        const QByteArray line = client.pending.left(nEnd).trimmed();
        client.pending.remove(0, nEnd + 1);
        bool bThis = false;
        if (line.startsWith(QByteArray(kWakePrefix).trimmed())) {
            const QString strTitle = QString::fromUtf8(line.mid(qsizetype(qstrlen(kWakePrefix))));
            bThis = strTitle == m_strTitle;
        }
        const char* pszAnswer = bThis ? "1\n" : "0\n";
        // A peer that does not read its answer is not waited for.
        (void)::send(fd, pszAnswer, 2, MSG_NOSIGNAL | MSG_DONTWAIT);
        bShow = bShow || bThis;
    }
    if (client.pending.size() > kMaxLine) bClosed = true;
    if (bClosed) CloseClient(fd);
    if (bShow) emit ShowRequested();
}

void CSingleInstance::CloseClient(int fd)
{
    const auto it = std::find_if(m_clients.begin(), m_clients.end(), [fd](const auto& p) { return p->fd == fd; });
    if (it == m_clients.end()) return;
    (*it)->pNotifier.reset();
    ::close(fd);
    m_clients.erase(it);
}
