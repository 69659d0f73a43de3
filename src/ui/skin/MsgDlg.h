// The message window: the program's own modal window for telling the user
// something, asking a question, and reading a text, a number or a key
// combination. Drawn from the skin ("msg_nr.png" and the button pictures);
// without its background it closes at once with Cancel.
//
// The modes: 1 message (one OK button), 2 text, 3 number, 4 key combination,
// 5 question (OK and Cancel). Enter is OK and Escape is Cancel, except while a
// key combination is read: then every key belongs to the combination and the
// window closes only by its buttons.
#pragma once

#include <QString>

#include "ui/skin/KeyCapture.h"
#include "ui/skin/SkinDialog.h"

class CPngBtn;
class IClock;
class QLabel;
class QLineEdit;

// Characters a typed name may not hold (they would break file names and lists):
// & % $ # @ * ! ( ) + = < > [ ] { } | . , ? ; : " ' / \ and the full-width
// exclamation mark and yen sign. The index of the first one, or -1.
qsizetype FindForbiddenChar(const QString& str);

class CMsgDlg : public CSkinDialog {
    Q_OBJECT
public:
    enum Mode { kModeMessage = 1, kModeText = 2, kModeNumber = 3, kModeKey = 4, kModeQuestion = 5 };
    // The most characters a text result holds.
    static constexpr int kTextMax = 259;
    // The most digits a number field takes (more would not fit the result).
    static constexpr int kNumberDigits = 9;
    // The check boxes of the key mode, in their order on the window.
    enum ModBox { kBoxShift, kBoxCtrl, kBoxAlt, kBoxWin, kBoxCount };

    explicit CMsgDlg(QWidget* pOwner, int nMode = kModeMessage, const QString& strPrompt = QString());
    ~CMsgDlg() override;

    // Set before the window is shown.
    void SetMode(int nMode) { m_nMode = nMode; }
    // The title strip's text, also the window's title when there is one.
    void SetTitle(const QString& strTitle)
    {
        m_strTitle = strTitle;
        if (!strTitle.isEmpty()) setWindowTitle(strTitle);
        update();
    }
    void SetPrompt(const QString& strPrompt) { m_strPrompt = strPrompt; update(); }
    // Text mode: the most characters accepted (0: kTextMax).
    void SetMaxLen(int nMaxLen) { m_nMaxLen = nMaxLen; }
    // Text and number modes: what the field holds when the window opens.
    void SetInitialText(const QString& str) { m_strInitial = str; }
    // Key mode: every press starts a new combination.
    void SetSinglePress(bool b) { m_bSinglePress = b; }
    // Key mode: the modifiers are chosen with four check boxes, not typed.
    void SetModBoxes(bool b) { m_bModBoxes = b; }
    // Key mode: the combination shown when the window opens.
    void SetCombo(const CapturedCombo& combo);
    // Key mode: the clock that times the presses (default: the system's).
    void SetClock(const IClock* pClock) { m_pClock = pClock; }

    int Mode() const { return m_nMode; }
    const QString& Title() const { return m_strTitle; }
    const QString& Prompt() const { return m_strPrompt; }
    // After OK: the text (text mode), the number (number mode; 0 after Cancel),
    // the combination with the checked modifier boxes added (key mode).
    const QString& TextResult() const { return m_strResult; }
    int NumberResult() const { return m_nResult; }
    CapturedCombo Combo() const { return m_capture.Combo(); }
    // The explanation under the field (a refused character); empty when none.
    QString Hint() const;

    // The controls, made when the window is first shown (or by Build); null
    // when the mode has none or the pictures are missing.
    void Build();
    CPngBtn* OkButton() const { return m_pOk; }
    CPngBtn* CancelButton() const { return m_pCancel; }
    CPngBtn* CloseButton() const { return m_pClose; }
    QLineEdit* Edit() const { return m_pEdit; }
    CPngBtn* ModBox(int nBox) const { return nBox >= 0 && nBox < kBoxCount ? m_pBoxes[nBox] : nullptr; }
    // Where the prompt is drawn.
    QRect PromptRect() const { return m_rcPrompt; }

    // The operations the program calls; each runs one window on pOwner.
    // A message: the window's result (kIdOk, or kIdCancel when it could not show).
    static int ShowMessage(QWidget* pOwner, const QString& strText, const QString& strTitle = QString());
    // A question: kIdOk or kIdCancel.
    static int Ask(QWidget* pOwner, const QString& strText, const QString& strTitle = QString());
    static bool AskYesNo(QWidget* pOwner, const QString& strText, const QString& strTitle = QString());
    // A text of at most nMaxLen characters (0: kTextMax): 1 with the text in
    // strResult after OK with a text; 0 otherwise (strResult unchanged).
    static int AskText(QWidget* pOwner, const QString& strPrompt, QString& strResult, int nMaxLen);

    // The close button, Escape and a window-manager close: Cancel.
    void reject() override;
    // Makes the controls before the window first shows, so that they show with it.
    void setVisible(bool bVisible) override;

public slots:
    void OnOK();
    void OnCancel();

protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void OnTextChanged(const QString& str);
    void OnCaptureKey(QKeyEvent* e, bool bDown);
    void ShowCombo();
    void LayOut();
    int WrappedHeight(const QString& str, int nWidth) const;

    int m_nMode;
    QString m_strTitle, m_strPrompt, m_strInitial;
    int m_nMaxLen = 0;
    bool m_bSinglePress = false;
    bool m_bModBoxes = false;
    QString m_strResult;
    int m_nResult = 0;
    CKeyCapture m_capture;
    const IClock* m_pClock = nullptr;
    bool m_bBuilt = false;

    CPngBtn* m_pOk = nullptr;
    CPngBtn* m_pCancel = nullptr;
    CPngBtn* m_pClose = nullptr;
    QLineEdit* m_pEdit = nullptr;
    QLabel* m_pHint = nullptr;
    CPngBtn* m_pBoxes[kBoxCount] = {};
    QRect m_rcPrompt;
    QRect m_rcTitle;
};
