#include "ui/mainwnd/SoundPlayer.h"

#include <QProcess>

#include "core/Log.h"

CProcessSoundPlayer::CProcessSoundPlayer(QString strPlayer, QObject* pParent)
    : QObject(pParent), m_strPlayer(std::move(strPlayer))
{
}

CProcessSoundPlayer::~CProcessSoundPlayer() { Stop(); }

bool CProcessSoundPlayer::IsPlaying() const { return m_pProcess && m_pProcess->state() != QProcess::NotRunning; }

void CProcessSoundPlayer::PlayLooping(const std::filesystem::path& path)
{
    Stop();
    m_strFile = QString::fromStdString(path.string());
    StartOnce();
}

void CProcessSoundPlayer::Stop()
{
    m_strFile.clear();
    if (!m_pProcess) return;
    QProcess* p = m_pProcess;
    m_pProcess = nullptr;
    p->disconnect(this);
    if (p->state() != QProcess::NotRunning) {
        p->kill();
        p->waitForFinished(1000);
    }
    p->deleteLater();
}

void CProcessSoundPlayer::StartOnce()
{
    if (m_strFile.isEmpty()) return;
    auto* p = new QProcess(this);
    m_pProcess = p;
    p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p->setStandardOutputFile(QProcess::nullDevice());
    connect(p, &QProcess::finished, this, [this, p](int nCode, QProcess::ExitStatus status) {
        if (p != m_pProcess) return;
        m_pProcess = nullptr;
        p->deleteLater();
        if (status != QProcess::NormalExit || nCode != 0) {
            LogPrintf("Sound %s not played: %s exit %d\n", m_strFile.toUtf8().constData(),
                      m_strPlayer.toUtf8().constData(), nCode);
            m_strFile.clear();
            return;
        }
        StartOnce();  // the next round of the loop
    });
    connect(p, &QProcess::errorOccurred, this, [this, p](QProcess::ProcessError err) {
        if (err != QProcess::FailedToStart || p != m_pProcess) return;
        LogPrintf("Sound player %s cannot start\n", m_strPlayer.toUtf8().constData());
        m_pProcess = nullptr;
        p->deleteLater();
        m_strFile.clear();
    });
    p->start(m_strPlayer, {m_strFile});
}
