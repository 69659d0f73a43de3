// One running copy per device configuration: a lock file plus a local socket,
// both named after the configuration's mutex name. A second copy finds the
// lock taken, asks the first to show its window (as a tray click would) and
// ends without showing anything.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

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
    void OnConnection();

    std::unique_ptr<QLockFile> m_pLock;
    QLocalServer m_server;
    QString m_strSocket;
    QString m_strTitle;
};
