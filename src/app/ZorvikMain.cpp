// zorvik: the desktop program.
//   zorvik [--demo] [--screenshot FILE] [--gallery DIR] [--app-dir D] [--user-dir U]
#include <QApplication>
#include <QCommandLineParser>

#include "ZorvikApp.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zorvik"));

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption optDemo(QStringLiteral("demo"), QStringLiteral("Run on virtual devices."));
    const QCommandLineOption optShot(QStringLiteral("screenshot"),
                                     QStringLiteral("Render the main window to a PNG file and exit."),
                                     QStringLiteral("file"));
    const QCommandLineOption optGallery(
        QStringLiteral("gallery"), QStringLiteral("Draw every skinned control and window to PNG files and exit."),
        QStringLiteral("folder"));
    const QCommandLineOption optAppDir(QStringLiteral("app-dir"), QStringLiteral("Application folder."),
                                       QStringLiteral("folder"));
    const QCommandLineOption optUserDir(QStringLiteral("user-dir"), QStringLiteral("Per-user folder."),
                                        QStringLiteral("folder"));
    parser.addOptions({optDemo, optShot, optGallery, optAppDir, optUserDir});
    parser.process(app);

    AppArgs args;
    args.bDemo = parser.isSet(optDemo);
    args.strScreenshot = parser.value(optShot);
    args.strGallery = parser.value(optGallery);
    args.strAppDir = parser.value(optAppDir);
    args.strUserDir = parser.value(optUserDir);
    CZorvikApp theApp(args);
    return theApp.Run();
}
