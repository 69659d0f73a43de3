#include "ui/lighting/MusicDlg.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <algorithm>
#include <cstdio>

#include "core/Gvar.h"
#include "core/Log.h"
#include "device/DeviceHub.h"
#include "device/MusicOutput.h"
#include "lighting/AudioClient.h"
#include "platform/PulseAudioSource.h"
#include "text/TextCatalogue.h"
#include "ui/QtText.h"
#include "ui/lighting/PeakMeterCtrl.h"
#include "ui/skin/SkinTheme.h"

namespace {
// The effect names when text.xml gives none.
const char* const kModeNames[kMusicModeCount] = {"Spectrum bars", "Flower",  "Key rows", "Pulse", "Echo bars",
                                                 "Splashes",      "Four bars", "Dashes",   "Spread", "Wave"};
constexpr int kMeterX = 20, kMeterY = 286, kMeterW = 560, kMeterH = 120;

QString Text(const char* pszKey, const char* pszDefault)
{
    const std::u16string* p = FindText(pszKey);
    return p && !p->empty() ? ToQString(*p) : QString::fromUtf8(pszDefault);
}
}  // namespace

CMusicDlg::CMusicDlg(const PageContext& ctx, QWidget* pParent, AudioSourceFactory factory)
    : CPage(ctx, DevKind::Keyboard, pParent), m_factory(std::move(factory))
{
    m_s = LoadAudioDct(g_szUserDir, &Prompt());
    // A stored effect the list does not offer falls back to the first it does.
    const std::vector<int> offered = OfferedModes();
    if (!offered.empty() && std::ranges::find(offered, m_s.nMusicMode) == offered.end()) m_s.nMusicMode = offered[0];

    BuildControls();
    if (!m_factory) m_factory = [] { return std::make_unique<CPulseAudioSource>(); };
    m_source = m_factory();
    m_client = std::make_unique<CAudioClient>(*m_source);
    m_client->SetMeter(m_pMeter);
    QPointer<CMusicDlg> self(this);
    m_client->SetStatusCallback([self](AudioStatus status, const std::string& strText) {
        const QString text = QString::fromStdString(strText);
        QMetaObject::invokeMethod(
            self.data(), [self, status, text] { if (self) self->OnStatus(status, text); }, Qt::QueuedConnection);
    });

    const size_t nKb = Family();
    if (ctx.pHub && nKb < ctx.pHub->Count()) {
        m_out = std::make_unique<CHubMusicOutput>(*ctx.pHub, nKb);
        if (const ProfileRecord* p = Profile()) m_out->SetLighting(p->Kb);
        MusicRunnerCfg rc;
        rc.layout = MakeMusicLayout(std::span(g_defKEY, kKbDefKeyNum));
        rc.rgbIndex = {gVar.Kb.RGBIndex[0], gVar.Kb.RGBIndex[1], gVar.Kb.RGBIndex[2]};
        rc.etDir = g_szAppDir / "ET";
        rc.bGoWithNoDev = gVar.nGoWithNoDev != 0;
        rc.nSeed = uint32_t(std::chrono::steady_clock::now().time_since_epoch().count());
        m_runner = std::make_unique<CMusicRunner>(m_pMeter->Meter(), *m_out, rc);
        m_runner->SetMissingFileCallback([self](const std::string& strName) {
            const QString text = QStringLiteral("init_%1 failed").arg(QString::fromStdString(strName));
            QMetaObject::invokeMethod(
                self.data(), [self, text] { if (self) self->Prompt().ShowMessage(ToU16(text), u"Warning"); },
                Qt::QueuedConnection);
        });
    }
    ShowSettings();
    ShowHint();
}

CMusicDlg::~CMusicDlg()
{
    StopMusic();
    std::string strErr;
    SaveAudioDct(g_szUserDir, m_s, strErr);
}

std::vector<int> CMusicDlg::OfferedModes() const
{
    std::vector<int> out;
    // With names in text.xml the first empty one ends the list; without any the built-in names serve.
    const std::u16string* pFirst = FindText("tc_music_mode1");
    const bool bNamed = pFirst && !pFirst->empty();
    for (int i = 0; i < kMusicModeCount; ++i) {
        char szKey[32];
        std::snprintf(szKey, sizeof szKey, "tc_music_mode%d", i + 1);
        const std::u16string* p = FindText(szKey);
        if (bNamed && (!p || p->empty())) break;
        if (gVar.Kb.nMusicMask >> i & 1) continue;
        out.push_back(i);
    }
    return out;
}

void CMusicDlg::BuildControls()
{
    m_pTitle = new QLabel(this);
    m_pTitle->setGeometry(20, 10, 560, 28);
    m_pSwitchLabel = new QLabel(this);
    m_pSwitchLabel->setGeometry(20, 52, 150, 28);
    m_pSwitch = new QPushButton(this);
    m_pSwitch->setCheckable(true);
    m_pSwitch->setGeometry(180, 52, 90, 28);
    connect(m_pSwitch, &QPushButton::clicked, this, [this](bool b) { SetMusicOn(b); });

    m_pModeLabel = new QLabel(this);
    m_pModeLabel->setGeometry(20, 92, 150, 28);
    m_pMode = new QComboBox(this);
    m_pMode->setGeometry(180, 92, 220, 28);
    connect(m_pMode, &QComboBox::activated, this, [this](int i) { ChooseMode(m_pMode->itemData(i).toInt()); });

    m_pRadios = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        m_pRadio[i] = new QRadioButton(this);
        m_pRadio[i]->setGeometry(180 + i * 140, 132, 130, 26);
        m_pRadios->addButton(m_pRadio[i], i);
    }
    connect(m_pRadios, &QButtonGroup::idClicked, this, [this](int id) { SetColourful(id == 1); });
    m_pColourLabel = new QLabel(this);
    m_pColourLabel->setGeometry(20, 132, 150, 26);
    m_pColour = new QPushButton(this);
    m_pColour->setGeometry(460, 131, 50, 28);
    connect(m_pColour, &QPushButton::clicked, this, [this] {
        const QColor c = QColorDialog::getColor(ToQColor(m_s.clrMusic), this);
        if (c.isValid()) SetColour(ToZColor(c));
    });

    auto slider = [this](int y, QLabel*& pLabel, QSlider*& pSlider, QLabel*& pValue) {
        pLabel = new QLabel(this);
        pLabel->setGeometry(20, y, 150, 26);
        pSlider = new QSlider(Qt::Horizontal, this);
        pSlider->setGeometry(180, y, 300, 26);
        pValue = new QLabel(this);
        pValue->setGeometry(490, y, 60, 26);
    };
    slider(172, m_pSensLabel, m_pSens, m_pSensValue);
    m_pSens->setRange(0, kSensitivitySteps - 1);
    connect(m_pSens, &QSlider::valueChanged, this,
            [this](int v) { m_pSensValue->setText(QString::asprintf("%2.1f", double(SensitivityGain(v)))); });
    connect(m_pSens, &QSlider::sliderReleased, this, [this] { SetSensitivity(m_pSens->value()); });
    connect(m_pSens, &QSlider::actionTriggered, this, [this] {
        if (!m_pSens->isSliderDown()) QMetaObject::invokeMethod(this, [this] { SetSensitivity(m_pSens->value()); }, Qt::QueuedConnection);
    });
    slider(212, m_pAvgLabel, m_pAvg, m_pAvgValue);
    m_pAvg->setRange(0, int(kMusicAverages.size()) - 1);
    connect(m_pAvg, &QSlider::valueChanged, this,
            [this](int v) { m_pAvgValue->setText(QString::number(kMusicAverages[size_t(v)])); });
    connect(m_pAvg, &QSlider::sliderReleased, this, [this] { SetAverage(kMusicAverages[size_t(m_pAvg->value())]); });
    connect(m_pAvg, &QSlider::actionTriggered, this, [this] {
        if (!m_pAvg->isSliderDown())
            QMetaObject::invokeMethod(this, [this] { SetAverage(kMusicAverages[size_t(m_pAvg->value())]); }, Qt::QueuedConnection);
    });

    m_pMeter = new CPeakMeterCtrl(kBandCount, this, QRect(kMeterX, kMeterY, kMeterW, kMeterH));
    m_pMeter->SetBkColor(0x141414);
    m_pMeter->SetThresholds(40, 80);
    m_pStatus = new QLabel(this);
    m_pStatus->setGeometry(20, 248, 560, 34);
    m_pStatus->setWordWrap(true);
    // Everything stands inside the page's panel.
    for (QWidget* p : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) p->move(p->pos() + QPoint(30, 24));
    Retext();
    Reskin();
}

void CMusicDlg::Retext()
{
    m_pTitle->setText(Text("tc_music1", "Music lighting"));
    m_pSwitchLabel->setText(Text("tc_music2", "On/Off"));
    m_pModeLabel->setText(Text("tc_music7", "Effect"));
    m_pColourLabel->setText(Text("tc_music8", "Colour"));
    m_pRadio[0]->setText(Text("tc_music4", "Single colour"));
    m_pRadio[1]->setText(Text("tc_music3", "Colourful"));
    m_pSensLabel->setText(Text("tc_music5", "Sensitivity"));
    m_pAvgLabel->setText(Text("tc_music6", "Smoothing"));
    m_pMode->clear();
    for (int i : OfferedModes()) {
        char szKey[32];
        std::snprintf(szKey, sizeof szKey, "tc_music_mode%d", i + 1);
        m_pMode->addItem(Text(szKey, kModeNames[i]), i);
    }
    if (m_pSwitch) ShowSettings();
}

void CMusicDlg::Reskin()
{
    const skin::SkinTheme& t = skin::Theme();
    const QString text = t.clrText.name();
    setStyleSheet(QStringLiteral("QLabel, QRadioButton { color: %1; }"
                                 "QComboBox, QPushButton { color: %2; background: %3; border: 1px solid %4; padding: 2px 6px; }"
                                 "QPushButton:checked { background: %5; color: white; }")
                      .arg(text, t.clrFieldText.name(), t.clrFieldBack.name(), t.clrFieldBorder.name(),
                           t.clrSelection.name()));
    m_pTitle->setStyleSheet(QStringLiteral("color: %1; font-weight: bold; font-size: 15px;").arg(text));
    ShowHint();
    ShowSettings();
}

void CMusicDlg::ShowSettings()
{
    if (!m_pSwitch) return;
    const QSignalBlocker b1(m_pSwitch), b2(m_pMode), b3(m_pSens), b4(m_pAvg);
    m_pSwitch->setChecked(MusicOn());
    m_pSwitch->setText(MusicOn() ? QStringLiteral("On") : QStringLiteral("Off"));
    m_pMode->setCurrentIndex(m_pMode->findData(m_s.nMusicMode));
    m_pRadio[m_s.bMusicColorful ? 1 : 0]->setChecked(true);
    m_pColour->setStyleSheet(QStringLiteral("background: %1; border: 1px solid %2;")
                                 .arg(ToQColor(m_s.clrMusic).name(), skin::Theme().clrFieldBorder.name()));
    m_pSens->setValue(m_s.nSensitivity);
    m_pSensValue->setText(QString::asprintf("%2.1f", double(SensitivityGain(m_s.nSensitivity))));
    const auto avg = std::ranges::find(kMusicAverages, m_s.nAverage);
    m_pAvg->setValue(int(avg - kMusicAverages.begin()));
    m_pAvgValue->setText(QString::number(m_s.nAverage));
    if (m_pMeter) {
        m_pMeter->SetGain(SensitivityGain(m_s.nSensitivity));
        m_pMeter->SetAverage(m_s.nAverage);
    }
    if (m_runner) m_runner->SetSettings(m_s);
}

void CMusicDlg::Changed() { ShowSettings(); }

void CMusicDlg::SetMusicOn(bool bOn)
{
    m_s.bMusicOff = bOn ? 0 : 1;
    Changed();
    if (bOn && isVisible())
        StartMusic();
    else if (!bOn)
        StopMusic();
}

void CMusicDlg::ChooseMode(int nMode)
{
    if (nMode < 0 || nMode >= kMusicModeCount) return;
    m_s.nMusicMode = nMode;
    Changed();
}

void CMusicDlg::SetColourful(bool bColourful)
{
    m_s.bMusicColorful = bColourful ? 1 : 0;
    Changed();
}

void CMusicDlg::SetColour(uint32_t clr)
{
    m_s.bMusicColorful = 0;
    m_s.clrMusic = clr & 0xFFFFFF;
    Changed();
}

void CMusicDlg::SetSensitivity(int nPos)
{
    m_s.nSensitivity = std::clamp(nPos, 0, kSensitivitySteps - 1);
    Changed();
}

void CMusicDlg::SetAverage(int nAverage)
{
    if (std::ranges::find(kMusicAverages, nAverage) == kMusicAverages.end()) return;
    m_s.nAverage = nAverage;
    Changed();
}

void CMusicDlg::Reload()
{
    if (const ProfileRecord* p = Profile(); p && m_out) m_out->SetLighting(p->Kb);
}

void CMusicDlg::ShowHint()
{
    m_pStatus->setStyleSheet(QStringLiteral("color: %1;").arg(skin::Theme().clrText.name()));
    m_pStatus->setText(m_runner ? Text("tc_music9", "Play some music: the keyboard lights follow the sound.")
                                : Text("tc_music10", "Music lighting needs a connected keyboard."));
}

void CMusicDlg::StartMusic()
{
    if (m_bRunning) return;
    m_bRunning = true;
    ShowHint();
    m_client->StartCapture();
    if (m_runner) {
        m_runner->SetSettings(m_s);
        m_runner->Start();
    }
}

void CMusicDlg::StopMusic()
{
    if (!m_bRunning) return;
    m_bRunning = false;
    if (m_runner) m_runner->Stop();  // joins; the thread restores the keyboard's lighting
    m_client->StopCapture();
    m_pMeter->SetActive(false);
    m_pMeter->update();
}

void CMusicDlg::showEvent(QShowEvent* e)
{
    CPage::showEvent(e);
    if (MusicOn()) StartMusic();
}

void CMusicDlg::hideEvent(QHideEvent* e)
{
    StopMusic();
    CPage::hideEvent(e);
}

QString CMusicDlg::StatusText() const { return m_pStatus->text(); }

void CMusicDlg::OnStatus(AudioStatus status, const QString& strText)
{
    switch (status) {
    case AudioStatus::Capturing: ShowHint(); return;
    case AudioStatus::NoServer:
        m_pStatus->setText(QStringLiteral("No sound server is running, so there is no sound to follow. "
                                          "Music lighting starts when one runs and the switch is turned on again."));
        break;
    case AudioStatus::NoDevice: m_pStatus->setText(QStringLiteral("The sound server has no output to follow.")); break;
    case AudioStatus::Lost: m_pStatus->setText(QStringLiteral("The sound server went away.")); break;
    case AudioStatus::Failed: m_pStatus->setText(QStringLiteral("Sound capture failed: %1").arg(strText)); break;
    case AudioStatus::Stopped: return;
    }
    m_pStatus->setStyleSheet(QStringLiteral("color: %1;").arg(skin::Theme().clrWarning.name()));
}

void CMusicDlg::paintEvent(QPaintEvent*)
{
    // The page has no profile list: one panel covers the whole page, so the
    // window's list frame and lower band do not show through.
    const skin::SkinTheme& t = skin::Theme();
    QPainter p(this);
    p.fillRect(rect(), t.clrWindow);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(t.clrFieldBorder);
    p.setBrush(t.clrListBack);
    p.drawRoundedRect(QRectF(rect()).adjusted(10.5, 10.5, -10.5, -10.5), 6, 6);
}
