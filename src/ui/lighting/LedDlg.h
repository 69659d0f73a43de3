// The lighting page of a device: the mode list, speed and brightness, the
// direction pair, the check box, the colour buttons with a choice of colours,
// for the keyboards, the mouse and the pad alike; what each mode shows comes
// from the device's description (lighting/LedPage). The page edits the
// current profile and tells its host, which saves and, with ApplyNow, writes
// the lighting at once. It lives in its host page's lower band.
#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <vector>

#include "core/ProfileRecord.h"
#include "lighting/LedPage.h"

class CColorPicker;
class CComboBtn;
class CKBColorDlg;
class CMSliderBar;
class CPngBtn;
class QLabel;

// One colour button: its colour, and a frame when it is the chosen one.
class CColorSwatch : public QWidget {
    Q_OBJECT
public:
    explicit CColorSwatch(QWidget* pParent);
    void SetColor(ZColor clr);
    ZColor Color() const { return m_clr; }
    void SetMarked(bool b);
    bool Marked() const { return m_bMarked; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    ZColor m_clr = 0x00FF00;  // a colour button nobody set is green
    bool m_bMarked = false;
};

class CLedDlg : public QWidget {
    Q_OBJECT
public:
    using ProfileFn = std::function<ProfileRecord*()>;
    using EditedFn = std::function<void(uint32_t nFlags)>;
    CLedDlg(LedDesign design, ProfileFn profile, EditedFn edited, QWidget* pParent);

    // Fills every control from the current profile (nothing without one).
    void LoadFromProfile();
    // The mode names again, after a language change.
    void ReloadTexts();

    // What a user does, for the page's own controls and for tests.
    bool ChooseMode(int nMode);
    void ChooseSpeed(int nValue);
    void ChooseBrightness(int nValue);
    void ChooseDirection(int nDirect);     // 1 or 2
    void SetFlag(bool b);
    void SelectColourButton(int i);
    void ChooseColour(ZColor clr);         // for the chosen colour button
    void AddColour();
    void RemoveColour();

    // The keyboard's picture: it shows the preview of the mode, and in the
    // per-key colour mode the colours of the chosen group, painted by the user.
    void SetKeyView(CKBColorDlg* pView);
    CKBColorDlg* KeyView() const { return m_pView; }
    // Per-key colour mode: the group shown and painted, the swatch a chosen
    // colour goes to (0 the paint colour, 1 the fill colour, which paints
    // every key of the group at once), a click on a key (toggles its colour)
    // and the keys of a rubber band (take the paint colour).
    void ChooseGameGroup(int g);
    void SelectGameTarget(int nTarget);
    void PaintKey(int nSlot);
    void PaintKeys(const std::vector<int>& keys);
    int GameGroup() const { return m_nGameGroup; }
    ZColor PaintColour() const { return m_clrPaint; }
    CColorPicker* Picker() const { return m_pPicker; }
    bool GameEditable() const;

    int Mode() const { return m_nMode; }
    const LedControls& Controls() const { return m_controls; }
    const std::vector<LedModeItem>& Modes() const { return m_modes; }
    int VisibleColourButtons() const;
    const LedValues& Values() const { return m_values; }

signals:
    // A mode was shown or its values changed: a preview follows them.
    void lightingChanged();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void Build();
    void ShowMode();
    void Store();
    void RefreshBackgrounds();
    QString BrightText(int nValue) const;
    void ShowGameGroup();
    void RestartPreview();
    void GameEdited(uint32_t nFlags);

    LedDesign m_design;
    ProfileFn m_profile;
    EditedFn m_edited;
    std::vector<LedModeItem> m_modes;
    int m_nMode = -1;
    LedControls m_controls;
    LedValues m_values;
    bool m_bLoading = false;

    CComboBtn* m_pModes = nullptr;
    QLabel* m_pSpeedLabel = nullptr;
    QLabel* m_pBrightLabel = nullptr;
    QLabel* m_pSpeedValue = nullptr;
    QLabel* m_pBrightValue = nullptr;
    CMSliderBar* m_pSpeed = nullptr;
    CMSliderBar* m_pBright = nullptr;
    QLabel* m_pDirectLabel = nullptr;
    CPngBtn* m_pDirect1 = nullptr;
    CPngBtn* m_pDirect2 = nullptr;
    CPngBtn* m_pFlag = nullptr;
    CPngBtn* m_pAdd = nullptr;
    CPngBtn* m_pRemove = nullptr;
    std::vector<CColorSwatch*> m_buttons;
    std::vector<CColorSwatch*> m_palette;
    QLabel* m_pNote = nullptr;

    CKBColorDlg* m_pView = nullptr;
    CComboBtn* m_pGroups = nullptr;
    QLabel* m_pPaintLabel = nullptr;
    QLabel* m_pFillLabel = nullptr;
    CColorSwatch* m_pPaint = nullptr;
    CColorSwatch* m_pFill = nullptr;
    CColorPicker* m_pPicker = nullptr;
    int m_nGameGroup = 0;
    int m_nGameTarget = 0;
    ZColor m_clrPaint = 0x0000FF;
};
