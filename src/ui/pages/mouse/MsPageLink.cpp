#include "ui/pages/mouse/MsPageLink.h"

#include <QRect>

#include "ui/skin/SkinImages.h"
#include "ui/skin/SkinTheme.h"

QString MsPageStyle()
{
    const skin::SkinTheme& t = skin::Theme();
    const QString strText = t.clrText.name(), strBack = t.clrListBack.name(), strItem = t.clrListItem.name(),
                  strSel = t.clrSelection.name(), strBorder = t.clrFieldBorder.name();
    return QStringLiteral("QLabel, QCheckBox { color: %1; background: transparent; }"
                          "QPushButton, QComboBox, QToolButton { color: %1; background: %2; border: 1px solid %4;"
                          " border-radius: 3px; padding: 1px 6px; }"
                          "QPushButton:checked, QPushButton:pressed { background: %3; color: white; }"
                          "QPushButton:disabled, QComboBox:disabled, QCheckBox:disabled, QLabel:disabled { color: %4; }"
                          "QComboBox QAbstractItemView { color: %1; background: %2; selection-background-color: %3; }"
                          "QSlider::groove:horizontal { height: 4px; background: %5; }"
                          "QSlider::sub-page:horizontal { background: %3; }"
                          "QSlider::handle:horizontal { width: 10px; margin: -5px 0; background: %1; border-radius: 3px; }")
        .arg(strText, strBack, strSel, strBorder, strItem);
}

QRect MsScaled(int x, int y, int w, int h)
{
    const double f = skin::InterfaceScale();
    return QRect(int(x * f), int(y * f), int(w * f), int(h * f));
}
