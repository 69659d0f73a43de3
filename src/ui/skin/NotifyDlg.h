// The notice: a borderless window above all others that shows up to four lines
// (a mode, a DPI level, a battery state ...) for a moment and fades out by
// itself. It never takes the focus or the keys. Made once by the main window
// and reused: every ShowNotify starts the hold and the fade again.
#pragma once

#include <QImage>
#include <QPoint>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <algorithm>

#include "core/Types.h"

class CNotifyDlg : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHoldMs = 400;
    static constexpr int kFadeStepMs = 20;
    static constexpr int kStartOpacity = 200;   // of 255
    static constexpr int kFadeStep = 10;
    static constexpr int kLineMax = 259;        // characters kept of each line
    // The picture's colour that is cut out of the window's shape (R | G<<8 | B<<16).
    static constexpr ZColor kKeyColor = 0x222020;
    static constexpr ZColor kTextColor = 0xC09D00;

    // pMain: the window the notice is centred on when no position is set.
    explicit CNotifyDlg(QWidget* pMain = nullptr);

    // Loads "notify.png" of the chosen skin: the size and shape of the window.
    // False without it (the notice then shows nothing).
    bool Init();
    // Where the window goes (screen coordinates); (0, 0): centred on the main window.
    void SetPosition(const QPoint& pt) { m_ptPos = pt; }

    // Shows the lines at the start opacity, holds them kHoldMs and fades them out.
    void ShowNotify(const QString& strLine1, const QString& strLine2, const QString& strLine3 = QString(),
                    const QString& strLine4 = QString());

    const QString& Line(int i) const { return m_lines[std::clamp(i, 0, 3)]; }
    // The opacity the next fade step applies (0..255).
    int Opacity() const { return m_nOpacity; }
    bool IsHolding() const { return m_timerHold.isActive(); }
    bool IsFading() const { return m_timerFade.isActive(); }
    // The rows the lines are drawn in (three, or four when line 3 is set).
    QRect LineRect(int i) const;

    // The two timers' steps, run by the timers; tests call them to go step by step.
    void OnHoldEnd();
    void OnFadeStep();

protected:
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

private:
    void PlaceWindow();
    QFont LineFont(int i, const QString& strText, int nWidth) const;

    QImage m_img;
    QPoint m_ptPos;
    QString m_lines[4];
    int m_nOpacity = kStartOpacity;
    QTimer m_timerHold;
    QTimer m_timerFade;
};
