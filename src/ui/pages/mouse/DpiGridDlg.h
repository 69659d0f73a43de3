// One level cell of the DPI page: its level's X value (and Y value below it
// when the axes are set apart), drawn on the skin's cell picture, selected or
// not. The lift-off page uses the same cells to show a level's distance.
#pragma once

#include <QString>
#include <QWidget>

class CDpiGridDlg : public QWidget {
    Q_OBJECT
public:
    CDpiGridDlg(int nIndex, QWidget* pParent);

    int Index() const { return m_nIndex; }
    void SetValues(int nX, int nY);
    int X() const { return m_nX; }
    int Y() const { return m_nY; }
    void SetSelected(bool b);
    bool Selected() const { return m_bSelected; }
    // Two lines: X above Y (the axes are apart).
    void SetTwoLine(bool b);
    // A text instead of the numbers (the lift-off page's distances).
    void SetText(const QString& str);
    // Takes the size of its picture at the interface scale.
    void Reskin();

signals:
    void clicked(int nIndex);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    QString ImageName() const;

    int m_nIndex;
    int m_nX = 0, m_nY = 0;
    bool m_bSelected = false;
    bool m_bTwoLine = false;
    QString m_strText;
};
