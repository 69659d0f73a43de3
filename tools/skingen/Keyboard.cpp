#include "Keyboard.h"

#include <QFile>
#include <QPainterPath>
#include <QRegularExpression>
#include <QTextStream>
#include <map>

#include "Paint.h"

namespace skingen {

namespace {

constexpr int kUnit = 32;    // one key pitch of the built-in layout
constexpr int kOrigin = 20;  // its margin round the keys

QString Legend(int nVk)
{
    if ((nVk >= '0' && nVk <= '9') || (nVk >= 'A' && nVk <= 'Z')) return QString(QChar(nVk));
    if (nVk >= 0x70 && nVk <= 0x7B) return QStringLiteral("F%1").arg(nVk - 0x6F);
    if (nVk >= 0x60 && nVk <= 0x69) return QString(QChar('0' + nVk - 0x60));
    static const std::map<int, const char*> kNames = {
        {0x1B, "Esc"}, {0x09, "Tab"}, {0x14, "Caps"}, {0x10, "Shift"}, {0xA0, "Shift"}, {0xA1, "Shift"},
        {0x11, "Ctrl"}, {0xA2, "Ctrl"}, {0xA3, "Ctrl"}, {0x12, "Alt"}, {0xA4, "Alt"}, {0xA5, "Alt"},
        {0x5B, "Win"}, {0x5C, "Win"}, {0x5D, "Menu"}, {0x0D, "Enter"}, {0x08, "Bksp"}, {0x20, ""},
        {0x2D, "Ins"}, {0x24, "Home"}, {0x21, "PgUp"}, {0x2E, "Del"}, {0x23, "End"}, {0x22, "PgDn"},
        {0x2C, "PrtSc"}, {0x91, "ScrLk"}, {0x13, "Pause"}, {0x26, "\u2191"}, {0x28, "\u2193"}, {0x25, "\u2190"},
        {0x27, "\u2192"}, {0x90, "Num"}, {0x6F, "/"}, {0x6A, "*"}, {0x6D, "-"}, {0x6B, "+"}, {0x6E, "."},
        {0xC0, "`"}, {0xBD, "-"}, {0xBB, "="}, {0xDB, "["}, {0xDD, "]"}, {0xDC, "\\"}, {0xBA, ";"},
        {0xDE, "'"}, {0xBC, ","}, {0xBE, "."}, {0xBF, "/"}, {0xFF, "Fn"},
    };
    const auto it = kNames.find(nVk);
    return it == kNames.end() ? QString() : QString::fromUtf8(it->second);
}

struct Builder {
    KeyboardLayout layout;
    void Add(double x, double y, double w, int nVk, double h = 1)
    {
        KeyCap key;
        const int l = kOrigin + int(x * kUnit), t = kOrigin + int(y * kUnit);
        key.rc = QRect(l + 2, t + 2, int(w * kUnit) - 4, int(h * kUnit) - 4);
        key.nVk = nVk;
        layout.keys.push_back(key);
    }
    void Row(double x, double y, const std::vector<int>& vks)
    {
        for (int nVk : vks) Add(x++, y, 1, nVk);
    }
};

QList<int> Numbers(const QString& strValue, int nBase)
{
    QList<int> list;
    for (const QString& strItem : strValue.split(QLatin1Char(','))) {
        bool bOk = false;
        const int n = strItem.trimmed().toInt(&bOk, nBase);
        if (!bOk) break;
        list << n;
    }
    return list;
}

}  // namespace

KeyboardLayout BuiltInLayout()
{
    Builder b;
    b.layout.strSource = QStringLiteral("built-in full-size layout");
    // Function row, with gaps between the groups of four.
    b.Add(0, 0, 1, 0x1B);
    b.Row(2, 0, {0x70, 0x71, 0x72, 0x73});
    b.Row(6.5, 0, {0x74, 0x75, 0x76, 0x77});
    b.Row(11, 0, {0x78, 0x79, 0x7A, 0x7B});
    b.Row(15.5, 0, {0x2C, 0x91, 0x13});
    // Main block.
    b.Row(0, 1.5, {0xC0, '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', 0xBD, 0xBB});
    b.Add(13, 1.5, 2, 0x08);
    b.Add(0, 2.5, 1.5, 0x09);
    b.Row(1.5, 2.5, {'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P', 0xDB, 0xDD});
    b.Add(13.5, 2.5, 1.5, 0xDC);
    b.Add(0, 3.5, 1.75, 0x14);
    b.Row(1.75, 3.5, {'A', 'S', 'D', 'F', 'G', 'H', 'J', 'K', 'L', 0xBA, 0xDE});
    b.Add(12.75, 3.5, 2.25, 0x0D);
    b.Add(0, 4.5, 2.25, 0xA0);
    b.Row(2.25, 4.5, {'Z', 'X', 'C', 'V', 'B', 'N', 'M', 0xBC, 0xBE, 0xBF});
    b.Add(12.25, 4.5, 2.75, 0xA1);
    b.Add(0, 5.5, 1.25, 0xA2);
    b.Add(1.25, 5.5, 1.25, 0x5B);
    b.Add(2.5, 5.5, 1.25, 0xA4);
    b.Add(3.75, 5.5, 6.25, 0x20);
    b.Add(10, 5.5, 1.25, 0xA5);
    b.Add(11.25, 5.5, 1.25, 0xFF);
    b.Add(12.5, 5.5, 1.25, 0x5D);
    b.Add(13.75, 5.5, 1.25, 0xA3);
    // Navigation block.
    b.Row(15.5, 1.5, {0x2D, 0x24, 0x21});
    b.Row(15.5, 2.5, {0x2E, 0x23, 0x22});
    b.Add(16.5, 4.5, 1, 0x26);
    b.Row(15.5, 5.5, {0x25, 0x28, 0x27});
    // Number pad.
    b.Row(19, 1.5, {0x90, 0x6F, 0x6A, 0x6D});
    b.Row(19, 2.5, {0x67, 0x68, 0x69});
    b.Add(22, 2.5, 1, 0x6B, 2);
    b.Row(19, 3.5, {0x64, 0x65, 0x66});
    b.Row(19, 4.5, {0x61, 0x62, 0x63});
    b.Add(22, 4.5, 1, 0x0D, 2);
    b.Add(19, 5.5, 2, 0x60);
    b.Add(21, 5.5, 1, 0x6E);
    b.layout.size = QSize(2 * kOrigin + 23 * kUnit, 2 * kOrigin + int(6.5 * kUnit));
    return b.layout;
}

KeyboardLayout LayoutFromCfg(const QString& strCfgPath)
{
    KeyboardLayout layout;
    layout.strSource = strCfgPath;
    QFile file(strCfgPath);
    if (!file.open(QIODevice::ReadOnly)) return layout;
    QTextStream in(&file);
    QString strSection;
    std::map<int, QString> keys;
    QString strRcKb, strUnRect;
    static const QRegularExpression kKey(QStringLiteral("^K(\\d+)$"), QRegularExpression::CaseInsensitiveOption);
    while (!in.atEnd()) {
        const QString strLine = in.readLine().trimmed();
        if (strLine.isEmpty() || strLine.startsWith(QLatin1Char(';'))) continue;
        if (strLine.startsWith(QLatin1Char('['))) {
            strSection = strLine.mid(1, strLine.indexOf(QLatin1Char(']')) - 1).trimmed().toUpper();
            continue;
        }
        const qsizetype nEq = strLine.indexOf(QLatin1Char('='));
        if (nEq < 0) continue;
        const QString strName = strLine.left(nEq).trimmed(), strValue = strLine.mid(nEq + 1).trimmed();
        if (strSection == QLatin1String("KBKEY")) {
            const auto m = kKey.match(strName);
            if (m.hasMatch()) keys.emplace(m.captured(1).toInt(), strValue);
        } else if (strSection == QLatin1String("KB")) {
            if (strName.compare(QLatin1String("rcKB"), Qt::CaseInsensitive) == 0) strRcKb = strValue;
            if (strName.compare(QLatin1String("UnRectKey"), Qt::CaseInsensitive) == 0) strUnRect = strValue;
        }
    }
    // As the program reads them: K1, K2, ... up to the first missing one.
    for (int n = 1; n <= 132; ++n) {
        const auto it = keys.find(n);
        if (it == keys.end()) break;
        const QStringList items = it->second.split(QLatin1Char(','));
        if (items.size() < 6) continue;
        const QList<int> geometry = Numbers(items.mid(0, 4).join(QLatin1Char(',')), 10);
        if (geometry.size() < 4) continue;
        bool bClass = false, bCode = false;
        const int nClass = items[4].trimmed().toInt(&bClass, 16);
        const int nCode = items[5].trimmed().toInt(&bCode, 16);
        KeyCap key;
        key.rc = QRect(geometry[0], geometry[1], geometry[2], geometry[3]);
        key.nVk = bClass && bCode && nClass == 2 ? nCode : 0;
        layout.keys.push_back(key);
    }
    const QList<int> outline = Numbers(strUnRect, 10);
    if (outline.size() >= 9 && outline.size() % 2 == 1 && outline[1] == outline[outline.size() - 2] &&
        outline[2] == outline.back() && outline[0] >= 1 && size_t(outline[0]) <= layout.keys.size()) {
        QPolygon poly;
        for (qsizetype i = 1; i + 1 < outline.size(); i += 2) poly << QPoint(outline[i], outline[i + 1]);
        layout.keys[size_t(outline[0] - 1)].outline = poly;
    }
    const QList<int> rcKb = Numbers(strRcKb, 10);
    if (rcKb.size() == 4 && rcKb[2] > 0 && rcKb[3] > 0) {
        layout.size = QSize(rcKb[2], rcKb[3]);
    } else if (!layout.keys.empty()) {
        QRect bounds;
        for (const KeyCap& key : layout.keys) bounds = bounds.united(key.rc);
        const int nMargin = std::max(0, std::min(bounds.left(), bounds.top()));
        layout.size = QSize(bounds.right() + 1 + nMargin, bounds.bottom() + 1 + nMargin);
    }
    return layout;
}

QImage KeyboardPicture(const KeyboardLayout& layout)
{
    return Draw(layout.size, [&](QPainter& p) {
        QRect bounds;
        for (const KeyCap& key : layout.keys) bounds = bounds.united(key.outline.isEmpty() ? key.rc : key.outline.boundingRect());
        const QRectF plate = QRectF(bounds).adjusted(-10, -10, 10, 10).intersected(QRectF(0, 0, layout.size.width(), layout.size.height()));
        Shadow(p, RoundPath(plate, 12), 5, 90);
        FillRound(p, plate, 12, Vertical(plate, QColor(0x1e, 0x22, 0x28), QColor(0x11, 0x13, 0x16)));
        StrokeRound(p, plate, 12, QColor(0x2c, 0x32, 0x3b));
        p.fillRect(QRectF(plate.left() + 12, plate.top() + 1, plate.width() - 24, 1), QColor(255, 255, 255, 28));
        for (const KeyCap& key : layout.keys) {
            QPainterPath cap;
            if (key.outline.isEmpty()) {
                cap = RoundPath(key.rc, 4);
            } else {
                cap.addPolygon(QPolygonF(key.outline));
                cap.closeSubpath();
            }
            const QRectF rc = cap.boundingRect();
            p.setPen(QPen(QColor(0x08, 0x0a, 0x0c), 1.0));
            p.setBrush(Vertical(rc, QColor(0x30, 0x36, 0x40), QColor(0x1b, 0x1f, 0x25)));
            p.drawPath(cap);
            // The top face, a little inset and lighter, as a keycap's dish.
            const QRectF face = key.outline.isEmpty() ? rc.adjusted(2.5, 1.5, -2.5, -4.5) : rc.adjusted(3, 2, -3, -5);
            if (key.outline.isEmpty()) FillRound(p, face, 3, Vertical(face, QColor(0x3b, 0x42, 0x4c), QColor(0x2b, 0x31, 0x39)));
            const QString strLegend = Legend(key.nVk);
            if (strLegend.isEmpty()) continue;
            int nPx = strLegend.size() == 1 ? 12 : 9;
            while (nPx > 7 && QFontMetrics(Face(nPx)).horizontalAdvance(strLegend) > face.width() - 4) --nPx;
            Text(p, face, strLegend, QColor(0xb8, 0xc0, 0xcb), nPx, strLegend.size() == 1 ? QFont::Bold : QFont::DemiBold);
        }
    });
}

QString KbKeyLines(const KeyboardLayout& layout)
{
    QString str;
    int n = 1;
    for (const KeyCap& key : layout.keys) {
        str += QStringLiteral("K%1=%2,%3,%4,%5,2,%6,0,%7\n")
                   .arg(n)
                   .arg(key.rc.x())
                   .arg(key.rc.y())
                   .arg(key.rc.width())
                   .arg(key.rc.height())
                   .arg(key.nVk, 0, 16)
                   .arg(n - 1);
        ++n;
    }
    return str;
}

}  // namespace skingen
