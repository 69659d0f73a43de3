// zorvik: the desktop program.
//   zorvik [--demo] [--screenshot FILE [--device ms|kb|pad] [--page N]] [--gallery DIR] [--app-dir D] [--user-dir U]
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
    const QCommandLineOption optDevice(QStringLiteral("device"),
                                       QStringLiteral("The device shown first: ms, kb or pad."),
                                       QStringLiteral("kind"));
    const QCommandLineOption optPage(QStringLiteral("page"), QStringLiteral("The page shown first (1-9)."),
                                     QStringLiteral("number"));
    const QCommandLineOption optHidden(QStringLiteral("hidden"),
                                       QStringLiteral("Start without showing the window (as at login): the tray icon, or "
                                                      "starting the program again, shows it."));
    parser.addOptions({optDemo, optShot, optGallery, optAppDir, optUserDir, optDevice, optPage, optHidden});
    parser.process(app);

    AppArgs args;
    args.bDemo = parser.isSet(optDemo);
    args.strScreenshot = parser.value(optShot);
    args.strGallery = parser.value(optGallery);
    args.strAppDir = parser.value(optAppDir);
    args.strUserDir = parser.value(optUserDir);
    args.strDevice = parser.value(optDevice);
    args.nPage = parser.value(optPage).toInt();
    args.bHidden = parser.isSet(optHidden);
    if (!args.strDevice.isEmpty() && args.strDevice != QLatin1String("ms") && args.strDevice != QLatin1String("kb") &&
        args.strDevice != QLatin1String("pad")) {
        fputs("zorvik: --device takes ms, kb or pad\n", stderr);
        return 2;
    }
    CZorvikApp theApp(args);
    return theApp.Run();
}
