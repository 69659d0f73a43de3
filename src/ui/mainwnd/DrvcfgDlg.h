// The options window: the interface language, the skin, the current profile's
// sound file and the profile-sound switch. A language chosen here is in force
// at once (the catalogue is reloaded and the main window re-texts); OK keeps
// the choices in the user's lang.ini, Cancel only closes.
#pragma once

#include <QString>
#include <functional>

#include "core/ProfileRecord.h"
#include "ui/skin/SkinDialog.h"

class CComboBtn;
class CPngBtn;
class IPrompt;
class ISoundPlayer;
class QLineEdit;

class CDrvcfgDlg final : public CSkinDialog {
    Q_OBJECT
public:
    // Asks for a sound file; an empty answer when the user cancelled.
    using SoundFileChooser = std::function<QString(QWidget* pParent, const QString& strCurrent)>;

    CDrvcfgDlg(QWidget* pOwner, IPrompt& prompt, ProfileRecord* pCurrent, ISoundPlayer& player);

    // Replaces the file dialog (tests give the answer).
    void SetFileChooser(SoundFileChooser chooser) { m_chooser = std::move(chooser); }

    CComboBtn* LanguageList() const { return m_pLang; }
    CComboBtn* SkinList() const { return m_pSkin; }
    QLineEdit* SoundPath() const { return m_pPath; }
    CPngBtn* BrowseButton() const { return m_pBrowse; }
    CPngBtn* SoundSwitch() const { return m_pSwitch; }
    CPngBtn* OkButton() const { return m_pOk; }
    CPngBtn* CancelButton() const { return m_pCancel; }

    void OnOK();

signals:
    // The catalogue was reloaded in another language.
    void languageChanged();

protected:
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void OnLanguage(int nIndex);
    void OnSkin(int nIndex);
    void OnBrowse();
    void OnSwitch(bool bChecked);
    void ApplyCaptions();

    IPrompt& m_prompt;
    ProfileRecord* m_pCurrent;
    ISoundPlayer& m_player;
    SoundFileChooser m_chooser;
    CComboBtn* m_pLang = nullptr;
    CComboBtn* m_pSkin = nullptr;
    QLineEdit* m_pPath = nullptr;
    CPngBtn* m_pBrowse = nullptr;
    CPngBtn* m_pSwitch = nullptr;
    CPngBtn* m_pOk = nullptr;
    CPngBtn* m_pCancel = nullptr;
};

// Runs the options window modally over owner. On OK the profile sound is
// applied at once: with the switch on and a current profile whose sound file
// exists, that file plays looping; with it off, any sound stops. Returns
// whether OK was pressed; the caller then stores the profiles, whose sound
// path may have changed. onLanguageChanged runs each time the user picks
// another language while the window is open.
bool RunOptionsDialog(QWidget* owner, IPrompt& prompt, ProfileRecord* pCurrent, ISoundPlayer& player,
                      const std::function<void()>& onLanguageChanged = {});
