// The key list of the mouse: one button per key, labelled with the key's
// function. A click (or a key picked on the mouse picture) opens the function
// menu; the chosen function, completed by its dialog when it needs one, goes
// through the key rules into the current profile, and the host hears of every
// change through onEdited.
#pragma once

#include <QWidget>
#include <array>
#include <functional>

#include "core/Gvar.h"
#include "keys/MouseKeyRules.h"
#include "ui/pages/Page.h"

class CMenuDlg;
class CPngBtn;

class CKeyMsDlg : public QWidget {
    Q_OBJECT
public:
    CKeyMsDlg(const PageContext& ctx, QWidget* parent);

    // Called with the apply flags after every change of the profile; the host
    // page saves and, with ApplyNow, writes the mouse.
    std::function<void(uint32_t nFlags)> onEdited;

    // Shows the functions of the current profile's edited key table; keys
    // whose function is gone (a deleted macro) take their default.
    void Reload();

    CPngBtn* KeyButton(int nSlot) const;
    QString KeyText(int nSlot) const;
    // Opens the function menu for the key; the menu is open until a choice.
    CMenuDlg* OpenFunctionMenu(int nSlot);
    // What the menu reports: completes the function (dialogs) and assigns it.
    void ChooseFunction(uint32_t dwCode, int nSlot);
    // Stores the record after the checks; false (with a message) when refused.
    bool AssignKey(int nSlot, const KeyInfo& rec);

public slots:
    // A key picked on the mouse picture.
    void SelectKey(int nSlot);

signals:
    // The pointer is over the button of the key (-1: over none).
    void KeyHovered(int nSlot);

protected:
    bool eventFilter(QObject* pObj, QEvent* e) override;

private:
    int Keys() const;
    void PlaceButtons();
    void ShowRefusal(const std::u16string& str);

    PageContext m_ctx;
    std::array<CPngBtn*, kMsKeyCount> m_keys{};
};
