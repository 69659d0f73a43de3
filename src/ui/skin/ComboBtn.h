// A skinned button that opens a list of named values and shows the chosen one as
// its caption. It keeps four lists, one of them active; the owner fills them when
// the page is built and re-texts them on a language change.
#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "ui/skin/ComboMenu.h"
#include "ui/skin/PngBtn.h"

struct ComboItem {
    int nValue;
    QString strName;
};

class CComboBtn : public CPngBtn {
    Q_OBJECT
public:
    static constexpr int kListCount = 4;
    // Only this many items of a list are shown and can be selected by value.
    static constexpr int kMaxShown = 30;
    static constexpr int kItemHeight = 22;

    explicit CComboBtn(QWidget* parent = nullptr, const skin::SkinTheme& theme = skin::Theme());
    ~CComboBtn() override;

    void AddItem(int nList, int nValue, const QString& strName);
    void ClearList(int nList);
    const std::vector<ComboItem>& List(int nList) const;
    // Makes list nList (0..3) the one that opens; the selection is left as it is.
    void SetActiveList(int nList);
    int ActiveList() const { return m_nList; }

    // i < 0 clears the selection (value -1, no caption); an index past the end
    // changes nothing.
    void SelectIndex(int i);
    int SelIndex() const { return m_nSel; }
    // The selected item's value; -1 when nothing is selected.
    int Value() const { return m_nValue; }
    // Selects the item of that value among the first kMaxShown of the active list.
    bool SelectValue(int nValue);
    // Renames the item of that value in list nList and refreshes the caption.
    bool SetItemName(int nList, int nValue, const QString& strName);

    // Width of the opened list; below 1: the button's width - 4.
    void SetListWidth(int nWidth) { m_nListWidth = nWidth; }
    // 0: below the button (above it when there is no room); 1: centred on its top edge.
    void SetListPlace(int nPlace) { m_nListPlace = nPlace; }

    // The list window; by default the program-wide one (MakeComboMenu).
    void SetMenu(std::unique_ptr<IComboMenu> pMenu);
    IComboMenu* Menu();
    // Opens the active list (what a click does); false when it has no items.
    bool OpenList();
    // A choice from the opened list: closes it, selects the value, and when the value
    // is known tells the owner (changed).
    void OnMenuChoice(int nValue);

    // Where a list nHeight x nWidth opens for a button at rcButton (screen
    // coordinates), kept on rcScreen.
    static QRect ListRect(const QRect& rcButton, int nHeight, int nWidth, int nPlace, const QRect& rcScreen);

signals:
    // The user chose an item from the list (also Value()).
    void changed(int nValue);

protected:
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    std::vector<ComboItem> m_lists[kListCount];
    int m_nList = 0;
    int m_nSel = -1;
    int m_nValue = -1;
    QColor m_clrMenuNr, m_clrMenuOv, m_clrListBack, m_clrListItem;
    bool m_bTips = true;
    int m_nListWidth = 0;
    int m_nListPlace = 0;
    std::unique_ptr<IComboMenu> m_pMenu;
};
