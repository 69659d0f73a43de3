// The music page: music lighting on or off, the effect, colourful or single
// colour, the sensitivity and smoothing, and the peak meter moving with the
// sound being played. While music lighting is on and the page is shown, the
// capture feeds the meter and the effect thread sends a frame to the keyboard
// every 30 ms; switching off, hiding the page or closing it stops both and
// the keyboard shows its own lighting again. Without a sound server the page
// says so and nothing else changes. The choices are kept in audio.dct.
#pragma once

#include <QPointer>
#include <functional>
#include <memory>

#include "lighting/IAudioSource.h"
#include "lighting/MusicRunner.h"
#include "lighting/MusicSettings.h"
#include "ui/pages/Page.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSlider;
class CAudioClient;
class CHubMusicOutput;
class CPeakMeterCtrl;

using AudioSourceFactory = std::function<std::unique_ptr<IAudioSource>()>;

class CMusicDlg final : public CPage {
    Q_OBJECT
public:
    // Without a factory the sound server's monitor of the default output is captured.
    CMusicDlg(const PageContext& ctx, QWidget* pParent, AudioSourceFactory factory = {});
    // Stops capture and the effect thread (restoring the keyboard), writes audio.dct.
    ~CMusicDlg() override;

    void Reload() override;
    void Retext() override;
    void Reskin() override;

    // For tests and the window.
    const MusicSettings& Settings() const { return m_s; }
    bool MusicOn() const { return m_s.bMusicOff == 0; }
    void SetMusicOn(bool bOn);
    void ChooseMode(int nMode);
    void SetColourful(bool bColourful);
    void SetColour(uint32_t clr);
    void SetSensitivity(int nPos);
    void SetAverage(int nAverage);
    // The effects the list offers (MusicMask hides some).
    std::vector<int> OfferedModes() const;
    QString StatusText() const;
    CMusicRunner* Runner() const { return m_runner.get(); }
    CPeakMeterCtrl* Meter() const { return m_pMeter; }

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void BuildControls();
    void ShowSettings();
    void Changed();
    void StartMusic();
    void StopMusic();
    void OnStatus(AudioStatus status, const QString& strText);
    void ShowHint();

    MusicSettings m_s;
    AudioSourceFactory m_factory;
    std::unique_ptr<IAudioSource> m_source;
    std::unique_ptr<CAudioClient> m_client;
    std::unique_ptr<CHubMusicOutput> m_out;
    std::unique_ptr<CMusicRunner> m_runner;
    bool m_bRunning = false;

    QLabel* m_pTitle = nullptr;
    QLabel* m_pSwitchLabel = nullptr;
    QPushButton* m_pSwitch = nullptr;
    QLabel* m_pColourLabel = nullptr;
    QLabel* m_pModeLabel = nullptr;
    QComboBox* m_pMode = nullptr;
    QRadioButton* m_pRadio[2] = {};
    QButtonGroup* m_pRadios = nullptr;
    QPushButton* m_pColour = nullptr;
    QLabel* m_pSensLabel = nullptr;
    QSlider* m_pSens = nullptr;
    QLabel* m_pSensValue = nullptr;
    QLabel* m_pAvgLabel = nullptr;
    QSlider* m_pAvg = nullptr;
    QLabel* m_pAvgValue = nullptr;
    CPeakMeterCtrl* m_pMeter = nullptr;
    QLabel* m_pStatus = nullptr;
};
