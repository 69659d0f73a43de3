// The progress window of an apply: a modal skinned window with a bar that
// follows the percentages a worker thread posts, closed by the worker when the
// job ends. Workers never touch the window: they post to its feed, which any
// thread may use and which may outlive the window (what arrives after the
// window has gone is dropped).
#pragma once

#include <QImage>
#include <QObject>
#include <QRect>
#include <QString>
#include <memory>

#include "device/IMsgTarget.h"
#include "ui/skin/SkinDialog.h"

// Where a worker posts progress. Safe from any thread.
class CProgressFeed final : public QObject, public IMsgTarget {
    Q_OBJECT
public:
    // kMsgApplyProgress with the percentage in wParam moves the bar; other
    // messages are not for this window and are dropped.
    void Post(uint32_t nMsg, uintptr_t wParam, intptr_t lParam) override;
    void PostPos(int nPos) { emit posted(nPos); }
    // The job is over: the window closes with kIdOk on success, kIdFailed otherwise.
    void PostEnd(bool bSuccess) { emit ended(bSuccess); }

signals:
    void posted(int nPos);
    void ended(bool bSuccess);
};

class CProgressDlg : public CSkinDialog {
    Q_OBJECT
public:
    // exec() results besides kIdOk (the job succeeded) and kIdCancel (the user
    // closed the window, or it could not show).
    static constexpr int kIdFailed = 3;

    explicit CProgressDlg(QWidget* pOwner);
    ~CProgressDlg() override;

    // The creator's settings, in unscaled pixels of the pictures: the
    // background and the fill picture (the same size), the part of it the bar
    // fills, the text and where it goes, the range (0..10 until set).
    void SetImages(const QImage& imgBack, const QImage& imgFill);
    void SetFillRect(const QRect& rc) { m_rcFill = rc; update(); }
    void SetText(const QString& strText, const QRect& rc);
    void SetRange(int nMin, int nMax);
    // Writes every position to the log and the debug output.
    void SetDebug(bool b) { m_bDebug = b; }
    // What an apply shows: the shared "progress_nr.png" / "progress_ov.png",
    // the bar in (45, 101)-(486, 123), the waiting text in (15, 12)-(455, 32),
    // range 0..100 at 0.
    void PrepareApply();

    int Pos() const { return m_nPos; }
    int Min() const { return m_nMin; }
    int Max() const { return m_nMax; }
    const QString& Text() const { return m_strText; }
    // The colour the text is drawn in: readable on the progress picture, which every skin shares.
    QColor TextColor() const { return TextColorOver(S(m_rcText)); }
    // Pixels of the bar shown at the current position.
    int FillWidth() const;
    CPngBtn* CloseButton() const { return m_pClose; }

    // The worker's side of the window. Hand it over before the job starts: a
    // job that ends before the window runs still ends it.
    std::shared_ptr<CProgressFeed> Feed() const { return m_pFeed; }

    // Runs the window; at once with the job's result when the job already ended,
    // and with kIdCancel after "ProgressDlg skin loss" when a picture is missing.
    int exec() override;

public slots:
    // A position outside the range puts the bar at its minimum.
    void OnSetPos(int nPos);
    void End(bool bSuccess);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    QImage m_imgFill;          // at the interface scale
    QRect m_rcFill, m_rcText;  // unscaled
    QString m_strText;
    int m_nMin = 0, m_nMax = 10, m_nPos = 0;
    bool m_bDebug = false;
    bool m_bEnded = false;
    int m_nEndResult = kIdCancel;
    CPngBtn* m_pClose = nullptr;
    std::shared_ptr<CProgressFeed> m_pFeed;
};
