// The list a combo button opens. Behind this small interface so that the
// program's full function menu can take the place of the simple built-in popup
// (SetComboMenuFactory) and tests can pick items without a window.
#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QWidget;

struct ComboMenuItem {
    int nCode;          // the value the item stands for
    QString strText;
};

struct ComboMenuRequest {
    std::vector<ComboMenuItem> items;
    QRect rcGlobal;                 // where the list goes, in screen coordinates
    int nItemHeight = 22;
    QColor clrTextNr, clrTextOv;    // item text, and the item under the pointer
    QColor clrBack, clrItem;        // the list, and the item under the pointer
    int nTag = 0;                   // handed back with the choice (the combo's active list)
};

class IComboMenu {
public:
    virtual ~IComboMenu() = default;
    // Shows the list for pOwner. onChoice(code, tag) runs once when the user picks an
    // item; closing the list without a choice calls nothing.
    virtual void Open(QWidget* pOwner, const ComboMenuRequest& request,
                      std::function<void(int nCode, int nTag)> onChoice) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
};

using ComboMenuFactory = std::function<std::unique_ptr<IComboMenu>()>;
// Program-wide choice of the list window; an empty factory restores the built-in popup.
void SetComboMenuFactory(ComboMenuFactory factory);
std::unique_ptr<IComboMenu> MakeComboMenu();
