// The cost of the mouse picture's lighting preview while it can be seen: CPU
// time of the process (user and system, from getrusage) per second of
// animation, against a second of the same event loop with the picture hidden
// and against a second with no picture at all, all in this run. The flow
// program is used: it steps every 20 ms and colours every band.
//
//   mouse_preview_bench [SECONDS]    (default 3 seconds per phase)
//
// Prints the shares of one core and the ratios; checks nothing.
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "core/Gvar.h"
#include "lighting/MousePreview.h"
#include "ui/keys/KeyMarkDlg.h"
#include "ui/skin/SkinImages.h"
#include "ui/skin/SkinTheme.h"

namespace {

double CpuSeconds()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) + double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop for the given time; returns the CPU share of one core.
double CoreShare(int nMs)
{
    const double dStart = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(nMs, &loop, &QEventLoop::quit);
    loop.exec();
    return (CpuSeconds() - dStart) / (double(wall.elapsed()) / 1000.0);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int nMs = (argc > 1 ? std::max(1, std::atoi(argv[1])) : 3) * 1000;
    g_szAppDir = ZV_APP_DIR;
    skin::SetTheme(skin::ThemeFromOptions());
    skin::ClearImageCache();

    const double dEmpty = CoreShare(nMs);
    PageContext ctx;
    CKeyMarkDlg pic(ctx, nullptr);
    pic.show();
    pic.RunPreviewProgram(MakeFlowProgram(PreviewFixedColours(), 1, 10, 10));
    const double dVisible = CoreShare(nMs);
    pic.hide();
    const double dHidden = CoreShare(nMs);

    std::printf("picture %dx%d, flow program every %d ms, %d s per phase\n", pic.width(), pic.height(),
                pic.Preview().Program().nPeriod, nMs / 1000);
    std::printf("no picture:       %.4f of a core\n", dEmpty);
    std::printf("picture visible:  %.4f of a core  (%.1f x no picture)\n", dVisible, dVisible / std::max(dEmpty, 1e-6));
    std::printf("picture hidden:   %.4f of a core  (%.2f x no picture)\n", dHidden, dHidden / std::max(dEmpty, 1e-6));
    return 0;
}
