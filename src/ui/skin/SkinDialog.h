// What the skinned modal windows share: no system frame, a background picture
// at the interface scale that gives the window its size, centred on the owner,
// moved by dragging the background, a close button in the top right corner and
// skinned OK / Cancel buttons. Positions are given as the unscaled pictures lay
// them out and scaled here.
#pragma once

#include <QDialog>
#include <QKeyEvent>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <functional>

#include "ui/skin/SkinTheme.h"

class CPngBtn;

class CSkinDialog : public QDialog {
    Q_OBJECT
public:
    // Results of exec(), with the numbers the callers compare against.
    static constexpr int kIdOk = 1;
    static constexpr int kIdCancel = 2;

    // Closes the window with kIdCancel (the close button, a window-manager close).
    void reject() override;
    // False when the background picture is missing: the window closes as soon as it runs.
    bool IsSkinned() const { return !m_imgBack.isNull(); }

protected:
    explicit CSkinDialog(QWidget* pOwner, const skin::SkinTheme& theme = skin::Theme());
    const skin::SkinTheme& Theme() const { return m_theme; }
    // The style of an edit field on this window's background.
    QString FieldStyle() const;
    // The theme's text colour, or a light or dark one where the background
    // under rc (scaled) is one the skins share and the theme's text would not
    // read on it (at least 4.5:1 wherever possible).
    QColor TextColorOver(const QRect& rc) const;

    // Takes the background picture: the window gets its size at the interface
    // scale and is centred on the owner. False for a null picture: the window
    // then closes as soon as it is run.
    bool SetBackground(const QImage& img);
    // The same with the picture already drawn for the interface scale (imgScaled).
    bool SetBackground(const QImage& img, const QImage& imgScaled);
    // The picture of that name in the chosen skin folder (or the common one),
    // drawn for the interface scale and the screen.
    bool SetBackgroundFile(const QString& strName, bool bCommon = false);
    bool HasBackground() const { return !m_imgBack.isNull(); }
    // The background's unscaled size.
    QSize BaseSize() const { return m_sizeBase; }

    // Pixels at the interface scale.
    int S(int v) const;
    QRect S(const QRect& rc) const;
    double Scale() const { return m_fScale; }

    // A skinned button from the chosen skin at pt (unscaled, the picture's size);
    // null when its pictures do not load. Without a pressed picture the hover one is used.
    CPngBtn* AddButton(const QString& strNr, const QString& strOv, const QPoint& pt, const QString& strText,
                       const QString& strDn = QString());
    // Moves a button to rc (scaled) with the piece of background under it.
    void PlaceButton(CPngBtn* pBtn, const QRect& rc);
    // The close button ("exit_nr.png") 36 pixels in from the right edge, 10 down;
    // it runs OnClose().
    CPngBtn* AddCloseButton();
    virtual void OnClose() { reject(); }
    // Enter on a button reached with Tab presses that button; false when no
    // button of the window has the focus.
    bool ClickFocusedButton();
    // The keys of a dialog: Enter presses the focused button or, with none,
    // runs onOk; Escape runs onCancel; F1 does nothing (there is no help
    // window). True when the key was one of them.
    bool HandleDialogKey(QKeyEvent* e, const std::function<void()>& onOk, const std::function<void()>& onCancel);

    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    skin::SkinTheme m_theme;
    QImage m_imgBack;       // at the interface scale
    QSize m_sizeBase;
    double m_fScale = 1.0;
    bool m_bDragging = false;
    QPoint m_ptGrab;        // pointer position inside the window when the drag began
};
