// The reference for the start-up measurement: a bare Qt program that opens one
// window of the main window's size and renders it the way a screenshot run
// does (grab() to a PNG), then ends.
//
//   bare_window FILE.png
#include <QApplication>
#include <QPixmap>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    QWidget wnd;
    wnd.resize(1063, 800);
    wnd.show();
    QApplication::processEvents();
    return wnd.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
