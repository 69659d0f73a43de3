// The skinned button: a push button, check box or radio button drawn entirely
// from state images (normal, hover, pressed, disabled) over the piece of the
// page background that lies under it, with an optional icon and caption. The
// caption is the button's text(); a check box or radio button is a checkable
// button (setCheckable), so a click toggles it, toggled() reports it and radio
// buttons of one parent are exclusive, as with any Qt button.
#pragma once

#include <QAbstractButton>
#include <QImage>
#include <QPoint>
#include <QString>

#include "core/Types.h"
#include "ui/skin/SkinTheme.h"

// Which state image and which caption colour a button shows. Indices into the
// button's images (kImgNr..kImgOff) and its three caption colours (0 normal,
// 1 hover, 2 pressed).
struct ButtonLook {
    int nImage;
    int nTextColor;
    bool operator==(const ButtonLook&) const = default;
};

// The state rule of every skinned button. A check-mode button shows its pressed
// image only while it is checked (a press alone shows the hover image); a
// disabled button draws its disabled image with the normal caption colour.
ButtonLook SelectButtonLook(bool bCheckMode, bool bChecked, bool bEnabled, bool bHover, bool bDown);

class CPngBtn : public QAbstractButton {
    Q_OBJECT
public:
    enum { kImgNr, kImgOv, kImgDn, kImgOff, kImgCount };
    static constexpr ZColor kFrameDebugColor = 0xFF000A;

    // Caption colours, font, frame debugging and stretching come from the theme.
    explicit CPngBtn(QWidget* parent = nullptr, const skin::SkinTheme& theme = skin::Theme());

    // Copies of the state images (of rcSource of each, when given). An image of
    // width 0 leaves its state undrawn; the disabled image is the normal one.
    void SetImages(const QImage& imgNr, const QImage& imgOv, const QImage& imgDn, const QRect* pSource = nullptr);
    const QImage& Image(int nState) const { return m_img[nState]; }
    // Keeps the piece rc of the page background to draw under the images.
    void SetBackground(const QImage& imgPage, const QRect& rc);
    // An icon over the state image; y == -1 centres it vertically. Returns whether one is set.
    bool SetIcon(const QImage& imgIcon, int x, int y);
    // The caption's left margin (below 1: the caption is centred), unscaled.
    void SetTextMargin(int nMargin);
    // The margin at the control's scale.
    int Margin() const { return int(float(m_nMargin) * m_fScale); }
    void SetTextColors(ZColor clrNr, ZColor clrOv, ZColor clrDn);
    ZColor TextColor(int n) const { return m_clrText[n]; }
    bool IsHover() const { return m_bHover; }

    // Interface scale of this control: scales the icon position and the caption margin.
    virtual void SetScale(float fScale);
    float Scale() const { return m_fScale; }
    // Stretch images to the client size plus one pixel (hides seams on scaled screens).
    void SetStretch(bool bStretch);
    void SetFrameDebug(bool bFrameDebug);

    ButtonLook CurrentLook() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void changeEvent(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

    // Draws an image from its whole source: stretched to the client size plus one
    // pixel when stretching, else at its own size at the top-left corner.
    void DrawLayer(QPainter& p, const QImage& img) const;
    void DrawIcon(QPainter& p) const;
    // Vertically centred; on one line ending in an ellipsis when too long, or
    // wrapped at word boundaries with bWrap.
    void DrawCaption(QPainter& p, const QRect& rc, Qt::Alignment hAlign, ZColor clr, bool bWrap = false) const;
    // The debug frame and the keyboard-focus mark.
    void DrawFrames(QPainter& p) const;

    QImage m_img[kImgCount];
    QImage m_imgIcon;
    QPoint m_ptIcon;
    QImage m_imgBack;
    int m_nMargin = 0;       // unscaled
    ZColor m_clrText[3] = {};
    bool m_bHover = false;
    bool m_bKeyFocus = false;
    float m_fScale = 1.0f;
    bool m_bFrameDebug = false;
    bool m_bStretch = false;
};
