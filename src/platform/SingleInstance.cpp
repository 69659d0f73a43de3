#include "platform/SingleInstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <unistd.h>

#include "core/Log.h"

namespace {

// The wake-up a second copy sends: the tray message with the left-button-up code,
// then the caption of the window it expects to find.
constexpr const char* kWakePrefix = "1132 0 514 ";
// A first copy busy starting up (or a loaded machine) may take a moment to answer.
constexpr int kConnectTimeoutMs = 3000;

QString RuntimeDir()
{
    QString s = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (s.isEmpty()) s = QDir::tempPath();
    return s;
}

}  // namespace

CSingleInstance::CSingleInstance(QObject* parent) : QObject(parent)
{
    connect(&m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnConnection);
}

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
    m_strSocket = strBase + QStringLiteral(".sock");
    m_pLock = std::make_unique<QLockFile>(strBase + QStringLiteral(".lock"));
    m_pLock->setStaleLockTime(0);  // only a dead owner's lock is stale
    if (!m_pLock->tryLock(0)) {
        if (m_pLock->error() == QLockFile::LockFailedError) {
            QLocalSocket sock;
            sock.connectToServer(m_strSocket);
            if (sock.waitForConnected(kConnectTimeoutMs)) {
                sock.write(QByteArray(kWakePrefix) + strTitle.toUtf8() + '\n');
                sock.waitForBytesWritten(kConnectTimeoutMs);
                // The first copy answers 1 when its window has our title and it showed it.
                if (sock.waitForReadyRead(kConnectTimeoutMs)) bWoken = sock.readAll().startsWith('1');
                sock.disconnectFromServer();
            }
            m_pLock.reset();
            return Result::Second;
        }
        LogPrintf("CreateMutex m_hMutex=0, Err=%d", int(m_pLock->error()));
        m_pLock.reset();
        return Result::Unprotected;
    }
    QLocalServer::removeServer(m_strSocket);  // a socket left behind by a crashed copy
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server.listen(m_strSocket))
        LogPrintf("CreateMutex Err=%d", int(m_server.serverError()));
    return Result::First;
}

void CSingleInstance::Release()
{
    m_server.close();
    if (m_pLock) m_pLock->unlock();
    m_pLock.reset();
}

void CSingleInstance::OnConnection()
{
    while (QLocalSocket* pSock = m_server.nextPendingConnection()) {
        connect(pSock, &QLocalSocket::disconnected, pSock, &QObject::deleteLater);
        connect(pSock, &QLocalSocket::readyRead, this, [this, pSock] {
            if (!pSock->canReadLine()) return;
            const QByteArray line = pSock->readLine(4096).trimmed();
            bool bShow = false;
            if (line.startsWith(QByteArray(kWakePrefix).trimmed())) {
                const QString strTitle = QString::fromUtf8(line.mid(int(qstrlen(kWakePrefix))));
                bShow = strTitle == m_strTitle;
            }
            pSock->write(bShow ? "1\n" : "0\n");
            pSock->flush();
            if (bShow) emit ShowRequested();
        });
    }
}
