// skingen: draws every skin image the program asks for into an application
// folder's "skins" folder, then checks the result against the skin list.
//
//   skingen --out SKINS_DIR [--cfg CFG_INI]   draw the skins (the keyboard picture follows
//                                             the key table of CFG_INI when it has one)
//   skingen --broken APP_DIR                  write a deliberately faulty skin set for tests
//   skingen --sheet PREFIX --out SKINS_DIR    also write contact sheets PREFIX-dark.png, ...
//   skingen --print-marks | --print-kbkey     the mouse marks and the built-in key table for cfg.ini
//
// Exit status 0 on success, 1 when a file could not be written or the check
// failed, 2 on bad usage.
#include <QCommandLineParser>
#include <QGuiApplication>
#include <cstdio>

#include "Devices.h"
#include "Keyboard.h"
#include "Output.h"

namespace {

int Report(const QStringList& problems, const char* pszWhat)
{
    for (const QString& str : problems) std::fprintf(stderr, "skingen: %s: %s\n", pszWhat, qPrintable(str));
    return problems.isEmpty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Draws the skin images of the program."));
    parser.addHelpOption();
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("The skins folder to write."), QStringLiteral("dir"));
    const QCommandLineOption cfg(QStringLiteral("cfg"), QStringLiteral("cfg.ini with the keyboard's key table."), QStringLiteral("file"));
    const QCommandLineOption broken(QStringLiteral("broken"), QStringLiteral("Write the faulty test set into this application folder."),
                                    QStringLiteral("dir"));
    const QCommandLineOption sheet(QStringLiteral("sheet"), QStringLiteral("Write contact sheets with this path prefix."),
                                   QStringLiteral("prefix"));
    const QCommandLineOption marks(QStringLiteral("print-marks"), QStringLiteral("Print the mouse marks for cfg.ini."));
    const QCommandLineOption kbkey(QStringLiteral("print-kbkey"), QStringLiteral("Print the built-in key table for cfg.ini."));
    parser.addOptions({out, cfg, broken, sheet, marks, kbkey});
    parser.process(app);
    if (!parser.isSet(out) && !parser.isSet(broken) && !parser.isSet(marks) && !parser.isSet(kbkey)) {
        std::fprintf(stderr, "%s", qPrintable(parser.helpText()));
        return 2;
    }
    if (parser.isSet(sheet) && !parser.isSet(out)) {
        std::fprintf(stderr, "skingen: --sheet needs --out\n");
        return 2;
    }

    if (parser.isSet(marks)) {
        int n = 1;
        for (const QRect& rc : skingen::MouseMarks())
            std::printf("Mark%d=%d,%d,%d,%d\n", n++, rc.x(), rc.y(), rc.width(), rc.height());
    }
    if (parser.isSet(kbkey)) std::printf("%s", qPrintable(skingen::KbKeyLines(skingen::BuiltInLayout())));

    int nStatus = 0;
    if (parser.isSet(out)) {
        skingen::KeyboardLayout keyboard;
        if (parser.isSet(cfg)) keyboard = skingen::LayoutFromCfg(parser.value(cfg));
        if (keyboard.keys.empty()) keyboard = skingen::BuiltInLayout();
        int nWritten = 0;
        nStatus |= Report(skingen::WriteSkins(parser.value(out), keyboard, nWritten), "write");
        nStatus |= Report(skingen::CheckSkins(parser.value(out)), "check");
        if (parser.isSet(sheet)) nStatus |= Report(skingen::WriteContactSheets(parser.value(out), parser.value(sheet)), "sheet");
        std::printf("skingen: %d images in %s (keyboard: %s, %d keys)\n", nWritten, qPrintable(parser.value(out)),
                    qPrintable(keyboard.strSource), int(keyboard.keys.size()));
    }
    if (parser.isSet(broken)) nStatus |= Report(skingen::WriteBrokenSet(parser.value(broken)), "broken set");
    return nStatus;
}
