// The built-in list of a combo button: a frameless pop-up window with one row
// per item, drawn in the list colours of the options. A mouse click or Enter
// picks the row under the pointer or the highlighted one; Escape or a click
// elsewhere closes it without a choice.
#pragma once

#include <QWidget>

#include "ui/skin/ComboMenu.h"

class CComboPopup final : public QWidget, public IComboMenu {
    Q_OBJECT
public:
    CComboPopup();
    void Open(QWidget* pOwner, const ComboMenuRequest& request,
              std::function<void(int nCode, int nTag)> onChoice) override;
    void Close() override;
    bool IsOpen() const override { return isVisible(); }

    int HoverIndex() const { return m_nHover; }
    QRect ItemRect(int nIndex) const;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    int IndexAt(const QPoint& pt) const;
    void Choose(int nIndex);

    ComboMenuRequest m_req;
    std::function<void(int, int)> m_onChoice;
    int m_nHover = -1;
};
