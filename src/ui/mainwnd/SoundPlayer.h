// Plays a profile's sound: one file at a time, looping until stopped. The
// main window plays it when a profile becomes current and the options window
// when the sound switch is turned on.
#pragma once

#include <QObject>
#include <QString>
#include <filesystem>

class QProcess;

class ISoundPlayer {
public:
    virtual ~ISoundPlayer() = default;
    // Stops what plays and plays the file over and over; returns at once.
    virtual void PlayLooping(const std::filesystem::path& path) = 0;
    virtual void Stop() = 0;
};

// Plays through the sound server's own player (paplay, which reads WAV and
// every other format the server's library reads), restarting it each time it
// ends. A file it cannot play is logged and not tried again until the next
// PlayLooping, so a bad file never spins.
class CProcessSoundPlayer final : public QObject, public ISoundPlayer {
    Q_OBJECT
public:
    explicit CProcessSoundPlayer(QString strPlayer = QStringLiteral("paplay"), QObject* pParent = nullptr);
    ~CProcessSoundPlayer() override;
    void PlayLooping(const std::filesystem::path& path) override;
    void Stop() override;
    bool IsPlaying() const;

private:
    void StartOnce();

    QString m_strPlayer;
    QString m_strFile;       // empty: nothing is wanted
    QProcess* m_pProcess = nullptr;
};
