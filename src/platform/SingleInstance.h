// One running copy per device configuration: a lock file plus a local socket,
// both named after the configuration's mutex name. A second copy finds the
// lock taken, asks the first to show its window (as a tray click would) and
// ends without showing anything.
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class QSocketNotifier;

class CSingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Result { First, Second, Unprotected };

    explicit CSingleInstance(QObject* parent = nullptr);
    ~CSingleInstance() override;

    // Takes the name for this process. Second: another copy holds it; the wake-up
    // has been sent with the title this copy would show, and bWoken says whether a
    // window with that title answered. Unprotected: neither lock nor socket could be made.
    Result Acquire(const QString& strMutexName, const QString& strTitle, bool& bWoken);
    // Lets the name go early (before a re-launch) so that the new process can take it.
    void Release();
    // The title the first copy compares with its window caption.
    void SetWindowTitle(const QString& strTitle) { m_strTitle = strTitle; }
    QString SocketName() const { return m_strSocket; }

signals:
    // A second copy asked for the window titled like ours: (1132, 0, 514) of the tray.
    void ShowRequested();

private:
    // One connected second copy: its socket, its notifier in the event loop and
    // what it has sent that is not a whole line yet.
    struct Client {
        int fd = -1;
        std::unique_ptr<QSocketNotifier> pNotifier;
        QByteArray pending;
    };

    void OnConnection();
    void OnClientReadable(int fd);
    void CloseClient(int fd);

    std::unique_ptr<QLockFile> m_pLock;
    int m_fdListen = -1;
    bool m_bBound = false;  // the socket file is ours to remove
    std::unique_ptr<QSocketNotifier> m_pListenNotifier;
    std::vector<std::unique_ptr<Client>> m_clients;
    QString m_strSocket;
    QString m_strTitle;
};
