// The gallery: every skinned control in each of its states and every message
// window, drawn to PNG files for each skin of the installation at the normal
// and a large-screen interface scale and on a 200 % screen. It lets a person
// (or a test) look at what the skins give without devices or a display:
//
//   DIR/<skin>-<scale>/<name>.png    one control state or one window
//   DIR/<skin>-<scale>/sheet.png     all of them on one sheet
//
// <skin> is the skin's folder name ("dark"), <scale> "1.0" or "1.5" (the
// interface scale on an ordinary screen) or "2.0" (a screen of device pixel
// ratio 2 at interface scale 1: its pictures hold twice the pixels). Runs after
// the options, skins and text catalogue are loaded; it changes the chosen skin
// and the interface scale while it draws and puts them back afterwards.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

class CGallery {
public:
    explicit CGallery(const QString& strDir) : m_strDir(strDir) {}

    // Draws every set; false when a file could not be written or nothing was
    // drawn. Errors() tells what went wrong.
    bool Run();
    const QStringList& Errors() const { return m_errors; }
    // Files written, relative to the folder.
    const QStringList& Files() const { return m_files; }

    // What each set is drawn at: the interface scale and the screen's pixel ratio.
    struct Scale {
        double fInterface;
        double fPixelRatio;
        const char* pszName;
    };
    static std::vector<Scale> Scales() { return {{1.0, 1.0, "1.0"}, {1.5, 1.0, "1.5"}, {1.0, 2.0, "2.0"}}; }

private:
    using Shot = std::pair<QString, QImage>;

    void RenderSet(const QString& strSet);
    // Controls, on a piece of the skin's main window background.
    void Buttons(std::vector<Shot>& shots);
    void CheckBoxes(std::vector<Shot>& shots);
    void NaviButtons(std::vector<Shot>& shots);
    void Combos(std::vector<Shot>& shots);
    void Tree(std::vector<Shot>& shots);
    void Sliders(std::vector<Shot>& shots);
    // Message, number, notice and progress windows.
    void MessageWindows(std::vector<Shot>& shots);
    void QueryWindows(std::vector<Shot>& shots);
    void NoticeWindows(std::vector<Shot>& shots);
    void ProgressWindows(std::vector<Shot>& shots);

    bool Save(const QImage& img, const QString& strRelPath);
    // A control or window the skin did not allow.
    void Missing(const QString& strWhat)
    {
        m_errors << strWhat + QStringLiteral(": not drawn (skin pictures missing)");
    }
    QImage Sheet(const std::vector<Shot>& shots) const;

    QString m_strDir;
    QStringList m_errors;
    QStringList m_files;
};
