// The main window. For now a plain window titled with the program title; the
// device pages, navigation and tray icon are built into it step by step.
#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;

class CZorvikDlg : public QWidget {
    Q_OBJECT
public:
    explicit CZorvikDlg(QWidget* parent = nullptr);

    // What the tray icon's left click does: show the window and bring it to the front.
    void ShowAndActivate();
    // The devices the program drives, one line each ("wired mouse: connected").
    void SetDevices(const QStringList& lines);

private:
    QLabel* m_pDevices = nullptr;
};
