// The cascading function menu: a frameless pop-up with one row per top-level
// item; hovering a header opens its children beside it. Choosing an item that
// is not a header reports its code with the value given at creation and
// closes the menu. Only one menu is open at a time in the program.
#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>
#include <vector>

#include "keys/FunctionMenu.h"

class CMenuDlg : public QWidget {
    Q_OBJECT
public:
    // items: all items (top-level ones first, children naming their header);
    // nParent: the header whose children this menu shows (kMenuTop: the top).
    CMenuDlg(QWidget* pOwner, std::vector<MenuItem> items, QPoint ptTopLeft, QSize itemSize, int nValue,
             int nParent = kMenuTop);
    ~CMenuDlg() override;

    // The menu open now, or null.
    static CMenuDlg* Current();
    static void CloseCurrent();

    // Rows of this menu (indices into the items).
    const std::vector<size_t>& Rows() const { return m_rows; }
    const std::vector<MenuItem>& Items() const { return m_items; }
    CMenuDlg* Child() const { return m_pChild; }
    // Hovers a row as the pointer would (opens a header's children).
    void HoverRow(int nRow);
    // Chooses a row as a click would; a header does nothing. False when nothing was chosen.
    bool ChooseRow(int nRow);
    // Picks an item by its texts from the top (header, then child), as a user
    // would hover and click them. False when the path names no item.
    bool PickPath(const QStringList& path);

signals:
    void Chosen(uint32_t dwCode, int nValue);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    int RowAt(const QPoint& pt) const;
    void CloseChild();
    void Finish(uint32_t dwCode);

    QWidget* m_pOwner;
    std::vector<MenuItem> m_items;
    std::vector<size_t> m_rows;
    QSize m_itemSize;
    int m_nValue;
    int m_nHover = -1;
    CMenuDlg* m_pChild = nullptr;
    CMenuDlg* m_pParentMenu = nullptr;
};
