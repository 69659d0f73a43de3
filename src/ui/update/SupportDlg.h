// The support page: the product, the installed program and keyboard firmware
// versions, the two update checks with their download progress, and the
// check-at-start and exit-button choices the main window reads.
//
// A check runs in CUpdateCheck: its worker posts kMsgUpdate to a message
// target that queues the message onto this thread, where the check asks its
// questions and shows its messages through the page's prompt. The window
// never waits for the network, and a running check can be cancelled from the
// button that started it.
#pragma once

#include <QImage>
#include <QString>
#include <memory>

#include "ui/pages/Page.h"
#include "update/UpdateCheck.h"

class CPngBtn;
class CPngHProgressBar;
class CQtMsgTarget;

// What a check uses to fetch, start files and wait; null members take the
// program's own (libcurl, the desktop's opener, the system clock). Tests give a
// launcher that only records and a clock without the start pause.
struct SupportServices {
    IDownloader* pDownloader = nullptr;
    ILauncher* pLauncher = nullptr;
    IClock* pClock = nullptr;
};

class CSupportDlg final : public CPage, public IUpdateView {
    Q_OBJECT
public:
    using Services = SupportServices;

    CSupportDlg(const PageContext& ctx, QWidget* pParent, Services services = {});
    ~CSupportDlg() override;

    // Starts a check (nType kUpdateProgram, kUpdateFirmware or kUpdateBoth).
    // bUserCheck: every outcome is shown; without it (the start-up check) only
    // the marks of newer versions appear. False when a check is running or no
    // update address is configured.
    bool StartCheck(int nType, bool bUserCheck);
    void CancelCheck();
    bool IsChecking() const;
    UpdateOutcome LastOutcome() const { return m_lastOutcome; }

    // A newer program or firmware was found: the main window marks the
    // support navigation button. Bit 0 program, bit 1 firmware.
    bool HasUpdateMark() const { return m_nMarks != 0; }
    int UpdateMarks() const { return m_nMarks; }

    // The check box and the radio buttons from g_supportChoices.
    void SyncChoices();

    // Controls, for the main window's tests and for ours.
    CPngBtn* DriverButton() const { return m_pBtnDrv; }
    CPngBtn* FirmwareButton() const { return m_pBtnFw; }
    CPngBtn* CheckAtStartBox() const { return m_pChkStart; }
    CPngBtn* QuitRadio() const { return m_pRadQuit; }
    CPngBtn* HideRadio() const { return m_pRadHide; }
    CPngHProgressBar* ProgressBar() const { return m_pProgress; }
    // The keyboard firmware version as shown ("V1.5", or "N/A").
    QString FirmwareText() const;

    void Reload() override;
    void Retext() override;
    void Reskin() override;

    // IUpdateView, on this thread.
    void ShowUpdateMark(int nWhich) override;
    void SetUpdateProgress(int nPercent) override;
    void UpdateFinished(UpdateOutcome outcome) override;
    void QuitForInstall() override;

signals:
    // The marks went from none to some (true) or back (false).
    void updateMarkChanged(bool bMarked);
    // A check ended (UpdateOutcome as int).
    void checkFinished(int nOutcome);
    // A downloaded installer or firmware file was started: the program ends so
    // that it can be replaced. The main window hides and runs its exit
    // command; with nobody connected the page hides its window and quits.
    void quitForInstall();

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    void BuildControls();
    void ApplyCaptions();
    void OnCheckClicked(int nType);
    void UpdateButtons();
    void SetMarks(int nMarks);
    void PlaceMarkIcons();
    int32_t KeyboardFwVersion() const;

    Services m_services;
    std::unique_ptr<IDownloader> m_pOwnDownloader;
    std::unique_ptr<ILauncher> m_pOwnLauncher;
    std::unique_ptr<IClock> m_pOwnClock;
    CQtMsgTarget* m_pTarget = nullptr;       // a child: outlives m_pCheck's worker
    std::unique_ptr<CUpdateCheck> m_pCheck;  // destroyed first: joins the worker

    QImage m_imgBack, m_imgLogo, m_imgTip;
    CPngBtn* m_pBtnIdle = nullptr;
    CPngBtn* m_pBtnDrv = nullptr;
    CPngBtn* m_pBtnFw = nullptr;
    CPngBtn* m_pChkStart = nullptr;
    CPngBtn* m_pRadQuit = nullptr;
    CPngBtn* m_pRadHide = nullptr;
    CPngHProgressBar* m_pProgress = nullptr;

    int m_nRunType = 0;  // the type of the running check; 0 when none runs
    bool m_bUserRun = false;
    int m_nMarks = 0;
    UpdateOutcome m_lastOutcome = UpdateOutcome::None;
};

// The page table's factory.
CPage* MakeSupportPage(const PageContext& ctx, QWidget* pParent);
