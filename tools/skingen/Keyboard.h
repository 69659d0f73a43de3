// The keyboard picture. Its keys must lie where the key table of cfg.ini
// ([KBKEY] K1, K2, ...: x, y, width, height in view coordinates) puts them, so
// the picture is drawn from that table; without one, from a built-in
// full-size layout whose table can be printed for cfg.ini.
#pragma once

#include <QImage>
#include <QPolygon>
#include <QRect>
#include <QString>
#include <vector>

namespace skingen {

struct KeyCap {
    QRect rc;        // in view coordinates
    int nVk = 0;     // virtual-key code, 0 when the key has no legend
    QPolygon outline;  // a key that is not a rectangle (the key table's UnRectKey), else empty
};

struct KeyboardLayout {
    QSize size;
    std::vector<KeyCap> keys;
    QString strSource;  // where the layout came from, for the log
};

KeyboardLayout BuiltInLayout();
// The key table of the [KBKEY] section, with [KB] rcKB and UnRectKey; no keys
// when the file has none.
KeyboardLayout LayoutFromCfg(const QString& strCfgPath);
QImage KeyboardPicture(const KeyboardLayout& layout);
// The built-in layout as [KBKEY] lines: geometry, class 2 and the key's code;
// matrix and LED positions are the device's and are left as the key's index.
QString KbKeyLines(const KeyboardLayout& layout);

}  // namespace skingen
